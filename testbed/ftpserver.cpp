#include "ftpserver.h"

#include "processes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Debian's own interpreter: the default python3 on some machines is a
// separate build that cannot see Debian's packages.
const QString Python = QStringLiteral("/usr/bin/python3");
constexpr int StartTimeoutMs = 10000;

// pyftpdlib that misbehaves on purpose. Arguments: port, folder,
// permissions, bytes a second it sends (0 for full speed; the file is read as
// it is sent, so a change during a transfer shows in what arrives), the
// seconds an upload stalls after its first bytes (0 for none) and the bytes
// after which a download is cut off, the connection closed without a reply
// (0 for none). The account comes on its input.
const char MisbehavingServer[] = R"py(
import os, sys
from pyftpdlib import handlers
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.servers import FTPServer
port, folder, permissions = int(sys.argv[1]), sys.argv[2], sys.argv[3]
rate, hold, cut = int(sys.argv[4]), float(sys.argv[5]), int(sys.argv[6])
user, password = sys.stdin.readline().rstrip("\n"), sys.stdin.readline().rstrip("\n")
authorizer = DummyAuthorizer()
authorizer.add_user(user, password, folder, perm=permissions)
sending = handlers.DTPHandler
if rate > 0:
    class Unbuffered(handlers.FileProducer):
        buffer_size = max(1, rate // 4)
        def more(self):
            return os.read(self.file.fileno(), self.buffer_size)
    handlers.FileProducer = Unbuffered
    handlers.ThrottledDTPHandler.write_limit = rate
    sending = handlers.ThrottledDTPHandler
class Holding(sending):
    held = False
    def recv(self, size):
        data = super().recv(size)
        if hold > 0 and data and self.receive and not self.held:
            self.held = True
            self.del_channel()
            def go_on():
                if not self._closed:
                    self.add_channel(events=self.ioloop.READ)
            self.ioloop.call_later(hold, go_on, _errback=self.handle_error)
        return data
    def send(self, data):
        if cut <= 0 or self.receive:
            return super().send(data)
        sent = super().send(data[:max(0, cut - self.tot_bytes_sent)])
        if self.tot_bytes_sent >= cut:
            self.cmd_channel.close()
        return sent
# sendfile() would go around send().
handlers.FTPHandler.use_sendfile = cut <= 0
handlers.FTPHandler.dtp_handler = Holding
handlers.FTPHandler.authorizer = authorizer
FTPServer(("127.0.0.1", port), handlers.FTPHandler).serve_forever()
)py";

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

quint16 freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof(address);
    quint16 port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

QProcessEnvironment withFastClock(QProcessEnvironment environment)
{
    for (const QString &folder :
         QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString library = QStringLiteral("/usr/lib/%1/faketime/libfaketime.so.1").arg(folder);
        if (!QFile::exists(library))
            continue;
        environment.insert(QStringLiteral("LD_PRELOAD"), library);
        environment.insert(QStringLiteral("FAKETIME"),
                           QStringLiteral("+0 x%1").arg(FastClockFactor));
        // A sanitized program refuses to start when a preloaded library
        // comes before its runtime; this one only wraps clock calls.
        if (environment.contains(QStringLiteral("ASAN_OPTIONS"))) {
            environment.insert(QStringLiteral("ASAN_OPTIONS"),
                               environment.value(QStringLiteral("ASAN_OPTIONS"))
                                       + QStringLiteral(":verify_asan_link_order=0"));
        }
        return environment;
    }
    return {};
}

bool acceptsConnections(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const sockaddr_in address = loopback(port);
    const bool connected =
            ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return connected;
}

SilentServer::SilentServer(quint16 port)
{
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0)
        return;
    const int reuse = 1;
    ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof(reuse));
    sockaddr_in address = loopback(port);
    socklen_t size = sizeof(address);
    // Nothing ever accepts: the system completes the connections on its own
    // and holds them in the queue.
    if (::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0
        && ::listen(m_socket, 64) == 0
        && ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        m_port = ntohs(address.sin_port);
}

SilentServer::~SilentServer()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

FtpServer::FtpServer(const QString &servedFolder, const QByteArray &user,
                     const QByteArray &password, Access access)
    : m_servedFolder(servedFolder), m_user(user), m_password(password), m_access(access)
{
    const QString logPath = m_logFolder.filePath(QStringLiteral("server.log"));
    // The server ends with the test process even when that is killed.
    endWithThisProcess(m_process);
    // Its log goes to a file: a pipe nobody drains would stall it.
    m_process.setStandardOutputFile(logPath, QIODevice::Append);
    m_process.setStandardErrorFile(logPath, QIODevice::Append);
    // The server pauses three seconds before it refuses a wrong password;
    // on its fast clock a refused login costs a tenth of that.
    const QProcessEnvironment fast = withFastClock(QProcessEnvironment::systemEnvironment());
    if (!fast.isEmpty())
        m_process.setProcessEnvironment(fast);
}

FtpServer::~FtpServer()
{
    stop();
}

bool FtpServer::start()
{
    stop();
    // A restart tries the old port first; someone may have taken it (or the
    // chosen free port) meanwhile, and another one is tried then.
    if (m_port != 0 && launch(m_port))
        return true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (launch(freeLoopbackPort()))
            return true;
    }
    return false;
}

bool FtpServer::launch(quint16 port)
{
    if (port == 0)
        return false;
    // The account and the folder may hold spaces: they stay words of their own.
    const bool misbehaves = m_sendRate > 0 || m_uploadHoldSeconds > 0 || m_downloadCut > 0;
    QStringList arguments;
    if (misbehaves) {
        arguments << QStringLiteral("-c") << QString::fromUtf8(MisbehavingServer)
                  << QString::number(port) << m_servedFolder
                  << QString::fromLatin1(m_access == Writable ? "elradfmwMT" : "elr")
                  << QString::number(m_sendRate) << QString::number(m_uploadHoldSeconds)
                  << QString::number(m_downloadCut);
    } else {
        arguments = QStringLiteral("-m pyftpdlib -i 127.0.0.1 -p %1").arg(port).split(u' ');
        arguments << QStringLiteral("-u") << QString::fromLatin1(m_user) << QStringLiteral("-P")
                  << QString::fromLatin1(m_password) << QStringLiteral("-d") << m_servedFolder;
        if (m_access == Writable)
            arguments << QStringLiteral("-w");
    }
    m_process.start(Python, arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    if (misbehaves) {
        m_process.write(m_user + '\n' + m_password + '\n');
        m_process.closeWriteChannel();
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < StartTimeoutMs && m_process.state() == QProcess::Running) {
        if (acceptsConnections(port)) {
            m_port = port;
            return true;
        }
        QTest::qWait(50);
    }
    stop();
    return false;
}

void FtpServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QByteArray FtpServer::log(qsizetype tail) const
{
    QFile file(m_logFolder.filePath(QStringLiteral("server.log")));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray all = file.readAll();
    return tail > 0 ? all.right(tail) : all;
}
