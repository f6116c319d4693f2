#pragma once
// ChangeDate: moves a recurring appointment to its next occurrence by
// rewriting the slot's stored date text. The time of day is never touched.

#include "platform/Result.h"

#include <QString>

namespace kv {

class IClock;
class Registry;

// What a date that cannot be advanced is reported as.
inline const QString kChangeDateFailure = QStringLiteral("Błąd funkcji \"ChangeDate\".");

// The date text MM/DD/YY moved on by one period of the repeat code:
//   1..29   that many days, with the real month lengths (February has 29 days
//           in every two-digit year divisible by 4);
//   30..40  (code - 29) months, the day kept as it is, even past the end of
//           the new month (01/31/05 + one month gives 02/31/05);
//   41      one year;
//   others  unchanged.
// The result is MM/DD/YY with two digits each; the year after 99 is 00.
// A text it cannot read (not MM/DD/YY, a month outside 1..12) is a failure.
Result<QString> advanceDate(const QString &dateText, int repeatCode);

// Rewrites "Date N" of the appointments key with the next occurrence after
// "Date N" (today's date when the slot has no date) by the period "Repeat N";
// when "Repeat N" is absent the date is written back unchanged. The key is
// opened, never created. A date that cannot be advanced and the registry's
// failures (a missing key, a value of the wrong type, a write refused) leave
// "Date N" unchanged and are the failure; the value is the date written.
Result<QString> ChangeDate(Registry &registry, int slot, const IClock &clock);

} // namespace kv
