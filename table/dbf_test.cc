// Opening tables: the header and descriptor layouts that open, the damaged
// ones it refuses (leaving the file byte-identical and no handle open), and
// the field lookups.
#include "table/dbf.h"

#include <gtest/gtest.h>

#include "tests/testutil.h"

namespace {

using testutil::Field;
using testutil::ScratchDir;
using testutil::TableImage;

TableImage sample() {
    TableImage t;
    t.fields = {{"NAME", 'C', 10}, {"AMOUNT", 'N', 8, 2}, {"BORN", 'D', 8}, {"FLAG", 'L', 1}};
    t.records = {"Alpha        12.50 20010101T", "Beta          3.00 19991231F"};
    return t;
}

TEST(DbfOpen, HeaderLengthsWithOneOrTwoTerminatorBytes) {
    for (bool pair : {true, false}) {
        ScratchDir dir;
        TableImage t = sample();
        t.terminatorPair = pair;
        testutil::writeAll(dir.file("t.dbf"), t.bytes());
        dbf table(dir.file("t.dbf").c_str());
        ASSERT_EQ(table.open(), 1) << "pair=" << pair;
        EXPECT_EQ(table.fieldCount(), 4);
        EXPECT_EQ(table.recordLength(), t.recordLength());
        EXPECT_EQ(table.fieldOffset(0), 1);
        EXPECT_EQ(table.fieldOffset(1), 11);
        EXPECT_EQ(table.fieldOffset(3), 27);
        // The cursor stands on record 1 and reads it from the header length on.
        EXPECT_EQ(table.recNo(), 1);
        EXPECT_STREQ(table.fieldGet(0), "Alpha     ");
        EXPECT_EQ(table.bof(), 1);
        EXPECT_EQ(table.eof(), 0);
    }
}

TEST(DbfOpen, ZeroFieldsAndZeroRecords) {
    ScratchDir dir;
    TableImage t;
    testutil::writeAll(dir.file("z.dbf"), t.bytes());
    dbf table(dir.file("z.dbf").c_str());
    ASSERT_EQ(table.open(), 1);
    EXPECT_EQ(table.fieldCount(), 0);
    EXPECT_EQ(table.fieldIndex("X"), -1);
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_EQ(table.eof(), 1);
    EXPECT_EQ(table.bof(), 1);
    EXPECT_EQ(table.record()[0], '\0');
}

TEST(DbfOpen, MemoTableCreatesMissingMemoFile) {
    ScratchDir dir;
    TableImage t = sample();
    t.version = 0x83;
    testutil::writeAll(dir.file("m.dbf"), t.bytes());
    dbf table(dir.file("m.dbf").c_str());
    ASSERT_EQ(table.open(), 1);
    EXPECT_STREQ(table.memoFileName(), dir.file("m.dbT").c_str());
    EXPECT_TRUE(std::filesystem::exists(dir.file("m.dbT")));
    EXPECT_EQ(std::filesystem::file_size(dir.file("m.dbT")), 0u);
}

TEST(DbfOpen, MemoPathReplacesLastCharacter) {
    dbf a("DATA");
    EXPECT_STREQ(a.memoFileName(), "DATT");
    dbf b("sys01.dbf");
    EXPECT_STREQ(b.memoFileName(), "sys01.dbT");
}

// Each case damages a valid table; open must refuse it and leave every byte.
struct Damage {
    const char* what;
    void (*apply)(std::string& bytes);
};

void setByte(std::string& s, std::size_t at, int v) {
    s[at] = static_cast<char>(v);
}

TEST(DbfOpen, RefusesDamagedTablesAndLeavesThemAlone) {
    const Damage cases[] = {
        {"version 0x30", [](std::string& s) { setByte(s, 0, 0x30); }},
        {"version 0x8B", [](std::string& s) { setByte(s, 0, 0x8B); }},
        {"shorter than a header", [](std::string& s) { s.resize(31); }},
        {"empty file", [](std::string& s) { s.clear(); }},
        {"header length below 32", [](std::string& s) { setByte(s, 8, 20), setByte(s, 9, 0); }},
        {"header length negative", [](std::string& s) { setByte(s, 9, 0x80); }},
        {"header length beyond the file", [](std::string& s) { setByte(s, 9, 0x7F); }},
        {"record length 0", [](std::string& s) { setByte(s, 10, 0), setByte(s, 11, 0); }},
        {"record length below the fields", [](std::string& s) { setByte(s, 10, 27); }},
        {"record length negative", [](std::string& s) { setByte(s, 11, 0x80); }},
        {"N field of width 21", [](std::string& s) { setByte(s, 32 + 32 + 16, 21); }},
        {"N field of width 21 last",
         [](std::string& s) {
             setByte(s, 32 + 3 * 32 + 11, 'N');
             setByte(s, 32 + 3 * 32 + 16, 21);
         }},
        {"C field high length byte", [](std::string& s) { setByte(s, 32 + 17, 1); }},
        {"C field length sign bit", [](std::string& s) { setByte(s, 32 + 17, 0x80); }},
        {"name fills 11 bytes",
         [](std::string& s) {
             for (int i = 0; i < 11; ++i) setByte(s, 32 + i, 'A');
         }},
        {"descriptors past the file", [](std::string& s) { s.resize(32 + 40); }},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        std::string bytes = sample().bytes();
        c.apply(bytes);
        const std::string path = dir.file("d.dbf");
        testutil::writeAll(path, bytes);
        {
            dbf table(path.c_str());
            EXPECT_EQ(table.open(), 0) << c.what;
            EXPECT_EQ(table.isOpen(), 0) << c.what;
            // No handle stays open: another object may open the file exclusively.
            files probe(path.c_str(), 16);
            EXPECT_EQ(probe.open(GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL), 1)
                << c.what;
        }
        EXPECT_EQ(testutil::readAll(path), bytes) << c.what;
        EXPECT_FALSE(std::filesystem::exists(dir.file("d.dbT"))) << c.what;
    }
}

TEST(DbfOpen, LimitsThatStillOpen) {
    ScratchDir dir;
    TableImage t;
    t.fields = {{"LONG", 'C', 255}, {"NUM", 'N', 20, 4}};
    t.records = {std::string(255, 'x') + std::string(20, ' ')};
    testutil::writeAll(dir.file("l.dbf"), t.bytes());
    dbf table(dir.file("l.dbf").c_str());
    ASSERT_EQ(table.open(), 1);
    EXPECT_EQ(table.fieldInfo(0)->length, 255);
    EXPECT_EQ(table.fieldInfo(1)->decimals, 4);
}

TEST(DbfOpen, MissingFileIsRefusedAndNotCreated) {
    ScratchDir dir;
    dbf table(dir.file("missing.dbf").c_str());
    EXPECT_EQ(table.open(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.dbf")));
}

TEST(DbfOpen, OpenTwiceAndCloseTwice) {
    ScratchDir dir;
    testutil::writeAll(dir.file("t.dbf"), sample().bytes());
    dbf table(dir.file("t.dbf").c_str());
    ASSERT_EQ(table.open(), 1);
    table.skip(1);
    EXPECT_EQ(table.open(), 1);
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(table.close(), 1);
    EXPECT_EQ(table.close(), 1);
    EXPECT_EQ(table.isOpen(), 0);
}

TEST(DbfFields, Lookups) {
    ScratchDir dir;
    testutil::writeAll(dir.file("t.dbf"), sample().bytes());
    dbf table(dir.file("t.dbf").c_str());
    ASSERT_EQ(table.open(), 1);
    EXPECT_EQ(table.fieldIndex("name"), 0);
    EXPECT_EQ(table.fieldIndex("Amount"), 1);
    EXPECT_EQ(table.fieldIndex(""), -1);
    EXPECT_EQ(table.fieldIndex("NAMEX"), -1);

    FieldInfo* n = table.fieldInfo(1);
    EXPECT_STREQ(n->name, "AMOUNT");
    EXPECT_EQ(n->type, 'N');
    EXPECT_EQ(n->length, 8);
    EXPECT_EQ(n->decimals, 2);
    EXPECT_EQ(table.fieldInfo(0)->decimals, 0);
    EXPECT_EQ(table.fieldType(2), 'D');

    for (int bad : {4, -1, 1000}) {
        FieldInfo* e = table.fieldInfo(bad);
        EXPECT_STREQ(e->name, "");
        EXPECT_EQ(e->type, 0);
        EXPECT_EQ(e->length, 0);
        EXPECT_EQ(e->decimals, 0);
        EXPECT_EQ(table.fieldOffset(bad), -1);
        EXPECT_EQ(table.fieldType(bad), 0);
    }
}

TEST(DbfFields, DeleteFile) {
    ScratchDir dir;
    testutil::writeAll(dir.file("gone.txt"), "x");
    dbf table(dir.file("t.dbf").c_str());
    EXPECT_EQ(table.deleteFile(dir.file("gone.txt").c_str()), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("gone.txt")));
    EXPECT_EQ(table.deleteFile(dir.file("gone.txt").c_str()), 0);
}

}  // namespace
