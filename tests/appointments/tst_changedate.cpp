// ChangeDate: the date arithmetic of the repeat periods and the rewrite of
// the slot's stored date.

#include "appointments/Changedateunit.h"
#include "platform/Interfaces.h"
#include "platform/Registry.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kKey = QStringLiteral("Software\\Kelvadrin\\Terminy");

class FixedClock : public kv::IClock {
public:
    explicit FixedClock(QDateTime now) : m_now(std::move(now)) {}
    QDateTime now() const override { return m_now; }
    void wait(int) override {}

private:
    QDateTime m_now;
};

} // namespace

class TestChangeDate : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_registry = std::make_unique<kv::Registry>(m_dir.filePath(QStringLiteral("hive.sqlite3")));
        m_key = m_registry->openKey(kKey, true);
    }
    void cleanup() {
        m_registry.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("hive.sqlite3")));
    }

    void advance_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *tag, const char *date, int repeat, const char *expected) {
            QTest::newRow(tag) << QString::fromLatin1(date) << repeat
                               << QString::fromLatin1(expected);
        };
        // Days.
        row("1 day over new year", "12/31/04", 1, "01/01/05");
        row("29 days from 31 Jan, common year", "01/31/05", 29, "03/01/05");
        row("29 days from 31 Jan, 2004", "01/31/04", 29, "02/29/04");
        row("29 days from 31 Jan, 1996", "01/31/96", 29, "02/29/96");
        row("1 day from 28 Feb, common year", "02/28/05", 1, "03/01/05");
        row("1 day from 28 Feb, 2003", "02/28/03", 1, "03/01/03");
        row("1 day from 28 Feb, 2004", "02/28/04", 1, "02/29/04");
        row("1 day from 28 Feb, 2024", "02/28/24", 1, "02/29/24");
        row("1 day from 28 Feb, 2000", "02/28/00", 1, "02/29/00");
        row("1 day from 29 Feb", "02/29/04", 1, "03/01/04");
        row("to the last day, no carry", "01/02/04", 29, "01/31/04");
        row("to the end of a 30-day month", "09/01/04", 29, "09/30/04");
        row("into a 30-day month's next", "09/30/04", 1, "10/01/04");
        row("29 days over new year", "12/31/04", 29, "01/29/05");
        row("into February's last day", "01/30/05", 29, "02/28/05");
        row("from a day beyond February", "02/31/05", 1, "03/04/05");
        row("one week", "03/05/04", 7, "03/12/04");
        row("year 99 to 00", "12/31/99", 1, "01/01/00");
        // Months.
        row("3 months over new year", "11/15/04", 32, "02/15/05");
        row("1 month", "11/15/04", 30, "12/15/04");
        row("1 month keeps day 31", "01/31/05", 30, "02/31/05");
        row("2 months keep day 31", "01/31/05", 31, "03/31/05");
        row("11 months within the year", "01/03/04", 40, "12/03/04");
        row("11 months over new year", "12/03/04", 40, "11/03/05");
        row("months over 99", "11/15/99", 32, "02/15/00");
        // Years.
        row("1 year", "07/04/19", 41, "07/04/20");
        row("1 year from 29 Feb", "02/29/04", 41, "02/29/05");
        row("1 year from 99", "12/15/99", 41, "12/15/00");
        // No period.
        row("once", "03/05/04", 0, "03/05/04");
        row("code 42", "03/05/04", 42, "03/05/04");
        row("negative code", "03/05/04", -1, "03/05/04");
        row("day beyond the month kept", "04/31/26", 0, "04/31/26");
        // Separators are not read; the result is always written with slashes.
        row("other separators", "03.05-04", 1, "03/06/04");
    }
    void advance() {
        QFETCH(QString, date);
        QFETCH(int, repeat);
        QFETCH(QString, expected);
        const kv::Result<QString> next = kv::advanceDate(date, repeat);
        QVERIFY(next);
        QCOMPARE(*next, expected);
    }

    void unreadableDateFails_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("repeat");
        QTest::newRow("month 13, days") << QStringLiteral("13/05/04") << 1;
        QTest::newRow("month 13, months") << QStringLiteral("13/05/04") << 30;
        QTest::newRow("month 13, once") << QStringLiteral("13/05/04") << 0;
        QTest::newRow("month 00, years") << QStringLiteral("00/05/04") << 41;
        QTest::newRow("letters") << QStringLiteral("ab/05/04") << 1;
        QTest::newRow("signed day") << QStringLiteral("03/+5/04") << 1;
        QTest::newRow("four-digit year") << QStringLiteral("03/05/2004") << 1;
        QTest::newRow("empty") << QString() << 1;
    }
    void unreadableDateFails() {
        QFETCH(QString, date);
        QFETCH(int, repeat);
        QCOMPARE(kv::advanceDate(date, repeat).failure(), kv::kChangeDateFailure);
    }

    void rewritesTheSlotDate() {
        m_key.writeString(QStringLiteral("Date 3"), QStringLiteral("12/31/04"));
        m_key.writeString(QStringLiteral("Time 3"), QStringLiteral("08:15"));
        m_key.writeInteger(QStringLiteral("Repeat 3"), 1);
        m_key.writeString(QStringLiteral("Date 4"), QStringLiteral("12/31/04"));
        m_key.writeInteger(QStringLiteral("Repeat 4"), 1);

        QVERIFY(kv::ChangeDate(*m_registry, 3, m_clock));

        QCOMPARE(m_key.readString(QStringLiteral("Date 3")), QStringLiteral("01/01/05"));
        QCOMPARE(m_key.readString(QStringLiteral("Time 3")), QStringLiteral("08:15"));
        QCOMPARE(m_key.readString(QStringLiteral("Date 4")), QStringLiteral("12/31/04"));
    }

    void timeOnlySlotStartsToday() {
        const FixedClock fifthOfMarch(QDateTime(QDate(2004, 3, 5), QTime(9, 30)));
        m_key.writeString(QStringLiteral("Time 12"), QStringLiteral("09:30"));
        m_key.writeInteger(QStringLiteral("Repeat 12"), 7);

        QVERIFY(kv::ChangeDate(*m_registry, 12, fifthOfMarch));

        QCOMPARE(m_key.readString(QStringLiteral("Date 12")), QStringLiteral("03/12/04"));
        QCOMPARE(m_key.readString(QStringLiteral("Time 12")), QStringLiteral("09:30"));
    }

    void oneTimeSlotKeepsOrGetsItsDate() {
        m_key.writeString(QStringLiteral("Date 1"), QStringLiteral("02/31/05"));
        m_key.writeInteger(QStringLiteral("Repeat 1"), 0);
        m_key.writeInteger(QStringLiteral("Repeat 2"), 0);

        QVERIFY(kv::ChangeDate(*m_registry, 1, m_clock));
        QVERIFY(kv::ChangeDate(*m_registry, 2, m_clock));

        QCOMPARE(m_key.readString(QStringLiteral("Date 1")), QStringLiteral("02/31/05"));
        QCOMPARE(m_key.readString(QStringLiteral("Date 2")), QStringLiteral("11/07/08"));
    }

    void withoutRepeatTheDateIsWrittenUnchanged() {
        m_key.writeString(QStringLiteral("Date 5"), QStringLiteral("07/04/19"));

        QVERIFY(kv::ChangeDate(*m_registry, 5, m_clock));
        QVERIFY(kv::ChangeDate(*m_registry, 6, m_clock));

        QCOMPARE(m_key.readString(QStringLiteral("Date 5")), QStringLiteral("07/04/19"));
        QCOMPARE(m_key.readString(QStringLiteral("Date 6")), QStringLiteral("11/07/08"));
        QVERIFY(!m_key.valueExists(QStringLiteral("Repeat 5")));
    }

    void repeatOfTheWrongTypeLeavesTheDate() {
        m_key.writeString(QStringLiteral("Date 7"), QStringLiteral("03/05/04"));
        m_key.writeString(QStringLiteral("Repeat 7"), QStringLiteral("7"));
        m_key.writeString(QStringLiteral("Repeat 8"), QStringLiteral("7"));

        QCOMPARE(kv::ChangeDate(*m_registry, 7, m_clock).failure(), kv::kChangeDateFailure);
        QCOMPARE(kv::ChangeDate(*m_registry, 8, m_clock).failure(), kv::kChangeDateFailure);

        QCOMPARE(m_key.readString(QStringLiteral("Date 7")), QStringLiteral("03/05/04"));
        QVERIFY(!m_key.valueExists(QStringLiteral("Date 8")));
    }

    void dateOfTheWrongTypeIsAnError() {
        m_key.writeInteger(QStringLiteral("Date 9"), 30504);
        m_key.writeInteger(QStringLiteral("Repeat 9"), 1);

        QCOMPARE(kv::ChangeDate(*m_registry, 9, m_clock).failure(), kv::kChangeDateFailure);

        QCOMPARE(m_key.readInteger(QStringLiteral("Date 9")), 30504);
    }

    void monthOutOfRangeLeavesTheDate() {
        m_key.writeString(QStringLiteral("Date 10"), QStringLiteral("13/05/04"));
        m_key.writeInteger(QStringLiteral("Repeat 10"), 30);

        QCOMPARE(kv::ChangeDate(*m_registry, 10, m_clock).failure(), kv::kChangeDateFailure);

        QCOMPARE(m_key.readString(QStringLiteral("Date 10")), QStringLiteral("13/05/04"));
    }

    void missingKeyIsNotCreated() {
        QTemporaryDir other;
        QVERIFY(other.isValid());
        kv::Registry empty(other.filePath(QStringLiteral("empty.sqlite3")));

        QCOMPARE(kv::ChangeDate(empty, 1, m_clock).failure(), kv::kChangeDateFailure);

        QVERIFY(!empty.keyExists(kKey));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<kv::Registry> m_registry;
    kv::RegKey m_key;
    const FixedClock m_clock{QDateTime(QDate(2008, 11, 7), QTime(23, 59))};
};

QTEST_GUILESS_MAIN(TestChangeDate)
#include "tst_changedate.moc"
