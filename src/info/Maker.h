#pragma once
// The maker of the program: the name, e-mail address and web page shown by the
// first-start window and the about window.

#include <QString>
#include <QUrl>

namespace kv::maker {

inline QString name() {
    return QStringLiteral("Zespół Kelvadrin");
}

inline QString address() {
    return QStringLiteral("kelvadrin@example.org");
}

inline QString webPage() {
    return QStringLiteral("https://kelvadrin.example.org/");
}

// A new e-mail message to the maker with an empty subject.
inline QUrl mailUrl() {
    return QUrl(QStringLiteral("mailto:%1?subject=").arg(address()));
}

} // namespace kv::maker
