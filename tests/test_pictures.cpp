// The pictures: what the build draws into the program folder (every entry's
// two JPEG files, sane sizes, never blank, the same bytes on every run, the
// icon), what the loader refuses and what it takes whatever follows the
// picture, and what the window shows: a large picture, and when one is
// missing or broken what the control showed before, which after a tab change
// is nothing.
#include "testfiles.h"
#include "windowdriver.h"

#include "pictureloader.h"
#include "picturepaths.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QImageReader>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QProcess>
#include <QSet>

namespace {

const QString BuiltFolder = QStringLiteral(HUNTMARK_PROGRAM_DIR);
const QString IconPath = QStringLiteral(HUNTMARK_PROGRAM_DIR "/../generated/huntmark.ico");
const QString GeneratorPath = QStringLiteral(HUNTMARK_PROGRAM_DIR "/../tools/makepictures");

// Both pictures of every entry, in `folder`.
QStringList allPicturePaths(const QString &folder)
{
    QStringList paths;
    for (const catalog::Region &region : catalog::regions()) {
        for (const catalog::UniqueMonster &monster : region.entries)
            paths << pictures::monsterPicturePath(folder, monster)
                  << pictures::locationPicturePath(folder, monster);
    }
    return paths;
}

// How far the grey levels spread: a flat or blank picture has next to none.
int greyRange(const QImage &image)
{
    int low = 255, high = 0;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            low = std::min(low, qGray(image.pixel(x, y)));
            high = std::max(high, qGray(image.pixel(x, y)));
        }
    }
    return high - low;
}

QByteArray goodJpeg()
{
    return jpegBytes(QSize(64, 48), Qt::magenta);
}

// Busy enough that the cut falls in the picture data, well after the
// headers: the decoder would make half a picture of it.
QByteArray truncatedJpeg()
{
    QImage busy(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < busy.height(); ++y) {
        for (int x = 0; x < busy.width(); ++x)
            busy.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
    }
    const QByteArray whole = encoded(busy);
    return whole.left(whole.size() * 2 / 3);
}

// A picture whose frame header (SOF0, with height and width in two bytes
// each) claims another size than its data has.
QByteArray claimingJpeg(const QByteArray &jpeg, int width, int height)
{
    QByteArray claiming = jpeg;
    const qsizetype frame = claiming.indexOf("\xFF\xC0");
    for (auto [at, value] : { std::pair { frame + 5, height }, std::pair { frame + 7, width } }) {
        claiming[at] = char(value >> 8);
        claiming[at + 1] = char(value & 0xFF);
    }
    return claiming;
}

QByteArray hugeJpeg()
{
    return claimingJpeg(goodJpeg(), 30000, 30000);
}

// Just over the budget: a row of pixels more than the loader takes.
QByteArray overBudgetJpeg(QColor color)
{
    constexpr int width = 8000;
    return claimingJpeg(jpegBytes(QSize(64, 48), color), width,
                        int(pictures::MaxPicturePixels / width) + 1);
}

// A camera's notes (an APP1 segment) right after the start marker, holding a
// thumbnail that is a whole JPEG of its own, end marker included.
QByteArray withThumbnail(const QByteArray &jpeg)
{
    const QByteArray notes = "Exif" + QByteArray(2, '\0') + jpegBytes(QSize(16, 12), Qt::yellow);
    const int length = int(notes.size()) + 2;
    return jpeg.left(2) + "\xFF\xE1" + char(length >> 8) + char(length & 0xFF) + notes
            + jpeg.mid(2);
}

// Start and end markers of a JPEG around bytes that are none.
QByteArray garbageJpeg()
{
    QByteArray bytes("\xFF\xD8\xFF\xE0");
    for (int i = 0; i < 4000; ++i)
        bytes += char((i * 7919) >> 3);
    return bytes + "\xFF\xD9";
}

QString picturePath(const QString &subFolder, int r, int i)
{
    return subFolder + QLatin1Char('/')
            + pictures::pictureFileName(*catalog::findUniqueMonster(r, i));
}

// Each entry's monster picture has a size of its own, so the control, which
// takes the size of its picture, tells which one it shows.
QSize monsterSize(int i)
{
    return QSize(60 + 10 * i, 40 + 5 * i);
}

const QColor Colors[] = { Qt::red, Qt::blue, Qt::green };

} // namespace

class PicturesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The decoder's complaints about the garbage are expected.
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.jpeg=false"));
    }
    void builtPicturesAreWholeSaneAndDistinct();
    void generatorDrawsTheSameBytesEveryRun();
    void iconIsOneTwentyFourBitImageOfThirtyTwoPixels();
    void loaderRefusesBrokenFiles_data();
    void loaderRefusesBrokenFiles();
    void loaderTakesWhatFollowsThePictureAndScales_data();
    void loaderTakesWhatFollowsThePictureAndScales();
    void windowShowsAPictureOrKeepsWhatItShowed_data();
    void windowShowsAPictureOrKeepsWhatItShowed();
};

void PicturesTest::builtPicturesAreWholeSaneAndDistinct()
{
    QSet<QPair<int, int>> monsterSizes;
    QHash<QByteArray, QString> seen;
    for (const QString &path : allPicturePaths(BuiltFolder)) {
        const QByteArray bytes = fileBytes(path);
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(path + QStringLiteral(" does not decode")));
        // The decoder forgives a file cut short; its end-of-image marker does not.
        QVERIFY2(bytes.endsWith("\xff\xd9"), qPrintable(path + QStringLiteral(" is cut short")));
        QVERIFY2(greyRange(image) > 24, qPrintable(path + QStringLiteral(" is flat")));
        const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
        QVERIFY2(!seen.contains(digest),
                 qPrintable(path + QStringLiteral(" repeats ") + seen.value(digest)));
        seen.insert(digest, path);
        // Places are stretched to a square; monsters keep their size.
        if (path.contains(pictures::LocationPictureFolder))
            QVERIFY2(image.width() == image.height(), qPrintable(path));
        else
            monsterSizes.insert({ image.width(), image.height() });
    }
    // The window shows each monster at its own size.
    QVERIFY(monsterSizes.size() > 10);
    // A picture drawn under a name the catalog does not use would never be shown.
    for (const QString &folder :
         { pictures::MonsterPictureFolder, pictures::LocationPictureFolder })
        QCOMPARE(QDir(BuiltFolder + QLatin1Char('/') + folder).entryList(QDir::Files).size(),
                 qsizetype(catalog::UniqueMonsterCount));
}

void PicturesTest::generatorDrawsTheSameBytesEveryRun()
{
    if (!QFileInfo(GeneratorPath).isExecutable())
        QSKIP("the picture generator is not in this build tree");
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    QProcess generator;
    generator.start(GeneratorPath, { scratch.path() });
    QVERIFY(generator.waitForFinished(120000));
    QCOMPARE(generator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(generator.exitCode(), 0);
    const QStringList built = allPicturePaths(BuiltFolder), drawn = allPicturePaths(scratch.path());
    for (qsizetype i = 0; i < built.size(); ++i)
        QVERIFY2(fileBytes(built[i]) == fileBytes(drawn[i]),
                 qPrintable(built[i] + QStringLiteral(" came out different")));
}

void PicturesTest::iconIsOneTwentyFourBitImageOfThirtyTwoPixels()
{
    const QByteArray bytes = fileBytes(IconPath);
    // The directory: reserved 0, type 1 (icon), one image, at 24 bits.
    QCOMPARE(bytes.left(6), QByteArray::fromHex("000001000100"));
    QCOMPARE(quint8(bytes.at(12)), quint8(24));
    QImageReader reader(IconPath, "ico");
    const QImage icon = reader.read();
    QVERIFY2(!icon.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(icon.size(), QSize(32, 32));
    QVERIFY(greyRange(icon) > 24);
}

void PicturesTest::loaderRefusesBrokenFiles_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("missing") << Place::Missing << QByteArray();
    QTest::newRow("zero bytes") << Place::File << QByteArray();
    QTest::newRow("truncated") << Place::File << truncatedJpeg();
    // Its thumbnail's end marker is not the picture's.
    QTest::newRow("truncated behind a thumbnail") << Place::File << withThumbnail(truncatedJpeg());
    QTest::newRow("PNG named .jpg")
            << Place::File << encoded(QImage(64, 48, QImage::Format_RGB32), "PNG");
    QTest::newRow("header claims 30000 x 30000") << Place::File << hugeJpeg();
    QTest::newRow("header claims one pixel over the budget")
            << Place::File << overBudgetJpeg(Qt::blue);
    QTest::newRow("garbage between JPEG markers") << Place::File << garbageJpeg();
    QTest::newRow("folder named like the picture") << Place::Folder << goodJpeg();
    QTest::newRow("named pipe without a writer") << Place::NamedPipe << QByteArray();
    QTest::newRow("no read permission") << Place::Unreadable << goodJpeg();
}

void PicturesTest::loaderRefusesBrokenFiles()
{
    QFETCH(Place, place);
    QFETCH(QByteArray, bytes);
    if (place == Place::Unreadable && runningAsRoot())
        QSKIP("root reads a file whatever its permissions; the folder case covers a failing open");
    ProgramFolder folder;
    ModeRestorer restorer;
    putInPlace(folder, QStringLiteral("x.jpg"), place, bytes, restorer);
    const QString path = folder.filePath(QStringLiteral("x.jpg"));
    QVERIFY(pictures::loadPicture(path).isNull());
    QVERIFY(pictures::loadPicture(path, QSize(30, 30)).isNull());
}

void PicturesTest::loaderTakesWhatFollowsThePictureAndScales_data()
{
    // Writers pad the end, cameras append their own data or a second picture.
    const QByteArray blue = jpegBytes(QSize(64, 48), Qt::blue);
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("padded with zero bytes") << blue + QByteArray(16, '\0');
    QTest::newRow("24 bytes appended") << blue + QByteArray("appended by the camera!\n");
    QTest::newRow("a thumbnail, and a picture appended") << withThumbnail(blue) + goodJpeg();
}

void PicturesTest::loaderTakesWhatFollowsThePictureAndScales()
{
    QFETCH(QByteArray, bytes);
    ProgramFolder folder;
    folder.write(QStringLiteral("x.jpg"), bytes);
    const QString path = folder.filePath(QStringLiteral("x.jpg"));
    const QImage whole = pictures::loadPicture(path);
    QCOMPARE(whole.size(), QSize(64, 48));
    QVERIFY(nearColor(whole.pixelColor(32, 24), Qt::blue));
    QCOMPARE(pictures::loadPicture(path, QSize(32, 32)).size(), QSize(32, 32));
}

void PicturesTest::windowShowsAPictureOrKeepsWhatItShowed_data()
{
    // What the loader takes and refuses is its own rows' concern; these are
    // what the window makes of it, for either picture alone. A picture shown
    // is entry 1's color.
    QTest::addColumn<QString>("special"); // the picture's folder
    QTest::addColumn<Place>("place");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("shown");
    QTest::newRow("monster missing")
            << pictures::MonsterPictureFolder << Place::Missing << QByteArray() << false;
    QTest::newRow("location truncated")
            << pictures::LocationPictureFolder << Place::File << truncatedJpeg() << false;
    QTest::newRow("location over the pixel budget")
            << pictures::LocationPictureFolder << Place::File << overBudgetJpeg(Colors[1]) << false;
    QTest::newRow("location of 5000 x 4000") << pictures::LocationPictureFolder << Place::File
                                             << jpegBytes(QSize(5000, 4000), Colors[1]) << true;
    QTest::newRow("monster with 24 bytes appended")
            << pictures::MonsterPictureFolder << Place::File
            << jpegBytes(monsterSize(1), Colors[1]) + QByteArray("appended by the camera!\n")
            << true;
}

void PicturesTest::windowShowsAPictureOrKeepsWhatItShowed()
{
    QFETCH(QString, special);
    QFETCH(Place, place);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, shown);
    const bool monsterBroken = !shown && special == pictures::MonsterPictureFolder;
    const bool locationBroken = !shown && special == pictures::LocationPictureFolder;

    // Entries 0 and 2 of region 0 have good pictures; entry 1 the row's
    // picture where the row says, a good one elsewhere.
    ProgramFolder folder;
    ModeRestorer restorer;
    for (const QString &sub : { pictures::MonsterPictureFolder, pictures::LocationPictureFolder })
        QVERIFY(QDir(folder.path()).mkpath(sub));
    for (int i = 0; i < 3; ++i) {
        folder.write(picturePath(pictures::MonsterPictureFolder, 0, i),
                     jpegBytes(monsterSize(i), Colors[i]));
        folder.write(picturePath(pictures::LocationPictureFolder, 0, i),
                     jpegBytes(QSize(320, 320), Colors[i]));
    }
    putInPlace(folder, picturePath(special, 0, 1), place, bytes, restorer);

    auto window = startedWindow(folder);
    stopClock(window.get());
    QLabel *monster = control<QLabel>(window.get(), "ImageUniqueMonster", 0);
    QLabel *location = control<QLabel>(window.get(), "ImageUniqueLocation", 0);
    const QColor none;
    const auto shows = [&](QColor monsterColor, QSize monsterPictureSize, QColor locationColor) {
        return nearColor(shownColor(monster), monsterColor)
                && (!monsterColor.isValid() || monster->size() == monsterPictureSize)
                && nearColor(shownColor(location), locationColor);
    };
    QCOMPARE(currentTab(window.get(), "QVLocations"), 0);
    QVERIFY(shows(none, {}, none));
    selectUniqueAndRead(window.get(), 0, 0);
    QVERIFY(shows(Colors[0], monsterSize(0), Colors[0]));

    // The damaged entry: its texts, and the previous picture where its own
    // cannot be loaded.
    selectUniqueAndRead(window.get(), 0, 1);
    QVERIFY(shows(monsterBroken ? Colors[0] : Colors[1], monsterSize(monsterBroken ? 0 : 1),
                  locationBroken ? Colors[0] : Colors[1]));
    selectUniqueAndRead(window.get(), 0, 2);
    QVERIFY(shows(Colors[2], monsterSize(2), Colors[2]));

    // After a tab change there is nothing to keep.
    selectTab(window.get(), "QVLocations", 1);
    selectTab(window.get(), "QVLocations", 0);
    QVERIFY(shows(none, {}, none));
    selectUniqueAndRead(window.get(), 0, 1);
    QVERIFY(shows(monsterBroken ? none : Colors[1], monsterSize(1),
                  locationBroken ? none : Colors[1]));
}

QTEST_MAIN(PicturesTest)
#include "test_pictures.moc"
