// What the fetch must never do: let anyone but its owner read the script
// that holds the password, write it through a link someone planted, run or
// copy anything of the files it reads, or hand a line of the script to a
// shell.
#include "testfiles.h"
#include "windowdriver.h"

#include "hiddenscripts.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

namespace {

int fileMode(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

// Sets the process's file-creation mask for one test.
class UmaskGuard
{
public:
    explicit UmaskGuard(mode_t mask) : m_previous(::umask(mask)) { }
    ~UmaskGuard() { ::umask(m_previous); }
    Q_DISABLE_COPY_MOVE(UmaskGuard)

private:
    mode_t m_previous;
};

// Records every call, each argument in brackets, one line per call.
QByteArray recordingProgram(const QString &log)
{
    return "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\" >> '" + QFile::encodeName(log)
            + "'; done\nprintf '\\n' >> '" + QFile::encodeName(log) + "'\n";
}

// Text that runs something wherever a shell or the command interpreter
// would take it as a command: each one touches a marker file whose name
// starts with "pwned".
const QByteArray HostileText = "1111\r\n"
                               "& touch pwned-amp\r\n"
                               "| touch pwned-pipe\r\n"
                               "; touch pwned-semi\r\n"
                               "$(touch pwned-dollar)\r\n"
                               "`touch pwned-tick`\r\n"
                               "\" & touch pwned-quote & \"\r\n"
                               "%COMSPEC% /c touch pwned-comspec\r\n"
                               "ncftpget.exe pwned-client\r\n"
                               "del *.*\r\n";

QStringList markersUnder(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, { QStringLiteral("pwned*") }, QDir::AllEntries | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    return found;
}

// What stands where the script goes before the first fetch.
enum class Earlier { Nothing, Script, LinkToFile, LinkToNothing };

} // namespace

class SecurityTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void scriptIsOwnerOnlyAndFixed_data();
    void scriptIsOwnerOnlyAndFixed();
    void helperRunsOnlyWhatTheScriptNames_data();
    void helperRunsOnlyWhatTheScriptNames();
};

void SecurityTest::cleanup()
{
    fetch::setScriptHelperPath(QString());
}

void SecurityTest::scriptIsOwnerOnlyAndFixed_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<Earlier>("earlier");
    QTest::addColumn<int>("earlierMode");

    QTest::newRow("no mask, no earlier script") << 0 << Earlier::Nothing << 0;
    QTest::newRow("earlier script open to all, set-user-ID") << 0 << Earlier::Script << 04777;
    QTest::newRow("usual mask, earlier script read-only") << 022 << Earlier::Script << 0444;
    // Whoever can put a link where the script goes must not get the
    // password written to a place of their choosing, nor a file of the
    // user's overwritten or opened up.
    QTest::newRow("link to a file") << 0 << Earlier::LinkToFile << 0640;
    QTest::newRow("link to nothing yet") << 0 << Earlier::LinkToNothing << 0;
}

void SecurityTest::scriptIsOwnerOnlyAndFixed()
{
    QFETCH(int, mask);
    QFETCH(Earlier, earlier);
    QFETCH(int, earlierMode);

    // A helper that runs nothing leaves the script in place to be looked at.
    fetch::setScriptHelperPath(QStringLiteral("/bin/true"));
    UmaskGuard umask { mode_t(mask) };
    ProgramFolder folder;
    const QString script = folder.filePath(ScriptName);
    // Every file the viewer reads holds text that a shell or the command
    // interpreter would run, and is itself a program that leaves a mark.
    const QByteArray program = "#!/bin/sh\ntouch '"
            + QFile::encodeName(folder.filePath(QStringLiteral("pwned-run"))) + "'\n" + HostileText;
    for (const QString &name : { UniquesFile, QuestsFile, TabsFile }) {
        folder.write(name, program);
        QVERIFY(setMode(folder.filePath(name), 0755));
    }
    ProgramFolder elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("victim"));
    if (earlier == Earlier::Script)
        folder.write(ScriptName, QByteArray(5000, 'x') + "\r\n");
    if (earlier == Earlier::LinkToFile)
        writeExecutable(victim, "precious\n");
    if (earlier == Earlier::LinkToFile || earlier == Earlier::LinkToNothing)
        QVERIFY(QFile::link(victim, script));
    if (earlier == Earlier::Script || earlier == Earlier::LinkToFile)
        QVERIFY(setMode(earlier == Earlier::Script ? script : victim, earlierMode));

    auto window = startedWindow(folder);
    stopClock(window.get());
    for (int fetch = 0; fetch < 2; ++fetch) {
        QVERIFY(!QFileInfo(script).isSymLink());
        QCOMPARE(fileMode(script), 0600);
        QCOMPARE(QFileInfo(script).ownerId(), uint(::geteuid()));
        QCOMPARE(folder.read(ScriptName), expectedScript());
        selectUniqueAndRead(window.get(), 0, 0);
        // The next fetch waits for this one to end.
        QTRY_VERIFY(control<QAction>(window.get(), "RefreshNow")->isEnabled());
        tick(window.get(), TicksPerFetch);
    }
    if (earlier == Earlier::LinkToFile) {
        QCOMPARE(elsewhere.read(QStringLiteral("victim")), QByteArray("precious\n"));
        QCOMPARE(fileMode(victim), earlierMode);
    }
    QVERIFY(earlier == Earlier::LinkToFile || !QFile::exists(victim));
    // Nothing but the script holds the password, and nothing of the read
    // files ran or was changed.
    for (const QString &entry : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden)) {
        if (entry != ScriptName)
            QVERIFY2(!folder.read(entry).contains("marrowfen"), qPrintable(entry));
    }
    QCOMPARE(markersUnder(folder.path()), QStringList());
    QCOMPARE(markersUnder(QDir::currentPath()), QStringList());
    for (const QString &name : { UniquesFile, QuestsFile })
        QCOMPARE(folder.read(name), program);
}

void SecurityTest::helperRunsOnlyWhatTheScriptNames_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("calls");

    // What a shell would make of these lines does not matter: the tool gets
    // the words as written, double quotes removed, or the line is passed
    // over when it asks for something the helper does not do. The parser's
    // own table has the rest; these are the ones a shell would run.
    QTest::newRow("shell syntax is plain text")
            << QByteArray("tool \"$(touch pwned1)\" $(touch pwned2) `touch pwned3` a;touch pwned4; "
                          "'b c'\r\n")
            << QStringList { QStringLiteral(
                       "[$(touch "
                       "pwned1)][$(touch][pwned2)][`touch][pwned3`][a;touch][pwned4;]['b][c']") };
    QTest::newRow("chained with &") << QByteArray("tool a & touch pwned\r\ntool b\r\n")
                                    << QStringList { QStringLiteral("[b]") };
    QTest::newRow("piped") << QByteArray("tool a | touch pwned\r\n") << QStringList {};
    QTest::newRow("redirected in") << QByteArray("tool < pwned\r\n") << QStringList {};
    QTest::newRow("escape sequence") << QByteArray("tool \x1b]0;pwned\x07\r\n") << QStringList {};
    QTest::newRow("silencers") << QByteArray("@ @tool a\r\n")
                               << QStringList { QStringLiteral("[a]") };
    // A command word with a path could run anything anywhere.
    QTest::newRow("path up a level") << QByteArray("../tool a\r\n") << QStringList {};
    QTest::newRow("backslash path") << QByteArray("..\\tool a\r\n") << QStringList {};
    QTest::newRow("drive letter") << QByteArray("C:tool a\r\n") << QStringList {};
    QTest::newRow("wildcard") << QByteArray("too? a\r\n") << QStringList {};
    // Deletion only of plain names in the working folder.
    QTest::newRow("delete up a level")
            << QByteArray("del ..\\victim\r\ndel ../victim\r\ntool done\r\n")
            << QStringList { QStringLiteral("[done]") };
}

void SecurityTest::helperRunsOnlyWhatTheScriptNames()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, calls);

    // The working folder holds the tool, decoys named like every shell and
    // command interpreter, and a file that nothing may delete; so does the
    // folder above it. The search path is a folder of decoys only.
    ProgramFolder root;
    const QString work = root.filePath(QStringLiteral("work"));
    const QString bin = root.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(work) && QDir().mkpath(bin));
    const QString shellLog = root.filePath(QStringLiteral("shell.log"));
    writeExecutable(work + QStringLiteral("/tool"),
                    recordingProgram(root.filePath(QStringLiteral("calls.log"))));
    writeExecutable(root.filePath(QStringLiteral("tool")), "#!/bin/sh\ntouch pwned-up\n");
    for (const QString &folder : { work, bin }) {
        for (const char *shell : { "sh", "bash", "dash", "cmd", "cmd.exe", "command.com", "touch" })
            writeExecutable(folder + QLatin1Char('/') + QLatin1String(shell),
                            "#!/bin/sh\necho \"$0 $*\" >> '" + QFile::encodeName(shellLog) + "'\n");
    }
    const QStringList victims { work + QStringLiteral("/victim"),
                                root.filePath(QStringLiteral("victim")) };
    for (const QString &victim : victims)
        writeExecutable(victim, "keep");
    writeExecutable(work + QStringLiteral("/QV_Data.bat"), script);

    QProcess helper;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), bin);
    environment.insert(QStringLiteral("SHELL"), bin + QStringLiteral("/sh"));
    environment.insert(QStringLiteral("COMSPEC"), bin + QStringLiteral("/cmd.exe"));
    helper.setProcessEnvironment(environment);
    helper.setWorkingDirectory(work);
    helper.start(QStringLiteral(HUNTMARK_BATCH_HELPER), { work + QStringLiteral("/QV_Data.bat") });
    QVERIFY(helper.waitForFinished(20000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 0);

    QCOMPARE(QString::fromUtf8(root.read(QStringLiteral("calls.log")))
                     .split(u'\n', Qt::SkipEmptyParts),
             calls);
    QVERIFY2(!QFile::exists(shellLog),
             QByteArray("a decoy ran: " + root.read(QStringLiteral("shell.log"))).constData());
    QCOMPARE(markersUnder(root.path()), QStringList());
    QCOMPARE(markersUnder(QDir::currentPath()), QStringList());
    for (const QString &victim : victims)
        QVERIFY2(QFile::exists(victim), qPrintable(victim));
}

QTEST_MAIN(SecurityTest)
#include "test_security.moc"
