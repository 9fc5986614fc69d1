// Base fixture for tests that run the framework on the headless platform,
// drawing to the back buffer. Fixtures with more to prepare call
// HeadlessTest::SetUp() first and stop if it failed.
#pragma once

#include <gtest/gtest.h>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessSelect();
        ASSERT_EQ(FrameworkInit(), 0);
        ASSERT_EQ(SetDrawTarget(-2), 0);
    }
    void TearDown() override { FrameworkEnd(); }
};
