// An item as the program writes it laid over another calendar's copy.
#include "Icalendar.h"

#include "interchange/Ical.h"
#include "interchange/PropertyNames.h"

namespace kv {

namespace {

using namespace ical;

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
                              {property::TimeOnly, property::Note, property::Slot});
        }
        if (all || a.armed != b.armed)
            replaceProperties(o, m, {}, {property::Armed});
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
    return asText(copy.get());
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
        if (merged.isEmpty())
            continue;
        const auto back = read(merged, QDateTime());
        if (back && sameItems(*back, *now))
            return merged;
    }
    return ours.toByteArray();
}

} // namespace kv
