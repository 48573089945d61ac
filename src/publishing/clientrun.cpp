#include "clientrun.h"

#include "childend.h"
#include "exitstatus.h"
#include "loginfile.h"

#include <QCoreApplication>

#include <algorithm>
#include <csignal>

namespace publishing {

namespace {

// The longest the client waits for a silent server by itself; the run's
// own limit catches a server that trickles.
constexpr int LongestClientTimeoutSeconds = 20;

QString lastLine(const QByteArray &text)
{
    const QList<QByteArray> lines = text.trimmed().split('\n');
    return QString::fromLocal8Bit(lines.isEmpty() ? QByteArray() : lines.last().trimmed());
}

QString withoutClientName(QString reason)
{
    for (const QString &prefix : { QStringLiteral("ncftpput: "), QStringLiteral("ncftpget: "),
                                   QStringLiteral("ncftpls: ") }) {
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

// ncftp says the same status for a refused login and a server out of
// reach; its words tell them apart.
ClientResult::Kind kindOf(int status, const QString &words)
{
    const QString text = words.toLower();
    if (text.contains(QLatin1String("login")) || text.contains(QLatin1String("password")))
        return ClientResult::Kind::LoginRefused;
    if (status == 2 || text.contains(QLatin1String("timed out")))
        return ClientResult::Kind::TimedOut;
    if (status == 1 || text.contains(QLatin1String("connect"))
        || text.contains(QLatin1String("refused")) || text.contains(QLatin1String("unknown host"))
        || text.contains(QLatin1String("lookup")))
        return ClientResult::Kind::Unreachable;
    if (status == 3)
        return ClientResult::Kind::NoSuchFile;
    return ClientResult::Kind::Failed;
}

} // namespace

ClientRun::ClientRun(QObject *parent) : QObject(parent)
{
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this,
            [this] { stopBecause(ClientResult::Kind::TimedOut); });
    connect(&m_process, &QProcess::finished, this, &ClientRun::ended);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_limit.stop();
        Q_EMIT finished(
                { ClientResult::Kind::Failed,
                  QStringLiteral("cannot start %1: %2").arg(m_client, m_process.errorString()),
                  {} });
    });
}

ClientRun::~ClientRun()
{
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

QStringList ClientRun::commonArguments(const LoginFile &login, int port, int limitMs)
{
    const int seconds = std::clamp(limitMs / 1000, 1, LongestClientTimeoutSeconds);
    QStringList arguments { QStringLiteral("-f"),     login.path(),         QStringLiteral("-t"),
                            QString::number(seconds), QStringLiteral("-r"), QStringLiteral("0") };
    if (port > 0)
        arguments << QStringLiteral("-P") << QString::number(port);
    return arguments;
}

void ClientRun::start(const QString &client, const QStringList &arguments, const QString &folder,
                      const LoginFile &login, int limitMs)
{
    m_client = client;
    m_stoppedBecause = ClientResult::Kind::Succeeded;
    m_process.setWorkingDirectory(folder);
    m_process.setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    const int fd = login.descriptor();
    const int parent = int(QCoreApplication::applicationPid());
    m_process.setChildProcessModifier([fd, parent] {
        processes::endWithParent(parent, SIGKILL, fetchprotocol::ExitNotRun);
        processes::inheritDescriptor(fd);
    });
#endif
    m_limit.start(std::max(limitMs, 1));
    m_process.start(client, arguments);
}

void ClientRun::cancel()
{
    stopBecause(ClientResult::Kind::Cancelled);
}

void ClientRun::stopBecause(ClientResult::Kind kind)
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_stoppedBecause = kind;
    m_process.kill();
}

void ClientRun::ended(int exitCode, QProcess::ExitStatus exitStatus)
{
    m_limit.stop();
    const bool crashed = exitStatus != QProcess::NormalExit;
    const int status = fetchprotocol::exitStatusFromExit(crashed, exitCode);
    ClientResult result;
    result.output = m_process.readAllStandardOutput();
    const QString words = withoutClientName(lastLine(m_process.readAllStandardError()));
    if (m_stoppedBecause == ClientResult::Kind::TimedOut) {
        result.kind = ClientResult::Kind::TimedOut;
        result.reason = QStringLiteral("the server did not finish in time");
    } else if (m_stoppedBecause == ClientResult::Kind::Cancelled) {
        result.kind = ClientResult::Kind::Cancelled;
        result.reason = QStringLiteral("stopped");
    } else if (crashed) {
        result.reason = QStringLiteral("%1 crashed").arg(m_client);
    } else if (status == 0) {
        result.kind = ClientResult::Kind::Succeeded;
    } else {
        result.kind = kindOf(status, words);
        result.reason = words.isEmpty() ? statusMeaning(status) : words;
    }
    Q_EMIT finished(result);
}

} // namespace publishing
