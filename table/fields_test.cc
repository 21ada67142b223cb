// Field values: the stored form of each type, the code-page conversion on the
// way in and out, and the whole-record companions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "table/dbf.h"
#include "tests/testutil.h"

namespace {

using testutil::ScratchDir;
using testutil::TableImage;

class FieldsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TableImage t;
        t.fields = {{"TEXT", 'C', 5}, {"AMOUNT", 'N', 8, 2}, {"WHOLE", 'N', 5, 0},
                    {"FLAG", 'L', 1}, {"BORN", 'D', 8},      {"MEMO", 'M', 10}};
        t.records = {std::string(37, ' ')};
        testutil::writeAll(dir.file("f.dbf"), t.bytes());
        table = std::make_unique<dbf>(dir.file("f.dbf").c_str());
        ASSERT_EQ(table->open(), 1);
    }
    // Stores `text` and returns the field's bytes as they stand in the record.
    std::string put(int field, const char* text) {
        std::string copy(text);
        copy.resize(copy.size() + 32, '\0');
        EXPECT_EQ(table->fieldPut(field, copy.data()), 1);
        const int length = table->fieldInfo(field)->length;
        return std::string(table->record() + table->fieldOffset(field),
                           static_cast<std::size_t>(length));
    }

    ScratchDir dir;
    std::unique_ptr<dbf> table;
};

TEST_F(FieldsTest, StoredForms) {
    struct Case {
        int field;
        const char* text;
        std::string stored;
    } cases[] = {
        {0, "abc", "abc  "},
        {0, "abcdefg", "abcde"},
        {0, "", "     "},
        {1, "3.14159", "    3.14"},
        {1, "-2", "   -2.00"},
        {1, "abc", "    0.00"},
        {1, "  1e2", "  100.00"},
        {1, "123456789", "12345678"},
        {1, "0x1A", "    0.00"},  // decimal numbers only
        {1, "inf", "    0.00"},
        {2, "12.9", "   12"},
        {2, "12.5", "   12"},
        {2, "-3.7", "   -3"},
        {2, "2.9999996", "    3"},
        {2, "123456", "12345"},
        {3, "yes", "T"},
        {3, "Yes", "T"},
        {3, "true", "T"},
        {3, "T", "T"},
        {3, "no", "F"},
        {3, "1", "F"},
        {3, "", "F"},
        {4, "2001.12.31", "20011231"},
        {4, "20010229", "        "},
        {4, "2001", "        "},
        {4, "20000229", "20000229"},
        {4, "2001121", "20011201"},
        {5, "12", std::string("12\0\0\0\0\0\0\0\0", 10)},
    };
    for (const auto& c : cases) EXPECT_EQ(put(c.field, c.text), c.stored) << c.text;
}

TEST_F(FieldsTest, FieldGetKeepsTheStoredBytes) {
    put(0, "ab");
    EXPECT_STREQ(table->fieldGet(0), "ab   ");
    put(1, "7");
    EXPECT_STREQ(table->fieldGet(1), "    7.00");
    put(5, "xy");
    EXPECT_STREQ(table->fieldGet(5), "xy");  // ends at the first zero byte
}

TEST_F(FieldsTest, OutOfRangeFieldNumbers) {
    const std::string before(table->record(), 38);
    char text[] = "x";
    for (int bad : {-1, 6, 100}) {
        EXPECT_STREQ(table->fieldGet(bad), "");
        EXPECT_EQ(table->fieldPut(bad, text), 0);
    }
    EXPECT_EQ(std::string(table->record(), 38), before);
}

TEST_F(FieldsTest, CodePageConversionBothWays) {
    // ő is 0xF5 in Windows-1250 and 0x8B in code page 852.
    char text[] = "\xF5z";
    ASSERT_EQ(table->fieldPut(0, text), 1);
    EXPECT_EQ(table->record()[1], '\x8B');
    EXPECT_STREQ(text, "\x8Bz");  // the caller's text stays converted
    EXPECT_STREQ(table->fieldGet(0), "\xF5z   ");

    table->oemConvert = 0;
    char raw[] = "\xF5";
    table->fieldPut(0, raw);
    EXPECT_EQ(table->record()[1], '\xF5');
    EXPECT_STREQ(table->fieldGet(0), "\xF5    ");
}

TEST_F(FieldsTest, NumberTextIsCutTo25Characters) {
    std::string text = "1" + std::string(30, '0');
    char out[FIELD_SCRATCH_SIZE];
    table->numberToField(1, text.data(), out);
    EXPECT_EQ(std::strlen(text.c_str()), 25u);
    // The number is read before the cut: its rendering is wider than the field.
    EXPECT_EQ(std::string(out).substr(0, 4), "1000");
    // Huge magnitudes render into the scratch without overrunning it.
    char huge[] = "1e308";
    table->numberToField(1, huge, out);
    EXPECT_EQ(std::strlen(out), FIELD_SCRATCH_SIZE - 1);
}

TEST_F(FieldsTest, DateDigits) {
    char out[9];
    dbf::dateDigits("2001.12.31", out);
    EXPECT_STREQ(out, "20011231");
    dbf::dateDigits("a1b2c3d4e5f6g7h8i9", out);
    EXPECT_STREQ(out, "12345678");
    dbf::dateDigits("", out);
    EXPECT_STREQ(out, "");
}

TEST_F(FieldsTest, RecordTextAndImage) {
    std::string image =
        " \xF5"
        "bc  " +
        std::string(32, ' ');
    image.resize(64, '\0');
    ASSERT_EQ(table->setRecordImage(image.data()), 1);
    EXPECT_EQ(table->record()[1], '\x8B');
    EXPECT_EQ(table->record()[37], ' ');
    const char* text = table->recordText();
    EXPECT_EQ(std::strlen(text), 37u);
    EXPECT_EQ(text[0], '\xF5');

    std::string shortImage = " ab";
    shortImage.resize(64, '\0');
    table->setRecordImage(shortImage.data());
    EXPECT_EQ(std::string(table->record(), 4), std::string(" ab\0", 4));
}

}  // namespace
