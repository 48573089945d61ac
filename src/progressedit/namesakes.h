#pragma once

#include "entrynames.h"

#include <QList>

// Entries that are one event listed in several places: a story milestone
// stands in the list of every quest group it leads up to, with the same name,
// location and steps each time. Done once, it is done everywhere. Entries
// that share a name but differ in location or steps are different quests.
namespace progresstool {

// Every entry that is the same event as `entry`, `entry` itself included,
// in catalog order.
QList<Entry> sameEvent(const Entry &entry);

// Entries of the same kind and name that are another event.
QList<Entry> otherNamesakes(const Entry &entry);

} // namespace progresstool
