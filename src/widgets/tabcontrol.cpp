#include "tabcontrol.h"

#include "markcolors.h"
#include "tabcontrolaccessible.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include <algorithm>

TabControl::TabControl(int tabCount, int tabsPerRow, qreal rowHeight, QWidget *parent)
    : QWidget(parent), m_tabsPerRow(tabsPerRow), m_rowHeight(rowHeight)
{
    installTabControlAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    m_pages.reserve(size_t(tabCount));
    m_progress.resize(size_t(tabCount));
    m_pageReach.resize(size_t(tabCount));
    for (int i = 0; i < tabCount; ++i) {
        auto *page = new QWidget(this);
        page->setVisible(i == m_current);
        m_pages.push_back(page);
        m_captions.append(QString());
    }
    layoutPages();
}

int TabControl::rowCount() const
{
    return (count() + m_tabsPerRow - 1) / m_tabsPerRow;
}

void TabControl::setTab(int index)
{
    if (index == m_current || index < 0 || index >= count())
        return;
    const int previous = m_current;
    m_current = index;
    // Show the new page before hiding the old one, so the focus, when it sat
    // on the old page, does not fall through to an unrelated widget.
    m_pages[size_t(index)]->setVisible(true);
    m_pages[size_t(previous)]->setVisible(false);
    update(tabRect(previous));
    update(tabRect(index));
    Q_EMIT Click(previous);
}

void TabControl::setTabCaption(int index, const QString &caption)
{
    m_captions[index] = caption;
    update(tabRect(index));
}

void TabControl::setTabProgress(int index, int done, int total, const QString &doneWord)
{
    TabProgress &progress = m_progress.at(size_t(index));
    if (progress.done == done && progress.total == total && progress.doneWord == doneWord)
        return;
    progress.done = done;
    progress.total = total;
    progress.doneWord = doneWord;
    update(tabRect(index));
}

void TabControl::setTabNews(int index, int count)
{
    TabProgress &progress = m_progress.at(size_t(index));
    if (progress.fresh == count)
        return;
    progress.fresh = count;
    update(tabRect(index));
}

bool TabControl::tabHasNew(int index) const
{
    return index >= 0 && index < count() && m_progress[size_t(index)].fresh > 0;
}

QString TabControl::tabToolTip(int index) const
{
    if (index < 0 || index >= count())
        return {};
    const TabProgress &progress = m_progress[size_t(index)];
    if (progress.total <= 0)
        return {};
    QString text = QStringLiteral("%1 of %2 %3")
                           .arg(progress.done)
                           .arg(progress.total)
                           .arg(progress.doneWord);
    if (progress.fresh > 0)
        text += QStringLiteral(", %1 new").arg(progress.fresh);
    return text;
}

bool TabControl::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const int index = tabAt(help->pos());
    const QString text = tabToolTip(index);
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, this, tabRect(index));
    }
    return true;
}

QRect TabControl::pageRect() const
{
    const int rowsTop = qRound(height() - rowCount() * m_rowHeight);
    return QRect(0, 0, width(), rowsTop);
}

QRect TabControl::tabRect(int index) const
{
    // The first row stands right under the pages, the last at the bottom
    // edge. Edges are rounded from exact fractions so the rows tile the strip
    // without gaps whatever the control's width.
    const int row = index / m_tabsPerRow;
    const int column = index % m_tabsPerRow;
    const qreal tabWidth = qreal(width()) / m_tabsPerRow;
    const qreal rowsTop = height() - rowCount() * m_rowHeight;
    const int left = qRound(column * tabWidth);
    const int right = qRound((column + 1) * tabWidth);
    const int top = qRound(rowsTop + row * m_rowHeight);
    const int bottom = qRound(rowsTop + (row + 1) * m_rowHeight);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QSize TabControl::sizeHint() const
{
    return size();
}

int TabControl::tabAt(const QPoint &pos) const
{
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).contains(pos))
            return i;
    }
    return -1;
}

void TabControl::setPageReach(int index, int reach)
{
    m_pageReach.at(size_t(index)) = reach;
    layoutPages();
}

void TabControl::layoutPages()
{
    const QRect area = pageRect();
    for (size_t i = 0; i < m_pages.size(); ++i) {
        // A page is transparent: over the rows, only its controls are seen,
        // and clicks beside them go through to the tabs.
        const int reach = std::min(m_pageReach[i], height());
        m_pages[i]->setGeometry(area.adjusted(0, 0, 0, std::max(0, reach - area.height())));
    }
}

void TabControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutPages();
}

void TabControl::mousePressEvent(QMouseEvent *event)
{
    const int index = tabAt(event->position().toPoint());
    if (index < 0 || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    clickTab(index);
}

void TabControl::clickTab(int index)
{
    setFocus(Qt::MouseFocusReason);
    setTab(index);
}

void TabControl::keyPressEvent(QKeyEvent *event)
{
    // Ctrl+Tab reaches the innermost tab control around the focus first, from
    // wherever on its pages the focus is.
    if (const std::optional<int> step = pageStep(event)) {
        setFocus(Qt::TabFocusReason);
        setTab((m_current + *step + count()) % count());
        return;
    }
    // Keys that a control on a page passes over are not meant for the tabs.
    if (!hasFocus()) {
        QWidget::keyPressEvent(event);
        return;
    }
    int target = m_current;
    switch (event->key()) {
    case Qt::Key_Left:
        target = m_current - 1;
        break;
    case Qt::Key_Right:
        target = m_current + 1;
        break;
    case Qt::Key_Up:
        target = m_current - m_tabsPerRow;
        break;
    case Qt::Key_Down:
        target = m_current + m_tabsPerRow;
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = count() - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    setTab(qBound(0, target, count() - 1));
}

std::optional<int> TabControl::pageStep(const QKeyEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return std::nullopt;
    switch (event->key()) {
    case Qt::Key_Tab:
        return event->modifiers() & Qt::ShiftModifier ? -1 : 1;
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
        return -1;
    case Qt::Key_PageDown:
        return 1;
    default:
        return std::nullopt;
    }
}

void TabControl::paintEvent(QPaintEvent *event)
{
    // Most repaints come from a control on the page above; only the tabs the
    // repaint actually reaches are drawn.
    const QRect strip(0, pageRect().bottom() + 1, width(), height() - pageRect().height());
    const QRect exposed = event->rect();
    if (!exposed.intersects(strip))
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(strip & exposed, palette().color(QPalette::Mid).lighter(125));
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).intersects(exposed))
            paintTab(painter, i);
    }
    // A line joins the current tab to the page it opens.
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.drawLine(QPointF(0, pageRect().bottom() + 0.5),
                     QPointF(width(), pageRect().bottom() + 0.5));
}

void TabControl::paintTab(QPainter &painter, int index) const
{
    const QRectF box = QRectF(tabRect(index)).adjusted(1.5, 1.5, -1.5, -1.5);
    const bool current = index == m_current;
    const QPalette &pal = palette();

    QPainterPath shape;
    shape.addRoundedRect(box, 4, 4);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    if (current) {
        fill.setColorAt(0, pal.color(QPalette::Base));
        fill.setColorAt(1, pal.color(QPalette::Button));
    } else {
        fill.setColorAt(0, pal.color(QPalette::Button));
        fill.setColorAt(1, pal.color(QPalette::Button).darker(112));
    }
    painter.fillPath(shape, fill);
    painter.setPen(QPen(current ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid),
                        current ? 1.6 : 1.0));
    painter.drawPath(shape);
    if (current) {
        const QRectF accent(box.left() + 4, box.top() + 1, box.width() - 8, 3);
        painter.fillRect(accent, pal.color(QPalette::Highlight));
    }

    paintProgress(painter, index, box);
    paintNews(painter, index, box);

    // The current tab stands out by its shape and color; its caption keeps
    // the font of the others.
    painter.setPen(pal.color(QPalette::ButtonText));
    const QRect textBox = box.toRect().adjusted(4, 2, -4, 0);
    const QString text = painter.fontMetrics().elidedText(m_captions.value(index), Qt::ElideRight,
                                                          textBox.width());
    painter.drawText(textBox, Qt::AlignCenter, text);

    if (current && hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = textBox.adjusted(2, 4, -2, -3);
        option.backgroundColor = pal.color(QPalette::Button);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TabControl::paintProgress(QPainter &painter, int index, const QRectF &box) const
{
    const TabProgress &progress = m_progress[size_t(index)];
    if (progress.total <= 0)
        return;
    // A thin track inside the tab's rounded bottom edge, clear of the
    // caption; the done part is filled in the color of the list marks.
    const QRectF track(box.left() + 6, box.bottom() - 5, box.width() - 12, 3);
    const qreal share = qBound(0.0, qreal(progress.done) / progress.total, 1.0);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Mid));
    painter.drawRoundedRect(track, 1.5, 1.5);
    if (share > 0) {
        painter.setBrush(doneColor(palette()));
        painter.drawRoundedRect(
                QRectF(track.topLeft(), QSizeF(track.width() * share, track.height())), 1.5, 1.5);
    }
    painter.restore();
}

void TabControl::paintNews(QPainter &painter, int index, const QRectF &box) const
{
    if (!tabHasNew(index))
        return;
    // A dot in the color of the new lines, in the tab's top right corner,
    // clear of a caption that fills the tab. Where the current page's
    // controls reach down over the tab's top (the quest groups' rows over the
    // region tabs), it stands just below them, whole.
    constexpr qreal radius = 3.5;
    const qreal covered = std::min(m_pageReach[size_t(m_current)], height());
    const qreal top = std::max(box.top() + 8, covered + radius + 1);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(newColor(palette()));
    painter.drawEllipse(QPointF(box.right() - 7, top), radius, radius);
    painter.restore();
}
