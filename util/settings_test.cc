#include "util/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/settings_fixture.h"

namespace {

class SettingsTest : public testutil::KeepSettings {};

TEST_F(SettingsTest, DefaultsByteForByte) {
    struct Case {
        int id;
        const char* key;
        const char* value;
    } cases[] = {
        {SET_DECIMAL, "SET_DECIMAL", "2"},
        {SET_DATEFORMAT, "SET_DATEFORMAT", "YYYY.MM.DD"},
        {SET_USER, "SET_USER", ""},
        {SET_NUMLEN, "SET_NUMLEN", "19"},
        {SET_SOFTSEEK, "SET_SOFTSEEK", "0"},
        {SET_DELETED, "SET_DELETED", "0"},
        {SET_HUN_LOWER, "SET_HUN_LOWER", "\xF6\xFC\xF3\xF5\xFA\xE9\xE1\xFB\xED"},
        {SET_HUN_UPPER, "SET_HUN_UPPER", "\xD6\xDC\xD3\xD5\xDA\xC9\xC1\xDB\xCD"},
        {SET_HUN_CMP, "SET_HUN_CMP", "1"},
        {SET_CEGNEV, "SET_CEGNEV", ""},
        {SET_BANKSZAM, "SET_BANKSZAM", ""},
        {SET_PRINTER_TO, "SET_PRINTER_TO", "LPT1"},
        {SET_TOOLBARX, "SET_TOOLBARX", "42"},
        {SET_TOOLBARY, "SET_TOOLBARY", "42"},
        {SET_TIZEDESJEL, "SET_TIZEDESJEL", "."},
        {SET_EZRESSEP, "SET_EZRESSEP", " "},
        {SET_OEMTOANSI, "SET_OEMTOANSI", "1"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(setting(c.id, ""), c.value) << c.key;
        EXPECT_STREQ(settingNamed(c.key, ""), c.value) << c.key;
    }
    EXPECT_EQ(SET_OEMTOANSI, 22);
}

TEST_F(SettingsTest, StoreReturnsOldValueAndEmptyOnlyReads) {
    EXPECT_STREQ(setting(SET_DELETED, "1"), "0");
    EXPECT_STREQ(setting(SET_DELETED, ""), "1");
    EXPECT_STREQ(setting(SET_DELETED, nullptr), "1");
    EXPECT_EQ(settingInt(SET_DELETED), 1);
    EXPECT_STREQ(settingNamed("SET_DELETED", "0"), "1");
    EXPECT_STREQ(setting(SET_DELETED), "0");
}

TEST_F(SettingsTest, UnknownIndexOrNameStoresNothing) {
    EXPECT_STREQ(setting(23, "x"), "");
    EXPECT_STREQ(setting(-1, "x"), "");
    EXPECT_STREQ(settingNamed("set_numlen", "5"), "");
    EXPECT_STREQ(settingNamed("SET_NUMLEN", ""), "19");
}

TEST_F(SettingsTest, ResultBuffersAreSeparate) {
    const char* a = setting(SET_NUMLEN);
    settingNamed("SET_DECIMAL");
    EXPECT_STREQ(a, "19");
    setting(SET_DECIMAL);
    EXPECT_STREQ(a, "2");
}

TEST_F(SettingsTest, OverlongValueIsCutToFortyCharacters) {
    std::string longValue(60, 'x');
    setting(SET_USER, longValue.c_str());
    EXPECT_EQ(std::string(setting(SET_USER)), std::string(40, 'x'));
}

TEST_F(SettingsTest, TextToInt) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {{"", 0},
                 {"  12x", 12},
                 {"-3", -3},
                 {"+7", 7},
                 {"x", 0},
                 {"99999999999999", 2147483647},
                 {"-99999999999999", -2147483647 - 1}};
    for (const auto& c : cases) EXPECT_EQ(textToInt(c.text), c.value) << c.text;
}

TEST_F(SettingsTest, FormatNumber) {
    char out[FORMAT_NUMBER_SIZE];
    EXPECT_EQ(formatNumber(1234.5L, out), 19);
    EXPECT_STREQ(out, "            1234.50");
    setting(SET_DECIMAL, "0");
    setting(SET_NUMLEN, "3");
    EXPECT_EQ(formatNumber(123456.0L, out), 6);  // not cut
    EXPECT_STREQ(out, "123456");
    // Texts that would not fit the result area are refused, not overrun.
    setting(SET_NUMLEN, "100");
    EXPECT_EQ(formatNumber(1.0L, out), 0);
    EXPECT_STREQ(out, "");
    setting(SET_NUMLEN, "19");
    EXPECT_EQ(formatNumber(1e300L, out), 0);
    EXPECT_STREQ(out, "");
}

}  // namespace
