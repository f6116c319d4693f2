#pragma once
// The sync password in the desktop's keyring (the service "Kelvadrin", the key
// user@host). The keyring is reached by the network helper (kelvadrin-dav),
// run for each read or write, so that the keyring's libraries are never in the
// program itself. Without a keyring a read finds nothing and a write is lost:
// the password then stays for the session only.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace kv::keyring {

// `then` gets the password, or nothing; it is called on the event loop and
// not once `context` is gone.
void read(const QString &account, QObject *context,
          std::function<void(std::optional<QString>)> then);
void store(const QString &account, const QString &password, QObject *context);

} // namespace kv::keyring
