#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryFile;

// Uploads the progress files with Debian's command-line FTP client
// `ncftpput`, started directly (no shell) with its arguments passed as they
// are. The password never stands on its command line, where every local
// user could read it in the process list: it goes through a login file that
// only its owner may read and that is removed when the upload is done.
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

// A login file in the system's temporary folder, owner-only; removed with
// the object. Null when it cannot be written; `error` says why.
std::unique_ptr<QTemporaryFile> writeLoginFile(const FtpTarget &target, QString *error);

// What the client is started with to put `fileName` into the account's start
// folder. The upload goes to a temporary name that is renamed when complete,
// so the viewer never downloads half a file.
QStringList uploadArguments(const QString &loginFile, int port, const QString &fileName);

struct Upload
{
    bool succeeded = false;
    QString reason; // the client's own words when it failed
};

// Runs `client` in `folder` to upload the file `fileName` found there.
Upload uploadFile(const QString &client, const QString &loginFile, int port, const QString &folder,
                  const QString &fileName);

} // namespace progresstool
