#include "appointments/Changedateunit.h"

#include "platform/DateText.h"
#include "platform/Interfaces.h"
#include "platform/Registry.h"
#include "platform/RegistryNames.h"

#include <optional>
#include <string>

namespace kv {

namespace {

// The last of the repeat codes counted in days, and of those counted in months.
constexpr int kLastDayCode = 29;
constexpr int kLastMonthCode = 40;
constexpr int kYearCode = 41;

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
        throw ChangeDateError("ChangeDate: month " + std::to_string(month) + " does not exist");
    }
}

int readNumber(const QString &text, int at) {
    bool ok = false;
    const int value = text.mid(at, 2).toInt(&ok, 10);
    if (!ok || !text.at(at).isDigit() || !text.at(at + 1).isDigit())
        throw ChangeDateError("ChangeDate: unreadable date \"" + text.toStdString() + "\"");
    return value;
}

} // namespace

QString advanceDate(const QString &dateText, int repeatCode) {
    if (dateText.size() != 8)
        throw ChangeDateError("ChangeDate: unreadable date \"" + dateText.toStdString() + "\"");
    int month = readNumber(dateText, 0);
    int day = readNumber(dateText, 3);
    int year = readNumber(dateText, 6);
    int length = monthLength(month, year);

    if (repeatCode >= 1 && repeatCode <= kLastDayCode) {
        day += repeatCode;
        while (day > length) {
            day -= length;
            if (++month > 12) {
                month = 1;
                year = (year + 1) % 100;
            }
            length = monthLength(month, year);
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

void ChangeDate(Registry &registry, int slot, const IClock &clock) {
    RegKey key = registry.openKey(names::appointmentsKey, false);
    const QString repeatName = names::repeat(slot);
    const QString dateName = names::date(slot);

    // A slot with a time only starts from today.
    std::optional<QString> date = key.stringIfExists(dateName);
    if (!date)
        date = storedDate(clock.now().date());
    const int repeatCode = key.integerIfExists(repeatName).value_or(0);

    key.writeString(dateName, advanceDate(*date, repeatCode));
}

} // namespace kv
