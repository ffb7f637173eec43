// For the tool's tests that read its process-wide option state: a fixture that resets it.
#ifndef KAVTEST_TOOL_STATE_TEST_H
#define KAVTEST_TOOL_STATE_TEST_H

#include <gtest/gtest.h>

#include "messages.h"
#include "options.h"

/// No option given and not quiet before each test; not quiet and no -bicm after it.
class ToolState : public testing::Test {
 protected:
  void SetUp() override {
    verbose_mode = 0;
    for (char*& a : args) a = nullptr;
  }
  void TearDown() override {
    verbose_mode = 0;
    args[OPT_BICM] = nullptr;
  }
};

#endif
