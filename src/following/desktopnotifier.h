#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <vector>

class QDBusPendingCallWatcher;
class QWidget;

// Tells the user through the desktop's notification service what turned done
// while they were looking elsewhere. Everything that turns done while events
// are being handled goes into one notification, so a fetch that reads both
// progress files raises one, not one per file or per line.
//
// The call is sent without waiting for an answer; with no session bus or no
// notification service nothing happens and nothing is reported.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    // Notifies only while `window` is shown but not the active window.
    explicit DesktopNotifier(QWidget *window);

    // The text of a notification: a line per heading, "Defeated: A, B",
    // naming at most five entries and counting the rest.
    static QString bodyText(const std::vector<std::pair<QString, QStringList>> &turnedDone);

public Q_SLOTS:
    void linesTurnedDone(const QString &heading, const QStringList &names);
    // The service's signal that the user chose an action of a notification.
    void onActionInvoked(uint id, const QString &action);

Q_SIGNALS:
    // A notification was handed to the session bus, or would have been had
    // there been one.
    void notified(const QString &body);
    // The user chose "Show" on one of this window's notifications.
    void showRequested();

private:
    void send();
    void rememberId(QDBusPendingCallWatcher *answer);

    QPointer<QWidget> m_window;
    std::vector<std::pair<QString, QStringList>> m_pending;
    // The service's numbers of the notifications sent, the latest few.
    std::vector<uint> m_sent;
};
