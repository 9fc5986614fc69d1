// The whole game end to end: the real main loop on the headless platform with
// the generated data, from the logo through the title, the prologue, five
// stages with their map stories, the epilogue and the ending back to the title.
// The scene sequence is checked as a whole and key frames against golden PNGs.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"
#include "game/common/language.h"
#include "game/launch/launch_options.h"
#include "game/screens/controls_screen.h"
#include "game/shell/menus.h"
#include "tests/support/game_data.h"
#include "tests/support/image_test_support.h"

namespace {

// Runs VortalisMain. `ran` gets the scene whose step ran in each presented
// frame; the test picks the next frame's keys (a tap is a fresh press).
struct GameRun {
    std::vector<int> ran;
    int next = 0;   // the scene the next frame runs
    uint8_t keys[256] = {};
    uint8_t lastKeys[256] = {};
    std::function<void(GameRun&, int scene)> act;

    void Tap(int code) {
        if (!lastKeys[code]) keys[code] = 1;
    }
    void Hold(int code) { keys[code] = 1; }

    int Run() {
        HeadlessSetAnswer(0);
        HeadlessSetKeysNow(keys);
        HeadlessOnPresent([this](int frame, const uint32_t*, int, int) {
            const int scene = next;
            ran.push_back(scene);
            std::memcpy(lastKeys, keys, sizeof keys);
            std::memset(keys, 0, sizeof keys);
            player.invincible = 1;
            if (act) act(*this, scene);
            if (frame >= 80000) fucn_state = 900;   // a run that lost its way ends, not hangs
            next = fucn_state;
            HeadlessSetKeysNow(keys);
        });
        return VortalisMain();
    }
};

// Consecutive repeats folded into one entry.
std::vector<int> Runs(const std::vector<int>& v) {
    std::vector<int> out;
    for (int s : v)
        if (out.empty() || out.back() != s) out.push_back(s);
    return out;
}

class GameEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LinkGameData());
        HeadlessSelect();
        ResetMenus();
    }
};

} // namespace

TEST_F(GameEndToEnd, FromTheLogoThroughFiveStagesToTheEndingAndBackToTheTitle) {
    GameRun g;
    int inScene = 0, lastScene = -1, fought = 0, continueFrames = 0;
    bool endingSeen = false, continued = false;
    std::vector<std::string> goldens;
    auto golden = [&](const char* name) {
        EXPECT_TRUE(MatchesGolden(name)) << name;
        goldens.push_back(name);
    };
    g.act = [&](GameRun& r, int scene) {
        inScene = scene == lastScene ? inScene + 1 : 1;
        lastScene = scene;
        switch (scene) {
        case 1:
            if (endingSeen) {
                fucn_state = 900;
                return;
            }
            r.Tap(KEY_Z);
            break;
        case 10:
            if (inScene == 60) golden("e2e_title");
            if (inScene >= 60) r.Tap(KEY_Z);
            break;
        case 20:
            if (inScene == 90) golden("e2e_story_page");
            if (inScene % 6 == 0) r.Tap(KEY_Z);
            break;
        case 50:
        case 33:
            if (inScene % 6 == 0) r.Tap(KEY_Z);
            break;
        case 30:
            r.Hold(KEY_Z);
            if (stage_number == 0 && scene_timer == 3000) golden("e2e_play");
            if (stage_number == 1 && scene_timer == 2000 && !continued) {
                player.lives = -1;
                continued = true;
            }
            if (boss.state != 0 && ++fought == 300) boss.hp = -1;
            if (boss.state == 0) fought = 0;
            break;
        case 302:
            if (++continueFrames == 2) {
                golden("e2e_continue_menu");
                r.Tap(KEY_Z);
            }
            break;
        case 70:
            endingSeen = true;
            if (inScene == 200) golden("e2e_ending");
            break;
        default:
            break;
        }
    };
    EXPECT_EQ(g.Run(), 0);

    const std::vector<int> stage = {28, 29, 30, 31, 32, 33, 34, 35, 36};
    std::vector<int> expect = {0, 1, 9, 10, 19, 20, 27};
    expect.insert(expect.end(), stage.begin(), stage.end());
    expect.insert(expect.end(), {28, 29, 30, 302, 30, 31, 32, 33, 34, 35, 36});
    expect.insert(expect.end(), stage.begin(), stage.end());
    expect.insert(expect.end(), stage.begin(), stage.end());
    expect.insert(expect.end(), {28, 29, 30, 31, 49, 50, 69, 70, 0, 1});
    EXPECT_EQ(Runs(g.ran), expect);
    EXPECT_EQ(goldens, (std::vector<std::string>{"e2e_title", "e2e_story_page", "e2e_play", "e2e_continue_menu",
                                                 "e2e_ending"}));
    EXPECT_EQ(player.continues, 1);
    EXPECT_EQ(stage_number, 4);
    EXPECT_EQ(continueFrames, 3) << "two frames of menu, the third makes the choice";
}

// In English: the title with its English buttons and hints, the controls
// screen that F1 opens over it, the prologue's first page once typed, and play
// with its HUD, each against its golden frame.
TEST_F(GameEndToEnd, InEnglishTheTitleTheControlsAStoryPageAndTheHudReadInEnglish) {
    g_launch = LaunchOptions{};
    g_launch.language = LANGUAGE_EN;
    GameRun g;
    int inScene = 0, lastScene = -1, overlayFrames = 0;
    std::vector<std::string> goldens;
    auto golden = [&](const char* name) {
        EXPECT_TRUE(MatchesGolden(name)) << name;
        goldens.push_back(name);
    };
    g.act = [&](GameRun& r, int scene) {
        inScene = scene == lastScene ? inScene + 1 : 1;
        lastScene = scene;
        switch (scene) {
        case 1: r.Tap(KEY_Z); break;
        case 10:
            if (inScene == 60) golden("e2e_en_title");
            if (inScene == 61) r.Tap(KEY_F1);
            if (ControlsOpen() && ++overlayFrames == 5) golden("e2e_en_controls");
            if (overlayFrames == 6 && ControlsOpen()) r.Tap(KEY_ESCAPE);
            if (!ControlsOpen() && overlayFrames >= 6 && inScene % 4 == 0) r.Tap(KEY_Z);
            break;
        case 20:
            if (inScene == 100) golden("e2e_en_story_page");
            if (inScene > 100) fucn_state = 27;
            break;
        case 30:
            r.Hold(KEY_Z);
            if (scene_timer == 600) golden("e2e_en_play");
            if (scene_timer == 601) fucn_state = 900;
            break;
        default:
            break;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    g_launch = LaunchOptions{};
    EXPECT_EQ(goldens, (std::vector<std::string>{"e2e_en_title", "e2e_en_controls", "e2e_en_story_page", "e2e_en_play"}));
    SetGameLanguage(LANGUAGE_JA);
}

TEST_F(GameEndToEnd, QuitOnTheTitleReturnsZero) {
    GameRun g;
    int step = 0;
    g.act = [&](GameRun& r, int scene) {
        if (scene == 1) r.Tap(KEY_Z);
        if (scene == 10 && step == 0) {
            r.Tap(KEY_UP);   // wraps to the last entry, おわる, whatever stands between
            step = 1;
        } else if (scene == 10 && step == 1) {
            r.Tap(KEY_Z);   // 終了する
            step = 2;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    EXPECT_EQ(step, 2);
    EXPECT_EQ(g.next, 900);
    EXPECT_EQ(Runs(g.ran), (std::vector<int>{0, 1, 9, 10}));
    EXPECT_EQ(HeadlessWindowExists(), 0);
}

TEST_F(GameEndToEnd, QuitFromThePlayPauseMenuReturnsZero) {
    GameRun g;
    int step = 0;
    g.act = [&](GameRun& r, int scene) {
        if (scene == 1 || scene == 10) r.Tap(KEY_Z);
        if (scene == 20) fucn_state = 27;
        if (scene == 30 && step == 0 && scene_timer == 200) {
            r.Tap(KEY_ESCAPE);
            step = 1;
        } else if (scene == 301 && step == 1) {
            r.Tap(KEY_UP);   // from ゲームに戻る up to 終了する
            step = 2;
        } else if (scene == 301 && step == 2) {
            r.Tap(KEY_Z);
            step = 3;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    EXPECT_EQ(step, 3);
    EXPECT_EQ(Runs(g.ran), (std::vector<int>{0, 1, 9, 10, 19, 20, 27, 28, 29, 30, 301}));
    EXPECT_EQ(scene_timer, 0) << "終了する sets the scene timer to 0";
    EXPECT_EQ(HeadlessWindowExists(), 0);
}
