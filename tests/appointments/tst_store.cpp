#include "appointments/AppointmentStore.h"
#include "common/TestDateTest.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kv;

class TestStore : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<AppointmentStore> m_store;
    test::FakeClock m_clock;
    RegKey key() { return m_store->key(); }

private slots:
    void init() {
        m_store.reset();
        m_registry.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_registry = std::make_unique<Registry>(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_store =
            std::make_unique<AppointmentStore>(m_registry->openKey(names::appointmentsKey, true));
        m_clock.set(2026, 12, 8, 10, 30);
    }

    void repeatTexts() {
        QCOMPARE(AppointmentStore::repeatText(0), QStringLiteral("... jednorazowo"));
        QCOMPARE(AppointmentStore::repeatText(1), QStringLiteral("... codziennie"));
        QCOMPARE(AppointmentStore::repeatText(2), QStringLiteral("... co 2 dni"));
        QCOMPARE(AppointmentStore::repeatText(7), QStringLiteral("... co tydzień"));
        QCOMPARE(AppointmentStore::repeatText(14), QStringLiteral("... co 2 tygodnie"));
        QCOMPARE(AppointmentStore::repeatText(21), QStringLiteral("... co 3 tygodnie"));
        QCOMPARE(AppointmentStore::repeatText(29), QStringLiteral("... co 29 dni"));
        QCOMPARE(AppointmentStore::repeatText(30), QStringLiteral("... co miesiąc"));
        QCOMPARE(AppointmentStore::repeatText(31), QStringLiteral("... co 2 miesiące"));
        QCOMPARE(AppointmentStore::repeatText(33), QStringLiteral("... co 4 miesiące"));
        QCOMPARE(AppointmentStore::repeatText(34), QStringLiteral("... co 5 miesięcy"));
        QCOMPARE(AppointmentStore::repeatText(40), QStringLiteral("... co 11 miesięcy"));
        QCOMPARE(AppointmentStore::repeatText(41), QStringLiteral("... co rok"));
        QVERIFY(AppointmentStore::repeatText(42).isEmpty());
    }

    void loaderReadsTolerantly() {
        RegKey k = key();
        k.writeString(QStringLiteral("Date 2"), QStringLiteral("12/24/26"));
        k.writeString(QStringLiteral("Info 2"), QStringLiteral("Wigilia"));
        k.writeInteger(QStringLiteral("Add adress 2"), 17);
        k.writeBool(QStringLiteral("Termin 2"), true);
        SlotView v = m_store->load(2);
        QCOMPARE(v.date.value_or(QString()), QStringLiteral("12/24/26"));
        QVERIFY(!v.time);
        QCOMPARE(v.info, QStringLiteral("Wigilia"));
        QCOMPARE(v.repeat, 0);
        QCOMPARE(v.link.value_or(-1), 17); // written "Add adress", read "Add Adress"
        QVERIFY(v.armed);

        // A date of the wrong length or type, a time of the wrong type: absent.
        k.writeString(QStringLiteral("Date 3"), QStringLiteral("6/24/26"));
        k.writeInteger(QStringLiteral("Time 3"), 1015);
        k.writeString(QStringLiteral("Repeat 3"), QStringLiteral("7"));
        v = m_store->load(3);
        QVERIFY(!v.date);
        QVERIFY(!v.time);
        QCOMPARE(v.repeat, 0);
        QVERIFY(!v.armed);
    }

    void freeSlots() {
        RegKey k = key();
        QCOMPARE(m_store->firstFreeSlot(), 1);
        k.writeBool(QStringLiteral("Termin 1"), true);
        k.writeInteger(QStringLiteral("Termin 2"), 0); // zero counts as free
        QVERIFY(!m_store->slotIsFree(1));
        QVERIFY(m_store->slotIsFree(2));
        QCOMPARE(m_store->firstFreeSlot(), 2);
        for (int n = 1; n <= 50; ++n)
            k.writeBool(names::termin(n), true);
        QCOMPARE(m_store->firstFreeSlot(), 0);
    }

    void armingRefusals() {
        const DateTest test = test::dateTestAt(m_clock);
        RegKey k = key();
        // No box checked, or a box without its value, or a value of the wrong length.
        QCOMPARE(m_store->armSlot(1, false, false, 0, test), ArmOutcome::Incomplete);
        QCOMPARE(m_store->armSlot(1, true, false, 0, test), ArmOutcome::Incomplete);
        k.writeString(QStringLiteral("Date 1"), QStringLiteral("6/24/26"));
        QCOMPARE(m_store->armSlot(1, true, false, 0, test), ArmOutcome::Incomplete);
        k.writeString(QStringLiteral("Date 1"), QStringLiteral("12/08/26"));
        k.writeString(QStringLiteral("Time 1"), QStringLiteral("9:15"));
        QCOMPARE(m_store->armSlot(1, true, true, 0, test), ArmOutcome::Incomplete);
        QVERIFY(!k.valueExists(QStringLiteral("Termin 1")));

        // Today, earlier today: passed.
        k.writeString(QStringLiteral("Time 1"), QStringLiteral("09:15"));
        QCOMPARE(m_store->armSlot(1, true, true, 0, test), ArmOutcome::Passed);
        QCOMPARE(AppointmentStore::armMessage(ArmOutcome::Passed),
                 QStringLiteral("Podany termin przypomnienia jest nieaktualny."));
        QVERIFY(!k.valueExists(QStringLiteral("Termin 1")));

        // Time only, passed: the text depends on the repeat code.
        k.deleteValue(QStringLiteral("Date 1"));
        QCOMPARE(m_store->armSlot(1, false, true, 7, test), ArmOutcome::TimePassedRepeats);
        QCOMPARE(m_store->armSlot(1, false, true, 0, test), ArmOutcome::TimePassedOnce);
        QCOMPARE(AppointmentStore::armMessage(ArmOutcome::TimePassedRepeats),
                 QStringLiteral("Określ datę rozpoczęcia przypomnienia. Podana godzina jest "
                                "nieaktualna."));
        QCOMPARE(AppointmentStore::armMessage(ArmOutcome::TimePassedOnce),
                 QStringLiteral("Określ datę rozpoczęcia przypomnienia lub zmień godzinę. "
                                "Podana godzina jest nieaktualna."));

        // Whole day today counts as now; later today is ahead: both arm.
        k.writeString(QStringLiteral("Date 1"), QStringLiteral("12/08/26"));
        QCOMPARE(m_store->armSlot(1, true, false, 0, test), ArmOutcome::Armed);
        QCOMPARE(k.readInteger(QStringLiteral("Termin 1")), 1);
        k.writeString(QStringLiteral("Time 2"), QStringLiteral("10:45"));
        QCOMPARE(m_store->armSlot(2, false, true, 0, test), ArmOutcome::Armed);
    }

    void deletingSlots() {
        RegKey k = key();
        // Only some values present: deleted without complaint.
        k.writeString(QStringLiteral("Date 5"), QStringLiteral("01/02/27"));
        k.writeInteger(QStringLiteral("Add Adress 5"), 3);
        m_store->deleteSlot(5);
        QVERIFY(!k.valueExists(QStringLiteral("Date 5")));
        QVERIFY(!k.valueExists(QStringLiteral("Add adress 5")));

        // After a one-time reminder everything but the repeat code goes.
        for (const QString &name :
             {names::termin(6), names::date(6), names::time(6), names::info(6)})
            k.writeString(name, QStringLiteral("x"));
        k.writeInteger(names::repeat(6), 0);
        k.writeInteger(names::link(6), 9);
        m_store->deleteFired(6);
        for (const QString &name :
             {names::termin(6), names::date(6), names::time(6), names::info(6), names::link(6)})
            QVERIFY2(!k.valueExists(name), qPrintable(name));
        QVERIFY(k.valueExists(names::repeat(6)));
    }

    void fieldWrites() {
        RegKey k = key();
        m_store->writeLink(4, QStringLiteral("12a"));
        QCOMPARE(k.readInteger(QStringLiteral("Add Adress 4")), 12);
        m_store->writeLink(4, QStringLiteral("abc"));
        QCOMPARE(k.readInteger(QStringLiteral("Add Adress 4")), 0);
        m_store->writeLink(4, QString());
        QVERIFY(!k.valueExists(QStringLiteral("Add Adress 4")));
        m_store->writeInfo(4, QStringLiteral("a"));
        QVERIFY(k.valueExists(QStringLiteral("Info 4")));
        m_store->writeInfo(4, QString());
        QVERIFY(!k.valueExists(QStringLiteral("Info 4")));
        QCOMPARE(leadingNumber(QStringLiteral("0042x7")), 42);
        QCOMPARE(leadingNumber(QStringLiteral("x7")), 0);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
