#include "hiddenscripts.h"

#include "exitstatus.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>

#ifdef Q_OS_WIN
#  include <qt_windows.h>
#else
#  include <csignal>
#  include <sys/prctl.h>
#  include <unistd.h>
#endif

namespace fetch {

namespace {

QString &helperPathOverride()
{
    static QString path;
    return path;
}

// Enough for the client's few lines of complaint about each download.
constexpr qsizetype MessageLimit = 4096;
// A script asked to stop gets this long to end on its own, so its programs
// can remove their temporary files; then it is killed.
constexpr int StopGraceMs = 700;
constexpr int KillWaitMs = 300;

#ifndef Q_OS_WIN
// Signals a run's whole process group. A group id that is not a real one
// (0 would be the viewer's own group, -1 every process there is) is never
// signalled.
void signalGroup(qint64 groupId, int signal)
{
    if (groupId > 1)
        ::kill(-pid_t(groupId), signal);
}
#endif

#ifdef Q_OS_WIN
// The interpreter is started detached and tells nothing; whether a script
// still runs is told by its file, which the script deletes last thing.
constexpr int ScriptFilePollMs = 250;
#endif

} // namespace

QString scriptHelperPath()
{
    if (!helperPathOverride().isEmpty())
        return helperPathOverride();
    return QCoreApplication::applicationDirPath() + QStringLiteral("/huntmark-batch");
}

void setScriptHelperPath(const QString &path)
{
    helperPathOverride() = path;
}

HiddenScripts::HiddenScripts(QObject *parent) : QObject(parent) { }

HiddenScripts::~HiddenScripts()
{
    stopAll();
}

bool HiddenScripts::isRunning() const
{
    return !m_runs.isEmpty();
}

#ifdef Q_OS_WIN

bool HiddenScripts::start(const QString &scriptPath, const QString &workingFolder, int)
{
    QProcess process;
    process.setProgram(QStringLiteral("cmd.exe"));
    process.setArguments({ QStringLiteral("/c"), scriptPath });
    process.setCreateProcessArgumentsModifier(
            [](QProcess::CreateProcessArguments *args) { args->flags |= CREATE_NO_WINDOW; });
    process.setWorkingDirectory(workingFolder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        return false;
    m_runs.append({ scriptPath, nullptr, 0, {}, false });
    if (!m_poll) {
        m_poll = new QTimer(this);
        m_poll->setInterval(ScriptFilePollMs);
        connect(m_poll, &QTimer::timeout, this, &HiddenScripts::watchScriptFiles);
    }
    m_poll->start();
    return true;
}

void HiddenScripts::watchScriptFiles()
{
    m_runs.removeIf([](const Run &run) { return !QFile::exists(run.scriptPath); });
    if (m_runs.isEmpty()) {
        m_poll->stop();
        Q_EMIT allEnded(ScriptOutcome {});
    }
}

// The interpreter reads a script line by line as it goes, so a script
// without its file runs no further line; the download running now ends on
// its own.
void HiddenScripts::stopAll()
{
    for (const Run &run : std::as_const(m_runs))
        QFile::remove(run.scriptPath);
    m_runs.clear();
    if (m_poll)
        m_poll->stop();
}

void HiddenScripts::onMessages(QProcess *) { }
void HiddenScripts::onFinished(QProcess *) { }
void HiddenScripts::endOverdue(QProcess *) { }

#else

bool HiddenScripts::start(const QString &scriptPath, const QString &workingFolder, int deadlineMs)
{
    auto *process = new QProcess(this);
    process->setProgram(scriptHelperPath());
    process->setArguments({ QStringLiteral("--report"), scriptPath });
    process->setWorkingDirectory(workingFolder);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setReadChannel(QProcess::StandardError);
    // A group of its own, so that everything the script starts can be ended
    // at once; and should the viewer die, the helper is told to end.
    process->setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    connect(process, &QProcess::readyReadStandardError, this,
            [this, process] { onMessages(process); });
    connect(process, &QProcess::finished, this, [this, process] { onFinished(process); });
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    m_runs.append({ scriptPath, process, process->processId(), {}, false });
    if (deadlineMs >= 0)
        QTimer::singleShot(deadlineMs, process, [this, process] { endOverdue(process); });
    return true;
}

// Ends the run without waiting: its end arrives as any other.
void HiddenScripts::endOverdue(QProcess *process)
{
    for (Run &run : m_runs) {
        if (run.process != process)
            continue;
        run.messages += "huntmark: the fetch did not end in time and was stopped\n";
        run.stopped = true;
        signalGroup(run.pid, SIGTERM);
        QTimer::singleShot(StopGraceMs, process, [pid = run.pid] { signalGroup(pid, SIGKILL); });
    }
}

void HiddenScripts::onMessages(QProcess *process)
{
    for (Run &run : m_runs) {
        if (run.process == process)
            run.messages =
                    QByteArray(run.messages + process->readAllStandardError()).right(MessageLimit);
    }
}

void HiddenScripts::onFinished(QProcess *process)
{
    onMessages(process);
    ScriptOutcome outcome;
    outcome.known = true;
    outcome.status = fetchprotocol::exitStatusFromExit(
            process->exitStatus() != QProcess::NormalExit, process->exitCode());
    for (const Run &run : std::as_const(m_runs)) {
        if (run.process == process)
            outcome.messages = run.messages;
    }
    // A script that ran to its end has deleted itself; one that was stopped,
    // or whose helper was killed, has not, and it holds the password.
    const bool crashed = process->exitStatus() != QProcess::NormalExit;
    for (const Run &run : std::as_const(m_runs)) {
        if (run.process == process && (run.stopped || crashed))
            QFile::remove(run.scriptPath);
    }
    m_runs.removeIf([process](const Run &run) { return run.process == process; });
    process->deleteLater();
    if (m_runs.isEmpty())
        Q_EMIT allEnded(outcome);
}

void HiddenScripts::stopAll()
{
    if (m_runs.isEmpty())
        return;
    const QList<Run> runs = std::exchange(m_runs, {});
    for (const Run &run : runs) {
        disconnect(run.process, nullptr, this, nullptr);
        signalGroup(run.pid, SIGTERM);
    }
    const QDeadlineTimer grace(StopGraceMs);
    for (const Run &run : runs)
        run.process->waitForFinished(int(grace.remainingTime()));
    // Whatever did not end in time, and anything a helper that did end left
    // behind in its group, is killed.
    for (const Run &run : runs) {
        signalGroup(run.pid, SIGKILL);
        run.process->waitForFinished(KillWaitMs);
        QFile::remove(run.scriptPath);
        delete run.process;
    }
}

void HiddenScripts::watchScriptFiles() { }

#endif

} // namespace fetch
