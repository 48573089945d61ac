#pragma once

#include "historystore.h"

#include <QDateTime>
#include <QObject>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// The window's side of the history: the readers' marks hand every read to it,
// it writes them to the store in the program's folder and keeps at hand what
// the window shows often (when each entry was done, the last change), so
// only the history window itself ever reads the whole store.
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

    bool isAvailable() { return store().isAvailable(); }
    QString unavailableReason() { return store().unavailableReason(); }

    // What the last read of an earlier run left, if there was one.
    std::optional<history::Remembered> remembered(history::Kind kind);

    // A read whose flags differ from the last one's.
    void recordRead(history::Kind kind, QByteArrayView flags, QByteArrayView fresh);
    void rememberFresh(history::Kind kind, QByteArrayView fresh);

    // When an entry that is done now was seen turning done; invalid for one
    // done before the history began, or not done.
    QDateTime doneAt(history::Kind kind, int position) const;
    // The time of the last event; invalid before any.
    QDateTime lastChange() const { return m_lastChange; }
    // How many entries the last read found done.
    int doneCount(history::Kind kind) const;

    std::vector<history::Event> events() { return store().events(); }

signals:
    void eventsRecorded(const std::vector<history::Event> &events);
    void lastChangeChanged(const QDateTime &time);
    // The store has just turned unavailable.
    void unavailable(const QString &reason);

private:
    // Opened at the first read, so a window that never starts up writes
    // nothing into the program's folder.
    history::HistoryStore &store();
    void learnFrom(const history::Event &event);

    QString m_path;
    std::unique_ptr<history::HistoryStore> m_store;
    Clock m_clock;
    std::array<std::map<int, QDateTime>, 2> m_doneAt;
    std::array<QByteArray, 2> m_flags;
    QDateTime m_lastChange;
};
