// Enemy shot groups and their bullets: a group opens on its enemy's fire_frame,
// runs its shot-kind function each frame, moves its bullets and outlives its
// enemy until the last bullet has left the screen.
#include "game/enemy/shots.h"

#include <cmath>
#include <cstring>

#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/common/assets.h"
#include "game/common/play_records.h"

ShotGroupRecord eshot[SHOT_GROUPS];
ShotGraphicRecord shot_graphic[BULLET_KINDS];

// Only kind 0 is defined; a group of any other kind is inert until the stage reset.
const ShotKindFn shot_kind_table[SHOT_KINDS] = {
    FireAimedBullet,   // 0: one bullet aimed at the ship
};

namespace {

const int BULLET_RADIUS[BULLET_KINDS] = {20, 12, 7, 10};   // sumi2, sumi3, tama, fire
const int BULLET_SPINS[BULLET_KINDS] = {0, 0, 1, 0};

} // namespace

void ResetShotGraphics(void) {
    for (int k = 0; k < BULLET_KINDS; k++) {
        shot_graphic[k].image = g_assets.bulletGraphic[k];
        shot_graphic[k].spin = BULLET_SPINS[k];
        shot_graphic[k].radius = BULLET_RADIUS[k];
    }
}

void ResetShotGroupsStage(void) { std::memset(eshot, 0, sizeof eshot); }

void OpenShotGroup(int enemyIndex) {
    for (int g = 0; g < SHOT_GROUPS; g++) {
        if (eshot[g].state != 0) continue;
        std::memset(&eshot[g], 0, sizeof eshot[g]);
        eshot[g].state = 1;
        eshot[g].kind = enemy[enemyIndex].shot_kind;
        eshot[g].owner = enemyIndex;
        eshot[g].count = 0;
        return;
    }
}

void FireAimedBullet(int g) {
    ShotGroupRecord& group = eshot[g];
    if (group.count != 0 || group.state == 2) return;
    const EnemyRecord& owner = enemy[group.owner];
    // A row with a bullet kind outside the table was reported at spawn; it fires nothing.
    if (owner.bullet_kind < 0 || owner.bullet_kind >= BULLET_KINDS) return;
    for (int b = 0; b < GROUP_BULLETS; b++) {
        BulletRecord& bullet = group.bullet[b];
        if (bullet.state != 0) continue;
        bullet.kind = owner.bullet_kind;
        bullet.angle = std::atan2(player.y - owner.y, player.x - owner.x);
        bullet.state = 1;
        bullet.x = owner.x;
        bullet.y = owner.y;
        bullet.speed = 3.0;
        bullet.color = owner.bullet_color;
        bullet.count = 0;
        PlaySoundHandle(g_assets.se[SE_ESHOT], 1, 1);
        return;
    }
}

void MoveEnemyBullets(int g) {
    ShotGroupRecord& group = eshot[g];
    const bool ownerAlive = enemy[group.owner].state == 1;
    if (!ownerAlive) group.state = 2;
    bool flying = false;
    for (int b = 0; b < GROUP_BULLETS; b++) {
        BulletRecord& bullet = group.bullet[b];
        if (bullet.state <= 0) continue;
        bullet.x += std::cos(bullet.angle) * bullet.speed;
        bullet.y += std::sin(bullet.angle) * bullet.speed;
        bullet.count++;
        if ((bullet.x < -50 || bullet.x > 690 || bullet.y < -50 || bullet.y > 530) && bullet.count > bullet.keep)
            bullet.state = 0;
        else
            flying = true;
    }
    if (!flying && !ownerAlive) group.state = 0;
}

void UpdateEnemyShots(void) {
    for (int g = 0; g < SHOT_GROUPS; g++) {
        ShotGroupRecord& group = eshot[g];
        if (group.state == 0) continue;
        if (group.kind < 0 || group.kind >= SHOT_KINDS || shot_kind_table[group.kind] == nullptr) continue;
        shot_kind_table[group.kind](g);
        MoveEnemyBullets(g);
        group.count++;
    }
}

void OrphanShotGroup(int enemyIndex) {
    for (int g = 0; g < SHOT_GROUPS; g++) {
        if (eshot[g].state != 0 && eshot[g].owner == enemyIndex) {
            eshot[g].state = 2;
            return;
        }
    }
}
