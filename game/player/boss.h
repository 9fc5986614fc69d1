// Bosses: the boss record (its state is the boss-fight flag that stops the stage
// clock), the boss-bullet block, the tail with the boss's position history and the
// boss pattern table. The play scene calls UpdateBoss, MoveBoss, UpdateBossTail.
#pragma once

#include <cstdint>

#include "game/common/game_state.h"
#include "game/common/play_records.h"
#include "game/enemy/shots.h"

enum {
    BOSS_HP_START = 30000,
    BOSS_FLASH_FRAMES = 150,       // frames of state 2 after a hit
    BOSS_BULLETS = 300,            // bullets of the boss-bullet block
    TAIL_SEGMENTS = 11,            // segments 0..10; 1..10 are drawn and hit
    TAIL_RING = 270,               // positions kept in the boss's history
    TAIL_SPACING = 27,             // history entries between two segments
    BOSS_SHOT_PATTERNS = STAGE_COUNT,   // the first rows: each stage's shot pattern
    BOSS_PATTERNS = 2 * STAGE_COUNT,   // then each stage's movement pattern
};

struct BossBulletBlock {
    int32_t active;        // 1 while the boss fights
    int32_t count;         // frames of bullet movement since the block became active
    BulletRecord bullet[BOSS_BULLETS];
};

struct TailSegment {
    int32_t state;         // 1 = part of the tail
    double x, y;
    double angle;          // never written: segments are drawn at angle + π
};

// Where the boss was: the ring the tail segments read, newest entry at the cursor.
struct BossHistory {
    double x[TAIL_RING], y[TAIL_RING];
    int32_t cursor;
};

typedef void (*BossPatternFn)(void);

extern BossBulletBlock boss_bullets;
extern TailSegment boss_tail[TAIL_SEGMENTS];
extern BossHistory boss_history;
extern const BossPatternFn boss_pattern_table[BOSS_PATTERNS];

// Where the boss steps play a sound-effect slot: PlaySoundHandle of that slot,
// which module tests replace to record the slots.
extern void (*boss_play_se)(int slot);

void ResetBossStage(void);     // stage reset: record (end time 8000, 30000 hit points), block, tail, history
void ClearBossBullets(void);   // empties the boss-bullet block (also sets active to 0)

void UpdateBoss(void);         // play frame: entry, phase, defeat, shot pattern, bullet movement
void MoveBoss(void);           // play frame: movement pattern and motion, hit flash, count
void UpdateBossTail(void);     // play frame, boss or not: segment positions and the history ring
void MoveBossBullets(void);    // from UpdateBoss: flight and removal, then the block's count
void UpdateBossPhase(void);    // phase 0..8 from hp
int FindFreeBossBullet(void);  // lowest free boss-bullet index, or −1
double AimAtShip(void);                       // heading from the boss to the ship
double AimAtShipFrom(double x, double y);     // heading from (x, y) to the ship
void SwitchOnBossTail(void);   // segments 0..9 on, history a straight line right of the boss
int BossRadius(void);
// The stage's boss has been beaten: the clock has reached its entry and no boss
// fights (the entry itself happens at that clock in UpdateBoss, before anything reads this).
bool BossBeaten(void);          // hit radius of the boss and its segments for the current stage

// The ten rows of boss_pattern_table.
void ShootBoss0(void);
void ShootBoss1(void);
void ShootBoss2(void);
void ShootBoss3(void);
void ShootBoss4(void);
void MoveBoss0(void);
void MoveBoss1(void);
void MoveBoss2(void);
void MoveBoss3(void);
void MoveBoss4(void);
