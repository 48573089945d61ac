#include "entrynames.h"

#include "catalog.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

namespace progresstool {

namespace {

constexpr int MaxCloseNames = 3;

QList<Entry> collectEntries()
{
    QList<Entry> entries;
    for (int r = 0; r < catalog::RegionCount; ++r) {
        const catalog::Region &region = catalog::regions()[r];
        for (int i = 0; i < int(region.entries.size()); ++i)
            entries.append({ Kind::Unique, r, i, *catalog::flagPosition(Kind::Unique, r, i),
                             QString::fromLatin1(region.caption),
                             QString::fromLatin1(region.entries[i].name) });
    }
    for (int g = 0; g < catalog::QuestGroupCount; ++g) {
        const catalog::QuestGroup &group = catalog::questGroups()[g];
        for (int i = 0; i < int(group.quests.size()); ++i)
            entries.append({ Kind::Quest, g, i, *catalog::flagPosition(Kind::Quest, g, i),
                             QString::fromLatin1(group.caption),
                             QString::fromLatin1(group.quests[i].name) });
    }
    return entries;
}

QList<Tab> collectTabs()
{
    QList<Tab> tabs;
    for (int r = 0; r < catalog::RegionCount; ++r)
        tabs.append({ Kind::Unique, r, QString::fromLatin1(catalog::regions()[r].caption),
                      *catalog::flagPosition(Kind::Unique, r, 0), catalog::uniqueMonsterCount(r) });
    for (int g = 0; g < catalog::QuestGroupCount; ++g)
        tabs.append({ Kind::Quest, g, QString::fromLatin1(catalog::questGroups()[g].caption),
                      *catalog::flagPosition(Kind::Quest, g, 0), catalog::questCount(g) });
    return tabs;
}

bool sameText(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool matchesQualified(QStringView typed, const Entry &entry)
{
    if (!typed.startsWith(entry.caption, Qt::CaseInsensitive))
        return false;
    const QStringView rest = typed.mid(entry.caption.size()).trimmed();
    return rest.startsWith(u':') && sameText(rest.mid(1).trimmed(), entry.name);
}

int editDistance(QStringView a, QStringView b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    std::iota(row.begin(), row.end(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            const bool same = a[i - 1].toCaseFolded() == b[j - 1].toCaseFolded();
            row[size_t(j)] =
                    std::min({ above + 1, row[size_t(j - 1)] + 1, diagonal + (same ? 0 : 1) });
            diagonal = above;
        }
    }
    return row.back();
}

// How far a typed name is from a text: a few typing mistakes, or a part of
// the text such as one word of a monster's name, count as close; anything
// else gets no score.
std::optional<int> closeness(QStringView typed, QStringView text)
{
    if (typed.size() >= 4 && text.contains(typed, Qt::CaseInsensitive))
        return 1;
    const int distance = editDistance(typed, text);
    const int allowed = std::max<int>(2, int(typed.size()) / 3);
    if (distance <= allowed)
        return distance;
    return std::nullopt;
}

template<typename Item, typename Score>
QList<Item> closest(const QList<Item> &items, Score score)
{
    std::vector<std::pair<int, int>> scored; // score, item index
    for (int k = 0; k < items.size(); ++k) {
        if (const std::optional<int> s = score(items[k]))
            scored.emplace_back(*s, k);
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<Item> close;
    for (size_t k = 0; k < scored.size() && close.size() < MaxCloseNames; ++k)
        close.append(items[scored[k].second]);
    return close;
}

std::optional<int> bestOf(std::optional<int> a, std::optional<int> b)
{
    if (a && b)
        return std::min(*a, *b);
    return a ? a : b;
}

} // namespace

const QList<Entry> &catalogEntries()
{
    static const QList<Entry> entries = collectEntries();
    return entries;
}

const QList<Tab> &catalogTabs()
{
    static const QList<Tab> tabs = collectTabs();
    return tabs;
}

QString nameToType(const Entry &entry)
{
    const auto &entries = catalogEntries();
    const auto holders = std::count_if(entries.begin(), entries.end(), [&](const Entry &other) {
        return sameText(other.name, entry.name);
    });
    return holders > 1 ? entry.qualifiedName() : entry.name;
}

Lookup<Entry> lookUpEntry(QStringView typed)
{
    typed = typed.trimmed();
    Lookup<Entry> lookup;
    for (const Entry &entry : catalogEntries()) {
        if (sameText(typed, entry.name) || matchesQualified(typed, entry))
            lookup.matches.append(entry);
    }
    if (lookup.matches.isEmpty() && !typed.isEmpty()) {
        lookup.closeOnes = closest(catalogEntries(), [&](const Entry &entry) {
            return bestOf(closeness(typed, entry.name), closeness(typed, entry.qualifiedName()));
        });
    }
    return lookup;
}

Lookup<Tab> lookUpTab(QStringView typed)
{
    typed = typed.trimmed();
    Lookup<Tab> lookup;
    for (const Tab &tab : catalogTabs()) {
        if (sameText(typed, tab.caption))
            lookup.matches.append(tab);
    }
    if (lookup.matches.isEmpty() && !typed.isEmpty())
        lookup.closeOnes = closest(catalogTabs(),
                                   [&](const Tab &tab) { return closeness(typed, tab.caption); });
    return lookup;
}

} // namespace progresstool
