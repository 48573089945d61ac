// What the follower sees at a glance: check marks on done lines, a bar and a
// tool tip per tab, the emphasis on lines that turned done since the last
// read, the desktop notification of them, and the history of when each
// entry was done. Runs on a private session bus of its own, never the user's.
#include "testfiles.h"
#include "windowdriver.h"

#include "hiddenscripts.h"
#include "markcolors.h"
#include "progresshistory.h"
#include "tabcontrol.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTableView>
#include <QToolTip>

#include <memory>

#include <unistd.h>

namespace {

// A stand-in download client that copies from a folder playing the server
// (`ncftpget.exe -C -f LOGIN HOST remote local`) and, like the real one,
// replaces the local copy in one rename, so a read never sees half of it.
QByteArray copyingClient(const ProgramFolder &server)
{
    return "#!/bin/sh\ncp '" + QFile::encodeName(server.path())
            + "'/\"$5\" \"$6.part\" && mv \"$6.part\" \"$6\"\n";
}

const QString NotificationService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationPath = QStringLiteral("/org/freedesktop/Notifications");

// Two quests of the same name in different groups: (group, index) each.
std::pair<std::pair<int, int>, std::pair<int, int>> namesakes()
{
    for (int g = 0; g < catalog::QuestGroupCount; ++g)
        for (int h = g + 1; h < catalog::QuestGroupCount; ++h)
            for (int i = 0; i < catalog::questCount(g); ++i)
                for (int k = 0; k < catalog::questCount(h); ++k)
                    if (qstrcmp(catalog::findQuest(g, i)->name, catalog::findQuest(h, k)->name)
                        == 0)
                        return { { g, i }, { h, k } };
    qFatal("the catalog has no namesakes");
}

QString uniqueName(int position)
{
    for (const catalog::Region &region : catalog::regions())
        for (const auto &entry : region.entries)
            if (--position == 0)
                return QString::fromLatin1(entry.name);
    return {};
}

// How a line shows its flag: "none", "done" or "new", or what is wrong with
// it when its icon, accessible text, font and color disagree.
QString markOf(const QListWidget *list, int row, const QString &doneWord)
{
    const QListWidgetItem *line = list->item(row);
    const bool icon = !line->icon().isNull();
    const QString spoken = line->data(Qt::AccessibleTextRole).toString();
    const bool emphasised = line->font().bold() && line->data(Qt::ForegroundRole).isValid();
    const QString name = line->text();
    if (!icon && spoken.isEmpty() && !emphasised)
        return QStringLiteral("none");
    if (icon && spoken == QStringLiteral("%1 (%2)").arg(name, doneWord) && !emphasised)
        return QStringLiteral("done");
    if (icon && spoken == QStringLiteral("%1 (%2, new)").arg(name, doneWord) && emphasised)
        return QStringLiteral("new");
    return QStringLiteral("icon %1, spoken '%2', emphasised %3")
            .arg(icon)
            .arg(spoken)
            .arg(emphasised);
}

// Every line and tab of one kind of list as `flags` says: done lines marked,
// those at the `fresh` positions as new, and each tab counting its own.
void expectMarks(const Form1 *window, const char *listName, const char *tabsName, int lists,
                 const QByteArray &flags, const QList<int> &fresh, const QString &doneWord)
{
    auto *tabs = control<TabControl>(window, tabsName);
    int position = 1;
    for (int k = 0; k < lists; ++k) {
        const QListWidget *list = control<QListWidget>(window, listName, k);
        int done = 0;
        int news = 0;
        for (int row = 0; row < list->count(); ++row, ++position) {
            const bool isDone = position <= flags.size() && flags[position - 1] == '1';
            done += isDone;
            news += isDone && fresh.contains(position);
            const QString expected = !isDone   ? QStringLiteral("none")
                    : fresh.contains(position) ? QStringLiteral("new")
                                               : QStringLiteral("done");
            const QString where =
                    QStringLiteral("%1(%2) line %3: ").arg(QLatin1String(listName)).arg(k).arg(row);
            QCOMPARE(where + markOf(list, row, doneWord), where + expected);
        }
        QCOMPARE(tabs->tabToolTip(k),
                 QStringLiteral("%1 of %2 %3").arg(done).arg(list->count()).arg(doneWord)
                         + (news ? QStringLiteral(", %1 new").arg(news) : QString()));
        QCOMPARE(tabs->tabHasNew(k), news > 0);
    }
}

void expectUniques(const Form1 *window, const QByteArray &flags, const QList<int> &fresh)
{
    expectMarks(window, "ListOfUniques", "QVLocations", catalog::RegionCount, flags, fresh,
                QStringLiteral("defeated"));
}

void expectQuests(const Form1 *window, const QByteArray &flags, const QList<int> &fresh)
{
    expectMarks(window, "Quests", "QuestsTab", catalog::QuestGroupCount, flags, fresh,
                QStringLiteral("completed"));
    // The Quests tab counts the news of every group.
    const auto *outer = control<TabControl>(window, "QVLocations");
    const qsizetype news =
            std::count_if(fresh.begin(), fresh.end(), [&](int p) { return flags[p - 1] == '1'; });
    QCOMPARE(outer->tabToolTip(catalog::RegionCount),
             QStringLiteral("%1 of 63 completed").arg(flags.count('1'))
                     + (news ? QStringLiteral(", %1 new").arg(news) : QString()));
    QCOMPARE(outer->tabHasNew(catalog::RegionCount), news > 0);
}

// The tool tip a hover over tab `index` shows.
QString hoverToolTip(TabControl *tabs, int index)
{
    const QPoint at = tabs->tabRect(index).center();
    QHelpEvent hover(QEvent::ToolTip, at, tabs->mapToGlobal(at));
    QApplication::sendEvent(tabs, &hover);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

void selectLine(const Form1 *window, const char *listName, int index, int row)
{
    control<QListWidget>(window, listName, index)->setCurrentRow(row);
}

QDateTime december(int day, int hour, int minute)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

// The clock the window's history reads the time of a read from.
void setClock(const Form1 *window, const QDateTime &time)
{
    control<ProgressHistory>(window, "ProgressHistory")->setClock([time] { return time; });
}

// Shows the window with another one active in front of it, as while the
// user works elsewhere.
void showBehind(QWidget *window, QWidget &elsewhere)
{
    window->show();
    elsewhere.show();
    elsewhere.activateWindow();
    QTRY_VERIFY(elsewhere.isActiveWindow());
}

// The history window's list, opened as File > History opens it.
QAbstractItemView *openHistory(const Form1 *window)
{
    control<QAction>(window, "OpenHistory")->trigger();
    const auto *history = control<QWidget>(window, "History");
    if (!history->isVisible() || history->isModal())
        QTest::qFail("the history window is not open, or modal", __FILE__, __LINE__);
    return control<QTableView>(history, "HistoryList");
}

// Every row of the history list as "time|entry|tab|what", top down; each
// row's first column must hold the time it shows.
QString historyRow(const QAbstractItemModel *model, int row)
{
    const QDateTime time = model->index(row, 0).data(Qt::UserRole).toDateTime();
    QStringList cells { time.toString(QStringLiteral("d MMM HH:mm")) };
    for (int column = 1; column < model->columnCount(); ++column)
        cells.append(model->index(row, column).data().toString());
    return cells.join(u'|');
}

QStringList historyRows(const QAbstractItemView *list)
{
    QStringList rows;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        rows.append(historyRow(list->model(), row));
    return rows;
}

// The events as the history file keeps them, oldest first: "kind|flag
// index|done", kind 0 for uniques and 1 for quests, the index counted from 0,
// as every earlier version wrote them.
QStringList storedEvents(const ProgramFolder &folder)
{
    StoreConnection store(folder.filePath(QStringLiteral("History.sqlite")));
    return store.rows(QStringLiteral("SELECT kind, position, done FROM events ORDER BY rowid"));
}

QString uniqueRow(const char *time, int r, int i, const char *what)
{
    return QStringList { QLatin1String(time),
                         QString::fromLatin1(catalog::findUniqueMonster(r, i)->name),
                         QString::fromLatin1(catalog::regions()[r].caption), QLatin1String(what) }
            .join(u'|');
}

// The row of the unique at progress position `position` (from 1).
QString uniqueRowAt(const QDateTime &time, int position, const char *what)
{
    const std::optional<catalog::ListPlace> place =
            catalog::entryAt(catalog::Kind::Unique, position);
    return uniqueRow(qPrintable(time.toString(QStringLiteral("d MMM HH:mm"))), place->tab,
                     place->row, what);
}

QString questRow(const char *time, int g, int i, const char *what)
{
    return QStringList { QLatin1String(time), QString::fromLatin1(catalog::findQuest(g, i)->name),
                         QString::fromLatin1(catalog::questGroups()[g].caption),
                         QLatin1String(what) }
            .join(u'|');
}

// The tool tip a hover at `at` over `widget` shows; nothing while none is up.
QString hoverToolTipAt(QWidget *widget, QPoint at)
{
    QHelpEvent hover(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &hover);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

QString lineToolTip(const Form1 *window, const char *listName, int index, int row)
{
    auto *list = control<QListWidget>(window, listName, index);
    return hoverToolTipAt(list->viewport(), list->visualItemRect(list->item(row)).center());
}

} // namespace

// Stands in for the desktop's notification service and keeps what it was
// asked to show: "icon|summary|body|picture or none|actions" for each call.
class NotificationRecorder : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList calls;

public Q_SLOTS:
    uint Notify(const QString &, uint, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int)
    {
        const bool picture = hints.contains(QStringLiteral("image-data"));
        calls.append(QStringList { appIcon, summary, body,
                                   picture ? QStringLiteral("picture") : QStringLiteral("none"),
                                   actions.join(u',') }
                             .join(u'|'));
        return uint(calls.size());
    }
};

class FollowerViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void firstReadMarksWhatIsDoneAndNothingNew();
    void changesShowAsNewUntilSelectedOrTurnedBack_data();
    void changesShowAsNewUntilSelectedOrTurnedBack();
    void notifiesWhatTurnedDoneWhileInactive_data();
    void notifiesWhatTurnedDoneWhileInactive();
    void withoutAServiceNothingWaitsOrPrints();
    void showActionRaisesTheWindowAndOpensTheHistory();
    void theStoreAndTheBusComeAfterTheFirstFrame();
    void historyKeepsWhatChangedWhenAndWhatIsNew();
    void regionDotStaysWholeOnTheQuestsPage();
    void detailsSayWhenAnEntryWasDone_data();
    void detailsSayWhenAnEntryWasDone();
    void anUnusableStoreLeavesTheWindowWorking_data();
    void anUnusableStoreLeavesTheWindowWorking();
    void aBusyStoreDelaysTheWritesAndLosesNothing();
    void aLongHistoryOpensAtItsNewestAndScrollsToItsFirst();

private:
    // Waits until everything the window sent on the bus has been handled.
    void settleBus();

    QDBusConnection m_serviceBus { QString() };
    NotificationRecorder m_recorder;
};

void FollowerViewTest::initTestCase()
{
    if (qEnvironmentVariableIsSet("HUNTMARK_TEST_WITHOUT_BUS"))
        return;
    // The service sits on a connection of its own, as it would in another
    // process.
    m_serviceBus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("service"));
    QVERIFY2(m_serviceBus.isConnected(), "no private session bus");
    QVERIFY(m_serviceBus.registerObject(NotificationPath, &m_recorder,
                                        QDBusConnection::ExportAllSlots));
    QVERIFY(m_serviceBus.registerService(NotificationService));
}

void FollowerViewTest::cleanupTestCase()
{
    if (m_serviceBus.isConnected())
        QDBusConnection::disconnectFromBus(m_serviceBus.name());
}

void FollowerViewTest::cleanup()
{
    fetch::setScriptHelperPath(QString());
}

void FollowerViewTest::settleBus()
{
    QCoreApplication::processEvents();
    // Messages of one connection arrive in order: once the service answered
    // this, it has seen any notification sent before.
    const QDBusPendingCall ping =
            QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
                    NotificationService, NotificationPath,
                    QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    QTRY_VERIFY(ping.isFinished());
    QCoreApplication::processEvents();
}

void FollowerViewTest::firstReadMarksWhatIsDoneAndNothingNew()
{
    const auto [first, second] = namesakes();
    const QByteArray uniques = flagsWithOnesAt(
            catalog::UniqueMonsterCount, { 1, uniquePosition(5, 2), uniquePosition(7, 0), 157 });
    const QByteArray quests = flagsWithOnesAt(
            catalog::QuestCount, { questPosition(first.first, first.second), questPosition(1, 0) });
    ProgramFolder folder;
    folder.write(UniquesFile, uniques);
    folder.write(QuestsFile, quests);
    auto window = startedWindow(folder);

    // The lines keep their names and their height, so a list shows as many;
    // one of the namesakes is done, the other not.
    auto *list = control<QListWidget>(window.get(), "ListOfUniques", 0);
    QCOMPARE(list->item(0)->text(), uniqueName(1));
    QListWidget plain;
    plain.addItem(list->item(0)->text());
    QCOMPARE(list->sizeHintForRow(0), plain.sizeHintForRow(0));
    expectUniques(window.get(), uniques, {});
    expectQuests(window.get(), quests, {});
    QCOMPARE(markOf(control<QListWidget>(window.get(), "Quests", second.first), second.second,
                    QStringLiteral("completed")),
             QStringLiteral("none"));

    window->show();
    QCOMPARE(hoverToolTip(control<TabControl>(window.get(), "QVLocations"), 5),
             QStringLiteral("1 of %1 defeated").arg(catalog::uniqueMonsterCount(5)));
    selectTab(window.get(), "QVLocations", catalog::RegionCount);
    QCOMPARE(hoverToolTip(control<TabControl>(window.get(), "QuestsTab"), 1),
             QStringLiteral("1 of %1 completed").arg(catalog::questCount(1)));

    // A file that goes missing reads as nothing done, and the history keeps
    // each of the four uniques turning back.
    QVERIFY(QFile::remove(folder.filePath(UniquesFile)));
    window->FetchProgress();
    expectUniques(window.get(), QByteArray(), {});
    QTRY_COMPARE(storedEvents(folder).size(), 4);
    for (const QString &event : storedEvents(folder))
        QVERIFY2(event.startsWith(u"0|") && event.endsWith(u"|0"), qPrintable(event));

    // A first run has no copies to start from: what the first download
    // brings is learned, not new.
    ProgramFolder firstRun;
    auto fresh = startedWindow(firstRun);
    firstRun.write(UniquesFile, uniques);
    firstRun.write(QuestsFile, quests);
    fresh->FetchProgress();
    expectUniques(fresh.get(), uniques, {});
    expectQuests(fresh.get(), quests, {});
}

void FollowerViewTest::changesShowAsNewUntilSelectedOrTurnedBack_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<bool>("readsUniques");
    QTest::addColumn<bool>("readsQuests");
    QTest::newRow("selecting a unique") << "unique" << true << false;
    QTest::newRow("selecting a quest") << "quest" << false << true;
    QTest::newRow("a download") << "download" << true << true;
}

void FollowerViewTest::changesShowAsNewUntilSelectedOrTurnedBack()
{
    QFETCH(QString, trigger);
    QFETCH(bool, readsUniques);
    QFETCH(bool, readsQuests);

    const auto [first, second] = namesakes();
    const int namesakeA = questPosition(first.first, first.second);
    const int namesakeB = questPosition(second.first, second.second);
    const int lastUnique = catalog::UniqueMonsterCount;
    const int region0 = uniquePosition(0, 3);
    const QList<QByteArray> uniques = {
        flagsWithOnesAt(catalog::UniqueMonsterCount,
                        { 2, uniquePosition(5, 0), uniquePosition(5, 2) }),
        flagsWithOnesAt(catalog::UniqueMonsterCount,
                        { 2, uniquePosition(5, 2), region0, lastUnique }),
        flagsWithOnesAt(catalog::UniqueMonsterCount, { 2, uniquePosition(5, 2), lastUnique }),
    };
    const QList<QByteArray> quests = {
        flagsWithOnesAt(catalog::QuestCount, { namesakeA, questPosition(1, 0) }),
        flagsWithOnesAt(catalog::QuestCount, { namesakeA, namesakeB, questPosition(3, 1) }),
        flagsWithOnesAt(catalog::QuestCount, { namesakeA, namesakeB }),
    };

    ProgramFolder folder;
    ProgramFolder server;
    folder.write(UniquesFile, uniques[0]);
    folder.write(QuestsFile, quests[0]);
    auto window = startedWindow(folder);
    if (trigger == QLatin1String("quest"))
        selectTab(window.get(), "QVLocations", catalog::RegionCount);

    // The download's stand-in client copies from a folder that plays the
    // server: `ncftpget.exe -C -f LOGIN HOST remote local`.
    if (trigger == QLatin1String("download")) {
        fetch::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
        writeExecutable(folder.filePath(ClientName), copyingClient(server));
    }
    int selections = 0;
    auto readAgain = [&](int stage) {
        if (trigger == QLatin1String("download")) {
            server.write(UniquesFile, uniques[stage]);
            server.write(QuestsFile, quests[stage]);
            // Taken in once it offers a fetch on request again.
            window->FetchProgress();
            QTRY_VERIFY(control<QAction>(window.get(), "RefreshNow")->isEnabled());
            return;
        }
        folder.write(UniquesFile, uniques[stage]);
        folder.write(QuestsFile, quests[stage]);
        if (trigger == QLatin1String("unique"))
            selectLine(window.get(), "ListOfUniques", currentTab(window.get(), "QVLocations"),
                       6 + selections++ % 2);
        else
            selectLine(window.get(), "Quests", currentTab(window.get(), "QuestsTab"),
                       selections++ % 2);
    };

    // Lines that turned done are new; one that turned back loses its mark.
    readAgain(1);
    if (readsUniques)
        expectUniques(window.get(), uniques[1], { region0, lastUnique });
    if (readsQuests)
        expectQuests(window.get(), quests[1], { namesakeB, questPosition(3, 1) });

    // A new line that turns back loses both; the other stays new.
    readAgain(2);
    if (readsUniques)
        expectUniques(window.get(), uniques[2], { lastUnique });
    if (readsQuests)
        expectQuests(window.get(), quests[2], { namesakeB });

    // Selecting a new line is seeing it; selecting one that turned back
    // leaves it unmarked.
    if (readsUniques) {
        selectTab(window.get(), "QVLocations", 0);
        selectLine(window.get(), "ListOfUniques", 0, region0 - 1);
        QCOMPARE(markOf(control<QListWidget>(window.get(), "ListOfUniques", 0), region0 - 1,
                        QStringLiteral("defeated")),
                 QStringLiteral("none"));
        selectTab(window.get(), "QVLocations", 18);
        selectLine(window.get(), "ListOfUniques", 18, catalog::uniqueMonsterCount(18) - 1);
        expectUniques(window.get(), uniques[2], {});
    }
    if (readsQuests) {
        selectTab(window.get(), "QVLocations", catalog::RegionCount);
        selectTab(window.get(), "QuestsTab", second.first);
        selectLine(window.get(), "Quests", second.first, second.second);
        expectQuests(window.get(), quests[2], {});
    }

    // What was seen stays seen in the next run, though no read since has
    // changed a flag.
    window.reset();
    window = startedWindow(folder);
    if (readsUniques)
        expectUniques(window.get(), uniques[2], {});
    if (readsQuests)
        expectQuests(window.get(), quests[2], {});
}

void FollowerViewTest::notifiesWhatTurnedDoneWhileInactive_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<QList<int>>("uniquesTurned");
    QTest::addColumn<QList<int>>("questsTurned");
    QTest::addColumn<QString>("body");

    const QString a = uniqueName(20), c = uniqueName(30);
    const QString quest = QString::fromLatin1(catalog::findQuest(0, 2)->name);
    QTest::newRow("inactive") << false << QList<int> { 20, 30 } << QList<int> { 3 }
                              << QStringLiteral("Defeated: %1, %2\nCompleted: %3").arg(a, c, quest);
    QTest::newRow("active") << true << QList<int> { 20 } << QList<int> { 3 } << QString();
    QTest::newRow("inactive, nothing turned")
            << false << QList<int> {} << QList<int> {} << QString();
    QStringList firstFive;
    for (int position = 20; position < 25; ++position)
        firstFive.append(uniqueName(position));
    QTest::newRow("more than five")
            << false << QList<int> { 20, 21, 22, 23, 24, 25, 26, 27 } << QList<int> {}
            << QStringLiteral("Defeated: %1 and 3 more").arg(firstFive.join(QLatin1String(", ")));
}

void FollowerViewTest::notifiesWhatTurnedDoneWhileInactive()
{
    QFETCH(bool, active);
    QFETCH(QList<int>, uniquesTurned);
    QFETCH(QList<int>, questsTurned);
    QFETCH(QString, body);
    if (!m_serviceBus.isConnected())
        QSKIP("no session bus in this run");

    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1 }));
    folder.write(QuestsFile, QByteArray(catalog::QuestCount, '0'));
    auto window = startedWindow(folder);
    QWidget elsewhere;
    window->show();
    elsewhere.show();
    QWidget *focused = active ? static_cast<QWidget *>(window.get()) : &elsewhere;
    focused->activateWindow();
    QTRY_VERIFY(focused->isActiveWindow());
    m_recorder.calls.clear();

    QByteArray uniques = flagsWithOnesAt(catalog::UniqueMonsterCount, { 1 });
    for (int position : uniquesTurned)
        uniques[position - 1] = '1';
    QByteArray quests(catalog::QuestCount, '0');
    for (int position : questsTurned)
        quests[position - 1] = '1';
    folder.write(UniquesFile, uniques);
    folder.write(QuestsFile, quests);
    window->FetchProgress();
    settleBus();

    // One notification for the whole read, never one per file or line.
    const QString expected =
            QStringLiteral("huntmark-viewer|Huntmark (Viewer)|%1|picture|default,Show,show,Show")
                    .arg(body);
    QCOMPARE(m_recorder.calls, body.isEmpty() ? QStringList() : QStringList { expected });
}

void FollowerViewTest::withoutAServiceNothingWaitsOrPrints()
{
    // Run once without the service on the bus, and once (as its own test
    // run) with no bus at all.
    if (m_serviceBus.isConnected())
        QVERIFY(m_serviceBus.unregisterService(NotificationService));
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));

    ProgramFolder folder;
    folder.write(UniquesFile, QByteArray(catalog::UniqueMonsterCount, '0'));
    auto window = startedWindow(folder);
    QWidget elsewhere;
    showBehind(window.get(), elsewhere);
    QSignalSpy notified(control<QObject>(window.get(), "DesktopNotifier"),
                        SIGNAL(notified(QString)));

    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1, 2 }));
    window->FetchProgress();
    QTRY_COMPARE(notified.size(), 1);
    // The window goes on reading as before.
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 3 }));
    selectLine(window.get(), "ListOfUniques", currentTab(window.get(), "QVLocations"), 5);
    expectUniques(window.get(), flagsWithOnesAt(catalog::UniqueMonsterCount, { 3 }), { 3 });
    if (m_serviceBus.isConnected())
        QVERIFY(m_serviceBus.registerService(NotificationService));
}

void FollowerViewTest::showActionRaisesTheWindowAndOpensTheHistory()
{
    if (!m_serviceBus.isConnected())
        QSKIP("no session bus in this run");
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1 }));
    auto window = startedWindow(folder);
    QWidget elsewhere;
    showBehind(window.get(), elsewhere);
    m_recorder.calls.clear();
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1, 2 }));
    window->FetchProgress();
    settleBus();
    QCOMPARE(m_recorder.calls.size(), 1);
    QSignalSpy asked(control<QObject>(window.get(), "DesktopNotifier"), SIGNAL(showRequested()));

    // Another program's notification, and another action of ours, are not
    // meant for this window.
    auto invoke = [&](uint id, const QString &action) {
        QDBusMessage signal = QDBusMessage::createSignal(NotificationPath, NotificationService,
                                                         QStringLiteral("ActionInvoked"));
        signal << id << action;
        QVERIFY(m_serviceBus.send(signal));
    };
    const uint ours = uint(m_recorder.calls.size());
    invoke(ours + 7, QStringLiteral("show"));
    invoke(ours, QStringLiteral("dismiss"));
    invoke(ours, QStringLiteral("show"));
    // The window's connection answers a ping from the service after it has
    // passed on every signal the service sent before.
    const QDBusPendingCall ping = m_serviceBus.asyncCall(QDBusMessage::createMethodCall(
            QDBusConnection::sessionBus().baseService(), QStringLiteral("/"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    QTRY_VERIFY(ping.isFinished());
    QTRY_COMPARE(asked.size(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(asked.size(), 1);
    const auto *history = control<QWidget>(window.get(), "History");
    QVERIFY(history->isVisible());
    QTRY_VERIFY(history->isActiveWindow());
    QVERIFY(window->isVisible());
}

void FollowerViewTest::theStoreAndTheBusComeAfterTheFirstFrame()
{
    // The first frame needs neither: the store is opened and the bus joined
    // once it is painted, and what only the store knows is new shows then.
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1 }));
    startedWindow(folder).reset();
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1, 2 }));
    // The store's write-ahead log is there while the store is open.
    const QString log = QStringLiteral("History.sqlite-wal");
    QVERIFY(!folder.exists(log));
    Form1 window(folder.path());
    window.Form_Load();
    window.show();
    QVERIFY(!window.findChild<QObject *>(QStringLiteral("DesktopNotifier")));
    QVERIFY(!folder.exists(log));
    expectUniques(&window, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1, 2 }), {});
    finishStartUp(&window);
    QVERIFY(folder.exists(log));
    QVERIFY(window.findChild<QObject *>(QStringLiteral("DesktopNotifier")));
    expectUniques(&window, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1, 2 }), { 2 });
}

void FollowerViewTest::historyKeepsWhatChangedWhenAndWhatIsNew()
{
    // Uniques: region 4's second line turns done, the top one of region 0
    // back; later region 9's first line. Quests: group 3's second, then,
    // while no viewer runs, group 0's first.
    const int turned = uniquePosition(4, 1);
    const int later = uniquePosition(9, 0);
    const int quest = questPosition(3, 1);
    const int whileClosed = questPosition(0, 0);
    const QList<QByteArray> uniques = { flagsWithOnesAt(catalog::UniqueMonsterCount, { 1 }),
                                        flagsWithOnesAt(catalog::UniqueMonsterCount, { turned }),
                                        flagsWithOnesAt(catalog::UniqueMonsterCount,
                                                        { turned, later }) };
    const QList<QByteArray> quests = {
        QByteArray(catalog::QuestCount, '0'), flagsWithOnesAt(catalog::QuestCount, { quest }),
        flagsWithOnesAt(catalog::QuestCount, { quest, whileClosed })
    };

    ProgramFolder folder;
    ProgramFolder server;
    fetch::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    writeExecutable(folder.filePath(ClientName), copyingClient(server));
    auto download = [&](const Form1 *window, int stage) {
        server.write(UniquesFile, uniques[stage]);
        server.write(QuestsFile, quests[std::min(stage, 1)]);
        control<QAction>(window, "RefreshNow")->trigger();
        QTRY_VERIFY(control<QAction>(window, "RefreshNow")->isEnabled());
    };
    folder.write(UniquesFile, uniques[0]);
    folder.write(QuestsFile, quests[0]);
    server.write(UniquesFile, uniques[0]);
    server.write(QuestsFile, quests[0]);

    // The first read ever only learns; a download then records each change
    // with the time of its read, and the note tells it from the check.
    auto window = startedWindow(folder);
    auto *note = control<QLabel>(window.get(), "LabelUpdated");
    QTRY_VERIFY(control<QAction>(window.get(), "RefreshNow")->isEnabled());
    QVERIFY2(QRegularExpression(QStringLiteral("^checked \\d\\d:\\d\\d \u00b7 no change yet$"))
                     .match(note->text())
                     .hasMatch(),
             qPrintable(note->text()));
    QAbstractItemView *list = openHistory(window.get());
    QCOMPARE(historyRows(list), QStringList());
    setClock(window.get(), december(3, 13, 58));
    download(window.get(), 1);
    QVERIFY2(note->text().endsWith(QStringLiteral(" \u00b7 last change 13:58")),
             qPrintable(note->text()));
    const QStringList first = { questRow("3 Dec 13:58", 3, 1, "completed"),
                                uniqueRow("3 Dec 13:58", 4, 1, "defeated"),
                                uniqueRow("3 Dec 13:58", 0, 0, "undone") };
    QCOMPARE(historyRows(list), first);
    QCOMPARE(storedEvents(folder),
             (QStringList { QStringLiteral("0|0|0"), QStringLiteral("0|%1|1").arg(turned - 1),
                            QStringLiteral("1|%1|1").arg(quest - 1) }));

    // The open window follows every read, newest on top.
    setClock(window.get(), december(3, 14, 5));
    download(window.get(), 2);
    QCOMPARE(historyRows(list), QStringList { uniqueRow("3 Dec 14:05", 9, 0, "defeated") } + first);
    expectUniques(window.get(), uniques[2], { turned, later });
    expectQuests(window.get(), quests[1], { quest });

    // A later run finds the history and what is still new, and what turned
    // done while no viewer ran is new and recorded at its first read.
    window.reset();
    folder.write(QuestsFile, quests[2]);
    server.write(QuestsFile, quests[2]);
    window = std::make_unique<Form1>(folder.path());
    setClock(window.get(), december(4, 9, 30));
    window->Form_Load();
    finishStartUp(window.get());
    expectUniques(window.get(), uniques[2], { turned, later });
    expectQuests(window.get(), quests[2], { quest, whileClosed });
    list = openHistory(window.get());
    QCOMPARE(historyRows(list).size(), 5);
    QCOMPARE(historyRows(list).first(), questRow("4 Dec 09:30", 0, 0, "completed"));

    // Activating a row selects its entry as a click would: the tabs, the
    // line and its details; the line is seen, and stays seen next run.
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(currentTab(window.get(), "QVLocations"), 9);
    QCOMPARE(control<QListWidget>(window.get(), "ListOfUniques", 9)->currentRow(), 0);
    QVERIFY(!control<QLineEdit>(window.get(), "TextLevel", 9)->text().isEmpty());
    list->setCurrentIndex(list->model()->index(2, 0));
    QTest::keyClick(list, Qt::Key_Enter);
    QCOMPARE(currentTab(window.get(), "QVLocations"), catalog::RegionCount);
    QCOMPARE(currentTab(window.get(), "QuestsTab"), 3);
    QCOMPARE(control<QListWidget>(window.get(), "Quests", 3)->currentRow(), 1);
    QVERIFY(!control<QLineEdit>(window.get(), "QuestLocation", 3)->text().isEmpty());
    window.reset();
    window = startedWindow(folder);
    expectUniques(window.get(), uniques[2], { turned });
    expectQuests(window.get(), quests[2], { whileClosed });
}

void FollowerViewTest::detailsSayWhenAnEntryWasDone_data()
{
    QTest::addColumn<bool>("quests");
    QTest::addColumn<QDateTime>("done");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("tip");
    QTest::newRow("today") << false << december(3, 14, 5) << december(3, 23, 59)
                           << "Defeated at 14:05 today";
    QTest::newRow("yesterday") << true << december(2, 21, 40) << december(3, 0, 1)
                               << "Completed at 21:40 yesterday";
    QTest::newRow("older") << false << december(3, 9, 12) << december(7, 10, 0)
                           << "Defeated on 3 Dec at 09:12";
    QTest::newRow("a year before") << true << december(3, 9, 12).addYears(-1) << december(2, 10, 0)
                                   << "Completed on 3 Dec 2025 at 09:12";
}

void FollowerViewTest::detailsSayWhenAnEntryWasDone()
{
    QFETCH(bool, quests);
    QFETCH(QDateTime, done);
    QFETCH(QDateTime, now);
    QFETCH(QString, tip);

    // Line 0 of the tab was done before the history began; line 2 turns done.
    const int tab = quests ? 4 : 6;
    const int length = quests ? catalog::QuestCount : catalog::UniqueMonsterCount;
    auto position = [&](int row) {
        return quests ? questPosition(tab, row) : uniquePosition(tab, row);
    };
    const QString file = quests ? QuestsFile : UniquesFile;
    const char *listName = quests ? "Quests" : "ListOfUniques";
    ProgramFolder folder;
    folder.write(file, flagsWithOnesAt(length, { position(0) }));
    auto window = startedWindow(folder);
    setClock(window.get(), done);
    folder.write(file, flagsWithOnesAt(length, { position(0), position(2) }));
    window->FetchProgress();
    auto showTab = [&](Form1 *shown) {
        setClock(shown, now);
        shown->show();
        selectTab(shown, "QVLocations", quests ? catalog::RegionCount : tab);
        if (quests)
            selectTab(shown, "QuestsTab", tab);
        QToolTip::hideText();
    };
    showTab(window.get());
    QTRY_VERIFY(!QToolTip::isVisible());
    QCOMPARE(lineToolTip(window.get(), listName, tab, 0), QString());
    QCOMPARE(lineToolTip(window.get(), listName, tab, 2), tip);
    // The check box says it while that entry is selected.
    auto *box = control<QCheckBox>(window.get(), quests ? "QuestCompleted" : "CheckDefeated", tab);
    selectLine(window.get(), listName, tab, 2);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    QCOMPARE(hoverToolTipAt(box, QPoint(4, box->height() / 2)), tip);

    // A later run has it from the history.
    window.reset();
    window = startedWindow(folder);
    showTab(window.get());
    QTRY_VERIFY(!QToolTip::isVisible());
    QCOMPARE(lineToolTip(window.get(), listName, tab, 2), tip);
}

void FollowerViewTest::anUnusableStoreLeavesTheWindowWorking_data()
{
    QTest::addColumn<QString>("store");
    QTest::addColumn<QString>("reason");
    QTest::newRow("damaged") << "damaged"
                             << "the history file (History.sqlite) is damaged.";
    const QString link = QStringLiteral("the history file (History.sqlite) is a link; the viewer "
                                        "does not follow links to its history.");
    QTest::newRow("a link to a missing file") << "link to missing" << link;
    QTest::newRow("a link to an empty file") << "link to empty" << link;
    QTest::newRow("unwritable folder")
            << "unwritable"
            << "the history file (History.sqlite) cannot be written in the program's folder.";
}

void FollowerViewTest::anUnusableStoreLeavesTheWindowWorking()
{
    QFETCH(QString, store);
    QFETCH(QString, reason);

    const QString storeFile = QStringLiteral("History.sqlite");
    const QByteArray garbage = QByteArray("not a database, only garbage \x01\xff").repeated(200);
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1 }));
    ModeRestorer restorer;
    // Where a planted link points: never created, never written.
    ProgramFolder elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("target"));
    if (store == QLatin1String("damaged")) {
        folder.write(storeFile, garbage);
    } else if (store.startsWith(QLatin1String("link"))) {
        if (store.endsWith(QLatin1String("empty")))
            elsewhere.write(QStringLiteral("target"), QByteArray());
        QVERIFY(QFile::link(target, folder.filePath(storeFile)));
    } else {
        // Root writes into a read-only folder; a folder where the store
        // would go stops everyone.
        if (runningAsRoot())
            QVERIFY(QDir(folder.path()).mkdir(storeFile));
        restorer.add(folder.path());
        QVERIFY(setMode(folder.path(), 0555));
    }

    // The window reads and marks as it does without a history.
    auto window = startedWindow(folder);
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1, 2 }));
    window->FetchProgress();
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 2"));
    expectUniques(window.get(), flagsWithOnesAt(catalog::UniqueMonsterCount, { 1, 2 }), { 2 });
    QAbstractItemView *list = openHistory(window.get());
    QCOMPARE(list->model()->rowCount(), 0);
    const QString status = control<QLabel>(window.get(), "HistoryStatus")->text();
    QVERIFY2(status.startsWith(QStringLiteral("The history is unavailable: ") + reason),
             qPrintable(status));
    window.reset();

    if (store == QLatin1String("damaged"))
        QCOMPARE(folder.read(storeFile), garbage);
    if (store.startsWith(QLatin1String("link"))) {
        QVERIFY(QFileInfo(folder.filePath(storeFile)).isSymLink());
        QCOMPARE(QFile::exists(target), store.endsWith(QLatin1String("empty")));
        QCOMPARE(elsewhere.read(QStringLiteral("target")), QByteArray());
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden).size(),
                 QFile::exists(target) ? 1 : 0);
    }
}

// The pixels of tab `index` in the color of its "new" dot, as the window
// shows them with whatever lies over the tab.
static int dotPixels(Form1 *window, int index)
{
    const auto *tabs = control<TabControl>(window, "QVLocations");
    const QRect tab = tabs->tabRect(index).translated(tabs->mapTo(window, QPoint()));
    const QImage shown = window->grab(tab).toImage();
    const QColor dot = newColor(tabs->palette());
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            count += shown.pixelColor(x, y) == dot;
    return count;
}

void FollowerViewTest::regionDotStaysWholeOnTheQuestsPage()
{
    // A region in the first row of tabs, which the quest groups' rows reach
    // down over.
    const int region = 3;
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, {}));
    auto window = startedWindow(folder);
    folder.write(UniquesFile,
                 flagsWithOnesAt(catalog::UniqueMonsterCount, { uniquePosition(region, 0) }));
    window->FetchProgress();
    window->show();
    QVERIFY(control<TabControl>(window.get(), "QVLocations")->tabHasNew(region));
    const int whole = dotPixels(window.get(), region);
    QVERIFY2(whole >= 20, qPrintable(QString::number(whole)));
    selectTab(window.get(), "QVLocations", catalog::RegionCount);
    QCOMPARE(dotPixels(window.get(), region), whole);
}

void FollowerViewTest::aBusyStoreDelaysTheWritesAndLosesNothing()
{
    const int first = uniquePosition(0, 0);
    const int second = uniquePosition(0, 1);
    const int third = uniquePosition(0, 2);
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { first }));
    auto window = startedWindow(folder);
    QAbstractItemView *list = openHistory(window.get());
    const auto *status = control<QLabel>(window.get(), "HistoryStatus");
    QVERIFY(!status->text().contains(QLatin1String("busy")));

    // Another program holds the write lock across two reads.
    auto locker =
            std::make_unique<StoreConnection>(folder.filePath(QStringLiteral("History.sqlite")));
    QVERIFY2(locker->exec(QStringLiteral("BEGIN IMMEDIATE")), qPrintable(locker->error()));
    setClock(window.get(), december(5, 10, 0));
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { first, second }));
    window->FetchProgress();
    QVERIFY2(status->text().contains(QLatin1String("busy")), qPrintable(status->text()));
    setClock(window.get(), december(5, 10, 1));
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { second, third }));
    window->FetchProgress();
    // The window goes on while the reads wait.
    QCOMPARE(historyRows(list), QStringList());
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 2"));
    setClock(window.get(), december(5, 10, 2));

    QVERIFY(locker->exec(QStringLiteral("ROLLBACK")));
    locker.reset();
    // Each event once, with the time of its own read, newest on top.
    const QStringList expected = { uniqueRowAt(december(5, 10, 1), third, "defeated"),
                                   uniqueRowAt(december(5, 10, 1), first, "undone"),
                                   uniqueRowAt(december(5, 10, 0), second, "defeated") };
    QTRY_COMPARE(historyRows(list), expected);
    QVERIFY2(!status->text().contains(QLatin1String("busy")), qPrintable(status->text()));
    window.reset();
    window = startedWindow(folder);
    QCOMPARE(historyRows(openHistory(window.get())), expected);
    expectUniques(window.get(), flagsWithOnesAt(catalog::UniqueMonsterCount, { second, third }),
                  { second, third });
}

void FollowerViewTest::aLongHistoryOpensAtItsNewestAndScrollsToItsFirst()
{
    // 200,000 events a minute apart, the uniques turning done and back in
    // turn, written as another program could.
    constexpr int Events = 200000;
    const QDateTime start = december(1, 0, 0);
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1 }));
    startedWindow(folder).reset();
    {
        StoreConnection filler(folder.filePath(QStringLiteral("History.sqlite")));
        QVERIFY2(filler.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + "
                                            "1 FROM n WHERE "
                                            "i < %1) INSERT INTO events(at, kind, position, done) "
                                            "SELECT %2 + i * "
                                            "60000, 0, i % 157, (i / 157) % 2 = 0 FROM n")
                                     .arg(Events - 1)
                                     .arg(start.toMSecsSinceEpoch())),
                 qPrintable(filler.error()));
    }
    auto expected = [&](int event) {
        return uniqueRowAt(start.addSecs(60LL * event), event % 157 + 1,
                           (event / 157) % 2 == 0 ? "defeated" : "undone");
    };

    auto window = startedWindow(folder);
    QAbstractItemView *list = openHistory(window.get());
    const QAbstractItemModel *model = list->model();
    QCOMPARE(historyRow(model, 0), expected(Events - 1));
    // The rows come as they are scrolled to.
    QVERIFY(model->rowCount() < Events);
    auto scrollDownTo = [&](int row) {
        for (int step = 0; model->rowCount() <= row && step < Events; ++step) {
            list->scrollToBottom();
            QCoreApplication::processEvents();
        }
        list->scrollTo(model->index(row, 0));
    };
    scrollDownTo(Events / 2);
    QCOMPARE(historyRow(model, Events / 2), expected(Events / 2 - 1));
    scrollDownTo(Events - 1);
    QCOMPARE(model->rowCount(), Events);
    QCOMPARE(historyRow(model, Events - 1), expected(0));
}

// The test never talks to the user's own session bus: it starts again inside
// a private one, or, asked to, runs with none reachable at all.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("HUNTMARK_TEST_WITHOUT_BUS")) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/huntmark-test-bus");
    } else if (!qEnvironmentVariableIsSet("HUNTMARK_TEST_PRIVATE_BUS")) {
        qputenv("HUNTMARK_TEST_PRIVATE_BUS", "1");
        std::vector<char *> args { const_cast<char *>("dbus-run-session"),
                                   const_cast<char *>("--") };
        args.insert(args.end(), argv, argv + argc);
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        qFatal("cannot start dbus-run-session");
    }
    QApplication app(argc, argv);
    FollowerViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_follower_view.moc"
