#include "firstfield.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>

namespace progress {

namespace {

constexpr qint64 ReadChunkSize = 64 * 1024;

// Only plain files are read: a folder fails to open anyway, but a named pipe
// or a device of that name would block the window or never end.
bool openRegularFile(QFile &file)
{
    return QFileInfo(file.fileName()).isFile() && file.open(QIODevice::ReadOnly);
}

// Runs the scanner over a device until the field ends, the device runs dry or
// `maxLength` field bytes have been handed on.
template<typename Sink>
bool scanDevice(QIODevice &device, qint64 maxLength, FirstFieldScanner &scanner, Sink &&sink)
{
    std::array<char, ReadChunkSize> buffer;
    qint64 taken = 0;
    const auto bounded = [&](const char *data, qsizetype size) {
        const qint64 room = maxLength - taken;
        const qsizetype used = qsizetype(std::min<qint64>(size, room));
        sink(data, used);
        taken += used;
    };
    bool more = true;
    while (more && taken < maxLength) {
        const qint64 got = device.read(buffer.data(), qint64(buffer.size()));
        if (got < 0)
            return false;
        if (got == 0)
            break;
        more = scanner.feed(QByteArrayView(buffer.data(), got), bounded);
    }
    if (more)
        scanner.finish(bounded);
    return scanner.foundField();
}

// Where an empty first field ("" or nothing before a comma) stands: the
// scanner hands on no bytes for it.
qsizetype emptyFieldStart(QByteArrayView bytes)
{
    qsizetype at = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\r' || bytes[at] == '\n'))
        ++at;
    if (at < bytes.size() && bytes[at] == '"')
        ++at;
    return at;
}

} // namespace

std::optional<FlagScan> scanFlagText(QIODevice &device, qint64 position, qsizetype headLength)
{
    FlagScan scan;
    FirstFieldScanner scanner;
    const bool found =
            scanDevice(device, MaxFlagTextLength, scanner, [&](const char *data, qsizetype size) {
                const qint64 first = scan.length + 1;
                if (position >= first && position < first + size)
                    scan.flagAt = data[position - first];
                if (scan.head.size() < headLength)
                    scan.head.append(data, std::min(size, headLength - scan.head.size()));
                scan.ones += std::count(data, data + size, '1');
                scan.length += size;
            });
    if (!found)
        return std::nullopt;
    return scan;
}

std::optional<FlagScan> scanFlagFile(const QString &path, qint64 position, qsizetype headLength)
{
    QFile file(path);
    if (!openRegularFile(file))
        return std::nullopt;
    return scanFlagText(file, position, headLength);
}

FlagScan defaultFlagScan(qint64 length, qint64 position, qsizetype headLength)
{
    FlagScan scan;
    scan.length = length;
    scan.head = QByteArray(qsizetype(std::min<qint64>(length, headLength)), '0');
    scan.flagAt = (position >= 1 && position <= length) ? '0' : '\0';
    return scan;
}

std::optional<FieldPlace> locateFirstField(QByteArrayView bytes)
{
    const auto begin = reinterpret_cast<quintptr>(bytes.data());
    const auto end = begin + quintptr(bytes.size());
    std::optional<qsizetype> start;
    qsizetype length = 0;
    // A byte-order mark broken off part way is handed on from the scanner's
    // own copy of it; in the bytes it stands at the very start.
    const auto keep = [&](const char *data, qsizetype size) {
        const auto at = reinterpret_cast<quintptr>(data);
        if (!start)
            start = at >= begin && at < end ? qsizetype(at - begin) : 0;
        length += size;
    };
    FirstFieldScanner scanner;
    if (scanner.feed(bytes, keep))
        scanner.finish(keep);
    if (!scanner.foundField())
        return std::nullopt;
    return FieldPlace { start.value_or(emptyFieldStart(bytes)), length };
}

std::optional<QByteArray> readFirstField(const QString &path, qsizetype maxLength)
{
    QFile file(path);
    if (!openRegularFile(file))
        return std::nullopt;
    QByteArray field;
    FirstFieldScanner scanner;
    if (!scanDevice(file, maxLength, scanner,
                    [&](const char *data, qsizetype size) { field.append(data, size); }))
        return std::nullopt;
    return field;
}

} // namespace progress
