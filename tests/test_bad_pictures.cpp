// Pictures that are missing or broken in every way a copy, a download or a
// hand can break them. The window never fails on one: a picture that cannot
// be loaded leaves its control as it was (the previous entry's picture of
// the region, or nothing after a tab change), and everything else of the
// selection still happens.
#include "badinput_support.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>

#include <sys/stat.h>

using namespace badinput;

namespace {

enum class Damage { Missing, Empty, Truncated, Png, Text, Huge, Garbage, Folder, NamedPipe, Unreadable };
enum Where { InMonsters = 1, InLocations = 2, InBoth = 3 };

const catalog::UniqueMonster &entry(int r, int i)
{
    const catalog::UniqueMonster *monster = catalog::findUniqueMonster(r, i);
    if (!monster)
        qFatal("no entry (%d, %d)", r, i);
    return *monster;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes;
}

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Each entry's monster picture has a size of its own, so the control, which
// takes the size of its picture, tells which one it shows.
QSize monsterSize(int i)
{
    return QSize(60 + 10 * i, 40 + 5 * i);
}

const QColor Colours[] = {Qt::red, Qt::blue, Qt::green};

QByteArray damaged(Damage damage)
{
    const QByteArray good = encoded(filled(QSize(64, 48), Qt::magenta), "JPEG");
    switch (damage) {
    case Damage::Empty:
        return {};
    case Damage::Truncated: {
        // Big and busy enough that the cut falls in the picture data, well
        // after the headers: the decoder would make half a picture of it.
        QImage busy(320, 240, QImage::Format_RGB32);
        for (int y = 0; y < busy.height(); ++y) {
            for (int x = 0; x < busy.width(); ++x)
                busy.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
        }
        const QByteArray whole = encoded(busy, "JPEG");
        return whole.left(whole.size() * 2 / 3);
    }
    case Damage::Png:
        return encoded(filled(QSize(64, 48), Qt::magenta), "PNG");
    case Damage::Text:
        return "This is not a picture.\r\n";
    case Damage::Huge: {
        // The frame header (SOF0) holds height and width, two bytes each.
        QByteArray huge = good;
        const qsizetype frame = huge.indexOf("\xFF\xC0");
        for (qsizetype at : {frame + 5, frame + 7}) {
            huge[at] = char(30000 >> 8);
            huge[at + 1] = char(30000 & 0xFF);
        }
        return huge;
    }
    case Damage::Garbage: {
        // Start and end markers of a JPEG around bytes that are none.
        QByteArray bytes("\xFF\xD8\xFF\xE0");
        for (int i = 0; i < 4000; ++i)
            bytes += char((i * 7919) >> 3);
        return bytes + "\xFF\xD9";
    }
    case Damage::Missing:
    case Damage::Folder:
    case Damage::NamedPipe:
    case Damage::Unreadable:
        break;
    }
    return good;
}

QString picturePath(const QString &subFolder, int r, int i)
{
    return subFolder + QLatin1Char('/') + catalog::pictureFileName(entry(r, i));
}

// The colour in the middle of what a picture control shows; invalid when it
// shows nothing.
QColor shownColour(const QLabel *picture)
{
    const QPixmap pixmap = picture->pixmap();
    if (pixmap.isNull())
        return {};
    const QImage image = pixmap.toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(QColor shown, QColor expected)
{
    if (!expected.isValid())
        return !shown.isValid();
    return shown.isValid() && qAbs(shown.red() - expected.red()) < 16 &&
            qAbs(shown.green() - expected.green()) < 16 && qAbs(shown.blue() - expected.blue()) < 16;
}

} // namespace

class BadPicturesTest : public QObject
{
    Q_OBJECT

private slots:
    // The decoder's complaints about the garbage are expected and say
    // nothing about the test.
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.jpeg=false")); }
    void brokenPictureKeepsWhatWasShown_data();
    void brokenPictureKeepsWhatWasShown();
};

void BadPicturesTest::brokenPictureKeepsWhatWasShown_data()
{
    QTest::addColumn<int>("damage");
    QTest::addColumn<int>("where");

    const std::pair<const char *, Damage> damages[] = {
            {"missing", Damage::Missing},
            {"zero bytes", Damage::Empty},
            {"truncated", Damage::Truncated},
            {"PNG named .jpg", Damage::Png},
            {"text named .jpg", Damage::Text},
            {"header claims 30000 x 30000", Damage::Huge},
            {"garbage between JPEG markers", Damage::Garbage},
            {"folder named like the picture", Damage::Folder},
            {"named pipe without a writer", Damage::NamedPipe},
            {"no read permission", Damage::Unreadable},
    };
    const std::pair<const char *, Where> places[] = {
            {"monster", InMonsters}, {"location", InLocations}, {"both", InBoth}};
    for (const auto &[damageName, damage] : damages) {
        for (const auto &[placeName, where] : places)
            QTest::addRow("%s, %s", damageName, placeName) << int(damage) << int(where);
    }
}

void BadPicturesTest::brokenPictureKeepsWhatWasShown()
{
    QFETCH(int, damage);
    QFETCH(int, where);

    if (Damage(damage) == Damage::Unreadable && runningAsRoot())
        QSKIP("root reads a file whatever its permissions; the folder case covers a failing open");

    // Entries 0 and 2 of region 0 have good pictures; entry 1 a damaged one
    // where the row says, a good one elsewhere.
    ProgramFolder folder;
    ModeRestorer restorer;
    for (const QString &sub : {catalog::MonsterPictureFolder, catalog::LocationPictureFolder})
        QVERIFY(QDir(folder.path()).mkpath(sub));
    for (int i = 0; i < 3; ++i) {
        folder.write(picturePath(catalog::MonsterPictureFolder, 0, i),
                     encoded(filled(monsterSize(i), Colours[i]), "JPEG"));
        folder.write(picturePath(catalog::LocationPictureFolder, 0, i),
                     encoded(filled(QSize(320, 320), Colours[i]), "JPEG"));
    }
    for (const auto &[sub, bit] : {std::pair{catalog::MonsterPictureFolder, InMonsters},
                                   std::pair{catalog::LocationPictureFolder, InLocations}}) {
        if (!(where & bit))
            continue;
        const QString path = picturePath(sub, 0, 1);
        QVERIFY(QFile::remove(folder.filePath(path)));
        if (Damage(damage) == Damage::Folder) {
            QVERIFY(QDir(folder.path()).mkpath(path));
        } else if (Damage(damage) == Damage::NamedPipe) {
            QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath(path)).constData(), 0600), 0);
        } else if (Damage(damage) == Damage::Unreadable) {
            folder.write(path, encoded(filled(monsterSize(1), Colours[1]), "JPEG"));
            restorer.add(folder.filePath(path), 0600);
            QVERIFY(setMode(folder.filePath(path), 0));
        } else if (Damage(damage) != Damage::Missing) {
            folder.write(path, damaged(Damage(damage)));
        }
    }
    const bool monsterBroken = where & InMonsters;
    const bool locationBroken = where & InLocations;

    QElapsedTimer clock;
    clock.start();
    auto window = startedWindow(folder);
    stopClock(window.get());
    QLabel *monster = control<QLabel>(window.get(), "ImageUniqueMonster", 0);
    QLabel *location = control<QLabel>(window.get(), "ImageUniqueLocation", 0);
    QLineEdit *level = control<QLineEdit>(window.get(), "TextLevel", 0);
    const QColor none;
    const auto shows = [&](QColor monsterColour, QSize monsterPictureSize, QColor locationColour) {
        return near(shownColour(monster), monsterColour) &&
                (!monsterColour.isValid() || monster->size() == monsterPictureSize) &&
                near(shownColour(location), locationColour);
    };
    QCOMPARE(currentTab(window.get(), "QVLocations"), 0);
    QVERIFY(shows(none, {}, none));

    selectUniqueAndRead(window.get(), 0, 0);
    QVERIFY(shows(Colours[0], monsterSize(0), Colours[0]));

    // The damaged entry: its texts, and the previous picture where its own
    // cannot be loaded.
    selectUniqueAndRead(window.get(), 0, 1);
    QCOMPARE(level->text(), QLatin1String(entry(0, 1).level));
    QVERIFY(shows(monsterBroken ? Colours[0] : Colours[1], monsterSize(monsterBroken ? 0 : 1),
                  locationBroken ? Colours[0] : Colours[1]));

    selectUniqueAndRead(window.get(), 0, 2);
    QVERIFY(shows(Colours[2], monsterSize(2), Colours[2]));

    // After a tab change there is nothing to keep.
    selectTab(window.get(), "QVLocations", 1);
    selectTab(window.get(), "QVLocations", 0);
    QVERIFY(shows(none, {}, none));
    selectUniqueAndRead(window.get(), 0, 1);
    QCOMPARE(level->text(), QLatin1String(entry(0, 1).level));
    QVERIFY(shows(monsterBroken ? none : Colours[1], monsterSize(1), locationBroken ? none : Colours[1]));

    // The clock goes on, and so do the pictures that are fine.
    tick(window.get(), TicksPerFetch);
    QCOMPARE(countdown(window.get()), QString::number(TicksPerFetch));
    selectUniqueAndRead(window.get(), 0, 0);
    QVERIFY(shows(Colours[0], monsterSize(0), Colours[0]));
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
}

QTEST_MAIN(BadPicturesTest)
#include "test_bad_pictures.moc"
