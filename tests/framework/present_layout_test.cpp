// Where the SDL platform puts the 640×480 picture in a window or screen of any
// size: the whole multiple for the sharp step, the centred fit, and whether a
// linear step follows.
#include <gtest/gtest.h>

#include "framework/backend/sdl/sdl_present.h"

TEST(PresentLayout, WholeMultipleThenTheCentredFit) {
    const struct {
        int outW, outH;
        PresentLayout want;
    } cases[] = {
        {640, 480, {1, 0, 0, 640, 480, false}},
        {1280, 960, {2, 0, 0, 1280, 960, false}},        // ×2 window: nearest only
        {1920, 1080, {2, 240, 0, 1440, 1080, true}},     // ×2 sharp, then 1.125 smoothed
        {1366, 768, {1, 171, 0, 1024, 768, true}},
        {3840, 2160, {4, 480, 0, 2880, 2160, true}},
        {2560, 1440, {3, 320, 0, 1920, 1440, false}},    // exactly ×3 with bars
        {1280, 1024, {2, 0, 32, 1280, 960, false}},      // 5:4: bars above and below
        {320, 240, {1, 0, 0, 320, 240, true}},           // smaller than the picture
        {0, 480, {1, 0, 0, 640, 480, false}},            // no output yet: unchanged
    };
    for (const auto& c : cases) {
        const PresentLayout l = SdlPresentLayout(640, 480, c.outW, c.outH);
        EXPECT_EQ(l.wholeScale, c.want.wholeScale) << c.outW << "x" << c.outH;
        EXPECT_EQ(l.x, c.want.x) << c.outW << "x" << c.outH;
        EXPECT_EQ(l.y, c.want.y) << c.outW << "x" << c.outH;
        EXPECT_EQ(l.w, c.want.w) << c.outW << "x" << c.outH;
        EXPECT_EQ(l.h, c.want.h) << c.outW << "x" << c.outH;
        EXPECT_EQ(l.smoothRest, c.want.smoothRest) << c.outW << "x" << c.outH;
    }
}
