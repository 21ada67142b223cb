// Numbers in table files use '.' whatever locale the application runs in:
// an application that sets a Hungarian locale (decimal comma) must still
// store 3.14 as "3.14" and read it back as 3.14.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "table/dbf.h"
#include "tests/testutil.h"
#include "util/settings.h"

namespace {

// Builds a Hungarian locale in a scratch folder and switches the numeric
// category to it; switches back and forgets the folder at the end.
class CommaLocale {
  public:
    explicit CommaLocale(const testutil::ScratchDir& dir) {
        const std::string command =
            "localedef -i hu_HU -f UTF-8 " + dir.file("hu_HU.UTF-8") + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return;
        setenv("LOCPATH", dir.path().c_str(), 1);
        active = std::setlocale(LC_NUMERIC, "hu_HU.UTF-8") != nullptr &&
                 std::string(std::localeconv()->decimal_point) == ",";
    }
    ~CommaLocale() {
        std::setlocale(LC_NUMERIC, "C");
        unsetenv("LOCPATH");
    }
    bool active = false;
};

TEST(Locale, NumbersKeepTheirPointUnderADecimalCommaLocale) {
    testutil::ScratchDir dir;
    testutil::TableImage t;
    t.fields = {{"AMOUNT", 'N', 8, 2}};
    t.records = {"    1.00"};
    testutil::writeAll(dir.file("n.dbf"), t.bytes());
    dbf table(dir.file("n.dbf").c_str());
    ASSERT_EQ(table.open(), 1);

    CommaLocale locale(dir);
    if (!locale.active) GTEST_SKIP() << "no Hungarian locale could be built";
    char text[] = "3.14159";
    ASSERT_EQ(table.fieldPut(0, text), 1);
    EXPECT_STREQ(table.fieldGet(0), "    3.14");
    char out[FORMAT_NUMBER_SIZE];
    EXPECT_EQ(formatNumber(1234.5L, out), 19);
    EXPECT_STREQ(out, "            1234.50");
}

}  // namespace
