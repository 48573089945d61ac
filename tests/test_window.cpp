// The window: as it is built before anything runs, its captions, the
// keyboard's way through it, start-up and the way out. What the tab handlers
// clear and save is the tab memory suite's concern.
#include "testsupport.h"

#include "lazyoverflowiconstyle.h"
#include "markcolors.h"
#include "processes.h"
#include "tabcontrol.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProxyStyle>
#include <QSignalSpy>
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

// Where tab `index` of a tab control stands, mapped to the window; empty
// when part of it is cut off by the control or one of the widgets around it.
QRect tabInView(const QWidget *tabs, int index)
{
    QRect tab;
    QMetaObject::invokeMethod(const_cast<QWidget *>(tabs), "tabRect", Q_RETURN_ARG(QRect, tab),
                              Q_ARG(int, index));
    const QWidget *window = tabs->window();
    const QRect inWindow = tab.translated(tabs->mapTo(window, QPoint()));
    for (const QWidget *widget = tabs; widget != window; widget = widget->parentWidget()) {
        if (!QRect(widget->mapTo(window, QPoint()), widget->size()).contains(inWindow))
            return {};
    }
    return inWindow;
}

// The desktop's style, counting the overflow arrows it is asked for.
class CountingStyle : public QProxyStyle
{
public:
    mutable int overflowArrowsMade = 0;

    QIcon standardIcon(StandardPixmap which, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton)
            ++overflowArrowsMade;
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void designTimeState();
    void captionsOfEveryKindOfControl();
    void hiddenFlagBoxesNeverShowOrTakeFocus();
    void everyQuestGroupTabShowsWholeWithItsBar();
    void focusOrder_data();
    void focusOrder();
    void startUpClearsAndLocksEveryRegion();
    void exitEndsTheProgram_data();
    void exitEndsTheProgram();
    void tabsForScreenReaders();
    void overflowArrowsAreReadWhenFirstDrawn();
};

void WindowTest::initTestCase()
{
    // The style the program runs with.
    QApplication::setStyle(new LazyOverflowIconStyle);
}

void WindowTest::designTimeState()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowIcon().availableSizes().contains(QSize(32, 32)));
    // The suite's first window, before any picture: its icon brought in its
    // own decoder, and nothing else in it brought in another.
    QCOMPARE(loadedImagePlugins(), QStringList { QStringLiteral("libqico.so") });
    QCOMPARE(currentTab(&window, "QVLocations"), 1);
    QCOMPARE(currentTab(&window, "QuestsTab"), 0);
    QCOMPARE(control<QLabel>(&window, "LabelDefeated")->text(),
             QStringLiteral("Uniques Beaten: 0"));
    auto *timer = control<QTimer>(&window, "Timer1");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->property("Tag").toString(), QStringLiteral("60"));
    // Lists and flags are filled by start-up, not before.
    for (auto *list : window.findChildren<QListWidget *>())
        QVERIFY2(list->count() == 0, qPrintable(list->objectName()));
    for (auto *box : window.findChildren<QLineEdit *>())
        QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
    // Nothing has run: no file was written into the program folder.
    QVERIFY(QDir(folder.path()).isEmpty());
}

void WindowTest::captionsOfEveryKindOfControl()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    auto *exit = control<QAction>(&window, "Exit");
    QCOMPARE(control<QMenu>(&window, "File")->title(), QStringLiteral("&File"));
    QCOMPARE(exit->text(), QStringLiteral("E&xit"));
    QCOMPARE(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QVERIFY(control<QMenu>(&window, "File")->actions().contains(exit));
    // Each region and each quest group is built by the same code; the last
    // ones stand for all.
    const std::pair<const char *, const char *> captions[] = {
        { "LabelLevel(18)", "Level" },
        { "LabelLocation(18)", "Location" },
        { "LabelAppearanceConditions(18)", "Appearance Conditions" },
        { "CheckDefeated(18)", "Defeated this Playthough" },
        { "PrerequisitesLabel(10)", "Prerequisites" },
        { "LocationLabel(10)", "Location" },
        { "CompleteLabel(10)", "To Complete Quest" },
        { "QuestCompleted(10)", "Quest Completed" }
    };
    for (const auto &[name, caption] : captions)
        QCOMPARE(control<QWidget>(&window, name)->property("text").toString(),
                 QLatin1String(caption));
    auto *outer = control<TabControl>(&window, "QVLocations");
    auto *inner = control<TabControl>(&window, "QuestsTab");
    QCOMPARE(outer->count(), catalog::RegionCount + 1);
    QCOMPARE(inner->count(), catalog::QuestGroupCount);
    for (int r = 0; r < catalog::RegionCount; ++r)
        QCOMPARE(outer->tabCaption(r), QString::fromLatin1(catalog::regions()[r].caption));
    QCOMPARE(outer->tabCaption(catalog::RegionCount), QStringLiteral("Quests"));
    for (int j = 0; j < catalog::QuestGroupCount; ++j)
        QCOMPARE(inner->tabCaption(j), QString::fromLatin1(catalog::questGroups()[j].caption));
}

void WindowTest::hiddenFlagBoxesNeverShowOrTakeFocus()
{
    ProgramFolder folder;
    Form1 window(folder.path());
    window.show();
    for (int tab : { 7, catalog::RegionCount }) {
        selectTab(&window, "QVLocations", tab);
        selectTab(&window, "QuestsTab", 10);
        control<QLineEdit>(&window, "TextCompleted", 10)->setText(QStringLiteral("1"));
        for (auto *box : window.findChildren<QLineEdit *>()) {
            const QString name = box->objectName();
            if (name.startsWith(u"TextDefeated") || name.startsWith(u"TextCompleted")) {
                QVERIFY2(!box->isVisible(), qPrintable(name));
                QCOMPARE(box->focusPolicy(), Qt::NoFocus);
            }
        }
    }
}

void WindowTest::everyQuestGroupTabShowsWholeWithItsBar()
{
    // A quest of group 9, on the last row, is done: its tab has a bar to show.
    ProgramFolder folder;
    folder.write(QStringLiteral("QuestsCleared.txt"), flagsWithOnesAt(63, { questPosition(9, 0) }));
    auto window = startedWindow(folder);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *outer = control<TabControl>(window.get(), "QVLocations");
    auto *groups = control<TabControl>(window.get(), "QuestsTab");
    selectTab(window.get(), "QVLocations", catalog::RegionCount);
    // In its fixed place: 720, 360, 12255 x 6015 twips on the Quests tab.
    QCOMPARE(QRect(groups->mapTo(outer, QPoint()), groups->size()), QRect(48, 24, 817, 401));

    const auto firstTabCutOff = [&] {
        for (int j = 0; j < catalog::QuestGroupCount; ++j) {
            if (tabInView(groups, j).isEmpty())
                return j;
        }
        return -1;
    };
    for (int selected = catalog::QuestGroupCount - 1; selected >= 0; --selected) {
        selectTab(window.get(), "QuestsTab", selected);
        QVERIFY2(firstTabCutOff() == -1,
                 qPrintable(QStringLiteral("with tab %1 selected").arg(selected)));
    }
    // The control lays its pages out afresh on a resize.
    const QSize designed = outer->size();
    outer->resize(designed + QSize(0, 1));
    outer->resize(designed);
    QCOMPARE(firstTabCutOff(), -1);

    // The bar is on screen, in the color of done entries.
    const QImage shown = window->grab().toImage();
    const QRect tab = tabInView(groups, 9);
    bool barShown = false;
    for (int y = tab.top(); y <= tab.bottom() && !barShown; ++y) {
        for (int x = tab.left(); x <= tab.right() && !barShown; ++x)
            barShown = nearColor(shown.pixelColor(x, y), doneColor(groups->palette()));
    }
    QVERIFY(barShown);
}

void WindowTest::focusOrder_data()
{
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    QTest::addColumn<QString>("order");
    QTest::newRow("region 0")
            << 0 << 0
            << "QVLocations ListOfUniques(0) TextLevel(0) TextLocation(0) TextAppearance(0) "
               "CheckDefeated(0) QVLocations";
    QTest::newRow("region 5")
            << 5 << 0
            << "QVLocations CheckDefeated(5) TextAppearance(5) TextLocation(5) TextLevel(5) "
               "ListOfUniques(5) QVLocations";
    QTest::newRow("quest group 0")
            << 19 << 0
            << "QVLocations QuestsTab Quests(0) QuestLocation(0) QuestItems(0) "
               "QuestCompleted(0) QVLocations";
    // Its location box is disabled: it is skipped.
    QTest::newRow("quest group 6")
            << 19 << 6
            << "QVLocations QuestsTab QuestCompleted(6) QuestItems(6) Quests(6) QVLocations";
}

void WindowTest::focusOrder()
{
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(QString, order);
    ProgramFolder folder;
    auto window = startedWindow(folder);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    selectTab(window.get(), "QVLocations", outer);
    selectTab(window.get(), "QuestsTab", inner);
    control<QWidget>(window.get(), "QVLocations")->setFocus();
    QStringList visited { QApplication::focusWidget()->objectName() };
    for (int step = 1; step < order.count(u' ') + 1; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(visited.join(u' '), order);
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
        for (const char *name : { "TextLevel", "TextLocation", "TextAppearance" })
            QVERIFY(control<QLineEdit>(&window, name, r)->isReadOnly());
    }
}

void WindowTest::exitEndsTheProgram_data()
{
    QTest::addColumn<QString>("how");
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
        if (how == QLatin1String("keys")) {
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

// The tab controls as a screen reader walks them: each link of the tree
// leads back the way it came, and pressing a tab does what a click does and
// takes the page it left off screen. Reading the tree over the accessibility
// bus is the X server suite's concern.
void WindowTest::tabsForScreenReaders()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    auto *outer = control<TabControl>(window.get(), "QVLocations");
    QAccessibleInterface *tabs = QAccessible::queryAccessibleInterface(outer);
    QCOMPARE(tabs->role(), QAccessible::PageTabList);
    QCOMPARE(tabs->childCount(), 2 * outer->count()); // the tabs, then their pages
    for (int i = 0; i < tabs->childCount(); ++i) {
        QAccessibleInterface *child = tabs->child(i);
        QCOMPARE(child->parent(), tabs);
        QCOMPARE(tabs->indexOfChild(child), i);
        QCOMPARE(child->role() == QAccessible::PageTab, i < outer->count());
    }
    const int questsIndex = catalog::RegionCount;
    QAccessibleInterface *quests = tabs->child(questsIndex);
    QCOMPARE(quests->text(QAccessible::Name), QStringLiteral("Quests"));
    const QPoint onQuests = outer->mapToGlobal(outer->tabRect(questsIndex).center());
    QCOMPARE(tabs->childAt(onQuests.x(), onQuests.y()), quests);

    control<QListWidget>(window.get(), "ListOfUniques", 0)->setFocus();
    QSignalSpy clicks(outer, &TabControl::Click);
    quests->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().first().toInt(), 0);
    QVERIFY(outer->hasFocus());
    QVERIFY(quests->state().selected && quests->state().focused);
    QVERIFY(!tabs->child(0)->state().selected);
    QCOMPARE(tabs->focusChild(), quests);
    QVERIFY(folder.read(QStringLiteral("Tabs.ini")).startsWith("19 0"));
    // The lines of a list on the page just left no longer count as on screen.
    const auto firstLine = [&window](const char *list, int index) {
        return QAccessible::queryAccessibleInterface(
                       control<QListWidget>(window.get(), list, index))
                ->child(0);
    };
    QVERIFY(firstLine("ListOfUniques", 0)->state().invisible);
    QVERIFY(!firstLine("Quests", 0)->state().invisible);
}

QTEST_MAIN(WindowTest)
#include "test_window.moc"

void WindowTest::overflowArrowsAreReadWhenFirstDrawn()
{
    auto *desktop = new CountingStyle;
    const LazyOverflowIconStyle style(desktop);
    const QIcon arrow = style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    QCOMPARE(desktop->overflowArrowsMade, 0);

    const QImage drawn = arrow.pixmap(QSize(16, 16)).toImage();
    QCOMPARE(desktop->overflowArrowsMade, 1);
    QVERIFY(!drawn.isNull());
    const QIcon direct = desktop->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    QCOMPARE(drawn, direct.pixmap(QSize(16, 16)).toImage());
    // Read once; every other icon comes straight from the desktop's style.
    (void)arrow.pixmap(QSize(32, 32));
    QCOMPARE(desktop->overflowArrowsMade, 2);
    QCOMPARE(style.standardIcon(QStyle::SP_DialogOkButton).pixmap(QSize(16, 16)).toImage(),
             desktop->standardIcon(QStyle::SP_DialogOkButton).pixmap(QSize(16, 16)).toImage());
}
