// The iCalendar codec from the command line, for the checks against other
// calendar programs (ics_partners.sh).
//
//   ics_tool grid FILE.ics         one slot for every repeat code 0..41 from
//                                  the 28th, 29th, 30th and 31st of January
//                                  2026 and from 29 February 2028, all day, at
//                                  10:30 and at 24:00; written to FILE.ics.
//                                  Prints, for each, its message and the
//                                  moments the program fires it in its first
//                                  three years (for periods of months and
//                                  the year, 45 years): the repeat arithmetic
//                                  (advanceDate) and the date test (ActualAt)
//                                  alone decide them.
//   ics_tool read FILE.ics NOW     reads FILE.ics as at NOW (YYYY-MM-DDTHH:MM)
//                                  and prints each event, task and refusal,
//                                  and which events were moved out of the
//                                  hour the clocks skip.

#include "actual/actual.h"
#include "appointments/Changedateunit.h"
#include "appointments/Icalendar.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>

using namespace kv;

namespace {

int fail(const QString &why) {
    std::fprintf(stderr, "ics_tool: %s\n", qPrintable(why));
    return 1;
}

bool fires(const QString &date, const QString &time, const QDateTime &at) {
    return ActualAt(date.toLatin1().constData(), time.isEmpty() ? "0" : time.toLatin1().constData(),
                    at.date().year(), at.date().month(), at.date().day(), at.time().hour(),
                    at.time().minute()) == ActualNow;
}

// The moment the date test takes the slot to be: the day it answers "now" for
// (searched from the first of the stored month), then the minute.
std::optional<QDateTime> moment(const QString &date, const QString &time) {
    const QDate first(2000 + date.mid(6, 2).toInt(), date.left(2).toInt(), 1);
    for (QDate day = first; day < first.addDays(40); day = day.addDays(1)) {
        if (!fires(date, QString(), QDateTime(day, QTime(12, 0))))
            continue;
        if (time.isEmpty())
            return QDateTime(day, QTime());
        for (QDate d : {day, day.addDays(1)}) {
            const int hour = time.left(2).toInt() % 24;
            const QDateTime at(d, QTime(hour, time.mid(3, 2).toInt()));
            if (fires(date, time, at))
                return at;
        }
    }
    return std::nullopt;
}

// Three years; for the periods of months and the year, the whole cycle of
// month lengths and leap years (44 years at 11 months).
int yearsShown(int code) {
    return code < 30 ? 3 : 45;
}

int grid(const QString &path) {
    QTextStream out(stdout);
    QList<CalendarEvent> events;
    const char *starts[] = {"01/28/26", "01/29/26", "01/30/26", "01/31/26", "02/29/28"};
    for (const char *start : starts) {
        for (const char *time : {"", "10:30", "24:00"}) {
            for (int code = 0; code <= 41; ++code) {
                const QString message =
                    QStringLiteral("k%1 %2 %3").arg(code).arg(start, time).trimmed();
                const AppointmentRecord r{true, QString::fromLatin1(start),
                                          QString::fromLatin1(time), message, code};
                events.append({r, message, std::nullopt, {}});

                const std::optional<QDateTime> first = moment(r.date, r.time);
                if (!first)
                    return fail(QStringLiteral("no moment for ") + message);
                const QDate end = first->date().addYears(yearsShown(code));
                out << message;
                QString date = r.date;
                for (int i = 0; i < 2000; ++i) {
                    const std::optional<QDateTime> m = moment(date, r.time);
                    if (!m || m->date() >= end)
                        break;
                    out << '\t'
                        << (r.time.isEmpty() ? m->date().toString(Qt::ISODate)
                                             : m->toString(QStringLiteral("yyyy-MM-ddTHH:mm")));
                    if (code == 0)
                        break;
                    const Result<QString> next = advanceDate(date, code);
                    if (!next)
                        return fail(QStringLiteral("no next date for ") + message);
                    date = *next;
                }
                out << '\n';
            }
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write ") + path);
    file.write(Icalendar::write(events, {}, QDateTime(QDate(2026, 1, 1), QTime(0, 0))));
    return 0;
}

int read(const QString &path, const QString &nowText) {
    QFile file(path);
    const QDateTime now = QDateTime::fromString(nowText, QStringLiteral("yyyy-MM-ddTHH:mm"));
    if (!file.open(QIODevice::ReadOnly) || !now.isValid())
        return fail(QStringLiteral("cannot read ") + path);
    const auto contents = Icalendar::read(file.readAll(), now);
    const QString error = contents.failure();
    if (!contents)
        return fail(error);
    QTextStream out(stdout);
    const auto oneLine = [](QString text) { return text.replace(QLatin1String("\r\n"), "\\n"); };
    for (const CalendarEvent &e : contents->events)
        out << "E\t" << e.record.date << '\t' << e.record.time << '\t' << e.record.repeat << '\t'
            << int(e.record.armed) << '\t' << oneLine(e.record.message) << '\n';
    for (const CalendarTask &t : contents->tasks)
        out << "T\t" << t.added.toString(Qt::ISODate) << '\t' << oneLine(t.text) << '\n';
    for (const auto &[reason, count] : contents->refused)
        out << "R\t" << refusalText(reason) << '\t' << count << '\n';
    for (const int shifted : contents->shifted)
        out << "S\t" << shifted << '\n';
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (args.size() == 2 && args[0] == QLatin1String("grid"))
        return grid(args[1]);
    if (args.size() == 3 && args[0] == QLatin1String("read"))
        return read(args[1], args[2]);
    return fail(QStringLiteral("usage: ics_tool grid FILE.ics | ics_tool read FILE.ics NOW"));
}
