#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Uploads the progress files with Debian's command-line FTP client
// `ncftpput`, and reads what the server holds with `ncftpget`, both started
// directly (no shell) with their arguments passed as they are. The password
// never stands on a command line, where every local user could read it in
// the process list, nor in a file on disk: the clients read their login
// from a descriptor they inherit, a file in memory that has no name.
namespace progresstool {

struct FtpTarget
{
    QString host;
    QString user;
    QByteArray password;
    int port = 0; // 0: the client's default
};

// The host, account and password the viewer was built to fetch from.
FtpTarget configuredTarget();

// The login in memory, closed with the object; the clients open it as
// path(). Not valid() when the system gave no memory file; `error` says why.
class LoginFile
{
public:
    LoginFile(const FtpTarget &target, QString *error);
    ~LoginFile();
    LoginFile(const LoginFile &) = delete;
    LoginFile &operator=(const LoginFile &) = delete;

    bool valid() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    QString path() const;

private:
    int m_fd = -1;
};

// A name suffix of this run's own for the temporary upload files: two runs
// at once never rename each other's file. The client renames it into place
// once complete, so the viewer never downloads half a file.
QString uploadSuffix();

struct ClientRun
{
    bool succeeded = false;
    bool interrupted = false; // a signal stopped the tool, and the client with it
    int status = 0; // the client's exit status
    QString reason; // the client's own words when it failed
};

// Runs `client` in `folder` to upload the file `fileName` found there.
ClientRun uploadFile(const QString &client, const LoginFile &login, int port, const QString &folder,
                     const QString &fileName, const QString &suffix);

// Runs `client` to copy the files `names` of the account's start folder
// into `folder`. A file the server does not have is not there afterwards.
ClientRun downloadFiles(const QString &client, const LoginFile &login, int port,
                        const QString &folder, const QStringList &names);

} // namespace progresstool
