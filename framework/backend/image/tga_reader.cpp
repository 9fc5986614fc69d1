// TGA reader for version-2 files, recognised by the "TRUEVISION-XFILE."
// footer in the last 26 bytes: true-colour (types 2 and 10, 16/24/32 bits) and
// grey (types 3 and 11, 8 bits), uncompressed or RLE, either row order. 32-bit
// pictures keep their alpha. Pixel data must end before the footer.
#include <cstring>

#include "framework/backend/image/image_readers.h"

namespace {

uint32_t TgaPixel(const uint8_t* p, int bpp) {
    switch (bpp) {
        case 8: return 0xFF000000u | p[0] << 16 | p[0] << 8 | p[0];
        case 16: {
            uint32_t v = ReadLe16(p);
            uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            return 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
        }
        case 24: return 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0];
        default: return static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
    }
}

} // namespace

bool DecodeTga(const uint8_t* d, size_t size, DecodedImage* out) {
    if (size < 18 + 26 || std::memcmp(d + size - 18, "TRUEVISION-XFILE.", 18) != 0) return false;
    const size_t end = size - 26;
    const int idLength = d[0], mapType = d[1], type = d[2];
    const uint32_t mapLength = ReadLe16(d + 5), mapEntryBits = d[7];
    const uint32_t w = ReadLe16(d + 12), h = ReadLe16(d + 14);
    const int bpp = d[16], descriptor = d[17];
    const bool rle = type == 10 || type == 11;
    const bool grey = type == 3 || type == 11;
    if (type != 2 && type != 3 && type != 10 && type != 11) return false;
    if (grey ? bpp != 8 : (bpp != 16 && bpp != 24 && bpp != 32)) return false;
    if (mapType > 1 || !ImageSizeAllowed(w, h)) return false;
    uint64_t at = 18 + static_cast<uint64_t>(idLength) + (mapType ? mapLength * ((mapEntryBits + 7) / 8) : 0);
    if (at > end) return false;
    const size_t bytes = bpp / 8;
    const size_t count = static_cast<size_t>(w) * h;
    // Refuse sizes the data cannot hold before allocating for them: a run
    // packet of 1 + bytes covers at most 128 pixels.
    if (!rle && count * bytes > end - at) return false;
    if (rle && count > (end - at) / (1 + bytes) * 128 + 128) return false;
    std::vector<uint32_t> linear(count);
    if (!rle) {
        for (size_t i = 0; i < count; i++) linear[i] = TgaPixel(d + at + i * bytes, bpp);
    } else {
        size_t i = 0;
        while (i < count) {
            if (at >= end) return false;
            const uint8_t head = d[at++];
            const size_t run = (head & 0x7F) + 1;
            if (run > count - i) return false;
            if (head & 0x80) {
                if (bytes > end - at) return false;
                uint32_t px = TgaPixel(d + at, bpp);
                at += bytes;
                for (size_t k = 0; k < run; k++) linear[i++] = px;
            } else {
                if (run * bytes > end - at) return false;
                for (size_t k = 0; k < run; k++, at += bytes) linear[i++] = TgaPixel(d + at, bpp);
            }
        }
    }
    const bool topDown = descriptor & 0x20, rightToLeft = descriptor & 0x10;
    out->pixels.resize(count);
    for (uint32_t y = 0; y < h; y++) {
        const uint32_t* src = linear.data() + static_cast<size_t>(topDown ? y : h - 1 - y) * w;
        uint32_t* o = out->pixels.data() + static_cast<size_t>(y) * w;
        for (uint32_t x = 0; x < w; x++) o[x] = src[rightToLeft ? w - 1 - x : x];
    }
    out->width = static_cast<int>(w);
    out->height = static_cast<int>(h);
    out->hasAlpha = bpp == 32;
    return true;
}
