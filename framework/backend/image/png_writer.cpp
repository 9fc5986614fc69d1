// The PNG writer behind WritePng: one RGB(A) 8-bit image per file, rows
// converted from 0xAARRGGBB one at a time. Used by tests, tools and benches.
#include "framework/backend/image/png_writer.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <png.h>

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

bool Write(const char* path, const uint32_t* pixels, int width, int height, int pitch, bool alpha) {
    std::vector<uint8_t> bytes;
    if (!path || !EncodePng(&bytes, pixels, width, height, pitch, alpha)) return false;
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

} // namespace

bool EncodePng(std::vector<uint8_t>* out, const uint32_t* pixels, int width, int height, int pitch, bool alpha) {
    out->clear();
    if (!pixels || width <= 0 || height <= 0 || pitch < width) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    const int channels = alpha ? 4 : 3;
    std::vector<uint8_t> row(static_cast<size_t>(width) * channels);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        out->clear();
        return false;
    }
    png_set_write_fn(png, out, AppendBytes, NoFlush);
    png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; y++) {
        const uint32_t* p = pixels + static_cast<size_t>(y) * pitch;
        uint8_t* o = row.data();
        for (int x = 0; x < width; x++) {
            *o++ = (p[x] >> 16) & 255;
            *o++ = (p[x] >> 8) & 255;
            *o++ = p[x] & 255;
            if (alpha) *o++ = p[x] >> 24;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool WritePng(const char* path, const uint32_t* pixels, int width, int height, int pitch) {
    return Write(path, pixels, width, height, pitch, false);
}

bool WritePngAlpha(const char* path, const uint32_t* pixels, int width, int height, int pitch) {
    return Write(path, pixels, width, height, pitch, true);
}
