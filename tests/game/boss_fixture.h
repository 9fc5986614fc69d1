// Shared set-up of the boss and collision tests: the headless framework running
// (random numbers), every table of a stage cleared, the bullet kinds' radii set,
// and the sound-effect slots the boss steps and the collision pass play recorded
// with the frame they were played on.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/core/random.h"
#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/charge.h"
#include "game/player/collision.h"
#include "game/player/player.h"
#include "game/player/shots.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"

namespace boss_test {

// (frame, slot) of every sound played.
inline std::vector<std::pair<int, int>> g_sounds;
inline int g_frame;

inline void RecordSound(int slot) { g_sounds.push_back({g_frame, slot}); }

inline int Plays(int slot) {
    int n = 0;
    for (const auto& s : g_sounds) n += s.second == slot;
    return n;
}

inline std::vector<int> FramesOf(int slot) {
    std::vector<int> frames;
    for (const auto& s : g_sounds)
        if (s.second == slot) frames.push_back(s.first);
    return frames;
}

inline std::vector<int> Slots() {
    std::vector<int> slots;
    for (const auto& s : g_sounds) slots.push_back(s.second);
    return slots;
}

inline int FlyingBossBullets() {
    int n = 0;
    for (const BulletRecord& b : boss_bullets.bullet) n += b.state > 0;
    return n;
}

// The next values RandomUpTo(10000) gives, without using them up.
inline std::vector<int> NextDraws(uint32_t seed, int count) {
    RandomSeed(seed);
    std::vector<int> r;
    for (int k = 0; k < count; k++) r.push_back(RandomUpTo(10000));
    RandomSeed(seed);
    return r;
}

class BossTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessSelect();
        ASSERT_EQ(FrameworkInit(), 0);
        RandomSeed(20261208);
        for (int k = 0; k < BULLET_KINDS; k++) g_assets.bulletGraphic[k] = 2000 + k;
        ResetShotGraphics();
        ResetPlayerNewGame();
        ResetEnemiesStage();
        ResetShotGroupsStage();
        ResetItemsStage();
        ResetEffectsStage();
        ResetBurstsNewGame();
        ResetBossStage();
        charge_shot = ChargeShot{};
        scene_timer = 0;
        stage_number = 0;
        g_sounds.clear();
        g_frame = 0;
        boss_play_se = RecordSound;
        collision_play_se = RecordSound;
    }
    void TearDown() override { FrameworkEnd(); }

    // A boss already fighting at (x, y) with its block active, as the entry leaves it.
    static void Enter(int stage, double x = 600, double y = 240) {
        stage_number = stage;
        scene_timer = boss.endTime;
        boss.state = BOSS_FIGHTING;
        boss.x = x;
        boss.y = y;
        boss.count = 0;
        boss_bullets.active = 1;
    }

    // A live enemy in slot i with no items and no shot.
    static EnemyRecord& Place(int i, double x, double y, int hp) {
        EnemyRecord& e = enemy[i];
        std::memset(&e, 0, sizeof e);
        e.state = 1;
        e.pose = 1;
        e.x = x;
        e.y = y;
        e.hp = e.hp_start = hp;
        for (int k = 0; k < STORY_DROPS; k++) e.drop[k] = -1;
        return e;
    }

    // A flying player shot in slot i, already moved once.
    static PlayerShot& Shoot(int i, double x, double y, int damage, int kind = SHOT_KIND_MAIN,
                             double angle = GAME_PI / 2, double speed = 10) {
        PlayerShot& s = player_shot[i];
        s = PlayerShot{};
        s.state = SHOT_FLYING;
        s.damage = damage;
        s.count = 1;
        s.kind = kind;
        s.x = x;
        s.y = y;
        s.angle = angle;
        s.speed = speed;
        return s;
    }
};

} // namespace boss_test
