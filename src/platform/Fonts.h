#pragma once
#include <QString>

namespace kv::Fonts {

// Registers fonts the system has but fontconfig does not scan (Debian's Wine
// ships Tahoma in /usr/share/wine/fonts) with the application.
void registerExtraFonts();
// Whether a screen font of that family is installed. "Arial" counts as
// installed when fontconfig resolves it to Arial or a metric-compatible
// family (Liberation Sans, Arimo).
bool isInstalled(const QString &family);

} // namespace kv::Fonts
