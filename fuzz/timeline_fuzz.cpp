// Fuzz target for the stage timeline reader (LoadStoryFile): any bytes as a
// timeline file, then the rows it kept spawned and moved for a short stage so
// that the values read reach the spawn checks, the patterns and the shot groups.
// After every frame: only enemies whose pattern is in the pattern table have been
// moved, and every enemy and bullet still flying is at a finite place.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "framework/framework.h"
#include "framework/core/api_lock.h"
#include "fuzz/fuzz_support.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/patterns.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/common/game_state.h"

namespace {

enum { STAGE_FRAMES = 120 };

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckFlying() {
    for (const EnemyRecord& e : enemy) {
        if (e.state == 0) continue;
        Check(std::isfinite(e.x) && std::isfinite(e.y));
        // A pattern outside the table is never called: the enemy stays as spawned.
        if (e.pattern < 0 || e.pattern >= ENEMY_PATTERNS) Check(e.count == 0 && e.vx == 0 && e.vy == 0);
    }
    for (const ShotGroupRecord& g : eshot) {
        if (g.state == 0) continue;
        for (const BulletRecord& b : g.bullet)
            if (b.state > 0) Check(std::isfinite(b.x) && std::isfinite(b.y));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzStartFramework();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ApiGuard whole;   // see FuzzStartFramework
    ResetEnemiesStage();
    ResetShotGroupsStage();
    ResetItemsStage();
    ResetEffectsStage();
    ResetBossStage();
    ResetPlayerNewGame();
    LoadStoryFile(FuzzWriteInput(data, size));
    if (story_count < 0 || story_count > STORY_ROWS) std::abort();
    // The short stage starts at the first row's frame, so that rows spawn and move.
    int first = INT32_MAX - STAGE_FRAMES;
    for (int k = 0; k < story_count; k++) first = std::min(first, std::max(story[k].frame, 0));
    for (int t = first; t < first + STAGE_FRAMES; t++) {
        scene_timer = t;
        SpawnEnemies();
        UpdateEnemies();
        UpdateEnemyShots();
        CheckFlying();
    }
    return 0;
}
