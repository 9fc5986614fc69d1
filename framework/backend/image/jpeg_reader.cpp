// JPEG reader through libjpeg: baseline and progressive, grey or colour, to
// opaque pixels. libjpeg's fatal errors come back through setjmp; a warning
// (such as data ending early) also refuses the file, so a truncated JPEG is
// never shown half grey.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "framework/backend/image/image_readers.h"

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}
// Warnings (level −1) are counted, as libjpeg's own handler does; trace
// messages are dropped.
void OnJpegMessage(j_common_ptr info, int level) {
    if (level < 0) info->err->num_warnings++;
}
void OnJpegOutput(j_common_ptr) {}

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return false;
    jpeg_decompress_struct info;
    JpegError err;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = OnJpegError;
    err.mgr.emit_message = OnJpegMessage;
    err.mgr.output_message = OnJpegOutput;
    std::vector<uint8_t> row;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        out->pixels.clear();
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK ||
        !ImageSizeAllowed(info.image_width, info.image_height) ||
        (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
         info.jpeg_color_space != JCS_RGB)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const int w = info.output_width, h = info.output_height;
    if (info.output_components != 3 || !ImageSizeAllowed(w, h)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    out->pixels.resize(static_cast<size_t>(w) * h);
    row.resize(static_cast<size_t>(w) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW r = row.data();
        const int y = info.output_scanline;
        if (jpeg_read_scanlines(&info, &r, 1) != 1) break;
        uint32_t* o = out->pixels.data() + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; x++) o[x] = 0xFF000000u | row[3 * x] << 16 | row[3 * x + 1] << 8 | row[3 * x + 2];
    }
    const bool complete = info.output_scanline == info.output_height;
    if (complete) jpeg_finish_decompress(&info);
    const bool warned = err.mgr.num_warnings != 0;
    jpeg_destroy_decompress(&info);
    if (!complete || warned) {
        out->pixels.clear();
        return false;
    }
    out->width = w;
    out->height = h;
    out->hasAlpha = false;
    return true;
}
