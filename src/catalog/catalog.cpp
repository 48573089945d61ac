#include "catalog.h"

namespace catalog {

const UniqueMonster *findUniqueMonster(int region, int index)
{
    if (region < 0 || region >= RegionCount)
        return nullptr;
    const auto entries = regions()[region].entries;
    if (index < 0 || index >= static_cast<int>(entries.size()))
        return nullptr;
    return &entries[index];
}

const Quest *findQuest(int group, int index)
{
    if (group < 0 || group >= QuestGroupCount)
        return nullptr;
    const auto quests = questGroups()[group].quests;
    if (index < 0 || index >= static_cast<int>(quests.size()))
        return nullptr;
    return &quests[index];
}

int uniqueMonsterCount(int region)
{
    if (region < 0 || region >= RegionCount)
        return 0;
    return static_cast<int>(regions()[region].entries.size());
}

int questCount(int group)
{
    if (group < 0 || group >= QuestGroupCount)
        return 0;
    return static_cast<int>(questGroups()[group].quests.size());
}

QStringList questItems(const Quest &quest)
{
    QStringList items;
    for (const char *item : quest.items) {
        if (!item)
            break;
        items.append(QString::fromLatin1(item));
    }
    return items;
}

namespace {

int tabCount(Kind kind)
{
    return kind == Kind::Unique ? RegionCount : QuestGroupCount;
}

int entriesOn(Kind kind, int tab)
{
    return kind == Kind::Unique ? uniqueMonsterCount(tab) : questCount(tab);
}

} // namespace

std::optional<int> flagPosition(Kind kind, int tab, int row)
{
    if (row < 0 || row >= entriesOn(kind, tab))
        return std::nullopt;
    int position = 1 + row;
    for (int k = 0; k < tab; ++k)
        position += entriesOn(kind, k);
    return position;
}

std::optional<ListPlace> entryAt(Kind kind, int position)
{
    if (position < 1)
        return std::nullopt;
    int row = position - 1;
    for (int tab = 0; tab < tabCount(kind); ++tab) {
        const int count = entriesOn(kind, tab);
        if (row < count)
            return ListPlace { tab, row };
        row -= count;
    }
    return std::nullopt;
}

} // namespace catalog
