#include "desktopnotifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
// The name the desktop entry and the installed icon go by.
const QString DesktopName = QStringLiteral("huntmark-viewer");
constexpr int NamesPerLine = 5;
// "default" is what most services send for a click on the notification
// itself; "show" is the button.
const QString ShowAction = QStringLiteral("show");
const QString DefaultAction = QStringLiteral("default");
constexpr size_t RememberedNotifications = 16;

// The program's icon as raw pixels, for services that cannot look the
// installed icon up by name (a portable bundle installs none).
struct IconPixels
{
    QImage image;
};

QDBusArgument &operator<<(QDBusArgument &argument, const IconPixels &icon)
{
    const QImage &image = icon.image;
    argument.beginStructure();
    argument << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, IconPixels &)
{
    return argument; // only ever sent
}

} // namespace

Q_DECLARE_METATYPE(IconPixels)

DesktopNotifier::DesktopNotifier(QWidget *window) : QObject(window), m_window(window)
{
    qDBusRegisterMetaType<IconPixels>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.connect(Service, Path, Service, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint, QString)));
}

void DesktopNotifier::onActionInvoked(uint id, const QString &action)
{
    // Every program's notifications send this signal: only ours count.
    if ((action == ShowAction || action == DefaultAction)
        && std::count(m_sent.begin(), m_sent.end(), id))
        Q_EMIT showRequested();
}

void DesktopNotifier::rememberId(QDBusPendingCallWatcher *answer)
{
    const QDBusPendingReply<uint> reply = *answer;
    answer->deleteLater();
    if (reply.isError())
        return;
    m_sent.push_back(reply.value());
    if (m_sent.size() > RememberedNotifications)
        m_sent.erase(m_sent.begin());
}

void DesktopNotifier::linesTurnedDone(const QString &heading, const QStringList &names)
{
    // A window that is not on screen yet (start-up) or not any more has no
    // user to tell; one the user is looking at shows it all already.
    if (!m_window || !m_window->isVisible() || m_window->isActiveWindow())
        return;
    // The readers of one fetch run back to back: the notification goes out
    // once they are both done.
    if (m_pending.empty())
        QTimer::singleShot(0, this, &DesktopNotifier::send);
    for (auto &[pendingHeading, pendingNames] : m_pending) {
        if (pendingHeading == heading) {
            pendingNames += names;
            return;
        }
    }
    m_pending.emplace_back(heading, names);
}

QString DesktopNotifier::bodyText(const std::vector<std::pair<QString, QStringList>> &turnedDone)
{
    QStringList lines;
    for (const auto &[heading, names] : turnedDone) {
        QString line = heading + QStringLiteral(": ")
                + names.mid(0, NamesPerLine).join(QStringLiteral(", "));
        if (names.size() > NamesPerLine)
            line += QStringLiteral(" and %1 more").arg(names.size() - NamesPerLine);
        lines.append(line);
    }
    return lines.join(QLatin1Char('\n'));
}

void DesktopNotifier::send()
{
    const QString body = bodyText(m_pending);
    m_pending.clear();
    if (body.isEmpty())
        return;

    // Without a session bus the connection is simply not connected; the
    // call is never waited for, so a service that is slow or absent costs
    // nothing either.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QVariantMap hints;
        hints.insert(QStringLiteral("desktop-entry"), DesktopName);
        const QImage icon = m_window ? m_window->windowIcon().pixmap(48).toImage() : QImage();
        if (!icon.isNull())
            hints.insert(QStringLiteral("image-data"),
                         QVariant::fromValue(
                                 IconPixels { icon.convertToFormat(QImage::Format_RGBA8888) }));
        QDBusMessage call =
                QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Notify"));
        call << QStringLiteral("Huntmark Viewer") << 0u << DesktopName
             << QStringLiteral("Huntmark (Viewer)") << body
             << QStringList { DefaultAction, QStringLiteral("Show"), ShowAction,
                              QStringLiteral("Show") }
             << hints << -1;
        auto *answer = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
        connect(answer, &QDBusPendingCallWatcher::finished, this, &DesktopNotifier::rememberId);
    }
    Q_EMIT notified(body);
}
