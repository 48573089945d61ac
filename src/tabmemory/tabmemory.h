#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tabmemory {

// The file in the program folder that remembers the tabs last shown.
inline const QString TabsFileName = QStringLiteral("Tabs.ini");

// The remembered tabs: one line, the outer and the inner tab index.
struct TabsLine
{
    QByteArray outer; // the text of the outer index, not yet converted
    QByteArray inner; // the text of the inner index, not yet converted
};

// What the file stands for when it is missing or unusable: the first tab of
// both tab controls.
inline constexpr QByteArrayView DefaultTabsField = "0 0";

// Splits a field such as "5 3" or "19 10": a space as its second character
// means a one-digit outer index, otherwise it has two digits; the inner index
// is everything after the character that follows them.
TabsLine splitTabsField(QByteArrayView field);

// Converts an index text: a whole 16-bit number (wholeNumber()). Anything
// else is no index at all.
std::optional<int> toTabIndex(QByteArrayView text);

// The line written back: "5 3" followed by carriage return and line feed.
QByteArray formatTabsLine(int outer, int inner);

} // namespace tabmemory
