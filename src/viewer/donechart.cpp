#include "donechart.h"

#include "catalog.h"
#include "markcolors.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

DoneChart::DoneChart(QWidget *parent) : QWidget(parent)
{
    setMinimumHeight(90);
}

void DoneChart::setHistory(const std::vector<history::Event> &events, int uniquesNow, int questsNow)
{
    // Counting back from now gives the counts before the first event.
    int uniques = uniquesNow;
    int quests = questsNow;
    for (const history::Event &event : events)
        (event.kind == history::Kind::Uniques ? uniques : quests) -= event.done ? 1 : -1;
    m_steps.clear();
    m_steps.reserve(events.size() + 1);
    for (const history::Event &event : events) {
        if (m_steps.empty())
            m_steps.push_back({ event.at, uniques, quests });
        (event.kind == history::Kind::Uniques ? uniques : quests) += event.done ? 1 : -1;
        m_steps.push_back({ event.at, uniques, quests });
    }
    update();
}

void DoneChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Base));
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));

    const QColor uniquesColor = doneColor(pal);
    const QColor questsColor = pal.color(QPalette::Highlight);
    const int legendHeight = fontMetrics().height() + 4;
    const QRectF area = QRectF(rect()).adjusted(8, legendHeight + 4, -8, -6);
    if (m_steps.empty()) {
        painter.setPen(pal.color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No change recorded yet"));
        return;
    }
    const std::pair<qreal, qreal> range = shareRange();
    painter.setPen(pal.color(QPalette::PlaceholderText));
    painter.drawText(area.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("%1 %").arg(qRound(range.second)));
    painter.drawText(area.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("%1 %").arg(qRound(range.first)));
    paintLine(painter, area, range, &Step::quests, catalog::QuestCount, questsColor);
    paintLine(painter, area, range, &Step::uniques, catalog::UniqueMonsterCount, uniquesColor);

    const Step &last = m_steps.back();
    const QRect legend(8, 2, width() - 16, legendHeight);
    painter.setPen(uniquesColor);
    painter.drawText(legend, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Uniques defeated: %1 of %2")
                             .arg(last.uniques)
                             .arg(catalog::UniqueMonsterCount));
    painter.setPen(questsColor);
    painter.drawText(
            legend, Qt::AlignRight | Qt::AlignVCenter,
            QStringLiteral("Quests completed: %1 of %2").arg(last.quests).arg(catalog::QuestCount));
}

std::pair<qreal, qreal> DoneChart::shareRange() const
{
    // A follower sees a few entries a day turn done out of 220: the height
    // spans the shares the lines reach, a little more, in steps of 5 %.
    qreal low = 100;
    qreal high = 0;
    for (const Step &step : m_steps) {
        for (const qreal share : { 100.0 * step.uniques / catalog::UniqueMonsterCount,
                                   100.0 * step.quests / catalog::QuestCount }) {
            low = std::min(low, share);
            high = std::max(high, share);
        }
    }
    return { std::max(0.0, 5 * std::floor(low / 5 - 0.2)),
             std::min(100.0, 5 * std::ceil(high / 5 + 0.2)) };
}

void DoneChart::paintLine(QPainter &painter, const QRectF &area, std::pair<qreal, qreal> range,
                          int Step::*count, int total, const QColor &color) const
{
    // Shares of the whole, so both lines use one scale; time runs from the
    // first change to the last, and many steps within one pixel collapse
    // into one vertical stroke.
    const qint64 first = m_steps.front().at;
    const qint64 span = std::max<qint64>(1, m_steps.back().at - first);
    auto xOf = [&](qint64 at) {
        return area.left() + area.width() * qreal(at - first) / qreal(span);
    };
    const qreal spread = std::max(1.0, range.second - range.first);
    auto yOf = [&](int done) {
        return area.bottom()
                - area.height() * qBound(0.0, (100.0 * done / total - range.first) / spread, 1.0);
    };
    QPainterPath path;
    path.moveTo(area.left(), yOf(m_steps.front().*count));
    for (const Step &step : m_steps) {
        const QPointF corner(xOf(step.at), path.currentPosition().y());
        if (corner.x() - path.currentPosition().x() >= 0.5)
            path.lineTo(corner);
        path.lineTo(corner.x(), yOf(step.*count));
    }
    path.lineTo(area.right(), path.currentPosition().y());
    painter.setPen(QPen(color, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}
