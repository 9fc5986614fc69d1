// Fuzz target for the compressed WAV decoder (RIFF WAVE data handed to SDL's reader and converter): any bytes in memory; a
// "decoded" answer must come with a sane format and exactly frames × channels samples.
#include <cstdint>

#include "framework/backend/audio/audio_decode.h"
#include "fuzz/audio_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AudioPcm pcm{};
    FuzzCheckPcm(AudioDecodeCompressedWav(data, size, &pcm), pcm);
    return 0;
}
