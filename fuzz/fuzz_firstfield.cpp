// The first-field reader under arbitrary file contents, fed in arbitrary
// chunks: it must take the field the format gives, whatever the chunk
// boundaries, and count and pick flags from exactly that field.
//
// Input: one byte choosing the chunk size, one the flag position, then the
// file's bytes.
#include "fuzzcheck.h"
#include "fuzztargets.h"
#include "reference.h"

#include "firstfield.h"

#include <QBuffer>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int fuzz_firstfield(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // 0 feeds everything at once; otherwise chunks of 1 to 255 bytes, which
    // put the boundaries inside the byte-order mark, a quote or a line end.
    const qsizetype chunk = data[0] == 0 ? qsizetype(size) : qsizetype(data[0]);
    const qint64 position = data[1];
    const QByteArrayView text(reinterpret_cast<const char *>(data) + 2, qsizetype(size) - 2);
    const std::optional<QByteArray> expected = reference::firstField(text);

    progress::FirstFieldScanner scanner;
    QByteArray field;
    bool more = true;
    for (qsizetype at = 0; more && at < text.size(); at += chunk) {
        const QByteArrayView piece = text.sliced(at, std::min(chunk, text.size() - at));
        more = scanner.feed(
                piece, [&](const char *bytes, qsizetype count) { field.append(bytes, count); });
    }
    if (more)
        scanner.finish([&](const char *bytes, qsizetype count) { field.append(bytes, count); });
    FUZZ_CHECK(scanner.foundField() == expected.has_value());
    if (expected)
        FUZZ_CHECK(field == *expected);

    // The same through a device, as the readers use it.
    QByteArray copy = text.toByteArray();
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    const std::optional<progress::FlagScan> scan = progress::scanFlagText(device, position);
    FUZZ_CHECK(scan.has_value() == expected.has_value());
    if (scan) {
        FUZZ_CHECK(scan->length == expected->size());
        FUZZ_CHECK(scan->ones == expected->count('1'));
        const char flag =
                position >= 1 && position <= expected->size() ? expected->at(position - 1) : '\0';
        FUZZ_CHECK(scan->flagAt == flag);
    }

    // The fall-back the readers use when there is no field.
    const progress::FlagScan fallback = progress::defaultFlagScan(157, position);
    FUZZ_CHECK(fallback.ones == 0 && fallback.length == 157);
    FUZZ_CHECK(fallback.flagAt == (position >= 1 && position <= 157 ? '0' : '\0'));
    return 0;
}
