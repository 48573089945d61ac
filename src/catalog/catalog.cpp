#include "catalog/catalog.h"

#include "platform/programfolder.h"

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

QString pictureFileName(const UniqueMonster &monster)
{
    return QString::fromLatin1(monster.name) + QStringLiteral(".jpg");
}

QString monsterPicturePath(const QString &programFolder, const UniqueMonster &monster)
{
    return platform::programFilePath(programFolder, MonsterPictureFolder, pictureFileName(monster));
}

QString locationPicturePath(const QString &programFolder, const UniqueMonster &monster)
{
    return platform::programFilePath(programFolder, LocationPictureFolder, pictureFileName(monster));
}

} // namespace catalog
