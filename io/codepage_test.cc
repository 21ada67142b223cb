#include "io/codepage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/testutil.h"

namespace {

TEST(CodepageTest, ConversionIsALosslessPermutation) {
    std::vector<int> seen(256, 0);
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        const unsigned char a = codepage::oemToAnsi(c);
        ++seen[a];
        EXPECT_EQ(codepage::ansiToOem(a), c) << b;
        EXPECT_EQ(codepage::oemToAnsi(codepage::ansiToOem(c)), c) << b;
        if (b < 0x80) {
            EXPECT_EQ(a, c) << b;
        }
    }
    for (int b = 0; b < 256; ++b) EXPECT_EQ(seen[b], 1) << b;

    // Every byte string, zero bytes included, survives a round trip.
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::string data = all;
    codepage::oemToAnsi(data.data(), data.size());
    EXPECT_NE(data, all);
    codepage::ansiToOem(data.data(), data.size());
    EXPECT_EQ(data, all);
}

TEST(CodepageTest, TextFormsStopAtTheTerminator) {
    char text[] = "\xA0\xB5\0\xA0";  // 852: a-acute, A-acute; then behind the end
    EXPECT_EQ(codepage::oemToAnsi(text), text);
    EXPECT_EQ(std::string(text, 4), std::string("\xE1\xC1\0\xA0", 4));
    codepage::ansiToOem(text);
    EXPECT_EQ(std::string(text, 4), std::string("\xA0\xB5\0\xA0", 4));
}

// Converts each byte 0x80-0xFF with iconv, one per line; bytes iconv cannot
// convert come back as empty lines.
bool iconvBytes(const char* from, const char* to, std::vector<std::string>& out) {
    if (std::system("command -v iconv >/dev/null 2>&1") != 0) return false;
    testutil::ScratchDir dir;
    std::string input;
    for (int b = 0x80; b < 0x100; ++b) {
        input.push_back(static_cast<char>(b));
        input.push_back('\n');
    }
    testutil::writeAll(dir.file("in"), input);
    const std::string command = std::string("iconv -c -f ") + from + " -t " + to + " < '" +
                                dir.file("in") + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    std::string output;
    char chunk[512];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
    ::pclose(pipe);
    out.clear();
    std::size_t start = 0;
    for (std::size_t nl; (nl = output.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(output.substr(start, nl - start));
    return out.size() == 128;
}

TEST(CodepageTest, SharedCharactersAgreeWithIconv) {
    std::vector<std::string> toAnsi, toOem;
    if (!iconvBytes("CP852", "CP1250", toAnsi) || !iconvBytes("CP1250", "CP852", toOem))
        GTEST_SKIP() << "iconv with CP852 and CP1250 is not available";
    int shared = 0;
    for (int i = 0; i < 128; ++i) {
        const auto b = static_cast<unsigned char>(0x80 + i);
        const unsigned char a = codepage::oemToAnsi(b);
        if (toAnsi[i].size() == 1) {
            ++shared;
            EXPECT_EQ(static_cast<unsigned char>(toAnsi[i][0]), a) << "852 byte " << int(b);
        } else {
            // A character only 852 has pairs with one only 1250 has.
            EXPECT_TRUE(toOem[a - 0x80].empty()) << "852 byte " << int(b);
        }
        if (toOem[i].size() == 1) {
            EXPECT_EQ(static_cast<unsigned char>(toOem[i][0]), codepage::ansiToOem(b))
                << "1250 byte " << int(b);
        }
    }
    EXPECT_GT(shared, 90);
}

TEST(CodepageTest, UpperCasingOfWindows1250) {
    std::vector<unsigned char> expected(256);
    for (int b = 0; b < 256; ++b) expected[b] = static_cast<unsigned char>(b);
    for (int b = 'a'; b <= 'z'; ++b) expected[b] = static_cast<unsigned char>(b - 32);
    // s-caron, s-acute, t-caron, z-caron, z-acute, l-stroke, a-ogonek,
    // s-cedilla, l-caron, z-dot.
    const int pairs[][2] = {{0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0x9F, 0x8F},
                            {0xB3, 0xA3}, {0xB9, 0xA5}, {0xBA, 0xAA}, {0xBE, 0xBC}, {0xBF, 0xAF}};
    for (const auto& p : pairs) expected[p[0]] = static_cast<unsigned char>(p[1]);
    for (int b = 0xE0; b <= 0xFE; ++b)
        if (b != 0xF7) expected[b] = static_cast<unsigned char>(b - 0x20);  // not the division sign
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(codepage::upperAnsi(static_cast<unsigned char>(b)), expected[b]) << b;
    // sharp s, micro sign and dot above stay.
    char text[] = "\xDF\xB5\xFF\xE1rv\xED\xBE";
    EXPECT_STREQ(codepage::upperAnsi(text), "\xDF\xB5\xFF\xC1RV\xCD\xBC");
}

}  // namespace
