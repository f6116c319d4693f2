#pragma once
// iCalendar (RFC 5545) as libical reads and writes it, in the pieces a
// mapping of the program's items is built from: components that free
// themselves, start times and their zones, a rule's occurrences in local
// wall-clock time, the texts of an item.
// Nothing here knows a store or a widget.

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>
#include <QTimeZone>
#include <libical/ical.h>

#include <memory>
#include <optional>
#include <utility>

namespace kv::ical {

struct ComponentFree {
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

struct IteratorFree {
    void operator()(icalrecur_iterator *i) const { icalrecur_iterator_free(i); }
};
using Iterator = std::unique_ptr<icalrecur_iterator, IteratorFree>;

// One firing: a day, and a time of day unless the item is all-day.
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

// ---- Times

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
QDateTime wallClock(QDate day, QTime time, const QTimeZone &zone, bool *gap);
// A time of the file in local wall-clock time, to the minute.
Moment localMoment(const icaltimetype &t, const Zone &zone, bool *gap = nullptr);
// The rule's occurrences from `start`, in local wall-clock time: those before
// `now` are passed over, then up to `count` are taken.
QList<Moment> ruleFirings(const icalrecurrencetype &rule, const icaltimetype &start,
                          const Zone &zone, const QDateTime &now, int count);
// The start of an item and its zone; nothing when there is none or its zone
// is unknown.
std::optional<std::pair<icaltimetype, Zone>> startOf(icalcomponent *c);
// A day, or a day and a time, as a floating start.
icaltimetype icalTime(const Moment &m);

// ---- Texts

// A text without the control characters a calendar cannot carry (all but the
// tab and the line breaks).
QString withoutControls(const QString &text);
// Line breaks as LF, and as CR LF; no other control characters.
QString plainLines(const QString &text);
QString storedLines(const QString &text);
// The first line that holds more than blanks, trimmed.
QString firstLine(const QString &text);
// The text of an item from its SUMMARY and DESCRIPTION: the description alone
// when it begins with the summary (as written here), else both. CR LF breaks.
QString itemText(icalcomponent *c);
// A SUMMARY (the first line, up to 60 characters) and a DESCRIPTION.
QString summaryOf(const QString &text);
void addText(icalcomponent *c, const QString &text);
void addX(icalcomponent *c, const char *name, const QString &value);
std::optional<QString> xValue(icalcomponent *c, const char *name);
QString uidOf(icalcomponent *c);
// Whether libical left out one of the properties named (as its X-LIC-ERROR
// says): a property it could not read.
bool damaged(icalcomponent *c, const QList<QByteArray> &names);

// ---- Whole calendars

// The calendars of a file: one, or each of an XROOT. Empty when the bytes are
// not iCalendar; `root` then holds what libical made of them.
QList<icalcomponent *> calendarsOf(QByteArrayView bytes, Component &root);
QByteArray asText(icalcomponent *calendar);
// The one VEVENT or VTODO of a calendar; null when there is not exactly one.
icalcomponent *onlyItem(icalcomponent *calendar);
// Replaces the properties of the kinds (and the X- properties of the names)
// in `to` with those of `from`.
void replaceProperties(icalcomponent *to, icalcomponent *from,
                       const QList<icalproperty_kind> &kinds, const QList<QByteArray> &xNames);

} // namespace kv::ical
