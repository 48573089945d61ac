#pragma once

#include <QStringView>

// The number a text begins with, leading spaces skipped, 0 when it begins
// with none, clamped to 16 bits: how a flag text box turns into a check mark
// and the countdown text into a count.
int numericValue(QStringView text);
