#include "donetimetips.h"

#include "catalog.h"
#include "progresshistory.h"

#include <QCheckBox>
#include <QHelpEvent>
#include <QListWidget>
#include <QToolTip>

DoneTimeTips::DoneTimeTips(ProgressHistory *history, catalog::Kind kind, const QString &verb,
                           std::vector<QListWidget *> lists, std::vector<QCheckBox *> boxes,
                           QObject *parent)
    : QObject(parent),
      m_history(history),
      m_kind(kind),
      m_verb(verb),
      m_lists(std::move(lists)),
      m_boxes(std::move(boxes))
{
    for (QListWidget *list : m_lists)
        list->viewport()->installEventFilter(this);
    for (QCheckBox *box : m_boxes)
        box->installEventFilter(this);
}

QString DoneTimeTips::text(const QString &verb, const QDateTime &done, const QDateTime &now)
{
    const QString clock = done.toString(QStringLiteral("HH:mm"));
    const QDate day = done.date();
    if (day == now.date())
        return QStringLiteral("%1 at %2 today").arg(verb, clock);
    if (day == now.date().addDays(-1))
        return QStringLiteral("%1 at %2 yesterday").arg(verb, clock);
    const QString date = day.year() == now.date().year()
            ? day.toString(QStringLiteral("d MMM"))
            : day.toString(QStringLiteral("d MMM yyyy"));
    return QStringLiteral("%1 on %2 at %3").arg(verb, date, clock);
}

QString DoneTimeTips::tipFor(size_t listIndex, int row) const
{
    const std::optional<int> position = catalog::flagPosition(m_kind, int(listIndex), row);
    if (!position)
        return {};
    const QDateTime done = m_history->doneAt(m_kind, *position);
    return done.isValid() ? text(m_verb, done, m_history->now()) : QString();
}

bool DoneTimeTips::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return false;
    const auto *help = static_cast<QHelpEvent *>(event);
    QString tip;
    for (size_t k = 0; k < m_lists.size(); ++k) {
        if (watched == m_lists[k]->viewport())
            tip = tipFor(k, m_lists[k]->indexAt(help->pos()).row());
        else if (watched == m_boxes[k])
            tip = tipFor(k, m_lists[k]->currentRow());
        else
            continue;
        if (tip.isEmpty())
            return false; // the line's own tool tip, if any
        QToolTip::showText(help->globalPos(), tip, static_cast<QWidget *>(watched));
        return true;
    }
    return false;
}
