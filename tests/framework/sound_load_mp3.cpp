// MP3 through the loader: a file encoded on the spot, the ID3v2 tag at the start and the "TAG" block at the end skipped,
// padding after the tag skipped with a log line, hand-made silent frames, and data that only looks like MP3.
#include <gtest/gtest.h>

#include "tests/framework/sound_fixtures.h"

using namespace soundtest;

namespace {

// One MPEG-1 layer III frame, 128 kbit/s, 44100 Hz, mono, no CRC: a header and
// 413 zero bytes (empty side information and main data decode to silence).
std::string SilentFrame() {
    std::string f = "\xFF\xFB\x90\xC0";
    f += std::string(417 - 4, '\0');
    return f;
}

std::string Id3v2(size_t bodySize) {
    std::string t = "ID3";
    t += '\x03'; t += '\0'; t += '\0';
    t += (char)((bodySize >> 21) & 0x7F); t += (char)((bodySize >> 14) & 0x7F);
    t += (char)((bodySize >> 7) & 0x7F); t += (char)(bodySize & 0x7F);
    return t + std::string(bodySize, 'x');
}

std::string Id3v1() {
    std::string t = "TAG";
    t += std::string(125, '\xFF');
    return t;
}

std::vector<int16_t> PullAll(int h, int frames) {
    PlaySoundHandle(h, 1, 1);
    auto out = Pull(frames);
    StopSoundHandle(h);
    return out;
}

} // namespace

TEST(SoundLoadMp3, HandMadeFramesAndTags) {
    ASSERT_TRUE(StartFramework());
    std::string frames;
    for (int i = 0; i < 12; i++) frames += SilentFrame();
    WriteFile("silent.mp3", frames);
    int h = LoadSoundFile("silent.mp3", 1, -1);
    ASSERT_GE(h, 0);
    for (int16_t s : PullAll(h, 2000)) ASSERT_EQ(s, 0);
    // Only the length shows a silent sound: 12 frames of 1152 samples at most.
    EXPECT_EQ(SetSoundLoopPos(12 * 1152 * 1000 / 44100 + 1, h), -1);
    EXPECT_EQ(SetSoundLoopPos(0, h), 0);

    // An ID3v2 tag whose body starts with a frame-sync pattern, and an ID3v1
    // block at the end: both are cut off before decoding.
    std::string tagged = Id3v2(300) + frames + Id3v1();
    tagged[10] = '\xFF';
    tagged[11] = '\xFB';
    WriteFile("tagged.mp3", tagged);
    EXPECT_GE(LoadSoundFile("tagged.mp3", 1, -1), 0);
    // Padding between the tag and the first frame is skipped, and the log says
    // how much; nothing is noted for a clean file.
    WriteFile("padded.mp3", Id3v2(30) + std::string(21, '\0') + frames);
    int padded = LoadSoundFile("padded.mp3", 1, -1);
    ASSERT_GE(padded, 0);
    for (int16_t s : PullAll(padded, 500)) ASSERT_EQ(s, 0);
    std::string notes = ReadFile("Log.txt");
    EXPECT_NE(notes.find("右記の音声ファイルを補って読み込みました：padded.mp3 (MP3: 21 bytes before the first frame skipped)"),
              std::string::npos);
    EXPECT_EQ(notes.find("補って読み込みました：tagged.mp3"), std::string::npos);

    const struct { const char* name; std::string bytes; } broken[] = {
        {"text.mp3", "ID3 but nothing else follows"},
        {"bad_rate.mp3", std::string("\xFF\xFB\x9C\xC0", 4) + std::string(600, '\0')},
        {"bad_bitrate.mp3", std::string("\xFF\xFB\xF0\xC0", 4) + std::string(600, '\0')},
        {"cut_header.mp3", std::string("\xFF\xFB", 2)},
        {"only_tag.mp3", Id3v2(20)},
    };
    for (const auto& b : broken) {
        WriteFile(b.name, b.bytes);
        EXPECT_EQ(LoadSoundFile(b.name, 1, -1), -1) << b.name;
    }
    std::string log = ReadFile("Log.txt");
    EXPECT_NE(log.find("右記の音声ファイルのロードに失敗しました_2：bad_rate.mp3"), std::string::npos);
    FrameworkEnd();
}

TEST(SoundLoadMp3, EncodedFileDecodesAndTagsChangeNothing) {
    ASSERT_TRUE(StartFramework());
    const int frames = 44100;
    std::vector<int16_t> tone = Sweep(2, 44100, frames, 10000);
    std::string mp3 = EncodeMp3(2, 44100, tone);
    ASSERT_FALSE(mp3.empty()) << "the MP3 encoder refused the format";
    WriteFile("plain.mp3", mp3);
    WriteFile("tagged.mp3", Id3v2(1000) + mp3 + Id3v1());
    int a = LoadSoundFile("plain.mp3", 1, -1);
    int b = LoadSoundFile("tagged.mp3", 1, -1);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    auto pa = PullAll(a, frames + 4000);
    auto pb = PullAll(b, frames + 4000);
    EXPECT_EQ(pa, pb);
    // It sounds: the energy is near the tone's (encoder delay shifts it a little).
    double energy = 0, want = 0;
    for (size_t i = 0; i < tone.size(); i++) want += (double)tone[i] * tone[i];
    for (int16_t s : pa) energy += (double)s * s;
    EXPECT_GT(energy, want * 0.8);
    EXPECT_LT(energy, want * 1.2);
    // Its length is the tone's plus at most a few frames of encoder padding.
    EXPECT_EQ(SetSoundLoopPos(1000 + 100, a), -1);
    EXPECT_EQ(SetSoundLoopPos(990, a), 0);
    FrameworkEnd();
}
