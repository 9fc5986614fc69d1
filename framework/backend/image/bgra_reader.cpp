// The framework's own raw "BGRA" picture format. Layout (little-endian):
//   0  4 bytes  "BGRA"
//   4  1 byte   channel depth: 8 or 16 bits per channel
//   5  1 byte   flags: bit 0 set = the alpha channel is used; other bits 0
//   6  2 bytes  0
//   8  4 bytes  width in pixels (1..16384)
//  12  4 bytes  height in pixels (1..16384)
//  16  pixels, rows top-down, each pixel B, G, R, A; with depth 16 each channel
//      is a 16-bit little-endian value of which the high byte is kept.
// The file must hold at least width × height pixels; bytes after them are ignored.
#include "framework/backend/image/image_readers.h"

bool DecodeBgra(const uint8_t* d, size_t size, DecodedImage* out) {
    if (size < 16 || d[0] != 'B' || d[1] != 'G' || d[2] != 'R' || d[3] != 'A') return false;
    const int depth = d[4];
    if ((depth != 8 && depth != 16) || (d[5] & ~1u) != 0 || d[6] != 0 || d[7] != 0) return false;
    const uint32_t w = ReadLe32(d + 8), h = ReadLe32(d + 12);
    if (!ImageSizeAllowed(w, h)) return false;
    const uint64_t bytesPerPixel = depth == 8 ? 4 : 8;
    if (static_cast<uint64_t>(w) * h * bytesPerPixel > size - 16) return false;
    const bool alpha = d[5] & 1;
    out->pixels.assign(static_cast<size_t>(w) * h, 0u);
    const uint8_t* p = d + 16;
    for (size_t i = 0; i < out->pixels.size(); i++, p += bytesPerPixel) {
        uint32_t b, g, r, a;
        if (depth == 8) { b = p[0]; g = p[1]; r = p[2]; a = p[3]; }
        else { b = p[1]; g = p[3]; r = p[5]; a = p[7]; }
        out->pixels[i] = (alpha ? a : 255u) << 24 | r << 16 | g << 8 | b;
    }
    out->width = static_cast<int>(w);
    out->height = static_cast<int>(h);
    out->hasAlpha = alpha;
    return true;
}
