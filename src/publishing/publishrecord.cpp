#include "publishrecord.h"

#include "publisher.h"

#include <QDir>
#include <QFile>

namespace publishing {

namespace {

// Never more than a few hundred bytes: a larger file is not ours.
constexpr qint64 LargestRecord = 4096;

QByteArray where(const FtpAccount &account)
{
    return account.user.toUtf8() + '@' + account.host.toUtf8() + ':'
            + QByteArray::number(account.port);
}

bool onlyFlags(const QByteArray &flags)
{
    for (char c : flags) {
        if (c != '0' && c != '1')
            return false;
    }
    return true;
}

} // namespace

PublishRecord PublishRecord::read(const QString &folder, const FtpAccount &account)
{
    QFile file(QDir(folder).filePath(FileName));
    if (file.size() > LargestRecord || !file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.size() < 3 || lines[0] != "published " + where(account))
        return {};
    PublishRecord record;
    for (const QByteArray &line : lines.mid(1)) {
        if (line.startsWith("uniques "))
            record.uniques = line.mid(8);
        else if (line.startsWith("quests "))
            record.quests = line.mid(7);
    }
    if (!onlyFlags(record.uniques) || !onlyFlags(record.quests))
        return {};
    return record;
}

QByteArray PublishRecord::bytes(const FtpAccount &account, const QByteArray &uniques,
                                const QByteArray &quests)
{
    return "published " + where(account) + "\nuniques " + uniques + "\nquests " + quests + "\n";
}

} // namespace publishing
