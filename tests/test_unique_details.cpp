// Selecting a unique monster: its texts, its two pictures, and a check box
// the user cannot change.
#include "testsupport.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

const catalog::UniqueMonster &entry(int r, int i)
{
    const catalog::UniqueMonster *monster = catalog::findUniqueMonster(r, i);
    if (!monster)
        qFatal("no entry (%d, %d)", r, i);
    return *monster;
}

QByteArray jpegBytes(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

void writePicture(const ProgramFolder &folder, const QString &subFolder,
                  const catalog::UniqueMonster &monster, const QByteArray &bytes)
{
    QDir().mkpath(folder.filePath(subFolder));
    folder.write(subFolder + QLatin1Char('/') + catalog::pictureFileName(monster), bytes);
}

// Both pictures of an entry, each its own size and colour so the test can
// tell which one a control shows.
void writePictures(const ProgramFolder &folder, int r, int i, QColor colour)
{
    writePicture(folder, catalog::MonsterPictureFolder, entry(r, i),
                 jpegBytes(QSize(300 + i, 200 + r), colour));
    writePicture(folder, catalog::LocationPictureFolder, entry(r, i), jpegBytes(QSize(320, 320), colour));
}

QLabel *monsterPicture(const Form1 *window, int r)
{
    return control<QLabel>(window, "ImageUniqueMonster", r);
}

QLabel *locationPicture(const Form1 *window, int r)
{
    return control<QLabel>(window, "ImageUniqueLocation", r);
}

// The colour in the middle of what a picture control shows, or none.
QColor shownColour(const QLabel *picture)
{
    const QPixmap pixmap = picture->pixmap();
    if (pixmap.isNull())
        return {};
    const QImage image = pixmap.toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(QColor a, QColor b)
{
    return a.isValid() && qAbs(a.red() - b.red()) < 12 && qAbs(a.green() - b.green()) < 12 &&
            qAbs(a.blue() - b.blue()) < 12;
}

void select(Form1 *window, int r, int i)
{
    selectTab(window, "QVLocations", r);
    control<QListWidget>(window, "ListOfUniques", r)->setCurrentRow(i);
}

// An entry with appearance conditions and one without in the same region.
std::pair<int, int> entriesWithAndWithoutConditions(int r)
{
    int with = -1;
    int without = -1;
    for (int i = 0; i < catalog::uniqueMonsterCount(r); ++i) {
        (*entry(r, i).appearance ? with : without) = i;
    }
    return {with, without};
}

} // namespace

class UniqueDetailsTest : public QObject
{
    Q_OBJECT

private slots:
    void showsTextsAndBothPictures();
    void conditionsOfAnEarlierEntryDoNotLinger();
    void missingMonsterPictureKeepsThePreviousOne();
    void missingPicturesAfterATabSwitchStayEmpty();
    void brokenPicturesFailLikeMissingOnes_data();
    void brokenPicturesFailLikeMissingOnes();
    void noSelectionShowsNothingNew();
    void checkBoxFallsBackToTheHiddenFlag_data();
    void checkBoxFallsBackToTheHiddenFlag();
    void questsTabCurrentChangesNothing();
};

void UniqueDetailsTest::showsTextsAndBothPictures()
{
    ProgramFolder folder;
    writePictures(folder, 7, 0, Qt::darkGreen);
    auto window = startedWindow(folder);
    select(window.get(), 7, 0);
    const catalog::UniqueMonster &monster = entry(7, 0);
    QCOMPARE(control<QLineEdit>(window.get(), "TextLevel", 7)->text(), QString::fromLatin1(monster.level));
    QCOMPARE(control<QLineEdit>(window.get(), "TextLocation", 7)->text(),
             QString::fromLatin1(monster.location));
    QCOMPARE(control<QLineEdit>(window.get(), "TextAppearance", 7)->text(),
             QString::fromLatin1(monster.appearance));
    // The monster keeps its own size with its corner in place; the place is
    // stretched to its square.
    QCOMPARE(monsterPicture(window.get(), 7)->geometry(), QRect(208, 160, 300, 207));
    QCOMPARE(monsterPicture(window.get(), 7)->pixmap().size(), QSize(300, 207));
    QCOMPARE(locationPicture(window.get(), 7)->geometry(), QRect(592, 8, 300, 300));
    QVERIFY(locationPicture(window.get(), 7)->hasScaledContents());
    QVERIFY(near(shownColour(locationPicture(window.get(), 7)), Qt::darkGreen));
}

void UniqueDetailsTest::conditionsOfAnEarlierEntryDoNotLinger()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    const auto [with, without] = entriesWithAndWithoutConditions(0);
    QVERIFY(with >= 0 && without >= 0);
    select(window.get(), 0, with);
    QVERIFY(!control<QLineEdit>(window.get(), "TextAppearance", 0)->text().isEmpty());
    control<QListWidget>(window.get(), "ListOfUniques", 0)->setCurrentRow(without);
    QCOMPARE(control<QLineEdit>(window.get(), "TextAppearance", 0)->text(), QString());
}

void UniqueDetailsTest::missingMonsterPictureKeepsThePreviousOne()
{
    ProgramFolder folder;
    writePictures(folder, 2, 0, Qt::red);
    writePictures(folder, 2, 1, Qt::blue);
    QFile::remove(folder.filePath(catalog::MonsterPictureFolder + QLatin1Char('/') +
                                  catalog::pictureFileName(entry(2, 1))));
    auto window = startedWindow(folder);
    select(window.get(), 2, 0);
    select(window.get(), 2, 1);
    // Texts and place are the new entry's; the monster is still the old one.
    QCOMPARE(control<QLineEdit>(window.get(), "TextLocation", 2)->text(),
             QString::fromLatin1(entry(2, 1).location));
    QVERIFY(near(shownColour(monsterPicture(window.get(), 2)), Qt::red));
    QVERIFY(near(shownColour(locationPicture(window.get(), 2)), Qt::blue));
}

void UniqueDetailsTest::missingPicturesAfterATabSwitchStayEmpty()
{
    ProgramFolder folder;
    writePictures(folder, 2, 0, Qt::red);
    auto window = startedWindow(folder);
    select(window.get(), 2, 0);
    QVERIFY(!monsterPicture(window.get(), 2)->pixmap().isNull());
    selectTab(window.get(), "QVLocations", 3);
    select(window.get(), 2, 1); // no pictures at all for this one
    QVERIFY(monsterPicture(window.get(), 2)->pixmap().isNull());
    QVERIFY(locationPicture(window.get(), 2)->pixmap().isNull());
    QCOMPARE(control<QLineEdit>(window.get(), "TextLevel", 2)->text(),
             QString::fromLatin1(entry(2, 1).level));
}

void UniqueDetailsTest::brokenPicturesFailLikeMissingOnes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("asFolder");
    const QByteArray good = jpegBytes(QSize(64, 48), Qt::blue);
    // The frame header (SOF0) holds height and width; claim 30000 x 30000.
    QByteArray huge = good;
    const qsizetype frame = huge.indexOf("\xFF\xC0");
    huge[frame + 5] = char(30000 >> 8);
    huge[frame + 6] = char(30000 & 0xFF);
    huge[frame + 7] = char(30000 >> 8);
    huge[frame + 8] = char(30000 & 0xFF);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(16, 16, QImage::Format_RGB32).save(&buffer, "PNG");

    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("truncated") << good.left(good.size() * 2 / 3) << false;
    QTest::newRow("header claims 30000 x 30000") << huge << false;
    QTest::newRow("PNG named .jpg") << png << false;
    QTest::newRow("text named .jpg") << QByteArray("not a picture\r\n") << false;
    QTest::newRow("folder named .jpg") << QByteArray() << true;
}

void UniqueDetailsTest::brokenPicturesFailLikeMissingOnes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, asFolder);
    ProgramFolder folder;
    writePictures(folder, 0, 0, Qt::red);
    const catalog::UniqueMonster &broken = entry(0, 1);
    for (const QString &sub : {catalog::MonsterPictureFolder, catalog::LocationPictureFolder}) {
        const QString name = sub + QLatin1Char('/') + catalog::pictureFileName(broken);
        if (asFolder)
            QVERIFY(QDir().mkpath(folder.filePath(name)));
        else
            writePicture(folder, sub, broken, bytes);
    }
    auto window = startedWindow(folder);
    select(window.get(), 0, 0);
    select(window.get(), 0, 1);
    QCOMPARE(control<QLineEdit>(window.get(), "TextLevel", 0)->text(), QString::fromLatin1(broken.level));
    QVERIFY(near(shownColour(monsterPicture(window.get(), 0)), Qt::red));
    QVERIFY(near(shownColour(locationPicture(window.get(), 0)), Qt::red));
}

void UniqueDetailsTest::noSelectionShowsNothingNew()
{
    ProgramFolder folder;
    writePictures(folder, 4, 2, Qt::yellow);
    folder.write(QStringLiteral("UniquesDefeated.txt"), QByteArray(157, '1'));
    auto window = startedWindow(folder);
    select(window.get(), 4, 2);
    QVERIFY(control<QCheckBox>(window.get(), "CheckDefeated", 4)->isChecked());
    // The file changes, but clearing the selection does not read it.
    folder.write(QStringLiteral("UniquesDefeated.txt"), QByteArray(157, '0'));
    control<QListWidget>(window.get(), "ListOfUniques", 4)->setCurrentRow(-1);
    QCOMPARE(control<QLineEdit>(window.get(), "TextLevel", 4)->text(),
             QString::fromLatin1(entry(4, 2).level));
    QVERIFY(!monsterPicture(window.get(), 4)->pixmap().isNull());
    QCOMPARE(control<QLineEdit>(window.get(), "TextDefeated", 4)->text(), QStringLiteral("1"));
    QVERIFY(control<QCheckBox>(window.get(), "CheckDefeated", 4)->isChecked());
    QCOMPARE(control<QLabel>(window.get(), "LabelDefeated")->text(), QStringLiteral("Uniques Beaten: 157"));
}

void UniqueDetailsTest::checkBoxFallsBackToTheHiddenFlag_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("checked");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("empty") << "" << false;
}

void UniqueDetailsTest::checkBoxFallsBackToTheHiddenFlag()
{
    QFETCH(QString, flag);
    QFETCH(bool, checked);
    ProgramFolder folder;
    auto window = startedWindow(folder);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    selectTab(window.get(), "QVLocations", 6);
    control<QLineEdit>(window.get(), "TextDefeated", 6)->setText(flag);
    auto *box = control<QCheckBox>(window.get(), "CheckDefeated", 6);
    box->setChecked(checked);
    for (int click = 0; click < 3; ++click) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(box->isChecked(), checked);
        QTest::keyClick(box, Qt::Key_Space);
        QCOMPARE(box->isChecked(), checked);
    }
}

void UniqueDetailsTest::questsTabCurrentChangesNothing()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    select(window.get(), 9, 1);
    const QString level = control<QLineEdit>(window.get(), "TextLevel", 9)->text();
    selectTab(window.get(), "QVLocations", 19);
    control<QListWidget>(window.get(), "ListOfUniques", 9)->setCurrentRow(0);
    QCOMPARE(control<QLineEdit>(window.get(), "TextLevel", 9)->text(), level);
    window->ShowUniqueDetails();
    QCOMPARE(control<QLineEdit>(window.get(), "TextLevel", 9)->text(), level);
}

QTEST_MAIN(UniqueDetailsTest)
#include "test_unique_details.moc"
