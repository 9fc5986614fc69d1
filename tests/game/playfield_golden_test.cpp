// A busy frame of stage 0 from the real main loop and data, compared pixel for
// pixel with tests/golden/playfield_busy.png: enemies, their bullets, items,
// bursts, the three options in front formation and the charge glow at once,
// with the HUD under them. Refreshing it: tests/golden/README.md.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/options.h"
#include "game/player/player.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"
#include "tests/support/game_data.h"
#include "tests/support/image_test_support.h"

namespace {

struct FieldCounts {
    int enemies = 0, bullets = 0, items = 0, bursts = 0, effects = 0, options = 0;
};

FieldCounts CountField() {
    FieldCounts c;
    for (const EnemyRecord& e : enemy) c.enemies += e.state == 1;
    for (const ShotGroupRecord& g : eshot)
        if (g.state != 0)
            for (const BulletRecord& b : g.bullet) c.bullets += b.state > 0;
    for (const ItemRecord& it : item) c.items += it.state > 0;
    for (const BurstRecord& b : burst) c.bursts += b.state > 0;
    for (const EffectRecord& e : effect) c.effects += e.state > 0;
    for (const OptionRecord& o : option) c.options += o.enabled;
    return c;
}

int Least(int a, int b) { return a < b ? a : b; }

// How busy a frame is; 0 unless every kind of object is there and the glow shows.
int Busyness(const FieldCounts& c) {
    if (c.enemies < 1 || c.bullets < 1 || c.items < 1 || c.bursts < 1 || c.options < 3) return 0;
    if (player.charge <= 0 || player.charge % 4 > 2) return 0;
    return Least(c.enemies, 6) + Least(c.bullets, 6) + Least(c.items, 6) + 2 * Least(c.bursts, 3);
}

} // namespace

TEST(PlayFieldGolden, BusyStageZeroFrame) {
    ASSERT_TRUE(LinkGameData()) << "the dat target was not built";
    HeadlessSelect();
    int chosen = -1, best = 0;
    FieldCounts seen;
    std::vector<uint32_t> frameKept;
    int width = 0, height = 0;
    HeadlessOnPresent([&](int frame, const uint32_t* pixels, int w, int h) {
        if (fucn_state == 29) {
            // Power for all three options, which then take the front formation.
            player.power = 40;
            formation_mode = FORMATION_FRONT;
        }
        if (fucn_state == 30) {
            player.invincible = 1;
            // The busiest frame before the boss keeps its presented pixels.
            const FieldCounts c = CountField();
            const int score = Busyness(c);
            if (score > best) {
                best = score;
                chosen = frame;
                seen = c;
                frameKept.assign(pixels, pixels + static_cast<size_t>(w) * h);
                width = w, height = h;
            }
            if (scene_timer >= 7900) fucn_state = 900;
        }
        if (frame > 12000) fucn_state = 900;
        // Shot left alone for 50 frames (enemies gather and fire), tapped for
        // 50 (kills, bursts, items), then held for 40 (the charge glows).
        uint8_t keys[PLATFORM_KEYS] = {};
        const int phase = frame % 140;
        keys[KEY_Z] = phase < 50 ? 0 : phase < 100 ? frame % 2 == 0 : 1;
        if (fucn_state < 28) keys[KEY_Z] = frame % 2 == 0;
        if (fucn_state == 30) {
            const int lane = 120 + (frame / 280 % 3) * 120;   // sweep three lanes
            if (player.y < lane - 4) keys[KEY_DOWN] = 1;
            if (player.y > lane + 4) keys[KEY_UP] = 1;
            if (player.x < 120) keys[KEY_RIGHT] = 1;
        }
        HeadlessSetKeysNow(keys);
    });
    EXPECT_EQ(VortalisMain(), 0);
    ASSERT_GT(chosen, 0) << "no frame showed every kind of object";
    std::printf("busy frame %d: %d enemies, %d bullets, %d items, %d bursts, %d effects\n", chosen, seen.enemies,
                seen.bullets, seen.items, seen.bursts, seen.effects);
    EXPECT_GE(seen.enemies, 2);
    EXPECT_GE(seen.items, 2);

    EXPECT_TRUE(MatchesGoldenFrame("playfield_busy", frameKept.data(), width, height, width));
}
