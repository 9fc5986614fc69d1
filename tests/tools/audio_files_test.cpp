// Checks the generated sound effects (dat/se/*.wav) and music (dat/music/*.ogg)
// as the game will load them: formats byte by byte, lengths, levels, clicks and
// loop seams; and the audio builder's determinism and its failure on broken
// sources. Skips when the build has not generated dat/ yet.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const char* kEffects[] = {"start", "piko", "tama", "voe", "char_death", "tame", "syu",
                          "eshot", "enemy_death", "eatk", "yarare", "bdeath", "item_get", "fire00"};
const char* kTracks[] = {"ttl_0", "adv_0", "stg_0", "stg_1", "stg_2", "stg_3",
                         "stg_4", "boss_0", "boss_1", "boss_2", "boss_3", "boss_4"};

std::string Dat(const std::string& rel) { return std::string(VORTALIS_BINARY_DIR) + "/dat/" + rel; }
std::string Asset(const std::string& rel) { return std::string(VORTALIS_SOURCE_DIR) + "/assets/" + rel; }
std::string Tool() { return std::string(VORTALIS_BINARY_DIR) + "/tools/audio/vortalis_audio"; }

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

uint32_t Le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; i++) v |= (uint32_t)(uint8_t)b[at + i] << (8 * i);
    return v;
}

// The first "name value" of a source file, as text.
std::string Setting(const std::string& path, const std::string& name) {
    std::istringstream in(ReadAll(path));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string k, v;
        if (words >> k >> v && k == name) return v;
    }
    return "";
}

// Runs a command; returns its exit status and fills `output` with stdout+stderr.
int RunTool(const std::string& cmd, std::string& output) {
    output.clear();
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return -1;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) output += buf;
    int st = pclose(p);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// Interleaved stereo samples; the loop seam is continuous when the jump from the
// last frame to the first is no larger than the steps the music takes anyway
// near either end, and the second difference across it is ordinary for the piece.
void ExpectSeamless(const std::vector<int16_t>& s, const std::string& name) {
    const long frames = (long)s.size() / 2;
    ASSERT_GT(frames, 8192) << name;
    for (int c = 0; c < 2; c++) {
        auto at = [&](long i) { return (int)s[((i % frames + frames) % frames) * 2 + c]; };
        int local = 0;
        for (long i = 0; i < 4096; i++) {
            local = std::max(local, std::abs(at(i + 1) - at(i)));
            local = std::max(local, std::abs(at(frames - 1 - i) - at(frames - 2 - i)));
        }
        int jump = std::abs(at(0) - at(frames - 1));
        EXPECT_LE(jump, local) << name << " channel " << c << ": click at the loop seam";

        std::vector<int> curve;
        curve.reserve(frames);
        for (long i = 1; i + 1 < frames; i++) curve.push_back(std::abs(at(i + 1) - 2 * at(i) + at(i - 1)));
        std::nth_element(curve.begin(), curve.begin() + curve.size() * 999 / 1000, curve.end());
        int typical = curve[curve.size() * 999 / 1000];
        int seamCurve = std::max(std::abs(at(0) - 2 * at(-1) + at(-2)), std::abs(at(1) - 2 * at(0) + at(-1)));
        EXPECT_LE(seamCurve, typical) << name << " channel " << c << ": the end does not run on into the start";
    }
}

bool DatBuilt() { return Exists(Dat("se/piko.wav")) && Exists(Dat("music/ttl_0.ogg")); }

}  // namespace

TEST(AudioFiles, EffectsAreStereo16BitPcmOfTheirSourceLengthWithoutClicks) {
    if (!DatBuilt()) GTEST_SKIP() << "dat/ has not been built";
    for (const char* name : kEffects) {
        SCOPED_TRACE(name);
        std::string b = ReadAll(Dat(std::string("se/") + name + ".wav"));
        ASSERT_GE(b.size(), 44u);
        EXPECT_EQ(b.substr(0, 4), "RIFF");
        EXPECT_EQ(Le(b, 4, 4), b.size() - 8);
        EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(Le(b, 16, 4), 16u);      // fmt chunk size
        EXPECT_EQ(Le(b, 20, 2), 1u);       // PCM
        EXPECT_EQ(Le(b, 22, 2), 2u);       // channels
        EXPECT_EQ(Le(b, 24, 4), 44100u);   // samples per second
        EXPECT_EQ(Le(b, 28, 4), 176400u);  // bytes per second
        EXPECT_EQ(Le(b, 32, 2), 4u);       // block size
        EXPECT_EQ(Le(b, 34, 2), 16u);      // bits per sample
        EXPECT_EQ(b.substr(36, 4), "data");
        const uint32_t bytes = Le(b, 40, 4);
        ASSERT_EQ(bytes, b.size() - 44);

        double length = std::atof(Setting(Asset(std::string("se/") + name + ".sfx"), "length").c_str());
        const long frames = bytes / 4;
        EXPECT_EQ(frames, std::lround(length * 44100)) << "length differs from the source";
        EXPECT_GE(frames, 44100 / 50);
        EXPECT_LE(frames, 44100 * 5 / 2);

        std::vector<int16_t> s(bytes / 2);
        for (size_t i = 0; i < s.size(); i++) s[i] = (int16_t)Le(b, 44 + 2 * i, 2);
        int peak = 0;
        for (int16_t v : s) peak = std::max(peak, std::abs((int)v));
        EXPECT_LT(peak, 32767) << "clipped";
        EXPECT_GT(peak, 32768 / 2) << "not normalised: quieter than -6 dBFS";

        if (std::string(name) == "tame") {
            ExpectSeamless(s, name);  // repeats while the shot is charged
        } else {
            // A one-shot starts and ends at silence: no click at either end.
            for (int c = 0; c < 2; c++) {
                EXPECT_LE(std::abs(s[c]), 64) << "click at the start";
                EXPECT_LE(std::abs(s[s.size() - 2 + c]), 64) << "click at the end";
            }
        }
    }
    // The game waits for the start sound before it leaves the title.
    EXPECT_LE(ReadAll(Dat("se/start.wav")).size(), 44u + 44100u * 4u);
}

TEST(AudioFiles, MusicIsStereo44100VorbisOfOneToTwoMinutesLoopingSeamlessly) {
    if (!DatBuilt()) GTEST_SKIP() << "dat/ has not been built";
    for (const char* name : kTracks) {
        SCOPED_TRACE(name);
        std::string path = Dat(std::string("music/") + name + ".ogg");
        OggVorbis_File vf;
        ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0) << "does not open as Ogg Vorbis";
        vorbis_info* vi = ov_info(&vf, -1);
        EXPECT_EQ(vi->rate, 44100);
        EXPECT_EQ(vi->channels, 2);
        ogg_int64_t total = ov_pcm_total(&vf, -1);
        EXPECT_GE(total, 60 * 44100);
        EXPECT_LE(total, 120 * 44100);

        std::vector<int16_t> s;
        s.reserve((size_t)total * 2);
        char buf[16384];
        int section = 0;
        long got;
        while ((got = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) {
            size_t at = s.size();
            s.resize(at + got / 2);
            std::copy(reinterpret_cast<int16_t*>(buf), reinterpret_cast<int16_t*>(buf) + got / 2, s.begin() + at);
        }
        ov_clear(&vf);
        ASSERT_EQ(got, 0) << "decode error";
        ASSERT_EQ((ogg_int64_t)s.size(), total * 2) << "decoded length differs from the stream's";

        int peak = 0;
        long clipped = 0;
        double power = 0;
        for (int16_t v : s) {
            peak = std::max(peak, std::abs((int)v));
            clipped += v == 32767 || v == -32768;
            power += (double)v * v;
        }
        EXPECT_EQ(clipped, 0);
        EXPECT_GT(peak, 32768 / 2) << "quieter than -6 dBFS at its peak";
        double rmsDb = 20 * std::log10(std::sqrt(power / s.size()) / 32768.0);
        EXPECT_GT(rmsDb, -22.0);
        EXPECT_LT(rmsDb, -10.0);
        ExpectSeamless(s, name);
    }
}

TEST(AudioFiles, BossThemesAreFasterAndInMinorKeys) {
    for (int i = 0; i < 5; i++) {
        std::string stage = Asset("music/stg_" + std::to_string(i) + ".score");
        std::string boss = Asset("music/boss_" + std::to_string(i) + ".score");
        double stageTempo = std::atof(Setting(stage, "tempo").c_str());
        double bossTempo = std::atof(Setting(boss, "tempo").c_str());
        EXPECT_GT(stageTempo, 0) << stage;
        EXPECT_GT(bossTempo, stageTempo + 8) << boss;
        EXPECT_NE(ReadAll(boss).find("\nkey"), std::string::npos);
        std::istringstream in(ReadAll(boss));
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("key", 0) == 0) {
                EXPECT_NE(line.find("minor"), std::string::npos) << boss;
            }
        }
    }
}

TEST(AudioFiles, BuilderIsDeterministic) {
    if (!DatBuilt() || !Exists(Tool())) GTEST_SKIP() << "dat/ has not been built";
    std::string out;
    for (const char* name : {"piko", "tame"}) {
        std::string src = Asset(std::string("se/") + name + ".sfx");
        ASSERT_EQ(RunTool(Tool() + " sfx " + src + " a.wav", out), 0) << out;
        ASSERT_EQ(RunTool(Tool() + " sfx " + src + " b.wav", out), 0) << out;
        std::string a = ReadAll("a.wav");
        EXPECT_FALSE(a.empty());
        EXPECT_EQ(a, ReadAll("b.wav")) << name;
        EXPECT_EQ(a, ReadAll(Dat(std::string("se/") + name + ".wav"))) << name << " differs from the build's";
    }
    // The whole Ogg path: same score, same bytes as the build made (fixed encoder
    // settings and stream serial).
    ASSERT_EQ(RunTool(Tool() + " music " + Asset("music/instruments.bank") + " " + Asset("music/boss_2.score") + " boss_2.ogg", out), 0)
        << out;
    std::string ogg = ReadAll("boss_2.ogg");
    EXPECT_GT(ogg.size(), 100000u);
    EXPECT_TRUE(ogg == ReadAll(Dat("music/boss_2.ogg"))) << "boss_2.ogg differs from the build's";
    EXPECT_FALSE(Exists("boss_2.ogg.tmp"));
}

// The loop is what continuous playback sounds like: the track rendered twice in
// a row holds, in its second pass, the very samples of the looping file (notes
// and echoes running over the end sound again at its start).
TEST(AudioFiles, LoopEqualsContinuousPlayback) {
    if (!Exists(Tool())) GTEST_SKIP() << "the audio builder has not been built";
    std::string out;
    for (const char* name : {"adv_0"}) {
        SCOPED_TRACE(name);
        std::string cmd = Tool() + " music " + Asset("music/instruments.bank") + " " + Asset(std::string("music/") + name + ".score");
        ASSERT_EQ(RunTool(cmd + " once.wav", out), 0) << out;
        ASSERT_EQ(RunTool(cmd + " twice.wav 2", out), 0) << out;
        std::string once = ReadAll("once.wav"), twice = ReadAll("twice.wav");
        ASSERT_GT(once.size(), 44u + 60u * 44100u * 4u);
        const size_t n = (once.size() - 44) / 2;
        ASSERT_EQ((twice.size() - 44) / 2, 2 * n);
        int worst = 0;
        size_t worstAt = 0;
        for (size_t i = 0; i < n; i++) {
            int a = (int16_t)Le(once, 44 + 2 * i, 2);
            int b = (int16_t)Le(twice, 44 + 2 * (n + i), 2);
            if (std::abs(a - b) > worst) {
                worst = std::abs(a - b);
                worstAt = i / 2;
            }
        }
        EXPECT_LE(worst, 2) << "differs from continuous playback at frame " << worstAt;
    }
}

TEST(AudioFiles, BrokenSourcesFailNamingFileAndLine) {
    if (!Exists(Tool())) GTEST_SKIP() << "the audio builder has not been built";
    std::string out;
    {
        std::ofstream f("bad.sfx");
        f << "# a blip\nlength 0.1\nlayer\n  wave sine\n  wave squeak\n";
    }
    EXPECT_EQ(RunTool(Tool() + " sfx bad.sfx bad.wav", out), 1);
    EXPECT_NE(out.find("bad.sfx:5:"), std::string::npos) << out;
    EXPECT_NE(out.find("squeak"), std::string::npos) << out;
    EXPECT_FALSE(Exists("bad.wav"));

    // A one-shot whose layer rings past the end is refused, not cut off.
    {
        std::ofstream f("long.sfx");
        f << "length 0.1\nlayer\n  wave sine decay 1 sustain 0\n";
    }
    EXPECT_EQ(RunTool(Tool() + " sfx long.sfx long.wav", out), 1);
    EXPECT_NE(out.find("long.sfx:2:"), std::string::npos) << out;

    // A bar of fifteen sixteenths is named by its line.
    std::string bank = Asset("music/instruments.bank");
    {
        std::ofstream f("bad.score");
        f << "title T\nkey C major\ntempo 120\ntrack lead lead\n"
             "section A 32\n  chords C\n  lead c5:4 d5:4 e5:4 f5:4 | g5:15 |\nform A\n";
    }
    EXPECT_EQ(RunTool(Tool() + " music " + bank + " bad.score bad.ogg", out), 1);
    EXPECT_NE(out.find("bad.score:7:"), std::string::npos) << out;
    EXPECT_FALSE(Exists("bad.ogg"));

    // A piece shorter than a minute is refused at its form line.
    {
        std::ofstream f("short.score");
        f << "title T\nkey C major\ntempo 120\ntrack lead lead\n"
             "section A 8\n  chords C\n  lead c5:16\nform A\n";
    }
    EXPECT_EQ(RunTool(Tool() + " music " + bank + " short.score short.ogg", out), 1);
    EXPECT_NE(out.find("short.score:8:"), std::string::npos) << out;

    // Unknown patch, unknown groove and a pattern of the wrong length.
    {
        std::ofstream f("names.score");
        f << "title T\nkey C major\ntempo 120\ntrack lead kazoo\n";
    }
    EXPECT_EQ(RunTool(Tool() + " music " + bank + " names.score n.ogg", out), 1);
    EXPECT_NE(out.find("names.score:4:"), std::string::npos) << out;
    {
        std::ofstream f("pattern.score");
        f << "title T\nkey C major\ntempo 120\ntrack bass bass\ntrack drums kit\n"
             "section A 32\n  chords C\n  bass R.R.R.R.\n  drums beat\nform A\n";
    }
    EXPECT_EQ(RunTool(Tool() + " music " + bank + " pattern.score p.ogg", out), 1);
    EXPECT_NE(out.find("pattern.score:8:"), std::string::npos) << out;
    EXPECT_EQ(RunTool(Tool() + " music " + bank + " missing.score m.ogg", out), 1);
    EXPECT_NE(out.find("missing.score"), std::string::npos) << out;
}
