// Selecting an entry: a unique monster's texts and two pictures, a quest's
// location and steps, and check boxes the user cannot change.
#include "picturepaths.h"
#include "windowdriver.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>

#include <tuple>

namespace {

// Every entry the rows name is one of the catalog's.
const catalog::UniqueMonster &entry(int r, int i)
{
    return *catalog::findUniqueMonster(r, i);
}

const catalog::Quest &quest(int g, int i)
{
    return *catalog::findQuest(g, i);
}

// Both pictures of an entry, each its own size and color, where the
// installed program has them.
void writePictures(const ProgramFolder &folder, int r, int i, QColor color)
{
    for (const QString &sub : { QStringLiteral("Monsters"), QStringLiteral("Locations") }) {
        QDir().mkpath(folder.filePath(sub));
        const QSize size = sub == u"Monsters" ? QSize(300 + i, 200 + r) : QSize(320, 320);
        folder.write(sub + QLatin1Char('/') + pictures::pictureFileName(entry(r, i)),
                     jpegBytes(size, color));
    }
}

// The entries with the longest and the shortest location in the region
// that holds the longest of all: its row, the other's row.
std::tuple<int, int, int> longestAndShortestLocation()
{
    const auto length = [](int r, int i) { return qstrlen(entry(r, i).location); };
    int region = 0, longest = 0;
    for (int r = 0; r < catalog::RegionCount; ++r) {
        for (int i = 0; i < catalog::uniqueMonsterCount(r); ++i) {
            if (length(r, i) > length(region, longest))
                std::tie(region, longest) = std::pair(r, i);
        }
    }
    int shortest = longest;
    for (int i = 0; i < catalog::uniqueMonsterCount(region); ++i) {
        if (length(region, i) < length(region, shortest))
            shortest = i;
    }
    return { region, longest, shortest };
}

QStringList itemsShown(const Form1 *window, int g)
{
    const auto *list = control<QListWidget>(window, "QuestItems", g);
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items.append(list->item(row)->text());
    return items;
}

} // namespace

class DetailsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsTextsAndBothPicturesThenTheNextEntrys();
    void noSelectionOrQuestsTabShowsNothingNew();
    void questShowsItsLocationStepsAndFlag_data();
    void questShowsItsLocationStepsAndFlag();
    void checkBoxFallsBackToTheHiddenFlag_data();
    void checkBoxFallsBackToTheHiddenFlag();
    void locationTooLongForItsBoxShowsInTheToolTip();
};

void DetailsTest::showsTextsAndBothPicturesThenTheNextEntrys()
{
    // An entry with appearance conditions and one without in the same region.
    int with = -1, without = -1;
    for (int i = 0; i < catalog::uniqueMonsterCount(0); ++i)
        (*entry(0, i).appearance ? with : without) = i;
    QVERIFY(with >= 0 && without >= 0);
    ProgramFolder folder;
    writePictures(folder, 0, with, Qt::darkGreen);
    auto window = startedWindow(folder);
    selectUniqueAndRead(window.get(), 0, with);
    const catalog::UniqueMonster &monster = entry(0, with);
    QCOMPARE(control<QLineEdit>(window.get(), "TextLocation", 0)->text(),
             QString::fromLatin1(monster.location));
    QCOMPARE(control<QLineEdit>(window.get(), "TextAppearance", 0)->text(),
             QString::fromLatin1(monster.appearance));
    // The monster keeps its own size with its corner in place; the place is
    // stretched to its square.
    auto *monsterPicture = control<QLabel>(window.get(), "ImageUniqueMonster", 0);
    QCOMPARE(monsterPicture->geometry(), QRect(208, 160, 300 + with, 200));
    QCOMPARE(monsterPicture->pixmap().size(), QSize(300 + with, 200));
    auto *locationPicture = control<QLabel>(window.get(), "ImageUniqueLocation", 0);
    QCOMPARE(locationPicture->size(), QSize(300, 300));
    QVERIFY(locationPicture->hasScaledContents());
    QVERIFY(nearColor(shownColor(locationPicture), Qt::darkGreen));
    // The conditions of the earlier entry do not linger.
    control<QListWidget>(window.get(), "ListOfUniques", 0)->setCurrentRow(without);
    QCOMPARE(control<QLineEdit>(window.get(), "TextAppearance", 0)->text(), QString());
}

void DetailsTest::noSelectionOrQuestsTabShowsNothingNew()
{
    ProgramFolder folder;
    writePictures(folder, 4, 2, Qt::yellow);
    folder.write(QStringLiteral("UniquesDefeated.txt"), QByteArray(157, '1'));
    auto window = startedWindow(folder);
    QVERIFY(selectUniqueAndRead(window.get(), 4, 2));
    const auto showsEntryTwo = [&] {
        return control<QLineEdit>(window.get(), "TextLevel", 4)->text()
                == QLatin1String(entry(4, 2).level)
                && !control<QLabel>(window.get(), "ImageUniqueMonster", 4)->pixmap().isNull()
                && control<QLineEdit>(window.get(), "TextDefeated", 4)->text() == u"1"
                && control<QCheckBox>(window.get(), "CheckDefeated", 4)->isChecked()
                && control<QLabel>(window.get(), "LabelDefeated")->text() == u"Uniques Beaten: 157";
    };
    // The file changes, but clearing the selection does not read it.
    folder.write(QStringLiteral("UniquesDefeated.txt"), QByteArray(157, '0'));
    control<QListWidget>(window.get(), "ListOfUniques", 4)->setCurrentRow(-1);
    QVERIFY(showsEntryTwo());
    // Nor does a selection while the Quests tab is current.
    selectTab(window.get(), "QVLocations", 19);
    control<QListWidget>(window.get(), "ListOfUniques", 4)->setCurrentRow(0);
    QVERIFY(showsEntryTwo());
    window->ShowUniqueDetails();
    QVERIFY(showsEntryTwo());
}

// What stays of a quest the user looked at: "then" selects an entry, clears
// the selection (-1) or goes to another group and back (-2).
void DetailsTest::questShowsItsLocationStepsAndFlag_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("then");
    QTest::addColumn<bool>("withSteps");
    QTest::newRow("a quest's steps in order") << 0 << 0 << 1 << true;
    QTest::newRow("a milestone empties both") << 3 << 1 << 2 << false;
    QTest::newRow("a condition shows its location alone") << 2 << 2 << 0 << false;
    QTest::newRow("a cleared selection keeps the location") << 7 << 9 << -1 << false;
    QTest::newRow("leaving and coming back selects nothing") << 0 << 2 << -2 << false;
    // Groups 9 and 10 share quest names; each occurrence has its own place
    // in the file and its own details.
    int namesakes = 0;
    for (int a = 0; a < catalog::questCount(9); ++a) {
        for (int b = 0; b < catalog::questCount(10); ++b) {
            if (qstrcmp(quest(9, a).name, quest(10, b).name) == 0 && *quest(9, a).location) {
                QTest::addRow("namesake %d of group 9", a) << 9 << (a + 1) % 3 << a << true;
                QTest::addRow("namesake %d of group 10", b) << 10 << (b + 1) % 3 << b << true;
                ++namesakes;
            }
        }
    }
    QVERIFY(namesakes > 0);
}

void DetailsTest::questShowsItsLocationStepsAndFlag()
{
    QFETCH(int, group);
    QFETCH(int, first);
    QFETCH(int, then);
    QFETCH(bool, withSteps);
    // Only the flag of the entry selected last is set.
    ProgramFolder folder;
    folder.write(QStringLiteral("QuestsCleared.txt"),
                 then >= 0 ? flagsWithOnesAt(63, { questPosition(group, then) })
                           : QByteArray(63, '0'));
    auto window = startedWindow(folder);
    selectQuestAndRead(window.get(), group, first);
    // Steps to clear, so that a list showing none tells.
    QVERIFY(withSteps || !itemsShown(window.get(), group).isEmpty());
    auto *list = control<QListWidget>(window.get(), "Quests", group);
    if (then == -2) {
        selectTab(window.get(), "QuestsTab", group == 0 ? 1 : 0);
        selectTab(window.get(), "QuestsTab", group);
    } else {
        list->setCurrentRow(then);
    }
    const catalog::Quest &shown = quest(group, then >= 0 ? then : first);
    const QStringList steps = then >= 0 ? catalog::questItems(shown) : QStringList();
    QCOMPARE(!steps.isEmpty(), withSteps);
    QCOMPARE(itemsShown(window.get(), group), steps);
    QCOMPARE(control<QLineEdit>(window.get(), "QuestLocation", group)->text(),
             QString::fromLatin1(shown.location));
    QCOMPARE(list->currentRow(), then >= 0 ? then : -1);
    QVERIFY(control<QListWidget>(window.get(), "QuestItems", group)->selectedItems().isEmpty());
    if (then >= 0)
        QVERIFY(control<QCheckBox>(window.get(), "QuestCompleted", group)->isChecked());
}

void DetailsTest::checkBoxFallsBackToTheHiddenFlag_data()
{
    QTest::addColumn<bool>("quests");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("checked");
    for (bool quests : { false, true }) {
        const char *where = quests ? "quest" : "unique";
        QTest::addRow("%s, 1", where) << quests << "1" << true;
        QTest::addRow("%s, 0", where) << quests << "0" << false;
        QTest::addRow("%s, empty", where) << quests << "" << false;
    }
}

void DetailsTest::checkBoxFallsBackToTheHiddenFlag()
{
    QFETCH(bool, quests);
    QFETCH(QString, flag);
    QFETCH(bool, checked);
    ProgramFolder folder;
    auto window = startedWindow(folder);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const int tab = quests ? 8 : 6;
    selectTab(window.get(), "QVLocations", quests ? 19 : tab);
    selectTab(window.get(), "QuestsTab", quests ? tab : 0);
    control<QLineEdit>(window.get(), quests ? "TextCompleted" : "TextDefeated", tab)->setText(flag);
    auto *box = control<QCheckBox>(window.get(), quests ? "QuestCompleted" : "CheckDefeated", tab);
    box->setChecked(checked);
    for (int click = 0; click < 3; ++click) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(box->isChecked(), checked);
        QTest::keyClick(box, Qt::Key_Space);
        QCOMPARE(box->isChecked(), checked);
    }
}

void DetailsTest::locationTooLongForItsBoxShowsInTheToolTip()
{
    const auto [r, longest, shortest] = longestAndShortestLocation();
    const QString longText = QString::fromLatin1(entry(r, longest).location);
    ProgramFolder folder;
    auto window = startedWindow(folder);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *box = control<QLineEdit>(window.get(), "TextLocation", r);
    const int longWidth = box->fontMetrics().horizontalAdvance(longText);
    QVERIFY2(longWidth > box->width()
                     && box->fontMetrics().horizontalAdvance(
                                QLatin1String(entry(r, shortest).location))
                             < box->width() / 2,
             "the catalog has no location too long for its box, or none short");

    selectUniqueAndRead(window.get(), r, longest);
    QCOMPARE(box->toolTip(), longText);
    selectUniqueAndRead(window.get(), r, shortest);
    QCOMPARE(box->toolTip(), QString());
    selectUniqueAndRead(window.get(), r, longest);
    QCOMPARE(box->toolTip(), longText);
    // A box wide enough for the text needs no tip.
    box->resize(longWidth + 40, box->height());
    QCOMPARE(box->toolTip(), QString());

    // A quest's location box follows the same rule. No quest's location is
    // that long, so the text is written in.
    auto *questBox = control<QLineEdit>(window.get(), "QuestLocation", 0);
    questBox->setText(longText.repeated(2));
    QCOMPARE(questBox->toolTip(), longText.repeated(2));
    questBox->setText(QStringLiteral("Harrowgate"));
    QCOMPARE(questBox->toolTip(), QString());
}

QTEST_MAIN(DetailsTest)
#include "test_details.moc"
