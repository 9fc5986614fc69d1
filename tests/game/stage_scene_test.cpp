// Whole stages through the real main loop on the headless platform with the
// generated data: stage 0 played from its card through the boss, shot down by
// the ship, to the stage-clear sequence and the next card; a ship that
// loses every life and reaches the continue menu; and a charge held through a
// pause and the stage clear.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "framework/sound/sound_internal.h"
#include "game/player/boss.h"
#include "game/player/charge.h"
#include "game/player/player.h"
#include "game/common/assets.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"
#include "tests/support/game_data.h"

namespace {

// The player's hands: Shot tapped every other frame (a volley on each press,
// and the title, the story pages and the map story move on), arrows held
// towards a target height and column. `steer` picks the target each frame.
struct Hands {
    bool shoot = true;
    int targetX = -1, targetY = -1;   // −1: do not steer on that axis
    void Press(int frame) {
        uint8_t keys[PLATFORM_KEYS] = {};
        if (shoot && frame % 2 == 0) keys[KEY_Z] = 1;
        if (fucn_state == 30 && player.state == PLAYER_NORMAL) {
            if (targetY >= 0 && player.y < targetY - 4) keys[KEY_DOWN] = 1;
            if (targetY >= 0 && player.y > targetY + 4) keys[KEY_UP] = 1;
            if (targetX >= 0 && player.x < targetX - 4) keys[KEY_RIGHT] = 1;
            if (targetX >= 0 && player.x > targetX + 4) keys[KEY_LEFT] = 1;
        }
        HeadlessSetKeysNow(keys);
    }
};

std::vector<int> Compressed(const std::vector<int>& scenes, size_t from) {
    std::vector<int> out;
    for (size_t i = from; i < scenes.size(); i++)
        if (out.empty() || out.back() != scenes[i]) out.push_back(scenes[i]);
    return out;
}

} // namespace

TEST(StageScene, StageZeroFromItsCardThroughTheBossToTheNextCard) {
    ASSERT_TRUE(LinkGameData()) << "the dat target was not built";
    HeadlessSelect();
    Hands hands;
    std::vector<int> scenes, timers, bossHp;
    std::vector<double> shipX;
    int firstCard = -1, bossEntered = -1, bossDown = -1, brightness35 = 255;
    HeadlessOnPresent([&](int frame, const uint32_t*, int, int) {
        scenes.push_back(fucn_state);
        timers.push_back(scene_timer);
        bossHp.push_back(boss.hp);
        shipX.push_back(player.x);
        if (fucn_state == 29 && firstCard < 0) firstCard = frame;
        if (boss.state != BOSS_NONE && bossEntered < 0) bossEntered = frame;
        if (bossEntered > 0 && bossDown < 0 && boss.state == BOSS_NONE) bossDown = frame;
        if (fucn_state == 35) brightness35 = fade_brightness;
        // The ship is kept out of harm through its record; the boss is fought
        // down by the volleys alone, the ship following its height.
        player.invincible = 1;
        hands.targetY = boss.state != BOSS_NONE ? static_cast<int>(boss.y) : 240;
        hands.Press(frame);
        if (stage_number == 1 && fucn_state == 29) fucn_state = 900;
        if (frame > 30000) fucn_state = 900;
    });
    EXPECT_EQ(VortalisMain(), 0);

    ASSERT_GT(firstCard, 0);
    ASSERT_GT(bossEntered, 0) << "the boss never came";
    ASSERT_GT(bossDown, 0) << "the boss was not shot down within the frame budget";
    const std::vector<int> expect = {29, 30, 31, 32, 33, 34, 35, 36, 28, 29};
    EXPECT_EQ(Compressed(scenes, firstCard - 1), expect);
    EXPECT_EQ(stage_number, 1);

    // The clock stood at 8000 for the whole fight and the boss lost its hit
    // points to shots: they only ever fell, and ended below zero.
    for (int f = bossEntered; f < bossDown; f++) {
        EXPECT_EQ(timers[f - 1], 8000) << "frame " << f;
        if (f > bossEntered) {
            EXPECT_LE(bossHp[f - 1], bossHp[f - 2]) << "frame " << f;
        }
    }
    EXPECT_LT(bossHp[bossDown - 1], 0);
    EXPECT_GT(bossDown - bossEntered, 60) << "a fight, not a shortcut";
    std::printf("stage 0 boss shot down in %d frames; score %d\n", bossDown - bossEntered, player.score);
    // Stage clear 100 frames of the clock after the defeat.
    int cleared = -1;
    for (size_t i = 0; i < scenes.size(); i++)
        if (scenes[i] == 31) {
            cleared = static_cast<int>(i) + 1;
            break;
        }
    ASSERT_GT(cleared, 0);
    EXPECT_EQ(timers[cleared - 1], 8100);
    EXPECT_EQ(cleared - bossDown, 99);

    // Fly-off: the ship moves 2 pixels right on every frame of 34 and 35; the
    // fade of 35 lasts 300 frames, one step of brightness each.
    int in34 = 0, in35 = 0;
    for (size_t i = 1; i < scenes.size(); i++) {
        if (scenes[i - 1] != 34 && scenes[i - 1] != 35) continue;
        (scenes[i - 1] == 34 ? in34 : in35)++;
        EXPECT_DOUBLE_EQ(shipX[i] - shipX[i - 1], 2.0) << "frame " << i + 1;
    }
    EXPECT_GT(in34, 100);
    EXPECT_EQ(in35, 300);
    EXPECT_EQ(brightness35, 255 - 299) << "the last frame of 35 leads on to 36";
    EXPECT_GE(player.lives, 3) << "the ship was kept alive";
    EXPECT_GT(player.score, 0);
}

TEST(StageScene, ShipLosesEveryLifeAndTheContinueMenuOpens) {
    ASSERT_TRUE(LinkGameData()) << "the dat target was not built";
    HeadlessSelect();
    Hands hands;
    std::vector<int> scenes, lives, states;
    int continueAt = -1;
    HeadlessOnPresent([&](int frame, const uint32_t*, int, int) {
        scenes.push_back(fucn_state);
        lives.push_back(player.lives);
        states.push_back(player.state);
        // Through the title and the story with Shot; in play, hands off Shot
        // and parked in the middle of the field where the enemies come.
        hands.shoot = fucn_state < 28;
        hands.targetX = 400;
        hands.targetY = 240;
        hands.Press(frame);
        if (fucn_state == 302 && continueAt < 0) {
            continueAt = frame;
        } else if (continueAt > 0 && frame == continueAt + 5) {
            fucn_state = 900;
        }
        if (frame > 20000) fucn_state = 900;
    });
    EXPECT_EQ(VortalisMain(), 0);

    ASSERT_GT(continueAt, 0) << "the continue menu never opened";
    // Lives fell one at a time, 3 → −1, each on a re-entry after a death.
    std::vector<int> steps;
    for (size_t i = 0; i < lives.size(); i++)
        if (steps.empty() || steps.back() != lives[i]) steps.push_back(lives[i]);
    const size_t start = std::find(steps.begin(), steps.end(), 3) - steps.begin();
    ASSERT_LT(start, steps.size());
    EXPECT_EQ(std::vector<int>(steps.begin() + start, steps.end()), (std::vector<int>{3, 2, 1, 0, -1}));
    // The menu opens on the frame the fourth loss is counted, from play, and
    // the game stays there.
    const size_t lastLoss = std::find(lives.begin(), lives.end(), -1) - lives.begin();
    EXPECT_EQ(static_cast<int>(lastLoss) + 1, continueAt);
    EXPECT_EQ(scenes[continueAt - 2], 30);
    for (int f = continueAt; f < continueAt + 5; f++) EXPECT_EQ(scenes[f - 1], 302);
    int deaths = 0;
    for (size_t i = 1; i < states.size(); i++)
        deaths += states[i] == PLAYER_DYING && states[i - 1] != PLAYER_DYING;
    EXPECT_GE(deaths, 1);
    EXPECT_LE(deaths, 4);
}

TEST(StageScene, ChargeHumStopsWithPlayAndNoChargeCrossesAStage) {
    ASSERT_TRUE(LinkGameData()) << "the dat target was not built";
    HeadlessSelect();
    struct Frame {
        int scene, stage, charge;
        bool hum;
    };
    std::vector<Frame> frames;
    int phase = 0, paused = 0, fought = 0, chargeShotOnFirstFrame = -1;
    HeadlessOnPresent([&](int frame, const uint32_t*, int, int) {
        bool hum = false;
        if (const SoundRecord* r = SoundFromHandle(g_assets.se[SE_CHARGE]))
            for (const MixVoice& v : r->voices) hum = hum || v.playing;
        frames.push_back({fucn_state, stage_number, player.charge, hum});
        player.invincible = 1;
        uint8_t keys[PLATFORM_KEYS] = {};
        switch (phase) {
        case 0:   // through the title to play, then close to the boss
            if ((fucn_state == 1 || fucn_state == 10) && frame % 2 == 0) keys[KEY_Z] = 1;
            if (fucn_state == 20) fucn_state = 27;
            if (fucn_state == 30 && scene_timer == 100) {
                scene_timer = 7940;
                phase = 1;
            }
            break;
        case 1:   // charging; pause with Shot still held
            keys[KEY_Z] = 1;
            if (player.charge == 30) {
                keys[KEY_ESCAPE] = 1;
                phase = 2;
            }
            break;
        case 2:   // three menu frames, then back to play, Shot held throughout
            keys[KEY_Z] = 1;
            if (fucn_state == 301 && ++paused == 3) {
                keys[KEY_ESCAPE] = 1;
                phase = 3;
            }
            break;
        case 3:   // the boss falls after a few frames; Shot is held on to the next stage's card
            keys[KEY_Z] = 1;
            if (boss.state != BOSS_NONE && ++fought == 5) boss.hp = -1;
            if (fucn_state == 33) keys[KEY_LCONTROL] = 1;   // through the map story
            if (fucn_state == 29 && stage_number == 1) phase = 4;
            break;
        case 4:   // Shot released on the card; the next stage's first play frame
            if (fucn_state == 30) {
                chargeShotOnFirstFrame = charge_shot.state;
                fucn_state = 900;
            }
            break;
        }
        if (frame > 5000) fucn_state = 900;
        HeadlessSetKeysNow(keys);
    });
    EXPECT_EQ(VortalisMain(), 0);
    ASSERT_EQ(phase, 4);

    // The hum sounds on exactly the charged play frames: never while paused,
    // nor once the stage is cleared, where the charge is gone.
    int pauseFrames = 0, humAfterPause = 0, clearFrames = 0;
    for (size_t i = 1; i < frames.size(); i++) {
        const Frame& f = frames[i];
        if (frames[i - 1].scene == 301 && f.scene == 30) continue;   // the menu frame that resumed
        const bool play = f.scene == 30 && f.stage == 0;
        EXPECT_EQ(f.hum, play && f.charge >= 10) << "frame " << i + 1 << " scene " << f.scene;
        pauseFrames += f.scene == 301;
        humAfterPause += f.hum && pauseFrames > 0;
        if (f.scene >= 31 && f.scene != 301) {
            clearFrames++;
            EXPECT_EQ(f.charge, 0) << "frame " << i + 1 << " scene " << f.scene;
        }
    }
    EXPECT_EQ(pauseFrames, 3);
    EXPECT_GT(humAfterPause, 100) << "the charge held through the pause hums again";
    EXPECT_GT(clearFrames, 600);
    EXPECT_EQ(chargeShotOnFirstFrame, CHARGE_NONE) << "no charge shot carried into the next stage";
}
