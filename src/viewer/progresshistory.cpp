#include "progresshistory.h"

#include "programfolder.h"

ProgressHistory::ProgressHistory(const QString &programFolder, QObject *parent)
    : QObject(parent),
      m_path(platform::programFilePath(programFolder, history::FileName)),
      m_clock([] { return QDateTime::currentDateTime(); })
{
}

history::HistoryStore &ProgressHistory::store()
{
    if (m_store)
        return *m_store;
    m_store = std::make_unique<history::HistoryStore>(m_path);
    // In the order they happened, so the last change comes last.
    for (const history::Event &event : m_store->latestPerEntry())
        learnFrom(event);
    for (const history::Kind kind : { history::Kind::Uniques, history::Kind::Quests }) {
        if (const std::optional<history::Remembered> last = m_store->remembered(kind))
            m_flags[size_t(kind)] = last->flags;
    }
    if (m_lastChange.isValid())
        emit lastChangeChanged(m_lastChange);
    return *m_store;
}

ProgressHistory::~ProgressHistory() = default;

std::optional<history::Remembered> ProgressHistory::remembered(history::Kind kind)
{
    return store().remembered(kind);
}

void ProgressHistory::recordRead(history::Kind kind, QByteArrayView flags, QByteArrayView fresh)
{
    if (!store().isAvailable())
        return;
    const std::vector<history::Event> recorded = m_store->recordRead(kind, flags, fresh, now());
    if (!m_store->isAvailable()) {
        emit unavailable(m_store->unavailableReason());
        return;
    }
    m_flags[size_t(kind)] = flags.toByteArray();
    if (recorded.empty())
        return;
    for (const history::Event &event : recorded)
        learnFrom(event);
    emit eventsRecorded(recorded);
    emit lastChangeChanged(m_lastChange);
}

void ProgressHistory::rememberFresh(history::Kind kind, QByteArrayView fresh)
{
    const bool wasAvailable = store().isAvailable();
    m_store->rememberFresh(kind, fresh);
    if (wasAvailable && !m_store->isAvailable())
        emit unavailable(m_store->unavailableReason());
}

QDateTime ProgressHistory::doneAt(history::Kind kind, int position) const
{
    const auto &times = m_doneAt[size_t(kind)];
    const auto found = times.find(position);
    return found == times.end() ? QDateTime() : found->second;
}

int ProgressHistory::doneCount(history::Kind kind) const
{
    return int(m_flags[size_t(kind)].count('1'));
}

void ProgressHistory::learnFrom(const history::Event &event)
{
    auto &times = m_doneAt[size_t(event.kind)];
    if (event.done)
        times[event.position] = event.time();
    else
        times.erase(event.position);
    m_lastChange = event.time();
}
