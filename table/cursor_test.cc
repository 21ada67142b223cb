// The record cursor: moves, flags, hidden records, the re-read record count.
#include <gtest/gtest.h>

#include <string>

#include "table/dbf.h"
#include "tests/testutil.h"
#include "util/settings.h"

namespace {

using testutil::ScratchDir;
using testutil::TableImage;

// Five records "1" to "5" in a one-field table; `deleted` marks some.
class CursorTest : public ::testing::Test {
  protected:
    void make(std::vector<bool> deleted = {}) {
        TableImage t;
        t.fields = {{"N", 'C', 1}};
        t.records = {"1", "2", "3", "4", "5"};
        t.deleted = std::move(deleted);
        path = dir.file("c.dbf");
        testutil::writeAll(path, t.bytes());
        table = std::make_unique<dbf>(path.c_str());
        ASSERT_EQ(table->open(), 1);
    }
    void TearDown() override { setting(SET_DELETED, "0"); }
    std::string current() { return table->fieldGet(0); }

    ScratchDir dir;
    std::string path;
    std::unique_ptr<dbf> table;
};

TEST_F(CursorTest, SkipAcrossTheEnds) {
    make();
    EXPECT_EQ(current(), "1");
    EXPECT_EQ(table->skip(-1), 1);
    EXPECT_EQ(current(), "1");
    EXPECT_EQ(table->bof(), 1);
    EXPECT_EQ(table->skip(2), 1);
    EXPECT_EQ(current(), "3");
    EXPECT_EQ(table->bof(), 0);
    table->skip(2);
    EXPECT_EQ(table->recNo(), 5);
    EXPECT_EQ(table->eof(), 0);
    table->skip(1);
    EXPECT_EQ(current(), "5");
    EXPECT_EQ(table->eof(), 1);
    table->skip(-4);
    EXPECT_EQ(current(), "1");
    EXPECT_EQ(table->eof(), 0);
}

TEST_F(CursorTest, GoToGoTopGoBottom) {
    make();
    table->goTo(4);
    EXPECT_EQ(current(), "4");
    table->goTo(0);
    EXPECT_EQ(current(), "1");
    table->goTo(1);
    EXPECT_EQ(table->bof(), 1);
    table->goTo(99);
    EXPECT_EQ(current(), "5");
    EXPECT_EQ(table->recNo(), 5);
    table->goTop();
    EXPECT_EQ(table->recNo(), 1);
    table->goBottom();
    EXPECT_EQ(table->recNo(), 5);
}

TEST_F(CursorTest, DeletedRecordsHiddenOnlyWithTheSetting) {
    make({true, true, false, false, true});
    table->goTop();
    EXPECT_EQ(current(), "1");
    EXPECT_EQ(table->isDeleted(), 1);
    setting(SET_DELETED, "1");
    table->goTop();
    EXPECT_EQ(current(), "3");
    EXPECT_EQ(table->isDeleted(), 0);
    // A hidden last record: the cursor stays on it with the end flag set.
    table->goBottom();
    EXPECT_EQ(table->recNo(), 5);
    EXPECT_EQ(table->eof(), 1);
    // From record 4, moving on finds only hidden records: back to 4, end flag.
    table->goTo(4);
    table->skip(1);
    EXPECT_EQ(table->recNo(), 4);
    EXPECT_EQ(table->eof(), 1);
}

TEST_F(CursorTest, FailedSkipReturnsToTheStartingRecord) {
    make();
    table->setFilterHook([](dbf& t) { return t.record()[1] <= '3' ? 1 : 0; });
    table->goTo(2);
    table->skip(3);
    EXPECT_EQ(table->recNo(), 2);
    EXPECT_EQ(table->eof(), 1);
}

TEST_F(CursorTest, RecordCountAppendedByAnotherWriterIsSeen) {
    make();
    table->goBottom();
    // Another writer appends record 6 and raises the count.
    std::string bytes = testutil::readAll(path);
    bytes += " 6";
    bytes[4] = 6;
    testutil::writeAll(path, bytes);
    EXPECT_EQ(table->recCount(), 6);
    table->goTo(5);
    table->skip(1);
    EXPECT_EQ(current(), "6");
    EXPECT_EQ(table->eof(), 0);
}

TEST_F(CursorTest, SetRecCountNeedsTheFileLock) {
    make();
    table->goTo(3);
    const std::string before = testutil::readAll(path);
    EXPECT_EQ(table->setRecCount(4), 0);
    EXPECT_EQ(testutil::readAll(path), before);
    ASSERT_EQ(table->lockFile(), 1);
    EXPECT_EQ(table->setRecCount(4), 1);
    EXPECT_EQ(table->recNo(), 3);
    table->unlockFile();
    EXPECT_EQ(testutil::readAll(path)[4], 4);
    EXPECT_EQ(table->recCount(), 4);
}

TEST(CursorEmpty, EmptyTable) {
    ScratchDir dir;
    TableImage t;
    t.fields = {{"N", 'C', 3}};
    testutil::writeAll(dir.file("e.dbf"), t.bytes());
    dbf table(dir.file("e.dbf").c_str());
    ASSERT_EQ(table.open(), 1);
    table.skip(1);
    EXPECT_EQ(table.eof(), 1);
    table.goTop();
    EXPECT_EQ(table.recNo(), 1);
    EXPECT_EQ(table.eof(), 1);
    EXPECT_STREQ(table.fieldGet(0), "");
}

TEST(CursorDamaged, CountBeyondTheFileNeverReadsStaleBytes) {
    ScratchDir dir;
    TableImage t;
    t.fields = {{"N", 'C', 3}};
    t.records = {"abc", "def"};
    t.recordCount = 1000;
    std::string bytes = t.bytes();
    bytes.resize(bytes.size() - 2);  // the last record is cut short
    testutil::writeAll(dir.file("d.dbf"), bytes);
    dbf table(dir.file("d.dbf").c_str());
    ASSERT_EQ(table.open(), 1);
    for (int i = 0; i < 20; ++i) table.skip(1);
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_STREQ(table.fieldGet(0), "d");
    // Moves toward records the file does not hold stay within the count and
    // never read outside the record buffer (the sanitizer runs check that).
    for (int n : {500, 1000, 1001}) {
        table.goTo(n);
        table.skip(-3);
        EXPECT_GE(table.recNo(), 1) << n;
        EXPECT_LE(table.recNo(), 1000) << n;
    }
}

}  // namespace
