// Progress files in every state a download, a disk or a hand can leave them
// in. Whatever is there, the window starts, takes selections, tab changes
// and ticks, and shows what the first field of the file says, or the
// all-"0" default when there is none.
#include "badinput_support.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <sys/stat.h>

using namespace badinput;

namespace {

enum class Kind { Missing, File, Folder, Unreadable, SymlinkLoop, NamedPipe };

// The flags the suite puts into the files: several done entries, and probes
// that read both "1" and "0".
QByteArray baseUniques()
{
    const int lastRegion = catalog::RegionCount - 1;
    return flagsWithOnesAt(catalog::UniqueMonsterCount,
                           {uniquePosition(0, 0), uniquePosition(7, 0), 20, 100,
                            uniquePosition(lastRegion, catalog::uniqueMonsterCount(lastRegion) - 1)});
}

QByteArray baseQuests()
{
    return flagsWithOnesAt(catalog::QuestCount,
                           {questPosition(0, 0), questPosition(7, catalog::questCount(7) - 1), 30});
}

// Every "0" becomes another byte that is not "1": the field's length and its
// "1" characters stay where they were, so the same entries are done. None of
// them ends the field (no comma, no line end); a space inside belongs to it.
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

// Text written as UTF-16, as some editors save it: each character followed
// by a NUL byte, behind the two-byte order mark.
QByteArray asUtf16(const QByteArray &text)
{
    QByteArray bytes("\xFF\xFE");
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

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
        // Something inside, so that it is not mistaken for an empty file.
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
    }
}

// A process that rewrites a file in place over and over, the way the
// download client does: truncate, then write. Its texts alternate; with
// `pieces` 2 each text goes in in two writes, so a reader can also find
// the first part alone.
const char RewriterScript[] = R"(
import os, sys
path, pieces, split = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
texts = [open(p, 'rb').read() for p in sys.argv[4:]]
i = 0
while True:
    text = texts[i % len(texts)]
    fd = os.open(path, os.O_WRONLY | os.O_TRUNC | os.O_CREAT, 0o644)
    if pieces == 1:
        os.write(fd, text)
    else:
        os.write(fd, text[:split])
        os.write(fd, text[split:])
    os.close(fd)
    i += 1
)";

// What one read can show: the count of the label (none for the quests)
// and the flag of the selected entry.
struct Seen
{
    qint64 ones;
    bool flag;
    bool operator==(const Seen &other) const { return ones == other.ones && flag == other.flag; }
};

} // namespace

class BadProgressFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void showsWhatTheFirstFieldSays_data();
    void showsWhatTheFirstFieldSays();
    void readsWhileAnotherProcessRewrites_data();
    void readsWhileAnotherProcessRewrites();
};

void BadProgressFilesTest::showsWhatTheFirstFieldSays_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("uniquesBytes");
    QTest::addColumn<QByteArray>("questsBytes");
    QTest::addColumn<QByteArray>("uniquesRead");
    QTest::addColumn<QByteArray>("questsRead");

    const QByteArray u = baseUniques();
    const QByteArray q = baseQuests();
    const QByteArray du = defaultUniques();
    const QByteArray dq = defaultQuests();
    const auto add = [](const char *name, Kind kind, const QByteArray &ub, const QByteArray &qb,
                        const QByteArray &ur,
                        const QByteArray &qr) { QTest::newRow(name) << int(kind) << ub << qb << ur << qr; };

    // No file to read, or nothing in it that is a field: the default.
    add("missing", Kind::Missing, {}, {}, du, dq);
    add("empty", Kind::File, {}, {}, du, dq);
    add("only spaces and line ends", Kind::File, "  \r\n\r\n \n", "\r\n", du, dq);
    add("a folder of that name", Kind::Folder, u, q, du, dq);
    add("no read permission", Kind::Unreadable, u, q, du, dq);
    add("a link that points at itself", Kind::SymlinkLoop, {}, {}, du, dq);
    add("a named pipe without a writer", Kind::NamedPipe, {}, {}, du, dq);

    // Whatever the first field holds is the flag text, byte for byte; a
    // NUL is just another character that is not "1".
    const QByteArray ju = withJunkForZeros(u);
    const QByteArray jq = withJunkForZeros(q);
    add("binary garbage with NUL bytes", Kind::File, ju + QByteArray("\r\n\0\x31\x31\x31\r\n", 8),
        jq + QByteArray(",\0\x31\x31", 4), ju, jq);
    const QByteArray cut("\0\0 1\xFF", 5);
    add("garbage cut short by a comma", Kind::File, cut + ",1111111111", cut + ",1", cut, cut);
    add("1 MB of NUL bytes", Kind::File, QByteArray(1 << 20, '\0'), QByteArray(1 << 20, '\0'),
        QByteArray(1 << 20, '\0'), QByteArray(1 << 20, '\0'));
    // A UTF-16 file is not the ASCII the files are: its bytes are the text,
    // up to the carriage return, and the flags land at other positions.
    add("UTF-16 text", Kind::File, asUtf16(u + "\r\n"), asUtf16(q + "\r\n"), asUtf16(u), asUtf16(q));

    // Editors put a UTF-8 byte-order mark in front of plain ASCII; the
    // reader passes over it rather than shifting every flag by three.
    add("byte-order mark", Kind::File, "\xEF\xBB\xBF" + u + "\r\n", "\xEF\xBB\xBF" + q, u, q);
    add("only CR line ends", Kind::File, "\r" + u + "\r" + QByteArray(200, '1') + "\r",
        q + "\r" + QByteArray(63, '1'), u, q);
    // An opening quote without its closing one takes everything to the end,
    // line ends and commas included; the extra "1" characters count.
    add("quote left open", Kind::File, "\"" + u + "\r\n11,1\r\n", "\"" + q + "\r\n1", u + "\r\n11,1\r\n",
        q + "\r\n1");
    const QByteArray tenMegabytes(10 << 20, '1');
    add("10 MB of 1 without line end", Kind::File, tenMegabytes, tenMegabytes, tenMegabytes, tenMegabytes);
}

void BadProgressFilesTest::showsWhatTheFirstFieldSays()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, uniquesBytes);
    QFETCH(QByteArray, questsBytes);
    QFETCH(QByteArray, uniquesRead);
    QFETCH(QByteArray, questsRead);

    if (Kind(kind) == Kind::Unreadable && runningAsRoot())
        QSKIP("root reads a file whatever its permissions; the folder and link cases cover a failing open");

    ProgramFolder folder;
    ModeRestorer restorer;
    putInPlace(folder, UniquesFile, Kind(kind), uniquesBytes, restorer);
    putInPlace(folder, QuestsFile, Kind(kind), questsBytes, restorer);
    if (QTest::currentTestFailed())
        return;

    // A damaged file must not hold up the window: every read below goes to
    // the file again, the 10 MB ones included.
    QElapsedTimer clock;
    clock.start();
    auto window = startedWindow(folder);
    stopClock(window.get());
    QCOMPARE(currentTab(window.get(), "QVLocations"), 0);
    driveAndCheckFlags(window.get(), uniquesRead, questsRead);
    QVERIFY2(clock.elapsed() < 30000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));

    // The viewer never changes progress.
    if (Kind(kind) == Kind::File) {
        QCOMPARE(folder.read(UniquesFile), uniquesBytes);
        QCOMPARE(folder.read(QuestsFile), questsBytes);
    }
}

void BadProgressFilesTest::readsWhileAnotherProcessRewrites_data()
{
    QTest::addColumn<bool>("uniques");
    QTest::addColumn<int>("pieces");

    QTest::newRow("uniques, whole writes") << true << 1;
    QTest::newRow("uniques, written in two pieces") << true << 2;
    QTest::newRow("quests, whole writes") << false << 1;
    QTest::newRow("quests, written in two pieces") << false << 2;
}

void BadProgressFilesTest::readsWhileAnotherProcessRewrites()
{
    QFETCH(bool, uniques);
    QFETCH(int, pieces);

    // Three entries of one tab, so that reading them needs no tab change:
    // one done only in the older version, in the first piece; one done only
    // in the newer version, in the second piece; one done in neither, which
    // no read may ever show as done.
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

    // What a read may find: either version whole; the moment between the
    // truncation and the write, which reads as the default; and, when the
    // text goes in two pieces, the first piece alone. The quests have no
    // count on screen, only their flags.
    QList<QByteArray> states{older, newer, QByteArray(length, '0')};
    if (pieces == 2)
        states << older.left(split) << newer.left(split);
    QList<QList<Seen>> allowed(probes.size());
    for (qsizetype p = 0; p < probes.size(); ++p) {
        for (const QByteArray &state : std::as_const(states))
            allowed[p].append({uniques ? state.count('1') : -1, flagAt(state, positions[p])});
    }

    QProcess rewriter;
    rewriter.setProgram(QStringLiteral("/usr/bin/python3"));
    rewriter.setArguments({folder.filePath(QStringLiteral("rewrite.py")), folder.filePath(name),
                           QString::number(pieces), QString::number(split),
                           folder.filePath(QStringLiteral("older")),
                           folder.filePath(QStringLiteral("newer"))});
    rewriter.setStandardOutputFile(QProcess::nullDevice());
    endWithThisProcess(rewriter);
    rewriter.start();
    QVERIFY(rewriter.waitForStarted());
    const auto stop = qScopeGuard([&] {
        rewriter.kill();
        rewriter.waitForFinished();
    });

    int reads = 0;
    int olderSeen = 0;
    int newerSeen = 0;
    QElapsedTimer clock;
    clock.start();
    while (reads < 2000 || (clock.elapsed() < 20000 && (olderSeen == 0 || newerSeen == 0))) {
        const qsizetype p = reads % probes.size();
        const Probe probe = probes[p];
        const bool flag = uniques ? selectUniqueAndRead(window.get(), probe.tab, probe.index)
                                  : selectQuestAndRead(window.get(), probe.tab, probe.index);
        if (QTest::currentTestFailed())
            return;
        const qint64 ones = uniques ? labelText(window.get()).section(QLatin1Char(' '), -1).toLongLong() : -1;
        const Seen seen{ones, flag};
        QVERIFY2(allowed[p].contains(seen),
                 qPrintable(QStringLiteral("read %1 of entry (%2, %3): %4 ones, flag %5")
                                    .arg(reads)
                                    .arg(probe.tab)
                                    .arg(probe.index)
                                    .arg(seen.ones)
                                    .arg(seen.flag)));
        if (flag && p == 0)
            ++olderSeen;
        if (flag && p == 1)
            ++newerSeen;
        ++reads;
    }
    // Unless both versions showed up, the rewriting never overlapped the
    // reads and nothing was tested.
    QVERIFY2(olderSeen > 0 && newerSeen > 0,
             qPrintable(QStringLiteral("older %1, newer %2 times in %3 reads")
                                .arg(olderSeen)
                                .arg(newerSeen)
                                .arg(reads)));
    QCOMPARE(rewriter.state(), QProcess::Running);
}

QTEST_MAIN(BadProgressFilesTest)
#include "test_bad_progress_files.moc"
