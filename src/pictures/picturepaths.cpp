#include "picturepaths.h"

#include "programfolder.h"

namespace pictures {

QString pictureFileName(const catalog::UniqueMonster &monster)
{
    return QString::fromLatin1(monster.name) + QStringLiteral(".jpg");
}

QString monsterPicturePath(const QString &programFolder, const catalog::UniqueMonster &monster)
{
    return platform::programFilePath(programFolder, MonsterPictureFolder, pictureFileName(monster));
}

QString locationPicturePath(const QString &programFolder, const catalog::UniqueMonster &monster)
{
    return platform::programFilePath(programFolder, LocationPictureFolder,
                                     pictureFileName(monster));
}

} // namespace pictures
