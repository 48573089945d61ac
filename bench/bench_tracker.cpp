// Measures what the followed player waits for in Huntmark Tracker, each
// figure beside its target: a click until both files are on disk, a click
// until the server's files changed (a real FTP server on this machine, the
// deliberate two seconds included), Find's results after three letters, and
// the window's start beside the viewer's own start, measured in turns.
#include "ftpserver.h"

#include "autopublisher.h"
#include "checklist.h"
#include "findpanel.h"
#include "form1.h"
#include "progressfolder.h"
#include "trackerwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using progresstool::Entry;
using progresstool::Kind;

const QString Uniques = QStringLiteral("UniquesDefeated.txt");
const QString Quests = QStringLiteral("QuestsCleared.txt");

double median(std::vector<double> samples)
{
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void seed(const QTemporaryDir &folder)
{
    writeFile(folder.filePath(Uniques), QByteArray(80, '1') + QByteArray(77, '0') + "\r\n");
    writeFile(folder.filePath(Quests), QByteArray(30, '1') + QByteArray(33, '0') + "\r\n");
}

void report(const char *figure, double ours, const char *target)
{
    std::printf("%-38s %10.2f ms   target %s\n", figure, ours, target);
    std::fflush(stdout);
}

void noServer(TrackerWindow &window)
{
    window.autoPublisher()->setAccount(
            { QStringLiteral("127.0.0.1"), QStringLiteral("nobody"), "none", freeLoopbackPort() });
}

// A click on a line's box, until both files hold the mark.
void benchClick(int repetitions)
{
    QTemporaryDir folder;
    seed(folder);
    TrackerWindow window(folder.path(), QString());
    noServer(window);
    window.show();
    CheckList *list = window.list(Kind::Unique, 0);
    const QRect line = list->visualRect(list->model()->index(0, 0));
    const QPoint box(line.left() + line.height() / 2, line.center().y());
    // The floor: the same change written alone, lock, both reads, the
    // synced write and the rename, without the window.
    QTemporaryDir bare;
    seed(bare);
    ProgressFolder files;
    files.open(bare.path());
    const Entry first = progresstool::catalogEntries().first();
    std::vector<double> samples;
    std::vector<double> floor;
    for (int n = 0; n < repetitions; ++n) {
        samples.push_back(milliseconds(
                [&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box); }));
        QString error;
        floor.push_back(milliseconds([&] { files.setDone({ first }, n % 2 == 0, &error); }));
    }
    std::printf("%-38s %10.2f ms   floor %.2f ms (the write alone: lock, read, fsync, "
                "rename)   target < 5 ms\n",
                "click -> both files on disk", median(samples), median(floor));
    std::fflush(stdout);
}

// Three letters typed into Find, until the results are listed.
void benchFind(int repetitions)
{
    QTemporaryDir folder;
    seed(folder);
    TrackerWindow window(folder.path(), QString());
    noServer(window);
    window.show();
    auto *field = window.findChild<QLineEdit *>(QStringLiteral("FindText"));
    std::vector<double> samples;
    for (int n = 0; n < repetitions; ++n) {
        window.findPanel()->close();
        field->clear();
        samples.push_back(milliseconds([&] {
            QTest::keyClicks(window.list(Kind::Unique, 0), QStringLiteral("g"));
            QTest::keyClicks(field, QStringLiteral("ra"));
            QCoreApplication::processEvents();
        }));
    }
    report("find: three letters -> results shown", median(samples), "< 16 ms");
}

// A click until the server's files changed, the wait after the last change
// included.
void benchPublish(int repetitions)
{
    QTemporaryDir local;
    QTemporaryDir served;
    seed(local);
    FtpServer server(served.path(), "publisher@huntmark.example", "bench", FtpServer::Writable);
    if (!server.start()) {
        std::printf("click -> server's files: the FTP server did not start\n");
        return;
    }
    TrackerWindow window(local.path(), QString());
    window.autoPublisher()->setAccount({ QStringLiteral("127.0.0.1"),
                                         QStringLiteral("publisher@huntmark.example"), "bench",
                                         server.port() });
    window.show();
    const auto settled = [&] {
        return !window.autoPublisher()->isRunning()
                && readFile(served.filePath(Uniques)) == readFile(local.filePath(Uniques));
    };
    if (!QTest::qWaitFor(settled, 30000))
        std::printf("click -> server's files: the first publish did not end\n");
    std::vector<double> samples;
    for (int n = 0; n < repetitions; ++n) {
        const QByteArray before = readFile(served.filePath(Uniques));
        samples.push_back(milliseconds([&] {
            window.toggle(progresstool::catalogEntries().at(n));
            if (!QTest::qWaitFor([&] { return readFile(served.filePath(Uniques)) != before; },
                                 30000))
                std::printf("click -> server's files: no change within 30 s\n");
        }));
        if (!QTest::qWaitFor(settled, 30000))
            std::printf("click -> server's files: a publish did not end\n");
    }
    report("click -> the server's files changed", median(samples),
           "< 3000 ms (2000 of it waiting)");
}

// The tracker's start beside the viewer's, in turns: from making the window
// to its first frame. Closing it is timed apart, since neither user waits
// for it at the start.
void benchStartUp(int repetitions)
{
    QTemporaryDir folder;
    seed(folder);
    const QString pictures = QStringLiteral(HUNTMARK_PROGRAM_DIR);
    std::vector<double> tracker;
    std::vector<double> viewer;
    std::vector<double> trackerClosing;
    std::vector<double> viewerClosing;
    for (int n = 0; n < repetitions; ++n) {
        std::unique_ptr<TrackerWindow> trackerWindow;
        tracker.push_back(milliseconds([&] {
            trackerWindow = std::make_unique<TrackerWindow>(folder.path(), pictures);
            trackerWindow->show();
            trackerWindow->grab();
        }));
        trackerClosing.push_back(milliseconds([&] { trackerWindow.reset(); }));
        std::unique_ptr<Form1> viewerWindow;
        viewer.push_back(milliseconds([&] {
            viewerWindow = std::make_unique<Form1>(folder.path());
            viewerWindow->Form_Load();
            viewerWindow->show();
            viewerWindow->grab();
        }));
        viewerClosing.push_back(milliseconds([&] { viewerWindow.reset(); }));
    }
    const double ours = median(tracker);
    const double theirs = median(viewer);
    std::printf("%-38s %10.2f ms   viewer %.2f ms   ratio %.2f   target <= 1.25\n",
                "tracker start -> window shown", ours, theirs, ours / theirs);
    std::printf("%-38s %10.2f ms   viewer %.2f ms\n", "closing the window", median(trackerClosing),
                median(viewerClosing));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    // One figure alone when named: click, find, start or publish.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto wanted = [&](const char *name) {
        return only.isEmpty() || only == QLatin1String(name);
    };
    if (wanted("click"))
        benchClick(200);
    if (wanted("find"))
        benchFind(100);
    if (wanted("start"))
        benchStartUp(20);
    if (wanted("publish"))
        benchPublish(5);
    return 0;
}
