// The game's Japanese texts as the player sees them: the pause menu lines in
// the menu font, story lines, the stage card in the pop face and the score in
// the default font, with two console messages over it, presented by
// FlipScreen on a plain background and compared with
// tests/golden/text_menu_story.png (refreshing: tests/golden/README.md).
#include <gtest/gtest.h>

#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "framework/graphics/draw_target.h"
#include "tests/support/image_test_support.h"

namespace {

void FillBackground(Surface* s) {
    for (int y = 0; y < s->height; y++)
        for (int x = 0; x < s->width; x++)
            s->pixels[y * s->pitch + x] = 0xFF000000u | (0x20 + y / 8) << 16 | (0x40 + y / 6) << 8 | 0x70;
}

// Draws the scene the way the game's menus and story box do.
void DrawScene() {
    int menu = CreateFontToHandle("HGPｺﾞｼｯｸE", 15, 2, 3, -1, -1, 0, -1, -1);
    int story = CreateFontToHandle("HGPｺﾞｼｯｸE", 20, 2, 3, -1, -1, 0, -1, -1);
    int hud = CreateFontToHandle("HGPｺﾞｼｯｸE", 18, 3, 3, -1, -1, 0, -1, -1);
    int card = CreateFontToHandle("HGP創英角ﾎﾟｯﾌﾟ体", 36, 3, 3, -1, -1, 0, -1, -1);
    ASSERT_GE(menu, 0);
    ASSERT_GE(story, 0);
    ASSERT_GE(hud, 0);
    ASSERT_GE(card, 0);
    SetDrawTarget(-2);
    FillBackground(GraphicsBackBuffer());

    const int white = MakeColor(255, 255, 255), yellow = MakeColor(255, 255, 0);
    DrawTextFontFmt(320 - TextWidthFontFmt(card, "STAGE %d", 1) / 2, 16, white, card, "STAGE %d", 1);
    DrawTextFontFmt(320 - TextWidthFontFmt(card, "嵐の海峡") / 2, 60, yellow, card, "嵐の海峡");
    DrawTextFontFmt(320 - TextWidthFontFmt(menu, "ゲームを再開する") / 2, 130, yellow, menu, "ゲームを再開する");
    DrawTextFontFmt(320 - TextWidthFontFmt(menu, "タイトルに戻る") / 2, 154, white, menu, "タイトルに戻る");
    DrawTextFontFmt(320 - TextWidthFontFmt(menu, "ゲームを終了する") / 2, 178, white, menu, "ゲームを終了する");
    DrawTextFontFmt(40, 230, white, story, "「ここから先は、私たちの力だけで進むしかない。」");
    DrawTextFontFmt(40, 256, white, story, "遠くで雷鳴が響き、艦隊の灯が一つずつ消えていった……");
    DrawTextFontFmt(40, 282, white, story, "ＶＯＲＴＡＬＩＳ、発進します！　Ready? 1234567890");
    DrawTextFontFmt(40, 330, white, hud, "SCORE %09d   残機 %d   POWER %d.%02d", 1234567, 3, 2, 50);
    DrawTextFmt(40, 370, white, "[%.1f] 既定のフォント abcXYZ", 60.0);
    DrawTextAt(40, 392, "DrawTextAt の既定フォント", MakeColor(128, 255, 128), 0);
}

} // namespace

TEST(TextGolden, MenuAndStoryLinesMatchTheGoldenFrame) {
    HeadlessSelect();
    ASSERT_EQ(FrameworkInit(), 0);
    DrawScene();
    ScreenPrintF("CheckStatePadに渡した値が不正です\n");
    ScreenPrintF("read error: %s\n", "dat/csv/storyH9.csv");
    ASSERT_EQ(FlipScreen(), 0);
    const std::vector<uint32_t>& frame = HeadlessLastFrame();
    ASSERT_EQ(frame.size(), 640u * 480u);
    // The blend of a glyph's grey levels may round differently by one or two
    // steps between drawing back-ends; anything more is a change of the text.
    EXPECT_TRUE(MatchesGoldenFrame("text_menu_story", frame.data(), 640, 480, 640, 3));
    FrameworkEnd();
}
