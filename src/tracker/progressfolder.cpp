#include "progressfolder.h"

#include "filechanges.h"
#include "flagfile.h"
#include "folderlock.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using progresstool::CommitResult;
using progresstool::FileChange;
using progresstool::FlagLoad;
using progresstool::FolderLock;

namespace {

constexpr progresstool::Kind BothKinds[] = { progresstool::Kind::Unique,
                                             progresstool::Kind::Quest };

// Changes by others come as a rename, a new lock file and a removed one in
// quick succession: they are read once they have settled.
constexpr int SettleMs = 40;

} // namespace

struct ProgressFolder::Loaded
{
    std::map<Kind, FlagLoad> loads;
    QString problem;
};

ProgressFolder::ProgressFolder(QObject *parent) : QObject(parent)
{
    for (Kind kind : BothKinds)
        m_flags[kind] = QByteArray(progresstool::flagCount(kind), '0');
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &ProgressFolder::reload);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle,
            qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
}

QString ProgressFolder::filePath(Kind kind) const
{
    return QDir(m_path).filePath(progresstool::flagFileName(kind));
}

void ProgressFolder::open(const QString &folder)
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_path = folder;
    QDir().mkpath(folder);
    m_watcher.addPath(folder);
    if (startRecord())
        reload();
}

bool ProgressFolder::isDone(const Entry &entry) const
{
    const QByteArray &flags = m_flags.at(entry.kind);
    return entry.position <= flags.size() && flags[entry.position - 1] == '1';
}

int ProgressFolder::doneCount(Kind kind) const
{
    return int(m_flags.at(kind).count('1'));
}

ProgressFolder::Loaded ProgressFolder::load() const
{
    Loaded loaded;
    for (Kind kind : BothKinds) {
        FlagLoad file = progresstool::loadFlags(filePath(kind), kind);
        const QString name = progresstool::flagFileName(kind);
        if (loaded.problem.isEmpty()) {
            if (file.status == FlagLoad::Status::Damaged)
                loaded.problem = QStringLiteral("%1 is damaged and is left as it is: %2")
                                         .arg(name, file.problem);
            else if (file.status == FlagLoad::Status::Unreadable)
                loaded.problem = QStringLiteral("%1 cannot be read: %2").arg(name, file.problem);
            else if (file.status == FlagLoad::Status::Missing)
                loaded.problem = QStringLiteral("%1 is missing").arg(name);
        }
        loaded.loads.emplace(kind, std::move(file));
    }
    if (loaded.problem.isEmpty() && !QFileInfo(m_path).isWritable())
        loaded.problem = QStringLiteral("the folder %1 is not writable for you: marks cannot be "
                                        "saved there")
                                 .arg(QDir::toNativeSeparators(m_path));
    return loaded;
}

// Makes whichever file is missing, all "not done", under the lock. A folder
// that holds both is left alone without taking the lock.
bool ProgressFolder::startRecord()
{
    const auto missing = [this](Kind kind) {
        const QFileInfo info(filePath(kind));
        return !info.exists() && !info.isSymLink();
    };
    if (std::none_of(std::begin(BothKinds), std::end(BothKinds), missing))
        return true;
    FolderLock lock(m_path);
    if (lock.acquire(LockWaitMs) != FolderLock::Result::Locked)
        return true; // read what is there; the problem shows
    QList<FileChange> changes;
    for (Kind kind : BothKinds) {
        if (!missing(kind))
            continue;
        const QByteArray flags(progresstool::flagCount(kind), '0');
        changes.append(
                { filePath(kind), progresstool::flagFileName(kind), flags + "\r\n", std::nullopt });
    }
    if (!changes.isEmpty())
        progresstool::commitChanges(changes);
    return true;
}

void ProgressFolder::reload()
{
    take(load());
}

void ProgressFolder::take(const Loaded &loaded)
{
    bool differs = loaded.problem != m_problem;
    m_problem = loaded.problem;
    for (Kind kind : BothKinds) {
        const FlagLoad &file = loaded.loads.at(kind);
        // A file that cannot be read says nothing: what was shown stays.
        if (file.status != FlagLoad::Status::Read)
            continue;
        if (file.flags != m_flags[kind]) {
            m_flags[kind] = file.flags;
            differs = true;
        }
    }
    watchFiles();
    if (differs)
        Q_EMIT changed();
}

// A file replaced by a rename is a new file: its watch is set again.
void ProgressFolder::watchFiles()
{
    for (Kind kind : BothKinds) {
        const QString path = filePath(kind);
        if (!m_watcher.files().contains(path) && QFileInfo::exists(path))
            m_watcher.addPath(path);
    }
}

bool ProgressFolder::setDone(const QList<Entry> &entries, bool done, QString *error)
{
    FolderLock lock(m_path);
    switch (lock.acquire(LockWaitMs)) {
    case FolderLock::Result::Locked:
        break;
    case FolderLock::Result::Busy:
        *error = QStringLiteral("%1 is still working on the progress files; try again")
                         .arg(lock.holder());
        return false;
    case FolderLock::Result::Impossible:
    case FolderLock::Result::NotAFile:
    case FolderLock::Result::Interrupted:
        *error = QStringLiteral("cannot lock the progress files in %1: %2")
                         .arg(QDir::toNativeSeparators(m_path), lock.problem());
        reload();
        return false;
    }
    // Read afresh under the lock: what another program wrote since our last
    // look stays, and only these flags change.
    const Loaded loaded = load();
    if (!loaded.problem.isEmpty()) {
        *error = loaded.problem;
        take(loaded);
        return false;
    }
    std::map<Kind, QByteArray> flags;
    for (Kind kind : BothKinds)
        flags[kind] = loaded.loads.at(kind).flags;
    for (const Entry &entry : entries)
        flags[entry.kind][entry.position - 1] = done ? '1' : '0';
    QList<FileChange> changes;
    for (Kind kind : BothKinds) {
        const FlagLoad &file = loaded.loads.at(kind);
        if (flags[kind] != file.flags)
            changes.append({ filePath(kind), progresstool::flagFileName(kind),
                             file.fileWith(flags[kind]), file.bytes });
    }
    if (const CommitResult result = progresstool::commitChanges(changes); !result.committed) {
        *error = QStringLiteral("cannot write %1: %2").arg(result.failedName, result.problem);
        return false;
    }
    Loaded written = loaded;
    for (Kind kind : BothKinds)
        written.loads[kind].flags = flags[kind];
    take(written);
    return true;
}
