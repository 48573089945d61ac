// What the follower sees at a glance: check marks on done lines, a bar and a
// tool tip per tab, the emphasis on lines that turned done since the last
// read, and the desktop notification of them. Runs on a private session bus
// of its own, never the user's.
#include "badinput_support.h"

#include "platform/scriptlauncher.h"
#include "viewer/tabcontrol.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QHelpEvent>
#include <QListWidget>
#include <QSignalSpy>
#include <QToolTip>

#include <unistd.h>

using namespace badinput;

namespace {

const QString NotificationService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationPath = QStringLiteral("/org/freedesktop/Notifications");

// Two quests of the same name in different groups: (group, index) each.
std::pair<std::pair<int, int>, std::pair<int, int>> namesakes()
{
    for (int g = 0; g < catalog::QuestGroupCount; ++g)
        for (int h = g + 1; h < catalog::QuestGroupCount; ++h)
            for (int i = 0; i < catalog::questCount(g); ++i)
                for (int k = 0; k < catalog::questCount(h); ++k)
                    if (qstrcmp(catalog::findQuest(g, i)->name, catalog::findQuest(h, k)->name) == 0)
                        return {{g, i}, {h, k}};
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
// it when its icon, accessible text, font and colour disagree.
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
    return QStringLiteral("icon %1, spoken '%2', emphasised %3").arg(icon).arg(spoken).arg(emphasised);
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
        for (int row = 0; row < list->count(); ++row, ++position) {
            const bool isDone = position <= flags.size() && flags[position - 1] == '1';
            done += isDone;
            const QString expected = !isDone   ? QStringLiteral("none")
                    : fresh.contains(position) ? QStringLiteral("new")
                                               : QStringLiteral("done");
            const QString where =
                    QStringLiteral("%1(%2) line %3: ").arg(QLatin1String(listName)).arg(k).arg(row);
            QCOMPARE(where + markOf(list, row, doneWord), where + expected);
        }
        QCOMPARE(tabs->tabToolTip(k),
                 QStringLiteral("%1 of %2 %3").arg(done).arg(list->count()).arg(doneWord));
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
    QCOMPARE(control<TabControl>(window, "QVLocations")->tabToolTip(catalog::RegionCount),
             QStringLiteral("%1 of 63 completed").arg(flags.count('1')));
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

} // namespace

// Stands in for the desktop's notification service and keeps what it was
// asked to show: "icon|summary|body|picture or none" for each call.
class NotificationRecorder : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList calls;

public slots:
    uint Notify(const QString &, uint, const QString &appIcon, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &hints, int)
    {
        const bool picture = hints.contains(QStringLiteral("image-data"));
        calls.append(QStringList{appIcon, summary, body, picture ? "picture" : "none"}.join(u'|'));
        return uint(calls.size());
    }
};

class FollowerViewTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void firstReadMarksWhatIsDoneAndNothingNew();
    void changesShowAsNewUntilSelectedOrTurnedBack_data();
    void changesShowAsNewUntilSelectedOrTurnedBack();
    void notifiesWhatTurnedDoneWhileInactive_data();
    void notifiesWhatTurnedDoneWhileInactive();
    void withoutAServiceNothingWaitsOrPrints();

private:
    // Waits until everything the window sent on the bus has been handled.
    void settleBus();

    QDBusConnection m_serviceBus{QString()};
    NotificationRecorder m_recorder;
};

void FollowerViewTest::initTestCase()
{
    if (qEnvironmentVariableIsSet("HUNTMARK_TEST_WITHOUT_BUS"))
        return;
    // The service sits on a connection of its own, as it would in another
    // process.
    m_serviceBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("service"));
    QVERIFY2(m_serviceBus.isConnected(), "no private session bus");
    QVERIFY(m_serviceBus.registerObject(NotificationPath, &m_recorder, QDBusConnection::ExportAllSlots));
    QVERIFY(m_serviceBus.registerService(NotificationService));
}

void FollowerViewTest::cleanupTestCase()
{
    if (m_serviceBus.isConnected())
        QDBusConnection::disconnectFromBus(m_serviceBus.name());
}

void FollowerViewTest::cleanup()
{
    platform::setScriptHelperPath(QString());
}

void FollowerViewTest::settleBus()
{
    QCoreApplication::processEvents();
    // Messages of one connection arrive in order: once the service answered
    // this, it has seen any notification sent before.
    const QDBusPendingCall ping = QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
            NotificationService, NotificationPath, QStringLiteral("org.freedesktop.DBus.Peer"),
            QStringLiteral("Ping")));
    QTRY_VERIFY(ping.isFinished());
    QCoreApplication::processEvents();
}

void FollowerViewTest::firstReadMarksWhatIsDoneAndNothingNew()
{
    const auto [first, second] = namesakes();
    const QByteArray uniques = flagsWithOnesAt(catalog::UniqueMonsterCount,
                                               {1, uniquePosition(5, 2), uniquePosition(7, 0), 157});
    const QByteArray quests = flagsWithOnesAt(
            catalog::QuestCount, {questPosition(first.first, first.second), questPosition(1, 0)});
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

    // A file that goes missing reads as nothing done.
    QVERIFY(QFile::remove(folder.filePath(UniquesFile)));
    window->FetchProgress();
    expectUniques(window.get(), QByteArray(), {});

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
            flagsWithOnesAt(catalog::UniqueMonsterCount, {2, uniquePosition(5, 0), uniquePosition(5, 2)}),
            flagsWithOnesAt(catalog::UniqueMonsterCount, {2, uniquePosition(5, 2), region0, lastUnique}),
            flagsWithOnesAt(catalog::UniqueMonsterCount, {2, uniquePosition(5, 2), lastUnique}),
    };
    const QList<QByteArray> quests = {
            flagsWithOnesAt(catalog::QuestCount, {namesakeA, questPosition(1, 0)}),
            flagsWithOnesAt(catalog::QuestCount, {namesakeA, namesakeB, questPosition(3, 1)}),
            flagsWithOnesAt(catalog::QuestCount, {namesakeA, namesakeB}),
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
        platform::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
        writeExecutable(folder.filePath(ClientName),
                        "#!/bin/sh\ncp '" + QFile::encodeName(server.path()) + "'/\"$5\" \"$6\"\n");
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
            selectLine(window.get(), "Quests", currentTab(window.get(), "QuestsTab"), selections++ % 2);
    };

    // Lines that turned done are new; one that turned back loses its mark.
    readAgain(1);
    if (readsUniques)
        expectUniques(window.get(), uniques[1], {region0, lastUnique});
    if (readsQuests)
        expectQuests(window.get(), quests[1], {namesakeB, questPosition(3, 1)});

    // A new line that turns back loses both; the other stays new.
    readAgain(2);
    if (readsUniques)
        expectUniques(window.get(), uniques[2], {lastUnique});
    if (readsQuests)
        expectQuests(window.get(), quests[2], {namesakeB});

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
}

void FollowerViewTest::notifiesWhatTurnedDoneWhileInactive_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<QList<int>>("uniquesTurned");
    QTest::addColumn<QList<int>>("questsTurned");
    QTest::addColumn<QString>("body");

    const QString a = uniqueName(20), c = uniqueName(30);
    const QString quest = QString::fromLatin1(catalog::findQuest(0, 2)->name);
    QTest::newRow("inactive") << false << QList<int>{20, 30} << QList<int>{3}
                              << QStringLiteral("Defeated: %1, %2\nCompleted: %3").arg(a, c, quest);
    QTest::newRow("active") << true << QList<int>{20} << QList<int>{3} << QString();
    QTest::newRow("inactive, nothing turned") << false << QList<int>{} << QList<int>{} << QString();
    QStringList firstFive;
    for (int position = 20; position < 25; ++position)
        firstFive.append(uniqueName(position));
    QTest::newRow("more than five") << false << QList<int>{20, 21, 22, 23, 24, 25, 26, 27} << QList<int>{}
                                    << QStringLiteral("Defeated: %1 and 3 more").arg(firstFive.join(", "));
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
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, {1}));
    folder.write(QuestsFile, QByteArray(catalog::QuestCount, '0'));
    auto window = startedWindow(folder);
    QWidget elsewhere;
    window->show();
    elsewhere.show();
    QWidget *focused = active ? static_cast<QWidget *>(window.get()) : &elsewhere;
    focused->activateWindow();
    QTRY_VERIFY(focused->isActiveWindow());
    m_recorder.calls.clear();

    QByteArray uniques = flagsWithOnesAt(catalog::UniqueMonsterCount, {1});
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
    const QString expected = QStringLiteral("huntmark-viewer|Huntmark (Viewer)|%1|picture").arg(body);
    QCOMPARE(m_recorder.calls, body.isEmpty() ? QStringList() : QStringList{expected});
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
    window->show();
    elsewhere.show();
    elsewhere.activateWindow();
    QTRY_VERIFY(elsewhere.isActiveWindow());
    QSignalSpy notified(control<QObject>(window.get(), "DesktopNotifier"), SIGNAL(notified(QString)));

    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, {1, 2}));
    window->FetchProgress();
    QTRY_COMPARE(notified.size(), 1);
    // The window goes on reading as before.
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, {3}));
    selectLine(window.get(), "ListOfUniques", currentTab(window.get(), "QVLocations"), 5);
    expectUniques(window.get(), flagsWithOnesAt(catalog::UniqueMonsterCount, {3}), {3});
    if (m_serviceBus.isConnected())
        QVERIFY(m_serviceBus.registerService(NotificationService));
}

// The test never talks to the user's own session bus: it starts again inside
// a private one, or, asked to, runs with none reachable at all.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("HUNTMARK_TEST_WITHOUT_BUS")) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/huntmark-test-bus");
    } else if (!qEnvironmentVariableIsSet("HUNTMARK_TEST_PRIVATE_BUS")) {
        qputenv("HUNTMARK_TEST_PRIVATE_BUS", "1");
        std::vector<char *> args{const_cast<char *>("dbus-run-session"), const_cast<char *>("--")};
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
