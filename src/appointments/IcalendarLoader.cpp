// Icalendar for the program itself: each call goes to the iCalendar module,
// loaded at the first one.
#include "IcalendarModule.h"

namespace kv {

QByteArray Icalendar::write(const QList<CalendarEvent> &events, const QList<CalendarTask> &tasks,
                            const QDateTime &now) {
    const IcalendarModule *module = loadModule<IcalendarModule>();
    return module ? module->write(events, tasks, now) : QByteArray();
}

Result<Icalendar::Contents> Icalendar::read(QByteArrayView bytes, const QDateTime &now, int room) {
    QString failure;
    if (const IcalendarModule *module = loadModule<IcalendarModule>(&failure))
        return module->read(bytes, now, room);
    return Failure{failure};
}

QByteArray Icalendar::merge(QByteArrayView serverCopy, QByteArrayView ours) {
    const IcalendarModule *module = loadModule<IcalendarModule>();
    return module ? module->merge(serverCopy, ours) : ours.toByteArray();
}

} // namespace kv
