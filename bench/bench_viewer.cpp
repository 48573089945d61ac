// Measures what the user waits for, each time beside the floor of the work
// that cannot be avoided, taken in the same run: absolute times on a shared
// machine are noisy, ratios much less so.
#include "ftpserver.h"

#include "firstfield.h"
#include "form1.h"
#include "hiddenscripts.h"
#include "historystore.h"
#include "picturepaths.h"
#include "progressfiles.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

double median(std::vector<double> &samples)
{
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

double medianMicroseconds(int repetitions, const std::function<void(int)> &work)
{
    std::vector<double> samples;
    samples.reserve(size_t(repetitions));
    for (int n = 0; n < repetitions; ++n) {
        QElapsedTimer timer;
        timer.start();
        work(n);
        samples.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    return median(samples);
}

// Ours and the floor taken in turns, so a change in the machine's load
// between the two does not tilt their ratio.
std::pair<double, double> medianPairMicroseconds(int repetitions,
                                                 const std::function<void(int)> &ours,
                                                 const std::function<void(int)> &floor)
{
    std::vector<double> oursSamples;
    std::vector<double> floorSamples;
    for (int n = 0; n < repetitions; ++n) {
        oursSamples.push_back(medianMicroseconds(1, [&](int) { ours(n); }));
        floorSamples.push_back(medianMicroseconds(1, [&](int) { floor(n); }));
    }
    return { median(oursSamples), median(floorSamples) };
}

void report(const char *figure, double ours, double floor, const char *floorName)
{
    std::printf("%-22s %10.1f us   floor %10.1f us (%s)   ratio %5.2f\n", figure, ours, floor,
                floorName, ours / floor);
    std::fflush(stdout);
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A program folder like the user's: the generated pictures, progress files,
// and an ncftpget.exe that ends at once instead of reaching for a server.
class BenchFolder
{
public:
    explicit BenchFolder(const QString &builtProgramFolder)
    {
        for (const char *pictures : { "Monsters", "Locations" })
            QFile::link(builtProgramFolder + QLatin1Char('/') + QLatin1String(pictures),
                        m_dir.filePath(QLatin1String(pictures)));
        write(progress::UniquesFileName, QByteArray(80, '1') + QByteArray(77, '0') + "\r\n");
        write(progress::QuestsFileName, QByteArray(30, '1') + QByteArray(33, '0') + "\r\n");
        write(QStringLiteral("ncftpget.exe"), "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(m_dir.filePath(QStringLiteral("ncftpget.exe")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QTemporaryDir m_dir;
};

QListWidget *list(const Form1 &window, const char *name, int index)
{
    return window.findChild<QListWidget *>(
            QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index));
}

void benchSelectingAUnique(const BenchFolder &folder, int repetitions)
{
    Form1 window(folder.path());
    window.Form_Load();
    window.show();
    const int region = 0;
    window.findChild<QWidget *>(QStringLiteral("QVLocations"))->setProperty("Tab", region);
    QListWidget *uniques = list(window, "ListOfUniques", region);
    const int count = uniques->count();
    // Decoding the same two pictures alone, entry by entry.
    const auto decodeBoth = [&](int n) {
        const catalog::UniqueMonster &monster =
                catalog::regions()[region].entries[size_t(n % count)];
        QImageReader(pictures::monsterPicturePath(folder.path(), monster)).read();
        QImageReader(pictures::locationPicturePath(folder.path(), monster)).read();
    };
    // The selection's own work: texts, both pictures, the flag file.
    const auto [ours, floor] = medianPairMicroseconds(
            repetitions, [&](int n) { uniques->setCurrentRow(n % count); }, decodeBoth);
    report("select a unique", ours, floor, "decode both JPEGs");
    // The same, and the repaint it asks for.
    const auto [painted, floor2] = medianPairMicroseconds(
            repetitions,
            [&](int n) {
                uniques->setCurrentRow(n % count);
                QCoreApplication::processEvents();
            },
            decodeBoth);
    report("  ... and its repaint", painted, floor2, "decode both JPEGs");
}

void benchSelectingAQuest(const BenchFolder &folder, int repetitions)
{
    Form1 window(folder.path());
    window.Form_Load();
    window.show();
    window.findChild<QWidget *>(QStringLiteral("QVLocations"))->setProperty("Tab", 19);
    window.findChild<QWidget *>(QStringLiteral("QuestsTab"))->setProperty("Tab", 7);
    QListWidget *quests = list(window, "Quests", 7);
    const int count = quests->count();
    const double ours =
            medianMicroseconds(repetitions, [&](int n) { quests->setCurrentRow(n % count); });
    const QString flags = folder.filePath(progress::QuestsFileName);
    const double floor = medianMicroseconds(
            repetitions, [&](int n) { progress::scanFlagFile(flags, n % 63 + 1); });
    report("select a quest", ours, floor, "read the flag file");
}

// The read that follows a download, at its worst: every line of both files
// changes, so every mark, bar and emphasis is redrawn. The window is the
// active one, so no notification goes out.
void benchReadAfterDownload(const BenchFolder &folder, int repetitions)
{
    Form1 window(folder.path());
    window.Form_Load();
    window.show();
    window.activateWindow();
    QCoreApplication::processEvents();
    const QString uniques = folder.filePath(progress::UniquesFileName);
    const QString quests = folder.filePath(progress::QuestsFileName);
    const auto writeAll = [](const QString &path, int length, char flag) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(QByteArray(length, flag) + "\r\n");
    };
    std::vector<double> ours;
    std::vector<double> uniquesAlone;
    std::vector<double> painted;
    std::vector<double> floor;
    for (int n = 0; n < repetitions; ++n) {
        const char flag = n % 2 ? '0' : '1';
        writeAll(uniques, catalog::UniqueMonsterCount, flag);
        writeAll(quests, catalog::QuestCount, flag);
        QElapsedTimer timer;
        timer.start();
        window.ReadUniquesDefeated();
        uniquesAlone.push_back(double(timer.nsecsElapsed()) / 1000.0);
        window.ReadQuestsCleared();
        ours.push_back(double(timer.nsecsElapsed()) / 1000.0);
        QCoreApplication::processEvents();
        painted.push_back(double(timer.nsecsElapsed()) / 1000.0);
        timer.restart();
        progress::scanFlagFile(uniques, 1, catalog::UniqueMonsterCount);
        progress::scanFlagFile(quests, 1, catalog::QuestCount);
        floor.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    const double floorMedian = median(floor);
    // Every one of these reads writes its changes to the history, one
    // transaction per file.
    // Each file is one read with one transaction; the larger one is the
    // worst single read.
    std::printf("%-22s %10.1f us   limit 5000 us, all 157 lines changing, history write included\n",
                "read UniquesDefeated", median(uniquesAlone));
    report("read after a download", median(ours), floorMedian, "read both flag files");
    std::printf("%-22s both files, every line changing, two history writes\n", "");
    report("  ... and its repaint", median(painted), floorMedian, "read both flag files");
}

// A store of `count` events, as a long-followed player leaves it: reads a
// minute apart that each turn every unique done or back.
void fillHistory(const QString &folder, int count)
{
    history::HistoryStore store(folder + QStringLiteral("/") + history::FileName);
    QDateTime at = QDateTime::currentDateTime().addSecs(-60LL * count);
    QByteArray flags(catalog::UniqueMonsterCount, '0');
    const QByteArray noneNew(catalog::UniqueMonsterCount, '0');
    store.recordRead(history::Kind::Uniques, flags, noneNew, at);
    for (int recorded = 0; recorded < count; recorded += catalog::UniqueMonsterCount) {
        flags.fill(flags[0] == '1' ? '0' : '1');
        at = at.addSecs(60);
        store.recordRead(history::Kind::Uniques, flags, noneNew, at);
    }
    QFile file(folder + QStringLiteral("/UniquesDefeated.txt"));
    if (file.open(QIODevice::WriteOnly))
        file.write(flags + "\r\n");
}

// From File > History to its window drawn, with 20,000 events in the store.
void benchHistoryWindow(int repetitions)
{
    QTemporaryDir folder;
    constexpr int Events = 20000;
    fillHistory(folder.path(), Events);
    std::vector<double> samples;
    for (int n = 0; n < repetitions; ++n) {
        Form1 window(folder.path());
        window.Form_Load();
        window.show();
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        window.findChild<QAction *>(QStringLiteral("OpenHistory"))->trigger();
        window.findChild<QWidget *>(QStringLiteral("History"))->grab();
        samples.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    std::printf("%-22s %10.1f us   limit 150000 us, %d events in the store\n", "open the history",
                median(samples), Events);
    std::fflush(stdout);
}

void benchStartUp(const BenchFolder &folder, int repetitions)
{
    const auto [ours, floor] = medianPairMicroseconds(
            repetitions,
            [&](int) {
                Form1 window(folder.path());
                window.Form_Load();
                window.show();
                window.grab();
            },
            [&](int) {
                QMainWindow window;
                window.setCentralWidget(new QLabel(QStringLiteral("Huntmark (Viewer)")));
                window.show();
                window.grab();
            });
    report("start-up", ours, floor, "bare window, one label");
}

void benchRefresh(const BenchFolder &folder, int repetitions)
{
    Form1 window(folder.path());
    window.Form_Load();
    const QAction *refreshNow = window.findChild<QAction *>(QStringLiteral("RefreshNow"));
    const auto startTrue = [](int) {
        QProcess process;
        process.setProgram(QStringLiteral("/bin/true"));
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.startDetached();
    };
    // One fetch runs at a time and a fetch that falls due meanwhile starts
    // nothing: each timed refresh first waits, untimed, for the last to end.
    std::vector<double> ours;
    std::vector<double> floor;
    for (int n = 0; n < repetitions; ++n) {
        while (!refreshNow->isEnabled())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ours.push_back(medianMicroseconds(1, [&](int) { window.FetchProgress(); }));
        floor.push_back(medianMicroseconds(1, startTrue));
    }
    report("one refresh", median(ours), median(floor), "start /bin/true detached");
}

// The download client in the folder becomes ours, aimed at a server on this
// machine; the home folder, where the client keeps its settings, is the
// bench's own.
void useOurClient(const BenchFolder &folder, quint16 port)
{
    QFile client(folder.filePath(QStringLiteral("ncftpget.exe")));
    if (client.open(QIODevice::WriteOnly | QIODevice::Truncate))
        client.write("#!/bin/sh\nexec '" HUNTMARK_PROGRAM_DIR "/ncftpget.exe' -P "
                     + QByteArray::number(port) + " \"$@\"\n");
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A server that takes the connection and never answers: how long one fetch
// (both files) takes to give up, and how long the window takes to go while
// such a fetch is in flight.
void benchSilentServer(const BenchFolder &folder)
{
    SilentServer silent;
    useOurClient(folder, silent.port());
    auto window = std::make_unique<Form1>(folder.path());
    window->findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
    auto *refresh = window->findChild<QAction *>(QStringLiteral("RefreshNow"));
    QElapsedTimer clock;
    clock.start();
    window->FetchProgress();
    waitUntil([&] { return refresh->isEnabled(); }, 120000);
    std::printf("%-22s %10.1f s    limit 45 s (the next fetch starts after 60 s)\n",
                "fetch, silent server", clock.elapsed() / 1000.0);
    window->FetchProgress();
    const QDir dir(folder.path());
    waitUntil(
            [&] {
                return !dir.entryList({ QStringLiteral(".*.txt.*") }, QDir::Dirs | QDir::Hidden)
                                .isEmpty();
            },
            10000);
    clock.restart();
    window.reset();
    std::printf("%-22s %10.1f ms   limit 1000 ms (helper, clients, script, temporary files)\n",
                "window gone mid-fetch", double(clock.nsecsElapsed()) / 1e6);
    std::fflush(stdout);
}

// A real server: from the end of a download to the window showing it, and
// from a change on the server to the window showing it with the countdown
// running on its own, the change made right after a fetch (the longest
// wait).
void benchServerChange(const BenchFolder &folder)
{
    QTemporaryDir served;
    auto serve = [&](const QByteArray &flags) {
        QFile file(served.filePath(progress::UniquesFileName));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(flags);
    };
    serve(QByteArray(3, '1') + QByteArray(154, '0'));
    QFile::copy(folder.filePath(progress::QuestsFileName),
                served.filePath(progress::QuestsFileName));
    FtpServer server(served.path(), HUNTMARK_FTP_ACCOUNT, "marrowfen");
    if (!server.start()) {
        std::printf("%-22s no FTP server: %s\n", "server change", server.log().constData());
        return;
    }
    useOurClient(folder, server.port());
    Form1 window(folder.path());
    auto *label = window.findChild<QLabel *>(QStringLiteral("LabelDefeated"));
    QElapsedTimer clock;
    clock.start();
    window.Form_Load();
    waitUntil([&] { return label->text() == QLatin1String("Uniques Beaten: 3"); }, 30000);
    std::printf("%-22s %10.1f ms   start-up fetch shown, no selection\n", "download to window",
                double(clock.nsecsElapsed()) / 1e6);
    serve(QByteArray(5, '1') + QByteArray(152, '0'));
    clock.restart();
    const bool shown =
            waitUntil([&] { return label->text() == QLatin1String("Uniques Beaten: 5"); }, 90000);
    std::printf("%-22s %10.1f s    limit 61 s%s\n", "server change shown", clock.elapsed() / 1000.0,
                shown ? "" : " (never shown)");
    std::fflush(stdout);
}

void benchIdle(const BenchFolder &folder, int seconds)
{
    Form1 window(folder.path());
    window.Form_Load();
    window.show();
    QCoreApplication::processEvents();
    const double before = cpuSeconds();
    QTimer::singleShot(seconds * 1000, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    const double used = cpuSeconds() - before;
    std::printf("%-22s %10.3f s CPU over %d s of ticks (%.3f s per minute)\n", "idle", used,
                seconds, used * 60.0 / seconds);
    std::fflush(stdout);
}

void benchMemory(const BenchFolder &folder)
{
    Form1 window(folder.path());
    window.Form_Load();
    window.show();
    QCoreApplication::processEvents();
    auto selectEveryMonster = [&] {
        for (int r = 0; r < catalog::RegionCount; ++r) {
            window.findChild<QWidget *>(QStringLiteral("QVLocations"))->setProperty("Tab", r);
            QListWidget *uniques = list(window, "ListOfUniques", r);
            for (int i = 0; i < uniques->count(); ++i) {
                uniques->setCurrentRow(i);
                QCoreApplication::processEvents();
            }
        }
    };
    const qint64 afterStartUp = residentKiB();
    selectEveryMonster(); // the first round fills caches that stay
    const qint64 afterFirstRound = residentKiB();
    for (int round = 1; round < 10; ++round)
        selectEveryMonster();
    const qint64 afterTenRounds = residentKiB();
    std::printf("%-22s %10lld KiB after start-up, %lld KiB after one round of 157 selections, "
                "%lld KiB after ten: growth over the last nine %lld KiB\n",
                "memory", afterStartUp, afterFirstRound, afterTenRounds,
                afterTenRounds - afterFirstRound);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int idleSeconds = args.size() > 1 ? args.at(1).toInt() : 60;
    const QString builtFolder = QStringLiteral(HUNTMARK_PROGRAM_DIR);
    fetch::setScriptHelperPath(builtFolder + QStringLiteral("/huntmark-batch"));
    if (!QDir(builtFolder + QStringLiteral("/Monsters")).exists()) {
        std::fprintf(stderr, "no pictures in %s: build the project first\n",
                     qPrintable(builtFolder));
        return 1;
    }
    BenchFolder folder(builtFolder);
    std::printf("Huntmark Viewer benchmark (medians; ours against the floor measured in the same "
                "run)\n");
    benchSelectingAUnique(folder, 400);
    benchSelectingAQuest(folder, 2000);
    benchReadAfterDownload(folder, 400);
    benchHistoryWindow(15);
    benchStartUp(folder, 30);
    benchRefresh(folder, 200);
    benchMemory(folder);
    benchIdle(folder, idleSeconds);
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    benchSilentServer(folder);
    benchServerChange(folder);
    return 0;
}
