#pragma once
// The date and number texts the stores and windows share.

#include <QDate>
#include <QString>

namespace kv {

// A number as two digits with a leading zero ("07").
inline QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The stored form of a date: MM/DD/YY, the year meaning 20YY.
inline QString storedDate(const QDate &date) {
    return date.toString(QStringLiteral("MM/dd/yy"));
}

// The month's name in the genitive ("stycznia" .. "grudnia"); empty outside 1..12.
QString monthGenitive(int month);

} // namespace kv
