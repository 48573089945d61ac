// Measures what the user waits for, each time beside the floor of the work
// that cannot be avoided, taken in the same run: absolute times on a shared
// machine are noisy, ratios much less so.
#include "ftpserver.h"
#include "processes.h"
#include "testfiles.h"

#include "allocator.h"
#include "donechart.h"

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
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <poll.h>
#include <sys/resource.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

bool waitUntil(const std::function<bool()> &done, int timeoutMs);

// A store of `count` events, as a long-followed player leaves it: reads a
// minute apart that each turn every unique done or back. The store is made
// by the viewer's own code, the events by one SQL statement.
QDateTime fillHistory(const QString &folder, int count)
{
    const QString path = folder + QStringLiteral("/") + history::FileName;
    const QDateTime start = QDateTime::currentDateTime().addSecs(-60LL * (count / 157 + 2));
    const QByteArray none(catalog::UniqueMonsterCount, '0');
    QByteArray flags = none;
    for (int position = 0; position < catalog::UniqueMonsterCount && position < count; ++position) {
        const int last =
                (count - 1 - position) / catalog::UniqueMonsterCount * catalog::UniqueMonsterCount
                + position;
        flags[position] = (last / catalog::UniqueMonsterCount) % 2 == 0 ? '1' : '0';
    }
    {
        history::HistoryStore store(path);
        store.recordRead(catalog::Kind::Unique, none, none, start);
    }
    {
        StoreConnection filler(path);
        filler.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                   "WHERE i < %1) INSERT INTO events(at, kind, position, done) "
                                   "SELECT %2 + (i / 157 + 1) * 60000, 0, i % 157, "
                                   "(i / 157) % 2 = 0 FROM n; UPDATE state SET flags = x'%3' "
                                   "WHERE kind = 0")
                            .arg(count - 1)
                            .arg(start.toMSecsSinceEpoch())
                            .arg(QString::fromLatin1(flags.toHex())));
    }
    QFile file(folder + QStringLiteral("/UniquesDefeated.txt"));
    if (file.open(QIODevice::WriteOnly))
        file.write(flags + "\r\n");
    return start;
}

// The window started as the user starts it, with what comes after its first
// frame.
void startWindow(Form1 &window)
{
    window.Form_Load();
    window.show();
    waitUntil([&] { return window.startUpFinished(); }, 30000);
}

struct HistoryFigures
{
    double open = 0; // ms, File > History to the window drawn
    double counted = 0; // ms, to the chart's counts read on their thread
    double repaint = 0; // ms, one repaint of the chart
    double read = 0; // ms, a read adding one event, window open
    double readClosed = 0; // ms, the same read before the window was opened
    double memory = 0; // MiB, resident with the window open, more than without
};

// The history window over a store of `events` events: opening it, its chart's
// repaint, and a read that adds an event while it is open, beside the same
// read before it was opened (the store's own write).
HistoryFigures benchHistoryWindow(int events, int repetitions)
{
    QTemporaryDir folder;
    fillHistory(folder.path(), events);
    const QString uniquesFile = folder.filePath(progress::UniquesFileName);
    QByteArray flags = fileBytes(uniquesFile).left(catalog::UniqueMonsterCount);
    auto flipOne = [&](int n) {
        const int position = n % catalog::UniqueMonsterCount;
        flags[position] = flags[position] == '1' ? '0' : '1';
        QFile file(uniquesFile);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(flags + "\r\n");
    };
    HistoryFigures figures;
    std::vector<double> opens;
    for (int n = 0; n < repetitions; ++n) {
        Form1 window(folder.path());
        startWindow(window);
        QCoreApplication::processEvents();
        std::vector<double> closedReads;
        for (int read = 0; n == 0 && read < 20; ++read) {
            flipOne(read);
            closedReads.push_back(medianMicroseconds(1,
                                                     [&](int) {
                                                         window.ReadUniquesDefeated();
                                                         QCoreApplication::processEvents();
                                                     })
                                  / 1000.0);
        }
        const qint64 before = residentKiB();
        QElapsedTimer timer;
        timer.start();
        window.findChild<QAction *>(QStringLiteral("OpenHistory"))->trigger();
        auto *historyWindow = window.findChild<QWidget *>(QStringLiteral("History"));
        historyWindow->grab();
        opens.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (n > 0)
            continue;
        figures.readClosed = median(closedReads);
        auto *chart = historyWindow->findChild<DoneChart *>(QStringLiteral("HistoryChart"));
        waitUntil([&] { return chart->eventCount() >= 0; }, 120000);
        figures.counted = double(timer.nsecsElapsed()) / 1e6;
        QCoreApplication::processEvents();
        figures.memory = double(residentKiB() - before) / 1024.0;
        figures.repaint = medianMicroseconds(30, [&](int) { chart->repaint(); }) / 1000.0;
        std::vector<double> openReads;
        for (int read = 0; read < 20; ++read) {
            flipOne(read);
            openReads.push_back(medianMicroseconds(1,
                                                   [&](int) {
                                                       window.ReadUniquesDefeated();
                                                       QCoreApplication::processEvents();
                                                   })
                                / 1000.0);
        }
        figures.read = median(openReads);
    }
    figures.open = median(opens);
    return figures;
}

void benchHistory()
{
    const HistoryFigures small = benchHistoryWindow(20000, 5);
    const HistoryFigures large = benchHistoryWindow(1000000, 3);
    auto line = [](const char *figure, double at20k, double at1m, const char *target) {
        std::printf("%-22s %8.1f ms at 20,000 events %8.1f ms at 1,000,000   ratio %5.2f   %s\n",
                    figure, at20k, at1m, at1m / at20k, target);
    };
    line("open the history", small.open, large.open, "limits 150 ms and 300 ms, ratio <= 2");
    line("  chart counts read", small.counted, large.counted, "on a thread of their own");
    line("chart repaint", small.repaint, large.repaint, "limit 16 ms, ratio <= 2");
    line("read, history open", small.read, large.read, "ratio <= 2");
    line("  same, never opened", small.readClosed, large.readClosed,
         "the store's own write: open adds < 10 ms");
    std::printf("%-22s %8.1f MiB at 20,000 events %6.1f MiB at 1,000,000   limit 60 MiB more "
                "with the window open\n",
                "history window memory", small.memory, large.memory);
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
    startWindow(window);
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
    constexpr int Rounds = 25;
    for (int round = 0; round < Rounds; ++round)
        selectEveryMonster();
    const qint64 afterRounds = residentKiB();
    std::printf("%-22s %10lld KiB after start-up, %lld KiB after one round of 157 selections, "
                "%lld KiB after %d more: growth over them %lld KiB (limit 1024 KiB)\n",
                "memory", afterStartUp, afterFirstRound, afterRounds, Rounds,
                afterRounds - afterFirstRound);
    std::fflush(stdout);
}

// An X server of the benchmark's own (Xvfb on a free display) and a
// connection to it that sees every top-level window mapped.
class VirtualScreen
{
public:
    VirtualScreen()
    {
        m_server.setProgram(QStringLiteral("Xvfb"));
        m_server.setArguments({ QStringLiteral("-displayfd"), QStringLiteral("1"),
                                QStringLiteral("-screen"), QStringLiteral("0"),
                                QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                QStringLiteral("tcp") });
        m_server.setStandardErrorFile(QProcess::nullDevice());
        m_server.start();
        if (!m_server.waitForStarted() || !m_server.waitForReadyRead(10000))
            return;
        m_display = QStringLiteral(":") + QString::fromLatin1(m_server.readLine().trimmed());
        m_connection = xcb_connect(qPrintable(m_display), nullptr);
        if (xcb_connection_has_error(m_connection))
            return;
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
        m_ready = true;
    }
    ~VirtualScreen()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
        m_server.terminate();
        m_server.waitForFinished(5000);
    }
    bool isReady() const { return m_ready; }
    QString display() const { return m_display; }

    // Waits for the next top-level window to be mapped; false after the
    // time limit.
    bool waitForMap(int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const bool mapped = (event->response_type & ~0x80) == XCB_MAP_NOTIFY;
                std::free(event);
                if (mapped)
                    return true;
            }
            pollfd watch { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
            ::poll(&watch, 1, 50);
        }
        return false;
    }

private:
    QProcess m_server;
    QString m_display;
    xcb_connection_t *m_connection = nullptr;
    bool m_ready = false;
};

// A program folder with a copy of a built viewer in it: the viewer keeps its
// files beside its executable, so every viewer timed gets a folder of its own.
class ViewerCopy
{
public:
    ViewerCopy(const QString &viewer, const QString &builtProgramFolder)
    {
        const QString builtFolder = QFileInfo(viewer).absolutePath();
        m_program = m_dir.filePath(QStringLiteral("huntmark-viewer"));
        QFile::copy(viewer, m_program);
        QFile::copy(builtFolder + QStringLiteral("/huntmark-batch"),
                    m_dir.filePath(QStringLiteral("huntmark-batch")));
        for (const char *pictures : { "Monsters", "Locations" })
            QFile::link(builtProgramFolder + QLatin1Char('/') + QLatin1String(pictures),
                        m_dir.filePath(QLatin1String(pictures)));
        QFile client(m_dir.filePath(QStringLiteral("ncftpget.exe")));
        if (client.open(QIODevice::WriteOnly))
            client.write("#!/bin/sh\nexit 0\n");
        client.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString program() const { return m_program; }

private:
    QTemporaryDir m_dir;
    QString m_program;
};

struct ProcessRun
{
    double mappedMs = -1;
    qint64 residentKiB = -1;
};

// Starts `program` on `screen` and times it from the start of the process to
// its window mapped; its resident memory a second later, once what comes
// after the first frame has been set up. Then ends it, as a desktop would.
ProcessRun timeProcess(VirtualScreen &screen, const QString &program)
{
    ProcessRun run;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), screen.display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(environment);
    process.setProgram(program);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start();
    if (screen.waitForMap(20000))
        run.mappedMs = double(clock.nsecsElapsed()) / 1e6;
    QThread::msleep(1000);
    run.residentKiB = residentKiB(pid_t(process.processId()));
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    return run;
}

// Process start to window mapped under one X server, the viewer and a bare
// window with one label in turns, nine times each (BENCH_STARTUP_ROUNDS for
// more); the earlier builds BENCH_PREVIOUS_VIEWER names, separated by colons,
// take their turns beside them.
void benchProcessStartUp(const QString &builtProgramFolder)
{
    VirtualScreen screen;
    if (!screen.isReady()) {
        std::printf("%-22s no Xvfb: install xvfb to time the process start-up\n",
                    "start-up (process)");
        return;
    }
    std::vector<std::pair<QString, std::unique_ptr<ViewerCopy>>> programs;
    programs.emplace_back(
            QStringLiteral("viewer"),
            std::make_unique<ViewerCopy>(QStringLiteral(HUNTMARK_VIEWER), builtProgramFolder));
    programs.emplace_back(QStringLiteral("bare window"), nullptr);
    const QStringList previous = qEnvironmentVariable("BENCH_PREVIOUS_VIEWER")
                                         .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &viewer : previous)
        programs.emplace_back(QStringLiteral("previous viewer ")
                                      + QString::number(programs.size() - 1),
                              std::make_unique<ViewerCopy>(viewer, builtProgramFolder));
    const int rounds = qMax(9, qEnvironmentVariableIntValue("BENCH_STARTUP_ROUNDS"));
    std::vector<std::vector<double>> times(programs.size());
    std::vector<std::vector<double>> memory(programs.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < programs.size(); ++k) {
            const QString program = programs[k].second ? programs[k].second->program()
                                                       : QStringLiteral(HUNTMARK_BARE_WINDOW);
            const ProcessRun run = timeProcess(screen, program);
            times[k].push_back(run.mappedMs);
            memory[k].push_back(double(run.residentKiB) / 1024.0);
        }
    }
    const double bare = *std::min_element(times[1].begin(), times[1].end());
    for (size_t k = 0; k < programs.size(); ++k) {
        const double fastest = *std::min_element(times[k].begin(), times[k].end());
        std::printf("%-22s %8.1f ms fastest of %d (median %6.1f)  %.2fx the bare window%s   "
                    "resident %5.1f MiB (median)\n",
                    qPrintable(QStringLiteral("start-up: ") + programs[k].first), fastest, rounds,
                    median(times[k]), fastest / bare, k == 0 ? " (limit 1.15x)" : "",
                    median(memory[k]));
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    // The allocator set up as the viewer's main() sets it.
    platform::returnLargeBlocksWhenFreed();
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
    // BENCH_ONLY=history,startup (names below) runs only those figures.
    const QStringList only =
            qEnvironmentVariable("BENCH_ONLY").split(QLatin1Char(','), Qt::SkipEmptyParts);
    auto wants = [&](const char *name) {
        return only.isEmpty() || only.contains(QLatin1String(name));
    };
    std::printf("Huntmark Viewer benchmark (medians; ours against the floor measured in the same "
                "run)\n");
    if (wants("select")) {
        benchSelectingAUnique(folder, 400);
        benchSelectingAQuest(folder, 2000);
    }
    if (wants("read"))
        benchReadAfterDownload(folder, 400);
    if (wants("history"))
        benchHistory();
    if (wants("startup")) {
        benchStartUp(folder, 30);
        benchProcessStartUp(builtFolder);
    }
    if (wants("refresh"))
        benchRefresh(folder, 200);
    if (wants("memory"))
        benchMemory(folder);
    if (wants("idle"))
        benchIdle(folder, idleSeconds);
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    if (wants("fetch")) {
        benchSilentServer(folder);
        benchServerChange(folder);
    }
    return 0;
}
