// The enemy-only stage run behind the preview and the stage figures: the play
// frame's enemy steps in the game's order, counting what they do.
#include "tools/stages/stage_sim.h"

#include <cmath>
#include <cstring>

#include "framework/core/random.h"
#include "game/enemy/items.h"
#include "game/enemy/patterns.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/common/game_state.h"

int ItemPower(int kind) {
    switch (kind) {
    case 1: return 3;
    case 2: case 3: case 4: return 1;
    case 5: return 10;
    default: return 0;
    }
}

StageFigures SimulateStage(const char* path, double shipX, double shipY, const StageStepHook& hook) {
    StageFigures out;
    RandomSeed(20261208);
    ResetEnemiesStage();
    ResetShotGroupsStage();
    ResetItemsStage();
    ResetBossStage();
    LoadStoryFile(path);
    out.rows = story_count;
    player.x = shipX;
    player.y = shipY;

    int spawnFrame[ENEMY_MAX] = {};
    bool seen[ENEMY_MAX] = {};
    double px[ENEMY_MAX], py[ENEMY_MAX];
    long long hpSum = 0;
    for (scene_timer = 0; scene_timer <= STAGE_END_TIME; scene_timer++) {
        int before[ENEMY_MAX];
        for (int i = 0; i < ENEMY_MAX; i++) before[i] = enemy[i].state;
        int due = 0;
        for (int k = 0; k < story_count; k++)
            if (story[k].frame == scene_timer) due++;
        SpawnEnemies();
        int spawned = 0;
        for (int i = 0; i < ENEMY_MAX; i++) {
            if (before[i] != 0 || enemy[i].state != 1) continue;
            spawned++;
            spawnFrame[i] = scene_timer;
            seen[i] = false;
            hpSum += enemy[i].hp;
            for (int k = 0; k < STORY_DROPS; k++) {
                if (enemy[i].drop[k] < 0 || enemy[i].drop[k] >= ITEM_KIND_COUNT) continue;
                out.itemsCarried++;
                out.powerCarried += ItemPower(enemy[i].drop[k]);
                if (enemy[i].drop[k] == 0) out.speedItems++;
            }
        }
        out.enemies += spawned;
        out.rowsLost += due - spawned;

        int firing = 0;
        for (int i = 0; i < ENEMY_MAX; i++) {
            px[i] = enemy[i].x;
            py[i] = enemy[i].y;
            before[i] = enemy[i].state;
            if (enemy[i].state == 1 && enemy[i].fire_frame > 0 && enemy[i].count + 1 == enemy[i].fire_frame &&
                enemy[i].pattern >= 0 && enemy[i].pattern < ENEMY_PATTERNS)
                firing++;
        }
        int groupsBefore = 0;
        for (const ShotGroupRecord& g : eshot) groupsBefore += g.state != 0;
        UpdateEnemies();
        int groupsOpened = -groupsBefore;
        for (const ShotGroupRecord& g : eshot) groupsOpened += g.state != 0;
        // Groups are freed only by UpdateEnemyShots, so the difference is what opened.
        out.shotsLost += firing - groupsOpened;
        UpdateEnemyShots();
        int groups = 0, alive = 0;
        for (const ShotGroupRecord& g : eshot) {
            if (g.state == 0) continue;
            groups++;
            for (const BulletRecord& b : g.bullet)
                if (b.state > 0 && b.count == 1) {
                    out.bullets++;
                    const double x = b.x - std::cos(b.angle) * b.speed, y = b.y - std::sin(b.angle) * b.speed;
                    if (x < 0 || x > 640 || y < 0 || y > 480) out.shotsOffScreen++;
                }
        }
        for (int i = 0; i < ENEMY_MAX; i++) {
            if (before[i] != 1) continue;
            if (hook) hook(i, spawnFrame[i], px[i], py[i], enemy[i].x, enemy[i].y);
            alive += enemy[i].state == 1;
            const EnemyRecord& e = enemy[i];
            if (e.x >= 0 && e.x <= 640 && e.y >= 0 && e.y <= 480) seen[i] = true;
            if (e.state != 1 && !seen[i]) out.neverSeen++;
        }
        if (groups > out.maxGroups) out.maxGroups = groups;
        if (alive > out.maxEnemies) out.maxEnemies = alive;
    }
    for (int i = 0; i < ENEMY_MAX; i++) {
        if (enemy[i].state != 1) continue;
        out.aliveAtBoss++;
        if (!seen[i]) out.neverSeen++;
    }
    out.meanHp = out.enemies ? static_cast<double>(hpSum) / out.enemies : 0;
    return out;
}
