#include "DateText.h"

namespace kv {

QString monthNominative(int month) {
    static const char *const names[] = {"styczeń",  "luty",        "marzec",   "kwiecień",
                                        "maj",      "czerwiec",    "lipiec",   "sierpień",
                                        "wrzesień", "październik", "listopad", "grudzień"};
    if (month < 1 || month > 12)
        return twoDigits(month);
    return QString::fromUtf8(names[month - 1]);
}

QString monthGenitive(int month) {
    static const char *const names[] = {"stycznia", "lutego",       "marca",     "kwietnia",
                                        "maja",     "czerwca",      "lipca",     "sierpnia",
                                        "września", "października", "listopada", "grudnia"};
    if (month < 1 || month > 12)
        return {};
    return QString::fromUtf8(names[month - 1]);
}

QString dateInWords(const QString &storedDateText) {
    const QString monthDigits = storedDateText.mid(0, 2);
    QString day = storedDateText.mid(3, 2);
    if (day.startsWith(QLatin1Char('0')))
        day.remove(0, 1);
    bool ok = false;
    QString month = monthGenitive(monthDigits.toInt(&ok));
    if (!ok || month.isEmpty())
        month = monthDigits;
    return QStringLiteral(" %1 %2 20%3").arg(day, month, storedDateText.mid(6, 2));
}

QString foldCase(const QString &text) {
    QString folded = text;
    for (QChar &c : folded)
        c = c.toLower();
    return folded;
}

} // namespace kv
