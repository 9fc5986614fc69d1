// Pad input: hold counts, the keyboard/joypad merge, and CheckStatePad's range check.
#include <gtest/gtest.h>

#include <climits>

#include "framework/backend/headless/headless.h"
#include "framework/core/console.h"
#include "framework/framework.h"
#include "game/common/pad.h"

namespace {

// One frame of input on the headless platform: presenting advances the frame
// the key script reads.
void Frame() {
    PollKeyboard();
    PollJoypad();
    FlipScreen();
}

class PadTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessSelect();
        ASSERT_EQ(FrameworkInit(), 0);
        SetDrawTarget(-2);
        ResetPadConfig();
        ResetPadState();
        ResetBindings();
    }
    void TearDown() override { FrameworkEnd(); }
};

} // namespace

TEST_F(PadTest, HoldingZCountsUpAndReleasingClears) {
    HeadlessHoldKey(KEY_Z, 0, 3);
    int counts[4];
    for (int i = 0; i < 4; i++) {
        Frame();
        counts[i] = CheckStatePad(PadConfig.shot);
    }
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[1], 2);
    EXPECT_EQ(counts[2], 3);
    EXPECT_EQ(counts[3], 0);
}

TEST_F(PadTest, KeyPressedWhilePadButtonHeldGivesNoSecondPress) {
    HeadlessSetPadCount(1);
    HeadlessHoldPadButton(0, 0, 0, 100);    // button 1 feeds slot 4 (shot)
    HeadlessHoldKey(KEY_Z, 4, 100);
    for (int i = 1; i <= 8; i++) {
        Frame();
        EXPECT_EQ(CheckStatePad(PadConfig.shot), i) << "frame " << i;
    }
}

TEST_F(PadTest, DefaultSlotsAndDirections) {
    EXPECT_EQ(PadConfig.down, 0);
    EXPECT_EQ(PadConfig.left, 1);
    EXPECT_EQ(PadConfig.right, 2);
    EXPECT_EQ(PadConfig.up, 3);
    EXPECT_EQ(PadConfig.shot, 4);
    EXPECT_EQ(PadConfig.skip, 6);
    EXPECT_EQ(PadConfig.formation, 11);
    EXPECT_EQ(PadConfig.pause, 15);
    HeadlessHoldKey(KEY_UP, 0, 10);
    HeadlessHoldKey(KEY_ESCAPE, 0, 10);
    HeadlessSetPadCount(1);
    const int axes[4] = {-1000, 0, 0, 0};
    const uint8_t buttons[24] = {};
    HeadlessSetPad(0, axes, buttons);
    Frame();
    EXPECT_EQ(CheckStatePad(PadConfig.up), 1);
    EXPECT_EQ(CheckStatePad(PadConfig.pause), 1);
    EXPECT_EQ(CheckStatePad(PadConfig.left), 1);
    EXPECT_EQ(CheckStatePad(PadConfig.right), 0);
    EXPECT_EQ(CheckStatePad(PadConfig.down), 0);
}

TEST_F(PadTest, BadSlotsPrintAndReadAsMinusOne) {
    ConsoleReset();
    EXPECT_EQ(CheckStatePad(16), -1);
    EXPECT_EQ(CheckStatePad(-1), -1);
    EXPECT_STREQ(ConsoleLine(0), "CheckStatePadに渡した値が不正です");
    EXPECT_STREQ(ConsoleLine(1), "CheckStatePadに渡した値が不正です");
    PadConfig.shot = 99;
    HeadlessHoldKey(KEY_Z, 0, 10);
    Frame();   // the merge skips the bad slot instead of writing past the table
    EXPECT_EQ(CheckStatePad(PadConfig.shot), -1);
}

TEST_F(PadTest, KeyBytesOtherThanOneCountAsUp) {
    uint8_t keys[256] = {};
    keys[KEY_Z] = 1;
    HeadlessSetKeysNow(keys);
    Frame();
    EXPECT_EQ(KeyHoldCount(KEY_Z), 1);
    EXPECT_EQ(KeyHoldCount(-5), 0);
    EXPECT_EQ(KeyHoldCount(256), 0);
}

TEST_F(PadTest, RebindingMovesTheKeyAndButtonBehindAnActionAndSwapsTakenOnes) {
    struct Case {
        int from, to, key, button;       // frames [from, to) hold key and pad button (−1: none)
        int slot;                        // the slot expected held in those frames
    };
    ASSERT_TRUE(BindActionKey(ACTION_SHOT, KEY_X));
    ASSERT_TRUE(BindActionKey(ACTION_SKIP, KEY_X));     // taken by shot: shot gets Left Ctrl
    EXPECT_EQ(ActionKey(ACTION_SKIP), KEY_X);
    EXPECT_EQ(ActionKey(ACTION_SHOT), KEY_LCONTROL);
    EXPECT_FALSE(BindActionKey(ACTION_PAUSE, KEY_UP));   // moves the ship
    EXPECT_FALSE(BindActionKey(ACTION_PAUSE, KEY_F12));
    EXPECT_FALSE(BindActionKey(PAD_ACTIONS, KEY_SPACE));
    ASSERT_TRUE(BindActionButton(ACTION_SHOT, 2));
    ASSERT_TRUE(BindActionButton(ACTION_PAUSE, 2));     // pause takes 2, shot gets 12
    EXPECT_FALSE(BindActionButton(ACTION_SHOT, 25));
    ResetPadConfig();                                   // the title's reset keeps the bindings
    EXPECT_EQ(ActionButton(ACTION_SHOT), 12);

    HeadlessSetPadCount(1);
    const Case cases[] = {
        {0, 2, KEY_X, -1, 6},         // X now skips
        {2, 4, KEY_LCONTROL, -1, 4},  // Left Ctrl now shoots
        {4, 6, KEY_Z, -1, -1},        // Z does nothing any more
        {6, 8, -1, 1, 15},            // pad button 2 pauses
        {8, 10, -1, 11, 4},           // pad button 12 shoots
        {10, 12, -1, 0, -1},          // button 1 feeds no action's slot
    };
    for (const Case& c : cases) {
        if (c.key >= 0) HeadlessHoldKey(c.key, c.from, c.to);
        if (c.button >= 0) HeadlessHoldPadButton(0, c.button, c.from, c.to);
    }
    for (const Case& c : cases) {
        Frame();
        const unsigned actions = (1u << 4) | (1u << 6) | (1u << 11) | (1u << 15);
        EXPECT_EQ(PadHeldMask() & actions, c.slot >= 0 ? 1u << c.slot : 0u) << "frame " << c.from;
        Frame();
    }
    ResetBindings();
    EXPECT_EQ(ActionKey(ACTION_SHOT), KEY_Z);
    EXPECT_EQ(ActionButton(ACTION_PAUSE), 12);
}
