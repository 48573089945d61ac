#include "publisher.h"

#include "downloadscript.h"
#include "exitstatus.h"
#include "interruption.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace progresstool {

namespace {

// The client gives up on a silent server after this many seconds; the tool
// waits a little longer for it to say so.
constexpr int ClientTimeoutSeconds = 30;
constexpr int ProcessLimitMs = (ClientTimeoutSeconds + 30) * 1000;
// How soon a signal to the tool reaches the client.
constexpr int SignalCheckMs = 50;

QString lastLine(const QByteArray &text)
{
    const QList<QByteArray> lines = text.trimmed().split('\n');
    return QString::fromLocal8Bit(lines.isEmpty() ? QByteArray() : lines.last().trimmed());
}

QString withoutClientName(QString reason)
{
    for (const QString &prefix : { QStringLiteral("ncftpput: "), QStringLiteral("ncftpget: ") }) {
        if (reason.startsWith(prefix))
            reason.remove(0, prefix.size());
    }
    return reason;
}

// The clients' exit statuses, for when they say nothing themselves.
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
        return QStringLiteral("the client ended with status %1").arg(status);
    }
}

QStringList commonArguments(const LoginFile &login, int port)
{
    QStringList arguments { QStringLiteral("-f"),
                            login.path(),
                            QStringLiteral("-V"),
                            QStringLiteral("-t"),
                            QString::number(ClientTimeoutSeconds),
                            QStringLiteral("-r"),
                            QStringLiteral("0") };
    if (port > 0)
        arguments << QStringLiteral("-P") << QString::number(port);
    return arguments;
}

// Runs the client to its end, or until a signal to the tool ends it first.
// The client gets the login descriptor, and goes when the tool goes, even
// when the tool itself is killed outright.
ClientRun runClient(const QString &client, const QStringList &arguments, const QString &folder,
                    const LoginFile &login)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    const int fd = login.descriptor();
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([fd, parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(exitstatus::NotRun);
        ::fcntl(fd, F_SETFD, 0);
    });
    process.start(client, arguments);
    if (!process.waitForStarted())
        return { false, false, -1,
                 QStringLiteral("cannot start %1: %2").arg(client, process.errorString()) };
    const QDeadlineTimer deadline(ProcessLimitMs);
    while (!process.waitForFinished(SignalCheckMs)) {
        const bool interrupted = interruptingSignal() != 0;
        if (interrupted || deadline.hasExpired()) {
            process.kill();
            process.waitForFinished();
            if (interrupted)
                return { false, true, -1, QStringLiteral("stopped by a signal") };
            return { false, false, -1,
                     QStringLiteral("%1 did not finish within %2 s")
                             .arg(client)
                             .arg(ProcessLimitMs / 1000) };
        }
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return { false, false, -1, QStringLiteral("%1 crashed").arg(client) };
    if (process.exitCode() == 0)
        return { true, false, 0, QString() };
    QString reason = withoutClientName(lastLine(process.readAllStandardError()));
    if (reason.isEmpty())
        reason = statusMeaning(process.exitCode());
    return { false, false, process.exitCode(), reason };
}

} // namespace

FtpTarget configuredTarget()
{
    const fetch::FtpAccount account = fetch::configuredFtpAccount();
    return { QString::fromUtf8(account.host), QString::fromUtf8(account.user),
             account.password.toByteArray(), 0 };
}

LoginFile::LoginFile(const FtpTarget &target, QString *error)
{
    const QByteArray text = "host " + target.host.toUtf8() + "\nuser " + target.user.toUtf8()
            + "\npass " + target.password + "\n";
    // Closed on exec: only the clients get it, each by its own request.
    m_fd = ::memfd_create("huntmark-login", MFD_CLOEXEC);
    if (m_fd < 0 || ::write(m_fd, text.constData(), size_t(text.size())) != text.size()) {
        *error = QStringLiteral("cannot hand the login to the FTP client: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
}

LoginFile::~LoginFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString LoginFile::path() const
{
    return QStringLiteral("/dev/fd/%1").arg(m_fd);
}

QString uploadSuffix()
{
    return QStringLiteral(".part.%1.%2")
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

ClientRun uploadFile(const QString &client, const LoginFile &login, int port, const QString &folder,
                     const QString &fileName, const QString &suffix)
{
    const QStringList arguments = commonArguments(login, port)
            << QStringLiteral("-S") << suffix << QStringLiteral(".") << fileName;
    return runClient(client, arguments, folder, login);
}

ClientRun downloadFiles(const QString &client, const LoginFile &login, int port,
                        const QString &folder, const QStringList &names)
{
    // A fresh copy each time, never resumed from what lies in the folder.
    const QStringList arguments = commonArguments(login, port)
            << QStringLiteral("-Z") << QStringLiteral(".") << names;
    return runClient(client, arguments, folder, login);
}

} // namespace progresstool
