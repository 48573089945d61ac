#include "progressmarks.h"

#include "markcolors.h"
#include "markpainting.h"
#include "progresshistory.h"
#include "tabcontrol.h"

#include <QListWidget>

namespace {

// The mark a line shows, kept on the line itself: lines are only redrawn when
// their mark changes, and lines filled anew start without one.
constexpr int MarkRole = Qt::UserRole + 1;

} // namespace

ProgressMarks::ProgressMarks(catalog::Kind kind, std::vector<QListWidget *> lists, TabControl *tabs,
                             const QString &doneWord, QObject *parent)
    : QObject(parent),
      m_entryKind(kind),
      m_lists(std::move(lists)),
      m_tabs(tabs),
      m_doneWord(doneWord)
{
    // The mark fits in a line's height.
    const int side = checkMarkSide(m_lists.front());
    m_checkMark = checkMarkIcon(m_lists.front()->palette(), side);
    for (QListWidget *list : m_lists) {
        list->setIconSize(QSize(side, side));
        list->setItemDelegate(new MarkColumnDelegate(list));
        // Lines filled anew carry no marks yet: the next read must draw them
        // even when the flags are the same.
        connect(list->model(), &QAbstractItemModel::rowsInserted, this,
                [this] { m_linesAdded = true; });
    }
    for (size_t k = 0; k < m_lists.size(); ++k)
        connect(m_lists[k], &QListWidget::currentRowChanged, this,
                [this, k](int row) { forgetNew(int(k), row); });
}

void ProgressMarks::showTotalOn(TabControl *tabs, int index)
{
    m_totalTabs = tabs;
    m_totalIndex = index;
}

void ProgressMarks::keepIn(ProgressHistory *history, catalog::Kind kind)
{
    m_history = history;
    m_kind = kind;
    connect(history, &ProgressHistory::opened, this, &ProgressMarks::recall);
}

void ProgressMarks::read(QByteArrayView flags)
{
    // Most reads find the file as the last one did, and the lists already
    // show it.
    if (m_hasRead && !m_linesAdded && flags == QByteArrayView(m_flags))
        return;
    m_linesAdded = false;
    const bool hadRead = m_hasRead;
    const bool changed = !m_hasRead || flags != QByteArrayView(m_flags);
    QStringList turnedDone;
    learn(flags, turnedDone);
    showMarks();
    // The store compares every read with the last one it holds, from this
    // run or an earlier one; a missing file before any read says nothing.
    if (changed && m_history && (hadRead || !flags.isEmpty()))
        m_history->recordRead(m_kind, m_flags, freshFlags());
    if (!turnedDone.isEmpty())
        Q_EMIT linesTurnedDone(m_doneWord.left(1).toUpper() + m_doneWord.mid(1), turnedDone);
}

// Where the flag of a line stands in the flag text, counted from 0; -1 for
// a line the catalog does not have.
qsizetype ProgressMarks::flagIndex(int listIndex, int row) const
{
    return catalog::flagPosition(m_entryKind, listIndex, row).value_or(0) - 1;
}

bool ProgressMarks::isDone(qsizetype position) const
{
    return position >= 0 && position < m_flags.size() && m_flags[position] == '1';
}

void ProgressMarks::learn(QByteArrayView flags, QStringList &turnedDone)
{
    const qsizetype length = std::max(m_flags.size(), flags.size());
    if (qsizetype(m_new.size()) < length)
        m_new.resize(size_t(length));
    for (qsizetype position = 0; position < length; ++position) {
        const bool done = position < flags.size() && flags[position] == '1';
        if (!done) {
            m_new[size_t(position)] = false;
        } else if (m_hasRead && !isDone(position)) {
            m_new[size_t(position)] = true;
            if (const QString name = nameAt(position); !name.isEmpty())
                turnedDone.append(name);
        }
    }
    m_flags = flags.toByteArray();
    // Until a file has been there, there is nothing to compare against.
    m_hasRead = m_hasRead || !flags.isEmpty();
}

// What the last run saw, so lines that turned done since, or that were new
// then and never selected, are new now. The store opens after the window's
// first frame: lines the reads until then found done are compared with it
// then, and those the user selected meanwhile stay seen.
void ProgressMarks::recall()
{
    m_recalled = true;
    const std::optional<history::Remembered> last = m_history->remembered(m_kind);
    if (!last)
        return;
    if (!m_hasRead) {
        m_flags = last->flags;
        m_hasRead = true;
    }
    const QByteArray &before = last->flags;
    const qsizetype length = std::max({ m_flags.size(), before.size(), last->fresh.size() });
    if (qsizetype(m_new.size()) < length)
        m_new.resize(size_t(length));
    for (qsizetype position = 0; position < length; ++position) {
        const bool doneBefore = position < before.size() && before[position] == '1';
        const bool stillNew =
                doneBefore && position < last->fresh.size() && last->fresh[position] == '1';
        const bool seen = size_t(position) < m_seenEarly.size() && m_seenEarly[size_t(position)];
        if (isDone(position) && (stillNew || !doneBefore) && !seen)
            m_new[size_t(position)] = true;
    }
    m_seenEarly.clear();
    showMarks();
    // Reads waiting to be written carry the new marks from before.
    m_history->rememberFresh(m_kind, freshFlags());
}

QByteArray ProgressMarks::freshFlags() const
{
    QByteArray fresh(qsizetype(m_new.size()), '0');
    for (size_t position = 0; position < m_new.size(); ++position) {
        if (m_new[position])
            fresh[qsizetype(position)] = '1';
    }
    return fresh;
}

void ProgressMarks::showMarks()
{
    int allLines = 0;
    int allDone = 0;
    int allNew = 0;
    for (size_t k = 0; k < m_lists.size(); ++k) {
        QListWidget *list = m_lists[k];
        int done = 0;
        int fresh = 0;
        for (int row = 0; row < list->count(); ++row) {
            const qsizetype position = flagIndex(int(k), row);
            Mark mark = Mark::None;
            if (isDone(position)) {
                mark = m_new[size_t(position)] ? Mark::New : Mark::Done;
                ++done;
                fresh += mark == Mark::New;
            }
            markLine(list, row, mark);
        }
        m_tabs->setTabProgress(int(k), done, list->count(), m_doneWord);
        m_tabs->setTabNews(int(k), fresh);
        allLines += list->count();
        allDone += done;
        allNew += fresh;
    }
    if (m_totalTabs) {
        m_totalTabs->setTabProgress(m_totalIndex, allDone, allLines, m_doneWord);
        m_totalTabs->setTabNews(m_totalIndex, allNew);
    }
}

void ProgressMarks::markLine(QListWidget *list, int row, Mark mark) const
{
    QListWidgetItem *line = list->item(row);
    if (line->data(MarkRole).toInt() == int(mark))
        return;
    line->setData(MarkRole, int(mark));
    if (mark == Mark::None) {
        for (const int role :
             { Qt::DecorationRole, Qt::AccessibleTextRole, Qt::FontRole, Qt::ForegroundRole })
            line->setData(role, QVariant());
        return;
    }
    line->setIcon(m_checkMark);
    const QString state = mark == Mark::New ? m_doneWord + QStringLiteral(", new") : m_doneWord;
    line->setData(Qt::AccessibleTextRole, QStringLiteral("%1 (%2)").arg(line->text(), state));
    if (mark == Mark::New) {
        QFont bold = list->font();
        bold.setBold(true);
        line->setFont(bold);
        line->setForeground(newColor(list->palette()));
    } else {
        line->setData(Qt::FontRole, QVariant());
        line->setData(Qt::ForegroundRole, QVariant());
    }
}

void ProgressMarks::forgetNew(int listIndex, int row)
{
    const qsizetype position = flagIndex(listIndex, row);
    if (position >= 0 && m_history && !m_recalled) {
        if (qsizetype(m_seenEarly.size()) <= position)
            m_seenEarly.resize(size_t(position) + 1);
        m_seenEarly[size_t(position)] = true;
    }
    if (position < 0 || position >= qsizetype(m_new.size()) || !m_new[size_t(position)])
        return;
    m_new[size_t(position)] = false;
    showMarks();
    if (m_history)
        m_history->rememberFresh(m_kind, freshFlags());
}

QString ProgressMarks::nameAt(qsizetype position) const
{
    const std::optional<catalog::ListPlace> place =
            catalog::entryAt(m_entryKind, int(position) + 1);
    if (!place || place->tab >= int(m_lists.size()))
        return {};
    const QListWidgetItem *line = m_lists[size_t(place->tab)]->item(place->row);
    return line ? line->text() : QString();
}
