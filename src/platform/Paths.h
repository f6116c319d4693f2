#pragma once
#include <QString>

namespace kv::Paths {

// $XDG_CONFIG_HOME/kelvadrin (default ~/.config/kelvadrin): the registry hive.
QString configDir();
// $XDG_CONFIG_HOME/autostart/kelvadrin.desktop
QString autostartFile();
// The install folder: $XDG_DATA_HOME/Kelvadrin (default ~/.local/share/Kelvadrin),
// where "Baza teleadresowa.adr" and "Archiwum.tra" live.
QString installDir();
// Creates a folder only its owner may enter (mode 0700) when it is missing,
// with its parents; returns whether it exists.
bool ensurePrivateDir(const QString &dir);
// $XDG_RUNTIME_DIR, or the config folder when unset.
QString runtimeDir();
// The running program's own path (/proc/self/exe).
QString executablePath();

} // namespace kv::Paths
