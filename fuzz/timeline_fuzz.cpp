// Fuzz target for the stage timeline reader (LoadStoryFile): any bytes as a
// timeline file, then the rows it kept spawned and moved for a short stage so
// that the values read reach the spawn checks, the patterns and the shot groups.
#include <cstdint>
#include <cstdlib>

#include "framework/framework.h"
#include "framework/core/api_lock.h"
#include "fuzz/fuzz_support.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/common/game_state.h"

namespace {

enum { STAGE_FRAMES = 120 };

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
    for (int t = 0; t < STAGE_FRAMES; t++) {
        scene_timer = t;
        SpawnEnemies();
        UpdateEnemies();
        UpdateEnemyShots();
    }
    return 0;
}
