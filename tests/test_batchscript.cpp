#include "platform/batchscript.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using platform::BatchCommand;

class TestBatchScript : public QObject
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
};

namespace {

void writeFile(const QString &path, bool executable = false)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write("#!/bin/sh\n");
    file.close();
    if (executable)
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
}

QStringList sortedFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

void TestBatchScript::splitsLines_data()
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

void TestBatchScript::splitsLines()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, lines);
    QCOMPARE(platform::splitBatchLines(script), lines);
}

void TestBatchScript::parsesLine_data()
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

void TestBatchScript::parsesLine()
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

void TestBatchScript::survivesHostileLines_data()
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
void TestBatchScript::survivesHostileLines()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QCOMPARE(int(platform::parseBatchLine(line).kind), kind);
}

void TestBatchScript::findsProgram_data()
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

void TestBatchScript::findsProgram()
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
        writeFile(rootDir.filePath(file), executable);
    }

    const QString pathVariable = rootDir.filePath("path1") + ":" + rootDir.filePath("path2") + "::";
    const QString expected = found.isEmpty() ? QString() : rootDir.filePath(found);
    QCOMPARE(platform::findBatchProgram(name, rootDir.filePath("cwd"), pathVariable), expected);
}

void TestBatchScript::deletesIgnoringCase_data()
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

void TestBatchScript::deletesIgnoringCase()
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

void TestBatchScript::deletesNothingOutsideFolder_data()
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

void TestBatchScript::deletesNothingOutsideFolder()
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

void TestBatchScript::deletesOnlyTheLinkNotItsTarget()
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

QTEST_GUILESS_MAIN(TestBatchScript)
#include "test_batchscript.moc"
