#pragma once
// The window system the program runs on, chosen before the application object
// exists. In a Wayland session that also has an X server (Xwayland), the
// program runs on X11: only there may the reminder window keep itself above
// all windows and centred. Without an X server it runs on Wayland itself.
// A platform the user names (QT_QPA_PLATFORM, -platform) is always kept.

#include <QByteArray>
#include <functional>

namespace kv {

// The platform to ask Qt for, or empty for Qt's own choice. `env` reads an
// environment variable; `xServerReachable` is asked only when it matters.
QByteArray chooseDisplayPlatform(const std::function<QByteArray(const char *)> &env,
                                 const std::function<bool()> &xServerReachable);

} // namespace kv
