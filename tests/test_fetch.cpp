// The download script, the countdown that runs it, and how it is started:
// hidden, in the program's folder. What a fetch brings is shown as soon as
// its script has ended, one fetch runs at a time whatever starts it, what a
// killed run left is cleared at start, and a small label tells how fresh
// the progress is and why a fetch failed. That closing the window ends a
// fetch in flight, and that a fetch ends in time, is the end-to-end suite's.
#include "ftpserver.h"
#include "processes.h"
#include "testfiles.h"
#include "windowdriver.h"

#include "downloadscript.h"
#include "hiddenscripts.h"

#include <QAction>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QTime>

#include <csignal>

#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A shell script with the paths it needs filled in. The temporary paths
// hold no quotes, so single quotes around them are enough.
QByteArray shellScript(QByteArray body,
                       std::initializer_list<std::pair<const char *, QString>> paths)
{
    for (const auto &[placeholder, path] : paths)
        body.replace(placeholder, QFile::encodeName(path));
    return "#!/bin/sh\n" + body;
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A client in the program folder that hands every download to our own one,
// aimed at a server on this machine.
QByteArray clientFor(quint16 port, const QByteArray &options = {})
{
    return "#!/bin/sh\nexec '" HUNTMARK_FTP_CLIENT "' -P " + QByteArray::number(port) + " "
            + options + " \"$@\"\n";
}

// "checked HH:MM · ..." for a time within the last minute.
bool checkedJustNow(const QString &text)
{
    const QTime now = QTime::currentTime();
    for (const QTime &time : { now, now.addSecs(-60) }) {
        if (text.startsWith(time.toString(QStringLiteral("'checked 'HH:mm"))
                            + QStringLiteral(" \u00b7 ")))
            return true;
    }
    return false;
}

QAction *refreshNow(const Form1 *window)
{
    return control<QAction>(window, "RefreshNow");
}

// Long enough for any fetch over loopback, short of a hang.
constexpr int FetchTimeoutMs = 30000;

// Anything a download leaves beside the local copies: the script, or a
// temporary folder or file of the client.
QStringList leftovers(const ProgramFolder &folder)
{
    return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
            .filter(QRegularExpression(QStringLiteral("^(QV_Data\\.bat|\\..*)$")));
}

enum class ScriptBlocker { None, Folder, FullDisk, SizeLimit };

// A tmpfs of a few blocks mounted over a folder, for as long as the object
// lives; mounted() is false where mounting is not allowed (not root).
class SmallDisk
{
public:
    explicit SmallDisk(const QString &folder) : m_folder(QFile::encodeName(folder))
    {
        m_mounted = !folder.isEmpty()
                && ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=256k,mode=0700") == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    Q_DISABLE_COPY_MOVE(SmallDisk)
    bool mounted() const { return m_mounted; }
    QString fillerPath() const { return QFile::decodeName(m_folder) + QStringLiteral("/filler"); }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

// Fills the disk to the brim, puts a folder in the script's place, or
// limits the size of every file this process writes below the script's.
void blockScript(const ProgramFolder &folder, ScriptBlocker blocker, const SmallDisk &disk)
{
    if (blocker == ScriptBlocker::Folder) {
        QVERIFY(QDir(folder.path()).mkdir(ScriptName));
    } else if (blocker == ScriptBlocker::FullDisk) {
        QFile filler(disk.fillerPath());
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) { }
        QCOMPARE(filler.error(), QFileDevice::ResourceError);
    } else if (blocker == ScriptBlocker::SizeLimit) {
        rlimit limit {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        limit.rlim_cur = 64;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
}

void unblockScript(const ProgramFolder &folder, ScriptBlocker blocker, const SmallDisk &disk)
{
    if (blocker == ScriptBlocker::Folder) {
        QVERIFY(QDir(folder.path()).rmdir(ScriptName));
    } else if (blocker == ScriptBlocker::FullDisk) {
        QVERIFY(QFile::remove(disk.fillerPath()));
    } else if (blocker == ScriptBlocker::SizeLimit) {
        rlimit limit {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        limit.rlim_cur = limit.rlim_max;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
}

} // namespace

Q_DECLARE_METATYPE(ScriptBlocker)

class FetchTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void everySixtiethTickFetches();
    void unwritableFolderStillReadsAndStartsNothing();
    void fetchShowsAsItLands();
    void halfWrittenFileNeverShown();
    void oneFetchAtATimeFromEveryPath();
    void killedRunLeftoversClearedAtStart();
    void freshnessLabel_data();
    void freshnessLabel();
    void restartRemembersWhenTheFilesArrived();
    void killedHelperTakesItsDownloadWithIt_data();
    void killedHelperTakesItsDownloadWithIt();

private:
    QString recorderLog() const
    {
        return m_records.filePath(QStringLiteral("starts-%1.log").arg(m_testNumber));
    }
    QStringList recordedStarts() const { return readLines(recorderLog()); }

    // Stands in for the script helper where only the start matters: it notes
    // where it ran and what it was given, and runs nothing.
    ProgramFolder m_records;
    int m_testNumber = 0;
    ProgramFolder m_served;
    std::unique_ptr<FtpServer> m_server;
    std::unique_ptr<FtpServer> m_cutting;
    std::unique_ptr<EnvironmentGuard> m_home;
    std::unique_ptr<EnvironmentGuard> m_path;
};

void FetchTest::initTestCase()
{
    const QFileInfo helper(QStringLiteral(HUNTMARK_BATCH_HELPER));
    QVERIFY2(helper.isExecutable(), "the script helper was not built: " HUNTMARK_BATCH_HELPER);
    // The download client keeps a folder in the home folder: not the real one.
    m_home = std::make_unique<EnvironmentGuard>("HOME");
    qputenv("HOME", QFile::encodeName(m_records.path()));
    m_path = std::make_unique<EnvironmentGuard>("PATH");
    m_server = std::make_unique<FtpServer>(
            m_served.path(), fetch::configuredFtpAccount().user.toByteArray(), "marrowfen");
    QVERIFY2(m_server->start(), m_server->log().constData());
    m_cutting = std::make_unique<FtpServer>(
            m_served.path(), fetch::configuredFtpAccount().user.toByteArray(), "marrowfen");
    m_cutting->cutDownloadsAfter(40);
    QVERIFY2(m_cutting->start(), m_cutting->log().constData());
    m_served.write(QStringLiteral("Huge.txt"), QByteArray(5 * 1000 * 1000, '1'));
}

void FetchTest::init()
{
    // A helper of an earlier test may still be on its way; each test gets a
    // log of its own, so a late note cannot count for the wrong test.
    ++m_testNumber;
    const QString recorder =
            m_records.filePath(QStringLiteral("recording-helper-%1").arg(m_testNumber));
    writeExecutable(recorder,
                    shellScript("printf '%s|%s\\n' \"$(pwd -P)\" \"$*\" >> '@LOG@'\n",
                                { { "@LOG@", recorderLog() } }));
    fetch::setScriptHelperPath(recorder);
}

void FetchTest::cleanup()
{
    fetch::setScriptHelperPath(QString());
    m_path.reset();
    m_path = std::make_unique<EnvironmentGuard>("PATH");
}

void FetchTest::everySixtiethTickFetches()
{
    // Anything that splits a word would turn the account into other
    // arguments of the download client.
    const fetch::FtpAccount account = fetch::configuredFtpAccount();
    for (QByteArrayView value : { account.user, account.host }) {
        QVERIFY(!value.isEmpty());
        for (char c : { ' ', '"', '\r', '\n', '\t' })
            QVERIFY2(!value.contains(c), value.toByteArray().constData());
    }

    ProgramFolder folder;
    auto window = startedWindow(folder);
    // The test is the clock: the window's own timer would tick whenever a
    // check below waits.
    stopClock(window.get());
    QCOMPARE(countdown(window.get()), QStringLiteral("60"));
    // The start-up fetch, started in the program folder; the script's name is
    // written exactly so, only its own last line may spell it differently.
    const QString started = QFileInfo(folder.path()).canonicalFilePath()
            + QStringLiteral("|--report ") + folder.path() + QLatin1Char('/') + ScriptName;
    QTRY_COMPARE(recordedStarts(), QStringList { started });
    QVERIFY(QDir(folder.path()).entryList(QDir::Files).contains(ScriptName));
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 0"));

    // Only a fetch reads the file again without user activity, so the label
    // tells when the readers of a fetch ran; the start-up fetch's end has
    // been read already.
    QTRY_VERIFY(refreshNow(window.get())->isEnabled());
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 2, 9 }));
    for (int cycle = 1; cycle <= 2; ++cycle) {
        // One fetch at a time: the last one has to have ended.
        QTRY_VERIFY(refreshNow(window.get())->isEnabled());
        QVERIFY(QFile::remove(folder.filePath(ScriptName)));
        for (int tick = 1; tick < 60; ++tick) {
            window->Timer1_Timer();
            QCOMPARE(countdown(window.get()), QString::number(60 - tick));
            QVERIFY2(!folder.exists(ScriptName),
                     qPrintable(QStringLiteral("fetched at tick %1").arg(tick)));
        }
        QCOMPARE(labelText(window.get()), beatenLabel(cycle == 1 ? 0 : 2));
        window->Timer1_Timer();
        QCOMPARE(countdown(window.get()), QStringLiteral("60"));
        QCOMPARE(folder.read(ScriptName), expectedScript());
        QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 2"));
        QTRY_COMPARE(recordedStarts().size(), 1 + cycle);
    }
}

void FetchTest::unwritableFolderStillReadsAndStartsNothing()
{
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1, 20, 157 }));
    folder.write(QuestsFile, flagsWithOnesAt(catalog::QuestCount, { 1 }));
    // A folder in the script's place cannot be opened for writing by anyone,
    // root included, for whom the read-only folder alone would change
    // nothing.
    QVERIFY(QDir(folder.path()).mkdir(ScriptName));
    ModeRestorer restorer;
    restorer.add(folder.path());
    restorer.add(folder.filePath(ScriptName));
    QVERIFY(setMode(folder.path(), 0555));

    auto window = startedWindow(folder);
    stopClock(window.get());
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 3"));

    // Stale texts on both kinds of tab, put right by the fetch's own
    // readers: no script ends here to read again.
    control<QLabel>(window.get(), "LabelDefeated")->setText(QString());
    window->FetchProgress();
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 3"));
    selectTab(window.get(), "QVLocations", 19);
    control<QListWidget>(window.get(), "Quests", 0)->setCurrentRow(0);
    auto *textCompleted = control<QLineEdit>(window.get(), "TextCompleted", 0);
    auto *questCompleted = control<QCheckBox>(window.get(), "QuestCompleted", 0);
    QVERIFY(questCompleted->isChecked());
    textCompleted->setText(QStringLiteral("0"));
    questCompleted->setChecked(false);
    window->FetchProgress();
    QCOMPARE(textCompleted->text(), QStringLiteral("1"));
    QVERIFY(questCompleted->isChecked());

    tick(window.get(), TicksPerFetch);
    QCOMPARE(countdown(window.get()), QStringLiteral("60"));

    QVERIFY(QFileInfo(folder.filePath(ScriptName)).isDir());
    // A fetch is started before FetchProgress returns; none was.
    QVERIFY(refreshNow(window.get())->isEnabled());
    QCOMPARE(recordedStarts(), QStringList());
}

void FetchTest::fetchShowsAsItLands()
{
    fetch::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    ProgramFolder folder;
    writeExecutable(folder.filePath(ClientName), clientFor(m_server->port()));
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, {}));
    folder.write(QuestsFile, flagsWithOnesAt(catalog::QuestCount, {}));
    const int entry0 = uniquePosition(0, 0);
    QByteArray uniques = flagsWithOnesAt(catalog::UniqueMonsterCount, { entry0, 30, 70, 100, 157 });
    QByteArray quests = flagsWithOnesAt(catalog::QuestCount, { questPosition(0, 0), 63 });
    m_served.write(UniquesFile, uniques);
    m_served.write(QuestsFile, quests);

    auto window = std::make_unique<Form1>(folder.path());
    stopClock(window.get());
    window->Form_Load();
    // Every read of the start-up came before the download; nobody touches
    // the window, and the download shows once the script has ended.
    QCOMPARE(labelText(window.get()), beatenLabel(0));
    QTRY_COMPARE(labelText(window.get()), beatenLabel(5));
    QVERIFY(!folder.exists(ScriptName));
    QCOMPARE(folder.read(QuestsFile), quests);

    // The selected entry on a region tab and on the Quests tab follow the
    // next downloads as well; the fetch's own reads still see the last one.
    QVERIFY(selectUniqueAndRead(window.get(), 0, 0));
    uniques[entry0 - 1] = '0';
    uniques[40] = uniques[41] = '1';
    m_served.write(UniquesFile, uniques);
    window->FetchProgress();
    QCOMPARE(labelText(window.get()), beatenLabel(5));
    QTRY_COMPARE(labelText(window.get()), beatenLabel(6));
    QCOMPARE(control<QLineEdit>(window.get(), "TextDefeated", 0)->text(), QStringLiteral("0"));
    QVERIFY(!control<QCheckBox>(window.get(), "CheckDefeated", 0)->isChecked());

    QVERIFY(selectQuestAndRead(window.get(), 0, 0));
    quests[questPosition(0, 0) - 1] = '0';
    m_served.write(QuestsFile, quests);
    window->FetchProgress();
    QTRY_VERIFY(!control<QCheckBox>(window.get(), "QuestCompleted", 0)->isChecked());
    QCOMPARE(control<QLineEdit>(window.get(), "TextCompleted", 0)->text(), QStringLiteral("0"));
}

void FetchTest::halfWrittenFileNeverShown()
{
    fetch::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    ProgramFolder folder;
    const QByteArray whole = flagsWithOnesAt(catalog::UniqueMonsterCount, { 5, 100, 150 });
    const QString source = m_records.filePath(QStringLiteral("whole.txt"));
    m_records.write(QStringLiteral("whole.txt"), whole);
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 20, 40, 60, 80 }));
    // A client that writes in place, once the window has started up: the
    // first part of the file (one of the three flags), a pause, then all of
    // it.
    const QString gate = m_records.filePath(QStringLiteral("gate-%1").arg(m_testNumber));
    writeExecutable(folder.filePath(ClientName),
                    shellScript("[ \"$5\" = UniquesDefeated.txt ] || exit 0\n"
                                "while [ ! -e '@GATE@' ]; do sleep 0.05; done\n"
                                "head -c 60 '@WHOLE@' > \"$6\"\n"
                                "sleep 0.3\n"
                                "cat '@WHOLE@' > \"$6\"\n",
                                { { "@WHOLE@", source }, { "@GATE@", gate } }));

    auto window = startedWindow(folder);
    stopClock(window.get());
    QVERIFY(QFile(gate).open(QIODevice::WriteOnly));
    QSet<QString> shown { labelText(window.get()) };
    const QDeadlineTimer deadline(FetchTimeoutMs);
    while (labelText(window.get()) != beatenLabel(3) && !deadline.hasExpired()) {
        QTest::qWait(5);
        shown.insert(labelText(window.get()));
    }
    QCOMPARE(shown, (QSet<QString> { beatenLabel(4), beatenLabel(3) }));
}

// The script of the start-up fetch runs until the test lets it end: neither
// a request nor the countdown starts another meanwhile, and the countdown
// goes on as ever.
void FetchTest::oneFetchAtATimeFromEveryPath()
{
    // A helper that notes its start and runs until the gate opens.
    const QString gate = m_records.filePath(QStringLiteral("gate-%1").arg(m_testNumber));
    const QString helper = m_records.filePath(QStringLiteral("gated-helper-%1").arg(m_testNumber));
    writeExecutable(helper,
                    shellScript("printf '%s\\n' \"$*\" >> '@LOG@'\n"
                                "while [ ! -e '@GATE@' ]; do sleep 0.05; done\n",
                                { { "@LOG@", recorderLog() }, { "@GATE@", gate } }));
    fetch::setScriptHelperPath(helper);

    ProgramFolder folder;
    auto window = startedWindow(folder);
    stopClock(window.get());

    // First in the File menu, above Exit.
    QCOMPARE(control<QMenu>(window.get(), "File")->actions().value(0), refreshNow(window.get()));
    QCOMPARE(refreshNow(window.get())->text(), QStringLiteral("&Refresh Now"));

    // The start-up fetch still runs: a request starts nothing.
    QTRY_COMPARE(recordedStarts().size(), 1);
    QVERIFY(!refreshNow(window.get())->isEnabled());
    tick(window.get(), 10);
    window->RefreshNow_Click();
    QCOMPARE(countdown(window.get()), QStringLiteral("50"));
    QVERIFY(QFile::remove(folder.filePath(ScriptName)));

    // Nor does the countdown's fetch: it reads the files all the same, and
    // the countdown starts again.
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 3 }));
    tick(window.get(), 50);
    QCOMPARE(countdown(window.get()), QStringLiteral("60"));
    QCOMPARE(labelText(window.get()), beatenLabel(1));
    QVERIFY(!folder.exists(ScriptName));
    QVERIFY(!refreshNow(window.get())->isEnabled());

    QVERIFY(QFile(gate).open(QIODevice::WriteOnly));
    QTRY_VERIFY(refreshNow(window.get())->isEnabled());
    QCOMPARE(recordedStarts().size(), 1);
    QVERIFY(!folder.exists(ScriptName));

    // F5 fetches at once and starts the countdown again; so does the next
    // 60th tick once that fetch has ended.
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    tick(window.get(), 5);
    QTest::keyClick(window.get(), Qt::Key_F5);
    QCOMPARE(folder.read(ScriptName), expectedScript());
    QCOMPARE(countdown(window.get()), QStringLiteral("60"));
    QTRY_COMPARE(recordedStarts().size(), 2);
    QTRY_VERIFY(refreshNow(window.get())->isEnabled());
    tick(window.get(), TicksPerFetch);
    QTRY_COMPARE(recordedStarts().size(), 3);
}

void FetchTest::killedRunLeftoversClearedAtStart()
{
    ProgramFolder folder;
    folder.write(ScriptName, "ncftpget.exe -C -u someone -p secret host a b\r\n");
    // The client's folders carry its mark, written first.
    const QString mark = QStringLiteral("/.ncftpget.exe-download");
    QVERIFY(QDir(folder.path()).mkpath(QStringLiteral(".UniquesDefeated.txt.Ab12Cd")));
    folder.write(QStringLiteral(".UniquesDefeated.txt.Ab12Cd/UniquesDefeated.txt"), "0101");
    folder.write(QStringLiteral(".UniquesDefeated.txt.Ab12Cd/conversation.log"), "220 ready");
    folder.write(QStringLiteral(".UniquesDefeated.txt.Ab12Cd") + mark, "");
    QVERIFY(QDir(folder.path()).mkpath(QStringLiteral(".QuestsCleared.txt.000000")));
    folder.write(QStringLiteral(".QuestsCleared.txt.000000") + mark, "");
    // Only the client's own folders go; these are somebody else's, some
    // named just as the client names its own.
    const QStringList others {
        QStringLiteral(".UniquesDefeated.txt.Ab12C"), QStringLiteral(".QuestsCleared.txt.Ab-2Cd"),
        QStringLiteral(".Tabs.ini.Ab12Cd"),           QStringLiteral("UniquesDefeated.txt.Ab12Cd"),
        QStringLiteral(".QuestsCleared.txt.backup"),  QStringLiteral(".QuestsCleared.txt.XyZ789")
    };
    for (const QString &name : others)
        QVERIFY(QDir(folder.path()).mkpath(name));
    folder.write(QStringLiteral(".QuestsCleared.txt.backup/QuestsCleared.txt"), "kept");
    folder.write(QStringLiteral(".QuestsCleared.txt.XyZ789/notes.txt"), "kept");
    folder.write(QStringLiteral(".QuestsCleared.txt.XyZ789/conversation.log"), "kept");
    folder.write(QStringLiteral(".QuestsCleared.txt.Ab12Cd"), "a file, not the client's folder");
    folder.write(UniquesFile, "1");

    const Form1 window(folder.path());
    QStringList left =
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QStringList expected =
            others + QStringList { QStringLiteral(".QuestsCleared.txt.Ab12Cd"), UniquesFile };
    left.sort();
    expected.sort();
    QCOMPARE(left.join(u' '), expected.join(u' '));
    QCOMPARE(folder.read(QStringLiteral(".QuestsCleared.txt.backup/QuestsCleared.txt")), "kept");
    QCOMPARE(folder.read(QStringLiteral(".QuestsCleared.txt.XyZ789/conversation.log")), "kept");
}

void FetchTest::freshnessLabel_data()
{
    QTest::addColumn<bool>("arrivedBefore");
    QTest::addColumn<QByteArray>("failingClient");
    QTest::addColumn<QString>("why");
    // Empty for the script helper itself, "missing" for none, else a helper
    // of the row's own.
    QTest::addColumn<QByteArray>("helper");
    // What keeps the third fetch from writing its script, if anything.
    QTest::addColumn<ScriptBlocker>("blocker");

    const quint16 closed = freeLoopbackPort();
    const QByteArray none;
    QTest::newRow("no client anywhere")
            << false << QByteArray() << "no FTP client" << none << ScriptBlocker::None;
    // The server answers a refused login late; one download is enough. The
    // client gets "-C -f LOGIN host remote local".
    QTest::newRow("login refused")
            << true
            << "#!/bin/sh\n[ \"$5\" = UniquesDefeated.txt ] || exit 1\nexec '" HUNTMARK_FTP_CLIENT
               "' -P "
                    + QByteArray::number(m_server->port()) + " -C -u '"
                    + fetch::configuredFtpAccount().user.toByteArray()
                    + "' -p not-the-password \"$4\" \"$5\" \"$6\"\n"
            << "refused the login" << none << ScriptBlocker::None;
    QTest::newRow("server stopped")
            << true << clientFor(closed) << "cannot be reached" << none << ScriptBlocker::None;
    QTest::newRow("no script helper") << true << clientFor(closed) << "huntmark-batch) is missing"
                                      << QByteArray("missing") << ScriptBlocker::None;
    QTest::newRow("script helper cannot run") << true << clientFor(closed) << "could not be started"
                                              << QByteArray("not a program") << ScriptBlocker::None;
    // The script's download lines as the command interpreter would not run
    // them: nothing is downloaded, and that is no success.
    QTest::newRow("download lines not run")
            << true << clientFor(m_server->port()) << "line of the script was not run"
            << shellScript("sed 's/^ncftpget.exe /ncftpget.exe %X% /' \"$2\" > '@EDITED@'\n"
                           "exec '" HUNTMARK_BATCH_HELPER "' --report '@EDITED@'\n",
                           { { "@EDITED@", m_records.filePath(QStringLiteral("edited.bat")) } })
            << ScriptBlocker::None;
    // A download is whole or nothing: a transfer cut short leaves the local
    // copy as it was.
    QTest::newRow("transfer cut short") << true << clientFor(m_cutting->port(), "-r 0 -t 2")
                                        << "downloads failed" << none << ScriptBlocker::None;
    QTest::newRow("file on the server too large")
            << true
            << "#!/bin/sh\nexec '" HUNTMARK_FTP_CLIENT "' -P "
                    + QByteArray::number(m_server->port())
                    + " \"$1\" \"$2\" \"$3\" \"$4\" Huge.txt \"$6\"\n"
            << "the progress file on the server is too large" << none << ScriptBlocker::None;
    QTest::newRow("client killed by a signal") << true << QByteArray("#!/bin/sh\nkill -9 $$\n")
                                               << "downloads failed" << none << ScriptBlocker::None;
    // A client that waited for input from the viewer would never end.
    QTest::newRow("client talks, reads its input, fails")
            << true << QByteArray("#!/bin/sh\necho noise\necho more noise >&2\ncat\nexit 3\n")
            << "downloads failed" << none << ScriptBlocker::None;
    // A fetch whose script cannot be written brought nothing either, and
    // leaves no part of the script, which would hold the password.
    const QByteArray quick = clientFor(closed);
    QTest::newRow("a folder in the script's place")
            << true << quick << "script could not be written: Is a directory" << none
            << ScriptBlocker::Folder;
    QTest::newRow("a full disk") << true << quick
                                 << "script could not be written: No space left on device" << none
                                 << ScriptBlocker::FullDisk;
    QTest::newRow("a file-size limit")
            << true << quick << "script could not be written: File too large" << none
            << ScriptBlocker::SizeLimit;
}

void FetchTest::freshnessLabel()
{
    QFETCH(bool, arrivedBefore);
    QFETCH(QByteArray, failingClient);
    QFETCH(QString, why);
    QFETCH(QByteArray, helper);
    QFETCH(ScriptBlocker, blocker);
    const QString rowHelper = m_records.filePath(QStringLiteral("row-helper-%1").arg(m_testNumber));
    if (helper == "not a program")
        m_records.write(QFileInfo(rowHelper).fileName(), helper);
    else if (!helper.isEmpty() && helper != "missing")
        writeExecutable(rowHelper, helper);
    fetch::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    const QByteArray first = flagsWithOnesAt(catalog::UniqueMonsterCount, { 1 });
    const QByteArray second = flagsWithOnesAt(catalog::UniqueMonsterCount, { 1, 2 });
    m_served.write(UniquesFile, first);
    m_served.write(QuestsFile, flagsWithOnesAt(catalog::QuestCount, { 1 }));
    ProgramFolder folder;
    const SmallDisk disk(blocker == ScriptBlocker::FullDisk ? folder.path() : QString());
    if (blocker == ScriptBlocker::FullDisk && !disk.mounted())
        QSKIP("a small tmpfs needs root (CI runs as root): the full disk is not tried");
    const QByteArray searchPath = qgetenv("PATH");
    QTemporaryDir emptyBin;
    // No client at all: none in the program folder, none on the search path.
    const auto useClient = [&](const QByteArray &text) {
        QFile::remove(folder.filePath(ClientName));
        if (!text.isEmpty())
            writeExecutable(folder.filePath(ClientName), text);
        qputenv("PATH", text.isEmpty() ? QFile::encodeName(emptyBin.path()) : searchPath);
    };
    // Fails at once; the last failure in a row is the row's own.
    const QByteArray quickFailure = clientFor(freeLoopbackPort());

    useClient(arrivedBefore ? clientFor(m_server->port()) : quickFailure);
    auto window = startedWindow(folder);
    stopClock(window.get());
    QLabel *label = control<QLabel>(window.get(), "LabelUpdated");
    QTRY_VERIFY_WITH_TIMEOUT(refreshNow(window.get())->isEnabled(), FetchTimeoutMs);
    const QColor before = label->palette().color(QPalette::WindowText);
    const QString arrival = label->text();
    QVERIFY2(checkedJustNow(arrival) == arrivedBefore, qPrintable(arrival));
    m_served.write(UniquesFile, second);

    // Fetches that bring nothing change nothing at first; the third in a
    // row turns the label into a warning that says why.
    for (int failed = arrivedBefore ? 0 : 1; failed < 3; ++failed) {
        QCOMPARE(label->text(), arrival);
        useClient(failed == 2 ? failingClient : quickFailure);
        if (failed == 2 && !helper.isEmpty())
            fetch::setScriptHelperPath(helper == "missing"
                                               ? QStringLiteral("/nonexistent/huntmark-batch")
                                               : rowHelper);
        if (failed == 2)
            blockScript(folder, blocker, disk);
        window->FetchProgress();
        if (failed == 2)
            unblockScript(folder, blocker, disk);
        QTRY_VERIFY_WITH_TIMEOUT(refreshNow(window.get())->isEnabled(), FetchTimeoutMs);
    }
    fetch::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    const QString since = arrivedBefore
            ? QStringLiteral("no update since ") + arrival.section(u' ', 1, 1)
            : QStringLiteral("no update yet");
    QCOMPARE(label->text(), since);
    QVERIFY2(label->toolTip().contains(why), qPrintable(label->toolTip()));
    const QColor warning = label->palette().color(QPalette::WindowText);
    QVERIFY(warning != before);
    // The local copy stayed as it was and is what the window shows; nothing
    // runs any more, and nothing is left behind, not even a script nothing ran.
    QCOMPARE(folder.read(UniquesFile), arrivedBefore ? first : QByteArray());
    QCOMPARE(labelText(window.get()), beatenLabel(arrivedBefore ? 1 : 0));
    QCOMPARE(leftovers(folder), QStringList());
    QTRY_COMPARE(processesWorkingIn(folder.path()), QList<pid_t>());

    // The next fetch that brings the files puts it right.
    useClient(clientFor(m_server->port()));
    window->FetchProgress();
    QTRY_VERIFY_WITH_TIMEOUT(refreshNow(window.get())->isEnabled(), FetchTimeoutMs);
    QVERIFY2(checkedJustNow(label->text()), qPrintable(label->text()));
    QVERIFY(label->palette().color(QPalette::WindowText) != warning);
    QCOMPARE(folder.read(UniquesFile), second);
}

void FetchTest::restartRemembersWhenTheFilesArrived()
{
    fetch::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, {}));
    folder.write(QuestsFile, flagsWithOnesAt(catalog::QuestCount, {}));
    m_served.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, { 1 }));
    m_served.write(QuestsFile, flagsWithOnesAt(catalog::QuestCount, {}));
    writeExecutable(folder.filePath(ClientName), clientFor(m_server->port()));
    QString before;
    {
        auto window = startedWindow(folder);
        stopClock(window.get());
        QTRY_VERIFY_WITH_TIMEOUT(refreshNow(window.get())->isEnabled(), FetchTimeoutMs);
        before = control<QLabel>(window.get(), "LabelUpdated")->text();
    }
    QVERIFY2(checkedJustNow(before) && before.contains(u"last change"), qPrintable(before));
    // When the last fetch of that run renamed the files into place.
    QDateTime arrival;
    for (const QString &name : { UniquesFile, QuestsFile }) {
        const QDateTime placed = QFileInfo(folder.filePath(name)).metadataChangeTime();
        arrival = arrival.isValid() ? std::min(arrival, placed) : placed;
    }
    const QString checked = arrival.toString(QStringLiteral("HH:mm"));

    // The next run reaches no server: the note tells what it knows from the
    // start, and since when nothing came once three fetches failed.
    writeExecutable(folder.filePath(ClientName), clientFor(freeLoopbackPort()));
    auto window = startedWindow(folder);
    stopClock(window.get());
    const QLabel *label = control<QLabel>(window.get(), "LabelUpdated");
    QCOMPARE(label->text().section(u' ', 0, 1), QStringLiteral("checked ") + checked);
    QCOMPARE(label->text().section(u'\u00b7', 1), before.section(u'\u00b7', 1));
    for (int fetches = 1; fetches <= 3; ++fetches) {
        QTRY_VERIFY_WITH_TIMEOUT(refreshNow(window.get())->isEnabled(), FetchTimeoutMs);
        if (fetches < 3)
            window->FetchProgress();
    }
    QCOMPARE(label->text(), QStringLiteral("no update since ") + checked);
}

void FetchTest::killedHelperTakesItsDownloadWithIt_data()
{
    QTest::addColumn<bool>("ourClientFirst");
    // The helper cannot pass SIGKILL on; its client is told all the same
    // and removes its download. Our client killed first (the helper held
    // still meanwhile) cannot, Debian's is told, and the download folder
    // goes at the next start.
    QTest::newRow("the helper") << false;
    QTest::newRow("our client, then the helper") << true;
}

void FetchTest::killedHelperTakesItsDownloadWithIt()
{
    QFETCH(bool, ourClientFirst);
    const SilentServer silent;
    QVERIFY(silent.port() != 0);
    fetch::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    ProgramFolder folder;
    writeExecutable(folder.filePath(ClientName), clientFor(silent.port()));
    const auto running = [&](const QString &name) {
        QList<pid_t> found;
        const QList<pid_t> inFolder = processesWorkingIn(folder.path());
        for (const ProcessEntry &process : runningProcesses()) {
            if (process.name == name.toUtf8() && inFolder.contains(process.pid))
                found.append(process.pid);
        }
        return found;
    };

    auto window = startedWindow(folder);
    stopClock(window.get());
    // Debian's client waits for the silent server's greeting.
    QTRY_VERIFY_WITH_TIMEOUT(!running(QStringLiteral("ncftpget")).isEmpty(), FetchTimeoutMs);
    const QList<pid_t> helpers = running(QStringLiteral("huntmark-batch"));
    if (ourClientFirst) {
        for (const pid_t pid : helpers)
            ::kill(pid, SIGSTOP);
        killProcesses(running(ClientName));
    }
    killProcesses(helpers);
    QTRY_COMPARE_WITH_TIMEOUT(processesWorkingIn(folder.path()), QList<pid_t>(), 1000);
    if (!ourClientFirst)
        QTRY_COMPARE(leftovers(folder), QStringList());
    window.reset();
    const Form1 next(folder.path());
    QCOMPARE(leftovers(folder), QStringList());
}

QTEST_MAIN(FetchTest)
#include "test_fetch.moc"
