// Grabs Huntmark Tracker's window for the README: a region with a selected
// monster, some of the hunt marked, Find open on a milestone that stands in
// several quest groups. Arguments: the program folder (pictures), the
// picture to write, and optionally a second one with Find open. Runs on the offscreen platform.
#include "autopublisher.h"
#include "catalog.h"
#include "checklist.h"
#include "findpanel.h"
#include "progressfolder.h"
#include "publishrecord.h"
#include "tabcontrol.h"
#include "trackerwindow.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QUndoStack>

#include <cstdio>

namespace {

// A hunt in mid-game: the early regions further along than the late ones.
QByteArray uniquesInMidGame()
{
    QByteArray flags;
    for (int r = 0; r < catalog::RegionCount; ++r) {
        const int count = catalog::uniqueMonsterCount(r);
        for (int i = 0; i < count; ++i)
            flags += (i * 19 + r * 7) % 23 < 17 - r ? '1' : '0';
    }
    return flags + "\r\n";
}

const progresstool::Entry &questEntry(int group, int row)
{
    return progresstool::catalogEntries().at(
            catalog::UniqueMonsterCount + *catalog::flagPosition(catalog::Kind::Quest, group, row)
            - 1);
}

// Saltmere's line selected and marked in the picture: one not done yet.
constexpr int ShownMonster = 5;

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: screenshot-tracker PROGRAM_FOLDER OUTPUT.png [FIND.png]\n");
        return 2;
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QFile uniques(home.filePath(QStringLiteral("UniquesDefeated.txt")));
    QFile quests(home.filePath(QStringLiteral("QuestsCleared.txt")));
    if (!uniques.open(QIODevice::WriteOnly) || !quests.open(QIODevice::WriteOnly))
        return 1;
    uniques.write(uniquesInMidGame());
    quests.write(QByteArray(catalog::QuestCount, '0') + "\r\n");
    uniques.close();
    quests.close();

    TrackerWindow window(home.path(), QString::fromLocal8Bit(argv[1]));
    window.show();
    // The early quest groups done, milestones in every group they stand in.
    for (int g = 0; g < 4; ++g) {
        for (int i = 0; i < catalog::questCount(g); ++i)
            if (!window.progressFolder()->isDone(questEntry(g, i)))
                window.toggle(questEntry(g, i));
    }
    window.undoStack()->clear();
    window.regionTabs()->setTab(2);
    // Published so far; then one more monster defeated, not yet out.
    QFile record(home.filePath(publishing::PublishRecord::FileName));
    if (record.open(QIODevice::WriteOnly))
        record.write(publishing::PublishRecord::bytes(
                window.autoPublisher()->account(),
                window.progressFolder()->flags(progresstool::Kind::Unique),
                window.progressFolder()->flags(progresstool::Kind::Quest)));
    record.close();
    window.autoPublisher()->folderOpened();
    window.list(progresstool::Kind::Unique, 2)->setCurrentRow(ShownMonster);
    window.toggle(progresstool::catalogEntries().at(
            *catalog::flagPosition(catalog::Kind::Unique, 2, ShownMonster) - 1));
    QCoreApplication::processEvents();
    bool saved = window.grab().save(QString::fromLocal8Bit(argv[2]));
    // Find open on a milestone that stands in several quest groups.
    if (argc > 3) {
        window.findPanel()->open(QStringLiteral("wyrm"));
        QCoreApplication::processEvents();
        saved = saved && window.grab().save(QString::fromLocal8Bit(argv[3]));
    }
    return saved ? 0 : 1;
}
