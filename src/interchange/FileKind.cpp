#include "FileKind.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringDecoder>
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

// vCard files come from phones as UTF-16 too.
QByteArray asUtf8(QByteArrayView bytes) {
    const bool le = bytes.startsWith("\xFF\xFE");
    if (le || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return QString(decoder.decode(bytes.sliced(2))).toUtf8();
    }
    return withoutBom(bytes).toByteArray();
}

bool isVcard(QByteArrayView bytes) {
    const QByteArray text = asUtf8(bytes.first(std::min<qsizetype>(bytes.size(), 4096)));
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
