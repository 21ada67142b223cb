#include "number/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tests/settings_fixture.h"
#include "util/numtext.h"
#include "util/settings.h"

namespace {

class NumberTest : public testutil::KeepSettings {};

long double valueOf(const Number& n) {
    return n;
}

TEST_F(NumberTest, DefaultIsPositiveZero) {
    Number n;
    EXPECT_EQ(!n, 1);
    EXPECT_FALSE(std::signbit(valueOf(n)));
    EXPECT_EQ(n == 0, 1);
    EXPECT_EQ(n == "0", 1);
    EXPECT_EQ(n == 0.0, 1);
    EXPECT_EQ(n == Number(), 1);
}

TEST_F(NumberTest, ConstructorsRoundOnlyFloat) {
    EXPECT_EQ(valueOf(Number(0.1)), static_cast<long double>(0.1));
    EXPECT_EQ(valueOf(Number(0.123L)), 0.123L);
    EXPECT_EQ(valueOf(Number(0.123f)), parseReal("0.12"));
    EXPECT_EQ(valueOf(Number(2147483647)), 2147483647.0L);
    EXPECT_EQ(valueOf(Number(9007199254740993L)), 9007199254740993.0L);
    EXPECT_EQ(valueOf(Number("0.123")), parseReal("0.123"));
    EXPECT_EQ(valueOf(Number(static_cast<const char*>(nullptr))), 0);
    Number copy(Number(1.5L));
    EXPECT_EQ(valueOf(copy), 1.5L);
}

TEST_F(NumberTest, DoubleOperandsEnterRoundedToTwoDecimals) {
    Number n;
    n = 2.675;  // the double lies just below 2.675
    EXPECT_EQ(n == "2.67", 1);

    Number tenth(0.1);
    EXPECT_EQ(tenth == "0.1", 0);
    tenth = 0.1;
    EXPECT_EQ(tenth == "0.1", 1);
    EXPECT_EQ(tenth == 0.1, 1);  // the operand is rounded for the comparison too
    EXPECT_EQ(tenth == 0.1f, 1);
    EXPECT_EQ(tenth == 0.1L, 1);
}

TEST_F(NumberTest, ArithmeticResultsKeepFullPrecision) {
    Number n;
    n = 1;
    n /= 3;
    EXPECT_EQ(valueOf(n), 1.0L / 3);
    EXPECT_EQ(n == 1.0 / 3, 0);  // that operand enters as 0.33
    EXPECT_EQ(n > 0.33, 1);
    EXPECT_EQ(n < "0.3334", 1);
    n *= 3;
    EXPECT_EQ(n == 1, 1);
}

TEST_F(NumberTest, DecimalSettingIsReadForEveryOperand) {
    struct Case {
        const char* decimals;
        double operand;
        const char* stored;
    } cases[] = {
        {"0", 2.6, "3"},
        {"0", 2.4, "2"},
        {"x", 2.6, "3"},
        {"x", 2.4, "2"},
        {"-1", 0.1234567, "0.123457"},
        {"-5", 0.1234567, "0.123457"},  // below -1 counts as -1
        {" 3", 1.23456, "1.235"},
        {"3abc", 1.23456, "1.235"},
        {"2", -2.675, "-2.67"},
        {"4", 0.1, "0.1"},
        // 30 decimals no longer fit the area and still round: the double's
        // own deviation from 0.1 shows from the 18th decimal on.
        {"30", 0.1, "0.100000000000000005551115123126"},
        {"2147483647", 0.1, nullptr},  // more decimals than any value has: unchanged
    };
    for (const auto& c : cases) {
        setting(SET_DECIMAL, c.decimals);
        Number n;
        n = c.operand;
        long double expected = c.stored ? parseReal(c.stored) : static_cast<long double>(c.operand);
        EXPECT_EQ(valueOf(n), expected) << c.decimals << " " << c.operand;
    }
    // A value already stored is never rounded again.
    setting(SET_DECIMAL, "4");
    Number n;
    n = 1.23456;
    setting(SET_DECIMAL, "0");
    EXPECT_EQ(n == "1.2346", 1);
    EXPECT_EQ(n == 1.23456, 0);  // that operand now enters as 1
}

TEST_F(NumberTest, HalfwayOperandsRoundAwayFromZero) {
    struct Case {
        const char* decimals;
        double operand;
        const char* stored;
    } cases[] = {
        {"0", 2.5, "3"},      {"0", -2.5, "-3"},      {"0", 3.5, "4"},       {"0", 0.5, "1"},
        {"2", 0.125, "0.13"}, {"2", -0.375, "-0.38"}, {"1", 0.25, "0.3"},    {"1", 0.75, "0.8"},
        {"0", 1.0, "1"},      {"2", 0.126, "0.13"},   {"0", 2.4999999, "2"},
    };
    for (const auto& c : cases) {
        setting(SET_DECIMAL, c.decimals);
        Number n;
        n = c.operand;
        EXPECT_EQ(valueOf(n), parseReal(c.stored)) << c.decimals << " " << c.operand;
    }
}

TEST_F(NumberTest, TextOperandsAreNotRounded) {
    Number n;
    n = "0.123";
    EXPECT_EQ(valueOf(n), parseReal("0.123"));
    EXPECT_EQ(n == 0.123, 0);  // enters as 0.12
    EXPECT_EQ(n > 0.123, 1);
    n = "12,5";
    EXPECT_EQ(n == 12, 1);
    n = "";
    EXPECT_EQ(!n, 1);
    n = "  -3.5e2";
    EXPECT_EQ(n == -350, 1);
    char editable[] = "7.25";
    n = editable;
    EXPECT_EQ(n == "7.25", 1);
}

TEST_F(NumberTest, IntegerOperandsAreExact) {
    Number n;
    n = 2147483647;
    EXPECT_EQ(n == 2147483647, 1);
    n = 9223372036854775807L;
    EXPECT_EQ(n == 9223372036854775807L, 1);
    EXPECT_EQ(n == 9223372036854775806L, 0);
    n -= 9223372036854775807L;
    EXPECT_EQ(!n, 1);
}

TEST_F(NumberTest, OperatorsAgainstEveryOperandKind) {
    Number three;
    three = 3;
    // Each comparison operator against the value 3 in each operand kind.
    auto check = [&](const auto& three_, const auto& four) {
        EXPECT_EQ(three == three_, 1);
        EXPECT_EQ(three != three_, 0);
        EXPECT_EQ(three != four, 1);
        EXPECT_EQ(three < four, 1);
        EXPECT_EQ(three < three_, 0);
        EXPECT_EQ(three <= three_, 1);
        EXPECT_EQ(three <= four, 1);
        EXPECT_EQ(three > three_, 0);
        EXPECT_EQ(three >= three_, 1);
        EXPECT_EQ(three >= four, 0);
        Number n;
        EXPECT_EQ(&(n = four), &n);
        EXPECT_EQ(&(n += three_), &n);  // 7
        EXPECT_EQ(&(n -= four), &n);    // 3
        EXPECT_EQ(&(n *= four), &n);    // 12
        EXPECT_EQ(&(n /= three_), &n);  // 4
        EXPECT_EQ(n == four, 1);
    };
    check(3, 4);
    check(3L, 4L);
    check(3.0f, 4.0f);
    check(3.0, 4.0);
    check(3.0L, 4.0L);
    check("3", "4");
    check(Number(3), Number(4));
}

TEST_F(NumberTest, EveryOperatorRoundsFloatingOperandsOnly) {
    // The Number holds 1; with two decimals 1.004 enters as 1 and 0.996 as 1,
    // while the same texts enter unrounded. Each row is one operator, with
    // its result for a rounded operand and for an exact one.
    auto run = [](auto small, auto large, const char* kind, bool rounded) {
        auto one = [] {
            Number n;
            n = 1;
            return n;
        };
        auto value = [](Number& n) { return static_cast<long double>(n); };
        struct Row {
            const char* op;
            long double result;
            long double exact;
        };
        Number n = one();
        const Row rows[] = {
            {"=", value(n = large), parseReal("1.004")},
            {"+=", value((n = one()) += large), 1 + parseReal("1.004")},
            {"-=", value((n = one()) -= small), 1 - parseReal("0.996")},
            {"*=", value((n = one()) *= large), parseReal("1.004")},
            {"/=", value((n = one()) /= large), 1 / parseReal("1.004")},
            {"==", static_cast<long double>(one() == large), 0},
            {"!=", static_cast<long double>(one() != small), 1},
            {"<", static_cast<long double>(one() < large), 1},
            {"<=", static_cast<long double>(one() <= small), 0},
            {">", static_cast<long double>(one() > small), 1},
            {">=", static_cast<long double>(one() >= large), 0},
        };
        const long double roundedResults[] = {1, 2, 0, 1, 1, 1, 0, 0, 1, 0, 1};
        for (std::size_t k = 0; k < std::size(rows); ++k)
            EXPECT_EQ(rows[k].result, rounded ? roundedResults[k] : rows[k].exact)
                << kind << " " << rows[k].op;
    };
    run(0.996f, 1.004f, "float", true);
    run(0.996, 1.004, "double", true);
    run(0.996L, 1.004L, "long double", true);
    run("0.996", "1.004", "text", false);
    run(Number("0.996"), Number("1.004"), "Number", false);
}

TEST_F(NumberTest, DivisionByZeroFollowsTheExtendedFormat) {
    Number n;
    n = 1;
    n /= 0;
    EXPECT_EQ(valueOf(n), std::numeric_limits<long double>::infinity());
    n = -1;
    n /= "0";
    EXPECT_EQ(valueOf(n), -std::numeric_limits<long double>::infinity());
    n = 0;
    n /= 0.0;
    EXPECT_TRUE(std::isnan(valueOf(n)));
    EXPECT_EQ(n == n, 0);
    EXPECT_EQ(!n, 0);
    // Non-finite operands pass the rounding unchanged.
    n = std::numeric_limits<double>::infinity();
    EXPECT_EQ(valueOf(n), std::numeric_limits<long double>::infinity());
}

TEST_F(NumberTest, OperandsTooLongForTheRoundingTextKeepTheirValue) {
    Number n;
    n = 1e30;  // 31 digits and two decimals exceed the area
    EXPECT_EQ(valueOf(n), static_cast<long double>(1e30));
    n = -std::numeric_limits<long double>::max();
    EXPECT_EQ(valueOf(n), -std::numeric_limits<long double>::max());
    setting(SET_DECIMAL, "40");
    n = 1e-35;
    EXPECT_EQ(valueOf(n), parseReal("0.0000000000000000000000000000000000100000"));
    n = 1e-45;
    EXPECT_EQ(!n, 1);
}

TEST_F(NumberTest, RoundingLeavesTheSettingAsItWas) {
    setting(SET_DECIMAL, "3");
    Number n;
    n = 1;
    EXPECT_EQ(n < 1.0004, 0);
    EXPECT_EQ(n == 1, 1);
    EXPECT_STREQ(setting(SET_DECIMAL), "3");
}

TEST_F(NumberTest, NegativeZeroIsZero) {
    Number n;
    n = -0.001;  // rounds to -0.00
    EXPECT_EQ(!n, 1);
    EXPECT_EQ(n == 0, 1);
}

}  // namespace
