#include "platform/scriptlauncher.h"

#include <QCoreApplication>
#include <QProcess>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace platform {

namespace {

QString &helperPathOverride()
{
    static QString path;
    return path;
}

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

bool startScriptHidden(const QString &scriptPath, const QString &workingFolder)
{
    QProcess process;
#ifdef Q_OS_WIN
    process.setProgram(QStringLiteral("cmd.exe"));
    process.setArguments({QStringLiteral("/c"), scriptPath});
    process.setCreateProcessArgumentsModifier(
            [](QProcess::CreateProcessArguments *args) { args->flags |= CREATE_NO_WINDOW; });
#else
    process.setProgram(scriptHelperPath());
    process.setArguments({scriptPath});
#endif
    process.setWorkingDirectory(workingFolder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    // Detached: the helper is re-parented away from the viewer, so it never
    // lingers as a zombie, and it outlives a viewer that exits meanwhile.
    return process.startDetached();
}

} // namespace platform
