// The pictures and the icon are drawn at build time; these checks read what
// the build put into the program folder, so a generator that stops drawing,
// misnames a file or changes its output from run to run is caught here.

#include "catalog/catalog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

const QString ProgramFolder = QStringLiteral(HUNTMARK_PROGRAM_DIR);
const QString IconPath = QStringLiteral(HUNTMARK_PROGRAM_DIR "/../generated/huntmark.ico");
const QString GeneratorPath = QStringLiteral(HUNTMARK_PROGRAM_DIR "/../tools/makepictures");

QList<const catalog::UniqueMonster *> allMonsters()
{
    QList<const catalog::UniqueMonster *> monsters;
    for (const catalog::Region &region : catalog::regions()) {
        for (const catalog::UniqueMonster &monster : region.entries)
            monsters << &monster;
    }
    return monsters;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How far the grey levels spread: a flat or blank picture has next to none.
double greySpread(const QImage &image)
{
    double sum = 0, sumOfSquares = 0;
    int count = 0;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            const double grey = qGray(image.pixel(x, y));
            sum += grey;
            sumOfSquares += grey * grey;
            ++count;
        }
    }
    const double mean = sum / count;
    return std::sqrt(std::max(0.0, sumOfSquares / count - mean * mean));
}

QImage readJpeg(const QString &path, QByteArray *format = nullptr)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (format)
        *format = reader.format(); // from the content, before reading closes the file
    return reader.read();
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void everyEntryHasTwoJpegPictures();
    void picturesFoldersHoldNothingElse();
    void monsterPicturesFitTheirBoxAndVaryInSize();
    void locationPicturesAreSquare();
    void picturesAreNotBlank();
    void noTwoMonsterPicturesAreAlike();
    void generatorDrawsTheSameBytesEveryRun();
    void iconIsOneTwentyFourBitImageOfThirtyTwoPixels();
};

void TestPictures::everyEntryHasTwoJpegPictures()
{
    for (const catalog::UniqueMonster *entry : allMonsters()) {
        const catalog::UniqueMonster &monster = *entry;
        for (const QString &path : {catalog::monsterPicturePath(ProgramFolder, monster),
                                    catalog::locationPicturePath(ProgramFolder, monster)}) {
            QVERIFY2(QFileInfo::exists(path), qPrintable(path + QStringLiteral(" is missing")));
            QByteArray format;
            const QImage image = readJpeg(path, &format);
            QVERIFY2(!image.isNull(), qPrintable(path + QStringLiteral(" does not decode")));
            QCOMPARE(format, QByteArray("jpeg"));
            // The decoder forgives a file cut short; its end-of-image marker does not.
            QVERIFY2(fileBytes(path).endsWith("\xff\xd9"),
                     qPrintable(path + QStringLiteral(" is cut short")));
        }
    }
}

void TestPictures::picturesFoldersHoldNothingElse()
{
    // A picture drawn under a name the catalog does not use would never be shown.
    for (const QString &folder : {catalog::MonsterPictureFolder, catalog::LocationPictureFolder}) {
        const QDir dir(ProgramFolder + QLatin1Char('/') + folder);
        QCOMPARE(dir.entryList(QDir::Files).size(), qsizetype(catalog::UniqueMonsterCount));
    }
}

void TestPictures::monsterPicturesFitTheirBoxAndVaryInSize()
{
    QSet<QPair<int, int>> sizes;
    for (const catalog::UniqueMonster *entry : allMonsters()) {
        const catalog::UniqueMonster &monster = *entry;
        const QString path = catalog::monsterPicturePath(ProgramFolder, monster);
        const QImage image = readJpeg(path);
        QVERIFY2(image.width() <= 360 && image.height() <= 248, qPrintable(path));
        QVERIFY2(image.width() >= 240 && image.height() >= 160,
                 qPrintable(path + QStringLiteral(" is too small")));
        sizes.insert({image.width(), image.height()});
    }
    // The window shows each monster at its own size; one size for all would
    // make the picture box look fixed.
    QVERIFY(sizes.size() > 10);
}

void TestPictures::locationPicturesAreSquare()
{
    for (const catalog::UniqueMonster *entry : allMonsters()) {
        const catalog::UniqueMonster &monster = *entry;
        const QString path = catalog::locationPicturePath(ProgramFolder, monster);
        const QImage image = readJpeg(path);
        QVERIFY2(!image.isNull() && image.width() == image.height(), qPrintable(path));
        QVERIFY2(image.width() >= 256, qPrintable(path + QStringLiteral(" is too small to stretch well")));
    }
}

void TestPictures::picturesAreNotBlank()
{
    for (const catalog::UniqueMonster *entry : allMonsters()) {
        const catalog::UniqueMonster &monster = *entry;
        for (const QString &path : {catalog::monsterPicturePath(ProgramFolder, monster),
                                    catalog::locationPicturePath(ProgramFolder, monster)}) {
            const QImage image = readJpeg(path);
            QVERIFY2(!image.isNull() && greySpread(image) > 12,
                     qPrintable(path + QStringLiteral(" is flat")));
        }
    }
}

void TestPictures::noTwoMonsterPicturesAreAlike()
{
    QHash<QByteArray, QString> seen;
    for (const catalog::UniqueMonster *entry : allMonsters()) {
        const catalog::UniqueMonster &monster = *entry;
        const QString path = catalog::monsterPicturePath(ProgramFolder, monster);
        const QByteArray digest = QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256);
        QVERIFY2(!seen.contains(digest), qPrintable(path + QStringLiteral(" repeats ") + seen.value(digest)));
        seen.insert(digest, path);
    }
}

void TestPictures::generatorDrawsTheSameBytesEveryRun()
{
    if (!QFileInfo(GeneratorPath).isExecutable())
        QSKIP("the picture generator is not in this build tree");
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    QProcess generator;
    generator.start(GeneratorPath, {scratch.path()});
    QVERIFY(generator.waitForFinished(120000));
    QCOMPARE(generator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(generator.exitCode(), 0);
    // A rebuild must not change a picture: the pictures would otherwise
    // differ between two builds of the same sources.
    for (const catalog::UniqueMonster *entry : allMonsters()) {
        const catalog::UniqueMonster &monster = *entry;
        for (const auto pathOf : {&catalog::monsterPicturePath, &catalog::locationPicturePath}) {
            const QString built = pathOf(ProgramFolder, monster);
            const QString again = pathOf(scratch.path(), monster);
            QVERIFY2(fileBytes(built) == fileBytes(again),
                     qPrintable(built + QStringLiteral(" came out different")));
        }
    }
}

void TestPictures::iconIsOneTwentyFourBitImageOfThirtyTwoPixels()
{
    const QByteArray bytes = fileBytes(IconPath);
    QCOMPARE(bytes.size(), qsizetype(3262));
    // The directory: reserved 0, type 1 (icon), one image of 32 x 32 at 24 bits.
    QCOMPARE(bytes.left(6), QByteArray::fromHex("000001000100"));
    QCOMPARE(quint8(bytes.at(6)), quint8(32));
    QCOMPARE(quint8(bytes.at(7)), quint8(32));
    QCOMPARE(quint8(bytes.at(12)), quint8(24));

    QImageReader reader(IconPath, "ico");
    const QImage icon = reader.read();
    QVERIFY2(!icon.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(icon.size(), QSize(32, 32));
    QVERIFY(greySpread(icon) > 12);
}

QTEST_GUILESS_MAIN(TestPictures)
#include "test_pictures.moc"
