#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

// One run of an FTP client (ncftpput, ncftpget, ncftpls), started directly
// with its arguments as they are and watched from the event loop: it ends
// by itself, by its time limit, or by cancel(). The client gets the login
// descriptor, and goes when this process goes, even when it is killed
// outright.
namespace publishing {

class LoginFile;

struct ClientResult
{
    enum class Kind {
        Succeeded,
        LoginRefused,
        Unreachable,
        NoSuchFile, // status 3: the server does not hold the file
        Failed,
        TimedOut,
        Cancelled
    };
    Kind kind = Kind::Failed;
    QString reason; // the client's own words, or what its status means
    QByteArray output; // what it wrote on standard output
};

class ClientRun : public QObject
{
    Q_OBJECT

public:
    explicit ClientRun(QObject *parent = nullptr);
    ~ClientRun() override;

    void start(const QString &client, const QStringList &arguments, const QString &folder,
               const LoginFile &login, int limitMs);
    void cancel();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // The client's arguments that every run takes: the login, quiet, its
    // own time limit for a silent server, no redial, and the port.
    static QStringList commonArguments(const LoginFile &login, int port, int limitMs);

Q_SIGNALS:
    void finished(const publishing::ClientResult &result);

private:
    void ended(int exitCode, QProcess::ExitStatus exitStatus);
    void stopBecause(ClientResult::Kind kind);

    QProcess m_process;
    QTimer m_limit;
    QString m_client;
    ClientResult::Kind m_stoppedBecause = ClientResult::Kind::Succeeded;
};

} // namespace publishing

Q_DECLARE_METATYPE(publishing::ClientResult)
