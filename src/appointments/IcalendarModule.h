#pragma once
// The iCalendar module (kelvadrin-icalendar.so): libical comes with it, so
// the program loads libical at the first calendar file and not at every start.
#include "Icalendar.h"
#include "platform/Module.h"

namespace kv {

struct IcalendarModule {
    ModuleHeader header;
    QByteArray (*write)(const QList<CalendarEvent> &, const QList<CalendarTask> &,
                        const QDateTime &);
    Result<Icalendar::Contents> (*read)(QByteArrayView, const QDateTime &, int);
    QByteArray (*merge)(QByteArrayView, QByteArrayView);

    static constexpr char File[] = "kelvadrin-icalendar.so";
    static constexpr char Interface[] = "pl.kelvadrin.icalendar";
    static constexpr int Version = 2;
    static constexpr char Missing[] = "Nie można wczytać modułu iCalendar programu.";
};

} // namespace kv
