#include "ImportReport.h"

namespace kv {

QString refusalText(ImportRefusal reason) {
    switch (reason) {
    case ImportRefusal::Past:
        return QStringLiteral("jednorazowy termin już minął");
    case ImportRefusal::Rule:
        return QStringLiteral("okresu powtarzania nie da się wyrazić w programie");
    case ImportRefusal::TooLong:
        return QStringLiteral("tekst jest dłuższy niż pole programu");
    case ImportRefusal::Characters:
        return QStringLiteral("tekst zawiera znaki, których program nie zapisze");
    case ImportRefusal::NoRoom:
        return QStringLiteral("brak wolnych miejsc");
    case ImportRefusal::Unreadable:
        return QStringLiteral("niepełny opis pozycji");
    }
    return {};
}

} // namespace kv
