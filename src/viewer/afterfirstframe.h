#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// Runs work once a window's first frame has been painted, so what the first
// frame does not need (a database, the desktop bus) never delays it. A
// window that is not shown by the first idle moment gets the work then, and
// one that is shown but never painted two seconds later.
// Deletes itself once the work has run.
class AfterFirstFrame : public QObject
{
    Q_OBJECT

public:
    AfterFirstFrame(QWidget *window, std::function<void()> work);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void firstIdleMoment();
    void runSoon();
    void run();

    QPointer<QWidget> m_window;
    std::function<void()> m_work;
    bool m_scheduled = false;
};
