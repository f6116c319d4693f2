#include "SessionBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>

namespace kv {

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

std::optional<QDBusConnection> sessionBus() {
    // Without an address libdbus would try to start a bus ("autolaunch").
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtime.isEmpty() || !QFileInfo(QString::fromLocal8Bit(runtime) + "/bus").exists()))
        return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    return bus;
}

DesktopNotifications::DesktopNotifications(QImage picture, QObject *parent)
    : QObject(parent), m_picture(picture.convertToFormat(QImage::Format_RGBA8888)) {}

DesktopNotifications::~DesktopNotifications() {
    withdraw();
}

bool DesktopNotifications::connectBus() {
    if (m_connected)
        return true;
    std::optional<QDBusConnection> bus = sessionBus();
    if (!bus)
        return false;
    bus->connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(onActionInvoked(uint, QString)));
    bus->connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(onClosed(uint, uint)));
    m_connected = true;
    return true;
}

void DesktopNotifications::show(const QString &summary, const QString &body) {
    if (!connectBus())
        return;
    QDBusConnection bus = *sessionBus();
    // Not started on demand: a session without a notification service keeps
    // its reminder window alone.
    if (!bus.interface()->isServiceRegistered(kService))
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints{
        {QStringLiteral("urgency"), QVariant::fromValue<uchar>(2)},
        {QStringLiteral("desktop-entry"), QStringLiteral("kelvadrin")},
        {QStringLiteral("category"), QStringLiteral("reminder")},
    };
    if (!m_picture.isNull()) {
        // (iiibiiay): width, height, row stride, alpha, bits a sample, channels, pixels.
        QDBusArgument image;
        image.beginStructure();
        image << m_picture.width() << m_picture.height() << int(m_picture.bytesPerLine()) << true
              << 8 << 4
              << QByteArray(reinterpret_cast<const char *>(m_picture.constBits()),
                            m_picture.sizeInBytes());
        image.endStructure();
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(image));
    }
    call << QStringLiteral("Kelvadrin") << m_id << QStringLiteral("kelvadrin") << summary << body
         << QStringList{QStringLiteral("default"), QStringLiteral("Pokaż przypomnienie")} << hints
         << 0;
    const quint64 generation = ++m_generation;
    m_withdrawn = false;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                const QDBusPendingReply<uint> reply = *answer;
                if (generation != m_generation || reply.isError())
                    return;
                m_id = reply.value();
                if (m_withdrawn)
                    withdraw();
            });
}

void DesktopNotifications::withdraw() {
    m_withdrawn = true;
    if (m_id == 0)
        return;
    const uint id = m_id;
    m_id = 0;
    if (const std::optional<QDBusConnection> bus = sessionBus()) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                           QStringLiteral("CloseNotification"));
        call << id;
        bus->asyncCall(call);
    }
}

void DesktopNotifications::onActionInvoked(uint id, const QString &action) {
    if (id != 0 && id == m_id && action == QLatin1String("default"))
        emit invoked();
}

void DesktopNotifications::onClosed(uint id, uint) {
    if (id != 0 && id == m_id)
        m_id = 0;
}

} // namespace kv
