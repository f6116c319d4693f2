#include "StatusNotifier.h"
#include "SessionBus.h"

#include <QAction>
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QMenu>
#include <QtEndian>

namespace kv {

// D-Bus marshalling of the item's and the menu's structures.
QDBusArgument &operator<<(QDBusArgument &arg, const SniPixmap &p) {
    arg.beginStructure();
    arg << p.width << p.height << p.argb;
    arg.endStructure();
    return arg;
}
const QDBusArgument &operator>>(const QDBusArgument &arg, SniPixmap &p) {
    arg.beginStructure();
    arg >> p.width >> p.height >> p.argb;
    arg.endStructure();
    return arg;
}
QDBusArgument &operator<<(QDBusArgument &arg, const SniToolTip &t) {
    arg.beginStructure();
    arg << t.iconName << t.pixmaps << t.title << t.description;
    arg.endStructure();
    return arg;
}
const QDBusArgument &operator>>(const QDBusArgument &arg, SniToolTip &t) {
    arg.beginStructure();
    arg >> t.iconName >> t.pixmaps >> t.title >> t.description;
    arg.endStructure();
    return arg;
}
QDBusArgument &operator<<(QDBusArgument &arg, const MenuLayout &l) {
    arg.beginStructure();
    arg << l.id << l.properties;
    arg.beginArray(qMetaTypeId<QDBusVariant>());
    for (const QDBusVariant &child : l.children)
        arg << child;
    arg.endArray();
    arg.endStructure();
    return arg;
}
const QDBusArgument &operator>>(const QDBusArgument &arg, MenuLayout &l) {
    arg.beginStructure();
    arg >> l.id >> l.properties >> l.children;
    arg.endStructure();
    return arg;
}
QDBusArgument &operator<<(QDBusArgument &arg, const MenuItemProperties &i) {
    arg.beginStructure();
    arg << i.id << i.properties;
    arg.endStructure();
    return arg;
}
const QDBusArgument &operator>>(const QDBusArgument &arg, MenuItemProperties &i) {
    arg.beginStructure();
    arg >> i.id >> i.properties;
    arg.endStructure();
    return arg;
}
QDBusArgument &operator<<(QDBusArgument &arg, const MenuItemPropertyNames &i) {
    arg.beginStructure();
    arg << i.id << i.names;
    arg.endStructure();
    return arg;
}
const QDBusArgument &operator>>(const QDBusArgument &arg, MenuItemPropertyNames &i) {
    arg.beginStructure();
    arg >> i.id >> i.names;
    arg.endStructure();
    return arg;
}
QDBusArgument &operator<<(QDBusArgument &arg, const MenuEvent &e) {
    arg.beginStructure();
    arg << e.id << e.eventId << e.data << e.timestamp;
    arg.endStructure();
    return arg;
}
const QDBusArgument &operator>>(const QDBusArgument &arg, MenuEvent &e) {
    arg.beginStructure();
    arg >> e.id >> e.eventId >> e.data >> e.timestamp;
    arg.endStructure();
    return arg;
}

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");

void registerTypes() {
    static const bool done = [] {
        qDBusRegisterMetaType<SniPixmap>();
        qDBusRegisterMetaType<SniPixmaps>();
        qDBusRegisterMetaType<SniToolTip>();
        qDBusRegisterMetaType<MenuLayout>();
        qDBusRegisterMetaType<MenuItemProperties>();
        qDBusRegisterMetaType<MenuItemPropertiesList>();
        qDBusRegisterMetaType<MenuItemPropertyNames>();
        qDBusRegisterMetaType<MenuItemPropertyNamesList>();
        qDBusRegisterMetaType<MenuEvent>();
        qDBusRegisterMetaType<MenuEventList>();
        // The adaptors' signatures name the lists by these names: D-Bus
        // exports a method or signal only when each of its types is known
        // by the name it is written with.
        qRegisterMetaType<SniPixmaps>("kv::SniPixmaps");
        qRegisterMetaType<MenuItemPropertiesList>("kv::MenuItemPropertiesList");
        qRegisterMetaType<MenuItemPropertyNamesList>("kv::MenuItemPropertyNamesList");
        qRegisterMetaType<MenuEventList>("kv::MenuEventList");
        return true;
    }();
    Q_UNUSED(done);
}

// The pictures the icon has, as the protocol wants them.
SniPixmaps pixmapsOf(const QIcon &icon) {
    SniPixmaps result;
    for (const QSize &size : icon.availableSizes()) {
        QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        SniPixmap p{image.width(), image.height(), {}};
        p.argb.resize(image.width() * image.height() * 4);
        auto *out = reinterpret_cast<quint32 *>(p.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        result << p;
    }
    return result;
}

// "&Koniec" is "_Koniec" in a D-Bus menu.
QString menuLabel(QString text) {
    text.replace(QLatin1Char('_'), QLatin1String("__"));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&'))
            text.remove(i, 1);
        else
            text[i] = QLatin1Char('_');
    }
    return text;
}

} // namespace

class ItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ empty)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(kv::SniPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ empty)
    Q_PROPERTY(kv::SniPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ empty)
    Q_PROPERTY(kv::SniPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ empty)
    Q_PROPERTY(kv::SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
public:
    explicit ItemAdaptor(StatusNotifier *item) : QDBusAbstractAdaptor(item), m_item(item) {
        connect(item, &StatusNotifier::newStatus, this, &ItemAdaptor::NewStatus);
        connect(item, &StatusNotifier::newToolTip, this, &ItemAdaptor::NewToolTip);
    }
    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("kelvadrin"); }
    QString title() const { return m_item->title(); }
    QString status() const { return m_item->status(); }
    int windowId() const { return 0; }
    QString empty() const { return {}; }
    QString iconName() const { return m_item->iconName(); }
    SniPixmaps iconPixmap() const { return m_item->pixmaps(); }
    SniPixmaps noPixmaps() const { return {}; }
    SniToolTip toolTip() const {
        return {m_item->iconName(), {}, m_item->title(), m_item->description()};
    }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(kMenuPath); }

public slots:
    void Activate(int, int) {
        QMetaObject::invokeMethod(m_item, "activated", Qt::QueuedConnection);
    }
    void SecondaryActivate(int, int) { Activate(0, 0); }
    void ContextMenu(int x, int y) {
        QMetaObject::invokeMethod(
            m_item, [item = m_item, x, y] { item->popUpMenu(x, y); }, Qt::QueuedConnection);
    }
    void Scroll(int, const QString &) {}

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString &status);

private:
    StatusNotifier *m_item;
};

class MenuAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    MenuAdaptor(QObject *parent, StatusNotifier *item)
        : QDBusAbstractAdaptor(parent), m_item(item) {
        connect(item, &StatusNotifier::layoutUpdated, this, &MenuAdaptor::LayoutUpdated);
    }
    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int, const QStringList &names, kv::MenuLayout &layout) {
        layout = m_item->layout(parentId, names);
        return m_item->menuRevision();
    }
    kv::MenuItemPropertiesList GetGroupProperties(const QList<int> &ids, const QStringList &names) {
        MenuItemPropertiesList result;
        for (int id : ids)
            if (m_item->hasItem(id))
                result << MenuItemProperties{id, m_item->itemProperties(id, names)};
        return result;
    }
    QDBusVariant GetProperty(int id, const QString &name) {
        return QDBusVariant(m_item->itemProperties(id, {name}).value(name));
    }
    void Event(int id, const QString &eventId, const QDBusVariant &, uint) {
        m_item->menuEvent(id, eventId);
    }
    QList<int> EventGroup(const kv::MenuEventList &events) {
        QList<int> errors;
        for (const MenuEvent &e : events) {
            if (m_item->hasItem(e.id))
                m_item->menuEvent(e.id, e.eventId);
            else
                errors << e.id;
        }
        return errors;
    }
    bool AboutToShow(int) { return false; }
    QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &errors) {
        for (int id : ids)
            if (!m_item->hasItem(id))
                errors << id;
        return {};
    }

signals:
    void ItemsPropertiesUpdated(const kv::MenuItemPropertiesList &updated,
                                const kv::MenuItemPropertyNamesList &removed);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    StatusNotifier *m_item;
};

StatusNotifier::StatusNotifier(QString iconName, const QIcon &fallback, QString title, QMenu *menu,
                               QObject *parent)
    : QObject(parent), m_iconName(std::move(iconName)), m_pixmaps(pixmapsOf(fallback)),
      m_title(std::move(title)), m_menu(menu) {
    registerTypes();
    // Any change of the menu (an item enabled or disabled) is a new layout.
    for (QAction *action : m_menu->actions())
        connect(action, &QAction::changed, this,
                [this] { emit layoutUpdated(++m_menuRevision, 0); });
}

StatusNotifier::~StatusNotifier() {
    if (m_service.isEmpty())
        return;
    if (std::optional<QDBusConnection> bus = sessionBus()) {
        bus->unregisterObject(kItemPath);
        bus->unregisterObject(kMenuPath);
        bus->unregisterService(m_service);
    }
}

bool StatusNotifier::start() {
    if (!m_service.isEmpty())
        return true;
    std::optional<QDBusConnection> bus = sessionBus();
    if (!bus)
        return false;
    new ItemAdaptor(this);
    auto *menuObject = new QObject(this);
    new MenuAdaptor(menuObject, this);
    const QString service =
        QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
    if (!bus->registerObject(kItemPath, this, QDBusConnection::ExportAdaptors) ||
        !bus->registerObject(kMenuPath, menuObject, QDBusConnection::ExportAdaptors) ||
        !bus->registerService(service))
        return false;
    m_service = service;
    m_watcher =
        new QDBusServiceWatcher(kWatcher, *bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) {
                if (owner.isEmpty())
                    watcherGone();
                else
                    registerWithWatcher();
            });
    // A watcher there now takes the item: counted as taken at once, so that
    // the start does not wait for the answer.
    if (bus->interface()->isServiceRegistered(kWatcher)) {
        m_registered = true;
        registerWithWatcher();
    }
    return true;
}

void StatusNotifier::registerWithWatcher() {
    std::optional<QDBusConnection> bus = sessionBus();
    if (!bus)
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"), kWatcher,
                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_service;
    // The answer says whether the watcher took the item; nothing waits for it.
    auto *answer = new QDBusPendingCallWatcher(bus->asyncCall(call), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const bool registered = !w->isError();
        if (registered != m_registered) {
            m_registered = registered;
            emit registeredChanged(registered);
        }
    });
}

void StatusNotifier::watcherGone() {
    if (!m_registered)
        return;
    m_registered = false;
    emit registeredChanged(false);
}

void StatusNotifier::setShown(bool shown) {
    if (shown == m_shown)
        return;
    m_shown = shown;
    emit newStatus(status());
}

void StatusNotifier::setDescription(const QString &text) {
    if (text == m_description)
        return;
    m_description = text;
    emit newToolTip();
}

bool StatusNotifier::hasItem(int id) const {
    return id >= 0 && id <= m_menu->actions().size();
}

QVariantMap StatusNotifier::itemProperties(int id, const QStringList &names) const {
    QVariantMap all;
    if (id == 0) {
        all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else if (hasItem(id)) {
        const QAction *action = m_menu->actions().at(id - 1);
        if (action->isSeparator()) {
            all.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            all.insert(QStringLiteral("label"), menuLabel(action->text()));
            all.insert(QStringLiteral("enabled"), action->isEnabled());
        }
        all.insert(QStringLiteral("visible"), action->isVisible());
    }
    if (names.isEmpty())
        return all;
    QVariantMap chosen;
    for (const QString &name : names)
        if (all.contains(name))
            chosen.insert(name, all.value(name));
    return chosen;
}

MenuLayout StatusNotifier::layout(int parent, const QStringList &names) const {
    MenuLayout root{parent, itemProperties(parent, names), {}};
    if (parent == 0)
        for (int id = 1; id <= m_menu->actions().size(); ++id)
            root.children << QDBusVariant(
                QVariant::fromValue(MenuLayout{id, itemProperties(id, names), {}}));
    return root;
}

void StatusNotifier::menuEvent(int id, const QString &eventId) {
    if (id < 1 || !hasItem(id) || eventId != QLatin1String("clicked"))
        return;
    // After the answer to the host: the action may open a modal window.
    QAction *action = m_menu->actions().at(id - 1);
    QMetaObject::invokeMethod(
        action,
        [action] {
            if (action->isEnabled())
                action->trigger();
        },
        Qt::QueuedConnection);
}

void StatusNotifier::popUpMenu(int x, int y) {
    m_menu->popup(QPoint(x, y));
}

} // namespace kv

#include "StatusNotifier.moc"
