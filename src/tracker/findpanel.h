#pragma once

#include "entrynames.h"

#include <QFrame>

class QLineEdit;
class QListWidget;

// Find: a search field over the window that lists every entry whose name
// holds the typed text, across all tabs, each with its tab. Up and Down move
// the highlight, Enter asks to toggle the highlighted entry, Escape closes.
class FindPanel : public QFrame
{
    Q_OBJECT

public:
    explicit FindPanel(QWidget *parent = nullptr);

    // Opens with `text` in the field (appended to nothing).
    void open(const QString &text = QString());
    void close();
    QString text() const;
    // The entries listed, in their order.
    const QList<progresstool::Entry> &results() const { return m_results; }
    int highlighted() const;

    // Shows done or not done in front of every listed entry.
    void setDoneTest(std::function<bool(const progresstool::Entry &)> isDone);
    void refreshMarks();

Q_SIGNALS:
    void toggleRequested(const progresstool::Entry &entry);
    void entryHighlighted(const progresstool::Entry &entry);
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void search();
    void highlight(int row);

    QLineEdit *m_field;
    QListWidget *m_list;
    QList<progresstool::Entry> m_results;
    std::function<bool(const progresstool::Entry &)> m_isDone;
};
