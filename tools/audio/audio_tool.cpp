// The audio builder's command line, run by the build for every file of
// dat/se/ and dat/music/ (tools/audio/CMakeLists.txt):
//   vortalis_audio sfx EFFECT.sfx OUT.wav
//   vortalis_audio music BANK SCORE OUT.ogg
//   vortalis_audio music BANK SCORE OUT.wav [REPEATS]   unencoded, for checks
//   vortalis_audio levels BANK SCORE   the level of every track of a score
//   vortalis_audio analyze FILE...   length, peak, RMS, clipping and loop seam
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/audio/audio_io.h"
#include "tools/audio/score.h"
#include "tools/audio/sfx.h"

namespace {

// Vorbis quality -0.1..1: 0.3 keeps the tracks near 100 kbit/s.
constexpr float kOggQuality = 0.3f;

int Usage() {
    std::fprintf(stderr,
                 "usage: vortalis_audio sfx EFFECT OUT.wav\n"
                 "       vortalis_audio music BANK SCORE OUT.ogg|OUT.wav [REPEATS]\n"
                 "       vortalis_audio levels BANK SCORE\n"
                 "       vortalis_audio analyze FILE...\n");
    return 2;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The stream serial comes from the file name, so it is fixed and distinct.
int Serial(const std::string& name) {
    uint32_t h = 2166136261u;
    for (char c : name) h = (h ^ (uint8_t)c) * 16777619u;
    return (int)(h & 0x7FFFFFFF);
}

double Db(double v) { return v > 0 ? 20.0 * std::log10(v) : -999.0; }

int Analyze(const std::string& path) {
    DecodedAudio a;
    std::string err;
    if (!ReadAudioFile(path, a, err)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), err.c_str());
        return 1;
    }
    const int ch = a.channels;
    const long frames = ch ? (long)a.pcm.size() / ch : 0;
    if (frames < 2) {
        std::fprintf(stderr, "%s: empty\n", path.c_str());
        return 1;
    }
    int peak = 0;
    long clipped = 0;
    double sum = 0;
    for (int16_t v : a.pcm) {
        peak = std::max(peak, std::abs((int)v));
        clipped += v >= 32767 || v <= -32768;
        sum += (double)v * v;
    }
    double rms = std::sqrt(sum / a.pcm.size());
    // Loop seam: the jump from the last frame to the first, beside the largest
    // step between neighbours near either end.
    int seam = 0, local = 0;
    const long near = std::min(frames - 1, 4096L);
    for (int c = 0; c < ch; c++) {
        seam = std::max(seam, std::abs(a.pcm[c] - a.pcm[(frames - 1) * ch + c]));
        for (long i = 0; i < near; i++) {
            local = std::max(local, std::abs(a.pcm[(i + 1) * ch + c] - a.pcm[i * ch + c]));
            long j = frames - 2 - i;
            local = std::max(local, std::abs(a.pcm[(j + 1) * ch + c] - a.pcm[j * ch + c]));
        }
    }
    std::printf("%-16s %d Hz %d ch %8.3f s  peak %6.2f dBFS  rms %6.2f dBFS  clipped %ld  first %d last %d  seam %d (near %d)\n",
                BaseName(path).c_str(), a.rate, ch, (double)frames / a.rate, Db(peak / 32768.0), Db(rms / 32768.0), clipped,
                std::max(std::abs((int)a.pcm[0]), std::abs((int)a.pcm[ch - 1])),
                std::max(std::abs((int)a.pcm[(frames - 1) * ch]), std::abs((int)a.pcm[frames * ch - 1])), seam, local);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string cmd = argv[1];
    if (cmd == "sfx" && argc == 4) {
        std::vector<int16_t> pcm;
        if (!RenderEffectFile(argv[2], pcm)) return 1;
        return WriteWav(argv[3], pcm) ? 0 : 1;
    }
    if (cmd == "music" && (argc == 5 || argc == 6)) {
        std::vector<int16_t> pcm;
        ScoreInfo info;
        std::string out = argv[4];
        bool wav = out.size() > 4 && out.substr(out.size() - 4) == ".wav";
        int repeats = argc == 6 ? std::atoi(argv[5]) : 1;
        if (repeats < 1 || repeats > 4 || (repeats > 1 && !wav)) return Usage();
        if (!RenderScoreFile(argv[2], argv[3], repeats, pcm, info)) return 1;
        if (wav) return WriteWav(out, pcm) ? 0 : 1;
        return WriteOgg(out, pcm, kOggQuality, Serial(BaseName(out)), info.title) ? 0 : 1;
    }
    if (cmd == "levels" && argc == 4) {
        std::vector<int16_t> pcm;
        ScoreInfo info;
        if (!RenderScoreFile(argv[2], argv[3], 1, pcm, info)) return 1;
        std::printf("%s (%s, %.0f bpm, %d bars, %.1f s)\n", info.title.c_str(), info.key.c_str(), info.tempo, info.bars,
                    info.seconds);
        for (size_t i = 0; i < info.trackNames.size(); i++)
            std::printf("  %-10s %6.1f dBFS\n", info.trackNames[i].c_str(), info.trackRms[i]);
        return 0;
    }
    if (cmd == "analyze" && argc >= 3) {
        int rc = 0;
        for (int i = 2; i < argc; i++) rc |= Analyze(argv[i]);
        return rc;
    }
    return Usage();
}
