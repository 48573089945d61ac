#pragma once

#include "historystore.h"

#include <QWidget>

#include <vector>

// How many uniques and quests were done over time, drawn as two step lines
// from the first recorded change to now. Painted by hand: two lines and a
// legend do not need a charting library, and this one draws thousands of
// steps without creating an object for each.
class DoneChart : public QWidget
{
    Q_OBJECT

public:
    explicit DoneChart(QWidget *parent = nullptr);

    // `events` oldest first; the counts are those of the last read, to which
    // the last event led.
    void setHistory(const std::vector<history::Event> &events, int uniquesNow, int questsNow);

    QSize sizeHint() const override { return { 560, 110 }; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Step
    {
        qint64 at; // milliseconds since the epoch
        int uniques;
        int quests;
    };

    // The range of shares done that the height shows, in percent.
    std::pair<qreal, qreal> shareRange() const;
    void paintLine(QPainter &painter, const QRectF &area, std::pair<qreal, qreal> range,
                   int Step::*count, int total, const QColor &color) const;

    std::vector<Step> m_steps;
};
