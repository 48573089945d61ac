#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A real FTP server on 127.0.0.1 for one test suite: Debian's pyftpdlib,
// serving one folder to one account on a free port of its own. It is
// stopped (and killed if need be) when the object goes, and also ends when
// the test process dies without cleaning up.
class FtpServer
{
public:
    enum Access { ReadOnly, Writable };

    FtpServer(const QString &servedFolder, const QByteArray &user, const QByteArray &password,
              Access access = ReadOnly);
    ~FtpServer();
    Q_DISABLE_COPY_MOVE(FtpServer)

    // From the next start on, every file goes out at this many bytes a
    // second of the server's clock, read from disk as it is sent, so that a
    // change to a file during a transfer shows in what arrives; 0 for full
    // speed. The account and password then stay off the server's command
    // line.
    void setSendRate(int bytesPerSecond) { m_sendRate = bytesPerSecond; }
    // From the next start on, every upload stalls after its first bytes for
    // `seconds` of the server's clock: an upload that is still going when
    // the test acts.
    void holdUploads(int seconds) { m_uploadHoldSeconds = seconds; }
    // From the next start on, every download ends after its first `bytes`
    // with the connection closed and no reply: a transfer cut short.
    void cutDownloadsAfter(int bytes) { m_downloadCut = bytes; }

    // Starts the server and waits until it accepts connections; false when
    // it never did (its log tells why). A restart keeps the port when it can.
    bool start();
    void stop();
    bool isRunning() const { return m_process.state() == QProcess::Running; }

    quint16 port() const { return m_port; }
    QString servedFolder() const { return m_servedFolder; }
    // What the server wrote: its end for failure messages, or all of it (0).
    QByteArray log(qsizetype tail = 2000) const;

private:
    bool launch(quint16 port);

    QString m_servedFolder;
    QByteArray m_user;
    QByteArray m_password;
    Access m_access;
    QTemporaryDir m_logFolder;
    QProcess m_process;
    quint16 m_port = 0;
    int m_sendRate = 0;
    int m_uploadHoldSeconds = 0;
    int m_downloadCut = 0;
};

// A server on 127.0.0.1 that takes every connection and never says a word,
// as a server in trouble may: a client waits for its greeting until its own
// time limit. Listens from construction to destruction.
class SilentServer
{
public:
    // On `port`, or on a free one for 0; port() is 0 when that failed.
    explicit SilentServer(quint16 port = 0);
    ~SilentServer();
    Q_DISABLE_COPY_MOVE(SilentServer)

    quint16 port() const { return m_port; }

private:
    int m_socket = -1;
    quint16 m_port = 0;
};

// A loopback port nobody listens on right now.
quint16 freeLoopbackPort();
// Whether something on 127.0.0.1 accepts a connection at `port`.
bool acceptsConnections(quint16 port);

// Programs started with this environment, and their children, see their
// clocks run FastClockFactor times as fast (Debian's libfaketime): their
// time limits and the viewer's minute between fetches pass in a tenth of
// the time. Empty when libfaketime is not installed.
constexpr int FastClockFactor = 10;
QProcessEnvironment withFastClock(QProcessEnvironment environment);
