// The whole game headless, end to end: the logo, the title, the prologue, five
// stages with their map stories (ship kept alive, boss fights cut to 300
// frames), the epilogue and the ending. Prints frames per second, the longest
// frame with its scene and stage clock, and the frames around the boss music
// switch (stage clock 7900) and the boss's entry (8000) of every stage.
//
//   full_game [DIR]      DIR holds dat/ (default: the current directory)
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "bench/bench_clocks.h"
#include "framework/framework.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"

namespace {


struct FrameTime {
    int scene, stage, timer;
    double ms;      // wall
    double cpuMs;   // this thread's CPU
};

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && chdir(argv[1]) != 0) {
        std::fprintf(stderr, "cannot enter %s\n", argv[1]);
        return 2;
    }
    if (access("dat", F_OK) != 0) {
        std::fprintf(stderr, "no dat/ here: run from the build folder or pass it\n");
        return 2;
    }
    HeadlessSelect();
    HeadlessSetAnswer(0);

    std::vector<FrameTime> frames;
    frames.reserve(60000);
    uint8_t keys[256] = {}, last[256] = {};
    int inScene = 0, lastScene = -1, next = 0, fought = 0;
    bool endingSeen = false;
    double previous = WallMs(), previousCpu = ThreadCpuMs();
    const double start = previous, startCpu = previousCpu;
    HeadlessSetKeysNow(keys);
    HeadlessOnPresent([&](int, const uint32_t*, int, int) {
        const double now = WallMs(), nowCpu = ThreadCpuMs();
        const int scene = next;
        frames.push_back({scene, stage_number, scene_timer, now - previous, nowCpu - previousCpu});
        std::memcpy(last, keys, sizeof keys);
        std::memset(keys, 0, sizeof keys);
        inScene = scene == lastScene ? inScene + 1 : 1;
        lastScene = scene;
        player.invincible = 1;
        auto tap = [&](int code) { keys[code] = !last[code]; };
        switch (scene) {
        case 1:
            if (endingSeen) fucn_state = 900;
            else tap(KEY_Z);
            break;
        case 10: tap(KEY_Z); break;
        case 20:
        case 33:
        case 50:
            if (inScene % 6 == 0) tap(KEY_Z);
            break;
        case 30:
            keys[KEY_Z] = 1;
            if (boss.state != 0 && ++fought == 300) boss.hp = -1;
            if (boss.state == 0) fought = 0;
            break;
        case 70: endingSeen = true; break;
        default: break;
        }
        next = fucn_state;
        HeadlessSetKeysNow(keys);
        previous = WallMs();   // the hook's own time is left out of the next frame
        previousCpu = ThreadCpuMs();
    });
    const int rc = VortalisMain();
    const double total = WallMs() - start;

    const double totalCpu = ThreadCpuMs() - startCpu;
    double cpu = 0;
    std::vector<double> sorted;
    for (const FrameTime& f : frames) {
        cpu += f.cpuMs;
        sorted.push_back(f.cpuMs);
    }
    std::sort(sorted.begin(), sorted.end());
    std::vector<const FrameTime*> byCpu;
    for (const FrameTime& f : frames) byCpu.push_back(&f);
    std::sort(byCpu.begin(), byCpu.end(), [](const FrameTime* a, const FrameTime* b) { return a->cpuMs > b->cpuMs; });

    std::printf("entry point returned %d\n", rc);
    std::printf("frames %zu: wall %.0f ms, %.1f frames per second; CPU %.0f ms, %.1f frames per CPU second "
                "(%.1f without the test hook)\n",
                frames.size(), total, 1000.0 * frames.size() / total, totalCpu, 1000.0 * frames.size() / totalCpu,
                1000.0 * frames.size() / cpu);
    std::printf("CPU per frame: median %.3f ms, 99th percentile %.3f ms, 99.9th %.3f ms\n", sorted[sorted.size() / 2],
                sorted[sorted.size() * 99 / 100], sorted[sorted.size() * 999 / 1000]);
    std::printf("longest frames (CPU ms, wall ms, frame, scene, stage, clock):\n");
    for (size_t i = 0; i < 8 && i < byCpu.size(); i++)
        std::printf("  %.3f  %.3f  %ld  %d  %d  %d\n", byCpu[i]->cpuMs, byCpu[i]->ms,
                    static_cast<long>(byCpu[i] - &frames[0]) + 1, byCpu[i]->scene, byCpu[i]->stage, byCpu[i]->timer);
    std::printf("around the boss music (CPU ms, wall ms):\n");
    for (const FrameTime& f : frames)
        if (f.scene == 30 && (f.timer == 7899 || f.timer == 7900 || f.timer == 7901 ||
                              (f.timer == 8000 && &f > &frames[0] && (&f - 1)->timer != 8000)))
            std::printf("  stage %d clock %d: %.3f  %.3f\n", f.stage, f.timer, f.cpuMs, f.ms);
    return rc;
}
