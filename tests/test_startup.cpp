// Start-up in its fixed order, the two tab handlers, the synchronous
// change-only notifications they rely on, and the way out.
#include "testsupport.h"

#include "viewer/tabcontrol.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>

namespace {

// Records every procedure as it starts, with what the window showed then.
class TracingForm : public Form1
{
public:
    using Form1::Form1;
    QStringList calls;

    void FetchProgress() override { trace("FetchProgress"), Form1::FetchProgress(); }
    void ClearUniqueDetails() override { trace("ClearUniqueDetails"), Form1::ClearUniqueDetails(); }
    void FillUniqueLists() override { trace("FillUniqueLists"), Form1::FillUniqueLists(); }
    void FillQuestLists() override { trace("FillQuestLists"), Form1::FillQuestLists(); }
    void ReadUniquesDefeated() override { trace("ReadUniquesDefeated"), Form1::ReadUniquesDefeated(); }
    void ReadQuestsCleared() override { trace("ReadQuestsCleared"), Form1::ReadQuestsCleared(); }
    void SaveTabs() override { trace("SaveTabs"), Form1::SaveTabs(); }
    void LoadTabs() override { trace("LoadTabs"), Form1::LoadTabs(); }
    void ShowUniqueDetails() override { trace("ShowUniqueDetails"), Form1::ShowUniqueDetails(); }
    void ShowQuestDetails() override { trace("ShowQuestDetails"), Form1::ShowQuestDetails(); }

private:
    void trace(const char *name) { calls.append(QString::fromLatin1(name)); }
};

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void startUpRunsInItsFixedOrder();
    void startUpClearsAndLocksEveryRegion();
    void startUpWithoutTabMemoryEndsOnFirstTabs();
    void regionTabChangeClearsOnlyTheNewRegion();
    void questsTabClearsNothingAndSaves();
    void questGroupChangeResetsItsSelection();
    void codeChangesNotifyOnceSynchronouslyAndOnlyOnChange();
    void handlersAreCallableByName();
    void exitEndsTheProgram_data();
    void exitEndsTheProgram();
};

void StartupTest::startUpRunsInItsFixedOrder()
{
    ProgramFolder folder;
    TracingForm window(folder.path());
    window.Form_Load();
    // No Tabs.ini: the fall-back moves from region 1 to region 0 and saves;
    // the inner tab is already on group 0, so it neither changes nor saves.
    // Resetting the selection of region 1, which has none yet, notifies
    // nothing, and neither does region 0's.
    const QStringList expected{"FetchProgress",
                               "ReadUniquesDefeated",
                               "ReadQuestsCleared",
                               "ClearUniqueDetails",
                               "FillUniqueLists",
                               "FillQuestLists",
                               "ReadUniquesDefeated",
                               "ReadQuestsCleared",
                               "LoadTabs",
                               "SaveTabs"};
    QCOMPARE(window.calls, expected);
}

void StartupTest::startUpClearsAndLocksEveryRegion()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    for (int r = 0; r < catalog::RegionCount; ++r)
        fillRegion(&window, r);
    window.Form_Load();
    for (int r = 0; r < catalog::RegionCount; ++r) {
        QVERIFY2(regionIsCleared(&window, r), qPrintable(QString::number(r)));
        QVERIFY(control<QLineEdit>(&window, "TextLevel", r)->isReadOnly());
        QVERIFY(control<QLineEdit>(&window, "TextLocation", r)->isReadOnly());
        QVERIFY(control<QLineEdit>(&window, "TextAppearance", r)->isReadOnly());
        QCOMPARE(control<QListWidget>(&window, "ListOfUniques", r)->count(), catalog::uniqueMonsterCount(r));
        QCOMPARE(control<QListWidget>(&window, "ListOfUniques", r)->currentRow(), -1);
    }
    for (int j = 0; j < catalog::QuestGroupCount; ++j)
        QCOMPARE(control<QListWidget>(&window, "Quests", j)->count(), catalog::questCount(j));
}

void StartupTest::startUpWithoutTabMemoryEndsOnFirstTabs()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    QCOMPARE(currentTab(window.get(), "QVLocations"), 0);
    QCOMPARE(currentTab(window.get(), "QuestsTab"), 0);
    QCOMPARE(folder.read(QStringLiteral("Tabs.ini")), QByteArray("0 0\r\n"));
}

void StartupTest::regionTabChangeClearsOnlyTheNewRegion()
{
    ProgramFolder folder;
    // Entry 1 of region 4 sits at position 46 and is the only one defeated.
    folder.write(QStringLiteral("UniquesDefeated.txt"), QByteArray(45, '0') + '1' + QByteArray(111, '0'));
    auto window = startedWindow(folder);
    selectTab(window.get(), "QVLocations", 4);
    control<QListWidget>(window.get(), "ListOfUniques", 4)->setCurrentRow(1);
    QVERIFY(control<QCheckBox>(window.get(), "CheckDefeated", 4)->isChecked());
    QVERIFY(!control<QLineEdit>(window.get(), "TextLevel", 4)->text().isEmpty());

    selectTab(window.get(), "QVLocations", 0);
    QVERIFY(!regionIsCleared(window.get(), 4)); // the region left behind keeps what it showed
    fillRegion(window.get(), 0);

    selectTab(window.get(), "QVLocations", 4);
    QVERIFY(regionIsCleared(window.get(), 4));
    QCOMPARE(control<QListWidget>(window.get(), "ListOfUniques", 4)->currentRow(), -1);
    // Clearing the selection unchecks the box, and its own handler puts the
    // region's hidden flag, which the switch leaves alone, back into it.
    QCOMPARE(control<QLineEdit>(window.get(), "TextDefeated", 4)->text(), QStringLiteral("1"));
    QVERIFY(control<QCheckBox>(window.get(), "CheckDefeated", 4)->isChecked());
    QCOMPARE(control<QLineEdit>(window.get(), "TextLocation", 0)->text(), QStringLiteral("Somewhere"));
    QVERIFY(!regionIsCleared(window.get(), 0));
    QCOMPARE(folder.read(QStringLiteral("Tabs.ini")), QByteArray("4 0\r\n"));
}

void StartupTest::questsTabClearsNothingAndSaves()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    for (int r = 0; r < catalog::RegionCount; ++r)
        fillRegion(window.get(), r);
    selectTab(window.get(), "QuestsTab", 3);
    selectTab(window.get(), "QVLocations", 19);
    for (int r = 0; r < catalog::RegionCount; ++r)
        QVERIFY(!regionIsCleared(window.get(), r));
    QCOMPARE(folder.read(QStringLiteral("Tabs.ini")), QByteArray("19 3\r\n"));
}

void StartupTest::questGroupChangeResetsItsSelection()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    selectTab(window.get(), "QVLocations", 19);
    auto *list = control<QListWidget>(window.get(), "Quests", 5);
    list->setCurrentRow(2);
    selectTab(window.get(), "QuestsTab", 5);
    QCOMPARE(list->currentRow(), -1);
    QCOMPARE(folder.read(QStringLiteral("Tabs.ini")), QByteArray("19 5\r\n"));
}

void StartupTest::codeChangesNotifyOnceSynchronouslyAndOnlyOnChange()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);

    auto *tabs = control<TabControl>(window.get(), "QVLocations");
    QSignalSpy tabSpy(tabs, &TabControl::Click);
    tabs->setTab(6);
    QCOMPARE(tabSpy.count(), 1); // delivered before setTab returned
    QCOMPARE(tabSpy.at(0).at(0).toInt(), 0);
    tabs->setTab(6);
    tabs->setTab(25);
    tabs->setTab(-1);
    QCOMPARE(tabSpy.count(), 1);

    auto *list = control<QListWidget>(window.get(), "ListOfUniques", 6);
    QSignalSpy listSpy(list, &QListWidget::currentRowChanged);
    list->setCurrentRow(3);
    QCOMPARE(listSpy.count(), 1);
    QCOMPARE(control<QLineEdit>(window.get(), "TextLevel", 6)->text(),
             QString::fromLatin1(catalog::findUniqueMonster(6, 3)->level));
    list->setCurrentRow(3);
    QCOMPARE(listSpy.count(), 1);

    auto *box = control<QCheckBox>(window.get(), "CheckDefeated", 6);
    QSignalSpy boxSpy(box, &QCheckBox::toggled);
    control<QLineEdit>(window.get(), "TextDefeated", 6)->setText(QStringLiteral("1"));
    box->setChecked(true);
    QCOMPARE(boxSpy.count(), 1);
    box->setChecked(true);
    QCOMPARE(boxSpy.count(), 1);
}

void StartupTest::handlersAreCallableByName()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    for (const char *handler : {"Timer1_Timer", "QuestsTab_Click", "QVLocations_Click", "ListOfUniques_Click",
                                "CheckDefeated_Click", "Quests_Click", "QuestCompleted_Click"}) {
        const bool takesIndex = QByteArray(handler) != "Timer1_Timer";
        const bool called = takesIndex ? QMetaObject::invokeMethod(window.get(), handler, Q_ARG(int, 0))
                                       : QMetaObject::invokeMethod(window.get(), handler);
        QVERIFY2(called, handler);
    }
    QCOMPARE(control<QTimer>(window.get(), "Timer1")->property("Tag").toString(), QStringLiteral("59"));
}

void StartupTest::exitEndsTheProgram_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("File, Exit by mouse") << "mouse";
    QTest::newRow("Alt+F, then x") << "keys";
    QTest::newRow("Ctrl+Q") << "shortcut";
}

void StartupTest::exitEndsTheProgram()
{
    QFETCH(QString, how);
    ProgramFolder folder;
    auto window = startedWindow(folder);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    auto *menu = control<QMenu>(window.get(), "File");

    // Each way is taken from inside the event loop; the loop ending is the
    // program ending. A watchdog fails the test instead of hanging it.
    bool watchdogFired = false;
    QTimer::singleShot(5000, window.get(), [&] {
        watchdogFired = true;
        QCoreApplication::exit(1);
    });
    QTimer::singleShot(0, window.get(), [&] {
        if (how == QLatin1String("mouse")) {
            QMenuBar *bar = window->menuBar();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
            auto *exit = control<QAction>(window.get(), "Exit");
            QTimer::singleShot(50, menu, [menu, exit] {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(exit).center());
            });
        } else if (how == QLatin1String("keys")) {
            QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
            QTimer::singleShot(50, menu, [menu] { QTest::keyClick(menu, Qt::Key_X); });
        } else {
            QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
        }
    });
    const int code = QCoreApplication::exec();
    QVERIFY(!watchdogFired);
    QCOMPARE(code, 0);
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
