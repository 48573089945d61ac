#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

class QPalette;

// The check mark drawn in front of a done line: in the done color on the
// list, and in the selected line's text color on its highlight, where green
// would not stand out. `side` is the mark's size in pixels.
QIcon checkMarkIcon(const QPalette &palette, int side);

// The side of a check mark that fits in a line of `list`.
int checkMarkSide(const QWidget *list);

// Keeps the check mark's place on every line, so the names stand in one
// column whether they are done or not, and keeps the lines as high as their
// text alone, so a list shows as many of them as without marks.
class MarkColumnDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
