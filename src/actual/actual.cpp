#include "actual/actual.h"

#include <cstring>
#include <ctime>
#include <tuple>

namespace {

bool isLeapYear(int year) {
    return year % 4 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && isLeapYear(year))
        return 29;
    return lengths[month - 1];
}

// Two decimal digits at text[at], text[at + 1]; -1 when either is not a digit.
int twoDigits(const char *text, int at) {
    const char hi = text[at];
    const char lo = text[at + 1];
    if (hi < '0' || hi > '9' || lo < '0' || lo > '9')
        return -1;
    return (hi - '0') * 10 + (lo - '0');
}

bool isZeroText(const char *text) {
    return std::strcmp(text, "0") == 0;
}

struct Day {
    int year;
    int month;
    int day;
    auto key() const { return std::tie(year, month, day); }
};

struct Clock {
    int hour;
    int minute;
};

// "MM/DD/YY"; a day past the end of its month becomes the month's last day.
bool parseDate(const char *text, Day &out) {
    if (std::strlen(text) != 8)
        return false;
    const int month = twoDigits(text, 0);
    const int day = twoDigits(text, 3);
    const int year = twoDigits(text, 6);
    if (month < 1 || month > 12 || day < 1 || year < 0)
        return false;
    out.year = 2000 + year;
    out.month = month;
    const int last = daysInMonth(out.year, month);
    out.day = day > last ? last : day;
    return true;
}

// "HH:MM" with hour 0..24 and minute 0..59.
bool parseTime(const char *text, Clock &out) {
    if (std::strlen(text) != 5)
        return false;
    const int hour = twoDigits(text, 0);
    const int minute = twoDigits(text, 3);
    if (hour < 0 || hour > 24 || minute < 0 || minute > 59)
        return false;
    out.hour = hour;
    out.minute = minute;
    return true;
}

Day nextDay(Day d) {
    if (++d.day > daysInMonth(d.year, d.month)) {
        d.day = 1;
        if (++d.month > 12) {
            d.month = 1;
            ++d.year;
        }
    }
    return d;
}

template <typename Now, typename Moment> int compareMoment(const Now &now, const Moment &moment) {
    if (now < moment)
        return ActualAhead;
    if (moment < now)
        return ActualPassed;
    return ActualNow;
}

} // namespace

extern "C" {

int ActualAt(const char *dateText, const char *timeText, int year, int month, int day, int hour,
             int minute) {
    if (dateText == nullptr || timeText == nullptr)
        return ActualFailed;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59)
        return ActualFailed;

    const bool noDate = isZeroText(dateText);
    const bool noTime = isZeroText(timeText);
    if (noDate && noTime)
        return ActualFailed;

    Day date{};
    Clock time{};
    if (!noDate && !parseDate(dateText, date))
        return ActualFailed;
    if (!noTime && !parseTime(timeText, time))
        return ActualFailed;

    const Day today{year, month, day};
    if (noTime)
        return compareMoment(today.key(), date.key());

    if (noDate) {
        // Hour 24 of the current day is its first midnight.
        const int dueHour = time.hour == 24 ? 0 : time.hour;
        return compareMoment(std::tie(hour, minute), std::tie(dueHour, time.minute));
    }

    if (time.hour == 24) {
        // The midnight that ends the named day.
        date = nextDay(date);
        time.hour = 0;
    }
    return compareMoment(std::tie(year, month, day, hour, minute),
                         std::tie(date.year, date.month, date.day, time.hour, time.minute));
}

int Actual(const char *dateText, const char *timeText) {
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    if (seconds == static_cast<std::time_t>(-1) || localtime_r(&seconds, &local) == nullptr)
        return ActualFailed;
    return ActualAt(dateText, timeText, local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour, local.tm_min);
}

} // extern "C"
