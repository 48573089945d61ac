// Selecting a quest: where it is given, the steps that complete it, and a
// check box the user cannot change.
#include "testsupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

namespace {

const catalog::Quest &quest(int g, int i)
{
    const catalog::Quest *found = catalog::findQuest(g, i);
    if (!found)
        qFatal("no quest (%d, %d)", g, i);
    return *found;
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

void select(Form1 *window, int g, int i)
{
    selectTab(window, "QVLocations", 19);
    selectTab(window, "QuestsTab", g);
    control<QListWidget>(window, "Quests", g)->setCurrentRow(i);
}

} // namespace

class QuestDetailsTest : public QObject
{
    Q_OBJECT

private slots:
    void questShowsLocationAndStepsInOrder();
    void milestoneEmptiesBothButStillReadsItsFlag();
    void conditionShowsLocationWithoutSteps();
    void clearedSelectionKeepsTheLocation();
    void leavingAndComingBackShowsNoSelection();
    void namesakesShowTheirOwnDetailsAndFlags();
    void checkBoxFallsBackToTheHiddenFlag_data();
    void checkBoxFallsBackToTheHiddenFlag();
};

void QuestDetailsTest::questShowsLocationAndStepsInOrder()
{
    // Entry 1 of group 0 is a quest of five steps.
    ProgramFolder folder;
    auto window = startedWindow(folder);
    select(window.get(), 0, 1);
    const QStringList expected = catalog::questItems(quest(0, 1));
    QCOMPARE(expected.size(), 5);
    QCOMPARE(itemsShown(window.get(), 0), expected);
    QCOMPARE(locationShown(window.get(), 0), QString::fromLatin1(quest(0, 1).location));
    QCOMPARE(control<QListWidget>(window.get(), "QuestItems", 0)->currentRow(), -1);
    QVERIFY(control<QListWidget>(window.get(), "QuestItems", 0)->selectedItems().isEmpty());
}

void QuestDetailsTest::milestoneEmptiesBothButStillReadsItsFlag()
{
    // Entry 2 of group 3 (position 15) is a story milestone.
    ProgramFolder folder;
    QByteArray flags(63, '0');
    flags[14] = '1';
    folder.write(QStringLiteral("QuestsCleared.txt"), flags);
    auto window = startedWindow(folder);
    select(window.get(), 3, 1);
    QVERIFY(!locationShown(window.get(), 3).isEmpty());
    control<QListWidget>(window.get(), "Quests", 3)->setCurrentRow(2);
    QCOMPARE(locationShown(window.get(), 3), QString());
    QVERIFY(itemsShown(window.get(), 3).isEmpty());
    QVERIFY(control<QCheckBox>(window.get(), "QuestCompleted", 3)->isChecked());
}

void QuestDetailsTest::conditionShowsLocationWithoutSteps()
{
    // The first two entries of group 2 are conditions.
    ProgramFolder folder;
    auto window = startedWindow(folder);
    select(window.get(), 2, 2);
    QVERIFY(!itemsShown(window.get(), 2).isEmpty());
    control<QListWidget>(window.get(), "Quests", 2)->setCurrentRow(0);
    QCOMPARE(locationShown(window.get(), 2), QString::fromLatin1(quest(2, 0).location));
    QVERIFY(!locationShown(window.get(), 2).isEmpty());
    QVERIFY(itemsShown(window.get(), 2).isEmpty());
}

void QuestDetailsTest::clearedSelectionKeepsTheLocation()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    select(window.get(), 7, 9);
    QCOMPARE(itemsShown(window.get(), 7).size(), 7);
    control<QListWidget>(window.get(), "Quests", 7)->setCurrentRow(-1);
    QCOMPARE(locationShown(window.get(), 7), QString::fromLatin1(quest(7, 9).location));
    QVERIFY(itemsShown(window.get(), 7).isEmpty());
}

void QuestDetailsTest::leavingAndComingBackShowsNoSelection()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    select(window.get(), 0, 2);
    selectTab(window.get(), "QuestsTab", 1);
    selectTab(window.get(), "QuestsTab", 0);
    QCOMPARE(control<QListWidget>(window.get(), "Quests", 0)->currentRow(), -1);
    QVERIFY(itemsShown(window.get(), 0).isEmpty());
    QCOMPARE(locationShown(window.get(), 0), QString::fromLatin1(quest(0, 2).location));
}

void QuestDetailsTest::namesakesShowTheirOwnDetailsAndFlags()
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
        select(window.get(), 9, a);
        QCOMPARE(itemsShown(window.get(), 9), catalog::questItems(quest(9, a)));
        QVERIFY(control<QCheckBox>(window.get(), "QuestCompleted", 9)->isChecked());
        select(window.get(), 10, b);
        QCOMPARE(itemsShown(window.get(), 10), catalog::questItems(quest(10, b)));
        QVERIFY(!control<QCheckBox>(window.get(), "QuestCompleted", 10)->isChecked());
    }
}

void QuestDetailsTest::checkBoxFallsBackToTheHiddenFlag_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("checked");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("empty") << "" << false;
}

void QuestDetailsTest::checkBoxFallsBackToTheHiddenFlag()
{
    QFETCH(QString, flag);
    QFETCH(bool, checked);
    ProgramFolder folder;
    auto window = startedWindow(folder);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    selectTab(window.get(), "QVLocations", 19);
    selectTab(window.get(), "QuestsTab", 8);
    control<QLineEdit>(window.get(), "TextCompleted", 8)->setText(flag);
    auto *box = control<QCheckBox>(window.get(), "QuestCompleted", 8);
    box->setChecked(checked);
    for (int click = 0; click < 3; ++click) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(box->isChecked(), checked);
    }
}

QTEST_MAIN(QuestDetailsTest)
#include "test_quest_details.moc"
