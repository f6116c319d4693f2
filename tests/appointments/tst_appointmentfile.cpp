#include "appointments/AppointmentFile.h"
#include "appointments/AppointmentStore.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <sqlite3.h>

using namespace kv;

namespace {
constexpr int R = AppointmentFile::RecordSize;

QByteArray soundRecord() {
    QByteArray r(R, '\0');
    r[0] = 1;
    r.replace(1, 8, "12/24/26");
    r.replace(11, 5, "18:30");
    r.replace(21, 7, "Wigilia");
    qToLittleEndian<qint32>(41, r.data() + 524);
    return r;
}
} // namespace

class TestAppointmentFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<AppointmentStore> m_store;
    QString hive() const { return m_dir.filePath(QStringLiteral("r.sqlite3")); }

    // Every value of the appointments key, as "name=value" lines.
    QStringList snapshot() {
        QStringList values;
        RegKey k = m_store->key();
        for (int n = 1; n <= 50; ++n)
            for (const QString &name : {names::termin(n), names::repeat(n), names::linkRead(n)})
                if (auto v = k.integerOrAbsent(name))
                    values << name + QLatin1Char('=') + QString::number(*v);
        for (int n = 1; n <= 50; ++n)
            for (const QString &name : {names::date(n), names::time(n), names::info(n)})
                if (auto v = k.stringOrAbsent(name))
                    values << name + QLatin1Char('=') + *v;
        return values;
    }

private slots:
    void init() {
        m_store.reset();
        m_registry.reset();
        QFile::remove(hive());
        m_registry = std::make_unique<Registry>(hive());
        m_store =
            std::make_unique<AppointmentStore>(m_registry->openKey(names::appointmentsKey, true));
    }

    void emptyStoreExportsEmptyRecords() {
        const QByteArray file = AppointmentFile::write(m_store->exportRecords());
        QCOMPARE(file.size(), 31680);
        QCOMPARE(file, QByteArray(31680, '\0'));
    }

    void recordLayout() {
        AppointmentFile::Records records;
        records[6] = {true, QStringLiteral("03/05/04"), QStringLiteral("07:15"),
                      QStringLiteral("Zażółć\r\ngęślą"), 30};
        const QByteArray file = AppointmentFile::write(records);
        const QByteArray r = file.mid(7 * R, R);
        QCOMPARE(r[0], char(1));
        QCOMPARE(r.mid(1, 9), QByteArray("03/05/04\0", 9));
        QCOMPARE(r.mid(11, 6), QByteArray("07:15\0", 6));
        QCOMPARE(r.mid(21, 15), QByteArray("Za\xbf\xf3\xb3\xe6\r\ng\xea\x9cl\xb9\0", 15));
        QCOMPARE(r.mid(524, 4), QByteArray("\x1e\0\0\0", 4));
        // Nothing outside record 7.
        QCOMPARE(file.count('\0'), 31680 - r.size() + r.count('\0'));
    }

    void recordChecks_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("sound");
        QTest::newRow("as written") << 0 << QByteArray("\x01", 1) << true;
        QTest::newRow("not armed") << 0 << QByteArray("\0", 1) << true;
        QTest::newRow("armed 2") << 0 << QByteArray("\x02", 1) << false;
        QTest::newRow("no date") << 1 << QByteArray("\0", 1) << true;
        QTest::newRow("date letters") << 1 << QByteArray("1a/24/26") << false;
        QTest::newRow("date short") << 1 << QByteArray("12/24/2\0", 8) << false;
        QTest::newRow("date no zero") << 1 << QByteArray("12/24/26xx") << false;
        QTest::newRow("time letters") << 11 << QByteArray("18:3x") << false;
        QTest::newRow("time dots") << 11 << QByteArray("18.30") << false;
        QTest::newRow("no time") << 11 << QByteArray("\0", 1) << true;
        QTest::newRow("message unended") << 21 << QByteArray(501, 'x') << false;
        QTest::newRow("message 500") << 21 << QByteArray(500, 'x') << true;
        QTest::newRow("repeat 42") << 524 << QByteArray("\x2a\0\0\0", 4) << false;
        QTest::newRow("repeat -1") << 524 << QByteArray("\xff\xff\xff\xff", 4) << false;
        QTest::newRow("repeat 0") << 524 << QByteArray("\0\0\0\0", 4) << true;
        QTest::newRow("alignment") << 522 << QByteArray("\xff\xff", 2) << true;
    }

    void recordChecks() {
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, sound);
        QByteArray record = soundRecord();
        record.replace(offset, bytes.size(), bytes);
        QCOMPARE(AppointmentFile::recordIsSound(record), sound);

        QByteArray file(31680, '\0');
        file.replace(33 * R, R, record);
        int bad = 0;
        QCOMPARE(AppointmentFile::read(file, nullptr, &bad) == AppointmentFile::ReadResult::Ok,
                 sound);
        QCOMPARE(bad, sound ? 0 : 33);
    }

    void lengthAndUnusedRecords() {
        QCOMPARE(AppointmentFile::read(QByteArray(31679, '\0'), nullptr),
                 AppointmentFile::ReadResult::WrongLength);
        QCOMPARE(AppointmentFile::read(QByteArray(31681, '\0'), nullptr),
                 AppointmentFile::ReadResult::WrongLength);
        // Records 0 and 51..59 carry no meaning.
        QByteArray file(31680, '\xff');
        for (int n = 1; n <= 50; ++n)
            file.replace(n * R, R, soundRecord());
        AppointmentFile::Records records;
        QCOMPARE(AppointmentFile::read(file, &records), AppointmentFile::ReadResult::Ok);
        QCOMPARE(records[49].message, QStringLiteral("Wigilia"));
    }

    void exportImportRoundTripKeepsLinks() {
        RegKey k = m_store->key();
        k.writeBool(names::termin(1), true);
        k.writeString(names::date(1), QStringLiteral("12/24/26"));
        k.writeString(names::info(1), QStringLiteral("Łódź\r\nul. Żółta"));
        k.writeInteger(names::repeat(1), 41);
        k.writeString(names::time(50), QStringLiteral("07:05"));
        k.writeInteger(names::repeat(50), 1);
        k.writeInteger(names::link(50), 12);
        const QStringList before = snapshot();
        const QByteArray file = AppointmentFile::write(m_store->exportRecords());

        // Other appointments in the meantime, and another link.
        k.writeString(names::date(3), QStringLiteral("01/01/27"));
        k.deleteValue(names::termin(1));
        k.writeInteger(names::link(50), 13);
        k.writeInteger(names::link(2), 4);
        AppointmentFile::Records records;
        QCOMPARE(AppointmentFile::read(file, &records), AppointmentFile::ReadResult::Ok);
        m_store->importRecords(records);
        QStringList expected = before;
        expected.replaceInStrings(QStringLiteral("Add Adress 50=12"),
                                  QStringLiteral("Add Adress 50=13"));
        expected << QStringLiteral("Add Adress 2=4");
        for (int n = 2; n <= 49; ++n)
            expected << names::repeat(n) + QStringLiteral("=0");
        QStringList after = snapshot();
        after.sort();
        expected.sort();
        QCOMPARE(after, expected);
    }

    void failedImportLeavesTheStore() {
        RegKey k = m_store->key();
        k.writeString(names::date(1), QStringLiteral("12/24/26"));
        k.writeBool(names::termin(1), true);
        const QStringList before = snapshot();
        // A write that fails midway: the store refuses "Date 25".
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(hive()).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "CREATE TRIGGER midway BEFORE INSERT ON reg_values "
                              "WHEN NEW.name = 'Date 25' BEGIN SELECT RAISE(ABORT, 'full'); END",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        AppointmentFile::Records records;
        for (AppointmentRecord &r : records)
            r = {false, QStringLiteral("02/02/27"), QString(), QStringLiteral("x"), 3};
        QVERIFY_THROWS_EXCEPTION(RegistryError, m_store->importRecords(records));
        QCOMPARE(snapshot(), before);
    }

    void writerKeepsTheFileReadable() {
        AppointmentFile::Records records;
        records[0].date = QStringLiteral("2026-1-1"); // not of the form: no date
        records[0].repeat = 99;                       // out of range: once
        records[1].message = QString(251, QLatin1Char('a')) + QStringLiteral("\r\n").repeated(200);
        const QByteArray file = AppointmentFile::write(records);
        AppointmentFile::Records read;
        QCOMPARE(AppointmentFile::read(file, &read), AppointmentFile::ReadResult::Ok);
        QVERIFY(read[0].date.isEmpty());
        QCOMPARE(read[0].repeat, 0);
        QCOMPARE(read[1].message.size(), 499); // not cut between CR and LF
        QVERIFY(read[1].message.endsWith(QStringLiteral("\r\n")));
    }
};

QTEST_GUILESS_MAIN(TestAppointmentFile)
#include "tst_appointmentfile.moc"
