// Starting a 90-second Ogg track as the game does during play: LoadSoundFile,
// SetSoundLoopPos(0) and PlaySoundHandle(…, 3, 1), measured to the return;
// then the cost of one stream refill, and a whole decode for comparison.
#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/framework/sound_fixtures.h"

using namespace soundtest;

namespace {

bool g_ready = false;

void Prepare() {
    if (g_ready) return;
    g_ready = StartFramework();
    // Registered after the framework's own statics exist, so it runs before
    // their destructors: the pump thread ends first.
    std::atexit([] { FrameworkEnd(); });
    std::string ogg = EncodeOgg(2, 44100, Sweep(2, 44100, 44100 * 90), 0.4f);
    WriteFile("music.ogg", ogg);
    std::printf("90-second Ogg: %zu bytes\n", ogg.size());
}

void BM_LoadAndStartMusic(benchmark::State& state) {
    Prepare();
    for (auto _ : state) {
        int h = LoadSoundFile("music.ogg", 3, -1);
        SetSoundLoopPos(0, h);
        PlaySoundHandle(h, 3, 1);
        state.PauseTiming();
        DeleteSound(h, 0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadAndStartMusic)->Unit(benchmark::kMillisecond);

void BM_LoadOnly(benchmark::State& state) {
    Prepare();
    for (auto _ : state) {
        int h = LoadSoundFile("music.ogg", 3, -1);
        state.PauseTiming();
        DeleteSound(h, 0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond);

// One ProcessMessage while the track plays, with a frame's worth pulled before
// it: the steady cost the refill adds to a frame.
void BM_RefillPerFrame(benchmark::State& state) {
    Prepare();
    int h = LoadSoundFile("music.ogg", 3, -1);
    SetSoundLoopPos(0, h);
    PlaySoundHandle(h, 3, 1);
    std::vector<int16_t> out(735 * 2);
    for (auto _ : state) {
        state.PauseTiming();
        HeadlessPullAudio(out.data(), 735);
        state.ResumeTiming();
        ProcessMessage();
    }
    DeleteSound(h, 0);
}
BENCHMARK(BM_RefillPerFrame)->Unit(benchmark::kMicrosecond);

// What loading would cost if the whole track were decoded at once.
void BM_WholeDecodeForComparison(benchmark::State& state) {
    Prepare();
    for (auto _ : state) {
        OggVorbis_File vf;
        if (ov_fopen("music.ogg", &vf) != 0) break;
        char buf[16384];
        int section;
        long total = 0, n;
        while ((n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) total += n;
        ov_clear(&vf);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_WholeDecodeForComparison)->Unit(benchmark::kMillisecond);

} // namespace

// The sound files and Log.txt go to a scratch folder that is removed at exit.
struct ScratchFolder {
    char dir[32] = "/tmp/vortalis-bench-XXXXXX";
    ScratchFolder() {
        if (!mkdtemp(dir) || chdir(dir) != 0) std::exit(2);
    }
    ~ScratchFolder() { std::filesystem::remove_all(dir); }
} g_scratch;

BENCHMARK_MAIN();
