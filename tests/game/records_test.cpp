// The score table in play and stage practice: scores.txt written at each end
// of a run (never by practice), damaged, unreadable and unwritable files, the
// records screen after a restart, the title's added entries, and a practice
// run of one stage from its menu back to its menu.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "game/player/boss.h"
#include "game/records/records.h"
#include "game/run/run.h"
#include "game/shell/menus.h"
#include "game/shell/music.h"
#include "tests/support/console_text.h"
#include "tests/support/files.h"
#include "tests/support/game_data.h"
#include "tests/support/game_driver.h"
#include "tests/support/headless_test.h"

namespace {

// The file with every date replaced by "DATE", so runs compare byte for byte.
std::string ScoresWithoutDates() {
    static const std::regex date("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}");
    static const std::regex replay("replay-[0-9-]+\\.vrp");
    return std::regex_replace(std::regex_replace(ReadBytes("scores.txt"), date, "DATE"), replay, "REPLAY");
}

// A run from the new-game point to its end, with the given result.
void EndRun(int score, int stage, int continues, RunEnd how) {
    if (!RunGoing()) RunOnNewGame();
    player.score = score;
    player.continues = continues;
    stage_number = stage;
    RunOnEnded(how);
}

class Records : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ForgetRecords();
        ForgetRun();
        SetReplaySaving(false);
    }
};

// Pixels of exactly one colour in a box of the last presented frame.
int CountColour(const GameDriver& g, int x0, int y0, int x1, int y1, uint32_t colour) {
    int n = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) n += g.Pixel(x, y) == colour;
    return n;
}

class RecordsInPlay : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LinkGameData());
        HeadlessSelect();
        ResetMenus();
        ForgetRecords();
        ForgetRun();
    }
};

} // namespace

TEST_F(Records, EveryEndOfARunIsWrittenButPracticeIsNot) {
    EndRun(1200, 0, 0, RUN_RETURNED);
    EXPECT_EQ(ScoresWithoutDates(), "vortalis-scores 1\nreached 1\nruns 1\nentry 1 1200 1 0 DATE -\n");
    EndRun(5000, 2, 1, RUN_GAME_OVER);
    EndRun(300, 4, 3, RUN_CLEARED);
    EndRun(40, 1, 0, RUN_QUIT);
    const std::string four = "vortalis-scores 1\nreached 5\nruns 4\n"
                             "entry 2 5000 3 1 DATE -\n"
                             "entry 1 1200 1 0 DATE -\n"
                             "entry 3 300 clear 3 DATE -\n"
                             "entry 4 40 2 0 DATE -\n";
    EXPECT_EQ(ScoresWithoutDates(), four);
    EXPECT_EQ(ReadBytes("scores.txt").find("0000-"), std::string::npos) << "a real date";

    // A practice run of the last stage with a record score leaves no trace.
    BeginPracticeRun(4);
    EXPECT_TRUE(RunIsPractice());
    EXPECT_EQ(fucn_state, 28);
    EXPECT_EQ(stage_number, 4);
    EXPECT_EQ(player.power, PLAYER_POWER_MAX);
    EXPECT_EQ(player.lives, 3);
    EXPECT_EQ(player.score, 0);
    EndRun(999999, 4, 0, RUN_CLEARED);
    EXPECT_FALSE(RunIsPractice());
    EXPECT_EQ(ScoresWithoutDates(), four);

    // A new start reads the table back.
    ForgetRecords();
    EXPECT_EQ(BestScore(), 5000);
    EXPECT_EQ(HighestStageReached(), 5);
    EXPECT_TRUE(NoticesJoined().empty()) << NoticesJoined();
}

TEST_F(Records, DamagedUnreadableAndUnwritableFilesCostAConsoleLineNotTheRun) {
    WriteBytes("scores.txt", "high scores: me 100\n");
    EXPECT_EQ(BestScore(), -1);
    EXPECT_EQ(ReadBytes("scores.txt.bad"), "high scores: me 100\n");
    EXPECT_NE(NoticesJoined().find("scores.txt が壊れていたので scores.txt.bad に移し"), std::string::npos);
    struct stat st;
    EXPECT_NE(stat("scores.txt", &st), 0) << "the new table is written at the next run's end";

    // A write that fails (a folder stands where the file would be renamed)
    // leaves no file, says so once, and the table in memory still holds the run.
    ASSERT_EQ(mkdir("scores.txt", 0755), 0);
    WriteBytes("scores.txt/keep", "x");
    EndRun(70, 0, 0, RUN_GAME_OVER);
    EXPECT_NE(NoticesJoined().find("scores.txt を保存できませんでした"), std::string::npos) << NoticesJoined();
    ASSERT_EQ(stat("scores.txt", &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(BestScore(), 70);
    ASSERT_EQ(unlink("scores.txt/keep"), 0);
    ASSERT_EQ(rmdir("scores.txt"), 0);

    // A scores.txt that cannot be read is never written over.
    ASSERT_EQ(mkdir("scores.txt", 0755), 0);
    ForgetRecords();
    EXPECT_EQ(BestScore(), -1);
    EXPECT_NE(NoticesJoined().find("scores.txt を読めないため、記録は保存されません"), std::string::npos);
    EndRun(80, 0, 0, RUN_GAME_OVER);
    ASSERT_EQ(stat("scores.txt", &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    ASSERT_EQ(rmdir("scores.txt"), 0);

    // A second damaged file keeps the first one's copy and takes the next
    // number; one that cannot be moved aside (every name taken) is left as it
    // is and no table is written over it that session.
    WriteBytes("scores.txt", "second damage\n");
    ForgetRecords();
    EXPECT_EQ(BestScore(), -1);
    EXPECT_EQ(ReadBytes("scores.txt.bad"), "high scores: me 100\n");
    EXPECT_EQ(ReadBytes("scores.txt.2.bad"), "second damage\n");
    WriteBytes("scores.txt", "third damage\n");
    for (int n = 3; n < 1000; n++) WriteBytes(("scores.txt." + std::to_string(n) + ".bad").c_str(), "");
    ForgetRecords();
    EXPECT_EQ(BestScore(), -1);
    EXPECT_NE(NoticesJoined().find("scores.txt が壊れていて移せないため、記録は保存されません"), std::string::npos)
        << NoticesJoined();
    EndRun(90, 0, 0, RUN_GAME_OVER);
    EXPECT_EQ(ReadBytes("scores.txt"), "third damage\n");
}

// Each entry names the replay its own run saved, or none: a run that saved
// none (a continue was used, or the save failed) never takes the name of the
// run before it.
TEST_F(Records, AnEntryNamesOnlyTheReplayItsOwnRunSaved) {
    SetReplaySaving(true);
    EndRun(100, 0, 0, RUN_RETURNED);
    const std::string first = LastRunReplayName();
    ASSERT_FALSE(first.empty());
    EndRun(50, 0, 1, RUN_GAME_OVER);
    EXPECT_EQ(LastRunReplayName(), "");
    ASSERT_EQ(std::system("rm -r replays"), 0);
    WriteBytes("replays", "a file where the folder goes");
    EndRun(70, 0, 0, RUN_QUIT);
    EXPECT_EQ(LastRunReplayName(), "");
    const ScoreTable& t = ScoresInPlay();
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(std::string(t.entries[0].replay), first);
    EXPECT_EQ(std::string(t.entries[1].replay), "") << "score " << t.entries[1].score;
    EXPECT_EQ(std::string(t.entries[2].replay), "") << "score " << t.entries[2].score;
}

TEST_F(RecordsInPlay, TwoRunsShowInOrderOnTheRecordsScreenAfterARestart) {
    // Two runs, each left through the play pause menu's タイトルへ戻る.
    GameDriver g;
    int runs = 0, step = 0, titleBefore = -1;
    g.act = [&](GameDriver& d, int) {
        if (fucn_state == 10 && titleBefore < 0) titleBefore = CountColour(d, 400, 0, 640, 30, 0xFFFFFF);
        ToPlay(d);
        if (fucn_state == 30 && scene_timer == 5 && step == 0) {
            player.score = runs == 0 ? 1200 : 5000;
            if (runs == 1) stage_number = 2;
            d.Tap(KEY_ESCAPE);
            step = 1;
        } else if (step == 1 && fucn_state == 301) {
            d.Tap(KEY_DOWN);
            step = 2;
        } else if (step == 2) {
            d.Tap(KEY_Z);
            step = 3;
        } else if (step == 3 && fucn_state == 1) {
            step = 0;
            if (++runs == 2) fucn_state = 900;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    EXPECT_EQ(ScoresWithoutDates(),
              "vortalis-scores 1\nreached 3\nruns 2\nentry 2 5000 3 0 DATE REPLAY\nentry 1 1200 1 0 DATE REPLAY\n");

    // The older run's replay is named in the table, but is not there.
    std::string table = ReadBytes("scores.txt");
    const std::size_t older = table.rfind(" replay-");
    table.replace(older, table.size() - older, " replay-missing.vrp\n");
    WriteBytes("scores.txt", table);

    // The game starts again: the title shows the best score, and 記録 (up
    // three times, past おわる and 設定) shows both runs, the newer one first and
    // marked. Enter on it watches its replay from replays/ (Escape stops it and
    // the screen comes back); Z on the older one tries its replay, which is
    // not there, and stays on the screen.
    ForgetRecords();
    ResetMenus();
    GameDriver again;
    int titleBest = -1, newOnFirst = -1, newOnSecond = -1, textOnSecond = -1;
    bool watched = false;
    std::vector<int> chosen;
    std::string console;
    step = 0;
    again.act = [&](GameDriver& d, int) {
        if (RunPlayingBack()) {
            watched = true;
            if (fucn_state == 30 && scene_timer == 20) d.Tap(KEY_ESCAPE);
            return;
        }
        if (fucn_state == 1) d.Tap(KEY_Z);
        if (fucn_state != 10 && fucn_state != 1200) return;
        switch (step++) {
        case 5: titleBest = CountColour(d, 400, 0, 640, 30, 0xFFFFFF); d.Tap(KEY_UP); break;
        case 7: d.Tap(KEY_UP); break;
        case 9: d.Tap(KEY_UP); break;
        case 11: d.Tap(KEY_Z); break;
        case 13:
            chosen.push_back(fucn_state);
            newOnFirst = CountColour(d, 30, 120, 100, 138, 0xFFFF00);
            newOnSecond = CountColour(d, 30, 144, 100, 162, 0xFFFF00);
            textOnSecond = CountColour(d, 100, 144, 600, 162, 0xFFFFFF);
            d.Tap(KEY_RETURN);
            break;
        case 15: chosen.push_back(fucn_state); d.Tap(KEY_DOWN); break;
        case 17: d.Tap(KEY_Z); break;
        case 19: chosen.push_back(fucn_state); console = NoticesJoined(); d.Tap(KEY_ESCAPE); break;
        case 21: chosen.push_back(fucn_state); fucn_state = 900; break;
        default: break;
        }
    };
    EXPECT_EQ(again.Run(), 0);
    EXPECT_GT(titleBest, titleBefore + 50) << "ハイスコア on the title";
    EXPECT_TRUE(watched) << "the newer run's replay was not played";
    EXPECT_EQ(chosen, (std::vector<int>{SCENE_RECORDS, SCENE_RECORDS, SCENE_RECORDS, 10}));
    EXPECT_NE(console.find("リプレイ replay-missing.vrp を再生できませんでした"), std::string::npos) << console;
    EXPECT_GT(newOnFirst, 20) << "NEW beside the first row, the newer run's 5000";
    EXPECT_EQ(newOnSecond, 0);
    EXPECT_GT(textOnSecond, 100) << "the older run in white on the second row";
}

TEST_F(RecordsInPlay, PracticeOffersReachedStagesPlaysOneStageAloneAndReturnsToItsMenu) {
    // With no table only stage 1 is offered: the second row is the way back.
    // Then a table whose runs reached stage 3: the third row starts stage 3;
    // its boss beaten, the practice menu comes back without map story; a
    // second practice that loses its last life comes back without a
    // continue menu.
    GameDriver g;
    std::vector<int> scenes;
    int step = 0, practices = 0;
    int powerAtCard = -1, livesAtCard = -1, stageAtCard = -1, musicAtCard = -1;
    g.act = [&](GameDriver& d, int frame) {
        if (scenes.empty() || scenes.back() != fucn_state) scenes.push_back(fucn_state);
        if (fucn_state == 1) d.Tap(KEY_Z);
        if (fucn_state == 29 && powerAtCard < 0) {
            powerAtCard = player.power;
            livesAtCard = player.lives;
            stageAtCard = stage_number;
        }
        if (fucn_state == 30 && scene_timer == 40) musicAtCard = MusicState();
        if (fucn_state == 30 && scene_timer == 41) scene_timer = 7990;   // straight to the boss
        if (fucn_state == 30 && boss.state != BOSS_NONE && practices == 1) boss.hp = -1;
        if (fucn_state == 30 && practices == 2) player.lives = -1;
        // One key per two frames, so that each tap is a fresh press.
        if (frame % 2) return;
        switch (step) {
        case 0: if (fucn_state == 10) { d.Tap(KEY_DOWN); step++; } break;   // to 練習
        case 1: d.Tap(KEY_Z); step++; break;
        case 2: if (fucn_state == SCENE_PRACTICE_MENU) { d.Tap(KEY_DOWN); step++; } break;
        case 3: d.Tap(KEY_Z); step++; break;                                   // タイトルへ戻る
        case 4:
            if (fucn_state != 10) break;
            WriteBytes("scores.txt", "vortalis-scores 1\nreached 3\nruns 1\n");
            ForgetRecords();
            step++;
            break;
        case 5: d.Tap(KEY_Z); step++; break;   // the cursor stayed on 練習
        case 6: d.Tap(KEY_DOWN); step++; break;   // the menu opens on stage1
        case 7: d.Tap(KEY_DOWN); step++; break;
        case 8: d.Tap(KEY_Z); practices = 1; step++; break;                     // stage3
        case 9: if (fucn_state == SCENE_PRACTICE_MENU) { d.Tap(KEY_Z); practices = 2; step++; } break;
        case 10: if (fucn_state == SCENE_PRACTICE_MENU) fucn_state = 900; break;
        default: break;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    const std::vector<int> expect = {1, 9, 10, SCENE_PRACTICE_MENU, 10, SCENE_PRACTICE_MENU,
                                     28, 29, 30, 31, SCENE_PRACTICE_CLEARED, SCENE_PRACTICE_MENU,
                                     28, 29, 30, SCENE_PRACTICE_LOST, SCENE_PRACTICE_MENU};
    EXPECT_EQ(scenes, expect);
    EXPECT_EQ(stageAtCard, 2);
    EXPECT_EQ(powerAtCard, PLAYER_POWER_MAX);
    EXPECT_EQ(livesAtCard, 3);
    EXPECT_EQ(musicAtCard, 6) << "the stage music started with the card, as in a run";
    EXPECT_EQ(stage_number, 2) << "the second practice kept the cursor on stage3";
    EXPECT_EQ(ReadBytes("scores.txt"), "vortalis-scores 1\nreached 3\nruns 1\n") << "practice is never entered";
}

TEST_F(RecordsInPlay, TheContinueMenuShowsTheBestScoreUnderItsOwnTexts) {
    WriteBytes("scores.txt", "vortalis-scores 1\nentry 1 4321 1 0 2026-12-08 17:01 -\n");
    GameDriver g;
    int menuFrames = 0, bestRows = -1, belowBest = -1;
    g.act = [&](GameDriver& d, int) {
        ToPlay(d);
        if (fucn_state == 30 && scene_timer == 5) player.lives = -1;
        if (fucn_state == 302 && ++menuFrames == 3) {
            bestRows = CountColour(d, 0, 290, 640, 308, 0xFFFFFF);
            belowBest = CountColour(d, 0, 310, 640, 440, 0xFFFFFF);
            fucn_state = 900;
        }
    };
    EXPECT_EQ(g.Run(), 0);
    EXPECT_GT(bestRows, 50) << "ハイスコア at y = 290, under the line at 260";
    EXPECT_EQ(belowBest, 0);
}
