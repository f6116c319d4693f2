#pragma once
#include <QString>

namespace kv::Fonts {

// Makes fonts the system has but fontconfig does not scan (Debian's Wine ships
// Tahoma in /usr/share/wine/fonts) known to fontconfig. Once per process; the
// font check calls it, after the icon is in the notification area, because
// loading fontconfig's configuration is the dearest step of the start.
void registerExtraFonts();
// Whether a screen font of that family is installed. "Arial" counts as
// installed when fontconfig resolves it to Arial or a metric-compatible
// family (Liberation Sans, Arimo). With a configuration file, that fontconfig
// configuration is asked instead of the running one.
bool isInstalled(const QString &family, const QString &configFile = {});

} // namespace kv::Fonts
