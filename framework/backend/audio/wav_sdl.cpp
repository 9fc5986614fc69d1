// Compressed WAV for the sound loader: RIFF/WAVE data that the PCM reader left
// alone (ADPCM, float, 24/32-bit, A-law, mu-law, WAVE_FORMAT_EXTENSIBLE)
// decoded by SDL's WAV reader and converted to 16-bit samples with at most two
// channels, rate unchanged. Chunk sizes are clamped to the file before SDL
// sees them. An extensible format chunk whose bits field gives the valid bits
// rather than the container's (12 in 16-bit samples, 20 in 24-bit ones, as some
// writers put it) is given the container's size, which SDL needs: the valid
// bits sit at the top of each container, so the samples read as they are
// meant to, and a note says so.
#include <SDL.h>

#include <cstring>
#include <string>

#include "framework/backend/audio/audio_decode.h"

namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; i++) p[i] = (uint8_t)(v >> (8 * i));
}

uint32_t Le16(const uint8_t* p) { return p[0] | p[1] << 8; }

// An extensible format chunk's bits field set to its container's size when it
// gives fewer; the note tells what was changed.
void RepairExtensibleBits(uint8_t* fmt, size_t fmtSize, std::string* notes) {
    if (fmtSize < 40 || Le16(fmt) != 0xFFFE) return;
    const uint32_t channels = Le16(fmt + 2), blockAlign = Le16(fmt + 12), bits = Le16(fmt + 14);
    if (channels == 0 || blockAlign % channels != 0) return;
    const uint32_t container = blockAlign / channels * 8;
    if (bits == 0 || bits >= container || container > 32) return;
    fmt[14] = (uint8_t)container;
    fmt[15] = 0;
    *notes += "WAV: bits field " + std::to_string(bits) + " in " + std::to_string(container) +
              "-bit samples: read as " + std::to_string(container) + "-bit samples\n";
}

// SDL allocates the size a chunk header claims before reading the chunk, so a
// file of a few bytes could ask for gigabytes. SDL gets a copy whose RIFF and
// chunk sizes are cut to the bytes the file really holds.
std::vector<uint8_t> ClampedCopy(const uint8_t* data, size_t size, std::string* notes) {
    std::vector<uint8_t> copy(data, data + size);
    if (Le32(&copy[4]) > size - 8) PutLe32(&copy[4], (uint32_t)(size - 8));
    size_t at = 12;
    bool fmtSeen = false;
    while (at + 8 <= size) {
        size_t chunkSize = Le32(&copy[at + 4]);
        size_t room = size - at - 8;
        if (chunkSize > room) {
            chunkSize = room;
            PutLe32(&copy[at + 4], (uint32_t)chunkSize);
        }
        if (!fmtSeen && std::memcmp(&copy[at], "fmt ", 4) == 0) {
            fmtSeen = true;
            RepairExtensibleBits(&copy[at + 8], chunkSize, notes);
        }
        at += 8 + chunkSize + (chunkSize & 1);
    }
    return copy;
}

} // namespace

AudioProbe AudioDecodeCompressedWav(const uint8_t* data, size_t size, AudioPcm* out) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) return AUDIO_NOT_THIS;
    if (size > 0x7FFFFFFF) return AUDIO_BROKEN;

    std::string notes;
    const std::vector<uint8_t> file = ClampedCopy(data, size, &notes);
    SDL_RWops* rw = SDL_RWFromConstMem(file.data(), (int)size);
    if (!rw) return AUDIO_BROKEN;
    SDL_AudioSpec wavFormat;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &wavFormat, &buffer, &length)) return AUDIO_BROKEN;

    AudioProbe result = AUDIO_BROKEN;
    int channels = wavFormat.channels >= 2 ? 2 : 1;
    SDL_AudioCVT cvt;
    if (wavFormat.channels > 0 && wavFormat.freq > 0 && wavFormat.freq <= AUDIO_MAX_RATE &&
        SDL_BuildAudioCVT(&cvt, wavFormat.format, wavFormat.channels, wavFormat.freq, AUDIO_S16SYS, channels, wavFormat.freq) >= 0) {
        size_t frameIn = (size_t)SDL_AUDIO_BITSIZE(wavFormat.format) / 8 * wavFormat.channels;
        size_t frames = frameIn ? length / frameIn : 0;
        if (frames > 0 && frames <= 0x7FFFFFFF / 4) {
            length = (Uint32)(frames * frameIn);
            std::vector<Uint8> work((size_t)length * (cvt.len_mult > 0 ? cvt.len_mult : 1));
            std::memcpy(work.data(), buffer, length);
            cvt.buf = work.data();
            cvt.len = (int)length;
            if (!cvt.needed || SDL_ConvertAudio(&cvt) == 0) {
                size_t bytes = cvt.needed ? (size_t)cvt.len_cvt : length;
                out->format = {channels, wavFormat.freq, 16, channels * 2};
                out->frames = (uint32_t)(bytes / (2 * channels));
                out->samples.resize((size_t)out->frames * channels);
                std::memcpy(out->samples.data(), work.data(), out->samples.size() * 2);
                if (out->frames > 0) {
                    result = AUDIO_DECODED;
                    out->notes += notes;
                }
            }
        }
    }
    SDL_FreeWAV(buffer);
    return result;
}
