#include "filechanges.h"

#include "files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#ifdef Q_OS_WIN
#  include <io.h>
#else
#  include <unistd.h>
#endif

namespace progresstool {

namespace {

constexpr auto NewFilePermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner
        | QFileDevice::ReadGroup | QFileDevice::ReadOther;

// The new bytes reach the disk before the rename that makes them the file,
// so a power cut leaves the old file or the new one.
bool syncToDisk(const QFileDevice &file)
{
#ifdef Q_OS_WIN
    return ::_commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// A file without its owner's write permission was made read-only on
// purpose; that holds for an administrator too, whom the system would let
// replace it.
QString whyNotWritable(const FileChange &change)
{
    const QFileInfo info(change.path);
    if (!change.before || !info.exists())
        return QString();
    if (!info.permission(QFileDevice::WriteOwner) || !info.isWritable())
        return QStringLiteral("it is read-only");
    return QString();
}

std::unique_ptr<QTemporaryFile> writeBeside(const FileChange &change, QString *problem)
{
    const QFileInfo info(change.path);
    auto file = std::make_unique<QTemporaryFile>(
            info.dir().filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".XXXXXX")));
    const bool written = file->open() && file->write(change.bytes) == change.bytes.size()
            && file->flush() && syncToDisk(*file)
            && file->setPermissions(change.before ? info.permissions() : NewFilePermissions);
    if (!written) {
        *problem = file->errorString();
        return nullptr;
    }
    file->close();
    return file;
}

// Undoes the renames of the files before the failed one; says what could
// not be undone.
QString putBack(const QList<FileChange> &changes, qsizetype done)
{
    QStringList restoredNames;
    QStringList notRestored;
    for (qsizetype k = 0; k < done; ++k) {
        const FileChange &change = changes[k];
        const bool restored = change.before
                ? platform::replaceFileAtomically(change.path, *change.before)
                : QFile::remove(change.path);
        (restored ? restoredNames : notRestored).append(change.shownName);
    }
    if (!notRestored.isEmpty())
        return QStringLiteral("; %1 changed and could not be put back")
                .arg(notRestored.join(QStringLiteral(", ")));
    return done > 0 ? QStringLiteral("; %1 put back as it was")
                              .arg(restoredNames.join(QStringLiteral(", ")))
                    : QStringLiteral("; no file was changed");
}

} // namespace

CommitResult commitChanges(const QList<FileChange> &changes)
{
    const QString unchanged = changes.size() > 1 ? QStringLiteral("; neither file was changed")
                                                 : QStringLiteral("; the file was not changed");
    for (const FileChange &change : changes) {
        if (const QString problem = whyNotWritable(change); !problem.isEmpty())
            return { false, change.shownName, problem + unchanged };
    }
    std::vector<std::unique_ptr<QTemporaryFile>> written;
    for (const FileChange &change : changes) {
        QString problem;
        written.push_back(writeBeside(change, &problem));
        if (!written.back())
            return { false, change.shownName, problem + unchanged };
    }
    for (qsizetype k = 0; k < changes.size(); ++k) {
        QTemporaryFile &file = *written[size_t(k)];
        if (std::rename(QFile::encodeName(file.fileName()).constData(),
                        QFile::encodeName(changes[k].path).constData())
            != 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            return { false, changes[k].shownName, reason + putBack(changes, k) };
        }
        file.setAutoRemove(false);
    }
    return { true, QString(), QString() };
}

} // namespace progresstool
