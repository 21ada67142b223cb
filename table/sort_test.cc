// The record sort: the order of both comparisons, the key rules, the bytes
// it must leave alone, and the refusals that must leave the table
// byte-identical.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "io/platform.h"
#include "table/dbf.h"
#include "tests/testutil.h"
#include "util/settings.h"

namespace {

using testutil::Field;
using testutil::ScratchDir;
using testutil::TableImage;

class SortTest : public ::testing::Test {
  protected:
    void TearDown() override {
        platform::resetFaults();
        setting(SET_HUN_CMP, "1");
        setting(SET_OEMTOANSI, "1");
    }
    // Writes the table, sorts it by `key` and returns the result.
    // `beforeSort` runs between opening and sorting.
    int sortTable(const TableImage& t, const char* key, bool oem = true,
                  void (*beforeSort)() = nullptr) {
        path = dir.file("s.dbf");
        testutil::writeAll(path, t.bytes());
        dbf table(path.c_str());
        if (!table.open()) return -1;
        table.oemConvert = oem ? 1 : 0;
        if (beforeSort) beforeSort();
        return table.sort(key);
    }
    // The records of the file as they stand, deletion marks included.
    std::vector<std::string> records(const TableImage& t) {
        const std::string bytes = testutil::readAll(path);
        std::vector<std::string> out;
        const auto h = static_cast<std::size_t>(t.headerLength());
        const auto r = static_cast<std::size_t>(t.recordLength());
        for (std::size_t i = 0; i < t.records.size(); ++i)
            out.push_back(bytes.substr(h + i * r, r));
        return out;
    }
    std::vector<std::string> firstField(const TableImage& t, std::size_t width) {
        std::vector<std::string> out;
        for (const auto& r : records(t)) {
            std::string v = r.substr(1, width);
            v.erase(v.find_last_not_of(' ') + 1);
            out.push_back(v);
        }
        return out;
    }

    ScratchDir dir;
    std::string path;
};

TableImage names(std::vector<std::string> values, int width = 8) {
    TableImage t;
    t.fields = {{"NAME", 'C', width}, {"CITY", 'C', 6}};
    for (auto& v : values) {
        v.resize(static_cast<std::size_t>(width), ' ');
        t.records.push_back(v + "city  ");
    }
    return t;
}

TEST_F(SortTest, HungarianOrderFoldsAccentsButNotCase) {
    // Code page 852: 0xB5 is Á, 0xA0 is á, 0x90 is É.
    const TableImage t = names({"Bela",
                                "\xB5"
                                "bel",
                                "Adam", "abc",
                                "\xA0"
                                "b",
                                "Zoli", "\x90va", "Eva"});
    ASSERT_EQ(sortTable(t, "NAME"), 1);
    EXPECT_EQ(firstField(t, 8), (std::vector<std::string>{"\xB5"
                                                          "bel",
                                                          "Adam", "Bela", "\x90va", "Eva", "Zoli",
                                                          "\xA0"
                                                          "b",
                                                          "abc"}));
    // In byte order the accented capitals follow every ASCII letter.
    setting(SET_HUN_CMP, "0");
    ASSERT_EQ(sortTable(t, "NAME"), 1);
    EXPECT_EQ(firstField(t, 8),
              (std::vector<std::string>{"Adam", "Bela", "Eva", "Zoli", "abc", "\x90va",
                                        "\xA0"
                                        "b",
                                        "\xB5"
                                        "bel"}));
}

TEST_F(SortTest, AnsiTablesUseTheAnsiWeights) {
    // Windows-1250: 0xC1 is Á. The setting is restored after the sort.
    const TableImage t = names({"B",
                                "\xC1"
                                "b",
                                "A"});
    ASSERT_EQ(sortTable(t, "name", false), 1);
    EXPECT_EQ(firstField(t, 8), (std::vector<std::string>{"A",
                                                          "\xC1"
                                                          "b",
                                                          "B"}));
    EXPECT_STREQ(setting(SET_OEMTOANSI), "1");
}

TEST_F(SortTest, SecondFieldBreaksTiesAndEqualKeysKeepTheirOrder) {
    TableImage t;
    t.fields = {{"A", 'C', 2}, {"B", 'C', 2}, {"ID", 'C', 1}};
    t.records = {"xxb 1", "xxa 2", "aaz 3", "xxa 4", "xxb 5"};
    ASSERT_EQ(sortTable(t, "A+B"), 1);
    std::string ids;
    for (const auto& r : records(t)) ids += r[5];
    EXPECT_EQ(ids, "32415");
    // A part that names no field ends the key: A++B and A+X+B sort by A alone.
    for (const char* key : {"A++B", "A+X+B", "A+"}) {
        ASSERT_EQ(sortTable(t, key), 1) << key;
        ids.clear();
        for (const auto& r : records(t)) ids += r[5];
        EXPECT_EQ(ids, "31245") << key;
    }
}

TEST_F(SortTest, RefusedKeysLeaveTheFileAlone) {
    const TableImage t = names({"b", "a"});
    std::string tooMany = "NAME";
    for (int i = 0; i < 63; ++i) tooMany += "+CITY";
    for (const char* key : {"", "+NAME", "NOSUCH", "NOSUCH+NAME", tooMany.c_str()}) {
        EXPECT_EQ(sortTable(t, key), 0) << key;
        EXPECT_EQ(testutil::readAll(path), t.bytes()) << key;
    }
}

TEST_F(SortTest, KeyLength254SortsAnd255IsRefused) {
    for (int second : {54, 55}) {
        TableImage t;
        t.fields = {{"A", 'C', 200}, {"B", 'C', second}};
        t.records = {std::string(200, 'x') + "b", std::string(200, 'x') + "a"};
        const int result = sortTable(t, "A+B");
        EXPECT_EQ(result, second == 54 ? 1 : 0);
        const auto r = records(t);
        EXPECT_EQ(r[0][201], second == 54 ? 'a' : 'b');
    }
}

TEST_F(SortTest, DeletedMarksAndTrailingBytesStay) {
    for (bool pair : {true, false}) {
        TableImage t = names({"c", "a", "b"});
        t.deleted = {false, true, false};
        t.trailer = "\x1A";
        t.terminatorPair = pair;
        ASSERT_EQ(sortTable(t, "NAME"), 1);
        const auto r = records(t);
        EXPECT_EQ(r[0].substr(0, 2), "*a");
        EXPECT_EQ(r[1].substr(0, 2), " b");
        EXPECT_EQ(r[2].substr(0, 2), " c");
        const std::string bytes = testutil::readAll(path);
        EXPECT_EQ(bytes.size(), t.bytes().size());
        EXPECT_EQ(bytes.back(), '\x1A');
        EXPECT_EQ(bytes.substr(0, static_cast<std::size_t>(t.headerLength())),
                  t.bytes().substr(0, static_cast<std::size_t>(t.headerLength())));
    }
}

TEST_F(SortTest, EmptyTableSucceedsUntouched) {
    TableImage t = names({});
    EXPECT_EQ(sortTable(t, "NOSUCH"), 1);
    EXPECT_EQ(testutil::readAll(path), t.bytes());
}

TEST_F(SortTest, CursorReturnsToItsRecordNumber) {
    const TableImage t = names({"c", "a", "b"});
    testutil::writeAll(dir.file("c.dbf"), t.bytes());
    dbf table(dir.file("c.dbf").c_str());
    ASSERT_EQ(table.open(), 1);
    table.goTo(2);
    ASSERT_EQ(table.sort("NAME"), 1);
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(table.fieldGet(0)[0], 'b');
    EXPECT_EQ(table.lockedLength(), 0);
}

TEST_F(SortTest, SortToATargetFile) {
    const TableImage t = names({"c", "a", "b"});
    const std::string tablePath = dir.file("t.dbf");
    const std::string target = dir.file("out.dbf");
    testutil::writeAll(tablePath, t.bytes());
    testutil::writeAll(target, std::string(t.bytes().size() + 5, '#'));
    dbf table(tablePath.c_str());
    ASSERT_EQ(table.open(), 1);
    ASSERT_EQ(table.sort("NAME", target.c_str()), 1);
    EXPECT_EQ(testutil::readAll(tablePath), t.bytes());
    const TableImage sorted = names({"a", "b", "c"});
    // The target begins with the header and the sorted records and keeps
    // its longer tail.
    EXPECT_EQ(testutil::readAll(target), sorted.bytes() + "#####");
}

TEST_F(SortTest, LockHeldElsewhereRefusesTheSort) {
    const TableImage t = names({"b", "a"});
    const std::string p = dir.file("l.dbf");
    testutil::writeAll(p, t.bytes());
    dbf holder(p.c_str()), sorter(p.c_str());
    ASSERT_EQ(holder.open(), 1);
    ASSERT_EQ(sorter.open(), 1);
    ASSERT_EQ(holder.lockRecord(), 1);
    EXPECT_EQ(sorter.sort("NAME"), 0);
    EXPECT_EQ(testutil::readAll(p), t.bytes());
    holder.unlockFile();

    // Another process holds a record lock.
    {
        testutil::RecordLockInOtherProcess other(p);
        ASSERT_TRUE(other.held());
        EXPECT_EQ(sorter.sort("NAME"), 0);
        EXPECT_EQ(testutil::readAll(p), t.bytes());
    }
    EXPECT_EQ(sorter.sort("NAME"), 1);
}

TEST_F(SortTest, ShortFileIsRefused) {
    TableImage t = names({"b", "a"});
    t.recordCount = 3;
    EXPECT_EQ(sortTable(t, "NAME"), 0);
    EXPECT_EQ(testutil::readAll(path), t.bytes());
}

// A table larger than one write chunk, so that the sorted records go out in
// several writes.
TableImage bigTable() {
    TableImage t;
    t.fields = {{"K", 'C', 8}, {"PAD", 'C', 55}};
    std::mt19937 rng(7);
    for (int i = 0; i < 80000; ++i) {
        std::string r(8, ' ');
        for (auto& ch : r) ch = static_cast<char>('a' + rng() % 26);
        t.records.push_back(r + std::to_string(i));
    }
    return t;
}

TEST_F(SortTest, FailedWritesAndReadsLeaveTheTableByteIdentical) {
    const TableImage t = bigTable();
    const std::string original = t.bytes();
    // Two chunks of records: the first or the second write fails.
    for (int nth : {1, 2}) {
        platform::failOperation(platform::Op::write, nth);
        EXPECT_EQ(sortTable(t, "K"), 0) << "write " << nth;
        EXPECT_TRUE(testutil::readAll(path) == original) << "write " << nth;
        platform::resetFaults();
    }
    // The sort reads the record count, the header and the record area.
    static int nth;
    for (nth = 2; nth <= 3; ++nth) {
        EXPECT_EQ(sortTable(t, "K", true, [] { platform::failOperation(platform::Op::read, nth); }),
                  0)
            << "read " << nth;
        EXPECT_TRUE(testutil::readAll(path) == original) << "read " << nth;
        platform::resetFaults();
    }
}

// Records narrower than the sort's per-record scratch are gathered in that
// scratch for writing.
TEST_F(SortTest, NarrowRecords) {
    TableImage t;
    t.fields = {{"K", 'C', 3}};
    std::mt19937 rng(3);
    for (int i = 0; i < 2000; ++i) t.records.push_back(std::to_string(100 + rng() % 900));
    platform::failOperation(platform::Op::write, 1);
    EXPECT_EQ(sortTable(t, "K"), 0);
    EXPECT_TRUE(testutil::readAll(path) == t.bytes());
    platform::resetFaults();
    ASSERT_EQ(sortTable(t, "K"), 1);
    TableImage sorted = t;
    std::sort(sorted.records.begin(), sorted.records.end());
    EXPECT_TRUE(testutil::readAll(path) == sorted.bytes());
}

// The fast sort must give exactly the order of a stable sort with the
// comparator, whatever the keys look like: shared prefixes longer than eight
// bytes, equal keys, zero bytes inside key fields, accented letters.
TEST_F(SortTest, SameOrderAsAStableSortWithTheComparator) {
    std::mt19937 rng(11);
    const std::string alphabet = "aAbB \xA0\xB5\x90\x82zZ\x8B";
    // The larger table is split by its highest varying key byte first.
    struct Run {
        bool weighted;
        int records;
    };
    for (const Run run : {Run{true, 3000}, Run{false, 3000}, Run{true, 40000}}) {
        const bool weighted = run.weighted;
        TableImage t;
        t.fields = {{"A", 'C', 20}, {"N", 'N', 5}, {"B", 'C', 13}, {"ID", 'C', 6}};
        for (int i = 0; i < run.records; ++i) {
            std::string a = i % 2 ? "commonprefix" : "";
            for (int k = 0; k < 8; ++k) a += alphabet[rng() % alphabet.size()];
            if (rng() % 10 == 0) a[rng() % a.size()] = '\0';
            a.resize(20, ' ');
            std::string b(13, ' ');
            for (auto& ch : b) ch = alphabet[rng() % 3];
            if (rng() % 20 == 0) b[rng() % 13] = '\0';
            std::string id = std::to_string(i);
            id.resize(6, ' ');
            t.records.push_back(a + "    1" + b + id);
        }
        setting(SET_HUN_CMP, weighted ? "1" : "0");
        ASSERT_EQ(sortTable(t, "A+B"), 1);

        // The expected order, with the comparator over the original images.
        testutil::writeAll(dir.file("x.dbf"), t.bytes());
        dbf reference(dir.file("x.dbf").c_str());
        ASSERT_EQ(reference.open(), 1);
        ::sortTable = &reference;
        sortKeyFields[0] = 0;
        sortKeyFields[1] = 2;
        sortKeyFields[2] = -1;
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < t.records.size(); ++i) expected.push_back(" " + t.records[i]);
        auto cmp = weighted ? weightedKeyCompare : plainKeyCompare;
        std::stable_sort(expected.begin(), expected.end(),
                         [cmp](const std::string& x, const std::string& y) {
                             return cmp(x.data(), y.data()) < 0;
                         });
        EXPECT_TRUE(records(t) == expected) << (weighted ? "weighted" : "plain");
    }
}

TEST(SortComparators, PlainAndWeighted) {
    ScratchDir dir;
    TableImage t;
    t.fields = {{"A", 'C', 3}, {"B", 'C', 2}};
    testutil::writeAll(dir.file("c.dbf"), t.bytes());
    dbf table(dir.file("c.dbf").c_str());
    ASSERT_EQ(table.open(), 1);
    sortTable = &table;
    sortKeyFields[0] = 0;
    sortKeyFields[1] = 1;
    sortKeyFields[2] = -1;
    struct Case {
        std::string a, b;
        int plain, weighted;  // sign of the result
    } cases[] = {
        {" abcde", " abcde", 0, 0},
        {" abcdd", " abcde", -1, -1},
        {" \xA0"
         "bcde",
         " abcde", 1, 0},  // á weighs as a
        {" \xA0"
         "bcde",
         " bbcde", 1, -1},
        {" Zbcde", " abcde", -1, -1},  // capitals first in both orders
        // A zero byte ends its field's piece; the next field follows on.
        {std::string(" a\0cde", 6), " adexx", -1, -1},
        {std::string(" a\0cde", 6), " ad   ", 1, 1},
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& c : cases) {
        EXPECT_EQ(sign(plainKeyCompare(c.a.data(), c.b.data())), c.plain) << c.a;
        EXPECT_EQ(sign(weightedKeyCompare(c.a.data(), c.b.data())), c.weighted) << c.a;
    }
}

TEST(SortWeights, TablesAsGiven) {
    const unsigned char* oem = oemWeights();
    const unsigned char* ansi = ansiWeights();
    EXPECT_EQ(oem[0x8B], 'i');
    EXPECT_EQ(oem[0xB5], 'A');
    EXPECT_EQ(oem[0xFB], 'u');
    EXPECT_EQ(oem[0xE0], 'O');
    EXPECT_EQ(oem[0x61], 'a');
    EXPECT_EQ(ansi[0xD0], 'O');
    EXPECT_EQ(ansi[0xF0], 0xF0);
    EXPECT_EQ(ansi[0xF1], 0xF1);
    EXPECT_EQ(ansi[0xF2], 'o');
    EXPECT_EQ(ansi[0xFC], 'u');
    int changedOem = 0, changedAnsi = 0;
    for (int i = 0; i < 256; ++i) {
        changedOem += oem[i] != i;
        changedAnsi += ansi[i] != i;
    }
    EXPECT_EQ(changedOem, 32);
    EXPECT_EQ(changedAnsi, 48);
}

}  // namespace
