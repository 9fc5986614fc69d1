// Draw calls on the back buffer, pixel by pixel: placement and clipping of
// unscaled draws, the alignment rule of rotated draws for even and odd sizes,
// mirroring, rotation direction, scale, quads, rectangles, each blend mode's
// arithmetic, brightness, colour key and alpha, and bilinear against nearest.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "framework/graphics/draw_internal.h"
#include "framework/graphics/draw_target.h"
#include "tests/support/headless_test.h"
#include "tests/support/image_test_support.h"

namespace {

class GraphicsDraw : public HeadlessTest {};

// w × h image whose pixel (i, j) is opaque with red 10 + i, green 10 + j.
int Numbered(int w, int h) {
    std::vector<uint32_t> px;
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++) px.push_back(0xFF000000u | (10 + i) << 16 | (10 + j) << 8 | 0x80);
    return MakeTestImage(w, h, px, false);
}
uint32_t NumberedPixel(int i, int j) { return (10 + i) << 16 | (10 + j) << 8 | 0x80; }

int Solid(int w, int h, uint32_t argb, bool alpha) {
    return MakeTestImage(w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h, argb), alpha);
}

// Counts back-buffer pixels that are not black inside [x0, x1) × [y0, y1).
int Lit(int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) n += BackPixel(x, y) != 0;
    return n;
}

// Expects exactly the image's pixels at (x, y) and black in a margin around it.
void ExpectPlaced(int img, int w, int h, int x, int y, bool mirrored = false) {
    for (int j = -2; j < h + 2; j++)
        for (int i = -2; i < w + 2; i++) {
            uint32_t want = (i >= 0 && i < w && j >= 0 && j < h) ? NumberedPixel(mirrored ? w - 1 - i : i, j) : 0;
            ASSERT_EQ(BackPixel(x + i, y + j), want) << "at " << i << ", " << j;
        }
    (void)img;
}

int Round255(double x) { return static_cast<int>(std::lround(x / 255.0)); }

} // namespace

TEST_F(GraphicsDraw, UnscaledPlacementAndClippingAtEveryEdge) {
    int img = Numbered(5, 4);
    ASSERT_EQ(DrawImageAt(100, 200, img, 0), 0);
    ExpectPlaced(img, 5, 4, 100, 200);
    ClearDrawTarget();
    // Hanging over each edge: the visible part lands exactly, nothing wraps.
    DrawImageAt(-2, 10, img, 0);
    EXPECT_EQ(BackPixel(0, 10), NumberedPixel(2, 0));
    EXPECT_EQ(BackPixel(2, 10), NumberedPixel(4, 0));
    EXPECT_EQ(BackPixel(3, 10), 0u);
    EXPECT_EQ(BackPixel(639, 9), 0u);
    DrawImageAt(637, 50, img, 0);
    EXPECT_EQ(BackPixel(637, 50), NumberedPixel(0, 0));
    EXPECT_EQ(BackPixel(639, 53), NumberedPixel(2, 3));
    EXPECT_EQ(BackPixel(0, 51), 0u);   // no wrap onto the next row
    DrawImageAt(300, -3, img, 0);
    EXPECT_EQ(BackPixel(300, 0), NumberedPixel(0, 3));
    EXPECT_EQ(BackPixel(300, 1), 0u);
    DrawImageAt(400, 478, img, 0);
    EXPECT_EQ(BackPixel(401, 479), NumberedPixel(1, 1));
    EXPECT_EQ(Lit(0, 0, 640, 480), 3 * 4 + 3 * 4 + 5 * 1 + 5 * 2);
    // Entirely outside, and far outside (no overflow).
    ClearDrawTarget();
    EXPECT_EQ(DrawImageAt(-5, 0, img, 0), 0);
    EXPECT_EQ(DrawImageAt(640, 0, img, 0), 0);
    EXPECT_EQ(DrawImageAt(0, 480, img, 0), 0);
    EXPECT_EQ(DrawImageAt(2147483000, -2147483000, img, 0), 0);
    EXPECT_EQ(Lit(0, 0, 640, 480), 0);
    // Float positions truncate toward zero.
    DrawImageAtF(10.9f, 20.99f, img, 0);
    ExpectPlaced(img, 5, 4, 10, 20);
    ClearDrawTarget();
    DrawImageAtF(-1.7f, 30.2f, img, 0);   // −1.7 → −1
    EXPECT_EQ(BackPixel(0, 30), NumberedPixel(1, 0));
}

TEST_F(GraphicsDraw, RotatedAtScaleOneLandsOnWholePixelsForEvenAndOddSizes) {
    const int sizes[][2] = {{4, 4}, {3, 3}, {4, 3}, {5, 2}, {1, 1}, {2, 7}};
    for (auto& s : sizes) {
        ClearDrawTarget();
        int img = Numbered(s[0], s[1]);
        ASSERT_EQ(DrawImageRotated(100, 100, 1.0, 0.0, img, 0, 0), 0);
        ExpectPlaced(img, s[0], s[1], 100 - s[0] / 2, 100 - s[1] / 2);
        ClearDrawTarget();
        ASSERT_EQ(DrawImageRotatedF(200.0f, 150.0f, 1.0, 0.0, img, 0, 0), 0);
        ExpectPlaced(img, s[0], s[1], 200 - s[0] / 2, 150 - s[1] / 2);
        // turnFlag 1 with angle 0: mirrored left to right about the centre.
        ClearDrawTarget();
        ASSERT_EQ(DrawImageRotated(100, 100, 1.0, 0.0, img, 0, 1), 0);
        ExpectPlaced(img, s[0], s[1], 100 - s[0] / 2, 100 - s[1] / 2, true);
        // Angle 2π: the same as 0.
        ClearDrawTarget();
        DrawImageRotated(100, 100, 1.0, 6.2831853071796, img, 0, 0);
        ExpectPlaced(img, s[0], s[1], 100 - s[0] / 2, 100 - s[1] / 2);
    }
}

TEST_F(GraphicsDraw, RotationDirectionScaleAndScaleZero) {
    int img = Numbered(3, 1);   // A B C in a row
    // π/2 turns clockwise on screen: the row's left end goes up.
    DrawImageRotated(50, 50, 1.0, 3.1415926535898 / 2, img, 0, 0);
    EXPECT_EQ(BackPixel(50, 49), NumberedPixel(0, 0));
    EXPECT_EQ(BackPixel(50, 50), NumberedPixel(1, 0));
    EXPECT_EQ(BackPixel(50, 51), NumberedPixel(2, 0));
    EXPECT_EQ(Lit(40, 40, 60, 60), 3);
    ClearDrawTarget();
    // π: the row reversed in place.
    DrawImageRotated(50, 50, 1.0, 3.1415926535898, img, 0, 0);
    EXPECT_EQ(BackPixel(49, 50), NumberedPixel(2, 0));
    EXPECT_EQ(BackPixel(51, 50), NumberedPixel(0, 0));
    ClearDrawTarget();
    // Scale 2 of a 2×2 image: edges at x ± 2, i.e. pixels x − 2 .. x + 1.
    int sq = Numbered(2, 2);
    DrawImageRotated(100, 100, 2.0, 0.0, sq, 0, 0);
    EXPECT_EQ(Lit(90, 90, 110, 110), 16);
    EXPECT_EQ(BackPixel(98, 98), NumberedPixel(0, 0));
    EXPECT_EQ(BackPixel(99, 99), NumberedPixel(0, 0));
    EXPECT_EQ(BackPixel(100, 98), NumberedPixel(1, 0));
    EXPECT_EQ(BackPixel(101, 101), NumberedPixel(1, 1));
    // Scale 0.5 of a 4×4: a 2×2 block at x − 1 .. x.
    ClearDrawTarget();
    int big = Numbered(4, 4);
    DrawImageRotated(100, 100, 0.5, 0.0, big, 0, 0);
    EXPECT_EQ(Lit(90, 90, 110, 110), 4);
    EXPECT_NE(BackPixel(99, 99), 0u);
    EXPECT_NE(BackPixel(100, 100), 0u);
    // Negative scale: turned by π.
    ClearDrawTarget();
    DrawImageRotated(50, 50, -1.0, 0.0, img, 0, 0);
    EXPECT_EQ(BackPixel(49, 50), NumberedPixel(2, 0));
    // Scale 0 draws nothing and fails.
    ClearDrawTarget();
    EXPECT_EQ(DrawImageRotated(50, 50, 0.0, 0.0, img, 0, 0), -1);
    EXPECT_EQ(DrawImageRotatedF(50, 50, 0.0, 1.0, img, 0, 0), -1);
    EXPECT_EQ(Lit(0, 0, 640, 480), 0);
}

TEST_F(GraphicsDraw, QuadCornersAndSharedDiagonal) {
    int img = Numbered(4, 3);
    // The image's own rectangle: identical to an unscaled draw.
    DrawImageQuad(10, 20, 14, 20, 14, 23, 10, 23, img, 0);
    ExpectPlaced(img, 4, 3, 10, 20);
    // Corners mirrored left to right.
    ClearDrawTarget();
    DrawImageQuad(14, 20, 10, 20, 10, 23, 14, 23, img, 0);
    ExpectPlaced(img, 4, 3, 10, 20, true);
    // Stretched twice in x: each source column covers two pixels.
    ClearDrawTarget();
    DrawImageQuad(10, 20, 18, 20, 18, 23, 10, 23, img, 0);
    for (int i = 0; i < 8; i++) EXPECT_EQ(BackPixel(10 + i, 21), NumberedPixel(i / 2, 1));
    EXPECT_EQ(Lit(0, 0, 640, 480), 24);
    // The two triangles neither overlap nor leave a gap: additive drawing of a
    // value-60 image leaves every covered pixel at exactly 60.
    ClearDrawTarget();
    int grey = Solid(16, 16, 0xFF3C3C3Cu, false);
    SetBlendMode(2, 255);
    DrawImageQuad(100, 100, 171, 113, 160, 190, 95, 170, grey, 0);
    SetBlendMode(0, 255);
    int lit = 0;
    for (int y = 90; y < 200; y++)
        for (int x = 90; x < 180; x++) {
            uint32_t p = BackPixel(x, y);
            ASSERT_TRUE(p == 0 || p == 0x3C3C3Cu) << x << "," << y << " " << std::hex << p;
            lit += p != 0;
        }
    // Area of the quad by the shoelace formula, give or take its rim.
    const double area = 0.5 * std::fabs((100 * 113 - 171 * 100) + (171 * 190 - 160 * 113) + (160 * 170 - 95 * 190) +
                                         (95 * 100 - 100 * 170));
    EXPECT_NEAR(lit, area, 150);
    // A degenerate quad draws nothing.
    ClearDrawTarget();
    EXPECT_EQ(DrawImageQuad(5, 5, 5, 5, 5, 5, 5, 5, img, 0), 0);
    EXPECT_EQ(Lit(0, 0, 20, 20), 0);
}

TEST_F(GraphicsDraw, RectangleBoundsOrderOutlineAndClipping) {
    const int white = MakeColor(255, 255, 255);
    EXPECT_EQ(white, 0xFFFF);
    EXPECT_EQ(MakeColor(8, 4, 8), (1 << 11) | (1 << 5) | 1);
    DrawRect(0, 0, 640, 480, white, 1);
    EXPECT_EQ(Lit(0, 0, 640, 480), 640 * 480);
    ClearDrawTarget();
    EXPECT_EQ(DrawRect(10, 10, 10, 20, white, 1), 0);
    EXPECT_EQ(DrawRect(10, 10, 20, 10, white, 0), 0);
    EXPECT_EQ(Lit(0, 0, 640, 480), 0);
    // Either corner order: left ≤ x < right, top ≤ y < bottom.
    DrawRect(30, 25, 20, 21, white, 1);
    EXPECT_EQ(Lit(0, 0, 640, 480), 40);
    EXPECT_NE(BackPixel(20, 21), 0u);
    EXPECT_NE(BackPixel(29, 24), 0u);
    EXPECT_EQ(BackPixel(30, 24), 0u);
    EXPECT_EQ(BackPixel(29, 25), 0u);
    // Outline: the border pixels of the same rectangle.
    ClearDrawTarget();
    DrawRect(100, 100, 105, 104, white, 0);
    EXPECT_EQ(Lit(95, 95, 110, 110), 2 * 5 + 2 * 2);
    EXPECT_EQ(BackPixel(102, 102), 0u);
    EXPECT_NE(BackPixel(104, 103), 0u);
    EXPECT_NE(BackPixel(100, 101), 0u);
    // Corners drawn once: blended outline corners equal its edges.
    ClearDrawTarget();
    SetBlendMode(2, 255);
    DrawRect(200, 200, 210, 210, MakeColor(64, 64, 64), 0);
    EXPECT_EQ(BackPixel(200, 200), BackPixel(205, 200));
    EXPECT_EQ(BackPixel(209, 209), BackPixel(209, 205));
    SetBlendMode(0, 255);
    // Colour values expand with the high bits replicated.
    ClearDrawTarget();
    DrawRect(0, 0, 1, 1, MakeColor(255, 0, 128), 1);
    EXPECT_EQ(BackPixel(0, 0), 0xFF0084u);   // 16 → 0x84
    DrawRect(1, 0, 2, 1, MakeColor(0, 255, 0), 1);
    EXPECT_EQ(BackPixel(1, 0), 0x00FF00u);
    // Clipped at every edge.
    ClearDrawTarget();
    DrawRect(-10, -10, 2, 3, white, 1);
    DrawRect(638, 478, 700, 900, white, 1);
    EXPECT_EQ(Lit(0, 0, 640, 480), 2 * 3 + 2 * 2);
}

TEST_F(GraphicsDraw, BlendModeArithmetic) {
    // Source (10, 200, 250) over target (200, 100, 50), both opaque.
    const int sr = 10, sg = 200, sb = 250, dr = 200, dg = 100, db = 50;
    int src = Solid(1, 1, 0xFF000000u | sr << 16 | sg << 8 | sb, false);
    auto run = [&](int mode, int param) {
        DrawRect(0, 0, 1, 1, 0, 1);   // reset the pixel under mode 0
        SetBlendMode(0, 255);
        DrawRect(0, 0, 1, 1, MakeColor(dr, dg, db), 1);
        SetBlendMode(mode, param);
        DrawImageAt(0, 0, src, 0);
        SetBlendMode(0, 255);
        return BackPixel(0, 0);
    };
    // The target colour after MakeColor's round trip.
    const int tr = 206, tg = 101, tb = 49;
    auto rgb = [](int r, int g, int b) { return static_cast<uint32_t>(r << 16 | g << 8 | b); };
    EXPECT_EQ(run(0, 17), rgb(sr, sg, sb));   // parameter unused
    const int p = 128, m = Round255(255.0 * p);   // colour factor 128
    auto alpha = [&](int s, int d) { return Round255(s * m) + Round255(d * (255 - p)); };
    EXPECT_EQ(run(1, 128), rgb(alpha(sr, tr), alpha(sg, tg), alpha(sb, tb)));
    EXPECT_EQ(run(1, 300), rgb(sr, sg, sb));   // clamped to 255
    EXPECT_EQ(run(1, -5), rgb(tr, tg, tb));    // clamped to 0: nothing shows
    auto add = [&](int s, int d) { return std::min(255, d + Round255(s * m)); };
    EXPECT_EQ(run(2, 128), rgb(add(sr, tr), add(sg, tg), add(sb, tb)));
    EXPECT_EQ(run(2, 255), rgb(std::min(255, sr + tr), std::min(255, sg + tg), std::min(255, sb + tb)));
    EXPECT_EQ(run(5, 128), run(2, 128));
    auto inv = [](int s, int d) { return Round255(s * (255 - d)); };
    EXPECT_EQ(run(3, 255), rgb(inv(sr, tr), inv(sg, tg), inv(sb, tb)));
    EXPECT_EQ(run(3, 10), run(3, 255));
    auto mul = [](int s, int d) { return Round255(s * d); };
    EXPECT_EQ(run(4, 255), rgb(mul(sr, tr), mul(sg, tg), mul(sb, tb)));
    EXPECT_EQ(run(4, 0), run(4, 255));   // the parameter has no effect
    EXPECT_EQ(run(8, 255), rgb(tr, tg, tb));
    // Rectangles blend the same way.
    SetBlendMode(0, 255);
    DrawRect(5, 5, 6, 6, MakeColor(dr, dg, db), 1);
    SetBlendMode(1, 128);
    DrawRect(5, 5, 6, 6, MakeColor(248, 0, 0), 1);
    EXPECT_EQ(BackPixel(5, 5), rgb(alpha(255, tr), alpha(0, tg), alpha(0, tb)));   // 248 expands to 255
}

TEST_F(GraphicsDraw, BrightnessAndParameterClamping) {
    int src = Solid(2, 1, 0xFFC86432u, false);   // (200, 100, 50)
    SetDrawBrightness(128, 128, 128);
    DrawImageAt(0, 0, src, 0);
    EXPECT_EQ(BackPixel(0, 0), static_cast<uint32_t>(Round255(200 * 128) << 16 | Round255(100 * 128) << 8 | Round255(50 * 128)));
    EXPECT_EQ(BackPixel(0, 0), 0x643219u);   // halved
    SetDrawBrightness(300, 255, -4);
    DrawImageAt(0, 1, src, 0);
    EXPECT_EQ(BackPixel(0, 1), 0xC86400u);
    SetDrawBrightness(0, 0, 0);
    DrawImageAt(0, 2, src, 0);
    EXPECT_EQ(BackPixel(0, 2), 0u);
    // Brightness multiplies rectangles too; with alpha blending both apply.
    SetDrawBrightness(128, 255, 255);
    DrawRect(10, 0, 11, 1, MakeColor(255, 255, 255), 1);
    EXPECT_EQ(BackPixel(10, 0), 0x80FFFFu);
    SetBlendMode(2, 255);
    DrawImageAt(20, 0, src, 0);
    EXPECT_EQ(BackPixel(20, 0), 0x646432u);
    // Setting the same mode again changes nothing.
    EXPECT_EQ(SetBlendMode(2, 255), 0);
    DrawImageAt(20, 0, src, 0);
    EXPECT_EQ(BackPixel(20, 0), 0xC8C864u);
}

TEST_F(GraphicsDraw, ColourKeyAndAlphaTransparency) {
    // No alpha channel: black is the transparent colour with transFlag 1.
    int keyed = MakeTestImage(2, 1, {0xFF000000u, 0xFF102030u}, false);
    DrawRect(0, 0, 10, 10, MakeColor(255, 255, 255), 1);
    DrawImageAt(0, 0, keyed, 1);
    EXPECT_EQ(BackPixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(BackPixel(1, 0), 0x102030u);
    DrawImageAt(0, 1, keyed, 0);
    EXPECT_EQ(BackPixel(0, 1), 0u);
    // Keyed rotated and stretched draws skip black too.
    DrawImageRotated(5, 5, 3.0, 0.0, keyed, 1, 0);
    EXPECT_EQ(BackPixel(3, 5), 0xFFFFFFu);
    EXPECT_EQ(BackPixel(6, 5), 0x102030u);
    // Alpha channel: blended by alpha with transFlag 1, in mode 0 as well.
    int half = MakeTestImage(1, 1, {0x80FF0000u}, true);
    DrawRect(20, 0, 30, 10, MakeColor(0, 0, 255), 1);
    DrawImageAt(20, 0, half, 1);
    const int a = 128, pr = Round255(255 * a);
    EXPECT_EQ(BackPixel(20, 0), static_cast<uint32_t>(pr << 16 | Round255(255 * (255 - a))));
    // Fully transparent pixels leave the target in every mode.
    int clear = MakeTestImage(1, 1, {0x00FFFFFFu}, true);
    for (int mode : {0, 1, 2, 3, 4, 5}) {
        SetBlendMode(mode, 255);
        DrawImageAt(21, 0, clear, 1);
        EXPECT_EQ(BackPixel(21, 0), 0x0000FFu) << mode;
    }
    SetBlendMode(1, 128);
    DrawImageAt(22, 0, half, 1);   // effective alpha 128 × 128 / 255
    const int ea = Round255(128 * 128), cr = Round255(Round255(255 * 128) * 128);
    EXPECT_EQ(BackPixel(22, 0), static_cast<uint32_t>(cr << 16 | Round255(255 * (255 - ea))));
}

TEST_F(GraphicsDraw, BilinearAgainstNearest) {
    int img = MakeTestImage(2, 1, {0xFF000000u, 0xFFFFFFFFu}, false);
    // Nearest: ×4 gives two flat blocks of four.
    DrawImageRotated(100, 100, 4.0, 0.0, img, 0, 0);
    for (int i = 0; i < 8; i++) EXPECT_EQ(BackPixel(96 + i, 100), i < 4 ? 0u : 0xFFFFFFu) << i;
    // Unscaled draws ignore the filter.
    SetScaleFilter(1);
    DrawImageAt(0, 0, img, 0);
    EXPECT_EQ(BackPixel(0, 0), 0u);
    EXPECT_EQ(BackPixel(1, 0), 0xFFFFFFu);
    // Bilinear: clamped at the ends, a ramp between the texel centres.
    DrawImageRotated(100, 110, 4.0, 0.0, img, 0, 0);
    uint32_t prev = 0;
    for (int i = 0; i < 8; i++) {
        uint32_t p = BackPixel(96 + i, 110);
        EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
        EXPECT_GE(p & 0xFF, prev & 0xFF);
        prev = p;
    }
    EXPECT_EQ(BackPixel(96, 110), 0u);
    EXPECT_EQ(BackPixel(97, 110), 0u);
    EXPECT_EQ(BackPixel(102, 110), 0xFFFFFFu);
    EXPECT_EQ(BackPixel(103, 110), 0xFFFFFFu);
    // Pixel 99's centre is 0.375 of the way from texel 0's centre to texel 1's.
    EXPECT_EQ(BackPixel(99, 110) & 0xFF, 255u * 96 / 256);
    EXPECT_EQ(BackPixel(100, 110) & 0xFF, 255u * 160 / 256);
    // Coverage is the same as with nearest: rows 108..111, columns 96..103.
    EXPECT_NE(BackPixel(103, 108), 0u);
    EXPECT_NE(BackPixel(103, 111), 0u);
    EXPECT_EQ(BackPixel(103, 107), 0u);
    EXPECT_EQ(BackPixel(103, 112), 0u);
    EXPECT_EQ(BackPixel(104, 110), 0u);
    // Other filter values are stored but act as nearest.
    SetScaleFilter(2);
    DrawImageRotated(100, 120, 4.0, 0.0, img, 0, 0);
    EXPECT_EQ(BackPixel(99, 120), 0u);
}

TEST_F(GraphicsDraw, CoverageMasksAndSavedState) {
    const uint8_t mask[6] = {0, 255, 128, 255, 0, 64};
    DrawRect(0, 0, 20, 20, MakeColor(0, 0, 248), 1);   // blue 255 after expansion
    GraphicsDrawCoverage(5, 5, mask, 3, 2, 3, 255, 0, 0);
    EXPECT_EQ(BackPixel(5, 5), 0x0000FFu);
    EXPECT_EQ(BackPixel(6, 5), 0xFF0000u);
    EXPECT_EQ(BackPixel(7, 5), static_cast<uint32_t>(Round255(255 * 128) << 16 | Round255(255 * 127)));
    EXPECT_EQ(BackPixel(5, 6), 0xFF0000u);
    // Clipped at the screen's edge without reading outside the mask.
    GraphicsDrawCoverage(638, 479, mask, 3, 2, 3, 0, 255, 0);
    EXPECT_EQ(BackPixel(639, 479), 0x00FF00u);

    SetBlendMode(2, 100);
    SetDrawBrightness(10, 20, 30);
    SetScaleFilter(1);
    DrawStateSave save;
    GraphicsSaveDrawState(&save);
    GraphicsSetPlainDrawState();
    GraphicsDrawCoverage(0, 10, mask + 1, 1, 1, 1, 0, 200, 0);
    EXPECT_EQ(BackPixel(0, 10), 0x00C800u);   // plain: no blend, full brightness
    GraphicsRestoreDrawState(&save);
    EXPECT_EQ(save.blendMode, 2);
    EXPECT_EQ(save.blendParameter, 100);
    EXPECT_EQ(save.brightness[2], 30);
    EXPECT_EQ(save.scaleFilter, 1);
    DrawStateSave again;
    GraphicsSaveDrawState(&again);
    EXPECT_EQ(again.blendMode, 2);
    EXPECT_EQ(again.brightness[1], 20);
    EXPECT_EQ(again.area.right, 640);
}

TEST_F(GraphicsDraw, ExtremeInputsNeverReadOrWriteOutside) {
    int img = Numbered(5, 3);
    const double scales[] = {1e-9, 1e-4, 0.01, 3.7, 1e4, 1e9, -1e9, 1e300, std::nan(""), INFINITY};
    const double angles[] = {0.0, 0.3, 1e-12, 3.1415926535898 / 4, 1e12, std::nan("")};
    for (int filter = 0; filter < 2; filter++) {
        SetScaleFilter(filter);
        for (double s : scales)
            for (double a : angles) {
                EXPECT_EQ(DrawImageRotated(320, 240, s, a, img, 1, 0), 0);
                EXPECT_EQ(DrawImageRotatedF(-1e30f, 1e30f, s, a, img, 0, 1), 0);
                DrawImageRotatedF(std::nanf(""), 5.0f, s, a, img, 0, 0);
            }
    }
    EXPECT_EQ(DrawImageAtF(std::nanf(""), 0.0f, img, 0), 0);
    EXPECT_EQ(DrawImageAtF(3e9f, -3e9f, img, 0), 0);
    EXPECT_EQ(DrawImageQuad(-2000000000, -2000000000, 2000000000, -2000000000, 2000000000, 2000000000,
                            -2000000000, 2000000000, img, 0), 0);
    EXPECT_EQ(DrawImageQuad(-100000, 5, 100000, 6, 100000, 7, -100000, 8, img, 1), 0);
    EXPECT_EQ(DrawRect(-2147483647, -2147483647, 2147483647, 2147483647, MakeColor(1, 2, 3), 0), 0);
    // The target's rim is the only place such draws can land: its corners hold
    // image pixels or black, never anything else.
    for (int y : {0, 479})
        for (int x : {0, 639}) {
            uint32_t p = BackPixel(x, y);
            bool fromImage = false;
            for (int j = 0; j < 3; j++)
                for (int i = 0; i < 5; i++) fromImage |= p == NumberedPixel(i, j);
            EXPECT_TRUE(p == 0 || fromImage || p == 0x080808u) << std::hex << p;
        }
}

TEST_F(GraphicsDraw, TransparentBordersAreSkippedWithoutMovingAnything) {
    // Only the centre texel of a 5 × 5 alpha image is visible.
    std::vector<uint32_t> px(25, 0x00FFFFFFu);
    px[12] = 0xFF406080u;
    int dot = MakeTestImage(5, 5, px, true);
    DrawImageAt(10, 10, dot, 1);
    DrawImageRotated(30, 30, 1.0, 3.1415926535898, dot, 1, 1);
    DrawImageRotated(50, 50, 2.0, 0.0, dot, 1, 0);
    SetScaleFilter(1);
    DrawImageRotated(70, 70, 1.0, 0.0, dot, 1, 0);
    EXPECT_EQ(BackPixel(12, 12), 0x406080u);
    EXPECT_EQ(BackPixel(30, 30), 0x406080u);
    for (int y = 49; y < 51; y++)
        for (int x = 49; x < 51; x++) EXPECT_EQ(BackPixel(x, y), 0x406080u) << x << "," << y;
    EXPECT_EQ(BackPixel(70, 70), 0x406080u);
    EXPECT_EQ(Lit(0, 0, 640, 480), 1 + 1 + 4 + 1);
    // With transFlag 0 the whole image is drawn (its hidden texels show black).
    DrawRect(100, 100, 110, 110, MakeColor(255, 255, 255), 1);
    DrawImageAt(100, 100, dot, 0);
    EXPECT_EQ(BackPixel(100, 100), 0u);
    EXPECT_EQ(BackPixel(105, 105), 0xFFFFFFu);
    // A wholly transparent image draws nothing and succeeds.
    int none = MakeTestImage(3, 3, std::vector<uint32_t>(9, 0u), true);
    EXPECT_EQ(DrawImageAt(200, 200, none, 1), 0);
    EXPECT_EQ(DrawImageRotated(200, 200, 2.0, 1.0, none, 1, 0), 0);
    EXPECT_EQ(Lit(190, 190, 220, 220), 0);
}

TEST_F(GraphicsDraw, TranslucentTexelsDrawnOpaqueKeepTheirColour) {
    // Straight colours with alpha 128 and 3: drawn with transFlag 0 they show
    // their own colour (to rounding), not a darkened one.
    int img = MakeTestImage(3, 1, {0x80C86432u, 0x03FF8000u, 0xFF102030u}, true);
    DrawRect(0, 0, 640, 480, MakeColor(255, 255, 255), 1);
    DrawImageAt(300, 300, img, 0);
    DrawImageRotated(401, 300, 1.0, 0.0, img, 0, 0);  // 3 wide: centred on the middle texel
    SetScaleFilter(1);
    DrawImageRotated(500, 300, 4.0, 0.0, img, 0, 0);
    auto near = [](uint32_t p, uint32_t want, int tolerance) {
        for (int shift = 0; shift <= 16; shift += 8) {
            int d = static_cast<int>((p >> shift) & 255) - static_cast<int>((want >> shift) & 255);
            if (d < -tolerance || d > tolerance) return false;
        }
        return true;
    };
    EXPECT_TRUE(near(BackPixel(300, 300), 0xC86432u, 1)) << std::hex << BackPixel(300, 300);
    EXPECT_TRUE(near(BackPixel(301, 300), 0xFF8000u, 43)) << "alpha 3 keeps only a coarse colour";
    EXPECT_EQ(BackPixel(302, 300), 0x102030u);
    EXPECT_TRUE(near(BackPixel(400, 300), 0xC86432u, 1)) << std::hex << BackPixel(400, 300);
    // Bilinear inside the left texel's block: the colour, not a blend with black.
    EXPECT_TRUE(near(BackPixel(495, 300), 0xC86432u, 1)) << std::hex << BackPixel(495, 300);
}
