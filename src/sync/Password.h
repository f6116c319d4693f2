#pragma once
// The sync password from outside the program: the desktop's keyring (the
// service "Kelvadrin", the key user@host), reached by the network helper
// (kelvadrin-dav) run for each read or write, so that the keyring's libraries
// are never in the program itself, or the user, asked by the password
// question's helper (kelvadrin-askpass). Without a keyring a read finds
// nothing and a write is lost: the password then stays for the session only.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace kv::password {

// `then` gets the password, or nothing; it is called on the event loop and
// not once `context` is gone.
void read(const QString &account, QObject *context,
          std::function<void(std::optional<QString>)> then);
void store(const QString &account, const QString &password, QObject *context);

// What the user answered to the question.
struct Answer {
    enum Kind { Given, Cancelled, Failed } kind;
    QString password; // Given only
};
// Asks in a window of the helper's, titled `title`; `then` as above. Failed:
// the helper could not run (its name is kAskpass).
void ask(const QString &title, const QString &label, QObject *context,
         std::function<void(Answer)> then);
constexpr char kAskpass[] = "kelvadrin-askpass";

} // namespace kv::password
