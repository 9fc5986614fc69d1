// PNG reader through libpng: every colour type and depth (palette, grey, grey
// with alpha, RGB, RGBA, 1 to 16 bits, interlaced) to 8-bit ARGB; a picture
// has alpha when its colour type carries alpha or it has a tRNS chunk. Reads
// come from memory with a bounds check; libpng's errors return through setjmp.
#include <csetjmp>
#include <cstring>

#include <png.h>

#include "framework/backend/image/image_readers.h"

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size, at;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
    MemoryReader* m = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (n > m->size - m->at) png_error(png, "read past the end");
    std::memcpy(out, m->data + m->at, n);
    m->at += n;
}

void OnPngWarning(png_structp, png_const_charp) {}

} // namespace

bool DecodePng(const uint8_t* data, size_t size, DecodedImage* out) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, OnPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    MemoryReader reader{data, size, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        out->pixels.clear();
        return false;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_set_user_limits(png, IMAGE_MAX_SIDE, IMAGE_MAX_SIDE);
#ifdef PNG_IGNORE_ADLER32
    // Every chunk's CRC-32 is still checked, and a damaged IDAT fails on it;
    // the zlib stream's own Adler-32 over the decoded bytes adds nothing to
    // that and costs a tenth of the decoding.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    int colorType = png_get_color_type(png, info);
    int depth = png_get_bit_depth(png, info);
    if (!ImageSizeAllowed(w, h)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    const bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);   // B, G, R, A in memory: 0xAARRGGBB on a little-endian machine
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4) png_error(png, "unexpected row size");
    out->pixels.resize(static_cast<size_t>(w) * h);   // every row is written below, or the read fails
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; y++) rows[y] = reinterpret_cast<png_bytep>(out->pixels.data() + static_cast<size_t>(y) * w);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    out->width = static_cast<int>(w);
    out->height = static_cast<int>(h);
    out->hasAlpha = hasAlpha;
    return true;
}
