#pragma once

#include "historystore.h"

#include <QObject>

#include <vector>

class ProgressHistory;
class QCheckBox;
class QListWidget;

// Says when an entry was seen done, in the tool tip of its line and in that
// of the check box while the entry is selected: "Defeated at 14:05 today".
// The text is made when the tool tip is asked for, so "today" stays true
// past midnight. Entries done before the history began have none.
class DoneTimeTips : public QObject
{
    Q_OBJECT

public:
    // List k and check box k stand on the same tab; `verb` is "Defeated" or
    // "Completed".
    DoneTimeTips(ProgressHistory *history, catalog::Kind kind, const QString &verb,
                 std::vector<QListWidget *> lists, std::vector<QCheckBox *> boxes, QObject *parent);

    // "Defeated at 14:05 today", "... at 21:40 yesterday", "... on 3 Dec at
    // 09:12"; the year is added for another year.
    static QString text(const QString &verb, const QDateTime &done, const QDateTime &now);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString tipFor(size_t listIndex, int row) const;

    ProgressHistory *m_history;
    catalog::Kind m_kind;
    QString m_verb;
    std::vector<QListWidget *> m_lists;
    std::vector<QCheckBox *> m_boxes;
};
