// Icalendar for the program itself: each call goes to the iCalendar module,
// loaded at the first one.
#include "Icalendar.h"
#include "platform/SystemPlatform.h"

#include <dlfcn.h>

extern "C" {
QByteArray kelvadrin_icalendar_write(const QList<kv::CalendarEvent> &,
                                     const QList<kv::CalendarTask> &, const QDateTime &);
std::optional<kv::Icalendar::Contents> kelvadrin_icalendar_read(QByteArrayView, const QDateTime &,
                                                                QString *, int);
QByteArray kelvadrin_icalendar_merge(QByteArrayView, QByteArrayView);
}

namespace kv {

namespace {
struct Module {
    decltype(&kelvadrin_icalendar_write) write = nullptr;
    decltype(&kelvadrin_icalendar_read) read = nullptr;
    decltype(&kelvadrin_icalendar_merge) merge = nullptr;
};

const Module &module() {
    static const Module loaded = [] {
        Module m;
        if (void *handle = openPrivateModule("kelvadrin-icalendar.so")) {
            m.write =
                reinterpret_cast<decltype(m.write)>(dlsym(handle, "kelvadrin_icalendar_write"));
            m.read = reinterpret_cast<decltype(m.read)>(dlsym(handle, "kelvadrin_icalendar_read"));
            m.merge =
                reinterpret_cast<decltype(m.merge)>(dlsym(handle, "kelvadrin_icalendar_merge"));
        }
        return m;
    }();
    return loaded;
}
} // namespace

QByteArray Icalendar::write(const QList<CalendarEvent> &events, const QList<CalendarTask> &tasks,
                            const QDateTime &now) {
    return module().write ? module().write(events, tasks, now) : QByteArray();
}

std::optional<Icalendar::Contents> Icalendar::read(QByteArrayView bytes, const QDateTime &now,
                                                   QString *error, int room) {
    if (module().read)
        return module().read(bytes, now, error, room);
    if (error)
        *error = QStringLiteral("Nie można wczytać modułu iCalendar programu.");
    return std::nullopt;
}

QByteArray Icalendar::merge(QByteArrayView serverCopy, QByteArrayView ours) {
    return module().merge ? module().merge(serverCopy, ours) : ours.toByteArray();
}

} // namespace kv
