// Tables written by other .dbf programs, sorted by the tool and read back by
// those programs (tests/interop/peers.py). Skipped where the peers are not
// installed (scripts/install-deps.sh installs them).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/testutil.h"

TEST(Interop, TablesOfOtherProgramsSortAndReadBack) {
    testutil::ScratchDir dir;
    const std::string command = std::string("/usr/bin/python3 ") + TABULO_SOURCE_DIR +
                                "/tests/interop/peers.py " + TABULO_BIN + " " + dir.path().string();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "python3-dbf or shapelib missing";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
