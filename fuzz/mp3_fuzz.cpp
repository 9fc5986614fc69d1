// Fuzz target for the MP3 decoder (ID3 tags cut off, then libmpg123 fed from memory): any bytes in memory; a
// "decoded" answer must come with a sane format and exactly frames × channels samples.
#include <cstdint>

#include "framework/backend/audio/audio_decode.h"
#include "fuzz/audio_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AudioPcm pcm{};
    FuzzCheckPcm(AudioDecodeMp3(data, size, &pcm), pcm);
    return 0;
}
