// Deterministic PNG writer over libpng: fixed compression level, fixed filter,
// no time or text chunks. The PNG is made in memory and written with the
// framework's atomic writer, so an interrupted build never leaves half a
// picture that looks up to date. Called by art_build.
#include "png_write.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "framework/framework.h"

namespace {

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// Kept apart from the caller so that nothing it owns lives across libpng's
// longjmp on error.
bool WriteImage(png_structp png, png_infop info, std::vector<uint8_t>* bytes, const uint8_t* packed, int width,
                int height, bool opaque) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, bytes, AppendBytes, NoFlush);
    png_set_compression_level(png, 9);
    png_set_compression_strategy(png, 0);
    // Unfiltered rows: the flat-coloured art compresses as well without the
    // filters, and the game's reader then skips libpng's byte-at-a-time
    // unfiltering, which was most of the start-up's decoding.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, width, height, 8, opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    const size_t row_bytes = size_t(width) * (opaque ? 3 : 4);
    for (int y = 0; y < height; ++y) png_write_row(png, packed + size_t(y) * row_bytes);
    png_write_end(png, nullptr);
    return true;
}

bool AllOpaque(const uint8_t* rgba, size_t pixels) {
    for (size_t p = 0; p < pixels; ++p)
        if (rgba[p * 4 + 3] != 255) return false;
    return true;
}

}  // namespace

bool WritePngRgba(const std::string& path, const uint8_t* rgba, int width, int height, std::string& error) {
    const bool opaque = AllOpaque(rgba, size_t(width) * height);
    const int channels = opaque ? 3 : 4;
    std::vector<uint8_t> packed(size_t(width) * height * channels);
    for (size_t p = 0; p < size_t(width) * height; ++p)
        for (int c = 0; c < channels; ++c) packed[p * channels + c] = rgba[p * 4 + c];

    PngWriter out;
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
    std::vector<uint8_t> bytes;
    if (!WriteImage(out.png, out.info, &bytes, packed.data(), width, height, opaque)) {
        error = "libpng error while writing";
        return false;
    }
    if (FileWriteAtomic(path.c_str(), bytes.data(), static_cast<int>(bytes.size())) != 0) {
        error = FileErrorText();
        return false;
    }
    return true;
}
