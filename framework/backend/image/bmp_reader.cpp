// BMP reader. Info headers: OS/2 1.x (12 bytes, 16-bit sizes, 3-byte palette
// entries), OS/2 2.x (16 to 64 bytes, fields past the given length taken as
// 0), Windows 3 (40, with 12 or 16 bytes of bit fields after it) and the 52-,
// 56-, 108- and 124-byte versions that carry the masks inside. Pixels: 1, 2, 4
// and 8 bits through the palette, run-length 8 and 4 bits, 16 and 32 bits
// (default 5-5-5 and X-8-8-8, or any bit fields, alpha mask included) and 24
// bits. Rows bottom-up, or top-down when the height is negative (never for
// run-length data, which is always bottom-up).
//
// Channels narrower than 8 bits are widened by repeating their bits, so a
// 5-bit 31 reads 255 and 16 reads 132; wider ones keep their top 8 bits.
// A palette index past the colours the file lists reads opaque black. In
// run-length pictures, pixels skipped by a delta or an early end of line or of
// picture take palette entry 0; a delta that goes past the right edge or the
// last row refuses the file, as does data that ends before the end-of-picture
// code with rows still to fill. Every size is checked against the file before
// anything is allocated.
//
// Repaired as mainstream readers do, each with a line in the notes: a palette
// listing more colours than the depth indexes (the first 2^bpp used); no
// colour count and room for fewer than 2^bpp entries before the pixels (as
// many as fit); a pixel offset of 0 (the pixels follow the palette); run-length
// runs and blocks past a row's right edge (carried on into the next rows in
// storage order, where the next row's own pixels cover them, and dropped past
// the picture's end).
#include <cstring>
#include <string>

#include "framework/backend/image/image_readers.h"

namespace {

enum { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

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
    if (c.bits >= 8) return (x >> (c.bits - 8)) & 255;
    // Replicate the high bits down so that the maximum maps to 255.
    uint32_t r = 0;
    int filled = 0;
    while (filled < 8) {
        r = (r << c.bits) | (x & ((1u << c.bits) - 1));
        filled += c.bits;
    }
    return r >> (filled - 8);
}

struct BmpHeader {
    uint64_t pixelOffset = 0;
    uint32_t hdr = 0;
    int64_t w = 0, h = 0;
    bool topDown = false;
    uint32_t bpp = 0, compression = BI_RGB, colorsUsed = 0;
    size_t paletteEntry = 4;
    uint64_t paletteAt = 0;
    uint32_t masks[4] = {0, 0, 0, 0};
    bool offsetGuessed = false;   // the file gave 0 for the pixels' offset
};

bool ReadHeader(const uint8_t* d, size_t size, BmpHeader* b) {
    if (size < 26 || d[0] != 'B' || d[1] != 'M') return false;
    b->pixelOffset = ReadLe32(d + 10);
    b->hdr = ReadLe32(d + 14);
    const uint32_t hdr = b->hdr;
    if (hdr == 12) {
        b->w = ReadLe16(d + 18);
        b->h = ReadLe16(d + 20);
        b->bpp = ReadLe16(d + 24);
        b->paletteEntry = 3;
    } else if (hdr >= 16 && hdr <= 124 && hdr % 4 == 0) {
        const bool windows = hdr == 40 || hdr == 52 || hdr == 56 || hdr == 108 || hdr == 124;
        if (!windows && hdr > 64) return false;
        if (size < 14 + static_cast<size_t>(hdr)) return false;
        // Fields beyond a short OS/2 2.x header are zero.
        uint8_t f[124] = {};
        std::memcpy(f, d + 14, hdr);
        b->w = static_cast<int32_t>(ReadLe32(f + 4));
        b->h = static_cast<int32_t>(ReadLe32(f + 8));
        b->bpp = ReadLe16(f + 14);
        b->compression = ReadLe32(f + 16);
        b->colorsUsed = ReadLe32(f + 32);
        // OS/2 2.x numbers its compressions differently past run-length 4
        // (3 is Huffman, 4 is 24-bit run-length): none of those is read.
        if (!windows && b->compression > BI_RLE4) return false;
        if (windows && hdr >= 52) {
            for (int i = 0; i < 3; i++) b->masks[i] = ReadLe32(f + 40 + 4 * i);
            if (hdr >= 56) b->masks[3] = ReadLe32(f + 52);
        }
    } else {
        return false;
    }
    if (b->h < 0) {
        b->topDown = true;
        b->h = -b->h;
    }
    if (!ImageSizeAllowed(b->w, b->h)) return false;
    b->paletteAt = 14 + static_cast<uint64_t>(hdr);

    switch (b->compression) {
        case BI_RGB:
            if (b->bpp == 16) { b->masks[0] = 0x7C00; b->masks[1] = 0x03E0; b->masks[2] = 0x001F; }
            if (b->bpp == 32) { b->masks[0] = 0xFF0000; b->masks[1] = 0xFF00; b->masks[2] = 0xFF; }
            if (b->bpp == 16 || b->bpp == 32) b->masks[3] = 0;
            break;
        case BI_RLE8:
            if (b->bpp != 8 || b->topDown) return false;
            break;
        case BI_RLE4:
            if (b->bpp != 4 || b->topDown) return false;
            break;
        case BI_BITFIELDS:
        case BI_ALPHABITFIELDS:
            if (b->bpp != 16 && b->bpp != 32) return false;
            if (hdr == 40) {
                // The masks follow the header: three, or four with alpha.
                const int count = b->compression == BI_ALPHABITFIELDS ? 4 : 3;
                if (size < 54 + 4u * count) return false;
                for (int i = 0; i < count; i++) b->masks[i] = ReadLe32(d + 54 + 4 * i);
                b->paletteAt += 4u * count;
            } else if (hdr < 52) {
                return false;
            }
            if (b->compression == BI_BITFIELDS && hdr < 56) b->masks[3] = 0;
            break;
        default:
            return false;
    }
    if (b->bpp != 1 && b->bpp != 2 && b->bpp != 4 && b->bpp != 8 && b->bpp != 16 && b->bpp != 24 &&
        b->bpp != 32)
        return false;
    if (b->pixelOffset == 0) {
        // No offset given: the pixels follow the palette, as readers take it.
        const uint64_t colours = b->bpp > 8 ? 0 : b->colorsUsed ? b->colorsUsed : uint64_t(1) << b->bpp;
        b->pixelOffset = b->paletteAt + colours * b->paletteEntry;
        b->offsetGuessed = true;
    }
    return b->pixelOffset <= size;
}

// Reads the palette into 2^bpp entries, those the file does not list black.
// The palette must lie before the pixel data. A file that lists more colours
// than its depth can index has the extra ones ignored; one that gives no count
// and leaves room for fewer than 2^bpp entries before its pixels (OS/2 1.x
// writers size the palette that way) has as many as fit.
bool ReadPalette(const uint8_t* d, size_t size, const BmpHeader& b, uint32_t palette[256], std::string* notes) {
    const uint64_t maxColors = uint64_t(1) << b.bpp;
    const uint64_t limit = b.pixelOffset < size ? b.pixelOffset : size;
    const uint64_t room = limit > b.paletteAt ? (limit - b.paletteAt) / b.paletteEntry : 0;
    uint64_t count = b.colorsUsed ? b.colorsUsed : maxColors;
    if (count > room) {
        if (b.colorsUsed || room == 0) return false;   // a listed palette must be whole
        count = room;
        *notes += "BMP: palette of " + std::to_string(room) + " colours, all that fit before the pixels\n";
    }
    if (count > maxColors) {
        *notes += "BMP: palette of " + std::to_string(count) + " colours for " + std::to_string(b.bpp) +
                  " bits per pixel: the first " + std::to_string(maxColors) + " used\n";
        count = maxColors;
    }
    for (uint64_t i = 0; i < 256; i++) palette[i] = 0xFF000000u;
    for (uint64_t i = 0; i < count; i++) {
        const uint8_t* p = d + b.paletteAt + i * b.paletteEntry;
        palette[i] = 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0];
    }
    return true;
}

// Run-length 8- and 4-bit data into palette indices. Rows run bottom-up.
bool DecodeRle(const uint8_t* d, size_t size, const BmpHeader& b, const uint32_t palette[256],
               PixelVector* pixels, std::string* notes) {
    const bool four = b.compression == BI_RLE4;
    const uint64_t w = b.w, h = b.h;
    // A sparse picture may cover many pixels with few bytes, but two bytes
    // never cover more than two of the widest rows: anything claiming more is
    // a lie, refused before the picture is allocated.
    const uint64_t dataBytes = size - b.pixelOffset;
    if (w * h > (dataBytes + 2) * IMAGE_MAX_SIDE) return false;
    pixels->assign(static_cast<size_t>(w * h), palette[0]);
    uint64_t at = b.pixelOffset, x = 0, y = 0;
    // Runs and blocks that go past the right edge carry on into the rows
    // above, in storage order, until an end-of-line code or a delta moves on
    // (most writers pad rows that way, and the next row's own pixels then
    // cover the spill); past the picture's last pixel they are dropped.
    uint64_t spilled = 0;
    auto put = [&](uint32_t index) {
        const uint64_t at = y * w + x++;
        if (at < w * h) (*pixels)[(h - 1 - at / w) * w + at % w] = palette[index];
        if (x > w) spilled++;
    };
    auto done = [&](bool ok) {
        if (ok && spilled)
            *notes += "BMP: " + std::to_string(spilled) + " run-length pixels past the right edge of their row\n";
        return ok;
    };
    for (;;) {
        if (at + 2 > size) return done(y * w + x >= w * h);   // fine only when every row is done
        const uint32_t count = d[at], code = d[at + 1];
        at += 2;
        if (count) {
            if (y >= h) return false;
            for (uint32_t i = 0; i < count; i++) put(four ? (i & 1 ? code & 15 : code >> 4) : code);
        } else if (code == 0) {
            x = 0;
            y++;
        } else if (code == 1) {
            return done(true);
        } else if (code == 2) {
            if (at + 2 > size) return false;
            x += d[at];
            y += d[at + 1];
            at += 2;
            if (x > w || y >= h) return false;
        } else {
            const uint64_t bytes = four ? (code + 1) / 2 : code;
            if (y >= h || at + bytes > size) return false;
            for (uint32_t i = 0; i < code; i++) {
                const uint8_t v = d[at + (four ? i / 2 : i)];
                put(four ? (i & 1 ? v & 15 : v >> 4) : v);
            }
            at += (bytes + 1) & ~uint64_t(1);   // blocks end on a 16-bit boundary
        }
    }
}

} // namespace

bool DecodeBmp(const uint8_t* d, size_t size, DecodedImage* out) {
    BmpHeader b;
    if (!ReadHeader(d, size, &b)) return false;
    const int64_t w = b.w, h = b.h;
    const uint32_t bpp = b.bpp;

    uint32_t palette[256];
    std::string notes;
    if (b.offsetGuessed) notes += "BMP: pixel data offset 0: the pixels taken to follow the palette\n";
    if (bpp <= 8 && !ReadPalette(d, size, b, palette, &notes)) return false;

    if (b.compression == BI_RLE8 || b.compression == BI_RLE4) {
        if (!DecodeRle(d, size, b, palette, &out->pixels, &notes)) {
            out->pixels.clear();
            return false;
        }
        out->notes += notes;
        out->width = static_cast<int>(w);
        out->height = static_cast<int>(h);
        out->hasAlpha = false;
        return true;
    }

    const uint64_t stride = ((static_cast<uint64_t>(w) * bpp + 31) / 32) * 4;
    if (stride * h > size - b.pixelOffset) return false;

    const MaskChannel ch[4] = {MakeChannel(b.masks[0]), MakeChannel(b.masks[1]), MakeChannel(b.masks[2]),
                               MakeChannel(b.masks[3])};
    const bool maskAlpha = b.masks[3] != 0;
    out->pixels.assign(static_cast<size_t>(w * h), 0u);
    for (int64_t y = 0; y < h; y++) {
        const uint8_t* row = d + b.pixelOffset + stride * (b.topDown ? y : h - 1 - y);
        uint32_t* o = out->pixels.data() + y * w;
        switch (bpp) {
            case 1:
                for (int64_t x = 0; x < w; x++) o[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 2:
                for (int64_t x = 0; x < w; x++) o[x] = palette[(row[x >> 2] >> (6 - 2 * (x & 3))) & 3];
                break;
            case 4:
                for (int64_t x = 0; x < w; x++) o[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
                break;
            case 8:
                for (int64_t x = 0; x < w; x++) o[x] = palette[row[x]];
                break;
            case 24:
                for (int64_t x = 0; x < w; x++)
                    o[x] = 0xFF000000u | row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x];
                break;
            default:
                for (int64_t x = 0; x < w; x++) {
                    const uint32_t v = bpp == 16 ? ReadLe16(row + 2 * x) : ReadLe32(row + 4 * x);
                    const uint32_t a = maskAlpha ? Extract(ch[3], v) : 255;
                    o[x] = a << 24 | Extract(ch[0], v) << 16 | Extract(ch[1], v) << 8 | Extract(ch[2], v);
                }
                break;
        }
    }
    out->width = static_cast<int>(w);
    out->height = static_cast<int>(h);
    out->hasAlpha = maskAlpha;
    out->notes += notes;
    return true;
}
