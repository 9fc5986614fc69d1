// DDS reader: the top level of a 2D surface, uncompressed 32 or 24 bits
// through the pixel format's masks, or block-compressed DXT1, DXT3 and DXT5.
// The header must say 124 and 32 for its two sizes; pixel data must be whole.
#include <cstring>

#include "framework/backend/image/image_readers.h"

namespace {

enum { DDPF_ALPHAPIXELS = 0x1, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40 };

uint32_t Expand565(uint32_t c) {
    uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

uint32_t Mix(uint32_t a, uint32_t b, int wa, int wb, int div) {
    uint32_t r = 0;
    for (int s = 0; s < 24; s += 8) r |= ((((a >> s) & 255) * wa + ((b >> s) & 255) * wb) / div) << s;
    return r;
}

// The 16 colours of one DXT colour block; `fourColour` forces DXT3/5 behaviour.
void ColourBlock(const uint8_t* p, bool fourColour, uint32_t out[16]) {
    const uint32_t c0 = ReadLe16(p), c1 = ReadLe16(p + 2);
    uint32_t pal[4];
    pal[0] = 0xFF000000u | Expand565(c0);
    pal[1] = 0xFF000000u | Expand565(c1);
    if (fourColour || c0 > c1) {
        pal[2] = 0xFF000000u | Mix(pal[0], pal[1], 2, 1, 3);
        pal[3] = 0xFF000000u | Mix(pal[0], pal[1], 1, 2, 3);
    } else {
        pal[2] = 0xFF000000u | Mix(pal[0], pal[1], 1, 1, 2);
        pal[3] = 0;   // transparent black
    }
    const uint32_t bits = ReadLe32(p + 4);
    for (int i = 0; i < 16; i++) out[i] = pal[(bits >> (2 * i)) & 3];
}

void AlphaBlock5(const uint8_t* p, uint32_t out[16]) {
    uint32_t a[8];
    a[0] = p[0];
    a[1] = p[1];
    if (a[0] > a[1]) {
        for (int i = 1; i < 7; i++) a[1 + i] = ((7 - i) * a[0] + i * a[1]) / 7;
    } else {
        for (int i = 1; i < 5; i++) a[1 + i] = ((5 - i) * a[0] + i * a[1]) / 5;
        a[6] = 0;
        a[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; i++) bits |= static_cast<uint64_t>(p[2 + i]) << (8 * i);
    for (int i = 0; i < 16; i++) out[i] = (out[i] & 0xFFFFFFu) | a[(bits >> (3 * i)) & 7] << 24;
}

uint32_t MaskValue(uint32_t v, uint32_t mask) {
    if (!mask) return 0;
    int shift = 0, bits = 0;
    while (!((mask >> shift) & 1)) shift++;
    while (shift + bits < 32 && ((mask >> (shift + bits)) & 1)) bits++;
    uint32_t x = (v & mask) >> shift;
    if (bits >= 8) return x >> (bits - 8);
    return bits ? (x * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1) : 0;
}

} // namespace

bool DecodeDds(const uint8_t* d, size_t size, DecodedImage* out) {
    if (size < 128 || std::memcmp(d, "DDS ", 4) != 0) return false;
    if (ReadLe32(d + 4) != 124 || ReadLe32(d + 76) != 32) return false;
    const uint32_t h = ReadLe32(d + 12), w = ReadLe32(d + 16);
    const uint32_t pfFlags = ReadLe32(d + 80);
    if (!ImageSizeAllowed(w, h)) return false;
    const uint8_t* data = d + 128;
    const size_t avail = size - 128;
    out->pixels.resize(static_cast<size_t>(w) * h);
    if (pfFlags & DDPF_FOURCC) {
        int kind;
        if (std::memcmp(d + 84, "DXT1", 4) == 0) kind = 1;
        else if (std::memcmp(d + 84, "DXT3", 4) == 0) kind = 3;
        else if (std::memcmp(d + 84, "DXT5", 4) == 0) kind = 5;
        else { out->pixels.clear(); return false; }
        const size_t bw = (w + 3) / 4, bh = (h + 3) / 4, blockBytes = kind == 1 ? 8 : 16;
        if (bw * bh * blockBytes > avail) { out->pixels.clear(); return false; }
        uint32_t block[16];
        for (size_t by = 0; by < bh; by++) {
            for (size_t bx = 0; bx < bw; bx++) {
                const uint8_t* p = data + (by * bw + bx) * blockBytes;
                if (kind == 1) {
                    ColourBlock(p, false, block);
                } else {
                    ColourBlock(p + 8, true, block);
                    if (kind == 3) {
                        for (int i = 0; i < 16; i++) {
                            uint32_t a = (p[i / 2] >> (4 * (i & 1))) & 15;
                            block[i] = (block[i] & 0xFFFFFFu) | (a * 17) << 24;
                        }
                    } else {
                        AlphaBlock5(p, block);
                    }
                }
                for (int i = 0; i < 16; i++) {
                    size_t x = bx * 4 + (i & 3), y = by * 4 + (i >> 2);
                    if (x < w && y < h) out->pixels[y * w + x] = block[i];
                }
            }
        }
        out->hasAlpha = true;
    } else if (pfFlags & DDPF_RGB) {
        const uint32_t bits = ReadLe32(d + 88);
        if (bits != 24 && bits != 32) { out->pixels.clear(); return false; }
        const uint32_t rm = ReadLe32(d + 92), gm = ReadLe32(d + 96), bm = ReadLe32(d + 100);
        const uint32_t am = (pfFlags & DDPF_ALPHAPIXELS) ? ReadLe32(d + 104) : 0;
        const size_t bytes = bits / 8;
        // Rows are packed to whole bytes; a pitch field is not trusted.
        const size_t pitch = static_cast<size_t>(w) * bytes;
        if (pitch * h > avail) { out->pixels.clear(); return false; }
        for (size_t y = 0; y < h; y++) {
            for (size_t x = 0; x < w; x++) {
                const uint8_t* p = data + y * pitch + x * bytes;
                uint32_t v = bytes == 4 ? ReadLe32(p) : (p[0] | p[1] << 8 | p[2] << 16);
                uint32_t a = am ? MaskValue(v, am) : 255;
                out->pixels[y * w + x] = a << 24 | MaskValue(v, rm) << 16 | MaskValue(v, gm) << 8 | MaskValue(v, bm);
            }
        }
        out->hasAlpha = am != 0;
    } else {
        out->pixels.clear();
        return false;
    }
    out->width = static_cast<int>(w);
    out->height = static_cast<int>(h);
    return true;
}
