// One play frame of the real game, logic and drawing, with every table full:
// 100 enemies, 100 shot groups of 100 bullets, 100 player shots, 50 items,
// 30 bursts, 100 effects, and the boss fighting with its 300 bullets (stage 4
// by default). The tables are restored before every timed frame so each frame
// does the same work. Prints the median and 90th percentile in milliseconds
// of this thread's CPU time, and of the wall clock with the frame's recorded
// draws finished (the figure that counts when drawing is spread over threads).
// Run from the folder that holds dat/, or pass it:
//
//   play_frame [DATA_DIR] [--frames N] [--stage S] [--bullets-per-group B] [--threads N]
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/backend/raster/raster_queue.h"
#include "framework/graphics/draw_target.h"
#include "bench/bench_clocks.h"
#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/charge.h"
#include "game/player/collision.h"
#include "game/player/options.h"
#include "game/player/player.h"
#include "game/player/shots.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/shell/scenes.h"
#include "game/shell/pacing.h"
#include "game/common/pad.h"
#include "game/shell/playfield.h"

namespace {


// The scripted pad: Shot pressed anew every frame (a volley each frame, the
// options firing too), nothing else.
int ShotEveryFrame(int slot) { return slot == PadConfig.shot ? 1 : 0; }

// Every table filled, spread over the field so nothing leaves it in a frame.
void FillTables(int bulletsPerGroup) {
    for (int i = 0; i < ENEMY_MAX; i++) {
        EnemyRecord& e = enemy[i];
        e = EnemyRecord{};
        e.state = 1;
        e.pattern = i % 10;
        e.image = i % ENEMY_IMAGES;
        e.anim = i % ENEMY_CELLS;
        e.hp = e.hp_start = 1000000;
        e.x = 60 + (i % 10) * 58;
        e.y = 30 + (i / 10) * 44;
        e.speed = 1;
        e.angle = GAME_PI;
        e.fire_frame = 1000000;
        e.wait = 30;
        e.count = 20;
        for (int& d : e.drop) d = -1;
    }
    for (int g = 0; g < SHOT_GROUPS; g++) {
        ShotGroupRecord& s = eshot[g];
        s.state = 1;
        s.kind = 0;
        s.count = 5;
        s.owner = g;
        for (int b = 0; b < GROUP_BULLETS; b++) {
            BulletRecord& r = s.bullet[b];
            r = BulletRecord{};
            if (b >= bulletsPerGroup) continue;
            const int n = g * GROUP_BULLETS + b;
            r.state = 1;
            r.kind = n % BULLET_KINDS;
            r.count = 1 + n % 200;
            r.additive = n % 4 == 0;
            r.x = 20 + (n * 37) % 600;
            r.y = 20 + (n * 53) % 440;
            r.angle = (n % 64) * GAME_PI / 32;
            r.speed = 1.5;
        }
    }
    for (int i = 0; i < PLAYER_SHOTS; i++) {
        PlayerShot& s = player_shot[i];
        s = PlayerShot{};
        s.state = 1;
        s.damage = 120;
        s.count = 3;
        s.image = g_assets.leek;
        s.x = 80 + (i % 20) * 26;
        s.y = 40 + (i / 20) * 90;
        s.angle = GAME_PI / 2;
        s.speed = 20;
    }
    for (int i = 0; i < ITEM_MAX; i++) {
        ItemRecord& it = item[i];
        it = ItemRecord{};
        it.state = 1;
        it.kind = i % ITEM_KIND_COUNT;
        it.speed = 1.5;
        it.x = 100 + (i % 10) * 50;
        it.y = 60 + (i / 10) * 80;
        it.scale = ItemScale(it.kind);
    }
    for (int i = 0; i < BURST_MAX; i++) {
        burst[i] = BurstRecord{};
        burst[i].state = 1;
        burst[i].count = i % 8;
        burst[i].color = i % 5;
        burst[i].x = 50 + i * 19;
        burst[i].y = 100 + (i % 7) * 40;
    }
    for (int i = 0; i < EFFECT_MAX; i++) {
        EffectRecord& e = effect[i];
        e = EffectRecord{};
        e.state = 1;
        e.count = i % 10;
        e.color = i % 5;
        e.kind = i % 3 == 0 ? 4 : 0;
        e.image = g_assets.hitEffect[i % 5];
        e.blend = 1 + i % 2;
        e.x = 30 + (i * 61) % 580;
        e.y = 30 + (i * 29) % 420;
        e.scale = 1 + (i % 4) * 0.25;
        e.turn = i * 0.1;
        e.speed = 1;
        e.angle = i * 0.3;
        e.alpha = 200;
    }
    boss.state = BOSS_FIGHTING;
    boss.count = 600;
    boss.x = 520;
    boss.y = 240;
    boss.hp = 20000;
    boss_bullets.active = 1;
    boss_bullets.count = 600;
    for (int b = 0; b < BOSS_BULLETS; b++) {
        BulletRecord& r = boss_bullets.bullet[b];
        r = BulletRecord{};
        r.state = 1;
        r.kind = b % BULLET_KINDS;
        r.count = 1 + b % 100;
        r.additive = b % 3 == 0;
        r.x = 40 + (b * 41) % 560;
        r.y = 30 + (b * 67) % 420;
        r.angle = b * 0.21;
        r.speed = 2;
    }
    if (stage_number == 3) SwitchOnBossTail();
    player.power = 40;
    player.x = 100;
    player.y = 240;
    player.charge = 40;
    player.invincible = 1;
    for (int o = 0; o < OPTIONS; o++) option[o].enabled = 1;
    formation_mode = FORMATION_FRONT;
}

// Everything the play frame writes, saved once and put back before each frame.
struct Snapshot {
    std::vector<char> bytes;
};
struct Region {
    void* p;
    size_t n;
};
std::vector<Region> Regions() {
    return {{enemy, sizeof enemy},         {eshot, sizeof eshot},
            {player_shot, sizeof player_shot}, {item, sizeof item},
            {burst, sizeof burst},         {effect, sizeof effect},
            {&boss, sizeof boss},          {&boss_bullets, sizeof boss_bullets},
            {boss_tail, sizeof boss_tail}, {&boss_history, sizeof boss_history},
            {&player, sizeof player},      {option, sizeof option},
            {option_trail, sizeof option_trail}, {&charge_shot, sizeof charge_shot},
            {&scene_timer, sizeof scene_timer}, {&formation_mode, sizeof formation_mode}};
}
Snapshot Save() {
    Snapshot s;
    for (const Region& r : Regions()) s.bytes.insert(s.bytes.end(), static_cast<char*>(r.p), static_cast<char*>(r.p) + r.n);
    return s;
}
void Restore(const Snapshot& s) {
    size_t at = 0;
    for (const Region& r : Regions()) {
        std::memcpy(r.p, s.bytes.data() + at, r.n);
        at += r.n;
    }
}

// The play frame in the order the play scene runs it: logic, then drawing.
void Logic() { UpdatePlayFrame(); }
void Draw() {
    ClearDrawTarget();
    DrawPlayField();
    DrawFrameRate();
    DrawHud();
}

int CountBullets() {
    int n = 0;
    for (const ShotGroupRecord& g : eshot)
        if (g.state)
            for (const BulletRecord& b : g.bullet) n += b.state > 0;
    return n;
}

} // namespace

int main(int argc, char** argv) {
    int frames = 200, stage = 4, perGroup = GROUP_BULLETS, threads = 0;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--frames" && i + 1 < argc) frames = std::atoi(argv[++i]);
        else if (a == "--stage" && i + 1 < argc) stage = std::atoi(argv[++i]);
        else if (a == "--bullets-per-group" && i + 1 < argc) perGroup = std::atoi(argv[++i]);
        else if (a == "--threads" && i + 1 < argc) threads = std::max(1, std::atoi(argv[++i]));
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
    if (FrameworkInit() != 0) return 1;
    SetDrawTarget(-2);
    RasterQueueSetThreads(threads);
    LoadAssets();
    ResetPadConfig();
    ResetShotGraphics();
    ResetNewGame();
    stage_number = stage;
    ResetStage();
    LoadStory();
    scene_timer = 2000;
    player_read_pad = ShotEveryFrame;
    FillTables(perGroup);
    const Snapshot start = Save();
    std::printf("stage %d: %d enemy bullets, %d boss bullets, %d player shots, 100 enemies, 50 items, "
                "30 bursts, 100 effects\n",
                stage, CountBullets(), BOSS_BULLETS, PLAYER_SHOTS);

    for (int i = 0; i < 20; i++) {
        Restore(start);
        Logic();
        Draw();
        FlipScreen();
    }
    std::vector<double> ms, logic, draw, wall, all;
    for (int i = 0; i < frames; i++) {
        Restore(start);
        const double w0 = WallMs(), p0 = ProcessCpuMs();
        const double t0 = ThreadCpuMs();
        Logic();
        const double t1 = ThreadCpuMs();
        Draw();
        GraphicsFinishDrawing();
        const double t2 = ThreadCpuMs();
        wall.push_back(WallMs() - w0);
        all.push_back(ProcessCpuMs() - p0);
        ms.push_back(t2 - t0);
        logic.push_back(t1 - t0);
        draw.push_back(t2 - t1);
        FlipScreen();
    }
    std::sort(ms.begin(), ms.end());
    std::sort(logic.begin(), logic.end());
    std::sort(draw.begin(), draw.end());
    std::sort(wall.begin(), wall.end());
    std::sort(all.begin(), all.end());
    std::printf("drawing threads: %d\n", RasterQueueThreads());
    std::printf("play frame, logic and drawing: median %.3f ms, p90 %.3f ms over %d frames (budget 16.7 ms: %.1f%%)\n",
                ms[ms.size() / 2], ms[ms.size() * 9 / 10], frames, 100.0 * ms[ms.size() / 2] / 16.7);
    std::printf("  of which logic: median %.3f ms; drawing: median %.3f ms (this thread's CPU)\n",
                logic[logic.size() / 2], draw[draw.size() / 2]);
    std::printf("wall clock, logic and drawing finished: median %.3f ms, p90 %.3f ms; all threads' CPU: median %.3f ms\n",
                wall[wall.size() / 2], wall[wall.size() * 9 / 10], all[all.size() / 2]);
    FrameworkEnd();
    return 0;
}
