// Compressed WAV for the sound loader: RIFF/WAVE data that the PCM reader left
// alone (ADPCM, float, 24/32-bit, A-law, mu-law) decoded by SDL's WAV reader
// and converted to 16-bit samples with at most two channels, rate unchanged.
#include <SDL.h>

#include <cstring>

#include "framework/backend/audio/audio_decode.h"

AudioProbe AudioDecodeCompressedWav(const uint8_t* data, size_t size, AudioPcm* out) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) return AUDIO_NOT_THIS;
    if (size > 0x7FFFFFFF) return AUDIO_BROKEN;

    SDL_RWops* rw = SDL_RWFromConstMem(data, (int)size);
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
                if (out->frames > 0) result = AUDIO_DECODED;
            }
        }
    }
    SDL_FreeWAV(buffer);
    return result;
}
