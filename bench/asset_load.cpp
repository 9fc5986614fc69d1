// Start-up cost of the game's data: FrameworkInit plus the asset loader over
// the generated dat/ (every image, strip, sound effect and font), on the
// headless platform. Run from the build folder, which holds dat/.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <sys/stat.h>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/common/assets.h"

static void BM_LoadAssets(benchmark::State& state) {
    struct stat st;
    if (stat("dat/img", &st) != 0) {
        state.SkipWithError("run from the folder that holds dat/");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        HeadlessSelect();
        FrameworkInit();
        state.ResumeTiming();
        LoadAssets();
        state.PauseTiming();
        FrameworkEnd();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadAssets)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK_MAIN();
