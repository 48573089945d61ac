#include "namesakes.h"

#include "catalog.h"

namespace progresstool {

namespace {

// What makes two entries one event beyond their names: where it happens and
// how it is done. Unique monsters carry their location; quests their
// location and steps.
QStringList eventDetails(const Entry &entry)
{
    if (entry.kind == Kind::Unique) {
        const catalog::UniqueMonster *monster = catalog::findUniqueMonster(entry.tab, entry.index);
        return { QString::fromLatin1(monster->location) };
    }
    const catalog::Quest *quest = catalog::findQuest(entry.tab, entry.index);
    return QStringList { QString::fromLatin1(quest->location) } + catalog::questItems(*quest);
}

QList<Entry> namesakes(const Entry &entry, bool sameDetails)
{
    const QStringList details = eventDetails(entry);
    QList<Entry> found;
    for (const Entry &other : catalogEntries()) {
        if (other.kind != entry.kind || other.name != entry.name)
            continue;
        if ((eventDetails(other) == details) == sameDetails)
            found.append(other);
    }
    return found;
}

} // namespace

QList<Entry> sameEvent(const Entry &entry)
{
    return namesakes(entry, true);
}

QList<Entry> otherNamesakes(const Entry &entry)
{
    return namesakes(entry, false);
}

} // namespace progresstool
