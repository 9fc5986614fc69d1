// Items, bursts and effects frame by frame: the drop and its scatter, drift and
// removal, pickup with its clamps, burst and flash timing, the blink.
#include <algorithm>
#include <cmath>

#include "tests/game/enemy_fixture.h"

namespace {

constexpr double PI = 3.1415926535898;

int Present() {
    int n = 0;
    for (int k = 0; k < ITEM_MAX; k++) n += item[k].state > 0;
    return n;
}

} // namespace

TEST_F(EnemyModule, DropOneItemAtTheEnemysPosition) {
    const auto r = NextFractions(31, 1);
    const int32_t kinds[6] = {1, -1, -1, -1, -1, -1};
    DropItems(123.5, 77.25, kinds);
    EXPECT_EQ(Present(), 1);
    const ItemRecord& it = item[0];
    EXPECT_EQ(it.state, 1);
    EXPECT_EQ(it.kind, 1);
    EXPECT_EQ(it.x, 123.5);
    EXPECT_EQ(it.y, 77.25);
    EXPECT_EQ(it.speed, 1.5);
    EXPECT_EQ(it.scale, 0.6);
    EXPECT_EQ(it.count, 0);
    EXPECT_EQ(RandomUpTo(10000) / 10000.0, r[0]);   // no draw used
}

TEST_F(EnemyModule, DropScatterTwoDrawsPerItemXFirst) {
    const auto r = NextFractions(8, 10);
    const int32_t kinds[6] = {5, 5, 5, 5, 5, 5};
    DropItems(300, 200, kinds);
    EXPECT_EQ(Present(), 6);
    EXPECT_EQ(item[0].x, 300);
    EXPECT_EQ(item[0].y, 200);
    for (int i = 1; i < 6; i++) {
        EXPECT_DOUBLE_EQ(item[i].x, 300 + 80 * r[2 * (i - 1)] - 40) << i;
        EXPECT_DOUBLE_EQ(item[i].y, 200 + 80 * r[2 * (i - 1) + 1] - 40) << i;
        EXPECT_EQ(item[i].scale, 1.0) << i;
        EXPECT_EQ(item[i].kind, 5) << i;
    }
    // The first value −1 still scatters the others.
    ResetItemsStage();
    const auto r2 = NextFractions(9, 2);
    const int32_t second[6] = {-1, 0, -1, -1, -1, -1};
    DropItems(50, 60, second);
    EXPECT_EQ(Present(), 1);
    EXPECT_DOUBLE_EQ(item[0].x, 50 + 80 * r2[0] - 40);
    EXPECT_DOUBLE_EQ(item[0].y, 60 + 80 * r2[1] - 40);
    EXPECT_EQ(item[0].scale, 0.6);
    // Scales of every kind.
    const double scale[6] = {0.6, 0.6, 1.0, 0.6, 1.0, 1.0};
    for (int k = 0; k < 6; k++) EXPECT_EQ(ItemScale(k), scale[k]);
}

TEST_F(EnemyModule, DropIntoAlmostFullTable) {
    for (int k = 0; k < 48; k++) item[k].state = 1;
    const auto r = NextFractions(17, 5);
    const int32_t kinds[6] = {2, -1, 3, 4, 1, -1};
    DropItems(400, 300, kinds);
    EXPECT_EQ(Present(), 50);
    EXPECT_EQ(item[48].kind, 2);
    EXPECT_EQ(item[48].x, 400);
    EXPECT_EQ(item[49].kind, 3);
    EXPECT_DOUBLE_EQ(item[49].x, 400 + 80 * r[0] - 40);
    // The lost items took no draws.
    EXPECT_EQ(RandomUpTo(10000) / 10000.0, r[2]);
}

TEST_F(EnemyModule, ItemsDriftAndLeave) {
    const int32_t kinds[6] = {0, -1, -1, -1, -1, -1};
    DropItems(-47, 100, kinds);     // −48.5, −50 (stays), −51.5 (freed)
    DropItems(300, 530, kinds);     // y 530 stays
    DropItems(300, 530.5, kinds);   // below 530: freed on its first move
    MoveItems();
    EXPECT_EQ(item[0].x, -48.5);
    EXPECT_EQ(item[0].count, 1);
    EXPECT_EQ(item[1].state, 1);
    EXPECT_EQ(item[2].state, 0);
    MoveItems();
    EXPECT_EQ(item[0].x, -50);
    EXPECT_EQ(item[0].state, 1);
    MoveItems();
    EXPECT_EQ(item[0].state, 0);
    EXPECT_EQ(item[1].state, 1);
    EXPECT_EQ(item[1].x, 295.5);
    EXPECT_EQ(item[1].count, 3);
}

TEST_F(EnemyModule, PickupDistanceAndEffects) {
    player.x = 100;
    player.y = 100;
    player.speed = 4;
    player.power = 0;
    const int32_t k0[6] = {0, -1, -1, -1, -1, -1};
    DropItems(119.9, 100, k0);      // 19.9 pixels: collected
    DropItems(120, 100, k0);        // exactly 20: not
    DropItems(112, 116, k0);        // 12, 16: exactly 20 again: not
    CollectItems();
    EXPECT_EQ(item[0].state, 0);
    EXPECT_EQ(item[1].state, 1);
    EXPECT_EQ(item[2].state, 1);
    EXPECT_EQ(player.speed, 4.5);

    const int gains[6] = {0, 3, 1, 1, 1, 10};
    for (int kind = 0; kind < 6; kind++) {
        ResetItemsStage();
        player.power = 100;
        player.speed = 5;
        const int32_t kinds[6] = {kind, -1, -1, -1, -1, -1};
        DropItems(100, 100, kinds);
        CollectItems();
        EXPECT_EQ(player.power, 100 + gains[kind]) << kind;
        EXPECT_EQ(player.speed, kind == 0 ? 5.5 : 5.0) << kind;
        EXPECT_EQ(player.score, 0) << kind;          // items give no score
    }
}

TEST_F(EnemyModule, PickupClampsThePlayerRecord) {
    player.x = 200;
    player.y = 200;
    // Six power items of 10 at power 450: 510, clamped to 500.
    player.power = 450;
    const int32_t six[6] = {5, 5, 5, 5, 5, 5};
    RandomSeed(3);
    DropItems(200, 200, six);
    for (int k = 0; k < 6; k++) {
        item[k].x = 200;
        item[k].y = 200;
    }
    CollectItems();
    EXPECT_EQ(player.power, 500);
    EXPECT_EQ(Present(), 0);

    // A speed item at 8.0 leaves 8.0; 7.75 goes to 8.0.
    const int32_t speedItem[6] = {0, -1, -1, -1, -1, -1};
    player.speed = 8.0;
    DropItems(200, 200, speedItem);
    CollectItems();
    EXPECT_EQ(player.speed, 8.0);
    player.speed = 7.75;
    DropItems(200, 200, speedItem);
    CollectItems();
    EXPECT_EQ(player.speed, 8.0);

    // Lives and score are clamped by any pickup, and only by a pickup.
    player.lives = 13;
    player.score = 1000000005;
    CollectItems();
    EXPECT_EQ(player.lives, 13);
    const int32_t p2[6] = {2, -1, -1, -1, -1, -1};
    DropItems(210, 190, p2);
    CollectItems();
    EXPECT_EQ(player.lives, 10);
    EXPECT_EQ(player.score, 999999999);
    player.power = 600;
    player.lives = 10;
    DropItems(200, 200, p2);
    CollectItems();
    EXPECT_EQ(player.power, 500);
    EXPECT_EQ(player.lives, 10);
}

TEST_F(EnemyModule, BurstFlashesAndTheirTiming) {
    const auto r = NextFractions(55, 5);
    EnemyRecord& e = Place(6, 45, 100, 100);
    e.burst_color = 3;
    StartBurst(6);
    EXPECT_EQ(burst[0].state, 1);
    EXPECT_EQ(burst[0].color, 3);
    EXPECT_EQ(burst[0].x, 100);
    EXPECT_EQ(burst[0].count, 0);

    // Frame f runs UpdateBursts then UpdateEffects: flashes start on frames 0, 2, 4, 6, 8.
    int started = 0;
    for (int f = 0; f < 40; f++) {
        UpdateBursts();
        UpdateEffects();
        EXPECT_EQ(burst[0].state, f < 9 ? 1 : 0) << f;
        if (f % 2 == 0 && f <= 8) started++;
        for (int k = 0; k < started; k++) {
            const EffectRecord& fx = effect[k];
            const int age = f - 2 * k + 1;           // updates run so far
            ASSERT_EQ(fx.state, age <= 20 ? 1 : 0) << "flash " << k << " frame " << f;
            if (fx.state == 0) continue;
            EXPECT_EQ(fx.count, age);
            EXPECT_NEAR(fx.scale, 0.08 * age, 1e-12);
            EXPECT_EQ(fx.alpha, age <= 10 ? 255 : 255 - 25 * (age - 10));
            EXPECT_EQ(fx.kind, EFFECT_FLASH);
            EXPECT_EQ(fx.blend, 1);
            EXPECT_EQ(fx.color, 3);
            EXPECT_EQ(fx.image, 1003);
            EXPECT_EQ(fx.x, 100);
            EXPECT_EQ(fx.y, 100);
            EXPECT_NEAR(fx.turn, 2 * PI * r[k] - PI, 1e-12);
        }
    }
    EXPECT_EQ(started, 5);
    for (int k = 0; k < EFFECT_MAX; k++) EXPECT_EQ(effect[k].state, 0) << k;
    EXPECT_EQ(ConsoleText(), "");
}

TEST_F(EnemyModule, FullBurstAndEffectTables) {
    Place(0, 45, 10, 20);
    for (int k = 0; k < BURST_MAX; k++) StartBurst(0);
    for (int k = 0; k < BURST_MAX; k++) EXPECT_EQ(burst[k].state, 1);
    enemy[0].x = 99;
    StartBurst(0);   // none free: skipped
    for (int k = 0; k < BURST_MAX; k++) EXPECT_EQ(burst[k].x, 10);

    ResetBurstsNewGame();
    for (int k = 0; k < EFFECT_MAX; k++) effect[k].state = 1, effect[k].kind = EFFECT_FLASH;
    effect[40].state = 0;
    EXPECT_EQ(FindFreeEffect(), 40);
    StartBurst(0);
    UpdateBursts();
    EXPECT_EQ(effect[40].kind, EFFECT_FLASH);
    EXPECT_EQ(FindFreeEffect(), -1);
    UpdateBursts();   // count 1: no flash due
    UpdateBursts();   // count 2: none free, skipped silently
    EXPECT_EQ(burst[0].count, 3);
}

TEST_F(EnemyModule, BlinkFlipsAlphaEveryFiveFrames) {
    player.x = 50;
    player.y = 60;
    effect[0].alpha = 100;     // left by the slot's previous effect; the blink does not set it
    effect[0].scale = 0.5;
    StartBlink();
    const EffectRecord& b = effect[0];
    EXPECT_EQ(b.state, 1);
    EXPECT_EQ(b.kind, EFFECT_BLINK);
    EXPECT_EQ(b.image, 1001);
    EXPECT_EQ(b.x, 50);
    EXPECT_EQ(b.scale, 0.5);
    double alpha = 100;
    for (int f = 0; f < 60; f++) {
        if (f % 5 == 0) alpha = -alpha;
        UpdateEffects();
        EXPECT_EQ(b.alpha, alpha) << f;
        EXPECT_EQ(b.state, f < 59 ? 1 : 0) << f;
    }
}

TEST_F(EnemyModule, ChargeBlinksNeverCrowdOutKillFlashes) {
    // A long charge starts a blink on every frame; then n enemies die at once
    // while it goes on. Every flash of their bursts shows (5 each, all alive
    // together on the ninth frame), the table full of flashes included, and
    // the charge never holds more than one (invisible) blink.
    Place(0, 45, 300, 200);
    for (int n : {9, 20}) {
        ResetEffectsStage();
        ResetBurstsNewGame();
        int mostBlinks = 0;
        auto frame = [&] {
            StartBlink();
            UpdateBursts();
            UpdateEffects();
            int blinks = 0;
            for (const EffectRecord& e : effect) blinks += e.state > 0 && e.kind == EFFECT_BLINK;
            mostBlinks = std::max(mostBlinks, blinks);
        };
        for (int f = 0; f < 80; f++) frame();
        for (int k = 0; k < n; k++) StartBurst(0);
        for (int f = 0; f < 9; f++) frame();
        int flashes = 0;
        for (const EffectRecord& e : effect) flashes += e.state > 0 && e.kind == EFFECT_FLASH;
        EXPECT_EQ(flashes, 5 * n) << n << " bursts";
        EXPECT_EQ(mostBlinks, 1) << n << " bursts";
    }
}

TEST_F(EnemyModule, EffectsMoveAndBadKindsReport) {
    EffectRecord& fx = effect[3];
    fx.state = 1;
    fx.kind = 2;
    fx.speed = 2;
    fx.angle = PI / 2;
    fx.x = 10;
    fx.y = 10;
    fx.alpha = 40;
    UpdateEffects();
    UpdateEffects();
    EXPECT_EQ(ConsoleText(), "effect設定エラーeffect設定エラー");
    EXPECT_EQ(ConsoleCurrentLine(), 2) << "each message ends its line";
    EXPECT_NEAR(fx.y, 14, 1e-12);
    EXPECT_EQ(fx.count, 0);
    EXPECT_EQ(fx.alpha, 40);
    EXPECT_EQ(fx.state, 1);
}
