// Deterministic PNG writer over libpng: fixed compression level, fixed filter,
// no time or text chunks. Called by art_build.
#include "png_write.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

struct PngFile {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngFile() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
        if (file) fclose(file);
    }
};

}  // namespace

bool WritePngRgba(const std::string& path, const uint8_t* rgba, int width, int height, std::string& error) {
    bool opaque = true;
    for (size_t i = 3; i < size_t(width) * height * 4; i += 4)
        if (rgba[i] != 255) {
            opaque = false;
            break;
        }
    const int channels = opaque ? 3 : 4;
    std::vector<uint8_t> packed(size_t(width) * height * channels);
    for (size_t p = 0; p < size_t(width) * height; ++p)
        for (int c = 0; c < channels; ++c) packed[p * channels + c] = rgba[p * 4 + c];

    PngFile out;
    out.file = fopen(path.c_str(), "wb");
    if (!out.file) {
        error = "cannot open for writing";
        return false;
    }
    out.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!out.png) {
        error = "libpng write struct";
        return false;
    }
    out.info = png_create_info_struct(out.png);
    if (!out.info) {
        error = "libpng info struct";
        return false;
    }
    if (setjmp(png_jmpbuf(out.png))) {
        error = "libpng error while writing";
        return false;
    }
    png_init_io(out.png, out.file);
    png_set_compression_level(out.png, 9);
    png_set_compression_strategy(out.png, 0);
    png_set_filter(out.png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_IHDR(out.png, out.info, width, height, 8, opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(out.png, out.info);
    for (int y = 0; y < height; ++y) png_write_row(out.png, packed.data() + size_t(y) * width * channels);
    png_write_end(out.png, nullptr);
    return true;
}
