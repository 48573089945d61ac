// Grabs the window as a user sees it for the README: a region with a
// selected monster and both its pictures, and a quest with its steps, with
// the other player's progress marked and a few entries just turned done;
// optionally the region once more in a dark palette. Runs on the offscreen
// platform, so it needs no display.
#include "viewer/form1.h"

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

QByteArray flags(int length, std::initializer_list<std::pair<int, int>> doneRanges)
{
    QByteArray text(length, '0');
    for (const auto &[first, last] : doneRanges)
        for (int position = first; position <= last; ++position)
            text[position - 1] = '1';
    return text + "\r\n";
}

// Starts the window on the progress of an earlier run, then reads what the
// other player did since: those entries show as new. The window is the
// active one, so no desktop notification goes out.
void startWithProgress(Form1 &window, const QTemporaryDir &folder)
{
    write(folder, QStringLiteral("UniquesDefeated.txt"),
          flags(157, {{1, 14}, {15, 21}, {29, 31}, {33, 33}, {36, 36}, {43, 44}, {48, 52}, {71, 80}}));
    write(folder, QStringLiteral("QuestsCleared.txt"), flags(63, {{1, 2}, {4, 5}, {8, 10}}));
    window.Form_Load();
    window.show();
    window.activateWindow();
    QCoreApplication::processEvents();
    write(folder, QStringLiteral("UniquesDefeated.txt"),
          flags(157,
                {{1, 14},
                 {15, 21},
                 {29, 31},
                 {33, 33},
                 {36, 36},
                 {38, 38},
                 {40, 40},
                 {43, 44},
                 {48, 53},
                 {71, 80}}));
    write(folder, QStringLiteral("QuestsCleared.txt"), flags(63, {{1, 3}, {4, 5}, {8, 10}, {13, 13}}));
    window.FetchProgress();
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
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr,
                     "usage: screenshot <program folder with pictures> <uniques.png> <quests.png> "
                     "[<uniques in a dark palette.png>]\n");
        return 2;
    }
    // A program folder of its own, so nothing of the build's is touched and
    // no download is attempted: the pictures are borrowed, the progress is
    // made up.
    QTemporaryDir folder;
    const QString pictures = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    for (const char *sub : {"Monsters", "Locations"})
        QFile::link(pictures + QLatin1Char('/') + QLatin1String(sub), folder.filePath(QLatin1String(sub)));

    {
        Form1 window(folder.path());
        startWithProgress(window, folder);
        select(window, "QVLocations", 2);
        selectRow(window, "ListOfUniques", 2, 7);
        if (!grab(window, QString::fromLocal8Bit(argv[2])))
            return 1;

        select(window, "QVLocations", 19);
        select(window, "QuestsTab", 0);
        selectRow(window, "Quests", 0, 1);
        if (!grab(window, QString::fromLocal8Bit(argv[3])))
            return 1;
    }
    if (argc == 5) {
        QApplication::setPalette(darkPalette());
        Form1 window(folder.path());
        startWithProgress(window, folder);
        select(window, "QVLocations", 2);
        selectRow(window, "ListOfUniques", 2, 7);
        if (!grab(window, QString::fromLocal8Bit(argv[4])))
            return 1;
    }
    return 0;
}
