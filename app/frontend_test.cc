// The tool as a user runs it: the real executable, its messages byte for
// byte, its exit status, and the files it must leave alone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <random>
#include <string>
#include <vector>

#include "table/dbf.h"
#include "tests/testutil.h"

namespace {

using testutil::ScratchDir;
using testutil::TableImage;

const std::string banner = "tabulo 1.0 - sorts the records of a dBase III table in place\n";

struct ToolRun {
    std::string out;
    int status;
};

ToolRun runTool(std::vector<std::string> args, const std::string& cwd = ".") {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {"", -1};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        close(pipeFds[0]);
        if (chdir(cwd.c_str()) != 0) _exit(127);
        std::vector<char*> argv;
        std::string bin = TABULO_BIN;
        argv.push_back(bin.data());
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(bin.c_str(), argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TableImage people() {
    TableImage t;
    t.fields = {{"NAME", 'C', 6}, {"CITY", 'C', 4}};
    t.records = {"Zoe   Pecs", "Adam  Gyor", "Adam  Eger",
                 "\xB5"
                 "bel  Pecs"};
    return t;
}

TEST(FrontEnd, WrongArgumentCountShowsUsage) {
    const std::string usage =
        "Usage : tabulo <file name> <sort key>\n  Example : tabulo sys01.dbf \"_sys01_01+ "
        "_sys01_02\"";
    for (const auto& args : std::vector<std::vector<std::string>>{{}, {"a.dbf"}, {"a", "b", "c"}}) {
        ToolRun r = runTool(args);
        EXPECT_EQ(r.out, banner + usage);
        EXPECT_EQ(r.status, 1);
    }
}

TEST(FrontEnd, SortsInPlaceWithTheNormalisedKey) {
    ScratchDir dir;
    const std::string path = dir.file("people.dbf");
    testutil::writeAll(path, people().bytes());
    ToolRun r = runTool({path, " name + city"});
    EXPECT_EQ(r.out, banner + "O.K.\n");
    EXPECT_EQ(r.status, 0);
    TableImage sorted = people();
    sorted.records = {
        "\xB5"
        "bel  Pecs",
        "Adam  Eger", "Adam  Gyor", "Zoe   Pecs"};
    EXPECT_EQ(testutil::readAll(path), sorted.bytes());
}

TEST(FrontEnd, NamesThatAreNoOrdinaryFile) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.file("folder.dbf"));
    testutil::writeAll(dir.file(".hidden.dbf"), people().bytes());
    ASSERT_EQ(mkfifo(dir.file("pipe.dbf").c_str(), 0600), 0);
    for (const char* name : {"missing.dbf", "folder.dbf", ".hidden.dbf", "pipe.dbf", "*.xyz"}) {
        ToolRun r = runTool({name, "NAME"}, dir.path().string());
        EXPECT_EQ(r.out, banner + "The file is not exist.\n") << name;
        EXPECT_EQ(r.status, 2) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.dbf")));
    EXPECT_EQ(testutil::readAll(dir.file(".hidden.dbf")), people().bytes());
}

TEST(FrontEnd, TablesThatCannotBeOpened) {
    ScratchDir dir;
    testutil::writeAll(dir.file("people.dbf"), people().bytes());
    std::string bad = people().bytes();
    bad[0] = 0x30;
    testutil::writeAll(dir.file("bad.dbf"), bad);
    // A wildcard name matches an ordinary file but is no name to open; it
    // must not leave a file of that name behind.
    for (const char* name : {"peo*.dbf", "bad.dbf"}) {
        ToolRun r = runTool({name, "NAME"}, dir.path().string());
        EXPECT_EQ(r.out, banner + "Can't open the file.\n") << name;
        EXPECT_EQ(r.status, 3) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("peo*.dbf")));
    EXPECT_EQ(testutil::readAll(dir.file("bad.dbf")), bad);
    EXPECT_EQ(testutil::readAll(dir.file("people.dbf")), people().bytes());

    if (geteuid() != 0) {  // permissions do not stop the superuser
        chmod(dir.file("people.dbf").c_str(), 0444);
        ToolRun r = runTool({"people.dbf", "NAME"}, dir.path().string());
        EXPECT_EQ(r.out, banner + "Can't open the file.\n");
    }
}

TEST(FrontEnd, FailedSortLeavesTheTable) {
    ScratchDir dir;
    const std::string path = dir.file("people.dbf");
    testutil::writeAll(path, people().bytes());
    for (const char* key : {"NOSUCH", "+NAME", ""}) {
        ToolRun r = runTool({path, key});
        EXPECT_EQ(r.out, banner + "The sort is unsuccesful.\n") << key;
        EXPECT_EQ(r.status, 4) << key;
    }
    EXPECT_EQ(testutil::readAll(path), people().bytes());
}

// What the sort must keep, through the tool: deleted marks, the bytes behind
// the last record and the header, for both header lengths that tables carry.
TEST(FrontEnd, SortKeepsMarksTrailerAndHeader) {
    for (bool pair : {true, false}) {
        ScratchDir dir;
        TableImage t = people();
        t.deleted = {false, true, false, false};
        t.trailer = "\x1A";
        t.terminatorPair = pair;
        const std::string path = dir.file("t.dbf");
        testutil::writeAll(path, t.bytes());
        ToolRun r = runTool({path, "NAME+CITY"});
        EXPECT_EQ(r.out, banner + "O.K.\n");
        TableImage sorted = t;
        sorted.records = {
            "\xB5"
            "bel  Pecs",
            "Adam  Eger", "Adam  Gyor", "Zoe   Pecs"};
        sorted.deleted = {false, false, true, false};
        EXPECT_EQ(testutil::readAll(path), sorted.bytes()) << "pair=" << pair;
    }
}

// A key of 254 bytes sorts, one of 255 is refused; a lock held by another
// process refuses the sort. Refused tables stay byte-identical.
TEST(FrontEnd, KeyLengthAndLocksThroughTheTool) {
    ScratchDir dir;
    for (int second : {54, 55}) {
        TableImage t;
        t.fields = {{"A", 'C', 200}, {"B", 'C', second}};
        t.records = {std::string(200, 'x') + "b", std::string(200, 'x') + "a"};
        const std::string path = dir.file("k" + std::to_string(second) + ".dbf");
        testutil::writeAll(path, t.bytes());
        ToolRun r = runTool({path, "a+b"});
        EXPECT_EQ(r.out, banner + (second == 54 ? "O.K.\n" : "The sort is unsuccesful.\n"));
        if (second == 55) {
            EXPECT_EQ(testutil::readAll(path), t.bytes());
        }
    }

    const std::string path = dir.file("locked.dbf");
    testutil::writeAll(path, people().bytes());
    {
        testutil::RecordLockInOtherProcess other(path);
        ASSERT_TRUE(other.held());
        ToolRun r = runTool({path, "NAME"});
        EXPECT_EQ(r.out, banner + "The sort is unsuccesful.\n");
        EXPECT_EQ(r.status, 4);
    }
    EXPECT_EQ(testutil::readAll(path), people().bytes());
}

// An interrupt at any moment leaves the table either as it was or sorted,
// never half-written.
TEST(FrontEnd, InterruptNeverLeavesAHalfWrittenTable) {
    ScratchDir dir;
    TableImage t;
    t.fields = {{"K", 'C', 12}, {"PAD", 'C', 50}};
    std::mt19937 rng(9);
    for (int i = 0; i < 300000; ++i) {
        std::string k(12, ' ');
        for (auto& c : k) c = static_cast<char>('a' + rng() % 26);
        t.records.push_back(k);
    }
    const std::string original = t.bytes();
    const std::string path = dir.file("big.dbf");
    testutil::writeAll(path, original);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runTool({path, "K"}).status, 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
    const std::string sorted = testutil::readAll(path);
    // The records are written in the last part of a run: interrupt there.
    for (int percent : {40, 55, 65, 72, 78, 84, 88, 92, 96}) {
        testutil::writeAll(path, original);
        pid_t pid = fork();
        if (pid == 0) {
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            execl(TABULO_BIN, TABULO_BIN, path.c_str(), "K", static_cast<char*>(nullptr));
            _exit(127);
        }
        usleep(static_cast<useconds_t>(whole * percent / 100));
        kill(pid, SIGINT);
        waitpid(pid, nullptr, 0);
        const std::string now = testutil::readAll(path);
        EXPECT_TRUE(now == original || now == sorted)
            << "interrupted at " << percent << "% of a run";
    }
}

TEST(FrontEnd, ShippedSampleSorts) {
    ScratchDir dir;
    const std::string path = dir.file("sample.dbf");
    std::filesystem::copy_file(std::string(TABULO_SOURCE_DIR) + "/samples/customers.dbf", path);
    ToolRun r = runTool({path, "city+name"});
    EXPECT_EQ(r.out, banner + "O.K.\n");
    EXPECT_EQ(r.status, 0);
}

}  // namespace
