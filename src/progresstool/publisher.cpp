#include "progresstool/publisher.h"

#include "progress/downloadscript.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryFile>

namespace progresstool {

namespace {

// The client gives up on a silent server after this many seconds; the tool
// waits a little longer for it to say so.
constexpr int ClientTimeoutSeconds = 30;
constexpr int ProcessLimitMs = (ClientTimeoutSeconds + 30) * 1000;

QString lastLine(const QByteArray &text)
{
    const QList<QByteArray> lines = text.trimmed().split('\n');
    return QString::fromLocal8Bit(lines.isEmpty() ? QByteArray() : lines.last().trimmed());
}

QString withoutClientName(QString reason)
{
    const QString prefix = QStringLiteral("ncftpput: ");
    if (reason.startsWith(prefix))
        reason.remove(0, prefix.size());
    return reason;
}

// The client's exit statuses, for when it says nothing itself.
QString statusMeaning(int status)
{
    switch (status) {
    case 1:
        return QStringLiteral("could not connect to the server");
    case 2:
        return QStringLiteral("could not connect to the server: timed out");
    case 3:
        return QStringLiteral("the transfer failed");
    case 4:
        return QStringLiteral("the transfer timed out");
    case 5:
        return QStringLiteral("could not change to the remote folder");
    default:
        return QStringLiteral("ncftpput ended with status %1").arg(status);
    }
}

} // namespace

FtpTarget configuredTarget()
{
    const progress::FtpAccount account = progress::configuredFtpAccount();
    return {QString::fromUtf8(account.host), QString::fromUtf8(account.user), account.password.toByteArray(),
            0};
}

std::unique_ptr<QTemporaryFile> writeLoginFile(const FtpTarget &target, QString *error)
{
    auto file =
            std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("huntmark-login-XXXXXX")));
    // QTemporaryFile creates its file for the owner alone; saying so again
    // keeps it that way should that ever change.
    if (!file->open() || !file->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        *error = QStringLiteral("cannot write a login file in %1: %2")
                         .arg(QDir::tempPath(), file->errorString());
        return nullptr;
    }
    const QByteArray text = "host " + target.host.toUtf8() + "\nuser " + target.user.toUtf8() + "\npass " +
            target.password + "\n";
    if (file->write(text) != text.size() || !file->flush()) {
        *error = QStringLiteral("cannot write a login file in %1: %2")
                         .arg(QDir::tempPath(), file->errorString());
        return nullptr;
    }
    return file;
}

QStringList uploadArguments(const QString &loginFile, int port, const QString &fileName)
{
    QStringList arguments{QStringLiteral("-f"),
                          loginFile,
                          QStringLiteral("-V"),
                          QStringLiteral("-t"),
                          QString::number(ClientTimeoutSeconds),
                          QStringLiteral("-r"),
                          QStringLiteral("0"),
                          QStringLiteral("-S"),
                          QStringLiteral(".part")};
    if (port > 0)
        arguments << QStringLiteral("-P") << QString::number(port);
    arguments << QStringLiteral(".") << fileName;
    return arguments;
}

Upload uploadFile(const QString &client, const QString &loginFile, int port, const QString &folder,
                  const QString &fileName)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(client, uploadArguments(loginFile, port, fileName));
    if (!process.waitForStarted())
        return {false, QStringLiteral("cannot start %1: %2").arg(client, process.errorString())};
    if (!process.waitForFinished(ProcessLimitMs)) {
        process.kill();
        process.waitForFinished();
        return {false,
                QStringLiteral("%1 did not finish within %2 s").arg(client).arg(ProcessLimitMs / 1000)};
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {false, QStringLiteral("%1 crashed").arg(client)};
    if (process.exitCode() == 0)
        return {true, QString()};
    QString reason = withoutClientName(lastLine(process.readAllStandardError()));
    if (reason.isEmpty())
        reason = statusMeaning(process.exitCode());
    return {false, reason};
}

} // namespace progresstool
