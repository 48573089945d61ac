#include "pictureloader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace pictures {

namespace {

constexpr char Marker = '\xFF';

bool isRestartMarker(quint8 code)
{
    return code >= 0xD0 && code <= 0xD7;
}

// Where the entropy-coded data of a scan, starting at `pos`, gives way to the
// next marker. Inside it a 0xFF byte is followed by a zero (a stuffed byte) or
// by a restart marker; anything else is a marker. The size of the data when
// no marker follows.
qsizetype endOfScan(const QByteArray &bytes, qsizetype pos)
{
    while ((pos = bytes.indexOf(Marker, pos)) >= 0 && pos + 1 < bytes.size()) {
        const auto next = quint8(bytes[pos + 1]);
        if (next == 0xFF)
            ++pos; // fill byte before a marker
        else if (next == 0x00 || isRestartMarker(next))
            pos += 2;
        else
            return pos;
    }
    return bytes.size();
}

// The length of the picture: up to and including its end-of-image marker,
// found by walking its segments and scans, so that a marker inside embedded
// data (a thumbnail in the camera's notes) is not taken for it. 0 when the
// file ends before it, which is how a file cut short shows: the decoder
// itself happily returns the top part of one, a half-grey picture.
qsizetype pictureLength(const QByteArray &bytes)
{
    if (!bytes.startsWith("\xFF\xD8\xFF"))
        return 0;
    qsizetype pos = 2;
    // Stray bytes before a marker are skipped, as the decoder skips them.
    while ((pos = bytes.indexOf(Marker, pos)) >= 0 && pos + 1 < bytes.size()) {
        const auto code = quint8(bytes[pos + 1]);
        pos += code == 0xFF ? 1 : 2;
        if (code == 0xFF || code == 0x01 || isRestartMarker(code))
            continue; // markers without a segment
        if (code == 0xD9)
            return pos;
        if (pos + 2 > bytes.size())
            return 0;
        const int length = quint8(bytes[pos]) << 8 | quint8(bytes[pos + 1]);
        if (length < 2)
            return 0;
        pos += length;
        if (code == 0xDA)
            pos = endOfScan(bytes, pos);
    }
    return 0;
}

QByteArray readSmallFile(const QString &path)
{
    // A named pipe or device under a picture's name would block the window.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)
        || file.size() > MaxPictureFileSize)
        return {};
    // As much as the file holds and one byte more, to see one that grew
    // meanwhile: a read of the largest size allowed would reserve that much
    // memory for every picture.
    return file.read(file.size() + 1);
}

// The reader refuses to allocate more than its limit (128 MB unless set);
// a picture within the budget, shown at its own size, needs up to four bytes
// a pixel.
void allowBudgetedPictures()
{
    constexpr int needed = int((MaxPicturePixels * 4 + (1 << 20) - 1) >> 20);
    if (QImageReader::allocationLimit() < needed)
        QImageReader::setAllocationLimit(needed);
}

} // namespace

QImage loadPicture(const QString &path, QSize scaledSize)
{
    QByteArray bytes = readSmallFile(path);
    if (bytes.size() > MaxPictureFileSize)
        return {};
    const qsizetype length = pictureLength(bytes);
    if (length == 0)
        return {};
    bytes.truncate(length);

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > MaxPicturePixels)
        return {};
    if (scaledSize.isValid())
        reader.setScaledSize(scaledSize);
    else
        allowBudgetedPictures();
    return reader.read();
}

} // namespace pictures
