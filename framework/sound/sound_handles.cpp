// Sound handles: the 4096-slot table with its next-free hint and its own
// 11-bit check counter, handle making and validation, and the release of a
// record. Called by the loader and every sound call.
#include "framework/backend/platform.h"
#include "framework/sound/sound_internal.h"

SoundState g_sound;

int SoundAllocSlot(void) {
    if (g_sound.hint < SOUND_MAX) return g_sound.hint;
    for (int i = 0; i < SOUND_MAX; i++)
        if (!g_sound.table[i].used) return i;
    return -1;
}

int SoundMakeHandle(int slot) {
    SoundRecord* r = &g_sound.table[slot];
    if (slot == g_sound.hint) g_sound.hint++;
    r->used = 1;
    r->check = g_sound.checkCounter;
    g_sound.checkCounter = (g_sound.checkCounter + 1) % SOUND_CHECK_LIMIT;
    return SOUND_HANDLE_KIND << 27 | r->check << 16 | slot;
}

SoundRecord* SoundFromHandle(int handle) {
    if (handle < 0) return nullptr;
    if (((handle >> 27) & 0xF) != SOUND_HANDLE_KIND) return nullptr;
    if (handle & 0x8000) return nullptr;
    int slot = handle & 0x7FFF;
    int check = (handle >> 16) & 0x7FF;
    if (slot >= SOUND_MAX) return nullptr;
    SoundRecord* r = &g_sound.table[slot];
    if (!r->used || r->check != check) return nullptr;
    return r;
}

void SoundReleaseVoices(SoundRecord* r) {
    const Platform* p = PlatformGet();
    MixStream* streams[SOUND_MAX_BUFFERS] = {};
    p->LockAudio();
    for (int i = 0; i < SOUND_MAX_BUFFERS; i++) {
        MixerStop(&r->voices[i]);
        streams[i] = r->voices[i].stream;
        r->voices[i] = MixVoice{};
    }
    p->UnlockAudio();
    // Out of the mixer's reach now: free outside the audio lock.
    for (MixStream* s : streams) StreamDestroy(s);
}

void SoundReleaseRecord(SoundRecord* r) {
    SoundReleaseVoices(r);
    std::vector<int16_t>().swap(r->pcm);
    std::string().swap(r->oggFile);
}

void SoundFreeSlot(int slot) {
    SoundRecord* r = &g_sound.table[slot];
    SoundReleaseRecord(r);
    r->used = 0;
    r->kind = 0;
}

int SoundTableCount(void) {
    int n = 0;
    for (const SoundRecord& r : g_sound.table) n += r.used ? 1 : 0;
    return n;
}

int SoundPrepareVoice(SoundRecord* r, int index) {
    MixVoice* v = &r->voices[index];
    if (v->pcm || v->stream) return 0;
    MixVoice fresh{};
    fresh.listIndex = -1;
    fresh.channels = r->format.channels;
    fresh.step = MixerStep(r->format.rate);
    fresh.gain = MixerGain(r->attenuation);
    fresh.looping = 0;
    if (r->oggFile.empty()) {
        fresh.pcm = r->pcm.data();
        fresh.frames = r->frames;
        fresh.loopStart = r->kind == SOUND_STREAMED ? r->loopStart : 0;
    } else {
        OggDecoder* dec = OggOpen(reinterpret_cast<const uint8_t*>(r->oggFile.data()), r->oggFile.size());
        if (!dec) return -1;
        fresh.stream = StreamCreate(dec, r->format.channels, r->frames);
        fresh.stream->loopStart = r->kind == SOUND_STREAMED ? r->loopStart : 0;
    }
    const Platform* p = PlatformGet();
    p->LockAudio();
    *v = fresh;
    p->UnlockAudio();
    return 0;
}
