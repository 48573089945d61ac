#include "textvalue.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 Lowest = std::numeric_limits<qint16>::min();
constexpr qint64 Highest = std::numeric_limits<qint16>::max();

// A sign and the digits after it, read from `at` on; the magnitude stops
// growing just past 16 bits, so a long run of digits cannot overflow.
struct SignedDigits
{
    qint64 value = 0;
    qsizetype digits = 0;
    qsizetype end = 0;
};

char16_t codeOf(QChar c)
{
    return c.unicode();
}

char16_t codeOf(char c)
{
    return char16_t(static_cast<unsigned char>(c));
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

template<typename View>
SignedDigits readSignedDigits(View text, qsizetype at)
{
    bool negative = false;
    if (at < text.size() && (codeOf(text[at]) == u'+' || codeOf(text[at]) == u'-')) {
        negative = codeOf(text[at]) == u'-';
        ++at;
    }
    SignedDigits read;
    for (; at < text.size() && isDigit(codeOf(text[at])); ++at, ++read.digits) {
        if (read.value <= Highest + 1)
            read.value = read.value * 10 + (codeOf(text[at]) - u'0');
    }
    read.value = negative ? -read.value : read.value;
    read.end = at;
    return read;
}

} // namespace

int numericValue(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == u' ')
        ++start;
    const SignedDigits read = readSignedDigits(text, start);
    return int(std::clamp(read.value, Lowest, Highest));
}

std::optional<int> wholeNumber(QByteArrayView text)
{
    const QByteArrayView trimmed = text.trimmed();
    const SignedDigits read = readSignedDigits(trimmed, 0);
    if (read.digits == 0 || read.end != trimmed.size())
        return std::nullopt;
    if (read.value < Lowest || read.value > Highest)
        return std::nullopt;
    return int(read.value);
}
