// The decoders under the sound loader, called directly: the PCM WAV reader's
// format fields, frame counts and clamping of lying sizes byte by byte, and
// the Ogg decoder's reads and seeks against a reference decode.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "framework/backend/audio/audio_decode.h"
#include "tests/framework/sound_fixtures.h"

using namespace soundtest;

namespace {

AudioProbe Pcm(const std::string& bytes, AudioPcm* out) {
    // A copy on the heap of exactly the file's size, so that a read past the
    // end is caught by the sanitizer build.
    std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    return AudioDecodePcmWav(exact.data(), exact.size(), out);
}

} // namespace

TEST(AudioPcmWav, FieldsFramesAndClamping) {
    AudioPcm pcm{};
    ASSERT_EQ(Pcm(Wav(2, 22050, 16, {1, -1, 2, -2, 3, -3}), &pcm), AUDIO_DECODED);
    EXPECT_EQ(pcm.format.channels, 2);
    EXPECT_EQ(pcm.format.rate, 22050);
    EXPECT_EQ(pcm.format.bits, 16);
    EXPECT_EQ(pcm.format.blockAlign, 4);
    EXPECT_EQ(pcm.frames, 3u);
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{1, -1, 2, -2, 3, -3}));

    // A 16-byte format chunk with 4-byte blocks of 2 channels is 16-bit even
    // when its bits field says 8; the samples are read as such.
    ASSERT_EQ(Pcm(Riff(Chunk("fmt ", FmtBody(1, 2, 8000, 8, 4)) + Chunk("data", PcmBytes({300, -300}, 16))), &pcm), AUDIO_DECODED);
    EXPECT_EQ(pcm.format.bits, 16);
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{300, -300}));

    // Odd data: the pad byte is not a sample; a trailing partial frame is dropped.
    ASSERT_EQ(Pcm(Wav(1, 8000, 8, {1, 2, 3}), &pcm), AUDIO_DECODED);
    EXPECT_EQ(pcm.frames, 3u);
    ASSERT_EQ(Pcm(Riff(Chunk("fmt ", FmtBody(1, 2, 8000, 16, 4)) + Chunk("data", std::string(10, '\0'))), &pcm), AUDIO_DECODED);
    EXPECT_EQ(pcm.frames, 2u);

    // Every size claims too much: the data is what the file holds.
    std::string body = FmtBody(1, 1, 8000, 16, 2);
    std::string lying = "RIFF" + std::string("\xff\xff\xff\xff", 4) + "WAVE" + "fmt " + std::string("\x10\0\0\0", 4) + body +
                        "data" + std::string("\xff\xff\xff\xff", 4) + PcmBytes({5, 6, 7}, 16);
    ASSERT_EQ(Pcm(lying, &pcm), AUDIO_DECODED);
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{5, 6, 7}));
    // A chunk before "fmt " that claims the rest of the file hides everything after it.
    EXPECT_EQ(Pcm(Riff(Chunk("JUNK", "ab", 0x7FFFFFFF) + Chunk("fmt ", body) + Chunk("data", "abcd")), &pcm), AUDIO_BROKEN);
    // Cut after every byte of a good file: never a read past the end, never a crash.
    std::string good = Wav(2, 44100, 16, {1, 2, 3, 4});
    for (size_t n = 0; n < good.size(); n++) {
        AudioPcm cut{};
        AudioProbe r = Pcm(good.substr(0, n), &cut);
        if (r == AUDIO_DECODED) {
            EXPECT_EQ(cut.frames, (n - 44) / 4) << n;
        }
    }

    // Not PCM: left to the next reader. 24-bit PCM and more than two channels too.
    EXPECT_EQ(Pcm(Riff(Chunk("fmt ", FmtBody(2, 1, 8000, 4, 36)) + Chunk("data", "abcd")), &pcm), AUDIO_NOT_THIS);
    EXPECT_EQ(Pcm(Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 24, 3)) + Chunk("data", "abc")), &pcm), AUDIO_NOT_THIS);
    EXPECT_EQ(Pcm(Riff(Chunk("fmt ", FmtBody(1, 4, 8000, 16, 8)) + Chunk("data", "abcdefgh")), &pcm), AUDIO_NOT_THIS);
    EXPECT_EQ(Pcm("RIFF\0\0\0\0WAVX", &pcm), AUDIO_NOT_THIS);
    EXPECT_EQ(Pcm("OggS", &pcm), AUDIO_NOT_THIS);
}

TEST(AudioOgg, ReadsAndSeeksMatchTheReference) {
    const int frames = 30000;
    std::string ogg = EncodeOgg(2, 44100, Sweep(2, 44100, frames));
    ASSERT_FALSE(ogg.empty()) << "the Ogg encoder refused the format";
    const uint8_t* data = reinterpret_cast<const uint8_t*>(ogg.data());

    AudioFormat format{};
    uint32_t total = 0;
    ASSERT_EQ(AudioProbeOgg(data, ogg.size(), &format, &total), AUDIO_DECODED);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.rate, 44100);
    EXPECT_EQ(total, (uint32_t)frames);

    std::vector<int16_t> ref((size_t)frames * 2);
    OggDecoder* d = OggOpen(data, ogg.size());
    ASSERT_NE(d, nullptr);
    int got = 0;
    while (got < frames) {
        int n = OggRead(d, ref.data() + got * 2, 1000);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(OggRead(d, ref.data(), 10), 0);
    // Seeks land on the exact frame.
    const uint32_t targets[] = {0, 1, 12345, 29999, 777};
    for (uint32_t t : targets) {
        ASSERT_EQ(OggSeek(d, t), 0);
        int16_t two[4];
        ASSERT_EQ(OggRead(d, two, 1), 1);
        EXPECT_EQ(two[0], ref[t * 2]) << t;
        EXPECT_EQ(two[1], ref[t * 2 + 1]) << t;
    }
    OggClose(d);

    EXPECT_EQ(OggOpen(data, 100), nullptr);
    EXPECT_EQ(AudioProbeOgg(data, 100, &format, &total), AUDIO_BROKEN);
    EXPECT_EQ(AudioProbeOgg(reinterpret_cast<const uint8_t*>("RIFF"), 4, &format, &total), AUDIO_NOT_THIS);
}

namespace {

// Every decoder in the loader's order, as LoadSoundFile offers a file to them;
// Ogg Vorbis decoded whole through its incremental decoder.
AudioProbe DecodeAny(const std::vector<uint8_t>& bytes, AudioPcm* out) {
    AudioProbe r = AudioDecodePcmWav(bytes.data(), bytes.size(), out);
    if (r == AUDIO_NOT_THIS) r = AudioDecodeCompressedWav(bytes.data(), bytes.size(), out);
    if (r != AUDIO_NOT_THIS) return r;
    r = AudioProbeOgg(bytes.data(), bytes.size(), &out->format, &out->frames, &out->notes);
    if (r == AUDIO_DECODED) {
        OggDecoder* d = OggOpen(bytes.data(), bytes.size());
        if (!d) return AUDIO_BROKEN;
        out->samples.assign((size_t)out->frames * out->format.channels, 0);
        int got = 0, n;
        while (got < (int)out->frames && (n = OggRead(d, out->samples.data() + (size_t)got * out->format.channels,
                                                      (int)out->frames - got)) > 0)
            got += n;
        OggClose(d);
        return got == (int)out->frames ? AUDIO_DECODED : AUDIO_BROKEN;
    }
    if (r != AUDIO_NOT_THIS) return r;
    return AudioDecodeMp3(bytes.data(), bytes.size(), out);
}

} // namespace

// Every file of tests/data/sounds (written by its make-sound-test-data.py from
// sox, lame and oggenc output, changed as real files are found changed) reads
// sample for sample as an independent decoder read it, with a note exactly
// when the reader had to skip or repair something; files refused on purpose
// are refused. Half of each file is refused or read without a crash.
TEST(AudioDecoders, VariantsMatchTheirReferences) {
    const std::string dir = VORTALIS_SOURCE_DIR "/tests/data/sounds/";
    std::ifstream list(dir + "cases.txt");
    ASSERT_TRUE(list) << dir << "cases.txt";
    std::string line;
    int count = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        std::string file, ref, noted, source;
        int tolerance = 0;
        in >> file >> ref >> tolerance >> noted;
        std::getline(in, source);
        SCOPED_TRACE(file + source);
        count++;
        const std::string text = ReadFile(dir + file);
        ASSERT_FALSE(text.empty());
        const std::vector<uint8_t> bytes(text.begin(), text.end());
        AudioPcm pcm{};
        const AudioProbe r = DecodeAny(bytes, &pcm);
        if (ref == "-") {
            EXPECT_NE(r, AUDIO_DECODED);
            continue;
        }
        ASSERT_EQ(r, AUDIO_DECODED);
        const std::string want = ReadFile(dir + ref);
        ASSERT_EQ(pcm.samples.size() * 2, want.size());
        int wrong = 0;
        for (size_t i = 0; i < pcm.samples.size(); i++) {
            const int w = (int16_t)(uint8_t(want[2 * i]) | uint8_t(want[2 * i + 1]) << 8);
            if (std::abs(pcm.samples[i] - w) > tolerance && wrong++ < 3)
                ADD_FAILURE() << "sample " << i << " is " << pcm.samples[i] << ", reference " << w;
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(!pcm.notes.empty(), noted == "noted") << pcm.notes;
        const std::vector<uint8_t> half(bytes.begin(), bytes.begin() + bytes.size() / 2);
        AudioPcm cut{};
        DecodeAny(half, &cut);
    }
    EXPECT_GT(count, 0);
}
