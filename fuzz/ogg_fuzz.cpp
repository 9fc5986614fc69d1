// Fuzz target for the Ogg Vorbis decoder: any bytes in memory probed, then, when
// a decoder opens, read to the end in pieces of varying length, sought back and
// read again, as a streamed sound's voice would. Besides staying inside its
// buffers, the decoder must agree with its probe and with vorbisfile read
// plainly over the same bytes: never more frames than the probed length, and
// all of them when the stream holds that many; a seek back to the top gives
// the same samples again, a seek to the middle no more than are left, and a
// seek past the end fails. (The length comes from the pages' granule
// positions, which a damaged stream can get wrong, so only these bounds hold
// for every input.)
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/backend/audio/audio_decode.h"
#include "fuzz/audio_check.h"

namespace {

enum { MAX_FRAMES_READ = 1 << 18, PIECE = 4096, GUARD = 64 };

const int kPieces[] = {4096, 1, 733, 2048, 17};

int16_t g_out[(PIECE + GUARD) * 2];
int16_t g_first[MAX_FRAMES_READ * 2];   // the straight read from the top

struct Read {
    long frames;   // decoded
    bool ended;    // the decoder said "end" (0), rather than an error or the limit
};

// Reads up to `limit` frames, keeping them in `keep` (limit × channels) when
// given; `compare` instead checks each frame against the frames there.
Read ReadAll(OggDecoder* dec, long limit, int channels, int16_t* keep, const int16_t* compare) {
    Read r{0, false};
    for (int k = 0; r.frames < limit; k++) {
        const int want = kPieces[k % 5];
        std::memset(g_out, 0x5A, sizeof g_out);
        const int got = OggRead(dec, g_out, want);
        if (got > want) std::abort();
        for (size_t i = static_cast<size_t>(want) * channels; i < sizeof g_out / sizeof g_out[0]; i++)
            if (g_out[i] != 0x5A5A) std::abort();
        if (got == 0) r.ended = true;
        if (got <= 0) break;
        const long room = limit - r.frames < got ? limit - r.frames : got;
        const size_t at = static_cast<size_t>(r.frames) * channels, n = static_cast<size_t>(room) * channels;
        if (keep) std::memcpy(keep + at, g_out, n * sizeof g_out[0]);
        if (compare && std::memcmp(compare + at, g_out, n * sizeof g_out[0]) != 0) std::abort();
        r.frames += got;
    }
    return r;
}

struct Memory {
    const uint8_t* data;
    size_t size, at;
};

size_t MemoryRead(void* to, size_t size, size_t count, void* source) {
    Memory* m = static_cast<Memory*>(source);
    if (size == 0) return 0;
    const size_t n = (m->size - m->at) / size < count ? (m->size - m->at) / size : count;
    std::memcpy(to, m->data + m->at, n * size);
    m->at += n * size;
    return n;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence) {
    Memory* m = static_cast<Memory*>(source);
    const ogg_int64_t to = (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? (ogg_int64_t)m->at : (ogg_int64_t)m->size) + offset;
    if (to < 0 || to > (ogg_int64_t)m->size) return -1;
    m->at = static_cast<size_t>(to);
    return 0;
}

long MemoryTell(void* source) { return static_cast<long>(static_cast<Memory*>(source)->at); }

// The frames vorbisfile gives from the top until its first error or gap, or
// until `enough`.
long PlainCount(const uint8_t* data, size_t size, long enough) {
    Memory m{data, size, 0};
    OggVorbis_File vf;
    if (ov_open_callbacks(&m, &vf, nullptr, 0, {MemoryRead, MemorySeek, nullptr, MemoryTell}) != 0) return 0;
    const vorbis_info* info = ov_info(&vf, -1);
    const long frameBytes = info ? 2L * info->channels : 0;
    long frames = 0;
    int section = 0;
    static char buffer[16384];
    while (frameBytes > 0 && frames < enough) {
        const long n = ov_read(&vf, buffer, sizeof buffer - sizeof buffer % frameBytes, 0, 2, 1, &section);
        if (n <= 0) break;
        frames += n / frameBytes;
    }
    ov_clear(&vf);
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AudioFormat format{};
    uint32_t frames = 0;
    AudioProbe r = AudioProbeOgg(data, size, &format, &frames);
    if (r != AUDIO_NOT_THIS && r != AUDIO_DECODED && r != AUDIO_BROKEN) std::abort();
    if (r == AUDIO_DECODED) {
        FuzzCheckFormat(format);
        if (frames == 0) std::abort();
    }
    OggDecoder* dec = OggOpen(data, size);
    if (!dec) {
        if (r == AUDIO_DECODED) std::abort();   // the probe opened this very data
        return 0;
    }
    if (r != AUDIO_DECODED) {
        // Not a sound the loader takes: only the buffers are watched.
        ReadAll(dec, MAX_FRAMES_READ, 2, nullptr, nullptr);
        if (OggSeek(dec, 0) == 0) ReadAll(dec, PIECE * 4, 2, nullptr, nullptr);
        OggClose(dec);
        return 0;
    }
    const int channels = format.channels;
    const Read all = ReadAll(dec, MAX_FRAMES_READ, channels, g_first, nullptr);
    const long kept = all.frames < MAX_FRAMES_READ ? all.frames : MAX_FRAMES_READ;
    if (all.frames > static_cast<long>(frames)) std::abort();
    if (frames <= MAX_FRAMES_READ) {
        const long plain = PlainCount(data, size, frames);
        if (all.frames < (plain < static_cast<long>(frames) ? plain : static_cast<long>(frames))) std::abort();
    }
    if (OggSeek(dec, 0) == 0) {
        const long n = kept < PIECE * 4 ? kept : PIECE * 4;
        if (ReadAll(dec, n, channels, nullptr, g_first).frames < n && all.ended) std::abort();
    }
    const uint32_t middle = frames / 2;
    if (frames > 1 && OggSeek(dec, middle) == 0 &&
        ReadAll(dec, PIECE * 4, channels, nullptr, nullptr).frames > static_cast<long>(frames - middle))
        std::abort();
    if (OggSeek(dec, frames + 1000) == 0) std::abort();
    ReadAll(dec, PIECE, channels, nullptr, nullptr);
    OggClose(dec);
    return 0;
}
