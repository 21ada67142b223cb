#include "util/picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "number/number.h"
#include "tests/settings_fixture.h"
#include "util/numtext.h"
#include "util/settings.h"

namespace {

class PictureTest : public testutil::KeepSettings {};

// Blanks written as '.' would hide them among decimal points, so the expected
// texts below use '_' for a blank.
std::string blanks(std::string text) {
    for (char& c : text)
        if (c == '_') c = ' ';
    return text;
}

// Lays source out by picture in the given direction. The target starts
// filled with '#' so that an untouched target shows.
std::string apply(const std::string& source, const char* picture, int direction = 0) {
    std::vector<char> src(source.begin(), source.end());
    src.resize(source.size() + 64, '\0');
    std::vector<char> target(256, '#');
    target.back() = '\0';
    return applyPicture(target.data(), src.data(), picture, direction);
}

std::string show(long double value, const char* picture) {
    std::vector<char> target(256, '#');
    Number n(value);
    return numberPicture(target.data(), n, picture);
}

TEST_F(PictureTest, NumberPictureWorkedResults) {
    struct Case {
        long double value;
        const char* picture;
        const char* shown;
    } cases[] = {
        {1234.5L, "@N 999,999.99", "__1,234.50"},
        {-1234.5L, "@N 999,999.99", "_-1,234.50"},
        {-123.4L, "@N 999,999.99", "___-123.40"},  // the copied comma becomes the sign
        {0, "@N 999,999.99", "______0.00"},
        {42, "@N 9,999", "___42"},
        {-42, "@N 9,999", "__-42"},
        {-1234, "@N 99,999", "-1,234"},
        {12345, "@N 999", "345"},  // digits that do not fit drop from the left
        {2.675L, "@N 9.99", "2.67"},
        {0.996L, "@N 9.99", "1.00"},
        {1.5L, "@N 9.9999", "1.5000"},
        {7, "@N 0099", "___7"},      // every digit is a position, only '9' sizes the print
        {3.14159L, "9.99", "3.14"},  // no prefix: the rounded number, unlaid
        {3.14159L, "@N999", "3"},
        {1e30L, "@N 9999999999999999999999999999999999", "___1000000000000000000024696061952"},
        {1e27L, "9.99", "1000000000000000000000000000.00"},  // 31 characters: the most unlaid
        {1e30L, "9.99", ""},  // longer unlaid texts are refused, as by formatFixed
    };
    for (const auto& c : cases) EXPECT_EQ(show(c.value, c.picture), blanks(c.shown)) << c.picture;
}

TEST_F(PictureTest, NegativeNumberTooWideShowsItsSign) {
    // The digits use up every position: the sign takes the first one rather
    // than the value showing as positive.
    EXPECT_EQ(show(-123, "@N 999"), "-23");
    EXPECT_EQ(show(-12345.5L, "@N 999.99"), "-45.50");
    EXPECT_EQ(show(-1, "@N 9"), "-");
    EXPECT_EQ(show(-12, "@N 999"), "-12");
}

TEST_F(PictureTest, NumberSourcesLaidOutDirectly) {
    struct Case {
        const char* source;
        const char* picture;
        const char* shown;
    } cases[] = {
        {"", "@N 999.99", "____00"},  // fraction zeros, the rest blank
        {"12", "@N 999.99", "_12.00"},
        {"12.3456", "@N 999.99", "_12.34"},  // cut, not rounded
        {"12.5", "@N 999", "_12"},           // no decimal sign: fraction dropped
        {"12", "@N999", "12"},               // no blank after N: no number picture
        {"  12.50", "@N 999.99", "_12.50"},  // a right-aligned field value
        {"   -7.25", "@N 9,999.99", "___-7.25"},
        {".5", "@N 99.99", "_0.50"},
        {"05.5", "@N 99.99", "_5.50"},
        {"12a4", "@N 9999.99", "___4.00"},  // a stray character blanks what follows
        {"-", "@N 9", "-"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(apply(c.source, c.picture), blanks(c.shown)) << c.source << " " << c.picture;
}

TEST_F(PictureTest, DecimalCommaSetting) {
    setting(SET_TIZEDESJEL, ",");
    // The picture has no '.', so the value is printed without decimals first.
    EXPECT_EQ(show(1234.56L, "@N 9 999,99"), blanks("1_235,00"));
    // The source is read with '.' as the point, so "12,5" is 12.
    EXPECT_EQ(apply("12,5", "@N 9 999,99"), blanks("___12,00"));
    EXPECT_EQ(apply("1234,50", "@N 9 999,99"), blanks("1_234,00"));
    EXPECT_EQ(apply("1 234,50", "@N", 1), "1234,50");
    EXPECT_EQ(apply("1.234,50", "@N", 1), "1234,50");
    // Only the first character of the setting is the decimal sign.
    setting(SET_TIZEDESJEL, ",;");
    EXPECT_EQ(apply("12", "@N 9 999,99"), blanks("___12,00"));
    EXPECT_EQ(apply("1 234,50", "@N", 1), "1234,50");
}

TEST_F(PictureTest, NumberPictureTargetHoldsExactlyThePositions) {
    // A picture of length W shows W - 3 characters; nothing is written behind.
    std::vector<char> target(32, '#');
    Number n(5);
    numberPicture(target.data(), n, "@N 999.99");
    EXPECT_STREQ(target.data(), "  5.00");
    EXPECT_EQ(target[7], '#');
}

TEST_F(PictureTest, UnlaidNumberFitsThirtyTwoBytes) {
    // A picture of no known kind gives the rounded number itself; a target of
    // 32 bytes holds it whatever the value (the sanitizers see any overrun).
    const long double cases[] = {1e27L,
                                 -1e27L,
                                 1e300L,
                                 -1e4000L,
                                 std::numeric_limits<long double>::infinity(),
                                 std::numeric_limits<long double>::quiet_NaN()};
    for (long double v : cases) {
        std::vector<char> target(NUMBER_TEXT_SIZE, '#');
        Number n(v);
        EXPECT_LT(std::strlen(numberPicture(target.data(), n, "99.99")), NUMBER_TEXT_SIZE) << v;
    }
}

TEST_F(PictureTest, DecimalSignIsSoughtBehindThePrefix) {
    struct Case {
        const char* sign;
        const char* source;
        const char* picture;
        const char* shown;
    } cases[] = {
        {" ", "12", "@N 999 99", "_12_00"},
        {"N", "12", "@N 99N99", "12N00"},
        {"@", "12", "@N 999", "_12"},
    };
    for (const auto& c : cases) {
        setting(SET_TIZEDESJEL, c.sign);
        EXPECT_EQ(apply(c.source, c.picture), blanks(c.shown)) << c.sign << " " << c.picture;
    }
}

TEST_F(PictureTest, ReprintLeavesTheCallersSourceAlone) {
    char source[8] = "1.5";
    char target[16];
    applyPicture(target, source, "@N 99.99", 0);
    EXPECT_STREQ(target, " 1.50");
    EXPECT_STREQ(source, "1.5");
}

TEST_F(PictureTest, DatePicture) {
    EXPECT_EQ(apply("20120304", "@D"), "2012.03.04");
    EXPECT_EQ(apply("201203", "@D"), "2012.03");
    EXPECT_EQ(apply("2012", "@D"), "2012");
    EXPECT_EQ(apply("", "@D"), "");
    setting(SET_DATEFORMAT, "DD.MM.YYYY");
    EXPECT_EQ(apply("20120304", "@D"), "04.03.2012");
    // Positions past the source's end show as blanks.
    EXPECT_EQ(apply("201203", "@D"), blanks("__.03.2"));
    setting(SET_DATEFORMAT, "MM/DD/YY");
    EXPECT_EQ(apply("20120304", "@D"), "03/04/20");
}

TEST_F(PictureTest, LogicalPicture) {
    EXPECT_EQ(apply("T", "@L"), "I");
    EXPECT_EQ(apply("F", "@L"), "N");
    EXPECT_EQ(apply(" ", "@L"), "N");
    EXPECT_EQ(apply("", "@L"), "N");
    EXPECT_EQ(apply("t", "@L"), "N");
}

TEST_F(PictureTest, TextPicture) {
    struct Case {
        const char* source;
        const char* picture;
        const char* shown;
    } cases[] = {
        {"abc", "@S5", "abc__"},
        {"abc", "@S2", "ab"},
        {"abc", "@S", ""},
        {"abc", "@S5 ", "abc__"},  // a blank with nothing after it: no template
        {"12ab34", "@S6 999AAA", "12_b.."},
        {"ab", "@S6 XXX", "ab____"},
        {"abcdef", "@S6 !X", "Abcdef"},  // the rest after the template is copied
        {"a-1 x", "@S5 #####", ".-1_."},
        {"TF", "@S2 LL", "IN"},
        {"a\xE1_1", "@S4 NNNN", "a\xE1.1"},
        {"\xE1rv\xEDz", "@S5 !!!!!", "\xC1RV\xCDZ"},
        {"abcdefgh", "@S3 XXXXXXXX", "abc"},
        {"abc", "@S012", "abc_________"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(apply(c.source, c.picture), blanks(c.shown)) << c.source << " " << c.picture;
}

TEST_F(PictureTest, TextPictureMayWriteOverItsSource) {
    char text[16] = "12ab34";
    EXPECT_STREQ(applyPicture(text, text, "@S8! 999AAA", 0), "12 B..  ");
}

TEST_F(PictureTest, UpperCaseFunctionChangesTheCallersSource) {
    char source[] = "\xE1rv\xEDz";  // árvíz
    char target[16];
    applyPicture(target, source, "@S8!", 0);
    EXPECT_STREQ(target, "\xC1RV\xCDZ   ");
    EXPECT_STREQ(source, "\xC1RV\xCDZ");
}

TEST_F(PictureTest, TextPictureReadsTheLetterSettings) {
    EXPECT_EQ(apply("\xE4", "@S1 N"), ".");  // ä is not among the letters
    setting(SET_HUN_LOWER, "\xF6\xFC\xF3\xF5\xFA\xE9\xE1\xFB\xED\xE4");
    EXPECT_EQ(apply("\xE4", "@S1 N"), "\xE4");
}

TEST_F(PictureTest, OtherPicturesCopyTheSource) {
    EXPECT_EQ(apply("any text", "XYZ"), "any text");
    EXPECT_EQ(apply("any text", ""), "any text");
    EXPECT_EQ(apply("any text", nullptr), "any text");
    char text[] = "in place";
    EXPECT_STREQ(applyPicture(text, text, "", 0), "in place");
}

TEST_F(PictureTest, BackDirection) {
    struct Case {
        const char* source;
        const char* picture;
        const char* stored;
    } cases[] = {
        {"-1,234.50", "@N", "-1234.50"},  // the sign is kept
        {"  1,234.50", "@N 999,999.99", "1234.50"},
        {"  -7.25", "@N 9,999.99", "-7.25"},
        {"12-3", "@N", "123"},  // only a '-' before the first digit is a sign
        {"2012.03.04", "@D", "20120304"},
        {"04/03/2012", "@D", "04032012"},
        {" ab ", "@S5", " ab "},
        {"I", "@L", "########"},  // untouched
        {"abc", "XYZ", "########"},
    };
    for (const auto& c : cases) {
        std::string result = apply(c.source, c.picture, 1);
        EXPECT_EQ(result.substr(0, std::strlen(c.stored)), c.stored)
            << c.source << " " << c.picture;
    }
    EXPECT_EQ(apply("-1,234.50", "@N", -1), "-1234.50");
}

TEST_F(PictureTest, NumberRoundTripThroughThePicture) {
    for (long double v : {1234.5L, -1234.5L, 0.0L, -0.07L, 999999.99L}) {
        std::string shown = show(v, "@N 999,999.99");
        std::string stored = apply(shown, "@N 999,999.99", 1);
        EXPECT_EQ(Number(stored.c_str()) == Number(v), 1) << shown << " -> " << stored;
    }
}

}  // namespace
