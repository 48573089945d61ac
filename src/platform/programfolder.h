#pragma once

#include <QString>

namespace platform {

// The separator the program's own paths are formed with. The program was
// born on Windows, where every file lies at "folder\name"; elsewhere the
// native separator takes its place.
#ifdef Q_OS_WIN
inline constexpr QLatin1Char PathSeparator('\\');
#else
inline constexpr QLatin1Char PathSeparator('/');
#endif

// A file in the program's folder: the folder as the platform reported it, a
// separator, then the name. Nothing is normalised or resolved.
inline QString programFilePath(const QString &programFolder, const QString &name)
{
    return programFolder + PathSeparator + name;
}

// A file in a sub-folder of the program's folder, such as a picture.
inline QString programFilePath(const QString &programFolder, const QString &subFolder,
                               const QString &name)
{
    return programFolder + PathSeparator + subFolder + PathSeparator + name;
}

} // namespace platform
