// Regression test for a fault the compressed-WAV fuzz target found: a data
// chunk whose header claims about 4 GB made SDL's reader allocate that much
// before reading a byte, for a file of a few hundred bytes.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/backend/audio/audio_decode.h"
#include "tests/framework/sound_fixtures.h"

namespace {

using soundtest::Chunk;
using soundtest::FmtBody;
using soundtest::Put32;
using soundtest::Riff;

std::string FloatSamples(const std::vector<float>& v) {
    std::string s;
    for (float f : v) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        Put32(s, u);
    }
    return s;
}

#if defined(__SANITIZE_ADDRESS__)
#define VORTALIS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORTALIS_ASAN 1
#endif
#endif

// Caps this process's address space at what it maps now plus 1 GiB, so that an
// allocation of gigabytes fails here as it would on a machine without that much
// memory (overcommit would otherwise let it pass unseen). AddressSanitizer
// reserves terabytes of shadow memory, so its builds run without the cap.
class AddressSpaceCap {
public:
    AddressSpaceCap() {
#ifndef VORTALIS_ASAN
        long pages = 0;
        FILE* f = std::fopen("/proc/self/statm", "r");
        if (!f) return;
        const bool read = std::fscanf(f, "%ld", &pages) == 1;
        std::fclose(f);
        if (!read || getrlimit(RLIMIT_AS, &old_) != 0) return;
        rlimit cap = old_;
        cap.rlim_cur = static_cast<rlim_t>(pages) * 4096 + (rlim_t(1) << 30);
        if (old_.rlim_max != RLIM_INFINITY && cap.rlim_cur > old_.rlim_max) return;
        active_ = setrlimit(RLIMIT_AS, &cap) == 0;
#endif
    }
    ~AddressSpaceCap() {
        if (active_) setrlimit(RLIMIT_AS, &old_);
    }

private:
    rlimit old_{};
    bool active_ = false;
};

AudioProbe Decode(const std::string& file, AudioPcm* pcm) {
    return AudioDecodeCompressedWav(reinterpret_cast<const uint8_t*>(file.data()), file.size(), pcm);
}

} // namespace

// The fuzzer's input claimed 0xFFFF00C8 data bytes. The file's own samples are
// decoded as if the sizes were honest, whatever the RIFF and data headers claim.
TEST(FuzzRegression, CompressedWavChunkSizesClampedToTheFile) {
    const std::vector<float> values = {0.5f, -0.5f, 0.25f, 0.0f, -1.0f, 0.75f};
    const std::string fmt = Chunk("fmt ", FmtBody(3, 1, 11025, 32, 4));
    const std::string honest = Riff(fmt + Chunk("data", FloatSamples(values)));
    const std::string lying = Riff(fmt + Chunk("data", FloatSamples(values), 0xFFFF00C8u));
    std::string lyingRiff = lying;
    lyingRiff[4] = lyingRiff[5] = lyingRiff[6] = lyingRiff[7] = '\xFF';

    AudioPcm want{};
    ASSERT_EQ(Decode(honest, &want), AUDIO_DECODED);
    ASSERT_EQ(want.frames, values.size());
    EXPECT_NEAR(want.samples[0], 16384, 2);
    EXPECT_NEAR(want.samples[1], -16384, 2);
    EXPECT_NEAR(want.samples[4], -32768, 2);

    AddressSpaceCap cap;
    for (const std::string& file : {lying, lyingRiff}) {
        AudioPcm got{};
        ASSERT_EQ(Decode(file, &got), AUDIO_DECODED);
        EXPECT_EQ(got.format.channels, 1);
        EXPECT_EQ(got.format.rate, 11025);
        EXPECT_EQ(got.frames, want.frames);
        EXPECT_EQ(got.samples, want.samples);
    }

    // The same file cut inside its samples keeps the whole frames present.
    AudioPcm cut{};
    ASSERT_EQ(Decode(lying.substr(0, lying.size() - 6), &cut), AUDIO_DECODED);
    EXPECT_EQ(cut.frames, values.size() - 2);
    EXPECT_EQ(std::vector<int16_t>(want.samples.begin(), want.samples.begin() + 4), cut.samples);
}
