#pragma once
// The notification-area icon as a StatusNotifierItem on the session bus, the
// way Plasma, GNOME's AppIndicator extension, waybar and Xfce's panel show
// icons; its menu travels as a com.canonical.dbusmenu. Registered with the
// StatusNotifierWatcher whenever one is there: at start, when a panel comes
// after the program, and again when a panel restarts.

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QVariantMap>

class QMenu;
class QDBusServiceWatcher;

namespace kv {

struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb; // ARGB32, network byte order
};
using SniPixmaps = QList<SniPixmap>;

struct SniToolTip {
    QString iconName;
    SniPixmaps pixmaps;
    QString title;
    QString description;
};

struct MenuLayout {
    int id = 0;
    QVariantMap properties;
    QList<QDBusVariant> children; // each a MenuLayout
};

struct MenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using MenuItemPropertiesList = QList<MenuItemProperties>;

struct MenuItemPropertyNames {
    int id = 0;
    QStringList names;
};
using MenuItemPropertyNamesList = QList<MenuItemPropertyNames>;

struct MenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using MenuEventList = QList<MenuEvent>;

class StatusNotifier : public QObject {
    Q_OBJECT
public:
    // The item shows the icon by its theme name, the pixmaps of `fallback`
    // for hosts that cannot find it, and the actions of `menu`.
    StatusNotifier(QString iconName, const QIcon &fallback, QString title, QMenu *menu,
                   QObject *parent = nullptr);
    ~StatusNotifier() override;

    // Whether a watcher has taken the item now.
    bool isRegistered() const { return m_registered; }
    // Starts watching for the watcher and registers with it whenever it is
    // there; false when the session has no bus.
    bool start();
    // "Active", or "Passive" (hidden by most hosts).
    void setShown(bool shown);

    // What the D-Bus interfaces read.
    QString iconName() const { return m_iconName; }
    const SniPixmaps &pixmaps() const { return m_pixmaps; }
    QString title() const { return m_title; }
    // The tooltip's second line (a state the user should know of), or none.
    QString description() const { return m_description; }
    void setDescription(const QString &text);
    QString status() const {
        return m_shown ? QStringLiteral("Active") : QStringLiteral("Passive");
    }
    QMenu *menu() const { return m_menu; }
    uint menuRevision() const { return m_menuRevision; }
    MenuLayout layout(int parent, const QStringList &names) const;
    QVariantMap itemProperties(int id, const QStringList &names) const;
    bool hasItem(int id) const;
    void menuEvent(int id, const QString &eventId);
    void popUpMenu(int x, int y);

signals:
    void activated();
    // A watcher took the item, or the last watcher went away.
    void registeredChanged(bool registered);
    // For the item's adaptors.
    void newStatus(const QString &status);
    void newToolTip();
    void layoutUpdated(uint revision, int parent);

private:
    void registerWithWatcher();
    void watcherGone();

    QString m_iconName;
    SniPixmaps m_pixmaps;
    QString m_title;
    QString m_description;
    QMenu *m_menu;
    QString m_service;
    QDBusServiceWatcher *m_watcher = nullptr;
    bool m_registered = false;
    bool m_shown = true;
    uint m_menuRevision = 1;
};

} // namespace kv

Q_DECLARE_METATYPE(kv::SniPixmap)
Q_DECLARE_METATYPE(kv::SniToolTip)
Q_DECLARE_METATYPE(kv::MenuLayout)
Q_DECLARE_METATYPE(kv::MenuItemProperties)
Q_DECLARE_METATYPE(kv::MenuItemPropertyNames)
Q_DECLARE_METATYPE(kv::MenuEvent)
