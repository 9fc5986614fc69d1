// A chain of overlapping Ogg pages from several logical streams, found by the
// fuzzer: libogg moves a negative number of bytes while reading it. The loader
// refuses chained files, so the game never reads one.
#include <gtest/gtest.h>

#include <string>

#include "framework/backend/audio/audio_decode.h"
#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "tests/support/files.h"

TEST(FuzzRegression, ChainedOggIsRefusedBeforeItIsRead) {
    const std::string bytes = ReadBytes(VORTALIS_SOURCE_DIR "/fuzz/known/ogg_pagein_negative_memmove.ogg");
    ASSERT_FALSE(bytes.empty());
    // The decoder itself refuses the chain, whoever asks.
    OggDecoder* dec = OggOpen(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(dec, nullptr);
    OggClose(dec);
    WriteBytes("chain.ogg", bytes);
    HeadlessSelect();
    HeadlessSetAudioClocked(0);
    ASSERT_EQ(FrameworkInit(), 0);
    const int h = LoadSoundFile("chain.ogg", 3, -1);
    EXPECT_EQ(h, -1);
    int16_t out[4096 * 2];
    PlaySoundHandle(h, 1, 1);
    HeadlessPullAudio(out, 4096);
    FrameworkEnd();
}
