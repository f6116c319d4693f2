#pragma once
// What the sync tests share: a real calendar server started for the test
// (Radicale, or Xandikos with KV_SYNC_SERVER=xandikos), "computers" (a
// registry and a data folder each) that sync with it, and a third client
// that writes straight to the server.
#include "platform/Registry.h"
#include "platform/RegistryNames.h"
#include "sync/SyncEngine.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// A sync that must succeed: the report's text is shown when it does not.
#define KV_VERIFY_SYNCED(computer)                                                                 \
    do {                                                                                           \
        const auto report_ = (computer).sync();                                                    \
        QVERIFY2(report_.ok(), qPrintable(report_.text()));                                        \
    } while (false)

namespace kv::test {

inline QString syncScript(const QString &name) {
    return qEnvironmentVariable("KV_TEST_SOURCE_DIR") + QStringLiteral("/tests/sync/") + name;
}

// A script of tests/sync that prints its address on its first line.
class ScriptServer {
public:
    explicit ScriptServer(const QString &script, const QStringList &args) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"), QStringList{syncScript(script)} + args);
        if (m_process.waitForStarted(10000))
            url = QUrl(readLine());
    }
    // The script's next line; empty when it ended first.
    QString readLine() {
        while (!m_process.canReadLine() && m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(30000);
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~ScriptServer() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
    QUrl url;

private:
    QProcess m_process;
};

// The day a to-do read without one is added on: the computers' own (the system's).
inline const QDate kToday = QDate::currentDate();
inline const QString kUser = QStringLiteral("anna");
inline const QString kPassword = QStringLiteral("tajne");

// The server's storage, made before the server starts.
struct StorageDir {
    QTemporaryDir storage;
};

// The server KV_SYNC_SERVER names (radicale, xandikos; radicale when unset),
// with a calendar "kalendarz" and an address book "kontakty" of anna's,
// where that server keeps them.
class SyncServer : private StorageDir, public ScriptServer {
public:
    explicit SyncServer(const QString &which = name())
        : ScriptServer(which + QStringLiteral("_server.py"),
                       {QStringLiteral("--dir"), storage.path(),
                        QStringLiteral("--create-calendar"), QStringLiteral("kalendarz"),
                        QStringLiteral("--create-addressbook"), QStringLiteral("kontakty")}),
          m_calendar(readLine()), m_addressBook(readLine()) {}
    static QString name() {
        return qEnvironmentVariable("KV_SYNC_SERVER", QStringLiteral("radicale"));
    }
    QUrl calendar() const { return m_calendar; }
    QUrl addressBook() const { return m_addressBook; }

private:
    QUrl m_calendar, m_addressBook;
};
using Radicale = SyncServer; // the name the tests and the bench knew it by

// One computer: its registry and data folder, syncing with the server.
class Computer {
public:
    Computer(const QUrl &calendar, const QUrl &addressBook) {
        settings.calendar = calendar;
        settings.addressBook = addressBook;
        settings.user = kUser;
        settings.password = kPassword;
        open();
    }
    // As after the program ended: the stores are opened afresh.
    void open() {
        local.reset();
        registry.reset(); // one store per process at a time, as in the program
        registry = std::make_unique<Registry>(dir.filePath(QStringLiteral("registry.sqlite3")));
        local = std::make_unique<SyncLocal>(*registry, dir.path());
    }
    SyncReport sync() {
        SyncEngine engine(*local, settings);
        SyncReport report;
        QEventLoop loop;
        QObject::connect(&engine, &SyncEngine::finished, &loop, [&](const SyncReport &r) {
            report = r;
            loop.quit();
        });
        engine.start();
        if (engine.running())
            loop.exec();
        return report;
    }
    // Every item held, as "kind fingerprint", sorted: what two sides compare.
    QStringList contents() {
        QStringList out;
        for (SyncKind kind : {SyncKind::Events, SyncKind::Tasks, SyncKind::Contacts})
            for (const LocalItem &item : local->items(kind).value_or(QMap<int, LocalItem>()))
                out << QString::number(int(kind)) + QLatin1Char(' ') + item.fingerprint;
        out.sort();
        return out;
    }
    AppointmentStore appointments() {
        return AppointmentStore(registry->openKey(names::appointmentsKey, true));
    }
    TaskStore tasks() { return TaskStore(registry->openKey(names::tasksKey, true)); }
    AddressFile addresses() { return AddressFile(dir.path()); }

    QTemporaryDir dir;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<SyncLocal> local;
    SyncSettings settings;
};

// The third client (tests/sync/third_client.py): one JSON command, one answer.
class ThirdClient {
public:
    explicit ThirdClient(const QUrl &server) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(
            QStringLiteral("/usr/bin/python3"),
            {syncScript(QStringLiteral("third_client.py")), server.toString(), kUser, kPassword});
        m_process.waitForStarted(10000);
    }
    ~ThirdClient() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    QJsonObject call(const QJsonObject &command) {
        m_process.write(QJsonDocument(command).toJson(QJsonDocument::Compact) + '\n');
        m_process.waitForBytesWritten();
        while (!m_process.canReadLine() && m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(60000);
        return QJsonDocument::fromJson(m_process.readLine()).object();
    }
    // The server's items as "kind fingerprint", sorted, read by the sync's
    // own reader (what this program would hold of them).
    QStringList contents(const QList<QUrl> &collections) {
        QStringList out;
        for (const QUrl &c : collections) {
            const QJsonObject r = call({{"op", "list"}, {"collection", c.toString()}});
            for (const auto &v : r.value("items").toArray()) {
                const QByteArray data = v.toObject().value("data").toString().toUtf8();
                const ServerContent s =
                    SyncLocal::parse(!data.contains("BEGIN:VCARD"), data, kToday);
                out << (s.content ? QString::number(int(s.kind)) + QLatin1Char(' ') + s.fingerprint
                                  : QStringLiteral("unheld"));
            }
        }
        out.sort();
        return out;
    }

private:
    QProcess m_process;
};

} // namespace kv::test
