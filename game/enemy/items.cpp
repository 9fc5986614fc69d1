// Items dropped by destroyed enemies, the bursts that bloom where they died, and
// the effect particles (burst flashes, the charge blink). Logic only; the
// play-field drawing reads these tables.
#include "game/enemy/items.h"

#include <cmath>
#include <cstring>

#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/common/assets.h"
#include "game/common/play_records.h"

ItemRecord item[ITEM_MAX];
BurstRecord burst[BURST_MAX];
EffectRecord effect[EFFECT_MAX];

namespace {

constexpr double PI = 3.1415926535898;
constexpr double TWO_PI = 6.2831853071796;

// Per kind: drawing scale, and what a pickup adds to the player's speed and power.
struct ItemKindRow {
    double scale;
    double speed;
    int power;
};

const ItemKindRow ITEM_KIND[ITEM_KIND_COUNT] = {
    {0.6, 0.5, 0},   // 0 p0: speed up
    {0.6, 0.0, 3},   // 1 p1
    {1.0, 0.0, 1},   // 2 p2
    {0.6, 0.0, 1},   // 3 p3
    {1.0, 0.0, 1},   // 4 p4
    {1.0, 0.0, 10},  // 5 p5
};

const int LIVES_MAX = 10;
const double SPEED_MAX = 8.0;
const int POWER_MAX = 500;
const int SCORE_MAX = 999999999;

// Items left behind past these lines are gone for good.
const double ITEM_BOTTOM = 530;
const double ITEM_LEFT = -50;

double RandomFraction() { return RandomUpTo(10000) / 10000.0; }

bool ValidKind(int kind) { return kind >= 0 && kind < ITEM_KIND_COUNT; }

int FlashImage(int color) { return (color >= 0 && color < FLASH_CELLS) ? g_assets.hitEffect[color] : -1; }

} // namespace

double ItemScale(int kind) { return ValidKind(kind) ? ITEM_KIND[kind].scale : 1.0; }

void ResetItemsStage(void) { std::memset(item, 0, sizeof item); }
void ResetEffectsStage(void) { std::memset(effect, 0, sizeof effect); }
void ResetBurstsNewGame(void) { std::memset(burst, 0, sizeof burst); }

void DropItems(double x, double y, const int32_t kinds[ITEM_DROPS]) {
    for (int i = 0; i < ITEM_DROPS; i++) {
        // −1 is no item; other kinds outside the table were reported at spawn.
        if (!ValidKind(kinds[i])) continue;
        int slot = -1;
        for (int k = 0; k < ITEM_MAX; k++)
            if (item[k].state == 0) {
                slot = k;
                break;
            }
        if (slot == -1) continue;
        ItemRecord& it = item[slot];
        it.speed = 1.5;
        it.state = 1;
        it.x = x;
        it.y = y;
        it.count = 0;
        if (i > 0) {
            it.x += 80 * RandomFraction() - 40;
            it.y += 80 * RandomFraction() - 40;
        }
        it.kind = kinds[i];
        it.scale = ITEM_KIND[kinds[i]].scale;
    }
}

void MoveItems(void) {
    for (int k = 0; k < ITEM_MAX; k++) {
        ItemRecord& it = item[k];
        if (it.state <= 0) continue;
        it.count++;
        it.x -= it.speed;
        if (it.y > ITEM_BOTTOM || it.x < ITEM_LEFT) it.state = 0;
    }
}

void CollectItems(void) {
    for (int k = 0; k < ITEM_MAX; k++) {
        ItemRecord& it = item[k];
        if (it.state <= 0) continue;
        const double dx = it.x - player.x, dy = it.y - player.y;
        if (dx * dx + dy * dy >= 400) continue;
        if (ValidKind(it.kind)) {
            player.speed += ITEM_KIND[it.kind].speed;
            player.power += ITEM_KIND[it.kind].power;
        }
        if (player.lives > LIVES_MAX) player.lives = LIVES_MAX;
        if (player.speed > SPEED_MAX) player.speed = SPEED_MAX;
        if (player.power > POWER_MAX) player.power = POWER_MAX;
        if (player.score > SCORE_MAX) player.score = SCORE_MAX;
        it.state = 0;
        PlaySoundHandle(g_assets.se[SE_ITEM_GET], 1, 1);
    }
}

void StartBurst(int enemyIndex) {
    for (int k = 0; k < BURST_MAX; k++) {
        BurstRecord& b = burst[k];
        if (b.state != 0) continue;
        b.x = enemy[enemyIndex].x;
        b.y = enemy[enemyIndex].y;
        b.state = 1;
        b.count = 0;
        b.color = enemy[enemyIndex].burst_color;
        return;
    }
}

int FindFreeEffect(void) {
    for (int k = 0; k < EFFECT_MAX; k++)
        if (effect[k].state == 0) return k;
    return -1;
}

namespace {

int FindLiveBlink() {
    for (int k = 0; k < EFFECT_MAX; k++)
        if (effect[k].state > 0 && effect[k].kind == EFFECT_BLINK) return k;
    return -1;
}

// A kill's flash takes the lowest free slot; when none is free it takes the
// charge blink's, which is never drawn, so a charge never hides a flash.
int FindFlashSlot() {
    const int k = FindFreeEffect();
    return k != -1 ? k : FindLiveBlink();
}

} // namespace

void UpdateBursts(void) {
    for (int k = 0; k < BURST_MAX; k++) {
        BurstRecord& b = burst[k];
        if (b.state <= 0) continue;
        if (b.count % 2 == 0) {
            const int f = FindFlashSlot();
            if (f != -1) {
                EffectRecord& e = effect[f];
                std::memset(&e, 0, sizeof e);
                e.alpha = 255;
                e.state = 1;
                e.color = b.color;
                e.blend = 1;
                e.image = FlashImage(b.color);
                e.kind = EFFECT_FLASH;
                e.turn = TWO_PI * RandomFraction() - PI;
                e.x = b.x;
                e.y = b.y;
                e.speed = 0;
            }
        }
        if (b.count > 8) b.state = 0;
        b.count++;
    }
}

void UpdateEffects(void) {
    for (int k = 0; k < EFFECT_MAX; k++) {
        EffectRecord& e = effect[k];
        if (e.state <= 0) continue;
        e.x += std::cos(e.angle) * e.speed;
        e.y += std::sin(e.angle) * e.speed;
        switch (e.kind) {
        case EFFECT_FLASH:
            e.scale += 0.08;
            e.count++;
            if (e.count > 10) e.alpha -= 25;
            if (e.count > 20) e.state = 0;
            break;
        case EFFECT_BLINK:
            if (e.count < 60 && e.count % 5 == 0) e.alpha = -e.alpha;
            e.count++;
            if (e.count >= 60) e.state = 0;
            break;
        default:
            ScreenPrintF("effect設定エラー\n");
            break;
        }
    }
}

// The charge starts a blink on every rising frame. One blink at a time is
// enough: a live one starts over at the ship (its 60 frames run from the last
// rising frame, as the newest of many would), so a long charge keeps one slot
// of the table instead of sixty.
void StartBlink(void) {
    int k = FindLiveBlink();
    if (k == -1) k = FindFreeEffect();
    if (k == -1) return;
    EffectRecord& e = effect[k];
    e.x = player.x;
    e.y = player.y;
    e.state = 1;
    e.count = 0;
    e.kind = EFFECT_BLINK;
    e.image = FlashImage(1);
}
