#include "processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

QByteArray procFile(pid_t pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<pid_t> allPids()
{
    QList<pid_t> pids;
    for (const QString &entry :
         QDir(QStringLiteral("/proc")).entryList({ QStringLiteral("[0-9]*") }, QDir::Dirs)) {
        bool isPid = false;
        const pid_t pid = pid_t(entry.toInt(&isPid));
        if (isPid)
            pids.append(pid);
    }
    return pids;
}

} // namespace

QList<ProcessEntry> runningProcesses()
{
    QList<ProcessEntry> processes;
    for (const pid_t pid : allPids()) {
        // "pid (name) state parent ...", the name possibly holding anything.
        const QByteArray stat = procFile(pid, "stat");
        const qsizetype open = stat.indexOf('(');
        const qsizetype close = stat.lastIndexOf(')');
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (open < 0 || close < open || fields.size() < 2 || fields[0].isEmpty())
            continue; // gone meanwhile
        processes.append({ pid, pid_t(fields[1].toInt()), stat.mid(open + 1, close - open - 1),
                           fields[0][0] });
    }
    return processes;
}

QList<ProcessEntry> descendantsOf(pid_t root)
{
    const QList<ProcessEntry> all = runningProcesses();
    QList<ProcessEntry> found;
    QList<pid_t> parents { root };
    while (!parents.isEmpty()) {
        const pid_t parent = parents.takeFirst();
        for (const ProcessEntry &process : all) {
            if (process.parent == parent) {
                found.append(process);
                parents.append(process.pid);
            }
        }
    }
    return found;
}

QList<pid_t> processesWorkingIn(const QString &folder)
{
    const QString wanted = QFileInfo(folder).canonicalFilePath();
    QList<pid_t> found;
    if (wanted.isEmpty())
        return found;
    for (const pid_t pid : allPids()) {
        // Gone meanwhile, or not ours to look at, reads as no target.
        if (pid != ::getpid()
            && QFile::symLinkTarget(QStringLiteral("/proc/%1/cwd").arg(pid)) == wanted)
            found.append(pid);
    }
    return found;
}

void killProcesses(const QList<pid_t> &pids)
{
    for (pid_t pid : pids)
        ::kill(pid, SIGKILL);
}

QByteArray commandLineOf(pid_t pid)
{
    return procFile(pid, "cmdline").replace('\0', ' ');
}

QString executableOf(pid_t pid)
{
    return QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
}

qint64 statusFigure(const char *field, pid_t pid)
{
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : procFile(pid == 0 ? ::getpid() : pid, "status").split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

int openFileCount(pid_t pid)
{
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid == 0 ? ::getpid() : pid))
                       .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                       .size());
}

QStringList loadedImagePlugins()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    const QByteArrayView folder = "/imageformats/";
    QStringList plugins;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype at = line.indexOf(folder);
        if (at < 0)
            continue;
        const QString name = QString::fromLocal8Bit(line.mid(at + folder.size()));
        if (!plugins.contains(name))
            plugins.append(name);
    }
    plugins.sort();
    return plugins;
}

void endWithThisProcess(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}
