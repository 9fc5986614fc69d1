// MP3 for the sound loader: libmpg123 fed from memory, after the ID3v2 tag at
// the start and the ID3v1 "TAG" block at the end are cut off. The data must
// begin with an MPEG audio frame header, so that arbitrary bytes are not taken
// for MP3 by the decoder's resynchronisation. Where it does not, or where
// what looks like a header there starts no chain of frames (padding or junk
// after the tag, a tag whose size is wrong, bytes before the first frame of an
// untagged file), the first 64 KiB are searched for a header that starts a
// chain of three frames of one version, layer and rate, each header where the
// one before says it ends (or the chain ends with the data); the bytes before
// it are skipped and a note says how many. Nothing else is taken for MP3.
#include <mpg123.h>

#include <cstring>
#include <string>
#include <mutex>

#include "framework/backend/audio/audio_decode.h"

namespace {

std::once_flag g_mpgInit;

bool FrameHeaderAt(const uint8_t* p, size_t room) {
    if (room < 4) return false;
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
    int version = (p[1] >> 3) & 3;     // 1 is reserved
    int layer = (p[1] >> 1) & 3;       // 0 is reserved
    int bitrate = p[2] >> 4;           // 15 is invalid; 0 (free format) is not taken
    int rate = (p[2] >> 2) & 3;        // 3 is reserved
    return version != 1 && layer != 0 && bitrate != 0 && bitrate != 15 && rate != 3;
}

// The length in bytes of the frame whose header is at p, or 0 when p holds no
// frame header (or a free-format one, whose length the header does not tell).
size_t FrameLength(const uint8_t* p, size_t room) {
    if (!FrameHeaderAt(p, room)) return 0;
    static const uint16_t kBitrates[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},   // MPEG-1 layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},      // MPEG-1 layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},       // MPEG-1 layer III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},      // MPEG-2 and 2.5 layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},           // MPEG-2 and 2.5 layers II, III
    };
    static const uint32_t kRates[3] = {44100, 48000, 32000};
    const int version = (p[1] >> 3) & 3;   // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layer = 4 - ((p[1] >> 1) & 3);
    const uint32_t padding = (p[2] >> 1) & 1;
    const uint32_t rate = kRates[(p[2] >> 2) & 3] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const int table = version == 3 ? layer - 1 : layer == 1 ? 3 : 4;
    const uint32_t bitrate = kBitrates[table][p[2] >> 4] * 1000u;
    if (layer == 1) return (12 * bitrate / rate + padding) * 4;
    if (layer == 3 && version != 3) return 72 * bitrate / rate + padding;
    return 144 * bitrate / rate + padding;
}

// Whether the frame at `at` starts a chain of three frames of one kind (the
// version, layer and rate bits equal), or of fewer that ends with the data.
bool FrameChainAt(const uint8_t* data, size_t at, size_t end) {
    const uint8_t kind1 = data[at + 1] & 0xFE, kind2 = data[at + 2] & 0x0C;
    for (int i = 0; i < 3; i++) {
        if (at == end && i > 0) return true;
        const size_t length = FrameLength(data + at, end - at);
        if (length == 0 || (data[at + 1] & 0xFE) != kind1 || (data[at + 2] & 0x0C) != kind2) return false;
        if (length > end - at) return i > 0;   // a last frame cut by the end of the data
        at += length;
    }
    return true;
}

} // namespace

AudioProbe AudioDecodeMp3(const uint8_t* data, size_t size, AudioPcm* out) {
    size_t begin = 0, end = size;
    if (size >= 10 && std::memcmp(data, "ID3", 3) == 0) {
        size_t tag = (size_t)(data[6] & 0x7F) << 21 | (data[7] & 0x7F) << 14 | (data[8] & 0x7F) << 7 | (data[9] & 0x7F);
        begin = 10 + tag + ((data[5] & 0x10) ? 10 : 0);
        if (begin > size) begin = size;
    }
    if (end - begin >= 128 && std::memcmp(data + end - 128, "TAG", 3) == 0) end -= 128;
    size_t skipped = 0;
    const bool headerFirst = FrameHeaderAt(data + begin, end - begin);
    if (!headerFirst || !FrameChainAt(data, begin, end)) {
        // Junk first (which may itself look like one frame header): the
        // first chain of frames in the next 64 KiB. Data that begins with a
        // header and holds no chain is left to the decoder as it is.
        enum { SEARCH = 65536 };
        const size_t last = end - begin > SEARCH ? begin + SEARCH : end;
        size_t at = begin + 1;
        while (at + 4 <= last && !(data[at] == 0xFF && FrameChainAt(data, at, end))) at++;
        if (at + 4 <= last) {
            skipped = at - begin;
            begin = at;
        } else if (!headerFirst) {
            return AUDIO_NOT_THIS;
        }
    }

    std::call_once(g_mpgInit, [] { mpg123_init(); });
    int err = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) return AUDIO_BROKEN;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; i++) mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    AudioProbe result = AUDIO_BROKEN;
    if (mpg123_open_feed(mh) == MPG123_OK && mpg123_feed(mh, data + begin, end - begin) == MPG123_OK) {
        long rate = 0;
        int channels = 0, encoding = 0;
        std::vector<int16_t>& samples = out->samples;
        samples.clear();
        unsigned char chunk[16384];
        for (;;) {
            size_t got = 0;
            int rc = mpg123_read(mh, chunk, sizeof chunk, &got);
            if (rc == MPG123_NEW_FORMAT) {
                long r; int c, e;
                mpg123_getformat(mh, &r, &c, &e);
                // A format change part-way is not followed; the first one holds.
                if (channels == 0) { rate = r; channels = c; encoding = e; }
                continue;
            }
            if (got > 0 && channels > 0) {
                size_t n = got / 2;
                size_t at = samples.size();
                samples.resize(at + n);
                std::memcpy(samples.data() + at, chunk, n * 2);
            }
            if (rc != MPG123_OK) break;
        }
        (void)encoding;
        if (channels >= 1 && channels <= 2 && rate > 0 && samples.size() >= (size_t)channels) {
            out->format = {channels, (int)rate, 16, channels * 2};
            out->frames = (uint32_t)(samples.size() / channels);
            samples.resize((size_t)out->frames * channels);
            result = AUDIO_DECODED;
            if (skipped) out->notes += "MP3: " + std::to_string(skipped) + " bytes before the first frame skipped\n";
        }
    }
    mpg123_delete(mh);
    return result;
}
