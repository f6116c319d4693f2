#pragma once
// The date test: does the moment named by a stored date text and time text lie
// ahead, is it now, or has it passed? A small shared library with a C interface.
//
//   date text  "MM/DD/YY" (the year is 20YY) or "0" for no date;
//   time text  "HH:MM" or "0" for no time.
//
// Results:
//   0  the test failed (a text of another form, both texts "0", a null pointer);
//   1  the moment lies ahead;
//   2  the moment has passed;
//   3  the moment is now.
//
// Date and time name one minute of one day; a date with time "0" names that
// whole day; "0" with a time names that minute of the current day. A day past
// the end of its month is read as the month's last day; hour 24 is the midnight
// at the end of the day (00:MM of the next day; with no date, 00:MM of the
// current day). February has 29 days in every year divisible by 4. The
// separators (characters 3 and 6 of the date, 3 of the time) are not examined.

#if defined(ACTUAL_BUILDING_LIBRARY)
#define ACTUAL_EXPORT __attribute__((visibility("default")))
#else
#define ACTUAL_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
    ActualFailed = 0,
    ActualAhead = 1,
    ActualPassed = 2,
    ActualNow = 3,
};

// The test against the local wall-clock time of the system clock.
ACTUAL_EXPORT int Actual(const char *dateText, const char *timeText);

// The same test against a given local time: four-digit year, month 1..12,
// day 1..31, hour 0..23, minute 0..59. An impossible "now" answers 0.
ACTUAL_EXPORT int ActualAt(const char *dateText, const char *timeText, int year, int month, int day,
                           int hour, int minute);

#ifdef __cplusplus
}
#endif
