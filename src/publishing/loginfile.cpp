#include "loginfile.h"

#include "publisher.h"

#include <cerrno>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace publishing {

LoginFile::LoginFile(const FtpAccount &account, QString *error)
{
    const QByteArray text = "host " + account.host.toUtf8() + "\nuser " + account.user.toUtf8()
            + "\npass " + account.password + "\n";
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

} // namespace publishing
