// PCM WAV reader for the sound loader: RIFF/WAVE with a "fmt " chunk of format
// tag 1 and a "data" chunk. Every chunk size is clamped to the bytes the file
// really holds, so a lying header never makes it read past the end.
#include <cstring>

#include "framework/backend/audio/audio_decode.h"

namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
uint16_t Le16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }

} // namespace

AudioProbe AudioDecodePcmWav(const uint8_t* data, size_t size, AudioPcm* out) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) return AUDIO_NOT_THIS;

    const uint8_t* fmt = nullptr;
    size_t fmtSize = 0;
    const uint8_t* pcm = nullptr;
    size_t pcmSize = 0;
    size_t at = 12;
    while (at + 8 <= size) {
        const uint8_t* chunk = data + at;
        size_t chunkSize = Le32(chunk + 4);
        size_t room = size - at - 8;
        if (chunkSize > room) chunkSize = room;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !fmt) {
            fmt = chunk + 8;
            fmtSize = chunkSize;
        } else if (std::memcmp(chunk, "data", 4) == 0 && fmt) {
            pcm = chunk + 8;
            pcmSize = chunkSize;
            break;
        }
        // Chunks are padded to an even size.
        at += 8 + chunkSize + (chunkSize & 1);
    }

    if (!fmt) return AUDIO_BROKEN;
    if (fmtSize < 16) return AUDIO_BROKEN;
    if (Le16(fmt) != 1) return AUDIO_NOT_THIS;

    int channels = Le16(fmt + 2);
    uint32_t rate = Le32(fmt + 4);
    int blockAlign = Le16(fmt + 12);
    if (channels == 0 || blockAlign == 0) return AUDIO_BROKEN;
    // A bare 16-byte format chunk says its sample size only through the block size.
    int bits = fmtSize == 16 ? blockAlign / channels * 8 : Le16(fmt + 14);
    if (bits != 8 && bits != 16) return bits == 24 || bits == 32 ? AUDIO_NOT_THIS : AUDIO_BROKEN;
    if (channels > 2) return AUDIO_NOT_THIS;
    if (rate == 0 || rate > AUDIO_MAX_RATE) return AUDIO_BROKEN;
    if (!pcm) return AUDIO_BROKEN;

    size_t frameBytes = (size_t)channels * (bits / 8);
    size_t frames = pcmSize / frameBytes;
    if (frames == 0 || frames > 0x7FFFFFFF / (size_t)channels) return AUDIO_BROKEN;

    out->format = {channels, (int)rate, bits, blockAlign};
    out->frames = (uint32_t)frames;
    out->samples.resize(frames * channels);
    int16_t* dst = out->samples.data();
    size_t count = frames * channels;
    if (bits == 8) {
        for (size_t i = 0; i < count; i++) dst[i] = (int16_t)((pcm[i] - 128) * 256);
    } else {
        for (size_t i = 0; i < count; i++) dst[i] = (int16_t)Le16(pcm + 2 * i);
    }
    return AUDIO_DECODED;
}
