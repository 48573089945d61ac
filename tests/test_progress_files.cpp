// The two progress files as the window reads them: which flag lands in which
// box, the count of uniques beaten, the fall-back to "nothing done" when a
// file cannot be read, and reads while another process rewrites the file.
// What counts as the first field is the formats suite's concern.
#include "processes.h"
#include "testfiles.h"
#include "windowdriver.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>

namespace {

// Every "0" becomes another byte that is not "1" and does not end the field.
QByteArray withJunkForZeros(const QByteArray &flags)
{
    static const char junk[] = {
        '\0', '\x01', '\xff', '\x7f', 'A', '\t', '"', '\x80', ' ', '\x1a'
    };
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

private Q_SLOTS:
    void countsAndFlagsOfAFlagText_data();
    void countsAndFlagsOfAFlagText();
    void unreadableFileReadsAsNothingDone_data();
    void unreadableFileReadsAsNothingDone();
    void garbageIsReadByteForByteThroughEveryStep();
    void readersShowOnlyWhatIsTheirs();
    void readsWhileAnotherProcessRewrites();
};

void ProgressFilesTest::countsAndFlagsOfAFlagText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("firstDone");
    QTest::addColumn<int>("count");
    QTest::newRow("shorter than the catalog") << QByteArray("1") << true << 1;
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
    QTest::addColumn<Place>("place");
    QTest::newRow("missing") << Place::Missing;
    QTest::newRow("a folder of that name") << Place::Folder;
    QTest::newRow("no read permission") << Place::Unreadable;
    QTest::newRow("a link that points at itself") << Place::SymlinkLoop;
    QTest::newRow("a named pipe without a writer") << Place::NamedPipe;
    QTest::newRow("3 GiB of NUL bytes") << Place::Sparse;
}

void ProgressFilesTest::unreadableFileReadsAsNothingDone()
{
    QFETCH(Place, place);
    if (place == Place::Unreadable && runningAsRoot())
        QSKIP("root reads a file whatever its permissions; the folder and link cases cover a "
              "failing open");

    ProgramFolder folder;
    ModeRestorer restorer;
    putInPlace(folder, UniquesFile, place, QByteArray(157, '1'), restorer);
    putInPlace(folder, QuestsFile, place, QByteArray(63, '1'), restorer);
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
            flagsWithOnesAt(157, { uniquePosition(0, 0), uniquePosition(7, 0), 20, 100, 157 }));
    const QByteArray q = withJunkForZeros(flagsWithOnesAt(63, { 1, questPosition(7, 12), 30 }));
    ProgramFolder folder;
    folder.write(UniquesFile, u + QByteArray("\r\n\0\x31\x31\x31\r\n", 8));
    folder.write(QuestsFile, q + QByteArray(",\0\x31\x31", 4));
    auto window = startedWindow(folder);
    stopClock(window.get());
    driveAndCheckFlags(window.get(), u, q);
}

void ProgressFilesTest::readersShowOnlyWhatIsTheirs()
{
    ProgramFolder folder;
    folder.write(UniquesFile, flagsWithOnesAt(157, { 14 }));
    folder.write(QuestsFile, flagsWithOnesAt(63, { 3 }));
    auto window = startedWindow(folder);
    stopClock(window.get());
    const auto flagShown = [&](const char *text, const char *box, int tab) -> QString {
        return control<QLineEdit>(window.get(), text, tab)->text() + u'/'
                + (control<QCheckBox>(window.get(), box, tab)->isChecked()
                           ? QStringLiteral("checked")
                           : QStringLiteral("unchecked"));
    };
    // Without a selection the position would fall on the previous list's
    // last entry; that flag is not this list's to show.
    selectTab(window.get(), "QVLocations", 1);
    window->ReadUniquesDefeated();
    QCOMPARE(flagShown("TextDefeated", "CheckDefeated", 1), QStringLiteral("/unchecked"));
    QCOMPARE(labelText(window.get()), beatenLabel(1));
    selectTab(window.get(), "QVLocations", catalog::RegionCount);
    selectTab(window.get(), "QuestsTab", 1);
    window->ReadQuestsCleared();
    QCOMPARE(flagShown("TextCompleted", "QuestCompleted", 1), QStringLiteral("/unchecked"));

    // The Quests tab current: the uniques reader updates the label only.
    QVERIFY(!selectUniqueAndRead(window.get(), 2, 0));
    selectTab(window.get(), "QVLocations", catalog::RegionCount);
    folder.write(UniquesFile, QByteArray(157, '1'));
    window->ReadUniquesDefeated();
    QCOMPARE(labelText(window.get()), beatenLabel(157));
    QCOMPARE(flagShown("TextDefeated", "CheckDefeated", 2), QStringLiteral("0/unchecked"));
    // A region tab current: the quests reader shows nothing.
    QVERIFY(!selectQuestAndRead(window.get(), 4, 1));
    selectTab(window.get(), "QVLocations", 3);
    folder.write(QuestsFile, QByteArray(63, '1'));
    window->ReadQuestsCleared();
    QCOMPARE(flagShown("TextCompleted", "QuestCompleted", 4), QStringLiteral("0/unchecked"));
}

// Both readers take the file through the same scan; the uniques reader also
// shows a count, so two values of one read must come from one version.
void ProgressFilesTest::readsWhileAnotherProcessRewrites()
{
    // Three entries of one region, so that reading them needs no tab change:
    // one done only in the older version, in the first piece; one done only
    // in the newer version, in the second piece; one done in neither.
    const int length = catalog::UniqueMonsterCount;
    const int split = length / 2;
    int tab = 0;
    while (uniquePosition(tab, catalog::uniqueMonsterCount(tab) - 1) <= split)
        ++tab;
    const QList<int> indices { 0, catalog::uniqueMonsterCount(tab) - 1, 1 };
    QList<int> positions;
    for (int index : indices)
        positions.append(uniquePosition(tab, index));
    const QByteArray older = flagsWithOnesAt(length, { positions[0], 3, 5 });
    const QByteArray newer = flagsWithOnesAt(length, { positions[1], 2, 6, 8, 10 });
    QVERIFY(positions[0] <= split && positions[1] > split);
    QVERIFY(!flagAt(older, positions[2]) && !flagAt(newer, positions[2]));

    ProgramFolder folder;
    folder.write(UniquesFile, older);
    folder.write(QStringLiteral("older"), older);
    folder.write(QStringLiteral("newer"), newer);
    folder.write(QStringLiteral("rewrite.py"), RewriterScript);
    auto window = startedWindow(folder);
    stopClock(window.get());

    // What a read may find: either version whole, the moment between the
    // truncation and the write (the default), or a first piece alone.
    const QList<QByteArray> states { older, newer, QByteArray(length, '0'), older.left(split),
                                     newer.left(split) };
    QList<QList<Seen>> allowed(indices.size());
    for (qsizetype p = 0; p < indices.size(); ++p) {
        for (const QByteArray &state : states)
            allowed[p].append({ state.count('1'), flagAt(state, positions[p]) });
    }

    QProcess rewriter;
    rewriter.setProgram(QStringLiteral("/usr/bin/python3"));
    rewriter.setArguments({ folder.filePath(QStringLiteral("rewrite.py")),
                            folder.filePath(UniquesFile), QString::number(split),
                            folder.filePath(QStringLiteral("older")),
                            folder.filePath(QStringLiteral("newer")) });
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
        const qsizetype p = reads % indices.size();
        const bool flag = selectUniqueAndRead(window.get(), tab, indices[p]);
        if (QTest::currentTestFailed())
            return;
        const qint64 ones = labelText(window.get()).section(QLatin1Char(' '), -1).toLongLong();
        QVERIFY2(allowed[p].contains(Seen { ones, flag }),
                 qPrintable(QString::asprintf("read %d: %lld ones, flag %d", reads, ones, flag)));
        olderSeen += flag && p == 0;
        newerSeen += flag && p == 1;
        ++reads;
    }
    // Unless both versions showed up, the rewriting never overlapped the reads.
    QVERIFY2(olderSeen > 0 && newerSeen > 0,
             qPrintable(QString::asprintf("older %d, newer %d in %d reads", olderSeen, newerSeen,
                                          reads)));
    QCOMPARE(rewriter.state(), QProcess::Running);
}

QTEST_MAIN(ProgressFilesTest)
#include "test_progress_files.moc"
