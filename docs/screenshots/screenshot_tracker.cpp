// Grabs Huntmark Tracker's window for the README: a region with a selected
// monster, some of the hunt marked, Find open on a milestone that stands in
// several quest groups. Arguments: the program folder (pictures), the
// picture to write. Runs on the offscreen platform.
#include "catalog.h"
#include "checklist.h"
#include "findpanel.h"
#include "tabcontrol.h"
#include "trackerwindow.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QByteArray flagsWithOnes(int length, int every)
{
    QByteArray flags(length, '0');
    for (int k = 0; k < length; k += every)
        flags[k] = '1';
    return flags + "\r\n";
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot-tracker PROGRAM_FOLDER OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QFile uniques(home.filePath(QStringLiteral("UniquesDefeated.txt")));
    QFile quests(home.filePath(QStringLiteral("QuestsCleared.txt")));
    if (!uniques.open(QIODevice::WriteOnly) || !quests.open(QIODevice::WriteOnly))
        return 1;
    uniques.write(flagsWithOnes(catalog::UniqueMonsterCount, 3));
    quests.write(flagsWithOnes(catalog::QuestCount, 4));
    uniques.close();
    quests.close();

    TrackerWindow window(home.path(), QString::fromLocal8Bit(argv[1]));
    window.show();
    window.regionTabs()->setTab(2);
    window.list(progresstool::Kind::Unique, 2)->setCurrentRow(7);
    window.toggle(progresstool::catalogEntries().at(
            *catalog::flagPosition(catalog::Kind::Unique, 2, 7) - 1));
    QCoreApplication::processEvents();
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[2]));
    return saved ? 0 : 1;
}
