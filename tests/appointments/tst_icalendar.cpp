// iCalendar: slots and tasks written and read back, the rules taken in or
// refused, times in other zones, the limits of the program's cells, and files
// of the shapes other programs write. Local time is Europe/Warsaw.

#include "appointments/Icalendar.h"

#include "common/TestFiles.h"

#include <QTest>
#include <ctime>
#include <variant>

using namespace kv;

Q_DECLARE_METATYPE(kv::RefusalCounts)

namespace {

// Saturday, 10 January 2026, noon.
const QDateTime kNow(QDate(2026, 1, 10), QTime(12, 0));

AppointmentRecord slot(const char *date, const char *time, int repeat, const QString &message,
                       bool armed = true) {
    return {armed, QString::fromLatin1(date), QString::fromLatin1(time), message, repeat};
}

QByteArray calendar(const QByteArray &eventLines) {
    QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\n"
                     "BEGIN:VEVENT\r\nUID:x\r\nDTSTAMP:20260101T000000Z\r\n";
    out += QByteArray(eventLines).replace("|", "\r\n");
    return out + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// The one event the lines make, or the reason it was refused.
std::variant<AppointmentRecord, ImportRefusal> readOne(const QByteArray &eventLines) {
    const auto contents = Icalendar::read(calendar(eventLines), kNow);
    if (!contents || contents->events.size() + contents->refused.size() != 1)
        return ImportRefusal::NoRoom; // not one item: reported as a mismatch
    if (!contents->events.isEmpty())
        return contents->events.first().record;
    return contents->refused.begin()->first;
}

QString eventOf(const QByteArray &written) {
    const qsizetype from = written.indexOf("BEGIN:VEVENT");
    return QString::fromUtf8(written.mid(from, written.indexOf("BEGIN:VALARM") - from));
}

} // namespace

class TestIcalendar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "Europe/Warsaw");
        tzset();
    }

    void roundTrip() {
        const QString letters = QStringLiteral("Zażółć gęślą jaźń\r\ndruga linia, średnik; "
                                               "przecinek\\ukośnik\r\n\r\n€ i – myślnik");
        QList<CalendarEvent> events = {
            {slot("03/01/26", "10:15", 0, QStringLiteral("Dentysta")), "a", 12, "Jan Nowak"},
            {slot("01/31/26", "", 30, letters), "b", std::nullopt, {}},
            {slot("02/29/28", "07:00", 41, QStringLiteral("Rocznica"), false), "c", 0, {}},
            {slot("01/31/26", "24:00", 31, QString()), "d", std::nullopt, {}},
            {slot("11/30/26", "24:30", 1, QStringLiteral("x")), "e", 99999, {}},
            {slot("01/12/26", "09:00", 14, QString(500, QLatin1Char('m'))), "f", {}, {}},
        };
        const QList<CalendarTask> tasks = {
            {QStringLiteral("Kupić chleb"), QDate(2025, 12, 1), "t1"},
            {QStringLiteral("Zadzwonić\r\ndo Ewy"), QDate(2026, 1, 9), "t2"},
        };
        const auto back = Icalendar::read(Icalendar::write(events, tasks, kNow), kNow);
        QVERIFY(back);
        QCOMPARE(back->events, events);
        QCOMPARE(back->tasks, tasks);
        QVERIFY(back->refused.empty());

        // Control characters but the tab are left out as the text is read
        // (libical writes some and drops others), so the text reads back alike.
        const auto controls = Icalendar::read(calendar("DTSTART:20260301T100000|SUMMARY:a\bb\x01"
                                                       "c\td\fe"),
                                              kNow);
        QVERIFY(controls && controls->events.size() == 1);
        QCOMPARE(controls->events.first().record.message, QStringLiteral("abc\tde"));
        const auto again = Icalendar::read(Icalendar::write(controls->events, {}, kNow), kNow);
        QVERIFY(again && again->events == controls->events);

        // A time alone fires today: other calendars see it dated today, and
        // it comes back as a time alone.
        const QByteArray written =
            Icalendar::write({{slot("", "18:00", 7, QStringLiteral("t")), "g", {}, {}}}, {}, kNow);
        QVERIFY(written.contains("DTSTART:20260110T180000"));
        const auto timeOnly = Icalendar::read(written, kNow);
        QVERIFY(timeOnly && timeOnly->events.size() == 1);
        QCOMPARE(timeOnly->events.first().record, slot("", "18:00", 7, "t"));
    }

    void writtenRule_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QString>("expected"); // DTSTART and RRULE lines
        QTest::addColumn<bool>("noted");
        auto row = [](const char *tag, const char *date, const char *time, int repeat,
                      const char *expected, bool noted = false) {
            QTest::newRow(tag) << QString::fromLatin1(date) << QString::fromLatin1(time) << repeat
                               << QString::fromLatin1(expected) << noted;
        };
        row("once", "03/01/26", "10:15", 0, "DTSTART:20260301T101500\r\nSUMMARY");
        row("all day once", "03/01/26", "", 0, "DTSTART;VALUE=DATE:20260301\r\nSUMMARY");
        row("every 3 days", "01/28/26", "08:00", 3, "RRULE:FREQ=DAILY;INTERVAL=3\r\n");
        row("15th monthly", "01/15/26", "", 30, "RRULE:FREQ=MONTHLY\r\n");
        row("31st monthly", "01/31/26", "", 30, "RRULE:FREQ=MONTHLY;BYMONTHDAY=-1\r\n");
        row("30th every 2 months", "12/30/26", "", 31,
            "RRULE:FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=28,29,30;BYSETPOS=-1\r\n");
        row("30th every 2 months, never February", "01/30/26", "", 31,
            "RRULE:FREQ=MONTHLY;INTERVAL=2\r\n");
        row("31st half-yearly, months of 31 days", "01/31/26", "", 35,
            "RRULE:FREQ=MONTHLY;INTERVAL=6\r\n");
        row("31 April is its last day", "04/31/26", "", 30,
            "DTSTART;VALUE=DATE:20260430\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=-1");
        row("29 February yearly", "02/29/28", "", 41,
            "RRULE:FREQ=YEARLY;BYMONTHDAY=-1;BYMONTH=2\r\n");
        row("midnight after the 31st", "01/31/26", "24:00", 30,
            "DTSTART:20260201T000000\r\nRRULE:FREQ=MONTHLY\r\n");
        row("midnight after 29 February", "02/29/28", "24:00", 41,
            "DTSTART:20280301T000000\r\nRRULE:FREQ=YEARLY\r\n");
        row("days from 30 February", "02/30/26", "", 1, "DTSTART;VALUE=DATE:20260228", true);
        row("midnight after the 30th", "01/30/26", "24:00", 30, "DTSTART:20260131T000000", true);
        row("time only", "", "24:30", 0, "DTSTART:20260110T003000\r\n");
    }
    void writtenRule() {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(int, repeat);
        QFETCH(QString, expected);
        QFETCH(bool, noted);
        const AppointmentRecord r{true, date, time, QStringLiteral("m"), repeat};
        const QString event = eventOf(Icalendar::write({{r, "u", {}, {}}}, {}, kNow));
        QVERIFY2(event.contains(expected), qPrintable(event));
        QCOMPARE(event.contains(QLatin1String("X-KELVADRIN-NOTE:")), noted);
    }

    void readRule_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("date"); // empty: refused as Rule
        QTest::addColumn<int>("repeat");
        auto row = [](const char *tag, const char *lines, const char *date = "", int repeat = 0) {
            QTest::newRow(tag) << QByteArray(lines) << QString::fromLatin1(date) << repeat;
        };
        const char *jan12 = "DTSTART:20260112T090000|RRULE:";
        auto on12 = [&](const char *tag, const char *rule, const char *date = "", int repeat = 0) {
            QTest::newRow(tag) << QByteArray(jan12) + rule << QString::fromLatin1(date) << repeat;
        };
        on12("daily", "FREQ=DAILY", "01/12/26", 1);
        on12("every 29 days", "FREQ=DAILY;INTERVAL=29", "01/12/26", 29);
        on12("every 30 days", "FREQ=DAILY;INTERVAL=30");
        on12("fortnightly", "FREQ=WEEKLY;INTERVAL=2", "01/12/26", 14);
        on12("weekly on its own day", "FREQ=WEEKLY;BYDAY=MO", "01/12/26", 7);
        on12("weekly on another day", "FREQ=WEEKLY;BYDAY=TU");
        on12("two weekdays", "FREQ=WEEKLY;BYDAY=MO,WE");
        on12("every 5 weeks", "FREQ=WEEKLY;INTERVAL=5");
        on12("count", "FREQ=DAILY;COUNT=5");
        on12("until", "FREQ=DAILY;UNTIL=20261231T000000");
        on12("every 11 months", "FREQ=MONTHLY;INTERVAL=11", "01/12/26", 40);
        on12("every 12 months", "FREQ=MONTHLY;INTERVAL=12");
        on12("second Monday", "FREQ=MONTHLY;BYDAY=2MO");
        on12("hourly", "FREQ=HOURLY");
        on12("yearly", "FREQ=YEARLY", "01/12/26", 41);
        on12("every 2 years", "FREQ=YEARLY;INTERVAL=2");
        on12("yearly in another month", "FREQ=YEARLY;BYMONTH=3");
        on12("other calendar", "RSCALE=HEBREW;FREQ=MONTHLY");
        on12("exception date", "FREQ=DAILY|EXDATE:20260114T090000");
        on12("added date", "FREQ=DAILY|RDATE:20260114T100000");
        on12("two rules", "FREQ=DAILY|RRULE:FREQ=WEEKLY");
        on12("damaged rule", "FREQ=DAILY;FOO=1");
        row("31st, shorter months skipped", "DTSTART;VALUE=DATE:20260131|RRULE:FREQ=MONTHLY");
        row("31st, last day", "DTSTART;VALUE=DATE:20260131|RRULE:FREQ=MONTHLY;BYMONTHDAY=-1",
            "01/31/26", 30);
        row("30th, last of 28..30",
            "DTSTART;VALUE=DATE:20260130|RRULE:FREQ=MONTHLY;BYMONTHDAY=28,29,30;BYSETPOS=-1",
            "01/30/26", 30);
        row("31st, skip backward",
            "DTSTART;VALUE=DATE:20260131|RRULE:RSCALE=GREGORIAN;FREQ=MONTHLY;SKIP=BACKWARD",
            "01/31/26", 30);
        row("31st, skip forward",
            "DTSTART;VALUE=DATE:20260131|RRULE:RSCALE=GREGORIAN;FREQ=MONTHLY;SKIP=FORWARD");
        row("last day from February",
            "DTSTART;VALUE=DATE:20260228|RRULE:FREQ=MONTHLY;BYMONTHDAY=-1", "02/31/26", 30);
        row("29 February, leap years only", "DTSTART;VALUE=DATE:20280229|RRULE:FREQ=YEARLY");
        row("29 February, else the 28th",
            "DTSTART;VALUE=DATE:20280229|RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=28,29;BYSETPOS=-1",
            "02/29/28", 41);
        row("weekly since 2020", "DTSTART:20200106T100000|RRULE:FREQ=WEEKLY", "01/12/26", 7);
        row("every 3 days since 2000", "DTSTART:20000101T100000|RRULE:FREQ=DAILY;INTERVAL=3",
            "01/11/26", 3);
        row("monthly since 2024, month end",
            "DTSTART:20240131T100000|RRULE:FREQ=MONTHLY;BYMONTHDAY=-1", "01/31/26", 30);
        row("today, time gone by", "DTSTART:20250110T080000|RRULE:FREQ=DAILY", "01/11/26", 1);
        row("midnight on the 1st", "DTSTART:20260201T000000|RRULE:FREQ=MONTHLY", "01/31/26", 30);
    }
    void readRule() {
        QFETCH(QByteArray, lines);
        QFETCH(QString, date);
        QFETCH(int, repeat);
        const auto result = readOne(lines);
        if (date.isEmpty()) {
            QVERIFY(std::holds_alternative<ImportRefusal>(result));
            QCOMPARE(std::get<ImportRefusal>(result), ImportRefusal::Rule);
            return;
        }
        QVERIFY(std::holds_alternative<AppointmentRecord>(result));
        QCOMPARE(std::get<AppointmentRecord>(result).date, date);
        QCOMPARE(std::get<AppointmentRecord>(result).repeat, repeat);
    }

    void zones_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("date"); // empty: refused as Rule
        QTest::addColumn<QString>("time");
        auto row = [](const char *tag, const char *lines, const char *date = "",
                      const char *time = "") {
            QTest::newRow(tag) << QByteArray(lines) << QString::fromLatin1(date)
                               << QString::fromLatin1(time);
        };
        row("UTC in winter", "DTSTART:20260301T101500Z", "03/01/26", "11:15");
        row("UTC in summer", "DTSTART:20260701T101500Z", "07/01/26", "12:15");
        row("New York, next day here", "DTSTART;TZID=America/New_York:20260701T210000", "07/02/26",
            "03:00");
        row("Windows zone name", "DTSTART;TZID=Tokyo Standard Time:20260701T090000", "07/01/26",
            "02:00");
        row("Berlin daily, the same rules",
            "DTSTART;TZID=Europe/Berlin:20260112T090000|"
            "RRULE:FREQ=DAILY",
            "01/12/26", "09:00");
        row("UTC daily moves with summer time", "DTSTART:20260112T090000Z|RRULE:FREQ=DAILY");
        row("unknown zone", "DTSTART;TZID=Nowhere/Land:20260301T101500");
    }
    void zones() {
        QFETCH(QByteArray, lines);
        QFETCH(QString, date);
        QFETCH(QString, time);
        const auto result = readOne(lines);
        if (date.isEmpty()) {
            QVERIFY(std::holds_alternative<ImportRefusal>(result));
            QVERIFY(std::get<ImportRefusal>(result) != ImportRefusal::NoRoom);
            return;
        }
        QVERIFY(std::holds_alternative<AppointmentRecord>(result));
        QCOMPARE(std::get<AppointmentRecord>(result).date, date);
        QCOMPARE(std::get<AppointmentRecord>(result).time, time);
    }

    // Zones as other programs define them: a VTIMEZONE of only the changes
    // around the start (khal) gives way to the system's rules for a zone it
    // knows; a zone of the file's own, by yearly rules or by dates, is read by
    // them. A time the clocks skip is read an hour later and said so; one they
    // pass twice is the first of the two.
    void zoneDefinitions_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("date"); // empty: refused
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<bool>("shifted");
        const QByteArray khal = "BEGIN:VTIMEZONE|TZID:Europe/Warsaw|BEGIN:STANDARD|"
                                "DTSTART:20251026T020000|TZOFFSETFROM:+0200|TZOFFSETTO:+0100|"
                                "END:STANDARD|BEGIN:DAYLIGHT|DTSTART:20260329T030000|"
                                "TZOFFSETFROM:+0100|TZOFFSETTO:+0200|END:DAYLIGHT|END:VTIMEZONE";
        const QByteArray ruled =
            "BEGIN:VTIMEZONE|TZID:Czas środkowoeuropejski|BEGIN:STANDARD|DTSTART:19701025T030000|"
            "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU|TZOFFSETFROM:+0200|TZOFFSETTO:+0100|"
            "END:STANDARD|BEGIN:DAYLIGHT|DTSTART:19700329T020000|"
            "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU|TZOFFSETFROM:+0100|TZOFFSETTO:+0200|"
            "END:DAYLIGHT|END:VTIMEZONE";
        // Three hours ahead of UTC in winter, four in summer, by listed dates.
        const QByteArray dated =
            "BEGIN:VTIMEZONE|TZID:Strefa wg dat|BEGIN:DAYLIGHT|DTSTART:20260329T020000|"
            "RDATE:20270328T020000|TZOFFSETFROM:+0300|TZOFFSETTO:+0400|END:DAYLIGHT|"
            "BEGIN:STANDARD|DTSTART:20251026T030000|RDATE:20261025T030000|TZOFFSETFROM:+0400|"
            "TZOFFSETTO:+0300|END:STANDARD|END:VTIMEZONE";
        auto row = [](const char *tag, const QByteArray &zone, const char *lines, const char *date,
                      const char *time, int repeat, bool shifted = false) {
            QTest::newRow(tag) << zone << QByteArray(lines) << QString::fromLatin1(date)
                               << QString::fromLatin1(time) << repeat << shifted;
        };
        row("khal weekly", khal, "DTSTART;TZID=Europe/Warsaw:20260112T100000|RRULE:FREQ=WEEKLY",
            "01/12/26", "10:00", 7);
        row("khal monthly", khal,
            "DTSTART;TZID=Europe/Warsaw:20260115T093000|RRULE:FREQ=MONTHLY;INTERVAL=2", "01/15/26",
            "09:30", 31);
        row("own zone by yearly rules, monthly", ruled,
            "DTSTART;TZID=Czas środkowoeuropejski:20260112T080000|RRULE:FREQ=MONTHLY", "01/12/26",
            "08:00", 30);
        row("own zone by dates, summer", dated, "DTSTART;TZID=Strefa wg dat:20260701T120000",
            "07/01/26", "10:00", 0);
        row("own zone by dates, winter", dated, "DTSTART;TZID=Strefa wg dat:20261201T120000",
            "12/01/26", "10:00", 0);
        row("floating time in the spring gap", {}, "DTSTART:20260329T023000", "03/29/26", "03:30",
            0, true);
        row("zoned time in the spring gap", khal, "DTSTART;TZID=Europe/Warsaw:20260329T021500",
            "03/29/26", "03:15", 0, true);
        row("the autumn's repeated hour", {}, "DTSTART:20261025T023000", "10/25/26", "02:30", 0);
        row("daily through the spring gap", {}, "DTSTART:20260328T023000|RRULE:FREQ=DAILY", "", "",
            0);
    }
    void zoneDefinitions() {
        QFETCH(QByteArray, zone);
        QFETCH(QByteArray, lines);
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(int, repeat);
        QFETCH(bool, shifted);
        QByteArray file = calendar(lines);
        if (!zone.isEmpty())
            file.replace("BEGIN:VEVENT", zone.replace("|", "\r\n") + "\r\nBEGIN:VEVENT");
        const auto contents = Icalendar::read(file, kNow);
        QVERIFY(contents);
        if (date.isEmpty()) {
            QVERIFY(contents->events.isEmpty());
            QCOMPARE(contents->refused.count(ImportRefusal::Rule), size_t(1));
            return;
        }
        QCOMPARE(contents->events.size(), 1);
        const AppointmentRecord &r = contents->events.first().record;
        QCOMPARE(r.date, date);
        QCOMPARE(r.time, time);
        QCOMPARE(r.repeat, repeat);
        QCOMPARE(contents->shifted, shifted ? QList<int>{0} : QList<int>{});
    }

    void limits_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<int>("refusal"); // -1: taken in
        auto row = [](const char *tag, const QByteArray &lines, int refusal = -1) {
            QTest::newRow(tag) << lines << refusal;
        };
        const QByteArray future = "DTSTART:20260301T100000|";
        row("500 bytes", future + "DESCRIPTION:" + QByteArray(500, 'a'));
        row("501 bytes", future + "DESCRIPTION:" + QByteArray(501, 'a'),
            int(ImportRefusal::TooLong));
        row("line breaks count twice",
            future + "DESCRIPTION:" + QByteArray(249, 'a') + "\\n" + QByteArray(250, 'b'),
            int(ImportRefusal::TooLong));
        row("Polish letters are one byte",
            future + "DESCRIPTION:" + QString(500, QChar(0x17C)).toUtf8());
        row("not in Windows-1250", future + "DESCRIPTION:" + QStringLiteral("中").toUtf8(),
            int(ImportRefusal::Characters));
        row("earlier today", "DTSTART:20260110T115900", int(ImportRefusal::Past));
        row("this minute", "DTSTART:20260110T120000");
        row("all day today", "DTSTART;VALUE=DATE:20260110");
        row("all day yesterday", "DTSTART;VALUE=DATE:20260109", int(ImportRefusal::Past));
        row("no start", "DTEND:20260301T100000", int(ImportRefusal::Unreadable));
        row("damaged start", "DTSTART:jutro", int(ImportRefusal::Unreadable));
        row("beyond 2099", "DTSTART:21000101T100000", int(ImportRefusal::Unreadable));
        row("cancelled", future + "STATUS:CANCELLED", int(ImportRefusal::Cancelled));
    }
    void limits() {
        QFETCH(QByteArray, lines);
        QFETCH(int, refusal);
        const auto result = readOne(lines);
        if (refusal < 0)
            QVERIFY(std::holds_alternative<AppointmentRecord>(result));
        else
            QCOMPARE(std::get<ImportRefusal>(result), ImportRefusal(refusal));
    }

    void armedAndLink() {
        const auto result =
            readOne("DTSTART:20260301T100000|X-KELVADRIN-ARMED:0|CONTACT:Ewa|X-KELVADRIN-ENTRY:7");
        QVERIFY(std::holds_alternative<AppointmentRecord>(result));
        QVERIFY(!std::get<AppointmentRecord>(result).armed);
        const auto c = Icalendar::read(
            calendar("DTSTART:20260301T100000|CONTACT:Ewa|X-KELVADRIN-ENTRY:7"), kNow);
        QCOMPARE(c->events.first().link, 7);
        QCOMPARE(c->events.first().linkName, QStringLiteral("Ewa"));
        QVERIFY(c->events.first().record.armed);
    }

    // A slot moved here, laid over the server's copy of what this program
    // wrote: the copy's own properties stay, ours say the new moment.
    void mergeMoved() {
        const auto written = [](const char *date) {
            return Icalendar::write(
                {{slot(date, "10:00", 30, QStringLiteral("Narada")), "m", {}, {}}}, {}, kNow);
        };
        const QByteArray copy =
            written("01/31/27").replace("SUMMARY:", "LOCATION:Sala 4\r\nSUMMARY:");
        const QByteArray merged = Icalendar::merge(copy, written("03/15/27"));
        QVERIFY2(merged.contains("LOCATION:Sala 4"), merged.constData());
        QVERIFY2(merged.contains("X-KELVADRIN-SLOT:03/15/27"), merged.constData());
        QVERIFY2(!merged.contains("01/31/27"), merged.constData());
        const auto back = Icalendar::read(merged, kNow);
        QVERIFY(back && back->events.size() == 1);
        QCOMPARE(back->events.first().record, slot("03/15/27", "10:00", 30, "Narada"));
    }

    void notACalendar_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("looksLike");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("text") << QByteArray("Kelvadrin\r\n") << false;
        QTest::newRow("vCard") << QByteArray("BEGIN:VCARD\r\nEND:VCARD\r\n") << false;
        QTest::newRow("cut short")
            << QByteArray("\xEF\xBB\xBF \r\nBEGIN:VCALENDAR\r\nBEGIN:VEV") << true;
        QTest::newRow("zero bytes") << QByteArray("BEGIN:VCALENDAR\0\0\0", 18) << true;
    }
    void notACalendar() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, looksLike);
        QCOMPARE(Icalendar::looksLikeCalendar(bytes), looksLike);
        const auto read = Icalendar::read(bytes, kNow);
        QVERIFY(!read);
        QCOMPARE(read.failure(), QStringLiteral("Plik nie jest poprawnym plikiem iCalendar."));
    }

    void files_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("tasks");
        QTest::addColumn<RefusalCounts>("refused");
        using R = ImportRefusal;
        QTest::newRow("folded") << "folded-utf8.ics" << 1 << 0 << RefusalCounts{};
        QTest::newRow("all day") << "all-day.ics" << 2 << 0 << RefusalCounts{};
        QTest::newRow("zones") << "tzid-vtimezone.ics" << 2 << 0 << RefusalCounts{};
        QTest::newRow("rules") << "rules.ics" << 2 << 0
                               << RefusalCounts{{R::Rule, 4}, {R::Past, 1}, {R::Unreadable, 1}};
        QTest::newRow("tasks") << "todo.ics" << 0 << 2 << RefusalCounts{{R::Characters, 1}};
    }
    void files() {
        QFETCH(QString, file);
        QFETCH(int, events);
        QFETCH(int, tasks);
        QFETCH(RefusalCounts, refused);
        const QByteArray bytes = test::readAll(QStringLiteral(KV_ICS_DATA "/") + file);
        QVERIFY(!bytes.isEmpty());
        const auto c = Icalendar::read(bytes, kNow);
        QVERIFY(c);
        QCOMPARE(c->events.size(), events);
        QCOMPARE(c->tasks.size(), tasks);
        QVERIFY(c->refused == refused);
    }

    void fileContents() {
        const auto read = [](const char *file) {
            return *Icalendar::read(test::readAll(QStringLiteral(KV_ICS_DATA "/") + file), kNow);
        };
        QCOMPARE(read("folded-utf8.ics").events.first().record.message,
                 QStringLiteral("Zebranie wspólnoty mieszkaniowej w sprawie dachu i rynien, "
                                "potem żółta brama\r\nSala nr 2, parter.\r\nProszę zabrać\r\n"
                                "protokół."));
        const auto zones = read("tzid-vtimezone.ics").events;
        QCOMPARE(zones[0].record,
                 slot("01/12/26", "09:00", 7, QStringLiteral("Przegląd tygodnia")));
        QCOMPARE(zones[1].record.time, QStringLiteral("15:00"));
        const auto tasks = read("todo.ics").tasks;
        QCOMPARE(tasks[0].text, QStringLiteral("Wymienić filtr\r\nw okapie"));
        QCOMPARE(tasks[0].added, QDate(2025, 11, 20));
        QCOMPARE(tasks[1].added, QDate(2025, 11, 5));
    }
};

QTEST_GUILESS_MAIN(TestIcalendar)
#include "tst_icalendar.moc"
