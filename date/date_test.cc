#include "date/date.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <string>

namespace {

std::string text(const Date& d) {
    return d.toText();
}

// The tenth month's names, split where the escaped byte meets a letter that
// would continue the escape.
const char octoberName[] =
    "Oct\xF3"
    "ber";
const char octoberUpper[] =
    "OKT\xD3"
    "BER";

std::string orNull(const char* s) {
    return s == nullptr ? "(null)" : s;
}

// Dates whose day numbers are known from outside this code.
TEST(DateConversion, KnownDayNumbersBothWays) {
    struct Case {
        std::uint32_t year, month, day, julian, weekday;
    } cases[] = {
        {2000, 1, 1, 2451545, 6},  {1900, 1, 1, 2415021, 1},   {2001, 1, 1, 2451911, 1},
        {2001, 3, 15, 2451984, 4}, {1999, 12, 31, 2451544, 5}, {2000, 2, 28, 2451603, 1},
        {2000, 2, 29, 2451604, 2}, {2000, 3, 1, 2451605, 3},   {1970, 1, 1, 2440588, 4},
        {1600, 2, 29, 2305507, 2}, {100, 1, 1, 1757585, 5},    {9999, 12, 31, 5373484, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" +
                     std::to_string(c.day));
        EXPECT_EQ(Date::toDayNumber(c.month, c.day, c.year), c.julian);
        Date d(c.year, c.month, c.day);
        EXPECT_EQ(d.dayNumber(), c.julian);
        std::uint32_t m = 0, dd = 0, y = 0;
        Date(c.julian).split(m, dd, y);
        EXPECT_EQ(y, c.year);
        EXPECT_EQ(m, c.month);
        EXPECT_EQ(dd, c.day);
        EXPECT_EQ(d.year(), c.year);
        EXPECT_EQ(d.month(), c.month);
        EXPECT_EQ(d.day(), c.day);
        EXPECT_EQ(d.weekday(), c.weekday);
    }
}

// Every day of the calendar converts back to itself, and each follows the
// one before it in calendar order.
TEST(DateConversion, EveryDayRoundTripsInOrder) {
    Date d(100, 1, 1);
    std::uint32_t prevMonth = 12, prevDay = 31, prevYear = 99;
    int failures = 0;
    for (; d <= Date(9999, 12, 31) && failures < 5; ++d) {
        std::uint32_t m = 0, dd = 0, y = 0;
        d.split(m, dd, y);
        bool follows = (y == prevYear && m == prevMonth && dd == prevDay + 1) ||
                       (dd == 1 && !Date::dayValid(prevMonth, prevDay + 1, prevYear) &&
                        ((y == prevYear && m == prevMonth + 1) || (y == prevYear + 1 && m == 1)));
        if (!follows || Date::toDayNumber(m, dd, y) != d.dayNumber()) {
            ADD_FAILURE() << "day " << d.dayNumber() << " gives " << y << "-" << m << "-" << dd;
            ++failures;
        }
        prevMonth = m;
        prevDay = dd;
        prevYear = y;
    }
    EXPECT_EQ(prevYear, 9999u);
}

TEST(DateConversion, ImpossibleDatesGiveTheEmptyDate) {
    struct Case {
        std::uint32_t year, month, day;
    } cases[] = {
        {1900, 2, 29}, {2001, 2, 29},       {2100, 2, 29},          {2001, 4, 31},
        {2001, 0, 1},  {2001, 13, 1},       {2001, 1, 0},           {2001, 1, 32},
        {10000, 1, 1}, {0xFFFFFFFFu, 1, 1}, {2001, 0xFFFFFFFFu, 1}, {2001, 1, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        Date d(c.year, c.month, c.day);
        EXPECT_EQ(d.dayNumber(), 0u) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(d.isValid(), 0);
    }
    EXPECT_EQ(Date(2000, 2, 29).isValid(), 1);
    EXPECT_EQ(Date(2004, 2, 29).isValid(), 1);
}

TEST(DateConversion, TwoDigitYearsMeanTheNineteenHundreds) {
    EXPECT_EQ(Date(99, 3, 15), Date(1999, 3, 15));
    EXPECT_EQ(Date(0, 1, 1).dayNumber(), 2415021u);
    EXPECT_EQ(Date::toDayNumber(12, 31, 1), Date(1901, 12, 31).dayNumber());
    // 29 February of year 0 is 1900's, which has none; dayValid takes the
    // year as it is, and year 0 is a leap year.
    EXPECT_EQ(Date(0, 2, 29).dayNumber(), 0u);
    EXPECT_EQ(Date::dayValid(2, 29, 0), 1);
    // 100 is used as it is.
    EXPECT_EQ(Date(100, 1, 1).year(), 100u);
}

TEST(DateCalendar, LeapYearsAndMonthLengths) {
    struct Case {
        std::uint32_t year;
        int leap;
    } cases[] = {{1900, 0}, {2000, 1}, {2001, 0}, {2004, 1}, {2100, 0}, {2400, 1}, {0, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(Date::isLeap(c.year), c.leap) << c.year;
        EXPECT_EQ(Date::daysInYear(c.year), c.leap ? 366u : 365u) << c.year;
    }
    EXPECT_EQ(Date(2000, 6, 1).isLeapYear(), 1);
    EXPECT_EQ(Date(1900, 6, 1).isLeapYear(), 0);

    EXPECT_EQ(Date::dayValid(4, 30, 2001), 1);
    EXPECT_EQ(Date::dayValid(4, 31, 2001), 0);
    EXPECT_EQ(Date::dayValid(2, 29, 1900), 0);
    EXPECT_EQ(Date::dayValid(12, 31, 2001), 1);
    EXPECT_EQ(Date::monthValid(0), 0);
    EXPECT_EQ(Date::monthValid(12), 1);
    EXPECT_EQ(Date::monthValid(13), 0);
    EXPECT_EQ(Date::weekdayValid(0), 0);
    EXPECT_EQ(Date::weekdayValid(7), 1);
    EXPECT_EQ(Date::weekdayValid(8), 0);
}

TEST(DateCalendar, DayOfYearAndMonthStarts) {
    EXPECT_EQ(Date(2000, 12, 31).dayOfYear(), 366u);
    EXPECT_EQ(Date(2001, 12, 31).dayOfYear(), 365u);
    EXPECT_EQ(Date(2001, 3, 1).dayOfYear(), 60u);
    EXPECT_EQ(Date(2001, 1, 1).dayOfYear(), 1u);
    // The year before 100 is 99 itself, not 1999.
    EXPECT_EQ(Date(100, 1, 1).dayOfYear(), 1u);
    EXPECT_EQ(Date(100, 3, 1).dayOfYear(), 60u);

    Date leap(2000, 7, 4), common(2001, 7, 4);
    EXPECT_EQ(leap.monthStartDayOfYear(1), 1u);
    EXPECT_EQ(leap.monthStartDayOfYear(2), 32u);
    EXPECT_EQ(leap.monthStartDayOfYear(3), 61u);
    EXPECT_EQ(common.monthStartDayOfYear(3), 60u);
    EXPECT_EQ(leap.monthStartDayOfYear(12), 336u);
    EXPECT_EQ(leap.monthStartDayOfYear(0), 0u);
    EXPECT_EQ(leap.monthStartDayOfYear(13), 0u);
    EXPECT_EQ(leap.monthStartDayOfYear(), 183u);
    EXPECT_EQ(common.monthStartDayOfYear(), 182u);
    // The month start and the day of the year agree for every first day.
    for (std::uint32_t m = 1; m <= 12; ++m) {
        EXPECT_EQ(Date(2000, m, 1).dayOfYear(), leap.monthStartDayOfYear(m)) << m;
        EXPECT_EQ(Date(2001, m, 1).dayOfYear(), common.monthStartDayOfYear(m)) << m;
    }
}

TEST(DateText, ConstructorReadsYearFirstTexts) {
    struct Case {
        const char* text;
        std::uint32_t julian;
    } cases[] = {
        {"2001.03.15", 2451984},
        {"2001-03-15", 2451984},
        {"2001 03 15", 2451984},
        {"2001/03/15", 2451984},
        {"20010315", 2451984},
        {"2001\t03\t15", 2451984},
        {" 2001 3 15", 0},        // ten characters, separators at 4 and 7 are '1' and ' '
        {"2001  3 15", 2451984},  // a blank separator matches the run of blanks
        {"15.03.2001", 0},
        {"2001.3.15", 0},  // nine characters: read as YYYYMMDD, stops at the point
        {"2001031", Date(2001, 3, 1).dayNumber()},
        {"990315", 0},  // year 9903, month 15
        {"2001", 0},
        {"", 0},
        {"abcdefgh", 0},
        {"2001.02.29", 0},
        {"-001.01.01", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Date(c.text).dayNumber(), c.julian) << '"' << c.text << '"';
    }
    EXPECT_EQ(Date(static_cast<const char*>(nullptr)).dayNumber(), 0u);
}

// What the table engine feeds for a date field: up to eight digits.
TEST(DateText, AssignmentReadsEightDigitsOnly) {
    struct Case {
        const char* text;
        const char* expected;  // toText of the result; "" for the empty date
    } cases[] = {
        {"20011231", "20011231"},
        {"20000229", "20000229"},
        {"20010229", ""},
        {"2001", ""},
        {"200112", ""},
        {"2001121", "20011201"},  // the day takes the one digit left
        {"2001123", "20011203"},
        {"200112311234", "20011231"},
        {"2001.03.15", ""},  // separators are not understood here
        {"00000101", "19000101"},
        {"00000000", ""},
        {"        ", ""},
        {"", ""},
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        Date d(2001, 1, 1);
        Date& result = (d = c.text);
        EXPECT_EQ(&result, &d);
        EXPECT_EQ(text(d), c.expected) << '"' << orNull(c.text) << '"';
        EXPECT_EQ(d.isValid(), c.expected[0] != '\0' ? 1 : 0) << orNull(c.text);
    }
}

// Heap copies sized to the text let the address sanitizer catch any read
// past the terminator.
TEST(DateText, ReadingStopsAtTheTerminator) {
    struct Case {
        const char* text;
        const char* constructed;  // toText after the constructor
        const char* assigned;     // toText after the assignment
    } cases[] = {
        {"", "", ""},
        {"2", "", ""},
        {"2001 ", "", ""},
        {"200112", "", ""},
        {"2001121", "20011201", "20011201"},
        {"2001.03.1", "", ""},
        {"2001.03.1 ", "20010301", ""},
        {"    ", "", ""},
        {"2001+", "", ""},
        {"2001-", "", ""},
    };
    for (const Case& c : cases) {
        std::size_t size = std::strlen(c.text) + 1;
        auto copy = std::make_unique<char[]>(size);
        std::memcpy(copy.get(), c.text, size);
        EXPECT_EQ(text(Date(copy.get())), c.constructed) << '"' << c.text << '"';
        Date assigned(2001, 1, 1);
        assigned = copy.get();
        EXPECT_EQ(text(assigned), c.assigned) << '"' << c.text << '"';
    }
}

// The reading rules are those of the C library's formatted input with the
// patterns "%04d%02d%02d" and, for ten characters, "%04d" + text[4] + "%02d"
// + text[7] + "%02d": its own sscanf is the reference here, over texts of
// digits, signs, blanks and separators.
TEST(DateText, ReadsAsFormattedInputDoes) {
    auto reference = [](const std::string& text, bool constructor) {
        std::string pattern = "%04d%02d%02d";
        if (constructor && text.size() == 10)
            pattern = std::string("%04d") + text[4] + "%02d" + text[7] + "%02d";
        int year = 0, month = 0, day = 0;
        std::sscanf(text.c_str(), pattern.c_str(), &year, &month, &day);
        return Date::toDayNumber(static_cast<std::uint32_t>(month), static_cast<std::uint32_t>(day),
                                 static_cast<std::uint32_t>(year));
    };
    const std::string alphabet = "0123456789012345678901 .-+/\t";
    std::mt19937 random(20010315);
    int mismatches = 0, valid = 0;
    for (int i = 0; i < 50000 && mismatches < 5; ++i) {
        std::string text(random() % 13, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        // Mostly dates of the right shape, so that valid dates come up.
        if (i % 2 == 0 && text.size() == 10) {
            text[0] = static_cast<char>('1' + random() % 2);
            text[2] = static_cast<char>('0' + random() % 2);
            text[5] = static_cast<char>('0' + random() % 2);
            text[8] = static_cast<char>('0' + random() % 3);
        }
        Date assigned(2001, 1, 1);
        assigned = text.c_str();
        const std::uint32_t constructed = Date(text.c_str()).dayNumber();
        valid += constructed != 0 ? 1 : 0;
        if (constructed != reference(text, true) ||
            assigned.dayNumber() != reference(text, false)) {
            ADD_FAILURE() << '"' << text << "\" reads as " << constructed << " / "
                          << assigned.dayNumber() << ", formatted input gives "
                          << reference(text, true) << " / " << reference(text, false);
            ++mismatches;
        }
    }
    EXPECT_GT(valid, 1000) << "too few real dates among the texts";
}

TEST(DateText, ToTextIsEightDigitsInOneSharedBuffer) {
    Date d(2001, 3, 5);
    const char* first = d.toText();
    EXPECT_STREQ(first, "20010305");
    EXPECT_STREQ(Date(100, 1, 1).toText(), "01000101");
    EXPECT_STREQ(Date(9999, 12, 31).toText(), "99991231");
    EXPECT_EQ(Date(9999, 12, 31).toText(), first);  // the next call overwrites
    EXPECT_STREQ(first, "99991231");
    // The text reads back as the same date.
    Date back;
    back = Date(1987, 11, 9).toText();
    EXPECT_EQ(back, Date(1987, 11, 9));
}

// The empty date and day numbers beyond the calendar: no date parts, no
// names, the empty text, whatever the number.
TEST(DateText, NoCalendarDateOutsideTheCalendar) {
    for (std::uint32_t julian : {0u, 1u, 1721119u, 1757584u, 5373485u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(julian);
        Date d(julian);
        std::uint32_t m = 7, dd = 7, y = 7;
        d.split(m, dd, y);
        EXPECT_EQ(m, 0u);
        EXPECT_EQ(dd, 0u);
        EXPECT_EQ(y, 0u);
        EXPECT_STREQ(d.toText(), "");
        EXPECT_EQ(d.weekday(), 0u);
        EXPECT_EQ(d.dayOfYear(), 0u);
        EXPECT_EQ(d.isLeapYear(), 0);
        EXPECT_EQ(d.monthStartDayOfYear(3), 0u);
        EXPECT_EQ(d.monthStartDayOfYear(), 0u);
        EXPECT_EQ(d.monthName(), nullptr);
        EXPECT_EQ(d.dayName(), nullptr);
        EXPECT_EQ(d.isValid(), julian != 0 ? 1 : 0);
    }
}

TEST(DateNames, TablesByteForByte) {
    const char* months[] = {"Janu\xE1r",  "Febru\xE1r", "M\xE1rcius", "\xC1prilis",
                            "M\xE1jus",   "J\xFAnius",  "J\xFAlius",  "Augusztus",
                            "Szeptember", octoberName,  "November",   "December"};
    for (std::uint32_t m = 1; m <= 12; ++m) {
        EXPECT_STREQ(Date::monthName(m), months[m - 1]) << m;
        EXPECT_STREQ(Date(2001, m, 10).monthName(), months[m - 1]) << m;
    }
    const char* days[] = {"H\xE9tf\xF5", "Kedd",    "Szerda",     "Cs\xFCt\xF6rt\xF6k",
                          "P\xE9ntek",   "Szombat", "Vas\xE1rnap"};
    for (std::uint32_t w = 1; w <= 7; ++w) {
        EXPECT_STREQ(Date::dayName(w), days[w - 1]) << w;
        // 1 January 2001 is a Monday.
        EXPECT_STREQ(Date(2001, 1, w).dayName(), days[w - 1]) << w;
    }
    EXPECT_EQ(Date::monthName(0), nullptr);
    EXPECT_EQ(Date::monthName(13), nullptr);
    EXPECT_EQ(Date::dayName(0), nullptr);
    EXPECT_EQ(Date::dayName(8), nullptr);
}

TEST(DateNames, LookupByPartialName) {
    struct Case {
        const char* text;
        std::uint32_t month;
    } months[] = {
        {"J\xDAN", 6},    {"J", 7},      {"jan", 1},         {"", 12},         {"MA", 0},
        {"m\xC1j", 5},    {"m\xE1j", 0}, {octoberUpper, 10}, {octoberName, 0}, {"okt", 10},
        {"DECEMBERX", 0}, {"feb", 2},    {"szeptember", 9},  {"\xC1", 4},      {nullptr, 0},
    };
    for (const Case& c : months) EXPECT_EQ(Date::monthFromName(c.text), c.month) << orNull(c.text);

    struct WeekdayCase {
        const char* text;
        std::uint32_t weekday;
    } weekdays[] = {
        {"sz", 6},          {"CS", 4},    {"sze", 3},  {"v", 7},     {"", 7},
        {"H\xC9TF\xD5", 1}, {"h\xE9", 0}, {"kedd", 2}, {"keddd", 0}, {nullptr, 0},
    };
    for (const WeekdayCase& c : weekdays)
        EXPECT_EQ(Date::weekdayFromName(c.text), c.weekday) << orNull(c.text);
}

TEST(DateNames, FindNameSearchesFromTheLastEntry) {
    const char* names[] = {"ALMA", "ALMAFA", "BARACK"};
    EXPECT_EQ(Date::findName("alma", names, 3), 1);
    EXPECT_EQ(Date::findName("alma", names, 1), 0);
    EXPECT_EQ(Date::findName("almafa", names, 3), 1);
    EXPECT_EQ(Date::findName("almafak", names, 3), -1);
    EXPECT_EQ(Date::findName("", names, 3), 2);
    EXPECT_EQ(Date::findName("b", names, 2), -1);
    EXPECT_EQ(Date::findName("a", names, 0), -1);
    EXPECT_EQ(Date::findName("a", nullptr, 3), -1);
    // Only ASCII letters fold; other bytes must be equal.
    const char* symbols[] = {"@[`{"};
    EXPECT_EQ(Date::findName("@[`{", symbols, 1), 0);
    EXPECT_EQ(Date::findName("`", symbols, 1), -1);
}

TEST(DateArithmetic, StepsAndDifferences) {
    Date newYearsEve(2000, 12, 31);
    Date next = newYearsEve + 1;
    EXPECT_EQ(next, Date(2001, 1, 1));
    EXPECT_EQ(newYearsEve, Date(2000, 12, 31));  // the operand is unchanged
    EXPECT_EQ(newYearsEve + 60, Date(2001, 3, 1));
    EXPECT_EQ(newYearsEve + -366, Date(1999, 12, 31));
    EXPECT_EQ(newYearsEve + 0, newYearsEve);
    // Each sum is a value of its own: a later one leaves an earlier alone.
    const Date first = newYearsEve + 1;
    const Date second = Date(2001, 3, 1) + 14;
    const Date third = newYearsEve + 2;
    EXPECT_EQ(first, Date(2001, 1, 1));
    EXPECT_EQ(second, Date(2001, 3, 15));
    EXPECT_EQ(third, Date(2001, 1, 2));

    EXPECT_EQ(Date(2001, 3, 1) - Date(2001, 2, 1), 28);
    EXPECT_EQ(Date(2000, 3, 1) - Date(2000, 2, 1), 29);
    EXPECT_EQ(Date(2001, 2, 1) - Date(2001, 3, 1), -28);
    EXPECT_EQ(Date(2001, 1, 1) - Date(1901, 1, 1), 36525);  // 2000 is a leap year
    EXPECT_EQ(Date(1901, 1, 1) - Date(1801, 1, 1), 36524);  // 1900 is not

    Date d(2000, 2, 28);
    EXPECT_EQ(&++d, &d);
    EXPECT_EQ(d, Date(2000, 2, 29));
    EXPECT_EQ(&--d, &d);
    EXPECT_EQ(d, Date(2000, 2, 28));
    EXPECT_EQ(&(d += 2), &d);
    EXPECT_EQ(d, Date(2000, 3, 1));
    EXPECT_EQ(&(d -= 366), &d);
    EXPECT_EQ(d, Date(1999, 3, 1));
    d += -1;
    EXPECT_EQ(d, Date(1999, 2, 28));
    d -= -1;
    EXPECT_EQ(d, Date(1999, 3, 1));
}

// Nothing checks arithmetic results; stepping off either end of the calendar
// gives a day number with no calendar date, never a fault.
TEST(DateArithmetic, UncheckedAtTheEdges) {
    Date last(9999, 12, 31);
    ++last;
    EXPECT_EQ(last.dayNumber(), 5373485u);
    EXPECT_STREQ(last.toText(), "");
    Date empty(0u);
    --empty;
    EXPECT_EQ(empty.dayNumber(), 0xFFFFFFFFu);
    EXPECT_STREQ(empty.toText(), "");
    ++empty;
    EXPECT_EQ(empty.isValid(), 0);
    EXPECT_EQ(Date(0xFFFFFFFFu) - Date(0u), -1);
}

TEST(DateComparison, OrdersByDayNumber) {
    Date empty(0u), a(2001, 3, 1), b(2001, 3, 2);
    struct Case {
        Date left, right;
        int order;  // -1, 0, 1
    } cases[] = {{a, b, -1},
                 {b, a, 1},
                 {a, a, 0},
                 {empty, a, -1},
                 {a, empty, 1},
                 {empty, empty, 0},
                 {Date(100, 1, 1), Date(9999, 12, 31), -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.left.dayNumber()) + " vs " +
                     std::to_string(c.right.dayNumber()));
        EXPECT_EQ(c.left.compare(c.right), c.order);
        EXPECT_EQ(c.left < c.right, c.order < 0);
        EXPECT_EQ(c.left <= c.right, c.order <= 0);
        EXPECT_EQ(c.left > c.right, c.order > 0);
        EXPECT_EQ(c.left >= c.right, c.order >= 0);
        EXPECT_EQ(c.left == c.right, c.order == 0);
        EXPECT_EQ(c.left != c.right, c.order != 0);
    }
    Date c(2001, 3, 3);
    EXPECT_EQ(a.between(a, c), 1);
    EXPECT_EQ(b.between(a, c), 1);
    EXPECT_EQ(c.between(a, c), 1);
    EXPECT_EQ(a.between(b, c), 0);
    EXPECT_EQ((c + 1).between(a, c), 0);
    EXPECT_EQ(b.between(c, a), 0);  // an upside-down range holds nothing
    EXPECT_EQ(empty.between(empty, a), 1);
}

// The default date is today's local date, checked against the C library's
// own local calendar (taken on both sides in case midnight passes).
TEST(DateToday, DefaultIsTheLocalDate) {
    auto localToday = [] {
        std::time_t now = std::time(nullptr);
        std::tm parts{};
        localtime_r(&now, &parts);
        return Date(static_cast<std::uint32_t>(parts.tm_year + 1900),
                    static_cast<std::uint32_t>(parts.tm_mon + 1),
                    static_cast<std::uint32_t>(parts.tm_mday));
    };
    Date before = localToday();
    Date today;
    Date after = localToday();
    EXPECT_EQ(today.isValid(), 1);
    EXPECT_TRUE(today == before || today == after) << today.toText();
}

}  // namespace
