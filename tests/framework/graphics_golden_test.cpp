// Golden frames: whole scenes drawn through the public calls and compared
// pixel for pixel with PNGs under tests/golden/ (see its README to refresh).
#include <gtest/gtest.h>

#include <cmath>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "tests/support/headless_test.h"
#include "tests/support/image_test_support.h"

namespace {

class GraphicsGolden : public HeadlessTest {};

// A 40 × 30 picture with a radial alpha falloff and a colour ramp.
int Glow() {
    std::vector<uint32_t> px;
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 40; x++) {
            double d = std::hypot(x - 19.5, y - 14.5) / 16.0;
            int a = d >= 1 ? 0 : static_cast<int>(255 * (1 - d));
            px.push_back(static_cast<uint32_t>(a) << 24 | (x * 6) << 16 | (y * 8) << 8 | 200);
        }
    return MakeTestImage(40, 30, px, true);
}

// A 16 × 16 checker of black and colour, without alpha (black keyed out).
int Checker() {
    std::vector<uint32_t> px;
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) px.push_back(((x / 4 + y / 4) & 1) ? 0xFF000000u : 0xFF000000u | (x * 16) << 16 | 0xA000u | (y * 16));
    return MakeTestImage(16, 16, px, false);
}

} // namespace

TEST_F(GraphicsGolden, SpritesRotationsAndQuads) {
    int glow = Glow(), checker = Checker();
    for (int i = 0; i < 8; i++) {
        DrawImageAt(10 + i * 45, 10, checker, i & 1);
        DrawImageRotated(30 + i * 70, 100, 0.5 + i * 0.4, i * 0.7, checker, 1, i & 1);
    }
    SetScaleFilter(1);
    for (int i = 0; i < 8; i++) DrawImageRotated(30 + i * 70, 200, 0.6 + i * 0.3, -i * 0.5, glow, 1, i & 1);
    SetScaleFilter(0);
    for (int i = 0; i < 8; i++) DrawImageRotatedF(30.5f + i * 70, 280.25f, 1.0 + i * 0.25, i * 0.9, glow, 1, 0);
    DrawImageQuad(40, 380, 600, 380, 600, 480, 40, 480, glow, 1);
    DrawImageQuad(300, 320, 420, 340, 380, 470, 260, 430, checker, 1);
    DrawImageRotated(620, 20, 3.0, 0.3, glow, 1, 0);   // hangs over the right and top edges
    EXPECT_TRUE(MatchesGolden("sprites"));
}

TEST_F(GraphicsGolden, BlendModesBrightnessAndVeil) {
    int glow = Glow();
    for (int band = 0; band < 8; band++)
        DrawRect(0, band * 60, 640, band * 60 + 60, MakeColor(band * 32, 255 - band * 32, (band * 90) & 255), 1);
    const int modes[] = {0, 1, 2, 3, 4, 5, 8};
    for (int m = 0; m < 7; m++) {
        for (int p = 0; p < 5; p++) {
            SetBlendMode(modes[m], p * 64);
            SetDrawBrightness(255 - p * 50, 255, 128 + p * 30);
            DrawImageAt(20 + p * 120, 10 + m * 66, glow, 1);
            DrawImageRotated(90 + p * 120, 25 + m * 66, 1.5, p * 0.3, glow, 1, 0);
        }
    }
    SetDrawBrightness(255, 255, 255);
    SetBlendMode(1, 80);
    DrawRect(0, 0, 640, 480, MakeColor(255, 0, 0), 1);
    SetBlendMode(0, 255);
    DrawRect(600, 440, 630, 470, MakeColor(255, 255, 255), 0);
    EXPECT_TRUE(MatchesGolden("blends"));
}
