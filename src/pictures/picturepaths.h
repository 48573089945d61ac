#pragma once

#include "catalog.h"

#include <QString>

namespace pictures {

// Both pictures of an entry carry the monster's name exactly as listed; they
// differ only in the folder.
inline const QString MonsterPictureFolder = QStringLiteral("Monsters");
inline const QString LocationPictureFolder = QStringLiteral("Locations");
QString pictureFileName(const catalog::UniqueMonster &monster);
QString monsterPicturePath(const QString &programFolder, const catalog::UniqueMonster &monster);
QString locationPicturePath(const QString &programFolder, const catalog::UniqueMonster &monster);

} // namespace pictures
