// huntmark-progress on the progress files: marking by name, every refusal
// leaving the files as they were, the shape of what it writes, runs at once,
// and show. The window's suites read the same bytes, so the viewer follows
// what it writes.
#include "testfiles.h"
#include "testsupport.h"

#include "catalog.h"
#include "progresstool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>

#include <memory>
#include <optional>
#include <vector>

#include <unistd.h>

namespace {

const QString Uniques = QStringLiteral("UniquesDefeated.txt");
const QString Quests = QStringLiteral("QuestsCleared.txt");
constexpr int Refused = progresstool::Refused;
constexpr int UsageError = progresstool::UsageError;
constexpr int FileError = progresstool::FileError;

QString uniqueName(int r, int i)
{
    return QString::fromLatin1(catalog::regions()[r].entries[i].name);
}

QString questName(int g, int i)
{
    return QString::fromLatin1(catalog::questGroups()[g].quests[i].name);
}

QString regionCaption(int r)
{
    return QString::fromLatin1(catalog::regions()[r].caption);
}

QString groupCaption(int g)
{
    return QString::fromLatin1(catalog::questGroups()[g].caption);
}

// A quest name that stands in more than one group, and the groups holding it.
struct Namesake
{
    QString name;
    QList<std::pair<int, int>> entries; // (group, index)
};

Namesake questNamesake()
{
    for (int g = 0; g < catalog::QuestGroupCount; ++g) {
        for (int i = 0; i < catalog::questCount(g); ++i) {
            Namesake namesake { questName(g, i), {} };
            for (int h = 0; h < catalog::QuestGroupCount; ++h)
                for (int j = 0; j < catalog::questCount(h); ++j)
                    if (questName(h, j) == namesake.name)
                        namesake.entries.append({ h, j });
            if (namesake.entries.size() > 1)
                return namesake;
        }
    }
    qFatal("the quest catalog has no namesakes");
}

QByteArray line(const QByteArray &flags)
{
    return flags + "\r\n";
}

using namespace Qt::StringLiterals;

} // namespace

class ProgressToolTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void marksTheNamedEntries_data();
    void marksTheNamedEntries();
    void refusalLeavesFilesAsTheyWere_data();
    void refusalLeavesFilesAsTheyWere();
    void namesakeRefusalListsEveryCandidate();
    void replacesFilesInOneStep();
    void concurrentMarksAllLand();
    void saysWhoHoldsTheFolder();
    void refusesALockThatIsNoFile_data();
    void refusesALockThatIsNoFile();
    void show_data();
    void show();
};

void ProgressToolTest::marksTheNamedEntries_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<FileState>("uniquesBefore");
    QTest::addColumn<FileState>("questsBefore");
    QTest::addColumn<QByteArray>("uniquesAfter");
    QTest::addColumn<QByteArray>("questsAfter");

    const QByteArray noUniques = line(QByteArray(catalog::UniqueMonsterCount, '0'));
    const QByteArray noQuests = line(QByteArray(catalog::QuestCount, '0'));
    const QByteArray allUniques(catalog::UniqueMonsterCount, '1');
    const Namesake namesake = questNamesake();
    const auto [lastGroup, lastIndex] = namesake.entries.last();

    QTest::newRow("a name") << QStringList { uniqueName(3, 0) } << FileState(noUniques)
                            << FileState(noQuests)
                            << line(flagsWithOnesAt(157, { uniquePosition(3, 0) })) << noQuests;
    QTest::newRow("any case, surrounding spaces")
            << QStringList { QStringLiteral("  ") + uniqueName(18, 7).toUpper()
                             + QStringLiteral(" ") }
            << FileState(noUniques) << FileState(noQuests) << line(flagsWithOnesAt(157, { 157 }))
            << noQuests;
    QTest::newRow("the qualified name of a namesake marks that entry alone")
            << QStringList { groupCaption(lastGroup) + QStringLiteral(" : ")
                             + namesake.name.toLower() }
            << FileState(noUniques) << FileState(noQuests) << noUniques
            << line(flagsWithOnesAt(63, { questPosition(lastGroup, lastIndex) }));
    QTest::newRow("qualified name of an entry without namesake")
            << QStringList { regionCaption(7) + QStringLiteral(": ") + uniqueName(7, 0) }
            << FileState(noUniques) << FileState(noQuests) << line(flagsWithOnesAt(157, { 70 }))
            << noQuests;
    QTest::newRow("several names in both files, one twice")
            << QStringList { uniqueName(0, 0), questName(10, 8), uniqueName(0, 1),
                             uniqueName(0, 0) }
            << FileState(noUniques) << FileState(noQuests) << line(flagsWithOnesAt(157, { 1, 2 }))
            << line(flagsWithOnesAt(63, { 63 }));
    QTest::newRow("unmark") << QStringList { QStringLiteral("unmark"), uniqueName(5, 0),
                                             uniqueName(5, 11) }
                            << FileState(line(allUniques)) << FileState(noQuests)
                            << line(QByteArray(allUniques)
                                            .replace(uniquePosition(5, 0) - 1, 1, "0")
                                            .replace(uniquePosition(5, 11) - 1, 1, "0"))
                            << noQuests;
    QTest::newRow("a short flag text is padded with 0")
            << QStringList { uniqueName(18, 7) } << FileState("11") << FileState(noQuests)
            << flagsWithOnesAt(157, { 1, 2, 157 }) << noQuests;
    QTest::newRow("an empty file is all 0")
            << QStringList { questName(0, 0) } << FileState(noUniques) << FileState(QByteArray())
            << noUniques << line(flagsWithOnesAt(63, { 1 }));
    // Only the flag characters change; what the viewer skips stays.
    QTest::newRow("the first field as the viewer reads it: quoted, then more, kept")
            << QStringList { uniqueName(0, 2) } << FileState("\r\n  \"1\",remark\r\nnext line\r\n")
            << FileState(noQuests)
            << "\r\n  \"" + flagsWithOnesAt(157, { 1, 3 }) + "\",remark\r\nnext line\r\n"
            << noQuests;
    QTest::newRow("notes after a comma and on later lines, no line end, a byte-order mark")
            << QStringList { questName(0, 1) } << FileState(noUniques)
            << FileState("\xEF\xBB\xBF" + flagsWithOnesAt(63, { 1 })
                         + ",my notes, \"quoted\"\nline 2")
            << noUniques
            << "\xEF\xBB\xBF" + flagsWithOnesAt(63, { 1, 2 }) + ",my notes, \"quoted\"\nline 2";
    QTest::newRow("an empty quoted field, then notes")
            << QStringList { questName(0, 0) } << FileState(noUniques)
            << FileState("\"\",notes\r\n") << noUniques
            << "\"" + flagsWithOnesAt(63, { 1 }) + "\",notes\r\n";
    QTest::newRow("init in an empty folder") << QStringList { QStringLiteral("init") }
                                             << FileState() << FileState() << noUniques << noQuests;
    QTest::newRow("init beside a lone file adds the other, leaves it")
            << QStringList { QStringLiteral("init") } << FileState("1,notes") << FileState()
            << QByteArray("1,notes") << noQuests;
}

void ProgressToolTest::marksTheNamedEntries()
{
    QFETCH(QStringList, arguments);
    QFETCH(FileState, uniquesBefore);
    QFETCH(FileState, questsBefore);
    QFETCH(QByteArray, uniquesAfter);
    QFETCH(QByteArray, questsAfter);

    ProgramFolder folder;
    setFile(folder, Uniques, uniquesBefore);
    setFile(folder, Quests, questsBefore);
    if (arguments.first() != QLatin1String("unmark") && arguments.first() != QLatin1String("init"))
        arguments.prepend(QStringLiteral("mark"));

    const progresstool::Outcome outcome = progresstool::run(arguments, { folder.path() });
    QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
    QCOMPARE(outcome.status, 0);
    QCOMPARE(folder.read(Uniques), uniquesAfter);
    QCOMPARE(folder.read(Quests), questsAfter);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({ Quests, Uniques }));
}

void ProgressToolTest::refusalLeavesFilesAsTheyWere_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<FileState>("uniques");
    QTest::addColumn<FileState>("quests");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("saying"); // "@FOLDER@" is the folder's full path
    QTest::addColumn<QString>("readOnly"); // a file made read-only first

    const FileState someUniques = line(flagsWithOnesAt(157, { 4, 90 }));
    const FileState someQuests = line(flagsWithOnesAt(63, { 2 }));
    const QString misspelt = uniqueName(2, 3).chopped(1);
    const QString mark = QStringLiteral("mark");

    QTest::newRow("unknown name, close ones offered")
            << QStringList { mark, misspelt } << someUniques << someQuests << Refused
            << QStringList { QLatin1Char('"') + misspelt + QLatin1Char('"'), uniqueName(2, 3) }
            << QString();
    QTest::newRow("nothing close")
            << QStringList { QStringLiteral("unmark"), QStringLiteral("Qzxv Wqpy Jjjj") }
            << someUniques << FileState() << Refused
            << QStringList { QStringLiteral("no entry is named \"Qzxv Wqpy Jjjj\"") } << QString();
    QTest::newRow("all or nothing: good names and one unknown")
            << QStringList { mark, uniqueName(0, 0), questName(0, 0), misspelt } << FileState()
            << FileState() << Refused << QStringList { misspelt } << QString();
    QTest::newRow("qualified with the wrong tab")
            << QStringList { mark, regionCaption(0) + QStringLiteral(": ") + uniqueName(1, 0) }
            << someUniques << someQuests << Refused << QStringList { uniqueName(1, 0) }
            << QString();
    QTest::newRow("a character other than 0 and 1")
            << QStringList { mark, uniqueName(0, 0) } << FileState("0001x0\r\n") << someQuests
            << Refused
            << QStringList { Uniques, QStringLiteral("character 5"), QStringLiteral("\"x\""),
                             regionCaption(0) + QStringLiteral(": ") + uniqueName(0, 4) }
            << QString();
    QTest::newRow("a damaged quests file stops a unique too")
            << QStringList { mark, uniqueName(0, 0) } << someUniques << FileState("0 1\r\n")
            << Refused
            << QStringList { Quests, QStringLiteral("character 2"), QStringLiteral("a space") }
            << QString();
    QTest::newRow("more characters than entries")
            << QStringList { QStringLiteral("unmark"), uniqueName(0, 0) }
            << FileState(QByteArray(158, '1')) << someQuests << Refused
            << QStringList { Uniques, QStringLiteral("157") } << QString();
    QTest::newRow("show refuses a damaged file too")
            << QStringList { QStringLiteral("show") } << someUniques << FileState("2\r\n")
            << Refused << QStringList { Quests, QStringLiteral("character 1") } << QString();
    QTest::newRow("unknown tab") << QStringList { QStringLiteral("show"),
                                                  regionCaption(4).chopped(1) }
                                 << someUniques << someQuests << Refused
                                 << QStringList { regionCaption(4) } << QString();
    QTest::newRow("no names") << QStringList { mark } << someUniques << FileState() << UsageError
                              << QStringList { QStringLiteral("name") } << QString();
    QTest::newRow("unknown command")
            << QStringList { QStringLiteral("tick"), uniqueName(0, 0) } << someUniques << someQuests
            << UsageError << QStringList { QStringLiteral("\"tick\"") } << QString();
    QTest::newRow("publish options elsewhere")
            << QStringList { mark, QStringLiteral("--host"), QStringLiteral("x"), uniqueName(0, 0) }
            << someUniques << someQuests << UsageError << QStringList { QStringLiteral("--host") }
            << QString();
    QTest::newRow("no such folder") << QStringList { mark, QStringLiteral("--folder"),
                                                     QStringLiteral("nowhere"), uniqueName(0, 0) }
                                    << someUniques << someQuests << FileError
                                    << QStringList { QStringLiteral("nowhere") } << QString();

    // A record is never started by accident, and never half changed.
    const QString init = QStringLiteral("init");
    const QStringList startOne { QStringLiteral("@FOLDER@"),
                                 QStringLiteral("\"huntmark-progress init\"") };
    QTest::newRow("mark in a folder without progress files")
            << QStringList { mark, uniqueName(0, 0) } << FileState() << FileState() << Refused
            << startOne + QStringList { QStringLiteral("no progress files") } << QString();
    QTest::newRow("show in a folder without progress files")
            << QStringList { QStringLiteral("show") } << FileState() << FileState() << Refused
            << startOne + QStringList { QStringLiteral("no progress files") } << QString();
    QTest::newRow("unmark beside a lone file")
            << QStringList { QStringLiteral("unmark"), questName(0, 0) } << FileState()
            << someQuests << Refused << startOne + QStringList { Quests, Uniques } << QString();
    QTest::newRow("init where both files are")
            << QStringList { init } << someUniques << FileState(QByteArray()) << Refused
            << QStringList { QStringLiteral("@FOLDER@ already") } << QString();
    QTest::newRow("init takes no names")
            << QStringList { init, uniqueName(0, 0) } << FileState() << FileState() << UsageError
            << QStringList { uniqueName(0, 0) } << QString();
    QTest::newRow("the second file read-only: neither changes")
            << QStringList { mark, uniqueName(0, 0), questName(0, 0) } << someUniques << someQuests
            << FileError
            << QStringList { Quests, QStringLiteral("read-only"), QStringLiteral("neither") }
            << Quests;
    QTest::newRow("the first file read-only")
            << QStringList { mark, questName(0, 0), uniqueName(0, 0) } << someUniques << someQuests
            << FileError << QStringList { Uniques, QStringLiteral("read-only") } << Uniques;
}

void ProgressToolTest::refusalLeavesFilesAsTheyWere()
{
    QFETCH(QStringList, arguments);
    QFETCH(FileState, uniques);
    QFETCH(FileState, quests);
    QFETCH(int, status);
    QFETCH(QStringList, saying);
    QFETCH(QString, readOnly);

    ProgramFolder folder;
    setFile(folder, Uniques, uniques);
    setFile(folder, Quests, quests);
    if (!readOnly.isEmpty())
        QVERIFY(QFile::setPermissions(folder.filePath(readOnly), QFileDevice::ReadOwner));

    const progresstool::Outcome outcome = progresstool::run(arguments, { folder.path() });
    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.output, QString());
    QVERIFY(outcome.error.startsWith(QLatin1String("huntmark-progress: ")));
    QCOMPARE(outcome.error.count(QLatin1Char('\n')), 1);
    for (QString part : saying)
        QVERIFY2(outcome.error.contains(part.replace(QStringLiteral("@FOLDER@"), folder.path())),
                 qPrintable(outcome.error));
    QCOMPARE(fileState(folder, Uniques), uniques);
    QCOMPARE(fileState(folder, Quests), quests);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(),
             int(bool(uniques)) + int(bool(quests)));
}

void ProgressToolTest::namesakeRefusalListsEveryCandidate()
{
    const Namesake namesake = questNamesake();
    ProgramFolder folder;
    const QByteArray before = line(flagsWithOnesAt(63, { 5 }));
    folder.write(Quests, before);

    const auto outcome =
            progresstool::run({ QStringLiteral("mark"), uniqueName(0, 0), namesake.name.toUpper() },
                              { folder.path() });
    QCOMPARE(outcome.status, Refused);
    QCOMPARE(outcome.output, QString());
    QStringList lines = outcome.error.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(lines.takeFirst().contains(QStringLiteral("%1 entries").arg(namesake.entries.size())),
             qPrintable(outcome.error));
    QStringList expected;
    for (const auto &[g, i] : namesake.entries)
        expected.append(groupCaption(g) + QStringLiteral(": ") + namesake.name);
    QCOMPARE(lines, expected);
    QCOMPARE(folder.read(Quests), before);
    QVERIFY(!folder.exists(Uniques));
}

// A hard link keeps the old file's contents when the file is replaced by a
// rename, and would see every byte of a write in place.
void ProgressToolTest::replacesFilesInOneStep()
{
    ProgramFolder folder;
    const QByteArray before = line(flagsWithOnesAt(157, { 9 }));
    folder.write(Uniques, before);
    folder.write(Quests, line(QByteArray(catalog::QuestCount, '0')));
    QVERIFY(::link(QFile::encodeName(folder.filePath(Uniques)).constData(),
                   QFile::encodeName(folder.filePath(QStringLiteral("old"))).constData())
            == 0);

    const auto outcome =
            progresstool::run({ QStringLiteral("mark"), uniqueName(0, 0) }, { folder.path() });
    QCOMPARE(outcome.status, 0);
    QCOMPARE(folder.read(Uniques), line(flagsWithOnesAt(157, { 1, 9 })));
    QCOMPARE(folder.read(QStringLiteral("old")), before);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({ QStringLiteral("old"), Quests, Uniques }));
}

// Runs of the real program at once on one folder, each marking a unique and
// a quest of its own, so that every run changes both files: every mark lands.
void ProgressToolTest::concurrentMarksAllLand()
{
    constexpr int Rounds = 4;
    constexpr int RunsAtOnce = 6;
    const QString program = QStringLiteral(HUNTMARK_PROGRAM_DIR "/huntmark-progress");
    QByteArray uniques(catalog::UniqueMonsterCount, '0');
    QByteArray quests(catalog::QuestCount, '0');
    for (int k = 0; k < RunsAtOnce; ++k) {
        uniques[uniquePosition(0, k) - 1] = '1';
        quests[questPosition(k, 0) - 1] = '1';
    }
    for (int round = 0; round < Rounds; ++round) {
        ProgramFolder folder;
        QCOMPARE(progresstool::run({ QStringLiteral("init") }, { folder.path() }).status, 0);
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int k = 0; k < RunsAtOnce; ++k) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setWorkingDirectory(folder.path());
            runs.back()->start(program,
                               { QStringLiteral("mark"), uniqueName(0, k), questName(k, 0) });
        }
        for (const auto &run : runs) {
            QVERIFY(run->waitForFinished(60000));
            QVERIFY2(run->exitStatus() == QProcess::NormalExit && run->exitCode() == 0,
                     run->readAllStandardError().constData());
        }
        QCOMPARE(folder.read(Uniques), line(uniques));
        QCOMPARE(folder.read(Quests), line(quests));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({ Quests, Uniques }));
    }
}

// A run that finds the folder busy for longer than it waits says who holds it.
void ProgressToolTest::saysWhoHoldsTheFolder()
{
    ProgramFolder folder;
    progresstool::Context context { folder.path() };
    context.lockWaitMs = 300;
    QCOMPARE(progresstool::run({ QStringLiteral("init") }, context).status, 0);
    const QByteArray before = folder.read(Uniques);
    QLockFile held(folder.filePath(QStringLiteral(".huntmark-progress.lock")));
    QVERIFY(held.tryLock(0));

    const QStringList mark { QStringLiteral("mark"), uniqueName(0, 0) };
    const progresstool::Outcome outcome = progresstool::run(mark, context);
    QCOMPARE(outcome.status, FileError);
    QVERIFY2(outcome.error.contains(
                     QStringLiteral("process %1").arg(QCoreApplication::applicationPid()))
                     && outcome.error.contains(folder.path()),
             qPrintable(outcome.error));
    QCOMPARE(folder.read(Uniques), before);

    held.unlock();
    QCOMPARE(progresstool::run(mark, context).status, 0);
}

void ProgressToolTest::refusesALockThatIsNoFile_data()
{
    QTest::addColumn<QString>("planted"); // what stands at the lock's path

    QTest::newRow("a folder") << QStringLiteral("folder");
    QTest::newRow("a link to a file") << QStringLiteral("link");
    QTest::newRow("a dangling link") << QStringLiteral("dangling");
}

// A folder or a link in place of the lock never clears: every command says
// so at once, naming it, instead of waiting to give up.
void ProgressToolTest::refusesALockThatIsNoFile()
{
    QFETCH(QString, planted);

    ProgramFolder folder;
    const progresstool::Context context { folder.path() };
    QCOMPARE(progresstool::run({ QStringLiteral("init") }, context).status, 0);
    const QString lock = folder.filePath(QStringLiteral(".huntmark-progress.lock"));
    if (planted == QLatin1String("folder"))
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral(".huntmark-progress.lock")));
    else
        QVERIFY(QFile::link(planted == QLatin1String("link") ? folder.filePath(Uniques)
                                                             : folder.filePath(u"gone"_s),
                            lock));
    const QByteArray before = folder.read(Uniques);

    for (const QStringList &command : { QStringList { QStringLiteral("mark"), uniqueName(0, 0) },
                                        QStringList { QStringLiteral("show") } }) {
        QElapsedTimer took;
        took.start();
        const progresstool::Outcome outcome = progresstool::run(command, context);
        QVERIFY2(took.elapsed() < context.lockWaitMs / 2, qPrintable(outcome.error));
        QCOMPARE(outcome.status, FileError);
        QVERIFY2(outcome.error.contains(lock) && !outcome.error.contains(u"still working"_s),
                 qPrintable(outcome.error));
    }
    QCOMPARE(folder.read(Uniques), before);
}

void ProgressToolTest::show_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>(
            "lines"); // among the output's lines, in this order, spaces simplified

    QTest::newRow("summary") << QStringList {}
                             << QStringList { regionCaption(0) + QStringLiteral(" 2/14"),
                                              regionCaption(18) + QStringLiteral(" 1/8"),
                                              groupCaption(10) + QStringLiteral(" 1/9"),
                                              QStringLiteral("Unique monsters beaten: 3/157"),
                                              QStringLiteral("Quests cleared: 1/63") };
    QTest::newRow("a region, any case, in words")
            << QString(regionCaption(18).toLower()).split(QLatin1Char(' '))
            << QStringList { regionCaption(18) + QStringLiteral(" 1/8"),
                             QStringLiteral("[ ] ") + uniqueName(18, 0),
                             QStringLiteral("[x] ") + uniqueName(18, 7) };
    QTest::newRow("a quest group") << QStringList { groupCaption(10) }
                                   << QStringList { groupCaption(10) + QStringLiteral(" 1/9"),
                                                    QStringLiteral("[ ] ") + questName(10, 7),
                                                    QStringLiteral("[x] ") + questName(10, 8) };
}

void ProgressToolTest::show()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, lines);

    ProgramFolder folder;
    folder.write(Uniques, line(flagsWithOnesAt(157, { 1, 3, 157 })));
    folder.write(Quests, "\"" + flagsWithOnesAt(63, { 63 }) + "\"");
    arguments.prepend(QStringLiteral("show"));

    const auto outcome = progresstool::run(arguments, { folder.path() });
    QCOMPARE(outcome.error, QString());
    QCOMPARE(outcome.status, 0);
    QStringList output;
    for (const QString &line : outcome.output.split(QLatin1Char('\n')))
        output.append(line.simplified());
    qsizetype from = 0;
    for (const QString &expected : lines) {
        from = output.indexOf(expected, from);
        QVERIFY2(from >= 0,
                 qPrintable(expected + QStringLiteral(" not in order in\n") + outcome.output));
    }
}

QTEST_MAIN(ProgressToolTest)
#include "test_progress_tool.moc"
