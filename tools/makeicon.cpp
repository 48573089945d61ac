// Draws the program's emblem, a hunter's crosshair over three claw marks, and
// writes it as the window icon and as desktop icons of the usual sizes; the
// tracker's desktop icons carry a green check mark in their corner besides.
//
//   makeicon <out.ico> [<pngFolder> <size>...]
//
// The window icon is one 32 x 32 image in 24-bit color, 3262 bytes in all.
// QImageWriter has no ICO writer in Qt 6.4, and the layout is fixed anyway,
// so the file is put together byte by byte.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

namespace {

constexpr int IconSize = 32;
constexpr int DirectorySize = 6;
constexpr int DirectoryEntrySize = 16;
constexpr int InfoHeaderSize = 40;
constexpr int ColorRowSize = IconSize * 3; // 96: already a multiple of 4
constexpr int MaskRowSize = 4; // 32 bits, padded to 4 bytes
constexpr int ImageSize = InfoHeaderSize + IconSize * ColorRowSize + IconSize * MaskRowSize;
constexpr int IconFileSize = DirectorySize + DirectoryEntrySize + ImageSize;
static_assert(IconFileSize == 3262);

// The .ico has no transparency (its mask is all opaque), so there the badge
// fills the whole square; the desktop icons get rounded corners.
enum class Corners { Square, Rounded };

const QColor Night(14, 24, 36);
const QColor Dusk(36, 62, 84);
const QColor Blood(206, 44, 44);
const QColor Gold(240, 190, 70);
const QColor Leaf(43, 138, 62);

void paintBadge(QPainter &painter, Corners corners)
{
    const QRectF badge(0.5, 0.5, 31, 31);
    QRadialGradient fill(QPointF(13, 11), 24);
    fill.setColorAt(0, Dusk);
    fill.setColorAt(1, Night);
    painter.setPen(QPen(QColor(90, 120, 140), 1));
    painter.setBrush(fill);
    if (corners == Corners::Rounded)
        painter.drawRoundedRect(badge, 6, 6);
    else
        painter.drawRect(badge);
}

// One slash of a claw: a sliver, thick in its middle and sharp at both ends.
QPainterPath clawMark(QPointF from, QPointF to, double thickness)
{
    const QPointF along = to - from;
    const QPointF middle = (from + to) / 2;
    const double length = std::hypot(along.x(), along.y());
    const QPointF across(-along.y() / length * thickness, along.x() / length * thickness);
    QPainterPath path(from);
    path.quadTo(middle + across, to);
    path.quadTo(middle - across * 0.4, from);
    return path;
}

void paintClaws(QPainter &painter)
{
    painter.setPen(Qt::NoPen);
    for (int claw = 0; claw < 3; ++claw) {
        const double offset = (claw - 1) * 6.5;
        const QPointF from(23 + offset, 3.5 + offset * 0.3);
        const QPointF to(7 + offset, 28.5 + offset * 0.3);
        QLinearGradient shade(from, to);
        shade.setColorAt(0, Blood.lighter(130));
        shade.setColorAt(1, Blood.darker(150));
        painter.setBrush(shade);
        painter.drawPath(clawMark(from, to, 3.6));
    }
}

void paintCrosshair(QPainter &painter)
{
    const QPointF centre(16, 16);
    // A dark rim under the gold keeps the sight readable where it crosses red.
    for (const auto &[color, width] :
         { std::pair { QColor(0, 0, 0, 150), 3.6 }, std::pair { Gold, 1.9 } }) {
        painter.setPen(QPen(color, width, Qt::SolidLine, Qt::FlatCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, 9, 9);
        painter.drawLine(QPointF(16, 1.5), QPointF(16, 9.5));
        painter.drawLine(QPointF(16, 22.5), QPointF(16, 30.5));
        painter.drawLine(QPointF(1.5, 16), QPointF(9.5, 16));
        painter.drawLine(QPointF(22.5, 16), QPointF(30.5, 16));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Gold);
    painter.drawEllipse(centre, 1.6, 1.6);
}

// The tracker's mark: a check in a green disc over the lower right corner.
void paintCheck(QPainter &painter)
{
    const QPointF centre(23.5, 23.5);
    painter.setPen(QPen(Night, 1.4));
    painter.setBrush(Leaf);
    painter.drawEllipse(centre, 8, 8);
    painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    QPainterPath tick(QPointF(19.6, 23.8));
    tick.lineTo(22.4, 26.6);
    tick.lineTo(27.6, 20.6);
    painter.drawPath(tick);
}

enum class Emblem { Viewer, Tracker };

QImage paintEmblem(int size, Corners corners, Emblem emblem = Emblem::Viewer)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(corners == Corners::Square ? Night : QColor(Qt::transparent));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / double(IconSize), size / double(IconSize));
    paintBadge(painter, corners);
    paintClaws(painter);
    paintCrosshair(painter);
    if (emblem == Emblem::Tracker)
        paintCheck(painter);
    return image;
}

void appendWord(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value & 0xff));
    bytes.append(char(value >> 8));
}

void appendLong(QByteArray &bytes, quint32 value)
{
    appendWord(bytes, quint16(value & 0xffff));
    appendWord(bytes, quint16(value >> 16));
}

QByteArray iconFileBytes(const QImage &emblem)
{
    QByteArray bytes;
    bytes.reserve(IconFileSize);

    // ICONDIR: reserved, type 1 (icon), one image.
    appendWord(bytes, 0);
    appendWord(bytes, 1);
    appendWord(bytes, 1);

    // ICONDIRENTRY: width, height, color count, reserved, planes, bit count,
    // size of the image data, where it starts.
    bytes.append(char(IconSize));
    bytes.append(char(IconSize));
    bytes.append(char(0));
    bytes.append(char(0));
    appendWord(bytes, 1);
    appendWord(bytes, 24);
    appendLong(bytes, ImageSize);
    appendLong(bytes, DirectorySize + DirectoryEntrySize);

    // BITMAPINFOHEADER: the height counts the color rows and the mask rows.
    appendLong(bytes, InfoHeaderSize);
    appendLong(bytes, IconSize);
    appendLong(bytes, IconSize * 2);
    appendWord(bytes, 1);
    appendWord(bytes, 24);
    appendLong(bytes, 0); // BI_RGB
    appendLong(bytes, ImageSize - InfoHeaderSize);
    appendLong(bytes, 0);
    appendLong(bytes, 0);
    appendLong(bytes, 0);
    appendLong(bytes, 0);

    const QImage opaque = emblem.convertToFormat(QImage::Format_RGB32);
    for (int y = IconSize - 1; y >= 0; --y) {
        const auto *row = reinterpret_cast<const QRgb *>(opaque.constScanLine(y));
        for (int x = 0; x < IconSize; ++x) {
            bytes.append(char(qBlue(row[x])));
            bytes.append(char(qGreen(row[x])));
            bytes.append(char(qRed(row[x])));
        }
    }
    bytes.append(QByteArray(IconSize * MaskRowSize, '\0'));
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Catches a layout slip at build time rather than in the window's title bar.
bool readsBackAsIcon(const QString &path)
{
    QImageReader reader(path, "ico");
    const QImage image = reader.read();
    return image.size() == QSize(IconSize, IconSize);
}

// The desktop icons' sizes in pixels, as the build lists them; nothing when
// one of them is not a size.
std::optional<QList<int>> iconSizes(const QStringList &arguments)
{
    QList<int> sizes;
    for (const QString &argument : arguments) {
        bool number = false;
        const int size = argument.toInt(&number);
        if (!number || size < 1 || size > 1024)
            return std::nullopt;
        sizes.append(size);
    }
    return sizes;
}

bool writeDesktopIcons(const QString &folder, const QList<int> &sizes)
{
    for (int size : sizes) {
        for (const auto &[name, emblem] : { std::pair { "huntmark-viewer", Emblem::Viewer },
                                            std::pair { "huntmark-tracker", Emblem::Tracker } }) {
            const QString path = QStringLiteral("%1/%2x%2/%3.png")
                                         .arg(folder)
                                         .arg(size)
                                         .arg(QLatin1String(name));
            QDir().mkpath(QFileInfo(path).absolutePath());
            if (!paintEmblem(size, Corners::Rounded, emblem).save(path, "PNG"))
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Only images are drawn; no window is ever opened.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList arguments = app.arguments();
    const std::optional<QList<int>> sizes = iconSizes(arguments.mid(3));
    if (arguments.size() < 2 || arguments.size() == 3 || !sizes) {
        std::fprintf(stderr, "usage: makeicon <out.ico> [<pngFolder> <size>...]\n");
        return 2;
    }

    const QString iconPath = arguments.at(1);
    const QByteArray bytes = iconFileBytes(paintEmblem(IconSize, Corners::Square));
    if (bytes.size() != IconFileSize || !writeFile(iconPath, bytes)) {
        std::fprintf(stderr, "makeicon: cannot write %s\n", qPrintable(iconPath));
        return 1;
    }
    if (!readsBackAsIcon(iconPath)) {
        std::fprintf(stderr, "makeicon: %s does not read back as a %d x %d icon\n",
                     qPrintable(iconPath), IconSize, IconSize);
        return 1;
    }
    if (arguments.size() > 3 && !writeDesktopIcons(arguments.at(2), *sizes)) {
        std::fprintf(stderr, "makeicon: cannot write the desktop icons in %s\n",
                     qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}
