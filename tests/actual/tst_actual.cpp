// The date test against a fixed "now": the three readings, their boundaries
// and the rules for texts that name no real day or time.

#include "actual/actual.h"

#include <QTest>

namespace {

struct Now {
    int year, month, day, hour, minute;
};

} // namespace

Q_DECLARE_METATYPE(Now)

class TestActual : public QObject {
    Q_OBJECT

private:
    static void addRow(const char *tag, const char *date, const char *time, Now now, int expected) {
        QTest::newRow(tag) << QByteArray(date) << QByteArray(time) << now << expected;
    }
    static void columns() {
        QTest::addColumn<QByteArray>("date");
        QTest::addColumn<QByteArray>("time");
        QTest::addColumn<Now>("now");
        QTest::addColumn<int>("expected");
    }
    static int run(const QByteArray &date, const QByteArray &time, const Now &n) {
        return ActualAt(date.constData(), time.constData(), n.year, n.month, n.day, n.hour,
                        n.minute);
    }

private slots:
    void readings_data() {
        columns();
        // Date and time: that one minute.
        addRow("minute before", "03/05/04", "14:30", {2004, 3, 5, 14, 29}, 1);
        addRow("in the minute", "03/05/04", "14:30", {2004, 3, 5, 14, 30}, 3);
        addRow("minute after", "03/05/04", "14:30", {2004, 3, 5, 14, 31}, 2);
        addRow("earlier hour, later minute", "03/05/04", "14:30", {2004, 3, 5, 13, 59}, 1);
        addRow("later hour, earlier minute", "03/05/04", "14:30", {2004, 3, 5, 15, 0}, 2);
        addRow("day before, later time", "03/05/04", "14:30", {2004, 3, 4, 23, 59}, 1);
        addRow("day after, earlier time", "03/05/04", "14:30", {2004, 3, 6, 0, 0}, 2);
        addRow("month before, later day", "03/05/04", "14:30", {2004, 2, 29, 14, 30}, 1);
        addRow("month after, earlier day", "03/05/04", "14:30", {2004, 4, 1, 0, 0}, 2);
        addRow("year before, later month", "03/05/04", "14:30", {2003, 12, 31, 23, 59}, 1);
        addRow("year after, earlier month", "03/05/04", "14:30", {2005, 1, 1, 0, 0}, 2);
        addRow("last minute of the year", "12/31/04", "23:59", {2004, 12, 31, 23, 59}, 3);
        addRow("new year after last minute", "12/31/04", "23:59", {2005, 1, 1, 0, 0}, 2);
        addRow("new year's first minute, before", "01/01/05", "00:00", {2004, 12, 31, 23, 59}, 1);
        addRow("new year's first minute", "01/01/05", "00:00", {2005, 1, 1, 0, 0}, 3);
        addRow("new year's first minute, after", "01/01/05", "00:00", {2005, 1, 1, 0, 1}, 2);
        addRow("year 2000", "01/01/00", "00:00", {2000, 1, 1, 0, 0}, 3);
        addRow("year 2099", "12/31/99", "23:59", {2099, 12, 31, 23, 59}, 3);

        // Date and "0": that whole day.
        addRow("day: evening before", "03/05/04", "0", {2004, 3, 4, 23, 59}, 1);
        addRow("day: its first minute", "03/05/04", "0", {2004, 3, 5, 0, 0}, 3);
        addRow("day: its last minute", "03/05/04", "0", {2004, 3, 5, 23, 59}, 3);
        addRow("day: next midnight", "03/05/04", "0", {2004, 3, 6, 0, 0}, 2);
        addRow("day: month before", "03/05/04", "0", {2004, 2, 5, 12, 0}, 1);
        addRow("day: month after", "03/05/04", "0", {2004, 4, 5, 12, 0}, 2);
        addRow("day: year before", "03/05/04", "0", {2003, 3, 5, 12, 0}, 1);
        addRow("day: year after", "03/05/04", "0", {2005, 3, 5, 12, 0}, 2);
        addRow("day: new year's eve, next year", "01/01/05", "0", {2004, 12, 31, 23, 59}, 1);
        addRow("day: new year's day, last year", "12/31/04", "0", {2005, 1, 1, 0, 0}, 2);
        addRow("day: last of month, next month", "01/31/05", "0", {2005, 2, 1, 0, 0}, 2);

        // "0" and time: that minute of the current day.
        addRow("daily: minute before", "0", "14:30", {2004, 3, 5, 14, 29}, 1);
        addRow("daily: in the minute", "0", "14:30", {2004, 3, 5, 14, 30}, 3);
        addRow("daily: minute after", "0", "14:30", {2004, 3, 5, 14, 31}, 2);
        addRow("daily: midnight", "0", "14:30", {2004, 3, 5, 0, 0}, 1);
        addRow("daily: last minute of the day", "0", "14:30", {2004, 3, 5, 23, 59}, 2);
        addRow("daily: earlier hour, later minute", "0", "14:30", {2004, 3, 5, 13, 59}, 1);
        addRow("daily: later hour, earlier minute", "0", "14:30", {2004, 3, 5, 15, 0}, 2);
        addRow("daily: any other day", "0", "14:30", {2031, 11, 20, 14, 30}, 3);
        addRow("daily: at midnight", "0", "00:00", {2004, 3, 5, 0, 0}, 3);
    }
    void readings() {
        QFETCH(QByteArray, date);
        QFETCH(QByteArray, time);
        QFETCH(Now, now);
        QFETCH(int, expected);
        QCOMPARE(run(date, time, now), expected);
    }

    void daysBeyondTheMonth_data() {
        columns();
        addRow("02/31/05 before", "02/31/05", "0", {2005, 2, 27, 23, 59}, 1);
        addRow("02/31/05 is 28 February", "02/31/05", "0", {2005, 2, 28, 0, 0}, 3);
        addRow("02/31/05 over on 1 March", "02/31/05", "0", {2005, 3, 1, 0, 0}, 2);
        addRow("04/31/26 is 30 April", "04/31/26", "0", {2026, 4, 30, 12, 0}, 3);
        addRow("04/31/26 over on 1 May", "04/31/26", "0", {2026, 5, 1, 0, 0}, 2);
        addRow("02/30/04 is 29 February", "02/30/04", "0", {2004, 2, 29, 8, 0}, 3);
        addRow("02/31/04 with a time", "02/31/04", "12:00", {2004, 2, 29, 12, 0}, 3);
        addRow("02/31/04 with a time, after", "02/31/04", "12:00", {2004, 2, 29, 12, 1}, 2);
        addRow("day 99 is the last day", "01/99/05", "0", {2005, 1, 31, 0, 0}, 3);
        addRow("06/31/05 before 30 June", "06/31/05", "0", {2005, 6, 29, 23, 59}, 1);
    }
    void daysBeyondTheMonth() { readings(); }

    void hour24_data() {
        columns();
        addRow("24:00 before midnight", "03/05/04", "24:00", {2004, 3, 5, 23, 59}, 1);
        addRow("24:00 is next midnight", "03/05/04", "24:00", {2004, 3, 6, 0, 0}, 3);
        addRow("24:00 over a minute later", "03/05/04", "24:00", {2004, 3, 6, 0, 1}, 2);
        addRow("24:00 not the day's start", "03/05/04", "24:00", {2004, 3, 5, 0, 0}, 1);
        addRow("24:15 of new year's eve, before", "12/31/04", "24:15", {2005, 1, 1, 0, 14}, 1);
        addRow("24:15 of new year's eve", "12/31/04", "24:15", {2005, 1, 1, 0, 15}, 3);
        addRow("24:00 ends February", "02/28/05", "24:00", {2005, 3, 1, 0, 0}, 3);
        addRow("24:00 ends 28 Feb of leap year", "02/28/04", "24:00", {2004, 2, 29, 0, 0}, 3);
        addRow("24:00 ends clamped day", "02/31/05", "24:00", {2005, 3, 1, 0, 0}, 3);
        addRow("24:00 ends year 2099", "12/31/99", "24:00", {2100, 1, 1, 0, 0}, 3);
        addRow("daily 24:10 before", "0", "24:10", {2004, 3, 5, 0, 9}, 1);
        addRow("daily 24:10 is 00:10", "0", "24:10", {2004, 3, 5, 0, 10}, 3);
        addRow("daily 24:10 after", "0", "24:10", {2004, 3, 5, 0, 11}, 2);
        addRow("daily 24:10 late evening", "0", "24:10", {2004, 3, 5, 23, 59}, 2);
    }
    void hour24() { readings(); }

    void leapYears_data() {
        columns();
        addRow("29 Feb 2004", "02/29/04", "0", {2004, 2, 29, 10, 0}, 3);
        addRow("29 Feb 2004 over in March", "02/29/04", "0", {2004, 3, 1, 0, 0}, 2);
        addRow("29 Feb 2000", "02/29/00", "0", {2000, 2, 29, 10, 0}, 3);
        addRow("29 Feb 2096", "02/29/96", "0", {2096, 2, 29, 10, 0}, 3);
        addRow("29 Feb 2096 ahead on the 28th", "02/29/96", "0", {2096, 2, 28, 10, 0}, 1);
        addRow("29 Feb 2005 is the 28th", "02/29/05", "0", {2005, 2, 28, 10, 0}, 3);
        addRow("29 Feb 2002 is the 28th", "02/29/02", "0", {2002, 2, 28, 10, 0}, 3);
        addRow("24:00 on 28 Feb 2005 is 1 March", "02/28/05", "24:00", {2005, 2, 28, 23, 59}, 1);
    }
    void leapYears() { readings(); }

    void separatorsAreNotExamined_data() {
        columns();
        addRow("dots and dashes", "03.05-04", "14.30", {2004, 3, 5, 14, 30}, 3);
        addRow("letters", "03x05y04", "14h30", {2004, 3, 5, 14, 31}, 2);
        addRow("digits", "03105204", "14330", {2004, 3, 5, 14, 29}, 1);
    }
    void separatorsAreNotExamined() { readings(); }

    void invalidTexts_data() {
        columns();
        const Now now{2004, 3, 5, 12, 0};
        addRow("both 0", "0", "0", now, 0);
        addRow("empty date", "", "12:00", now, 0);
        addRow("empty time", "03/05/04", "", now, 0);
        addRow("short date", "3/5/04", "12:00", now, 0);
        addRow("four-digit year", "03/05/2004", "12:00", now, 0);
        addRow("date one too long", "03/05/041", "0", now, 0);
        addRow("short time", "03/05/04", "12:0", now, 0);
        addRow("long time", "03/05/04", "12:000", now, 0);
        addRow("date 00", "00", "12:00", now, 0);
        addRow("time 00", "03/05/04", "00", now, 0);
        addRow("date 0 with a blank", "0 ", "12:00", now, 0);
        addRow("letter in month", "0a/05/04", "12:00", now, 0);
        addRow("letter in day", "03/0x/04", "12:00", now, 0);
        addRow("letter in year", "03/05/0y", "12:00", now, 0);
        addRow("blank in month", " 3/05/04", "12:00", now, 0);
        addRow("sign in day", "03/-5/04", "0", now, 0);
        addRow("month 00", "00/05/04", "12:00", now, 0);
        addRow("month 13", "13/05/04", "0", now, 0);
        addRow("day 00", "03/00/04", "0", now, 0);
        addRow("minute 60", "03/05/04", "12:60", now, 0);
        addRow("minute 99", "0", "12:99", now, 0);
        addRow("hour 25", "03/05/04", "25:00", now, 0);
        addRow("hour 99", "0", "99:00", now, 0);
        addRow("letter in hour", "03/05/04", "1a:00", now, 0);
        addRow("letter in minute", "0", "12:b0", now, 0);
        addRow("valid time, bad date", "13/05/04", "12:00", now, 0);
        addRow("valid date, bad time", "03/05/04", "12:60", now, 0);
    }
    void invalidTexts() { readings(); }

    void nullPointers() {
        QCOMPARE(ActualAt(nullptr, "12:00", 2004, 3, 5, 12, 0), 0);
        QCOMPARE(ActualAt("03/05/04", nullptr, 2004, 3, 5, 12, 0), 0);
        QCOMPARE(ActualAt(nullptr, nullptr, 2004, 3, 5, 12, 0), 0);
        QCOMPARE(Actual(nullptr, "12:00"), 0);
        QCOMPARE(Actual("03/05/04", nullptr), 0);
    }

    void impossibleNowFails_data() {
        columns();
        addRow("month 0", "03/05/04", "0", {2004, 0, 5, 12, 0}, 0);
        addRow("month 13", "03/05/04", "0", {2004, 13, 5, 12, 0}, 0);
        addRow("day 0", "03/05/04", "0", {2004, 3, 0, 12, 0}, 0);
        addRow("30 February", "03/05/04", "0", {2004, 2, 30, 12, 0}, 0);
        addRow("hour 24", "03/05/04", "0", {2004, 3, 5, 24, 0}, 0);
        addRow("minute 60", "0", "12:00", {2004, 3, 5, 12, 60}, 0);
        addRow("negative minute", "0", "12:00", {2004, 3, 5, 12, -1}, 0);
    }
    void impossibleNowFails() { readings(); }
};

QTEST_APPLESS_MAIN(TestActual)
#include "tst_actual.moc"
