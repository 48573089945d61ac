#include "markpainting.h"

#include "markcolors.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace {

QPixmap checkMark(const QColor &color, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, size * 0.18, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(size * 0.18, size * 0.54);
    tick.lineTo(size * 0.42, size * 0.78);
    tick.lineTo(size * 0.84, size * 0.26);
    painter.drawPath(tick);
    return pixmap;
}

} // namespace

QIcon checkMarkIcon(const QPalette &palette, int side)
{
    QIcon icon;
    for (const int size : { side, 2 * side }) {
        icon.addPixmap(checkMark(doneColor(palette), size), QIcon::Normal);
        icon.addPixmap(checkMark(palette.color(QPalette::HighlightedText), size), QIcon::Selected);
    }
    return icon;
}

int checkMarkSide(const QWidget *list)
{
    return list->fontMetrics().height() - 4;
}

QSize MarkColumnDelegate::sizeHint(const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    QStyleOptionViewItem textOnly = option;
    QStyledItemDelegate::initStyleOption(&textOnly, index);
    textOnly.features &= ~QStyleOptionViewItem::HasDecoration;
    textOnly.icon = QIcon();
    const QWidget *view = option.widget;
    const QStyle *style = view ? view->style() : QApplication::style();
    const int height =
            style->sizeFromContents(QStyle::CT_ItemViewItem, &textOnly, QSize(), view).height();
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), height);
}

void MarkColumnDelegate::initStyleOption(QStyleOptionViewItem *option,
                                         const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->features |= QStyleOptionViewItem::HasDecoration;
}
