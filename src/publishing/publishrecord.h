#pragma once

#include <QByteArray>
#include <QString>

// What this folder last published, and where: a small hidden file beside
// the progress files, written after every publish that was read back and
// checked. A later publish from the folder (whichever program runs it)
// tells from it which entries the player deliberately undid since.
namespace publishing {

struct FtpAccount;

struct PublishRecord
{
    static inline const QString FileName = QStringLiteral(".huntmark-published");

    QByteArray uniques; // the flag texts published, empty when there is no record
    QByteArray quests;

    // The record of `folder` for `account`; empty flags when there is none,
    // it is damaged, or it was made for another server or account.
    static PublishRecord read(const QString &folder, const FtpAccount &account);
    // The file's bytes for these flags and account.
    static QByteArray bytes(const FtpAccount &account, const QByteArray &uniques,
                            const QByteArray &quests);
};

} // namespace publishing
