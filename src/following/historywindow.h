#pragma once

#include "historystore.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <deque>
#include <vector>

class DoneChart;
class ProgressHistory;
class QLabel;
class QThread;
class QTableView;

// The events, newest first: time, entry, its tab's caption, what happened.
// The first column's Qt::UserRole holds the event's QDateTime.
//
// Rows come from the store a page at a time as the list is scrolled to them,
// so opening the window costs the same at twenty events as at a million;
// events recorded while it is open go on top.
class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    HistoryModel(ProgressHistory *history, QObject *parent);

    // Starts again from the newest event, with the first page.
    void reload();
    // Events just recorded, oldest first.
    void prepend(const std::vector<history::Event> &events);
    const history::Event &eventAt(int row) const { return m_rows[size_t(row)]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    ProgressHistory *m_history;
    std::deque<history::Event> m_rows; // newest first
    // The oldest event read so far; the next page starts below it.
    qint64 m_oldestId = history::NewestFirst;
    bool m_complete = true;
};

// The follower's timeline: a chart of the done counts over the list of
// events. Not modal; it follows every read while open. Activating a row
// asks the main window to show that entry.
class HistoryWindow : public QDialog
{
    Q_OBJECT

public:
    HistoryWindow(ProgressHistory *history, QWidget *parent);
    ~HistoryWindow() override;

Q_SIGNALS:
    void entryChosen(catalog::Kind kind, int position);

private:
    void load();
    // The chart's counts come from a pass over the whole store, on a thread
    // of their own: the window does not wait for them.
    void readTimeline();
    void append(const std::vector<history::Event> &events);
    void showUnavailable(const QString &reason);
    void showStatus();
    void choose(const QModelIndex &index);

    ProgressHistory *m_history;
    HistoryModel *m_model;
    QLabel *m_status;
    DoneChart *m_chart;
    QTableView *m_list;
    QThread *m_timelineReader = nullptr;
};
