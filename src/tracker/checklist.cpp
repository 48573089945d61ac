#include "checklist.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

// Lets a click on a line's box ask for a toggle instead of changing the box:
// the box shows the files, and only a change written to them may move it.
class CheckBoxDelegate : public QStyledItemDelegate
{
public:
    CheckBoxDelegate(CheckList *list) : QStyledItemDelegate(list), m_list(list) { }

    bool editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        const auto type = event->type();
        if (type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonPress
            && type != QEvent::MouseButtonDblClick)
            return false;
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !onBox(option, index, mouse->position()))
            return false;
        if (type == QEvent::MouseButtonRelease)
            Q_EMIT m_list->toggleRequested(index.row());
        return type != QEvent::MouseButtonPress; // a press still selects the line
    }

private:
    bool onBox(const QStyleOptionViewItem &option, const QModelIndex &index,
               const QPointF &point) const
    {
        QStyleOptionViewItem line = option;
        initStyleOption(&line, index);
        const QWidget *view = option.widget;
        const QStyle *style = view ? view->style() : QApplication::style();
        return style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &line, view)
                .contains(point.toPoint());
    }

    CheckList *m_list;
};

} // namespace

bool isFindText(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace();
}

CheckList::CheckList(QWidget *parent) : ListBox(parent)
{
    setItemDelegate(new CheckBoxDelegate(this));
    setSpacing(1);
}

void CheckList::addEntry(const QString &name)
{
    auto *line = new QListWidgetItem(name, this);
    line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    line->setCheckState(Qt::Unchecked);
}

void CheckList::setChecked(int row, bool checked)
{
    QListWidgetItem *line = item(row);
    const Qt::CheckState state = checked ? Qt::Checked : Qt::Unchecked;
    if (line->checkState() != state)
        line->setCheckState(state);
}

bool CheckList::isChecked(int row) const
{
    return item(row)->checkState() == Qt::Checked;
}

void CheckList::keyPressEvent(QKeyEvent *event)
{
    const bool toggles = event->key() == Qt::Key_Space || event->key() == Qt::Key_Select;
    if (toggles && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        event->accept();
        if (currentRow() >= 0)
            Q_EMIT toggleRequested(currentRow());
        return;
    }
    if (isFindText(event)) {
        event->ignore(); // the window opens Find with it
        return;
    }
    ListBox::keyPressEvent(event);
}
