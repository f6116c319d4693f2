#include "Icalendar.h"

#include "actual/actual.h"
#include "appointments/Changedateunit.h"
#include "platform/Cp1250.h"
#include "platform/DateText.h"
#include "tasks/TaskStore.h"

#include <QSet>
#include <QTimeZone>
#include <QUuid>
#include <libical/ical.h>

#include <memory>

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

namespace kv {

namespace {

constexpr int kLastDayCode = 29;
constexpr int kLastMonthCode = 40;
constexpr int kYearCode = 41;
constexpr int kTaskTextLimit = TaskStore::TextLimit; // characters, line breaks counted as one
constexpr int kSummaryLength = 60;
// Occurrences compared: a whole four-year leap cycle of every month period,
// two of the yearly one; a year of day periods where a time zone's rules
// could move the local time.
constexpr int kMonthHorizon = 49;
constexpr int kYearHorizon = 9;
constexpr int kDayHorizon = 9;
constexpr int kZonedDays = 370;
constexpr int kIterationLimit = 50000;
constexpr int kFarBack = 730;
constexpr int kYearBack = 400;

const char *const kArmedProperty = "X-KELVADRIN-ARMED";
const char *const kEntryProperty = "X-KELVADRIN-ENTRY";
const char *const kNoteProperty = "X-KELVADRIN-NOTE";
// A slot with a time and no date: its time as the slot holds it (the start
// is that time of the day written).
const char *const kTimeOnlyProperty = "X-KELVADRIN-TIME-ONLY";
// A dated slot as the program holds it ("MM/DD/YY;HH:MM;code"): a day past a
// month's end or an hour 24 fires as DTSTART says, but the slot keeps its own.
const char *const kSlotProperty = "X-KELVADRIN-SLOT";

struct ComponentFree {
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

struct IteratorFree {
    void operator()(icalrecur_iterator *i) const { icalrecur_iterator_free(i); }
};
using Iterator = std::unique_ptr<icalrecur_iterator, IteratorFree>;

// One firing: a day, and a time of day unless the slot is all-day.
struct Moment {
    QDate day;
    QTime time;
    bool operator==(const Moment &) const = default;
    // Whether the date test has it passed at `now` (never when `now` is invalid).
    bool before(const QDateTime &now) const {
        if (!now.isValid())
            return false;
        if (!time.isValid())
            return day < now.date();
        const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
        return QDateTime(day, time) < minute;
    }
};

// ---- The program's side

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

// The program's next `count` firings of a slot from its stored date on; fewer
// when the two-digit year would run past 2099.
QList<Moment> programFirings(QString dateText, const QString &timeText, int code, int count) {
    QList<Moment> out;
    try {
        while (out.size() < count) {
            const std::optional<Moment> m = firing(dateText, timeText);
            if (!m || (!out.isEmpty() && !(out.last().day < m->day)))
                break;
            out.append(*m);
            dateText = advanceDate(dateText, code);
        }
    } catch (const ChangeDateError &) {
    }
    return out;
}

int horizon(int code, bool zoned) {
    if (code <= kLastDayCode)
        return zoned ? kZonedDays / code + 2 : kDayHorizon;
    return code == kYearCode ? kYearHorizon : kMonthHorizon;
}

// ---- The calendar's side

// The zone of a start time: floating (none), one libical knows (from the
// file's VTIMEZONE or its own), or one only Qt knows (a Windows zone name).
struct Zone {
    const icaltimezone *ical = nullptr;
    QTimeZone qt;
    bool floating() const { return ical == nullptr && !qt.isValid(); }
};

// A wall-clock time of `zone` as a moment, by RFC 5545's rule: a time the
// clocks skip in spring is read with the offset before the gap (02:30 is
// 03:30; *gap is set), one they pass twice in autumn is the first of the two.
QDateTime wallClock(QDate day, QTime time, const QTimeZone &zone, bool *gap) {
    const QDateTime asUtc(day, time, QTimeZone::utc());
    // No zone changes its offset twice within two days.
    const int before = zone.offsetFromUtc(asUtc.addSecs(-86400));
    const int after = zone.offsetFromUtc(asUtc.addSecs(86400));
    for (const int offset : {before, after}) {
        const QDateTime moment = asUtc.addSecs(-offset);
        if (zone.offsetFromUtc(moment) == offset)
            return moment;
    }
    if (gap)
        *gap = true;
    return asUtc.addSecs(-before);
}

Moment localMoment(const icaltimetype &t, const Zone &zone, bool *gap = nullptr) {
    if (t.is_date)
        return {QDate(t.year, t.month, t.day), {}};
    const QDate day(t.year, t.month, t.day);
    const QTime time(t.hour, t.minute, t.second);
    QDateTime local;
    if (zone.ical != nullptr)
        local = QDateTime::fromSecsSinceEpoch(
            icaltime_as_timet_with_zone(t, const_cast<icaltimezone *>(zone.ical)));
    else
        local = wallClock(day, time, zone.qt.isValid() ? zone.qt : QTimeZone::systemTimeZone(), gap)
                    .toLocalTime();
    return {local.date(), QTime(local.time().hour(), local.time().minute())};
}

// The rule's occurrences from `start`, in local wall-clock time: those before
// `now` are passed over, then up to `count` are taken.
QList<Moment> ruleFirings(const icalrecurrencetype &rule, const icaltimetype &start,
                          const Zone &zone, const QDateTime &now, int count) {
    QList<Moment> out;
    Iterator it(icalrecur_iterator_new(rule, start));
    if (!it)
        return out;
    // Long-running series start over a year before now, in the rule's phase.
    if (now.isValid() && QDate(start.year, start.month, start.day).daysTo(now.date()) > kFarBack) {
        const QDate from = now.date().addDays(-kYearBack);
        icaltimetype near = start;
        near.year = from.year();
        near.month = from.month();
        near.day = from.day();
        if (!icalrecur_iterator_set_start(it.get(), near))
            it.reset(icalrecur_iterator_new(rule, start));
    }
    for (int step = 0; step < kIterationLimit && out.size() < count; ++step) {
        const icaltimetype t = icalrecur_iterator_next(it.get());
        if (icaltime_is_null_time(t))
            break;
        const Moment m = localMoment(t, zone);
        if (!m.before(now))
            out.append(m);
    }
    return out;
}

// ---- Texts

QString plainLines(const QString &text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString storedLines(const QString &text) {
    return plainLines(text).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

QString firstLine(const QString &text) {
    const QStringList lines = plainLines(text).split(QLatin1Char('\n'));
    for (const QString &line : lines)
        if (!line.trimmed().isEmpty())
            return line.trimmed();
    return {};
}

QString summaryOf(const QString &text) {
    return firstLine(text).left(kSummaryLength).trimmed();
}

// The text of an item from its SUMMARY and DESCRIPTION: the description alone
// when it begins with the summary (as written here), else both.
QString itemText(icalcomponent *c) {
    const char *summary = icalcomponent_get_summary(c);
    const char *description = icalcomponent_get_description(c);
    const QString s = QString::fromUtf8(summary ? summary : "").trimmed();
    const QString d = plainLines(QString::fromUtf8(description ? description : ""));
    if (d.trimmed().isEmpty())
        return storedLines(s);
    if (s.isEmpty() || firstLine(d).startsWith(s))
        return storedLines(d);
    return storedLines(s + QLatin1Char('\n') + d);
}

bool cp1250CanHold(const QString &text) {
    return Cp1250::decode(Cp1250::encode(text)) == text;
}

void addText(icalcomponent *c, const QString &text) {
    if (text.isEmpty())
        return;
    icalcomponent_add_property(c, icalproperty_new_summary(summaryOf(text).toUtf8().constData()));
    icalcomponent_add_property(c,
                               icalproperty_new_description(plainLines(text).toUtf8().constData()));
}

void addX(icalcomponent *c, const char *name, const QString &value) {
    icalproperty *p = icalproperty_new_x(value.toUtf8().constData());
    icalproperty_set_x_name(p, name);
    icalcomponent_add_property(c, p);
}

std::optional<QString> xValue(icalcomponent *c, const char *name) {
    for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_X_PROPERTY)) {
        const char *n = icalproperty_get_x_name(p);
        const char *v = icalproperty_get_x(p);
        if (n && v && qstricmp(n, name) == 0)
            return QString::fromUtf8(v).trimmed();
    }
    return std::nullopt;
}

icaltimetype icalTime(const Moment &m) {
    icaltimetype t = icaltime_null_time();
    t.year = m.day.year();
    t.month = m.day.month();
    t.day = m.day.day();
    if (m.time.isValid()) {
        t.hour = m.time.hour();
        t.minute = m.time.minute();
    } else {
        t.is_date = 1;
    }
    return t;
}

QString uidOr(const QString &uid) {
    return uid.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : uid;
}

// ---- Writing

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

QString noteOf(const QList<Moment> &firings) {
    QStringList days;
    for (const Moment &m : firings.mid(0, 6))
        days << m.day.toString(Qt::ISODate);
    return QStringLiteral(
               "Reguła powtarzania jest przybliżona: Kelvadrin przypomina w dniach %1, …")
        .arg(days.join(QStringLiteral(", ")));
}

// How a dated slot is written: its firings as the program counts them (the
// first is DTSTART), and the rule of a repeating one, exact or the nearest.
struct Timing {
    QList<Moment> program;
    QString rule; // empty for a one-time slot
    bool exact = true;
};

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

icalcomponent *eventComponent(const CalendarEvent &e, const QDateTime &now,
                              const icaltimetype &stamp) {
    const AppointmentRecord &r = e.record;
    QString dateText = r.date;
    QString timeText = r.time;
    if (dateText.isEmpty()) {
        // A time only: the date test reads it as that time of the current
        // day, hour 24 as the midnight that begins it. The slot fires today
        // (at once, if that time has gone by) and, when it repeats, the
        // arithmetic counts its periods from today: the same as a slot dated
        // today.
        if (timeText.isEmpty())
            return nullptr;
        dateText = storedDate(now.date());
        if (timeText.startsWith(QLatin1String("24")))
            timeText.replace(0, 2, QStringLiteral("00"));
    }
    const int code = recurring(r.repeat) ? r.repeat : 0;
    const std::optional<Timing> timing = timingOf(dateText, timeText, code);
    if (!timing)
        return nullptr;

    icalcomponent *c = icalcomponent_new_vevent();
    icalcomponent_add_property(c, icalproperty_new_uid(uidOr(e.uid).toUtf8().constData()));
    icalcomponent_add_property(c, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(c, icalproperty_new_dtstart(icalTime(timing->program.first())));
    if (code) {
        icalcomponent_add_property(
            c, icalproperty_new_rrule(icalrecurrencetype_from_string(timing->rule.toLatin1())));
        if (!timing->exact)
            addX(c, kNoteProperty, noteOf(timing->program));
    }
    addText(c, r.message);
    if (e.link) {
        if (!e.linkName.isEmpty())
            icalcomponent_add_property(c,
                                       icalproperty_new_contact(e.linkName.toUtf8().constData()));
        addX(c, kEntryProperty, QString::number(*e.link));
    }
    addX(c, kArmedProperty, r.armed ? QStringLiteral("1") : QStringLiteral("0"));
    if (r.date.isEmpty())
        addX(c, kTimeOnlyProperty, r.time);
    else
        addX(c, kSlotProperty,
             r.date + QLatin1Char(';') + r.time + QLatin1Char(';') + QString::number(code));

    icalcomponent *alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(0);
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    const QString summary = summaryOf(r.message);
    icalcomponent_add_property(
        alarm,
        icalproperty_new_description(
            (summary.isEmpty() ? QStringLiteral("Kelvadrin") : summary).toUtf8().constData()));
    icalcomponent_add_component(c, alarm);
    return c;
}

icalcomponent *taskComponent(const CalendarTask &t, const icaltimetype &stamp) {
    icalcomponent *c = icalcomponent_new_vtodo();
    icalcomponent_add_property(c, icalproperty_new_uid(uidOr(t.uid).toUtf8().constData()));
    icalcomponent_add_property(c, icalproperty_new_dtstamp(stamp));
    if (t.added.isValid())
        icalcomponent_add_property(c, icalproperty_new_dtstart(icalTime({t.added, {}})));
    addText(c, t.text);
    return c;
}

// ---- Reading

class Reader {
public:
    Reader(icalcomponent *calendar, const QDateTime &now, int room, Icalendar::Contents &out)
        : m_calendar(calendar), m_now(now), m_room(room), m_out(out) {}

    void readAll() {
        QSet<QString> moved; // series with an instance moved or changed
        for (icalcomponent *c =
                 icalcomponent_get_first_component(m_calendar, ICAL_VEVENT_COMPONENT);
             c; c = icalcomponent_get_next_component(m_calendar, ICAL_VEVENT_COMPONENT))
            if (icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY))
                moved.insert(uidOf(c));
        for (icalcomponent *c = icalcomponent_get_first_component(m_calendar, ICAL_ANY_COMPONENT);
             c; c = icalcomponent_get_next_component(m_calendar, ICAL_ANY_COMPONENT)) {
            const icalcomponent_kind kind = icalcomponent_isa(c);
            if (kind == ICAL_VEVENT_COMPONENT) {
                // An instance counts with its series, which it leaves inexact.
                if (icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY))
                    continue;
                event(c, moved.contains(uidOf(c)));
            } else if (kind == ICAL_VTODO_COMPONENT) {
                task(c);
            }
        }
    }

private:
    static QString uidOf(icalcomponent *c) {
        const char *uid = icalcomponent_get_uid(c);
        return QString::fromUtf8(uid ? uid : "");
    }

    void refuse(ImportRefusal reason) { ++m_out.refused[reason]; }

    // The start and its zone; nothing when there is none or its zone is unknown.
    std::optional<std::pair<icaltimetype, Zone>> start(icalcomponent *c) {
        icalproperty *p = icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY);
        if (p == nullptr)
            return std::nullopt;
        icaltimetype t = icalcomponent_get_dtstart(c);
        if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t) || t.year < 1 ||
            !QDate(t.year, t.month, t.day).isValid())
            return std::nullopt;
        Zone zone;
        if (t.is_date)
            return std::pair{t, zone};
        icalparameter *tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
        const QByteArray id =
            tzid ? QByteArray(icalparameter_get_tzid(tzid)).trimmed() : QByteArray();
        if (icaltime_is_utc(t)) {
            zone.ical = icaltimezone_get_utc_timezone();
        } else if (!id.isEmpty() && QTimeZone::isTimeZoneIdAvailable(id)) {
            // A zone of the system's database by its own rules, for every
            // year: many files carry only the changes around the event's start.
            zone.qt = QTimeZone(id);
        } else if (t.zone != nullptr) {
            zone.ical = t.zone;
        } else if (!id.isEmpty()) {
            // A Windows zone name where no VTIMEZONE defines it.
            const QByteArray iana = QTimeZone::windowsIdToDefaultIanaId(id);
            if (iana.isEmpty())
                return std::nullopt;
            zone.qt = QTimeZone(iana);
        }
        if (!id.isEmpty() && zone.ical == nullptr && !zone.qt.isValid())
            return std::nullopt;
        t.zone = zone.ical;
        return std::pair{t, zone};
    }

    // The repeat code of a rule the program's periods might hold; the expansion
    // decides. Nothing for a rule that bounds, skips or adds occurrences.
    static std::optional<int> codeOf(const icalrecurrencetype &r) {
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
            if ((used(r.by_day) && r.by_day[1] != ICAL_RECURRENCE_ARRAY_MAX) ||
                used(r.by_month_day) || used(r.by_month) || used(r.by_set_pos))
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
    // also as hour 24 of the day before (the editor's form), and a month's
    // last day also as the days past it that the date test reads as it.
    static QList<std::pair<QString, QString>> slotTexts(const Moment &first, int code) {
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

    // The date text of the slot's first firing at or after now.
    QString caughtUp(const QString &dateText, const QString &timeText, int code) const {
        const std::optional<Moment> first = firing(dateText, timeText);
        if (!first || !first->before(m_now))
            return dateText;
        const QDate today = m_now.date();
        qint64 periods;
        if (code <= kLastDayCode)
            periods = first->day.daysTo(today) / code;
        else {
            const qint64 months =
                (today.year() - first->day.year()) * 12 + today.month() - first->day.month();
            periods = code == kYearCode ? months / 12 : months / (code - kLastDayCode);
        }
        QString text = jumped(dateText, code, periods - 1);
        try {
            for (int i = 0; i < 8; ++i) {
                const std::optional<Moment> m = firing(text, timeText);
                if (!m || !m->before(m_now))
                    break;
                text = advanceDate(text, code);
            }
        } catch (const ChangeDateError &) {
        }
        return text;
    }

    // The slot an event names in X-KELVADRIN-SLOT, when its start and rule
    // are still exactly what the program writes for that slot.
    static std::optional<AppointmentRecord>
    writtenSlot(icalcomponent *c, const icaltimetype &dtstart, const Zone &zone) {
        const std::optional<QString> value = xValue(c, kSlotProperty);
        if (!value || !zone.floating())
            return std::nullopt;
        const QStringList parts = value->split(QLatin1Char(';'));
        bool ok = false;
        const int code = parts.size() == 3 ? parts[2].toInt(&ok) : -1;
        if (!ok || code < 0 || code > 41 || (code && !recurring(code)) ||
            !AppointmentFile::isDateText(parts[0]) ||
            (!parts[1].isEmpty() && !AppointmentFile::isTimeText(parts[1])))
            return std::nullopt;
        const std::optional<Timing> timing = timingOf(parts[0], parts[1], code);
        if (!timing || icaltime_compare(icalTime(timing->program.first()), dtstart) != 0 ||
            bool(icalTime(timing->program.first()).is_date) != bool(dtstart.is_date))
            return std::nullopt;
        const int rules = icalcomponent_count_properties(c, ICAL_RRULE_PROPERTY);
        if (rules != (code ? 1 : 0))
            return std::nullopt;
        if (code) {
            const icalrecurrencetype written =
                icalrecurrencetype_from_string(timing->rule.toLatin1());
            const icalrecurrencetype held =
                icalproperty_get_rrule(icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY));
            char *a = icalrecurrencetype_as_string_r(const_cast<icalrecurrencetype *>(&written));
            char *b = icalrecurrencetype_as_string_r(const_cast<icalrecurrencetype *>(&held));
            const bool same = a && b && qstrcmp(a, b) == 0;
            icalmemory_free_buffer(a);
            icalmemory_free_buffer(b);
            if (!same)
                return std::nullopt;
        }
        AppointmentRecord record;
        record.date = parts[0];
        record.time = parts[1];
        record.repeat = code;
        return record;
    }

    // A property that libical could not read and left out, named in its
    // X-LIC-ERROR; only those that decide when an event fires matter.
    static bool damaged(icalcomponent *c, const QList<QByteArray> &names) {
        for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
            const QByteArray text(icalproperty_get_xlicerror(p));
            for (const QByteArray &name : names)
                if (text.contains(" " + name + " "))
                    return true;
        }
        return false;
    }

    void event(icalcomponent *c, bool seriesMoved) {
        // A cancelled meeting is no reminder.
        if (icalcomponent_get_status(c) == ICAL_STATUS_CANCELLED)
            return refuse(ImportRefusal::Cancelled);
        const auto begin = start(c);
        if (!begin || damaged(c, {"DTSTART"}))
            return refuse(ImportRefusal::Unreadable);
        const auto &[dtstart, zone] = *begin;
        const QString message = itemText(c);
        if (!cp1250CanHold(message))
            return refuse(ImportRefusal::Characters);
        if (Cp1250::encode(message).size() > AppointmentFile::MessageBytes)
            return refuse(ImportRefusal::TooLong);

        bool gap = false;
        const Moment first = localMoment(dtstart, zone, &gap);
        const int rules = icalcomponent_count_properties(c, ICAL_RRULE_PROPERTY);
        if (seriesMoved || rules > 1 || damaged(c, {"RRULE", "RDATE", "EXDATE", "EXRULE"}) ||
            icalcomponent_get_first_property(c, ICAL_RDATE_PROPERTY) ||
            icalcomponent_get_first_property(c, ICAL_EXDATE_PROPERTY) ||
            icalcomponent_get_first_property(c, ICAL_EXRULE_PROPERTY))
            return refuse(ImportRefusal::Rule);

        // A time without a date falls due on the day it is read.
        const std::optional<QString> timeOnly = xValue(c, kTimeOnlyProperty);
        const bool dateless = timeOnly && AppointmentFile::isTimeText(*timeOnly);
        if (rules == 0 && first.before(m_now) && !dateless)
            return refuse(ImportRefusal::Past);
        // The free places taken: the rest is not looked at further (a rule's
        // check is the dear part of a long calendar).
        if (m_room >= 0 && m_out.events.size() >= m_room)
            return refuse(ImportRefusal::NoRoom);
        AppointmentRecord record;
        if (const std::optional<AppointmentRecord> written = writtenSlot(c, dtstart, zone)) {
            record = *written;
            if (record.repeat)
                record.date = caughtUp(record.date, record.time, record.repeat);
        } else if (rules == 0) {
            const auto texts = slotTexts(first, 0);
            record.date = texts.first().first;
            record.time = texts.first().second;
        } else {
            const icalrecurrencetype rule =
                icalproperty_get_rrule(icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY));
            const std::optional<int> code = codeOf(rule);
            if (!code)
                return refuse(ImportRefusal::Rule);
            // A plain rule from a day that every month has meets no month end:
            // a few occurrences show its period.
            const bool plain = rule.by_month_day[0] == ICAL_RECURRENCE_ARRAY_MAX &&
                               rule.by_set_pos[0] == ICAL_RECURRENCE_ARRAY_MAX &&
                               rule.rscale == nullptr && first.day.day() <= 28;
            const int count =
                plain && zone.floating() ? kDayHorizon : horizon(*code, !zone.floating());
            const QList<Moment> calendar = ruleFirings(rule, dtstart, zone, m_now, count);
            bool held = false;
            for (const auto &[date, time] : slotTexts(first, *code)) {
                const QString from = caughtUp(date, time, *code);
                if (programFirings(from, time, *code, count) == calendar &&
                    calendar.size() == count) {
                    record.date = from;
                    record.time = time;
                    record.repeat = *code;
                    held = true;
                    break;
                }
            }
            if (!held)
                return refuse(ImportRefusal::Rule);
        }
        // The two-digit year holds 2000..2099 only (a rule's occurrences
        // were compared above).
        if (record.repeat == 0 && firing(record.date, record.time) != first)
            return refuse(ImportRefusal::Unreadable);

        if (dateless) {
            record.date.clear();
            record.time = *timeOnly;
        }
        CalendarEvent e;
        record.message = message;
        record.armed =
            xValue(c, kArmedProperty).value_or(QStringLiteral("1")) != QLatin1String("0");
        e.record = record;
        e.uid = uidOf(c);
        if (const std::optional<QString> entry = xValue(c, kEntryProperty)) {
            bool ok = false;
            const int n = entry->toInt(&ok);
            if (ok && n >= 0 && n <= 99999)
                e.link = n;
        }
        if (icalproperty *contact = icalcomponent_get_first_property(c, ICAL_CONTACT_PROPERTY))
            if (const char *name = icalproperty_get_contact(contact))
                e.linkName = QString::fromUtf8(name);
        if (gap && rules == 0 && !dateless)
            m_out.shifted.append(int(m_out.events.size()));
        m_out.events.append(e);
    }

    void task(icalcomponent *c) {
        if (icalcomponent_get_status(c) == ICAL_STATUS_CANCELLED)
            return refuse(ImportRefusal::Cancelled);
        const QString text = itemText(c);
        if (text.trimmed().isEmpty())
            return refuse(ImportRefusal::Unreadable);
        if (!cp1250CanHold(text))
            return refuse(ImportRefusal::Characters);
        if (plainLines(text).size() > kTaskTextLimit)
            return refuse(ImportRefusal::TooLong);
        CalendarTask t;
        t.text = text;
        t.uid = uidOf(c);
        // The day it was added: its start, else when it was made.
        t.added = m_now.date();
        if (const auto begin = start(c)) {
            t.added = localMoment(begin->first, begin->second).day;
        } else {
            for (icalproperty_kind kind : {ICAL_CREATED_PROPERTY, ICAL_DTSTAMP_PROPERTY}) {
                icalproperty *p = icalcomponent_get_first_property(c, kind);
                if (p == nullptr)
                    continue;
                const icaltimetype made = icalproperty_get_datetime_with_component(p, c);
                if (!icaltime_is_null_time(made) && icaltime_is_valid_time(made)) {
                    Zone zone;
                    zone.ical = made.zone;
                    t.added = localMoment(made, zone).day;
                    break;
                }
            }
        }
        // A day a calendar file cannot carry (a year beyond 9999) is no day
        // it was added.
        if (!t.added.isValid() || t.added.year() < 1 || t.added.year() > 9999)
            t.added = m_now.date();
        m_out.tasks.append(t);
    }

    icalcomponent *m_calendar;
    QDateTime m_now;
    int m_room;
    Icalendar::Contents &m_out;
};

QString notCalendar() {
    return QStringLiteral("Plik nie jest poprawnym plikiem iCalendar.");
}

} // namespace

QByteArray Icalendar::write(const QList<CalendarEvent> &events, const QList<CalendarTask> &tasks,
                            const QDateTime &now) {
    icalerror_set_errors_are_fatal(0);
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(),
                               icalproperty_new_prodid("-//Kelvadrin//Kelvadrin//PL"));
    const QDateTime utc = now.toUTC();
    const icaltimetype stamp =
        icaltime_from_timet_with_zone(utc.toSecsSinceEpoch(), 0, icaltimezone_get_utc_timezone());
    for (const CalendarEvent &e : events)
        if (icalcomponent *c = eventComponent(e, now, stamp))
            icalcomponent_add_component(calendar.get(), c);
    for (const CalendarTask &t : tasks)
        icalcomponent_add_component(calendar.get(), taskComponent(t, stamp));
    char *text = icalcomponent_as_ical_string_r(calendar.get());
    QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

std::optional<Icalendar::Contents> Icalendar::read(QByteArrayView bytes, const QDateTime &now,
                                                   QString *error, int room) {
    icalerror_set_errors_are_fatal(0);
    if (!looksLikeCalendar(bytes)) {
        if (error)
            *error = notCalendar();
        return std::nullopt;
    }
    // libical reads up to the first zero byte.
    QByteArray text = bytes.toByteArray();
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    Component root(icalparser_parse_string(text.constData()));
    icalerror_clear_errno();
    QList<icalcomponent *> calendars;
    if (root && icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.append(root.get());
    } else if (root && icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        for (icalcomponent *c =
                 icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             c; c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            calendars.append(c);
    }
    if (calendars.isEmpty()) {
        if (error)
            *error = notCalendar();
        return std::nullopt;
    }
    Contents contents;
    for (icalcomponent *calendar : calendars)
        Reader(calendar, now, room, contents).readAll();
    return contents;
}

namespace {
// The one VEVENT or VTODO of a calendar; null when there is not exactly one.
icalcomponent *onlyItem(icalcomponent *calendar) {
    if (!calendar || icalcomponent_isa(calendar) != ICAL_VCALENDAR_COMPONENT)
        return nullptr;
    icalcomponent *item = nullptr;
    int count = 0;
    for (icalcomponent_kind kind : {ICAL_VEVENT_COMPONENT, ICAL_VTODO_COMPONENT})
        for (icalcomponent *c = icalcomponent_get_first_component(calendar, kind); c;
             c = icalcomponent_get_next_component(calendar, kind), ++count)
            item = c;
    return count == 1 ? item : nullptr;
}

bool isOurX(icalproperty *p, const QList<QByteArray> &names) {
    const char *name = icalproperty_get_x_name(p);
    return name && names.contains(QByteArray(name).toUpper());
}

// Replaces the properties of the kinds (and our X- properties of the names)
// in `to` with those of `from`.
void replaceProperties(icalcomponent *to, icalcomponent *from,
                       const QList<icalproperty_kind> &kinds, const QList<QByteArray> &xNames) {
    const auto ours = [&](icalproperty *p) {
        const icalproperty_kind k = icalproperty_isa(p);
        return kinds.contains(k) || (k == ICAL_X_PROPERTY && isOurX(p, xNames));
    };
    QList<icalproperty *> gone;
    for (icalproperty *p = icalcomponent_get_first_property(to, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(to, ICAL_ANY_PROPERTY))
        if (ours(p))
            gone << p;
    for (icalproperty *p : gone) {
        icalcomponent_remove_property(to, p);
        icalproperty_free(p);
    }
    for (icalproperty *p = icalcomponent_get_first_property(from, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(from, ICAL_ANY_PROPERTY))
        if (ours(p))
            icalcomponent_add_property(to, icalproperty_new_clone(p));
}
} // namespace

namespace {
// The copy with the properties of what changed replaced by ours (with `all`,
// every property this program writes); empty when either is not one item.
QByteArray laidOver(QByteArrayView serverCopy, QByteArrayView ours, const Icalendar::Contents &was,
                    const Icalendar::Contents &now, bool all) {
    Component copy(icalparser_parse_string(serverCopy.toByteArray().constData()));
    Component mine(icalparser_parse_string(ours.toByteArray().constData()));
    icalcomponent *o = onlyItem(copy.get());
    icalcomponent *m = onlyItem(mine.get());
    if (!o || !m || icalcomponent_isa(o) != icalcomponent_isa(m) ||
        was.events.size() != now.events.size() || was.tasks.size() != now.tasks.size())
        return {};
    const bool event = icalcomponent_isa(o) == ICAL_VEVENT_COMPONENT;
    const bool textChanged =
        all || (event ? was.events[0].record.message != now.events[0].record.message
                      : was.tasks[0].text != now.tasks[0].text);
    if (textChanged)
        replaceProperties(o, m, {ICAL_SUMMARY_PROPERTY, ICAL_DESCRIPTION_PROPERTY}, {});
    replaceProperties(o, m, {ICAL_DTSTAMP_PROPERTY}, {});
    bool moved = false;
    if (event) {
        const AppointmentRecord &a = was.events[0].record;
        const AppointmentRecord &b = now.events[0].record;
        moved = all || a.date != b.date || a.time != b.time || a.repeat != b.repeat;
        if (moved) {
            // An end keeps its distance from the start, when both are of one kind.
            const icaltimetype from = icalcomponent_get_dtstart(o);
            const icaltimetype to = icalcomponent_get_dtstart(m);
            if (icalproperty *end = icalcomponent_get_first_property(o, ICAL_DTEND_PROPERTY)) {
                const icaltimetype until = icalproperty_get_dtend(end);
                icalcomponent_remove_property(o, end);
                icalproperty_free(end);
                if (from.is_date == to.is_date && from.is_date == until.is_date &&
                    !icaltime_is_null_time(from) && !icaltime_is_null_time(until))
                    icalcomponent_add_property(o, icalproperty_new_dtend(icaltime_add(
                                                      to, icaltime_subtract(until, from))));
            }
            replaceProperties(o, m, {ICAL_DTSTART_PROPERTY, ICAL_RRULE_PROPERTY},
                              {"X-KELVADRIN-TIME-ONLY", "X-KELVADRIN-NOTE"});
        }
        if (all || a.armed != b.armed)
            replaceProperties(o, m, {}, {"X-KELVADRIN-ARMED"});
        // A copy without an alarm gets the reminder's.
        if (!icalcomponent_get_first_component(o, ICAL_VALARM_COMPONENT))
            for (icalcomponent *alarm = icalcomponent_get_first_component(m, ICAL_VALARM_COMPONENT);
                 alarm; alarm = icalcomponent_get_next_component(m, ICAL_VALARM_COMPONENT))
                icalcomponent_add_component(o, icalcomponent_new_clone(alarm));
    } else if (all || was.tasks[0].added != now.tasks[0].added) {
        replaceProperties(o, m, {ICAL_DTSTART_PROPERTY}, {});
    }
    if (moved || textChanged)
        if (icalproperty *seq = icalcomponent_get_first_property(o, ICAL_SEQUENCE_PROPERTY))
            icalproperty_set_sequence(seq, icalproperty_get_sequence(seq) + 1);
    char *text = icalcomponent_as_ical_string_r(copy.get());
    QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

bool sameItems(const Icalendar::Contents &a, const Icalendar::Contents &b) {
    if (a.events.size() != b.events.size() || a.tasks.size() != b.tasks.size() ||
        a.refused != b.refused)
        return false;
    for (qsizetype i = 0; i < a.events.size(); ++i)
        if (a.events[i].record != b.events[i].record)
            return false;
    for (qsizetype i = 0; i < a.tasks.size(); ++i)
        if (a.tasks[i].text != b.tasks[i].text || a.tasks[i].added != b.tasks[i].added)
            return false;
    return true;
}
} // namespace

QByteArray Icalendar::merge(QByteArrayView serverCopy, QByteArrayView ours) {
    icalerror_set_errors_are_fatal(0);
    const auto was = read(serverCopy, QDateTime());
    const auto now = read(ours, QDateTime());
    if (!was || !now)
        return ours.toByteArray();
    // What the copy says of itself in other ways (a day taken from when it
    // was made, a start of its own) must not change what is read back: when
    // it would, every property this program writes is replaced, and when it
    // still would, ours goes as it is.
    for (const bool all : {false, true}) {
        const QByteArray merged = laidOver(serverCopy, ours, *was, *now, all);
        const auto back = merged.isEmpty() ? std::nullopt : read(merged, QDateTime());
        if (back && sameItems(*back, *now))
            return merged;
    }
    return ours.toByteArray();
}

} // namespace kv
