// The iCalendar module (kelvadrin-icalendar.so): libical comes with it, so the
// program loads libical at the first calendar file and not at every start.
#include "Icalendar.h"

#define KV_EXPORT extern "C" __attribute__((visibility("default")))

KV_EXPORT QByteArray kelvadrin_icalendar_write(const QList<kv::CalendarEvent> &events,
                                               const QList<kv::CalendarTask> &tasks,
                                               const QDateTime &now) {
    return kv::Icalendar::write(events, tasks, now);
}

KV_EXPORT std::optional<kv::Icalendar::Contents>
kelvadrin_icalendar_read(QByteArrayView bytes, const QDateTime &now, QString *error, int room) {
    return kv::Icalendar::read(bytes, now, error, room);
}

KV_EXPORT QByteArray kelvadrin_icalendar_merge(QByteArrayView serverCopy, QByteArrayView ours) {
    return kv::Icalendar::merge(serverCopy, ours);
}
