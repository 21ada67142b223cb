// Date: the library's calendar date, one Julian Day Number (1 January 2000 is
// day 2451545) and nothing else. It offers construction from today's local
// date, from year, month and day, from text and from a day number; calendar
// queries; the Hungarian month and weekday names (Windows-1250 bytes) and the
// lookup of a month or weekday by a partial name; day arithmetic and
// comparison; and the 8-digit YYYYMMDD text that date fields hold.
//
// Day number 0 is the empty date. Every constructor and conversion gives it
// for an impossible date or unreadable text; nothing reports an error.
//
// The calendar is the Gregorian one from 1 January 100 to 31 December 9999
// (day numbers 1757585 to 5373484). Years 0 to 99 given to a constructor or to
// toDayNumber mean 1900 to 1999; years above 9999 give the empty date. Queries
// on a day number outside the calendar, the empty date among them, give 0, no
// name (a null pointer) and the empty text. docs/date.md has the details.
#pragma once

#include <cstdint>

class Date {
  public:
    // Today's date in local time.
    Date();
    // That day number, stored without any check.
    explicit Date(std::uint32_t dayNumber) : julian(dayNumber) {}
    // The date of year, month and day; the empty date when it does not exist.
    Date(std::uint32_t year, std::uint32_t month, std::uint32_t day);
    // A year-first text: "YYYYMMDD", or ten characters with one separator
    // character at positions 4 and 7 ("2001.03.15", "2001-03-15"). Anything
    // unreadable, and a null pointer, gives the empty date.
    explicit Date(const char* text);

    Date(const Date&) = default;
    Date& operator=(const Date&) = default;
    // Reads the text as "YYYYMMDD" only, whatever its length; parts that are
    // missing stay 0, so an incomplete text gives the empty date. A seven-digit
    // text such as "2001121" reads as 2001-12-01 (the day takes what is left).
    Date& operator=(const char* text);

    // Calendar functions on plain numbers.

    // The day number of the date, or 0 when the date does not exist (see
    // dayValid) or the year is above 9999. Years 0 to 99 mean 1900 to 1999.
    static std::uint32_t toDayNumber(std::uint32_t month, std::uint32_t day, std::uint32_t year);
    // 1 when the year is divisible by 4 and not by 100, or by 400; else 0.
    static int isLeap(std::uint32_t year);
    // 366 for a leap year, else 365.
    static std::uint32_t daysInYear(std::uint32_t year);
    // 1 when the month is 1 to 12 and the day lies in it (29 February only in
    // a leap year); the year is taken as it is, without the 1900 mapping.
    static int dayValid(std::uint32_t month, std::uint32_t day, std::uint32_t year);
    static int monthValid(std::uint32_t month);
    static int weekdayValid(std::uint32_t weekday);
    // "Január" ... "December" for months 1 to 12; null for any other number.
    static const char* monthName(std::uint32_t month);
    // "Hétfő" (1, Monday) ... "Vasárnap" (7, Sunday); null for any other number.
    static const char* dayName(std::uint32_t weekday);
    // The month whose upper-case name starts with the text (ASCII letters
    // compared without case, accented letters exactly), 1 to 12; when several
    // match, the later month. 0 when none matches or the text is null.
    static std::uint32_t monthFromName(const char* text);
    // The same over the weekday names, 1 to 7, or 0.
    static std::uint32_t weekdayFromName(const char* text);
    // The highest index i below `count` whose name starts with the text, or -1.
    static int findName(const char* text, const char* const* names, int count);

    // Queries.

    std::uint32_t dayNumber() const { return julian; }
    // 1 unless this is the empty date (day number 0).
    int isValid() const { return julian != 0 ? 1 : 0; }
    // The calendar date; all three 0 outside the calendar.
    void split(std::uint32_t& month, std::uint32_t& day, std::uint32_t& year) const;
    std::uint32_t day() const;
    std::uint32_t month() const;
    std::uint32_t year() const;
    // 1 for Monday to 7 for Sunday; 0 outside the calendar.
    std::uint32_t weekday() const;
    // 1 for 1 January; 0 outside the calendar.
    std::uint32_t dayOfYear() const;
    // 1 when this date's year is a leap year; 0 outside the calendar.
    int isLeapYear() const;
    // The day of this date's year on which the month begins (1, 32, 60 or 61,
    // ...); 0 for an invalid month or outside the calendar.
    std::uint32_t monthStartDayOfYear(std::uint32_t month) const;
    std::uint32_t monthStartDayOfYear() const;
    // The names of this date's month and weekday; null outside the calendar.
    const char* monthName() const;
    const char* dayName() const;
    // The date as "YYYYMMDD" in a process-wide buffer that the next call
    // overwrites; the empty text outside the calendar.
    const char* toText() const;

    // Arithmetic. Nothing checks the result: stepping past the calendar gives
    // whatever day number results.

    Date& operator++();
    Date& operator--();
    Date& operator+=(std::int32_t days);
    Date& operator-=(std::int32_t days);
    Date operator+(std::int32_t days) const;
    // Days from `other` to this date.
    std::int32_t operator-(const Date& other) const;

    // Comparison of the day numbers as unsigned numbers: the empty date comes
    // before every real date.
    bool operator<(const Date& other) const { return julian < other.julian; }
    bool operator<=(const Date& other) const { return julian <= other.julian; }
    bool operator>(const Date& other) const { return julian > other.julian; }
    bool operator>=(const Date& other) const { return julian >= other.julian; }
    bool operator==(const Date& other) const { return julian == other.julian; }
    bool operator!=(const Date& other) const { return julian != other.julian; }
    // -1, 0 or 1 as this date is before, equal to or after `other`.
    int compare(const Date& other) const;
    // 1 when low <= this <= high.
    int between(const Date& low, const Date& high) const;

  private:
    std::uint32_t julian;
};
