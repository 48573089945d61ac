// The multi-row tab control: where its tabs stand, how the mouse and the
// keyboard pick one, and that every change is told exactly once.
#include "tabcontrol.h"

#include <QSignalSpy>
#include <QTest>

class TabControlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tabsStandInRowsAlongTheBottom();
    void pagesSitAboveTheTabsAndOnlyTheCurrentShows();
    void mousePicksTheTabUnderIt();
    void keyboardMovesBetweenTabs_data();
    void keyboardMovesBetweenTabs();
    void notifiesEachChangeOnceWithThePreviousTab();
};

void TabControlTest::tabsStandInRowsAlongTheBottom()
{
    TabControl tabs(20, 7, 520 / 15.0);
    tabs.resize(921, 521);
    QCOMPARE(tabs.rowCount(), 3);
    // Equal widths, seven to a row; rows of 520 twips tile the bottom strip.
    QCOMPARE(tabs.tabRect(0).left(), 0);
    QCOMPARE(tabs.tabRect(6).right(), 920);
    QCOMPARE(tabs.tabRect(7).left(), 0);
    QCOMPARE(tabs.tabRect(19).top(), tabs.tabRect(14).top());
    QCOMPARE(tabs.tabRect(20 - 1).bottom(), 520);
    QCOMPARE(tabs.tabRect(0).top(), 521 - 104);
    for (int i = 0; i < 20; ++i) {
        QVERIFY(qAbs(tabs.tabRect(i).width() - 921 / 7) <= 1);
        QVERIFY(qAbs(tabs.tabRect(i).height() - 35) <= 1);
    }
    // Rows follow each other without a gap.
    QCOMPARE(tabs.tabRect(7).top(), tabs.tabRect(0).bottom() + 1);
    QCOMPARE(tabs.tabRect(14).top(), tabs.tabRect(7).bottom() + 1);

    TabControl groups(11, 3, 520 / 15.0);
    groups.resize(817, 401);
    QCOMPARE(groups.rowCount(), 4);
    QCOMPARE(groups.tabRect(10).top(), groups.tabRect(9).top());
    QCOMPARE(groups.tabRect(9).left(), 0);
}

void TabControlTest::pagesSitAboveTheTabsAndOnlyTheCurrentShows()
{
    TabControl tabs(5, 3, 30);
    tabs.resize(300, 200);
    tabs.show();
    QCOMPARE(tabs.page(0)->geometry(), QRect(0, 0, 300, 140));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(tabs.page(i)->isVisible(), i == 0);
    tabs.setTab(3);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(tabs.page(i)->isVisible(), i == 3);
}

void TabControlTest::mousePicksTheTabUnderIt()
{
    TabControl tabs(20, 7, 520 / 15.0);
    tabs.resize(921, 521);
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QSignalSpy spy(&tabs, &TabControl::Click);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(16).center());
    QCOMPARE(tabs.tab(), 16);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, QPoint(400, 100)); // on the page, not a tab
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, QPoint(915, 515)); // the empty end of the last row
    QCOMPARE(tabs.tab(), 16);
    QCOMPARE(spy.count(), 1);
    QVERIFY(tabs.hasFocus());
}

void TabControlTest::keyboardMovesBetweenTabs_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("right") << 3 << int(Qt::Key_Right) << 4;
    QTest::newRow("left") << 3 << int(Qt::Key_Left) << 2;
    QTest::newRow("right across rows") << 6 << int(Qt::Key_Right) << 7;
    QTest::newRow("down a row") << 2 << int(Qt::Key_Down) << 9;
    QTest::newRow("up a row") << 16 << int(Qt::Key_Up) << 9;
    QTest::newRow("down from the last row stays in range") << 15 << int(Qt::Key_Down) << 19;
    QTest::newRow("left of the first") << 0 << int(Qt::Key_Left) << 0;
    QTest::newRow("right of the last") << 19 << int(Qt::Key_Right) << 19;
    QTest::newRow("home") << 12 << int(Qt::Key_Home) << 0;
    QTest::newRow("end") << 12 << int(Qt::Key_End) << 19;
}

void TabControlTest::keyboardMovesBetweenTabs()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    TabControl tabs(20, 7, 520 / 15.0);
    tabs.resize(921, 521);
    tabs.setTab(from);
    // The tabs answer their keys only while they hold the focus themselves.
    tabs.show();
    QVERIFY(QTest::qWaitForWindowActive(&tabs));
    tabs.setFocus();
    QTest::keyClick(&tabs, Qt::Key(key));
    QCOMPARE(tabs.tab(), to);
}

void TabControlTest::notifiesEachChangeOnceWithThePreviousTab()
{
    TabControl tabs(11, 3, 520 / 15.0);
    QSignalSpy spy(&tabs, &TabControl::Click);
    int seenDuringNotification = -1;
    connect(&tabs, &TabControl::Click, &tabs, [&] { seenDuringNotification = tabs.tab(); });
    tabs.setTab(4);
    // Told synchronously, with the new tab already current.
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.takeFirst().at(0).toInt(), 0);
    QCOMPARE(seenDuringNotification, 4);
    tabs.setTab(4);
    tabs.setTab(11);
    tabs.setTab(-1);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(tabs.tab(), 4);
    tabs.setTab(10);
    QCOMPARE(spy.takeFirst().at(0).toInt(), 4);
}

QTEST_MAIN(TabControlTest)
#include "test_tabcontrol.moc"
