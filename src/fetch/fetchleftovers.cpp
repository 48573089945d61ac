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

// The progress file whose download folder `entry` is named as, if any.
QString downloadTemporaryOf(const QString &entry)
{
    const std::string name = QFile::encodeName(entry).toStdString();
    for (const QString &progressFile : { progress::QuestsFileName, progress::UniquesFileName }) {
        if (fetchprotocol::isDownloadTemporaryOf(name,
                                                 QFile::encodeName(progressFile).toStdString()))
            return progressFile;
    }
    return {};
}

// A folder the client made and a run killed mid-download left: its marker
// is there. Only the files the client puts there go, so the folder itself
// goes only when nothing else is in it.
void removeClientFolder(const QDir &folder, const QString &progressFile)
{
    const QString marker = QFile::decodeName(fetchprotocol::DownloadTemporaryMarker.data());
    const QFileInfo mark(folder.filePath(marker));
    if (!mark.isFile() || mark.isSymLink())
        return;
    for (const QString &name :
         { progressFile, QFile::decodeName(fetchprotocol::DownloadConversationName.data()),
           marker })
        QFile::remove(folder.filePath(name));
    folder.rmdir(folder.path());
}

} // namespace

void clearFetchLeftovers(const QString &programFolder)
{
    const QString script = platform::programFilePath(programFolder, DownloadScriptName);
    if (QFileInfo(script).isFile())
        QFile::remove(script);
    // The client makes them as folders and marks them; a file, a link or an
    // unmarked folder of such a name is someone else's.
    const QDir folder(programFolder);
    for (const QString &entry :
         folder.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        if (const QString progressFile = downloadTemporaryOf(entry); !progressFile.isEmpty())
            removeClientFolder(QDir(folder.filePath(entry)), progressFile);
    }
}

} // namespace fetch
