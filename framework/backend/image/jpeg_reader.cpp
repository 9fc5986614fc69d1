// JPEG reader through libjpeg: baseline, progressive and arithmetic-coded,
// grey, YCbCr, RGB, CMYK and YCCK, to opaque pixels. CMYK (libjpeg turns YCCK
// into CMYK) is stored inverted when the file carries Adobe's marker, as every
// Adobe-compatible writer does, and plain otherwise; it becomes RGB as
// (255 - C) × (255 - K) / 255 per channel.
//
// libjpeg's fatal errors come back through setjmp and refuse the file, and so
// does its warning that the file ends before its end-of-image marker: a
// truncated JPEG is never shown half grey. Every other warning is one that
// libjpeg reads past, as every program built on it does: junk bytes before a
// marker, a scan whose data stops short of its last blocks (its end left
// flat), a damaged code or restart marker (the blocks up to the next restart
// lost), an odd JFIF or Adobe header. Such files are read, and each kind of
// warning is told once in the picture's notes in libjpeg's own words.
#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "framework/backend/image/image_readers.h"

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
    bool endedEarly;
    int seen[4];        // warning codes already in the notes
    int seenCount;
    std::string* notes;   // kept outside, so that the struct stays a plain one for the cast below
};

void OnJpegError(j_common_ptr info) {
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}
// Warnings (level −1): the end of the file coming early marks the picture
// incomplete; any other goes into the notes, once per kind. Trace messages are
// dropped.
void OnJpegMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    JpegError* err = reinterpret_cast<JpegError*>(info->err);
    const int code = err->mgr.msg_code;
    if (code == JWRN_JPEG_EOF) {
        err->endedEarly = true;
        return;
    }
    for (int i = 0; i < err->seenCount; i++)
        if (err->seen[i] == code) return;
    if (err->seenCount == 4) return;
    err->seen[err->seenCount++] = code;
    char text[JMSG_LENGTH_MAX];
    err->mgr.format_message(info, text);
    *err->notes += "JPEG: ";
    *err->notes += text;
    *err->notes += '\n';
}

// Adobe's (a × b + 127) / 255, exact for bytes.
inline uint32_t MulDiv255(uint32_t a, uint32_t b) {
    const uint32_t t = a * b + 128;
    return ((t >> 8) + t) >> 8;
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
    err.endedEarly = false;
    err.seenCount = 0;
    std::string notes;
    err.notes = &notes;
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
         info.jpeg_color_space != JCS_RGB && info.jpeg_color_space != JCS_CMYK &&
         info.jpeg_color_space != JCS_YCCK)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const uint32_t invert = cmyk && info.saw_Adobe_marker ? 255 : 0;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    const int w = info.output_width, h = info.output_height;
    const int channels = cmyk ? 4 : 3;
    if (info.output_components != channels || !ImageSizeAllowed(w, h)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    out->pixels.assign(static_cast<size_t>(w) * h, 0u);
    row.resize(static_cast<size_t>(w) * channels);
    while (info.output_scanline < info.output_height) {
        JSAMPROW r = row.data();
        const int y = info.output_scanline;
        if (jpeg_read_scanlines(&info, &r, 1) != 1) break;
        uint32_t* o = out->pixels.data() + static_cast<size_t>(y) * w;
        if (!cmyk) {
            for (int x = 0; x < w; x++) o[x] = 0xFF000000u | row[3 * x] << 16 | row[3 * x + 1] << 8 | row[3 * x + 2];
            continue;
        }
        for (int x = 0; x < w; x++) {
            const uint8_t* p = row.data() + 4 * x;
            const uint32_t nk = 255 - (p[3] ^ invert);
            uint32_t c[3];
            for (int i = 0; i < 3; i++) c[i] = nk - MulDiv255(p[i] ^ invert, nk);
            o[x] = 0xFF000000u | c[0] << 16 | c[1] << 8 | c[2];
        }
    }
    const bool complete = info.output_scanline == info.output_height;
    if (complete) jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (!complete || err.endedEarly) {
        out->pixels.clear();
        return false;
    }
    out->width = w;
    out->height = h;
    out->hasAlpha = false;
    out->notes += notes;
    return true;
}
