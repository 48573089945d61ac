// The progress files, the fetch and the tab memory.
#include "form1.h"

#include "fetchmonitor.h"
#include "programfolder.h"
#include "progressfiles.h"
#include "progressmarks.h"
#include "tabcontrol.h"
#include "tabmemory.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

QString flagText(bool done)
{
    return done ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

progress::FlagScan Form1::readFlags(const QString &fileName, qint64 defaultLength,
                                    qint64 position) const
{
    const QString path = platform::programFilePath(m_dataFolder, fileName);
    // The catalog's part of the flag text is kept for the list marks. A file
    // that is not there gives them no flag text at all: nothing is done, and
    // nothing is learned that a first download could turn "new".
    return progress::scanFlagFile(path, position, defaultLength)
            .value_or(progress::defaultFlagScan(defaultLength, position));
}

void Form1::ReadUniquesDefeated()
{
    const int r = currentRegion();
    const int selected =
            r < catalog::RegionCount ? m_regions[size_t(r)].ListOfUniques->currentRow() : -1;
    const std::optional<int> position = catalog::flagPosition(catalog::Kind::Unique, r, selected);

    const progress::FlagScan flags =
            readFlags(progress::UniquesFileName, catalog::UniqueMonsterCount, position.value_or(0));
    LabelDefeated->setText(QStringLiteral("Uniques Beaten: ") + QString::number(flags.ones));
    m_uniqueMarks->read(flags.head);
    if (!position)
        return;

    const RegionControls &c = m_regions[size_t(r)];
    const bool defeated = flags.flagAt == '1';
    c.TextDefeated->setText(flagText(defeated));
    c.CheckDefeated->setChecked(defeated);
}

void Form1::ReadQuestsCleared()
{
    const int j = currentQuestGroup();
    const bool questsShown = currentRegion() == catalog::RegionCount;
    const int selected = questsShown ? m_groups[size_t(j)].Quests->currentRow() : -1;
    const std::optional<int> position = catalog::flagPosition(catalog::Kind::Quest, j, selected);

    // The file is read even when nothing of it is shown, so every reader
    // costs the same and sees the file as it is now.
    const progress::FlagScan flags =
            readFlags(progress::QuestsFileName, catalog::QuestCount, position.value_or(0));
    m_questMarks->read(flags.head);
    if (!position)
        return;

    const QuestGroupControls &c = m_groups[size_t(j)];
    const bool cleared = flags.flagAt == '1';
    c.TextCompleted->setText(flagText(cleared));
    c.QuestCompleted->setChecked(cleared);
}

void Form1::FetchProgress()
{
    // The script is written and run hidden unless a fetch still runs; the
    // files already there are read in every case.
    m_fetches->startFetch(m_dataFolder);
    ReadUniquesDefeated();
    ReadQuestsCleared();
}

void Form1::SaveTabs()
{
    // A folder that cannot be written loses the memory, not the tab change.
    const QByteArray line = tabmemory::formatTabsLine(QVLocations->tab(), QuestsTab->tab());
    m_tabsWriter.save(platform::programFilePath(m_dataFolder, tabmemory::TabsFileName), line);
}

void Form1::LoadTabs()
{
    const auto field = progress::readFirstField(
            platform::programFilePath(m_dataFolder, tabmemory::TabsFileName));
    // The tab handlers the restore runs save once, when it is done.
    const tabmemory::TabsWriter::Restore restore(m_tabsWriter);
    if (!field || !selectTabs(*field))
        selectTabs(tabmemory::DefaultTabsField);
}

bool Form1::selectTabs(QByteArrayView field)
{
    const tabmemory::TabsLine line = tabmemory::splitTabsField(field);
    const std::optional<int> outer = tabmemory::toTabIndex(line.outer);
    if (!outer || *outer < 0 || *outer >= QVLocations->count())
        return false;
    QVLocations->setTab(*outer);
    const std::optional<int> inner = tabmemory::toTabIndex(line.inner);
    if (!inner || *inner < 0 || *inner >= QuestsTab->count())
        return false;
    QuestsTab->setTab(*inner);
    return true;
}
