#include "session/notifications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QVariantMap>

namespace notifications {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");

// Without an address the D-Bus library would launch a bus of its own for the session.
bool sessionBusKnown()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

// Services may read the body as simple markup: a memo's "<" and "&" stay text.
QString escapedBody(QString body)
{
    return body.replace(u'&', QLatin1String("&amp;"))
            .replace(u'<', QLatin1String("&lt;"))
            .replace(u'>', QLatin1String("&gt;"));
}

} // namespace

bool send(const QString &summary, const QString &body)
{
    if (!sessionBusKnown())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusConnectionInterface *names = bus.isConnected() ? bus.interface() : nullptr;
    if (!names || !names->isServiceRegistered(service).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
            service, QStringLiteral("/org/freedesktop/Notifications"), service,
            QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("com.example.rekova"));
    call << QStringLiteral("暦丸") << 0u << QStringLiteral("rekova") << summary << escapedBody(body)
         << QStringList() << hints << -1;
    return bus.send(call);
}

} // namespace notifications
