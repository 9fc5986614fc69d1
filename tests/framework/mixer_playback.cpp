// Mixed sample values pulled from the headless output: volume, resampling,
// looping and the end of a sound, saturation, the buffer rotation and fromTop
// rules, stop and resume, and play type 0 waiting for its own buffer only.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "framework/sound/sound_internal.h"
#include "tests/framework/sound_fixtures.h"

using namespace soundtest;

namespace {

std::vector<int> Ramp(int frames, int step = 1) {
    std::vector<int> v;
    for (int i = 0; i < frames; i++) v.push_back(i * step);
    return v;
}

int LoadWav(const char* name, const std::string& bytes, int buffers) {
    WriteFile(name, bytes);
    return LoadSoundFile(name, buffers, -1);
}

} // namespace

TEST(MixerVolume, AttenuationTableAndGain) {
    EXPECT_EQ(SoundAttenuationFor(255), 0);
    EXPECT_EQ(SoundAttenuationFor(256), 0);
    EXPECT_EQ(SoundAttenuationFor(100000), 0);
    EXPECT_EQ(SoundAttenuationFor(150), -230);
    EXPECT_EQ(SoundAttenuationFor(20), -1105);
    EXPECT_EQ(SoundAttenuationFor(14), -1260);
    EXPECT_EQ(SoundAttenuationFor(10), -1406);
    EXPECT_EQ(SoundAttenuationFor(1), -2406);
    EXPECT_EQ(SoundAttenuationFor(0), -10000);
    EXPECT_EQ(SoundAttenuationFor(-7), -10000);

    ASSERT_TRUE(StartFramework());
    int h = LoadWav("c.wav", Wav(1, 44100, 16, std::vector<int>(4000, 20000)), 1);
    ASSERT_GE(h, 0);
    ASSERT_EQ(PlaySoundHandle(h, 3, 1), 0);
    auto out = Pull(4);
    for (int16_t s : out) EXPECT_EQ(s, 20000);

    const struct { int volume; double gain; } cases[] = {
        {10, std::pow(10.0, -1406 / 2000.0)}, {14, std::pow(10.0, -1260 / 2000.0)},
        {20, std::pow(10.0, -1105 / 2000.0)}, {150, std::pow(10.0, -230 / 2000.0)},
        {256, 1.0}, {255, 1.0}, {0, 0.0}, {-3, 0.0},
    };
    for (auto c : cases) {
        ASSERT_EQ(SetSoundVolume(c.volume, h), 0);
        out = Pull(3);
        for (int16_t s : out) EXPECT_NEAR(s, 20000 * c.gain, 1.0) << "volume " << c.volume;
    }
    // The volume belongs to the sound: later plays keep it.
    SetSoundVolume(10, h);
    PlaySoundHandle(h, 1, 1);
    EXPECT_NEAR(Pull(1)[0], 20000 * std::pow(10.0, -1406 / 2000.0), 1.0);
    FrameworkEnd();
}

TEST(MixerResampling, HalfAndQuarterRatesInterpolateLinearly) {
    ASSERT_TRUE(StartFramework());
    // 22050 Hz mono: every second output frame lies halfway between two source frames.
    int h = LoadWav("h.wav", Wav(1, 22050, 16, {0, 1000, 3000, -1000, 7}), 1);
    ASSERT_EQ(PlaySoundHandle(h, 1, 1), 0);
    auto out = Pull(12);
    const int want[] = {0, 500, 1000, 2000, 3000, 1000, -1000, -497, 7, 7, 0, 0};
    for (int i = 0; i < 12; i++) {
        EXPECT_EQ(out[2 * i], want[i]) << i;
        EXPECT_EQ(out[2 * i + 1], want[i]) << i;
    }
    // 11025 Hz 8-bit stereo: quarter steps, channels kept apart.
    int q = LoadWav("q.wav", Wav(2, 11025, 8, {128, 128, 132, 120}), 1);
    ASSERT_EQ(PlaySoundHandle(q, 1, 1), 0);
    // The last frame is held for its four output frames, then the sound ends.
    out = Pull(8);
    const int wantL[] = {0, 256, 512, 768, 1024, 1024, 1024, 1024};
    const int wantR[] = {0, -512, -1024, -1536, -2048, -2048, -2048, -2048};
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(out[2 * i], wantL[i]) << i;
        EXPECT_EQ(out[2 * i + 1], wantR[i]) << i;
    }
    EXPECT_EQ(Pull(1)[0], 0);
    FrameworkEnd();
}

TEST(MixerLooping, RepeatEndAndSaturation) {
    ASSERT_TRUE(StartFramework());
    int h = LoadWav("l.wav", Wav(2, 44100, 16, {10, -10, 20, -20, 30, -30}), 2);
    ASSERT_EQ(PlaySoundHandle(h, 3, 1), 0);
    auto out = Pull(7);
    const int want[] = {10, 20, 30, 10, 20, 30, 10};
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(out[2 * i], want[i]);
        EXPECT_EQ(out[2 * i + 1], -want[i]);
    }
    ASSERT_EQ(StopSoundHandle(h), 0);
    EXPECT_EQ(Pull(1)[0], 0);

    // Half rate, repeating: the last frame interpolates towards the first.
    int r = LoadWav("r.wav", Wav(1, 22050, 16, {1000, 3000}), 1);
    ASSERT_EQ(PlaySoundHandle(r, 3, 1), 0);
    auto l = Left(Pull(6));
    EXPECT_EQ(l, (std::vector<int>{1000, 2000, 3000, 2000, 1000, 2000}));
    StopSoundHandle(r);

    // Played once it ends and stays silent.
    ASSERT_EQ(PlaySoundHandle(h, 1, 1), 0);
    l = Left(Pull(5));
    EXPECT_EQ(l, (std::vector<int>{10, 20, 30, 0, 0}));

    // Two loud copies saturate instead of wrapping.
    int loud = LoadWav("s.wav", Wav(2, 44100, 16, std::vector<int>{30000, -30000, 30000, -30000}), 2);
    PlaySoundHandle(loud, 3, 1);
    PlaySoundHandle(loud, 3, 1);
    out = Pull(2);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
    FrameworkEnd();
}

TEST(MixerBuffers, RotationAndFromTopRules) {
    ASSERT_TRUE(StartFramework());
    // The sample value names the position, so sums show which copies play where.
    int h = LoadWav("ramp.wav", Wav(1, 44100, 16, Ramp(1000)), 3);
    ASSERT_EQ(PlaySoundHandle(h, 1, 1), 0);   // buffer 1
    Pull(10);
    ASSERT_EQ(PlaySoundHandle(h, 1, 1), 0);   // buffer 2
    Pull(10);
    ASSERT_EQ(PlaySoundHandle(h, 1, 1), 0);   // buffer 0
    Pull(10);
    EXPECT_EQ(Pull(1)[0], 30 + 20 + 10);
    // The fourth play restarts the buffer of the first (now at 31).
    ASSERT_EQ(PlaySoundHandle(h, 1, 1), 0);
    EXPECT_EQ(Pull(1)[0], 0 + 21 + 11);
    FrameworkEnd();
}

TEST(MixerBuffers, FromTopZeroSkipsAPlayingBufferAndCopiesThePosition) {
    ASSERT_TRUE(StartFramework());
    int h = LoadWav("ramp.wav", Wav(1, 44100, 16, Ramp(1000)), 2);
    ASSERT_EQ(PlaySoundHandle(h, 1, 1), 0);   // buffer 1 from 0
    Pull(10);
    // Buffer 0 is free: it starts where buffer 1 is now.
    ASSERT_EQ(PlaySoundHandle(h, 1, 0), 0);
    EXPECT_EQ(Left(Pull(2)), (std::vector<int>{20, 22}));
    // Buffer 1 still plays: nothing happens, but the index moves on.
    ASSERT_EQ(PlaySoundHandle(h, 1, 0), 0);
    EXPECT_EQ(Left(Pull(1)), (std::vector<int>{24}));
    // So the next play takes buffer 0 again (at 13), restarting it from the top.
    ASSERT_EQ(PlaySoundHandle(h, 1, 1), 0);
    EXPECT_EQ(Left(Pull(1)), (std::vector<int>{13 + 0}));
    FrameworkEnd();
}

TEST(MixerBuffers, StopKeepsThePositionAndOneBufferResumes) {
    ASSERT_TRUE(StartFramework());
    int h = LoadWav("ramp.wav", Wav(1, 44100, 16, Ramp(100, 3)), 1);
    ASSERT_EQ(PlaySoundHandle(h, 1, 1), 0);
    Pull(10);
    ASSERT_EQ(StopSoundHandle(h), 0);
    EXPECT_EQ(Left(Pull(2)), (std::vector<int>{0, 0}));
    ASSERT_EQ(PlaySoundHandle(h, 1, 0), 0);   // the same buffer, from where it stopped
    EXPECT_EQ(Left(Pull(2)), (std::vector<int>{30, 33}));
    // A one-buffer sound that plays: fromTop 0 does nothing, fromTop 1 restarts.
    ASSERT_EQ(PlaySoundHandle(h, 1, 0), 0);
    EXPECT_EQ(Left(Pull(1)), (std::vector<int>{36}));
    ASSERT_EQ(PlaySoundHandle(h, 1, 1), 0);
    EXPECT_EQ(Left(Pull(1)), (std::vector<int>{0}));
    // Once a sound has played to its end, it starts again from its first sample.
    Pull(200);
    ASSERT_EQ(PlaySoundHandle(h, 1, 0), 0);
    EXPECT_EQ(Left(Pull(1)), (std::vector<int>{0}));
    EXPECT_EQ(DeleteSound(h, 0), 0);
    EXPECT_EQ(Left(Pull(1)), (std::vector<int>{0}));
    FrameworkEnd();
}

TEST(MixerPlayTypes, TypeZeroWaitsForItsOwnBufferOnly) {
    ASSERT_TRUE(StartFramework());
    int h = LoadWav("ramp.wav", Wav(1, 44100, 16, Ramp(2000)), 3);
    // A repeating copy keeps sounding on another buffer of the same handle.
    ASSERT_EQ(PlaySoundHandle(h, 3, 1), 0);
    std::atomic<bool> stop{false};
    std::atomic<long> pulled{0};
    std::thread audio([&] {
        int16_t buf[512];
        while (!stop) {
            HeadlessPullAudio(buf, 256);
            pulled += 256;
            std::this_thread::yield();
        }
    });
    long before = pulled.load();
    ASSERT_EQ(PlaySoundHandle(h, 0, 1), 0);
    // It returned once its 2000 frames had been mixed, not earlier.
    EXPECT_GE(pulled.load() - before, 2000 - 2 * 256);
    stop = true;
    audio.join();
    FrameworkEnd();
}

TEST(MixerPlayTypes, TypeZeroStopsWaitingWhenTheWindowCloses) {
    ASSERT_TRUE(StartFramework());
    int h = LoadWav("ramp.wav", Wav(1, 44100, 16, Ramp(2000)), 1);
    HeadlessPostEventAtTime(HeadlessClock() + 20, PLATFORM_EVENT_CLOSE_REQUEST);
    // Nothing pulls audio: only the close ends the wait.
    ASSERT_EQ(PlaySoundHandle(h, 0, 1), 0);
    EXPECT_EQ(ProcessMessage(), -1);
    FrameworkEnd();
}

// The player's volumes scale effects (in-memory sounds) and music (sounds
// given a loop position, which stream) separately, on top of each sound's own
// volume; at full scale the samples are bit for bit the unscaled ones.
TEST(MixerVolume, GroupScalesApplyOnTopOfEachSoundsVolume) {
    ASSERT_TRUE(StartFramework());
    const int effect = LoadWav("e.wav", Wav(1, 44100, 16, std::vector<int>(40000, 20000)), 1);
    const int music = LoadWav("m.wav", Wav(1, 44100, 16, std::vector<int>(40000, -10000)), 1);
    ASSERT_EQ(SetSoundLoopPos(0, music), 0);
    SetSoundVolume(150, effect);
    const double own = std::pow(10.0, -230 / 2000.0);
    ASSERT_EQ(PlaySoundHandle(effect, 3, 1), 0);
    ASSERT_EQ(PlaySoundHandle(music, 3, 1), 0);
    const int full = Pull(1)[0];
    EXPECT_NEAR(full, 20000 * own - 10000, 2.0) << "both at full scale";
    const struct { int effects, music; } cases[] = {{1000, 1000}, {250, 1000}, {1000, 0}, {0, 490}, {10, 10}};
    for (auto c : cases) {
        ASSERT_EQ(SetVolumeScale(VOLUME_EFFECTS, c.effects), 0);
        ASSERT_EQ(SetVolumeScale(VOLUME_MUSIC, c.music), 0);
        const double want = 20000 * own * c.effects / 1000.0 - 10000 * c.music / 1000.0;
        EXPECT_NEAR(Pull(1)[0], want, 2.0) << c.effects << " " << c.music;
    }
    EXPECT_EQ(SetVolumeScale(2, 500), -1);
    SetVolumeScale(VOLUME_EFFECTS, 1000);
    SetVolumeScale(VOLUME_MUSIC, 1000);
    EXPECT_EQ(Pull(1)[0], full);
    FrameworkEnd();
}
