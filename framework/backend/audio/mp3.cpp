// MP3 for the sound loader: libmpg123 fed from memory, after the ID3v2 tag at
// the start and the ID3v1 "TAG" block at the end are cut off. The data must
// begin with an MPEG audio frame header, so that arbitrary bytes are not taken
// for MP3 by the decoder's resynchronisation.
#include <mpg123.h>

#include <cstring>
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

} // namespace

AudioProbe AudioDecodeMp3(const uint8_t* data, size_t size, AudioPcm* out) {
    size_t begin = 0, end = size;
    if (size >= 10 && std::memcmp(data, "ID3", 3) == 0) {
        size_t tag = (size_t)(data[6] & 0x7F) << 21 | (data[7] & 0x7F) << 14 | (data[8] & 0x7F) << 7 | (data[9] & 0x7F);
        begin = 10 + tag + ((data[5] & 0x10) ? 10 : 0);
        if (begin > size) begin = size;
    }
    if (end - begin >= 128 && std::memcmp(data + end - 128, "TAG", 3) == 0) end -= 128;
    if (!FrameHeaderAt(data + begin, end - begin)) return AUDIO_NOT_THIS;

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
        }
    }
    mpg123_delete(mh);
    return result;
}
