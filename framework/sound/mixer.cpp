// The mixer: sums the playing voices into 44100 Hz 16-bit stereo. Runs on the
// platform's audio thread (or in HeadlessPullAudio) under the platform audio
// lock and never takes the framework's API lock. Output depends only on what
// was started and how much was pulled: a stream that has not been refilled in
// time is decoded here instead of going silent.
#include "framework/sound/mixer.h"

#include <cmath>
#include <cstring>

#include "framework/sound/sound_internal.h"

namespace {

// The voices being mixed, in no particular order (sums do not depend on it).
MixVoice* g_playing[SOUND_MAX * SOUND_MAX_BUFFERS];
int g_playingCount = 0;

inline int32_t Lerp(int32_t a, int32_t b, uint32_t frac) {
    // 15-bit weight keeps (b − a) × weight inside 32 bits.
    return a + (((b - a) * (int32_t)(frac >> 1)) >> 15);
}

// Mixes output frames while the voice's frame index is below `avail`; the
// frame after the last one is `tail`. Returns the output frames written.
int MixRun(int32_t* acc, int n, const int16_t* src, uint32_t avail, int channels, const int16_t* tail,
           uint64_t* ppos, uint32_t step, int32_t gain) {
    uint64_t pos = *ppos;
    uint64_t fastEnd = (uint64_t)(avail - 1) << 16;  // below it, frame idx + 1 exists
    int i = 0;
    if (channels == 2) {
        for (; i < n && pos < fastEnd; i++) {
            const int16_t* s = src + (pos >> 16) * 2;
            uint32_t f = (uint32_t)pos & 0xFFFF;
            acc[2 * i] += (Lerp(s[0], s[2], f) * gain) >> 16;
            acc[2 * i + 1] += (Lerp(s[1], s[3], f) * gain) >> 16;
            pos += step;
        }
        for (; i < n && (pos >> 16) == avail - 1; i++) {
            const int16_t* s = src + (pos >> 16) * 2;
            uint32_t f = (uint32_t)pos & 0xFFFF;
            acc[2 * i] += (Lerp(s[0], tail[0], f) * gain) >> 16;
            acc[2 * i + 1] += (Lerp(s[1], tail[1], f) * gain) >> 16;
            pos += step;
        }
    } else {
        for (; i < n && pos < fastEnd; i++) {
            const int16_t* s = src + (pos >> 16);
            int32_t v = (Lerp(s[0], s[1], (uint32_t)pos & 0xFFFF) * gain) >> 16;
            acc[2 * i] += v;
            acc[2 * i + 1] += v;
            pos += step;
        }
        for (; i < n && (pos >> 16) == avail - 1; i++) {
            int32_t v = (Lerp(src[avail - 1], tail[0], (uint32_t)pos & 0xFFFF) * gain) >> 16;
            acc[2 * i] += v;
            acc[2 * i + 1] += v;
            pos += step;
        }
    }
    *ppos = pos;
    return i;
}

int32_t g_groupScale[2] = {65536, 65536};

// A voice's gain with its group's scale; at full scale the gain is untouched.
int32_t VoiceGain(const MixVoice* v) {
    const int32_t scale = g_groupScale[v->group ? 1 : 0];
    if (scale == 65536) return v->gain;
    return static_cast<int32_t>((static_cast<int64_t>(v->gain) * scale) >> 16);
}

// In-memory voice. Returns 0 when the voice ran to its end.
int MixMemory(int32_t* acc, int n, MixVoice* v) {
    int ch = v->channels;
    int done = 0;
    while (done < n) {
        const int16_t* tail = v->looping ? v->pcm + (size_t)v->loopStart * ch : v->pcm + (size_t)(v->frames - 1) * ch;
        done += MixRun(acc + 2 * done, n - done, v->pcm, v->frames, ch, tail, &v->pos, v->step, VoiceGain(v));
        uint64_t idx = v->pos >> 16;
        if (idx < v->frames) continue;
        if (!v->looping) return 0;
        uint64_t span = v->frames - v->loopStart;
        idx = v->loopStart + (idx - v->frames) % span;
        v->pos = idx << 16 | (v->pos & 0xFFFF);
    }
    return 1;
}

// Streamed voice. Returns 0 when the stream ran to its end.
int MixStreamed(int32_t* acc, int n, MixVoice* v) {
    MixStream* s = v->stream;
    int ch = s->channels;
    int done = 0;
    int alive = 1;
    while (done < n) {
        uint32_t need = (uint32_t)((v->pos + (uint64_t)(n - done) * v->step) >> 16) + 2;
        if (s->count < need) StreamFill(s, need, v->looping, STREAM_RING_FRAMES);
        if (s->count == 0 || (v->pos >> 16) >= s->count) { alive = 0; break; }
        const int16_t* src = s->ring + (size_t)s->read * ch;
        const int16_t* tail = src + (size_t)(s->count - 1) * ch;
        done += MixRun(acc + 2 * done, n - done, src, s->count, ch, tail, &v->pos, v->step, VoiceGain(v));
        if ((v->pos >> 16) >= s->count && s->atEnd && !v->looping) { alive = 0; break; }
    }
    // Drop the frames the voice has passed.
    uint32_t used = (uint32_t)(v->pos >> 16);
    if (used > s->count) used = s->count;
    s->read += used;
    s->count -= used;
    v->pos -= (uint64_t)used << 16;
    uint64_t frame = (uint64_t)s->readFrame + used;
    if (frame >= s->total && s->total > s->loopStart) frame = s->loopStart + (frame - s->total) % (s->total - s->loopStart);
    s->readFrame = (uint32_t)frame;
    return alive;
}

} // namespace

uint32_t MixerStep(int rate) { return (uint32_t)(((uint64_t)rate << 16) / MIXER_RATE); }

int32_t MixerGain(int attenuation) {
    if (attenuation <= -10000) return 0;
    if (attenuation >= 0) return 65536;
    return (int32_t)std::lround(65536.0 * std::pow(10.0, attenuation / 2000.0));
}

void MixerStart(MixVoice* v) {
    v->ended = 0;
    if (v->playing) return;
    v->playing = 1;
    v->listIndex = g_playingCount;
    g_playing[g_playingCount++] = v;
}

void MixerStop(MixVoice* v) {
    if (!v->playing) return;
    int at = v->listIndex;
    MixVoice* last = g_playing[--g_playingCount];
    g_playing[at] = last;
    last->listIndex = at;
    v->playing = 0;
    v->listIndex = -1;
}

void MixerStopAll(void) {
    while (g_playingCount > 0) MixerStop(g_playing[g_playingCount - 1]);
}

int MixerPlayingCount(void) { return g_playingCount; }

void MixerPull(int16_t* out, int frames, void* user) {
    (void)user;
    int32_t acc[MIXER_CHUNK * 2];
    while (frames > 0) {
        int n = frames < MIXER_CHUNK ? frames : MIXER_CHUNK;
        std::memset(acc, 0, sizeof(int32_t) * 2 * n);
        // Walk backwards so that a voice leaving the list never skips another.
        for (int i = g_playingCount - 1; i >= 0; i--) {
            MixVoice* v = g_playing[i];
            int alive = v->stream ? MixStreamed(acc, n, v) : MixMemory(acc, n, v);
            if (!alive) {
                MixerStop(v);
                v->ended = 1;
                MixerSetVoicePosition(v, 0);
            }
        }
        for (int i = 0; i < 2 * n; i++) {
            int32_t x = acc[i];
            out[i] = (int16_t)(x > 32767 ? 32767 : x < -32768 ? -32768 : x);
        }
        out += 2 * n;
        frames -= n;
    }
}

uint32_t MixerVoicePosition(const MixVoice* v) {
    if (!v->stream) return (uint32_t)(v->pos >> 16);
    uint64_t frame = (uint64_t)v->stream->readFrame + (v->pos >> 16);
    const MixStream* s = v->stream;
    if (frame >= s->total && s->total > s->loopStart) frame = s->loopStart + (frame - s->total) % (s->total - s->loopStart);
    return (uint32_t)frame;
}

void MixerSetVoicePosition(MixVoice* v, uint32_t frame) {
    if (!v->stream) {
        v->pos = frame < v->frames ? (uint64_t)frame << 16 : 0;
        return;
    }
    MixStream* s = v->stream;
    if (frame >= s->total) frame = 0;
    v->pos = 0;
    // Already there with nothing decoded ahead: keep the decoder as it is.
    if (s->count == 0 && s->decodePos == frame && s->readFrame == frame && !s->atEnd) return;
    StreamSeek(s, frame);
}

MixStream* StreamCreate(OggDecoder* decoder, int channels, uint32_t total) {
    MixStream* s = new MixStream;
    s->decoder = decoder;
    s->channels = channels;
    s->total = total;
    s->loopStart = 0;
    s->decodePos = 0;
    s->readFrame = 0;
    s->atEnd = 0;
    s->read = 0;
    s->count = 0;
    return s;
}

void StreamDestroy(MixStream* s) {
    if (!s) return;
    OggClose(s->decoder);
    delete s;
}

void StreamSeek(MixStream* s, uint32_t frame) {
    s->read = 0;
    s->count = 0;
    s->readFrame = frame;
    s->atEnd = OggSeek(s->decoder, frame) != 0;
    s->decodePos = frame;
}

void StreamFill(MixStream* s, uint32_t want, int looping, uint32_t budget) {
    if (want > STREAM_RING_FRAMES) want = STREAM_RING_FRAMES;
    if (s->count >= want) return;
    if (s->read + want > STREAM_RING_FRAMES) {
        std::memmove(s->ring, s->ring + (size_t)s->read * s->channels, sizeof(int16_t) * s->count * s->channels);
        s->read = 0;
    }
    int emptyTurns = 0;
    while (s->count < want && budget > 0) {
        if (s->atEnd) {
            if (!looping) return;
            // A repeating stream whose loop gives nothing must not spin here.
            if (++emptyTurns > 2) return;
            s->atEnd = OggSeek(s->decoder, s->loopStart) != 0;
            s->decodePos = s->loopStart;
            if (s->atEnd) return;
        }
        uint32_t room = want - s->count;
        if (room > budget) room = budget;
        if (room > 4096) room = 4096;
        int16_t* dst = s->ring + (size_t)(s->read + s->count) * s->channels;
        int got = OggRead(s->decoder, dst, (int)room);
        if (got <= 0) {
            // The end, or damage that stops decoding: both end the track here.
            s->atEnd = 1;
            continue;
        }
        emptyTurns = 0;
        s->count += got;
        s->decodePos += got;
        budget -= got;
        if (s->decodePos >= s->total) s->atEnd = 1;
    }
}

void MixerServiceStreams(uint32_t ahead, uint32_t budget) {
    for (int i = 0; i < g_playingCount; i++) {
        MixVoice* v = g_playing[i];
        if (v->stream) StreamFill(v->stream, ahead, v->looping, budget);
    }
}

void MixerSetGroupScale(int group, int32_t scale) {
    g_groupScale[group ? 1 : 0] = scale < 0 ? 0 : (scale > 65536 ? 65536 : scale);
}
