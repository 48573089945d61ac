// The two progress files as the window reads them: which flag lands in which
// box, the count of uniques beaten, the fall-back to "nothing done" when a
// file cannot be read, and reads while another process rewrites the file.
// What counts as the first field is the formats suite's concern.
#include "badinput_support.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>

#include <sys/stat.h>

using namespace badinput;

namespace {

enum class Kind { Missing, Folder, Unreadable, SymlinkLoop, NamedPipe, Sparse, File };

void putInPlace(const ProgramFolder &folder, const QString &name, Kind kind, const QByteArray &bytes,
                ModeRestorer &restorer)
{
    switch (kind) {
    case Kind::Missing:
        break;
    case Kind::File:
        folder.write(name, bytes);
        break;
    case Kind::Folder:
        QVERIFY(QDir(folder.path()).mkdir(name));
        folder.write(name + QStringLiteral("/flags"), bytes);
        break;
    case Kind::Unreadable:
        folder.write(name, bytes);
        restorer.add(folder.filePath(name), 0600);
        QVERIFY(setMode(folder.filePath(name), 0));
        break;
    case Kind::SymlinkLoop:
        QVERIFY(QFile::link(name, folder.filePath(name)));
        break;
    case Kind::NamedPipe:
        // Nobody ever writes to it: opening it to read would wait forever.
        QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath(name)).constData(), 0600), 0);
        break;
    case Kind::Sparse: {
        // 3 GiB of NUL bytes, no comma, no line end: only the bounded head
        // may be looked at.
        QFile huge(folder.filePath(name));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(qint64(3) << 30));
        break;
    }
    }
}

// Every "0" becomes another byte that is not "1" and does not end the field.
QByteArray withJunkForZeros(const QByteArray &flags)
{
    static const char junk[] = {'\0', '\x01', '\xff', '\x7f', 'A', '\t', '"', '\x80', ' ', '\x1a'};
    QByteArray text = flags;
    int next = 0;
    for (char &c : text) {
        if (c == '0')
            c = junk[next++ % sizeof(junk)];
    }
    return text;
}

// Rewrites a file in place over and over, as the download client does:
// truncate, then write, each text in two pieces.
const char RewriterScript[] = R"(
import os, sys
path, split = sys.argv[1], int(sys.argv[2])
texts = [open(p, 'rb').read() for p in sys.argv[3:]]
i = 0
while True:
    text = texts[i % len(texts)]
    fd = os.open(path, os.O_WRONLY | os.O_TRUNC | os.O_CREAT, 0o644)
    os.write(fd, text[:split])
    os.write(fd, text[split:])
    os.close(fd)
    i += 1
)";

struct Seen
{
    qint64 ones;
    bool flag;
    bool operator==(const Seen &other) const { return ones == other.ones && flag == other.flag; }
};

} // namespace

class ProgressFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void eachEntryReadsItsOwnPosition_data();
    void eachEntryReadsItsOwnPosition();
    void countsAndFlagsOfAFlagText_data();
    void countsAndFlagsOfAFlagText();
    void unreadableFileReadsAsNothingDone_data();
    void unreadableFileReadsAsNothingDone();
    void garbageIsReadByteForByteThroughEveryStep();
    void fileIsReadAgainOnEverySelection();
    void readersShowOnlyOnTheirOwnTab();
    void noSelectionLeavesTheFlagAlone();
    void readsWhileAnotherProcessRewrites_data();
    void readsWhileAnotherProcessRewrites();
};

void ProgressFilesTest::eachEntryReadsItsOwnPosition_data()
{
    QTest::addColumn<bool>("quest");
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("position");
    QTest::newRow("first of region 0") << false << 0 << 0 << 1;
    QTest::newRow("last of region 0") << false << 0 << 13 << 14;
    QTest::newRow("first of region 1") << false << 1 << 0 << 15;
    QTest::newRow("only entry of region 7") << false << 7 << 0 << 70;
    QTest::newRow("third of region 12") << false << 12 << 2 << 111;
    QTest::newRow("last of region 18") << false << 18 << 7 << 157;
    QTest::newRow("top of group 0") << true << 0 << 0 << 1;
    QTest::newRow("top of group 1") << true << 1 << 0 << 4;
    QTest::newRow("last of group 7") << true << 7 << 12 << 48;
    QTest::newRow("last of group 10") << true << 10 << 8 << 63;
}

void ProgressFilesTest::eachEntryReadsItsOwnPosition()
{
    QFETCH(bool, quest);
    QFETCH(int, tab);
    QFETCH(int, index);
    QFETCH(int, position);
    const QString name = quest ? QuestsFile : UniquesFile;
    const int length = quest ? catalog::QuestCount : catalog::UniqueMonsterCount;
    const auto read = [&](Form1 *window, int i) {
        return quest ? selectQuestAndRead(window, tab, i) : selectUniqueAndRead(window, tab, i);
    };
    ProgramFolder folder;
    folder.write(name, flagsWithOnesAt(length, {position}));
    auto window = startedWindow(folder);
    stopClock(window.get());
    QVERIFY(read(window.get(), index));
    if (!quest)
        QCOMPARE(labelText(window.get()), beatenLabel(1));
    if (index > 0)
        QVERIFY(!read(window.get(), index - 1));

    // Its neighbours in the file are not its flag.
    folder.write(name,
                 flagsWithOnesAt(
                         length,
                         {position > 1 ? position - 1 : 2, position < length ? position + 1 : length - 1}));
    QVERIFY(!read(window.get(), index));
}

void ProgressFilesTest::countsAndFlagsOfAFlagText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("firstDone");
    QTest::addColumn<int>("count");
    QTest::newRow("cut at a comma") << flagsWithOnesAt(157, {1, 5, 100}).insert(4, ',') << true << 1;
    QTest::newRow("shorter than the catalog") << QByteArray("1") << true << 1;
    QTest::newRow("other characters are not done") << QByteArray(157, 'x') << false << 0;
    QTest::newRow("40000 ones, far past the catalog") << QByteArray(40000, '1') << true << 40000;
    QTest::newRow("10 MB of 1 without line end") << QByteArray(10 << 20, '1') << true << (10 << 20);
}

void ProgressFilesTest::countsAndFlagsOfAFlagText()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, firstDone);
    QFETCH(int, count);
    ProgramFolder folder;
    folder.write(UniquesFile, file);
    auto window = startedWindow(folder);
    stopClock(window.get());
    QCOMPARE(labelText(window.get()), beatenLabel(count));
    QCOMPARE(selectUniqueAndRead(window.get(), 0, 0), firstDone);
    // The viewer never changes progress.
    QCOMPARE(folder.read(UniquesFile), file);
}

void ProgressFilesTest::unreadableFileReadsAsNothingDone_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("missing") << int(Kind::Missing);
    QTest::newRow("a folder of that name") << int(Kind::Folder);
    QTest::newRow("no read permission") << int(Kind::Unreadable);
    QTest::newRow("a link that points at itself") << int(Kind::SymlinkLoop);
    QTest::newRow("a named pipe without a writer") << int(Kind::NamedPipe);
    QTest::newRow("3 GiB of NUL bytes") << int(Kind::Sparse);
}

void ProgressFilesTest::unreadableFileReadsAsNothingDone()
{
    QFETCH(int, kind);
    if (Kind(kind) == Kind::Unreadable && runningAsRoot())
        QSKIP("root reads a file whatever its permissions; the folder and link cases cover a failing open");

    ProgramFolder folder;
    ModeRestorer restorer;
    putInPlace(folder, UniquesFile, Kind(kind), QByteArray(157, '1'), restorer);
    putInPlace(folder, QuestsFile, Kind(kind), QByteArray(63, '1'), restorer);
    if (QTest::currentTestFailed())
        return;
    // A damaged file must not hold up the window.
    QElapsedTimer clock;
    clock.start();
    auto window = startedWindow(folder);
    stopClock(window.get());
    checkSelections(window.get(), defaultUniques(), defaultQuests());
    QCOMPARE(control<QLineEdit>(window.get(), "TextDefeated", 0)->text(), QStringLiteral("0"));
    QVERIFY2(clock.elapsed() < 30000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
}

void ProgressFilesTest::garbageIsReadByteForByteThroughEveryStep()
{
    // Whatever the first field holds is the flag text, byte for byte, through
    // selections, clicks, tab changes and a whole countdown.
    const QByteArray u = withJunkForZeros(
            flagsWithOnesAt(157, {uniquePosition(0, 0), uniquePosition(7, 0), 20, 100, 157}));
    const QByteArray q = withJunkForZeros(flagsWithOnesAt(63, {1, questPosition(7, 12), 30}));
    ProgramFolder folder;
    folder.write(UniquesFile, u + QByteArray("\r\n\0\x31\x31\x31\r\n", 8));
    folder.write(QuestsFile, q + QByteArray(",\0\x31\x31", 4));
    auto window = startedWindow(folder);
    stopClock(window.get());
    driveAndCheckFlags(window.get(), u, q);
}

void ProgressFilesTest::fileIsReadAgainOnEverySelection()
{
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(157, {2}));
    auto window = startedWindow(folder);
    stopClock(window.get());
    QVERIFY(selectUniqueAndRead(window.get(), 0, 1));
    QCOMPARE(labelText(window.get()), beatenLabel(1));

    folder.write(UniquesFile, flagsWithOnesAt(157, {3, 4, 150}));
    QVERIFY(selectUniqueAndRead(window.get(), 0, 2));
    QCOMPARE(labelText(window.get()), beatenLabel(3));
}

void ProgressFilesTest::readersShowOnlyOnTheirOwnTab()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    stopClock(window.get());
    // The Quests tab current: the uniques reader updates the label only.
    QVERIFY(!selectUniqueAndRead(window.get(), 2, 0));
    selectTab(window.get(), "QVLocations", catalog::RegionCount);
    folder.write(UniquesFile, QByteArray(157, '1'));
    window->ReadUniquesDefeated();
    QCOMPARE(labelText(window.get()), beatenLabel(157));
    QCOMPARE(control<QLineEdit>(window.get(), "TextDefeated", 2)->text(), QStringLiteral("0"));
    QVERIFY(!control<QCheckBox>(window.get(), "CheckDefeated", 2)->isChecked());

    // A region tab current: the quests reader shows nothing.
    QVERIFY(!selectQuestAndRead(window.get(), 4, 1));
    selectTab(window.get(), "QVLocations", 3);
    folder.write(QuestsFile, QByteArray(63, '1'));
    window->ReadQuestsCleared();
    QCOMPARE(control<QLineEdit>(window.get(), "TextCompleted", 4)->text(), QStringLiteral("0"));
    QVERIFY(!control<QCheckBox>(window.get(), "QuestCompleted", 4)->isChecked());
}

void ProgressFilesTest::noSelectionLeavesTheFlagAlone()
{
    // Without a selection the position would fall on the previous list's
    // last entry; that flag is not this list's to show.
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(157, {14}));
    folder.write(QuestsFile, flagsWithOnesAt(63, {3}));
    auto window = startedWindow(folder);
    stopClock(window.get());
    selectTab(window.get(), "QVLocations", 1);
    window->ReadUniquesDefeated();
    QVERIFY(control<QLineEdit>(window.get(), "TextDefeated", 1)->text().isEmpty());
    QVERIFY(!control<QCheckBox>(window.get(), "CheckDefeated", 1)->isChecked());
    QCOMPARE(labelText(window.get()), beatenLabel(1));

    selectTab(window.get(), "QVLocations", catalog::RegionCount);
    selectTab(window.get(), "QuestsTab", 1);
    window->ReadQuestsCleared();
    QVERIFY(control<QLineEdit>(window.get(), "TextCompleted", 1)->text().isEmpty());
    QVERIFY(!control<QCheckBox>(window.get(), "QuestCompleted", 1)->isChecked());
}

void ProgressFilesTest::readsWhileAnotherProcessRewrites_data()
{
    QTest::addColumn<bool>("uniques");
    QTest::newRow("uniques") << true;
    QTest::newRow("quests") << false;
}

void ProgressFilesTest::readsWhileAnotherProcessRewrites()
{
    QFETCH(bool, uniques);

    // Three entries of one tab, so that reading them needs no tab change:
    // one done only in the older version, in the first piece; one done only
    // in the newer version, in the second piece; one done in neither.
    const int length = uniques ? catalog::UniqueMonsterCount : catalog::QuestCount;
    const int split = length / 2;
    const auto position = [&](int tab, int index) {
        return uniques ? uniquePosition(tab, index) : questPosition(tab, index);
    };
    const auto count = [&](int tab) {
        return uniques ? catalog::uniqueMonsterCount(tab) : catalog::questCount(tab);
    };
    int tab = 0;
    while (position(tab, count(tab) - 1) <= split)
        ++tab;
    const QList<Probe> probes{{tab, 0}, {tab, count(tab) - 1}, {tab, 1}};
    QList<int> positions;
    for (const Probe &probe : probes)
        positions.append(position(probe.tab, probe.index));
    const QByteArray older = flagsWithOnesAt(length, {positions[0], 3, 5});
    const QByteArray newer = flagsWithOnesAt(length, {positions[1], 2, 6, 8, 10});
    QVERIFY(positions[0] <= split && positions[1] > split);
    QVERIFY(!flagAt(older, positions[2]) && !flagAt(newer, positions[2]));

    ProgramFolder folder;
    const QString name = uniques ? UniquesFile : QuestsFile;
    folder.write(name, older);
    folder.write(QStringLiteral("older"), older);
    folder.write(QStringLiteral("newer"), newer);
    folder.write(QStringLiteral("rewrite.py"), RewriterScript);
    auto window = startedWindow(folder);
    stopClock(window.get());

    // What a read may find: either version whole, the moment between the
    // truncation and the write (the default), or a first piece alone.
    const QList<QByteArray> states{older, newer, QByteArray(length, '0'), older.left(split),
                                   newer.left(split)};
    QList<QList<Seen>> allowed(probes.size());
    for (qsizetype p = 0; p < probes.size(); ++p) {
        for (const QByteArray &state : states)
            allowed[p].append({uniques ? state.count('1') : -1, flagAt(state, positions[p])});
    }

    QProcess rewriter;
    rewriter.setProgram(QStringLiteral("/usr/bin/python3"));
    rewriter.setArguments({folder.filePath(QStringLiteral("rewrite.py")), folder.filePath(name),
                           QString::number(split), folder.filePath(QStringLiteral("older")),
                           folder.filePath(QStringLiteral("newer"))});
    endWithThisProcess(rewriter);
    rewriter.start();
    QVERIFY(rewriter.waitForStarted());
    const auto stop = qScopeGuard([&] {
        rewriter.kill();
        rewriter.waitForFinished();
    });

    int reads = 0, olderSeen = 0, newerSeen = 0;
    QElapsedTimer clock;
    clock.start();
    while (reads < 2000 || (clock.elapsed() < 20000 && (olderSeen == 0 || newerSeen == 0))) {
        const qsizetype p = reads % probes.size();
        const bool flag = uniques ? selectUniqueAndRead(window.get(), probes[p].tab, probes[p].index)
                                  : selectQuestAndRead(window.get(), probes[p].tab, probes[p].index);
        if (QTest::currentTestFailed())
            return;
        const qint64 ones = uniques ? labelText(window.get()).section(QLatin1Char(' '), -1).toLongLong() : -1;
        QVERIFY2(allowed[p].contains(Seen{ones, flag}),
                 qPrintable(QStringLiteral("read %1 of probe %2: %3 ones, flag %4")
                                    .arg(reads)
                                    .arg(p)
                                    .arg(ones)
                                    .arg(flag)));
        olderSeen += flag && p == 0;
        newerSeen += flag && p == 1;
        ++reads;
    }
    // Unless both versions showed up, the rewriting never overlapped the reads.
    QVERIFY2(olderSeen > 0 && newerSeen > 0,
             qPrintable(QStringLiteral("older %1, newer %2 in %3 reads")
                                .arg(olderSeen)
                                .arg(newerSeen)
                                .arg(reads)));
    QCOMPARE(rewriter.state(), QProcess::Running);
}

QTEST_MAIN(ProgressFilesTest)
#include "test_progress_files.moc"
