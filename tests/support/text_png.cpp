// PNG writing and reading with libpng for the text tests' frames.
#include "tests/support/text_png.h"

#include <cstdio>
#include <png.h>

bool TextPngWrite(const char* path, const uint32_t* pixels, int width, int height, int pitch) {
    FILE* fp = std::fopen(path, "wb");
    if (!fp) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(fp);
        return false;
    }
    png_init_io(png, fp);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; y++) {
        const uint32_t* src = pixels + static_cast<size_t>(y) * pitch;
        for (int x = 0; x < width; x++) {
            row[x * 3 + 0] = static_cast<png_byte>(src[x] >> 16);
            row[x * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
            row[x * 3 + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(fp) == 0;
}

bool TextPngRead(const char* path, std::vector<uint32_t>* pixels, int* width, int* height) {
    FILE* fp = std::fopen(path, "rb");
    if (!fp) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(fp);
        return false;
    }
    png_init_io(png, fp);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_palette_to_rgb(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const int w = static_cast<int>(png_get_image_width(png, info));
    const int h = static_cast<int>(png_get_image_height(png, info));
    std::vector<png_byte> row(png_get_rowbytes(png, info));
    pixels->assign(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; y++) {
        png_read_row(png, row.data(), nullptr);
        for (int x = 0; x < w; x++)
            (*pixels)[static_cast<size_t>(y) * w + x] = 0xFF000000u | static_cast<uint32_t>(row[x * 4]) << 16 |
                                                       static_cast<uint32_t>(row[x * 4 + 1]) << 8 | row[x * 4 + 2];
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(fp);
    *width = w;
    *height = h;
    return true;
}
