#pragma once

#include "catalog.h"

#include <QList>
#include <QString>
#include <QStringView>

// Every entry of the catalog under the names a player types: its own name,
// or "<tab caption>: <name>" where a name is held by more than one entry.
namespace progresstool {

using Kind = catalog::Kind;

struct Entry
{
    Kind kind;
    int tab; // region or quest group
    int index; // list index within the tab
    int position; // 1-based character in the entry's progress file
    QString caption; // the caption of the entry's tab, as the tab shows it
    QString name;

    QString qualifiedName() const { return caption + QStringLiteral(": ") + name; }
    bool operator==(const Entry &other) const
    {
        return kind == other.kind && position == other.position;
    }
};

struct Tab
{
    Kind kind;
    int index;
    QString caption;
    int firstPosition;
    int count;
};

// Uniques first, then quests, each in catalog (and file) order.
const QList<Entry> &catalogEntries();
const QList<Tab> &catalogTabs();

// The name to offer for an entry: its own when no other entry holds it, the
// qualified one otherwise.
QString nameToType(const Entry &entry);

template<typename Item>
struct Lookup
{
    QList<Item> matches; // exactly one when the name was found
    QList<Item> closeOnes; // when nothing matched: up to three near misses
};

// Matched whole, ignoring case and surrounding spaces; the qualified form
// takes any spaces around its colon.
Lookup<Entry> lookUpEntry(QStringView typed);
Lookup<Tab> lookUpTab(QStringView typed);

} // namespace progresstool
