#pragma once

// Plain, one-pass readings of the formats the fuzz targets compare the
// program's code against. They favour being obviously right over being fast.

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace reference {

// The first field of a file: a UTF-8 byte-order mark in front is passed
// over, while a mark broken off part way is text; then spaces and line
// ends are skipped. A field that opens with a double quote runs to the next
// one or the end, without the quotes; any other runs to the first comma or
// line end. A file of nothing but spaces and line ends has no field.
inline std::optional<QByteArray> firstField(QByteArrayView text)
{
    qsizetype i = 0;
    const bool wholeMark = text.startsWith("\xEF\xBB\xBF");
    const bool brokenMark = !wholeMark && text.startsWith('\xEF');
    if (wholeMark)
        i = 3;
    if (!brokenMark) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\r' || text[i] == '\n'))
            ++i;
        if (i == text.size())
            return std::nullopt;
        if (text[i] == '"') {
            const qsizetype close = text.indexOf('"', i + 1);
            return text.sliced(i + 1, (close < 0 ? text.size() : close) - (i + 1)).toByteArray();
        }
    }
    qsizetype end = i;
    while (end < text.size() && text[end] != ',' && text[end] != '\r' && text[end] != '\n')
        ++end;
    return text.sliced(i, end - i).toByteArray();
}

} // namespace reference
