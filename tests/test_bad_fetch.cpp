// Fetches that go wrong: no download client, one that fails or never ends,
// a server that cuts a transfer short, two scripts at once. The window never
// waits for any of it and keeps showing what the local files say; a script
// that runs to its end removes itself and leaves no process behind.
#include "badinput_support.h"
#include "ftpserver.h"

#include "platform/scriptlauncher.h"
#include "progress/downloadscript.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

using namespace badinput;

namespace {

const QString Python = QStringLiteral("/usr/bin/python3");
const QByteArray Password = "marrowfen";
// Everything below happens over loopback; the limit only keeps a broken run
// from hanging.
constexpr int SettleTimeoutMs = 30000;
// Bytes the misbehaving server sends of a file before it hangs up.
constexpr int CutAfter = 40;

// A server of the test's own for what a real one does not do on request: it
// speaks enough FTP for the download client and hangs up part way through
// each file.
const char CuttingServer[] = R"py(
import os, socket, sys, threading
port_file, serve_dir, cut = sys.argv[1], sys.argv[2], int(sys.argv[3])
listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", 0))
listener.listen(16)
with open(port_file + ".part", "w") as f:
    f.write(str(listener.getsockname()[1]))
os.rename(port_file + ".part", port_file)
def session(conn):
    control = conn.makefile("rwb", buffering=0)
    def say(text):
        control.write((text + "\r\n").encode())
    say("220 ready")
    data = None
    for raw in control:
        command, _, argument = raw.decode(errors="replace").strip().partition(" ")
        command = command.upper()
        path = os.path.join(serve_dir, os.path.basename(argument))
        if command == "USER": say("331 password please")
        elif command == "PASS": say("230 logged in")
        elif command == "PWD": say('257 "/"')
        elif command == "TYPE": say("200 type set")
        elif command == "SIZE" and os.path.isfile(path): say("213 %d" % os.path.getsize(path))
        elif command == "PASV":
            data = socket.socket()
            data.bind(("127.0.0.1", 0))
            data.listen(1)
            port = data.getsockname()[1]
            say("227 Entering Passive Mode (127,0,0,1,%d,%d)" % (port >> 8, port & 255))
        elif command == "RETR" and data is not None and os.path.isfile(path):
            say("150 sending")
            transfer, _ = data.accept()
            with open(path, "rb") as source:
                transfer.sendall(source.read()[:cut])
            transfer.close()
            conn.close()
            return
        elif command == "QUIT":
            say("221 bye")
            conn.close()
            return
        else: say("502 not here")
while True:
    conn, _ = listener.accept()
    threading.Thread(target=session, args=(conn,), daemon=True).start()
)py";

void writeFile(const QString &path, const QByteArray &bytes, const QDateTime &modified)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadWrite | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
    QVERIFY(file.flush());
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How many of the processes run the script helper.
int helpersAmong(const QList<pid_t> &pids)
{
    const QByteArray helper = QFileInfo(QStringLiteral(HUNTMARK_BATCH_HELPER)).fileName().toLocal8Bit();
    int count = 0;
    for (pid_t pid : pids) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().split('\0').value(0).endsWith(helper))
            ++count;
    }
    return count;
}

void stopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(5000);
}

// What the local files hold before a fetch, and what the server offers.
QByteArray localUniques()
{
    return flagsWithOnesAt(catalog::UniqueMonsterCount, {uniquePosition(0, 0), uniquePosition(3, 0), 100});
}

QByteArray localQuests()
{
    return flagsWithOnesAt(catalog::QuestCount, {questPosition(0, 0), 20});
}

QByteArray servedUniques()
{
    const int lastRegion = catalog::RegionCount - 1;
    return flagsWithOnesAt(catalog::UniqueMonsterCount,
                           {uniquePosition(0, 1), uniquePosition(7, 0), 9, 30, 120,
                            uniquePosition(lastRegion, catalog::uniqueMonsterCount(lastRegion) - 1)});
}

QByteArray servedQuests()
{
    const int lastGroup = catalog::QuestGroupCount - 1;
    return flagsWithOnesAt(
            catalog::QuestCount,
            {questPosition(1, 0), 5, 30, 40, questPosition(lastGroup, catalog::questCount(lastGroup) - 1)});
}

enum class Outcome { LocalStays, Hangs };

} // namespace

class BadFetchTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void windowKeepsWorking_data();
    void windowKeepsWorking();
    void overlappingScriptsBothFinish();

private:
    bool startCuttingServer();
    // Fills in the ports and the log of a client template.
    QByteArray client(QByteArray text, const QString &log = QString()) const;
    // Waits until no process works in the folder any more and the script
    // is gone.
    bool settled(const ProgramFolder &folder) const;

    QTemporaryDir m_scratch;
    QTemporaryDir m_served;
    std::unique_ptr<FtpServer> m_ftp;
    QProcess m_cutting;
    quint16 m_cuttingPort = 0;
    std::unique_ptr<EnvironmentGuard> m_home;
    std::unique_ptr<EnvironmentGuard> m_path;
    QByteArray m_originalPath;
    int m_logs = 0;
    QList<QString> m_folders;
};

void BadFetchTest::initTestCase()
{
    QVERIFY(m_scratch.isValid() && m_served.isValid());
    // These come with the build's dependencies: a missing one is a broken
    // set-up, not a reason to skip.
    QVERIFY2(QFileInfo(QStringLiteral(HUNTMARK_BATCH_HELPER)).isExecutable(),
             "the script helper was not built: " HUNTMARK_BATCH_HELPER);
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("ncftpget")).isEmpty(),
             "ncftpget is not on PATH: install ncftp (scripts/install-deps.sh)");

    platform::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    // The download client keeps a folder in the home folder; keep it out of
    // the real one. The script helper and the client inherit it.
    m_home = std::make_unique<EnvironmentGuard>("HOME");
    qputenv("HOME", QFile::encodeName(m_scratch.path()));
    m_path = std::make_unique<EnvironmentGuard>("PATH");
    m_originalPath = qgetenv("PATH");

    // Newer than every local copy, so the client never skips a download.
    const QDateTime now = QDateTime::currentDateTime();
    writeFile(m_served.filePath(UniquesFile), servedUniques(), now);
    writeFile(m_served.filePath(QuestsFile), servedQuests(), now);

    m_ftp = std::make_unique<FtpServer>(m_served.path(), progress::configuredFtpAccount().user.toByteArray(),
                                        Password);
    QVERIFY2(m_ftp->start(), m_ftp->log().constData());
    QVERIFY(startCuttingServer());
}

void BadFetchTest::cleanupTestCase()
{
    m_ftp.reset();
    stopProcess(m_cutting);
    platform::setScriptHelperPath(QString());
    m_path.reset();
    m_home.reset();
}

void BadFetchTest::cleanup()
{
    // Whatever a failed test left running in its folders ends here.
    for (const QString &folder : std::as_const(m_folders))
        killProcesses(processesWorkingIn(folder));
    m_folders.clear();
    qputenv("PATH", m_originalPath);
}

bool BadFetchTest::startCuttingServer()
{
    const QString script = m_scratch.filePath(QStringLiteral("cutting.py"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly) || file.write(CuttingServer) < 0)
        return false;
    file.close();
    const QString portFile = m_scratch.filePath(QStringLiteral("cutting.port"));
    m_cutting.setProgram(Python);
    m_cutting.setArguments({script, portFile, m_served.path(), QString::number(CutAfter)});
    m_cutting.setStandardOutputFile(QProcess::nullDevice());
    m_cutting.setStandardErrorFile(m_scratch.filePath(QStringLiteral("cutting.log")));
    endWithThisProcess(m_cutting);
    m_cutting.start();
    if (!m_cutting.waitForStarted(5000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && m_cutting.state() == QProcess::Running) {
        m_cuttingPort = quint16(readFile(portFile).toUInt());
        if (m_cuttingPort != 0)
            return true;
        QTest::qWait(50);
    }
    return false;
}

QByteArray BadFetchTest::client(QByteArray text, const QString &log) const
{
    return text.replace("@LOG@", "'" + QFile::encodeName(log) + "'")
            .replace("@FTP@", QByteArray::number(m_ftp->port()))
            .replace("@CUT@", QByteArray::number(m_cuttingPort));
}

bool BadFetchTest::settled(const ProgramFolder &folder) const
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < SettleTimeoutMs) {
        if (processesWorkingIn(folder.path()).isEmpty() && !folder.exists(ScriptName))
            return true;
        QTest::qWait(50);
    }
    return false;
}

void BadFetchTest::windowKeepsWorking_data()
{
    QTest::addColumn<QByteArray>("clientText");
    QTest::addColumn<bool>("emptyPath");
    QTest::addColumn<int>("outcome");

    // The script calls the client with: -C -u USER -p PASSWORD HOST
    // "remote" "local". The stand-ins below note each call in a log; the
    // last but one passes it on to our own client, aimed at a server on
    // this machine that cuts every transfer short, and notes how it ended.
    const QByteArray note = "#!/bin/sh\necho \"$7\" >> @LOG@\n";

    QTest::newRow("no client anywhere") << QByteArray() << true << int(Outcome::LocalStays);
    QTest::newRow("client not executable") << QByteArray("-") << true << int(Outcome::LocalStays);
    QTest::newRow("client fails at once") << note + "exit 1\n" << false << int(Outcome::LocalStays);
    QTest::newRow("client talks, reads its input, fails")
            << note + "echo noise\necho more noise >&2\ncat\nexit 3\n"
            << false << int(Outcome::LocalStays);
    QTest::newRow("client killed by a signal") << note + "kill -9 $$\n" << false << int(Outcome::LocalStays);
    QTest::newRow("server cuts the transfer short") << note +
                    "'" HUNTMARK_FTP_CLIENT
                    "' -r 0 -t 2 -P @CUT@ -C -u \"$3\" -p \"$5\" 127.0.0.1 \"$7\" \"$8\"\n" +
                    "echo \"$7 $?\" >> @LOG@\n" << false
                                                    << int(Outcome::LocalStays);
    // Last: a viewer that waited for its script would hang here for good,
    // after the slow cases above have already shown it.
    QTest::newRow("client hangs") << note + "exec sleep 600\n" << false << int(Outcome::Hangs);
}

void BadFetchTest::windowKeepsWorking()
{
    QFETCH(QByteArray, clientText);
    QFETCH(bool, emptyPath);
    QFETCH(int, outcome);

    ProgramFolder folder;
    m_folders.append(folder.path());
    const QDateTime longAgo = QDateTime::currentDateTime().addDays(-2);
    writeFile(folder.filePath(UniquesFile), localUniques(), longAgo);
    writeFile(folder.filePath(QuestsFile), localQuests(), longAgo);
    const QString log = m_scratch.filePath(QStringLiteral("client-%1.log").arg(++m_logs));
    if (clientText == "-") {
        folder.write(ClientName, "#!/bin/sh\nexit 0\n");
        QVERIFY(setMode(folder.filePath(ClientName), 0600));
    } else if (!clientText.isEmpty()) {
        writeExecutable(folder.filePath(ClientName), client(clientText, log));
    }
    QTemporaryDir emptyBin;
    if (emptyPath)
        qputenv("PATH", QFile::encodeName(emptyBin.path()));

    QElapsedTimer clock;
    clock.start();
    auto window = startedWindow(folder);
    stopClock(window.get());
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("start-up took %1 ms").arg(clock.elapsed())));

    // A download is whole or nothing: a transfer cut short leaves the local
    // copies as they were.
    const QByteArray uniques = localUniques();
    const QByteArray quests = localQuests();

    if (Outcome(outcome) == Outcome::Hangs) {
        // The first download never ends, so the script stays; the window
        // reads on regardless, and the next fetch does not wait either.
        QTRY_VERIFY(!processesWorkingIn(folder.path()).isEmpty());
        checkSelections(window.get(), uniques, quests);
        clock.restart();
        tick(window.get(), TicksPerFetch);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("fetch took %1 ms").arg(clock.elapsed())));
        QCOMPARE(countdown(window.get()), QString::number(TicksPerFetch));
        QVERIFY(folder.exists(ScriptName));
        checkSelections(window.get(), uniques, quests);
        // A helper still starting up may start its client after a first
        // round of killing, so keep at it until none is left.
        const auto ended = [&] {
            killProcesses(processesWorkingIn(folder.path()));
            return processesWorkingIn(folder.path()).isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(ended(), SettleTimeoutMs);
        return;
    }

    QVERIFY2(settled(folder), qPrintable(folderListing(folder.path()).join(u' ')));
    QCOMPARE(folder.read(UniquesFile), uniques);
    QCOMPARE(folder.read(QuestsFile), quests);
    // The case happened as described: the client ran once for each file,
    // quests first, and every real download failed.
    const QByteArray calls = readFile(log);
    if (!clientText.startsWith("#!")) {
        QVERIFY(!QFile::exists(log));
    } else if (!clientText.contains("ncftpget")) {
        QCOMPARE(calls, QByteArray("QuestsCleared.txt\nUniquesDefeated.txt\n"));
    } else {
        const QList<QByteArray> lines = calls.trimmed().split('\n');
        QVERIFY2(lines.size() == 4, calls.constData());
        QCOMPARE(lines[0], "QuestsCleared.txt");
        QCOMPARE(lines[2], "UniquesDefeated.txt");
        QVERIFY2(lines[1].startsWith("QuestsCleared.txt "), calls.constData());
        QVERIFY2(lines[3].startsWith("UniquesDefeated.txt "), calls.constData());
        QVERIFY2(!lines[1].endsWith(" 0"), calls.constData());
        QVERIFY2(!lines[3].endsWith(" 0"), calls.constData());
    }
    driveAndCheckFlags(window.get(), uniques, quests);
    if (QTest::currentTestFailed())
        return;

    // The drive's fetches run the same way and change nothing more.
    QVERIFY2(settled(folder), qPrintable(folderListing(folder.path()).join(u' ')));
    QCOMPARE(folder.read(UniquesFile), uniques);
    QCOMPARE(folder.read(QuestsFile), quests);
    checkSelections(window.get(), uniques, quests);
}

void BadFetchTest::overlappingScriptsBothFinish()
{
    ProgramFolder folder;
    m_folders.append(folder.path());
    const QDateTime longAgo = QDateTime::currentDateTime().addDays(-2);
    writeFile(folder.filePath(UniquesFile), localUniques(), longAgo);
    writeFile(folder.filePath(QuestsFile), localQuests(), longAgo);
    // Each download waits a little first, so the scripts of the fetches
    // below are all running at once.
    writeExecutable(folder.filePath(ClientName),
                    client("#!/bin/sh\nsleep 0.4\nexec '" HUNTMARK_FTP_CLIENT
                           "' -r 0 -t 5 -P @FTP@ -C -u \"$3\" -p \"$5\" 127.0.0.1 \"$7\" \"$8\"\n"));

    auto window = startedWindow(folder);
    stopClock(window.get());
    QElapsedTimer clock;
    clock.start();
    window->FetchProgress();
    tick(window.get(), TicksPerFetch);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));

    // Until the downloads are through, every read shows the old flags or
    // the new ones whole, never a part of them.
    const auto shownBy = [](const QByteArray &flags, int position) {
        return std::pair{flags.count('1'), flagAt(flags, position)};
    };
    int reads = 0;
    int mostHelpers = 0;
    clock.restart();
    while (clock.elapsed() < SettleTimeoutMs &&
           (folder.exists(ScriptName) || !processesWorkingIn(folder.path()).isEmpty())) {
        mostHelpers = std::max(mostHelpers, helpersAmong(processesWorkingIn(folder.path())));
        const Probe probe = uniqueProbes().at(reads % uniqueProbes().size());
        const int position = uniquePosition(probe.tab, probe.index);
        const bool flag = selectUniqueAndRead(window.get(), probe.tab, probe.index);
        const std::pair seen{labelText(window.get()).section(QLatin1Char(' '), -1).toLongLong(), flag};
        const bool allowed =
                seen == shownBy(localUniques(), position) || seen == shownBy(servedUniques(), position);
        QVERIFY2(allowed,
                 qPrintable(QStringLiteral("%1, entry (%2, %3) %4")
                                    .arg(labelText(window.get()))
                                    .arg(probe.tab)
                                    .arg(probe.index)
                                    .arg(flag ? "checked" : "unchecked")));
        ++reads;
        QTest::qWait(5);
    }
    QVERIFY2(settled(folder), qPrintable(folderListing(folder.path()).join(u' ')));
    QVERIFY(reads > 0);
    // The scripts did overlap.
    QVERIFY2(mostHelpers >= 2, qPrintable(QStringLiteral("at most %1 script at a time").arg(mostHelpers)));
    QCOMPARE(folder.read(UniquesFile), servedUniques());
    QCOMPARE(folder.read(QuestsFile), servedQuests());
    driveAndCheckFlags(window.get(), servedUniques(), servedQuests());
    QVERIFY2(settled(folder), qPrintable(folderListing(folder.path()).join(u' ')));
}

QTEST_MAIN(BadFetchTest)
#include "test_bad_fetch.moc"
