// Selecting an entry: a unique monster's texts and two pictures, a quest's
// location and steps, and check boxes the user cannot change.
#include "testsupport.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>

namespace {

const catalog::UniqueMonster &entry(int r, int i)
{
    const catalog::UniqueMonster *monster = catalog::findUniqueMonster(r, i);
    if (!monster)
        qFatal("no entry (%d, %d)", r, i);
    return *monster;
}

const catalog::Quest &quest(int g, int i)
{
    const catalog::Quest *found = catalog::findQuest(g, i);
    if (!found)
        qFatal("no quest (%d, %d)", g, i);
    return *found;
}

// Both pictures of an entry, each its own size and colour.
void writePictures(const ProgramFolder &folder, int r, int i, QColor colour)
{
    for (const QString &sub : {catalog::MonsterPictureFolder, catalog::LocationPictureFolder}) {
        QDir().mkpath(folder.filePath(sub));
        const QSize size = sub == catalog::MonsterPictureFolder ? QSize(300 + i, 200 + r) : QSize(320, 320);
        folder.write(sub + QLatin1Char('/') + catalog::pictureFileName(entry(r, i)), jpegBytes(size, colour));
    }
}

QLabel *monsterPicture(const Form1 *window, int r)
{
    return control<QLabel>(window, "ImageUniqueMonster", r);
}

QLabel *locationPicture(const Form1 *window, int r)
{
    return control<QLabel>(window, "ImageUniqueLocation", r);
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
    for (int i = 0; i < catalog::uniqueMonsterCount(r); ++i)
        (*entry(r, i).appearance ? with : without) = i;
    return {with, without};
}

QStringList itemsShown(const Form1 *window, int g)
{
    const auto *list = control<QListWidget>(window, "QuestItems", g);
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items.append(list->item(row)->text());
    return items;
}

QString locationShown(const Form1 *window, int g)
{
    return control<QLineEdit>(window, "QuestLocation", g)->text();
}

void selectQuest(Form1 *window, int g, int i)
{
    selectTab(window, "QVLocations", 19);
    selectTab(window, "QuestsTab", g);
    control<QListWidget>(window, "Quests", g)->setCurrentRow(i);
}

} // namespace

class DetailsTest : public QObject
{
    Q_OBJECT

private slots:
    void showsTextsAndBothPictures();
    void conditionsOfAnEarlierEntryDoNotLinger();
    void noSelectionShowsNothingNew();
    void questsTabCurrentChangesNothing();
    void questShowsLocationAndStepsInOrder();
    void milestoneEmptiesBothButStillReadsItsFlag();
    void conditionShowsLocationWithoutSteps();
    void clearedSelectionKeepsTheLocation();
    void leavingAndComingBackShowsNoSelection();
    void namesakesShowTheirOwnDetailsAndFlags();
    void checkBoxFallsBackToTheHiddenFlag_data();
    void checkBoxFallsBackToTheHiddenFlag();
};

void DetailsTest::showsTextsAndBothPictures()
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
    QVERIFY(nearColour(shownColour(locationPicture(window.get(), 7)), Qt::darkGreen));
}

void DetailsTest::conditionsOfAnEarlierEntryDoNotLinger()
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

void DetailsTest::noSelectionShowsNothingNew()
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

void DetailsTest::questsTabCurrentChangesNothing()
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

void DetailsTest::questShowsLocationAndStepsInOrder()
{
    // Entry 1 of group 0 is a quest of five steps.
    ProgramFolder folder;
    auto window = startedWindow(folder);
    selectQuest(window.get(), 0, 1);
    const QStringList expected = catalog::questItems(quest(0, 1));
    QCOMPARE(expected.size(), 5);
    QCOMPARE(itemsShown(window.get(), 0), expected);
    QCOMPARE(locationShown(window.get(), 0), QString::fromLatin1(quest(0, 1).location));
    QCOMPARE(control<QListWidget>(window.get(), "QuestItems", 0)->currentRow(), -1);
    QVERIFY(control<QListWidget>(window.get(), "QuestItems", 0)->selectedItems().isEmpty());
}

void DetailsTest::milestoneEmptiesBothButStillReadsItsFlag()
{
    // Entry 2 of group 3 (position 15) is a story milestone.
    ProgramFolder folder;
    QByteArray flags(63, '0');
    flags[14] = '1';
    folder.write(QStringLiteral("QuestsCleared.txt"), flags);
    auto window = startedWindow(folder);
    selectQuest(window.get(), 3, 1);
    QVERIFY(!locationShown(window.get(), 3).isEmpty());
    control<QListWidget>(window.get(), "Quests", 3)->setCurrentRow(2);
    QCOMPARE(locationShown(window.get(), 3), QString());
    QVERIFY(itemsShown(window.get(), 3).isEmpty());
    QVERIFY(control<QCheckBox>(window.get(), "QuestCompleted", 3)->isChecked());
}

void DetailsTest::conditionShowsLocationWithoutSteps()
{
    // The first two entries of group 2 are conditions.
    ProgramFolder folder;
    auto window = startedWindow(folder);
    selectQuest(window.get(), 2, 2);
    QVERIFY(!itemsShown(window.get(), 2).isEmpty());
    control<QListWidget>(window.get(), "Quests", 2)->setCurrentRow(0);
    QCOMPARE(locationShown(window.get(), 2), QString::fromLatin1(quest(2, 0).location));
    QVERIFY(!locationShown(window.get(), 2).isEmpty());
    QVERIFY(itemsShown(window.get(), 2).isEmpty());
}

void DetailsTest::clearedSelectionKeepsTheLocation()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    selectQuest(window.get(), 7, 9);
    QCOMPARE(itemsShown(window.get(), 7).size(), 7);
    control<QListWidget>(window.get(), "Quests", 7)->setCurrentRow(-1);
    QCOMPARE(locationShown(window.get(), 7), QString::fromLatin1(quest(7, 9).location));
    QVERIFY(itemsShown(window.get(), 7).isEmpty());
}

void DetailsTest::leavingAndComingBackShowsNoSelection()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    selectQuest(window.get(), 0, 2);
    selectTab(window.get(), "QuestsTab", 1);
    selectTab(window.get(), "QuestsTab", 0);
    QCOMPARE(control<QListWidget>(window.get(), "Quests", 0)->currentRow(), -1);
    QVERIFY(itemsShown(window.get(), 0).isEmpty());
    QCOMPARE(locationShown(window.get(), 0), QString::fromLatin1(quest(0, 2).location));
}

void DetailsTest::namesakesShowTheirOwnDetailsAndFlags()
{
    // Groups 9 and 10 share two quest names; each occurrence has its own
    // place in the file and its own details.
    QList<std::pair<int, int>> namesakes; // index in group 9, index in group 10
    for (int a = 0; a < catalog::questCount(9); ++a) {
        for (int b = 0; b < catalog::questCount(10); ++b) {
            if (qstrcmp(quest(9, a).name, quest(10, b).name) == 0 && *quest(9, a).location)
                namesakes.append({a, b});
        }
    }
    QCOMPARE(namesakes.size(), 2);
    for (const auto &[a, b] : namesakes) {
        ProgramFolder folder;
        QByteArray flags(63, '0');
        flags[52 - 1 + a] = '1'; // group 9 starts at position 52
        folder.write(QStringLiteral("QuestsCleared.txt"), flags);
        auto window = startedWindow(folder);
        selectQuest(window.get(), 9, a);
        QCOMPARE(itemsShown(window.get(), 9), catalog::questItems(quest(9, a)));
        QVERIFY(control<QCheckBox>(window.get(), "QuestCompleted", 9)->isChecked());
        selectQuest(window.get(), 10, b);
        QCOMPARE(itemsShown(window.get(), 10), catalog::questItems(quest(10, b)));
        QVERIFY(!control<QCheckBox>(window.get(), "QuestCompleted", 10)->isChecked());
    }
}

void DetailsTest::checkBoxFallsBackToTheHiddenFlag_data()
{
    QTest::addColumn<bool>("quests");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("checked");
    for (bool quests : {false, true}) {
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

QTEST_MAIN(DetailsTest)
#include "test_details.moc"
