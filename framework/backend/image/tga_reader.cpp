// TGA reader for version-2 files, recognised by the "TRUEVISION-XFILE."
// footer in the last 26 bytes. Image types 1 and 9 (colour-mapped: 8- or
// 16-bit indices into a map of 15-, 16-, 24- or 32-bit entries that starts at
// the header's first-entry index), 2 and 10 (true colour, 15/16/24/32 bits)
// and 3 and 11 (8-bit grey, or 16-bit grey then alpha), uncompressed or
// run-length, either row order and either column order.
//
// Alpha: 32-bit pixels and map entries keep their fourth byte; the top bit of
// a 16-bit pixel or map entry is alpha only when the descriptor gives one
// attribute bit (opaque when set); grey with alpha keeps its second byte.
// 5-bit channels are widened by repeating their top bits. An index outside the
// map reads opaque black. Pixel data must end before the footer. Run-length
// packets may run on from one row into the next; a last packet that reaches
// past the picture has its surplus dropped, with a line in the notes.
// Version-1 files (no footer) are not read: nothing else marks them as TGA.
#include <cstring>
#include <string>

#include "framework/backend/image/image_readers.h"

namespace {

uint32_t Widen5(uint32_t v) { return (v << 3 | v >> 2) & 255; }

// One stored colour of `bits` bits (15, 16, 24 or 32) in B-G-R(-A) order.
uint32_t TgaColour(const uint8_t* p, int bits, bool alphaBit) {
    switch (bits) {
        case 15:
        case 16: {
            const uint32_t v = ReadLe16(p);
            const uint32_t a = alphaBit && bits == 16 ? ((v & 0x8000) ? 255u : 0u) : 255u;
            return a << 24 | Widen5((v >> 10) & 31) << 16 | Widen5((v >> 5) & 31) << 8 | Widen5(v & 31);
        }
        case 24: return 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0];
        default: return static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
    }
}

struct TgaFormat {
    int type = 0, bits = 0;   // image type with the run-length bit cleared; bits per stored pixel
    bool alphaBit = false;
    uint32_t mapFirst = 0;
    std::vector<uint32_t> map;
};

uint32_t TgaPixel(const TgaFormat& f, const uint8_t* p) {
    if (f.type == 1) {
        const uint32_t index = f.bits == 8 ? p[0] : ReadLe16(p);
        const uint32_t i = index - f.mapFirst;   // wraps above the map when below its first entry
        return i < f.map.size() ? f.map[i] : 0xFF000000u;
    }
    if (f.type == 3) {
        const uint32_t a = f.bits == 16 ? p[1] : 255u;
        return a << 24 | p[0] << 16 | p[0] << 8 | p[0];
    }
    return TgaColour(p, f.bits, f.alphaBit);
}

} // namespace

bool DecodeTga(const uint8_t* d, size_t size, DecodedImage* out) {
    if (size < 18 + 26 || std::memcmp(d + size - 18, "TRUEVISION-XFILE.", 18) != 0) return false;
    const size_t end = size - 26;
    const int idLength = d[0], mapType = d[1];
    const uint32_t mapFirst = ReadLe16(d + 3), mapLength = ReadLe16(d + 5), mapBits = d[7];
    const uint32_t w = ReadLe16(d + 12), h = ReadLe16(d + 14);
    const int descriptor = d[17];
    TgaFormat f;
    f.type = d[2] & ~8;
    f.bits = d[16];
    f.alphaBit = (descriptor & 15) == 1;
    const bool rle = d[2] & 8;
    if (d[2] != 1 && d[2] != 2 && d[2] != 3 && d[2] != 9 && d[2] != 10 && d[2] != 11) return false;
    if (f.type == 1 ? (f.bits != 8 && f.bits != 16)
                    : f.type == 3 ? (f.bits != 8 && f.bits != 16)
                                  : (f.bits != 15 && f.bits != 16 && f.bits != 24 && f.bits != 32))
        return false;
    if (mapType > 1 || (f.type == 1 && mapType != 1) || !ImageSizeAllowed(w, h)) return false;
    if (mapType && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return false;
    const size_t mapBytes = mapType ? static_cast<size_t>(mapLength) * ((mapBits + 7) / 8) : 0;
    uint64_t at = 18 + static_cast<uint64_t>(idLength);
    if (at + mapBytes > end) return false;
    bool hasAlpha = f.bits == 32 || (f.type == 3 && f.bits == 16) || (f.type == 2 && f.bits == 16 && f.alphaBit);
    if (f.type == 1) {
        f.mapFirst = mapFirst;
        f.map.resize(mapLength);
        for (uint32_t i = 0; i < mapLength; i++) f.map[i] = TgaColour(d + at + i * ((mapBits + 7) / 8), mapBits, f.alphaBit);
        hasAlpha = mapBits == 32 || (mapBits == 16 && f.alphaBit);
    }
    at += mapBytes;
    const size_t bytes = (f.bits + 7) / 8;
    const size_t count = static_cast<size_t>(w) * h;
    // Refuse sizes the data cannot hold before allocating for them: a run
    // packet of 1 + bytes covers at most 128 pixels.
    if (!rle && count * bytes > end - at) return false;
    if (rle && count > (end - at) / (1 + bytes) * 128 + 128) return false;
    std::vector<uint32_t> linear(count);
    std::string notes;
    if (!rle) {
        for (size_t i = 0; i < count; i++) linear[i] = TgaPixel(f, d + at + i * bytes);
    } else {
        // Packets may run on from one row into the next. The last one may
        // reach past the picture: its surplus pixels are dropped.
        size_t i = 0, surplus = 0;
        while (i < count) {
            if (at >= end) return false;
            const uint8_t head = d[at++];
            size_t run = (head & 0x7F) + 1;
            const size_t stored = head & 0x80 ? 1 : run;
            if (stored * bytes > end - at) return false;
            if (run > count - i) {
                surplus = run - (count - i);
                run = count - i;
            }
            if (head & 0x80) {
                const uint32_t px = TgaPixel(f, d + at);
                for (size_t k = 0; k < run; k++) linear[i++] = px;
            } else {
                for (size_t k = 0; k < run; k++) linear[i++] = TgaPixel(f, d + at + k * bytes);
            }
            at += stored * bytes;
        }
        if (surplus) notes = "TGA: last run-length packet reaches " + std::to_string(surplus) + " pixels past the picture: dropped\n";
    }
    const bool topDown = descriptor & 0x20, rightToLeft = descriptor & 0x10;
    out->pixels.assign(count, 0u);
    for (uint32_t y = 0; y < h; y++) {
        const uint32_t* src = linear.data() + static_cast<size_t>(topDown ? y : h - 1 - y) * w;
        uint32_t* o = out->pixels.data() + static_cast<size_t>(y) * w;
        for (uint32_t x = 0; x < w; x++) o[x] = src[rightToLeft ? w - 1 - x : x];
    }
    out->width = static_cast<int>(w);
    out->height = static_cast<int>(h);
    out->hasAlpha = hasAlpha;
    out->notes += notes;
    return true;
}
