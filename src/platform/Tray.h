#pragma once
// The program's icon in the desktop's notification area, wherever the
// desktop keeps it: as a StatusNotifierItem when the session bus has a
// StatusNotifierWatcher (Plasma, GNOME's AppIndicator extension, waybar,
// Xfce), else in an XEmbed tray of the X server. A watcher that comes later,
// or comes back after a panel restart, gets the item then.

#include <QIcon>
#include <QObject>
#include <functional>

class QMenu;
class QSystemTrayIcon;

namespace kv {

class StatusNotifier;

class Tray : public QObject {
    Q_OBJECT
public:
    struct Hosts {
        bool statusNotifier = false;  // look for a watcher on the session bus
        std::function<bool()> xembed; // whether an XEmbed tray is there now
    };
    // The icon is named `iconName` in the icon theme; `pictures` are shown
    // where the name cannot be (an XEmbed tray, a host without the theme).
    Tray(QString iconName, QIcon pictures, QMenu *menu, Hosts hosts, QObject *parent = nullptr);
    ~Tray() override;

    void setToolTip(const QString &text);
    QString toolTip() const { return m_toolTip; }
    // A line under the tooltip telling of a state that waits for the user
    // (empty: none).
    void setNote(const QString &note);
    QString note() const { return m_note; }

    // Puts the icon where the desktop shows such icons; true when a host
    // shows it (or has been asked to), false when the desktop has none yet.
    bool show();
    // Takes the icon away for good (the end of the program).
    void hide();
    // Hides the shown icon for a moment and shows it again.
    void setVisible(bool visible);
    bool isVisible() const { return m_wanted && m_visible; }

signals:
    void activated();
    // A host took the icon after show() had found none.
    void docked();
    // The host that showed the icon went away, and no other shows it.
    void undocked();

private:
    QString xembedToolTip() const;
    void showXEmbed(bool on);
    void statusNotifierChanged(bool registered);

    QString m_iconName;
    QIcon m_pictures;
    QMenu *m_menu;
    Hosts m_hosts;
    QString m_toolTip;
    QString m_note;
    QSystemTrayIcon *m_xembed = nullptr;
    StatusNotifier *m_item = nullptr;
    bool m_wanted = false;
    bool m_visible = true;
    bool m_shown = false; // some host shows the icon
};

} // namespace kv
