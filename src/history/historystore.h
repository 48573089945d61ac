#pragma once

#include "catalog.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <limits>
#include <optional>
#include <vector>

struct sqlite3;

namespace history {

class Statement;

// The store's file in the program's folder.
inline const QString FileName = QStringLiteral("History.sqlite");

// An entry turned done, or back to not done, as a read saw it.
struct Event
{
    // Milliseconds since the epoch: thousands of events are read at once,
    // and a local QDateTime costs a time zone look-up each.
    qint64 at = 0;
    QDateTime time() const { return QDateTime::fromMSecsSinceEpoch(at); }
    catalog::Kind kind = catalog::Kind::Unique;
    int position = 0; // the catalog's flag position, counted from 1
    bool done = false;
    // The event's place in the store, growing with every event; 0 for one
    // not written yet.
    qint64 id = 0;
};

// Before every event: the start of a walk from the newest one back.
inline constexpr qint64 NewestFirst = std::numeric_limits<qint64>::max();

// What the last read of one progress file left: its flags, and a "1" at every
// position still new to the user.
struct Remembered
{
    QByteArray flags;
    QByteArray fresh;
};

// The done counts after every read that changed them, oldest first: what
// the chart draws, read once from the whole store.
struct CountStep
{
    qint64 at = 0; // milliseconds since the epoch
    int uniques = 0;
    int quests = 0;
};
struct Timeline
{
    std::vector<CountStep> steps;
    qint64 lastId = 0; // the newest event the steps include
    qint64 events = 0; // how many events the store holds up to it
    // The counts the last read left, with or without events.
    int uniques = 0;
    int quests = 0;
};

// The events of every read that changed a flag, and the state the last read
// left, in one SQLite file. Each read is one transaction, so a crash or a
// power cut loses at most the read in progress.
//
// A store that cannot be used (damaged, a link, in a folder that cannot be
// written) never throws or blocks for long: it turns unavailable, says why,
// and every later call does nothing. A store that another program holds for
// the moment is busy instead: the call that met it did nothing, and the same
// call may be made again later.
class HistoryStore
{
public:
    explicit HistoryStore(const QString &path);
    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    bool isAvailable() const { return m_reason.isEmpty(); }
    // Why the store is unavailable, a sentence for the user; empty while it works.
    QString unavailableReason() const { return m_reason; }
    // The last call found the store held by another program.
    bool isBusy() const { return m_busy; }

    // Whether the store's tables could be read and made: false while busy.
    bool isReady();

    std::optional<Remembered> remembered(catalog::Kind kind);

    // Records what a read found: an event for every entry whose flag differs
    // from the state the last read left, then the new state. The first read
    // ever of a file records no events. Returns the events recorded, nothing
    // when the read could not be written (busy or unavailable).
    std::optional<std::vector<Event>> recordRead(catalog::Kind kind, QByteArrayView flags,
                                                 QByteArrayView fresh, const QDateTime &at);

    // The user has seen lines: only the new marks change. False when it could
    // not be written.
    bool rememberFresh(catalog::Kind kind, QByteArrayView fresh);

    // Up to `limit` events older than the event `beforeId`, newest first.
    std::vector<Event> eventsBefore(qint64 beforeId, int limit);
    // The last event of every entry that has one, oldest first, without
    // reading the rest.
    std::vector<Event> latestPerEntry();

    // The done counts over the whole store, read through a connection of
    // its own, so it may run on any thread. Nothing when the store cannot be
    // read.
    static std::optional<Timeline> readTimeline(const QString &path);

    // Why a store at `path` must not be opened: a link, or a link in place of
    // one of its companion files. Empty when nothing speaks against it.
    static QString refusal(const QString &path);

private:
    bool prepareTables();
    bool exec(const char *statement);
    // Turns the store busy or unavailable as SQLite's result `code` says;
    // always false, for the caller to return.
    bool fail(int code);
    // False, after fail(), when the statement's last step failed.
    bool check(const Statement &statement);
    void rollback();

    sqlite3 *m_db = nullptr;
    QString m_reason;
    bool m_busy = false;
    bool m_tablesReady = false;
};

} // namespace history
