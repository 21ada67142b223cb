#include "io/files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/testutil.h"

namespace {

constexpr std::uint32_t kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr std::uint32_t kShared = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr std::uint32_t kFlags = FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL;

class FilesTest : public ::testing::Test {
  protected:
    // A file holding `bytes`, opened for shared reading and writing.
    std::string make(const std::string& bytes, const char* name = "t.txt") {
        const std::string path = dir.file(name);
        testutil::writeAll(path, bytes);
        return path;
    }
    static bool openShared(files& f, std::uint32_t creation = OPEN_ALWAYS) {
        return f.open(kReadWrite, kShared, creation, kFlags) == 1;
    }
    void TearDown() override { platform::resetFaults(); }
    testutil::ScratchDir dir;
};

TEST_F(FilesTest, OpeningMissingEmptyAndClosed) {
    files missing(dir.file("none").c_str(), 512);
    EXPECT_EQ(missing.open(kReadWrite, kShared, OPEN_EXISTING, kFlags), 0);
    EXPECT_EQ(missing.atEnd(), 1);
    EXPECT_EQ(missing.atStart(), 1);
    EXPECT_FALSE(missing.isOpen());
    // A closed object fails everything.
    char buf[8];
    std::uint32_t n = 7;
    EXPECT_EQ(missing.read(buf, 4, &n), 0);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(missing.write("ab", 2, &n), 0);
    EXPECT_EQ(missing.lock(0, 1), 0);
    EXPECT_EQ(missing.unlock(0, 1), 0);
    EXPECT_EQ(missing.seek(0, FILE_BEGIN), INVALID_POSITION);
    EXPECT_EQ(missing.tell(), INVALID_POSITION);
    EXPECT_EQ(missing.size(), INVALID_POSITION);
    EXPECT_EQ(missing.readLine(buf, 7, &n), 0);
    EXPECT_EQ(missing.lineCount(), 0);
    EXPECT_EQ(missing.close(), 0);

    files empty(make("").c_str(), 512);
    ASSERT_TRUE(openShared(empty));
    EXPECT_EQ(empty.atEnd(), 1);
    EXPECT_EQ(empty.atStart(), 1);
    n = 7;
    EXPECT_EQ(empty.read(buf, 4, &n), 0);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(empty.fileType(), FILE_TYPE_DISK);
    platform::FileInformation info{};
    EXPECT_EQ(empty.information(&info), 1);
    EXPECT_EQ(empty.close(), 1);
    EXPECT_EQ(empty.close(), 0);
}

TEST_F(FilesTest, ReadFlagsAndShortRead) {
    files f(make("abcdef").c_str(), 512);
    ASSERT_TRUE(openShared(f));
    char buf[16] = {};
    std::uint32_t n = 0;
    EXPECT_EQ(f.read(buf, 4, &n), 1);
    EXPECT_EQ(f.atStart(), 0);
    EXPECT_EQ(f.read(buf, 10, &n), 1);  // short read before the end: success
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(f.atEnd(), 0);
    EXPECT_EQ(f.read(buf, 10, &n), 0);
    EXPECT_EQ(f.atEnd(), 1);
    f.seek(0, FILE_BEGIN);  // seeking leaves the flags alone
    EXPECT_EQ(f.atEnd(), 1);
    f.seek(10, FILE_BEGIN);  // beyond the end reads as the end
    EXPECT_EQ(f.read(buf, 1, &n), 0);
}

TEST_F(FilesTest, ReadLineForwardAndInPieces) {
    files f(make("a\r\nb").c_str(), 512);
    ASSERT_TRUE(openShared(f));
    char buf[513];
    std::uint32_t n = 0;
    EXPECT_EQ(f.readLine(buf, 512, &n), 1);
    EXPECT_STREQ(buf, "a");
    EXPECT_EQ(f.tell(), 3u);
    EXPECT_EQ(f.readLine(buf, 512, &n), 1);
    EXPECT_STREQ(buf, "b");
    EXPECT_STREQ(f.lineBuffer(), "b");
    EXPECT_EQ(f.readLine(buf, 512, &n), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(f.atEnd(), 1);
    EXPECT_EQ(f.tell(), 4u);

    files g(make("0123456789\r\nX", "pieces.txt").c_str(), 512);
    ASSERT_TRUE(openShared(g));
    std::vector<std::string> lines;
    char small[5];
    while (g.readLine(small, 4, &n)) lines.push_back(small);
    EXPECT_EQ(lines, (std::vector<std::string>{"0123", "4567", "89", "X"}));

    // The line buffer keeps at most its size.
    files h(make("abcdefgh\r\n", "short.txt").c_str(), 3);
    ASSERT_TRUE(openShared(h));
    EXPECT_EQ(h.readLine(buf, 512, &n), 1);
    EXPECT_STREQ(buf, "abcdefgh");
    EXPECT_STREQ(h.lineBuffer(), "abc");
}

TEST_F(FilesTest, ReadLineBackward) {
    files f(make("a\r\nb\r\n").c_str(), 512);
    ASSERT_TRUE(openShared(f));
    char buf[513];
    std::uint32_t n = 0;
    f.seek(0, FILE_END);
    EXPECT_STREQ(f.readLineBackward(buf, 512, &n), "b");
    EXPECT_EQ(f.tell(), 3u);
    EXPECT_STREQ(f.lineBuffer(), "b");
    EXPECT_STREQ(f.readLineBackward(buf, 512, &n), "a");
    EXPECT_EQ(f.tell(), 0u);
    EXPECT_EQ(f.atStart(), 0);
    EXPECT_STREQ(f.readLineBackward(buf, 512, &n), "");
    EXPECT_EQ(f.atStart(), 1);
    EXPECT_EQ(n, 0u);

    // A forward read from there gives the same line again.
    f.seek(0, FILE_END);
    f.readLineBackward(buf, 512, &n);
    EXPECT_EQ(f.readLine(buf, 512, &n), 1);
    EXPECT_STREQ(buf, "b");

    // Another terminator is handled the same way.
    files g(make("one|two|", "bar.txt").c_str(), 512);
    ASSERT_TRUE(openShared(g));
    ASSERT_EQ(g.setTerminator("|"), 1);
    g.seek(0, FILE_END);
    EXPECT_STREQ(g.readLineBackward(buf, 512, &n), "two");
    EXPECT_STREQ(g.readLineBackward(buf, 512, &n), "one");
    g.seek(0, FILE_BEGIN);
    EXPECT_EQ(g.readLine(buf, 512, &n), 1);
    EXPECT_STREQ(buf, "one");
}

TEST_F(FilesTest, LineCountAndLine) {
    for (const char* text : {"a\r\nb\r\n", "a\r\nb"}) {
        files f(make(text).c_str(), 512);
        ASSERT_TRUE(openShared(f));
        EXPECT_EQ(f.lineCount(), 2) << text;
        EXPECT_EQ(f.tell(), 0u);
        f.seek(0, FILE_END);
        EXPECT_EQ(f.lineCount(), 0);
    }

    // Line 3 holds 852 bytes: a-acute (0xA0) and o-double-acute (0x8B).
    files f(make("one\r\ntwo\r\nh\xA0\x8B\r\nfour\r\n").c_str(), 512);
    ASSERT_TRUE(openShared(f));
    char buf[513];
    EXPECT_STREQ(f.line(0, buf), "one");
    EXPECT_STREQ(f.line(1, buf), "two");
    f.seek(0, FILE_BEGIN);
    EXPECT_STREQ(f.line(3, buf), "h\xE1\xF5");  // Windows-1250
    EXPECT_STREQ(f.line(-1, buf), "h\xE1\xF5");
    EXPECT_STREQ(f.line(-2, buf), "one");
    EXPECT_STREQ(f.line(-1, buf), "one");  // at the start: one line forward
}

// Every line read, forwards with readLine until it fails and backwards from
// the end with readLineBackward until the start, each into a buffer of
// `size` + 1 bytes inside guard bytes that must stay untouched.
struct Walk {
    std::vector<std::string> forward, backward;
    bool guardsKept = true;
};

Walk walkLines(files& f, int size) {
    constexpr char kGuard = '\x5A';
    const std::size_t room = static_cast<std::size_t>(size < 0 ? 0 : size) + 1;
    std::vector<char> area(room + 64, kGuard);
    char* buf = area.data() + 32;
    Walk w;
    std::uint32_t n = 0;
    f.seek(0, FILE_BEGIN);
    for (int guard = 0; guard < 64 && f.readLine(buf, size, &n); ++guard) w.forward.push_back(buf);
    f.seek(0, FILE_END);
    for (int guard = 0; guard < 64; ++guard) {
        f.readLineBackward(buf, size, &n);
        if (f.atStart()) break;
        w.backward.push_back(buf);
    }
    for (std::size_t i = 0; i < area.size(); ++i)
        if ((i < 32 || i >= 32 + room) && area[i] != kGuard) w.guardsKept = false;
    return w;
}

TEST_F(FilesTest, LinesAtBufferLimits) {
    using Lines = std::vector<std::string>;
    struct Case {
        const char* what;
        int size;
        int lineBufferSize;
        const char* terminator;
        std::string bytes;
        Lines forward, backward;
    };
    // size, line buffer size, terminator, file bytes; lines forward; lines
    // backward from the end.
    const Case cases[] = {
        {"size 0 reads nothing", 0, 512, "\r\n", "ab\r\ncd", {}, {}},
        {"negative size is size 0", -5, 512, "\r\n", "ab\r\ncd", {}, {}},
        {"size 1",
         1,
         512,
         "\r\n",
         "ab\r\nc",
         {"a", "b", "\r", "\n", "c"},
         {"c", "\n", "\r", "b", "a"}},
        {"line exactly the size",
         4,
         512,
         "\r\n",
         "abcd\r\nef",
         {"abcd", "", "ef"},
         {"ef", "cd", "ab"}},
        {"line and terminator exactly the size",
         4,
         512,
         "\r\n",
         "ab\r\ncd\r\n",
         {"ab", "cd"},
         {"cd", "ab"}},
        {"terminator straddles two reads",
         5,
         512,
         "\r\n",
         "abcd\r\nef",
         {"abcd\r", "\nef"},
         {"ef", "bcd", "a"}},
        {"pieces of a long line",
         4,
         512,
         "\r\n",
         "0123456789\r\nX",
         {"0123", "4567", "89", "X"},
         {"X", "89", "4567", "0123"}},
        {"size beyond the line buffer",
         20,
         3,
         "\r\n",
         "abcdefgh\r\nij",
         {"abcdefgh", "ij"},
         {"ij", "abcdefgh"}},
        {"terminator longer than the data", 512, 512, "123456789", "abc", {"abc"}, {"abc"}},
        {"terminator longer than the size",
         2,
         512,
         "|||",
         "ab|||cd",
         {"ab", "||", "|c", "d"},
         {"cd", "||", "b|", "a"}},
        {"only terminators", 512, 512, "\r\n", "\r\n\r\n", {"", ""}, {"", ""}},
    };
    for (const Case& c : cases) {
        files f(make(c.bytes).c_str(), c.lineBufferSize);
        ASSERT_TRUE(openShared(f));
        ASSERT_EQ(f.setTerminator(c.terminator), 1);
        const Walk w = walkLines(f, c.size);
        if (c.size > 0) {  // size 0 reads empty lines without getting further
            EXPECT_EQ(w.forward, c.forward) << c.what;
            EXPECT_EQ(w.backward, c.backward) << c.what;
        }
        EXPECT_TRUE(w.guardsKept) << c.what;
        EXPECT_LE(std::strlen(f.lineBuffer()), static_cast<std::size_t>(c.lineBufferSize))
            << c.what;
    }
}

TEST_F(FilesTest, SizeZeroReadsNothingAndKeepsThePosition) {
    files f(make("ab\r\ncd").c_str(), 512);
    ASSERT_TRUE(openShared(f));
    char buf[2] = {'x', 'y'};
    std::uint32_t n = 9;
    EXPECT_EQ(f.readLine(buf, 0, &n), 1);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], 'y');
    EXPECT_EQ(f.tell(), 0u);
    EXPECT_EQ(f.readLine(buf, -3, &n), 1);
    EXPECT_EQ(f.tell(), 0u);
    f.seek(3, FILE_BEGIN);
    buf[0] = 'x';
    EXPECT_STREQ(f.readLineBackward(buf, 0, &n), "");
    EXPECT_EQ(buf[1], 'y');
    EXPECT_EQ(f.tell(), 3u);  // a backward read of nothing stays where it was
    EXPECT_STREQ(f.readLineBackward(buf, -1, &n), "");
    EXPECT_EQ(f.tell(), 3u);
    files none(make("", "zero.txt").c_str(), 0);
    ASSERT_TRUE(openShared(none));
    EXPECT_EQ(none.lineCount(), 0);
}

TEST_F(FilesTest, LineIntoItsOwnLineBuffer) {
    // The line behind the terminator is longer than the terminator's offset:
    // the text moves over itself.
    files f(make("a\r\nbb\r\nthe third line").c_str(), 512);
    ASSERT_TRUE(openShared(f));
    EXPECT_STREQ(f.line(2, f.lineBuffer()), "bb");
    f.seek(0, FILE_END);
    EXPECT_STREQ(f.line(-1, f.lineBuffer()), "the third line");
    EXPECT_STREQ(f.line(-1, f.lineBuffer()), "bb");
    std::uint32_t n = 0;
    files g(make("whole", "whole.txt").c_str(), 512);
    ASSERT_TRUE(openShared(g));
    g.seek(0, FILE_END);
    EXPECT_STREQ(g.readLineBackward(g.lineBuffer(), 512, &n), "whole");
}

// The end and start flags of earlier reads do not stop a later line() that
// starts from a position where there are lines to read.
TEST_F(FilesTest, LineAfterTheFlagsWereSet) {
    files f(make("one\r\ntwo\r\n").c_str(), 512);
    ASSERT_TRUE(openShared(f));
    char buf[513] = "stale";
    EXPECT_EQ(f.lineCount(), 2);  // reads to the end, sets atEnd
    EXPECT_EQ(f.atEnd(), 1);
    EXPECT_EQ(f.tell(), 0u);
    EXPECT_STREQ(f.line(1, buf), "one");
    EXPECT_STREQ(f.line(3, buf), "");  // past the last line
    EXPECT_EQ(f.atEnd(), 1);
    std::strcpy(buf, "kept");
    EXPECT_STREQ(f.line(1, buf), "kept");  // at the end: no read, buffer unchanged

    // Walk back to the start, then again from the end.
    f.seek(0, FILE_END);
    EXPECT_STREQ(f.line(-5, buf), "");
    EXPECT_EQ(f.atStart(), 1);
    f.seek(0, FILE_END);
    EXPECT_STREQ(f.line(-1, buf), "two");
    EXPECT_STREQ(f.line(-1, buf), "one");

    // An empty file opened (both flags set), then filled.
    files g(make("", "filled.txt").c_str(), 512);
    ASSERT_TRUE(openShared(g));
    std::uint32_t n = 0;
    ASSERT_EQ(g.write("x\r\ny\r\n", 6, &n), 1);
    g.seek(0, FILE_BEGIN);
    EXPECT_STREQ(g.line(1, buf), "x");
    g.seek(0, FILE_END);
    EXPECT_STREQ(g.line(-1, buf), "y");
}

TEST_F(FilesTest, LineCountFromTheMiddleKeepsThePosition) {
    files f(make("a\r\nb\r\nc").c_str(), 512);
    ASSERT_TRUE(openShared(f));
    f.seek(3, FILE_BEGIN);
    EXPECT_EQ(f.lineCount(), 2);
    EXPECT_EQ(f.tell(), 3u);
    char buf[513];
    EXPECT_STREQ(f.line(1, buf), "b");
}

// A read that fails (a lock held elsewhere, an I/O error) gives an empty
// line in both directions and leaves the position where it was.
TEST_F(FilesTest, FailedReadsKeepThePosition) {
    files f(make("one\r\ntwo\r\n").c_str(), 512);
    ASSERT_TRUE(openShared(f));
    char buf[513] = "stale";
    std::uint32_t n = 9;
    f.seek(5, FILE_BEGIN);
    platform::failOperation(platform::Op::read, 1);
    EXPECT_EQ(f.readLine(buf, 512, &n), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(f.tell(), 5u);
    EXPECT_STREQ(f.lineBuffer(), "");

    f.seek(0, FILE_END);
    platform::failOperation(platform::Op::read, 1);
    std::strcpy(buf, "stale");
    EXPECT_STREQ(f.readLineBackward(buf, 512, &n), "");
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(f.tell(), 10u);
    platform::resetFaults();
    EXPECT_STREQ(f.readLineBackward(buf, 512, &n), "two");
}

TEST_F(FilesTest, TerminatorAndKeyLimits) {
    files f(make("").c_str(), 512);
    EXPECT_EQ(f.setTerminator("123456789"), 1);
    EXPECT_EQ(f.setTerminator("1234567890"), 0);
    EXPECT_EQ(f.setTerminator(""), 0);
    EXPECT_EQ(f.setTerminator(nullptr), 0);

    // A key of 32 characters leaves scrambling off.
    ASSERT_TRUE(openShared(f));
    f.setKey(std::string(32, 'k').c_str());
    std::uint32_t n = 0;
    EXPECT_EQ(f.write("plain", 5, &n), 1);
    f.close();
    EXPECT_EQ(testutil::readAll(dir.file("t.txt")), "plain");

    // A name over 255 characters is cut.
    files g(std::string(300, 'n').c_str(), 16);
    EXPECT_EQ(std::strlen(g.name()), 255u);
    g.setName("other");
    EXPECT_STREQ(g.name(), "other");
}

TEST_F(FilesTest, Scrambling) {
    const std::string path = make("");
    files f(path.c_str(), 512);
    ASSERT_TRUE(openShared(f));
    f.setKey("K\x01");
    const char data[] = "Hello";
    char copy[sizeof data];
    std::memcpy(copy, data, sizeof data);
    std::uint32_t n = 0;
    ASSERT_EQ(f.write(copy, 5, &n), 1);
    EXPECT_STREQ(copy, "Hello");  // the caller's buffer is left as it was
    const std::string onDisk = testutil::readAll(path);
    const char key[] = "K\x01";
    ASSERT_EQ(onDisk.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(onDisk[i], static_cast<char>(data[i] ^ key[i % 2]));
    f.seek(0, FILE_BEGIN);
    char back[8] = {};
    ASSERT_EQ(f.read(back, 5, &n), 1);
    EXPECT_STREQ(back, "Hello");
    f.setKey("");
    f.seek(0, FILE_BEGIN);
    ASSERT_EQ(f.read(back, 5, &n), 1);
    EXPECT_EQ(std::string(back, 5), onDisk);
}

// Runs `body` in a child process and returns its exit code.
int inChild(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST_F(FilesTest, LocksExcludeOtherObjectsAndProcesses) {
    const std::string path = make("0123456789ABCDEFGHIJ");
    files a(path.c_str(), 512), b(path.c_str(), 512);
    ASSERT_TRUE(openShared(a));
    ASSERT_TRUE(openShared(b));
    ASSERT_EQ(a.lock(5, 10), 1);
    EXPECT_EQ(b.lock(14, 3), 0);
    EXPECT_EQ(b.lock(0, 0x7FFFFFFF), 0);
    EXPECT_EQ(b.unlock(5, 10), 0);  // not b's lock

    char buf[32] = {};
    std::uint32_t n = 0;
    b.seek(0, FILE_BEGIN);
    EXPECT_EQ(b.read(buf, 20, &n), 0);
    b.seek(12, FILE_BEGIN);
    EXPECT_EQ(b.write("xx", 2, &n), 0);
    b.seek(15, FILE_BEGIN);
    EXPECT_EQ(b.read(buf, 5, &n), 1);
    EXPECT_STREQ(buf, "FGHIJ");
    a.seek(5, FILE_BEGIN);
    EXPECT_EQ(a.write("lock", 4, &n), 1);
    a.seek(0, FILE_BEGIN);
    EXPECT_EQ(a.read(buf, 20, &n), 1);

    // Another process, with an open of its own, is refused as well.
    const int child = inChild([&] {
        files c(path.c_str(), 512);
        if (!openShared(c)) return 1;
        if (c.lock(10, 1) != 0) return 2;
        char cb[4];
        std::uint32_t cn = 0;
        c.seek(8, FILE_BEGIN);
        if (c.read(cb, 4, &cn) != 0) return 3;
        if (c.lock(15, 5) != 1) return 4;  // outside a's range
        // An exclusive open is refused while the parent's handles are open.
        files x(path.c_str(), 512);
        if (x.open(kReadWrite, 0, OPEN_EXISTING, kFlags) != 0) return 5;
        return 0;
    });
    EXPECT_EQ(child, 0);

    EXPECT_EQ(a.unlock(5, 10), 1);
    EXPECT_EQ(b.lock(0, 20), 1);
    EXPECT_EQ(inChild([&] {
                  files c(path.c_str(), 512);
                  return openShared(c) && c.lock(0, 1) == 0 ? 0 : 1;
              }),
              0);
    b.close();  // closing releases b's lock
    EXPECT_EQ(inChild([&] {
                  files c(path.c_str(), 512);
                  return openShared(c) && c.lock(0, 20) == 1 ? 0 : 1;
              }),
              0);
}

TEST_F(FilesTest, ReopenClosesTheOldHandle) {
    const std::string path = make("abc");
    files f(path.c_str(), 512);
    ASSERT_EQ(f.open(kReadWrite, 0, OPEN_EXISTING, kFlags), 1);
    EXPECT_EQ(f.open(kReadWrite, 0, OPEN_EXISTING, kFlags), 1);
    files g(path.c_str(), 512);
    EXPECT_FALSE(openShared(g));
    f.close();
    EXPECT_TRUE(openShared(g));
}

}  // namespace
