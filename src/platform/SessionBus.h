#pragma once
// The desktop's session bus, and the desktop notifications sent over it.
// The bus is used only when the session names one (or has one at its usual
// place in the runtime folder): D-Bus never starts a bus of its own for us.

#include <QImage>
#include <QObject>
#include <QString>
#include <optional>

class QDBusConnection;

namespace kv {

// The session bus, or nothing when the session has none.
std::optional<QDBusConnection> sessionBus();

// One notification at a time through org.freedesktop.Notifications: shown,
// replaced by the next, withdrawn on request. Nothing when the session has
// no notification service.
class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    // `picture` goes with each notification as its image: a server that
    // cannot find the icon by its name (a program run from its build folder
    // or a prefix) shows it all the same.
    explicit DesktopNotifications(QImage picture = {}, QObject *parent = nullptr);
    ~DesktopNotifications() override;

    // Shows a notification that stays until withdrawn: the summary, the body,
    // urgency critical, the program's icon and a default action.
    void show(const QString &summary, const QString &body);
    // Withdraws the notification shown last, if it is still there.
    void withdraw();

signals:
    // The user chose the notification (its default action).
    void invoked();

private slots:
    void onActionInvoked(uint id, const QString &action);
    void onClosed(uint id, uint reason);

private:
    bool connectBus();

    QImage m_picture; // RGBA, 8 bits a channel
    bool m_connected = false;
    uint m_id = 0;            // the notification on screen, 0 for none
    bool m_withdrawn = false; // withdrawn before the service told its number
    quint64 m_generation = 0; // which show() an answer belongs to
};

} // namespace kv
