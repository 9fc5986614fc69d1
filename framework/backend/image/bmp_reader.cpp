// BMP reader: Windows bitmaps with a 12-byte (OS/2) or 40- to 124-byte info
// header; 1, 4 and 8 bits through the palette, 16 (5-5-5 or bit fields), 24
// and 32 bits (plain XRGB, or bit fields with an alpha mask); bottom-up rows,
// or top-down when the height is negative. No RLE. Every size is checked
// against the file: palette, rows and the pixel offset must lie inside it.
#include <cstring>

#include "framework/backend/image/image_readers.h"

namespace {

// A channel through its mask, scaled to 8 bits.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0, bits = 0;
};

MaskChannel MakeChannel(uint32_t mask) {
    MaskChannel c;
    c.mask = mask;
    if (!mask) return c;
    while (!((mask >> c.shift) & 1)) c.shift++;
    while (c.shift + c.bits < 32 && ((mask >> (c.shift + c.bits)) & 1)) c.bits++;
    return c;
}

uint32_t Extract(const MaskChannel& c, uint32_t v) {
    if (!c.mask) return 0;
    uint32_t x = (v & c.mask) >> c.shift;
    if (c.bits >= 8) return x >> (c.bits - 8);
    // Replicate the high bits down so that the maximum maps to 255.
    uint32_t r = 0;
    int filled = 0;
    while (filled < 8) {
        r = (r << c.bits) | x;
        filled += c.bits;
    }
    return r >> (filled - 8);
}

} // namespace

bool DecodeBmp(const uint8_t* d, size_t size, DecodedImage* out) {
    if (size < 26 || d[0] != 'B' || d[1] != 'M') return false;
    const uint64_t pixelOffset = ReadLe32(d + 10);
    const uint32_t hdr = ReadLe32(d + 14);
    int64_t w, h;
    uint32_t bpp, compression = 0, colorsUsed = 0;
    size_t paletteEntry = 4;
    if (hdr == 12) {
        if (size < 26) return false;
        w = ReadLe16(d + 18);
        h = static_cast<int16_t>(ReadLe16(d + 20));
        bpp = ReadLe16(d + 24);
        paletteEntry = 3;
    } else if (hdr == 40 || hdr == 52 || hdr == 56 || hdr == 108 || hdr == 124) {
        if (size < 14 + static_cast<size_t>(hdr)) return false;
        w = static_cast<int32_t>(ReadLe32(d + 18));
        h = static_cast<int32_t>(ReadLe32(d + 22));
        bpp = ReadLe16(d + 28);
        compression = ReadLe32(d + 30);
        colorsUsed = ReadLe32(d + 46);
    } else {
        return false;
    }
    const bool topDown = h < 0;
    if (topDown) h = -h;
    if (!ImageSizeAllowed(w, h)) return false;

    // Bit-field masks: inside a V2+ header, or right after a 40-byte header.
    uint32_t masks[4] = {0, 0, 0, 0};
    if (compression == 3) {
        if (bpp != 16 && bpp != 32) return false;
        size_t at = 14 + 40;
        if (hdr == 40 && size < at + 12) return false;
        for (int i = 0; i < 3; i++) masks[i] = ReadLe32(d + at + 4 * i);
        if (hdr >= 56) masks[3] = ReadLe32(d + at + 12);
    } else if (compression != 0) {
        return false;
    }
    if (compression == 0 && bpp == 16) { masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F; }

    uint32_t palette[256];
    if (bpp == 1 || bpp == 4 || bpp == 8) {
        uint64_t maxColors = uint64_t(1) << bpp;
        uint64_t count = colorsUsed ? colorsUsed : maxColors;
        if (count > maxColors) return false;
        uint64_t at = 14 + static_cast<uint64_t>(hdr) + (compression == 3 && hdr == 40 ? 12 : 0);
        if (at + count * paletteEntry > size || at + count * paletteEntry > pixelOffset) return false;
        for (uint64_t i = 0; i < maxColors; i++) palette[i] = 0xFF000000u;
        for (uint64_t i = 0; i < count; i++) {
            const uint8_t* p = d + at + i * paletteEntry;
            palette[i] = 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0];
        }
    } else if (bpp != 16 && bpp != 24 && bpp != 32) {
        return false;
    }

    const uint64_t stride = ((static_cast<uint64_t>(w) * bpp + 31) / 32) * 4;
    if (pixelOffset > size || stride * h > size - pixelOffset) return false;

    MaskChannel ch[4] = {MakeChannel(masks[0]), MakeChannel(masks[1]), MakeChannel(masks[2]), MakeChannel(masks[3])};
    const bool maskAlpha = masks[3] != 0;
    out->pixels.resize(static_cast<size_t>(w * h));
    for (int64_t y = 0; y < h; y++) {
        const uint8_t* row = d + pixelOffset + stride * (topDown ? y : h - 1 - y);
        uint32_t* o = out->pixels.data() + y * w;
        for (int64_t x = 0; x < w; x++) {
            uint32_t px;
            switch (bpp) {
                case 1: px = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
                case 4: px = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
                case 8: px = palette[row[x]]; break;
                case 24: px = 0xFF000000u | row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x]; break;
                case 16:
                case 32: {
                    uint32_t v = bpp == 16 ? ReadLe16(row + 2 * x) : ReadLe32(row + 4 * x);
                    if (compression == 0 && bpp == 32) { px = 0xFF000000u | (v & 0xFFFFFFu); break; }
                    uint32_t a = maskAlpha ? Extract(ch[3], v) : 255;
                    px = a << 24 | Extract(ch[0], v) << 16 | Extract(ch[1], v) << 8 | Extract(ch[2], v);
                    break;
                }
                default: return false;
            }
            o[x] = px;
        }
    }
    out->width = static_cast<int>(w);
    out->height = static_cast<int>(h);
    out->hasAlpha = maskAlpha;
    return true;
}
