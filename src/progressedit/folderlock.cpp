#include "folderlock.h"

#include "interruption.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace progresstool {

namespace {

constexpr int RetryMs = 20;

} // namespace

FolderLock::FolderLock(const QString &folder)
    : m_path(QDir(folder).filePath(FileName)), m_lock(m_path)
{
    // A publish may hold it for as long as its uploads take: only a holder
    // that is gone makes the lock stale, never its age.
    m_lock.setStaleLockTime(0);
}

FolderLock::Result FolderLock::acquire(int waitMs)
{
    // A folder or a link in its place never clears by itself: waiting for
    // it would only make every run give up later.
    const QFileInfo info(m_path);
    m_notAFile = info.isSymLink() || (info.exists() && !info.isFile());
    if (m_notAFile)
        return Result::NotAFile;
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (m_lock.tryLock(0))
            return Result::Locked;
        if (m_lock.error() != QLockFile::LockFailedError)
            return Result::Impossible;
        if (interruptingSignal() != 0)
            return Result::Interrupted;
        if (deadline.hasExpired())
            return Result::Busy;
        QThread::msleep(RetryMs);
    }
}

QString FolderLock::holder() const
{
    qint64 pid = 0;
    QString hostName;
    QString application;
    if (!m_lock.getLockInfo(&pid, &hostName, &application))
        return QStringLiteral("another run");
    return QStringLiteral("process %1").arg(pid);
}

QString FolderLock::problem() const
{
    if (m_notAFile)
        return QStringLiteral("%1 is not a lock file (a folder or a link stands there); remove "
                              "it and try again")
                .arg(m_path);
    return m_lock.error() == QLockFile::PermissionError
            ? QStringLiteral("permission denied")
            : QStringLiteral("the lock file cannot be made");
}

} // namespace progresstool
