// Sync against a local Radicale: the first full sync of a whole organiser
// (50 appointments, 100 tasks, 1000 address entries), a sync that finds
// nothing changed, and one after a single changed appointment. The floors
// are the same server's own costs, measured in the same run by a plain
// client: the same items written one after another into a second server,
// and the two sync-collection reports alone. Then the first sync against
// vdirsyncer's on Radicale and Xandikos, and the planning of a sync alone.
#include "BenchTable.h"
#include "sync/SyncFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkReply>
#include <QStandardPaths>
#include <cmath>
#include <ctime>
#include <tuple>

using namespace kv;
using namespace kv::test;

namespace {
const char *const kFirst = "sync: first full sync, 50 + 100 + 1000 items (s)";

// One plain request, waited for; its body.
QByteArray plain(QNetworkAccessManager &nam, const QByteArray &verb, const QUrl &url,
                 const QByteArray &body, const QList<QPair<QByteArray, QByteArray>> &headers) {
    QNetworkRequest request(url);
    request.setRawHeader("Authorization",
                         "Basic " + (kUser + QLatin1Char(':') + kPassword).toUtf8().toBase64());
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply *reply = nam.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    return reply->readAll();
}

QByteArray syncReport(bool calendar, const QString &token) {
    return "<?xml version=\"1.0\"?><d:sync-collection xmlns:d=\"DAV:\" xmlns:c=\"" +
           QByteArray(calendar ? "urn:ietf:params:xml:ns:caldav"
                               : "urn:ietf:params:xml:ns:carddav") +
           "\"><d:sync-token>" + token.toUtf8() + "</d:sync-token><d:sync-level>1</d:sync-level>" +
           "<d:prop><d:getetag/>" +
           QByteArray(calendar ? "<c:calendar-data/>" : "<c:address-data/>") +
           "</d:prop></d:sync-collection>";
}
// The stores of one computer copied to another.
void copyStores(Computer &from, Computer &to) {
    for (const SyncKind kind : {SyncKind::Events, SyncKind::Tasks}) {
        const auto items = from.local->items(kind).value_or(QMap<int, LocalItem>());
        to.registry->transaction([&] {
            for (auto it = items.cbegin(); it != items.cend(); ++it)
                to.local->put(kind, it.key(), it->content);
        });
    }
    QFile::copy(from.dir.filePath(AddressFile::kFileName), to.dir.filePath(AddressFile::kFileName));
}

// vdirsyncer syncing the computer's items, written into a folder as its
// filesystem storage keeps them, to the server: the seconds of its sync, or
// NaN when it is not installed or fails.
double vdirsyncerSync(const SyncServer &server, Computer &from) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("vdirsyncer"));
    QTemporaryDir dir;
    if (program.isEmpty() || !dir.isValid())
        return NAN;
    QDir(dir.path()).mkpath(QStringLiteral("cal"));
    QDir(dir.path()).mkpath(QStringLiteral("book"));
    int n = 0;
    for (const SyncKind kind : {SyncKind::Events, SyncKind::Tasks, SyncKind::Contacts}) {
        const auto items = from.local->items(kind).value_or(QMap<int, LocalItem>());
        for (const LocalItem &item : items) {
            const QString uid = QStringLiteral("vdir-%1").arg(++n);
            QFile f(dir.filePath(
                (kind == SyncKind::Contacts ? QStringLiteral("book/") : QStringLiteral("cal/")) +
                uid + SyncLocal::fileSuffix(kind)));
            if (!f.open(QIODevice::WriteOnly) ||
                f.write(SyncLocal::serialize(kind, item.content, uid)) < 0)
                return NAN;
        }
    }
    QString config = QStringLiteral("[general]\nstatus_path = \"%1/status/\"\n").arg(dir.path());
    for (const auto &[name, folder, type, ext, url] :
         {std::tuple{"cal", "cal", "caldav", ".ics", server.calendar()},
          std::tuple{"book", "book", "carddav", ".vcf", server.addressBook()}}) {
        config +=
            QStringLiteral("[pair %1]\na = \"%1_here\"\nb = \"%1_there\"\n"
                           "collections = null\n"
                           "[storage %1_here]\ntype = \"filesystem\"\n"
                           "path = \"%2/%3/\"\nfileext = \"%4\"\n"
                           "[storage %1_there]\ntype = \"%5\"\nurl = \"%6\"\n"
                           "username = \"%7\"\npassword = \"%8\"\n")
                .arg(QLatin1String(name), dir.path(), QLatin1String(folder), QLatin1String(ext),
                     QLatin1String(type), url.toString(), kUser, kPassword);
    }
    QFile conf(dir.filePath(QStringLiteral("config")));
    if (!conf.open(QIODevice::WriteOnly) || conf.write(config.toUtf8()) < 0)
        return NAN;
    conf.close();
    const auto run = [&](const QString &command) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, {QStringLiteral("-c"), conf.fileName(), command});
        p.closeWriteChannel();
        const bool ok = p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit &&
                        p.exitCode() == 0;
        if (!ok) // what it said, for the one who reads the table
            std::fprintf(stderr, "vdirsyncer %s:\n%s\n", qPrintable(command),
                         p.readAll().right(2000).constData());
        return ok;
    };
    if (!run(QStringLiteral("discover")))
        return NAN;
    const auto start = std::chrono::steady_clock::now();
    if (!run(QStringLiteral("sync")))
        return NAN;
    return bench::millisSince(start) / 1000;
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    bench::header();
    Radicale server, floorServer;
    if (!server.url.isValid() || !floorServer.url.isValid())
        return bench::rowFailed(kFirst, "ratio <= 1.2"), 1;
    Computer a(server.calendar(), server.addressBook());
    AppointmentStore store = a.appointments();
    TaskStore tasks = a.tasks();
    AddressFile book = a.addresses();
    a.registry->transaction([&] {
        for (int n = 1; n <= AppointmentStore::SlotCount; ++n) {
            store.writeDate(n, QStringLiteral("%1/%2/27")
                                   .arg(n % 12 + 1, 2, 10, QLatin1Char('0'))
                                   .arg(n % 28 + 1, 2, 10, QLatin1Char('0')));
            store.writeTime(n, QStringLiteral("09:30"));
            store.writeInfo(n, QStringLiteral("Spotkanie numer %1").arg(n));
            store.writeRepeat(n, n % 3 ? 0 : 7);
            store.key().writeBool(names::termin(n), true);
        }
        for (int n = 1; n <= TaskStore::MaxTasks; ++n)
            tasks.put(n, QStringLiteral("Zadanie %1").arg(n), QDate(2026, 12, 1));
    });
    book.CreateAddressFile();
    for (int n = 0; n < AddressFile::kEntries; ++n)
        book.writeEntry(n, {QStringLiteral("Osoba %1").arg(n), QStringLiteral("Kraków"),
                            QStringLiteral("30-001"), QStringLiteral("Rynek %1").arg(n),
                            QString::number(500000000 + n),
                            QStringLiteral("osoba%1@example.pl").arg(n), QString(), QString()});
    book.SaveAddressImage();

    // The floor: the same items, one plain PUT after another, into a fresh server.
    QNetworkAccessManager nam;
    auto start = std::chrono::steady_clock::now();
    int written = 0;
    for (const SyncKind kind : {SyncKind::Events, SyncKind::Tasks, SyncKind::Contacts}) {
        const QUrl collection =
            kind == SyncKind::Contacts ? floorServer.addressBook() : floorServer.calendar();
        for (const LocalItem &item : a.local->items(kind).value_or(QMap<int, LocalItem>())) {
            const QString uid = QStringLiteral("floor-%1").arg(++written);
            plain(nam, "PUT", collection.resolved(QUrl(uid + SyncLocal::fileSuffix(kind))),
                  SyncLocal::serialize(kind, item.content, uid),
                  {{"If-None-Match", "*"},
                   {"Content-Type", kind == SyncKind::Contacts ? "text/vcard" : "text/calendar"}});
        }
    }
    const double floorFirst = bench::millisSince(start) / 1000;

    bool met = true;
    start = std::chrono::steady_clock::now();
    SyncReport r = a.sync();
    const double first = bench::millisSince(start) / 1000;
    if (!r.ok() || r.pushed != written)
        return bench::rowFailed(kFirst, "ratio <= 1.2"), 1;
    met &= bench::rowRatio(kFirst, first, floorFirst, 1.2);
    a.sync(); // reads back its own writes once

    // Against vdirsyncer, syncing the same items from a folder to a fresh
    // server, on each server; beside it the share of the sync's time its
    // process spent waiting (not on its own processor time).
    for (const QString &which : {QStringLiteral("radicale"), QStringLiteral("xandikos")}) {
        const std::string figure =
            "sync: first full sync against vdirsyncer, " + which.toStdString() + " (s)";
        SyncServer ours(which), theirs(which);
        const double floor = vdirsyncerSync(theirs, a);
        if (std::isnan(floor)) {
            met &= bench::rowFailed(figure, "ratio <= 1.0");
            continue;
        }
        Computer c(ours.calendar(), ours.addressBook());
        copyStores(a, c);
        const std::clock_t cpu = std::clock();
        start = std::chrono::steady_clock::now();
        r = c.sync();
        const double took = bench::millisSince(start) / 1000;
        const double busy = double(std::clock() - cpu) / CLOCKS_PER_SEC;
        if (!r.ok() || r.pushed != written) {
            met &= bench::rowFailed(figure, "ratio <= 1.0");
            continue;
        }
        met &= bench::rowRatio(figure, took, floor, 1.0);
        bench::rowReport("sync: first full sync, " + which.toStdString() +
                             ", waiting for the server (%)",
                         100 * std::max(0.0, 1 - busy / took));
    }

    // Planning a sync that finds nothing to do, from the snapshot on.
    {
        PlanInput in;
        in.calendar = true;
        in.kinds = {SyncKind::Events, SyncKind::Tasks};
        in.base = server.calendar().path();
        in.newUid = [] { return QStringLiteral("x@kelvadrin"); };
        PlanInput book;
        book.calendar = false;
        book.kinds = {SyncKind::Contacts};
        book.base = server.addressBook().path();
        book.newUid = in.newUid;
        for (const SyncKind kind : {SyncKind::Events, SyncKind::Tasks, SyncKind::Contacts}) {
            const QUrl url = kind == SyncKind::Contacts ? server.addressBook() : server.calendar();
            PlanInput &to = kind == SyncKind::Contacts ? book : in;
            to.here.insert(kind, LocalSide{*a.local->items(kind), a.local->freePlaces(kind)});
            to.states.insert(kind, a.local->states(kind, SyncLocal::collectionId(a.settings.server,
                                                                                 a.settings.user,
                                                                                 url.toString())));
        }
        int rows = 0;
        const double planning = bench::medianMillis(
            7, [&] { rows = int(planSync(in).rows.size() + planSync(book).rows.size()); });
        if (rows != written)
            met &= bench::rowFailed("sync: planning 50 + 100 + 1000 items, nothing to do (ms)",
                                    "<= 5 ms");
        else
            met &= bench::rowLimit("sync: planning 50 + 100 + 1000 items, nothing to do (ms)",
                                   planning, 5, "ms");
    }

    int requests = 0;
    const double idle =
        bench::medianMillis(7, [&] { requests = std::max(requests, a.sync().requests); });
    const auto tokenOf = [&](SyncKind kind, const QUrl &url) {
        return a.local->token(
            kind, SyncLocal::collectionId(a.settings.server, a.settings.user, url.toString()));
    };
    const QString calendarToken = tokenOf(SyncKind::Events, server.calendar());
    const QString bookToken = tokenOf(SyncKind::Contacts, server.addressBook());
    const double idleFloor = bench::medianMillis(7, [&] {
        plain(nam, "REPORT", server.calendar(), syncReport(true, calendarToken), {{"Depth", "0"}});
        plain(nam, "REPORT", server.addressBook(), syncReport(false, bookToken), {{"Depth", "0"}});
    });
    met &= bench::rowLimit("sync: nothing changed (requests)", requests, 2, "");
    met &= bench::rowRatio("sync: nothing changed (ms)", idle, idleFloor, 1.3);

    store.writeInfo(7, QStringLiteral("Spotkanie numer 7, przesunięte"));
    r = a.sync();
    met &= bench::rowLimit("sync: one changed appointment (requests)", r.requests, 3, "");
    return met ? 0 : 1;
}
