// Grabs the window as a user sees it for the README: a region with a
// selected monster and both its pictures, and a quest with its steps, with
// the other player's progress (the demo player's, as a fresh demo starts)
// marked and its last few entries just turned done; optionally the region
// once more in a dark palette, and the history window after a day and a half
// of following. Runs on the offscreen platform, so it needs no display.
#include "catalog.h"
#include "form1.h"
#include "progressfiles.h"
#include "progresshistory.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void select(Form1 &window, const char *tabControl, int tab)
{
    window.findChild<QWidget *>(QLatin1String(tabControl))->setProperty("Tab", tab);
}

void selectRow(Form1 &window, const char *list, int index, int row)
{
    window.findChild<QListWidget *>(QStringLiteral("%1(%2)").arg(QLatin1String(list)).arg(index))
            ->setCurrentRow(row);
}

bool grab(Form1 &window, const QString &path)
{
    QCoreApplication::processEvents();
    return window.grab().save(path);
}

// The region and the quest group the pictures show, and the line selected in each.
constexpr int ShownRegion = 2;
constexpr int ShownMonster = 7;
constexpr int ShownGroup = 0;
constexpr int ShownQuest = 1;

// The flags with the last `count` done entries up to `lastPosition` (1-based)
// not done yet, so that they turn done, in view, when the flags are read.
QByteArray earlier(QByteArray flags, int count, qsizetype lastPosition)
{
    for (qsizetype i = qMin(lastPosition, flags.size()) - 1; i >= 0 && count > 0; --i) {
        if (flags[i] == '1') {
            flags[i] = '0';
            --count;
        }
    }
    return flags;
}

// Starts the window on the progress as it stood a little earlier, then reads
// the progress as it is now: what turned done in between shows as new. The
// window is the active one, so no desktop notification goes out.
bool startWithProgress(Form1 &window, const QTemporaryDir &folder, const QString &progressFolder)
{
    QList<std::pair<QString, QByteArray>> now;
    for (const QString &name : { progress::UniquesFileName, progress::QuestsFileName }) {
        QFile file(progressFolder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "screenshot: cannot read %s\n", qPrintable(file.fileName()));
            return false;
        }
        now.append({ name, file.readAll() });
    }
    // The lines just above the selected monster, and the selected quest, show as new.
    const int shownMonster =
            *catalog::flagPosition(catalog::Kind::Unique, ShownRegion, ShownMonster);
    const int shownQuest = *catalog::flagPosition(catalog::Kind::Quest, ShownGroup, ShownQuest);
    write(folder, now[0].first, earlier(now[0].second, 2, shownMonster - 1));
    write(folder, now[1].first, earlier(now[1].second, 1, shownQuest));
    window.Form_Load();
    window.show();
    window.activateWindow();
    QCoreApplication::processEvents();
    for (const auto &[name, flags] : now)
        write(folder, name, flags);
    window.FetchProgress();
    return true;
}

// The demo player's last entries replayed one read at a time, on a clock
// running from yesterday evening to this morning, one of them taken back
// and done again, then the history window with a row selected.
bool grabHistory(const QString &pictures, const QString &progressFolder, const QString &path)
{
    QTemporaryDir folder;
    for (const char *sub : { "Monsters", "Locations" })
        QFile::link(pictures + QLatin1Char('/') + QLatin1String(sub),
                    folder.filePath(QLatin1String(sub)));
    QList<QByteArray> now;
    const QString names[] = { progress::UniquesFileName, progress::QuestsFileName };
    for (const QString &name : names) {
        QFile file(progressFolder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        now.append(file.readAll());
    }
    QList<QByteArray> flags = { earlier(now[0], 9, now[0].size()),
                                earlier(now[1], 4, now[1].size()) };
    Form1 window(folder.path());
    write(folder, names[0], flags[0]);
    write(folder, names[1], flags[1]);
    window.Form_Load();
    auto *history = window.findChild<ProgressHistory *>(QStringLiteral("ProgressHistory"));
    QDateTime clock(QDate::currentDate().addDays(-1), QTime(18, 10));
    const int minutesBetween[] = { 0, 7, 26, 41, 12, 95, 3, 640, 18, 9, 33, 21, 5, 48 };
    int step = 0;
    auto readAt = [&] {
        clock = clock.addSecs(60 * minutesBetween[step++ % std::size(minutesBetween)]);
        history->setClock([time = clock] { return time; });
        write(folder, names[0], flags[0]);
        write(folder, names[1], flags[1]);
        window.ReadUniquesDefeated();
        window.ReadQuestsCleared();
    };
    // Two uniques for every quest, in catalog order.
    for (int turn = 0; flags != now; ++turn) {
        const int kind = turn % 3 == 2 ? 1 : 0;
        QByteArray &f = flags[kind] == now[kind] ? flags[1 - kind] : flags[kind];
        const QByteArray &target = &f == &flags[0] ? now[0] : now[1];
        const qsizetype position = [&] {
            for (qsizetype i = 0; i < f.size(); ++i)
                if (f[i] != target[i])
                    return i;
            return qsizetype(0);
        }();
        f[position] = target[position];
        readAt();
        if (turn == 4) {
            // Ticked by mistake, taken back at the next read, done later.
            f[position] = '0';
            readAt();
            f[position] = target[position];
        }
    }
    window.findChild<QAction *>(QStringLiteral("OpenHistory"))->trigger();
    auto *dialog = window.findChild<QWidget *>(QStringLiteral("History"));
    auto *list = dialog->findChild<QAbstractItemView *>(QStringLiteral("HistoryList"));
    list->setCurrentIndex(list->model()->index(2, 0));
    QCoreApplication::processEvents();
    return dialog->grab().save(path);
}

QPalette darkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2d, 0x31));
    dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1f, 0x22));
    dark.setColor(QPalette::AlternateBase, QColor(0x2b, 0x2d, 0x31));
    dark.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Button, QColor(0x36, 0x38, 0x3d));
    dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Light, QColor(0x4a, 0x4d, 0x53));
    dark.setColor(QPalette::Mid, QColor(0x5a, 0x5d, 0x63));
    dark.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1b));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0x7e, 0xd6));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, QColor(0x36, 0x38, 0x3d));
    dark.setColor(QPalette::ToolTipText, QColor(0xe6, 0xe6, 0xe6));
    return dark;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 5 || argc > 7) {
        std::fprintf(
                stderr,
                "usage: screenshot <program folder with pictures> <folder with progress files> "
                "<uniques.png> <quests.png> [<uniques in a dark palette.png> [<history.png>]]\n");
        return 2;
    }
    // A program folder of its own, so nothing of the build's is touched and
    // no download is attempted: the pictures are borrowed, the progress is
    // copied in.
    QTemporaryDir folder;
    const QString pictures = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    for (const char *sub : { "Monsters", "Locations" })
        QFile::link(pictures + QLatin1Char('/') + QLatin1String(sub),
                    folder.filePath(QLatin1String(sub)));
    const QString progress = QString::fromLocal8Bit(argv[2]);

    {
        Form1 window(folder.path());
        if (!startWithProgress(window, folder, progress))
            return 1;
        select(window, "QVLocations", ShownRegion);
        selectRow(window, "ListOfUniques", ShownRegion, ShownMonster);
        if (!grab(window, QString::fromLocal8Bit(argv[3])))
            return 1;

        select(window, "QVLocations", 19);
        select(window, "QuestsTab", ShownGroup);
        selectRow(window, "Quests", ShownGroup, ShownQuest);
        if (!grab(window, QString::fromLocal8Bit(argv[4])))
            return 1;
    }
    if (argc == 7 && !grabHistory(pictures, progress, QString::fromLocal8Bit(argv[6])))
        return 1;
    if (argc >= 6) {
        QApplication::setPalette(darkPalette());
        Form1 window(folder.path());
        if (!startWithProgress(window, folder, progress))
            return 1;
        select(window, "QVLocations", ShownRegion);
        selectRow(window, "ListOfUniques", ShownRegion, ShownMonster);
        if (!grab(window, QString::fromLocal8Bit(argv[5])))
            return 1;
    }
    return 0;
}
