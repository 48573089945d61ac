#include "progresstool/flagfile.h"

#include "catalog/catalog.h"
#include "progress/downloadscript.h"
#include "progress/firstfield.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>

namespace progresstool {

namespace {

constexpr qint64 ReadChunkSize = 4096;

QString describeCharacter(char c)
{
    if (c >= 0x21 && c <= 0x7e)
        return QStringLiteral("\"%1\"").arg(QLatin1Char(c));
    if (c == ' ')
        return QStringLiteral("a space");
    return QStringLiteral("the byte 0x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
}

QString entryAt(Kind kind, int position)
{
    for (const Entry &entry : catalogEntries()) {
        if (entry.kind == kind && entry.position == position)
            return entry.qualifiedName();
    }
    return QString();
}

// The first field, cut off one character past the catalog's length: enough
// to tell that it is too long without reading a huge file to its end.
std::optional<QByteArray> readField(QFile &file, qsizetype limit)
{
    QByteArray field;
    progress::FirstFieldScanner scanner;
    const auto keep = [&](const char *data, qsizetype size) {
        field.append(data, std::min(size, limit - field.size()));
    };
    std::array<char, ReadChunkSize> buffer;
    bool more = true;
    while (more && field.size() < limit) {
        const qint64 got = file.read(buffer.data(), qint64(buffer.size()));
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        more = scanner.feed(QByteArrayView(buffer.data(), got), keep);
    }
    if (more)
        scanner.finish(keep);
    return field;
}

QString damage(const QByteArray &field, Kind kind)
{
    const int count = flagCount(kind);
    for (int k = 0; k < std::min<int>(int(field.size()), count); ++k) {
        if (field[k] != '0' && field[k] != '1')
            return QStringLiteral("character %1 of the flag text (the flag of %2) is %3, not \"0\" or \"1\"")
                    .arg(k + 1)
                    .arg(entryAt(kind, k + 1), describeCharacter(field[k]));
    }
    if (field.size() > count)
        return QStringLiteral("the flag text goes on past character %1, but the catalog has only %1 entries")
                .arg(count);
    return QString();
}

} // namespace

QString flagFileName(Kind kind)
{
    return kind == Kind::Unique ? progress::UniquesFileName : progress::QuestsFileName;
}

int flagCount(Kind kind)
{
    return kind == Kind::Unique ? catalog::UniqueMonsterCount : catalog::QuestCount;
}

FlagLoad loadFlags(const QString &path, Kind kind)
{
    FlagLoad load;
    const QFileInfo info(path);
    const int count = flagCount(kind);
    if (!info.exists() && !info.isSymLink()) {
        load.flags = QByteArray(count, '0');
        return load;
    }
    // A named pipe or a device would block or never end.
    QFile file(path);
    if (!info.isFile()) {
        load.status = FlagLoad::Status::Unreadable;
        load.problem = QStringLiteral("it is not a plain file");
        return load;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        load.status = FlagLoad::Status::Unreadable;
        load.problem = file.errorString();
        return load;
    }
    const std::optional<QByteArray> field = readField(file, count + 1);
    if (!field) {
        load.status = FlagLoad::Status::Unreadable;
        load.problem = file.errorString();
        return load;
    }
    load.problem = damage(*field, kind);
    if (!load.problem.isEmpty()) {
        load.status = FlagLoad::Status::Damaged;
        return load;
    }
    load.status = FlagLoad::Status::Read;
    load.flags = field->leftJustified(count, '0');
    return load;
}

QString saveFlags(const QString &path, const QByteArray &flags)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(flags + "\r\n");
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace progresstool
