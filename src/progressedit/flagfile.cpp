#include "flagfile.h"

#include "catalog.h"
#include "firstfield.h"
#include "progressfiles.h"

#include <QFile>
#include <QFileInfo>

#include <QtGlobal>

namespace progresstool {

namespace {

QString describeCharacter(char c)
{
    if (c >= 0x21 && c <= 0x7e)
        return QStringLiteral("\"%1\"").arg(QLatin1Char(c));
    if (c == ' ')
        return QStringLiteral("a space");
    return QStringLiteral("the byte 0x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
}

QString qualifiedNameAt(Kind kind, int position)
{
    for (const Entry &entry : catalogEntries()) {
        if (entry.kind == kind && entry.position == position)
            return entry.qualifiedName();
    }
    return QString();
}

// Far more than flags and a few lines of notes need.
constexpr qint64 MaxFileSize = 1024 * 1024;

// The first field, as the viewer's own scanner finds it.
void locateField(FlagLoad &load)
{
    const std::optional<progress::FieldPlace> place = progress::locateFirstField(load.bytes);
    load.fieldStart = place ? place->start : -1;
    load.fieldLength = place ? place->length : 0;
    load.flags = place ? load.bytes.mid(place->start, place->length) : QByteArray();
}

QString damage(const QByteArray &field, Kind kind)
{
    const int count = flagCount(kind);
    for (int k = 0; k < std::min<int>(int(field.size()), count); ++k) {
        if (field[k] != '0' && field[k] != '1')
            return QStringLiteral("character %1 of the flag text (the flag of %2) is %3, not \"0\" "
                                  "or \"1\"")
                    .arg(k + 1)
                    .arg(qualifiedNameAt(kind, k + 1), describeCharacter(field[k]));
    }
    if (field.size() > count)
        return QStringLiteral("the flag text goes on past character %1, but the catalog has only "
                              "%1 entries")
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
    load.bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        load.status = FlagLoad::Status::Unreadable;
        load.problem = file.errorString();
        return load;
    }
    if (load.bytes.size() > MaxFileSize) {
        load.status = FlagLoad::Status::Damaged;
        load.problem = QStringLiteral("it is larger than %1 KiB, too large for a progress file")
                               .arg(MaxFileSize / 1024);
        return load;
    }
    locateField(load);
    load.problem = damage(load.flags, kind);
    if (!load.problem.isEmpty()) {
        load.status = FlagLoad::Status::Damaged;
        return load;
    }
    load.status = FlagLoad::Status::Read;
    load.flags = load.flags.leftJustified(count, '0');
    return load;
}

QByteArray FlagLoad::fileWith(const QByteArray &newFlags) const
{
    // A new file, or one with nothing but spaces and line ends, holds
    // nothing worth keeping.
    if (fieldStart < 0)
        return newFlags + "\r\n";
    QByteArray file = bytes;
    return file.replace(fieldStart, fieldLength, newFlags);
}

} // namespace progresstool
