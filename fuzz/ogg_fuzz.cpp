// Fuzz target for the Ogg Vorbis decoder: any bytes in memory probed, then, when
// a decoder opens, read to the end in pieces of varying length, sought back and
// read again, as a streamed sound's voice would.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/backend/audio/audio_decode.h"
#include "fuzz/audio_check.h"

namespace {

enum { MAX_FRAMES_READ = 1 << 18, PIECE = 4096, GUARD = 64 };

const int kPieces[] = {4096, 1, 733, 2048, 17};

int16_t g_out[(PIECE + GUARD) * 2];

// Reads up to `limit` frames; returns the frames decoded.
long ReadAll(OggDecoder* dec, long limit, int channels) {
    long total = 0;
    for (int k = 0; total < limit; k++) {
        const int want = kPieces[k % 5];
        std::memset(g_out, 0x5A, sizeof g_out);
        const int got = OggRead(dec, g_out, want);
        if (got > want) std::abort();
        for (size_t i = static_cast<size_t>(want) * channels; i < sizeof g_out / sizeof g_out[0]; i++)
            if (g_out[i] != 0x5A5A) std::abort();
        if (got <= 0) break;
        total += got;
    }
    return total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AudioFormat format{};
    uint32_t frames = 0;
    AudioProbe r = AudioProbeOgg(data, size, &format, &frames);
    if (r == AUDIO_DECODED) {
        FuzzCheckFormat(format);
        if (frames == 0) std::abort();
    }
    OggDecoder* dec = OggOpen(data, size);
    if (!dec) return 0;
    const int channels = r == AUDIO_DECODED ? format.channels : 2;
    ReadAll(dec, MAX_FRAMES_READ, channels);
    if (OggSeek(dec, 0) == 0) ReadAll(dec, PIECE * 4, channels);
    if (frames > 1 && OggSeek(dec, frames / 2) == 0) ReadAll(dec, PIECE * 4, channels);
    OggSeek(dec, frames + 1000);
    ReadAll(dec, PIECE, channels);
    OggClose(dec);
    return 0;
}
