#include "listbox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyleOptionFocusRect>

namespace {

// Keeps selection and current row one thing. The view moves its cursor alone
// on focus, on a press before it selects, and on Ctrl with a key; it clears
// or toggles the selection on clicks. Those requests are passed over. What
// selects a line makes it current; code clears both at once.
class SingleLineSelection : public QItemSelectionModel
{
public:
    using QItemSelectionModel::QItemSelectionModel;

    void setCurrentIndex(const QModelIndex &index, SelectionFlags command) override
    {
        const bool selects = command.testFlag(Select);
        const bool clearsAll = !index.isValid() && command.testFlag(Clear);
        if (!selects && !clearsAll)
            return;
        QScopedValueRollback applying(m_applying, true);
        QItemSelectionModel::setCurrentIndex(index, ClearAndSelect);
    }

    void select(const QModelIndex &index, SelectionFlags command) override
    {
        if (m_applying)
            QItemSelectionModel::select(index, command);
        else if (index.isValid() && command.testFlag(Select))
            setCurrentIndex(index, ClearAndSelect);
    }

    void select(const QItemSelection &selection, SelectionFlags command) override
    {
        if (m_applying) {
            QItemSelectionModel::select(selection, command);
            return;
        }
        const QModelIndexList indexes = selection.indexes();
        if (indexes.size() == 1 && command.testFlag(Select))
            setCurrentIndex(indexes.first(), ClearAndSelect);
    }

private:
    bool m_applying = false;
};

} // namespace

ListBox::ListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void ListBox::showEvent(QShowEvent *event)
{
    keepOneSelectedLine();
    QListWidget::showEvent(event);
}

void ListBox::keepOneSelectedLine()
{
    // Made when the list is first shown or used: until then code selects
    // whole lines, as the stock selection does too. Most lists of a window
    // sit on pages nobody opens at start, and a selection model is a good
    // part of what a list costs to make.
    if (m_oneSelectedLine)
        return;
    m_oneSelectedLine = true;
    QItemSelectionModel *stock = selectionModel();
    auto *single = new SingleLineSelection(model(), this);
    // The line code selected, passed on before anyone listens: nothing
    // changes for the user.
    single->setCurrentIndex(stock->currentIndex(), QItemSelectionModel::ClearAndSelect);
    setSelectionModel(single);
    delete stock;
}

QRect ListBox::visualRect(const QModelIndex &index) const
{
    if (!isVisible())
        return {};
    return QListWidget::visualRect(index);
}

int ListBox::rowsPerPage() const
{
    const int rowHeight = qMax(1, sizeHintForRow(0));
    return qMax(1, viewport()->height() / rowHeight - 1);
}

std::optional<int> ListBox::rowForKey(int key) const
{
    const int last = count() - 1;
    const int row = currentRow();
    if (row < 0) {
        // Nothing selected yet: every way in starts at the top, End at the bottom.
        switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
            return 0;
        case Qt::Key_End:
            return last;
        default:
            break;
        }
    }
    switch (key) {
    case Qt::Key_Up:
        return qMax(0, row - 1);
    case Qt::Key_Down:
        return qMin(last, row + 1);
    case Qt::Key_PageUp:
        return qMax(0, row - rowsPerPage());
    case Qt::Key_PageDown:
        return qMin(last, row + rowsPerPage());
    case Qt::Key_Home:
        return 0;
    case Qt::Key_End:
        return last;
    case Qt::Key_Left:
    case Qt::Key_Right:
        return row;
    default:
        return std::nullopt;
    }
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    keepOneSelectedLine();
    // Ctrl and Alt combinations belong to the window (Ctrl+Tab switches tabs).
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        event->ignore();
        return;
    }
    const std::optional<int> row = rowForKey(event->key());
    if (!row) {
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Select)
            event->accept(); // would toggle the line off
        else
            QListWidget::keyPressEvent(event); // type-ahead
        return;
    }
    // A key that leads nowhere is used up here: it must not fall through to
    // the tab control around the list.
    event->accept();
    if (count() > 0 && *row != currentRow())
        setCurrentRow(*row);
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    keepOneSelectedLine();
    // Only a plain left click picks a line. Modified clicks and clicks on the
    // blank area below the lines would clear or toggle the selection.
    const bool plainLeft = event->button() == Qt::LeftButton
            && !(event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
    if (plainLeft && indexAt(event->position().toPoint()).isValid()) {
        QListWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void ListBox::paintEvent(QPaintEvent *event)
{
    QListWidget::paintEvent(event);
    if (!hasFocus())
        return;
    // With no line selected nothing inside the list shows that it has the
    // focus, so the list's own edge does.
    QPainter painter(viewport());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = viewport()->rect().adjusted(0, 0, -1, -1);
    option.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
