#include "tabmemory.h"

#include "textvalue.h"

#include <algorithm>

namespace tabmemory {

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
    return wholeNumber(text);
}

QByteArray formatTabsLine(int outer, int inner)
{
    return QByteArray::number(outer) + ' ' + QByteArray::number(inner) + "\r\n";
}

} // namespace tabmemory
