#include "appointments/Changedateunit.h"

#include "platform/DateText.h"
#include "platform/Interfaces.h"
#include "platform/Registry.h"
#include "platform/RegistryNames.h"

#include <optional>

namespace kv {

namespace {

// The last of the repeat codes counted in days, and of those counted in months.
constexpr int kLastDayCode = 29;
constexpr int kLastMonthCode = 40;
constexpr int kYearCode = 41;

// 0 for a month that does not exist.
int monthLength(int month, int year) {
    switch (month) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2:
        return year % 4 == 0 ? 29 : 28;
    default:
        return 0;
    }
}

// Two digits at `at`, or nothing.
std::optional<int> readNumber(const QString &text, int at) {
    bool ok = false;
    const int value = text.mid(at, 2).toInt(&ok, 10);
    if (!ok || !text.at(at).isDigit() || !text.at(at + 1).isDigit())
        return std::nullopt;
    return value;
}

} // namespace

Result<QString> advanceDate(const QString &dateText, int repeatCode) {
    const Failure unreadable{kChangeDateFailure};
    if (dateText.size() != 8)
        return unreadable;
    const std::optional<int> m = readNumber(dateText, 0), d = readNumber(dateText, 3),
                             y = readNumber(dateText, 6);
    if (!m || !d || !y)
        return unreadable;
    int month = *m, day = *d, year = *y;
    int length = monthLength(month, year);
    if (length == 0)
        return unreadable;

    if (repeatCode >= 1 && repeatCode <= kLastDayCode) {
        day += repeatCode;
        while (day > length) {
            day -= length;
            if (++month > 12) {
                month = 1;
                year = (year + 1) % 100;
            }
            length = monthLength(month, year); // a real month from here on
        }
    } else if (repeatCode > kLastDayCode && repeatCode <= kLastMonthCode) {
        month += repeatCode - kLastDayCode;
        if (month > 12) {
            month -= 12;
            year = (year + 1) % 100;
        }
    } else if (repeatCode == kYearCode) {
        year = (year + 1) % 100;
    }

    return twoDigits(month) + QLatin1Char('/') + twoDigits(day) + QLatin1Char('/') +
           twoDigits(year);
}

Result<QString> ChangeDate(Registry &registry, int slot, const IClock &clock) {
    try {
        RegKey key = registry.openKey(names::appointmentsKey, false);
        const QString dateName = names::date(slot);

        // A slot with a time only starts from today.
        std::optional<QString> date = key.stringIfExists(dateName);
        if (!date)
            date = storedDate(clock.now().date());
        const int repeatCode = key.integerIfExists(names::repeat(slot)).value_or(0);

        Result<QString> next = advanceDate(*date, repeatCode);
        if (next)
            key.writeString(dateName, *next);
        return next;
    } catch (const RegistryError &) {
        return Failure{kChangeDateFailure};
    }
}

} // namespace kv
