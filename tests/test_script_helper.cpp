// The script helper that stands in for the command interpreter: how it
// reads a script line, finds a program and deletes a file, and, run as a
// process on real scripts, what it starts and what it leaves alone.
#include "platform/batchscript.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using platform::BatchCommand;

namespace {

void writeFile(const QString &path, const QByteArray &content = "#!/bin/sh\n", bool executable = false)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(content), content.size());
    file.close();
    if (executable)
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
}

QStringList sortedFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

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

class ScriptHelperTest : public QObject
{
    Q_OBJECT

private slots:
    void splitsLines_data();
    void splitsLines();
    void parsesLine_data();
    void parsesLine();
    void survivesHostileLines_data();
    void survivesHostileLines();
    void findsProgram_data();
    void findsProgram();
    void deletesIgnoringCase_data();
    void deletesIgnoringCase();
    void deletesNothingOutsideFolder_data();
    void deletesNothingOutsideFolder();
    void deletesOnlyTheLinkNotItsTarget();
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
    void installTool(const QString &folder, const QString &name, const QByteArray &content = recordingTool);
    HelperRun runHelper(const QStringList &arguments, int timeoutMs = 30000);
    HelperRun runScript(const QByteArray &script);
    QStringList recordedCalls() const;

    std::unique_ptr<QTemporaryDir> m_root;
};

void ScriptHelperTest::splitsLines_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("crlf") << QByteArray("a b\r\nc\r\n") << QStringList{"a b", "c"};
    QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("mixed, no final ending") << QByteArray("a\r\nb\nc") << QStringList{"a", "b", "c"};
    QTest::newRow("blank lines kept") << QByteArray("\r\n\na\r\n") << QStringList{"", "", "a"};
    QTest::newRow("only the ending carriage return goes")
            << QByteArray("a\r\r\nb\rc\n") << QStringList{"a\r", "b\rc"};
    QTest::newRow("nul bytes survive")
            << QByteArray("a\0b\r\n", 5) << QStringList{QString("a") + QChar(0) + "b"};
}

void ScriptHelperTest::splitsLines()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, lines);
    QCOMPARE(platform::splitBatchLines(script), lines);
}

void ScriptHelperTest::parsesLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    const int nothing = BatchCommand::Nothing;
    const int echo = BatchCommand::EchoSetting;
    const int del = BatchCommand::Delete;
    const int exit = BatchCommand::Exit;
    const int external = BatchCommand::External;
    const int refused = BatchCommand::Refused;

    // The five lines the viewer writes.
    QTest::newRow("fetch quests")
            << "ncftpget.exe -C -u viewer@huntmark.example -p marrowfen localhost \"QuestsCleared.txt\" "
               "\"QuestsCleared.txt\""
            << external << "ncftpget.exe"
            << QStringList{"-C",        "-u",        "viewer@huntmark.example", "-p",
                           "marrowfen", "localhost", "QuestsCleared.txt",       "QuestsCleared.txt"};
    QTest::newRow("fetch uniques")
            << "ncftpget.exe -C -u viewer@huntmark.example -p marrowfen localhost \"UniquesDefeated.txt\" "
               "\"UniquesDefeated.txt\""
            << external << "ncftpget.exe"
            << QStringList{"-C",        "-u",        "viewer@huntmark.example", "-p",
                           "marrowfen", "localhost", "UniquesDefeated.txt",     "UniquesDefeated.txt"};
    QTest::newRow("@echo off") << "@echo off" << echo << "" << QStringList();
    QTest::newRow("del script") << "del \"QV_data.bat\"" << del << "" << QStringList{"QV_data.bat"};
    QTest::newRow("exit") << "exit" << exit << "" << QStringList();

    // Blank and comment lines.
    QTest::newRow("empty") << "" << nothing << "" << QStringList();
    QTest::newRow("blanks") << " \t  " << nothing << "" << QStringList();
    QTest::newRow("rem") << "rem fetch the files" << nothing << "" << QStringList();
    QTest::newRow("rem with operators") << "REM a | b > c %x%" << nothing << "" << QStringList();
    QTest::newRow("echo text only prints") << "echo hello there" << nothing << "" << QStringList();

    // Command words ignore case; a quoted one is a program name.
    QTest::newRow("ECHO ON") << "ECHO ON" << echo << "" << QStringList();
    QTest::newRow("@@ Echo Off") << "@@ Echo Off" << echo << "" << QStringList();
    QTest::newRow("DEL bare name") << "DEL qv_data.bat" << del << "" << QStringList{"qv_data.bat"};
    QTest::newRow("del several") << "del a.txt \"b c.txt\"" << del << "" << QStringList{"a.txt", "b c.txt"};
    QTest::newRow("Exit with code") << "\tExit /b 1" << exit << "" << QStringList();
    QTest::newRow("quoted del is a program") << "\"del\" x" << external << "del" << QStringList{"x"};

    // Quoting.
    QTest::newRow("quoted spaces") << "tool  \"a b\"\t c" << external << "tool" << QStringList{"a b", "c"};
    QTest::newRow("quoted program") << "\"my tool.exe\" x" << external << "my tool.exe" << QStringList{"x"};
    QTest::newRow("semicolon stays one argument")
            << "tool \"a;rm -rf x\" y" << external << "tool" << QStringList{"a;rm -rf x", "y"};
    QTest::newRow("operators inside quotes") << "tool \"a|b\" \"c&d\" \"<e>\" \"^\"" << external << "tool"
                                             << QStringList{"a|b", "c&d", "<e>", "^"};
    QTest::newRow("empty quotes") << "tool \"\" x" << external << "tool" << QStringList{"", "x"};
    QTest::newRow("quotes inside a token") << "tool a\"b c\"d" << external << "tool" << QStringList{"ab cd"};
    QTest::newRow("unclosed quote") << "tool \"a b" << external << "tool" << QStringList{"a b"};
    QTest::newRow("unclosed quote hides pipe")
            << "tool \"a | b" << external << "tool" << QStringList{"a | b"};

    // Refused: what the interpreter would do differently, and unsafe deletes.
    QTest::newRow("pipe") << "tool a | tool b" << refused << "" << QStringList();
    QTest::newRow("redirect out") << "tool > out.txt" << refused << "" << QStringList();
    QTest::newRow("chain") << "tool && del x" << refused << "" << QStringList();
    QTest::newRow("escape") << "tool a^&b" << refused << "" << QStringList();
    QTest::newRow("variable") << "tool %PATH%" << refused << "" << QStringList();
    QTest::newRow("variable in quotes") << "tool \"%USERPROFILE%\"" << refused << "" << QStringList();
    QTest::newRow("echo to file") << "@echo off > x" << refused << "" << QStringList();
    QTest::newRow("del without name") << "del" << refused << "" << QStringList();
    QTest::newRow("del empty name") << "del \"\"" << refused << "" << QStringList();
    QTest::newRow("del switch") << "del /q x" << refused << "" << QStringList();
    QTest::newRow("del path") << "del sub/x" << refused << "" << QStringList();
    QTest::newRow("del parent") << "del ..\\x" << refused << "" << QStringList();
    QTest::newRow("del wildcard") << "del *.txt" << refused << "" << QStringList();
    QTest::newRow("del dot") << "del ." << refused << "" << QStringList();
    QTest::newRow("one bad name spoils all") << "del a.txt ..\\b.txt" << refused << "" << QStringList();
    QTest::newRow("empty program") << "\"\" x" << refused << "" << QStringList();
    QTest::newRow("nul") << QString("tool a") + QChar(0) + "b" << refused << "" << QStringList();
    QTest::newRow("stray carriage return") << "tool a\rb" << refused << "" << QStringList();
}

void ScriptHelperTest::parsesLine()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);

    const BatchCommand command = platform::parseBatchLine(line);
    QCOMPARE(int(command.kind), kind);
    QCOMPARE(command.program, program);
    QCOMPARE(command.arguments, arguments);
}

void ScriptHelperTest::survivesHostileLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");

    QTest::newRow("lone quote") << "\"" << int(BatchCommand::Refused);
    QTest::newRow("odd number of quotes") << QString(1001, u'"') << int(BatchCommand::Refused);
    QTest::newRow("64 KiB of blanks") << QString(64 * 1024, u' ') << int(BatchCommand::Nothing);
    QTest::newRow("64 KiB word") << QString(64 * 1024, u'x') << int(BatchCommand::External);
    QTest::newRow("nuls") << QString(100, QChar(0)) << int(BatchCommand::Refused);
    QTest::newRow("lone surrogate") << QString(QChar(0xd800)) + "x" << int(BatchCommand::External);
}

// Lines no script of ours contains, in sizes a hand-made file could reach.
void ScriptHelperTest::survivesHostileLines()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QCOMPARE(int(platform::parseBatchLine(line).kind), kind);
}

void ScriptHelperTest::findsProgram_data()
{
    // Files are "folder/name" with folder one of cwd, path1, path2; a trailing
    // "*" marks the file executable.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found");

    QTest::newRow("in working dir") << QStringList{"cwd/ncftpget.exe*", "path1/ncftpget*"} << "ncftpget.exe"
                                    << "cwd/ncftpget.exe";
    QTest::newRow("on path without ending") << QStringList{"path2/ncftpget*"} << "ncftpget.exe"
                                            << "path2/ncftpget";
    QTest::newRow("upper-case ending") << QStringList{"path1/ncftpget*"} << "ncftpget.EXE"
                                       << "path1/ncftpget";
    QTest::newRow("ending preferred in one folder")
            << QStringList{"path1/tool*", "path1/tool.exe*"} << "tool.exe"
            << "path1/tool.exe";
    QTest::newRow("folder order before ending") << QStringList{"cwd/tool*", "path1/tool.exe*"} << "tool.exe"
                                                << "cwd/tool";
    QTest::newRow("path order") << QStringList{"path2/tool*", "path1/tool*"} << "tool"
                                << "path1/tool";
    QTest::newRow("no ending added") << QStringList{"path1/tool.exe*"} << "tool" << QString();
    QTest::newRow("not executable") << QStringList{"cwd/tool", "path2/tool*"} << "tool"
                                    << "path2/tool";
    QTest::newRow("directory skipped") << QStringList{"cwd/tool/x", "path1/tool*"} << "tool"
                                       << "path1/tool";
    QTest::newRow("missing") << QStringList{"path1/other*"} << "ncftpget.exe" << QString();
    QTest::newRow("bare ending is a name") << QStringList{"cwd/.exe*"} << ".exe"
                                           << "cwd/.exe";
    QTest::newRow("path in name") << QStringList{"cwd/sub/tool*"} << "sub/tool" << QString();
    QTest::newRow("parent in name") << QStringList{"path1/tool*"} << "../path1/tool" << QString();
    QTest::newRow("absolute name") << QStringList() << "/bin/sh" << QString();
    QTest::newRow("empty name") << QStringList{"cwd/x*"} << "" << QString();
}

void ScriptHelperTest::findsProgram()
{
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(QString, found);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QDir rootDir(root.path());
    for (const QString folder : {"cwd", "path1", "path2"})
        QVERIFY(rootDir.mkpath(folder));
    for (QString file : files) {
        const bool executable = file.endsWith(u'*');
        if (executable)
            file.chop(1);
        QVERIFY(rootDir.mkpath(QFileInfo(file).path()));
        writeFile(rootDir.filePath(file), "#!/bin/sh\n", executable);
    }

    const QString pathVariable = rootDir.filePath("path1") + ":" + rootDir.filePath("path2") + "::";
    const QString expected = found.isEmpty() ? QString() : rootDir.filePath(found);
    QCOMPARE(platform::findBatchProgram(name, rootDir.filePath("cwd"), pathVariable), expected);
}

void ScriptHelperTest::deletesIgnoringCase_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QStringList>("remaining");

    QTest::newRow("script names itself in other case")
            << QStringList{"QV_Data.bat", "QuestsCleared.txt"} << "QV_data.bat" << true
            << QStringList{"QuestsCleared.txt"};
    QTest::newRow("exact spelling wins")
            << QStringList{"a.txt", "A.txt", "A.TXT"} << "A.txt" << true << QStringList{"A.TXT", "a.txt"};
    QTest::newRow("else first in sorted order")
            << QStringList{"a.txt", "A.TXT"} << "a.Txt" << true << QStringList{"a.txt"};
    QTest::newRow("hidden file") << QStringList{".Hidden"} << ".hidden" << true << QStringList();
    QTest::newRow("no match") << QStringList{"QV_Data.bat"} << "QV_Data.bak" << false
                              << QStringList{"QV_Data.bat"};
    QTest::newRow("prefix is no match")
            << QStringList{"QV_Data.bat"} << "QV_Data" << false << QStringList{"QV_Data.bat"};
}

void ScriptHelperTest::deletesIgnoringCase()
{
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(bool, deleted);
    QFETCH(QStringList, remaining);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &file : files)
        writeFile(dir.filePath(file));

    QCOMPARE(platform::deleteMatchingFile(dir.path(), name), deleted);
    QCOMPARE(sortedFiles(dir.path()), remaining);
}

void ScriptHelperTest::deletesNothingOutsideFolder_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("parent") << "../outside.txt";
    QTest::newRow("sub-folder") << "sub/inner.txt";
    QTest::newRow("absolute") << "/tmp/outside.txt";
    QTest::newRow("sub-folder itself") << "SUB";
    QTest::newRow("wildcard") << "*";
    QTest::newRow("dot") << ".";
    QTest::newRow("empty") << "";
}

void ScriptHelperTest::deletesNothingOutsideFolder()
{
    QFETCH(QString, name);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QDir rootDir(root.path());
    QVERIFY(rootDir.mkpath("cwd/sub"));
    const QStringList files{"outside.txt", "cwd/inside.txt", "cwd/sub/inner.txt"};
    for (const QString &file : files)
        writeFile(rootDir.filePath(file));

    QVERIFY(!platform::deleteMatchingFile(rootDir.filePath("cwd"), name));
    for (const QString &file : files)
        QVERIFY2(QFile::exists(rootDir.filePath(file)), qPrintable(file));
    QVERIFY(QFileInfo(rootDir.filePath("cwd/sub")).isDir());
}

void ScriptHelperTest::deletesOnlyTheLinkNotItsTarget()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QDir rootDir(root.path());
    QVERIFY(rootDir.mkdir("cwd"));
    writeFile(rootDir.filePath("target.txt"));
    QVERIFY(QFile::link(rootDir.filePath("target.txt"), rootDir.filePath("cwd/Link.txt")));

    QVERIFY(platform::deleteMatchingFile(rootDir.filePath("cwd"), "link.TXT"));
    QVERIFY(!QFileInfo(rootDir.filePath("cwd/Link.txt")).isSymLink());
    QVERIFY(QFile::exists(rootDir.filePath("target.txt")));
}

void ScriptHelperTest::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    // "program" is the folder the viewer starts the helper in; "bin" is the
    // whole search path, so that an installed ncftpget never takes part.
    QVERIFY(QDir(m_root->path()).mkpath("program"));
    QVERIFY(QDir(m_root->path()).mkpath("bin"));
}

void ScriptHelperTest::cleanup()
{
    m_root.reset();
}

void ScriptHelperTest::installTool(const QString &folder, const QString &name, const QByteArray &content)
{
    writeFile(m_root->filePath(folder + "/" + name), content, true);
}

HelperRun ScriptHelperTest::runHelper(const QStringList &arguments, int timeoutMs)
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

HelperRun ScriptHelperTest::runScript(const QByteArray &script)
{
    writeFile(programFile("QV_Data.bat"), script);
    return runHelper({programFile("QV_Data.bat")});
}

QStringList ScriptHelperTest::recordedCalls() const
{
    QFile log(programFile("calls.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

void ScriptHelperTest::fetchesInOrderWithExactArguments()
{
    installTool("program", "ncftpget.exe");

    const HelperRun run = runScript(viewerScript);

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList({expectedQuestsCall, expectedUniquesCall}));
    QVERIFY(!QFile::exists(programFile("QV_Data.bat")));
    QVERIFY(QFile::exists(programFile("ncftpget.exe")));
}

void ScriptHelperTest::findsDebianToolOnPathWithoutEnding()
{
    installTool("bin", "ncftpget");

    QCOMPARE(runScript(viewerScript).exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList({expectedQuestsCall, expectedUniquesCall}));
    QVERIFY(!QFile::exists(programFile("QV_Data.bat")));
}

void ScriptHelperTest::deletesItselfWhenToolIsMissing()
{
    writeFile(programFile("QuestsCleared.txt"), "101");

    QCOMPARE(runScript(viewerScript).exitCode, 0);
    QVERIFY(!QFile::exists(programFile("QV_Data.bat")));
    QFile progress(programFile("QuestsCleared.txt"));
    QVERIFY(progress.open(QIODevice::ReadOnly));
    QCOMPARE(progress.readAll(), QByteArray("101"));
}

void ScriptHelperTest::passesShellTextAsOneArgument()
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

void ScriptHelperTest::skipsLineWithPipe()
{
    installTool("program", "ncftpget.exe");

    const HelperRun run = runScript("ncftpget.exe one | ncftpget.exe two\r\n"
                                    "ncftpget.exe \"three > four\" five\r\n");

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList{"[three > four][five]"});
    QVERIFY(!QFile::exists(programFile("four")));
}

void ScriptHelperTest::stopsAtExit()
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
void ScriptHelperTest::givesChildrenNoConsole()
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

void ScriptHelperTest::refusesUnreadableScript_data()
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

void ScriptHelperTest::refusesUnreadableScript()
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

void ScriptHelperTest::runsScriptAtSizeLimit()
{
    installTool("program", "ncftpget.exe");
    const QByteArray call = "ncftpget.exe run\r\n";
    const QByteArray script = call + QByteArray(platform::MaxBatchScriptSize - call.size(), ' ');

    QCOMPARE(runScript(script).exitCode, 0);
    QCOMPARE(recordedCalls(), QStringList{"[run]"});
}

void ScriptHelperTest::refusesMissingArgument()
{
    installTool("program", "ncftpget.exe");
    writeFile(programFile("QV_Data.bat"), "ncftpget.exe run\r\n");

    QCOMPARE(runHelper({}).exitCode, 1);
    QCOMPARE(runHelper({programFile("QV_Data.bat"), programFile("QV_Data.bat")}).exitCode, 1);
    QCOMPARE(recordedCalls(), QStringList());
}

QTEST_GUILESS_MAIN(ScriptHelperTest)
#include "test_script_helper.moc"
