// Bosses: the record, the boss-bullet block and their resets; the boss's entry at
// the stage end time, its phases, defeat, motion and hit flash, and the flight of
// its bullets. Called by the play scene, the stage reset and the menus.
#include "game/player/boss.h"

#include <cmath>
#include <cstring>

#include "framework/framework.h"
#include "game/player/player.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"

BossRecord boss;
BossBulletBlock boss_bullets;
TailSegment boss_tail[TAIL_SEGMENTS];
BossHistory boss_history;

namespace {

void PlaySe(int slot) { PlaySoundHandle(g_assets.se[slot], 1, 1); }

const int BOSS_RADIUS[] = {50, 50, 50, 25, 120};
static_assert(sizeof BOSS_RADIUS / sizeof BOSS_RADIUS[0] == STAGE_COUNT, "one boss radius per stage");

bool ValidStage() { return stage_number >= 0 && stage_number < STAGE_COUNT; }

// Lowest hit points of phases 0..7; phase 8 runs down to 1.
const int PHASE_FLOOR[8] = {27000, 24000, 21000, 18000, 15000, 12000, 9000, 6000};

} // namespace

void (*boss_play_se)(int slot) = PlaySe;

void ResetBossStage(void) {
    std::memset(&boss, 0, sizeof boss);
    boss.endTime = STAGE_END_TIME;
    boss.hp = BOSS_HP_START;
    boss.hpMax = BOSS_HP_START;
    ClearBossBullets();
    std::memset(boss_tail, 0, sizeof boss_tail);
    std::memset(&boss_history, 0, sizeof boss_history);
}

void ClearBossBullets(void) { std::memset(&boss_bullets, 0, sizeof boss_bullets); }

bool BossBeaten(void) { return boss.state == BOSS_NONE && scene_timer >= boss.endTime; }

int BossRadius(void) { return ValidStage() ? BOSS_RADIUS[stage_number] : BOSS_RADIUS[0]; }

int FindFreeBossBullet(void) {
    for (int b = 0; b < BOSS_BULLETS; b++)
        if (boss_bullets.bullet[b].state == 0) return b;
    return -1;
}

double AimAtShipFrom(double x, double y) { return std::atan2(player.y - y, player.x - x); }

double AimAtShip(void) { return AimAtShipFrom(boss.x, boss.y); }

void UpdateBossPhase(void) {
    const int hp = boss.hp;
    // Outside 1..30000 the phase stays where it was.
    if (hp > BOSS_HP_START || hp <= 0) return;
    int phase = 0;
    while (phase < 8 && hp <= PHASE_FLOOR[phase]) phase++;
    boss.phase = phase;
}

void UpdateBoss(void) {
    if (boss.state == BOSS_NONE) {
        if (scene_timer != boss.endTime) return;
        boss.state = BOSS_FIGHTING;
        boss.x = 600;
        boss.y = 240;
        boss.count = 0;
        boss_bullets.active = 1;
    }
    UpdateBossPhase();
    if (boss.hp < 0) {
        boss.state = BOSS_NONE;
        for (TailSegment& s : boss_tail) s.state = 0;
        boss_play_se(SE_BOSS_DEATH);
        ClearBossBullets();
    }
    if (boss_bullets.active == 1 && ValidStage()) {
        boss_pattern_table[stage_number]();
        MoveBossBullets();
    }
}

void MoveBossBullets(void) {
    for (BulletRecord& b : boss_bullets.bullet) {
        if (b.state <= 0) continue;
        b.x += std::cos(b.angle) * b.speed;
        b.y += std::sin(b.angle) * b.speed;
        b.count++;
        if (b.count > b.keep && (b.x < -50 || b.x > 690 || b.y < -50 || b.y > 530)) b.state = 0;
    }
    boss_bullets.count++;
}

void MoveBoss(void) {
    if (boss.state == BOSS_FIGHTING || boss.state == BOSS_FLASHING) {
        if (ValidStage()) boss_pattern_table[BOSS_SHOT_PATTERNS + stage_number]();
        boss.x += std::cos(boss.angle) * boss.speed;
        boss.y += std::sin(boss.angle) * boss.speed;
        boss.x += boss.vx;
        boss.y += boss.vy;
    }
    boss.count++;
    // A hit during the flash does not restart it: the timer runs on to 150.
    if (boss.state == BOSS_FLASHING) {
        boss.flashTimer++;
        if (boss.flashTimer >= BOSS_FLASH_FRAMES) {
            boss.flashTimer = 0;
            boss.state = BOSS_FIGHTING;
        }
    }
}
