#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

class QSqlError;

namespace history {

// The store's file in the program's folder.
inline const QString FileName = QStringLiteral("History.sqlite");

// Which progress file an entry's flag stands in.
enum class Kind { Uniques = 0, Quests = 1 };

// An entry turned done, or back to not done, as a read saw it.
struct Event
{
    // Milliseconds since the epoch: thousands of events are read at once,
    // and a local QDateTime costs a time zone look-up each.
    qint64 at = 0;
    QDateTime time() const { return QDateTime::fromMSecsSinceEpoch(at); }
    Kind kind = Kind::Uniques;
    int position = 0; // progress position, counted from 0
    bool done = false;
};

// What the last read of one progress file left: its flags, and a "1" at every
// position still new to the user.
struct Remembered
{
    QByteArray flags;
    QByteArray fresh;
};

// The events of every read that changed a flag, and the state the last read
// left, in one SQLite file. Each read is one transaction, so a crash or a
// power cut loses at most the read in progress.
//
// A store that cannot be used (damaged, locked by another program, in a
// folder that cannot be written) never throws or blocks for long: it turns
// unavailable, says why, and every later call does nothing.
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

    std::optional<Remembered> remembered(Kind kind);

    // Records what a read found: an event for every entry whose flag differs
    // from the state the last read left, then the new state. The first read
    // ever of a file records no events. Returns the events recorded.
    std::vector<Event> recordRead(Kind kind, QByteArrayView flags, QByteArrayView fresh,
                                  const QDateTime &at);

    // The user has seen lines: only the new marks change.
    void rememberFresh(Kind kind, QByteArrayView fresh);

    // Every event, oldest first.
    std::vector<Event> events();
    // The last event of every entry that has one, without reading the rest.
    std::vector<Event> latestPerEntry();

private:
    bool exec(const QString &statement);
    bool fail(const QSqlError &error);
    std::vector<Event> select(const QString &statement);
    void rollback();

    QString m_connection;
    QString m_reason;
};

} // namespace history
