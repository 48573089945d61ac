#include "afterfirstframe.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// How long a shown window that is never painted holds the work back.
constexpr int UnexposedWaitMs = 2000;

} // namespace

AfterFirstFrame::AfterFirstFrame(QWidget *window, std::function<void()> work)
    : QObject(window), m_window(window), m_work(std::move(work))
{
    window->installEventFilter(this);
    QTimer::singleShot(0, this, &AfterFirstFrame::firstIdleMoment);
}

void AfterFirstFrame::firstIdleMoment()
{
    // A window on its way to the screen waits for its paint; one nobody
    // shows would wait for ever, and so would one the desktop never exposes
    // (started on another workspace), which gets the work a little later.
    if (!m_window->isVisible())
        runSoon();
    else
        QTimer::singleShot(UnexposedWaitMs, this, &AfterFirstFrame::runSoon);
}

bool AfterFirstFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Paint)
        runSoon();
    return false;
}

void AfterFirstFrame::runSoon()
{
    if (m_scheduled || !m_window)
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
