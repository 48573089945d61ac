#include "tabmemory.h"

#include <limits>

namespace progress {

TabsLine splitTabsField(QByteArrayView field)
{
    const qsizetype outerDigits = (field.size() >= 2 && field[1] == ' ') ? 1 : 2;
    TabsLine line;
    line.outer = field.first(std::min(outerDigits, field.size())).toByteArray();
    const qsizetype innerStart = outerDigits + 1;
    if (innerStart < field.size())
        line.inner = field.sliced(innerStart).toByteArray();
    return line;
}

std::optional<int> toTabIndex(QByteArrayView text)
{
    const QByteArrayView trimmed = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < trimmed.size() && (trimmed[i] == '+' || trimmed[i] == '-')) {
        negative = trimmed[i] == '-';
        ++i;
    }
    if (i == trimmed.size())
        return std::nullopt;
    int value = 0;
    for (; i < trimmed.size(); ++i) {
        const char c = trimmed[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<qint16>::max() + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<qint16>::max() || value < std::numeric_limits<qint16>::min())
        return std::nullopt;
    return value;
}

QByteArray formatTabsLine(int outer, int inner)
{
    return QByteArray::number(outer) + ' ' + QByteArray::number(inner) + "\r\n";
}

} // namespace progress
