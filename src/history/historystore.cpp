#include "historystore.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace history {

namespace {

// How long a read waits for another program (a second viewer in the same
// folder) to finish its own write before the store gives up.
constexpr int BusyTimeoutMs = 250;

bool isDone(QByteArrayView flags, qsizetype position)
{
    return position < flags.size() && flags[position] == '1';
}

} // namespace

HistoryStore::HistoryStore(const QString &path)
{
    static int serial = 0;
    m_connection = QStringLiteral("huntmark-history-%1").arg(++serial);
    const QString name = QFileInfo(path).fileName();
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
    // Write-ahead logging with a sync at every commit: a committed read
    // survives a power cut, and a torn write never reaches earlier history.
    exec(QStringLiteral("PRAGMA journal_mode=WAL"))
            && exec(QStringLiteral("PRAGMA synchronous=FULL"))
            && exec(QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS events(at INTEGER NOT NULL, kind INTEGER NOT NULL, "
                    "position INTEGER NOT NULL, done INTEGER NOT NULL)"))
            && exec(QStringLiteral("CREATE TABLE IF NOT EXISTS state(kind INTEGER PRIMARY KEY, "
                                   "flags BLOB NOT NULL, fresh BLOB NOT NULL)"))
            && exec(QStringLiteral(
                    "CREATE INDEX IF NOT EXISTS events_by_entry ON events(kind, position)"));
}

HistoryStore::~HistoryStore()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
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
    // SQLite's own result codes tell the cases the user can act on apart.
    const QString file = QStringLiteral("the history file (%1)").arg(FileName);
    const int code = error.nativeErrorCode().toInt();
    switch (code) {
    case 5: // busy
    case 6: // locked
        m_reason = file + QStringLiteral(" is in use by another program.");
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

std::optional<Remembered> HistoryStore::remembered(Kind kind)
{
    if (!isAvailable())
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT flags, fresh FROM state WHERE kind = ?"));
    query.addBindValue(int(kind));
    if (!query.exec()) {
        fail(query.lastError());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return Remembered { query.value(0).toByteArray(), query.value(1).toByteArray() };
}

std::vector<Event> HistoryStore::recordRead(Kind kind, QByteArrayView flags, QByteArrayView fresh,
                                            const QDateTime &at)
{
    if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
        return {};
    // Compared with what the store holds, not with what this window saw
    // last: a second viewer in the same folder records no event twice.
    const std::optional<Remembered> before = remembered(kind);
    std::vector<Event> recorded;
    if (before) {
        const qsizetype length = std::max(before->flags.size(), flags.size());
        for (qsizetype position = 0; position < length; ++position) {
            const bool done = isDone(flags, position);
            if (done != isDone(before->flags, position))
                recorded.push_back({ at.toMSecsSinceEpoch(), kind, int(position), done });
        }
    }
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    bool written = isAvailable();
    if (written && !recorded.empty()) {
        QSqlQuery insert(db);
        insert.prepare(
                QStringLiteral("INSERT INTO events(at, kind, position, done) VALUES (?, ?, ?, ?)"));
        for (const Event &event : recorded) {
            insert.bindValue(0, at.toMSecsSinceEpoch());
            insert.bindValue(1, int(kind));
            insert.bindValue(2, event.position);
            insert.bindValue(3, int(event.done));
            if (!insert.exec()) {
                written = fail(insert.lastError());
                break;
            }
        }
    }
    if (written) {
        QSqlQuery save(db);
        save.prepare(QStringLiteral(
                "INSERT OR REPLACE INTO state(kind, flags, fresh) VALUES (?, ?, ?)"));
        save.addBindValue(int(kind));
        save.addBindValue(flags.toByteArray());
        save.addBindValue(fresh.toByteArray());
        written = (save.exec() || fail(save.lastError())) && exec(QStringLiteral("COMMIT"));
    }
    if (!written) {
        rollback();
        return {};
    }
    return recorded;
}

void HistoryStore::rememberFresh(Kind kind, QByteArrayView fresh)
{
    if (!isAvailable())
        return;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE state SET fresh = ? WHERE kind = ?"));
    query.addBindValue(fresh.toByteArray());
    query.addBindValue(int(kind));
    if (!query.exec())
        fail(query.lastError());
}

std::vector<Event> HistoryStore::events()
{
    return select(QStringLiteral("SELECT at, kind, position, done FROM events ORDER BY rowid"));
}

std::vector<Event> HistoryStore::latestPerEntry()
{
    // The index by entry answers this without touching the other events.
    return select(QStringLiteral(
            "SELECT at, kind, position, done FROM events WHERE rowid IN "
            "(SELECT MAX(rowid) FROM events GROUP BY kind, position) ORDER BY rowid"));
}

std::vector<Event> HistoryStore::select(const QString &statement)
{
    std::vector<Event> found;
    if (!isAvailable())
        return found;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    if (!query.exec(statement)) {
        fail(query.lastError());
        return found;
    }
    while (query.next())
        found.push_back({ query.value(0).toLongLong(), Kind(query.value(1).toInt()),
                          query.value(2).toInt(), query.value(3).toBool() });
    return found;
}

} // namespace history
