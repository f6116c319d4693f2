// What needs no libical: the content check of a calendar file.
#include "Icalendar.h"

namespace kv {

bool Icalendar::looksLikeCalendar(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    qsizetype at = 0;
    while (at < bytes.size() && QChar::isSpace(uchar(bytes[at])))
        ++at;
    const QByteArrayView head = bytes.sliced(at).first(std::min<qsizetype>(15, bytes.size() - at));
    return head.compare("BEGIN:VCALENDAR", Qt::CaseInsensitive) == 0;
}

} // namespace kv
