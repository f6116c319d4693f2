#include "FileKind.h"
#include "ContentLines.h"

#include <QByteArray>
#include <QChar>
#include <algorithm>

namespace kv {

namespace {

QByteArrayView withoutBom(QByteArrayView bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

bool isCalendar(QByteArrayView bytes) {
    bytes = withoutBom(bytes);
    qsizetype at = 0;
    while (at < bytes.size() && QChar::isSpace(uchar(bytes[at])))
        ++at;
    const QByteArrayView head = bytes.sliced(at).first(std::min<qsizetype>(15, bytes.size() - at));
    return head.compare("BEGIN:VCALENDAR", Qt::CaseInsensitive) == 0;
}

bool isVcard(QByteArrayView bytes) {
    // As the vCard reader takes it: UTF-16 from phones too.
    const QByteArray text = vcard::withoutBom(bytes.first(std::min<qsizetype>(bytes.size(), 4096)));
    const QByteArrayView head(text);
    qsizetype at = 0;
    while (at < head.size() && QByteArrayView(" \t\r\n").contains(head[at]))
        ++at;
    const QByteArrayView rest = head.sliced(at);
    if (rest.size() < 11 || rest.first(11).compare("BEGIN:VCARD", Qt::CaseInsensitive) != 0)
        return false;
    return rest.size() == 11 || QByteArrayView(" \t\r\n").contains(rest[11]);
}

} // namespace

FileKind fileKindOf(QByteArrayView head) {
    if (isCalendar(head))
        return FileKind::Calendar;
    if (isVcard(head))
        return FileKind::Vcard;
    return FileKind::Other;
}

} // namespace kv
