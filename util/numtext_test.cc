#include "util/numtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "tests/settings_fixture.h"
#include "util/settings.h"

namespace {

class NumberTextTest : public testutil::KeepSettings {};

TEST_F(NumberTextTest, FormatFixedPrintsRightAlignedAndRounded) {
    struct Case {
        long double value;
        int width;
        int decimals;
        const char* text;
    } cases[] = {
        {3.14159L, 8, 2, "    3.14"}, {1234.5L, 6, 2, "1234.50"},  // wider than the width: not cut
        {2.5L, 0, -1, "2.500000"},    {-0.5L, 2, 2, "-0.50"},
        {2.5L, -6, 1, "2.5   "},    // a negative width left-aligns
        {2.5L, 0, -7, "2.500000"},  // any negative count is the default
        {-0.0L, 0, 2, "-0.00"},       {1e26L, 0, 2, "100000000000000000000000000.00"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(formatFixed(c.value, c.width, c.decimals), c.text)
            << c.width << "." << c.decimals;
}

TEST_F(NumberTextTest, FormatFixedFillsTheAreaToTheLastCharacter) {
    // A sign, 27 digits, the point and two decimals: 31 characters, the most
    // that fit.
    EXPECT_EQ(std::strlen(formatFixed(-5e26L, 0, 2)), 31u);
    EXPECT_EQ(std::strlen(formatFixed(1.5L, 31, 2)), 31u);
    EXPECT_EQ(std::strlen(formatFixed(1.5L, -31, 2)), 31u);
    EXPECT_EQ(std::strlen(formatFixed(0.5L, 0, 29)), 31u);
}

TEST_F(NumberTextTest, TextsBeyondTheAreaAreRefusedWithTheEmptyText) {
    struct Case {
        long double value;
        int width;
        int decimals;
    } cases[] = {
        {1e30L, 0, 2},
        {-1e27L, 0, 2},  // 32 characters with the sign
        {1.5L, 32, 2},
        {1.5L, -32, 2},
        {1.5L, 0, 30},
        {1.5L, 0, 2147483647},
        {1.5L, -2147483647 - 1, 2},
        {std::numeric_limits<long double>::max(), 18, 2},
    };
    for (const auto& c : cases) {
        const char* text = formatFixed(c.value, c.width, c.decimals);
        EXPECT_STREQ(text, "") << c.width << "." << c.decimals;
    }
    // The long text is still there for callers that need it whole.
    EXPECT_EQ(fixedText(1e30L, 0, 2), "1000000000000000000024696061952.00");
}

TEST_F(NumberTextTest, FixedTextPadsLikeFormatFixed) {
    EXPECT_EQ(fixedText(3.14159L, 8, 2), "    3.14");
    EXPECT_EQ(fixedText(3.14159L, -8, 2), "3.14    ");
    EXPECT_EQ(fixedText(2.5L, 0, -1), "2.500000");
    EXPECT_EQ(fixedText(0.5L, 40, 0), std::string(39, ' ') + "0");
    // A count beyond every exact expansion adds zeros only and is capped.
    EXPECT_EQ(fixedText(0.5L, 0, 2147483647).size(), 16502u);
}

TEST_F(NumberTextTest, ResultAreasAreReusedAndSeparate) {
    const char* first = formatFixed(1.25L, 0, 2);
    const char* integer = formatInteger(7, 0);
    EXPECT_EQ(formatFixed(9.5L, 0, 1), first);
    EXPECT_STREQ(first, "9.5");
    EXPECT_STREQ(integer, "7");
    EXPECT_NE(static_cast<const void*>(integer), static_cast<const void*>(first));
}

TEST_F(NumberTextTest, FormatInteger) {
    struct Case {
        int value;
        int width;
        int decimals;
        const char* text;
    } cases[] = {
        {42, 10, -1, "        42"},
        {42, 10, 0, "        42"},
        {-7, 3, -1, " -7"},
        {-7, 0, 0, "-7"},
        {42, 10, 2, "     42.00"},
        {-2147483647 - 1, 0, -1, "-2147483648"},
        {5, 31, -1, "                              5"},
        {5, 32, -1, ""},
        {5, 0, 30, ""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(formatInteger(c.value, c.width, c.decimals), c.text)
            << c.value << " " << c.width << "." << c.decimals;
}

TEST_F(NumberTextTest, ParseReal) {
    struct Case {
        const char* text;
        long double value;
    } cases[] = {
        {"12,5", 12}, {"", 0},    {"  -3.5e2", -350}, {"\t+7", 7},        {".5", 0.5L},
        {"5.", 5},    {"1e", 1},  {"2E+3x", 2000},    {"-", 0},           {"abc", 0},
        {"0x1A", 0},  {"inf", 0}, {"nan", 0},         {"1.5e-2", 0.015L}, {"0.1", 0.1L},
        {"-0", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(parseReal(c.text), c.value) << c.text;
    EXPECT_EQ(parseReal(nullptr), 0);
    EXPECT_TRUE(std::signbit(parseReal("-0")));
    EXPECT_EQ(parseReal("1e99999"), std::numeric_limits<long double>::infinity());
    EXPECT_EQ(parseReal("-1e99999"), -std::numeric_limits<long double>::infinity());
    EXPECT_EQ(parseReal("1e-99999"), 0);
}

TEST_F(NumberTextTest, PrintedTextsReadBackExactly) {
    for (long double v : {0.1L, 2.675L, -1234.5678L, 1e-20L, 12345678901234567.0L}) {
        std::string text = fixedText(v, 0, 30);
        EXPECT_EQ(parseReal(fixedText(parseReal(text.c_str()), 0, 30).c_str()),
                  parseReal(text.c_str()));
    }
}

TEST_F(NumberTextTest, CharacterAndTextTests) {
    EXPECT_EQ(isDigitChar('0'), 1);
    EXPECT_EQ(isDigitChar('9'), 1);
    EXPECT_EQ(isDigitChar('a'), 0);
    EXPECT_EQ(isDigitChar('\xB9'), 0);
    EXPECT_EQ(isNumberChar('-'), 1);
    EXPECT_EQ(isNumberChar('.'), 1);
    EXPECT_EQ(isNumberChar(','), 0);
    EXPECT_EQ(isNumberChar('\0'), 0);
    EXPECT_EQ(isNumberText("-12.50"), 1);
    EXPECT_EQ(isNumberText("12a"), 0);
    EXPECT_EQ(isNumberText(""), 1);
    EXPECT_EQ(isNumberText("1-2..3"), 1);
    EXPECT_EQ(isNumberText(" 12"), 0);

    setting(SET_TIZEDESJEL, ",");
    EXPECT_EQ(isNumberText("12.50"), 0);
    EXPECT_EQ(isNumberText("12,50"), 1);
    EXPECT_EQ(isNumberChar(','), 1);
    EXPECT_EQ(isNumberChar('.'), 0);
    // Only the first character of the setting is the decimal sign.
    setting(SET_TIZEDESJEL, ";.");
    EXPECT_EQ(isNumberText("1;5"), 1);
    EXPECT_EQ(isNumberText("1.5"), 0);
}

TEST_F(NumberTextTest, IsZeroInEveryForm) {
    EXPECT_EQ(isZero(0), 1);
    EXPECT_EQ(isZero(-3), 0);
    EXPECT_EQ(isZero(0L), 1);
    EXPECT_EQ(isZero(5L), 0);
    EXPECT_EQ(isZero(-0.0), 1);
    EXPECT_EQ(isZero(1e-300), 0);
    EXPECT_EQ(isZero(0.0L), 1);
    EXPECT_EQ(isZero(std::numeric_limits<long double>::denorm_min()), 0);
    EXPECT_EQ(isZero(std::numeric_limits<long double>::quiet_NaN()), 0);
    EXPECT_EQ(isZero("0.000"), 1);
    EXPECT_EQ(isZero("abc"), 1);
    EXPECT_EQ(isZero(""), 1);
    EXPECT_EQ(isZero("0.001"), 0);
    EXPECT_EQ(isZero(static_cast<const char*>(nullptr)), 1);
}

TEST_F(NumberTextTest, StripTrailingZeros) {
    struct Case {
        const char* text;
        const char* result;
    } cases[] = {
        {"1.500", "1.5"}, {"2.000", "2."}, {"100", "1"},  {"000", "000"},
        {"", ""},         {"12", "12"},    {"0.0", "0."},
    };
    for (const auto& c : cases) {
        char buffer[16];
        std::strcpy(buffer, c.text);
        EXPECT_EQ(stripTrailingZeros(buffer), buffer);
        EXPECT_STREQ(buffer, c.result) << c.text;
    }
}

}  // namespace
