#pragma once

#include "historystore.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <vector>

class DoneChart;
class ProgressHistory;
class QLabel;
class QTreeView;

// Where an entry stands in the window: its tab (region or quest group) and
// its line there; a tab of -1 for a position outside the catalog.
struct EntryPlace
{
    int tab = -1;
    int row = -1;
};
EntryPlace placeOf(history::Kind kind, int position);

// The events, newest first: time, entry, its tab's caption, what happened.
// The first column's Qt::UserRole holds the event's QDateTime.
class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setEvents(std::vector<history::Event> events);
    void append(const std::vector<history::Event> &events);
    const std::vector<history::Event> &events() const { return m_events; }
    const history::Event &eventAt(int row) const
    {
        return m_events[m_events.size() - 1 - size_t(row)];
    }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<history::Event> m_events; // oldest first
};

// The follower's timeline: a chart of the done counts over the list of
// events. Not modal; it follows every read while open. Activating a row
// asks the main window to show that entry.
class HistoryWindow : public QDialog
{
    Q_OBJECT

public:
    HistoryWindow(ProgressHistory *history, QWidget *parent);

signals:
    void entryChosen(history::Kind kind, int position);

private:
    void append(const std::vector<history::Event> &events);
    void showUnavailable(const QString &reason);
    void showStatus();
    void choose(const QModelIndex &index);

    ProgressHistory *m_history;
    HistoryModel *m_model;
    QLabel *m_status;
    DoneChart *m_chart;
    QTreeView *m_list;
};
