#include "viewer/donechart.h"

#include "catalog/catalog.h"
#include "viewer/markcolors.h"

#include <QPainter>
#include <QPainterPath>

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
            m_steps.push_back({event.at.toMSecsSinceEpoch(), uniques, quests});
        (event.kind == history::Kind::Uniques ? uniques : quests) += event.done ? 1 : -1;
        m_steps.push_back({event.at.toMSecsSinceEpoch(), uniques, quests});
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

    const QColor uniquesColour = doneColor(pal);
    const QColor questsColour = pal.color(QPalette::Highlight);
    const int legendHeight = fontMetrics().height() + 4;
    const QRectF area = QRectF(rect()).adjusted(8, legendHeight + 4, -8, -6);
    if (m_steps.empty()) {
        painter.setPen(pal.color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No change recorded yet"));
        return;
    }
    paintLine(painter, area, &Step::quests, catalog::QuestCount, questsColour);
    paintLine(painter, area, &Step::uniques, catalog::UniqueMonsterCount, uniquesColour);

    const Step &last = m_steps.back();
    const QRect legend(8, 2, width() - 16, legendHeight);
    painter.setPen(uniquesColour);
    painter.drawText(
            legend, Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("Uniques defeated: %1 of %2").arg(last.uniques).arg(catalog::UniqueMonsterCount));
    painter.setPen(questsColour);
    painter.drawText(legend, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Quests completed: %1 of %2").arg(last.quests).arg(catalog::QuestCount));
}

void DoneChart::paintLine(QPainter &painter, const QRectF &area, int Step::*count, int total,
                          const QColor &colour) const
{
    // Shares of the whole, so both lines use the height; time runs from the
    // first change to the last, and many steps within one pixel collapse
    // into one vertical stroke.
    const qint64 first = m_steps.front().at;
    const qint64 span = std::max<qint64>(1, m_steps.back().at - first);
    auto xOf = [&](qint64 at) { return area.left() + area.width() * qreal(at - first) / qreal(span); };
    auto yOf = [&](int done) {
        return area.bottom() - area.height() * qBound(0.0, qreal(done) / total, 1.0);
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
    painter.setPen(QPen(colour, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}
