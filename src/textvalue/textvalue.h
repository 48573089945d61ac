#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <optional>

// The one reader of a small integer in a text: an optional sign, then decimal
// digits, within 16 bits. The window's text boxes and the tab memory read
// their numbers with it, each with its own tolerance.

// The number a text begins with, leading spaces skipped, 0 when it begins
// with none, clamped to 16 bits: how a flag text box turns into a check mark
// and the countdown text into a count.
int numericValue(QStringView text);

// The number a whole text is: surrounding white space allowed, an optional
// sign, then decimal digits and nothing else, within 16 bits. Anything else
// is no number at all.
std::optional<int> wholeNumber(QByteArrayView text);
