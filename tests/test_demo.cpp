// The demo as `make demo` runs it: its script starts Debian's FTP server and
// the simulated player for real, and the window follows them headless,
// fetching through the demo's client, the build's stand-in and Debian's
// ncftpget. The player takes one- to two-second turns here instead of the
// demo's twenty to forty.
#include "ftpserver.h"
#include "processes.h"
#include "testfiles.h"
#include "windowdriver.h"

#include "hiddenscripts.h"

#include <QFile>
#include <QListWidget>
#include <QRegularExpression>

#include <csignal>

namespace {

constexpr int StartTimeoutMs = 30000;
// Two turns of at most two seconds each, their uploads and the fetches that
// bring them; the rest is room for a busy machine.
constexpr int TwoTurnsTimeoutMs = 40000;
constexpr int StopTimeoutMs = 15000;

int onesIn(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('1')) : -1;
}

int countShown(const Form1 *window)
{
    static const QRegularExpression number(QStringLiteral("(\\d+)$"));
    return number.match(labelText(window)).captured(1).toInt();
}

// What a demo keeps in its folder: its programs and pictures, the progress
// files of the viewer, the server and the player, the server's log, the lock
// and the tabs. Anything else (a download script, a temporary file, a login
// file) was left behind. Entries are listed as "path size" or "path/".
bool leftBehind(const QString &entry)
{
    static const QStringList kept =
            QStringLiteral("huntmark-viewer huntmark-batch ncftpget.exe Monsters Locations "
                           "demo.lock server.log "
                           "Tabs.ini History.sqlite UniquesDefeated.txt QuestsCleared.txt server "
                           "server/UniquesDefeated.txt "
                           "server/QuestsCleared.txt player player/UniquesDefeated.txt "
                           "player/QuestsCleared.txt player/.huntmark-published "
                           "player/turns-played")
                    .split(QLatin1Char(' '));
    QString path = entry.section(QLatin1Char(' '), 0, 0);
    if (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return !kept.contains(path);
}

} // namespace

class DemoTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void windowFollowsThePlayerUntilInterrupted();
    void closingTheViewerEndsTheDemoAndTheNextRunGoesOn();
    void takenPortIsRefusedInOneLine();

private:
    bool startDemo(QStringList options);
    bool serving();
    // Ends of a demo: the script gone, and with it every process it started
    // and every file a fetch or an upload writes for a while.
    void checkNothingLeft();

    ProgramFolder m_folder;
    ProgramFolder m_clientSettings;
    QProcess m_demo;
    QByteArray m_output;
    int m_countAtFirstStop = 0;
};

void DemoTest::initTestCase()
{
    // The download and upload clients keep a folder of settings, by default
    // in the home folder.
    qputenv("NCFTPDIR", QFile::encodeName(m_clientSettings.path()));
    m_demo.setWorkingDirectory(m_folder.path());
    m_demo.setProcessChannelMode(QProcess::MergedChannels);
    connect(&m_demo, &QProcess::readyRead, this, [this] { m_output += m_demo.readAll(); });
}

// A failed case may leave its demo running: it must not meet the next one.
void DemoTest::cleanup()
{
    if (m_demo.state() != QProcess::NotRunning) {
        ::kill(pid_t(m_demo.processId()), SIGTERM);
        m_demo.waitForFinished(StopTimeoutMs);
    }
    killProcesses(processesWorkingIn(m_folder.path()));
    fetch::setScriptHelperPath(QString());
}

bool DemoTest::startDemo(QStringList options)
{
    m_output.clear();
    options.prepend(QStringLiteral(HUNTMARK_SOURCE_DIR "/scripts/demo.sh"));
    options << QStringLiteral("--turn") << QStringLiteral("1-2") << QStringLiteral("--folder")
            << m_folder.path() << QStringLiteral(HUNTMARK_BUILD_DIR);
    m_demo.start(QStringLiteral("sh"), options);
    return m_demo.waitForStarted();
}

bool DemoTest::serving()
{
    return QTest::qWaitFor([this] { return m_output.contains("a simulated player publishes"); },
                           StartTimeoutMs);
}

void DemoTest::checkNothingLeft()
{
    QVERIFY2(m_demo.waitForFinished(StopTimeoutMs), m_output.constData());
    QTRY_COMPARE_WITH_TIMEOUT(processesWorkingIn(m_folder.path()), QList<pid_t>(), StopTimeoutMs);
    const QStringList listing = folderListing(m_folder.path());
    for (const QString &entry : listing)
        QVERIFY2(!leftBehind(entry), qPrintable(listing.join(QLatin1Char('\n'))));
}

void DemoTest::windowFollowsThePlayerUntilInterrupted()
{
    QVERIFY(startDemo({ QStringLiteral("--serve-only") }));
    QVERIFY2(serving(), m_output.constData());

    fetch::setScriptHelperPath(m_folder.filePath(QStringLiteral("huntmark-batch")));
    auto window = std::make_unique<Form1>(m_folder.path());
    window->Form_Load();
    stopClock(window.get());

    // Fetches one after the other, as fast as they end, and notes every
    // count the window shows: the demo's start, then two turns' worth more.
    QList<int> counts { countShown(window.get()) };
    const auto grewTwice = [&] {
        if (!QFile::exists(m_folder.filePath(ScriptName)))
            window->FetchProgress();
        if (countShown(window.get()) != counts.last())
            counts.append(countShown(window.get()));
        return counts.size() >= 4;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(grewTwice(), m_output.constData(), TwoTurnsTimeoutMs);
    QVERIFY(std::is_sorted(counts.cbegin(), counts.cend()));
    QCOMPARE(control<QListWidget>(window.get(), "ListOfUniques", 0)->currentRow(), -1);
    // Everything the window saw came over FTP: each turn uploaded both files.
    QFile log(m_folder.filePath(QStringLiteral("server.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    static const QRegularExpression upload(
            QStringLiteral("STOR \\S*UniquesDefeated\\.txt\\S* completed=1"));
    int uploads = 0;
    for (auto it = upload.globalMatch(QString::fromUtf8(log.readAll())); it.hasNext(); it.next())
        ++uploads;
    QVERIFY2(uploads >= 2, m_output.constData());

    window.reset();
    m_countAtFirstStop = onesIn(m_folder.filePath(QStringLiteral("server/") + UniquesFile));
    ::kill(pid_t(m_demo.processId()), SIGINT);
    checkNothingLeft();
}

void DemoTest::closingTheViewerEndsTheDemoAndTheNextRunGoesOn()
{
    // The viewer's own copy goes, so that its first fetch shows.
    QFile::remove(m_folder.filePath(UniquesFile));
    QVERIFY(startDemo({}));
    QVERIFY2(serving(), m_output.constData());
    // The program folder goes on from where the last run stopped.
    QVERIFY(onesIn(m_folder.filePath(QStringLiteral("server/") + UniquesFile))
            >= m_countAtFirstStop);

    // The viewer's first fetch lands, then it is ended the way a session's
    // end ends it.
    const QString viewer = m_folder.filePath(QStringLiteral("huntmark-viewer"));
    const auto viewers = [&] {
        QList<pid_t> found = processesWorkingIn(m_folder.path());
        found.removeIf([&](pid_t pid) { return executableOf(pid) != viewer; });
        return found;
    };
    QTRY_VERIFY_WITH_TIMEOUT(!viewers().isEmpty(), StartTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(onesIn(m_folder.filePath(UniquesFile)) >= m_countAtFirstStop,
                             StartTimeoutMs);
    for (pid_t pid : viewers())
        ::kill(pid, SIGTERM);
    checkNothingLeft();
}

void DemoTest::takenPortIsRefusedInOneLine()
{
    const SilentServer taken;
    QVERIFY(taken.port() != 0);
    QVERIFY(startDemo({ QStringLiteral("--port"), QString::number(taken.port()) }));
    checkNothingLeft();
    QCOMPARE(m_demo.exitCode(), 1);
    QCOMPARE(m_output.count('\n'), 1);
    QVERIFY2(m_output.contains("is already taken"), m_output.constData());
}

QTEST_MAIN(DemoTest)
#include "test_demo.moc"
