#include "loginfile.h"

#include "publisher.h"

#include <cerrno>
#include <cstring>

namespace publishing {

namespace {

QByteArray loginText(const FtpAccount &account)
{
    return "host " + account.host.toUtf8() + "\nuser " + account.user.toUtf8() + "\npass "
            + account.password + "\n";
}

} // namespace

// Closed on exec: only the clients get it, each by its own request.
LoginFile::LoginFile(const FtpAccount &account, QString *error)
    : m_file("huntmark-login", loginText(account).toStdString(),
             processes::MemoryFile::Inherited::OnRequest)
{
    if (!m_file.valid())
        *error = QStringLiteral("cannot hand the login to the FTP client: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace publishing
