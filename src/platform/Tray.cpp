#include "Tray.h"
#include "StatusNotifier.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace kv {

Tray::Tray(QString iconName, QIcon pictures, QMenu *menu, Hosts hosts, QObject *parent)
    : QObject(parent), m_iconName(std::move(iconName)), m_pictures(std::move(pictures)),
      m_menu(menu), m_hosts(std::move(hosts)) {}

Tray::~Tray() = default;

void Tray::setToolTip(const QString &text) {
    m_toolTip = text;
    if (m_xembed)
        m_xembed->setToolTip(xembedToolTip());
}

void Tray::setNote(const QString &note) {
    m_note = note;
    if (m_xembed)
        m_xembed->setToolTip(xembedToolTip());
    if (m_item)
        m_item->setDescription(note);
}

QString Tray::xembedToolTip() const {
    return m_note.isEmpty() ? m_toolTip : m_toolTip + QLatin1Char('\n') + m_note;
}

bool Tray::show() {
    m_wanted = true;
    if (m_hosts.statusNotifier && !m_item) {
        m_item = new StatusNotifier(m_iconName, m_pictures, m_toolTip, m_menu, this);
        m_item->setDescription(m_note);
        connect(m_item, &StatusNotifier::activated, this, &Tray::activated);
        connect(m_item, &StatusNotifier::registeredChanged, this, &Tray::statusNotifierChanged);
        if (!m_item->start()) {
            delete m_item;
            m_item = nullptr;
        }
    }
    // Only one host shows the icon: a desktop with both kinds would show it twice.
    const bool byBus = m_item && m_item->isRegistered();
    showXEmbed(!byBus && m_hosts.xembed && m_hosts.xembed());
    m_shown = byBus || m_xembed;
    return m_shown;
}

void Tray::hide() {
    m_wanted = false;
    showXEmbed(false);
    delete m_item;
    m_item = nullptr;
    m_shown = false;
}

void Tray::setVisible(bool visible) {
    m_visible = visible;
    if (m_xembed)
        m_xembed->setVisible(visible);
    if (m_item)
        m_item->setShown(visible);
}

void Tray::showXEmbed(bool on) {
    if (!on) {
        delete m_xembed;
        m_xembed = nullptr;
        return;
    }
    if (m_xembed)
        return;
    // Made only here, with no watcher on the bus: Qt's own choice of a tray,
    // taken once per process at the first icon, then falls on the X tray.
    m_xembed = new QSystemTrayIcon(m_pictures, this);
    m_xembed->setToolTip(xembedToolTip());
    m_xembed->setContextMenu(m_menu);
    connect(m_xembed, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    emit activated();
            });
    m_xembed->setVisible(m_visible);
}

void Tray::statusNotifierChanged(bool registered) {
    if (!m_wanted)
        return;
    const bool wasShown = m_shown;
    // The bus host takes the icon; when it goes, an X tray may take it back.
    showXEmbed(!registered && m_hosts.xembed && m_hosts.xembed());
    m_shown = registered || m_xembed;
    if (m_shown && !wasShown)
        emit docked();
    else if (!m_shown && wasShown)
        emit undocked();
}

} // namespace kv
