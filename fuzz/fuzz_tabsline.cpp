// The tab memory's line under arbitrary file contents: the first field is
// split into the outer and inner index as the format says, each part is an
// index only when it is a whole 16-bit decimal number, and every line the
// viewer writes reads back as the tabs it was written from.
//
// Input: the file's bytes; its first two bytes also choose a pair of tabs
// for the round trip.
#include "fuzzcheck.h"
#include "fuzztargets.h"
#include "reference.h"

#include "firstfield.h"
#include "tabmemory.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Surrounding white space, an optional sign, decimal digits, nothing else,
// and a value that fits 16 bits.
std::optional<int> tabIndex(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    bool negative = false;
    if (begin < end && (text[begin] == '+' || text[begin] == '-')) {
        negative = text[begin] == '-';
        ++begin;
    }
    if (begin == end)
        return std::nullopt;
    long long value = 0;
    for (qsizetype i = begin; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 1'000'000)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return int(value);
}

// Where the viewer ends up: the remembered tabs when both are indices of
// tabs that exist, the first tabs otherwise.
std::pair<int, int> restoredTabs(QByteArrayView field)
{
    const qsizetype outerDigits = field.size() >= 2 && field[1] == ' ' ? 1 : 2;
    const std::optional<int> outer = tabIndex(field.first(std::min(outerDigits, field.size())));
    const std::optional<int> inner =
            outerDigits + 1 < field.size() ? tabIndex(field.sliced(outerDigits + 1)) : std::nullopt;
    if (outer && inner && *outer >= 0 && *outer < 20 && *inner >= 0 && *inner < 11)
        return { *outer, *inner };
    return { 0, 0 };
}

std::pair<int, int> restoredByProgram(QByteArrayView field)
{
    const tabmemory::TabsLine line = tabmemory::splitTabsField(field);
    const std::optional<int> outer = tabmemory::toTabIndex(line.outer);
    const std::optional<int> inner = tabmemory::toTabIndex(line.inner);
    if (outer && inner && *outer >= 0 && *outer < 20 && *inner >= 0 && *inner < 11)
        return { *outer, *inner };
    return { 0, 0 };
}

std::optional<QByteArray> fieldOf(const QByteArray &file)
{
    QByteArray copy = file;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    progress::FirstFieldScanner scanner;
    QByteArray field;
    const auto keep = [&](const char *bytes, qsizetype count) { field.append(bytes, count); };
    bool more = true;
    while (more) {
        char buffer[7]; // small, so fields cross reads
        const qint64 got = device.read(buffer, sizeof(buffer));
        if (got <= 0) {
            scanner.finish(keep);
            break;
        }
        more = scanner.feed(QByteArrayView(buffer, got), keep);
    }
    if (!scanner.foundField())
        return std::nullopt;
    return field;
}

} // namespace

extern "C" int fuzz_tabsline(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));

    // Each part converts on its own as the format says.
    const tabmemory::TabsLine whole = tabmemory::splitTabsField(file);
    FUZZ_CHECK(tabmemory::toTabIndex(file) == tabIndex(file));
    FUZZ_CHECK(tabmemory::toTabIndex(whole.outer) == tabIndex(whole.outer));
    FUZZ_CHECK(tabmemory::toTabIndex(whole.inner) == tabIndex(whole.inner));

    // The parts are where the format puts them.
    const qsizetype outerDigits = file.size() >= 2 && file[1] == ' ' ? 1 : 2;
    FUZZ_CHECK(whole.outer == file.first(std::min(outerDigits, file.size())));
    FUZZ_CHECK(whole.inner
               == (outerDigits + 1 < file.size() ? file.sliced(outerDigits + 1) : QByteArray()));

    // The whole way from the file to the tabs.
    const std::optional<QByteArray> field = fieldOf(file);
    FUZZ_CHECK(field == reference::firstField(file));
    const QByteArrayView used = field ? QByteArrayView(*field) : tabmemory::DefaultTabsField;
    FUZZ_CHECK(restoredByProgram(used) == restoredTabs(used));

    // Every pair of tabs the viewer can save reads back unchanged.
    if (size >= 2) {
        const int outer = data[0] % 20;
        const int inner = data[1] % 11;
        const QByteArray line = tabmemory::formatTabsLine(outer, inner);
        FUZZ_CHECK(line.endsWith("\r\n"));
        const std::optional<QByteArray> saved = fieldOf(line);
        FUZZ_CHECK(saved.has_value());
        FUZZ_CHECK(restoredByProgram(*saved) == std::make_pair(outer, inner));
    }
    return 0;
}
