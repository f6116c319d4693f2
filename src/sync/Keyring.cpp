#include "Keyring.h"

#include "platform/Module.h"

namespace kv::keyring {

void read(const QString &account, QObject *context,
          std::function<void(std::optional<QString>)> then) {
    module::run("kelvadrin-dav", {QStringLiteral("--keyring-read"), account}, {}, context,
                [then](int status, const QByteArray &out) {
                    then(status == 0 ? std::optional<QString>(QString::fromUtf8(out))
                                     : std::nullopt);
                });
}

void store(const QString &account, const QString &password, QObject *context) {
    module::run("kelvadrin-dav", {QStringLiteral("--keyring-write"), account}, password.toUtf8(),
                context, [](int, const QByteArray &) {});
}

} // namespace kv::keyring
