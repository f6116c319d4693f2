#pragma once
// The program's repeat periods beside iCalendar's rules: when a slot fires
// by the program's own arithmetic, which RRULE gives exactly those days, and
// which repeat code a calendar's rule might be. Shared by the writer, the
// reader and the merge of appointments as iCalendar.

#include "interchange/Ical.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace kv::ical {

inline constexpr int kLastDayCode = 29;
inline constexpr int kLastMonthCode = 40;
inline constexpr int kYearCode = 41;
// Occurrences compared: a whole four-year leap cycle of every month period,
// two of the yearly one; a year of day periods where a time zone's rules
// could move the local time.
inline constexpr int kMonthHorizon = 49;
inline constexpr int kYearHorizon = 9;
inline constexpr int kDayHorizon = 9;
inline constexpr int kZonedDays = 370;

// When a slot with this date and time text fires (hour 24 is the midnight
// that ends the day); nothing for a text the date test does not take.
std::optional<Moment> firing(const QString &dateText, const QString &timeText);
bool recurring(int code);
// The program's next `count` firings of a slot from its stored date on; fewer
// when the two-digit year would run past 2099.
QList<Moment> programFirings(QString dateText, const QString &timeText, int code, int count);
// How many occurrences of a period are compared with a rule's.
int horizon(int code, bool zoned);
bool cp1250CanHold(const QString &text);

// How a dated slot is written: its firings as the program counts them (the
// first is DTSTART), and the rule of a repeating one, exact or the nearest.
struct Timing {
    QList<Moment> program;
    QString rule; // empty for a one-time slot
    bool exact = true;
};
std::optional<Timing> timingOf(const QString &dateText, const QString &timeText, int code);
// The X-KELVADRIN-NOTE of a rule that is not exact: the days the program fires on.
QString noteOf(const QList<Moment> &firings);

// The repeat code of a rule the program's periods might hold; the expansion
// decides. Nothing for a rule that bounds, skips or adds occurrences.
std::optional<int> codeOf(const icalrecurrencetype &r);
// The stored date and time texts that fire first at `first`.
QList<std::pair<QString, QString>> slotTexts(const Moment &first, int code);
// The date text of the slot's first firing at or after `now`.
QString caughtUp(const QString &dateText, const QString &timeText, int code, const QDateTime &now);

} // namespace kv::ical
