#include "platform/batchrunner.h"

#include "platform/batchscript.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <optional>

namespace platform {

namespace {

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
// for an answer that never comes.
void runAndWait(const QString &program, const QStringList &arguments, const QString &workingDir)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDir);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    process.waitForFinished(-1);
}

void runCommand(const BatchCommand &command, const QString &workingDir, const QString &searchPath)
{
    switch (command.kind) {
    case BatchCommand::Delete:
        for (const QString &name : command.arguments)
            deleteMatchingFile(workingDir, name);
        break;
    case BatchCommand::External: {
        // An unknown program is passed over, as the command interpreter goes
        // on after "is not recognized"; so is the exit status of a known one.
        const QString program = findBatchProgram(command.program, workingDir, searchPath);
        if (!program.isEmpty())
            runAndWait(program, command.arguments, workingDir);
        break;
    }
    case BatchCommand::Nothing:
    case BatchCommand::EchoSetting:
    case BatchCommand::Exit:
    case BatchCommand::Refused:
        break;
    }
}

} // namespace

int runBatchScript(const QString &scriptPath)
{
    const std::optional<QByteArray> script = readScript(scriptPath);
    if (!script)
        return 1;

    const QString workingDir = QDir::currentPath();
    const QString searchPath = qEnvironmentVariable("PATH");
    for (const QString &line : splitBatchLines(*script)) {
        const BatchCommand command = parseBatchLine(line);
        if (command.kind == BatchCommand::Exit)
            break;
        runCommand(command, workingDir, searchPath);
    }
    return 0;
}

} // namespace platform
