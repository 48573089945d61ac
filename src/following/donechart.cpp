#include "donechart.h"

#include "catalog.h"
#include "markcolors.h"

#include <QPainter>

#include <cmath>
#include <functional>

namespace {

// One pixel column of a line: the count it enters with, its lowest and
// highest, and the count it leaves with.
struct Column
{
    bool used = false;
    int low = 0;
    int high = 0;
    int last = 0;
};

void addTo(Column &column, int count)
{
    if (!column.used) {
        column = { true, count, count, count };
        return;
    }
    column.low = std::min(column.low, count);
    column.high = std::max(column.high, count);
    column.last = count;
}

// A step line through the columns, two pixels wide: flat between them, one
// vertical stroke over everything within one. Every stroke is a rectangle, so
// a paint fills at most a few per pixel column, however steep the history.
std::vector<QRectF> stepLine(const std::vector<Column> &columns, const QRectF &area, int first,
                             const std::function<qreal(int)> &yOf)
{
    constexpr qreal Half = 1;
    std::vector<QRectF> strokes;
    qreal from = area.left();
    qreal y = yOf(first);
    for (size_t x = 0; x < columns.size(); ++x) {
        const Column &column = columns[x];
        if (!column.used)
            continue;
        const qreal at = area.left() + qreal(x);
        if (at > from)
            strokes.emplace_back(from, y - Half, at - from, 2 * Half);
        const qreal top = std::min(y, yOf(column.high));
        const qreal bottom = std::max(y, yOf(column.low));
        strokes.emplace_back(at - Half, top - Half, 2 * Half, bottom - top + 2 * Half);
        from = at;
        y = yOf(column.last);
    }
    strokes.emplace_back(from, y - Half, area.right() - from, 2 * Half);
    return strokes;
}

} // namespace

DoneChart::DoneChart(QWidget *parent) : QWidget(parent)
{
    setMinimumHeight(90);
}

void DoneChart::setTimeline(history::Timeline timeline)
{
    m_loaded = true;
    m_steps = std::move(timeline.steps);
    m_lastId = timeline.lastId;
    m_events = timeline.events;
    m_countsBefore = { 0, timeline.uniques, timeline.quests };
    for (const history::Event &event : m_early)
        addEvent(event);
    m_early = {};
    layOut();
    update();
}

void DoneChart::append(const std::vector<history::Event> &events)
{
    if (!m_loaded) {
        m_early.insert(m_early.end(), events.begin(), events.end());
        return;
    }
    for (const history::Event &event : events)
        addEvent(event);
    layOut();
    update();
}

void DoneChart::addEvent(const history::Event &event)
{
    // The pass over the store may already have seen it.
    if (event.id <= m_lastId)
        return;
    m_lastId = event.id;
    ++m_events;
    history::CountStep step = m_steps.empty() ? history::CountStep {} : m_steps.back();
    if (m_steps.empty()) {
        // The first event ever starts from the counts the store held.
        step = { event.at, m_countsBefore.uniques, m_countsBefore.quests };
        m_steps.push_back(step);
    }
    (event.kind == catalog::Kind::Unique ? step.uniques : step.quests) += event.done ? 1 : -1;
    step.at = event.at;
    if (m_steps.back().at == event.at && m_steps.size() > 1)
        m_steps.back() = step;
    else
        m_steps.push_back(step);
}

void DoneChart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

QRectF DoneChart::plotArea() const
{
    const int legendHeight = fontMetrics().height() + 4;
    return QRectF(rect()).adjusted(8, legendHeight + 4, -8, -6);
}

void DoneChart::layOut()
{
    m_uniquesLine.clear();
    m_questsLine.clear();
    if (m_steps.empty())
        return;
    // A follower sees a few entries a day turn done out of 220: the height
    // spans the shares the lines reach, a little more, in steps of 5 %.
    qreal low = 100;
    qreal high = 0;
    const QRectF area = plotArea();
    const size_t columns = size_t(std::max(1.0, std::floor(area.width())));
    std::vector<Column> uniques(columns);
    std::vector<Column> quests(columns);
    // Shares of the whole, so both lines use one scale; time runs from the
    // first change to the last.
    const qint64 first = m_steps.front().at;
    const qint64 span = std::max<qint64>(1, m_steps.back().at - first);
    for (const history::CountStep &step : m_steps) {
        const size_t x = std::min(
                columns - 1, size_t(double(step.at - first) / double(span) * double(columns - 1)));
        addTo(uniques[x], step.uniques);
        addTo(quests[x], step.quests);
    }
    for (size_t x = 0; x < columns; ++x) {
        if (!uniques[x].used)
            continue;
        for (const qreal share : { 100.0 * uniques[x].low / catalog::UniqueMonsterCount,
                                   100.0 * uniques[x].high / catalog::UniqueMonsterCount,
                                   100.0 * quests[x].low / catalog::QuestCount,
                                   100.0 * quests[x].high / catalog::QuestCount }) {
            low = std::min(low, share);
            high = std::max(high, share);
        }
    }
    m_range = { std::max(0.0, 5 * std::floor(low / 5 - 0.2)),
                std::min(100.0, 5 * std::ceil(high / 5 + 0.2)) };
    const qreal spread = std::max(1.0, m_range.second - m_range.first);
    auto yOf = [&](int total) {
        return [&, total](int done) {
            return area.bottom()
                    - area.height()
                    * qBound(0.0, (100.0 * done / total - m_range.first) / spread, 1.0);
        };
    };
    m_uniquesLine =
            stepLine(uniques, area, m_steps.front().uniques, yOf(catalog::UniqueMonsterCount));
    m_questsLine = stepLine(quests, area, m_steps.front().quests, yOf(catalog::QuestCount));
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
    if (m_steps.empty()) {
        painter.setPen(pal.color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter,
                         m_loaded ? QStringLiteral("No change recorded yet")
                                  : QStringLiteral("Counting the changes..."));
        return;
    }
    const QRectF area = plotArea();
    painter.setPen(pal.color(QPalette::PlaceholderText));
    painter.drawText(area.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("%1 %").arg(qRound(m_range.second)));
    painter.drawText(area.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("%1 %").arg(qRound(m_range.first)));
    // Level and upright strokes only: crisp without antialiasing.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(questsColor);
    painter.drawRects(m_questsLine.data(), int(m_questsLine.size()));
    painter.setBrush(uniquesColor);
    painter.drawRects(m_uniquesLine.data(), int(m_uniquesLine.size()));

    const history::CountStep &last = m_steps.back();
    const QRect legend(8, 2, width() - 16, fontMetrics().height() + 4);
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
