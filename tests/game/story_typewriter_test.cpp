// The shared typewriter, frame by frame: one character per frame, Shot
// completing then turning a page, skip alternating, the page marker and its
// blinking dot, and the limits of the box and the table.
#include "tests/game/story_support.h"

#include <iterator>
#include <random>

#include "tests/support/files.h"

namespace {

using Typewriting = StoryTest;

struct Expect {
    int row, col, line;
    const char* lastLine;   // box line `line`
    int scene;
};

void ExpectWriter(const Typewriter& tw, const Expect& e, int frame) {
    EXPECT_EQ(tw.row, e.row) << "frame " << frame;
    EXPECT_EQ(tw.col, e.col) << "frame " << frame;
    EXPECT_EQ(tw.line, e.line) << "frame " << frame;
    EXPECT_STREQ(tw.box[tw.line], e.lastLine) << "frame " << frame;
    EXPECT_EQ(fucn_state, e.scene) << "frame " << frame;
}

} // namespace

TEST_F(Typewriting, OneCharacterPerFrameThenTheBlinkingDotThenShotEndsTheScript) {
    SetScript({"あいうC"});
    HeadlessHoldKey(KEY_Z, 40, 41);
    const Expect typing[] = {
        {0, 2, 0, "あ", 20},
        {0, 4, 0, "あい", 20},
        {0, 6, 0, "あいう", 20},
    };
    for (int f = 0; f < 3; f++) {
        StoryFrame();
        ExpectWriter(g_storyWriter, typing[f], f);
        EXPECT_EQ(g_storyView.dot, 0) << "frame " << f;
    }
    // Waiting at the marker: the dot shows while frame counter mod 30 is 15..29.
    for (int f = 3; f < 40; f++) {
        const int counter = frame_counter;
        StoryFrame();
        ExpectWriter(g_storyWriter, {0, 6, 0, "あいう", 20}, f);
        EXPECT_TRUE(TypewriterWaiting(&g_storyWriter));
        EXPECT_EQ(g_storyView.dot, counter % 30 >= 15 ? 1 : 0) << "frame counter " << counter;
    }
    EXPECT_FALSE(PageDotVisible(14));
    EXPECT_TRUE(PageDotVisible(15));
    EXPECT_TRUE(PageDotVisible(29));
    EXPECT_FALSE(PageDotVisible(30));

    // Shot turns to the end marker and the script ends on that same frame.
    StoryFrame(27);
    EXPECT_EQ(fucn_state, 27);
    EXPECT_EQ(g_storyWriter.row, 0);
    EXPECT_EQ(g_storyWriter.col, 0);
    EXPECT_EQ(g_storyWriter.line, 0);
    EXPECT_EQ(g_storySlots[0].visible, 0);
    EXPECT_EQ(g_storySlots[1].visible, 0);
}

TEST_F(Typewriting, ShotCompletesThePageWithoutTurningItAndASecondShotTurnsIt) {
    SetScript({"あいう", "えおC", "かきC"});
    HeadlessHoldKey(KEY_Z, 1, 2);
    HeadlessHoldKey(KEY_Z, 3, 5);   // pressed on frame 3, merely held on frame 4
    const Expect frames[] = {
        {0, 2, 0, "あ", 20},
        {1, 4, 1, "えお", 20},   // the page revealed, waiting at its marker
        {1, 4, 1, "えお", 20},
        {2, 2, 0, "か", 20},     // turned; the new page's first character typed
        {2, 4, 0, "かき", 20},   // a held Shot types on as usual
        {2, 4, 0, "かき", 20},
    };
    for (int f = 0; f < 6; f++) {
        StoryFrame();
        ExpectWriter(g_storyWriter, frames[f], f);
        if (f == 1) {
            EXPECT_STREQ(g_storyWriter.box[0], "あいう");
        }
    }
    EXPECT_EQ(g_storyView.lines, 1);
}

TEST_F(Typewriting, HoldingSkipAlternatesRevealAndTurn) {
    SetScript({"あい", "うC", "えおC", "かC"});
    HeadlessHoldKey(KEY_LCONTROL, 0, 100);
    const Expect frames[] = {
        {1, 2, 1, "う", 20},     // page 1 revealed
        {2, 2, 0, "え", 20},     // turned, first character typed
        {2, 4, 0, "えお", 20},   // page 2 revealed
        {3, 2, 0, "か", 20},     // turned
        {0, 0, 0, "", 27},       // turned onto the end marker: the script ends
    };
    for (int f = 0; f < 5; f++) {
        StoryFrame(27);
        ExpectWriter(g_storyWriter, frames[f], f);
    }
}

TEST_F(Typewriting, ShotAndSkipTogetherAtTheLastPageNeverPassTheEndMarker) {
    SetScript({"あC"});
    Typewriter tw;
    ResetTypewriter(&tw);
    HeadlessHoldKey(KEY_Z, 1, 2);
    HeadlessHoldKey(KEY_LCONTROL, 1, 20);
    for (int f = 0; f < 10; f++) {
        Frame([&] { StepTypewriter(&tw); });
        if (f == 0) {
            EXPECT_STREQ(tw.box[0], "あ");
            continue;
        }
        EXPECT_EQ(tw.row, 1) << "frame " << f;
        EXPECT_EQ(tw.col, 0) << "frame " << f;
        EXPECT_EQ(tw.line, 0) << "frame " << f;
        for (int i = 0; i < BOX_LINES; i++) EXPECT_STREQ(tw.box[i], "") << "frame " << f << " line " << i;
    }

    // A last page without its marker stops on the end marker too.
    SetScript({"あい"});
    ResetTypewriter(&tw);
    HeadlessHoldKey(KEY_Z, 10, 20);
    for (int f = 0; f < 5; f++) Frame([&] { StepTypewriter(&tw); });
    EXPECT_EQ(tw.row, 1);
    EXPECT_EQ(tw.line, 1);
    EXPECT_STREQ(tw.box[0], "あい");
    EXPECT_STREQ(tw.box[1], "");

    // A table with no marker at all: the last row stands for one.
    for (int r = 0; r < SCRIPT_ROWS; r++) SetRow(r, "あ");
    ResetTypewriter(&tw);
    for (int f = 0; f < 5; f++) Frame([&] { StepTypewriter(&tw); });
    EXPECT_EQ(tw.row, SCRIPT_LAST_ROW);
    EXPECT_EQ(tw.line, BOX_LINES - 1);
    EXPECT_TRUE(IsEndRow(SCRIPT_LAST_ROW));
}

TEST_F(Typewriting, APageOfMoreThanFiveRowsScrollsInsideTheBox) {
    SetScript({"あ", "い", "う", "え", "お", "か", "きC", "くC"});
    Typewriter tw;
    ResetTypewriter(&tw);
    HeadlessHoldKey(KEY_Z, 0, 1);
    Frame([&] { StepTypewriter(&tw); });
    EXPECT_EQ(tw.row, 6);
    EXPECT_EQ(tw.col, 2);
    EXPECT_EQ(tw.line, BOX_LINES - 1);
    const char* expected[BOX_LINES] = {"う", "え", "お", "か", "き"};
    for (int i = 0; i < BOX_LINES; i++) EXPECT_STREQ(tw.box[i], expected[i]) << "line " << i;
    EXPECT_TRUE(TypewriterWaiting(&tw));

    // Typed one frame at a time the same page ends the same way.
    ResetTypewriter(&tw);
    for (int f = 0; f < 40 && !TypewriterWaiting(&tw); f++) Frame([&] { StepTypewriter(&tw); });
    EXPECT_EQ(tw.row, 6);
    EXPECT_EQ(tw.line, BOX_LINES - 1);
    for (int i = 0; i < BOX_LINES; i++) EXPECT_STREQ(tw.box[i], expected[i]) << "line " << i;
}

TEST_F(Typewriting, OddLengthTextsStayInsideTheRowAndTheBox) {
    SetScript({"あいa", "うC"});
    Typewriter tw;
    ResetTypewriter(&tw);
    const int cols[] = {2, 4, 5, 0, 2};
    const int rows[] = {0, 0, 0, 1, 1};
    for (int f = 0; f < 5; f++) {
        Frame([&] { StepTypewriter(&tw); });
        EXPECT_EQ(tw.row, rows[f]) << "frame " << f;
        EXPECT_EQ(tw.col, cols[f]) << "frame " << f;
    }
    EXPECT_STREQ(tw.box[0], "あいa");
    EXPECT_STREQ(tw.box[1], "う");

    // 255 bytes ending in a lone lead byte: copied up to the last byte, no further.
    std::string text;
    for (int i = 0; i < 127; i++) text += "あ";
    text += '\x82';
    ASSERT_EQ(text.size(), 255u);
    SetScript({text.c_str(), "えC"});
    ResetTypewriter(&tw);
    HeadlessHoldKey(KEY_Z, HeadlessFrameCount(), HeadlessFrameCount() + 1);
    Frame([&] { StepTypewriter(&tw); });
    EXPECT_EQ(std::string(tw.box[0]), text);
    EXPECT_STREQ(tw.box[1], "え");
    EXPECT_EQ(tw.row, 1);
}

TEST_F(Typewriting, ScrambledScriptsNeverLeaveTheTableOrTheBox) {
    // Scripts made of the bytes that matter to the reader and the typewriter:
    // separators, comments, markers, line ends, digits and Shift-JIS pairs.
    const std::string pieces[] = {",", "/", "C", "X", "\r\n", "\n", "\r", "0", "7", "A", "あ", "い", "\x82",
                                  "ナル,", "1,1,2,0,320,240,", "あC\r\n"};
    std::mt19937 random(12345);
    Typewriter tw;
    for (int script = 0; script < 150; script++) {
        std::string bytes;
        const int count = static_cast<int>(random() % 600);
        for (int i = 0; i < count; i++) bytes += pieces[random() % std::size(pieces)];
        WriteBytes("r.csv", bytes);
        const int rows = LoadScriptRows("r.csv", script % 2 ? SCRIPT_FORMAT_MAP : SCRIPT_FORMAT_STORY);
        ASSERT_GE(rows, 0);
        ASSERT_LE(rows, SCRIPT_LAST_ROW);
        ASSERT_TRUE(IsEndRow(rows));
        for (int r = 0; r < rows; r++) {
            ASSERT_LT(std::strlen(g_script[r].name), static_cast<size_t>(SCRIPT_NAME_BYTES));
            ASSERT_LT(std::strlen(g_script[r].text), static_cast<size_t>(SCRIPT_TEXT_BYTES));
        }
        ResetTypewriter(&tw);
        ResetPadState();
        for (int step = 0; step < 600; step++) {
            if (step == 300) HeadlessHoldKey(KEY_LCONTROL, HeadlessFrameCount(), HeadlessFrameCount() + 1);
            if (step >= 300) {
                PollKeyboard();
                PollJoypad();
            }
            StepTypewriter(&tw);
            ASSERT_GE(tw.row, 0);
            ASSERT_LE(tw.row, rows);
            ASSERT_GE(tw.line, 0);
            ASSERT_LT(tw.line, BOX_LINES);
            ASSERT_GE(tw.col, 0);
            ASSERT_LT(tw.col, SCRIPT_TEXT_BYTES);
            for (int i = 0; i < BOX_LINES; i++) ASSERT_LT(std::strlen(tw.box[i]), static_cast<size_t>(BOX_LINE_BYTES));
        }
    }
}
