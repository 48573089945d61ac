#pragma once

#include "historystore.h"

#include <QRectF>
#include <QWidget>

#include <vector>

// How many uniques and quests were done over time, drawn as two step lines
// from the first recorded change to the last. Painted by hand from what the
// pixels can show: each line is reduced to one column of its lowest, highest
// and last count per pixel, computed when the counts or the width change,
// so a paint costs the same at a hundred steps as at a million.
class DoneChart : public QWidget
{
    Q_OBJECT

public:
    explicit DoneChart(QWidget *parent = nullptr);

    // The counts over the whole history, as the store gave them.
    void setTimeline(history::Timeline timeline);
    // Events recorded since, oldest first: the lines grow by them.
    void append(const std::vector<history::Event> &events);
    // How many events the lines stand for; -1 while the counts are read.
    qint64 eventCount() const { return m_loaded ? m_events : -1; }

    QSize sizeHint() const override { return { 560, 110 }; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void addEvent(const history::Event &event);
    // The area the lines fill.
    QRectF plotArea() const;
    // Reduces the steps to the pixel columns of the current width.
    void layOut();

    bool m_loaded = false;
    std::vector<history::CountStep> m_steps;
    qint64 m_lastId = 0;
    qint64 m_events = 0;
    // The counts when the store was read.
    history::CountStep m_countsBefore;
    // Events recorded while the counts were still being read.
    std::vector<history::Event> m_early;
    // The range of shares done that the height shows, in percent.
    std::pair<qreal, qreal> m_range { 0, 100 };
    // The lines' strokes.
    std::vector<QRectF> m_uniquesLine;
    std::vector<QRectF> m_questsLine;
};
