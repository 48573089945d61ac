#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace pictures {

// Loads a JPEG picture, or fails with a null image for anything that is not a
// whole, sane JPEG file: a missing or empty file, a folder, another format
// under a .jpg name, a truncated file, or one whose header claims more pixels
// than the budget below. Bytes after the end-of-image marker (padding, data
// that cameras and editors append) are not part of the picture and are
// ignored. Failing is silent.
//
// With `scaledSize` given, the picture is decoded straight at that size,
// which for JPEG is far cheaper than decoding it whole and scaling after.
QImage loadPicture(const QString &path, QSize scaledSize = {});

// Pictures with more pixels than this are refused before decoding: room for
// what today's cameras take, while a hostile header cannot claim gigabytes.
inline constexpr qint64 MaxPicturePixels = 64'000'000;
inline constexpr qint64 MaxPictureFileSize = 32 * 1024 * 1024;

} // namespace pictures
