// Sound handles: the layout (kind bit 28, 11-bit check, slot), validation of
// stale and foreign handles, the next-free hint and the full table, and the
// silent framework when no audio device exists.
#include <gtest/gtest.h>

#include "tests/framework/sound_fixtures.h"

using namespace soundtest;

namespace {
const int kBase = 268435456;  // bit 28: kind 2
}

TEST(SoundHandles, LayoutValidationAndReuse) {
    ASSERT_TRUE(StartFramework());
    WriteFile("a.wav", Wav(1, 44100, 16, {1, 2, 3, 4}));

    int h0 = LoadSoundFile("a.wav", 3, -1);
    int h1 = LoadSoundFile("a.wav", 3, -1);
    EXPECT_EQ(h0, kBase + 0 * 65536 + 0);
    EXPECT_EQ(h1, kBase + 1 * 65536 + 1);

    // Foreign and malformed handles are refused by every call.
    const int bad[] = {-1, -2, 0, h0 - kBase, h0 | (1 << 27) | (1 << 29), h0 | 0x8000, h0 + 4096, h0 + 65536,
                       kBase + 5, 134217728 + 0};
    for (int h : bad) {
        EXPECT_EQ(PlaySoundHandle(h, 1, 1), -1) << h;
        EXPECT_EQ(StopSoundHandle(h), -1) << h;
        EXPECT_EQ(SetSoundVolume(100, h), -1) << h;
        EXPECT_EQ(SetSoundLoopPos(0, h), -1) << h;
        EXPECT_EQ(DeleteSound(h, 0), -1) << h;
    }

    EXPECT_EQ(DeleteSound(h0, 0), 0);
    EXPECT_EQ(DeleteSound(h0, 0), -1);          // stale now
    EXPECT_EQ(PlaySoundHandle(h0, 1, 1), -1);
    EXPECT_EQ(PlaySoundHandle(h1, 1, 1), 0);

    // The hint still points past the last slot used: slot 2, check 2.
    int h2 = LoadSoundFile("a.wav", 1, -1);
    EXPECT_EQ(h2, kBase + 2 * 65536 + 2);
    FrameworkEnd();
}

TEST(SoundHandles, FullTableLogsAndLowestFreeSlotIsReused) {
    ASSERT_TRUE(StartFramework());
    WriteFile("a.wav", Wav(1, 8000, 8, {128}));
    std::vector<int> handles;
    for (int i = 0; i < 4096; i++) {
        int h = LoadSoundFile("a.wav", 1, -1);
        ASSERT_GE(h, 0) << i;
        // The check counter wraps from 2047 to 0.
        ASSERT_EQ(h, kBase + (i % 2048) * 65536 + i);
        handles.push_back(h);
    }
    EXPECT_EQ(LoadSoundFile("a.wav", 1, -1), -1);
    EXPECT_NE(ReadFile("Log.txt").find("サウンドの数が許容量を越えました"), std::string::npos);

    // With the hint used up, a new sound takes the lowest empty slot.
    EXPECT_EQ(DeleteSound(handles[700], 0), 0);
    EXPECT_EQ(DeleteSound(handles[100], 0), 0);
    int h = LoadSoundFile("a.wav", 1, -1);
    EXPECT_EQ(h & 0xFFFF, 100);
    EXPECT_EQ((h >> 16) & 0x7FF, 4096 % 2048);
    EXPECT_EQ(LoadSoundFile("a.wav", 1, -1) & 0xFFFF, 700);
    EXPECT_EQ(LoadSoundFile("a.wav", 1, -1), -1);
    FrameworkEnd();
}

TEST(SoundHandles, NoDeviceMakesEveryCallFail) {
    ASSERT_TRUE(StartFramework(false));
    WriteFile("a.wav", Wav(1, 44100, 16, {1, 2, 3, 4}));
    EXPECT_EQ(LoadSoundFile("a.wav", 3, -1), -1);
    EXPECT_EQ(PlaySoundHandle(kBase, 1, 1), -1);
    EXPECT_EQ(StopSoundHandle(kBase), -1);
    EXPECT_EQ(SetSoundVolume(255, kBase), -1);
    EXPECT_EQ(SetSoundLoopPos(0, kBase), -1);
    EXPECT_EQ(DeleteSound(kBase, 0), -1);
    // The game still runs.
    EXPECT_EQ(ProcessMessage(), 0);
    EXPECT_EQ(HeadlessPullAudio(nullptr, 0), 0);
    FrameworkEnd();
}
