// Sync against a local Radicale: the first full sync of a whole organiser
// (50 appointments, 100 tasks, 1000 address entries), a sync that finds
// nothing changed, and one after a single changed appointment.
#include "BenchTable.h"
#include "sync/SyncFixture.h"

#include <QCoreApplication>

using namespace kv;
using namespace kv::test;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    bench::header();
    Radicale server;
    if (!server.url.isValid())
        return bench::rowFailed("sync: first full sync, 50 + 100 + 1000 items (s)", "<= 5 s"), 1;
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
    for (int n = 1; n < AddressFile::kEntries; ++n)
        book.writeEntry(n, {QStringLiteral("Osoba %1").arg(n), QStringLiteral("Kraków"),
                            QStringLiteral("30-001"), QStringLiteral("Rynek %1").arg(n),
                            QString::number(500000000 + n),
                            QStringLiteral("osoba%1@example.pl").arg(n), QString(), QString()});
    book.writeEntry(0, {QStringLiteral("Osoba 0"), {}, {}, {}, {}, {}, {}, {}});
    book.SaveAddressImage();

    bool met = true;
    auto start = std::chrono::steady_clock::now();
    SyncReport r = a.sync();
    const double first = bench::millisSince(start) / 1000;
    if (!r.ok() || r.pushed != 1150)
        return bench::rowFailed("sync: first full sync, 50 + 100 + 1000 items (s)", "<= 5 s"), 1;
    met &= bench::rowLimit("sync: first full sync, 50 + 100 + 1000 items (s)", first, 5, "s");
    a.sync(); // reads back its own writes once

    int requests = 0;
    const double idle =
        bench::medianMillis(7, [&] { requests = std::max(requests, a.sync().requests); });
    met &= bench::rowLimit("sync: nothing changed (requests)", requests, 2, "");
    met &= bench::rowLimit("sync: nothing changed (ms)", idle, 50, "ms");

    store.writeInfo(7, QStringLiteral("Spotkanie numer 7, przesunięte"));
    r = a.sync();
    met &= bench::rowLimit("sync: one changed appointment (requests)", r.requests, 3, "");
    return met ? 0 : 1;
}
