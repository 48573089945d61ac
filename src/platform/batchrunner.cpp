#include "platform/batchrunner.h"

#include "platform/batchscript.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <optional>

namespace platform {

namespace {

constexpr int NotFoundStatus = 127;

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
    if (report == BatchReport::Outcome)
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    else
        process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(-1))
        return NotFoundStatus;
    process.waitForFinished(-1);
    // Qt gives the signal's number as the exit code of a killed program.
    if (process.exitStatus() == QProcess::CrashExit)
        return 128 + process.exitCode();
    return process.exitCode();
}

// Returns the status of an external program, 0 for the built-in commands.
int runCommand(const BatchCommand &command, const QString &workingDir, const QString &searchPath,
               BatchReport report)
{
    switch (command.kind) {
    case BatchCommand::Delete:
        for (const QString &name : command.arguments)
            deleteMatchingFile(workingDir, name);
        return 0;
    case BatchCommand::External: {
        // An unknown program is passed over, as the command interpreter goes
        // on after "is not recognized"; so is a program that failed.
        const QString program = findBatchProgram(command.program, workingDir, searchPath);
        if (program.isEmpty())
            return NotFoundStatus;
        return runAndWait(program, command.arguments, workingDir, report);
    }
    case BatchCommand::Nothing:
    case BatchCommand::EchoSetting:
    case BatchCommand::Exit:
    case BatchCommand::Refused:
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
    const QString searchPath = qEnvironmentVariable("PATH");
    int lastFailure = 0;
    for (const QString &line : splitBatchLines(*script)) {
        const BatchCommand command = parseBatchLine(line);
        if (command.kind == BatchCommand::Exit || stopRequested)
            break;
        if (const int status = runCommand(command, workingDir, searchPath, report); status != 0)
            lastFailure = status;
    }
    return report == BatchReport::Outcome ? lastFailure : 0;
}

void requestBatchStop()
{
    stopRequested = 1;
}

} // namespace platform
