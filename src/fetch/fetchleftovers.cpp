#include "fetchleftovers.h"

#include "downloadscript.h"
#include "downloadtemporary.h"
#include "programfolder.h"
#include "progressfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fetch {

namespace {

bool isDownloadTemporary(const QString &entry)
{
    const std::string name = QFile::encodeName(entry).toStdString();
    for (const QString &progressFile : { progress::QuestsFileName, progress::UniquesFileName }) {
        if (isDownloadTemporaryOf(name, QFile::encodeName(progressFile).toStdString()))
            return true;
    }
    return false;
}

} // namespace

void clearFetchLeftovers(const QString &programFolder)
{
    const QString script = platform::programFilePath(programFolder, DownloadScriptName);
    if (QFileInfo(script).isFile())
        QFile::remove(script);
    // The client makes them as folders; a file or a link of such a name is
    // someone else's.
    const QDir folder(programFolder);
    for (const QString &entry :
         folder.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        if (isDownloadTemporary(entry))
            QDir(folder.filePath(entry)).removeRecursively();
    }
}

} // namespace fetch
