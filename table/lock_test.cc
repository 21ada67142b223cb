// Record and file locks, between two table objects of one process and
// between processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "table/dbf.h"
#include "tests/testutil.h"

namespace {

using testutil::ScratchDir;
using testutil::TableImage;

std::string threeRecords(const ScratchDir& dir) {
    TableImage t;
    t.fields = {{"N", 'C', 4}};
    t.records = {"aaaa", "bbbb", "cccc"};
    const std::string path = dir.file("l.dbf");
    testutil::writeAll(path, t.bytes());
    return path;
}

// Runs `body` in a child process with a table object of its own; returns the
// child's result.
int inChild(const std::string& path, const std::function<int(dbf&)>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        dbf other(path.c_str());
        _exit(other.open() ? body(other) : 100);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Locks, RecordLockCoversTheCurrentRecord) {
    ScratchDir dir;
    dbf table(threeRecords(dir).c_str());
    ASSERT_EQ(table.open(), 1);
    table.goTo(3);
    ASSERT_EQ(table.lockRecord(), 1);
    EXPECT_EQ(table.lockedOffset(), table.headerLength() + 2 * table.recordLength());
    EXPECT_EQ(table.lockedLength(), table.recordLength());
    EXPECT_EQ(table.lockRecord(), 0);  // one lock at a time, the first stays
    EXPECT_EQ(table.lockFile(), 0);
    EXPECT_EQ(table.lockedLength(), table.recordLength());
    EXPECT_EQ(table.unlockFile(), 1);
    EXPECT_EQ(table.lockFile(), 1);
    EXPECT_EQ(table.isFileLocked(), 1);
    EXPECT_EQ(table.unlockFile(), 1);
    EXPECT_EQ(table.isFileLocked(), 0);
}

TEST(Locks, TwoObjectsInOneProcessExcludeEachOther) {
    ScratchDir dir;
    const std::string path = threeRecords(dir);
    dbf first(path.c_str()), second(path.c_str());
    ASSERT_EQ(first.open(), 1);
    ASSERT_EQ(second.open(), 1);
    ASSERT_EQ(first.lockFile(), 1);
    EXPECT_EQ(second.lockRecord(), 0);
    EXPECT_EQ(second.lockFile(), 0);
    EXPECT_EQ(second.lockedLength(), 0);
    // The locked bytes cannot be read through the other object either.
    EXPECT_EQ(second.recCount(), 3);  // the count it already knew
    first.unlockFile();
    EXPECT_EQ(second.lockFile(), 1);
    second.unlockFile();
}

TEST(Locks, AnotherProcessIsRefused) {
    ScratchDir dir;
    const std::string path = threeRecords(dir);
    dbf table(path.c_str());
    ASSERT_EQ(table.open(), 1);
    table.goTo(2);
    ASSERT_EQ(table.lockRecord(), 1);
    EXPECT_EQ(inChild(path, [](dbf& t) { return t.lockFile(); }), 0);
    EXPECT_EQ(inChild(path,
                      [](dbf& t) {
                          t.goTo(3);
                          return t.lockRecord();
                      }),
              1);
    table.unlockFile();
    EXPECT_EQ(inChild(path, [](dbf& t) { return t.lockFile(); }), 1);
}

TEST(Locks, UnlockWithoutALockClearsTheState) {
    ScratchDir dir;
    dbf table(threeRecords(dir).c_str());
    ASSERT_EQ(table.open(), 1);
    table.unlockFile();
    EXPECT_EQ(table.lockedLength(), 0);
    EXPECT_EQ(table.isFileLocked(), 0);
    EXPECT_EQ(table.lockFile(), 1);
}

}  // namespace
