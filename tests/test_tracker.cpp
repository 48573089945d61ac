// Huntmark Tracker's window, offscreen: marking by click, Space and Find,
// namesakes as one step, undo and redo, totals and tab bars, the progress
// files after every step, another program on the same folder, and files it
// must not touch.
#include "testsupport.h"

#include "accountdialog.h"
#include "accounttest.h"
#include "autopublisher.h"
#include "checklist.h"
#include "findpanel.h"
#include "ftpserver.h"
#include "lazyoverflowiconstyle.h"
#include "namesakes.h"
#include "processes.h"
#include "progressfolder.h"
#include "tabcontrol.h"
#include "trackerwindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QUndoStack>

#include <memory>

namespace {

using progresstool::Entry;
using progresstool::Kind;

const QString Uniques = QStringLiteral("UniquesDefeated.txt");
const QString Quests = QStringLiteral("QuestsCleared.txt");
// Notes after the flags that every change must keep as they are.
const QByteArray Notes = ",kept by hand\r\nsecond line\r\n";

Entry entryNamed(const QString &name, int nth = 0)
{
    for (const Entry &entry : progresstool::catalogEntries()) {
        if (entry.name == name && nth-- == 0)
            return entry;
    }
    qFatal("no entry %s", qPrintable(name));
}

QByteArray flagFile(int length, std::initializer_list<int> ones)
{
    return flagsWithOnesAt(length, ones) + Notes;
}

void seed(const ProgramFolder &folder, std::initializer_list<int> uniques = {},
          std::initializer_list<int> quests = {})
{
    folder.write(Uniques, flagFile(catalog::UniqueMonsterCount, uniques));
    folder.write(Quests, flagFile(catalog::QuestCount, quests));
}

std::unique_ptr<TrackerWindow> trackerOn(const ProgramFolder &folder)
{
    auto window =
            std::make_unique<TrackerWindow>(folder.path(), QStringLiteral(HUNTMARK_PROGRAM_DIR));
    window->show();
    QApplication::setActiveWindow(window.get());
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the tracker window did not become active");
    return window;
}

QPoint checkBoxOf(const CheckList *list, int row)
{
    const QRect line = list->visualRect(list->model()->index(row, 0));
    return QPoint(line.left() + line.height() / 2, line.center().y());
}

// Runs huntmark-progress on the folder, quietly; its exit status.
int progressTool(const QString &command, const QString &name, const ProgramFolder &folder)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(QStringLiteral(HUNTMARK_PROGRAM_DIR "/huntmark-progress"),
               { command, name, QStringLiteral("--folder"), folder.path() });
    tool.waitForFinished();
    return tool.exitCode();
}

// A publishing test's folders: the player's, and the one a real FTP server
// on 127.0.0.1 serves to the publishing account.
const QString PublisherUser = QStringLiteral("publisher@huntmark.example");
const QByteArray PublisherPassword = "sealing wax 9";

struct Publishing
{
    ProgramFolder local;
    ProgramFolder served;
    FtpServer server { served.path(), PublisherUser.toUtf8(), PublisherPassword,
                       FtpServer::Writable };

    publishing::FtpAccount account(const QByteArray &password = PublisherPassword) const
    {
        return { QStringLiteral("127.0.0.1"), PublisherUser, password, server.port() };
    }
    // The server holds what the player's folder holds, byte for byte.
    bool serverFollows() const
    {
        return served.read(Uniques) == local.read(Uniques)
                && served.read(Quests) == local.read(Quests);
    }
};

std::unique_ptr<TrackerWindow> publishingTracker(const Publishing &rig, int settleMs = 200,
                                                 int retryMs = 300)
{
    auto window = std::make_unique<TrackerWindow>(rig.local.path(), QString());
    window->autoPublisher()->setDelays(settleMs, retryMs);
    window->autoPublisher()->setAccount(rig.account());
    window->show();
    QApplication::setActiveWindow(window.get());
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the tracker window did not become active");
    return window;
}

QString publishState(const TrackerWindow &window)
{
    return control<QLabel>(&window, "PublishState")->text();
}

Entry uniqueEntry(int r, int i)
{
    return entryNamed(QString::fromLatin1(catalog::regions()[r].entries[i].name));
}

QString statusText(const TrackerWindow &window)
{
    return control<QLabel>(&window, "StatusText")->text();
}

} // namespace

class TrackerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void firstStartMakesTheRecordInItsDataFolder();
    void marksReachTheFilesAndKeepTheNotes_data();
    void marksReachTheFilesAndKeepTheNotes();
    void namesakesToggleTogetherAsOneStep_data();
    void namesakesToggleTogetherAsOneStep();
    void totalsAndTabBarsFollowTheFiles();
    void findListsEveryTabAndEscapeCloses();
    void screenReadersReadEachBoxAndItsState();
    void keyboardAloneMarksAndMovesBetweenTabs();
    void anotherProgramsChangeIsTakenInAndKept();
    void damagedFileIsShownAndNeverReplaced();
    void aBurstOfClicksIsOneUpload();
    void pendingChangesGoOutWhenTheServerIsBack();
    void aTricklingServerNeverHoldsUpTheWindow();
    void aServerHoldingMoreIsAskedOnce_data();
    void aServerHoldingMoreIsAskedOnce();
    void withoutAKeyringThePasswordIsAskedOnceAndKeptInMemory();
    void accountIsTestedOnTheSpot_data();
    void accountIsTestedOnTheSpot();

private:
    QTemporaryDir m_home;
};

void TrackerTest::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
    // The style the program runs with.
    QApplication::setStyle(new LazyOverflowIconStyle);
}

void TrackerTest::firstStartMakesTheRecordInItsDataFolder()
{
    TrackerWindow window(TrackerWindow::defaultFolder(), QString());
    const QString folder = m_home.filePath(QStringLiteral("data/huntmark-tracker"));
    QCOMPARE(window.progressFolder()->path(), folder);
    QCOMPARE(fileBytes(folder + QLatin1Char('/') + Uniques),
             QByteArray(catalog::UniqueMonsterCount, '0') + "\r\n");
    QCOMPARE(fileBytes(folder + QLatin1Char('/') + Quests),
             QByteArray(catalog::QuestCount, '0') + "\r\n");
    QVERIFY(control<QLabel>(&window, "FileProblem")->isHidden());
    // The suite's first window, without pictures: its icon, its menu bar
    // and the closed Find panel brought in no image plugin.
    QVERIFY(window.windowIcon().availableSizes().contains(QSize(64, 64)));
    QCOMPARE(loadedImagePlugins(), QStringList());
}

// How the player marks: a click on the box, Space on the selected line, or
// Find and Enter. Each mark is on disk when the event returns.
void TrackerTest::marksReachTheFilesAndKeepTheNotes_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("name");
    QTest::newRow("click on a region line")
            << "click" << QString::fromLatin1(catalog::regions()[2].entries[3].name);
    QTest::newRow("Space on a quest line")
            << "space" << QString::fromLatin1(catalog::questGroups()[1].quests[2].name);
    QTest::newRow("find and Enter")
            << "find" << QString::fromLatin1(catalog::regions()[18].entries[7].name);
}

void TrackerTest::marksReachTheFilesAndKeepTheNotes()
{
    QFETCH(QString, way);
    QFETCH(QString, name);
    ProgramFolder folder;
    seed(folder, { 1 }, { 63 });
    auto window = trackerOn(folder);
    const Entry entry = entryNamed(name);
    CheckList *list = window->list(entry.kind, entry.tab);
    window->reveal(entry);
    if (way == QLatin1String("click")) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, checkBoxOf(list, entry.index));
    } else if (way == QLatin1String("space")) {
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Space);
    } else {
        list->setFocus();
        QTest::keyClicks(list, name.left(1)); // typing opens Find
        QVERIFY(window->findPanel()->isVisible());
        auto *field = control<QLineEdit>(window.get(), "FindText");
        QTest::keyClicks(field, name.mid(1));
        QCOMPARE(window->findPanel()->results().first().name, name);
        QTest::keyClick(field, Qt::Key_Return);
    }
    const bool unique = entry.kind == Kind::Unique;
    QCOMPARE(folder.read(Uniques),
             unique ? flagFile(catalog::UniqueMonsterCount, { 1, entry.position })
                    : flagFile(catalog::UniqueMonsterCount, { 1 }));
    QCOMPARE(folder.read(Quests),
             unique ? flagFile(catalog::QuestCount, { 63 })
                    : flagFile(catalog::QuestCount, { entry.position, 63 }));
    QVERIFY(list->isChecked(entry.index));
    // The same way again takes the mark back.
    window->toggle(entry);
    QCOMPARE(folder.read(Uniques), flagFile(catalog::UniqueMonsterCount, { 1 }));
    QCOMPARE(folder.read(Quests), flagFile(catalog::QuestCount, { 63 }));
}

void TrackerTest::namesakesToggleTogetherAsOneStep_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("nth");
    QTest::addColumn<int>("marked");
    QTest::addColumn<QString>("status");
    QTest::newRow("a milestone in five groups")
            << "Wyrmgate Pass cleared" << 0 << 5
            << "Wyrmgate Pass cleared: marked in 5 quest groups";
    QTest::newRow("one quest in two groups")
            << "A Lamp for Rimeholt" << 1 << 2 << "A Lamp for Rimeholt: marked in 2 quest groups";
    QTest::newRow("namesakes that differ stay apart")
            << "The Frozen Hearth" << 0 << 1
            << "The Frozen Hearth: marked completed; the The Frozen Hearth in Brother Rime and "
               "Sister Thaw is another quest and stays as it is";
}

void TrackerTest::namesakesToggleTogetherAsOneStep()
{
    QFETCH(QString, name);
    QFETCH(int, nth);
    QFETCH(int, marked);
    QFETCH(QString, status);
    ProgramFolder folder;
    seed(folder);
    auto window = trackerOn(folder);
    const Entry entry = entryNamed(name, nth);
    window->toggle(entry);
    QCOMPARE(statusText(*window), status);
    QCOMPARE(window->progressFolder()->doneCount(Kind::Quest), marked);
    QList<Entry> expected = progresstool::sameEvent(entry);
    QCOMPARE(expected.size(), marked);
    for (const Entry &each : std::as_const(expected))
        QVERIFY(window->list(Kind::Quest, each.tab)->isChecked(each.index));
    QCOMPARE(window->undoStack()->count(), 1);
    window->undoStack()->undo();
    QCOMPARE(folder.read(Quests), flagFile(catalog::QuestCount, {}));
    QCOMPARE(window->progressFolder()->doneCount(Kind::Quest), 0);
    window->undoStack()->redo();
    QCOMPARE(window->progressFolder()->doneCount(Kind::Quest), marked);
    QCOMPARE(folder.read(Uniques), flagFile(catalog::UniqueMonsterCount, {}));
}

void TrackerTest::totalsAndTabBarsFollowTheFiles()
{
    ProgramFolder folder;
    seed(folder, { 1, 2, 15 }, { 1, 2 });
    auto window = trackerOn(folder);
    auto *totals = control<QLabel>(window.get(), "Totals");
    QCOMPARE(totals->text(), QStringLiteral("Uniques: 3 of 157 \u00b7 Quests: 2 of 63"));
    QCOMPARE(window->regionTabs()->tabToolTip(0), QStringLiteral("2 of 14 defeated"));
    QCOMPARE(window->regionTabs()->tabToolTip(19), QStringLiteral("2 of 63 completed"));
    QCOMPARE(window->questTabs()->tabToolTip(0), QStringLiteral("2 of 3 completed"));
    window->toggle(entryNamed(QString::fromLatin1(catalog::regions()[0].entries[0].name)));
    QCOMPARE(totals->text(), QStringLiteral("Uniques: 2 of 157 \u00b7 Quests: 2 of 63"));
    QCOMPARE(window->regionTabs()->tabToolTip(0), QStringLiteral("1 of 14 defeated"));
    // Ctrl+Z from the keyboard takes it back.
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window->regionTabs()->tabToolTip(0), QStringLiteral("2 of 14 defeated"));
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(window->regionTabs()->tabToolTip(0), QStringLiteral("1 of 14 defeated"));
}

void TrackerTest::findListsEveryTabAndEscapeCloses()
{
    ProgramFolder folder;
    seed(folder);
    auto window = trackerOn(folder);
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    FindPanel *find = window->findPanel();
    QVERIFY(find->isVisible());
    auto *field = control<QLineEdit>(window.get(), "FindText");
    QVERIFY(field->isClearButtonEnabled());
    QTest::keyClicks(field, QStringLiteral("wyrmgate"));
    QCOMPARE(find->results().size(), 5);
    for (const Entry &entry : find->results())
        QCOMPARE(entry.name, QStringLiteral("Wyrmgate Pass cleared"));
    QTest::keyClick(field, Qt::Key_Down);
    QCOMPARE(window->questTabs()->tab(), find->results().at(1).tab); // shown where it stands
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(find->isHidden());
    QCOMPARE(window->progressFolder()->doneCount(Kind::Quest), 0);
}

void TrackerTest::screenReadersReadEachBoxAndItsState()
{
    ProgramFolder folder;
    seed(folder, { 2 });
    auto window = trackerOn(folder);
    CheckList *list = window->list(Kind::Unique, 0);
    QAccessibleInterface *lines = QAccessible::queryAccessibleInterface(list);
    QVERIFY(lines);
    QCOMPARE(lines->text(QAccessible::Name), QStringLiteral("Bramblevale monsters"));
    for (int row : { 0, 1 }) {
        const QAccessibleInterface *line = lines->child(row);
        QVERIFY(line);
        QCOMPARE(line->text(QAccessible::Name), list->item(row)->text());
        QVERIFY(line->state().checkable);
        QCOMPARE(bool(line->state().checked), row == 1);
    }
}

void TrackerTest::keyboardAloneMarksAndMovesBetweenTabs()
{
    ProgramFolder folder;
    seed(folder);
    auto window = trackerOn(folder);
    CheckList *list = window->list(Kind::Unique, 0);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(folder.read(Uniques), flagFile(catalog::UniqueMonsterCount, { 2 }));
    QTest::keyClick(list, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(window->regionTabs()->tab(), 1);
}

// huntmark-progress marks while the tracker runs: the tracker takes it in,
// and its own next mark keeps it.
void TrackerTest::anotherProgramsChangeIsTakenInAndKept()
{
    ProgramFolder folder;
    seed(folder);
    auto window = trackerOn(folder);
    const Entry theirs = entryNamed(QString::fromLatin1(catalog::regions()[5].entries[0].name));
    const Entry ours = entryNamed(QString::fromLatin1(catalog::regions()[5].entries[1].name));
    QCOMPARE(progressTool(QStringLiteral("mark"), theirs.name, folder), 0);
    QTRY_VERIFY(window->list(Kind::Unique, 5)->isChecked(0));
    window->toggle(ours);
    QCOMPARE(folder.read(Uniques),
             flagFile(catalog::UniqueMonsterCount, { theirs.position, ours.position }));
    // A change that lands while the watch has not yet told us is kept too.
    window->progressFolder()->blockSignals(true);
    QCOMPARE(progressTool(QStringLiteral("unmark"), theirs.name, folder), 0);
    window->progressFolder()->blockSignals(false);
    window->toggle(entryNamed(QString::fromLatin1(catalog::regions()[5].entries[2].name)));
    QCOMPARE(folder.read(Uniques),
             flagFile(catalog::UniqueMonsterCount, { ours.position, ours.position + 1 }));
}

void TrackerTest::damagedFileIsShownAndNeverReplaced()
{
    ProgramFolder folder;
    QByteArray damaged = flagFile(catalog::UniqueMonsterCount, { 3 });
    damaged[10] = 'x';
    folder.write(Uniques, damaged);
    folder.write(Quests, flagFile(catalog::QuestCount, {}));
    auto window = trackerOn(folder);
    auto *problem = control<QLabel>(window.get(), "FileProblem");
    QVERIFY(problem->isVisible());
    QVERIFY2(problem->text().startsWith(QLatin1String("UniquesDefeated.txt is damaged")),
             qPrintable(problem->text()));
    window->toggle(entryNamed(QString::fromLatin1(catalog::questGroups()[0].quests[0].name)));
    QVERIFY(statusText(*window).startsWith(QLatin1String("Not saved: UniquesDefeated.txt")));
    QCOMPARE(folder.read(Uniques), damaged);
    QCOMPARE(folder.read(Quests), flagFile(catalog::QuestCount, {}));
    QCOMPARE(window->undoStack()->count(), 0);
}

void TrackerTest::aBurstOfClicksIsOneUpload()
{
    Publishing rig;
    seed(rig.local);
    QVERIFY2(rig.server.start(), rig.server.log().constData());
    auto window = publishingTracker(rig, AutoPublisher::SettleMs);
    QSignalSpy states(window->autoPublisher(), &AutoPublisher::stateChanged);
    for (int i = 0; i < 3; ++i) {
        window->toggle(uniqueEntry(4, i));
        QTest::qWait(300);
    }
    QCOMPARE(publishState(*window), QStringLiteral("3 changes not yet published"));
    QTRY_VERIFY_WITH_TIMEOUT(rig.serverFollows() && !window->autoPublisher()->isRunning(), 20000);
    QVERIFY(publishState(*window).startsWith(QLatin1String("Published at ")));
    int publishes = 0;
    for (const QList<QVariant> &state : std::as_const(states))
        publishes += state.first().toString() == QLatin1String("Publishing...");
    QCOMPARE(publishes, 1);
}

// Offline marks go out once the server answers again, also when the tracker
// was closed meanwhile: the folder's record says what is pending.
void TrackerTest::pendingChangesGoOutWhenTheServerIsBack()
{
    Publishing rig;
    seed(rig.local);
    QVERIFY2(rig.server.start(), rig.server.log().constData()); // for its port
    rig.server.stop();
    auto window = publishingTracker(rig);
    window->toggle(uniqueEntry(6, 0));
    QTRY_VERIFY_WITH_TIMEOUT(
            publishState(*window).startsWith(
                    QLatin1String("Not published: the server cannot be reached. Trying again at ")),
            10000);
    QVERIFY2(rig.server.start(), rig.server.log().constData());
    QTRY_VERIFY_WITH_TIMEOUT(rig.serverFollows(), 20000);

    rig.server.stop();
    window->toggle(uniqueEntry(6, 1));
    QTRY_VERIFY_WITH_TIMEOUT(publishState(*window).startsWith(QLatin1String("Not published")),
                             10000);
    window.reset();
    QVERIFY(!rig.serverFollows());
    QVERIFY2(rig.server.start(), rig.server.log().constData());
    window = publishingTracker(rig);
    QTRY_VERIFY_WITH_TIMEOUT(rig.serverFollows(), 20000);
    QTRY_VERIFY(publishState(*window).startsWith(QLatin1String("Published at ")));
}

void TrackerTest::aTricklingServerNeverHoldsUpTheWindow()
{
    Publishing rig;
    seed(rig.local);
    rig.server.setSendRate(60);
    QVERIFY2(rig.server.start(), rig.server.log().constData());
    auto window = publishingTracker(rig);
    window->toggle(uniqueEntry(8, 0));
    QTRY_COMPARE(publishState(*window), QStringLiteral("Publishing..."));
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(500);
    window->toggle(uniqueEntry(8, 1)); // answered at once, on disk at once
    QCOMPARE(rig.local.read(Uniques),
             flagFile(catalog::UniqueMonsterCount,
                      { uniqueEntry(8, 0).position, uniqueEntry(8, 1).position }));
    QVERIFY(window->autoPublisher()->isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(publishState(*window) != QLatin1String("Publishing..."), 50000);
    QVERIFY2(clock.elapsed() < 46000, qPrintable(QString::number(clock.elapsed())));
}

void TrackerTest::aServerHoldingMoreIsAskedOnce_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("take them in") << "TakeThemIn";
    QTest::newRow("publish mine") << "PublishMine";
    QTest::newRow("not now") << "NotNow";
}

void TrackerTest::aServerHoldingMoreIsAskedOnce()
{
    QFETCH(QString, answer);
    Publishing rig;
    seed(rig.local);
    const Entry theirs = uniqueEntry(0, 4);
    const Entry ours = uniqueEntry(0, 0);
    seed(rig.served, { theirs.position });
    QVERIFY2(rig.server.start(), rig.server.log().constData());
    auto window = publishingTracker(rig);
    window->toggle(ours);
    QMessageBox *question = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
            (question = window->findChild<QMessageBox *>(QStringLiteral("ServerHasMore"))), 20000);
    QVERIFY(question->informativeText().contains(theirs.name));
    question->findChild<QPushButton *>(answer)->click();
    if (answer == QLatin1String("TakeThemIn")) {
        QCOMPARE(rig.local.read(Uniques),
                 flagFile(catalog::UniqueMonsterCount, { ours.position, theirs.position }));
        QTRY_VERIFY_WITH_TIMEOUT(rig.serverFollows(), 20000);
        QCOMPARE(window->undoStack()->count(), 2);
        window->undoStack()->undo(); // taking in is one step
        QCOMPARE(rig.local.read(Uniques), flagFile(catalog::UniqueMonsterCount, { ours.position }));
    } else if (answer == QLatin1String("PublishMine")) {
        QTRY_VERIFY_WITH_TIMEOUT(rig.serverFollows(), 20000);
        QCOMPARE(rig.served.read(Uniques),
                 flagFile(catalog::UniqueMonsterCount, { ours.position }));
    } else {
        const QString waiting = publishState(*window);
        QVERIFY(waiting.contains(QLatin1String("Publish Now asks again")));
        window->toggle(uniqueEntry(0, 1));
        QTest::qWait(1500); // several settle times: nothing may go out, nothing is asked
        QCOMPARE(publishState(*window), waiting);
        QCOMPARE(rig.served.read(Uniques),
                 flagFile(catalog::UniqueMonsterCount, { theirs.position }));
        control<QAction>(window.get(), "PublishNow")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(
                window->findChildren<QMessageBox *>(QStringLiteral("ServerHasMore")).size(), 1,
                20000);
    }
}

// No session bus, so no keyring: the password is asked for, used, and found
// in no file.
void TrackerTest::withoutAKeyringThePasswordIsAskedOnceAndKeptInMemory()
{
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    QSettings().setValue(QStringLiteral("publishing/host"), QStringLiteral("127.0.0.1"));
    QSettings().setValue(QStringLiteral("publishing/account"), PublisherUser);
    ProgramFolder folder;
    seed(folder);
    {
        TrackerWindow window(folder.path(), QString());
        QInputDialog *question = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
                (question = window.findChild<QInputDialog *>(QStringLiteral("PasswordQuestion"))),
                30000);
        QVERIFY(question->labelText().startsWith(QLatin1String("No keyring answers")));
        QVERIFY(statusText(window).startsWith(QLatin1String("No keyring answers")));
        question->setTextValue(QString::fromUtf8(PublisherPassword));
        question->accept();
        QCOMPARE(window.autoPublisher()->account().password, PublisherPassword);
        QCOMPARE(window.autoPublisher()->account().user, PublisherUser);
    }
    QSettings().remove(QStringLiteral("publishing"));
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    QDirIterator files(m_home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QVERIFY2(!fileBytes(path).contains(PublisherPassword), qPrintable(path));
    }
}

void TrackerTest::accountIsTestedOnTheSpot_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("may write") << true << PublisherPassword
                               << "Connected: the account may write here";
    QTest::newRow("wrong password")
            << true << QByteArray("guess")
            << "The server refused the login: check the account and the password";
    QTest::newRow("read only") << false << PublisherPassword
                               << "Connected, but the account may not write here";
}

void TrackerTest::accountIsTestedOnTheSpot()
{
    QFETCH(bool, writable);
    QFETCH(QByteArray, password);
    QFETCH(QString, verdict);
    ProgramFolder served;
    FtpServer server(served.path(), PublisherUser.toUtf8(), PublisherPassword,
                     writable ? FtpServer::Writable : FtpServer::ReadOnly);
    QVERIFY2(server.start(), server.log().constData());
    AccountDialog dialog({ QStringLiteral("127.0.0.1"), PublisherUser, password, server.port() },
                         false);
    dialog.test();
    auto *shown = control<QLabel>(&dialog, "AccountVerdict");
    QTRY_VERIFY_WITH_TIMEOUT(shown->text() != QLatin1String("Testing..."), 30000);
    QVERIFY2(shown->text().startsWith(verdict), qPrintable(shown->text()));
    QVERIFY(!served.exists(AccountTest::ProbeName)); // the probe is gone again
}

QTEST_MAIN(TrackerTest)
#include "test_tracker.moc"
