#include "IcalendarRules.h"

#include "Changedateunit.h"
#include "actual/actual.h"
#include "platform/Cp1250.h"
#include "platform/DateText.h"

// How a slot becomes an event, and back.
//
// A slot fires on the days that its stored date text takes under the repeat
// arithmetic (advanceDate), each as the date test reads it: a day past the end
// of its month ("02/31/25", which the month step leaves behind) is that
// month's last day, and hour 24 is midnight at the end of the day. An event's
// RRULE is written only where its occurrences are exactly those moments; the
// writer expands each rule it considers with libical and compares it with the
// program's own arithmetic before choosing it, and the reader does the same
// before it takes a rule in. The rules used:
//
//   codes 1..29   FREQ=DAILY;INTERVAL=n
//   codes 30..40  FREQ=MONTHLY;INTERVAL=code-29; from a day 29..31 that some
//                 month of the cycle lacks, the last day the month has of
//                 those up to the start's: BYMONTHDAY=-1 from the 31st,
//                 BYMONTHDAY=28,29,30;BYSETPOS=-1 from the 30th (the meaning
//                 of RFC 7529's SKIP=BACKWARD, in plain RFC 5545)
//   code 41       FREQ=YEARLY; from 29 February BYMONTH=2;BYMONTHDAY=-1
//                 (28 February in common years)
//
// Where no rule gives the program's days (a day count from a day past month
// end, midnight "24:MM" after such a day) the nearest rule is written with an
// X-KELVADRIN-NOTE that names the days Kelvadrin fires on; the reader then
// refuses it as it refuses any rule it cannot hold.

namespace kv::ical {

namespace {

int twoDigitNumber(const QString &text, int at) {
    bool ok = false;
    const int value = text.mid(at, 2).toInt(&ok, 10);
    return ok && text.at(at).isDigit() && text.at(at + 1).isDigit() ? value : -1;
}

// The day the date test takes a stored date text to be: a day past the end of
// its month is the month's last day. The test itself confirms it.
std::optional<QDate> firingDay(const QString &dateText) {
    if (dateText.size() != 8)
        return std::nullopt;
    const int month = twoDigitNumber(dateText, 0);
    const int day = twoDigitNumber(dateText, 3);
    const int year = twoDigitNumber(dateText, 6);
    if (month < 1 || month > 12 || day < 1 || year < 0)
        return std::nullopt;
    const QDate first(2000 + year, month, 1);
    const QDate candidate = first.addDays(std::min(day, first.daysInMonth()) - 1);
    const QByteArray text = dateText.toLatin1();
    if (ActualAt(text.constData(), "0", candidate.year(), candidate.month(), candidate.day(), 12,
                 0) != ActualNow)
        return std::nullopt;
    return candidate;
}

} // namespace

// When a slot with this date and time text fires (hour 24 is the midnight
// that ends the day).
std::optional<Moment> firing(const QString &dateText, const QString &timeText) {
    const std::optional<QDate> day = firingDay(dateText);
    if (!day)
        return std::nullopt;
    if (timeText.isEmpty())
        return Moment{*day, {}};
    if (timeText.size() != 5)
        return std::nullopt;
    const int hour = twoDigitNumber(timeText, 0);
    const int minute = twoDigitNumber(timeText, 3);
    if (hour < 0 || hour > 24 || minute < 0 || minute > 59)
        return std::nullopt;
    if (hour == 24)
        return Moment{day->addDays(1), QTime(0, minute)};
    return Moment{*day, QTime(hour, minute)};
}

bool recurring(int code) {
    return code >= 1 && code <= kYearCode;
}

namespace {
// The date text after `periods` periods from `dateText`, as that many calls of
// advanceDate give it (for a code in days only from a real day).
QString jumped(const QString &dateText, int code, qint64 periods) {
    const int month = twoDigitNumber(dateText, 0);
    const int day = twoDigitNumber(dateText, 3);
    const int year = twoDigitNumber(dateText, 6);
    if (periods <= 0 || month < 1 || month > 12)
        return dateText;
    if (code <= kLastDayCode) {
        const QDate from(2000 + year, month, day);
        return from.isValid() ? storedDate(from.addDays(periods * code)) : dateText;
    }
    qint64 months = year * 12 + month - 1;
    months += code == kYearCode ? periods * 12 : periods * (code - kLastDayCode);
    return twoDigits(int(months % 12) + 1) + QLatin1Char('/') + twoDigits(day) + QLatin1Char('/') +
           twoDigits(int(months / 12 % 100));
}

} // namespace

// The program's next `count` firings of a slot from its stored date on; fewer
// when the two-digit year would run past 2099.
QList<Moment> programFirings(QString dateText, const QString &timeText, int code, int count) {
    QList<Moment> out;
    while (out.size() < count) {
        const std::optional<Moment> m = firing(dateText, timeText);
        if (!m || (!out.isEmpty() && !(out.last().day < m->day)))
            break;
        out.append(*m);
        const Result<QString> next = advanceDate(dateText, code);
        if (!next)
            break;
        dateText = *next;
    }
    return out;
}

int horizon(int code, bool zoned) {
    if (code <= kLastDayCode)
        return zoned ? kZonedDays / code + 2 : kDayHorizon;
    return code == kYearCode ? kYearHorizon : kMonthHorizon;
}

// ---- The calendar's side

bool cp1250CanHold(const QString &text) {
    return Cp1250::decode(Cp1250::encode(text)) == text;
}

namespace {

// The rules that could give a slot's days, most plain first. Past the 28th
// a month's end is the last day it has: BYMONTHDAY=-1 from the 31st (which
// the most calendars read), the last of the days 28.. before.
QStringList candidateRules(const QString &dateText, int code) {
    const int day = twoDigitNumber(dateText, 3);
    QString monthEnd = QStringLiteral("BYMONTHDAY=-1");
    if (day < 31) {
        QStringList days;
        for (int d = 28; d <= day; ++d)
            days << QString::number(d);
        monthEnd = QStringLiteral("BYMONTHDAY=%1;BYSETPOS=-1").arg(days.join(QLatin1Char(',')));
    }
    if (code <= kLastDayCode)
        return {QStringLiteral("FREQ=DAILY;INTERVAL=%1").arg(code)};
    if (code <= kLastMonthCode) {
        const QString base = QStringLiteral("FREQ=MONTHLY;INTERVAL=%1").arg(code - kLastDayCode);
        if (day <= 28)
            return {base};
        return {base, base + QLatin1Char(';') + monthEnd};
    }
    if (day > 28 && twoDigitNumber(dateText, 0) == 2)
        return {QStringLiteral("FREQ=YEARLY"),
                QStringLiteral("FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1")};
    return {QStringLiteral("FREQ=YEARLY")};
}

} // namespace

QString noteOf(const QList<Moment> &firings) {
    QStringList days;
    for (const Moment &m : firings.mid(0, 6))
        days << m.day.toString(Qt::ISODate);
    return QStringLiteral(
               "Reguła powtarzania jest przybliżona: Kelvadrin przypomina w dniach %1, …")
        .arg(days.join(QStringLiteral(", ")));
}

std::optional<Timing> timingOf(const QString &dateText, const QString &timeText, int code) {
    Timing t;
    t.program = programFirings(dateText, timeText, code, code ? horizon(code, false) : 1);
    if (t.program.isEmpty())
        return std::nullopt;
    if (code) {
        const QStringList rules = candidateRules(dateText, code);
        const icaltimetype start = icalTime(t.program.first());
        for (const QString &text : rules) {
            const icalrecurrencetype rule = icalrecurrencetype_from_string(text.toLatin1());
            if (ruleFirings(rule, start, Zone{}, QDateTime(), t.program.size()) == t.program) {
                t.rule = text;
                break;
            }
        }
        t.exact = !t.rule.isEmpty();
        if (!t.exact)
            t.rule = rules.first();
    }
    return t;
}

// The repeat code of a rule the program's periods might hold; the expansion
// decides. Nothing for a rule that bounds, skips or adds occurrences.
std::optional<int> codeOf(const icalrecurrencetype &r) {
    if (r.freq == ICAL_NO_RECURRENCE || r.count != 0 || !icaltime_is_null_time(r.until))
        return std::nullopt;
    if (r.rscale != nullptr && qstricmp(r.rscale, "GREGORIAN") != 0)
        return std::nullopt;
    const auto used = [](const short *array) { return array[0] != ICAL_RECURRENCE_ARRAY_MAX; };
    if (used(r.by_second) || used(r.by_minute) || used(r.by_hour) || used(r.by_year_day) ||
        used(r.by_week_no))
        return std::nullopt;
    const int n = r.interval;
    switch (r.freq) {
    case ICAL_DAILY_RECURRENCE:
        if (used(r.by_day) || used(r.by_month_day) || used(r.by_month) || used(r.by_set_pos))
            return std::nullopt;
        return n >= 1 && n <= kLastDayCode ? std::optional(n) : std::nullopt;
    case ICAL_WEEKLY_RECURRENCE:
        if ((used(r.by_day) && r.by_day[1] != ICAL_RECURRENCE_ARRAY_MAX) || used(r.by_month_day) ||
            used(r.by_month) || used(r.by_set_pos))
            return std::nullopt;
        return n >= 1 && n * 7 <= kLastDayCode ? std::optional(n * 7) : std::nullopt;
    case ICAL_MONTHLY_RECURRENCE:
        if (used(r.by_day) || used(r.by_month))
            return std::nullopt;
        return n >= 1 && n <= kLastMonthCode - kLastDayCode ? std::optional(kLastDayCode + n)
                                                            : std::nullopt;
    case ICAL_YEARLY_RECURRENCE:
        if (used(r.by_day))
            return std::nullopt;
        return n == 1 ? std::optional(kYearCode) : std::nullopt;
    default:
        return std::nullopt;
    }
}

// The stored date and time texts that fire first at `first`: midnight

// last day also as the days past it that the date test reads as it.
QList<std::pair<QString, QString>> slotTexts(const Moment &first, int code) {
    QList<std::pair<QDate, QString>> days;
    if (!first.time.isValid()) {
        days.append({first.day, QString()});
    } else {
        const QString minute = twoDigits(first.time.minute());
        if (first.time.hour() == 0)
            days.append({first.day.addDays(-1), QStringLiteral("24:") + minute});
        days.append({first.day, twoDigits(first.time.hour()) + QLatin1Char(':') + minute});
    }
    QList<std::pair<QString, QString>> out;
    for (const auto &[day, time] : days) {
        out.append({storedDate(day), time});
        if (code > kLastDayCode && day.day() == day.daysInMonth())
            for (int d = day.day() + 1; d <= 31; ++d)
                out.append({twoDigits(day.month()) + QLatin1Char('/') + twoDigits(d) +
                                QLatin1Char('/') + twoDigits(day.year() % 100),
                            time});
    }
    return out;
}

QString caughtUp(const QString &dateText, const QString &timeText, int code, const QDateTime &now) {
    const std::optional<Moment> first = firing(dateText, timeText);
    if (!first || !first->before(now))
        return dateText;
    const QDate today = now.date();
    qint64 periods;
    if (code <= kLastDayCode)
        periods = first->day.daysTo(today) / code;
    else {
        const qint64 months =
            (today.year() - first->day.year()) * 12 + today.month() - first->day.month();
        periods = code == kYearCode ? months / 12 : months / (code - kLastDayCode);
    }
    QString text = jumped(dateText, code, periods - 1);
    for (int i = 0; i < 8; ++i) {
        const std::optional<Moment> m = firing(text, timeText);
        if (!m || !m->before(now))
            break;
        const Result<QString> next = advanceDate(text, code);
        if (!next)
            break;
        text = *next;
    }
    return text;
}

} // namespace kv::ical
