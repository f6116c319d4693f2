// Times the iCalendar codec: the read of a calendar of 10 000 events as
// another program writes them (floating, UTC and zoned times, many long past;
// in the second file every tenth a series), of which only the next 50 would
// fit the slots, up to the list of what the program can hold; and the export
// of 50 slots and 100 tasks. Prints rows of the figures table (BenchTable.h).

#include "BenchTable.h"
#include "appointments/Icalendar.h"

#include <QElapsedTimer>
#include <cstdio>
#include <vector>

namespace {

constexpr int kEvents = 10000;
constexpr int kReadRuns = 7;
constexpr int kWriteRuns = 30;

QByteArray bigCalendar(bool series) {
    QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\n";
    const QDate first(2021, 1, 1);
    for (int i = 0; i < kEvents; ++i) {
        const QDate day = first.addDays(i * 5 % 5000); // 2021 .. mid 2034
        const QByteArray stamp = day.toString(QStringLiteral("yyyyMMdd")).toLatin1() + "T" +
                                 QByteArray::number(100000 + i % 12 * 10000);
        out += "BEGIN:VEVENT\r\nUID:event-" + QByteArray::number(i) +
               "@bench.example\r\nDTSTAMP:20251201T080000Z\r\n";
        switch (i % 3) {
        case 0:
            out += "DTSTART:" + stamp + "\r\n";
            break;
        case 1:
            out += "DTSTART:" + stamp + "Z\r\n";
            break;
        default:
            out += "DTSTART;TZID=Europe/Warsaw:" + stamp + "\r\n";
        }
        if (series && i % 10 == 0)
            out += i % 20 == 0 ? "RRULE:FREQ=WEEKLY\r\n" : "RRULE:FREQ=MONTHLY;BYMONTHDAY=-1\r\n";
        out += "SUMMARY:Spotkanie numer " + QByteArray::number(i) +
               "\r\nDESCRIPTION:Sala konferencyjna\\, piętro " + QByteArray::number(i % 7) +
               ".\\nProszę o punktualność.\r\nEND:VEVENT\r\n";
    }
    return out + "END:VCALENDAR\r\n";
}

} // namespace

int main() {
    using kv::Icalendar;
    const QDateTime now(QDate(2026, 1, 10), QTime(12, 0));
    QElapsedTimer timer;
    std::vector<double> reads[2];
    for (bool series : {false, true}) {
        const QByteArray big = bigCalendar(series);
        int held = 0;
        for (int i = 0; i < kReadRuns; ++i) {
            timer.start();
            // As the import reads it: the 50 free slots filled, the rest counted.
            const auto contents = Icalendar::read(big, now, 50);
            reads[series].push_back(double(timer.nsecsElapsed()) / 1e6);
            held = contents ? int(contents->events.size()) : -1;
        }
        if (held < 50) {
            std::fprintf(stderr, "the calendar was not read (%d events held)\n", held);
            return 1;
        }
    }

    QList<kv::CalendarEvent> events;
    for (int n = 1; n <= 50; ++n) {
        const QDate day = QDate(2026, 1, 1).addDays(n * 7);
        const kv::AppointmentRecord r{true, day.toString(QStringLiteral("MM/dd/yy")),
                                      n % 4 ? QStringLiteral("10:30") : QString(),
                                      QStringLiteral("Termin %1: zażółć gęślą jaźń").arg(n),
                                      n % 42};
        events.append({r, QStringLiteral("slot-%1").arg(n), n % 5 ? std::optional(n) : std::nullopt,
                       QStringLiteral("Wpis %1").arg(n)});
    }
    QList<kv::CalendarTask> tasks;
    for (int n = 1; n <= 100; ++n)
        tasks.append({QStringLiteral("Zadanie %1\r\nszczegóły").arg(n), QDate(2025, 12, 1),
                      QStringLiteral("task-%1").arg(n)});
    std::vector<double> writes;
    qsizetype written = 0;
    for (int i = 0; i < kWriteRuns; ++i) {
        timer.start();
        written = Icalendar::write(events, tasks, now).size();
        writes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (written == 0) {
        std::fprintf(stderr, "nothing was written\n");
        return 1;
    }

    bench::header();
    const std::string runs = " (ms, " + std::to_string(kReadRuns) + " runs)";
    bool met = bench::rowLimit("iCalendar read of 10 000 one-time events" + runs,
                               bench::median(reads[0]), 200, "ms");
    // Each series is expanded by libical (through ICU) over up to 49
    // occurrences and compared with the program's arithmetic.
    met = bench::rowLimit("iCalendar read of 10 000 events, 1 000 of them series" + runs,
                          bench::median(reads[1]), 200, "ms") &&
          met;
    met = bench::rowLimit("iCalendar export of 50 slots and 100 tasks (ms)", bench::median(writes),
                          20, "ms") &&
          met;
    return met ? 0 : 1;
}
