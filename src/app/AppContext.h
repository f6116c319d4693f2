#pragma once
#include "appointments/AppointmentStore.h"
#include "platform/Interfaces.h"
#include "platform/Registry.h"

#include <QString>
#include <functional>

namespace kv {

// What the windows of the program are built with: the platform, the
// registry, the folders, and the date test.
struct AppContext {
    Platform &platform;
    Registry &registry;
    QString installDir;    // made the current directory; holds the data files
    QString autostartFile; // the XDG autostart entry
    QString executable;    // written into the autostart entry
    DateTest dateTest = systemDateTest();
    // Whether the X server has a notification area to dock the icon in.
    std::function<bool()> trayAvailable;
    // Whether the icon is also offered on the session bus (StatusNotifierItem)
    // and reminders sent as desktop notifications.
    bool busTray = false;
    // Whether a screen font of the family is installed.
    std::function<bool(const QString &)> fontInstalled;
    // The single-instance marker's lock file.
    QString lockFile;
};

} // namespace kv
