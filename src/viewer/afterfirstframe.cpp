#include "afterfirstframe.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

AfterFirstFrame::AfterFirstFrame(QWidget *window, std::function<void()> work)
    : QObject(window), m_window(window), m_work(std::move(work))
{
    window->installEventFilter(this);
    QTimer::singleShot(0, this, &AfterFirstFrame::firstIdleMoment);
}

void AfterFirstFrame::firstIdleMoment()
{
    // A window on its way to the screen waits for its paint; one nobody
    // shows would wait for ever.
    if (!m_window->isVisible())
        runSoon();
}

bool AfterFirstFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Paint)
        runSoon();
    return false;
}

void AfterFirstFrame::runSoon()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    m_window->removeEventFilter(this);
    // After the paint has been handed to the screen.
    QTimer::singleShot(0, this, &AfterFirstFrame::run);
}

void AfterFirstFrame::run()
{
    const std::function<void()> work = std::move(m_work);
    deleteLater();
    work();
}
