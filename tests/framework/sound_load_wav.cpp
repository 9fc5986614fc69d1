// LoadSoundFile on WAV files written byte by byte: 8 and 16 bit, mono and
// stereo, the 16-byte format chunk rule, chunk skipping with odd sizes, IMA
// and MS ADPCM and float through SDL, and malformed files (truncated, 0
// channels, 0 block size, lying chunk sizes, missing file) with their log lines.
#include <gtest/gtest.h>

#include "tests/framework/sound_fixtures.h"

using namespace soundtest;

namespace {

// Loads, plays once at full volume and returns the left channel of `frames` pulled frames.
std::vector<int> PlayLeft(const std::string& bytes, int frames, int* handle = nullptr) {
    WriteFile("t.wav", bytes);
    int h = LoadSoundFile("t.wav", 1, -1);
    if (handle) *handle = h;
    if (h < 0) return {};
    PlaySoundHandle(h, 1, 1);
    std::vector<int16_t> out = Pull(frames);
    StopSoundHandle(h);
    return Left(out);
}

bool LogHas(const std::string& text) { return ReadFile("Log.txt").find(text) != std::string::npos; }

} // namespace

TEST(SoundLoadWav, PcmLayouts) {
    ASSERT_TRUE(StartFramework());
    EXPECT_EQ(PlayLeft(Wav(1, 44100, 16, {-32768, 32767, 5, 0}), 5), (std::vector<int>{-32768, 32767, 5, 0, 0}));
    EXPECT_EQ(PlayLeft(Wav(1, 44100, 8, {0, 255, 128, 129}), 5), (std::vector<int>{-32768, 32512, 0, 256, 0}));
    // Stereo 8-bit: the right channel is the second byte of each frame.
    WriteFile("s.wav", Wav(2, 44100, 8, {0, 255, 128, 64}));
    int h = LoadSoundFile("s.wav", 1, -1);
    ASSERT_GE(h, 0);
    PlaySoundHandle(h, 1, 1);
    auto out = Pull(3);
    EXPECT_EQ(out, (std::vector<int16_t>{-32768, 32512, 0, -16384, 0, 0}));

    // A 16-byte format chunk: bits come from block size / channels × 8, whatever the field says.
    std::string lying = Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 8, 4)) + Chunk("data", PcmBytes({1000, -1000, 2000, -2000}, 16)));
    EXPECT_EQ(PlayLeft(lying, 3), (std::vector<int>{1000, 2000, 0}));
    // An 18-byte format chunk: the bits field counts.
    std::string ext = Riff(Chunk("fmt ", FmtBody(1, 1, 44100, 8, 1, 18)) + Chunk("data", PcmBytes({128, 255}, 8)));
    EXPECT_EQ(PlayLeft(ext, 3), (std::vector<int>{0, 32512, 0}));

    // Chunks before and between are skipped, odd sizes padded to even.
    std::string chunky = Riff(Chunk("JUNK", "abc") + Chunk("fmt ", FmtBody(1, 1, 44100, 16, 2)) +
                              Chunk("LIST", "12345") + Chunk("data", PcmBytes({7, 8, 9}, 16)));
    EXPECT_EQ(PlayLeft(chunky, 4), (std::vector<int>{7, 8, 9, 0}));
    // Any rate: 8000 Hz plays 8000 source frames per 44100 output frames.
    std::vector<int> slow(8000, 3000);
    int hs = -1;
    auto l = PlayLeft(Wav(1, 8000, 16, slow), 44110, &hs);
    ASSERT_GE(hs, 0);
    EXPECT_EQ(l[44090], 3000);
    EXPECT_EQ(l[44109], 0);
    FrameworkEnd();
}

TEST(SoundLoadWav, AdpcmAndFloatThroughTheCompressedPath) {
    ASSERT_TRUE(StartFramework());
    // One mono IMA ADPCM block of 36 bytes: predictor 1234, step index 0, all
    // nibbles 0. Step 7 >> 3 adds nothing, so all 65 samples are 1234.
    std::string fmt;
    Put16(fmt, 0x11); Put16(fmt, 1); Put32(fmt, 44100); Put32(fmt, 44100 * 36 / 65);
    Put16(fmt, 36); Put16(fmt, 4); Put16(fmt, 2); Put16(fmt, 65);
    std::string block;
    Put16(block, 1234); block += '\0'; block += '\0';
    block += std::string(32, '\0');
    std::string fact;
    Put32(fact, 65);
    auto l = PlayLeft(Riff(Chunk("fmt ", fmt) + Chunk("fact", fact) + Chunk("data", block)), 66);
    ASSERT_EQ(l.size(), 66u);
    for (int i = 0; i < 65; i++) EXPECT_EQ(l[i], 1234) << i;
    EXPECT_EQ(l[65], 0);
    // One mono MS ADPCM block of 32 bytes, predictor 0 (coefficients 256, 0),
    // first samples 500 then 700, all nibbles 0: each sample repeats the last.
    std::string ms;
    Put16(ms, 2); Put16(ms, 1); Put32(ms, 44100); Put32(ms, 44100 * 32 / 52);
    Put16(ms, 32); Put16(ms, 4); Put16(ms, 32); Put16(ms, 52); Put16(ms, 7);
    const int coef[7][2] = {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};
    for (auto& c : coef) { Put16(ms, (uint16_t)c[0]); Put16(ms, (uint16_t)c[1]); }
    std::string msBlock;
    msBlock += '\0';
    Put16(msBlock, 16); Put16(msBlock, 700); Put16(msBlock, 500);
    msBlock += std::string(32 - 7, '\0');
    std::string msFact;
    Put32(msFact, 52);
    l = PlayLeft(Riff(Chunk("fmt ", ms) + Chunk("fact", msFact) + Chunk("data", msBlock)), 53);
    ASSERT_EQ(l.size(), 53u);
    EXPECT_EQ(l[0], 500);
    for (int i = 1; i < 52; i++) EXPECT_EQ(l[i], 700) << i;
    EXPECT_EQ(l[52], 0);

    // IEEE float goes the same way.
    std::string ffmt = FmtBody(3, 1, 44100, 32, 4);
    std::string fdata;
    float vals[] = {0.5f, -0.25f};
    fdata.append(reinterpret_cast<const char*>(vals), sizeof vals);
    l = PlayLeft(Riff(Chunk("fmt ", ffmt) + Chunk("data", fdata)), 3);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_NEAR(l[0], 16384, 1);
    EXPECT_NEAR(l[1], -8192, 1);
    EXPECT_EQ(l[2], 0);
    FrameworkEnd();
}

TEST(SoundLoadWav, MalformedFilesFailWithTheirLogLines) {
    ASSERT_TRUE(StartFramework());
    std::string good = Wav(2, 44100, 16, {1, 2, 3, 4, 5, 6});

    const struct { const char* name; std::string bytes; } broken[] = {
        {"zero_channels.wav", Riff(Chunk("fmt ", FmtBody(1, 0, 44100, 16, 4)) + Chunk("data", "abcd"))},
        {"zero_block.wav", Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 16, 0)) + Chunk("data", "abcd"))},
        {"zero_block_18.wav", Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 16, 0, 18)) + Chunk("data", "abcd"))},
        {"zero_rate.wav", Riff(Chunk("fmt ", FmtBody(1, 1, 0, 16, 2)) + Chunk("data", "abcd"))},
        {"short_fmt.wav", Riff(Chunk("fmt ", FmtBody(1, 1, 44100, 16, 2).substr(0, 14)) + Chunk("data", "abcd"))},
        {"no_data.wav", Riff(Chunk("fmt ", FmtBody(1, 1, 44100, 16, 2)))},
        {"no_fmt.wav", Riff(Chunk("data", "abcd"))},
        {"header_only.wav", good.substr(0, 12)},
        {"cut_in_fmt.wav", good.substr(0, 30)},
        {"empty_data.wav", Riff(Chunk("fmt ", FmtBody(1, 1, 44100, 16, 2)) + Chunk("data", ""))},
        {"fmt_claims_all.wav", Riff(Chunk("fmt ", FmtBody(1, 1, 44100, 16, 2), 0x7FFFFFF0) + Chunk("data", "abcd"))},
        {"bits_12.wav", Riff(Chunk("fmt ", FmtBody(1, 1, 44100, 12, 2, 18)) + Chunk("data", "abcd"))},
        {"garbage.wav", "this is not a sound file at all"},
        {"empty.wav", ""},
    };
    for (const auto& b : broken) {
        WriteFile(b.name, b.bytes);
        EXPECT_EQ(LoadSoundFile(b.name, 3, -1), -1) << b.name;
        EXPECT_TRUE(LogHas(std::string("右記の音声ファイルのロードに失敗しました_2：") + b.name)) << b.name;
    }
    EXPECT_TRUE(LogHas("音声ファイルのＰＣＭへの変換に失敗しました"));

    // A data chunk claiming more than the file holds is cut to what is there.
    std::string lying = Riff(Chunk("fmt ", FmtBody(1, 1, 44100, 16, 2)) + "data" + std::string("\xff\xff\xff\x7f", 4) +
                             PcmBytes({11, 22, 33}, 16) + "\x01");
    EXPECT_EQ(PlayLeft(lying, 4), (std::vector<int>{11, 22, 33, 0}));
    // Truncated inside the samples: the whole frames that are there play.
    EXPECT_EQ(PlayLeft(good.substr(0, good.size() - 3), 3), (std::vector<int>{1, 3, 0}));

    // A missing file logs the open failure and the load failure, each with the path.
    EXPECT_EQ(LoadSoundFile("dat/se/none.wav", 3, -1), -1);
    EXPECT_TRUE(LogHas("右記のファイルのオープンに失敗しました：dat/se/none.wav"));
    EXPECT_TRUE(LogHas("右記の音声ファイルのロードに失敗しました_1：dat/se/none.wav"));
    FrameworkEnd();
}

TEST(SoundLoadWav, BufferCountIsClampedToOneToTen) {
    ASSERT_TRUE(StartFramework());
    WriteFile("one.wav", Wav(1, 44100, 16, std::vector<int>(100, 100)));
    // 25 buffers count as 10: the eleventh play restarts the first copy.
    int h = LoadSoundFile("one.wav", 25, -1);
    for (int i = 0; i < 11; i++) PlaySoundHandle(h, 3, 1);
    EXPECT_EQ(Pull(1)[0], 1000);
    // 0 buffers count as 1.
    int z = LoadSoundFile("one.wav", 0, -1);
    ASSERT_GE(z, 0);
    StopSoundHandle(h);
    PlaySoundHandle(z, 3, 1);
    PlaySoundHandle(z, 3, 1);
    EXPECT_EQ(Pull(1)[0], 100);
    FrameworkEnd();
}
