#pragma once

#include "memoryfile.h"

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

    bool valid() const { return m_file.valid(); }
    int descriptor() const { return m_file.descriptor(); }
    QString path() const { return QString::fromStdString(m_file.path()); }

private:
    processes::MemoryFile m_file;
};

} // namespace publishing
