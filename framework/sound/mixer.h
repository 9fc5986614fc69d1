// The mixer: every playing voice (one platform buffer of a sound, or a
// stream) summed into 44100 Hz 16-bit stereo with linear-interpolation
// resampling in 16.16 fixed point, per-voice gain, looping and saturation.
// The platform's audio thread pulls it through MixerPull under the platform's
// audio lock; the sound module changes voices only while holding that lock.
#pragma once

#include <cstdint>

#include "framework/backend/audio/audio_decode.h"

enum { MIXER_RATE = 44100, MIXER_CHUNK = 256, STREAM_RING_FRAMES = 32768 };

// A decoder with the frames it has decoded ahead, for Ogg voices. The ring is
// a flat buffer compacted when its tail runs out: [read, read + count).
struct MixStream {
    OggDecoder* decoder;
    int channels;
    uint32_t total;        // length in frames
    uint32_t loopStart;    // where a repeating stream continues after its end
    uint32_t decodePos;    // track frame the decoder produces next
    uint32_t readFrame;    // track frame at ring[read]
    int atEnd;             // the decoder has delivered the last frame
    uint32_t read, count;
    int16_t ring[STREAM_RING_FRAMES * 2];
};

struct MixVoice {
    int playing;           // in the mixer's list
    int looping;
    int ended;             // ran to its end by itself: the next start begins at 0
    int listIndex;
    int channels;
    uint32_t step;         // source frames per output frame, 16.16
    int32_t gain;          // 16.16; 65536 is full volume
    int group;             // volume group: 0 effects, 1 music (streamed sounds)
    // In-memory source.
    const int16_t* pcm;
    uint32_t frames;
    uint32_t loopStart;
    // Streamed source (pcm is then null); pos counts from ring[read].
    MixStream* stream;
    uint64_t pos;          // 16.16 position
};

// Audio callback for PlatformMixFn; also the reference path the tests pull.
void MixerPull(int16_t* out, int frames, void* user);

// All of these are called with the platform's audio lock held.
void MixerStart(MixVoice* v);            // adds to the playing list
void MixerStop(MixVoice* v);             // removes; position stays
void MixerStopAll(void);
int MixerPlayingCount(void);
// Decodes ahead for every playing stream: up to `ahead` frames, at most
// `budget` new frames per stream per call.
void MixerServiceStreams(uint32_t ahead, uint32_t budget);

uint32_t MixerStep(int rate);            // 16.16 step for a source rate
int32_t MixerGain(int attenuation);      // hundredths of a decibel to 16.16 gain
// The player's volume of a group, 16.16 on top of every voice's own gain;
// 65536 (the default) leaves the voices exactly as they are.
void MixerSetGroupScale(int group, int32_t scale);

// Streams (audio lock held).
MixStream* StreamCreate(OggDecoder* decoder, int channels, uint32_t total);
void StreamDestroy(MixStream* s);
// Moves the stream to `frame`, dropping what was decoded ahead.
void StreamSeek(MixStream* s, uint32_t frame);
// Decodes until `want` frames are ahead or the end is reached (repeating
// streams continue at the loop start); at most `budget` frames per call.
void StreamFill(MixStream* s, uint32_t want, int looping, uint32_t budget);
// Track position of a voice, in frames.
uint32_t MixerVoicePosition(const MixVoice* v);
void MixerSetVoicePosition(MixVoice* v, uint32_t frame);
