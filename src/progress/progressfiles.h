#pragma once

#include <QString>

namespace progress {

// The two files the followed player publishes and the viewer downloads into
// its program folder: one flag per unique monster, one per quest.
inline const QString UniquesFileName = QStringLiteral("UniquesDefeated.txt");
inline const QString QuestsFileName = QStringLiteral("QuestsCleared.txt");

} // namespace progress
