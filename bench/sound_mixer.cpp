// Mixer cost: pulling one second of 44100 Hz stereo with 32 voices playing
// (mixed rates and layouts, all repeating), and with one streamed Ogg track.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/framework/sound_fixtures.h"

using namespace soundtest;

namespace {

bool g_started = false;
int g_voices[32];

void Start() {
    if (g_started) return;
    g_started = StartFramework();
    // Registered after the framework's own statics exist, so it runs before
    // their destructors: the pump thread ends first.
    std::atexit([] { FrameworkEnd(); });
    const struct { int ch, rate, bits; } kinds[] = {{1, 22050, 16}, {2, 44100, 16}, {1, 44100, 8}, {2, 32000, 16}};
    for (int i = 0; i < 4; i++) {
        std::vector<int> s;
        int frames = kinds[i].rate;  // one second
        for (int k = 0; k < frames * kinds[i].ch; k++) s.push_back(kinds[i].bits == 8 ? (k * 7) & 0xFF : (k * 977) % 30000 - 15000);
        std::string name = "v" + std::to_string(i) + ".wav";
        WriteFile(name, Wav(kinds[i].ch, kinds[i].rate, kinds[i].bits, s));
        // 8 buffers each: 32 voices in all.
        g_voices[i] = LoadSoundFile(name.c_str(), 8, -1);
        SetSoundVolume(200, g_voices[i]);
    }
}

void BM_Mix32VoicesOneSecond(benchmark::State& state) {
    Start();
    for (int i = 0; i < 4; i++) {
        StopSoundHandle(g_voices[i]);
        for (int b = 0; b < 8; b++) PlaySoundHandle(g_voices[i], 3, 1);
    }
    std::vector<int16_t> out(44100 * 2);
    for (auto _ : state) {
        HeadlessPullAudio(out.data(), 44100);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["audio_s_per_s"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mix32VoicesOneSecond)->Unit(benchmark::kMillisecond);

void BM_MixOggStreamOneSecond(benchmark::State& state) {
    Start();
    for (int i = 0; i < 4; i++) StopSoundHandle(g_voices[i]);
    static int music = -1;
    if (music < 0) {
        WriteFile("m.ogg", EncodeOgg(2, 44100, Sweep(2, 44100, 44100 * 10)));
        music = LoadSoundFile("m.ogg", 3, -1);
        SetSoundLoopPos(0, music);
    }
    PlaySoundHandle(music, 3, 1);
    std::vector<int16_t> out(44100 * 2);
    for (auto _ : state) {
        // Decoding included: the refill and the mixer share the work.
        for (int k = 0; k < 60; k++) {
            ProcessMessage();
            HeadlessPullAudio(out.data() + 0, 735);
        }
        benchmark::DoNotOptimize(out.data());
    }
    StopSoundHandle(music);
}
BENCHMARK(BM_MixOggStreamOneSecond)->Unit(benchmark::kMillisecond);

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
