#pragma once

#include <QLockFile>
#include <QString>

// Runs of the tool on the same folder take turns: each holds a lock file in
// the folder from its first read to its last write, so two marks at once
// both land and a publish never sends a file that a mark is replacing. A
// lock left by a run that was killed is taken over.
namespace progresstool {

class FolderLock
{
public:
    static inline const QString FileName = QStringLiteral(".huntmark-progress.lock");

    explicit FolderLock(const QString &folder);

    enum class Result {
        Locked,
        Busy, // another run held it all the time
        Impossible, // no lock file can be made there; see problem()
        NotAFile, // something else stands at the lock's path (a folder, a link); see problem()
        Interrupted // a signal came while waiting
    };
    Result acquire(int waitMs);

    // Who holds it, as "process 1234", for the message when it stays busy.
    QString holder() const;
    QString problem() const;

private:
    QString m_path;
    QLockFile m_lock;
    bool m_notAFile = false;
};

} // namespace progresstool
