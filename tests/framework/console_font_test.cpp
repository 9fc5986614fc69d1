// The screen console with its real font: character widths, lines wrapped when
// their pixel width reaches the 640-pixel screen (Shift-JIS pairs kept whole),
// and the console drawn by FlipScreen white on a black edge at full
// brightness, with the caller's draw state left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/core/console.h"
#include "framework/framework.h"
#include "framework/graphics/draw_internal.h"
#include "framework/graphics/draw_target.h"
#include "framework/graphics/text_internal.h"
#include "tests/support/headless_test.h"

namespace {

const uint32_t BACKGROUND = 0xFF204060u;

class ConsoleFont : public HeadlessTest {
protected:
    static void FillBack() {
        Surface* s = GraphicsBackBuffer();
        for (int y = 0; y < s->height; y++) std::fill_n(s->pixels + y * s->pitch, s->width, BACKGROUND);
    }
    static std::string Repeat(const char* piece, int n) {
        std::string s;
        for (int i = 0; i < n; i++) s += piece;
        return s;
    }
};

} // namespace

TEST_F(ConsoleFont, CharacterWidthsOfTheConsoleFont) {
    EXPECT_EQ(FontConsoleCharWidth("a", 1), 8);
    EXPECT_EQ(FontConsoleCharWidth("W", 1), 8);
    EXPECT_EQ(FontConsoleCharWidth(" ", 1), 8);
    EXPECT_EQ(FontConsoleCharWidth("あ", 2), 16);
    EXPECT_EQ(FontConsoleCharWidth("表", 2), 16);
    EXPECT_EQ(FontConsoleCharWidth("ｱ", 1), 8);
}

TEST_F(ConsoleFont, HalfWidthLinesWrapWhenTheyReach640Pixels) {
    // 79 letters make 632 pixels; the 80th would reach 640 and starts a new line.
    ScreenPrintF("%s", Repeat("a", 100).c_str());
    EXPECT_EQ(std::string(ConsoleLine(0)), Repeat("a", 79));
    EXPECT_EQ(std::string(ConsoleLine(1)), Repeat("a", 21));
    EXPECT_EQ(ConsoleCurrentLine(), 1);
    ScreenPrintF("\n%s", Repeat("b", 79).c_str());
    EXPECT_EQ(std::string(ConsoleLine(2)), Repeat("b", 79));
    EXPECT_EQ(ConsoleCurrentLine(), 2);
    // A tab is four spaces of 8 pixels.
    ScreenPrintF("\n%s\t%s", Repeat("c", 76).c_str(), "dd");
    EXPECT_EQ(std::string(ConsoleLine(3)), Repeat("c", 76) + "   ");
    EXPECT_EQ(std::string(ConsoleLine(4)), " dd");
}

TEST_F(ConsoleFont, ShiftJisCharactersAreNeverSplitAcrossLines) {
    ScreenPrintF("%s", Repeat("あ", 40).c_str());
    EXPECT_EQ(std::string(ConsoleLine(0)), Repeat("あ", 39));
    EXPECT_EQ(std::string(ConsoleLine(1)), "あ");
    // One letter first: 8 + 39 × 16 = 632, so the 40th pair moves down whole.
    ScreenPrintF("\na%s", Repeat("表", 40).c_str());
    EXPECT_EQ(std::string(ConsoleLine(2)), "a" + Repeat("表", 39));
    EXPECT_EQ(std::string(ConsoleLine(3)), "表");
    // Letters and pairs alternating: every line starts on a whole character.
    ScreenPrintF("\n%s", Repeat("xソ", 60).c_str());
    for (int i = 4; i <= ConsoleCurrentLine(); i++) {
        const unsigned char* line = reinterpret_cast<const unsigned char*>(ConsoleLine(i));
        int width = 0;
        for (size_t k = 0; line[k]; k++) {
            if (line[k] == 0x83) {
                ASSERT_EQ(line[k + 1], 0x5C);
                k++;
                width += 16;
            } else {
                ASSERT_EQ(line[k], 'x');
                width += 8;
            }
        }
        EXPECT_LT(width, 640);
        if (i < ConsoleCurrentLine()) {
            EXPECT_GE(width, 640 - 16);
        }
    }
}

TEST_F(ConsoleFont, FlipScreenDrawsTheConsoleOnceItIsUsed) {
    FillBack();
    ASSERT_EQ(FlipScreen(), 0);
    {
        const std::vector<uint32_t>& frame = HeadlessLastFrame();
        ASSERT_EQ(frame.size(), 640u * 480u);
        EXPECT_TRUE(std::all_of(frame.begin(), frame.end(), [](uint32_t p) { return p == BACKGROUND; }))
            << "no console before the first ScreenPrintF";
    }
    // The caller's draw state: dim, alpha-blended, a small draw area.
    DrawStateSave mine;
    GraphicsSaveDrawState(&mine);
    mine.area = ClipRect{300, 300, 310, 310};
    mine.blendMode = 1;
    mine.blendParameter = 77;
    mine.brightness[0] = 100, mine.brightness[1] = 90, mine.brightness[2] = 80;
    GraphicsRestoreDrawState(&mine);

    ScreenPrintF("Hello\nWorld");
    FillBack();
    ASSERT_EQ(FlipScreen(), 0);
    const std::vector<uint32_t>& frame = HeadlessLastFrame();
    int whites = 0, blacks = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) {
            uint32_t p = frame[y * 640 + x];
            if (y >= 32 + 1 || x >= 5 * 8 + 1) {
                ASSERT_EQ(p, BACKGROUND) << x << "," << y;
                continue;
            }
            ASSERT_TRUE(p == BACKGROUND || p == 0xFFFFFFFFu || p == 0xFF000000u) << std::hex << p;
            whites += p == 0xFFFFFFFFu;
            blacks += p == 0xFF000000u;
        }
    EXPECT_GT(whites, 40);
    EXPECT_GT(blacks, whites);
    // Both lines are there: "World" in the second 16-pixel row.
    int secondRow = 0;
    for (int y = 16; y < 32; y++)
        for (int x = 0; x < 40; x++) secondRow += frame[y * 640 + x] == 0xFFFFFFFFu;
    EXPECT_GT(secondRow, 20);

    DrawStateSave after;
    GraphicsSaveDrawState(&after);
    EXPECT_EQ(std::memcmp(&after.area, &mine.area, sizeof mine.area), 0);
    EXPECT_EQ(after.blendMode, 1);
    EXPECT_EQ(after.blendParameter, 77);
    EXPECT_EQ(after.brightness[0], 100);
    EXPECT_EQ(after.brightness[1], 90);
    EXPECT_EQ(after.brightness[2], 80);

    // Every later frame shows it again.
    FillBack();
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_TRUE(HeadlessLastFrame() == frame);
}

// Whatever the game draws into when it flips, the console lands on the
// presented picture only, and the game's target and draw area stay its own.
TEST_F(ConsoleFont, ConsoleGoesOnTheBackBufferWhateverTheTarget) {
    const int image = MakeOffscreenImage(640, 480, 0);
    ASSERT_GE(image, 0);
    ScreenPrintF("Hello");
    for (int target : {image, -4}) {
        FillBack();
        ASSERT_EQ(SetDrawTarget(target), 0);
        Surface* t = GraphicsTarget();
        for (int y = 0; y < t->height; y++) std::fill_n(t->pixels + y * t->pitch, t->width, BACKGROUND);
        *GraphicsDrawArea() = ClipRect{10, 20, 30, 40};
        ASSERT_EQ(FlipScreen(), 0);
        for (int y = 0; y < t->height; y++)
            for (int x = 0; x < t->width; x++)
                ASSERT_EQ(t->pixels[y * t->pitch + x], BACKGROUND) << target << ": " << x << "," << y;
        EXPECT_EQ(GraphicsTargetHandle(), target);
        EXPECT_EQ(GraphicsTarget(), t);
        const ClipRect area = *GraphicsDrawArea();
        EXPECT_EQ(area.left, 10);
        EXPECT_EQ(area.top, 20);
        EXPECT_EQ(area.right, 30);
        EXPECT_EQ(area.bottom, 40);
        const Surface* back = GraphicsBackBuffer();
        EXPECT_GT(std::count(back->pixels, back->pixels + 16 * back->pitch, 0xFFFFFFFFu), 20)
            << "the console is on the back buffer";
    }
    ASSERT_EQ(SetDrawTarget(image), 0);
    FillBack();
    ASSERT_EQ(FlipScreen(), 0);
    const std::vector<uint32_t>& frame = HeadlessLastFrame();
    EXPECT_GT(std::count(frame.begin(), frame.begin() + 16 * 640, 0xFFFFFFFFu), 20) << "and is presented";
}
