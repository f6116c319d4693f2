// A calendar read into the slots and the task list can hold: each event
// and to-do the program can hold exactly, the rest counted by reason.
#include "Icalendar.h"
#include "IcalendarRules.h"
#include "interchange/PropertyNames.h"

#include "AppointmentFile.h"
#include "platform/Cp1250.h"
#include "tasks/TaskStore.h"

#include <QSet>

namespace kv {

namespace {

using namespace ical;

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
    void refuse(ImportRefusal reason) { ++m_out.refused[reason]; }

    // The slot an event names in X-KELVADRIN-SLOT, when its start and rule
    // are still exactly what the program writes for that slot.
    static std::optional<AppointmentRecord>
    writtenSlot(icalcomponent *c, const icaltimetype &dtstart, const Zone &zone) {
        const std::optional<QString> value = xValue(c, property::Slot);
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

    void event(icalcomponent *c, bool seriesMoved) {
        // A cancelled meeting is no reminder.
        if (icalcomponent_get_status(c) == ICAL_STATUS_CANCELLED)
            return refuse(ImportRefusal::Cancelled);
        const auto begin = startOf(c);
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
        const std::optional<QString> timeOnly = xValue(c, property::TimeOnly);
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
                record.date = caughtUp(record.date, record.time, record.repeat, m_now);
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
                const QString from = caughtUp(date, time, *code, m_now);
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
            xValue(c, property::Armed).value_or(QStringLiteral("1")) != QLatin1String("0");
        e.record = record;
        e.uid = uidOf(c);
        if (const std::optional<QString> entry = xValue(c, property::Entry)) {
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
        if (plainLines(text).size() > TaskStore::TextLimit)
            return refuse(ImportRefusal::TooLong);
        CalendarTask t;
        t.text = text;
        t.uid = uidOf(c);
        // The day it was added: its start, else when it was made.
        t.added = m_now.date();
        if (const auto begin = startOf(c)) {
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

Result<Icalendar::Contents> Icalendar::read(QByteArrayView bytes, const QDateTime &now, int room) {
    icalerror_set_errors_are_fatal(0);
    if (!looksLikeCalendar(bytes)) {
        return Failure{notCalendar()};
    }
    ical::Component root;
    const QList<icalcomponent *> calendars = ical::calendarsOf(bytes, root);
    if (calendars.isEmpty()) {
        return Failure{notCalendar()};
    }
    Contents contents;
    for (icalcomponent *calendar : calendars)
        Reader(calendar, now, room, contents).readAll();
    return contents;
}

} // namespace kv
