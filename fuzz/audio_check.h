// Checks shared by the sound decoder targets: what a decoder that says
// "decoded" must have filled in.
#pragma once

#include <cstdlib>

#include "framework/backend/audio/audio_decode.h"

inline void FuzzCheckFormat(const AudioFormat& f) {
    if (f.channels < 1 || f.channels > 2) std::abort();
    if (f.rate < 1 || f.rate > AUDIO_MAX_RATE) std::abort();
    if (f.bits != 8 && f.bits != 16) std::abort();
}

inline void FuzzCheckPcm(AudioProbe r, const AudioPcm& pcm) {
    if (r != AUDIO_NOT_THIS && r != AUDIO_DECODED && r != AUDIO_BROKEN) std::abort();
    if (r != AUDIO_DECODED) return;
    FuzzCheckFormat(pcm.format);
    if (pcm.frames == 0) std::abort();
    if (pcm.samples.size() != static_cast<size_t>(pcm.frames) * pcm.format.channels) std::abort();
}
