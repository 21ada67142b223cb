// Date: the conversions between day numbers and calendar dates, the reading
// of date texts, the Hungarian name tables and their lookup.
#include "date/date.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "io/platform.h"

static_assert(sizeof(Date) == sizeof(std::uint32_t), "a Date is its day number and nothing else");
static_assert(std::is_trivially_copyable_v<Date>);

namespace {

constexpr std::array<std::uint32_t, 12> daysInMonth = {31, 28, 31, 30, 31, 30,
                                                       31, 31, 30, 31, 30, 31};
// The day of a common year on which each month begins.
constexpr std::array<std::uint32_t, 12> monthStartDays = {1,   32,  60,  91,  121, 152,
                                                          182, 213, 244, 274, 305, 335};

// The names in Windows-1250. A literal is split where an escaped byte is
// followed by a letter that would otherwise continue the escape; the
// parentheses mark the joined literal as one name.
// clang-format off
constexpr std::array<const char*, 12> monthNames = {
    "Janu\xE1r", "Febru\xE1r", "M\xE1rcius", "\xC1prilis", "M\xE1jus", "J\xFAnius",
    "J\xFAlius", "Augusztus", "Szeptember", ("Oct\xF3" "ber"), "November", "December"};
// Used only for the lookup by name; note OKTÓBER against Octóber above.
constexpr std::array<const char*, 12> monthNamesUpper = {
    "JANU\xC1R", "FEBRU\xC1R", "M\xC1RCIUS", "\xC1PRILIS", "M\xC1JUS", "J\xDANIUS",
    "J\xDALIUS", "AUGUSZTUS", "SZEPTEMBER", ("OKT\xD3" "BER"), "NOVEMBER", "DECEMBER"};
constexpr std::array<const char*, 7> dayNames = {
    "H\xE9tf\xF5", "Kedd", "Szerda", "Cs\xFCt\xF6rt\xF6k", "P\xE9ntek", "Szombat", "Vas\xE1rnap"};
constexpr std::array<const char*, 7> dayNamesUpper = {
    "H\xC9TF\xD5", "KEDD", "SZERDA", "CS\xDCT\xD6RT\xD6K", "P\xC9NTEK", "SZOMBAT", "VAS\xC1RNAP"};
// clang-format on

// The day number of 1 March of year 0 less one, the origin of both conversions.
constexpr std::uint32_t epochOffset = 1721119;

constexpr std::uint32_t firstYear = 100;
constexpr std::uint32_t lastYear = 9999;

// The Gregorian-to-Julian-Day conversion for a date known to exist, with the
// year taken as it is. The year counts from 1 March so that the leap day falls
// at its end.
constexpr std::uint32_t julianFromCalendar(std::uint32_t month, std::uint32_t day,
                                           std::uint32_t year) {
    if (month > 2) {
        month -= 3;
    } else {
        month += 9;
        year -= 1;
    }
    std::uint32_t century = year / 100;
    std::uint32_t yearOfCentury = year - 100 * century;
    return (153 * month + 2) / 5 + (146097 * century) / 4 + (1461 * yearOfCentury) / 4 + day +
           epochOffset;
}

// The first and last day numbers that the calendar covers.
constexpr std::uint32_t firstDayNumber = julianFromCalendar(1, 1, firstYear);
constexpr std::uint32_t lastDayNumber = julianFromCalendar(12, 31, lastYear);

static_assert(firstDayNumber == 1757585 && lastDayNumber == 5373484);

bool inCalendar(std::uint32_t julian) {
    return julian >= firstDayNumber && julian <= lastDayNumber;
}

struct CalendarDate {
    std::uint32_t month = 0, day = 0, year = 0;
};

// The inverse conversion; all parts 0 for a day number outside the calendar,
// where the unsigned arithmetic below would wrap.
CalendarDate calendarFromJulian(std::uint32_t julian) {
    if (!inCalendar(julian)) return {};
    std::uint32_t j = julian - epochOffset;
    std::uint32_t y = (4 * j - 1) / 146097;
    j = 4 * j - 1 - 146097 * y;
    std::uint32_t d = j / 4;
    j = (4 * d + 3) / 1461;
    d = 4 * d + 3 - 1461 * j;
    d = (d + 4) / 4;
    std::uint32_t m = (5 * d - 3) / 153;
    d = 5 * d - 3 - 153 * m;
    d = (d + 5) / 5;
    y = 100 * y + j;
    if (m < 10) {
        m += 3;
    } else {
        m -= 9;
        y += 1;
    }
    return {m, d, y};
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads formatted input the way "%Nd" does: skips blanks, then takes at most
// `width` characters, an optional sign included, of which at least one must be
// a digit. Never reads past the text's terminator. Returns false on a mismatch.
bool scanNumber(const char*& p, int width, std::uint32_t& out) {
    while (isBlank(*p)) ++p;
    const char* q = p;
    bool negative = false;
    if ((*q == '+' || *q == '-') && width > 0) {
        negative = *q == '-';
        ++q;
        --width;
    }
    std::uint32_t value = 0;
    int digits = 0;
    while (digits < width && isDigit(*q)) {
        value = value * 10 + static_cast<std::uint32_t>(*q - '0');
        ++q;
        ++digits;
    }
    if (digits == 0) return false;
    // A negative part becomes a huge unsigned number, which no month, day or
    // year accepts.
    out = negative ? 0u - value : value;
    p = q;
    return true;
}

// Matches one separator of the pattern: a blank matches any run of blanks,
// also none; any other character must be there exactly.
bool scanSeparator(const char*& p, char separator) {
    if (isBlank(separator)) {
        while (isBlank(*p)) ++p;
        return true;
    }
    if (*p != separator) return false;
    ++p;
    return true;
}

// Reads year (4), month (2) and day (2) characters with the separators in
// between ('\0' for none); scanning stops at the first mismatch, and the parts
// not yet read stay 0.
std::uint32_t scanDate(const char* text, char firstSeparator, char secondSeparator) {
    std::uint32_t year = 0, month = 0, day = 0;
    const char* p = text;
    if (scanNumber(p, 4, year) && (firstSeparator == '\0' || scanSeparator(p, firstSeparator)) &&
        scanNumber(p, 2, month) && (secondSeparator == '\0' || scanSeparator(p, secondSeparator))) {
        scanNumber(p, 2, day);
    }
    return Date::toDayNumber(month, day, year);
}

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

Date::Date() {
    platform::CalendarDate today = platform::currentLocalDate();
    julian = toDayNumber(today.month, today.day, today.year);
}

Date::Date(std::uint32_t year, std::uint32_t month, std::uint32_t day)
    : julian(toDayNumber(month, day, year)) {}

Date::Date(const char* text) : julian(0) {
    if (text == nullptr) return;
    // A ten-character text carries its own separators at positions 4 and 7.
    if (std::strlen(text) == 10) {
        julian = scanDate(text, text[4], text[7]);
    } else {
        julian = scanDate(text, '\0', '\0');
    }
}

Date& Date::operator=(const char* text) {
    julian = text == nullptr ? 0 : scanDate(text, '\0', '\0');
    return *this;
}

std::uint32_t Date::toDayNumber(std::uint32_t month, std::uint32_t day, std::uint32_t year) {
    if (year <= 99) year += 1900;
    if (year > lastYear || !dayValid(month, day, year)) return 0;
    return julianFromCalendar(month, day, year);
}

int Date::isLeap(std::uint32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0 ? 1 : 0;
}

std::uint32_t Date::daysInYear(std::uint32_t year) {
    return isLeap(year) ? 366 : 365;
}

int Date::dayValid(std::uint32_t month, std::uint32_t day, std::uint32_t year) {
    if (day < 1 || !monthValid(month)) return 0;
    std::uint32_t last = daysInMonth[month - 1] + (month == 2 ? isLeap(year) : 0u);
    return day <= last ? 1 : 0;
}

int Date::monthValid(std::uint32_t month) {
    return month >= 1 && month <= 12 ? 1 : 0;
}

int Date::weekdayValid(std::uint32_t weekday) {
    return weekday >= 1 && weekday <= 7 ? 1 : 0;
}

const char* Date::monthName(std::uint32_t month) {
    return monthValid(month) ? monthNames[month - 1] : nullptr;
}

const char* Date::dayName(std::uint32_t weekday) {
    return weekdayValid(weekday) ? dayNames[weekday - 1] : nullptr;
}

std::uint32_t Date::monthFromName(const char* text) {
    return static_cast<std::uint32_t>(
        findName(text, monthNamesUpper.data(), static_cast<int>(monthNamesUpper.size())) + 1);
}

std::uint32_t Date::weekdayFromName(const char* text) {
    return static_cast<std::uint32_t>(
        findName(text, dayNamesUpper.data(), static_cast<int>(dayNamesUpper.size())) + 1);
}

int Date::findName(const char* text, const char* const* names, int count) {
    if (text == nullptr || names == nullptr) return -1;
    std::size_t length = std::strlen(text);
    for (int i = count - 1; i >= 0; --i) {
        const char* name = names[i];
        if (name == nullptr) continue;
        // The text is a prefix of the name; the name's terminator mismatches
        // any character of the text, so a longer text never matches.
        std::size_t k = 0;
        while (k < length && upperAscii(text[k]) == upperAscii(name[k])) ++k;
        if (k == length) return i;
    }
    return -1;
}

void Date::split(std::uint32_t& month, std::uint32_t& day, std::uint32_t& year) const {
    CalendarDate date = calendarFromJulian(julian);
    month = date.month;
    day = date.day;
    year = date.year;
}

std::uint32_t Date::day() const {
    return calendarFromJulian(julian).day;
}

std::uint32_t Date::month() const {
    return calendarFromJulian(julian).month;
}

std::uint32_t Date::year() const {
    return calendarFromJulian(julian).year;
}

std::uint32_t Date::weekday() const {
    return inCalendar(julian) ? julian % 7 + 1 : 0;
}

std::uint32_t Date::dayOfYear() const {
    CalendarDate date = calendarFromJulian(julian);
    if (date.year == 0) return 0;
    // From 31 December of the year before, taken as it is: for a date in the
    // year 100 the year 99 must not become 1999.
    return julian - julianFromCalendar(12, 31, date.year - 1);
}

int Date::isLeapYear() const {
    std::uint32_t y = year();
    return y == 0 ? 0 : isLeap(y);
}

std::uint32_t Date::monthStartDayOfYear(std::uint32_t month) const {
    if (!monthValid(month) || !inCalendar(julian)) return 0;
    return monthStartDays[month - 1] + (month > 2 ? static_cast<std::uint32_t>(isLeapYear()) : 0u);
}

std::uint32_t Date::monthStartDayOfYear() const {
    return monthStartDayOfYear(month());
}

const char* Date::monthName() const {
    return monthName(month());
}

const char* Date::dayName() const {
    return dayName(weekday());
}

const char* Date::toText() const {
    // Eight digits and the terminator: valid dates lie in the years 100 to 9999.
    static char text[9];
    CalendarDate date = calendarFromJulian(julian);
    text[0] = '\0';
    if (date.year != 0 && date.year <= 9999 && date.month <= 12 && date.day <= 31) {
        const unsigned parts[] = {date.year / 1000, date.year / 100 % 10, date.year / 10 % 10,
                                  date.year % 10,   date.month / 10,      date.month % 10,
                                  date.day / 10,    date.day % 10};
        for (int i = 0; i < 8; ++i) text[i] = static_cast<char>('0' + parts[i]);
        text[8] = '\0';
    }
    return text;
}

Date& Date::operator++() {
    ++julian;
    return *this;
}

Date& Date::operator--() {
    --julian;
    return *this;
}

Date& Date::operator+=(std::int32_t days) {
    julian += static_cast<std::uint32_t>(days);
    return *this;
}

Date& Date::operator-=(std::int32_t days) {
    julian -= static_cast<std::uint32_t>(days);
    return *this;
}

Date Date::operator+(std::int32_t days) const {
    Date result(*this);
    result += days;
    return result;
}

std::int32_t Date::operator-(const Date& other) const {
    return static_cast<std::int32_t>(julian - other.julian);
}

int Date::compare(const Date& other) const {
    if (julian < other.julian) return -1;
    return julian > other.julian ? 1 : 0;
}

int Date::between(const Date& low, const Date& high) const {
    return low.julian <= julian && julian <= high.julian ? 1 : 0;
}
