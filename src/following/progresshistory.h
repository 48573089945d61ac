#pragma once

#include "historystore.h"

#include <QDateTime>
#include <QObject>

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QTimer;

// The window's side of the history: the readers' marks hand every read to it,
// it writes them to the store in the program's folder and keeps at hand what
// the window shows often (when each entry was done, the last change), so
// only the history window itself ever reads the whole store.
//
// The store is opened when the window asks for it, after its first frame.
// Reads handed over before then, or while another program holds the store,
// wait in memory with the time of their own read and are written, in order,
// as soon as the store can take them.
class ProgressHistory : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    ProgressHistory(const QString &programFolder, QObject *parent);
    ~ProgressHistory() override;

    // The time of a read; the local clock unless replaced.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    QDateTime now() const { return m_clock(); }

    // Opens the store, learns what it holds and writes what waits. Once.
    void open();
    bool isOpen() const { return m_opened; }
    bool isAvailable() const { return !m_store || m_store->isAvailable(); }
    QString unavailableReason() const { return m_store ? m_store->unavailableReason() : QString(); }
    // Reads wait because another program holds the store.
    bool isBusy() const { return m_busy; }
    QString storePath() const { return m_path; }

    // What the last read of an earlier run left, as the store held it when it
    // was opened; nothing before that.
    std::optional<history::Remembered> remembered(catalog::Kind kind) const;

    // A read whose flags differ from the last one's.
    void recordRead(catalog::Kind kind, QByteArrayView flags, QByteArrayView fresh);
    void rememberFresh(catalog::Kind kind, QByteArrayView fresh);

    // When an entry that is done now was seen turning done; invalid for one
    // done before the history began, or not done.
    QDateTime doneAt(catalog::Kind kind, int position) const;

    // Up to `limit` events older than the event `beforeId`, newest first.
    std::vector<history::Event> eventsBefore(qint64 beforeId, int limit);

Q_SIGNALS:
    // The store is open (or found unusable): what it remembers can be asked.
    void opened();
    void eventsRecorded(const std::vector<history::Event> &events);
    void lastChangeChanged(const QDateTime &time);
    // The store has just turned unavailable.
    void unavailable(const QString &reason);
    void busyChanged(bool busy);

private:
    struct PendingRead
    {
        catalog::Kind kind;
        QByteArray flags;
        QByteArray fresh;
        QDateTime at;
    };

    // Writes what waits, oldest first, until the store is busy.
    void writePending();
    void setBusy(bool busy);
    void learnFrom(const history::Event &event);

    QString m_path;
    std::unique_ptr<history::HistoryStore> m_store;
    bool m_opened = false;
    bool m_busy = false;
    QTimer *m_retry;
    Clock m_clock;
    std::array<std::optional<history::Remembered>, 2> m_remembered;
    std::deque<PendingRead> m_pending;
    std::array<std::optional<QByteArray>, 2> m_pendingFresh;
    std::array<std::map<int, QDateTime>, 2> m_doneAt;
    QDateTime m_lastChange;
};
