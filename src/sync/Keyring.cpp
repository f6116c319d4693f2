#include "Keyring.h"

#include "platform/Module.h"

#include <QProcess>
#include <QTimer>

namespace kv::keyring {

namespace {
// The helper run with `arguments`, its output to `then` (nothing when it could
// not run or failed).
void run(const QStringList &arguments, const QByteArray &input, QObject *context,
         std::function<void(std::optional<QByteArray>)> then) {
    const QString program = module::helper("kelvadrin-dav");
    if (program.isEmpty()) {
        QTimer::singleShot(0, context, [then] { then(std::nullopt); });
        return;
    }
    auto *process = new QProcess(context);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(process, &QProcess::finished, context,
                     [process, then](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status == QProcess::NormalExit && code == 0)
                             then(process->readAllStandardOutput());
                         else
                             then(std::nullopt);
                     });
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [process, then](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         then(std::nullopt);
                     });
    process->start(program, arguments);
    process->write(input);
    process->closeWriteChannel();
}
} // namespace

void read(const QString &account, QObject *context,
          std::function<void(std::optional<QString>)> then) {
    run({QStringLiteral("--keyring-read"), account}, {}, context,
        [then](std::optional<QByteArray> out) {
            then(out ? std::optional<QString>(QString::fromUtf8(*out)) : std::nullopt);
        });
}

void store(const QString &account, const QString &password, QObject *context) {
    run({QStringLiteral("--keyring-write"), account}, password.toUtf8(), context,
        [](std::optional<QByteArray>) {});
}

} // namespace kv::keyring
