// Sync against a local Radicale: the first full sync of a whole organiser
// (50 appointments, 100 tasks, 1000 address entries), a sync that finds
// nothing changed, and one after a single changed appointment. The floors
// are the same server's own costs, measured in the same run by a plain
// client: the same items written one after another into a second server,
// and the two sync-collection reports alone.
#include "BenchTable.h"
#include "sync/SyncFixture.h"

#include <QCoreApplication>
#include <QNetworkReply>

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
        for (const LocalItem &item :
             a.local->items(kind, nullptr).value_or(QMap<int, LocalItem>())) {
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
