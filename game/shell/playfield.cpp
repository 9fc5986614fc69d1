// Play-field and HUD drawing. Logic never draws; this only reads the records of
// the ship, enemies, bullets, items, effects and the boss, in a fixed order, with
// the fade applied to everything but the ship, its charge glow and the
// foreground effects.
#include "game/shell/playfield.h"

#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/charge.h"
#include "game/player/options.h"
#include "game/player/player.h"
#include "game/player/shots.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"

int scroll_counter;

namespace {

const double PI = 3.1415926535898;
const double TWO_PI = 6.2831853071796;
const double HALF_PI = 1.5707963267949;
const float POWER_DIGIT_SCALE = 0.9f;

void FadeOn() {
    if (fade_brightness != 255) SetDrawBrightness(fade_brightness, fade_brightness, fade_brightness);
}

void FadeOff() {
    if (fade_brightness != 255) SetDrawBrightness(255, 255, 255);
}

void DrawCentred(double x, double y, double scale, double angle, int image) {
    DrawImageRotatedF(static_cast<float>(x), static_cast<float>(y), scale, angle, image, 1, 0);
}

// One layer twice, side by side 700 pixels apart.
void DrawLayerPair(int image, int x) {
    DrawImageAtF(static_cast<float>(x + 700), 0.0f, image, 1);
    DrawImageAtF(static_cast<float>(x), 0.0f, image, 1);
}

void DrawBackground(int s) {
    const int* layer = g_assets.background[stage_number >= 0 && stage_number < STAGE_COUNT ? stage_number : 0];
    DrawLayerPair(layer[2], ((-s) % 3500) / 5);
    DrawLayerPair(layer[1], ((-s) % 2800) / 4);
    DrawLayerPair(layer[0], (-s) % 700);
    DrawLayerPair(layer[3], (-5 * s) % 700);
}

void DrawEffects(int kind) {
    for (const EffectRecord& e : effect) {
        if (e.state <= 0 || e.kind != kind) continue;
        if (e.blend == 1) SetBlendMode(2, static_cast<int>(e.alpha));
        else if (e.blend == 2) SetBlendMode(1, static_cast<int>(e.alpha));
        DrawCentred(e.x, e.y, e.scale, e.turn, e.image);
        if (e.blend == 1 || e.blend == 2) SetBlendMode(0, 0);
    }
}

// A halo spinning both ways behind each item.
void DrawItems() {
    const double turn = (frame_counter % 120) * TWO_PI / 120;
    const double back = (frame_counter % 120) * -TWO_PI / 120;
    for (const ItemRecord& it : item) {
        if (it.state <= 0 || it.kind < 0 || it.kind >= ITEM_KIND_COUNT) continue;
        DrawCentred(it.x, it.y, it.scale, turn, g_assets.item[it.kind][1]);
        DrawCentred(it.x, it.y, 0.8 * it.scale, back, g_assets.item[it.kind][1]);
        DrawCentred(it.x, it.y, it.scale, 0, g_assets.item[it.kind][0]);
    }
}

// The boss blinks while hit: it is drawn only on even flash frames.
void DrawBoss() {
    if (boss.state == BOSS_NONE || boss.flashTimer % 2 != 0) return;
    if (stage_number < 0 || stage_number >= STAGE_COUNT) return;
    DrawCentred(boss.x, boss.y, 1, boss.angle + PI, g_assets.boss[stage_number]);
}

void DrawTail() {
    for (int i = 1; i < TAIL_SEGMENTS; i++) {
        const TailSegment& t = boss_tail[i];
        if (t.state == 1) DrawCentred(t.x, t.y, 1, t.angle + PI, g_assets.boss3Second);
    }
}

void DrawEnemies() {
    for (const EnemyRecord& e : enemy) {
        if (e.state != 1 || e.image < 0 || e.image >= ENEMY_KINDS * ENEMY_POSES) continue;
        if (e.anim < 0 || e.anim >= ENEMY_CELLS) continue;
        DrawCentred(e.x, e.y, 1, 0, g_assets.enemy[e.image * ENEMY_CELLS + e.anim]);
    }
}

void DrawShotsAndOptions() {
    for (const PlayerShot& s : player_shot)
        if (s.state != 0) DrawCentred(s.x, s.y, 1, 0, s.image);
    static const int TIMES[OPTIONS] = {4, 2, 2};
    for (int o = 0; o < OPTIONS; o++) {
        if (!option[o].enabled) continue;
        const int image = o == 0 ? g_assets.option : option[o].image;
        for (int k = 0; k < TIMES[o]; k++) DrawCentred(option[o].x, option[o].y, 1, 0, image);
    }
}

void DrawChargeShot() {
    if (charge_shot.state == 0) return;
    for (int i = 0; i < CHARGE_SEGMENTS; i++)
        DrawCentred(charge_shot.x[i], charge_shot.y[i], 1, charge_shot.angle + HALF_PI, g_assets.chargeShot[i]);
}

void DrawShip() {
    if (player.blink % 2 != 0 || player.cell < 0 || player.cell >= 12) return;
    DrawCentred(player.x, player.y, 1, 0, g_assets.ship[player.cell]);
}

void DrawChargeGlow() {
    const int k = player.charge;
    if (k <= 0 || k % 4 > 2) return;
    const int cell = k / 30 < 2 ? k / 30 : 2;
    DrawCentred(player.x, player.y, 1, 0, g_assets.chargeGlow[cell]);
}

void DrawBullet(const BulletRecord& b, double headingAngle) {
    if (b.kind < 0 || b.kind >= BULLET_KINDS) return;
    const ShotGraphicRecord& g = shot_graphic[b.kind];
    const double angle = g.spin ? (b.count % 120) * TWO_PI / 120 : headingAngle;
    if (b.additive == 1) SetBlendMode(2, 255);
    DrawCentred(b.x, b.y, 1, angle, g.image);
    if (b.additive == 1) SetBlendMode(0, 0);
}

void DrawBullets() {
    SetScaleFilter(1);
    for (const ShotGroupRecord& group : eshot) {
        if (group.state == 0) continue;
        for (const BulletRecord& b : group.bullet)
            if (b.state > 0) DrawBullet(b, b.angle + HALF_PI);
    }
    if (boss.state != BOSS_NONE && boss_bullets.active) {
        for (const BulletRecord& b : boss_bullets.bullet)
            if (b.state > 0) DrawBullet(b, b.angle);
    }
    SetScaleFilter(0);
}

void DrawDigit(int x, int y, double scale, int digit) {
    DrawImageRotated(x, y, scale, 0.0, g_assets.digits[digit], 1, 0);
}

} // namespace

void ResetScrollCounter(void) { scroll_counter = 0; }

void DrawPlayField(void) {
    FadeOn();
    scroll_counter++;
    DrawBackground(scroll_counter);
    DrawEffects(0);
    FadeOff();
    DrawEffects(4);
    FadeOn();
    DrawItems();
    DrawBoss();
    DrawTail();
    DrawEnemies();
    DrawShotsAndOptions();
    DrawChargeShot();
    FadeOff();
    DrawShip();
    SetBlendMode(4, 255);
    DrawChargeGlow();
    SetBlendMode(0, 0);
    FadeOn();
    DrawBullets();
    FadeOff();
}

void DrawHud(void) {
    const int white = g_assets.white;
    DrawTextFontFmt(440, 460, white, g_assets.fontHud, "Score:");
    DrawTextFontFmt(320, 460, white, g_assets.fontHud, "Power:");
    DrawTextFontFmt(200, 460, white, g_assets.fontHud, "Player:");

    int score = player.score < 0 ? 0 : player.score;
    for (int i = 0; i < 9; i++) {
        DrawDigit(625 - 15 * i, 470, 1.0, score % 10);
        score /= 10;
    }
    for (int i = 0; i < player.lives; i++) DrawImageAt(270 + 12 * i, 460, g_assets.lifeIcon, 1);

    const int power = player.power < 0 ? 0 : player.power;
    DrawDigit(430, 470, POWER_DIGIT_SCALE, power % 10);
    DrawDigit(419, 470, POWER_DIGIT_SCALE, power / 10 % 10);
    DrawDigit(396, 470, POWER_DIGIT_SCALE, power / 100 % 10);
    // The decimal point in the labels' outlined font: the default font's dot
    // was a faint speck between the digits, and 5.00 read as "5  00".
    DrawTextFontFmt(403, 460, white, g_assets.fontHud, ".");
}
