#include "platform/batchscript.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// What the viewer writes on every fetch, byte for byte.
const QByteArray viewerScript =
        "ncftpget.exe -C -u viewer@huntmark.example -p marrowfen localhost \"QuestsCleared.txt\" "
        "\"QuestsCleared.txt\"\r\n"
        "ncftpget.exe -C -u viewer@huntmark.example -p marrowfen localhost \"UniquesDefeated.txt\" "
        "\"UniquesDefeated.txt\"\r\n"
        "@echo off\r\n"
        "del \"QV_data.bat\"\r\n"
        "exit\r\n";

const QString expectedQuestsCall =
        "[-C][-u][viewer@huntmark.example][-p][marrowfen][localhost][QuestsCleared.txt][QuestsCleared.txt]";
const QString expectedUniquesCall = "[-C][-u][viewer@huntmark.example][-p][marrowfen][localhost]"
                                    "[UniquesDefeated.txt][UniquesDefeated.txt]";

// Stands in for the download client: appends one line per call to calls.log
// in its working directory, each argument in brackets, then talks on both
// output channels and fails, none of which may disturb the script.
const QByteArray recordingTool = "#!/bin/sh\n"
                                 "for argument in \"$@\"; do printf '[%s]' \"$argument\" >> calls.log; done\n"
                                 "printf '\\n' >> calls.log\n"
                                 "echo 'to standard output'\n"
                                 "echo 'to standard error' >&2\n"
                                 "exit 7\n";

struct HelperRun
{
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
};

} // namespace

class TestBatchHelper : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fetchesInOrderWithExactArguments();
    void findsDebianToolOnPathWithoutEnding();
    void deletesItselfWhenToolIsMissing();
    void passesShellTextAsOneArgument();
    void skipsLineWithPipe();
    void stopsAtExit();
    void givesChildrenNoConsole();
    void refusesUnreadableScript_data();
    void refusesUnreadableScript();
    void runsScriptAtSizeLimit();
    void refusesMissingArgument();

private:
    QString programFolder() const { return m_root->filePath("program"); }
    QString programFile(const QString &name) const { return programFolder() + "/" + name; }
    void writeFile(const QString &path, const QByteArray &content, bool executable = false);
    void installTool(const QString &folder, const QString &name, const QByteArray &content = recordingTool);
    HelperRun runHelper(const QStringList &arguments, int timeoutMs = 30000);
    HelperRun runScript(const QByteArray &script);
    QStringList recordedCalls() const;

    std::unique_ptr<QTemporaryDir> m_root;
};

void TestBatchHelper::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    // "program" is the folder the viewer starts the helper in; "bin" is the
    // whole search path, so that an installed ncftpget never takes part.
    QVERIFY(QDir(m_root->path()).mkpath("program"));
    QVERIFY(QDir(m_root->path()).mkpath("bin"));
}

void TestBatchHelper::cleanup()
{
    m_root.reset();
}

void TestBatchHelper::writeFile(const QString &path, const QByteArray &content, bool executable)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(content), content.size());
    file.close();
    if (executable)
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
}

void TestBatchHelper::installTool(const QString &folder, const QString &name, const QByteArray &content)
{
    writeFile(m_root->filePath(folder + "/" + name), content, true);
}

HelperRun TestBatchHelper::runHelper(const QStringList &arguments, int timeoutMs)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", m_root->filePath("bin"));

    QProcess helper;
    helper.setProcessEnvironment(environment);
    helper.setWorkingDirectory(programFolder());
    helper.start(HUNTMARK_BATCH_HELPER, arguments);
    HelperRun run;
    if (!helper.waitForStarted() || !helper.waitForFinished(timeoutMs)) {
        helper.kill();
        helper.waitForFinished();
        return run;
    }
    if (helper.exitStatus() == QProcess::NormalExit)
        run.exitCode = helper.exitCode();
    run.standardOutput = helper.readAllStandardOutput();
    run.standardError = helper.readAllStandardError();
    return run;
}

HelperRun TestBatchHelper::runScript(const QByteArray &script)
{
    writeFile(programFile("QV_Data.bat"), script);
    return runHelper({programFile("QV_Data.bat")});
}

QStringList TestBatchHelper::recordedCalls() const
{
    QFile log(programFile("calls.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

void TestBatchHelper::fetchesInOrderWithExactArguments()
{
    installTool("program", "ncftpget.exe");

    const HelperRun run = runScript(viewerScript);

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList({expectedQuestsCall, expectedUniquesCall}));
    QVERIFY(!QFile::exists(programFile("QV_Data.bat")));
    QVERIFY(QFile::exists(programFile("ncftpget.exe")));
}

void TestBatchHelper::findsDebianToolOnPathWithoutEnding()
{
    installTool("bin", "ncftpget");

    QCOMPARE(runScript(viewerScript).exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList({expectedQuestsCall, expectedUniquesCall}));
    QVERIFY(!QFile::exists(programFile("QV_Data.bat")));
}

void TestBatchHelper::deletesItselfWhenToolIsMissing()
{
    writeFile(programFile("QuestsCleared.txt"), "101");

    QCOMPARE(runScript(viewerScript).exitCode, 0);
    QVERIFY(!QFile::exists(programFile("QV_Data.bat")));
    QFile progress(programFile("QuestsCleared.txt"));
    QVERIFY(progress.open(QIODevice::ReadOnly));
    QCOMPARE(progress.readAll(), QByteArray("101"));
}

void TestBatchHelper::passesShellTextAsOneArgument()
{
    installTool("program", "ncftpget.exe");
    writeFile(programFile("x"), "keep");

    const HelperRun run =
            runScript("ncftpget.exe \"a;rm -rf x\" \"$(touch pwned)\" `touch pwned2` 'a b'\r\n");

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList{"[a;rm -rf x][$(touch pwned)][`touch][pwned2`]['a][b']"});
    QVERIFY(QFile::exists(programFile("x")));
    QVERIFY(!QFile::exists(programFile("pwned")));
    QVERIFY(!QFile::exists(programFile("pwned2")));
}

void TestBatchHelper::skipsLineWithPipe()
{
    installTool("program", "ncftpget.exe");

    const HelperRun run = runScript("ncftpget.exe one | ncftpget.exe two\r\n"
                                    "ncftpget.exe \"three > four\" five\r\n");

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList{"[three > four][five]"});
    QVERIFY(!QFile::exists(programFile("four")));
}

void TestBatchHelper::stopsAtExit()
{
    installTool("program", "ncftpget.exe");

    const HelperRun run = runScript("ncftpget.exe first\r\n"
                                    "  EXIT\r\n"
                                    "ncftpget.exe second\r\n"
                                    "del \"QV_data.bat\"\r\n");

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList{"[first]"});
    QVERIFY(QFile::exists(programFile("QV_Data.bat")));
}

// A tool that reads its standard input would wait forever on a console
// nobody types into; the helper's own output must stay empty as well.
void TestBatchHelper::givesChildrenNoConsole()
{
    installTool("program", "ncftpget.exe",
                "#!/bin/sh\n"
                "read -r answer\n"
                "echo talking\n"
                "echo complaining >&2\n"
                "printf 'ran\\n' >> calls.log\n");
    writeFile(programFile("QV_Data.bat"), "ncftpget.exe\r\n");

    const HelperRun run = runHelper({programFile("QV_Data.bat")}, 10000);

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList{"ran"});
    QCOMPARE(run.standardOutput, QByteArray());
    QCOMPARE(run.standardError, QByteArray());
}

void TestBatchHelper::refusesUnreadableScript_data()
{
    QTest::addColumn<QString>("scriptName");
    QTest::addColumn<QByteArray>("content");

    const QByteArray call = "ncftpget.exe run\r\n";
    QTest::newRow("missing") << "missing.bat" << QByteArray();
    QTest::newRow("a folder") << "folder.bat" << QByteArray();
    QTest::newRow("endless device") << "/dev/zero" << QByteArray();
    QTest::newRow("one byte too large")
            << "QV_Data.bat" << call + QByteArray(platform::MaxBatchScriptSize + 1 - call.size(), ' ');
}

void TestBatchHelper::refusesUnreadableScript()
{
    QFETCH(QString, scriptName);
    QFETCH(QByteArray, content);
    installTool("program", "ncftpget.exe");
    QVERIFY(QDir(programFolder()).mkdir("folder.bat"));
    if (!content.isEmpty())
        writeFile(programFile(scriptName), content);

    const QString scriptPath = QDir::isAbsolutePath(scriptName) ? scriptName : programFile(scriptName);
    QCOMPARE(runHelper({scriptPath}).exitCode, 1);
    QCOMPARE(recordedCalls(), QStringList());
}

void TestBatchHelper::runsScriptAtSizeLimit()
{
    installTool("program", "ncftpget.exe");
    const QByteArray call = "ncftpget.exe run\r\n";
    const QByteArray script = call + QByteArray(platform::MaxBatchScriptSize - call.size(), ' ');

    QCOMPARE(runScript(script).exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList{"[run]"});
}

void TestBatchHelper::refusesMissingArgument()
{
    installTool("program", "ncftpget.exe");
    writeFile(programFile("QV_Data.bat"), "ncftpget.exe run\r\n");

    QCOMPARE(runHelper({}).exitCode, 1);
    QCOMPARE(runHelper({programFile("QV_Data.bat"), programFile("QV_Data.bat")}).exitCode, 1);
    QCOMPARE(recordedCalls(), QStringList());
}

QTEST_GUILESS_MAIN(TestBatchHelper)
#include "test_batch_helper.moc"
