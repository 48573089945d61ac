// Refresh cycles in a row, each with a real script run whose stand-in
// download client rewrites both progress files in place, and with
// selections while it does. Nothing may pile up: memory, open files,
// threads, processes. And no read may show anything but the flags before
// the download, the flags after it, or the all-"0" default of a file that
// is being rewritten at that moment.
//
// The number of cycles comes from HUNTMARK_SOAK_CYCLES: the long run
// (make soak-long) sets thousands, enough to show a leak of a few hundred
// bytes a cycle; by default the run takes some seconds and catches what
// piles up faster.
#include "processes.h"
#include "testfiles.h"
#include "windowdriver.h"

#include "hiddenscripts.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QSaveFile>

#include <algorithm>

#include <sys/wait.h>

namespace {

// GCC and Clang both name the address sanitizer so.
#ifdef __SANITIZE_ADDRESS__
constexpr bool UnderAddressSanitizer = true;
#else
constexpr bool UnderAddressSanitizer = false;
#endif

// Sanitized processes start and run several times slower.
constexpr int DefaultCycles = UnderAddressSanitizer ? 100 : 150;
// Cycles run before the first measurement, so that whatever Qt sets up
// once (fonts, caches, the process machinery) is already there.
constexpr int WarmUpCycles = 50;
// Allocator noise stays below this; over the long run, so does a leak of
// less than about a hundred bytes a cycle.
constexpr qint64 AllowedGrowthKb = 1024;
constexpr int SettleTimeoutMs = 20000;

// The three versions the server hands out in turn. Each has its own count
// and its own flags for the three entries read in between.
QByteArray uniquesVersion(int v)
{
    QByteArray flags(catalog::UniqueMonsterCount, '0');
    flags[v] = '1'; // entry v of region 0
    for (int k = 0; k < 10 * (v + 1); ++k)
        flags[20 + k] = '1';
    return flags;
}

QByteArray questsVersion(int v)
{
    QByteArray flags(catalog::QuestCount, '0');
    flags[v] = '1'; // entry v of quest group 0
    flags[40 + v] = '1';
    return flags;
}

struct Usage
{
    qint64 rssKb = 0;
    int openFiles = 0;
    int threads = 0;
};

Usage currentUsage()
{
    return { residentKiB(), openFileCount(), int(statusFigure("Threads")) };
}

// The id of a child of this process that ended and was never waited for,
// or 0; it is left as it is.
pid_t zombieChild()
{
    siginfo_t info {};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT | __WALL) == 0 ? info.si_pid : 0;
}

void replaceFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    QVERIFY(file.commit());
}

} // namespace

class SoakTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refreshCyclesLeaveNothingBehind();
};

void SoakTest::refreshCyclesLeaveNothingBehind()
{
    bool set = false;
    const int cycles = qEnvironmentVariableIntValue("HUNTMARK_SOAK_CYCLES", &set);
    const int total = set && cycles > WarmUpCycles ? cycles : DefaultCycles;

    fetch::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    ProgramFolder served;
    ProgramFolder folder;
    // Copies the served file over the local one in place, as the real
    // client does: truncate, then write. The helper passes the variable on.
    EnvironmentGuard servedFolder("HUNTMARK_SOAK_SERVED");
    qputenv("HUNTMARK_SOAK_SERVED", QFile::encodeName(served.path()));
    QVERIFY(QFile::copy(QStringLiteral(HUNTMARK_SOAK_CLIENT), folder.filePath(ClientName)));
    QVERIFY(setMode(folder.filePath(ClientName), 0700));
    folder.write(UniquesFile, uniquesVersion(0));
    folder.write(QuestsFile, questsVersion(0));
    replaceFile(served.filePath(UniquesFile), uniquesVersion(0));
    replaceFile(served.filePath(QuestsFile), questsVersion(0));

    auto window = startedWindow(folder);
    stopClock(window.get());
    QCOMPARE(currentTab(window.get(), "QVLocations"), 0);
    auto *list = control<QListWidget>(window.get(), "ListOfUniques", 0);
    auto *box = control<QCheckBox>(window.get(), "CheckDefeated", 0);
    // The window has taken in the end of the fetch when it offers a fetch
    // on request again.
    auto *refreshNow = control<QAction>(window.get(), "RefreshNow");
    const auto settled = [&] {
        return !folder.exists(ScriptName) && processesWorkingIn(folder.path()).isEmpty()
                && refreshNow->isEnabled();
    };
    QTRY_VERIFY_WITH_TIMEOUT(settled(), SettleTimeoutMs);

    // A read: the selected entry's flag and the count, which must both come
    // from one of the versions allowed at that moment.
    qint64 reads = 0;
    qint64 defaultReads = 0;
    const auto readMatches = [&](int entry, const QList<QByteArray> &allowed) {
        list->setCurrentRow(-1);
        list->setCurrentRow(entry);
        ++reads;
        const QString label = labelText(window.get());
        for (const QByteArray &version : allowed) {
            if (label == beatenLabel(version.count('1'))
                && box->isChecked() == flagAt(version, entry + 1)) {
                defaultReads += version == defaultUniques();
                return true;
            }
        }
        qWarning("entry %d: \"%s\", %s", entry, qPrintable(label),
                 box->isChecked() ? "checked" : "unchecked");
        return false;
    };

    Usage baseline;
    qint64 peakRssKb = 0;
    QElapsedTimer clock;
    clock.start();
    for (int cycle = 1; cycle <= total; ++cycle) {
        const int before = (cycle - 1) % 3;
        const int after = cycle % 3;
        replaceFile(served.filePath(UniquesFile), uniquesVersion(after));
        replaceFile(served.filePath(QuestsFile), questsVersion(after));
        const QList<QByteArray> transition { uniquesVersion(before), uniquesVersion(after),
                                             defaultUniques() };

        tick(window.get(), TicksPerFetch);
        QCOMPARE(countdown(window.get()), QString::number(TicksPerFetch));

        // Read while the download runs, until it is through.
        QElapsedTimer waiting;
        waiting.start();
        while (!settled()) {
            QVERIFY2(readMatches(int(reads % 3), transition),
                     qPrintable(QStringLiteral("cycle %1").arg(cycle)));
            QVERIFY2(waiting.elapsed() < SettleTimeoutMs,
                     qPrintable(QStringLiteral("cycle %1 never ended").arg(cycle)));
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        // The read after the script: the new flags without a selection.
        QCOMPARE(labelText(window.get()), beatenLabel(uniquesVersion(after).count('1')));
        for (int entry = 0; entry < 3; ++entry)
            QVERIFY2(readMatches(entry, { uniquesVersion(after) }),
                     qPrintable(QStringLiteral("cycle %1").arg(cycle)));

        // Now and then the Quests tab, and back.
        if (cycle % 10 == 0) {
            const int entry = cycle % 3;
            QCOMPARE(selectQuestAndRead(window.get(), 0, entry),
                     flagAt(questsVersion(after), entry + 1));
            QCOMPARE(selectQuestAndRead(window.get(), 1, 0), false);
            selectTab(window.get(), "QVLocations", 0);
            QCOMPARE(list->currentRow(), -1);
        }

        if (cycle == WarmUpCycles)
            baseline = currentUsage();
        if (cycle > WarmUpCycles)
            peakRssKb = std::max(peakRssKb, currentUsage().rssKb);
    }
    const qint64 elapsed = clock.elapsed();

    QTRY_VERIFY_WITH_TIMEOUT(settled(), SettleTimeoutMs);
    const Usage end = currentUsage();
    qInfo("%d cycles in %lld ms, %lld reads (%lld of a file being rewritten); RSS %lld kB after "
          "warm-up, "
          "%lld kB at the end, %lld kB at most; %d open files, %d threads",
          total, elapsed, reads, defaultReads, baseline.rssKb, end.rssKb, peakRssKb, end.openFiles,
          end.threads);

    QCOMPARE(end.openFiles, baseline.openFiles);
    QCOMPARE(end.threads, baseline.threads);
    QCOMPARE(zombieChild(), 0);
    QVERIFY(processesWorkingIn(folder.path()).isEmpty());
    // The sanitizer keeps freed memory in quarantine, so resident memory
    // says nothing there; its leak checker watches instead.
    if (!UnderAddressSanitizer) {
        QVERIFY2(end.rssKb - baseline.rssKb <= AllowedGrowthKb,
                 qPrintable(QStringLiteral("grew by %1 kB").arg(end.rssKb - baseline.rssKb)));
    }
    fetch::setScriptHelperPath(QString());
}

QTEST_MAIN(SoakTest)
#include "test_soak.moc"
