// Per-stage figures of a headless run of the whole game with an always-firing
// scripted ship: enemies spawned, enemy and boss bullets fired, items dropped,
// the score, and how the boss fight went. The ship taps Shot every
// other frame, follows the boss's height during the fights and sweeps three
// lanes otherwise; it is kept invincible so every stage is played to its end.
// A boss still standing after --fight-cap frames (default 6000) is ended
// through its record and reported as such. Run from the folder that holds dat/,
// or pass it:
//
//   stage_figures [DATA_DIR] [--fight-cap N]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"

namespace {

struct StageFigures {
    int enemies = 0, bullets = 0, bossBullets = 0, items = 0;
    int fightFrames = 0;
    bool shortened = false, played = false;
    int scoreAtEnd = 0;
};

StageFigures g_fig[STAGE_COUNT];

// The previous frame's slot states, to count slots that came alive.
int g_enemyWas[ENEMY_MAX];
int g_bulletWas[SHOT_GROUPS][GROUP_BULLETS];
int g_bossBulletWas[BOSS_BULLETS];
int g_itemWas[ITEM_MAX];

void Count(StageFigures& f) {
    for (int i = 0; i < ENEMY_MAX; i++) {
        if (enemy[i].state == 1 && g_enemyWas[i] == 0) f.enemies++;
        g_enemyWas[i] = enemy[i].state;
    }
    for (int g = 0; g < SHOT_GROUPS; g++)
        for (int b = 0; b < GROUP_BULLETS; b++) {
            const int now = eshot[g].state != 0 && eshot[g].bullet[b].state > 0;
            if (now && !g_bulletWas[g][b]) f.bullets++;
            g_bulletWas[g][b] = now;
        }
    for (int b = 0; b < BOSS_BULLETS; b++) {
        const int now = boss_bullets.active && boss_bullets.bullet[b].state > 0;
        if (now && !g_bossBulletWas[b]) f.bossBullets++;
        g_bossBulletWas[b] = now;
    }
    for (int i = 0; i < ITEM_MAX; i++) {
        if (item[i].state > 0 && g_itemWas[i] == 0) f.items++;
        g_itemWas[i] = item[i].state;
    }
}

} // namespace

int main(int argc, char** argv) {
    int fightCap = 6000;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--fight-cap" && i + 1 < argc) fightCap = std::atoi(argv[++i]);
        else if (chdir(argv[i]) != 0) {
            std::fprintf(stderr, "cannot enter %s\n", argv[i]);
            return 2;
        }
    }
    if (access("dat/img", F_OK) != 0) {
        std::fprintf(stderr, "no dat/ here: run from the build folder or pass it\n");
        return 2;
    }
    HeadlessSelect();
    HeadlessSetAnswer(0);
    HeadlessOnPresent([&](int frame, const uint32_t*, int, int) {
        const bool inStage = fucn_state >= 29 && fucn_state <= 36 && stage_number >= 0 && stage_number < STAGE_COUNT;
        if (inStage) {
            StageFigures& f = g_fig[stage_number];
            f.played = true;
            Count(f);
            if (boss.state != BOSS_NONE) {
                if (++f.fightFrames >= fightCap && boss.hp >= 0) {
                    boss.hp = -1;
                    f.shortened = true;
                }
            }
            f.scoreAtEnd = player.score;
        }
        player.invincible = 1;
        uint8_t keys[PLATFORM_KEYS] = {};
        if (frame % 2 == 0) keys[KEY_Z] = 1;
        if (fucn_state == 30 && player.state == PLAYER_NORMAL) {
            const int target = boss.state != BOSS_NONE ? static_cast<int>(boss.y) : 120 + (frame / 240 % 3) * 120;
            if (player.y < target - 4) keys[KEY_DOWN] = 1;
            if (player.y > target + 4) keys[KEY_UP] = 1;
            if (player.x < 120) keys[KEY_RIGHT] = 1;
        }
        HeadlessSetKeysNow(keys);
        if (fucn_state == 49 || fucn_state == 50 || frame > 200000) fucn_state = 900;
    });
    const int rc = VortalisMain();
    std::printf("stage  enemies  enemy-bullets  boss-bullets  items  fight-frames  boss        score-at-end\n");
    for (int s = 0; s < STAGE_COUNT; s++) {
        const StageFigures& f = g_fig[s];
        if (!f.played) {
            std::printf("%5d  not reached\n", s);
            continue;
        }
        std::printf("%5d  %7d  %13d  %12d  %5d  %12d  %-10s  %d\n", s, f.enemies, f.bullets, f.bossBullets, f.items,
                    f.fightFrames, f.shortened ? "shortened" : "shot down", f.scoreAtEnd);
    }
    return rc;
}
