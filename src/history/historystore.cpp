#include "historystore.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <array>

namespace history {

// One prepared statement, finalized when it goes. Its last result code says
// how the last step went; a statement that could not be prepared fails every
// step.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
    {
        m_code = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(qint64 value)
    {
        if (m_code == SQLITE_OK)
            m_code = sqlite3_bind_int64(m_statement, ++m_bound, value);
        return *this;
    }
    // Bound as the bytes they are, an empty value as an empty one: SQLite
    // takes a null pointer for NULL, which the tables refuse.
    Statement &bind(QByteArrayView bytes)
    {
        if (m_code == SQLITE_OK)
            m_code = sqlite3_bind_blob64(m_statement, ++m_bound, bytes.empty() ? "" : bytes.data(),
                                         sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }

    // Steps to the next row: false at the end, and on a failure.
    bool next()
    {
        if (m_code == SQLITE_OK || m_code == SQLITE_ROW)
            m_code = sqlite3_step(m_statement);
        return m_code == SQLITE_ROW;
    }
    // Runs a statement that returns no rows: false on a failure.
    bool run()
    {
        next();
        return m_code == SQLITE_DONE;
    }
    // Ready to run again with new values.
    void reset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        m_bound = 0;
        if (m_statement)
            m_code = SQLITE_OK;
    }

    bool failed() const
    {
        return m_code != SQLITE_OK && m_code != SQLITE_ROW && m_code != SQLITE_DONE;
    }
    int code() const { return m_code; }

    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    QByteArray bytes(int column) const
    {
        const void *data = sqlite3_column_blob(m_statement, column);
        return QByteArray(static_cast<const char *>(data),
                          sqlite3_column_bytes(m_statement, column));
    }

private:
    sqlite3_stmt *m_statement = nullptr;
    int m_code = SQLITE_OK;
    int m_bound = 0;
};

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
std::optional<Timeline> timelineOf(sqlite3 *db)
{
    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return std::nullopt;
    Timeline timeline;
    int uniques = 0;
    int quests = 0;
    Statement events(db, "SELECT rowid, at, kind, done FROM events ORDER BY rowid");
    while (events.next()) {
        // A window closed meanwhile no longer needs the answer.
        if ((timeline.events & 0xfff) == 0 && QThread::currentThread()->isInterruptionRequested())
            return std::nullopt;
        const qint64 at = events.integer(1);
        (kindFromStored(int(events.integer(2))) == catalog::Kind::Unique ? uniques : quests) +=
                events.integer(3) != 0 ? 1 : -1;
        timeline.lastId = events.integer(0);
        ++timeline.events;
        // One step per read: the events of a read share its time.
        if (timeline.steps.empty() || timeline.steps.back().at != at)
            timeline.steps.push_back({ at, uniques, quests });
        else
            timeline.steps.back() = { at, uniques, quests };
    }
    if (events.failed())
        return std::nullopt;
    std::array<int, 2> now {};
    Statement state(db, "SELECT kind, flags FROM state");
    while (state.next()) {
        const int kind = int(state.integer(0));
        if (kindFromStored(kind))
            now[size_t(kind)] = doneCount(state.bytes(1));
    }
    if (state.failed())
        return std::nullopt;
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
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

// Opens the file at `path` with a short wait for another program's write.
// The handle comes back even when the open failed, to tell why; closing it is
// the caller's.
int openConnection(const QString &path, int flags, sqlite3 **db)
{
    const int code = sqlite3_open_v2(QFile::encodeName(path).constData(), db,
                                     flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (*db)
        sqlite3_busy_timeout(*db, BusyTimeoutMs);
    return code;
}

} // namespace

HistoryStore::HistoryStore(const QString &path)
{
    m_reason = refusal(path);
    if (!m_reason.isEmpty())
        return;
    const int code = openConnection(
            path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, &m_db);
    // A link put in its place meanwhile: SQLite refused to follow it, and a
    // link in place of a companion file is found before anything is written.
    m_reason = refusal(path);
    if (!m_reason.isEmpty())
        return;
    if (code != SQLITE_OK) {
        fail(code);
        return;
    }
    // SQLite sets a pool of small blocks aside for each connection, to
    // allocate quickly. The viewer's own connection lasts as long as the
    // viewer and makes a few statements a minute: without the pool it stays
    // 0.4 MiB smaller. The pass over every event keeps it.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_LOOKASIDE, nullptr, 0, 0);
    prepareTables();
}

HistoryStore::~HistoryStore()
{
    sqlite3_close_v2(m_db);
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
    m_tablesReady = exec("PRAGMA journal_mode=WAL") && exec("PRAGMA synchronous=FULL")
            && exec("CREATE TABLE IF NOT EXISTS events(at INTEGER NOT NULL, kind INTEGER NOT "
                    "NULL, position INTEGER NOT NULL, done INTEGER NOT NULL)")
            && exec("CREATE TABLE IF NOT EXISTS state(kind INTEGER PRIMARY KEY, flags BLOB NOT "
                    "NULL, fresh BLOB NOT NULL)")
            && exec("CREATE INDEX IF NOT EXISTS events_by_entry ON events(kind, position)");
    return m_tablesReady;
}

bool HistoryStore::exec(const char *statement)
{
    if (!isAvailable())
        return false;
    const int code = sqlite3_exec(m_db, statement, nullptr, nullptr, nullptr);
    return code == SQLITE_OK || fail(code);
}

bool HistoryStore::fail(int code)
{
    // SQLite's own result codes tell the cases the user can act on apart;
    // the low byte is the primary code of an extended one.
    const QString file = QStringLiteral("the history file (%1)").arg(FileName);
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        // Another program's moment: the caller tries again later.
        m_busy = true;
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        m_reason = file + QStringLiteral(" is damaged.");
        break;
    case SQLITE_FULL:
        m_reason = QStringLiteral("the disk that holds %1 is full.").arg(file);
        break;
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        m_reason = file + QStringLiteral(" cannot be written in the program's folder.");
        break;
    default:
        m_reason = file
                + QStringLiteral(" cannot be used: %1.")
                          .arg(QString::fromUtf8(m_db ? sqlite3_errmsg(m_db)
                                                      : sqlite3_errstr(code)));
        break;
    }
    return false;
}

bool HistoryStore::check(const Statement &statement)
{
    return !statement.failed() || fail(statement.code());
}

void HistoryStore::rollback()
{
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::optional<Remembered> HistoryStore::remembered(catalog::Kind kind)
{
    m_busy = false;
    if (!isReady())
        return std::nullopt;
    Statement query(m_db, "SELECT flags, fresh FROM state WHERE kind = ?");
    query.bind(storedKind(kind));
    if (!query.next()) {
        check(query);
        return std::nullopt;
    }
    return Remembered { query.bytes(0), query.bytes(1) };
}

std::optional<std::vector<Event>> HistoryStore::recordRead(catalog::Kind kind, QByteArrayView flags,
                                                           QByteArrayView fresh,
                                                           const QDateTime &at)
{
    m_busy = false;
    if (!isReady() || !exec("BEGIN IMMEDIATE"))
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
    bool written = isAvailable() && !m_busy;
    if (written && !recorded.empty()) {
        Statement insert(m_db, "INSERT INTO events(at, kind, position, done) VALUES (?, ?, ?, ?)");
        for (Event &event : recorded) {
            insert.reset();
            insert.bind(event.at)
                    .bind(storedKind(kind))
                    .bind(storedPosition(event.position))
                    .bind(qint64(event.done));
            if (!insert.run()) {
                written = check(insert);
                break;
            }
            event.id = sqlite3_last_insert_rowid(m_db);
        }
    }
    if (written) {
        Statement save(m_db, "INSERT OR REPLACE INTO state(kind, flags, fresh) VALUES (?, ?, ?)");
        save.bind(storedKind(kind)).bind(flags).bind(fresh);
        written = (save.run() || check(save)) && exec("COMMIT");
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
    Statement query(m_db, "UPDATE state SET fresh = ? WHERE kind = ?");
    query.bind(fresh).bind(storedKind(kind));
    return query.run() || check(query);
}

std::vector<Event> HistoryStore::eventsBefore(qint64 beforeId, int limit)
{
    std::vector<Event> found;
    m_busy = false;
    if (!isReady())
        return found;
    // By rowid, so a page costs the same at the top of a million events as
    // at their end.
    Statement query(m_db,
                    "SELECT rowid, at, kind, position, done FROM events WHERE rowid < ? "
                    "ORDER BY rowid DESC LIMIT ?");
    query.bind(beforeId).bind(qint64(limit));
    found.reserve(size_t(std::max(limit, 0)));
    while (query.next())
        found.push_back({ query.integer(1),
                          kindFromStored(int(query.integer(2))).value_or(catalog::Kind::Quest),
                          positionFromStored(int(query.integer(3))), query.integer(4) != 0,
                          query.integer(0) });
    check(query);
    return found;
}

std::vector<Event> HistoryStore::latestPerEntry()
{
    // One look-up per entry the flags have room for, each answered by the
    // index by entry, instead of a pass over every event.
    std::vector<Event> found;
    for (const catalog::Kind kind : { catalog::Kind::Unique, catalog::Kind::Quest }) {
        const std::optional<Remembered> last = remembered(kind);
        if (!last)
            continue;
        Statement latest(m_db,
                         "SELECT rowid, at, done FROM events WHERE kind = ? AND "
                         "position = ? ORDER BY rowid DESC LIMIT 1");
        for (int position = 1; position <= int(last->flags.size()); ++position) {
            latest.reset();
            latest.bind(storedKind(kind)).bind(storedPosition(position));
            if (latest.next())
                found.push_back({ latest.integer(1), kind, position, latest.integer(2) != 0,
                                  latest.integer(0) });
            else if (!check(latest))
                return {};
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Event &a, const Event &b) { return a.id < b.id; });
    return found;
}

std::optional<Timeline> HistoryStore::readTimeline(const QString &path)
{
    if (!refusal(path).isEmpty())
        return std::nullopt;
    sqlite3 *db = nullptr;
    std::optional<Timeline> timeline;
    if (openConnection(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, &db) == SQLITE_OK)
        timeline = timelineOf(db);
    sqlite3_close_v2(db);
    return timeline;
}

} // namespace history
