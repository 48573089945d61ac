// The window: as it is built before anything runs, the controls where the
// design puts them, the keyboard's way through it, start-up, the two tab
// handlers and the way out.
#include "testsupport.h"

#include "viewer/tabcontrol.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace {

// Runs `action` from the event loop as soon as the menu has opened.
template<typename Action>
void whenShown(QMenu *menu, Action action)
{
    auto *poll = new QTimer(menu);
    QObject::connect(poll, &QTimer::timeout, menu, [menu, poll, action] {
        if (!menu->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        action();
    });
    poll->start(5);
}

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT

private slots:
    void designTimeState();
    void everyControlExistsWithItsKind();
    void placesControlsAsDesigned_data();
    void placesControlsAsDesigned();
    void labelsAndCheckBoxesUseTheBoldLabelFont();
    void hiddenFlagBoxesNeverShowOrTakeFocus();
    void questLocationOfGroupSixIsDisabled();
    void windowHasFixedSizeAndIcon();
    void tabCaptionsComeFromTheCatalog();
    void focusOrder_data();
    void focusOrder();
    void startUpClearsAndLocksEveryRegion();
    void regionTabChangeClearsOnlyTheNewRegion();
    void questsTabClearsNothingAndSaves();
    void questGroupChangeResetsItsSelection();
    void exitEndsTheProgram_data();
    void exitEndsTheProgram();
};

void WindowTest::designTimeState()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    QCOMPARE(window.windowTitle(), QStringLiteral("Huntmark (Viewer)"));
    QCOMPARE(currentTab(&window, "QVLocations"), 1);
    QCOMPARE(currentTab(&window, "QuestsTab"), 0);
    QCOMPARE(control<QLabel>(&window, "LabelDefeated")->text(), QStringLiteral("Uniques Beaten: 0"));
    auto *timer = control<QTimer>(&window, "Timer1");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    QCOMPARE(timer->property("Tag").toString(), QStringLiteral("60"));
    for (int r = 0; r < catalog::RegionCount; ++r) {
        QCOMPARE(control<QListWidget>(&window, "ListOfUniques", r)->count(), 0);
        QVERIFY(!control<QCheckBox>(&window, "CheckDefeated", r)->isChecked());
        QVERIFY(control<QLineEdit>(&window, "TextDefeated", r)->text().isEmpty());
        QVERIFY(control<QLabel>(&window, "ImageUniqueMonster", r)->pixmap().isNull());
        QVERIFY(control<QLabel>(&window, "ImageUniqueLocation", r)->pixmap().isNull());
    }
    for (int j = 0; j < catalog::QuestGroupCount; ++j) {
        QCOMPARE(control<QListWidget>(&window, "Quests", j)->count(), 0);
        QVERIFY(!control<QCheckBox>(&window, "QuestCompleted", j)->isChecked());
        QVERIFY(control<QLineEdit>(&window, "TextCompleted", j)->text().isEmpty());
        QVERIFY(control<QLineEdit>(&window, "QuestLocation", j)->text().isEmpty());
    }
    // Nothing has run: no file was written into the program folder.
    QVERIFY(QDir(folder.path()).isEmpty());
}

void WindowTest::everyControlExistsWithItsKind()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    auto *menu = control<QMenu>(&window, "File");
    QCOMPARE(menu->title(), QStringLiteral("&File"));
    auto *exit = control<QAction>(&window, "Exit");
    QCOMPARE(exit->text(), QStringLiteral("E&xit"));
    QCOMPARE(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QVERIFY(menu->actions().contains(exit));

    for (int r = 0; r < catalog::RegionCount; ++r) {
        control<QListWidget>(&window, "ListOfUniques", r);
        QCOMPARE(control<QLabel>(&window, "LabelLevel", r)->text(), QStringLiteral("Level"));
        control<QLineEdit>(&window, "TextLevel", r);
        QCOMPARE(control<QLabel>(&window, "LabelLocation", r)->text(), QStringLiteral("Location"));
        control<QLineEdit>(&window, "TextLocation", r);
        QCOMPARE(control<QLabel>(&window, "LabelAppearanceConditions", r)->text(),
                 QStringLiteral("Appearance Conditions"));
        control<QLineEdit>(&window, "TextAppearance", r);
        QCOMPARE(control<QCheckBox>(&window, "CheckDefeated", r)->text(),
                 QStringLiteral("Defeated this Playthough"));
        control<QLineEdit>(&window, "TextDefeated", r);
        control<QLabel>(&window, "ImageUniqueMonster", r);
        control<QLabel>(&window, "ImageUniqueLocation", r);
    }
    for (int j = 0; j < catalog::QuestGroupCount; ++j) {
        QCOMPARE(control<QLabel>(&window, "PrerequisitesLabel", j)->text(), QStringLiteral("Prerequisites"));
        control<QListWidget>(&window, "Quests", j);
        QCOMPARE(control<QLabel>(&window, "LocationLabel", j)->text(), QStringLiteral("Location"));
        QVERIFY(control<QLineEdit>(&window, "QuestLocation", j)->isReadOnly());
        QCOMPARE(control<QLabel>(&window, "CompleteLabel", j)->text(), QStringLiteral("To Complete Quest"));
        control<QListWidget>(&window, "QuestItems", j);
        QCOMPARE(control<QCheckBox>(&window, "QuestCompleted", j)->text(), QStringLiteral("Quest Completed"));
        control<QLineEdit>(&window, "TextCompleted", j);
    }
    // No 20th region and no 12th quest group.
    QVERIFY(!window.findChild<QWidget *>(QStringLiteral("ListOfUniques(19)")));
    QVERIFY(!window.findChild<QWidget *>(QStringLiteral("Quests(11)")));
}

void WindowTest::placesControlsAsDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // pixels, 15 twips to one
    // One of each kind of control, on tabs far apart; the rest are built by
    // the same code in a loop.
    QTest::newRow("LabelDefeated") << "LabelDefeated" << QRect(0, 0, 929, 17);
    QTest::newRow("QVLocations") << "QVLocations" << QRect(0, 16, 921, 521);
    QTest::newRow("QuestsTab") << "QuestsTab" << QRect(48, 24, 817, 401);
    QTest::newRow("level of region 18") << "TextLevel(18)" << QRect(208, 32, 41, 19);
    QTest::newRow("location picture") << "ImageUniqueLocation(2)" << QRect(592, 8, 300, 300);
    QTest::newRow("quest list 2 is taller") << "Quests(2)" << QRect(8, 24, 217, 225);
    QTest::newRow("quest items") << "QuestItems(4)" << QRect(392, 64, 329, 186);
}

void WindowTest::placesControlsAsDesigned()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    ProgramFolder folder;
    Form1 window(folder.path());
    auto *widget = window.findChild<QWidget *>(name);
    QVERIFY(widget);
    // Region and quest controls are placed relative to their tab control,
    // whose pages start at its top-left corner.
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->parentWidget()->pos(), QPoint(0, 0));
}

void WindowTest::labelsAndCheckBoxesUseTheBoldLabelFont()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    const QList<QWidget *> captioned = {
            control<QLabel>(&window, "LabelDefeated"), control<QLabel>(&window, "LabelLevel", 4),
            control<QLabel>(&window, "CompleteLabel", 8), control<QCheckBox>(&window, "CheckDefeated", 0),
            control<QCheckBox>(&window, "QuestCompleted", 3)};
    for (QWidget *widget : captioned) {
        QCOMPARE(widget->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(widget->font().pointSizeF(), 9.75);
        QVERIFY(widget->font().bold());
        QVERIFY(!widget->font().italic());
    }
    QVERIFY(!control<QListWidget>(&window, "ListOfUniques", 0)->font().bold());
    QVERIFY(!control<QLineEdit>(&window, "TextLocation", 0)->font().bold());
}

void WindowTest::hiddenFlagBoxesNeverShowOrTakeFocus()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    window.show();
    for (int tab : {0, 7, catalog::RegionCount}) {
        selectTab(&window, "QVLocations", tab);
        for (int j : {0, 10}) {
            selectTab(&window, "QuestsTab", j);
            control<QLineEdit>(&window, "TextCompleted", j)->setText(QStringLiteral("1"));
            for (auto *box : window.findChildren<QLineEdit *>()) {
                if (box->objectName().startsWith(QLatin1String("Text")) &&
                    (box->objectName().contains(QLatin1String("Defeated")) ||
                     box->objectName().contains(QLatin1String("Completed")))) {
                    QVERIFY2(!box->isVisible(), qPrintable(box->objectName()));
                    QCOMPARE(box->focusPolicy(), Qt::NoFocus);
                }
            }
        }
    }
}

void WindowTest::questLocationOfGroupSixIsDisabled()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    for (int j = 0; j < catalog::QuestGroupCount; ++j)
        QCOMPARE(control<QLineEdit>(&window, "QuestLocation", j)->isEnabled(), j != 6);
}

void WindowTest::windowHasFixedSizeAndIcon()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    QCOMPARE(window.centralWidget()->size(), QSize(930, 555));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(!window.windowIcon().isNull());
    QVERIFY(window.windowIcon().availableSizes().contains(QSize(32, 32)));
}

void WindowTest::tabCaptionsComeFromTheCatalog()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    auto *outer = control<TabControl>(&window, "QVLocations");
    auto *inner = control<TabControl>(&window, "QuestsTab");
    QCOMPARE(outer->count(), 20);
    QCOMPARE(inner->count(), 11);
    for (int r = 0; r < catalog::RegionCount; ++r)
        QCOMPARE(outer->tabCaption(r), QString::fromLatin1(catalog::regions()[r].caption));
    QCOMPARE(outer->tabCaption(19), QStringLiteral("Quests"));
    for (int j = 0; j < catalog::QuestGroupCount; ++j)
        QCOMPARE(inner->tabCaption(j), QString::fromLatin1(catalog::questGroups()[j].caption));
}

void WindowTest::focusOrder_data()
{
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("region 0") << 0 << 0
                              << QStringList{"QVLocations",     "ListOfUniques(0)",  "TextLevel(0)",
                                             "TextLocation(0)", "TextAppearance(0)", "CheckDefeated(0)",
                                             "QVLocations"};
    QTest::newRow("region 5") << 5 << 0
                              << QStringList{"QVLocations",     "CheckDefeated(5)", "TextAppearance(5)",
                                             "TextLocation(5)", "TextLevel(5)",     "ListOfUniques(5)",
                                             "QVLocations"};
    QTest::newRow("quest group 0") << 19 << 0
                                   << QStringList{"QVLocations",      "QuestsTab",     "Quests(0)",
                                                  "QuestLocation(0)", "QuestItems(0)", "QuestCompleted(0)",
                                                  "QVLocations"};
    QTest::newRow("quest group 6 skips its disabled location")
            << 19 << 6 << QStringList{"QVLocations",   "QuestsTab", "QuestCompleted(6)",
                                      "QuestItems(6)", "Quests(6)", "QVLocations"};
}

void WindowTest::focusOrder()
{
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(QStringList, order);
    ProgramFolder folder;
    auto window = startedWindow(folder);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    selectTab(window.get(), "QVLocations", outer);
    selectTab(window.get(), "QuestsTab", inner);
    control<QWidget>(window.get(), "QVLocations")->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int step = 1; step < order.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(visited, order);
}

void WindowTest::startUpClearsAndLocksEveryRegion()
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

void WindowTest::regionTabChangeClearsOnlyTheNewRegion()
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

void WindowTest::questsTabClearsNothingAndSaves()
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

void WindowTest::questGroupChangeResetsItsSelection()
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

void WindowTest::exitEndsTheProgram_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("File, Exit by mouse") << "mouse";
    QTest::newRow("Alt+F, then x") << "keys";
    QTest::newRow("Ctrl+Q") << "shortcut";
}

void WindowTest::exitEndsTheProgram()
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
            whenShown(menu, [menu, exit] {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(exit).center());
            });
        } else if (how == QLatin1String("keys")) {
            QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
            whenShown(menu, [menu] { QTest::keyClick(menu, Qt::Key_X); });
        } else {
            QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
        }
    });
    const int code = QCoreApplication::exec();
    QVERIFY(!watchdogFired);
    QCOMPARE(code, 0);
}

QTEST_MAIN(WindowTest)
#include "test_window.moc"
