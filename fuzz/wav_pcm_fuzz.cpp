// Fuzz target for the PCM WAV reader (format tag 1, 8 or 16 bits, one or two channels): any bytes in memory; a
// "decoded" answer must come with a sane format and exactly frames × channels samples.
#include <cstdint>

#include "framework/backend/audio/audio_decode.h"
#include "fuzz/audio_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AudioPcm pcm{};
    FuzzCheckPcm(AudioDecodePcmWav(data, size, &pcm), pcm);
    return 0;
}
