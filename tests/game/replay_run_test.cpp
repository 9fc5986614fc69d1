// Replays of whole runs: a run played from the keyboard is recorded, saved,
// listed and verified headless; a changed frame desyncs at the next check with
// the part that differs; a run with a continue is not saved; a folder that
// cannot be written costs one console line and leaves no file.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "game/files/player_files.h"
#include "game/common/language.h"
#include "game/player/charge.h"
#include "game/player/player.h"
#include "game/replay/replay_list.h"
#include "game/shell/music.h"
#include "game/state_hash.h"
#include "tests/game/replay_fixture.h"
#include "tests/support/console_text.h"
#include "tests/support/files.h"

namespace {

// Title to play (the prologue cut short, as the recording starts at the new
// game), then in play: shots in bursts, up and down sweeps, a pause and resume
// at clock 300, the shot key overlapping a pad button at 500..530 and the
// formation key taking over from its pad button at 621 (hold counts the mask
// alone cannot give), and タイトルへ戻る from the pause menu at 900.
struct ScriptedRun {
    int step = 0;
    void operator()(ReplayDriver& r, int) {
        if (step == 3 && fucn_state == 1) fucn_state = 900;
        if (fucn_state == 1 || fucn_state == 10) r.Tap(KEY_Z);
        if (fucn_state == 20) fucn_state = 27;
        const uint8_t none[PLATFORM_PAD_BUTTONS] = {};
        uint8_t buttons[PLATFORM_PAD_BUTTONS] = {};
        const int axes[PLATFORM_PAD_AXES] = {};
        const int t = scene_timer;
        if (fucn_state == 30) {
            if (t < 480 || t > 540) {
                if (t % 20 < 12) r.Hold(KEY_Z);
            } else if (t >= 515 && t <= 530) {
                r.Hold(KEY_Z);
            }
            if (t >= 500 && t <= 520) buttons[0] = 1;
            // The formation button released as Left Shift goes down: the slot
            // counts 1, a press, where the mask alone would count on to 22.
            if (t >= 600 && t <= 620) buttons[7] = 1;
            if (t >= 621 && t <= 625) r.Hold(KEY_LSHIFT);
            r.Hold((t / 90) % 2 ? KEY_UP : KEY_DOWN);
            if (t % 200 < 60) r.Hold(KEY_RIGHT);
            if ((t == 300 && step == 0) || (t == 900 && step == 1)) {
                r.Tap(KEY_ESCAPE);
                step++;
            }
        } else if (fucn_state == 301) {
            if (step == 1) r.Tap(KEY_ESCAPE);   // resume (once the pause key is up)
            else if (step == 2) step = 20;      // every key up for a frame
            else if (step == 20) r.Tap(KEY_DOWN), step = 21;
            else if (step == 21) r.Tap(KEY_Z), step = 3;   // タイトルへ戻る
        }
        HeadlessSetPadCount(1);
        HeadlessSetPad(0, axes, fucn_state == 30 ? buttons : none);
    }
};

std::vector<std::string> SavedReplays() { return ListFolder("replays", ".vrp"); }

} // namespace

TEST_F(ReplayRun, AKeyboardRunIsSavedAndVerifiesAndAChangedFrameDesyncsAtTheNextCheck) {
    ReplayDriver d;
    ScriptedRun script;
    d.act = std::ref(script);
    ASSERT_EQ(d.Run(), 0);
    ASSERT_EQ(script.step, 3);

    const ReplayData& run = LastRecordedRun();
    EXPECT_EQ(run.endedBy, RUN_RETURNED);
    EXPECT_EQ(run.start, REPLAY_START_NEW_GAME);
    EXPECT_GT(run.frames, 1000u);
    EXPECT_FALSE(run.fixes.empty()) << "the pad button's release left the key's shorter hold";
    const std::vector<std::string> saved = SavedReplays();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_STREQ(LastRunReplayName().c_str(), saved[0].c_str());
    const std::vector<ReplayListEntry> list = ReadReplayList("replays");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(list[0].readable);
    EXPECT_EQ(list[0].header.frames, run.frames);
    EXPECT_EQ(list[0].header.finalScore, run.finalScore);

    const std::string path = "replays/" + saved[0];
    EXPECT_EQ(VerifyReplay(path), 0) << DescribeReplayResult(LastReplayResult());
    EXPECT_EQ(LastReplayResult().outcome, REPLAY_PASSED);
    EXPECT_EQ(LastReplayResult().frame, run.frames);
    EXPECT_EQ(LastReplayResult().finalScore, run.finalScore);

    // Thirty frames of Right from frame 200 move the ship: the check at 240 names it.
    ReplayData changed = run;
    for (int f = 200; f < 230; f++) changed.masks[f] ^= 1u << 2;
    const std::vector<unsigned char> bytes = EncodeReplay(changed);
    WriteBytes("changed.vrp", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(VerifyReplay("changed.vrp"), 1);
    EXPECT_EQ(LastReplayResult().outcome, REPLAY_DESYNC);
    EXPECT_EQ(LastReplayResult().frame, 240u);
    EXPECT_EQ(LastReplayResult().part, STATE_SHIP);

    // The run's end gives the verdict too: a final check that does not match
    // the state there, or hold counts the recorded fixes no longer set, fail.
    struct Damage {
        const char* what;
        void (*apply)(ReplayData*);
        uint32_t frame;   // where the desync shows; 0: anywhere before the end
        int part;         // −1: any part
    };
    const Damage damages[] = {
        {"final check", [](ReplayData* r) { r->checks.back().all ^= 1, r->checks.back().part[STATE_SCORE] ^= 1; },
         run.frames, STATE_SCORE},
        {"no count fixes", [](ReplayData* r) { r->fixes.clear(); }, 0, -1},
        {"count fixes off by one", [](ReplayData* r) { for (ReplayCountFix& f : r->fixes) f.count++; }, 0, -1},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        ReplayData damaged = run;
        damage.apply(&damaged);
        const std::vector<unsigned char> file = EncodeReplay(damaged);
        WriteBytes("damaged.vrp", std::string(file.begin(), file.end()));
        EXPECT_EQ(VerifyReplay("damaged.vrp"), 1);
        EXPECT_EQ(LastReplayResult().outcome, REPLAY_DESYNC);
        if (damage.frame) {
            EXPECT_EQ(LastReplayResult().frame, damage.frame);
        } else {
            EXPECT_LT(LastReplayResult().frame, run.frames);
        }
        if (damage.part >= 0) {
            EXPECT_EQ(LastReplayResult().part, damage.part);
        }
    }
}

TEST_F(ReplayRun, ARunWithAContinueIsNotSavedAndAnUnwritableFolderCostsOneConsoleLine) {
    ReplayDriver d;
    bool continued = false;
    int step = 0;
    std::string console;
    d.act = [&](ReplayDriver& r, int) {
        if (step == 2 && fucn_state == 1) {
            console = NoticesJoined();
            fucn_state = 900;
        }
        if (fucn_state == 1 || fucn_state == 10) r.Tap(KEY_Z);
        if (fucn_state == 20) fucn_state = 27;
        if (fucn_state == 30 && scene_timer == 100 && !continued) {
            player.lives = -1;
            continued = true;
        }
        if (fucn_state == 302) r.Tap(KEY_Z);   // はい
        if (fucn_state == 30 && scene_timer == 200 && step == 0) {
            r.Tap(KEY_ESCAPE);
            step = 1;
        } else if (fucn_state == 301 && step == 1) {
            r.Tap(r.lastKeys[KEY_DOWN] ? KEY_Z : KEY_DOWN);
            if (r.keys[KEY_Z]) step = 2;
        }
    };
    ASSERT_EQ(d.Run(), 0);
    EXPECT_EQ(player.continues, 1);
    EXPECT_GT(LastRecordedRun().frames, 0u);
    EXPECT_TRUE(SavedReplays().empty()) << "a continue was used";

    WriteBytes("replays", "a plain file where the folder should be");
    HeadlessSelect();
    ResetMenus();
    ReplayDriver again;
    step = 0;
    continued = true;
    again.act = d.act;
    ASSERT_EQ(again.Run(), 0);
    EXPECT_EQ(step, 2);
    EXPECT_NE(console.find("リプレイを保存できませんでした"), std::string::npos) << console;
    DIR* dir = opendir(".");
    ASSERT_NE(dir, nullptr);
    while (dirent* e = readdir(dir)) EXPECT_EQ(std::string(e->d_name).find("replay-"), std::string::npos) << e->d_name;
    closedir(dir);
}

// Closing the window in play ends the run as 終了する does: the replay is
// saved and verifies to the frame the window closed at, and the score enters
// the table. A replay changed after its last interval check desyncs there.
TEST_F(ReplayRun, ClosingTheWindowEndsTheRunAndItsReplayVerifiesToTheLastFrame) {
    ReplayDriver d;
    d.act = [&](ReplayDriver& r, int frame) {
        if (fucn_state == 1 || fucn_state == 10) r.Tap(KEY_Z);
        if (fucn_state == 20) fucn_state = 27;
        if (fucn_state == 30) {
            if (scene_timer % 20 < 12) r.Hold(KEY_Z);
            r.Hold(scene_timer % 120 < 60 ? KEY_UP : KEY_DOWN);
            if (scene_timer == 250) HeadlessPostEventAtFrame(frame + 1, PLATFORM_EVENT_CLOSE_REQUEST);
        }
    };
    ASSERT_EQ(d.Run(), 0);
    const ReplayData run = LastRecordedRun();
    EXPECT_EQ(run.endedBy, RUN_CLOSED);
    ASSERT_GT(run.frames, 250u);
    const std::string path = "replays/" + std::string(LastRunReplayName().c_str());
    ASSERT_EQ(SavedReplays().size(), 1u);
    EXPECT_NE(ReadBytes("scores.txt").find(LastRunReplayName().c_str()), std::string::npos) << ReadBytes("scores.txt");

    EXPECT_EQ(VerifyReplay(path), 0) << DescribeReplayResult(LastReplayResult());
    EXPECT_EQ(LastReplayResult().frame, run.frames);
    EXPECT_EQ(LastReplayResult().finalScore, run.finalScore);

    ReplayData changed = run;
    for (uint32_t f = run.frames - 3; f < run.frames; f++) changed.masks[f] ^= 1u << 2;   // Right
    const std::vector<unsigned char> bytes = EncodeReplay(changed);
    WriteBytes("changed.vrp", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(VerifyReplay("changed.vrp"), 1);
    EXPECT_EQ(LastReplayResult().outcome, REPLAY_DESYNC);
    EXPECT_EQ(LastReplayResult().part, STATE_SHIP);
}

// A pause menu closed with the pause key keeps its cursor. The first run
// leaves it on タイトルへ戻る and ends at the continue menu; the second run,
// in the same process, pauses and presses Shot at once. A fresh process
// playing that run's replay starts with the cursor at the top, so the
// recorded run must have started there too: Shot resumes, and the replay
// verifies to the run's end (タイトルへ戻る in its second pause).
TEST_F(ReplayRun, ARunStartsWithThePauseCursorsAtTheTopSoItsReplayVerifiesInAFreshProcess) {
    ReplayDriver d;
    int run = 0, step = 0, resumed = 0;
    d.act = [&](ReplayDriver& r, int) {
        if (fucn_state == 1 || fucn_state == 10) {
            if (run == 2) fucn_state = 900;
            else r.Tap(KEY_Z);
        }
        if (fucn_state == 20) fucn_state = 27, run++, step = 0;
        const int t = scene_timer;
        if (fucn_state == 30) {
            if (step == 0 && t == 100) r.Tap(KEY_ESCAPE), step = 1;
            if (step == 2 && t >= 130) {
                if (run == 1) player.lives = -1;   // to the continue menu
                else r.Tap(KEY_ESCAPE);
                step = 3;
            }
        } else if (fucn_state == 301) {
            if (run == 1 && step == 1) r.Tap(r.lastKeys[KEY_DOWN] ? KEY_ESCAPE : KEY_DOWN), step = r.keys[KEY_ESCAPE] ? 2 : 1;
            else if (run == 2 && step == 1) r.Tap(KEY_Z), step = 2, resumed = 1;
            else if (run == 2 && step == 3) r.Tap(r.lastKeys[KEY_DOWN] ? KEY_Z : KEY_DOWN), step = r.keys[KEY_Z] ? 4 : 3;
        } else if (fucn_state == 302) {
            r.Tap(r.lastKeys[KEY_DOWN] ? KEY_Z : KEY_DOWN);   // いいえ
        }
    };
    ASSERT_EQ(d.Run(), 0);
    ASSERT_EQ(run, 2);
    ASSERT_EQ(resumed, 1);
    EXPECT_EQ(step, 4) << "the second run's first pause did not resume";
    EXPECT_EQ(LastRecordedRun().endedBy, RUN_RETURNED);
    EXPECT_EQ(VerifyReplay("replays/" + std::string(LastRunReplayName().c_str())), 0)
        << DescribeReplayResult(LastReplayResult());
}

// The title's リプレイ entry opens the list; Shot plays the chosen replay; one
// that does not match the game stops at its first check with a console line
// and the list comes back; Esc goes back to the title.
TEST_F(ReplayRun, TheTitleEntryOpensTheListAndADesyncedReplayStopsBackAtTheList) {
    ReplayData bogus;
    std::snprintf(bogus.gameVersion, sizeof bogus.gameVersion, "%s", "vortalis test");
    bogus.masks.assign(300, 0);
    bogus.checks.assign(ReplayCheckCount(300), ReplayCheck{});
    const std::vector<unsigned char> bytes = EncodeReplay(bogus);
    MakeFolders("replays", nullptr);
    WriteBytes("replays/replay-20260101-000000.vrp", std::string(bytes.begin(), bytes.end()));

    ReplayDriver d;
    std::vector<int> scenes;
    bool sawPlayback = false;
    int titleStep = 0;
    std::string console, firstNotice;
    d.act = [&](ReplayDriver& r, int) {
        console = NoticesJoined();
        if (firstNotice.empty()) firstNotice = console;
        if (scenes.empty() || scenes.back() != fucn_state) scenes.push_back(fucn_state);
        sawPlayback = sawPlayback || RunPlayingBack();
        if (fucn_state == 1) r.Tap(KEY_Z);
        // Down twice (past 練習) to リプレイ, then Z, a frame apart.
        if (fucn_state == 10 && !sawPlayback && titleStep < 5) {
            const int keys[] = {KEY_DOWN, 0, KEY_DOWN, 0, KEY_Z};
            if (keys[titleStep]) r.Tap(keys[titleStep]);
            titleStep++;
        }
        if (fucn_state == SCENE_REPLAY_LIST && !sawPlayback) r.Tap(KEY_Z);
        if (fucn_state == SCENE_REPLAY_LIST && sawPlayback && !RunPlayingBack()) r.Tap(KEY_ESCAPE);
        if (fucn_state == 10 && sawPlayback) fucn_state = 900;
    };
    ASSERT_EQ(d.Run(), 0);
    EXPECT_TRUE(sawPlayback);
    // The desync leads to the list within its frame: 1000 runs unseen there.
    EXPECT_EQ(scenes, (std::vector<int>{1, 9, 10, 1000, 1001, 27, 28, 29, 1001, 9, 10}));
    EXPECT_EQ(LastReplayResult().outcome, REPLAY_DESYNC);
    EXPECT_EQ(LastReplayResult().frame, 60u);
    EXPECT_NE(console.find("リプレイを止めました: desync at frame 60: the scene state differs (recorded by vortalis "
                           "test, played by " + std::string(LaunchVersion()) + ")"),
              std::string::npos)
        << console;
    EXPECT_NE(firstNotice.find("このリプレイは vortalis test で記録されました"), std::string::npos) << firstNotice;
}

namespace {

// Pause, then タイトルへ戻る: keys for the frames of scene 301.
void ReturnToTitle(ReplayDriver& r, int* step) {
    if (*step == 1) r.Tap(KEY_DOWN), *step = 2;
    else if (*step == 2) r.Tap(KEY_Z), *step = 3;
}

// A practice run of stage 1, left through the pause menu at clock 200, and
// its replay's file name.
std::string RecordPracticeRun() {
    ReplayDriver d;
    int step = 0;
    bool begun = false;
    d.act = [&](ReplayDriver& r, int) {
        if (fucn_state == 1 && !begun) r.Tap(KEY_Z);
        if (fucn_state == 10 && !begun) BeginPracticeRun(0), begun = true;
        if (fucn_state == 30 && scene_timer == 200 && step == 0) r.Tap(KEY_ESCAPE), step = 1;
        if (fucn_state == 301) ReturnToTitle(r, &step);
        if (fucn_state == 1 && step == 3) fucn_state = 900;
    };
    EXPECT_EQ(d.Run(), 0);
    EXPECT_EQ(LastRecordedRun().start, REPLAY_START_PRACTICE);
    return "replays/" + LastRunReplayName();
}

} // namespace

// A charge shot fired just before leaving for the title stays with its run:
// the next run starts without it, and both runs' replays verify in a process
// of their own.
TEST_F(ReplayRun, AChargeShotFiredBeforeLeavingNeitherCrossesTheNextRunNorBreaksItsReplay) {
    ReplayDriver d;
    int run = 0, step = 0;
    bool flewInFirst = false;
    int beamAtSecondStart = -1;
    std::vector<std::string> saved;
    d.act = [&](ReplayDriver& r, int) {
        if ((fucn_state == 1 || fucn_state == 10) && step == 3) {
            saved.push_back("replays/" + LastRunReplayName());
            run++, step = 0;
        }
        if (fucn_state == 1 || fucn_state == 10) {
            if (run == 2) fucn_state = 900;
            else r.Tap(KEY_Z);
        }
        if (fucn_state == 20) fucn_state = 27;
        if (fucn_state == 30) {
            const int t = scene_timer;
            if (run == 1 && t == 1) beamAtSecondStart = charge_shot.state;
            if (run == 0 && t >= 10 && t < 115) r.Hold(KEY_Z);   // a full charge, released at 115
            if (run == 0 && t == 118) flewInFirst = charge_shot.state == CHARGE_FLYING;
            if (t == 120 && step == 0) r.Tap(KEY_ESCAPE), step = 1;
        } else if (fucn_state == 301) {
            ReturnToTitle(r, &step);
        }
    };
    ASSERT_EQ(d.Run(), 0);
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_TRUE(flewInFirst);
    EXPECT_EQ(beamAtSecondStart, CHARGE_NONE);
    for (const std::string& path : saved) EXPECT_EQ(VerifyInFreshProcess(path), 0) << path;
}

// Escape while watching a practice replay ends the watched run and its
// practice with it: the next game from the title is a game, recorded as one.
TEST_F(ReplayRun, StoppingAPracticeReplayLeavesNoPracticeBehind) {
    const std::string practice = RecordPracticeRun();
    HeadlessSelect();
    ResetMenus();
    ReplayDriver d;
    bool watched = false, stopped = false;
    int startOfNext = -1, clearTurn = -1;
    d.act = [&](ReplayDriver& r, int) {
        if (fucn_state == 1 && !watched) {
            std::string error;
            ASSERT_TRUE(WatchReplayFile(practice, REPLAY_WATCH, SCENE_REPLAY_LIST_OPEN, &error)) << error;
            watched = true;
        } else if (fucn_state == 30 && RunPlayingBack() && scene_timer == 50) {
            r.Tap(KEY_ESCAPE);
            stopped = true;
        } else if (fucn_state == SCENE_REPLAY_LIST && stopped) {
            fucn_state = SCENE_PROLOGUE_LOAD;   // スタート
        } else if (fucn_state == 20) {
            fucn_state = 27;
        } else if (fucn_state == 30 && !RunPlayingBack() && startOfNext < 0) {
            startOfNext = RecordingStart();
            clearTurn = RunStageClearScene(SCENE_MAP_STORY_LOAD);
            fucn_state = 900;
        }
    };
    ASSERT_EQ(d.Run(), 0);
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(RunIsPractice());
    EXPECT_EQ(startOfNext, REPLAY_START_NEW_GAME);
    EXPECT_EQ(clearTurn, SCENE_MAP_STORY_LOAD) << "a stage clear leads on to the map story, not the practice menu";
}

// A watched replay has the music of its run: the stage music starts with play.
TEST_F(ReplayRun, AWatchedReplayPlaysItsRunsMusic) {
    const std::string practice = RecordPracticeRun();
    HeadlessSelect();
    ResetMenus();
    ReplayDriver d;
    bool watched = false;
    int musicInPlay = -1;
    d.act = [&](ReplayDriver&, int) {
        if (fucn_state == 1 && !watched) {
            std::string error;
            ASSERT_TRUE(WatchReplayFile(practice, REPLAY_WATCH, SCENE_REPLAY_LIST_OPEN, &error)) << error;
            watched = true;
        }
        if (fucn_state == 30 && RunPlayingBack() && scene_timer == 40) musicInPlay = MusicState();
        if (fucn_state == SCENE_REPLAY_LIST) fucn_state = 900;
    };
    ASSERT_EQ(d.Run(), 0);
    EXPECT_EQ(musicInPlay, 6) << "the stage music started at clock 30, as in the recorded run";
}

// A replay whose pad takes it out of its run (the prologue's pause menu, then
// the title menus into 設定 and out again, which saves the settings) ends as a
// desync at the frame it left, and writes nothing; 終了する from that menu is
// a desync too, never a pass.
TEST_F(ReplayRun, AReplayThatLeavesItsRunIsADesyncAndWritesNothing) {
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    setenv("XDG_CONFIG_HOME", (std::string(here) + "/config").c_str(), 1);
    enum { DOWN = 1u << 0, SHOT = 1u << 4, PAUSE = 1u << 15 };
    struct Case {
        const char* name;
        std::vector<std::pair<int, unsigned>> presses;   // frame, mask
        uint32_t leftAt;
    };
    const Case cases[] = {
        {"title", {{5, PAUSE}, {8, SHOT}, {12, DOWN}, {14, DOWN}, {16, DOWN}, {18, DOWN}, {20, SHOT}, {23, PAUSE}}, 9},
        {"quit", {{5, PAUSE}, {8, DOWN}, {10, SHOT}}, 11},
    };
    for (const Case& c : cases) {
        ReplayData r;
        std::snprintf(r.gameVersion, sizeof r.gameVersion, "%s", LaunchVersion());
        r.start = REPLAY_START_PROLOGUE;
        r.masks.assign(300, 0);
        for (const auto& [frame, mask] : c.presses) r.masks[frame] = static_cast<uint16_t>(mask);
        r.checks.assign(ReplayCheckCount(300), ReplayCheck{});
        const std::vector<unsigned char> bytes = EncodeReplay(r);
        WriteBytes("leaves.vrp", std::string(bytes.begin(), bytes.end()));
        EXPECT_EQ(VerifyReplay("leaves.vrp"), 1) << c.name;
        EXPECT_EQ(LastReplayResult().outcome, REPLAY_DESYNC) << c.name;
        EXPECT_EQ(LastReplayResult().part, STATE_SCENE) << c.name;
        EXPECT_EQ(LastReplayResult().frame, c.leftAt) << c.name;
    }
    EXPECT_TRUE(ReadBytes("config/vortalis/settings.ini").empty()) << "the player's settings were written";
    EXPECT_TRUE(SavedReplays().empty());
    unsetenv("XDG_CONFIG_HOME");
}

// The command line's --replay FILE without --verify plays the replay in the
// window and ends the program with 0 when it is over, not at the title.
TEST_F(ReplayRun, AReplayWatchedFromTheCommandLineEndsTheProgramWhenItEnds) {
    const std::string practice = RecordPracticeRun();
    const uint32_t frames = LastRecordedRun().frames;
    ResetMenus();
    HeadlessSelect();
    g_launch = LaunchOptions{};
    g_launch.screen = SCREEN_WINDOW;
    g_launch.replayFile = practice;
    int titleFrames = 0;
    HeadlessOnPresent([&](int, const uint32_t*, int, int) { titleFrames += fucn_state == 10; });
    HeadlessPostEventAtFrame(static_cast<int>(frames) + 600, PLATFORM_EVENT_CLOSE_REQUEST);
    EXPECT_EQ(VortalisMain(), 0);
    HeadlessOnPresent(nullptr);
    EXPECT_EQ(LastReplayResult().outcome, REPLAY_PASSED);
    EXPECT_LT(HeadlessFrameCount(), static_cast<int>(frames) + 600) << "the program went on after the replay";
    EXPECT_EQ(titleFrames, 0);
}

// A replay plays its story in the language it was recorded in: a run read in
// English verifies in a fresh process started with no language (Japanese
// here), and the corpus's Japanese prologue verifies where the locale asks
// for English. The pages differ in length, so the wrong script would desync.
TEST_F(ReplayRun, AReplayKeepsTheLanguageItWasPlayedIn) {
    ReplayDriver d;
    d.language = LANGUAGE_EN;
    int step = 0;
    bool begun = false;
    d.act = [&](ReplayDriver& r, int frame) {
        if (fucn_state == 1 && !begun) r.Tap(KEY_Z);
        if (fucn_state == 10 && !begun) BeginPrologueRun(), begun = true;
        if ((fucn_state == 20 || fucn_state == 33) && frame % 8 == 0) r.Tap(KEY_Z);
        if (fucn_state == 30 && scene_timer == 300 && step == 0) r.Tap(KEY_ESCAPE), step = 1;
        if (fucn_state == 301) ReturnToTitle(r, &step);
        if (fucn_state == 1 && step == 3) fucn_state = 900;
    };
    ASSERT_EQ(d.Run(), 0);
    SetGameLanguage(LANGUAGE_JA);
    ASSERT_EQ(LastRecordedRun().language, LANGUAGE_EN);
    ASSERT_EQ(LastRecordedRun().start, REPLAY_START_PROLOGUE);
    EXPECT_EQ(VerifyInFreshProcess("replays/" + LastRunReplayName()), 0);

    setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_EQ(VerifyInFreshProcess(std::string(VORTALIS_SOURCE_DIR) + "/tests/replays/prologue-read-return.vrp"), 0);
    setenv("LANG", "C", 1);
}

// A session of runs, each after different activity: a new game, a practice
// run of stage 3, a new game with a continue, that practice run watched to its
// end, and a new game again. Every new game starts from the same state (its
// first 60 frames of play, untouched, hash alike: nothing of an earlier run,
// practice or playback is left over), and each score entry names the replay
// its own run saved, or none when a continue was used: the named file is
// there, its header is that run's, and it verifies.
TEST_F(ReplayRun, EveryRunStartsAlikeAndEachScoreEntryNamesItsOwnRunsReplay) {
    enum { GAME, PRACTICE, CONTINUED, WATCH, GAME_AGAIN, DONE };
    ReplayDriver d;
    int run = GAME, step = 0;
    bool begun = false;
    std::vector<std::vector<StateHash>> starts;   // each new game's first frames of play
    std::vector<std::string> names(DONE);          // LastRunReplayName() after each run
    std::string practice;
    d.act = [&](ReplayDriver& r, int) {
        if (fucn_state == 1 && begun) {            // a run is over
            names[run] = LastRunReplayName();
            if (run == PRACTICE) practice = "replays/" + names[run];
            run++, step = 0, begun = false;
        }
        if (fucn_state == 1) {
            if (run == DONE) fucn_state = 900;
            else r.Tap(KEY_Z);
        }
        if (fucn_state == 10) {
            std::string error;
            if (run == PRACTICE && !begun) BeginPracticeRun(2);
            else if (run == WATCH && !begun) EXPECT_TRUE(WatchReplayFile(practice, REPLAY_WATCH, 0, &error)) << error;
            else r.Tap(KEY_Z);
            begun = true;
        }
        if (fucn_state == 20) fucn_state = 27;
        if (fucn_state == 30 && !RunPlayingBack()) {
            const int t = scene_timer;
            if (run != PRACTICE && starts.size() < static_cast<std::size_t>(run / 2 + 1)) starts.emplace_back();
            if (run != PRACTICE && starts.back().size() < 60) starts.back().push_back(HashGameState());
            if (t > 60 && t % 20 < 12) r.Hold(KEY_Z);
            if (run == CONTINUED && t == 100 && step == 0) player.lives = -1, step = 1;
            if (t == 150 + 50 * run && (step == 0 || step == 2)) r.Tap(KEY_ESCAPE), step = 3;
        }
        // Menu keys are fresh presses: a step moves on once its key went down.
        if (fucn_state == 302 && step == 1) r.Tap(KEY_Z), step += r.keys[KEY_Z];   // はい
        if (fucn_state == 301 && step == 3) r.Tap(KEY_DOWN), step += r.keys[KEY_DOWN];
        else if (fucn_state == 301 && step == 4) r.Tap(KEY_Z), step += r.keys[KEY_Z];   // タイトルへ戻る
    };
    ASSERT_EQ(d.Run(), 0);
    ASSERT_EQ(run, DONE);
    EXPECT_EQ(LastReplayResult().outcome, REPLAY_PASSED) << "the practice run was watched to its end";

    ASSERT_EQ(starts.size(), 3u);
    for (std::size_t n = 1; n < starts.size(); n++) {
        ASSERT_EQ(starts[n].size(), starts[0].size());
        for (std::size_t f = 0; f < starts[0].size(); f++) {
            int part = 0;
            while (part < STATE_PARTS && starts[n][f].part[part] == starts[0][f].part[part]) part++;
            if (part == STATE_PARTS) continue;
            ADD_FAILURE() << "new game " << n << ": the " << StatePartName(part) << " state differs from the first "
                          << "new game's at its frame " << f + 1 << " of play";
            break;
        }
    }

    // The table holds the three games, by serial; the continued one names no replay.
    ForgetRecords();
    const ScoreTable& table = ScoresInPlay();
    ASSERT_EQ(table.count, 3) << FormatScoreTable(table);
    const int games[] = {GAME, CONTINUED, GAME_AGAIN};
    for (int i = 0; i < table.count; i++) {
        const ScoreEntry& e = table.entries[i];
        ASSERT_GE(e.serial, 1);
        ASSERT_LE(e.serial, 3);
        const int game = games[e.serial - 1];
        SCOPED_TRACE("entry " + std::to_string(e.serial));
        EXPECT_EQ(e.continues, game == CONTINUED ? 1 : 0);
        EXPECT_EQ(std::string(e.replay), game == CONTINUED ? "" : names[game]);
        if (!e.replay[0]) continue;
        ReplayData header;
        std::string error;
        ASSERT_TRUE(LoadReplayFile("replays/" + std::string(e.replay), &header, &error)) << e.replay << ": " << error;
        EXPECT_EQ(header.start, REPLAY_START_NEW_GAME);
        EXPECT_EQ(header.endedBy, RUN_RETURNED);
        EXPECT_EQ(header.finalScore, e.score);
        EXPECT_EQ(header.stageReached + 1, e.stage);
        EXPECT_EQ(VerifyReplay("replays/" + std::string(e.replay)), 0) << DescribeReplayResult(LastReplayResult());
    }
    EXPECT_FALSE(names[GAME].empty());
    EXPECT_NE(names[GAME], names[GAME_AGAIN]);
}
