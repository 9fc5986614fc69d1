// Shared by the player module tests: a scripted pad standing in for
// CheckStatePad, a fixture with the framework running headless and a fresh
// new game, and one play frame of the ship's steps in the play scene's order.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/enemy/items.h"
#include "game/player/charge.h"
#include "game/player/options.h"
#include "game/player/player.h"
#include "game/player/shots.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/pad.h"

namespace player_test {

inline int g_slots[PAD_SLOTS];

inline int ScriptedPad(int slot) {
    return static_cast<unsigned>(slot) < PAD_SLOTS ? g_slots[slot] : -1;
}

// One frame of input: the listed slots are held one frame longer, the rest are up.
inline void Hold(std::initializer_list<int> held) {
    for (int s = 0; s < PAD_SLOTS; s++) {
        bool on = false;
        for (int h : held) on = on || h == s;
        g_slots[s] = on ? g_slots[s] + 1 : 0;
    }
}

// The ship's steps of one play frame, in the play scene's order.
inline void PlayFrame() {
    UpdatePlayerState();
    MovePlayer();
    UpdateShots();
    MoveChargeShot();
    UpdateCharge();
    UpdateOptions();
}

inline int FlyingShots() {
    int n = 0;
    for (const PlayerShot& s : player_shot) n += s.state == SHOT_FLYING;
    return n;
}

inline int g_blinks;
inline void CountBlink() { g_blinks++; }

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessSelect();
        ChangeWindowMode(1);
        ASSERT_EQ(FrameworkInit(), 0);
        ResetPadConfig();
        for (int& s : g_slots) s = 0;
        player_read_pad = ScriptedPad;
        g_blinks = 0;
        charge_start_blink = CountBlink;
        charge_shot = ChargeShot{};
        g_assets.leek = 101;
        g_assets.note = 102;
        g_assets.option = 103;
        g_assets.chargeShot[1] = 104;
        fade_brightness = 255;
        ResetPlayerNewGame();
    }
    void TearDown() override {
        player_read_pad = CheckStatePad;
        charge_start_blink = StartBlink;
        FrameworkEnd();
    }
};

} // namespace player_test
