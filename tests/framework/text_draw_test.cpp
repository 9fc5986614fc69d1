// Text pixels: solid 1-bit glyphs, 17 grey levels, the edge widened by its
// size around the body, brightness, positions and clipping, spaces and
// characters no face has drawing nothing, and the draw target honoured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "framework/graphics/draw_internal.h"
#include "framework/graphics/draw_target.h"
#include "tests/support/headless_test.h"

namespace {

const uint32_t BACKGROUND = 0xFF204060u;
const uint32_t WHITE = 0xFFFFFFFFu, BLACK = 0xFF000000u;

class TextDraw : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        if (HasFatalFailure()) return;
        Fill(BACKGROUND);
    }

    static void Fill(uint32_t value) {
        Surface* s = GraphicsBackBuffer();
        for (int y = 0; y < s->height; y++) std::fill_n(s->pixels + y * s->pitch, s->width, value);
    }
    static uint32_t At(int x, int y) {
        const Surface* s = GraphicsBackBuffer();
        if (x < 0 || y < 0 || x >= s->width || y >= s->height) return BACKGROUND;
        return s->pixels[y * s->pitch + x];
    }
    static std::vector<uint32_t> Snapshot() {
        const Surface* s = GraphicsBackBuffer();
        std::vector<uint32_t> v(static_cast<size_t>(s->width) * s->height);
        for (int y = 0; y < s->height; y++) std::copy_n(s->pixels + y * s->pitch, s->width, v.begin() + y * s->width);
        return v;
    }
    // Bounding box of the pixels that differ from the background: x0, y0, x1, y1 (exclusive).
    static std::vector<int> Box() {
        const Surface* s = GraphicsBackBuffer();
        int x0 = s->width, y0 = s->height, x1 = 0, y1 = 0;
        for (int y = 0; y < s->height; y++)
            for (int x = 0; x < s->width; x++)
                if (At(x, y) != BACKGROUND) {
                    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
                }
        return {x0, y0, x1, y1};
    }
    static void SetBrightness(int r, int g, int b) {
        DrawStateSave state;
        GraphicsSaveDrawState(&state);
        state.brightness[0] = r, state.brightness[1] = g, state.brightness[2] = b;
        GraphicsRestoreDrawState(&state);
    }
};

} // namespace

TEST_F(TextDraw, OneBitGlyphsAreSolidAndSitInTheirCellRow) {
    const int white = MakeColor(255, 255, 255);
    ASSERT_EQ(DrawTextAt(10, 20, "漢字abc", white, 0), 0);
    int lit = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) {
            uint32_t p = At(x, y);
            if (p == BACKGROUND) continue;
            lit++;
            ASSERT_EQ(p, WHITE) << x << "," << y;
        }
    EXPECT_GT(lit, 100);
    std::vector<int> box = Box();
    EXPECT_GE(box[0], 10);
    EXPECT_GE(box[1], 20);
    EXPECT_LE(box[2], 10 + 2 * 16 + 3 * 8);
    EXPECT_LE(box[3], 20 + 16);
    // The colour value's 5-6-5 channels widen to 8 bits.
    Fill(BACKGROUND);
    ASSERT_EQ(DrawTextAt(10, 20, "漢", MakeColor(255, 0, 0), 0), 0);
    std::set<uint32_t> colours;
    for (int y = 20; y < 36; y++)
        for (int x = 10; x < 26; x++) colours.insert(At(x, y));
    EXPECT_EQ(colours, (std::set<uint32_t>{BACKGROUND, 0xFFFF0000u}));
}

TEST_F(TextDraw, PositionMovesTheTextPixelForPixelAndClips) {
    int font = CreateFontToHandle("HGPｺﾞｼｯｸE", 20, 2, 3, -1, -1, 0, -1, -1);
    ASSERT_GE(font, 0);
    const int white = MakeColor(255, 255, 255);
    ASSERT_EQ(DrawTextFontFmt(50, 60, white, font, "弾幕Ag"), 0);
    std::vector<uint32_t> a = Snapshot();
    Fill(BACKGROUND);
    ASSERT_EQ(DrawTextFontFmt(50 + 123, 60 + 77, white, font, "弾幕Ag"), 0);
    std::vector<uint32_t> b = Snapshot();
    Fill(BACKGROUND);
    ASSERT_EQ(DrawTextFontFmt(50 - 60, 60 - 70, white, font, "弾幕Ag"), 0);   // off the top-left corner
    std::vector<uint32_t> c = Snapshot();
    int lit = 0;
    for (int y = 0; y < 200; y++)
        for (int x = 0; x < 300; x++) {
            ASSERT_EQ(a[y * 640 + x], b[(y + 77) * 640 + x + 123]) << x << "," << y;
            if (x >= 60 && y >= 70) {
                ASSERT_EQ(a[y * 640 + x], c[(y - 70) * 640 + x - 60]) << x << "," << y;
            }
            lit += a[y * 640 + x] != BACKGROUND;
        }
    EXPECT_GT(lit, 100);
    // Off the bottom-right corner: nothing is written outside the buffer.
    Fill(BACKGROUND);
    EXPECT_EQ(DrawTextFontFmt(630, 470, white, font, "弾幕"), 0);
    EXPECT_NE(At(635, 475), BACKGROUND);
}

TEST_F(TextDraw, SeventeenGreyLevelsForAntiAliasedTypes) {
    Fill(BLACK);
    int font = CreateFontToHandle(nullptr, 24, 4, 2, -1, -1, 0, -1, -1);
    ASSERT_EQ(DrawTextFontFmt(10, 10, MakeColor(255, 255, 255), font, "永遠のVortalis"), 0);
    std::set<int> levels;
    for (int y = 0; y < 60; y++)
        for (int x = 0; x < 400; x++) {
            uint32_t p = At(x, y);
            int v = p & 255;
            ASSERT_EQ(p, 0xFF000000u | v << 16 | v << 8 | v);
            levels.insert(v);
            int nearest = (v * 16 + 127) / 255 * 255 / 16;
            ASSERT_LE(std::abs(v - nearest), 1) << v << " is not one of 17 grey levels";
        }
    EXPECT_GE(levels.size(), 8u);
    EXPECT_TRUE(levels.count(255));
}

TEST_F(TextDraw, BrightnessHalvesTheTextsIntensity) {
    Fill(BLACK);
    int aa = CreateFontToHandle("HGPｺﾞｼｯｸE", 20, 2, 2, -1, -1, 0, -1, -1);
    const int white = MakeColor(255, 255, 255);
    ASSERT_EQ(DrawTextAt(10, 10, "明るさ", white, 0), 0);
    ASSERT_EQ(DrawTextFontFmt(10, 40, white, aa, "明るさ半分"), 0);
    std::vector<uint32_t> full = Snapshot();
    Fill(BLACK);
    SetBrightness(128, 128, 128);
    ASSERT_EQ(DrawTextAt(10, 10, "明るさ", white, 0), 0);
    ASSERT_EQ(DrawTextFontFmt(10, 40, white, aa, "明るさ半分"), 0);
    std::vector<uint32_t> half = Snapshot();
    int lit = 0;
    for (size_t i = 0; i < full.size(); i++)
        for (int s = 0; s < 24; s += 8) {
            int f = full[i] >> s & 255, h = half[i] >> s & 255;
            ASSERT_LE(std::abs(h - f * 128 / 255), 1) << "pixel " << i;
            if (f == 255) {
                lit++;
                ASSERT_GE(h, 127);
                ASSERT_LE(h, 128);
            }
        }
    EXPECT_GT(lit, 100);
}

TEST_F(TextDraw, TheEdgeSurroundsTheBodyByItsSize) {
    const int white = MakeColor(255, 255, 255);
    for (int edge : {1, 3}) {
        Fill(BACKGROUND);
        int font = CreateFontToHandle(nullptr, 24, 4, 1, -1, edge, 0, -1, -1);
        ASSERT_GE(font, 0);
        ASSERT_EQ(DrawTextFontFmt(20, 20, white, font, "縁 取 り"), 0);
        const int reach = edge * edge + edge;
        int whites = 0, blacks = 0, farBlacks = 0;
        for (int y = 0; y < 80; y++)
            for (int x = 0; x < 200; x++) {
                uint32_t p = At(x, y);
                ASSERT_TRUE(p == BACKGROUND || p == WHITE || p == BLACK) << std::hex << p;
                bool nearWhite = false, touchesWhite = false;
                for (int dy = -edge; dy <= edge; dy++)
                    for (int dx = -edge; dx <= edge; dx++) {
                        if (dx * dx + dy * dy > reach) continue;
                        uint32_t q = At(x + dx, y + dy);
                        if (p == WHITE) {
                            ASSERT_NE(q, BACKGROUND) << "edge gap at " << x + dx << "," << y + dy;
                        }
                        if (q == WHITE) {
                            nearWhite = true;
                            if (std::abs(dx) <= 1 && std::abs(dy) <= 1) touchesWhite = true;
                        }
                    }
                if (p == WHITE) whites++;
                if (p == BLACK) {
                    blacks++;
                    ASSERT_TRUE(nearWhite) << "edge pixel too far at " << x << "," << y;
                    if (!touchesWhite) farBlacks++;
                }
            }
        EXPECT_GT(whites, 50);
        EXPECT_GT(blacks, whites / 2);
        if (edge == 1) EXPECT_EQ(farBlacks, 0);
        else EXPECT_GT(farBlacks, 50);
    }
}

TEST_F(TextDraw, SpacesAndMissingCharactersOnlyAdvance) {
    int font = CreateFontToHandle(nullptr, 16, 4, 3, -1, 2, 0, -1, -1);
    const int white = MakeColor(255, 255, 255);
    ASSERT_EQ(DrawTextFontFmt(10, 10, white, font, " 　\xF0\x40\xFD  "), 0);
    EXPECT_EQ(Box()[2], 0) << "nothing drawn";
    ASSERT_EQ(DrawTextFontFmt(10, 10, white, font, "A　\xF0\x40" "B"), 0);
    std::vector<uint32_t> together = Snapshot();
    Fill(BACKGROUND);
    ASSERT_EQ(DrawTextFontFmt(10, 10, white, font, "A"), 0);
    ASSERT_EQ(DrawTextFontFmt(10 + 8 + 16 + 16, 10, white, font, "B"), 0);
    EXPECT_TRUE(Snapshot() == together);
}

TEST_F(TextDraw, TextGoesToTheCurrentDrawTarget) {
    ASSERT_EQ(SetDrawTarget(-4), 0);
    ASSERT_EQ(DrawTextAt(0, 0, "前", MakeColor(255, 255, 255), 0), 0);
    EXPECT_EQ(Box()[2], 0) << "the back buffer is untouched";
    const Surface* front = GraphicsFrontBuffer();
    int lit = 0;
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) lit += front->pixels[y * front->pitch + x] == WHITE;
    EXPECT_GT(lit, 10);
}

TEST_F(TextDraw, HeavierWeightsAndTheBoldFacesPutDownMoreInk) {
    const int white = MakeColor(255, 255, 255);
    auto ink = [&](int font, const char* text) {
        Fill(BLACK);
        EXPECT_EQ(DrawTextFontFmt(10, 10, white, font, "%s", text), 0);
        long sum = 0;
        for (int y = 0; y < 60; y++)
            for (int x = 0; x < 300; x++) sum += At(x, y) & 255;
        return sum;
    };
    const char* text = "ゲームを再開する";
    long regular = ink(CreateFontToHandle("ＭＳ Ｐゴシック", 20, 4, 2, -1, -1, 0, -1, -1), text);
    long bold = ink(CreateFontToHandle("ＭＳ Ｐゴシック", 20, 9, 2, -1, -1, 0, -1, -1), text);
    long gothicE = ink(CreateFontToHandle("HGPｺﾞｼｯｸE", 20, 2, 2, -1, -1, 0, -1, -1), text);
    long pop = ink(CreateFontToHandle("HGP創英角ﾎﾟｯﾌﾟ体", 20, 3, 2, -1, -1, 0, -1, -1), text);
    EXPECT_GT(regular, 0);
    EXPECT_GT(bold, regular * 11 / 10);
    // The menu face is a heavy gothic whatever thickness the game asks for, and
    // the pop face is heavier still.
    EXPECT_GT(gothicE, regular * 11 / 10);
    EXPECT_GT(pop, gothicE);
}
