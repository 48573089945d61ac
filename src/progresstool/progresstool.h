#pragma once

#include <QString>
#include <QStringList>

// The command line of huntmark-progress: init, mark, unmark, show and publish. The
// whole program apart from its process start, so tests run it in-process.
namespace progresstool {

enum ExitStatus {
    Success = 0,
    Refused = 1, // a name or a file was refused; nothing was written
    UsageError = 2, // the command line itself is wrong
    FileError = 3, // a file could not be read or written
    PublishFailed = 4 // the FTP client is missing or an upload failed
};

struct Context
{
    QString workingFolder; // where the progress files are unless --folder says otherwise
    QString ftpClient = QStringLiteral("ncftpput"); // looked up on PATH unless absolute
    QString downloadClient =
            QStringLiteral("ncftpget"); // reads what the server holds before a publish
    int lockWaitMs = 10000; // how long a run waits for another one on the same folder
    QString listClient = QStringLiteral("ncftpls"); // finds leftover uploads after a publish
    bool useKeyring = true; // publish without --password-file asks the desktop keyring
};

// What the program prints and its exit status. On a failure the output is
// empty and the error says what went wrong, on one line (a refused namesake
// adds its candidates, one per line).
struct Outcome
{
    int status = Success;
    QString output;
    QString error;
};

Outcome run(const QStringList &arguments, const Context &context);

} // namespace progresstool
