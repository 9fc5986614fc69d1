// The menus in the running game: the real main loop on the headless platform
// with the generated data, keys chosen frame by frame from the scene the game
// is in, and the results read from the scene records and the presented pixels.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/core/console.h"
#include "framework/framework.h"
#include "framework/graphics/image_table.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/common/assets.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"
#include "game/common/language.h"
#include "game/common/notice.h"
#include "game/shell/menus.h"
#include "game/shell/music.h"
#include "game/screens/settings_screen.h"
#include "game/settings/settings.h"
#include "tests/support/files.h"
#include "tests/support/game_data.h"
#include "tests/support/game_driver.h"
#include "tests/support/image_test_support.h"

namespace {

class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LinkGameData());
        HeadlessSelect();
        ResetMenus();
    }
};

} // namespace

TEST_F(Menus, PlayPauseCursorWrapsBothWaysAndEachChoiceLeadsOn) {
    GameDriver g;
    int step = 0;
    int barX = -1;
    std::vector<int> afterChoice;
    std::vector<bool> barMoved;
    g.act = [&](GameDriver& d, int) {
        ToPlay(d);
        if (fucn_state == 30 && scene_timer == 5 && step == 0) {
            d.Tap(KEY_ESCAPE);   // opens 301
            step = 1;
            return;
        }
        switch (step) {
        case 1:   // the capture frame: the play field, no menu yet
            step = 101;
            break;
        case 101: {   // the menu is drawn with the bar on the first item
            int widest = 0;
            for (const char* item : {"ゲームに戻る", "タイトルへ戻る", "終了する"}) {
                const int w = TextWidthFontFmt(g_assets.fontMenu, "%s", item);
                if (w > widest) widest = w;
            }
            barX = 320 - widest / 2 - 5;
            d.Tap(KEY_UP);
            step = 2;
            break;
        }
        case 2:   // up on the first item: the bar is now on the third
            barMoved.push_back(d.Pixel(barX, 199) != d.PreviousPixel(barX, 199));
            barMoved.push_back(d.Pixel(barX, 219) != d.PreviousPixel(barX, 219));
            barMoved.push_back(d.Pixel(barX, 239) != d.PreviousPixel(barX, 239));
            d.Tap(KEY_DOWN);
            step = 3;
            break;
        case 3:   // down on the last item: back to the first
            barMoved.push_back(d.Pixel(barX, 199) != d.PreviousPixel(barX, 199));
            barMoved.push_back(d.Pixel(barX, 239) != d.PreviousPixel(barX, 239));
            d.Tap(KEY_Z);
            step = 4;
            break;
        case 4:   // "ゲームに戻る"
            afterChoice.push_back(fucn_state);
            step = 5;
            break;
        case 5:
            if (scene_timer < 20) break;
            d.Tap(KEY_ESCAPE);
            step = 6;
            break;
        case 6:   // the cursor went back to 0 after the choice: down is "タイトルへ戻る"
            d.Tap(KEY_DOWN);
            step = 7;
            break;
        case 7:
            d.Tap(KEY_Z);
            step = 8;
            break;
        case 8:
            afterChoice.push_back(fucn_state);
            step = 9;
            break;
        case 9:
            afterChoice.push_back(fucn_state);
            step = 10;
            break;
        case 10:   // the title again: open play once more and quit from the menu
            if (fucn_state == 30 && scene_timer == 5) {
                d.Tap(KEY_ESCAPE);
                step = 11;
            }
            break;
        case 11:
            d.Tap(KEY_UP);
            step = 12;
            break;
        case 12:
            d.Tap(KEY_Z);
            step = 13;
            break;
        default:
            break;
        }
    };
    EXPECT_EQ(g.Run(), 0) << "終了する in the play pause menu returns 0";
    EXPECT_EQ(step, 13);
    EXPECT_EQ(barMoved, (std::vector<bool>{true, false, true, true, true}))
        << "up: bar leaves row 0 for row 2; down: back from row 2 to row 0";
    EXPECT_EQ(afterChoice, (std::vector<int>{30, 0, 1})) << "ゲームに戻る, then タイトルへ戻る through the reset";
    EXPECT_EQ(g.frames.back().scene, 900);
    EXPECT_EQ(HeadlessWindowExists(), 0);
}

TEST_F(Menus, ContinueLimitsForceNoOnceThreeContinuesAreUsed) {
    GameDriver g;
    int step = 0;
    int first = 0, last = 0, widthNone = 0, widthLeft = 0;
    int noneFirst = 0, noneLast = 0;
    std::vector<int> scenes;
    g.act = [&](GameDriver& d, int) {
        ToPlay(d);
        switch (step) {
        case 0:
            if (fucn_state == 30 && scene_timer == 5) {
                player.continues = 2;
                player.lives = -1;
                step = 1;
            }
            break;
        case 1:   // the capture frame: 302 opens in the same frame
            scenes.push_back(fucn_state);
            step = 2;
            break;
        case 2:   // one continue left: the info line counts it; Shot takes はい
            WhiteSpan(d, 240, 258, &first, &last);
            widthLeft = TextWidthFontFmt(g_assets.fontMenu, "残り%d回コンティニューできます", 1);
            d.Tap(KEY_Z);
            step = 3;
            break;
        case 3:
            scenes.push_back(fucn_state);
            scenes.push_back(player.continues);
            scenes.push_back(player.lives);
            step = 31;
            break;
        case 31:
            if (scene_timer < 10) break;
            player.lives = -1;
            step = 4;
            break;
        case 4:
            scenes.push_back(fucn_state);
            step = 5;
            break;
        case 5:   // none left: down moves the bar onto はい in the Shot frame
            WhiteSpan(d, 240, 258, &noneFirst, &noneLast);
            widthNone = TextWidthFontFmt(g_assets.fontMenu, "%s", "コンティニューできません");
            d.Tap(KEY_DOWN);
            d.Tap(KEY_Z);
            step = 6;
            break;
        case 6:
            scenes.push_back(fucn_state);
            scenes.push_back(player.continues);
            fucn_state = 900;
            step = 7;
            break;
        default:
            break;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    EXPECT_EQ(scenes, (std::vector<int>{302, 30, 3, 3, 302, 0, 3}));
    // The info line is centred at x = 320 - width / 2 and is as wide as its text.
    EXPECT_NEAR(first, 320 - widthLeft / 2, 3);
    EXPECT_NEAR(last, 320 - widthLeft / 2 + widthLeft, 4);
    EXPECT_NEAR(noneFirst, 320 - widthNone / 2, 3);
    EXPECT_NEAR(noneLast, 320 - widthNone / 2 + widthNone, 4);
    EXPECT_NE(widthLeft, widthNone);

    // Shot alone, and up instead of down in the Shot frame: still いいえ, one
    // new game after another.
    HeadlessSelect();
    ResetMenus();
    GameDriver u;
    const std::vector<std::vector<int>> rounds = {{KEY_Z}, {KEY_UP, KEY_Z}, {KEY_DOWN, KEY_Z}};
    size_t round = 0;
    step = 0;
    scenes.clear();
    u.act = [&](GameDriver& d, int) {
        ToPlay(d);
        if (step == 0 && fucn_state == 30 && scene_timer == 5) {
            player.continues = 3;
            player.lives = -1;
            step = 1;
        } else if (step == 1) {   // the capture frame
            step = 2;
        } else if (step == 2) {   // the first menu frame has put the bar on いいえ
            for (int code : rounds[round]) d.Tap(code);
            step = 3;
        } else if (step == 3) {
            scenes.push_back(fucn_state);
            scenes.push_back(player.continues);
            step = 0;
            if (++round == rounds.size()) fucn_state = 900;
        }
    };
    EXPECT_EQ(u.Run(), 0);
    EXPECT_EQ(scenes, (std::vector<int>{0, 3, 0, 3, 0, 3}));
}

TEST_F(Menus, EscapeAndTheLastLifeInOneFrameOpenTheContinueMenu) {
    GameDriver g;
    int step = 0, imagesBefore = 0, imagesAfter = 0, scene = 0;
    g.act = [&](GameDriver& d, int) {
        ToPlay(d);
        if (step == 0 && fucn_state == 30 && scene_timer == 40) {
            imagesBefore = ImageCount();
            player.lives = -1;
            d.Tap(KEY_ESCAPE);
            step = 1;
        } else if (step == 1) {
            scene = fucn_state;
            imagesAfter = ImageCount();
            fucn_state = 900;
            step = 2;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    EXPECT_EQ(scene, 302);
    EXPECT_EQ(imagesAfter, imagesBefore + 1) << "two captures in one frame share the one backdrop";
}

TEST_F(Menus, StoryPauseGoesBackToTheTitleMenuWithoutAReset) {
    GameDriver g;
    int step = 0, musicState = -1, musicHandle = -1;
    std::vector<int> scenes;
    g.act = [&](GameDriver& d, int) {
        if (step == 0) ThroughTheTitle(d);
        if (step == 0 && fucn_state == 20 && scene_timer >= 0 && d.frames.size() > 20) {
            musicState = MusicState();
            musicHandle = MusicHandle();
            d.Tap(KEY_ESCAPE);
            step = 1;
        } else if (step == 1) {
            scenes.push_back(fucn_state);
            d.Tap(KEY_Z);   // タイトルへ戻る
            step = 2;
        } else if (step >= 2 && step < 6) {
            scenes.push_back(fucn_state);
            step++;
        } else if (step == 6) {
            EXPECT_EQ(MusicState(), musicState) << "no reset: the sequencer waits where it was";
            EXPECT_EQ(MusicHandle(), musicHandle) << "the story music goes on playing";
            EXPECT_EQ(fade_brightness, 255);
            fucn_state = 900;
            step = 7;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    EXPECT_EQ(musicState, 4);
    EXPECT_EQ(scenes, (std::vector<int>{201, 9, 10, 10, 10}));
}

TEST_F(Menus, PauseBackdropIsMadeOnceAndReusedOverAHundredPauses) {
    GameDriver g;
    int opened = 0, firstHandle = -2, imagesAtFirst = -1, phase = 0;
    bool sameHandle = true, sameCount = true, backdropIsTheFrame = false;
    std::vector<uint32_t> captured;
    g.act = [&](GameDriver& d, int) {
        ToPlay(d);
        if (fucn_state == 30 && scene_timer < 20) return;
        if (opened >= 100 && fucn_state == 30) {
            fucn_state = 900;
            return;
        }
        if (phase == 0 && fucn_state == 30) {
            d.Tap(KEY_ESCAPE);
            phase = 1;
        } else if (phase == 1) {   // the capture frame was just presented
            ASSERT_EQ(fucn_state, 301);
            opened++;
            if (firstHandle == -2) {
                firstHandle = PauseBackdrop();
                imagesAtFirst = ImageCount();
            }
            sameHandle = sameHandle && PauseBackdrop() == firstHandle;
            sameCount = sameCount && ImageCount() == imagesAtFirst;
            if (opened == 100) {
                backdropIsTheFrame = true;
                for (int y = 0; y < 480; y += 7)
                    for (int x = 0; x < 640; x += 5)
                        if ((ImagePixel(PauseBackdrop(), x, y) & 0xFFFFFF) != d.Pixel(x, y)) backdropIsTheFrame = false;
            }
            phase = 2;
        } else if (phase == 2) {   // the menu is shown: close it
            d.Tap(KEY_ESCAPE);
            phase = 3;
        } else if (phase == 3) {   // back in play; release the key for a frame
            ASSERT_EQ(fucn_state, 30);
            phase = 0;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    EXPECT_EQ(opened, 100);
    EXPECT_NE(firstHandle, -1);
    EXPECT_TRUE(sameHandle);
    EXPECT_TRUE(sameCount);
    EXPECT_TRUE(backdropIsTheFrame) << "the backdrop holds the play frame drawn before the menu opened";
}

TEST_F(Menus, TitleStartWaitsForTheWholeStartSound) {
    // The start sound's length from its RIFF header, in milliseconds.
    FILE* f = std::fopen("dat/se/start.wav", "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> wav(1 << 20);
    wav.resize(std::fread(wav.data(), 1, wav.size(), f));
    std::fclose(f);
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(wav[at] | wav[at + 1] << 8 | wav[at + 2] << 16 | wav[at + 3] << 24);
    };
    uint32_t byteRate = 0, dataBytes = 0;
    for (size_t at = 12; at + 8 <= wav.size();) {
        const uint32_t size = u32(at + 4);
        if (std::memcmp(&wav[at], "fmt ", 4) == 0) byteRate = u32(at + 16);
        if (std::memcmp(&wav[at], "data", 4) == 0) dataBytes = size;
        at += 8 + size + (size & 1);
    }
    ASSERT_GT(byteRate, 0u);
    const double soundMs = 1000.0 * dataBytes / byteRate;
    ASSERT_GT(soundMs, 100.0);

    GameDriver g;
    int shotFrame = -1;
    g.act = [&](GameDriver& d, int frame) {
        if (fucn_state == 1) d.Tap(KEY_Z);
        if (fucn_state == 10 && frame >= 10 && shotFrame < 0) {
            d.Tap(KEY_Z);
            shotFrame = frame + 1;
        }
        if (fucn_state == 20) fucn_state = 900;
    };
    EXPECT_EQ(g.Run(), 0);
    ASSERT_GT(shotFrame, 0);
    ASSERT_LT(static_cast<size_t>(shotFrame), g.frames.size());
    EXPECT_EQ(g.frames[shotFrame - 1].scene, 19);
    EXPECT_EQ(g.frames[shotFrame - 2].scene, 10);
    const double during = g.frames[shotFrame - 1].clock - g.frames[shotFrame - 2].clock;
    const double before = g.frames[shotFrame - 2].clock - g.frames[shotFrame - 3].clock;
    EXPECT_GE(during, soundMs) << "the Shot frame lasts as long as the start sound";
    EXPECT_LT(during, soundMs + 100);
    EXPECT_LT(before, 40) << "an ordinary title frame";
}

// The title's "設定" entry (the last before おわる) opens the settings
// screen; each row is changed from the keyboard as a player would, the window
// follows at once, a key is rebound (an arrow refused, Escape cancelling), and
// Escape leaves, saving the file.
TEST_F(Menus, SettingsScreenChangesEachRowAndSavesOnTheWayOut) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    setenv("XDG_CONFIG_HOME", cwd, 1);
    HeadlessSetDesktopSize(1920, 1080);
    GameDriver g;
    struct Step {
        int key;        // tapped in this frame of the settings screen (0: none)
        int row;        // the row under the cursor after it
    };
    const Step steps[] = {
        {KEY_LEFT, 0}, {KEY_DOWN, 1}, {KEY_LEFT, 1}, {KEY_DOWN, 2}, {KEY_LEFT, 2},   // ×1 stays ×1
        {KEY_RIGHT, 2}, {0, 2}, {KEY_RIGHT, 2},                                      // ×2, then full screen
        {KEY_DOWN, 3}, {KEY_RIGHT, 3}, {KEY_DOWN, 4}, {KEY_RIGHT, 4},                 // English, at once
        {KEY_DOWN, 5}, {KEY_Z, 5}, {KEY_X, 5},                                       // shot → X
        {KEY_DOWN, 6}, {KEY_X, 6}, {KEY_UP, 6}, {KEY_ESCAPE, 6}, {0, 6},             // skip: Up refused, cancelled
        {KEY_ESCAPE, 6},
    };
    size_t next = 0;
    int titleStep = 0;
    std::vector<int> rows, scales, windowed, languages;
    g.act = [&](GameDriver& d, int) {
        if (fucn_state == 1) d.Tap(KEY_Z);
        // Up, Up (round to おわる, then 設定 just before it), Z, a frame apart.
        const int titleKeys[] = {KEY_UP, 0, KEY_UP, 0, KEY_Z};
        if (fucn_state == 10 && titleStep < 5) {
            if (titleKeys[titleStep]) d.Tap(titleKeys[titleStep]);
            titleStep++;
        } else if (fucn_state == SCENE_SETTINGS && next < sizeof steps / sizeof steps[0]) {
            if (next > 0) rows.push_back(SettingsMenuRow());
            languages.push_back(GameLanguage());
            scales.push_back(static_cast<int>(HeadlessWindowScale()));
            windowed.push_back(HeadlessWindowed());
            if (steps[next].key) d.Tap(steps[next].key);
            next++;
        } else if (fucn_state == 10 && titleStep == 5) {
            rows.push_back(SettingsMenuRow());
            fucn_state = 900;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    ASSERT_EQ(next, sizeof steps / sizeof steps[0]);
    std::vector<int> wantRows;
    for (const Step& s : steps) wantRows.push_back(s.row);
    EXPECT_EQ(rows, wantRows);
    EXPECT_EQ(scales[5], 1);
    EXPECT_EQ(scales[6], 2) << "×2 applied at once";
    EXPECT_EQ(windowed[6], 1);
    EXPECT_EQ(windowed[8], 0) << "then full screen";
    const std::string saved = ReadBytes("vortalis/settings.ini");
    for (const char* line : {"music_volume = 9\n", "effect_volume = 9\n", "screen = fullscreen\n", "window_scale = 2\n",
                             "ask_at_start = no\n", "language = en\n", "key_shot = X\n", "key_skip = LCtrl\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << saved;
    EXPECT_EQ(languages[11], LANGUAGE_JA);
    EXPECT_EQ(languages[12], LANGUAGE_EN) << "the language changes at once";
    SetGameLanguage(LANGUAGE_JA);
    ResetBindings();
    ChangeWindowMode(0);
    unsetenv("XDG_CONFIG_HOME");
}

// Start-up: with no settings the designed question is asked; a file that says
// not to ask starts with its saved screen and scale, and each bad line of it
// becomes one console line.
TEST_F(Menus, SavedScreenAnswersTheStartUpQuestionWhenAskedTo) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    setenv("XDG_CONFIG_HOME", cwd, 1);
    HeadlessSetDesktopSize(1920, 1080);
    struct Run {
        const char* file;        // settings.ini, or null for none
        bool asked;
        int windowed;
        double scale;
        int notices;
    };
    const Run runs[] = {
        {nullptr, true, 1, 1.0, 0},                                               // answer No: a window
        {"ask_at_start = no\nscreen = window\nwindow_scale = 3\n", false, 1, 2.0, 0},   // ×3 does not fit
        {"ask_at_start = no\nscreen = fullscreen\nvolume = 3\nkey_shot Z\n", false, 0, 1.0, 2},
    };
    for (const Run& r : runs) {
        HeadlessSelect();
        HeadlessSetDesktopSize(1920, 1080);
        ResetMenus();
        mkdir("vortalis", 0755);
        unlink("vortalis/settings.ini");
        if (r.file) WriteBytes("vortalis/settings.ini", r.file);
        GameDriver g;
        int lines = -1;
        g.act = [&](GameDriver&, int frame) {
            if (frame == 1) {
                lines = NoticeCount();
                fucn_state = 900;
            }
        };
        EXPECT_EQ(g.Run(), 0);
        EXPECT_EQ(std::string(HeadlessLastQuestion()).empty(), !r.asked) << (r.file ? r.file : "no file");
        EXPECT_EQ(HeadlessWindowed(), r.windowed) << (r.file ? r.file : "no file");
        EXPECT_EQ(HeadlessWindowScale(), r.scale) << (r.file ? r.file : "no file");
        EXPECT_EQ(lines, r.notices) << (r.file ? r.file : "no file");
        ChangeWindowMode(0);
        SetWindowScale(1);
    }
    unsetenv("XDG_CONFIG_HOME");
}

// Shot and Escape pressed in one menu frame: the choice ends the menu's frame,
// so Escape can neither resume the game over it nor cancel a quit. Story pause
// "タイトルへ戻る", then play pause "タイトルへ戻る", then play pause "終了する".
TEST_F(Menus, AChoiceMadeWithEscapeInOneFrameIsKept) {
    struct Round {
        int menu;        // 201 or 301
        int move;        // key that puts the bar on the item, or 0
        int expect;      // scene after the choice frame
    };
    const Round rounds[] = {{201, 0, 9}, {301, KEY_DOWN, 0}, {301, KEY_UP, 900}};
    GameDriver g;
    g.frameLimit = 3000;
    size_t round = 0;
    int step = 0;
    std::vector<int> after;
    g.act = [&](GameDriver& d, int) {
        if (round == std::size(rounds)) {   // a quit undone by Escape would play on
            fucn_state = 900;
            return;
        }
        const Round& r = rounds[round];
        ThroughTheTitle(d);
        if (r.menu == 301 && fucn_state == 20) fucn_state = 27;
        const bool atPauseSpot = r.menu == 201 ? fucn_state == 20 && d.frames.size() > 20
                                               : fucn_state == 30 && scene_timer == 5;
        if (step == 0 && atPauseSpot) {
            d.Tap(KEY_ESCAPE);
            step = 1;
        } else if (step == 1) {   // the capture frame
            if (r.move) d.Tap(r.move);
            step = 2;
        } else if (step == 2) {   // the menu is up, the bar on the item
            d.Tap(KEY_Z);
            d.Tap(KEY_ESCAPE);
            step = 3;
        } else if (step == 3) {
            after.push_back(fucn_state);
            step = 0;
            round++;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    EXPECT_EQ(after, (std::vector<int>{9, 0, 900})) << "the choices stand: title menu, the reset, the quit";
    EXPECT_EQ(g.frames.back().scene, 900) << "the game ended right after the quit";
    EXPECT_EQ(g.frames.back().timer, 0);
}
