#pragma once
// ChangeDate: moves a recurring appointment to its next occurrence by
// rewriting the slot's stored date text. The time of day is never touched.

#include <QString>
#include <stdexcept>

namespace kv {

class IClock;
class Registry;

// A stored date that cannot be advanced (a month outside 1..12, a text that is
// not MM/DD/YY).
class ChangeDateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The date text MM/DD/YY moved on by one period of the repeat code:
//   1..29   that many days, with the real month lengths (February has 29 days
//           in every two-digit year divisible by 4);
//   30..40  (code - 29) months, the day kept as it is, even past the end of
//           the new month (01/31/05 + one month gives 02/31/05);
//   41      one year;
//   others  unchanged.
// The result is MM/DD/YY with two digits each; the year after 99 is 00.
// Throws ChangeDateError for a text it cannot read.
QString advanceDate(const QString &dateText, int repeatCode);

// Rewrites "Date N" of the appointments key with the next occurrence after
// "Date N" (today's date when the slot has no date) by the period "Repeat N";
// when "Repeat N" is absent the date is written back unchanged. The key is
// opened, never created. Registry failures (missing key, a value of the wrong
// type) and ChangeDateError leave "Date N" unchanged and reach the caller.
void ChangeDate(Registry &registry, int slot, const IClock &clock);

} // namespace kv
