// What the fetch must never do: let anyone but its owner read the script
// that holds the password, leave the script behind, run or copy anything of
// the files it reads, or hand a line of the script to a shell.
#include "badinput_support.h"

#include "platform/scriptlauncher.h"
#include "progress/downloadscript.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

using namespace badinput;

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
    return "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\" >> '" + QFile::encodeName(log) +
            "'; done\nprintf '\\n' >> '" + QFile::encodeName(log) + "'\n";
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
    QDirIterator it(folder, {QStringLiteral("pwned*")}, QDir::AllEntries | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    return found;
}

} // namespace

class SecurityTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void scriptIsOwnerOnly_data();
    void scriptIsOwnerOnly();
    void plantedLinkIsNotFollowed_data();
    void plantedLinkIsNotFollowed();
    void scriptDisappearsAfterEveryRun_data();
    void scriptDisappearsAfterEveryRun();
    void nothingOfTheReadFilesIsRunOrScripted();
    void helperRunsOnlyWhatTheScriptNames_data();
    void helperRunsOnlyWhatTheScriptNames();

private:
    QList<QString> m_folders;
};

void SecurityTest::init()
{
    m_folders.clear();
}

void SecurityTest::cleanup()
{
    for (const QString &folder : std::as_const(m_folders))
        killProcesses(processesWorkingIn(folder));
    platform::setScriptHelperPath(QString());
}

void SecurityTest::scriptIsOwnerOnly_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("earlierMode");

    QTest::newRow("no mask, no earlier script") << 0 << -1;
    QTest::newRow("usual mask, no earlier script") << 022 << -1;
    QTest::newRow("no mask, earlier script open to all") << 0 << 0777;
    QTest::newRow("no mask, earlier script set-user-ID") << 0 << 04755;
    QTest::newRow("usual mask, earlier script read-only") << 022 << 0444;
    QTest::newRow("strict mask, earlier script without permissions") << 077 << 0;
}

void SecurityTest::scriptIsOwnerOnly()
{
    QFETCH(int, mask);
    QFETCH(int, earlierMode);

    // A helper that cannot start leaves the script in place to be looked at.
    platform::setScriptHelperPath(QStringLiteral("/nonexistent/huntmark-batch"));
    UmaskGuard umask(mode_t(mask & 0777));
    ProgramFolder folder;
    if (earlierMode >= 0) {
        folder.write(ScriptName, QByteArray(5000, 'x') + "\r\n");
        QVERIFY(setMode(folder.filePath(ScriptName), earlierMode));
    }

    auto window = startedWindow(folder);
    stopClock(window.get());
    for (int fetch = 0; fetch < 3; ++fetch) {
        QCOMPARE(fileMode(folder.filePath(ScriptName)), 0600);
        QCOMPARE(QFileInfo(folder.filePath(ScriptName)).ownerId(), uint(::geteuid()));
        QCOMPARE(folder.read(ScriptName), expectedScript());
        tick(window.get(), TicksPerFetch);
    }
    // Nothing but the script holds the password.
    for (const QString &entry : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden)) {
        if (entry != ScriptName)
            QVERIFY2(!folder.read(entry).contains("marrowfen"), qPrintable(entry));
    }
}

void SecurityTest::plantedLinkIsNotFollowed_data()
{
    QTest::addColumn<bool>("targetExists");

    QTest::newRow("link to a file") << true;
    QTest::newRow("link to nothing yet") << false;
}

void SecurityTest::plantedLinkIsNotFollowed()
{
    QFETCH(bool, targetExists);

    // Whoever can put a link where the script goes must not get the
    // password written to a place of their choosing, nor a file of the
    // user's overwritten or opened up.
    platform::setScriptHelperPath(QStringLiteral("/nonexistent/huntmark-batch"));
    ProgramFolder folder;
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    const QString target = elsewhere.filePath(QStringLiteral("victim"));
    if (targetExists) {
        QFile victim(target);
        QVERIFY(victim.open(QIODevice::WriteOnly));
        victim.write("precious\n");
        victim.close();
        QVERIFY(setMode(target, 0640));
    }
    QVERIFY(QFile::link(target, folder.filePath(ScriptName)));

    auto window = startedWindow(folder);
    stopClock(window.get());
    tick(window.get(), TicksPerFetch);

    QVERIFY(!QFileInfo(folder.filePath(ScriptName)).isSymLink());
    QCOMPARE(fileMode(folder.filePath(ScriptName)), 0600);
    QCOMPARE(folder.read(ScriptName), expectedScript());
    if (targetExists) {
        QFile victim(target);
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), QByteArray("precious\n"));
        QCOMPARE(fileMode(target), 0640);
    } else {
        QVERIFY(!QFile::exists(target));
    }
}

void SecurityTest::scriptDisappearsAfterEveryRun_data()
{
    QTest::addColumn<QByteArray>("client");

    // A client that fails, is killed or is missing: the script goes all the
    // same (the bad-fetch suite watches those).
    QTest::newRow("client succeeds") << QByteArray("#!/bin/sh\nexit 0\n");
}

void SecurityTest::scriptDisappearsAfterEveryRun()
{
    QFETCH(QByteArray, client);

    platform::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    QTemporaryDir emptyBin;
    EnvironmentGuard path("PATH");
    qputenv("PATH", QFile::encodeName(emptyBin.path()));
    ProgramFolder folder;
    m_folders.append(folder.path());
    if (!client.isEmpty())
        writeExecutable(folder.filePath(ClientName), client);

    auto window = startedWindow(folder);
    stopClock(window.get());
    for (int run = 0; run < 5; ++run) {
        QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName) && processesWorkingIn(folder.path()).isEmpty(),
                                 20000);
        // The password is nowhere in the folder once the script is gone.
        for (const QString &entry : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(!folder.read(entry).contains("marrowfen"), qPrintable(entry));
        tick(window.get(), TicksPerFetch);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName) && processesWorkingIn(folder.path()).isEmpty(),
                             20000);
}

void SecurityTest::nothingOfTheReadFilesIsRunOrScripted()
{
    ProgramFolder folder;
    m_folders.append(folder.path());
    // Every file the viewer reads holds text that a shell or the command
    // interpreter would run, and is itself a program that leaves a mark.
    const QByteArray program = "#!/bin/sh\ntouch '" +
            QFile::encodeName(folder.filePath(QStringLiteral("pwned-run"))) + "'\n" + HostileText;
    for (const QString &name : {UniquesFile, QuestsFile, TabsFile}) {
        folder.write(name, program);
        QVERIFY(setMode(folder.filePath(name), 0755));
    }

    // First with a helper that cannot start: the script is exactly the
    // fixed text, whatever the files hold.
    platform::setScriptHelperPath(QStringLiteral("/nonexistent/huntmark-batch"));
    {
        auto window = startedWindow(folder);
        stopClock(window.get());
        QCOMPARE(folder.read(ScriptName), expectedScript());
        selectUniqueAndRead(window.get(), 0, 0);
        tick(window.get(), TicksPerFetch);
        QCOMPARE(folder.read(ScriptName), expectedScript());
    }

    // Then for real: the client is called with the fixed arguments only.
    const QString log = folder.filePath(QStringLiteral("calls.log"));
    writeExecutable(folder.filePath(ClientName), recordingProgram(log));
    platform::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    auto window = startedWindow(folder);
    stopClock(window.get());
    QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName) && processesWorkingIn(folder.path()).isEmpty(),
                             20000);
    tick(window.get(), TicksPerFetch);
    QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName) && processesWorkingIn(folder.path()).isEmpty(),
                             20000);

    const progress::FtpAccount account = progress::configuredFtpAccount();
    QStringList expected;
    for (int run = 0; run < 2; ++run) {
        for (const char *file : {"QuestsCleared.txt", "UniquesDefeated.txt"}) {
            expected.append(QStringLiteral("[-C][-u][%1][-p][marrowfen][%2][%3][%3]")
                                    .arg(QLatin1String(account.user), QLatin1String(account.host),
                                         QLatin1String(file)));
        }
    }
    QCOMPARE(QString::fromUtf8(folder.read(QStringLiteral("calls.log"))).split(u'\n', Qt::SkipEmptyParts),
             expected);
    QCOMPARE(markersUnder(folder.path()), QStringList());
    QCOMPARE(markersUnder(QDir::currentPath()), QStringList());
    for (const QString &name : {UniquesFile, QuestsFile})
        QCOMPARE(folder.read(name), program);
}

void SecurityTest::helperRunsOnlyWhatTheScriptNames_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("calls");

    // What a shell or the command interpreter would make of these lines
    // does not matter: the tool gets the words as written, quotes removed,
    // or the line is passed over when it asks for something the helper does
    // not do (pipes, redirection, chaining, variables).
    QTest::newRow("command substitution") << QByteArray("tool \"$(touch pwned1)\" $(touch pwned2)\r\n")
                                          << QStringList{"[$(touch pwned1)][$(touch][pwned2)]"};
    QTest::newRow("backticks") << QByteArray("tool `touch pwned`\r\n") << QStringList{"[`touch][pwned`]"};
    QTest::newRow("semicolons") << QByteArray("tool a;touch pwned; b\r\n")
                                << QStringList{"[a;touch][pwned;][b]"};
    QTest::newRow("quoted operators") << QByteArray("tool \"a & touch pwned | b > pwned2\"\r\n")
                                      << QStringList{"[a & touch pwned | b > pwned2]"};
    QTest::newRow("quote left open") << QByteArray("tool \"a & touch pwned\r\n")
                                     << QStringList{"[a & touch pwned]"};
    QTest::newRow("single quotes are text") << QByteArray("tool 'a b'\r\n") << QStringList{"['a][b']"};
    QTest::newRow("chained with &") << QByteArray("tool a & touch pwned\r\ntool b\r\n") << QStringList{"[b]"};
    QTest::newRow("chained with &&") << QByteArray("tool a && touch pwned\r\n") << QStringList{};
    QTest::newRow("chained with ||") << QByteArray("tool a || touch pwned\r\n") << QStringList{};
    QTest::newRow("piped") << QByteArray("tool a | touch pwned\r\n") << QStringList{};
    QTest::newRow("redirected out") << QByteArray("tool a > pwned\r\n") << QStringList{};
    QTest::newRow("redirected in") << QByteArray("tool < pwned\r\n") << QStringList{};
    QTest::newRow("escaped with a caret") << QByteArray("tool a ^& touch pwned\r\n") << QStringList{};
    QTest::newRow("variable") << QByteArray("tool %PATH%\r\n") << QStringList{};
    QTest::newRow("variable in quotes") << QByteArray("tool \"%COMSPEC%\"\r\n") << QStringList{};
    QTest::newRow("NUL inside a line") << QByteArray("tool a") + '\0' + "touch pwned\r\ntool b\r\n"
                                       << QStringList{"[b]"};
    QTest::newRow("bare CR inside a line") << QByteArray("tool a\rtouch pwned\r\n") << QStringList{};
    QTest::newRow("escape sequence") << QByteArray("tool \x1b]0;pwned\x07\r\n") << QStringList{};
    // A command word with a path could run anything anywhere.
    QTest::newRow("absolute path") << QByteArray("/usr/bin/touch pwned\r\n") << QStringList{};
    QTest::newRow("path up a level") << QByteArray("../tool a\r\n") << QStringList{};
    QTest::newRow("backslash path") << QByteArray("..\\tool a\r\n") << QStringList{};
    QTest::newRow("sub-folder") << QByteArray("sub/tool a\r\n") << QStringList{};
    QTest::newRow("drive letter") << QByteArray("C:tool a\r\n") << QStringList{};
    QTest::newRow("quoted path") << QByteArray("\"/usr/bin/touch\" pwned\r\n") << QStringList{};
    QTest::newRow("wildcard") << QByteArray("too? a\r\n") << QStringList{};
    // Built-ins are taken for what they are and run nothing else.
    QTest::newRow("remark") << QByteArray("rem tool a & touch pwned\r\n") << QStringList{};
    QTest::newRow("echo") << QByteArray("echo tool pwned\r\n@echo off\r\necho on\r\n") << QStringList{};
    QTest::newRow("exit ends the script") << QByteArray("tool a\r\nexit\r\ntool b\r\n") << QStringList{"[a]"};
    QTest::newRow("silencers") << QByteArray("@ @tool a\r\n") << QStringList{"[a]"};
    // Deletion only of plain names in the working folder.
    QTest::newRow("delete up a level")
            << QByteArray("del ..\\victim\r\ndel ../victim\r\ntool done\r\n") << QStringList{"[done]"};
    QTest::newRow("delete with switches and wildcards")
            << QByteArray("del /q /s *\r\ndel *.*\r\ndel victim?\r\n") << QStringList{};
    QTest::newRow("delete an absolute path") << QByteArray("del /tmp/victim\r\n") << QStringList{};
}

void SecurityTest::helperRunsOnlyWhatTheScriptNames()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, calls);

    // The working folder holds the tool, decoys named like every shell and
    // command interpreter, and files that nothing may delete; so does the
    // folder above it. The search path is a folder of decoys only.
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QDir(root.path()).mkpath(QStringLiteral("work/sub"));
    QDir(root.path()).mkpath(QStringLiteral("bin"));
    const QString work = root.filePath(QStringLiteral("work"));
    const QString log = root.filePath(QStringLiteral("calls.log"));
    const QString shellLog = root.filePath(QStringLiteral("shell.log"));
    writeExecutable(work + QStringLiteral("/tool"), recordingProgram(log));
    writeExecutable(work + QStringLiteral("/sub/tool"), "#!/bin/sh\ntouch pwned-sub\n");
    writeExecutable(root.filePath(QStringLiteral("tool")), "#!/bin/sh\ntouch pwned-up\n");
    for (const QString &folder : {work, root.filePath(QStringLiteral("bin"))}) {
        for (const char *shell : {"sh", "bash", "dash", "cmd", "cmd.exe", "command.com", "touch"})
            writeExecutable(folder + QLatin1Char('/') + QLatin1String(shell),
                            "#!/bin/sh\necho \"$0 $*\" >> '" + QFile::encodeName(shellLog) + "'\n");
    }
    for (const QString &victim : {work + QStringLiteral("/victim"), root.filePath(QStringLiteral("victim")),
                                  work + QStringLiteral("/sub/victim")}) {
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
    }
    QFile scriptFile(work + QStringLiteral("/QV_Data.bat"));
    QVERIFY(scriptFile.open(QIODevice::WriteOnly));
    QCOMPARE(scriptFile.write(script), script.size());
    scriptFile.close();

    QProcess helper;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), root.filePath(QStringLiteral("bin")));
    environment.insert(QStringLiteral("SHELL"), root.filePath(QStringLiteral("bin/sh")));
    environment.insert(QStringLiteral("COMSPEC"), root.filePath(QStringLiteral("bin/cmd.exe")));
    helper.setProcessEnvironment(environment);
    helper.setWorkingDirectory(work);
    helper.start(QStringLiteral(HUNTMARK_BATCH_HELPER), {work + QStringLiteral("/QV_Data.bat")});
    QVERIFY(helper.waitForFinished(20000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 0);

    QFile recorded(log);
    const QStringList made = recorded.open(QIODevice::ReadOnly)
            ? QString::fromUtf8(recorded.readAll()).split(u'\n', Qt::SkipEmptyParts)
            : QStringList();
    QCOMPARE(made, calls);
    QFile shells(shellLog);
    QVERIFY2(!shells.open(QIODevice::ReadOnly), "a decoy ran: " + shells.readAll());
    QCOMPARE(markersUnder(root.path()), QStringList());
    QCOMPARE(markersUnder(QDir::currentPath()), QStringList());
    for (const QString &victim : {work + QStringLiteral("/victim"), root.filePath(QStringLiteral("victim")),
                                  work + QStringLiteral("/sub/victim")})
        QVERIFY2(QFile::exists(victim), qPrintable(victim));
}

QTEST_MAIN(SecurityTest)
#include "test_security.moc"
