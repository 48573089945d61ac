#include "historywindow.h"

#include "catalog.h"
#include "donechart.h"
#include "progresshistory.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

namespace {

enum Column { Time, Entry, Tab, What, ColumnCount };

// Rows read from the store at a time: a few screens full.
constexpr int PageSize = 500;

QString entryName(catalog::Kind kind, catalog::ListPlace place)
{
    if (kind == catalog::Kind::Unique)
        return QString::fromLatin1(catalog::findUniqueMonster(place.tab, place.row)->name);
    return QString::fromLatin1(catalog::findQuest(place.tab, place.row)->name);
}

QString tabCaption(catalog::Kind kind, int tab)
{
    if (kind == catalog::Kind::Unique)
        return QString::fromLatin1(catalog::regions()[size_t(tab)].caption);
    return QString::fromLatin1(catalog::questGroups()[size_t(tab)].caption);
}

QString what(const history::Event &event)
{
    if (!event.done)
        return QStringLiteral("undone");
    return event.kind == catalog::Kind::Unique ? QStringLiteral("defeated")
                                               : QStringLiteral("completed");
}

} // namespace

HistoryModel::HistoryModel(ProgressHistory *history, QObject *parent)
    : QAbstractTableModel(parent), m_history(history)
{
}

void HistoryModel::reload()
{
    beginResetModel();
    m_rows.clear();
    m_oldestId = history::NewestFirst;
    m_complete = false;
    endResetModel();
    fetchMore({});
}

bool HistoryModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_complete;
}

void HistoryModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || m_complete)
        return;
    const std::vector<history::Event> page = m_history->eventsBefore(m_oldestId, PageSize);
    m_complete = int(page.size()) < PageSize;
    if (!page.empty())
        m_oldestId = page.back().id;
    std::vector<history::Event> known;
    known.reserve(page.size());
    // Flags beyond the catalog have no line to name.
    std::copy_if(page.begin(), page.end(), std::back_inserter(known), [](const history::Event &e) {
        return catalog::entryAt(e.kind, e.position).has_value();
    });
    if (known.empty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(known.size()) - 1);
    m_rows.insert(m_rows.end(), known.begin(), known.end());
    endInsertRows();
}

void HistoryModel::prepend(const std::vector<history::Event> &events)
{
    std::vector<history::Event> known;
    for (auto event = events.rbegin(); event != events.rend(); ++event) {
        if (catalog::entryAt(event->kind, event->position))
            known.push_back(*event);
    }
    // Read before the first page was: the pages start below them.
    if (m_oldestId == history::NewestFirst && !events.empty())
        m_oldestId = events.front().id;
    if (known.empty())
        return;
    // The newest stand on top.
    beginInsertRows({}, 0, int(known.size()) - 1);
    m_rows.insert(m_rows.begin(), known.begin(), known.end());
    endInsertRows();
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const history::Event &event = eventAt(index.row());
    if (role == Qt::UserRole && index.column() == Time)
        return event.time();
    if (role != Qt::DisplayRole)
        return {};
    const std::optional<catalog::ListPlace> place = catalog::entryAt(event.kind, event.position);
    if (!place)
        return {};
    switch (index.column()) {
    case Time:
        return event.time().toString(QStringLiteral("d MMM yyyy  HH:mm"));
    case Entry:
        return entryName(event.kind, *place);
    case Tab:
        return tabCaption(event.kind, place->tab);
    case What:
        return what(event);
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const titles[ColumnCount] = { "Time", "Entry", "Tab", "What" };
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section])
                                                 : QVariant();
}

HistoryWindow::HistoryWindow(ProgressHistory *history, QWidget *parent)
    : QDialog(parent),
      m_history(history),
      m_model(new HistoryModel(history, this)),
      m_status(new QLabel(this)),
      m_chart(new DoneChart(this)),
      m_list(new QTableView(this))
{
    setObjectName(QStringLiteral("History"));
    setWindowTitle(QStringLiteral("History - Huntmark (Viewer)"));
    setModal(false);
    m_status->setObjectName(QStringLiteral("HistoryStatus"));
    m_status->setWordWrap(true);
    m_chart->setObjectName(QStringLiteral("HistoryChart"));
    m_list->setObjectName(QStringLiteral("HistoryList"));
    // A table of rows of one height: rows read or recorded later are added
    // without laying out those already there, as a tree view would.
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAlternatingRowColors(true);
    m_list->setModel(m_model);
    // Widths from the texts' measure, not from the rows: with thousands of
    // rows, fitting the columns to their contents would cost more than the
    // whole list.
    const QFontMetrics metrics = m_list->fontMetrics();
    m_list->horizontalHeader()->resizeSection(
            Time, metrics.horizontalAdvance(QStringLiteral("30 Sep 2026  00:00")) + 24);
    m_list->horizontalHeader()->resizeSection(Entry,
                                              metrics.horizontalAdvance(QLatin1Char('M')) * 17);
    m_list->horizontalHeader()->resizeSection(Tab,
                                              metrics.horizontalAdvance(QLatin1Char('M')) * 14);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_chart);
    layout->addWidget(m_list, 1);
    resize(760, 540);

    connect(m_list, &QTableView::activated, this, &HistoryWindow::choose);
    connect(m_history, &ProgressHistory::eventsRecorded, this, &HistoryWindow::append);
    connect(m_history, &ProgressHistory::unavailable, this, &HistoryWindow::showUnavailable);
    connect(m_history, &ProgressHistory::busyChanged, this, &HistoryWindow::showStatus);
    connect(m_history, &ProgressHistory::opened, this, &HistoryWindow::load);
    if (m_history->isOpen())
        load();
    else
        showStatus();
}

HistoryWindow::~HistoryWindow()
{
    if (!m_timelineReader)
        return;
    m_timelineReader->requestInterruption();
    m_timelineReader->wait();
    delete m_timelineReader;
}

void HistoryWindow::load()
{
    if (!m_history->isAvailable()) {
        showUnavailable(m_history->unavailableReason());
        return;
    }
    m_model->reload();
    readTimeline();
    showStatus();
}

void HistoryWindow::readTimeline()
{
    auto timeline = std::make_shared<std::optional<history::Timeline>>();
    m_timelineReader = QThread::create([timeline, path = m_history->storePath()] {
        *timeline = history::HistoryStore::readTimeline(path);
    });
    connect(m_timelineReader, &QThread::finished, this, [this, timeline] {
        delete m_timelineReader;
        m_timelineReader = nullptr;
        if (*timeline)
            m_chart->setTimeline(std::move(**timeline));
        showStatus();
    });
    m_timelineReader->start(QThread::LowPriority);
}

void HistoryWindow::append(const std::vector<history::Event> &events)
{
    m_model->prepend(events);
    m_chart->append(events);
    showStatus();
}

void HistoryWindow::showStatus()
{
    if (!m_history->isAvailable())
        return;
    if (m_history->isBusy()) {
        m_status->setText(QStringLiteral(
                "The history file (History.sqlite) is busy: another program holds it. What the "
                "viewer reads meanwhile is kept, with its time, and written as soon as it is "
                "free."));
        return;
    }
    const qint64 count = m_chart->eventCount();
    if (count == 0
        || (count < 0 && m_history->isOpen() && m_model->rowCount() == 0
            && !m_model->canFetchMore({}))) {
        m_status->setText(QStringLiteral("No change recorded yet: entries the other player does "
                                         "from now on appear here with the time the viewer saw "
                                         "them."));
        return;
    }
    const QString changes =
            count < 0 ? QStringLiteral("Changes") : QStringLiteral("%1 changes").arg(count);
    m_status->setText(changes
                      + QStringLiteral(", newest first. Double-click one, or press Enter, to show "
                                       "it in the main window."));
}

void HistoryWindow::showUnavailable(const QString &reason)
{
    // What was listed stays; nothing more will be added.
    m_status->setText(
            QStringLiteral("The history is unavailable: %1 The viewer works on without it.")
                    .arg(reason));
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::WindowText, QColor(0xb0, 0x3a, 0x00));
    m_status->setPalette(palette);
    m_chart->setVisible(m_model->rowCount() > 0);
}

void HistoryWindow::choose(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const history::Event &event = m_model->eventAt(index.row());
    Q_EMIT entryChosen(event.kind, event.position);
}
