// The sound table shared by the sound module's files: handles, records and the
// device flag. Records change only under the API lock; the voices inside them
// also only while the platform's audio lock is held, because the mixer reads them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/backend/audio/audio_decode.h"
#include "framework/sound/mixer.h"

enum {
    SOUND_MAX = 4096,
    SOUND_MAX_BUFFERS = 10,
    SOUND_HANDLE_KIND = 2,        // bits 27..30 of a handle
    SOUND_CHECK_LIMIT = 2048,
};

enum SoundKind { SOUND_IN_MEMORY = 1, SOUND_STREAMED = 2 };

struct SoundRecord {
    int used;
    int check;
    int kind;
    int bufferCount;              // in-memory sounds: 1..10
    int current;                  // buffer of the last play
    AudioFormat format;
    uint32_t frames;              // total length
    std::vector<int16_t> pcm;     // decoded samples (in-memory and PCM streams)
    std::string oggFile;          // the Ogg file's bytes, read by its decoders
    uint32_t loopStart;           // streamed sounds: in frames
    uint64_t loopStartBytes;      //   and in bytes of the sound's format
    uint32_t startTime;           // clock at the last play
    int attenuation;              // hundredths of a decibel, 0..−10000
    MixVoice voices[SOUND_MAX_BUFFERS];  // a streamed sound uses voices[0]
};

struct SoundState {
    int device;                   // 1 while the audio output is open
    int checkCounter;
    int hint;                     // next-free hint; SOUND_MAX once run out
    SoundRecord table[SOUND_MAX];
};

extern SoundState g_sound;

// Handles (sound_handles.cpp).
int SoundAllocSlot(void);                 // free slot (taken by SoundMakeHandle), or −1 when full
int SoundMakeHandle(int slot);            // takes the check counter's value
SoundRecord* SoundFromHandle(int handle); // nullptr for anything not a live sound
void SoundFreeSlot(int slot);
int SoundTableCount(void);                // live sound records
// Releases a record's voices and their streams (audio lock taken inside);
// SoundReleaseRecord also frees its samples and file bytes.
void SoundReleaseVoices(SoundRecord* r);
void SoundReleaseRecord(SoundRecord* r);
// Volume 0..255 to attenuation in hundredths of a decibel (sound_play.cpp).
int SoundAttenuationFor(int volume);
// Builds the voice of buffer or stream `index` of a record that has none yet
// (Ogg sounds open their decoder here); 0, or −1.
int SoundPrepareVoice(SoundRecord* r, int index);
