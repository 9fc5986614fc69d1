// Enemy shot groups `eshot` and the bullet record they share with the boss
// bullets: opening a group, the shot-kind table, bullet movement and removal,
// orphaning. Called by UpdateEnemies, the play scene and the collision pass.
#pragma once

#include <cstdint>

enum {
    SHOT_GROUPS = 100,         // groups in `eshot`
    GROUP_BULLETS = 100,       // bullets per group
    SHOT_KINDS = 20,           // entries of the shot-kind table; only kind 0 fires
    BULLET_KINDS = 4,          // bullet kinds 0..3
};

// One bullet; the boss bullets use the same layout.
struct BulletRecord {
    int32_t state;             // 0 free, above 0 flying
    int32_t kind;              // bullet kind 0..3
    int32_t count;             // frames flown; a bullet cannot hit while 0
    int32_t color;             // the enemy's bullet_color, carried only
    int32_t motion;            // 0 = along angle and speed; other values for boss bullets
    int32_t keep;              // not removed off screen while count <= keep
    int32_t additive;          // 1 = drawn with additive blending
    double x, y;
    double vx, vy;             // boss bullets' other motions
    double angle;
    double speed;
    int32_t erase;             // 1 = the charge shot can erase it (boss bullets)
};

struct ShotGroupRecord {
    int32_t state;             // 0 free, 1 active, 2 orphaned
    int32_t kind;              // shot kind
    int32_t count;             // frames since opened: 0 on its first update
    int32_t owner;             // enemy index
    BulletRecord bullet[GROUP_BULLETS];
};

// What the play-field drawing and the collision pass need per bullet kind.
struct ShotGraphicRecord {
    int image;                 // graphic handle
    int spin;                  // 1 = turns a full turn every 120 frames; 0 = drawn along its heading
    int radius;                // hit radius against the ship
};

typedef void (*ShotKindFn)(int g);

extern ShotGroupRecord eshot[SHOT_GROUPS];
extern ShotGraphicRecord shot_graphic[BULLET_KINDS];
extern const ShotKindFn shot_kind_table[SHOT_KINDS];

void ResetShotGraphics(void);         // title reset: the bullet kinds' images, spin and radius
void ResetShotGroupsStage(void);      // stage reset: every group free
void OpenShotGroup(int enemyIndex);   // from UpdateEnemies on the enemy's fire_frame
void UpdateEnemyShots(void);          // play frame, right after UpdateEnemies
void FireAimedBullet(int g);          // shot kind 0: one bullet at the ship on the first update
void MoveEnemyBullets(int g);         // bullets of group g; frees the group once orphaned and empty
void OrphanShotGroup(int enemyIndex); // enemy kill: the first live group of that enemy is orphaned
