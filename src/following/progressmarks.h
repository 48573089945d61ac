#pragma once

#include "catalog.h"
#include "historystore.h"

#include <QByteArrayView>
#include <QIcon>
#include <QObject>
#include <QStringList>

#include <vector>

class ProgressHistory;
class QListWidget;
class TabControl;

// Shows at a glance what the flags of one progress file say: a check mark on
// every done line of the lists, a bar and a tool tip per tab with how many
// are done, and an emphasis on lines that turned done since the last read.
// The readers hand every flag text they read to it; it never reads a file.
//
// Marks go by progress position, never by a line's text: two entries of the
// same name are marked apart. A line stays new until the user selects it or
// it turns back to not done. The first read only learns what is done, so it
// marks nothing new; with a history, the first read of a later run compares
// with what the last run saw, and lines still new then are new again.
class ProgressMarks : public QObject
{
    Q_OBJECT

public:
    // List k shows tab k of the catalog's entries of `kind`, line for line,
    // and its progress shows on tab k of `tabs`. `doneWord` says what done
    // means for these entries, "defeated" or "completed".
    ProgressMarks(catalog::Kind kind, std::vector<QListWidget *> lists, TabControl *tabs,
                  const QString &doneWord, QObject *parent);

    // The progress of all lists together shows on one more tab.
    void showTotalOn(TabControl *tabs, int index);

    // Every read that changes a flag, and every new line seen, is kept in
    // `history` as flags of `kind`.
    void keepIn(ProgressHistory *history, catalog::Kind kind);

    void read(QByteArrayView flags);

Q_SIGNALS:
    // After a read in which lines turned done: what the entries are called,
    // under a heading such as "Defeated".
    void linesTurnedDone(const QString &heading, const QStringList &names);

private:
    enum class Mark { None, Done, New };

    qsizetype flagIndex(int listIndex, int row) const;
    bool isDone(qsizetype position) const;
    void learn(QByteArrayView flags, QStringList &turnedDone);
    void showMarks();
    void markLine(QListWidget *list, int row, Mark mark) const;
    void forgetNew(int listIndex, int row);
    void recall();
    QByteArray freshFlags() const;
    QString nameAt(qsizetype position) const;

    catalog::Kind m_entryKind;
    std::vector<QListWidget *> m_lists;
    TabControl *m_tabs;
    TabControl *m_totalTabs = nullptr;
    int m_totalIndex = -1;
    QString m_doneWord;
    QIcon m_checkMark;
    bool m_hasRead = false;
    bool m_linesAdded = false;
    ProgressHistory *m_history = nullptr;
    catalog::Kind m_kind = catalog::Kind::Unique;
    bool m_recalled = false;
    QByteArray m_flags; // as the last read gave them
    std::vector<bool> m_new; // by flag index, counted from 0
    // Lines selected before the history was recalled, by position.
    std::vector<bool> m_seenEarly;
};
