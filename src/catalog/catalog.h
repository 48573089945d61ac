#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <span>

// The built-in, read-only reference data: regions and their unique monsters,
// quest groups and their quests. The order of every table is part of the
// progress file format (one flag per entry, in this order), so an entry may
// never be inserted, removed or moved without a new file format.
namespace catalog {

inline constexpr int RegionCount = 19;
inline constexpr int QuestGroupCount = 11;
inline constexpr int UniqueMonsterCount = 157;
inline constexpr int QuestCount = 63;
inline constexpr int MaxQuestItems = 7;

struct UniqueMonster
{
    const char *name;
    const char *level;
    const char *location;
    const char *appearance; // empty when the monster appears without conditions
};

struct Quest
{
    const char *name;
    const char *location; // empty for a story milestone
    std::array<const char *, MaxQuestItems> items; // steps in order; unused slots are null
};

struct Region
{
    const char *caption;
    std::span<const UniqueMonster> entries;
};

struct QuestGroup
{
    const char *caption; // the unique monster whose prerequisites the group lists
    std::span<const Quest> quests;
};

std::span<const Region> regions();
std::span<const QuestGroup> questGroups();

// Entry (r, i) or (g, i), or null for any pair outside the tables: a list
// index of -1 (no selection), the Quests tab (r = 19), an index at or beyond
// the entry count.
const UniqueMonster *findUniqueMonster(int region, int index);
const Quest *findQuest(int group, int index);

int uniqueMonsterCount(int region); // 0 outside the table
int questCount(int group); // 0 outside the table

QStringList questItems(const Quest &quest);

// The two kinds of entry, each with a progress file of its own: unique
// monsters listed by region, quests listed by quest group.
enum class Kind { Unique, Quest };

// Where an entry is listed: its tab (region or quest group) and its row on
// that tab's list, both counted from 0.
struct ListPlace
{
    int tab;
    int row;
};

// The position of an entry's flag in its progress file, counted from 1: one
// past the entries of every tab before its own. Nothing for a pair outside
// the tables (no selection, the Quests tab, a row past the list), so a reader
// never takes the previous tab's last flag for the selected one.
std::optional<int> flagPosition(Kind kind, int tab, int row);

// The entry whose flag stands at `position` (counted from 1), or nothing
// past either end of the tables.
std::optional<ListPlace> entryAt(Kind kind, int position);

} // namespace catalog
