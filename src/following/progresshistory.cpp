#include "progresshistory.h"

#include "programfolder.h"

#include <QTimer>

namespace {

// How soon a store another program holds is tried again.
constexpr int RetryMs = 250;

} // namespace

ProgressHistory::ProgressHistory(const QString &programFolder, QObject *parent)
    : QObject(parent),
      m_path(platform::programFilePath(programFolder, history::FileName)),
      m_retry(new QTimer(this)),
      m_clock([] { return QDateTime::currentDateTime(); })
{
    m_retry->setSingleShot(true);
    m_retry->setInterval(RetryMs);
    connect(m_retry, &QTimer::timeout, this, [this] { m_opened ? writePending() : open(); });
}

ProgressHistory::~ProgressHistory()
{
    // One last try for reads still waiting; a store still held loses them,
    // and the next run's first read records those changes at its own time.
    // Nothing that would hear of it is left.
    blockSignals(true);
    writePending();
}

void ProgressHistory::open()
{
    if (m_opened)
        return;
    if (!m_store)
        m_store = std::make_unique<history::HistoryStore>(m_path);
    std::vector<history::Event> latest;
    if (m_store->isAvailable()) {
        for (const catalog::Kind kind : { catalog::Kind::Unique, catalog::Kind::Quest }) {
            m_remembered[size_t(kind)] = m_store->remembered(kind);
            if (m_store->isBusy())
                break;
        }
        if (!m_store->isBusy())
            latest = m_store->latestPerEntry();
    }
    if (m_store->isBusy()) {
        // What the store remembers decides what is new: nothing is shown or
        // written until it can be read.
        setBusy(true);
        m_retry->start();
        return;
    }
    m_opened = true;
    // In the order they happened, so the last change comes last.
    for (const history::Event &event : latest)
        learnFrom(event);
    if (m_lastChange.isValid())
        Q_EMIT lastChangeChanged(m_lastChange);
    if (!m_store->isAvailable()) {
        m_pending.clear();
        setBusy(false);
        Q_EMIT unavailable(m_store->unavailableReason());
    }
    Q_EMIT opened();
    writePending();
}

std::optional<history::Remembered> ProgressHistory::remembered(catalog::Kind kind) const
{
    return m_remembered[size_t(kind)];
}

void ProgressHistory::recordRead(catalog::Kind kind, QByteArrayView flags, QByteArrayView fresh)
{
    if (!isAvailable())
        return;
    // The read carries the newest new marks of its kind.
    m_pendingFresh[size_t(kind)].reset();
    m_pending.push_back({ kind, flags.toByteArray(), fresh.toByteArray(), now() });
    writePending();
}

void ProgressHistory::rememberFresh(catalog::Kind kind, QByteArrayView fresh)
{
    if (!isAvailable())
        return;
    m_pendingFresh[size_t(kind)] = fresh.toByteArray();
    writePending();
}

void ProgressHistory::writePending()
{
    if (!m_opened || !m_store->isAvailable())
        return;
    while (!m_pending.empty()) {
        const PendingRead &read = m_pending.front();
        const std::optional<std::vector<history::Event>> recorded =
                m_store->recordRead(read.kind, read.flags, read.fresh, read.at);
        if (!recorded)
            break;
        m_pending.pop_front();
        if (recorded->empty())
            continue;
        for (const history::Event &event : *recorded)
            learnFrom(event);
        Q_EMIT eventsRecorded(*recorded);
        Q_EMIT lastChangeChanged(m_lastChange);
    }
    for (std::optional<QByteArray> &fresh : m_pendingFresh) {
        const catalog::Kind kind = catalog::Kind(&fresh - m_pendingFresh.data());
        if (m_pending.empty() && fresh && m_store->rememberFresh(kind, *fresh))
            fresh.reset();
    }
    if (!m_store->isAvailable()) {
        m_pending.clear();
        m_pendingFresh = {};
        setBusy(false);
        Q_EMIT unavailable(m_store->unavailableReason());
        return;
    }
    const bool waiting =
            !m_pending.empty() || m_pendingFresh[0].has_value() || m_pendingFresh[1].has_value();
    setBusy(waiting);
    if (waiting)
        m_retry->start();
}

void ProgressHistory::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged(busy);
}

std::vector<history::Event> ProgressHistory::eventsBefore(qint64 beforeId, int limit)
{
    if (!m_opened || !m_store->isAvailable())
        return {};
    return m_store->eventsBefore(beforeId, limit);
}

QDateTime ProgressHistory::doneAt(catalog::Kind kind, int position) const
{
    const auto &times = m_doneAt[size_t(kind)];
    const auto found = times.find(position);
    return found == times.end() ? QDateTime() : found->second;
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
