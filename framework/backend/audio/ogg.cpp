// Ogg Vorbis for the sound loader and its streams: vorbisfile reading from a
// block of memory through seekable callbacks, decoding a piece at a time into
// signed 16-bit interleaved samples (at most two channels).
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/backend/audio/audio_decode.h"

struct OggDecoder {
    OggVorbis_File vf;
    const uint8_t* data;
    size_t size;
    size_t at;
    int channels;        // the file's channels
    int outChannels;     // 1 or 2
    // The stream's length as its pages declare it (what the probe reports),
    // and the frame the next read starts at. A stream whose pages claim less
    // than its packets hold is read only to its declared end, so that what
    // the voices play and where they loop agree with the sound's length.
    uint32_t total;
    uint32_t pos;
    int16_t scratch[4096 * 8];
};

namespace {

size_t MemRead(void* ptr, size_t size, size_t count, void* source) {
    OggDecoder* d = static_cast<OggDecoder*>(source);
    if (size == 0) return 0;
    size_t room = (d->size - d->at) / size;
    if (count > room) count = room;
    std::memcpy(ptr, d->data + d->at, count * size);
    d->at += count * size;
    return count;
}

int MemSeek(void* source, ogg_int64_t offset, int whence) {
    OggDecoder* d = static_cast<OggDecoder*>(source);
    ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? (ogg_int64_t)d->at : (ogg_int64_t)d->size;
    ogg_int64_t to = base + offset;
    if (to < 0 || to > (ogg_int64_t)d->size) return -1;
    d->at = (size_t)to;
    return 0;
}

long MemTell(void* source) { return (long)static_cast<OggDecoder*>(source)->at; }

const ov_callbacks kMemoryCallbacks = {MemRead, MemSeek, nullptr, MemTell};

bool LooksLikeOgg(const uint8_t* data, size_t size) { return size >= 4 && std::memcmp(data, "OggS", 4) == 0; }

// The game's music is one logical Vorbis stream in back-to-back pages. Files
// that interleave or chain streams, or hide bytes between pages, are refused
// before libogg sees them: it mishandles some chains of overlapping pages.
// A cut last page is left to the decoder, and bytes after the page that ends
// the stream are not looked at.
bool SingleStreamPages(const uint8_t* data, size_t size) {
    enum { HEADER = 27 };
    size_t at = 0;
    uint32_t serial = 0;
    while (at + HEADER <= size) {
        const uint8_t* page = data + at;
        if (std::memcmp(page, "OggS", 4) != 0 || page[4] != 0) return false;
        const uint32_t pageSerial = page[14] | page[15] << 8 | page[16] << 16 | uint32_t(page[17]) << 24;
        if (at == 0) serial = pageSerial;
        else if (pageSerial != serial) return false;
        const size_t segments = page[26];
        if (at + HEADER + segments > size) break;
        size_t body = 0;
        for (size_t i = 0; i < segments; i++) body += page[HEADER + i];
        at += HEADER + segments + body;
        if (page[5] & 4) break;   // the stream's last page
    }
    return true;
}

// Whether no whole, intact page can be found anywhere in the bytes.
bool NoPageIn(const uint8_t* bytes, size_t size) {
    if (size == 0) return true;
    ogg_sync_state rest;
    ogg_sync_init(&rest);
    bool none = true;
    char* buffer = ogg_sync_buffer(&rest, (long)size);
    if (buffer) {
        std::memcpy(buffer, bytes, size);
        ogg_sync_wrote(&rest, (long)size);
        ogg_page page;
        int r;
        while ((r = ogg_sync_pageout(&rest, &page)) != 0)
            if (r > 0) none = false;
    }
    ogg_sync_clear(&rest);
    return none;
}

// Every page of the file, checked at load without decoding audio, so that a
// file damaged anywhere is refused then rather than falling silent in play:
// each page's checksum and framing (libogg's sync layer skips a page whose
// checksum fails, and any bytes between pages), one logical stream beginning
// on the first page and with no page after its last, page numbers in sequence,
// granule positions never negative nor going back (the decoder seeks and trims
// by them), and packets joined across pages without a hole. A file cut inside its last
// page plays what it holds and is accepted, as long as no whole page follows
// the cut one. Bytes after the page that ends the stream (a tagger's ID3v1
// block, padding) are skipped with a note, unless a whole page hides in them:
// a second stream chained on, which is refused.
bool AllPagesSound(const uint8_t* data, size_t size, std::string* notes) {
    enum { CHUNK = 65536 };
    ogg_sync_state sync;
    ogg_stream_state stream;
    ogg_sync_init(&sync);
    bool ok = true, started = false, ended = false;
    long pageNumber = -1;
    ogg_int64_t granule = 0;
    size_t fed = 0;
    while (ok) {
        ogg_page page;
        const int r = ogg_sync_pageout(&sync, &page);
        if (r < 0) {
            ok = false;
        } else if (r == 0) {
            if (fed == size) break;
            const size_t n = size - fed < CHUNK ? size - fed : (size_t)CHUNK;
            char* buffer = ogg_sync_buffer(&sync, (long)n);
            if (!buffer) { ok = false; break; }
            std::memcpy(buffer, data + fed, n);
            ogg_sync_wrote(&sync, (long)n);
            fed += n;
        } else {
            if (!started) {
                ogg_stream_init(&stream, ogg_page_serialno(&page));
                started = true;
                ok = ogg_page_bos(&page) != 0;
            } else if (ogg_page_bos(&page) || ended) {
                ok = false;
            }
            if (pageNumber >= 0 && ogg_page_pageno(&page) != pageNumber) ok = false;
            pageNumber = ogg_page_pageno(&page) + 1;
            // −1: no packet ends on this page.
            const ogg_int64_t pageGranule = ogg_page_granulepos(&page);
            if (pageGranule != -1) {
                if (pageGranule < granule) ok = false;
                granule = pageGranule;
            }
            if (ogg_stream_pagein(&stream, &page) != 0) ok = false;
            ogg_packet packet;
            int p;
            while (ok && (p = ogg_stream_packetout(&stream, &packet)) != 0)
                if (p < 0) ok = false;
            if (ogg_page_eos(&page)) {
                ended = true;
                const size_t pageEnd = fed - (size_t)(sync.fill - sync.returned);
                ok = ok && NoPageIn(data + pageEnd, size - pageEnd);
                if (ok && pageEnd < size && notes)
                    *notes += "Ogg: " + std::to_string(size - pageEnd) + " bytes after the last page skipped\n";
                break;
            }
        }
    }
    // Bytes left over are the start of a cut page; one byte on, no whole page
    // may be found in them, or that page was damaged rather than cut.
    const long left = sync.fill - sync.returned;
    if (ok && !ended && left > 1) ok = NoPageIn(reinterpret_cast<const uint8_t*>(sync.data) + sync.returned + 1, (size_t)(left - 1));
    if (started) ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
    return ok && started;
}

} // namespace

OggDecoder* OggOpen(const uint8_t* data, size_t size) {
    if (!LooksLikeOgg(data, size) || !SingleStreamPages(data, size)) return nullptr;
    OggDecoder* d = new OggDecoder;
    d->data = data;
    d->size = size;
    d->at = 0;
    if (ov_open_callbacks(d, &d->vf, nullptr, 0, kMemoryCallbacks) != 0) {
        delete d;
        return nullptr;
    }
    vorbis_info* info = ov_info(&d->vf, -1);
    if (ov_streams(&d->vf) != 1 || !info || info->channels <= 0 || info->rate <= 0 ||
        info->rate > AUDIO_MAX_RATE) {
        OggClose(d);
        return nullptr;
    }
    d->channels = info->channels;
    d->outChannels = info->channels >= 2 ? 2 : 1;
    const ogg_int64_t total = ov_pcm_total(&d->vf, -1);
    d->total = total > 0 && total <= 0x7FFFFFFF ? (uint32_t)total : 0;
    d->pos = 0;
    return d;
}

void OggClose(OggDecoder* dec) {
    if (!dec) return;
    ov_clear(&dec->vf);
    delete dec;
}

AudioProbe AudioProbeOgg(const uint8_t* data, size_t size, AudioFormat* format, uint32_t* frames,
                         std::string* notes) {
    if (!LooksLikeOgg(data, size)) return AUDIO_NOT_THIS;
    std::string found;
    if (!AllPagesSound(data, size, &found)) return AUDIO_BROKEN;
    OggDecoder* d = OggOpen(data, size);
    if (!d) return AUDIO_BROKEN;
    vorbis_info* info = ov_info(&d->vf, -1);
    // The first samples must decode too: a file whose headers survive but
    // whose audio is damaged from the start is refused here, not at play.
    int16_t probe[256 * 2];
    int first = OggRead(d, probe, 256);
    AudioProbe result = AUDIO_BROKEN;
    if (d->total > 0 && first > 0) {
        *format = {d->outChannels, (int)info->rate, 16, d->outChannels * 2};
        *frames = d->total;
        result = AUDIO_DECODED;
        if (notes) *notes += found;
    }
    OggClose(d);
    return result;
}

int OggRead(OggDecoder* dec, int16_t* out, int frames) {
    if (dec->pos >= dec->total) return 0;
    if ((uint32_t)frames > dec->total - dec->pos) frames = (int)(dec->total - dec->pos);
    int done = 0;
    int holes = 0;
    while (done < frames) {
        int want = frames - done;
        if (want > 4096) want = 4096;
        int section = 0;
        long bytes;
        if (dec->channels == dec->outChannels) {
            bytes = ov_read(&dec->vf, reinterpret_cast<char*>(out + done * dec->outChannels),
                            want * 2 * dec->channels, 0, 2, 1, &section);
        } else {
            // More than two channels: keep front left and front right, which
            // Vorbis puts at 0 and 2 when a centre channel sits between them.
            int right = dec->channels == 3 || dec->channels == 5 || dec->channels == 6 ? 2 : 1;
            int maxFrames = (int)(sizeof dec->scratch / 2 / dec->channels);
            if (want > maxFrames) want = maxFrames;
            bytes = ov_read(&dec->vf, reinterpret_cast<char*>(dec->scratch), want * 2 * dec->channels, 0, 2, 1, &section);
            if (bytes > 0) {
                int got = (int)(bytes / 2 / dec->channels);
                for (int i = 0; i < got; i++) {
                    out[(done + i) * 2] = dec->scratch[i * dec->channels];
                    out[(done + i) * 2 + 1] = dec->scratch[i * dec->channels + right];
                }
            }
        }
        if (bytes == OV_HOLE && ++holes < 64) continue;  // a gap in the data: go on after it
        if (bytes < 0 && done == 0) return -1;
        if (bytes <= 0) break;
        done += (int)(bytes / 2 / dec->channels);
    }
    dec->pos += (uint32_t)done;
    return done;
}

int OggSeek(OggDecoder* dec, uint32_t frame) {
    if (ov_pcm_seek(&dec->vf, (ogg_int64_t)frame) != 0) return -1;
    dec->pos = frame;
    return 0;
}
