#include "DisplayChoice.h"

namespace kv {

QByteArray chooseDisplayPlatform(const std::function<QByteArray(const char *)> &env,
                                 const std::function<bool()> &xServerReachable) {
    if (!env("QT_QPA_PLATFORM").isEmpty())
        return {};
    const bool wayland = env("XDG_SESSION_TYPE") == "wayland" || !env("WAYLAND_DISPLAY").isEmpty();
    if (!wayland)
        return {};
    if (!env("DISPLAY").isEmpty() && xServerReachable())
        return "xcb";
    // Qt would try X11 first on some desktops and end there without a server.
    return env("WAYLAND_DISPLAY").isEmpty() ? QByteArray() : QByteArray("wayland");
}

} // namespace kv
