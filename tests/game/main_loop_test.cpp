// The whole main loop on the headless platform: start-up, the scene machine
// frame by frame, and the three ways the game ends.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/core/console.h"
#include "framework/framework.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"
#include "game/common/notice.h"
#include "tests/support/console_text.h"
#include "tests/support/files.h"

namespace {

// Records fucn_state after every presented frame; `act` may change the game's
// state from inside the loop at a given frame.
struct SceneTrace {
    std::vector<int> scenes;
    std::vector<int> timers;
};

SceneTrace RunGame(int closeAtFrame, std::function<void(int frame)> act = nullptr) {
    SceneTrace trace;
    HeadlessOnPresent([&](int frame, const uint32_t*, int, int) {
        trace.scenes.push_back(fucn_state);
        trace.timers.push_back(scene_timer);
        if (act) act(frame);
    });
    if (closeAtFrame >= 0) HeadlessPostEventAtFrame(closeAtFrame, PLATFORM_EVENT_CLOSE_REQUEST);
    EXPECT_EQ(VortalisMain(), 0);
    return trace;
}

// Shot on the first logo frame (frame 2), then again on the title menu
// (frame 5), which starts the game.
void PressShotThroughTheTitle() {
    HeadlessHoldKey(KEY_Z, 1, 2);
    HeadlessHoldKey(KEY_Z, 4, 5);
}

int FirstFrameOf(const SceneTrace& t, int scene) {
    for (size_t i = 0; i < t.scenes.size(); i++)
        if (t.scenes[i] == scene) return static_cast<int>(i) + 1;
    return -1;
}

} // namespace

TEST(MainLoop, AsksTheQuestionAndEndsCleanlyWhenTheWindowCloses) {
    HeadlessSelect();
    HeadlessSetAnswer(0);
    RunGame(10);
    EXPECT_STREQ(HeadlessLastQuestion(), "スクリーン設定|フルスクリーンモードで起動しますか？");
    EXPECT_EQ(HeadlessWindowed(), 1) << "No runs in a window";
    EXPECT_EQ(HeadlessFrameCount(), 10);
    std::string log = ReadBytes("Log.txt");
    EXPECT_NE(log.find("ウインドウモード起動用"), std::string::npos);
    EXPECT_NE(log.find("フレームワークを終了しました\r\n"), std::string::npos);
    std::string pacing = ReadBytes("txt.txt");
    EXPECT_EQ(pacing.substr(0, 4), "0:0\n");
}

TEST(MainLoop, YesRunsFullScreen) {
    HeadlessSelect();
    HeadlessSetAnswer(1);
    int windowed = -1;
    HeadlessOnPresent([&](int, const uint32_t*, int, int) { windowed = HeadlessWindowed(); });
    HeadlessPostEventAtFrame(2, PLATFORM_EVENT_CLOSE_REQUEST);
    EXPECT_EQ(VortalisMain(), 0);
    EXPECT_EQ(windowed, 0);
}

TEST(MainLoop, Scene900EndsTheFrameworkAndReturnsZeroWithoutAFrameTail) {
    HeadlessSelect();
    SceneTrace t = RunGame(-1, [](int frame) {
        if (frame == 5) fucn_state = 900;
    });
    EXPECT_EQ(HeadlessFrameCount(), 5);
    EXPECT_EQ(HeadlessWindowExists(), 0);
}

TEST(MainLoop, FrameworkFailureReturnsMinusOne) {
    HeadlessSelect();
    HeadlessSetInstanceTaken(1);
    EXPECT_EQ(VortalisMain(), -1);
}

TEST(MainLoop, UnknownSceneIsReportedEveryFrameAndTheLoopGoesOn) {
    HeadlessSelect();
    std::string line;
    RunGame(8, [&](int frame) {
        if (frame == 3) fucn_state = 4242;
        line = ConsoleJoined();
    });
    // Frames 4..8 ran scene 4242: five messages without line feeds on one line.
    std::string expect;
    for (int i = 0; i < 5; i++) expect += "不明なfucn_state";
    EXPECT_EQ(line, expect);
    EXPECT_EQ(fucn_state, 4242);
}

// A feature's message shows for a few seconds and goes, and is kept in
// Log.txt; the designed console keeps its lines.
TEST(MainLoop, NoticesGoAfterAFewSecondsAndTheConsoleKeepsItsLines) {
    HeadlessSelect();
    int shownAt = -1, goneAt = -1;
    std::string console;
    RunGame(400, [&](int frame) {
        if (frame == 2) {
            Notify("a passing notice");
            ScreenPrintF("a designed line");
            shownAt = GetTickMs();
        }
        if (frame > 2 && goneAt < 0 && NoticeCount() == 0) goneAt = GetTickMs(), console = ConsoleJoined();
    });
    EXPECT_GE(goneAt - shownAt, NOTICE_MS);
    EXPECT_LT(goneAt - shownAt, NOTICE_MS + 100);
    EXPECT_EQ(console, "a designed line");
    EXPECT_NE(ReadBytes("Log.txt").find("a passing notice\r\n"), std::string::npos);
}

TEST(MainLoop, LogoFadeRunsFiveHundredFramesOrEndsOnShot) {
    HeadlessSelect();
    SceneTrace t = RunGame(520);
    // Frame 1 runs scene 0, frames 2..501 the logo, then 9 and 10.
    EXPECT_EQ(FirstFrameOf(t, 1), 1) << "scene recorded after the frame's step";
    EXPECT_EQ(FirstFrameOf(t, 9), 501);

    HeadlessSelect();
    HeadlessHoldKey(KEY_Z, 1, 2);   // held during the second frame only
    int brightnessAfter = -1;
    SceneTrace s = RunGame(6, [&](int frame) {
        if (frame == 2) brightnessAfter = fade_brightness;
    });
    EXPECT_EQ(s.scenes[1], 9) << "Shot on the first logo frame leads to scene 9 in the same frame";
    EXPECT_EQ(brightnessAfter, 255);
}

// Keeps the ship out of harm and ends every boss fight after `fightFrames`
// frames by taking the boss's last hit points.
struct Shortcuts {
    int fightFrames = 300;
    int fought = 0;
    void operator()() {
        player.invincible = 1;
        if (boss.state != 0 && ++fought == fightFrames) boss.hp = -1;
        if (boss.state == 0) fought = 0;
    }
};

TEST(MainLoop, StageCardLastsNinetyNineFramesAndTheBossFreezesTheClock) {
    HeadlessSelect();
    PressShotThroughTheTitle();
    Shortcuts shortcuts;
    SceneTrace t = RunGame(-1, [&](int) {
        shortcuts();
        if (fucn_state == 31) fucn_state = 900;
    });
    const int card = FirstFrameOf(t, 29);
    const int play = FirstFrameOf(t, 30);
    ASSERT_GT(card, 0);
    EXPECT_EQ(play - card, 99);
    const int cleared = FirstFrameOf(t, 31);
    ASSERT_GT(cleared, 0);
    EXPECT_EQ(t.timers[cleared - 1], 8100);
    // The clock holds at 8000 while the boss fights, then counts 100 frames on.
    int frozen = 0, resumed = -1;
    for (size_t i = 0; i < t.timers.size(); i++) {
        if (t.scenes[i] == 30 && t.timers[i] == 8000) frozen++;
        if (t.timers[i] == 8001 && resumed < 0) resumed = static_cast<int>(i) + 1;
    }
    EXPECT_GE(frozen, 300);
    EXPECT_EQ(cleared - resumed, 99);
    EXPECT_EQ(cleared - play, 8000 + frozen - 1 + 100);
}

TEST(MainLoop, FiveStagesLeadToTheEpilogueTheEndingAndBackToTheTitle) {
    HeadlessSelect();
    PressShotThroughTheTitle();
    std::vector<int> stagesStarted;
    int mapStories = 0;
    bool sawEnding = false;
    int returnedToTitle = 0;
    Shortcuts shortcuts;
    RunGame(-1, [&](int) {
        shortcuts();
        if (fucn_state == 29 && scene_timer == 2) stagesStarted.push_back(stage_number);
        if (fucn_state == 33) mapStories++;
        if (fucn_state == 70) sawEnding = true;
        if (sawEnding && fucn_state == 1) {
            returnedToTitle++;
            fucn_state = 900;
        }
    });
    EXPECT_EQ(stagesStarted, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(mapStories, 4) << "no map story after the last stage";
    EXPECT_TRUE(sawEnding);
    EXPECT_EQ(returnedToTitle, 1);
    EXPECT_EQ(player.lives, 3);
}
