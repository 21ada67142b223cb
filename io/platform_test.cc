#include "io/platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "tests/testutil.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

constexpr std::uint32_t kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr std::uint32_t kShared = FILE_SHARE_READ | FILE_SHARE_WRITE;

Handle openShared(const std::string& path, std::uint32_t creation = OPEN_ALWAYS) {
    return createFile(path.c_str(), kReadWrite, kShared, creation, FILE_ATTRIBUTE_NORMAL);
}

class PlatformTest : public ::testing::Test {
  protected:
    void TearDown() override { resetFaults(); }
    testutil::ScratchDir dir;
};

TEST_F(PlatformTest, CreationDispositions) {
    const std::string f = dir.file("t.dat");
    struct Case {
        std::uint32_t creation;
        bool exists;  // the file exists before the call
        bool opens;
        Error error;        // when it does not open
        std::string after;  // the file's bytes afterwards ("-" for no file)
    } cases[] = {
        {CREATE_NEW, false, true, Error::none, ""},
        {CREATE_NEW, true, false, Error::exists, "abc"},
        {CREATE_ALWAYS, false, true, Error::none, ""},
        {CREATE_ALWAYS, true, true, Error::none, ""},
        {OPEN_EXISTING, false, false, Error::notFound, "-"},
        {OPEN_EXISTING, true, true, Error::none, "abc"},
        {OPEN_ALWAYS, false, true, Error::none, ""},
        {OPEN_ALWAYS, true, true, Error::none, "abc"},
        {TRUNCATE_EXISTING, false, false, Error::notFound, "-"},
        {TRUNCATE_EXISTING, true, true, Error::none, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "creation " << c.creation << " exists " << c.exists);
        fs::remove(f);
        if (c.exists) testutil::writeAll(f, "abc");
        Handle h = openShared(f, c.creation);
        EXPECT_EQ(h != nullHandle, c.opens);
        if (h == nullHandle) {
            EXPECT_EQ(lastError(), c.error);
        } else {
            EXPECT_EQ(closeHandle(h), 1);
        }
        EXPECT_EQ(fs::exists(f) ? testutil::readAll(f) : "-", c.after);
    }
    EXPECT_EQ(closeHandle(nullHandle), 0);
    EXPECT_EQ(openShared(f, 99), nullHandle);
}

TEST_F(PlatformTest, RefusedNamesCreateNothing) {
    for (const char* name : {"a*.dbf", "a?.dbf", "*", "x\\?"}) {
        const std::string path = dir.file(name);
        EXPECT_EQ(openShared(path), nullHandle) << name;
        EXPECT_EQ(lastError(), Error::invalidName);
        EXPECT_EQ(deleteFile(path.c_str()), 0);
    }
    EXPECT_EQ(openShared(""), nullHandle);
    EXPECT_TRUE(fs::is_empty(dir.path()));

    fs::create_directory(dir.file("sub"));
    for (std::uint32_t creation : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS}) {
        EXPECT_EQ(openShared(dir.file("sub"), creation), nullHandle);
        EXPECT_EQ(lastError(), Error::isDirectory);
    }
    // A '\' stands for '/'.
    std::string back = dir.file("sub") + "\\inner.txt";
    Handle h = openShared(back, CREATE_NEW);
    ASSERT_NE(h, nullHandle);
    closeHandle(h);
    EXPECT_TRUE(fs::exists(dir.file("sub/inner.txt")));
    EXPECT_EQ(deleteFile(back.c_str()), 1);
    EXPECT_FALSE(fs::exists(dir.file("sub/inner.txt")));
    EXPECT_EQ(deleteFile(back.c_str()), 0);
    EXPECT_EQ(lastError(), Error::notFound);
}

TEST_F(PlatformTest, FilesOf4GiBAreRefused) {
    const std::string f = dir.file("big");
    testutil::writeAll(f, "");
    fs::resize_file(f, std::uintmax_t{1} << 32);  // sparse
    EXPECT_EQ(openShared(f, OPEN_EXISTING), nullHandle);
    EXPECT_EQ(lastError(), Error::tooLarge);
    Handle h = openShared(f, CREATE_ALWAYS);  // truncates it to 0
    ASSERT_NE(h, nullHandle);
    EXPECT_EQ(getFileSize(h), 0u);
    closeHandle(h);
}

TEST_F(PlatformTest, ReadWriteSeekAndAccess) {
    const std::string f = dir.file("t.dat");
    Handle h = openShared(f);
    ASSERT_NE(h, nullHandle);
    std::uint32_t done = 99;
    EXPECT_EQ(writeFile(h, "0123456789", 10, &done), 1);
    EXPECT_EQ(done, 10u);
    EXPECT_EQ(getFileSize(h), 10u);
    EXPECT_EQ(setFilePointer(h, -4, FILE_END), 6u);
    char buf[16] = {};
    EXPECT_EQ(readFile(h, buf, 16, &done), 1);  // short read at the end: success
    EXPECT_EQ(done, 4u);
    EXPECT_STREQ(buf, "6789");
    EXPECT_EQ(readFile(h, buf, 16, &done), 1);
    EXPECT_EQ(done, 0u);
    // Below 0 or at 4 GiB - 1 and beyond: refused, the position stays.
    EXPECT_EQ(setFilePointer(h, -11, FILE_END), INVALID_POSITION);
    EXPECT_EQ(setFilePointer(h, -1, FILE_BEGIN), INVALID_POSITION);
    EXPECT_EQ(setFilePointer(h, 0x7FFFFFFF, FILE_BEGIN), 0x7FFFFFFFu);
    EXPECT_EQ(setFilePointer(h, 0x7FFFFFFF, FILE_CURRENT), 0xFFFFFFFEu);
    EXPECT_EQ(setFilePointer(h, 1, FILE_CURRENT), INVALID_POSITION);
    EXPECT_EQ(setFilePointer(h, 0, FILE_CURRENT), 0xFFFFFFFEu);
    EXPECT_EQ(writeFile(h, "x", 2, &done), 0);  // would reach 4 GiB
    EXPECT_EQ(setFilePointer(h, 3, 7), INVALID_POSITION);
    EXPECT_EQ(getFileSize(h), 10u);
    closeHandle(h);

    h = createFile(f.c_str(), GENERIC_READ, kShared, OPEN_EXISTING, 0);
    ASSERT_NE(h, nullHandle);
    EXPECT_EQ(writeFile(h, "x", 1, &done), 0);
    EXPECT_EQ(lastError(), Error::accessDenied);
    EXPECT_EQ(readFile(h, buf, 2, &done), 1);
    closeHandle(h);
    h = createFile(f.c_str(), GENERIC_WRITE, kShared, OPEN_EXISTING, 0);
    ASSERT_NE(h, nullHandle);
    EXPECT_EQ(readFile(h, buf, 2, &done), 0);
    closeHandle(h);
    EXPECT_EQ(testutil::readAll(f), "0123456789");

    EXPECT_EQ(readFile(h, buf, 1, &done), 0);  // closed handle
    EXPECT_EQ(lastError(), Error::badHandle);
    EXPECT_EQ(getFileSize(h), INVALID_POSITION);
}

TEST_F(PlatformTest, InformationAndType) {
    const std::string f = dir.file("t.dat");
    testutil::writeAll(f, "abc");
    Handle h = openShared(f);
    FileInformation info{};
    ASSERT_EQ(getFileInformation(h, &info), 1);
    struct stat st;
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(info.attributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(info.sizeLow, 3u);
    EXPECT_EQ(info.sizeHigh, 0u);
    EXPECT_EQ(info.fileIndex, st.st_ino);
    EXPECT_EQ(info.linkCount, 1u);
    EXPECT_EQ(info.modifiedTime, st.st_mtime);
    EXPECT_EQ(getFileType(h), FILE_TYPE_DISK);
    closeHandle(h);
    EXPECT_EQ(getFileType(h), FILE_TYPE_UNKNOWN);

    h = createFile("/dev/null", kReadWrite, kShared, OPEN_EXISTING, 0);
    ASSERT_NE(h, nullHandle);
    EXPECT_EQ(getFileType(h), FILE_TYPE_CHAR);
    closeHandle(h);
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    h = openShared(dir.file("fifo"), OPEN_EXISTING);  // must not wait for a writer
    ASSERT_NE(h, nullHandle);
    EXPECT_EQ(getFileType(h), FILE_TYPE_PIPE);
    closeHandle(h);
}

TEST_F(PlatformTest, ShareZeroIsExclusive) {
    const std::string f = dir.file("t.dat");
    testutil::writeAll(f, "keep");
    Handle shared = openShared(f);
    ASSERT_NE(shared, nullHandle);
    Handle shared2 = openShared(f);
    EXPECT_NE(shared2, nullHandle);
    // An exclusive open is refused while shared handles are open, and refused
    // before it truncates anything.
    EXPECT_EQ(createFile(f.c_str(), kReadWrite, 0, CREATE_ALWAYS, 0), nullHandle);
    EXPECT_EQ(lastError(), Error::sharingViolation);
    EXPECT_EQ(testutil::readAll(f), "keep");
    closeHandle(shared);
    closeHandle(shared2);

    Handle exclusive = createFile(f.c_str(), kReadWrite, 0, OPEN_EXISTING, 0);
    ASSERT_NE(exclusive, nullHandle);
    EXPECT_EQ(openShared(f, CREATE_ALWAYS), nullHandle);
    EXPECT_EQ(lastError(), Error::sharingViolation);
    EXPECT_EQ(createFile(f.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0), nullHandle);
    EXPECT_EQ(testutil::readAll(f), "keep");
    closeHandle(exclusive);
    shared = openShared(f);
    EXPECT_NE(shared, nullHandle);
    closeHandle(shared);
}

TEST_F(PlatformTest, ByteRangeLocksBelongToTheHandle) {
    const std::string f = dir.file("t.dat");
    testutil::writeAll(f, std::string(40, 'x'));
    Handle a = openShared(f);
    Handle b = openShared(f);
    ASSERT_NE(a, nullHandle);
    ASSERT_NE(b, nullHandle);

    EXPECT_EQ(lockFile(a, 10, 10), 1);
    EXPECT_EQ(lockFile(b, 19, 1), 0);  // overlaps a's range
    EXPECT_EQ(lastError(), Error::lockViolation);
    EXPECT_EQ(lockFile(b, 0, 11), 0);
    EXPECT_EQ(lockFile(b, 20, 5), 1);  // adjacent: fine
    EXPECT_EQ(lockFile(a, 15, 1), 0);  // overlaps a's own range
    EXPECT_EQ(lockFile(a, 10, 10), 0);
    EXPECT_EQ(lockFile(a, 30, 0), 1);  // no byte: always granted
    EXPECT_EQ(lockFile(b, 30, 5), 1);

    // Unlock only exactly a range this handle holds.
    EXPECT_EQ(unlockFile(a, 10, 5), 0);
    EXPECT_EQ(lastError(), Error::notLocked);
    EXPECT_EQ(unlockFile(b, 10, 10), 0);
    EXPECT_EQ(unlockFile(a, 10, 10), 1);
    EXPECT_EQ(unlockFile(a, 10, 10), 0);
    EXPECT_EQ(unlockFile(a, 30, 0), 1);
    EXPECT_EQ(lockFile(b, 10, 10), 1);

    // Closing a handle releases its locks.
    closeHandle(b);
    EXPECT_EQ(lockFile(a, 0, 40), 1);
    closeHandle(a);
    EXPECT_EQ(lockFile(a, 0, 1), 0);
}

TEST_F(PlatformTest, LockedBytesCannotBeReadOrWrittenThroughAnotherHandle) {
    const std::string f = dir.file("t.dat");
    testutil::writeAll(f, "0123456789ABCDEFGHIJ");
    Handle owner = openShared(f);
    Handle other = openShared(f);
    ASSERT_EQ(lockFile(owner, 5, 5), 1);
    ASSERT_EQ(lockFile(owner, 20, 10), 1);  // beyond the end of the file
    char buf[32] = {};
    std::uint32_t done = 0;

    struct Case {
        std::uint32_t pos, count;
        bool allowed;
    } cases[] = {{0, 5, true},   {0, 6, false}, {9, 1, false},
                 {10, 10, true}, {4, 2, false}, {15, 10, true}};  // the last: only 5 bytes exist
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pos << "+" << c.count);
        setFilePointer(other, static_cast<std::int32_t>(c.pos), FILE_BEGIN);
        EXPECT_EQ(readFile(other, buf, c.count, &done), c.allowed ? 1 : 0);
        if (!c.allowed) {
            EXPECT_EQ(done, 0u);
            EXPECT_EQ(lastError(), Error::lockViolation);
            // Refused transfers leave the position alone.
            EXPECT_EQ(setFilePointer(other, 0, FILE_CURRENT), c.pos);
        }
    }
    setFilePointer(other, 7, FILE_BEGIN);
    EXPECT_EQ(writeFile(other, "zz", 2, &done), 0);
    setFilePointer(other, 18, FILE_BEGIN);
    EXPECT_EQ(writeFile(other, "zzz", 3, &done), 0);  // reaches the lock behind the end
    EXPECT_EQ(testutil::readAll(f), "0123456789ABCDEFGHIJ");

    // The owner reads and writes its locked bytes.
    setFilePointer(owner, 5, FILE_BEGIN);
    EXPECT_EQ(writeFile(owner, "abcde", 5, &done), 1);
    setFilePointer(owner, 0, FILE_BEGIN);
    EXPECT_EQ(readFile(owner, buf, 20, &done), 1);
    EXPECT_EQ(std::string(buf, done), "01234abcdeABCDEFGHIJ");

    EXPECT_EQ(unlockFile(owner, 5, 5), 1);
    setFilePointer(other, 0, FILE_BEGIN);
    EXPECT_EQ(readFile(other, buf, 20, &done), 1);
    EXPECT_EQ(done, 20u);
    closeHandle(owner);
    closeHandle(other);
}

TEST_F(PlatformTest, FindOrdinaryFile) {
    testutil::writeAll(dir.file("a.dbf"), "");
    testutil::writeAll(dir.file(".hidden.dbf"), "");
    testutil::writeAll(dir.file("[x].txt"), "");
    testutil::writeAll(dir.file("x.txt"), "");
    fs::create_directory(dir.file("sub.dir"));
    fs::create_symlink(dir.file("a.dbf"), dir.file("link.lnk"));
    fs::create_symlink(dir.file("sub.dir"), dir.file("dirlink.dl"));
    ASSERT_EQ(::mkfifo(dir.file("pipe.p").c_str(), 0600), 0);
    struct Case {
        std::string pattern;
        int found;
    } cases[] = {
        {"a.dbf", 1},
        {"*.dbf", 1},
        {"?.dbf", 1},
        {"a*", 1},
        {"b*.dbf", 0},
        {"*.DBF", 0},
        {"A.dbf", 0},
        {".hidden.dbf", 0},
        {"*hidden*", 0},
        {"sub.dir", 0},
        {"*.dir", 0},
        {"pipe.p", 0},
        {"*.p", 0},
        {"link.lnk", 1},
        {"*.dl", 0},
        {"[x].txt", 1},
        {"[xy].txt", 0},
        {"[x]*", 1},
        {"missing", 0},
        {"*", 1},
        {"sub.dir/*", 0},
        {"nodir/a.dbf", 0},
        {"sub.dir\\..\\a.dbf", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findOrdinaryFile(dir.file(c.pattern).c_str()), c.found) << c.pattern;
    // Wildcards in the directory part are taken literally.
    EXPECT_EQ(findOrdinaryFile((dir.path().string() + "/s*/x").c_str()), 0);
    EXPECT_EQ(findOrdinaryFile(""), 0);
}

TEST_F(PlatformTest, FaultInjection) {
    const std::string f = dir.file("t.dat");
    Handle h = openShared(f);
    std::uint32_t done = 0;
    failOperation(Op::write, 2);
    EXPECT_EQ(writeFile(h, "a", 1, &done), 1);
    EXPECT_EQ(writeFile(h, "b", 1, &done), 0);
    EXPECT_EQ(lastError(), Error::injected);
    EXPECT_EQ(writeFile(h, "c", 1, &done), 1);
    EXPECT_EQ(testutil::readAll(f), "ac");

    failOperation(Op::read, 1, true);
    char buf[4];
    setFilePointer(h, 0, FILE_BEGIN);
    EXPECT_EQ(readFile(h, buf, 1, &done), 0);
    EXPECT_EQ(readFile(h, buf, 1, &done), 0);
    failOperation(Op::seek, 1);
    EXPECT_EQ(setFilePointer(h, 0, FILE_BEGIN), INVALID_POSITION);
    failOperation(Op::lock, 1);
    EXPECT_EQ(lockFile(h, 0, 1), 0);
    EXPECT_EQ(lockFile(h, 0, 1), 1);
    failOperation(Op::open, 1);
    EXPECT_EQ(openShared(f), nullHandle);
    resetFaults();
    EXPECT_EQ(readFile(h, buf, 1, &done), 1);
    closeHandle(h);
}

TEST(PlatformDateTest, CurrentDates) {
    const std::time_t before = std::time(nullptr);
    const CalendarDate utc = currentUtcDate();
    const CalendarDate local = currentLocalDate();
    struct tm t;
    ::gmtime_r(&before, &t);
    EXPECT_EQ(utc.year, static_cast<std::uint32_t>(t.tm_year + 1900));
    EXPECT_EQ(utc.month, static_cast<std::uint32_t>(t.tm_mon + 1));
    EXPECT_GE(local.year, 2000u);
    EXPECT_GE(local.day, 1u);
    EXPECT_LE(local.day, 31u);
}

}  // namespace
