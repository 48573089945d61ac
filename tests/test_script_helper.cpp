// The script helper that stands in for the command interpreter: how it
// reads a script line, finds a program and deletes a file, and, run as a
// process on real scripts, what it starts and what it leaves alone.
#include "batchscript.h"
#include "testfiles.h"
#include "windowdriver.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

using batch::BatchCommand;
using namespace Qt::StringLiterals;

namespace {

// The arguments of a download line of the viewer's script.
QStringList viewerScriptArguments(int line)
{
    QStringList arguments = QString::fromLatin1(expectedScript().split('\n').at(line).chopped(1))
                                    .remove(u'"')
                                    .split(u' ');
    arguments.removeFirst();
    return arguments;
}

// The same as the client gets them: the account and password ("-u U -p P")
// in a login file behind the other options, never on its command line.
QStringList clientArguments(int line)
{
    QStringList arguments = viewerScriptArguments(line);
    const qsizetype user = arguments.indexOf(QStringLiteral("-u"));
    const qsizetype password = arguments.indexOf(QStringLiteral("-p"));
    const QString login = QStringLiteral("login: user %1;pass %2;")
                                  .arg(arguments.at(user + 1), arguments.at(password + 1));
    arguments.remove(password, 2);
    arguments.remove(user, 2);
    arguments.insert(arguments.indexOf(QStringLiteral("-C")) + 1, QStringLiteral("-f"));
    arguments.insert(arguments.indexOf(QStringLiteral("-f")) + 1, login);
    return arguments;
}

// Stands in for the download client: appends one line per call to calls.log
// in its working directory, each argument in brackets (for the login file
// of -f its lines instead of its name), then talks on both output channels
// and fails, none of which may disturb the script. It reads its standard
// input first: on a console nobody types into it would wait forever.
const QByteArray recordingTool =
        "#!/bin/sh\n"
        "read -r answer\n"
        "for argument in \"$@\"; do\n"
        "  [ -n \"$login\" ] && argument=\"login: $(/usr/bin/tr '\\n' ';' < \"$argument\")\"\n"
        "  login=; [ \"$argument\" = -f ] && login=next\n"
        "  printf '[%s]' \"$argument\" >> calls.log\n"
        "done\n"
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

private Q_SLOTS:
    void splitsLines_data();
    void splitsLines();
    void parsesLine_data();
    void parsesLine();
    void findsProgram_data();
    void findsProgram();
    void deletesOneFileOfTheFolder_data();
    void deletesOneFileOfTheFolder();
    void init();

    void runsScript_data();
    void runsScript();
    void refusesScript_data();
    void refusesScript();
    void reportsWhatFailed_data();
    void reportsWhatFailed();

private:
    QString programFolder() const { return m_root->filePath(u"program"_s); }
    QString programFile(const QString &name) const { return programFolder() + u"/"_s + name; }
    QString helperPath() const { return m_root->filePath(u"helper/huntmark-batch"_s); }
    HelperRun runHelper(const QStringList &arguments);
    QStringList recordedCalls() const
    {
        return QString::fromUtf8(fileBytes(programFile(u"calls.log"_s)))
                .split(u'\n', Qt::SkipEmptyParts);
    }

    std::unique_ptr<QTemporaryDir> m_root;
};

void ScriptHelperTest::splitsLines_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("crlf") << QByteArray("a b\r\nc\r\n") << QStringList { u"a b"_s, u"c"_s };
    QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList { u"a"_s, u"b"_s };
    QTest::newRow("mixed, no final ending")
            << QByteArray("a\r\nb\nc") << QStringList { u"a"_s, u"b"_s, u"c"_s };
    QTest::newRow("blank lines kept")
            << QByteArray("\r\n\na\r\n") << QStringList { u""_s, u""_s, u"a"_s };
    QTest::newRow("only the ending carriage return goes")
            << QByteArray("a\r\r\nb\rc\n") << QStringList { u"a\r"_s, u"b\rc"_s };
    QTest::newRow("nul bytes survive")
            << QByteArray("a\0b\r\n", 5) << QStringList { u"a"_s + QChar(0) + u"b"_s };
}

void ScriptHelperTest::splitsLines()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, lines);
    QCOMPARE(batch::splitBatchLines(script), lines);
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
    // Each row is named by its line, with the invisible characters shown.
    const auto row = [](const QString &line, int kind, const QString &program = {},
                        const QStringList &arguments = {}) {
        QString tag = line.isEmpty() ? QStringLiteral("(empty)") : line.left(40);
        tag.replace(QChar(0), QStringLiteral("\\0"))
                .replace(u'\r', QStringLiteral("\\r"))
                .replace(u'\t', QStringLiteral("\\t"));
        QTest::newRow(qPrintable(tag)) << line << kind << program << arguments;
    };

    // The lines the viewer writes.
    row(QString::fromLatin1(expectedScript().split('\n').first().chopped(1)), external,
        u"ncftpget.exe"_s, viewerScriptArguments(0));
    row(u"@echo off"_s, echo);
    row(u"del \"QV_data.bat\""_s, del, u""_s, { u"QV_data.bat"_s });
    row(u"exit"_s, exit);

    // Blank and comment lines.
    for (const QString &line :
         { QString(), u" \t  "_s, QString(64 * 1024, u' '), u"rem fetch the files"_s,
           u"REM a | b > c %x%"_s, u"echo hello there"_s })
        row(line, nothing);

    // Command words ignore case; a quoted one is a program name.
    row(u"ECHO ON"_s, echo);
    row(u"@@ Echo Off"_s, echo);
    row(u"DEL qv_data.bat"_s, del, u""_s, { u"qv_data.bat"_s });
    row(u"del a.txt \"b c.txt\""_s, del, u""_s, { u"a.txt"_s, u"b c.txt"_s });
    row(u"\tExit /b 1"_s, exit);
    row(u"\"del\" x"_s, external, u"del"_s, { u"x"_s });

    // Quoting, and words no script of ours holds.
    row(u"tool  \"a b\"\t c"_s, external, u"tool"_s, { u"a b"_s, u"c"_s });
    row(u"\"my tool.exe\" x"_s, external, u"my tool.exe"_s, { u"x"_s });
    row(u"tool \"a;rm -rf x\" y"_s, external, u"tool"_s, { u"a;rm -rf x"_s, u"y"_s });
    row(u"tool \"a|b\" \"c&d\" \"<e>\" \"^\""_s, external, u"tool"_s,
        { u"a|b"_s, u"c&d"_s, u"<e>"_s, u"^"_s });
    row(u"tool \"\" x"_s, external, u"tool"_s, { u""_s, u"x"_s });
    row(u"tool a\"b c\"d"_s, external, u"tool"_s, { u"ab cd"_s });
    row(u"tool \"a | b"_s, external, u"tool"_s, { u"a | b"_s });
    row(QString(64 * 1024, u'x'), external, QString(64 * 1024, u'x'));
    row(QString(QChar(0xd800)) + u"x"_s, external, QString(QChar(0xd800)) + u"x"_s);

    // Refused, one a line: what the interpreter would do differently, and
    // deletes of anything but a plain file name.
    const QString refused =
            u"tool a | tool b\ntool > out.txt\ntool && del x\ntool a^&b\ntool %PATH%\n"_s
            u"tool \"%USERPROFILE%\"\n@echo off > x\ndel\ndel \"\"\ndel /q x\ndel sub/x\n"_s
            u"del ..\\x\ndel *.txt\ndel .\ndel a.txt ..\\b.txt\n\"\" x\n\"\ntool a\rb"_s;
    for (const QString &line : refused.split(u'\n'))
        row(line, BatchCommand::Refused);
    for (const QString &line :
         { QString(1001, u'"'), QString(u"tool a"_s + QChar(0) + u"b"_s), QString(100, QChar(0)) })
        row(line, BatchCommand::Refused);
}

void ScriptHelperTest::parsesLine()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);

    const BatchCommand command = batch::parseBatchLine(line);
    QCOMPARE(int(command.kind), kind);
    QCOMPARE(command.program, program);
    QCOMPARE(command.arguments, arguments);
}

void ScriptHelperTest::findsProgram_data()
{
    // Files are "folder/name" with folder one of cwd, path1, path2; a trailing
    // "*" marks the file executable.
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found");
    const auto row = [](const char *tag, const char *files, const char *name, const char *found) {
        QTest::newRow(tag) << QString::fromUtf8(files) << QString::fromUtf8(name)
                           << QString::fromUtf8(found);
    };
    row("in working dir", "cwd/ncftpget.exe* path1/ncftpget*", "ncftpget.exe", "cwd/ncftpget.exe");
    row("on path without ending", "path2/ncftpget*", "ncftpget.exe", "path2/ncftpget");
    row("upper-case ending", "path1/ncftpget*", "ncftpget.EXE", "path1/ncftpget");
    row("ending first in a folder", "path1/tool* path1/tool.exe*", "tool.exe", "path1/tool.exe");
    row("folder order before ending", "cwd/tool* path1/tool.exe*", "tool.exe", "cwd/tool");
    row("path order", "path2/tool* path1/tool*", "tool", "path1/tool");
    row("no ending added", "path1/tool.exe*", "tool", "");
    row("not executable", "cwd/tool path2/tool*", "tool", "path2/tool");
    row("directory skipped", "cwd/tool/x path1/tool*", "tool", "path1/tool");
    row("missing", "path1/other*", "ncftpget.exe", "");
    row("bare ending is a name", "cwd/.exe*", ".exe", "cwd/.exe");
    row("path in name", "cwd/sub/tool*", "sub/tool", "");
    row("parent in name", "path1/tool*", "../path1/tool", "");
    row("absolute name", "", "/bin/sh", "");
    row("empty name", "cwd/x*", "", "");
}

void ScriptHelperTest::findsProgram()
{
    QFETCH(QString, files);
    QFETCH(QString, name);
    QFETCH(QString, found);

    const QDir rootDir(m_root->path());
    for (const QString &folder : { u"cwd"_s, u"path1"_s, u"path2"_s })
        QVERIFY(rootDir.mkpath(folder));
    for (QString file : files.split(u' ', Qt::SkipEmptyParts)) {
        const bool executable = file.endsWith(u'*');
        file.remove(u'*');
        QVERIFY(rootDir.mkpath(QFileInfo(file).path()));
        writeExecutable(rootDir.filePath(file), "#!/bin/sh\n");
        QVERIFY(executable || setMode(rootDir.filePath(file), 0600));
    }

    const QString pathVariable =
            rootDir.filePath(u"path1"_s) + u":"_s + rootDir.filePath(u"path2"_s) + u"::"_s;
    const QString expected = found.isEmpty() ? QString() : rootDir.filePath(found);
    QCOMPARE(batch::findBatchProgram(name, rootDir.filePath(u"cwd"_s), pathVariable), expected);
}

void ScriptHelperTest::deletesOneFileOfTheFolder_data()
{
    // Files are paths below the working folder "cwd", which holds a folder
    // "sub" and has "outside.txt" beside it; what remains is every file. A
    // trailing "@" makes the file a link to "outside.txt".
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("remaining");
    const auto row = [](const char *tag, const char *files, const char *name,
                        const char *remaining) {
        QTest::newRow(tag) << QString::fromUtf8(files) << QString::fromUtf8(name)
                           << QString::fromUtf8(remaining);
    };
    row("script names itself in other case", "QV_Data.bat QuestsCleared.txt", "QV_data.bat",
        "QuestsCleared.txt");
    row("exact spelling wins", "a.txt A.txt A.TXT", "A.txt", "A.TXT a.txt");
    row("else first in sorted order", "a.txt A.TXT", "a.Txt", "a.txt");
    row("hidden file", ".Hidden", ".hidden", "");
    row("no match", "QV_Data.bat", "QV_Data.bak", "QV_Data.bat");
    row("prefix is no match", "QV_Data.bat", "QV_Data", "QV_Data.bat");
    row("only the link goes, not its target", "Link.txt@", "link.TXT", "");
    for (const char *name :
         { "../outside.txt", "sub/inner.txt", "/tmp/outside.txt", "SUB", "*", ".", "" }) {
        row(qPrintable(QStringLiteral("nothing outside: \"%1\"").arg(QString::fromUtf8(name))),
            "inside.txt sub/inner.txt", name, "inside.txt sub/inner.txt");
    }
}

void ScriptHelperTest::deletesOneFileOfTheFolder()
{
    QFETCH(QString, files);
    QFETCH(QString, name);
    QFETCH(QString, remaining);

    const QDir cwd(m_root->filePath(u"cwd"_s));
    QVERIFY(cwd.mkpath(u"sub"_s));
    writeExecutable(m_root->filePath(u"outside.txt"_s), {});
    for (const QString &file : files.split(u' ', Qt::SkipEmptyParts)) {
        if (file.endsWith(u'@'))
            QVERIFY(QFile::link(m_root->filePath(u"outside.txt"_s), cwd.filePath(file.chopped(1))));
        else
            writeExecutable(cwd.filePath(file), {});
    }

    // It tells it deleted a file exactly when one went.
    QCOMPARE(batch::deleteMatchingFile(cwd.path(), name), remaining != files);
    QStringList left;
    QDirIterator it(cwd.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        left.append(cwd.relativeFilePath(it.next()));
    left.sort();
    QCOMPARE(left.join(u' '), remaining);
    QVERIFY(QFile::exists(m_root->filePath(u"outside.txt"_s)));
    QVERIFY(QFileInfo(cwd.filePath(u"sub"_s)).isDir());
}

void ScriptHelperTest::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    // "program" is the folder the viewer starts the helper in; "bin" is the
    // whole search path, so that an installed ncftpget never takes part; and
    // the helper runs from "helper", where the build's client does not lie
    // beside it.
    QVERIFY(QDir(m_root->path()).mkpath(u"program"_s));
    QVERIFY(QDir(m_root->path()).mkpath(u"bin"_s));
    QVERIFY(QDir(m_root->path()).mkpath(u"helper"_s));
    QVERIFY(QFile::copy(QStringLiteral(HUNTMARK_BATCH_HELPER), helperPath()));
}

HelperRun ScriptHelperTest::runHelper(const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PATH"_s, m_root->filePath(u"bin"_s));

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(programFolder());
    process.start(helperPath(), arguments);
    // A helper that hangs or crashes has no exit code; the process ends
    // with the test either way.
    HelperRun run;
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit)
        run = { process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError() };
    return run;
}

void ScriptHelperTest::runsScript_data()
{
    // Where the client lies: the working folder ("program"), the search path
    // ("bin"), beside a copy of the helper ("helper"), or nowhere (empty).
    QTest::addColumn<QString>("toolFolder");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("left"); // the program folder afterwards

    const QStringList scriptAndTool { u"QV_Data.bat"_s, u"calls.log"_s, u"ncftpget.exe"_s };
    const QByteArray call = "ncftpget.exe run\r\n";
    // Both downloads as the recording client writes them down.
    const auto recorded = [](int line) -> QString {
        return u'[' + clientArguments(line).join(u"]["_s) + u']';
    };
    const QStringList viewerScriptCalls { recorded(0), recorded(1) };
    QTest::newRow("the viewer's script, in order, deleting itself")
            << u"program"_s << expectedScript() << viewerScriptCalls
            << QStringList { u"calls.log"_s, u"ncftpget.exe"_s };
    // Its "del" names it "QV_data.bat": on a file system that tells case,
    // a user's file of that name stays, and the script goes all the same.
    QTest::newRow("a user's QV_data.bat stays, the script goes")
            << u"program"_s << expectedScript() << viewerScriptCalls
            << QStringList { u"QV_data.bat"_s, u"calls.log"_s, u"ncftpget.exe"_s };
    QTest::newRow("Debian's client on the path, without ending")
            << u"bin"_s << expectedScript() << viewerScriptCalls << QStringList { u"calls.log"_s };
    // An installed viewer's script runs in the user's data folder.
    QTest::newRow("the client beside the helper, run in another folder")
            << u"helper"_s << expectedScript() << viewerScriptCalls
            << QStringList { u"calls.log"_s };
    QTest::newRow("no client: the script still deletes itself")
            << QString() << expectedScript() << QStringList() << QStringList();
    // A shell would run the removal and the substitutions.
    QTest::newRow("shell text is one argument")
            << u"program"_s
            << QByteArray("ncftpget.exe \"a;rm -rf ncftpget.exe\" \"$(touch pwned)\" `touch "
                          "pwned2` 'a b'\r\n")
            << QStringList { u"[a;rm -rf ncftpget.exe][$(touch pwned)][`touch][pwned2`]['a][b']"_s }
            << scriptAndTool;
    QTest::newRow("a line with a pipe is skipped")
            << u"program"_s
            << QByteArray("ncftpget.exe one | ncftpget.exe two\r\nncftpget.exe \"three > four\" "
                          "five\r\n")
            << QStringList { u"[three > four][five]"_s } << scriptAndTool;
    QTest::newRow("nothing runs after exit")
            << u"program"_s
            << QByteArray("ncftpget.exe first\r\n  EXIT\r\nncftpget.exe second\r\ndel "
                          "\"QV_data.bat\"\r\n")
            << QStringList { u"[first]"_s } << scriptAndTool;
    // Only the download client's login is moved, and only when there is a
    // password to hide; its options come out one a word.
    QTest::newRow("client login in any spelling")
            << u"program"_s
            << QByteArray("ncftpget.exe -Cu me -pse\"cr et\" h a b\r\nncftpget.exe -u me h a b\r\n"
                          "ncftpget.exe -f /dev/null -u me -p pw h a b\r\n")
            << QStringList { u"[-C][-f][login: user me;pass secr et;][h][a][b]"_s,
                             u"[-u][me][h][a][b]"_s, u"[-f][login: ][h][a][b]"_s }
            << scriptAndTool;
    QTest::newRow("a script of the largest size")
            << u"program"_s << call + QByteArray(batch::MaxBatchScriptSize - call.size(), ' ')
            << QStringList { u"[run]"_s } << scriptAndTool;
}

void ScriptHelperTest::runsScript()
{
    QFETCH(QString, toolFolder);
    QFETCH(QByteArray, script);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, left);
    if (!toolFolder.isEmpty()) {
        const QString client = toolFolder == u"bin" ? u"ncftpget"_s : u"ncftpget.exe"_s;
        writeExecutable(m_root->filePath(toolFolder + u'/' + client), recordingTool);
    }
    writeExecutable(programFile(u"QV_Data.bat"_s), script);
    // What is to stay beside the tool and its log was there before.
    for (const QString &name : left) {
        if (name != u"calls.log" && name != u"ncftpget.exe" && name != u"QV_Data.bat")
            writeExecutable(programFile(name), {});
    }

    const HelperRun run = runHelper({ programFile(u"QV_Data.bat"_s) });

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(recordedCalls(), calls);
    QCOMPARE(QDir(programFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name), left);
    // The client's talk goes nowhere; the helper itself says nothing.
    QCOMPARE(run.standardOutput, QByteArray());
    QCOMPARE(run.standardError, QByteArray());
}

void ScriptHelperTest::refusesScript_data()
{
    QTest::addColumn<QStringList>("arguments"); // names in the program folder, or paths
    QTest::addColumn<QByteArray>("script");

    const QByteArray call = "ncftpget.exe run\r\n";
    QTest::newRow("no script named") << QStringList() << call;
    QTest::newRow("two scripts named")
            << QStringList { u"QV_Data.bat"_s, u"QV_Data.bat"_s } << call;
    QTest::newRow("missing") << QStringList { u"missing.bat"_s } << call;
    QTest::newRow("a folder") << QStringList { u"folder.bat"_s } << call;
    QTest::newRow("endless device") << QStringList { u"/dev/zero"_s } << call;
    QTest::newRow("one byte too large")
            << QStringList { u"QV_Data.bat"_s }
            << call + QByteArray(batch::MaxBatchScriptSize + 1 - call.size(), ' ');
}

void ScriptHelperTest::refusesScript()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, script);
    writeExecutable(programFile(u"ncftpget.exe"_s), recordingTool);
    QVERIFY(QDir(programFolder()).mkdir(u"folder.bat"_s));
    writeExecutable(programFile(u"QV_Data.bat"_s), script);
    for (QString &argument : arguments) {
        if (!QDir::isAbsolutePath(argument))
            argument = programFile(argument);
    }

    QCOMPARE(runHelper(arguments).exitCode, 1);
    QCOMPARE(recordedCalls(), QStringList());
}

void ScriptHelperTest::reportsWhatFailed_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("complaint"); // empty: the helper says nothing of its own

    const QByteArray good = "ncftpget.exe ok\r\n";
    QTest::newRow("every line ran") << good + good << 0 << QByteArray();
    QTest::newRow("a program failed") << "ncftpget.exe fails\r\n" + good << 7 << QByteArray();
    QTest::newRow("a program was killed")
            << "ncftpget.exe killed\r\n" + good << 128 + SIGTERM << QByteArray();
    // A download line the command interpreter would read otherwise downloads
    // nothing: no success.
    QTest::newRow("a line was not run") << "ncftpget.exe -p pass%word% h a b\r\n" + good << 126
                                        << QByteArray("line 1 of the script was not run");
}

void ScriptHelperTest::reportsWhatFailed()
{
    QFETCH(QByteArray, script);
    QFETCH(int, status);
    QFETCH(QByteArray, complaint);
    writeExecutable(programFile(u"ncftpget.exe"_s),
                    "#!/bin/sh\n[ \"$1\" = fails ] && exit 7\n[ \"$1\" = killed ] && kill -TERM "
                    "$$\nexit 0\n");
    writeExecutable(programFile(u"QV_Data.bat"_s), script);

    const HelperRun run = runHelper({ u"--report"_s, programFile(u"QV_Data.bat"_s) });
    QCOMPARE(run.exitCode, status);
    if (complaint.isEmpty())
        QCOMPARE(run.standardError, QByteArray());
    else
        QVERIFY2(run.standardError.contains(complaint), run.standardError.constData());
}

QTEST_GUILESS_MAIN(ScriptHelperTest)
#include "test_script_helper.moc"
