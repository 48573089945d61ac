#pragma once

#include <QColor>
#include <QPalette>

// The colors of progress marks, chosen to read on the palette in use: a
// light scheme gets deep tones, a dark one bright tones.
inline bool isDarkPalette(const QPalette &palette)
{
    return palette.color(QPalette::Base).lightness() < 128;
}

// Done entries: the check marks and the filled part of the tab bars.
inline QColor doneColor(const QPalette &palette)
{
    return isDarkPalette(palette) ? QColor(0x69, 0xdb, 0x7c) : QColor(0x2b, 0x8a, 0x3e);
}

// Entries that turned done since the last read.
inline QColor newColor(const QPalette &palette)
{
    return isDarkPalette(palette) ? QColor(0xff, 0xb0, 0x4d) : QColor(0xc2, 0x41, 0x0c);
}
