// A test fixture that saves every setting before a test and puts it back
// afterwards, so a test may change any setting without affecting the next.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "util/settings.h"

namespace testutil {

class KeepSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < SETTING_COUNT; ++i) saved[i] = setting(i);
    }
    void TearDown() override {
        for (int i = 0; i < SETTING_COUNT; ++i)
            if (!saved[i].empty()) setting(i, saved[i].c_str());
    }

  private:
    std::string saved[SETTING_COUNT];
};

}  // namespace testutil
