// The prologue/epilogue runner: portrait slots refreshed from the row being
// typed, dimmed speakers, indices from scripts kept inside the tables, a
// missing script ending at once, and loading resetting the runner.
#include "tests/game/story_support.h"

#include "tests/support/files.h"

namespace {

using StoryRunner = StoryTest;

} // namespace

TEST_F(StoryRunner, SlotsFollowTheRowBeingTypedAndUnlitSpeakersAreDimmed) {
    WriteBytes("s.csv",
               StoryLine("ナル", "1,0,1,1,2,0,320,240,1,0,1,0,490,250,1,7,1,0,100,220", "あい") +
               StoryLine("セラ", "2,0,1,0,3,0,150,250,1,1,2,0,490,250,0,0,0,0,0,0", "うC"));
    LoadStoryScript("s.csv");

    struct Expect {
        int row, background;
        int portrait[3], dimmed[3];
        double x0;
    };
    // Row 0 for two characters and its line end; row 1 from the frame that moves to it.
    const Expect frames[] = {
        {0, 1, {2, 5, 9}, {0, 1, 1}, 320},
        {0, 1, {2, 5, 9}, {0, 1, 1}, 320},
        {1, 2, {3, 6, -1}, {1, 0, 0}, 150},
        {1, 2, {3, 6, -1}, {1, 0, 0}, 150},
    };
    for (int f = 0; f < 4; f++) {
        StoryFrame();
        const Expect& e = frames[f];
        EXPECT_EQ(g_storyWriter.row, e.row) << "frame " << f;
        EXPECT_EQ(g_storyView.background, e.background) << "frame " << f;
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(g_storyView.portrait[k], e.portrait[k]) << "frame " << f << " slot " << k;
            EXPECT_EQ(g_storyView.dimmed[k], e.dimmed[k]) << "frame " << f << " slot " << k;
            EXPECT_EQ(g_storySlots[k].character, k);
        }
        EXPECT_EQ(g_storySlots[0].x, e.x0) << "frame " << f;
    }
    EXPECT_EQ(g_storySlots[1].x, 490.0);
    EXPECT_EQ(g_storySlots[1].y, 250.0);
    EXPECT_EQ(g_storyView.lines, 2);
    EXPECT_STREQ(g_storyWriter.box[0], "あい");
    EXPECT_STREQ(g_storyWriter.box[1], "う");
}

TEST_F(StoryRunner, IndicesFromScriptsNeverLeaveTheTables) {
    // Background 7, character 0 expression 9, character 1 expression 3 (the
    // empty slot 7), character 2 expression 2: nothing of them is drawn.
    WriteBytes("s.csv", StoryLine("n", "7,0,1,1,9,0,0,0,1,1,3,0,0,0,1,1,2,0,0,0", "あC") +
                            StoryLine("n", "A,0,1,1,A,0,0,0,1,1,2,0,0,0,1,1,1,0,0,0", "いC"));
    LoadStoryScript("s.csv");
    StoryFrame();
    EXPECT_EQ(g_storyView.background, -1);
    for (int k = 0; k < 3; k++) EXPECT_EQ(g_storyView.portrait[k], -1) << "slot " << k;

    // Letters read as 0: background 0, expression 0.
    HeadlessHoldKey(KEY_Z, 1, 2);
    StoryFrame();
    EXPECT_EQ(g_storyWriter.row, 1);
    EXPECT_EQ(g_storyView.background, 0);
    EXPECT_EQ(g_storyView.portrait[0], 0);
    EXPECT_EQ(g_storyView.portrait[1], 6);
    EXPECT_EQ(g_storyView.portrait[2], 9);

    EXPECT_EQ(StoryPortraitIndex(0, 3), 3);
    EXPECT_EQ(StoryPortraitIndex(0, 4), -1);
    EXPECT_EQ(StoryPortraitIndex(1, 2), 6);
    EXPECT_EQ(StoryPortraitIndex(1, 3), -1);
    EXPECT_EQ(StoryPortraitIndex(2, 1), 9);
    EXPECT_EQ(StoryPortraitIndex(2, 2), -1);
    EXPECT_EQ(StoryPortraitIndex(2, -1), -1);
    EXPECT_EQ(StoryPortraitIndex(3, 0), -1);
}

TEST_F(StoryRunner, AScriptThatCannotBeOpenedEndsAtOnce) {
    ConsoleReset();
    LoadStoryScript("dat/csv/adv1.csv");
    EXPECT_STREQ(ConsoleLine(0), "read error");
    StoryFrame(27);
    EXPECT_EQ(fucn_state, 27);
    EXPECT_EQ(g_storyView.background, -1);
    for (int k = 0; k < 3; k++) EXPECT_EQ(g_storyView.portrait[k], -1);
    EXPECT_EQ(g_storyWriter.row, 0);
}

TEST_F(StoryRunner, LoadingAScriptResetsItsRunner) {
    WriteBytes("s.csv", StoryLine("ナル", kNoSlots, "あいう") + StoryLine("ナル", kNoSlots, "えおC") +
                            StoryLine("ナル", kNoSlots, "かC"));
    LoadStoryScript("s.csv");
    for (int f = 0; f < 5; f++) StoryFrame();
    ASSERT_EQ(g_storyWriter.row, 1);
    ASSERT_EQ(g_storyWriter.line, 1);

    // Abandoned mid-page (the story pause menu's return to the title), then
    // loaded again for a new game: the first frame types the first character.
    LoadStoryScript("s.csv");
    EXPECT_EQ(g_storyWriter.row, 0);
    EXPECT_EQ(g_storyWriter.col, 0);
    EXPECT_EQ(g_storyWriter.line, 0);
    for (int i = 0; i < BOX_LINES; i++) EXPECT_STREQ(g_storyWriter.box[i], "");
    StoryFrame();
    EXPECT_STREQ(g_storyWriter.box[0], "あ");
    EXPECT_EQ(g_storyView.lines, 1);
}

TEST_F(StoryRunner, TheEndMarkerFrameShowsNoStaleSpeaker) {
    WriteBytes("long.csv", StoryLine("古い名前", kNoSlots, "あC") + StoryLine("古い名前", kNoSlots, "いC"));
    LoadStoryScript("long.csv");
    WriteBytes("s.csv", StoryLine("ナル", "2,0,1,1,1,0,320,240,0,0,0,0,0,0,0,0,0,0,0,0", "あC"));
    LoadStoryScript("s.csv");
    EXPECT_STREQ(g_script[1].name, "");
    HeadlessHoldKey(KEY_Z, 1, 2);
    StoryFrame(69);
    StoryFrame(69);
    EXPECT_EQ(fucn_state, 69);
    // The last frame still shows the last row's background and portrait.
    EXPECT_EQ(g_storyView.background, 2);
    EXPECT_EQ(g_storyView.portrait[0], 1);
}
