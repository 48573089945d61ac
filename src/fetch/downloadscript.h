#pragma once

#include "progressfiles.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace fetch {

inline const QString DownloadScriptName = QStringLiteral("QV_Data.bat");

struct FtpAccount
{
    QByteArrayView host;
    QByteArrayView user;
    QByteArrayView password;
};

// The account the build was configured with (ftpaccount::builtIn()), as
// the script takes it.
FtpAccount configuredFtpAccount();

// The download script: two downloads, quests first, then the script removes
// itself. Its last line names it with a lower-case "d"; the command
// interpreter matches names without regard to case, so it is the same file.
QByteArray downloadScript(const FtpAccount &account);

} // namespace fetch
