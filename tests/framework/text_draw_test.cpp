// Text pixels: solid 1-bit glyphs, 17 grey levels, the edge widened by its
// size around the body, brightness, positions and clipping, spaces and
// characters no face has drawing nothing, and the draw target honoured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/backend/font/charset.h"
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

// UTF-8 text by choice: the same characters draw the same pixels and widths as
// their Shift-JIS twins (half-width katakana and a default-font line too), a
// format cut at its 1024 bytes drops the character it split, and malformed
// bytes are single characters no face has. (Plain literals here are
// Shift-JIS; u8 ones UTF-8.)
TEST_F(TextDraw, Utf8TextDrawsAsItsShiftJisTwin) {
    const int font = CreateFontToHandle(nullptr, 20, -1, 3, -1, 2, 0, -1, -1);
    const int white = MakeColor(255, 255, 255);
    auto U8 = [](const char8_t* s) { return reinterpret_cast<const char*>(s); };
    const std::string as(1021, 'a');

    ASSERT_EQ(DrawTextFontFmt(10, 10, white, font, "漢字とABC、ｶﾅ"), 0);
    ASSERT_EQ(DrawTextAt(10, 60, "既定のフォント", white, 0), 0);
    const std::vector<uint32_t> sjis = Snapshot();
    const int sjisWidth = TextWidthFontFmt(font, "漢字とABC、ｶﾅ");
    EXPECT_EQ(TextWidthFontFmt(font, "%s%s", as.c_str(), "漢"),
              TextWidthFontFmt(font, "%s", as.c_str()) + TextWidthFontFmt(font, "漢"))
        << "a Shift-JIS pair fits in 1023 bytes";

    Fill(BACKGROUND);
    ASSERT_EQ(SetTextEncoding(TEXT_UTF8), 0);
    ASSERT_EQ(DrawTextFontFmt(10, 10, white, font, "%s", U8(u8"漢字とABC、ｶﾅ")), 0);
    ASSERT_EQ(DrawTextAt(10, 60, U8(u8"既定のフォント"), white, 0), 0);
    EXPECT_TRUE(Snapshot() == sjis);
    EXPECT_EQ(TextWidthFontFmt(font, "%s", U8(u8"漢字とABC、ｶﾅ")), sjisWidth);
    EXPECT_EQ(TextWidthFontFmt(font, "%s%s", as.c_str(), U8(u8"漢")), TextWidthFontFmt(font, "%s", as.c_str()))
        << "the three bytes of 漢 do not fit in 1023: the cut character is dropped";
    // A stray continuation byte, an overlong form and a cut sequence: one
    // character each, drawn as U+FFFD where the face has it, else nothing.
    const int bad = TextWidthFontFmt(font, "\x80");
    EXPECT_EQ(TextWidthFontFmt(font, "a\x80\xC0\xAF\xE6\xBC"), TextWidthFontFmt(font, "a") + 5 * bad);
    EXPECT_EQ(SetTextEncoding(7), -1);
    ASSERT_EQ(SetTextEncoding(TEXT_SHIFT_JIS), 0);
    EXPECT_EQ(TextWidthFontFmt(font, "漢字とABC、ｶﾅ"), sjisWidth) << "the cache follows the encoding back";
}

// A Latin face asked for by name is used as it is; the Japanese it lacks comes
// from the default gothic, whole (the cells hold the gothic's glyphs), exactly
// as the gothic draws it.
TEST_F(TextDraw, LatinFaceDrawsJapaneseFromTheGothic) {
    const int white = MakeColor(255, 255, 255);
    const int latin = CreateFontToHandle("DejaVu Sans", 15, 2, 3, -1, -1, 0, -1, -1);
    const int gothic = CreateFontToHandle(nullptr, 15, 2, 3, -1, -1, 0, -1, -1);
    ASSERT_GE(latin, 0);
    auto drawn = [&](int font, const char* text) {
        Fill(BACKGROUND);
        EXPECT_EQ(DrawTextFontFmt(100, 100, white, font, "%s", text), 0);
        const std::vector<int> box = Box();
        std::vector<uint32_t> pixels;
        for (int y = box[1]; y < box[3]; y++)
            for (int x = box[0]; x < box[2]; x++) pixels.push_back(At(x, y));
        return std::make_pair(std::vector<int>{box[2] - box[0], box[3] - box[1]}, pixels);
    };
    for (const char* text : {"漢", "ゲーム", "巖"}) EXPECT_TRUE(drawn(latin, text) == drawn(gothic, text)) << text;
    EXPECT_FALSE(drawn(latin, "Stage") == drawn(gothic, "Stage")) << "Latin letters are the face's own";
    EXPECT_EQ(TextWidthFontFmt(latin, "漢字"), TextWidthFontFmt(gothic, "漢字"));
}

// The UTF-8 reader, byte by byte: each well-formed length, and every kind of
// malformed start taken as one character U+FFFD; and the conversions between
// the two encodings with what each cannot carry.
TEST(TextEncoding, Utf8IsReadStrictlyAndConvertsBothWays) {
    struct Case {
        const char* bytes;
        uint32_t codePoint;
        int length;
    } cases[] = {
        {"A", 0x41, 1},
        {"\xC3\xA9", 0xE9, 2},
        {"\xE6\xBC\xA2", 0x6F22, 3},             // 漢
        {"\xF0\x9F\x98\x80", 0x1F600, 4},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
        {"\xC0\xAF", 0xFFFD, 1},                 // overlong '/'
        {"\xE0\x80\xAF", 0xFFFD, 1},             // overlong '/'
        {"\xED\xA0\x80", 0xFFFD, 1},             // a surrogate
        {"\xF4\x90\x80\x80", 0xFFFD, 1},         // past U+10FFFF
        {"\xF5\x80\x80\x80", 0xFFFD, 1},
        {"\x80", 0xFFFD, 1},                     // a stray continuation byte
        {"\xE6\xBC", 0xFFFD, 1},                 // cut by the end of the text
        {"\xE6\x41\xA2", 0xFFFD, 1},             // cut by another character
    };
    for (const Case& c : cases) {
        int length = 0;
        EXPECT_EQ(CharsetUtf8Next(reinterpret_cast<const unsigned char*>(c.bytes), &length), c.codePoint) << c.bytes;
        EXPECT_EQ(length, c.length) << c.bytes;
    }
    auto U8 = [](const char8_t* s) { return std::string(reinterpret_cast<const char*>(s)); };
    const std::string mixed = U8(u8"漢字 ｶﾅ é😀");   // (no é or 😀 inside a macro: Shift-JIS lacks them)
    EXPECT_EQ(CharsetUtf8ToSjis(mixed.c_str()), "漢字 ｶﾅ ??");
    EXPECT_EQ(CharsetUtf8ToSjis("a\x80z"), "a?z");
    EXPECT_EQ(CharsetSjisToUtf8("漢字 ｶﾅ\x80z"), U8(u8"漢字 ｶﾅ") + "\xC2\x80z") << "a stray byte as Latin-1";
}
