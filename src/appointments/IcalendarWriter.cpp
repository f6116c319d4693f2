// Appointments and tasks written as one VCALENDAR.
#include "Icalendar.h"
#include "IcalendarRules.h"
#include "interchange/PropertyNames.h"

#include "platform/DateText.h"

#include <QUuid>

namespace kv {

namespace {

using namespace ical;

QString uidOr(const QString &uid) {
    return uid.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : uid;
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
            addX(c, property::Note, noteOf(timing->program));
    }
    addText(c, r.message);
    if (e.link) {
        if (!e.linkName.isEmpty())
            icalcomponent_add_property(c,
                                       icalproperty_new_contact(e.linkName.toUtf8().constData()));
        addX(c, property::Entry, QString::number(*e.link));
    }
    addX(c, property::Armed, r.armed ? QStringLiteral("1") : QStringLiteral("0"));
    if (r.date.isEmpty())
        addX(c, property::TimeOnly, r.time);
    else
        addX(c, property::Slot,
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

} // namespace

QByteArray Icalendar::write(const QList<CalendarEvent> &events, const QList<CalendarTask> &tasks,
                            const QDateTime &now) {
    icalerror_set_errors_are_fatal(0);
    ical::Component calendar(icalcomponent_new_vcalendar());
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
    return ical::asText(calendar.get());
}

} // namespace kv
