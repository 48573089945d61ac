#include "downloadscript.h"

#include "ftpaccount.h"

namespace fetch {

namespace {

QByteArrayView view(std::string_view text)
{
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

} // namespace

FtpAccount configuredFtpAccount()
{
    const ftpaccount::Account account = ftpaccount::builtIn();
    return { view(account.host), view(account.user), view(account.password) };
}

namespace {

QByteArray downloadLine(const FtpAccount &account, QByteArrayView file)
{
    QByteArray line = "ncftpget.exe -C -u ";
    line += account.user;
    line += " -p ";
    line += account.password;
    line += ' ';
    line += account.host;
    line += " \"";
    line += file;
    line += "\" \"";
    line += file;
    line += "\"\r\n";
    return line;
}

} // namespace

QByteArray downloadScript(const FtpAccount &account)
{
    QByteArray script;
    script += downloadLine(account, progress::QuestsFileName.toLatin1());
    script += downloadLine(account, progress::UniquesFileName.toLatin1());
    script += "@echo off\r\n";
    script += "del \"QV_data.bat\"\r\n";
    script += "exit\r\n";
    return script;
}

} // namespace fetch
