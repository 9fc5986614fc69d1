// Bosses: the record and its stage reset.
#include "game/player/boss.h"

#include <cstring>

#include "game/shell/game_state.h"

BossRecord boss;

void ResetBossStage(void) {
    std::memset(&boss, 0, sizeof boss);
    boss.endTime = STAGE_END_TIME;
    boss.hp = 30000;
    boss.hpMax = 30000;
}

void ClearBossBullets(void) {}
