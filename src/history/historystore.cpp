#include "historystore.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <array>
#include <atomic>

namespace history {

namespace {

// How long a call waits for another program (a second viewer in the same
// folder) to finish its own write before it leaves the store as busy: a
// write takes a few milliseconds, and the window's thread must not wait
// for much more.
constexpr int BusyTimeoutMs = 20;

// The number the store's file keeps for each kind of entry. Files of every
// version hold these, so they never change: the one place they are mapped.
int storedKind(catalog::Kind kind)
{
    return kind == catalog::Kind::Unique ? 0 : 1;
}

std::optional<catalog::Kind> kindFromStored(int value)
{
    switch (value) {
    case 0:
        return catalog::Kind::Unique;
    case 1:
        return catalog::Kind::Quest;
    default:
        return std::nullopt;
    }
}

// An entry's position is the catalog's, counted from 1; the file keeps the
// index of its flag, counted from 0, as every version wrote it. The one place
// the two meet.
int storedPosition(int position)
{
    return position - 1;
}

int positionFromStored(int stored)
{
    return stored + 1;
}

bool isDone(QByteArrayView flags, qsizetype position)
{
    return position < flags.size() && flags[position] == '1';
}

int doneCount(QByteArrayView flags)
{
    return int(std::count(flags.begin(), flags.end(), '1'));
}

// One pass over every event, in one read transaction so the events and the
// state agree: the counts change by one per event, and end where the state
// the last read left says.
std::optional<Timeline> timelineOf(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("BEGIN")))
        return std::nullopt;
    Timeline timeline;
    int uniques = 0;
    int quests = 0;
    if (!query.exec(QStringLiteral("SELECT rowid, at, kind, done FROM events ORDER BY rowid")))
        return std::nullopt;
    while (query.next()) {
        // A window closed meanwhile no longer needs the answer.
        if ((timeline.events & 0xfff) == 0 && QThread::currentThread()->isInterruptionRequested())
            return std::nullopt;
        const qint64 at = query.value(1).toLongLong();
        (kindFromStored(query.value(2).toInt()) == catalog::Kind::Unique ? uniques : quests) +=
                query.value(3).toBool() ? 1 : -1;
        timeline.lastId = query.value(0).toLongLong();
        ++timeline.events;
        // One step per read: the events of a read share its time.
        if (timeline.steps.empty() || timeline.steps.back().at != at)
            timeline.steps.push_back({ at, uniques, quests });
        else
            timeline.steps.back() = { at, uniques, quests };
    }
    std::array<int, 2> now {};
    if (!query.exec(QStringLiteral("SELECT kind, flags FROM state")))
        return std::nullopt;
    while (query.next()) {
        const int kind = query.value(0).toInt();
        if (kindFromStored(kind))
            now[size_t(kind)] = doneCount(query.value(1).toByteArray());
    }
    query.exec(QStringLiteral("COMMIT"));
    timeline.uniques = now[0];
    timeline.quests = now[1];
    if (timeline.steps.empty())
        return timeline;
    // Counted back from the end, the counts before the first event.
    const int uniquesBefore = now[0] - uniques;
    const int questsBefore = now[1] - quests;
    for (CountStep &step : timeline.steps) {
        step.uniques += uniquesBefore;
        step.quests += questsBefore;
    }
    timeline.steps.insert(timeline.steps.begin(),
                          { timeline.steps.front().at, uniquesBefore, questsBefore });
    return timeline;
}

} // namespace

HistoryStore::HistoryStore(const QString &path) : m_path(path)
{
    static int serial = 0;
    m_connection = QStringLiteral("huntmark-history-%1").arg(++serial);
    m_reason = refusal(path);
    if (!m_reason.isEmpty())
        return;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        m_reason = QStringLiteral("Qt's SQLite driver (libqt6sql6-sqlite) is not installed.");
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!db.open()) {
        fail(db.lastError());
        return;
    }
    // A link put in its place while the file was being opened: SQLite
    // followed it, so nothing is written through it.
    m_reason = refusal(path);
    if (!m_reason.isEmpty()) {
        db.close();
        return;
    }
    prepareTables();
}

HistoryStore::~HistoryStore()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

QString HistoryStore::refusal(const QString &path)
{
    // A link would let whoever planted it choose which file the viewer
    // creates or overwrites; the store's own companions count as much.
    const QString files[] = { path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm"),
                              path + QStringLiteral("-journal") };
    for (const QString &file : files) {
        if (QFileInfo(file).isSymLink())
            return QStringLiteral("the history file (%1) is a link; the viewer does not follow "
                                  "links to its history.")
                    .arg(QFileInfo(file).fileName());
    }
    return {};
}

bool HistoryStore::isReady()
{
    return isAvailable() && (m_tablesReady || prepareTables());
}

bool HistoryStore::prepareTables()
{
    // Write-ahead logging with a sync at every commit: a committed read
    // survives a power cut, and a torn write never reaches earlier history.
    m_tablesReady = exec(QStringLiteral("PRAGMA journal_mode=WAL"))
            && exec(QStringLiteral("PRAGMA synchronous=FULL"))
            && exec(QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS events(at INTEGER NOT NULL, kind INTEGER NOT NULL, "
                    "position INTEGER NOT NULL, done INTEGER NOT NULL)"))
            && exec(QStringLiteral("CREATE TABLE IF NOT EXISTS state(kind INTEGER PRIMARY KEY, "
                                   "flags BLOB NOT NULL, fresh BLOB NOT NULL)"))
            && exec(QStringLiteral(
                    "CREATE INDEX IF NOT EXISTS events_by_entry ON events(kind, position)"));
    return m_tablesReady;
}

bool HistoryStore::exec(const QString &statement)
{
    if (!isAvailable())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    return query.exec(statement) || fail(query.lastError());
}

bool HistoryStore::fail(const QSqlError &error)
{
    // SQLite's own result codes tell the cases the user can act on apart;
    // the low byte is the primary code of an extended one.
    const QString file = QStringLiteral("the history file (%1)").arg(FileName);
    const int code = error.nativeErrorCode().toInt() & 0xff;
    switch (code) {
    case 5: // busy
    case 6: // locked
        // Another program's moment: the caller tries again later.
        m_busy = true;
        break;
    case 11: // corrupt
    case 26: // not a database
        m_reason = file + QStringLiteral(" is damaged.");
        break;
    case 13: // full
        m_reason = QStringLiteral("the disk that holds %1 is full.").arg(file);
        break;
    case 8: // read-only
    case 10: // input or output error
    case 14: // cannot open
    case 23: // no permission
        m_reason = file + QStringLiteral(" cannot be written in the program's folder.");
        break;
    default:
        m_reason = file + QStringLiteral(" cannot be used: %1.").arg(error.databaseText());
        break;
    }
    return false;
}

void HistoryStore::rollback()
{
    QSqlQuery(QSqlDatabase::database(m_connection, false)).exec(QStringLiteral("ROLLBACK"));
}

std::optional<Remembered> HistoryStore::remembered(catalog::Kind kind)
{
    m_busy = false;
    if (!isReady())
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT flags, fresh FROM state WHERE kind = ?"));
    query.addBindValue(storedKind(kind));
    if (!query.exec()) {
        fail(query.lastError());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return Remembered { query.value(0).toByteArray(), query.value(1).toByteArray() };
}

std::optional<std::vector<Event>> HistoryStore::recordRead(catalog::Kind kind, QByteArrayView flags,
                                                           QByteArrayView fresh,
                                                           const QDateTime &at)
{
    m_busy = false;
    if (!isReady() || !exec(QStringLiteral("BEGIN IMMEDIATE")))
        return std::nullopt;
    // Compared with what the store holds, not with what this window saw
    // last: a second viewer in the same folder records no event twice.
    const std::optional<Remembered> before = remembered(kind);
    std::vector<Event> recorded;
    if (before) {
        const qsizetype length = std::max(before->flags.size(), flags.size());
        for (qsizetype index = 0; index < length; ++index) {
            const bool done = isDone(flags, index);
            if (done != isDone(before->flags, index))
                recorded.push_back(
                        { at.toMSecsSinceEpoch(), kind, positionFromStored(int(index)), done });
        }
    }
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    bool written = isAvailable() && !m_busy;
    if (written && !recorded.empty()) {
        QSqlQuery insert(db);
        insert.prepare(
                QStringLiteral("INSERT INTO events(at, kind, position, done) VALUES (?, ?, ?, ?)"));
        for (Event &event : recorded) {
            insert.bindValue(0, event.at);
            insert.bindValue(1, storedKind(kind));
            insert.bindValue(2, storedPosition(event.position));
            insert.bindValue(3, int(event.done));
            if (!insert.exec()) {
                written = fail(insert.lastError());
                break;
            }
            event.id = insert.lastInsertId().toLongLong();
        }
    }
    if (written) {
        QSqlQuery save(db);
        save.prepare(QStringLiteral(
                "INSERT OR REPLACE INTO state(kind, flags, fresh) VALUES (?, ?, ?)"));
        save.addBindValue(storedKind(kind));
        save.addBindValue(flags.toByteArray());
        save.addBindValue(fresh.toByteArray());
        written = (save.exec() || fail(save.lastError())) && exec(QStringLiteral("COMMIT"));
    }
    if (!written) {
        rollback();
        return std::nullopt;
    }
    return recorded;
}

bool HistoryStore::rememberFresh(catalog::Kind kind, QByteArrayView fresh)
{
    m_busy = false;
    if (!isReady())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE state SET fresh = ? WHERE kind = ?"));
    query.addBindValue(fresh.toByteArray());
    query.addBindValue(storedKind(kind));
    return query.exec() || fail(query.lastError());
}

std::vector<Event> HistoryStore::eventsBefore(qint64 beforeId, int limit)
{
    std::vector<Event> found;
    m_busy = false;
    if (!isReady())
        return found;
    // By rowid, so a page costs the same at the top of a million events as
    // at their end.
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT rowid, at, kind, position, done FROM events "
                                 "WHERE rowid < ? ORDER BY rowid DESC LIMIT ?"));
    query.addBindValue(beforeId);
    query.addBindValue(limit);
    if (!query.exec()) {
        fail(query.lastError());
        return found;
    }
    found.reserve(size_t(limit));
    while (query.next())
        found.push_back({ query.value(1).toLongLong(),
                          kindFromStored(query.value(2).toInt()).value_or(catalog::Kind::Quest),
                          positionFromStored(query.value(3).toInt()), query.value(4).toBool(),
                          query.value(0).toLongLong() });
    return found;
}

std::vector<Event> HistoryStore::latestPerEntry()
{
    // One look-up per entry the flags have room for, each answered by the
    // index by entry, instead of a pass over every event.
    std::vector<Event> found;
    for (const catalog::Kind kind : { catalog::Kind::Unique, catalog::Kind::Quest }) {
        const std::optional<Remembered> last = remembered(kind);
        for (int position = 1; last && position <= int(last->flags.size()); ++position) {
            if (const std::optional<Event> event = latestOf(kind, position))
                found.push_back(*event);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Event &a, const Event &b) { return a.id < b.id; });
    return found;
}

std::optional<Event> HistoryStore::latestOf(catalog::Kind kind, int position)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT rowid, at, done FROM events WHERE kind = ? AND "
                                 "position = ? ORDER BY rowid DESC LIMIT 1"));
    query.addBindValue(storedKind(kind));
    query.addBindValue(storedPosition(position));
    if (!query.exec()) {
        fail(query.lastError());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return Event { query.value(1).toLongLong(), kind, position, query.value(2).toBool(),
                   query.value(0).toLongLong() };
}

std::optional<Timeline> HistoryStore::readTimeline(const QString &path)
{
    if (!refusal(path).isEmpty())
        return std::nullopt;
    static std::atomic<int> serial = 0;
    const QString connection = QStringLiteral("huntmark-timeline-%1").arg(++serial);
    std::optional<Timeline> timeline;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(
                QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
        if (db.open())
            timeline = timelineOf(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return timeline;
}

} // namespace history
