// Frame pacing on the virtual clock: the "slot:wait" lines, the sleeps, the
// measured rate, clocks that jump or wrap, and the rate figure's edge.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/shell/pacing.h"
#include "tests/support/files.h"
#include "tests/support/image_test_support.h"

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

// With presents tied to a 60 Hz blank the pacing sleep yields to it: a sleep
// that would run past the next blank ends a millisecond before it, so every
// frame is one refresh long, however the work and the schedule fall. Away
// from 60 Hz nothing changes: the designed sleep and emulated blank.
TEST(Pacing, PresentsTiedToTheBlankNeverWaitTwice) {
    for (double hz : {60.0, 59.2, 60.9, 75.0}) {
        HeadlessSelect();
        HeadlessSetRefreshHz(hz);
        HeadlessSetVsyncPresent(1);
        ASSERT_EQ(FrameworkInit(), 0);
        SetDrawTarget(-2);
        std::vector<uint32_t> presents;
        HeadlessOnPresent([&](int, const uint32_t*, int, int) { presents.push_back(HeadlessClock()); });
        for (int i = 0; i < 600; i++) {
            HeadlessAdvance(static_cast<uint32_t>((i * 7) % 14));   // 0..13 ms of work
            PaceFrame();
            FlipScreen();
        }
        const int period = static_cast<int>(1000.0 / hz);
        int longest = 0, shortest = 1000;
        for (size_t i = 1; i < presents.size(); i++) {
            const int d = static_cast<int>(presents[i] - presents[i - 1]);
            longest = std::max(longest, d);
            shortest = std::min(shortest, d);
        }
        const double mean = (presents.back() - presents.front()) / double(presents.size() - 1);
        std::printf("[ figures  ] %.1f Hz: frame %d..%d ms, mean %.3f ms\n", hz, shortest, longest, mean);
        if (hz < 61.5) {
            EXPECT_GE(shortest, period) << hz;
            EXPECT_LE(longest, period + 1) << hz;
            EXPECT_NEAR(mean, 1000.0 / hz, 0.05) << hz;
        } else {
            EXPECT_NEAR(mean, 1000.0 / 60, 0.5) << "75 Hz keeps the designed 60 frames per second";
        }

        // A sleep asked to end past the next blank stops a millisecond before it.
        if (hz == 60.0) {
            const uint32_t blank = presents.back();
            HeadlessSetClock(blank + 5);
            SleepMs(30);
            EXPECT_EQ(HeadlessClock(), blank + 15);
            SleepMs(0);
            SleepMs(1);
            EXPECT_EQ(HeadlessClock(), blank + 15) << "nothing left before the blank";
        }
        FrameworkEnd();
    }
}

TEST(Pacing, FrameRateFigureKeepsAnEdgeOverWhiteClouds) {
    HeadlessSelect();
    HeadlessSetClock(1000);
    for (int i = 0; i < 60; i++) {
        PaceFrame();
        HeadlessAdvance(5);
    }
    ASSERT_NE(AverageFrameTime(), 0);
    ASSERT_EQ(FrameworkInit(), 0);
    ASSERT_EQ(SetDrawTarget(-2), 0);
    char text[32];
    std::snprintf(text, sizeof text, "[%.1f]", 1000.0 / AverageFrameTime());
    const int white = MakeColor(255, 255, 255);

    // The figure's own pixels: the plain text in white on black.
    enum { W = 120, Y0 = 455, H = 480 - Y0 };
    DrawRect(0, 0, 640, 480, 0, 1);
    DrawTextAt(0, 465, text, white, 0);
    std::vector<int> body(W * H);
    int bodyPixels = 0;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) bodyPixels += body[y * W + x] = BackPixel(x, Y0 + y) == 0xFFFFFF;
    ASSERT_GT(bodyPixels, 20);

    // Over white the same pixels stay white, ringed one pixel wide in black.
    DrawRect(0, 0, 640, 480, white, 1);
    DrawFrameRate();
    auto inBody = [&](int x, int y) { return x >= 0 && x < W && y >= 0 && y < H && body[y * W + x]; };
    int edgePixels = 0, wrong = 0;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            bool ring = false;
            for (int dy = -1; dy <= 1; dy++)
                for (int dx = -1; dx <= 1; dx++) ring = ring || inBody(x + dx, y + dy);
            const uint32_t expect = inBody(x, y) || !ring ? 0xFFFFFF : 0x000000;
            if (BackPixel(x, Y0 + y) != expect && wrong++ == 0)
                ADD_FAILURE() << "first wrong pixel at " << x << "," << Y0 + y;
            edgePixels += expect == 0;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(edgePixels, bodyPixels);
    FrameworkEnd();
}
