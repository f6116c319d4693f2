#include "Password.h"

#include "platform/Module.h"

#include <QProcess>
#include <QTimer>

namespace kv::password {

namespace {
// A helper run with `arguments`: its status and output to `then` (status -1
// when it could not run, or ended on a signal).
void run(const char *helper, const QStringList &arguments, const QByteArray &input,
         QObject *context, std::function<void(int, QByteArray)> then) {
    const QString program = module::helper(helper);
    if (program.isEmpty()) {
        QTimer::singleShot(0, context, [then] { then(-1, {}); });
        return;
    }
    auto *process = new QProcess(context);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(process, &QProcess::finished, context,
                     [process, then](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         then(status == QProcess::NormalExit ? code : -1,
                              process->readAllStandardOutput());
                     });
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [process, then](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         then(-1, {});
                     });
    process->start(program, arguments);
    process->write(input);
    process->closeWriteChannel();
}
} // namespace

void read(const QString &account, QObject *context,
          std::function<void(std::optional<QString>)> then) {
    run("kelvadrin-dav", {QStringLiteral("--keyring-read"), account}, {}, context,
        [then](int status, const QByteArray &out) {
            then(status == 0 ? std::optional<QString>(QString::fromUtf8(out)) : std::nullopt);
        });
}

void store(const QString &account, const QString &password, QObject *context) {
    run("kelvadrin-dav", {QStringLiteral("--keyring-write"), account}, password.toUtf8(), context,
        [](int, const QByteArray &) {});
}

void ask(const QString &title, const QString &label, QObject *context,
         std::function<void(Answer)> then) {
    run(kAskpass, {title, label}, {}, context, [then](int status, const QByteArray &out) {
        if (status == 0 && !out.isEmpty())
            then({Answer::Given, QString::fromUtf8(out)});
        else
            then({status == 0 || status == 1 ? Answer::Cancelled : Answer::Failed, {}});
    });
}

} // namespace kv::password
