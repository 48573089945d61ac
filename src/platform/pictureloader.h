#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

// Loads a JPEG picture, or fails with a null image for anything that is not a
// whole, sane JPEG file: a missing or empty file, a folder, another format
// under a .jpg name, a truncated file, or one whose header claims more pixels
// than a picture of ours could need. Failing is silent.
//
// With `scaledSize` given, the picture is decoded straight at that size,
// which for JPEG is far cheaper than decoding it whole and scaling after.
QImage loadPicture(const QString &path, QSize scaledSize = {});

// Pictures larger than this are refused before decoding.
inline constexpr qint64 MaxPicturePixels = 4096 * 4096;
inline constexpr qint64 MaxPictureFileSize = 32 * 1024 * 1024;

} // namespace platform
