// DDS reader: the top level of a 2D surface (further mip levels and array
// slices are ignored). Uncompressed pixels go through the pixel format's masks:
// RGB (16, 24 or 32 bits: 5-6-5, 1-5-5-5, 4-4-4-4, 8-8-8, 8-8-8-8 in any
// order, with or without alpha), luminance (L8, A8L8, 16-bit L with alpha) and
// alpha only (A8, black). Block-compressed: DXT1, DXT3, DXT5, BC4 and BC5
// ("ATI1"/"BC4U", "ATI2"/"BC5U") in the old header; behind the extended "DX10"
// header also R8G8B8A8, B8G8R8A8 and B8G8R8X8 (sRGB pixel values unchanged),
// BC1 to BC5 (unsigned) and BC7. BC4 reads as grey, BC5 as red and green with
// blue 0. Cube maps, volume textures, signed and floating-point formats
// (BC6H among them) are refused.
//
// Channels narrower than 8 bits are widened by repeating their bits; wider
// ones keep their top 8 bits. The header must say 124 and 32 for its two
// sizes; the top level's pixel data must be whole. Rows are packed to whole
// bytes (the pitch field is not trusted). Masks with bits outside the pixel's
// size are cut to it; a luminance mask that is then empty (or was 0) is the
// low byte, and luminance said to be 24 or 32 bits is read as the 8-bit L (or
// 16-bit L and A) that such files hold; each repair is noted.
#include <cstring>
#include <string>

#include "framework/backend/image/image_readers.h"

namespace {

enum {
    DDPF_ALPHAPIXELS = 0x1, DDPF_ALPHA = 0x2, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40, DDPF_LUMINANCE = 0x20000,
    DDSD_DEPTH = 0x800000, DDSCAPS2_CUBEMAP = 0x200, DDSCAPS2_VOLUME = 0x200000,
};
enum { DX10_TEXTURE2D = 3, DX10_MISC_TEXTURECUBE = 0x4 };

// What a block or pixel layout is, once the header has been read.
enum class Layout { Masks, Bc1, Bc2, Bc3, Bc4, Bc5, Bc7 };

uint32_t Widen(uint32_t x, int bits) {
    if (bits >= 8) return (x >> (bits - 8)) & 255;
    uint32_t r = 0;
    int filled = 0;
    while (filled < 8) {
        r = (r << bits) | x;
        filled += bits;
    }
    return r >> (filled - 8);
}

uint32_t MaskValue(uint32_t v, uint32_t mask) {
    if (!mask) return 0;
    int shift = 0, bits = 0;
    while (!((mask >> shift) & 1)) shift++;
    while (shift + bits < 32 && ((mask >> (shift + bits)) & 1)) bits++;
    return Widen((v & mask) >> shift, bits);
}

uint32_t Expand565(uint32_t c) {
    return Widen((c >> 11) & 31, 5) << 16 | Widen((c >> 5) & 63, 6) << 8 | Widen(c & 31, 5);
}

uint32_t Mix(uint32_t a, uint32_t b, int wa, int wb, int div) {
    uint32_t r = 0;
    for (int s = 0; s < 24; s += 8) r |= ((((a >> s) & 255) * wa + ((b >> s) & 255) * wb) / div) << s;
    return r;
}

// The 16 colours of one BC1 colour block; `fourColour` forces BC2/BC3 behaviour.
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

// One 8-byte block of eight-step values (BC3 alpha, BC4, each half of BC5).
void ValueBlock(const uint8_t* p, uint8_t out[16]) {
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
    for (int i = 0; i < 16; i++) out[i] = static_cast<uint8_t>(a[(bits >> (3 * i)) & 7]);
}

// ---- BC7 ----

struct Bc7Mode {
    int subsets, partitionBits, rotationBits, selectorBits, colourBits, alphaBits;
    int endpointPBits, sharedPBits, indexBits, index2Bits;
};
const Bc7Mode BC7_MODES[8] = {
    {3, 4, 0, 0, 4, 0, 1, 0, 3, 0},   // 0
    {2, 6, 0, 0, 6, 0, 0, 1, 3, 0},   // 1
    {3, 6, 0, 0, 5, 0, 0, 0, 2, 0},   // 2
    {2, 6, 0, 0, 7, 0, 1, 0, 2, 0},   // 3
    {1, 0, 2, 1, 5, 6, 0, 0, 2, 3},   // 4
    {1, 0, 2, 0, 7, 8, 0, 0, 2, 2},   // 5
    {1, 0, 0, 0, 7, 7, 1, 0, 4, 0},   // 6
    {2, 6, 0, 0, 5, 5, 1, 0, 2, 0},   // 7
};

// Two-subset partitions: bit i set = pixel i in subset 1.
const uint16_t BC7_PARTITION2[64] = {
    0xCCCC, 0x8888, 0xEEEE, 0xECC8, 0xC880, 0xFEEC, 0xFEC8, 0xEC80, 0xC800, 0xFFEC, 0xFE80, 0xE800, 0xFFE8,
    0xFF00, 0xFFF0, 0xF000, 0xF710, 0x008E, 0x7100, 0x08CE, 0x008C, 0x7310, 0x3100, 0x8CCE, 0x088C, 0x3110,
    0x6666, 0x366C, 0x17E8, 0x0FF0, 0x718E, 0x399C, 0xAAAA, 0xF0F0, 0x5A5A, 0x33CC, 0x3C3C, 0x55AA, 0x9696,
    0xA55A, 0x73CE, 0x13C8, 0x324C, 0x3BDC, 0x6996, 0xC33C, 0x9966, 0x0660, 0x0272, 0x04E4, 0x4E40, 0x2720,
    0xC936, 0x936C, 0x39C6, 0x639C, 0x9336, 0x9CC6, 0x817E, 0xE718, 0xCCF0, 0x0FCC, 0x7744, 0xEE22,
};
// Three-subset partitions: bits 2i and 2i + 1 = the subset of pixel i.
const uint32_t BC7_PARTITION3[64] = {
    0xAA685050, 0x6A5A5040, 0x5A5A4200, 0x5450A0A8, 0xA5A50000, 0xA0A05050, 0x5555A0A0, 0x5A5A5050,
    0xAA550000, 0xAA555500, 0xAAAA5500, 0x90909090, 0x94949494, 0xA4A4A4A4, 0xA9A59450, 0x2A0A4250,
    0xA5945040, 0x0A425054, 0xA5A5A500, 0x55A0A0A0, 0xA8A85454, 0x6A6A4040, 0xA4A45000, 0x1A1A0500,
    0x0050A4A4, 0xAAA59090, 0x14696914, 0x69691400, 0xA08585A0, 0xAA821414, 0x50A4A450, 0x6A5A0200,
    0xA9A58000, 0x5090A0A8, 0xA8A09050, 0x24242424, 0x00AA5500, 0x24924924, 0x24499224, 0x50A50A50,
    0x500AA550, 0xAAAA4444, 0x66660000, 0xA5A0A5A0, 0x50A050A0, 0x69286928, 0x44AAAA44, 0x66666600,
    0xAA444444, 0x54A854A8, 0x95809580, 0x96969600, 0xA85454A8, 0x80959580, 0xAA141414, 0x96960000,
    0xAAAA1414, 0xA05050A0, 0xA0A5A5A0, 0x96000000, 0x40804080, 0xA9A8A9A8, 0xAAAAAA44, 0x2A4A5254,
};
// The pixel whose index loses its top bit, for subset 1 of two and subsets 1
// and 2 of three (subset 0's is always pixel 0).
const uint8_t BC7_ANCHOR2[64] = {
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 2,  8,  2,  2,  8,
    8,  15, 2,  8,  2,  2,  8,  8,  2,  2,  15, 15, 6,  8,  2,  8,  15, 15, 2,  8,  2,  2,
    2,  15, 15, 6,  6,  2,  6,  8,  15, 15, 2,  2,  15, 15, 15, 15, 15, 2,  2,  15,
};
const uint8_t BC7_ANCHOR3A[64] = {
    3, 3,  15, 15, 8,  3,  15, 15, 8,  8,  6,  6,  6,  5,  3,  3,  3,  3,  8,  15, 3,  3,
    6, 10, 5,  8,  8,  6,  8,  5,  15, 15, 8,  15, 3,  5,  6,  10, 8,  15, 15, 3,  15, 5,
    15, 15, 15, 15, 3, 15, 5,  5,  5,  8,  5,  10, 5,  10, 8,  13, 15, 12, 3,  3,
};
const uint8_t BC7_ANCHOR3B[64] = {
    15, 8,  8,  3,  15, 15, 3,  8,  15, 15, 15, 15, 15, 15, 15, 8,  15, 8,  15, 3,  15, 8,
    15, 8,  3,  15, 6,  10, 15, 15, 10, 8,  15, 3,  15, 10, 10, 8,  9,  10, 6,  15, 8,  15,
    3,  6,  6,  8,  15, 3,  15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 3,  15, 15, 8,
};
const uint8_t BC7_WEIGHTS2[4] = {0, 21, 43, 64};
const uint8_t BC7_WEIGHTS3[8] = {0, 9, 18, 27, 37, 46, 55, 64};
const uint8_t BC7_WEIGHTS4[16] = {0, 4, 9, 13, 17, 21, 26, 30, 34, 38, 43, 47, 51, 55, 60, 64};

struct BitReader {
    const uint8_t* p;
    int at = 0;
    uint32_t Take(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; i++, at++) v |= static_cast<uint32_t>((p[at >> 3] >> (at & 7)) & 1) << i;
        return v;
    }
};

uint32_t Bc7Interp(uint32_t e0, uint32_t e1, int indexBits, uint32_t index) {
    const uint8_t* w = indexBits == 2 ? BC7_WEIGHTS2 : indexBits == 3 ? BC7_WEIGHTS3 : BC7_WEIGHTS4;
    return ((64 - w[index]) * e0 + w[index] * e1 + 32) >> 6;
}

// A reserved mode (first byte 0) decodes to transparent black.
void Bc7Block(const uint8_t* p, uint32_t out[16]) {
    int modeIndex = 0;
    while (modeIndex < 8 && !((p[0] >> modeIndex) & 1)) modeIndex++;
    if (modeIndex == 8) {
        for (int i = 0; i < 16; i++) out[i] = 0;
        return;
    }
    const Bc7Mode& m = BC7_MODES[modeIndex];
    BitReader br{p};
    br.at = modeIndex + 1;
    const uint32_t partition = br.Take(m.partitionBits);
    const uint32_t rotation = br.Take(m.rotationBits);
    const uint32_t selector = br.Take(m.selectorBits);
    const int endpoints = 2 * m.subsets;
    uint32_t e[6][4];   // endpoint, channel R G B A
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < endpoints; i++) e[i][c] = br.Take(m.colourBits);
    for (int i = 0; i < endpoints; i++) e[i][3] = br.Take(m.alphaBits);
    int colourBits = m.colourBits, alphaBits = m.alphaBits;
    if (m.endpointPBits || m.sharedPBits) {
        uint32_t pbit[6];
        if (m.endpointPBits) {
            for (int i = 0; i < endpoints; i++) pbit[i] = br.Take(1);
        } else {
            for (int s = 0; s < m.subsets; s++) pbit[2 * s] = pbit[2 * s + 1] = br.Take(1);
        }
        for (int i = 0; i < endpoints; i++)
            for (int c = 0; c < 4; c++)
                if (c < 3 || alphaBits) e[i][c] = e[i][c] << 1 | pbit[i];
        colourBits++;
        if (alphaBits) alphaBits++;
    }
    for (int i = 0; i < endpoints; i++) {
        for (int c = 0; c < 3; c++) e[i][c] = Widen(e[i][c], colourBits);
        e[i][3] = alphaBits ? Widen(e[i][3], alphaBits) : 255;
    }
    int subsetOf[16];
    bool anchor[16] = {true};
    for (int i = 0; i < 16; i++) {
        subsetOf[i] = m.subsets == 1   ? 0
                      : m.subsets == 2 ? (BC7_PARTITION2[partition] >> i) & 1
                                       : (BC7_PARTITION3[partition] >> (2 * i)) & 3;
        if (i) anchor[i] = false;
    }
    if (m.subsets == 2) anchor[BC7_ANCHOR2[partition]] = true;
    if (m.subsets == 3) anchor[BC7_ANCHOR3A[partition]] = anchor[BC7_ANCHOR3B[partition]] = true;
    uint32_t index[16], index2[16] = {};
    for (int i = 0; i < 16; i++) index[i] = br.Take(m.indexBits - (anchor[i] ? 1 : 0));
    if (m.index2Bits)
        for (int i = 0; i < 16; i++) index2[i] = br.Take(m.index2Bits - (i == 0 ? 1 : 0));
    for (int i = 0; i < 16; i++) {
        const uint32_t* e0 = e[2 * subsetOf[i]];
        const uint32_t* e1 = e[2 * subsetOf[i] + 1];
        uint32_t ch[4];
        if (m.index2Bits) {
            // Mode 4's selector swaps which index set colour and alpha use.
            const bool swap = selector != 0;
            const int cBits = swap ? m.index2Bits : m.indexBits, aBits = swap ? m.indexBits : m.index2Bits;
            const uint32_t ci = swap ? index2[i] : index[i], ai = swap ? index[i] : index2[i];
            for (int c = 0; c < 3; c++) ch[c] = Bc7Interp(e0[c], e1[c], cBits, ci);
            ch[3] = Bc7Interp(e0[3], e1[3], aBits, ai);
        } else {
            for (int c = 0; c < 4; c++) ch[c] = Bc7Interp(e0[c], e1[c], m.indexBits, index[i]);
        }
        if (rotation) {
            const uint32_t t = ch[3];
            ch[3] = ch[rotation - 1];
            ch[rotation - 1] = t;
        }
        out[i] = ch[3] << 24 | ch[0] << 16 | ch[1] << 8 | ch[2];
    }
}

// One 4×4 block of any block layout into straight ARGB.
void DecodeBlock(Layout layout, const uint8_t* p, uint32_t block[16]) {
    uint8_t v[16], v2[16];
    switch (layout) {
        case Layout::Bc1: ColourBlock(p, false, block); break;
        case Layout::Bc2:
            ColourBlock(p + 8, true, block);
            for (int i = 0; i < 16; i++) {
                const uint32_t a = (p[i / 2] >> (4 * (i & 1))) & 15;
                block[i] = (block[i] & 0xFFFFFFu) | (a * 17) << 24;
            }
            break;
        case Layout::Bc3:
            ColourBlock(p + 8, true, block);
            ValueBlock(p, v);
            for (int i = 0; i < 16; i++) block[i] = (block[i] & 0xFFFFFFu) | static_cast<uint32_t>(v[i]) << 24;
            break;
        case Layout::Bc4:
            ValueBlock(p, v);
            for (int i = 0; i < 16; i++) block[i] = 0xFF000000u | v[i] * 0x010101u;
            break;
        case Layout::Bc5:
            ValueBlock(p, v);
            ValueBlock(p + 8, v2);
            for (int i = 0; i < 16; i++) block[i] = 0xFF000000u | v[i] << 16 | v2[i] << 8;
            break;
        default: Bc7Block(p, block); break;
    }
}

struct DdsFormat {
    Layout layout = Layout::Masks;
    uint32_t bits = 0, rm = 0, gm = 0, bm = 0, am = 0;
    bool grey = false, hasAlpha = false;
};

bool FourCcLayout(const uint8_t* fourcc, DdsFormat* f) {
    static const struct { char code[5]; Layout layout; } known[] = {
        {"DXT1", Layout::Bc1}, {"DXT3", Layout::Bc2}, {"DXT5", Layout::Bc3}, {"ATI1", Layout::Bc4},
        {"BC4U", Layout::Bc4}, {"ATI2", Layout::Bc5}, {"BC5U", Layout::Bc5},
    };
    for (const auto& k : known) {
        if (std::memcmp(fourcc, k.code, 4) == 0) {
            f->layout = k.layout;
            return true;
        }
    }
    return false;
}

// DXGI format numbers read from the extended header.
bool DxgiLayout(uint32_t dxgi, DdsFormat* f) {
    switch (dxgi) {
        case 27: case 28: case 29:   // R8G8B8A8 typeless, unorm, sRGB
            f->bits = 32; f->rm = 0xFF; f->gm = 0xFF00; f->bm = 0xFF0000; f->am = 0xFF000000u;
            return true;
        case 87: case 90: case 91:   // B8G8R8A8 unorm, typeless, sRGB
            f->bits = 32; f->rm = 0xFF0000; f->gm = 0xFF00; f->bm = 0xFF; f->am = 0xFF000000u;
            return true;
        case 88: case 92: case 93:   // B8G8R8X8 unorm, typeless, sRGB
            f->bits = 32; f->rm = 0xFF0000; f->gm = 0xFF00; f->bm = 0xFF;
            return true;
        case 70: case 71: case 72: f->layout = Layout::Bc1; return true;
        case 73: case 74: case 75: f->layout = Layout::Bc2; return true;
        case 76: case 77: case 78: f->layout = Layout::Bc3; return true;
        case 79: case 80: f->layout = Layout::Bc4; return true;
        case 82: case 83: f->layout = Layout::Bc5; return true;
        case 97: case 98: case 99: f->layout = Layout::Bc7; return true;
        default: return false;   // signed, float, BC6H and the rest
    }
}

} // namespace

bool DecodeDds(const uint8_t* d, size_t size, DecodedImage* out) {
    if (size < 128 || std::memcmp(d, "DDS ", 4) != 0) return false;
    if (ReadLe32(d + 4) != 124 || ReadLe32(d + 76) != 32) return false;
    const uint32_t flags = ReadLe32(d + 8), h = ReadLe32(d + 12), w = ReadLe32(d + 16);
    const uint32_t depth = ReadLe32(d + 24), caps2 = ReadLe32(d + 112);
    const uint32_t pfFlags = ReadLe32(d + 80);
    if (!ImageSizeAllowed(w, h)) return false;
    if ((caps2 & (DDSCAPS2_CUBEMAP | DDSCAPS2_VOLUME)) || ((flags & DDSD_DEPTH) && depth > 1)) return false;
    size_t dataAt = 128;
    DdsFormat f;
    std::string notes;
    if (pfFlags & DDPF_FOURCC) {
        if (std::memcmp(d + 84, "DX10", 4) == 0) {
            if (size < 148) return false;
            const uint32_t dxgi = ReadLe32(d + 128), dimension = ReadLe32(d + 132);
            const uint32_t misc = ReadLe32(d + 136), arraySize = ReadLe32(d + 140);
            if (dimension != DX10_TEXTURE2D || (misc & DX10_MISC_TEXTURECUBE) || arraySize == 0) return false;
            if (!DxgiLayout(dxgi, &f)) return false;
            dataAt = 148;
        } else if (!FourCcLayout(d + 84, &f)) {
            return false;
        }
        f.hasAlpha = f.layout == Layout::Masks ? f.am != 0 : f.layout != Layout::Bc4 && f.layout != Layout::Bc5;
    } else if (pfFlags & (DDPF_RGB | DDPF_LUMINANCE | DDPF_ALPHA)) {
        f.bits = ReadLe32(d + 88);
        if (f.bits != 8 && f.bits != 16 && f.bits != 24 && f.bits != 32) return false;
        const uint32_t m0 = ReadLe32(d + 92), m1 = ReadLe32(d + 96), m2 = ReadLe32(d + 100), m3 = ReadLe32(d + 104);
        if (pfFlags & DDPF_RGB) {
            f.rm = m0; f.gm = m1; f.bm = m2;
            f.am = (pfFlags & DDPF_ALPHAPIXELS) ? m3 : 0;
        } else if (pfFlags & DDPF_LUMINANCE) {
            f.grey = true;
            f.rm = m0;
            f.am = (pfFlags & DDPF_ALPHAPIXELS) ? m3 : 0;
            if (f.bits > 16) {
                // Luminance said to be 24 or 32 bits (a writer copying its RGB
                // header): the pixels are L, or L then A, of a byte each.
                notes = "DDS: luminance said to be " + std::to_string(f.bits) + " bits: read as " +
                        (f.am ? "16-bit luminance and alpha\n" : "8-bit luminance\n");
                f.bits = f.am ? 16 : 8;
                f.rm = 0xFF;
                f.am = f.am ? 0xFF00 : 0;
            }
        } else {
            f.am = m3;   // alpha only: black with that alpha
        }
        // Masks are cut to the pixel's own bits; a luminance mask left empty
        // by that (or given as 0) is the low byte, as every reader of such
        // files takes it.
        const uint32_t pixelBits = f.bits == 32 ? 0xFFFFFFFFu : (1u << f.bits) - 1;
        bool cut = false;
        for (uint32_t* m : {&f.rm, &f.gm, &f.bm, &f.am}) {
            if (*m & ~pixelBits) cut = true;
            *m &= pixelBits;
        }
        if (f.grey && f.rm == 0) {
            f.rm = 0xFF;
            notes += "DDS: luminance mask empty within the pixel's bits: the low byte taken\n";
        } else if (cut) {
            notes += "DDS: channel masks cut to the pixel's " + std::to_string(f.bits) + " bits\n";
        }
        f.hasAlpha = f.am != 0;
    } else {
        return false;
    }

    const size_t avail = size - dataAt;
    const uint8_t* data = d + dataAt;
    if (f.layout == Layout::Masks) {
        const size_t bytes = f.bits / 8;
        const size_t pitch = static_cast<size_t>(w) * bytes;
        if (pitch * h > avail) return false;
        out->pixels.assign(static_cast<size_t>(w) * h, 0u);
        for (size_t y = 0; y < h; y++) {
            uint32_t* o = out->pixels.data() + y * w;
            for (size_t x = 0; x < w; x++) {
                const uint8_t* p = data + y * pitch + x * bytes;
                uint32_t v = p[0];
                for (size_t k = 1; k < bytes; k++) v |= static_cast<uint32_t>(p[k]) << (8 * k);
                const uint32_t a = f.am ? MaskValue(v, f.am) : 255;
                if (f.grey) {
                    o[x] = a << 24 | MaskValue(v, f.rm) * 0x010101u;
                } else {
                    o[x] = a << 24 | MaskValue(v, f.rm) << 16 | MaskValue(v, f.gm) << 8 | MaskValue(v, f.bm);
                }
            }
        }
    } else {
        const size_t bw = (w + 3) / 4, bh = (h + 3) / 4;
        const size_t blockBytes = f.layout == Layout::Bc1 || f.layout == Layout::Bc4 ? 8 : 16;
        if (bw * bh * blockBytes > avail) return false;
        out->pixels.assign(static_cast<size_t>(w) * h, 0u);
        uint32_t block[16];
        for (size_t by = 0; by < bh; by++) {
            for (size_t bx = 0; bx < bw; bx++) {
                DecodeBlock(f.layout, data + (by * bw + bx) * blockBytes, block);
                for (int i = 0; i < 16; i++) {
                    const size_t x = bx * 4 + (i & 3), y = by * 4 + (i >> 2);
                    if (x < w && y < h) out->pixels[y * w + x] = block[i];
                }
            }
        }
    }
    out->width = static_cast<int>(w);
    out->height = static_cast<int>(h);
    out->hasAlpha = f.hasAlpha;
    out->notes += notes;
    return true;
}
