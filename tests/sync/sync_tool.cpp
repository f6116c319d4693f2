// One sync of a computer's data folder, as the program would run it, that can
// die by SIGKILL at a chosen checkpoint of the engine.
// Usage: kv_sync_tool DATA_DIR CALENDAR_URL ADDRESSBOOK_URL USER PASSWORD KILL_AT
// KILL_AT 0 never kills. Prints the report; exits 0 when the sync was ok.
#include "platform/Registry.h"
#include "sync/SyncEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <csignal>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 7) {
        std::fprintf(stderr, "usage: kv_sync_tool DATA_DIR CALENDAR_URL ADDRESSBOOK_URL USER "
                             "PASSWORD KILL_AT\n");
        return 2;
    }
    const QString dir = args[1];
    kv::Registry registry(QDir(dir).filePath(QStringLiteral("registry.sqlite3")));
    kv::SyncLocal local(registry, dir);
    kv::SyncSettings settings;
    settings.calendar = QUrl(args[2]);
    settings.addressBook = QUrl(args[3]);
    settings.user = args[4];
    settings.password = args[5];
    const int killAt = args[6].toInt();

    kv::SyncEngine engine(local, settings);
    int calls = 0;
    engine.checkpoint = [&] {
        if (++calls == killAt)
            std::raise(SIGKILL);
    };
    kv::SyncReport report;
    QObject::connect(&engine, &kv::SyncEngine::finished, &app, [&](const kv::SyncReport &r) {
        report = r;
        app.quit();
    });
    engine.start();
    if (engine.running())
        app.exec();
    std::printf("%s\n", qPrintable(report.text()));
    return report.ok() ? 0 : 1;
}
