// Sound device start-up and shut-down, the stream refill run by every
// ProcessMessage, and the calls on a loaded sound: play with its buffer
// rotation, stop, volume, loop position (which makes the sound a stream) and delete.
#include <cmath>

#include "framework/backend/platform.h"
#include "framework/core/api_lock.h"
#include "framework/core/log.h"
#include "framework/core/services.h"
#include "framework/framework.h"
#include "framework/sound/sound_internal.h"

namespace {

// How far ahead streams are decoded by the refill, and how much one refill
// may decode per stream so that a ProcessMessage stays short.
enum { STREAM_AHEAD_FRAMES = 16384, STREAM_REFILL_BUDGET = 8192 };

const Platform* P() { return PlatformGet(); }

bool VoicePlaying(const MixVoice* v) {
    P()->LockAudio();
    bool playing = v->playing != 0;
    P()->UnlockAudio();
    return playing;
}

int PlayImpl(int handle, int playType, int fromTop) {
    if (!g_sound.device) return -1;
    SoundRecord* r = SoundFromHandle(handle);
    if (!r) return -1;
    int looping = playType == 3;
    MixVoice* started = nullptr;

    if (r->kind == SOUND_STREAMED) {
        if (SoundPrepareVoice(r, 0) != 0) return -1;
        MixVoice* v = &r->voices[0];
        P()->LockAudio();
        if (fromTop) MixerSetVoicePosition(v, 0);
        v->looping = looping;
        v->group = r->kind == SOUND_STREAMED;
        MixerStart(v);
        P()->UnlockAudio();
        started = v;
    } else {
        P()->LockAudio();
        uint32_t at = MixerVoicePosition(&r->voices[r->current]);
        P()->UnlockAudio();
        r->current = (r->current + 1) % r->bufferCount;
        if (SoundPrepareVoice(r, r->current) != 0) return -1;
        MixVoice* v = &r->voices[r->current];
        P()->LockAudio();
        if (v->playing) {
            // The next buffer still sounds: leave it alone, or take it over from the top.
            if (!fromTop) {
                P()->UnlockAudio();
                return 0;
            }
            MixerStop(v);
        }
        MixerSetVoicePosition(v, fromTop ? 0 : at);
        v->looping = looping;
        v->group = r->kind == SOUND_STREAMED;
        MixerStart(v);
        P()->UnlockAudio();
        started = v;
    }
    r->startTime = P()->TicksMs();

    // Wait only for the buffer started here: another buffer of the same sound
    // may be repeating and would never end.
    if (playType == 0) {
        while (VoicePlaying(started)) {
            P()->SleepMs(1);
            if (ProcessMessage() != 0) break;
        }
    }
    return 0;
}

int StopImpl(int handle) {
    if (!g_sound.device) return -1;
    SoundRecord* r = SoundFromHandle(handle);
    if (!r) return -1;
    P()->LockAudio();
    for (MixVoice& v : r->voices) MixerStop(&v);
    P()->UnlockAudio();
    return 0;
}

int VolumeImpl(int volume, int handle) {
    if (!g_sound.device) return -1;
    SoundRecord* r = SoundFromHandle(handle);
    if (!r) return -1;
    r->attenuation = SoundAttenuationFor(volume);
    int32_t gain = MixerGain(r->attenuation);
    P()->LockAudio();
    for (MixVoice& v : r->voices) v.gain = gain;
    P()->UnlockAudio();
    return 0;
}

int LoopPosImpl(int loopMs, int handle) {
    if (!g_sound.device) return -1;
    SoundRecord* r = SoundFromHandle(handle);
    if (!r) return -1;
    // 64-bit product: in 32 bits it wraps beyond about 97 s at 44.1 kHz.
    uint64_t start = (uint64_t)(uint32_t)loopMs * (uint32_t)r->format.rate / 1000;
    if (start >= r->frames) return -1;

    if (r->kind == SOUND_IN_MEMORY) {
        // The buffers go; one stream over the same samples (or the same Ogg
        // data) takes their place under the same handle.
        SoundReleaseVoices(r);
        r->kind = SOUND_STREAMED;
        r->current = 0;
    }
    r->loopStart = (uint32_t)start;
    r->loopStartBytes = start * (uint64_t)r->format.blockAlign;
    if (SoundPrepareVoice(r, 0) != 0) {
        WriteLogLine("ストリームサウンドの作成に失敗しました\n");
        return -1;
    }
    MixVoice* v = &r->voices[0];
    P()->LockAudio();
    if (v->stream) v->stream->loopStart = r->loopStart;
    else v->loopStart = r->loopStart;
    P()->UnlockAudio();
    return 0;
}

int DeleteImpl(int handle) {
    if (!g_sound.device) return -1;
    if (!SoundFromHandle(handle)) return -1;
    SoundFreeSlot(handle & 0x7FFF);
    return 0;
}

} // namespace

int SoundAttenuationFor(int volume) {
    if (volume > 255) volume = 255;
    if (volume <= 0) return -10000;
    int att = (int)(1000.0 * std::log10(volume / 255.0));
    return att < -10000 ? -10000 : att;
}

int SoundStartup(void) {
    g_sound.device = 0;
    if (P()->OpenAudio(MixerPull, nullptr) != 0) return -1;
    g_sound.device = 1;
    return 0;
}

void SoundShutdown(void) {
    if (g_sound.device) P()->CloseAudio();
    for (int i = 0; i < SOUND_MAX; i++)
        if (g_sound.table[i].used) SoundFreeSlot(i);
    g_sound.hint = 0;
    g_sound.device = 0;
}

void SoundServiceStreams(void) {
    if (!g_sound.device) return;
    P()->LockAudio();
    MixerServiceStreams(STREAM_AHEAD_FRAMES, STREAM_REFILL_BUDGET);
    P()->UnlockAudio();
}

int PlaySoundHandle(int handle, int playType, int fromTopFlag) { ApiGuard g; return PlayImpl(handle, playType, fromTopFlag); }
int StopSoundHandle(int handle) { ApiGuard g; return StopImpl(handle); }
int SetSoundVolume(int volume, int handle) { ApiGuard g; return VolumeImpl(volume, handle); }
int SetSoundLoopPos(int loopMs, int handle) { ApiGuard g; return LoopPosImpl(loopMs, handle); }
int DeleteSound(int handle, int flag) { ApiGuard g; (void)flag; return DeleteImpl(handle); }

// ---- Additions: the player's volume per group ----

int SetVolumeScale(int group, int permille) {
    ApiGuard g;
    if (group != VOLUME_EFFECTS && group != VOLUME_MUSIC) return -1;
    if (permille < 0) permille = 0;
    if (permille > 1000) permille = 1000;
    const int32_t scale = static_cast<int32_t>(static_cast<int64_t>(permille) * 65536 / 1000);
    if (g_sound.device) P()->LockAudio();
    MixerSetGroupScale(group, scale);
    if (g_sound.device) P()->UnlockAudio();
    return 0;
}
