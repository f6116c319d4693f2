// Two computers and a real Radicale: what one side changes reaches the other,
// changes on both sides keep both versions, deletions travel only for items
// both sides knew, and a sync that fails changes nothing here.
#include "SyncFixture.h"
#include "appointments/Changedateunit.h"
#include "archive/ArchiveFile.h"
#include "sync/Multistatus.h"

#include <QProcess>

using namespace kv;
using namespace kv::test;

namespace {
void addAppointment(Computer &c, int n, const QString &date, const QString &time,
                    const QString &text, int repeat = 0) {
    AppointmentStore s = c.appointments();
    if (!date.isEmpty())
        s.writeDate(n, date);
    if (!time.isEmpty())
        s.writeTime(n, time);
    s.writeInfo(n, text);
    s.writeRepeat(n, repeat);
    s.key().writeBool(names::termin(n), true);
}

// Slots are numbered on each computer by itself: the slot holding a message.
int slotOf(Computer &c, const QString &text) {
    for (int n = 1; n <= AppointmentStore::SlotCount; ++n)
        if (c.appointments().load(n).info == text)
            return n;
    return 0;
}
} // namespace

class TestSync : public QObject {
    Q_OBJECT
private slots:
    // What a slot, task or entry holds is what the server's copy reads back as.
    void mappingRoundTrip_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("one-time") << 0
                                  << QStringList{"1", "12/24/27", "18:30", "Wigilia\r\nu mamy",
                                                 "0"};
        QTest::newRow("weekly, unarmed")
            << 0 << QStringList{"0", "01/05/27", "08:00", "Basen", "7"};
        QTest::newRow("month end") << 0 << QStringList{"1", "01/31/27", "09:00", "Czynsz", "31"};
        QTest::newRow("date only yearly")
            << 0 << QStringList{"1", "03/05/27", "", "Imieniny", "41"};
        QTest::newRow("time only") << 0 << QStringList{"1", "", "24:15", "Leki", "1"};
        // Days past a month's end and hour 24 fire as another day says, but
        // the slot keeps its own.
        QTest::newRow("April 31") << 0 << QStringList{"1", "04/31/27", "10:45", "Po", "0"};
        QTest::newRow("February 30, yearly")
            << 0 << QStringList{"1", "02/30/27", "11:00", "R", "41"};
        QTest::newRow("30th at 24:00, every 2 months")
            << 0 << QStringList{"1", "04/30/27", "24:00", "D", "31"};
        QTest::newRow("24:45, every 2 months")
            << 0 << QStringList{"1", "05/30/27", "24:45", "M", "31"};
        QTest::newRow("task") << 1 << QStringList{"Kupić chleb\r\ni mleko", "2026-11-30"};
        QTest::newRow("contact") << 2 << QStringList{"Żaneta Łęcka", "Łódź",
                                                     "90-001",       "Piotrkowska 1",
                                                     "+48 42 000",   "z@example.pl",
                                                     "12345",        "Notatka\r\ndruga linia"};
    }
    void mappingRoundTrip() {
        QFETCH(int, kind);
        QFETCH(QStringList, fields);
        SyncContent c;
        if (kind == 0)
            c.event.record = {fields[0] == "1", fields[1], fields[2], fields[3], fields[4].toInt()};
        else if (kind == 1)
            c.task = {fields[0], QDate::fromString(fields[1], Qt::ISODate), {}};
        else
            for (int f = 0; f < AddressFile::FieldCount; ++f)
                c.card.setField(f, fields[f]);
        const auto k = SyncKind(kind);
        const QByteArray data = SyncLocal::serialize(k, c, QStringLiteral("u-1@kelvadrin"));
        const ServerContent back = SyncLocal::parse(k != SyncKind::Contacts, data, kToday);
        QVERIFY2(back.content, data.constData());
        QCOMPARE(int(back.kind), kind);
        QCOMPARE(back.uid, QStringLiteral("u-1@kelvadrin"));
        QCOMPARE(back.fingerprint, SyncLocal::fingerprint(k, c));
    }

    void multistatus() {
        const QByteArray xml = R"(<?xml version="1.0"?>
<d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">
 <d:response><d:href>/anna/k/a.ics</d:href>
  <d:propstat><d:prop><d:getetag>"1"</d:getetag><c:calendar-data>BEGIN:VCALENDAR&#13;
END:VCALENDAR</c:calendar-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>
  <d:propstat><d:prop><d:displayname/></d:prop><d:status>HTTP/1.1 404 Not Found</d:status></d:propstat>
 </d:response>
 <d:response><d:href>/anna/k/b.ics</d:href><d:status>HTTP/1.1 404 Not Found</d:status></d:response>
 <d:sync-token>t2</d:sync-token>
</d:multistatus>)";
        const auto ms = parseMultistatus(xml);
        QVERIFY(ms);
        QCOMPARE(ms->syncToken, QStringLiteral("t2"));
        QCOMPARE(ms->entries.size(), 2);
        QCOMPARE(ms->entries[0].status, 200);
        QCOMPARE(ms->entries[0].props.etag, QStringLiteral("\"1\""));
        QVERIFY(ms->entries[0].props.data.startsWith("BEGIN:VCALENDAR\r\n"));
        QCOMPARE(ms->entries[1].status, 404);
        // Cut short, or not a multistatus at all: no list, not a shorter one.
        QVERIFY(!parseMultistatus(xml.first(xml.size() - 40)));
        QVERIFY(!parseMultistatus("<html><body>Zaloguj się</body></html>"));
    }

    // Both directions, the third client, and the cost of a sync without changes.
    void twoComputersAndAThirdClient() {
        Radicale server;
        QVERIFY(server.url.isValid());
        Computer a(server.calendar(), server.addressBook());
        Computer b(server.calendar(), server.addressBook());
        ThirdClient phone(server.url);
        addAppointment(a, 3, "12/24/27", "18:00", "Wigilia", 41);
        QVERIFY(a.tasks().add("Kupić choinkę", QDate(2026, 12, 1)) == 1);
        AddressRecord ewa{"Ewa Nowak", "Kraków",         "30-001", "Rynek 1",
                          "123",       "ewa@example.pl", "",       ""};
        QCOMPARE(a.addresses().storeEntry(-1, ewa).status, AddressFile::Status::Done);
        SyncReport r = a.sync();
        QVERIFY2(r.ok(), qPrintable(r.text()));
        QCOMPARE(r.pushed, 3);
        r = b.sync();
        QVERIFY2(r.ok(), qPrintable(r.text()));
        QCOMPARE(r.pulled, 3);
        QCOMPARE(b.contents(), a.contents());

        // Another CalDAV library reads what was stored.
        const QJsonObject seen =
            phone.call({{"op", "caldav_events"}, {"collection", server.calendar().toString()}});
        QVERIFY(seen.value("summaries").toArray().contains(QJsonValue("Wigilia")));
        QVERIFY(seen.value("summaries").toArray().contains(QJsonValue("Kupić choinkę")));

        // The phone adds a contact and deletes the task; B edits the appointment.
        phone.call({{"op", "put"},
                    {"collection", server.addressBook().toString()},
                    {"name", "adam.vcf"},
                    {"data", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:adam-1\r\nFN:Adam Kos\r\n"
                             "N:Kos;Adam;;;\r\nTEL:555\r\nEND:VCARD\r\n"}});
        const QJsonArray items =
            phone.call({{"op", "list"}, {"collection", server.calendar().toString()}})
                .value("items")
                .toArray();
        for (const auto &v : items)
            if (v.toObject().value("data").toString().contains("VTODO"))
                phone.call({{"op", "delete"}, {"href", v.toObject().value("href")}});
        b.appointments().writeInfo(slotOf(b, "Wigilia"), "Wigilia u babci");
        KV_VERIFY_SYNCED(b);
        r = a.sync();
        QVERIFY2(r.ok(), qPrintable(r.text()));
        QCOMPARE(a.appointments().load(3).info, QStringLiteral("Wigilia u babci"));
        QVERIFY(!a.tasks().exists(1));
        QCOMPARE(a.addresses().storeEntry(-1, ewa).entry, 3); // Adam took entry 2
        a.addresses().deleteEntry(3);
        KV_VERIFY_SYNCED(a);
        KV_VERIFY_SYNCED(b);
        QCOMPARE(b.contents(), a.contents());
        QCOMPARE(phone.contents({server.calendar(), server.addressBook()}), a.contents());

        // Nothing changed: one request per collection.
        r = a.sync();
        QVERIFY(r.ok());
        QCOMPARE(r.requests, 2);
        QCOMPARE(r.text(), QStringLiteral("Synchronizacja zakończona: bez zmian."));
        QVERIFY(r.unchanged());
    }

    // Changed on both sides: the server's version takes the place and this
    // one is kept beside it; with no free slot an appointment goes to the
    // archive. Deleted here but changed there: kept.
    void changesOnBothSides() {
        Radicale server;
        Computer a(server.calendar(), server.addressBook());
        Computer b(server.calendar(), server.addressBook());
        addAppointment(a, 1, "05/01/27", "10:00", "Dentysta");
        a.tasks().add("Zadzwonić", QDate(2026, 12, 1));
        KV_VERIFY_SYNCED(a);
        KV_VERIFY_SYNCED(b);
        a.appointments().writeInfo(1, "Dentysta A");
        b.appointments().writeInfo(slotOf(b, "Dentysta"), "Dentysta B");
        a.tasks().change(1, "Zadzwonić do Ani");
        b.tasks().remove(1); // the only task: number 1 on both
        KV_VERIFY_SYNCED(a);
        SyncReport r = b.sync();
        QVERIFY2(r.ok(), qPrintable(r.text()));
        QCOMPARE(r.conflicts, 1);
        QVERIFY(r.text().contains(QStringLiteral("zmienione po obu stronach – 1")));
        QCOMPARE(b.appointments().load(1).info, QStringLiteral("Dentysta A"));
        QCOMPARE(slotOf(b, "Dentysta B"), 2);
        QCOMPARE(b.tasks().text(1), QStringLiteral("Zadzwonić do Ani"));
        KV_VERIFY_SYNCED(a);
        QCOMPARE(a.contents(), b.contents());

        // No free slot: the message of this side's version goes to the archive.
        for (int n = 3; n <= AppointmentStore::SlotCount; ++n)
            addAppointment(b, n, "06/01/27", "08:00", QStringLiteral("Termin %1").arg(n));
        KV_VERIFY_SYNCED(b);
        KV_VERIFY_SYNCED(a);
        a.appointments().writeInfo(slotOf(a, "Dentysta A"), "Dentysta po A");
        b.appointments().writeInfo(slotOf(b, "Dentysta A"), "Dentysta po B");
        KV_VERIFY_SYNCED(a);
        r = b.sync();
        QCOMPARE(r.archived, 1);
        QVERIFY(slotOf(b, "Dentysta po A"));
        QVERIFY(!slotOf(b, "Dentysta po B"));
        ArchiveFile archive(b.dir.path());
        QVERIFY(archive.load());
        QCOMPARE(archive.messageText(1), QStringLiteral("Dentysta po B"));
        QCOMPARE(a.contents(), b.contents());
    }

    // A server without sync-collection: the ctag and the tags tell what changed.
    void withoutSyncCollection() {
        Radicale server;
        Computer a(server.calendar(), server.addressBook());
        Computer b(server.calendar(), server.addressBook());
        for (Computer *c : {&a, &b})
            c->settings.useSyncCollection = false;
        addAppointment(a, 1, "05/01/27", "10:00", "Dentysta");
        a.tasks().add("Zadzwonić", QDate(2026, 12, 1));
        KV_VERIFY_SYNCED(a);
        SyncReport r = b.sync();
        QVERIFY2(r.ok() && r.pulled == 2, qPrintable(r.text()));
        b.appointments().writeInfo(slotOf(b, "Dentysta"), "Dentysta o 11");
        b.tasks().remove(1);
        KV_VERIFY_SYNCED(b);
        r = a.sync();
        QVERIFY2(r.ok() && r.pulled == 1 && r.removedHere == 1, qPrintable(r.text()));
        QVERIFY(!r.unchanged());
        QCOMPARE(a.contents(), b.contents());
        a.sync(); // the ctag moved with this side's own writes
        r = a.sync();
        QCOMPARE(r.requests, 2); // one ctag per collection
        QCOMPARE(r.text(), QStringLiteral("Synchronizacja zakończona: bez zmian."));
        QVERIFY(r.unchanged());
    }

    // A reminder that fires on two computers moves its series on once.
    void reminderFiredTwice() {
        Radicale server;
        Computer a(server.calendar(), {});
        Computer b(server.calendar(), {});
        addAppointment(a, 1, "01/04/27", "07:00", "Śmieci", 7);
        addAppointment(a, 2, "01/05/27", "09:00", "Raz");
        KV_VERIFY_SYNCED(a);
        KV_VERIFY_SYNCED(b);
        for (Computer *c : {&a, &b}) {
            c->appointments().writeDate(slotOf(*c, "Śmieci"), *advanceDate("01/04/27", 7));
            c->appointments().deleteFired(slotOf(*c, "Raz"));
        }
        KV_VERIFY_SYNCED(a);
        const SyncReport r = b.sync();
        QVERIFY2(r.ok(), qPrintable(r.text()));
        QCOMPARE(r.conflicts, 0);
        QCOMPARE(b.appointments().load(slotOf(b, "Śmieci")).date, QStringLiteral("01/11/27"));
        QCOMPARE(a.contents(), b.contents());
        QCOMPARE(a.contents().size(), 1);
    }

    // What this program does not keep of an item stays on the server when
    // the item is changed here; an end moves with its start.
    void foreignPropertiesKept() {
        Radicale server;
        Computer a(server.calendar(), server.addressBook());
        ThirdClient phone(server.url);
        phone.call({{"op", "put"},
                    {"collection", server.calendar().toString()},
                    {"name", "e.ics"},
                    {"data", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Telefon//PL\r\n"
                             "BEGIN:VEVENT\r\nUID:e-1\r\nDTSTAMP:20261201T080000Z\r\n"
                             "DTSTART:20270110T100000\r\nDTEND:20270110T113000\r\n"
                             "SUMMARY:Narada\r\nLOCATION:Sala 4\r\nSEQUENCE:2\r\n"
                             "ATTENDEE;CN=Ola:mailto:ola@example.pl\r\nEND:VEVENT\r\n"
                             "END:VCALENDAR\r\n"}});
        phone.call({{"op", "put"},
                    {"collection", server.addressBook().toString()},
                    {"name", "c.vcf"},
                    {"data", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c-1\r\nFN:Adam Kos\r\n"
                             "N:Kos;Adam;;;\r\nORG:Firma\r\nTEL:555\r\nBDAY:1980-02-03\r\n"
                             "END:VCARD\r\n"}});
        KV_VERIFY_SYNCED(a);
        const int slot = slotOf(a, "Narada");
        QVERIFY(slot);
        a.appointments().writeInfo(slot, "Narada zarządu");
        a.appointments().writeDate(slot, "01/12/27");
        AddressFile book = a.addresses();
        QCOMPARE(book.loadWhole(), AddressFile::Status::Done);
        AddressRecord adam = book.readEntry(1);
        QCOMPARE(adam.name, QStringLiteral("Adam Kos"));
        adam.phone = "777";
        QCOMPARE(a.addresses().storeEntry(1, adam).status, AddressFile::Status::Done);
        const SyncReport r = a.sync();
        QVERIFY2(r.ok() && r.pushed == 2, qPrintable(r.text()));
        QString event, card;
        for (const QUrl &c : {server.calendar(), server.addressBook()})
            for (const auto &v : phone.call({{"op", "list"}, {"collection", c.toString()}})
                                     .value("items")
                                     .toArray())
                (c == server.calendar() ? event : card) = v.toObject().value("data").toString();
        for (const char *kept : {"LOCATION:Sala 4", "ATTENDEE;CN=Ola", "DTEND:20270112T113000",
                                 "DTSTART:20270112T100000", "SEQUENCE:3", "Narada zarządu"})
            QVERIFY2(event.contains(QString::fromUtf8(kept)), qPrintable(event));
        for (const char *kept : {"N:Kos;Adam;;;", "ORG:Firma", "BDAY:1980-02-03", "TEL:777"})
            QVERIFY2(card.contains(QString::fromUtf8(kept)), qPrintable(card));
        QVERIFY(!card.contains("TEL:555"));
        QCOMPARE(phone.contents({server.calendar(), server.addressBook()}), a.contents());
    }

    // Another client empties the calendar and the address book: the next
    // sync deletes nothing here and holds both kinds; each answer does what
    // it says. Then this side emptied: nothing goes on the server unasked.
    void emptiedServerIsGuarded() {
        Radicale server;
        Computer a(server.calendar(), server.addressBook());
        ThirdClient phone(server.url);
        for (int n = 1; n <= 3; ++n) {
            addAppointment(a, n, "05/0" + QString::number(n) + "/27", "10:00",
                           QStringLiteral("Termin %1").arg(n));
            QCOMPARE(a.addresses()
                         .storeEntry(-1, AddressRecord{QStringLiteral("Osoba %1").arg(n), "", "",
                                                       "", "", "", "", ""})
                         .status,
                     AddressFile::Status::Done);
        }
        KV_VERIFY_SYNCED(a);
        const QStringList before = a.contents();
        const auto emptyServer = [&] {
            for (const QUrl &c : {server.calendar(), server.addressBook()})
                for (const auto &v : phone.call({{"op", "list"}, {"collection", c.toString()}})
                                         .value("items")
                                         .toArray())
                    phone.call({{"op", "delete"}, {"href", v.toObject().value("href")}});
        };
        emptyServer();
        SyncReport r = a.sync();
        QVERIFY2(r.ok() && r.removedHere == 0 && r.guards.size() == 2, qPrintable(r.text()));
        QCOMPARE(a.contents(), before);
        QVERIFY2(r.text().contains(QStringLiteral("na serwerze nie ma już żadnego z 3 terminów")),
                 qPrintable(r.text()));
        r = a.sync(); // unanswered: held again, still nothing deleted
        QVERIFY(r.guards.size() == 2 && a.contents() == before);

        // Keep them here and send them back.
        a.settings.answers = {{SyncKind::Events, GuardAnswer::Restore},
                              {SyncKind::Contacts, GuardAnswer::Restore}};
        r = a.sync();
        a.settings.answers.clear();
        QVERIFY2(r.ok() && r.pushed == 6 && r.guards.isEmpty(), qPrintable(r.text()));
        QCOMPARE(phone.contents({server.calendar(), server.addressBook()}), before);

        // Delete them here as well.
        emptyServer();
        a.settings.answers = {{SyncKind::Events, GuardAnswer::Propagate}};
        r = a.sync();
        a.settings.answers.clear();
        QVERIFY2(r.removedHere == 3 && r.guards.size() == 1, qPrintable(r.text()));
        QCOMPARE(int(r.guards.first().kind), int(SyncKind::Contacts));

        // Leave the address book for now, then bring it back from here.
        a.settings.paused = {SyncKind::Contacts};
        QVERIFY(a.sync().guards.isEmpty());
        a.settings.paused.clear();
        a.settings.answers = {{SyncKind::Contacts, GuardAnswer::Restore}};
        r = a.sync();
        QVERIFY2(r.pushed == 3 && r.guards.isEmpty(), qPrintable(r.text()));
        a.settings.answers.clear();

        // This side emptied: the server keeps its cards until the user says.
        for (int n = 1; n <= 3; ++n)
            a.addresses().deleteEntry(n);
        r = a.sync();
        QVERIFY2(r.removedThere == 0 && r.guards.size() == 1, qPrintable(r.text()));
        QCOMPARE(int(r.guards.first().which), int(GuardCase::HereEmptied));
        a.settings.answers = {{SyncKind::Contacts, GuardAnswer::Restore}};
        r = a.sync();
        QVERIFY2(r.pulled == 3, qPrintable(r.text()));
        QCOMPARE(phone.contents({server.addressBook()}).size(), 3);
    }

    // The server's copy changed between the listing and the write: the
    // write is refused (412), the sync reads again and keeps both versions.
    void changedThereDuringTheSync() {
        Radicale server;
        Computer a(server.calendar(), {});
        ThirdClient phone(server.url);
        addAppointment(a, 1, "05/01/27", "10:00", "Przed");
        KV_VERIFY_SYNCED(a);
        a.appointments().writeInfo(1, "Tutaj");
        SyncEngine engine(*a.local, a.settings);
        int requests = 0;
        engine.checkpoint = [&] {
            if (++requests != 2) // the first write, after the listing
                return;
            const QJsonObject item =
                phone.call({{"op", "list"}, {"collection", server.calendar().toString()}})
                    .value("items")
                    .toArray()
                    .first()
                    .toObject();
            phone.call({{"op", "put_if"},
                        {"href", item.value("href")},
                        {"etag", item.value("etag")},
                        {"data", item.value("data").toString().replace("Przed", "Tam")}});
        };
        std::optional<SyncReport> report;
        connect(&engine, &SyncEngine::finished, this, [&](const SyncReport &r) { report = r; });
        engine.start();
        QTRY_VERIFY_WITH_TIMEOUT(report.has_value(), 30000);
        QVERIFY2(report->ok() && report->conflicts == 1, qPrintable(report->text()));
        QVERIFY(slotOf(a, "Tam") && slotOf(a, "Tutaj"));
        QCOMPARE(phone.contents({server.calendar()}), a.contents());
    }

    // An import between reading the stores and writing them: the sync waits
    // and then plans from what the import wrote, so neither overwrites the other.
    void syncWaitsForAnImport() {
        Radicale server;
        Computer a(server.calendar(), {});
        Computer b(server.calendar(), {});
        addAppointment(b, 1, "03/01/27", "08:00", "Z drugiego komputera");
        KV_VERIFY_SYNCED(b);
        bool importing = true;
        SyncEngine engine(*a.local, a.settings);
        engine.mayWrite = [&] { return !importing; };
        std::optional<SyncReport> report;
        connect(&engine, &SyncEngine::finished, this, [&](const SyncReport &r) { report = r; });
        engine.start();
        QTRY_VERIFY_WITH_TIMEOUT(engine.waiting(), 30000);
        QVERIFY(a.contents().isEmpty()); // nothing written while it waits
        addAppointment(a, 1, "04/01/27", "09:00", "Zaimportowany");
        importing = false;
        engine.resume();
        QTRY_VERIFY_WITH_TIMEOUT(report.has_value(), 30000);
        QVERIFY2(report->ok() && report->pulled == 1 && report->pushed == 1,
                 qPrintable(report->text()));
        QCOMPARE(a.appointments().load(1).info, QStringLiteral("Zaimportowany"));
        QVERIFY(slotOf(a, "Z drugiego komputera") > 1);
        KV_VERIFY_SYNCED(b);
        QCOMPARE(b.contents(), a.contents());
    }

    // The program killed in a first sync of all it can hold (50 slots, 100
    // tasks, 1000 entries), started again and synced once more: nothing
    // lost, nothing doubled, and a second computer holds the same.
    void killedInAFirstSyncOfEverything() {
        Radicale server;
        Computer a(server.calendar(), server.addressBook());
        for (int n = 1; n <= AppointmentStore::SlotCount; ++n)
            addAppointment(a, n,
                           QStringLiteral("07/%1/27").arg((n - 1) % 28 + 1, 2, 10, QChar('0')),
                           "10:00", QStringLiteral("Termin %1").arg(n));
        for (int n = 1; n <= TaskStore::MaxTasks; ++n)
            QCOMPARE(a.tasks().add(QStringLiteral("Zadanie %1").arg(n), QDate(2026, 11, 1)), n);
        AddressFile book = a.addresses();
        QVERIFY(book.CreateAddressFile());
        for (int n = 0; n < AddressFile::kEntries; ++n)
            book.writeEntry(n, AddressRecord{QStringLiteral("Osoba %1").arg(n), "Gdańsk", "", "",
                                             QString::number(600000000 + n), "", "", ""});
        QVERIFY(book.SaveAddressImage());
        const QStringList before = a.contents();
        QCOMPARE(before.size(), 1150);

        QProcess tool;
        tool.setProcessChannelMode(QProcess::MergedChannels);
        a.local.reset();
        a.registry.reset(); // the tool's process holds the store alone
        tool.start(QStringLiteral(KV_SYNC_TOOL),
                   {a.dir.path(), server.calendar().toString(), server.addressBook().toString(),
                    kUser, kPassword, QStringLiteral("600")});
        QVERIFY(tool.waitForFinished(240000));
        QCOMPARE(tool.exitStatus(), QProcess::CrashExit);
        a.open();
        QCOMPARE(a.contents(), before);
        const SyncReport r = a.sync();
        QVERIFY2(r.ok() && r.removedHere == 0 && r.pulled == 0, qPrintable(r.text()));
        QCOMPARE(a.contents(), before);
        Computer b(server.calendar(), server.addressBook());
        const SyncReport pulled = b.sync();
        QVERIFY2(pulled.ok() && pulled.pulled == 1150, qPrintable(pulled.text()));
        QCOMPARE(b.contents(), before);
        ThirdClient phone(server.url);
        QCOMPARE(phone.contents({server.calendar(), server.addressBook()}), before);
    }

    // The calendar switched to another collection: its state is not used
    // there, and the first sync of the new one merges and deletes nothing.
    void anotherCollectionStartsAfresh() {
        Radicale server;
        ThirdClient phone(server.url);
        const QUrl second = server.calendar().resolved(QUrl(QStringLiteral("../drugi/")));
        QCOMPARE(phone.call({{"op", "mkcalendar"}, {"url", second.toString()}, {"name", "Drugi"}})
                     .value("status")
                     .toInt(),
                 201);
        Computer a(server.calendar(), {});
        for (int n = 1; n <= 4; ++n)
            addAppointment(a, n, "06/0" + QString::number(n) + "/27", "09:00",
                           QStringLiteral("T%1").arg(n));
        KV_VERIFY_SYNCED(a);
        a.settings.calendar = second;
        const SyncReport r = a.sync();
        QVERIFY2(r.ok() && r.pushed == 4 && r.removedHere == 0 && r.guards.isEmpty(),
                 qPrintable(r.text()));
        QCOMPARE(phone.contents({second}), a.contents());
    }

    // Each failure gives its one sentence and changes nothing here.
    void failures_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("failure");
        QTest::newRow("401") << "401" << int(SyncFailure::Unauthorized);
        QTest::newRow("403") << "403" << int(SyncFailure::Forbidden);
        QTest::newRow("404") << "404" << int(SyncFailure::Gone);
        QTest::newRow("507") << "507" << int(SyncFailure::Full);
        QTest::newRow("500") << "500" << int(SyncFailure::ServerError);
        QTest::newRow("malformed") << "malformed" << int(SyncFailure::Malformed);
        QTest::newRow("html") << "html" << int(SyncFailure::Malformed);
        QTest::newRow("hang") << "hang" << int(SyncFailure::Timeout);
        QTest::newRow("untrusted certificate") << "tls" << int(SyncFailure::Tls);
        QTest::newRow("nobody listening") << "closed" << int(SyncFailure::Unreachable);
    }
    void failures() {
        QFETCH(QString, mode);
        QFETCH(int, failure);
        const bool answers = mode != "tls" && mode != "closed";
        QStringList args{QStringLiteral("--mode"), answers ? mode : QStringLiteral("ok")};
        if (mode == "tls")
            args << QStringLiteral("--tls");
        ScriptServer stub(QStringLiteral("dav_stub.py"), args);
        QUrl url = stub.url.resolved(QUrl(QStringLiteral("/anna/kalendarz/")));
        if (mode == "closed")
            url.setPort(1); // nothing listens there

        Computer c(url, url.resolved(QUrl(QStringLiteral("/anna/kontakty/"))));
        // Only the silent server waits for the time-out; the others answer.
        c.settings.timeoutMs = mode == "hang" ? 300 : 30000;
        addAppointment(c, 1, "05/01/27", "10:00", "Zostaje");
        c.tasks().add("Też zostaje", QDate(2026, 12, 1));
        const QStringList before = c.contents();
        const SyncReport r = c.sync();
        QCOMPARE(int(r.failure), failure);
        QVERIFY(r.text().startsWith(QStringLiteral("Synchronizacja nie powiodła się: ")));
        // The certificate's fault in the program's own words.
        if (mode == "tls")
            QVERIFY2(r.text().contains(QStringLiteral("(serwer sam go podpisał)")),
                     qPrintable(r.text()));
        QCOMPARE(c.contents(), before);
        QVERIFY(
            c.local->states(SyncKind::Events, SyncLocal::collectionId({}, kUser, url.toString()))
                .isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
