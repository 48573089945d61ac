// The window under the keyboard and the mouse: one selected line per list,
// keys that stay where they are pressed, Ctrl+Tab, texts from their start.
#include "testsupport.h"

#include "catalog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>

namespace {

constexpr int QuestsTabIndex = catalog::RegionCount;

// The one invariant: the highlighted line, what the user sees as selected,
// is the selected line.
bool oneSelection(const QListWidget *list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    const int highlighted = rows.isEmpty() ? -1 : rows.size() > 1 ? -2 : rows.first().row();
    return highlighted == list->currentRow() && list->currentIndex().row() == list->currentRow();
}

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void focusArrivingSelectsNothing_data();
    void focusArrivingSelectsNothing();
    void keysMoveTheSelection_data();
    void keysMoveTheSelection();
    void keysOnAPageStayOnThePage();
    void clicksThatCannotClearTheSelection_data();
    void clicksThatCannotClearTheSelection();
    void typingSelectsTheLineFound();
    void ctrlTabSwitchesTheInnermostTabs_data();
    void ctrlTabSwitchesTheInnermostTabs();
    void textsShowTheirBeginning();

private:
    // Shows the window on `outer` (and `inner` inside the Quests tab), then
    // with the focus on `list`, nothing selected.
    void showPage(int outer, int inner);
    QListWidget *focusedList(int outer, int inner, const char *name);

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<Form1> m_window;
};

void KeyboardTest::init()
{
    m_folder = std::make_unique<ProgramFolder>();
    m_window = startedWindow(*m_folder);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void KeyboardTest::cleanup()
{
    m_window.reset();
    m_folder.reset();
}

void KeyboardTest::showPage(int outer, int inner)
{
    selectTab(m_window.get(), "QVLocations", outer);
    if (outer == QuestsTabIndex)
        selectTab(m_window.get(), "QuestsTab", inner);
}

QListWidget *KeyboardTest::focusedList(int outer, int inner, const char *name)
{
    showPage(outer, inner);
    auto *list =
            control<QListWidget>(m_window.get(), name, outer == QuestsTabIndex ? inner : outer);
    list->setFocus(Qt::TabFocusReason);
    return list;
}

void KeyboardTest::focusArrivingSelectsNothing_data()
{
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("afterTabSwitch");
    // The first region's list follows the tab control; on the other pages
    // it is the last stop.
    QTest::newRow("Tab from the tabs, region 0")
            << 0 << 0 << "QVLocations" << int(Qt::Key_Tab) << "ListOfUniques(0)" << false;
    QTest::newRow("Tab, region 5")
            << 5 << 0 << "TextLevel(5)" << int(Qt::Key_Tab) << "ListOfUniques(5)" << false;
    QTest::newRow("Backtab, region 0")
            << 0 << 0 << "TextLevel(0)" << int(Qt::Key_Backtab) << "ListOfUniques(0)" << false;
    QTest::newRow("Tab after a tab switch")
            << 5 << 0 << "TextLevel(5)" << int(Qt::Key_Tab) << "ListOfUniques(5)" << true;
    QTest::newRow("Tab, quest group 3") << QuestsTabIndex << 3 << "QuestLocation(3)"
                                        << int(Qt::Key_Tab) << "Quests(3)" << false;
    QTest::newRow("Tab from the group tabs, group 0")
            << QuestsTabIndex << 0 << "QuestsTab" << int(Qt::Key_Tab) << "Quests(0)" << true;
}

void KeyboardTest::focusArrivingSelectsNothing()
{
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(QString, list);
    QFETCH(bool, afterTabSwitch);
    // Every flag done, so a read for a line would show in the check box.
    m_folder->write(QStringLiteral("UniquesDefeated.txt"),
                    QByteArray(catalog::UniqueMonsterCount, '1'));
    m_folder->write(QStringLiteral("QuestsCleared.txt"), QByteArray(catalog::QuestCount, '1'));

    auto *target = control<QListWidget>(m_window.get(), qPrintable(list));
    showPage(outer, inner);
    if (afterTabSwitch) {
        // A line was selected, then the page was left and opened again.
        target->setCurrentRow(1);
        const char *tabs = outer == QuestsTabIndex ? "QuestsTab" : "QVLocations";
        const int here = outer == QuestsTabIndex ? inner : outer;
        selectTab(m_window.get(), tabs, here == 0 ? 1 : here - 1);
        selectTab(m_window.get(), tabs, here);
    }
    QCOMPARE(target->currentRow(), -1);
    control<QWidget>(m_window.get(), qPrintable(from))->setFocus(Qt::OtherFocusReason);
    auto *box = outer == QuestsTabIndex
            ? control<QCheckBox>(m_window.get(), "QuestCompleted", inner)
            : control<QCheckBox>(m_window.get(), "CheckDefeated", outer);
    const bool boxBefore = box->isChecked();
    QSignalSpy notifications(target, &QListWidget::currentRowChanged);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));

    QCOMPARE(QApplication::focusWidget(), target);
    QCOMPARE(notifications.count(), 0);
    QCOMPARE(target->currentRow(), -1);
    QVERIFY(oneSelection(target));
    QCOMPARE(box->isChecked(), boxBefore);
}

void KeyboardTest::keysMoveTheSelection_data()
{
    QTest::addColumn<int>("region");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    const int last0 = int(catalog::regions()[0].entries.size()) - 1;
    QTest::newRow("Down, none selected") << 0 << -1 << int(Qt::Key_Down) << 0;
    QTest::newRow("Home, none selected") << 0 << -1 << int(Qt::Key_Home) << 0;
    QTest::newRow("End, none selected") << 0 << -1 << int(Qt::Key_End) << last0;
    QTest::newRow("Down") << 0 << 3 << int(Qt::Key_Down) << 4;
    QTest::newRow("Up") << 0 << 3 << int(Qt::Key_Up) << 2;
    QTest::newRow("Home") << 0 << 3 << int(Qt::Key_Home) << 0;
    QTest::newRow("End") << 0 << 3 << int(Qt::Key_End) << last0;
    QTest::newRow("Page Down stops at the last")
            << 0 << last0 - 1 << int(Qt::Key_PageDown) << last0;
    QTest::newRow("Page Up stops at the first") << 0 << 1 << int(Qt::Key_PageUp) << 0;
    // Keys the list cannot use change nothing, here or on the tabs.
    QTest::newRow("Down on the last") << 0 << last0 << int(Qt::Key_Down) << last0;
    QTest::newRow("End on the last") << 0 << last0 << int(Qt::Key_End) << last0;
    QTest::newRow("Up on the first") << 0 << 0 << int(Qt::Key_Up) << 0;
    QTest::newRow("Home on the first") << 0 << 0 << int(Qt::Key_Home) << 0;
    QTest::newRow("Left") << 0 << 5 << int(Qt::Key_Left) << 5;
    QTest::newRow("Right") << 0 << 5 << int(Qt::Key_Right) << 5;
    QTest::newRow("Down in a one-line list") << 7 << 0 << int(Qt::Key_Down) << 0;
    QTest::newRow("Up in a one-line list") << 7 << 0 << int(Qt::Key_Up) << 0;
}

void KeyboardTest::keysMoveTheSelection()
{
    QFETCH(int, region);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    QListWidget *list = focusedList(region, 0, "ListOfUniques");
    list->setCurrentRow(from);
    QSignalSpy notifications(list, &QListWidget::currentRowChanged);
    QSignalSpy tabs(control<QWidget>(m_window.get(), "QVLocations"), SIGNAL(Click(int)));

    QTest::keyClick(list, Qt::Key(key));

    QCOMPARE(list->currentRow(), to);
    QVERIFY(oneSelection(list));
    QCOMPARE(notifications.count(), from == to ? 0 : 1);
    QCOMPARE(tabs.count(), 0);
    QCOMPARE(QApplication::focusWidget(), list);
    if (to >= 0) {
        const QString level = QString::fromLatin1(catalog::regions()[region].entries[to].level);
        QCOMPARE(control<QLineEdit>(m_window.get(), "TextLevel", region)->text(), level);
    }
}

void KeyboardTest::keysOnAPageStayOnThePage()
{
    // A check box passes arrow keys over; the tabs around it must not take them.
    focusedList(4, 0, "ListOfUniques");
    auto *box = control<QCheckBox>(m_window.get(), "CheckDefeated", 4);
    box->setFocus(Qt::TabFocusReason);
    for (Qt::Key key : { Qt::Key_Down, Qt::Key_Right, Qt::Key_End, Qt::Key_Home })
        QTest::keyClick(box, key);
    QCOMPARE(currentTab(m_window.get(), "QVLocations"), 4);
}

void KeyboardTest::clicksThatCannotClearTheSelection_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("clickedRow"); // -1: the blank area under the lines
    QTest::addColumn<int>("expected");
    QTest::newRow("plain click picks the line") << int(Qt::NoModifier) << 2 << 2;
    QTest::newRow("blank area") << int(Qt::NoModifier) << -1 << 0;
    QTest::newRow("Ctrl on the selected line") << int(Qt::ControlModifier) << 0 << 0;
    QTest::newRow("Ctrl on another line") << int(Qt::ControlModifier) << 2 << 0;
    QTest::newRow("Shift on another line") << int(Qt::ShiftModifier) << 2 << 0;
}

void KeyboardTest::clicksThatCannotClearTheSelection()
{
    QFETCH(int, modifiers);
    QFETCH(int, clickedRow);
    QFETCH(int, expected);
    // Quest group 0 is short enough to leave blank space under its lines.
    QListWidget *list = focusedList(QuestsTabIndex, 0, "Quests");
    list->setCurrentRow(0);
    QSignalSpy notifications(list, &QListWidget::currentRowChanged);
    const QPoint where = clickedRow < 0 ? QPoint(10, list->viewport()->height() - 5)
                                        : list->visualItemRect(list->item(clickedRow)).center();
    QVERIFY(clickedRow >= 0 || !list->indexAt(where).isValid());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::KeyboardModifiers(modifiers), where);

    QCOMPARE(list->currentRow(), expected);
    QVERIFY(oneSelection(list));
    QCOMPARE(notifications.count(), expected == 0 ? 0 : 1);
}

void KeyboardTest::typingSelectsTheLineFound()
{
    QListWidget *list = focusedList(0, 0, "ListOfUniques");
    // The first line whose initial differs from the first line's.
    int target = 1;
    while (target + 1 < list->count()
           && list->item(target)->text().at(0) == list->item(0)->text().at(0))
        ++target;
    QSignalSpy notifications(list, &QListWidget::currentRowChanged);

    QTest::keyClicks(list, list->item(target)->text().left(1));

    QCOMPARE(list->currentRow(), target);
    QCOMPARE(notifications.count(), 1);
    QVERIFY(oneSelection(list));
}

void KeyboardTest::ctrlTabSwitchesTheInnermostTabs_data()
{
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("switched");
    QTest::addColumn<int>("expected");
    const int ctrl = int(Qt::ControlModifier);
    const int ctrlShift = int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("Ctrl+Tab in a region")
            << 4 << 0 << int(Qt::Key_Tab) << ctrl << "QVLocations" << 5;
    QTest::newRow("Ctrl+Shift+Tab wraps to Quests")
            << 0 << 0 << int(Qt::Key_Backtab) << ctrlShift << "QVLocations" << QuestsTabIndex;
    QTest::newRow("Ctrl+Page Down in a region")
            << 4 << 0 << int(Qt::Key_PageDown) << ctrl << "QVLocations" << 5;
    QTest::newRow("Ctrl+Page Up in a region")
            << 4 << 0 << int(Qt::Key_PageUp) << ctrl << "QVLocations" << 3;
    QTest::newRow("Ctrl+Tab in a quest group")
            << QuestsTabIndex << 2 << int(Qt::Key_Tab) << ctrl << "QuestsTab" << 3;
    QTest::newRow("Ctrl+Tab wraps in the quest groups")
            << QuestsTabIndex << 10 << int(Qt::Key_Tab) << ctrl << "QuestsTab" << 0;
}

void KeyboardTest::ctrlTabSwitchesTheInnermostTabs()
{
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, switched);
    QFETCH(int, expected);
    QListWidget *list =
            focusedList(outer, inner, outer == QuestsTabIndex ? "Quests" : "ListOfUniques");
    list->setCurrentRow(0);
    const int outerBefore = currentTab(m_window.get(), "QVLocations");
    const int innerBefore = currentTab(m_window.get(), "QuestsTab");
    QSignalSpy clicks(m_window->findChild<QWidget *>(switched), SIGNAL(Click(int)));

    QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(clicks.count(), 1);
    QCOMPARE(currentTab(m_window.get(), qPrintable(switched)), expected);
    // Only the innermost tabs moved, and their handler ran as for a click
    // (that it saves the tabs is the tab memory suite's).
    if (switched == QLatin1String("QuestsTab")) {
        QCOMPARE(currentTab(m_window.get(), "QVLocations"), outerBefore);
        QCOMPARE(control<QListWidget>(m_window.get(), "Quests", expected)->currentRow(), -1);
    } else {
        QCOMPARE(currentTab(m_window.get(), "QuestsTab"), innerBefore);
        if (expected < QuestsTabIndex)
            QVERIFY(regionIsCleared(m_window.get(), expected));
    }
}

void KeyboardTest::textsShowTheirBeginning()
{
    // Every line of every region, then of every quest group.
    for (int k = 0; k < catalog::RegionCount + catalog::QuestGroupCount; ++k) {
        const bool quests = k >= catalog::RegionCount;
        const int index = quests ? k - catalog::RegionCount : k;
        QListWidget *list = focusedList(quests ? QuestsTabIndex : k, index,
                                        quests ? "Quests" : "ListOfUniques");
        const auto boxes = quests
                ? QList<const char *> { "QuestLocation" }
                : QList<const char *> { "TextLevel", "TextLocation", "TextAppearance" };
        for (int i = 0; i < list->count(); ++i) {
            list->setCurrentRow(i);
            for (const char *box : boxes)
                QVERIFY2(control<QLineEdit>(m_window.get(), box, index)->cursorPosition() == 0,
                         qPrintable(QStringLiteral("%1(%2) for line %3")
                                            .arg(QLatin1String(box))
                                            .arg(index)
                                            .arg(i)));
        }
    }
}

QTEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"
