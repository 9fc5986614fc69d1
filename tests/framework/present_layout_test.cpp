// Where the 640×480 picture goes in a window or screen of any size: the whole
// multiple for the sharp step, the centred fit, and whether a linear step
// follows (with a graphics card) or the whole multiple alone is centred
// (without one); and the screen a person sees without one, composed on the
// drawing threads.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/backend/raster/present_scale.h"
#include "framework/backend/raster/raster.h"
#include "framework/backend/raster/raster_queue.h"

TEST(PresentLayout, WholeMultipleThenTheCentredFit) {
    const struct {
        int outW, outH;
        PresentLayout smooth, plain;   // with a graphics card, without one
    } cases[] = {
        {640, 480, {1, 0, 0, 640, 480, false}, {1, 0, 0, 640, 480, false}},
        {1280, 960, {2, 0, 0, 1280, 960, false}, {2, 0, 0, 1280, 960, false}},   // ×2 window: nearest only
        {1920, 1080, {2, 240, 0, 1440, 1080, true}, {2, 320, 60, 1280, 960, false}},  // ×2 sharp, then 1.125
        {1366, 768, {1, 171, 0, 1024, 768, true}, {1, 363, 144, 640, 480, false}},
        {3840, 2160, {4, 480, 0, 2880, 2160, true}, {4, 640, 120, 2560, 1920, false}},
        {2560, 1440, {3, 320, 0, 1920, 1440, false}, {3, 320, 0, 1920, 1440, false}},  // exactly ×3 with bars
        {1280, 1024, {2, 0, 32, 1280, 960, false}, {2, 0, 32, 1280, 960, false}},      // 5:4: bars above and below
        {320, 240, {1, 0, 0, 320, 240, true}, {1, -160, -120, 640, 480, false}},      // smaller: cropped
        {0, 480, {1, 0, 0, 640, 480, false}, {1, 0, 0, 640, 480, false}},             // no output yet: unchanged
    };
    for (const auto& c : cases) {
        for (const bool smooth : {true, false}) {
            const PresentLayout l = PresentLayoutFor(640, 480, c.outW, c.outH, smooth);
            const PresentLayout& want = smooth ? c.smooth : c.plain;
            const std::string at = std::to_string(c.outW) + "x" + std::to_string(c.outH) + (smooth ? " smooth" : " plain");
            EXPECT_EQ(l.wholeScale, want.wholeScale) << at;
            EXPECT_EQ(l.x, want.x) << at;
            EXPECT_EQ(l.y, want.y) << at;
            EXPECT_EQ(l.w, want.w) << at;
            EXPECT_EQ(l.h, want.h) << at;
            EXPECT_EQ(l.smoothRest, want.smoothRest) << at;
        }
    }
}

namespace {

std::vector<uint32_t> RandomPixels(std::mt19937& rng, size_t n) {
    std::vector<uint32_t> v(n);
    for (uint32_t& p : v) p = 0xFF000000u | (rng() & 0xFFFFFFu);
    return v;
}

} // namespace

// The whole-multiple step against its plain description, over clip edges that
// cut blocks, offsets off the screen, every factor up to 5 and bands of rows:
// a pixel inside the clip, the bands and the scaled picture takes the source
// pixel ((x − x0) div k, (y − y0) div k); every other pixel keeps its value.
TEST(PresentLayout, WholeMultipleStepIsNearestNeighbourInEveryBand) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; round++) {
        const int sw = 1 + rng() % 23, sh = 1 + rng() % 17, k = 1 + rng() % 5;
        const int dw = 1 + rng() % 90, dh = 1 + rng() % 70;
        const std::vector<uint32_t> src = RandomPixels(rng, static_cast<size_t>(sw + 3) * sh);
        const Surface s{const_cast<uint32_t*>(src.data()), sw, sh, sw + 3};
        std::vector<uint32_t> dst = RandomPixels(rng, static_cast<size_t>(dw + 5) * dh);
        const std::vector<uint32_t> before = dst;
        const Surface d{dst.data(), dw, dh, dw + 5};
        const int x0 = static_cast<int>(rng() % 60) - 30, y0 = static_cast<int>(rng() % 50) - 25;
        const ClipRect clip{static_cast<int>(rng() % 20) - 5, static_cast<int>(rng() % 20) - 5,
                            static_cast<int>(rng() % 100), static_cast<int>(rng() % 80)};
        const int bands = 1 + rng() % 4, bandH = 1 + rng() % 20;
        for (int b = 0; b < bands; b++) {
            const RasterRows rows{b * bandH, (b + 1) * bandH};
            RasterScaleWhole(d, clip, s, x0, y0, k, &rows);
        }
        for (int y = 0; y < dh; y++)
            for (int x = 0; x < dw; x++) {
                const size_t at = static_cast<size_t>(y) * (dw + 5) + x;
                const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom &&
                                    y < bands * bandH && x >= x0 && x < x0 + sw * k && y >= y0 && y < y0 + sh * k;
                const uint32_t want =
                    inside ? src[static_cast<size_t>((y - y0) / k) * (sw + 3) + (x - x0) / k] : before[at];
                ASSERT_EQ(dst[at], want) << "round " << round << " at " << x << "," << y << " k " << k;
            }
    }
}

// The headless platform's screen (what the SDL platform shows without a
// graphics card): the picture × the whole multiple, centred, everything else
// black, composed by two drawing threads; a later frame rewrites the picture
// and leaves the bars as they were.
TEST(PresentLayout, ScreenWithoutGraphicsCardShowsTheWholeMultipleCentred) {
    HeadlessSelect();
    RasterQueueSetThreads(2);
    RasterQueueSpreadAll(1);
    std::mt19937 rng(11);
    const struct {
        int windowed;
        double scale;
        int desktopW, desktopH;
        int screenW, screenH, k, x0, y0;
    } cases[] = {
        {0, 1, 1920, 1080, 1920, 1080, 2, 320, 60},
        {0, 1, 1366, 768, 1366, 768, 1, 363, 144},
        {0, 1, 2560, 1440, 2560, 1440, 3, 320, 0},
        {1, 1, 1920, 1080, 640, 480, 1, 0, 0},
        {1, 2, 1920, 1080, 1280, 960, 2, 0, 0},
        {1, 0.5, 1920, 1080, 320, 240, 1, -160, -120},
    };
    for (const auto& c : cases) {
        HeadlessReset();
        HeadlessSetDesktopSize(c.desktopW, c.desktopH);
        HeadlessKeepScreen(1);
        const PlatformWindowDesc desc{640, 480, c.windowed, c.scale, "t"};
        ASSERT_EQ(PlatformGet()->CreateWindow(&desc), 0);
        for (int frame = 0; frame < 2; frame++) {
            const std::vector<uint32_t> pic = RandomPixels(rng, 648 * 480);
            PlatformGet()->Present(pic.data(), 640, 480, 648);
            int w = 0, h = 0;
            const std::vector<uint32_t>& screen = HeadlessScreen(&w, &h);
            ASSERT_EQ(w, c.screenW);
            ASSERT_EQ(h, c.screenH);
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++) {
                    const bool inside = x >= c.x0 && x < c.x0 + 640 * c.k && y >= c.y0 && y < c.y0 + 480 * c.k;
                    const uint32_t want =
                        inside ? pic[static_cast<size_t>((y - c.y0) / c.k) * 648 + (x - c.x0) / c.k] : 0xFF000000u;
                    ASSERT_EQ(screen[static_cast<size_t>(y) * w + x], want)
                        << c.screenW << "x" << c.screenH << " frame " << frame << " at " << x << "," << y;
                }
        }
        PlatformGet()->DestroyWindow();
    }
    RasterQueueSpreadAll(0);
    RasterQueueSetThreads(0);
    HeadlessReset();
}
