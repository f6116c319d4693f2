// Fuzz target: the iCalendar reader (libical underneath). Any input is either
// refused with a sentence or read; what is read writes back to a calendar
// that reads again to the same appointments and tasks.

#include "FuzzFiles.h"
#include "appointments/Icalendar.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using kv::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using kv::Icalendar;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QDateTime now(QDate(2026, 1, 10), QTime(12, 0));
    (void)Icalendar::looksLikeCalendar(bytes);
    const auto first = Icalendar::read(bytes, now);
    const QString error = first.failure();
    if (!first) {
        require(!error.isEmpty());
        return 0;
    }
    const auto again = Icalendar::read(Icalendar::write(first->events, first->tasks, now), now);
    require(again && again->events.size() == first->events.size() &&
            again->tasks.size() == first->tasks.size() && again->refused.empty());
    for (qsizetype i = 0; i < first->events.size(); ++i)
        require(again->events[i].record == first->events[i].record &&
                again->events[i].link == first->events[i].link);
    for (qsizetype i = 0; i < first->tasks.size(); ++i)
        require(again->tasks[i].text == first->tasks[i].text &&
                again->tasks[i].added == first->tasks[i].added);
    return 0;
}
