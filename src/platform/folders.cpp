#include "folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

namespace {

// The launcher of earlier packages marked the folders it made with this file.
constexpr QLatin1StringView LauncherMark(".huntmark-package");

// The shared system trees are read-only at run time, also for root, who could
// write there: state written into them would outlive the package that owns them.
bool isSharedSystemFolder(const QString &folder)
{
    const QString path = QFileInfo(folder).canonicalFilePath();
    for (const QLatin1StringView tree :
         { QLatin1StringView("/usr/"), QLatin1StringView("/opt/") }) {
        if (path.startsWith(tree))
            return true;
    }
    return false;
}

bool holdsUserState(const QString &programFolder)
{
    const QFileInfo folder(programFolder);
    return folder.isDir() && folder.isWritable() && !isSharedSystemFolder(programFolder);
}

// The user's data home, $XDG_DATA_HOME or ~/.local/share; empty, with the
// reason in `problem`, when the user has no home folder to hold it.
QString dataHome(QString *problem)
{
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME")) {
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty()) {
            *problem = QStringLiteral("HOME is not set, so there is no home folder to keep "
                                      "your settings and progress files in.");
            return {};
        }
        if (!QFileInfo(home).isDir()) {
            *problem = QStringLiteral("your home folder %1 does not exist, so there is no place "
                                      "for your settings and progress files.")
                               .arg(home);
            return {};
        }
    }
    const QString location = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (location.isEmpty() || QDir::isRelativePath(location)) {
        *problem = QStringLiteral("there is no data folder for your settings and progress files.");
        return {};
    }
    return location;
}

} // namespace

Folders decideFolders(const QString &programFolder)
{
    Folders folders;
    folders.program = programFolder;
    if (holdsUserState(programFolder)) {
        folders.data = programFolder;
        return folders;
    }
    const QString home = dataHome(&folders.problem);
    if (home.isEmpty())
        return folders;
    const QString data = home + QLatin1Char('/') + DataFolderName;
    if (!QDir().mkpath(data) || !QFileInfo(data).isWritable()) {
        folders.problem = QStringLiteral("cannot make or write your data folder %1.").arg(data);
        return folders;
    }
    tidyLauncherLeftovers(data);
    folders.data = data;
    return folders;
}

void tidyLauncherLeftovers(const QString &dataFolder)
{
    const QDir folder(dataFolder);
    if (!QFileInfo::exists(folder.filePath(LauncherMark)))
        return;
    // Only links lead into the package; a real file or folder of such a name
    // (pictures of the user's own, say) is the user's.
    for (const char *piece : { "huntmark-batch", "ncftpget.exe", "Monsters", "Locations" }) {
        const QString path = folder.filePath(QLatin1String(piece));
        if (QFileInfo(path).isSymLink())
            QFile::remove(path);
    }
    const QFileInfo copy(folder.filePath(QStringLiteral("huntmark-viewer")));
    if (copy.isFile() || copy.isSymLink())
        QFile::remove(copy.filePath());
    // The mark goes last: a start that ends half way tidies again next time.
    QFile::remove(folder.filePath(LauncherMark));
}

} // namespace platform
