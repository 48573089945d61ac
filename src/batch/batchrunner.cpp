#include "batchrunner.h"

#include "batchscript.h"
#include "childend.h"
#include "clientcommandline.h"
#include "exitstatus.h"
#include "memoryfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

namespace batch {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

std::optional<QByteArray> readScript(const QString &scriptPath)
{
    QFile file(scriptPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte more than allowed tells an oversized file from one exactly at
    // the limit, also for files whose size is not known in advance.
    const QByteArray script = file.read(MaxBatchScriptSize + 1);
    const bool failed = file.error() != QFileDevice::NoError || script.size() > MaxBatchScriptSize;
    file.close();
    if (failed)
        return std::nullopt;
    return script;
}

// A helper that dies, even by SIGKILL, which it cannot pass on, takes the
// program it runs with it: the program is asked to end as when the viewer
// stops a fetch, and so removes its temporary download. (Systems without a
// parent-death signal leave it to the program's own time limits.)
void endWithThisHelper([[maybe_unused]] QProcess &process)
{
#ifdef Q_OS_LINUX
    // Died between the start and the child's request: nobody would tell.
    // (The helper's own signal handlers are still in place, so no signal
    // would do; the child ends by itself.)
    process.setChildProcessModifier([helper = int(QCoreApplication::applicationPid())] {
        processes::endWithParent(helper, SIGTERM, fetchprotocol::exitStatusKilledBy(SIGTERM));
    });
#endif
}

// The program is started directly with its argument list: no shell ever sees
// the line, so quotes, semicolons and the like reach the program as written.
// Nobody watches the output, and a program that asks for input must not wait
// for an answer that never comes. Returns the program's exit status.
int runAndWait(const QString &program, const QStringList &arguments, const QString &workingDir,
               BatchReport report)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDir);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    endWithThisHelper(process);
    if (report == BatchReport::Outcome)
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    else
        process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(-1))
        return fetchprotocol::ExitNotFound;
    process.waitForFinished(-1);
    return fetchprotocol::exitStatusFromExit(process.exitStatus() == QProcess::CrashExit,
                                             process.exitCode());
}

void complain(BatchReport report, const QByteArray &text)
{
    if (report == BatchReport::Outcome)
        std::fputs(QByteArray("huntmark-batch: " + text + "\n").constData(), stderr);
}

bool isDownloadClient(const QString &program)
{
    return program.compare(u"ncftpget.exe", Qt::CaseInsensitive) == 0
            || program.compare(u"ncftpget", Qt::CaseInsensitive) == 0;
}

// A download client's arguments with the account and password taken off
// the command line, where every local user would read them, into a login
// file that exists only in memory and that the client inherits. Owns the
// file until it goes.
class HiddenLogin
{
public:
    explicit HiddenLogin(const QStringList &arguments) : m_arguments(arguments)
    {
        std::vector<std::string> words;
        for (const QString &argument : arguments)
            words.push_back(argument.toStdString());
        fetchprotocol::CommandLine line = fetchprotocol::parseCommandLine(words);
        if (!fetchprotocol::holdsPassword(line))
            return;
        m_hidden = true;
        const std::string login = fetchprotocol::takeLogin(line);
        if (!login.empty()) {
            m_file = std::make_unique<processes::MemoryFile>(
                    "huntmark-login", login, processes::MemoryFile::Inherited::ByEveryChild);
            if (!m_file->valid())
                return;
            fetchprotocol::useLoginFile(line, m_file->path());
        }
        m_arguments.clear();
        for (const std::string &word : fetchprotocol::formatCommandLine(line))
            m_arguments.append(QString::fromStdString(word));
        m_ready = true;
    }
    Q_DISABLE_COPY_MOVE(HiddenLogin)

    // False when the password could not be hidden: the line is not run.
    bool ready() const { return !m_hidden || m_ready; }
    const QStringList &arguments() const { return m_arguments; }

private:
    QStringList m_arguments;
    std::unique_ptr<processes::MemoryFile> m_file;
    bool m_hidden = false;
    bool m_ready = false;
};

// A script's closing "del" names the script itself, though not always in
// the case its file has: the viewer's says "QV_data.bat" of its
// "QV_Data.bat". Where names differ by case, that name may be another file
// of its own (a user's), which must stay; the script is what is meant, as
// on the file systems the command interpreter runs on.
void deleteFile(const QString &name, const QString &scriptPath, const QString &workingDir)
{
    if (name.compare(QFileInfo(scriptPath).fileName(), Qt::CaseInsensitive) == 0)
        QFile::remove(scriptPath);
    else
        deleteMatchingFile(workingDir, name);
}

// Returns the status of an external program, 0 for the built-in commands.
int runCommand(const BatchCommand &command, const QString &scriptPath, const QString &workingDir,
               const QString &searchPath, BatchReport report)
{
    switch (command.kind) {
    case BatchCommand::Delete:
        for (const QString &name : command.arguments)
            deleteFile(name, scriptPath, workingDir);
        return 0;
    case BatchCommand::External: {
        // An unknown program is passed over, as the command interpreter goes
        // on after "is not recognized"; so is a program that failed.
        const QString program = findBatchProgram(command.program, workingDir, searchPath);
        if (program.isEmpty())
            return fetchprotocol::ExitNotFound;
        if (!isDownloadClient(command.program))
            return runAndWait(program, command.arguments, workingDir, report);
        const HiddenLogin login(command.arguments);
        if (!login.ready()) {
            complain(report, "no login file could be made for " + command.program.toUtf8());
            return fetchprotocol::ExitNotRun;
        }
        return runAndWait(program, login.arguments(), workingDir, report);
    }
    case BatchCommand::Refused:
        return fetchprotocol::ExitNotRun;
    case BatchCommand::Nothing:
    case BatchCommand::EchoSetting:
    case BatchCommand::Exit:
        return 0;
    }
    return 0;
}

} // namespace

int runBatchScript(const QString &scriptPath, BatchReport report)
{
    const std::optional<QByteArray> script = readScript(scriptPath);
    if (!script)
        return 1;

    const QString workingDir = QDir::currentPath();
    // The command interpreter looks in the working folder and then along its
    // search path; the helper looks beside itself in between. An installed
    // viewer runs its script in the user's data folder, while the download
    // client came with the helper.
    const QString searchPath = QCoreApplication::applicationDirPath() + QDir::listSeparator()
            + qEnvironmentVariable("PATH");
    int lastFailure = 0;
    int number = 0;
    for (const QString &line : splitBatchLines(*script)) {
        ++number;
        const BatchCommand command = parseBatchLine(line);
        if (command.kind == BatchCommand::Exit || stopRequested)
            break;
        // What the command interpreter would have done with such a line is
        // not what it says; nothing of it runs, and the script has failed.
        if (command.kind == BatchCommand::Refused)
            complain(report, "line " + QByteArray::number(number) + " of the script was not run");
        if (const int status = runCommand(command, scriptPath, workingDir, searchPath, report);
            status != 0)
            lastFailure = status;
    }
    return report == BatchReport::Outcome ? lastFailure : 0;
}

void requestBatchStop()
{
    stopRequested = 1;
}

} // namespace batch
