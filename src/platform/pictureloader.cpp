#include "platform/pictureloader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace platform {

namespace {

bool looksLikeWholeJpeg(const QByteArray &bytes)
{
    if (!bytes.startsWith("\xFF\xD8\xFF"))
        return false;
    // A JPEG ends with its end-of-image marker. The decoder happily returns
    // the top part of a cut-off file, which would show as a half-grey
    // picture; refuse it like any other broken file. Some writers pad the
    // end, so trailing zero bytes are allowed.
    qsizetype end = bytes.size();
    while (end > 0 && bytes[end - 1] == '\0')
        --end;
    return end >= 4 && bytes[end - 2] == '\xFF' && bytes[end - 1] == '\xD9';
}

QByteArray readSmallFile(const QString &path)
{
    // A named pipe or device under a picture's name would block the window.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > MaxPictureFileSize)
        return {};
    return file.read(MaxPictureFileSize + 1);
}

} // namespace

QImage loadPicture(const QString &path, QSize scaledSize)
{
    QByteArray bytes = readSmallFile(path);
    if (bytes.size() > MaxPictureFileSize || !looksLikeWholeJpeg(bytes))
        return {};

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > MaxPicturePixels)
        return {};
    if (scaledSize.isValid())
        reader.setScaledSize(scaledSize);
    return reader.read();
}

} // namespace platform
