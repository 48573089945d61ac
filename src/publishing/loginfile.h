#pragma once

#include <QString>

// The login handed to the FTP clients: a file in memory that has no name,
// opened by the clients through a descriptor they inherit. The password
// never stands on a command line, where every local user could read it in
// the process list, nor in a file on disk.
namespace publishing {

struct FtpAccount;

class LoginFile
{
public:
    LoginFile(const FtpAccount &account, QString *error);
    ~LoginFile();
    LoginFile(const LoginFile &) = delete;
    LoginFile &operator=(const LoginFile &) = delete;

    bool valid() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    QString path() const; // what the clients open: /dev/fd/N

private:
    int m_fd = -1;
};

} // namespace publishing
