#include "util/hungarian.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "util/settings.h"

namespace {

// árvíztűrő tükörfúrógép and its capitals in Windows-1250.
const char* const kLowerPangram = "\xE1rv\xEDzt\xFBr\xF5 t\xFCk\xF6rf\xFAr\xF3g\xE9p";
const char* const kUpperPangram = "\xC1RV\xCDZT\xDBR\xD5 T\xDCK\xD6RF\xDAR\xD3G\xC9P";

// Keeps the two letter lists as a test found them.
class HungarianTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedLower = setting(SET_HUN_LOWER, "");
        savedUpper = setting(SET_HUN_UPPER, "");
    }
    void TearDown() override {
        setting(SET_HUN_LOWER, savedLower.c_str());
        setting(SET_HUN_UPPER, savedUpper.c_str());
    }
    static std::string upper(const std::string& s) {
        std::vector<char> out(s.size() + 1, '#');
        return upperHun(s.c_str(), out.data());
    }
    static std::string lower(const std::string& s) {
        std::vector<char> out(s.size() + 1, '#');
        return lowerHun(s.c_str(), out.data());
    }
    std::string savedLower, savedUpper;
};

TEST_F(HungarianTest, PangramRoundTripCopyingAndInPlace) {
    char target[64];
    EXPECT_EQ(upperHun(kLowerPangram, target), target);
    EXPECT_STREQ(target, kUpperPangram);
    EXPECT_STREQ(lowerHun(target, target), kLowerPangram);
    EXPECT_STREQ(upperHun(target), kUpperPangram);
    EXPECT_EQ(lowerHun(target), target);
    EXPECT_STREQ(target, kLowerPangram);
}

TEST_F(HungarianTest, OtherBytesPassUnchanged) {
    // ä, ß, the bytes around both ASCII letter ranges, digits, punctuation,
    // the space and the ends of the high half.
    const std::string others = "\xE4\xDF@[`{ 0123456789.,;:-!?\x7F\x80\xFF";
    EXPECT_EQ(upper(others), others);
    EXPECT_EQ(lower(others), others);
    EXPECT_EQ(upper("azAZ"), "AZAZ");
    EXPECT_EQ(lower("azAZ"), "azaz");
    EXPECT_EQ(upper(""), "");
    EXPECT_EQ(lower(""), "");
}

TEST_F(HungarianTest, LetterListsAreReadAtEveryCall) {
    EXPECT_EQ(upper("\xE1\xE4"), "\xC1\xE4");
    setting(SET_HUN_LOWER, "\xE4");  // ä
    setting(SET_HUN_UPPER, "\xC4");  // Ä
    EXPECT_EQ(upper("\xE1\xE4"), "\xE1\xC4");
    EXPECT_EQ(lower("\xC1\xC4"), "\xC1\xE4");
}

TEST_F(HungarianTest, UnusualLetterListsNeverDropBytes) {
    struct Case {
        const char* name;
        const char* lowerList;
        const char* upperList;
        const char* text;
        const char* upperText;
        const char* lowerText;
    } cases[] = {
        // ä/Ä at the tenth place take no part; they pass unchanged.
        {"tenth place", "\xF6\xFC\xF3\xF5\xFA\xE9\xE1\xFB\xED\xE4",
         "\xD6\xDC\xD3\xD5\xDA\xC9\xC1\xDB\xCD\xC4", "\xE4\xC4\xE1", "\xE4\xC4\xC1",
         "\xE4\xC4\xE1"},
        // Bytes below 0x80 in the lists do not change ASCII case rules.
        {"ascii in list", "1\xE4", "2\xC4", "12\xE4\xC4", "12\xC4\xC4", "12\xE4\xE4"},
        // A place only one list reaches is no pair.
        {"shorter upper", "\xE1\xE9", "\xC1", "\xE1\xE9\xC9", "\xC1\xE9\xC9", "\xE1\xE9\xC9"},
        // The first place of a byte wins.
        {"repeated byte", "\xE1\xE1", "\xC1\xC9", "\xE1\xC9", "\xC1\xC9", "\xE1\xE1"},
    };
    for (const Case& c : cases) {
        setting(SET_HUN_LOWER, c.lowerList);
        setting(SET_HUN_UPPER, c.upperList);
        EXPECT_EQ(upper(c.text), c.upperText) << c.name;
        EXPECT_EQ(lower(c.text), c.lowerText) << c.name;
    }
}

TEST(TrimTest, TrimsBlanksOnly) {
    struct Case {
        const char* text;
        const char* left;
        const char* right;
        const char* both;
    } cases[] = {
        {"", "", "", ""},
        {"   ", "", "", ""},
        {"\tab ", "\tab ", "\tab", "\tab"},
        {"  ab   ", "ab   ", "  ab", "ab"},
        {" a b ", "a b ", " a b", "a b"},
        {"ab", "ab", "ab", "ab"},
    };
    for (const Case& c : cases) {
        char source[16];
        char target[16];
        std::snprintf(source, sizeof source, "%s", c.text);
        EXPECT_STREQ(trimLeft(source, target), c.left) << '"' << c.text << '"';
        EXPECT_STREQ(trimRight(source, target), c.right) << '"' << c.text << '"';
        EXPECT_STREQ(source, c.text) << "source kept";

        EXPECT_STREQ(trimLeft(source, source), c.left) << "in place";
        std::snprintf(source, sizeof source, "%s", c.text);
        EXPECT_STREQ(trimRight(source, source), c.right) << "in place";
        std::snprintf(source, sizeof source, "%s", c.text);
        EXPECT_EQ(allTrim(source), source);
        EXPECT_STREQ(source, c.both) << '"' << c.text << '"';
    }
}

TEST(CutAtTest, CutsInsideTheTextAndNeverWritesBehindIt) {
    char text[] = "abcdef";
    EXPECT_STREQ(cutAt(text, 3), "abc");
    EXPECT_STREQ(cutAt(text, 0), "");

    // An exactly sized buffer: a length beyond the text must not write.
    std::vector<char> exact{'a', 'b', 'c', '\0'};
    EXPECT_STREQ(cutAt(exact.data(), 10), "abc");
    EXPECT_STREQ(cutAt(exact.data(), -1), "abc");
    EXPECT_STREQ(cutAt(exact.data(), 3), "abc");

    // The empty text, in a buffer of one byte, cuts to the empty text.
    std::vector<char> empty{'\0'};
    EXPECT_STREQ(cutAt(empty.data(), 0), "");
    EXPECT_STREQ(cutAt(empty.data(), 4), "");

    // A filled buffer without a terminator is ended at the length.
    std::vector<char> filled{'x', 'x', 'x', 'x', 'x', '?'};
    EXPECT_STREQ(cutAt(filled.data(), 5), "xxxxx");
}

TEST(RightPartTest, PointsIntoTheText) {
    char text[] = "abc";
    struct Case {
        int count;
        int offset;
    } cases[] = {{5, 0}, {3, 0}, {2, 1}, {0, 3}, {-1, 3}};
    for (const Case& c : cases) EXPECT_EQ(rightPart(text, c.count), text + c.offset) << c.count;
    const char* empty = "";
    EXPECT_EQ(rightPart(empty, 4), empty);
}

TEST(ContainsCharTest, MembersAndTheZeroByte) {
    struct Case {
        int character;
        const char* set;
        int expected;
    } cases[] = {
        {'a', "abc", 1},    {'c', "abc", 1},   {'d', "abc", 0},    {0, "abc", 0},
        {0, "", 0},         {'a', "", 0},      {0xE1, "x\xE1", 1}, {'\xE1', "x\xE1", 1},
        {0xE1, "x\xC1", 0}, {'a', nullptr, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(containsChar(c.character, c.set), c.expected) << c.character;
}

}  // namespace
