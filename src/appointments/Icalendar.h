#pragma once
// Appointments and tasks as iCalendar (RFC 5545), written and read with
// libical. An appointment slot is a VEVENT in floating local time (a slot
// with a date only is an all-day event), its period an RRULE, its moment a
// VALARM; a task is a VTODO. This mapping is also what travels to a CalDAV
// server. The program reaches it through the iCalendar module; the writer,
// the reader, the merge and the rules they share each have a file.

#include "AppointmentFile.h"
#include "interchange/FileKind.h"
#include "interchange/ImportReport.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace kv {

struct CalendarEvent {
    // armed, date MM/DD/YY, time HH:MM, message (CR LF), repeat code 0..41
    AppointmentRecord record;
    QString uid;             // stable per slot
    std::optional<int> link; // the linked address entry
    QString linkName;        // that entry's name, for other calendars
    bool operator==(const CalendarEvent &) const = default;
};

struct CalendarTask {
    QString text; // line breaks as CR LF
    QDate added;
    QString uid;
    bool operator==(const CalendarTask &) const = default;
};

class Icalendar {
public:
    // One VCALENDAR: a VEVENT for each event, a VTODO for each task. An event
    // with neither date nor time never fires and is left out. `now` (local
    // wall-clock time) gives a slot with a time only its day: the date test
    // reads such a time as one of the current day, so it fires today.
    static QByteArray write(const QList<CalendarEvent> &events, const QList<CalendarTask> &tasks,
                            const QDateTime &now = QDateTime::currentDateTime());

    struct Contents {
        QList<CalendarEvent> events; // in file order, each one the program can hold exactly
        QList<CalendarTask> tasks;
        RefusalCounts refused; // the items left out, by reason
        // The events (indexes into `events`) whose time falls in the hour the
        // clocks skip in spring, read an hour later (02:30 as 03:30).
        QList<int> shifted;
    };
    // Reads a whole calendar. `now` is local wall-clock time: a one-time
    // event before it is counted as Past. Times with a TZID are converted to
    // local wall-clock time. A failure when the bytes are not a readable
    // calendar. A recurring event comes with the
    // date of its first occurrence at or after `now`. With `room` of zero or
    // more, events beyond that many are counted as NoRoom without their
    // rules being checked.
    static Result<Contents> read(QByteArrayView bytes, const QDateTime &now, int room = -1);
    // An item as this program would write it (`ours`: one VEVENT or VTODO),
    // laid over the copy another calendar holds of it: what changed here
    // replaces that copy's properties for it (the text, the moment and rule,
    // the armed state, the day a task was added; an end moves with the start),
    // and everything else of the copy stays as it was. `ours` as it is when
    // the copy is not one item this program reads.
    static QByteArray merge(QByteArrayView serverCopy, QByteArrayView ours);

    // Whether the bytes begin as a calendar does (the content check of an import).
    static bool looksLikeCalendar(QByteArrayView bytes) {
        return fileKindOf(bytes) == FileKind::Calendar;
    }
};

} // namespace kv
