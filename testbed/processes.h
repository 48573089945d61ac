#pragma once

// What tests and benchmarks read about processes from /proc.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <sys/types.h>

struct ProcessEntry
{
    pid_t pid = 0;
    pid_t parent = 0;
    QByteArray name; // as the kernel shortens it, at most 15 bytes
    char state = '?'; // 'Z' for one that ended and was not yet waited for
};

// Every process this user can see, this one included.
QList<ProcessEntry> runningProcesses();
// The processes below `root`, children before grandchildren.
QList<ProcessEntry> descendantsOf(pid_t root);

// The processes other than this one whose working directory is `folder`:
// the script helper and whatever it started there. Tests make a fresh folder
// for each case, so every process found is one the test itself caused.
QList<pid_t> processesWorkingIn(const QString &folder);
void killProcesses(const QList<pid_t> &pids);

// What every local user reads as a process's command line, its words joined
// by spaces; empty once the process is gone.
QByteArray commandLineOf(pid_t pid);
QString executableOf(pid_t pid);

// The number a field of a process's status gives ("VmRSS" its resident
// memory in KiB, "Threads"), of this process for 0; -1 when unknown.
qint64 statusFigure(const char *field, pid_t pid = 0);
inline qint64 residentKiB(pid_t pid = 0)
{
    return statusFigure("VmRSS", pid);
}
// The files a process holds open, this one for 0.
int openFileCount(pid_t pid = 0);
// The toolkit's image plugins this process has loaded so far, by file name
// ("libqjpeg.so"), sorted.
QStringList loadedImagePlugins();

// Makes a server or writer the caller starts end with the caller, even when
// that is killed (a time limit, a crash) and cannot stop it.
void endWithThisProcess(QProcess &process);
