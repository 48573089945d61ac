// Grabs the window as a user sees it for the README: a region with a
// selected monster and both its pictures, and a quest with its steps. Runs
// on the offscreen platform, so it needs no display.
#include "viewer/form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

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

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: screenshot <program folder with pictures> <folder with progress files> "
                     "<uniques.png> <quests.png>\n");
        return 2;
    }
    // A program folder of its own, so nothing of the build's is touched and
    // no download is attempted: the pictures are borrowed, the progress
    // files copied (the demo player's at its start).
    QTemporaryDir folder;
    const QString pictures = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    for (const char *sub : {"Monsters", "Locations"})
        QFile::link(pictures + QLatin1Char('/') + QLatin1String(sub), folder.filePath(QLatin1String(sub)));
    const QDir progress(QString::fromLocal8Bit(argv[2]));
    for (const QString &name : {QStringLiteral("UniquesDefeated.txt"), QStringLiteral("QuestsCleared.txt")}) {
        if (!QFile::copy(progress.filePath(name), folder.filePath(name))) {
            std::fprintf(stderr, "screenshot: cannot copy %s\n", qPrintable(progress.filePath(name)));
            return 1;
        }
    }

    Form1 window(folder.path());
    window.Form_Load();
    window.show();
    select(window, "QVLocations", 2);
    selectRow(window, "ListOfUniques", 2, 7);
    if (!grab(window, QString::fromLocal8Bit(argv[3])))
        return 1;

    select(window, "QVLocations", 19);
    select(window, "QuestsTab", 0);
    selectRow(window, "Quests", 0, 1);
    return grab(window, QString::fromLocal8Bit(argv[4])) ? 0 : 1;
}
