#include "util/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A text in a buffer of exactly its length plus `spare` bytes, so that the
// sanitizer sees any write behind it.
std::vector<char> exactBuffer(const std::string& text, std::size_t spare = 1) {
    std::vector<char> buffer(text.size() + spare, '\0');
    text.copy(buffer.data(), text.size());
    return buffer;
}

TEST(SearchTest, FindTextFindLastAndMatchAt) {
    struct Case {
        const char* needle;
        const char* text;
        int first;
        int last;
    } cases[] = {
        {"ab", "xxabab", 2, 4}, {"ba", "ab", -1, -1}, {"", "abc", 0, 3},
        {"", "", -1, 0},        {"abc", "abc", 0, 0}, {"abcd", "abc", -1, -1},
        {"a", "", -1, -1},      {"aa", "aaa", 0, 1},  {"\xE1", "a\xE1\xE1", 1, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findText(c.needle, c.text), c.first) << c.needle << " in " << c.text;
        EXPECT_EQ(findLast(c.needle, c.text), c.last) << c.needle << " in " << c.text;
    }
    EXPECT_EQ(matchAt("abc", "abd", 2), 2);
    EXPECT_EQ(matchAt("abc", "abd", 3), -1);
    EXPECT_EQ(matchAt("ab", "abc", 3), -1);
    EXPECT_EQ(matchAt("abc", "abc", 3), 3);
    EXPECT_EQ(findText(nullptr, "abc"), -1);
    EXPECT_EQ(findLast("a", nullptr), -1);
}

TEST(FillBytesTest, FillsExactlyCountBytes) {
    char buffer[] = "abcdef";
    fillBytes(buffer + 1, 3, '*');
    EXPECT_STREQ(buffer, "a***ef");
    fillBytes(buffer, 0, '#');
    fillBytes(buffer, -2, '#');
    EXPECT_STREQ(buffer, "a***ef");
}

// Records laid out as in an index block: 5 bytes of other data, then the key.
class BinarySearchTest : public ::testing::Test {
  protected:
    static constexpr int kKeyOffset = 5;

    void build(const std::vector<std::string>& keys, int keyLength) {
        keyLen = keyLength;
        recordSize = kKeyOffset + keyLength;
        records.assign(keys.size() * recordSize, '\x7F');
        for (std::size_t i = 0; i < keys.size(); ++i)
            keys[i].copy(&records[i * recordSize + kKeyOffset], keyLength);
    }
    int find(const char* key, int lastIndex) const {
        return binarySearch(records.data(), kKeyOffset, keyLen, recordSize, lastIndex, key);
    }

    std::vector<char> records;
    int keyLen = 0;
    int recordSize = 0;
};

TEST_F(BinarySearchTest, FindsPresentKeysOnly) {
    build({"ant", "cat", "eel"}, 3);
    struct Case {
        const char* key;
        int index;
    } cases[] = {{"ant", 0},  {"cat", 1}, {"eel", 2},  {"bee", -1},
                 {"dog", -1}, {"aa", -1}, {"fox", -1}, {"", -1}};
    for (const Case& c : cases) EXPECT_EQ(find(c.key, 2), c.index) << c.key;
    EXPECT_EQ(find("ant", 0), 0) << "one record";
    EXPECT_EQ(find("cat", 0), -1) << "one record";
}

TEST_F(BinarySearchTest, EveryRecordOfALongTableIsFound) {
    std::vector<std::string> keys;
    for (int i = 0; i < 100; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "k%03d", 2 * i);
        keys.push_back(key);
    }
    build(keys, 4);
    for (int last = 0; last < 100; ++last) {
        for (int i = 0; i <= last; ++i) EXPECT_EQ(find(keys[i].c_str(), last), i) << last;
        EXPECT_EQ(find("k001", last), -1);
        EXPECT_EQ(find("k999", last), -1);
    }
}

TEST_F(BinarySearchTest, UnsignedOrderAndBadArguments) {
    build({"abc", "ab\xE1"}, 3);  // 0xE1 sorts after 'c'
    EXPECT_EQ(find("ab\xE1", 1), 1);
    EXPECT_EQ(find("abc", 1), 0);

    EXPECT_EQ(find("abc", -1), -1) << "empty range";
    EXPECT_EQ(binarySearch(nullptr, 5, 3, 8, 1, "abc"), -1);
    EXPECT_EQ(binarySearch(records.data(), 5, 3, 8, 1, nullptr), -1);
    EXPECT_EQ(binarySearch(records.data(), 6, 3, 8, 1, "abc"), -1) << "key beyond record";
    EXPECT_EQ(binarySearch(records.data(), 5, 3, 0, 1, "abc"), -1);
}

TEST(CompareFoldedTest, IgnoresAccentsNotCase) {
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"\xE1", "a", 0},                        // á, a
        {"\xE1", "b", -1},    {"z", "\xE1", 1},  // á weighs as a, not as its byte 0xE1
        {"A", "a", -1},       {"\xC1", "A", 0},  // Á, A
        {"\xC1", "\xE1", -1}, {"\xE1rv\xEDzt\xFBr\xF5", "arvizturo", 0},
        {"ab", "abc", -1},    {"abc", "ab", 1},
        {"", "", 0},          {nullptr, "", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sign(compareFolded(c.a, c.b)), c.sign) << (c.a ? c.a : "(null)") << " vs " << c.b;
}

TEST(IsBlankTest, BlanksOnly) {
    EXPECT_EQ(isBlank(""), 1);
    EXPECT_EQ(isBlank("   "), 1);
    EXPECT_EQ(isBlank("\t"), 0);
    EXPECT_EQ(isBlank("  x "), 0);
    EXPECT_EQ(isBlank(nullptr), 0);
}

TEST(UnquoteTest, EnclosingQuotationMarks) {
    struct Case {
        const char* text;
        const char* result;
        int length;
    } cases[] = {
        {"\"abc\"", "abc", 3}, {"'abc'", "abc", 3}, {"\"abc'", "abc", 3}, {"'abc\"", "abc", 3},
        {"abc", "abc", 0},     {"\"", "\"", 0},     {"\"\"", "", 0},      {"''x", "''x", 0},
        {"", "", 0},           {"\"a", "\"a", 0},
    };
    for (const Case& c : cases) {
        std::vector<char> buffer = exactBuffer(c.text);
        EXPECT_EQ(unquote(buffer.data()), c.length) << c.text;
        EXPECT_STREQ(buffer.data(), c.result) << c.text;
    }
}

TEST(InsertCharTest, InsertsWithinTheText) {
    struct Case {
        const char* text;
        int position;
        const char* result;
    } cases[] = {
        {"abc", 1, "aXbc"}, {"abc", 3, "abcX"}, {"abc", 0, "Xabc"},
        {"", 0, "X"},       {"abc", 4, "abc"},  {"abc", -1, "abc"},
    };
    for (const Case& c : cases) {
        std::vector<char> buffer = exactBuffer(c.text, 2);
        EXPECT_EQ(insertChar(buffer.data(), c.position, 'X'), buffer.data());
        EXPECT_STREQ(buffer.data(), c.result) << c.text << " at " << c.position;
    }
}

TEST(BufferArrayTest, AllocatesUsableBuffers) {
    char** buffers = allocBuffers(3, 16);
    ASSERT_NE(buffers, nullptr);
    for (int i = 0; i < 3; ++i) std::snprintf(buffers[i], 16, "buffer %d", i);
    EXPECT_STREQ(buffers[2], "buffer 2");
    freeBuffers(buffers, 3);
    freeBuffers(allocBuffers(0, 16), 0);
}

#if defined(__SANITIZE_ADDRESS__)
#define TABULO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TABULO_ASAN 1
#endif
#endif

TEST(BufferArrayDeathTest, ExhaustedMemoryEndsWithCode99) {
    const std::size_t huge = SIZE_MAX / 4;
    EXPECT_EXIT(allocBuffers(huge, 1), ::testing::ExitedWithCode(99), "");
#ifndef TABULO_ASAN
    // Under AddressSanitizer its allocator reports an impossible size itself
    // instead of returning null, so only the plain build sees this one.
    EXPECT_EXIT(allocBuffers(1, huge), ::testing::ExitedWithCode(99), "");
#endif
}

TEST(ScrambleCodeTest, RoundTrip) {
    const char* codes[] = {"abc", "", "12345678", "\xC1RV\xCDZ", "a b"};
    for (const char* code : codes) {
        std::vector<char> buffer = exactBuffer(code, CODE_BUFFER_SIZE - std::string(code).size());
        scrambleCode(buffer.data());
        for (int i = 0; i < CODE_LENGTH; ++i) EXPECT_NE(buffer[i], '\0') << code << " at " << i;
        EXPECT_EQ(buffer[CODE_LENGTH], '\0') << code;
        EXPECT_NE(std::string(buffer.data()),
                  std::string(code) + std::string(8 - std::string(code).size(), ' '));
        EXPECT_STREQ(unscrambleCode(buffer.data()), code);
    }
}

TEST(ScrambleCodeTest, NoPrintableByteScramblesToZero) {
    for (int b = 0x20; b <= 0xFF; ++b) {
        char code[CODE_BUFFER_SIZE];
        for (int i = 0; i < CODE_LENGTH; ++i) code[i] = static_cast<char>(b);
        code[CODE_LENGTH] = '\0';
        scrambleCode(code);
        for (int i = 0; i < CODE_LENGTH; ++i) ASSERT_NE(code[i], '\0') << b << " at " << i;
        unscrambleCode(code);
        EXPECT_EQ(std::string(code),
                  b == ' ' ? "" : std::string(CODE_LENGTH, static_cast<char>(b)));
    }
}

TEST(ScrambleCodeTest, OnlyTheFirstEightBytesAreScrambled) {
    char code[16] = "abcdefghij";
    scrambleCode(code);
    EXPECT_STREQ(code + CODE_LENGTH, "ij");
    EXPECT_STREQ(unscrambleCode(code), "abcdefgh");
}

}  // namespace
