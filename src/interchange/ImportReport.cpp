#include "ImportReport.h"

#include <QStringList>

namespace kv {

QString refusalText(ImportRefusal reason) {
    switch (reason) {
    case ImportRefusal::Past:
        return QStringLiteral("termin już minął");
    case ImportRefusal::Rule:
        return QStringLiteral("nieobsługiwany okres powtarzania");
    case ImportRefusal::TooLong:
        return QStringLiteral("za długi tekst");
    case ImportRefusal::Characters:
        return QStringLiteral("znaki nieobsługiwane przez program");
    case ImportRefusal::NoRoom:
        return QStringLiteral("brak wolnych miejsc");
    case ImportRefusal::Unreadable:
        return QStringLiteral("niepełny opis");
    case ImportRefusal::Cancelled:
        return QStringLiteral("termin odwołany");
    case ImportRefusal::MoreValues:
        return QStringLiteral("więcej danych, niż mieści wpis");
    }
    return {};
}

QString refusalSummary(const RefusalCounts &refused) {
    int total = 0;
    QStringList parts;
    for (const auto &[reason, n] : refused) {
        if (n <= 0)
            continue;
        total += n;
        parts << QStringLiteral("%1 – %2").arg(refusalText(reason)).arg(n);
    }
    if (total == 0)
        return {};
    return QStringLiteral("\nPominięte – %1: %2.").arg(total).arg(parts.join(QStringLiteral("; ")));
}

} // namespace kv
