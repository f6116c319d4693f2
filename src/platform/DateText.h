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
// The month's name in the nominative ("styczeń" .. "grudzień"); a month
// outside 1..12 as its two digits.
QString monthNominative(int month);

// A stored date (MM/DD/YY) in words: " 5 marca 2004" - a blank, the day
// without its leading zero, the genitive month name (a month outside 1..12
// as its two digits) and "20" with the year's two digits. Only the digit
// positions are read, never the separators.
QString dateInWords(const QString &storedDateText);

// Letters folded for comparisons that ignore case: A-Z and the Polish
// letters (Ą/ą, Ć/ć, Ę/ę, Ł/ł, Ń/ń, Ó/ó, Ś/ś, Ź/ź, Ż/ż) compare equal. Each
// character stays one character, so positions in the folded text are those
// of the original.
QString foldCase(const QString &text);

} // namespace kv
