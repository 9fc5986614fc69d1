// Frame pacing on the virtual clock: the "slot:wait" lines, the sleeps, the
// measured rate, and clocks that jump or wrap.
#include <gtest/gtest.h>

#include <string>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/shell/pacing.h"
#include "tests/support/files.h"

TEST(Pacing, HoldsSixtyFramesPerSecondAndLogsEachFrame) {
    HeadlessSelect();
    // No framework: the pacing needs only the clock and sleep.
    HeadlessSetClock(1000);
    for (int i = 0; i < 180; i++) {
        PaceFrame();
        HeadlessAdvance(5);   // the frame's own work
    }
    FlushPacingLog();
    std::string log = ReadBytes("txt.txt");
    EXPECT_EQ(log.substr(0, 4), "0:0\n") << "first frame of the run waits 0";
    // Slot 1 of the first window: due at start + 16, 5 ms of work done.
    EXPECT_EQ(log.substr(4, 5), "1:11\n");
    EXPECT_NEAR(1000.0 / AverageFrameTime(), 60.0, 0.05);
}

TEST(Pacing, LateFramesLogNegativeWaitsAndHugeWaitsAreNotSlept) {
    HeadlessSelect();
    HeadlessSetClock(100);
    PaceFrame();                 // slot 0: window starts at 100
    HeadlessAdvance(40);         // late for slot 1 (due 116)
    const uint32_t before = HeadlessClock();
    PaceFrame();
    EXPECT_EQ(HeadlessClock(), before) << "a late frame does not sleep";
    // The clock wraps backwards past 0: the wait would be seconds to weeks; skip it.
    const uint32_t wrapped = 100u - 5000u;
    HeadlessSetClock(wrapped);
    PaceFrame();
    EXPECT_EQ(HeadlessClock(), wrapped);
    FlushPacingLog();
    std::string log = ReadBytes("txt.txt");
    EXPECT_NE(log.find("1:-24\n"), std::string::npos) << log;
}
