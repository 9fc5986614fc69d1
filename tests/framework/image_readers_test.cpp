// The image readers on small files built byte by byte here, each followed by
// malformed variants (cut at several points, lying sizes, oversized headers),
// on every variant of each format in tests/data/images compared pixel by pixel
// with an independent decoder's reading, and LoadImageFile's log lines and
// "_a" masks on top of them.
#include <gtest/gtest.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

#include "framework/backend/headless/headless.h"
#include "framework/backend/image/image_readers.h"
#include "framework/backend/image/png_writer.h"
#include "framework/framework.h"
#include "tests/support/headless_test.h"
#include "tests/support/image_test_support.h"

namespace {

typedef bool (*Reader)(const uint8_t*, size_t, DecodedImage*);

bool Decode(Reader r, const std::vector<uint8_t>& bytes, DecodedImage* out) {
    // A copy of exactly the file's size, so that any read past the end is a
    // real out-of-bounds read that the sanitizer build catches.
    std::vector<uint8_t> exact(bytes);
    return r(exact.data(), exact.size(), out);
}

// Every shorter prefix of the file is refused, and never crashes.
void ExpectTruncationsRefused(Reader r, const std::vector<uint8_t>& bytes, size_t from = 0) {
    for (size_t n = from; n < bytes.size(); n++) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
        DecodedImage img;
        EXPECT_FALSE(r(cut.data(), cut.size(), &img)) << "cut at " << n;
        EXPECT_TRUE(img.pixels.empty());
    }
}

std::vector<uint8_t> ReadFile(const char* path) {
    std::vector<uint8_t> v;
    FILE* f = std::fopen(path, "rb");
    if (!f) return v;
    int c;
    while ((c = std::fgetc(f)) != EOF) v.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return v;
}

// A BMP with a 40-byte header; `rows` are given bottom row last, as seen.
std::vector<uint8_t> Bmp(int w, int h, int bpp, const std::vector<uint32_t>& palette,
                         const std::vector<std::vector<uint8_t>>& rowsTopDown, bool topDown) {
    const int stride = ((w * bpp + 31) / 32) * 4;
    const int offset = 14 + 40 + static_cast<int>(palette.size()) * 4;
    std::vector<uint8_t> v = {'B', 'M'};
    Put32(v, offset + stride * h);
    Put32(v, 0);
    Put32(v, offset);
    Put32(v, 40);
    Put32(v, w);
    Put32(v, topDown ? -h : h);
    Put16(v, 1);
    Put16(v, bpp);
    Put32(v, 0);
    Put32(v, stride * h);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, static_cast<uint32_t>(palette.size()));
    Put32(v, 0);
    for (uint32_t c : palette) Put32(v, c);
    for (int i = 0; i < h; i++) {
        const auto& row = rowsTopDown[topDown ? i : h - 1 - i];
        std::vector<uint8_t> r(row);
        r.resize(stride, 0);
        v.insert(v.end(), r.begin(), r.end());
    }
    return v;
}

class ImageLoading : public HeadlessTest {};

} // namespace

TEST(ImageReaders, BmpDepthsAndRowOrders) {
    // 24-bit, 3×2, bottom-up: rows padded to 12 bytes.
    auto b24 = Bmp(3, 2, 24, {}, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}}, false);
    DecodedImage img;
    ASSERT_TRUE(Decode(DecodeBmp, b24, &img));
    EXPECT_EQ(img.width, 3);
    EXPECT_EQ(img.height, 2);
    EXPECT_FALSE(img.hasAlpha);
    EXPECT_EQ(img.pixels[0], 0xFF030201u);
    EXPECT_EQ(img.pixels[2], 0xFF090807u);
    EXPECT_EQ(img.pixels[3], 0xFF0C0B0Au);
    ExpectTruncationsRefused(DecodeBmp, b24);
    // Top-down gives the same picture.
    auto t24 = Bmp(3, 2, 24, {}, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}}, true);
    DecodedImage top;
    ASSERT_TRUE(Decode(DecodeBmp, t24, &top));
    EXPECT_EQ(top.pixels, img.pixels);
    // 8-bit palette.
    auto b8 = Bmp(2, 2, 8, {0x00112233, 0x00445566, 0x00778899}, {{0, 2}, {1, 1}}, false);
    ASSERT_TRUE(Decode(DecodeBmp, b8, &img));
    EXPECT_EQ(img.pixels[0], 0xFF112233u);
    EXPECT_EQ(img.pixels[1], 0xFF778899u);
    EXPECT_EQ(img.pixels[3], 0xFF445566u);
    ExpectTruncationsRefused(DecodeBmp, b8);
    // A palette index beyond the colours listed reads black, never past the table.
    auto b8hi = Bmp(1, 1, 8, {0x00112233}, {{200}}, false);
    ASSERT_TRUE(Decode(DecodeBmp, b8hi, &img));
    EXPECT_EQ(img.pixels[0], 0xFF000000u);
    // 4-bit and 1-bit.
    auto b4 = Bmp(3, 1, 4, {0x000000FF, 0x0000FF00, 0x00FF0000}, {{0x12, 0x00}}, false);
    ASSERT_TRUE(Decode(DecodeBmp, b4, &img));
    EXPECT_EQ(img.pixels[0], 0xFF00FF00u);
    EXPECT_EQ(img.pixels[1], 0xFFFF0000u);
    EXPECT_EQ(img.pixels[2], 0xFF0000FFu);
    auto b1 = Bmp(9, 1, 1, {0x00000000, 0x00FFFFFF}, {{0xA0, 0x80}}, false);
    ASSERT_TRUE(Decode(DecodeBmp, b1, &img));
    EXPECT_EQ(img.pixels[0], 0xFFFFFFFFu);
    EXPECT_EQ(img.pixels[1], 0xFF000000u);
    EXPECT_EQ(img.pixels[2], 0xFFFFFFFFu);
    EXPECT_EQ(img.pixels[8], 0xFFFFFFFFu);
    // 32-bit plain: the fourth byte is not alpha.
    auto b32 = Bmp(1, 1, 32, {}, {{1, 2, 3, 0}}, false);
    ASSERT_TRUE(Decode(DecodeBmp, b32, &img));
    EXPECT_EQ(img.pixels[0], 0xFF030201u);
    // 16-bit 5-5-5.
    auto b16 = Bmp(1, 1, 16, {}, {{0x1F, 0x7C}}, false);
    ASSERT_TRUE(Decode(DecodeBmp, b16, &img));
    EXPECT_EQ(img.pixels[0], 0xFFFF00FFu);
}

TEST(ImageReaders, BmpLyingHeadersRefused) {
    auto good = Bmp(3, 2, 24, {}, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9}}, false);
    DecodedImage img;
    auto lie = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> v(good);
        v[at] = value & 255; v[at + 1] = (value >> 8) & 255; v[at + 2] = (value >> 16) & 255; v[at + 3] = value >> 24;
        return Decode(DecodeBmp, v, &img);
    };
    EXPECT_FALSE(lie(18, 5));            // wider than the data (rows of 16 bytes)
    EXPECT_FALSE(lie(22, 3));            // taller than the data
    EXPECT_FALSE(lie(18, 20000));        // beyond the size limit
    EXPECT_FALSE(lie(18, 0));
    EXPECT_FALSE(lie(22, 0x80000000u));  // −2^31 rows
    EXPECT_FALSE(lie(10, 0xFFFFFFF0u));  // pixel offset beyond the file
    EXPECT_FALSE(lie(14, 41));           // unknown header size
    EXPECT_FALSE(lie(30, 1));            // RLE compression
    std::vector<uint8_t> v(good);
    v[28] = 7;                           // 7 bits per pixel
    EXPECT_FALSE(Decode(DecodeBmp, v, &img));
    // A palette that runs into the pixels, or larger than the depth allows.
    auto b8 = Bmp(2, 1, 8, {1, 2}, {{0, 1}}, false);
    ASSERT_TRUE(Decode(DecodeBmp, b8, &img));
    b8[46] = 3;
    EXPECT_FALSE(Decode(DecodeBmp, b8, &img));
    b8[46] = 0; b8[47] = 1;   // 256 colours: runs past the pixels
    EXPECT_FALSE(Decode(DecodeBmp, b8, &img));
    b8[47] = 2;               // 512 colours
    EXPECT_FALSE(Decode(DecodeBmp, b8, &img));
}

TEST(ImageReaders, BgraFormat) {
    auto v = BgraFile(2, 1, {0x80102030u, 0xFF405060u}, true);
    DecodedImage img;
    ASSERT_TRUE(Decode(DecodeBgra, v, &img));
    EXPECT_TRUE(img.hasAlpha);
    EXPECT_EQ(img.pixels[0], 0x80102030u);
    ExpectTruncationsRefused(DecodeBgra, v);
    v[5] = 0;   // alpha not used: opaque
    ASSERT_TRUE(Decode(DecodeBgra, v, &img));
    EXPECT_EQ(img.pixels[0], 0xFF102030u);
    // 16 bits per channel: the high byte of each.
    std::vector<uint8_t> d16 = {'B', 'G', 'R', 'A', 16, 1, 0, 0};
    Put32(d16, 1);
    Put32(d16, 1);
    for (uint32_t c : {0x12FFu, 0x34FFu, 0x56FFu, 0x7800u}) Put16(d16, c);
    ASSERT_TRUE(Decode(DecodeBgra, d16, &img));
    EXPECT_EQ(img.pixels[0], 0x78563412u);
    ExpectTruncationsRefused(DecodeBgra, d16);
    std::vector<uint8_t> bad(v);
    bad[4] = 12;
    EXPECT_FALSE(Decode(DecodeBgra, bad, &img));
    bad = v;
    bad[8] = 3;   // width 3: the data holds two pixels
    EXPECT_FALSE(Decode(DecodeBgra, bad, &img));
    bad = v;
    bad[10] = 1;  // 65538 wide: beyond the limit
    EXPECT_FALSE(Decode(DecodeBgra, bad, &img));
}

TEST(ImageReaders, TgaUncompressedAndRle) {
    auto footer = [](std::vector<uint8_t>& v) {
        Put32(v, 0);
        Put32(v, 0);
        const char sig[] = "TRUEVISION-XFILE.";
        v.insert(v.end(), sig, sig + 18);
    };
    auto header = [](int type, int w, int h, int bpp, int desc) {
        std::vector<uint8_t> v = {0, 0, static_cast<uint8_t>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0};
        Put16(v, w);
        Put16(v, h);
        v.push_back(static_cast<uint8_t>(bpp));
        v.push_back(static_cast<uint8_t>(desc));
        return v;
    };
    // 24-bit, 2×2, bottom-up.
    auto v = header(2, 2, 2, 24, 0);
    for (uint8_t b : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}) v.push_back(b);
    footer(v);
    DecodedImage img;
    ASSERT_TRUE(Decode(DecodeTga, v, &img));
    EXPECT_EQ(img.pixels[0], 0xFF090807u);   // the last row stored is the top
    EXPECT_EQ(img.pixels[2], 0xFF030201u);
    EXPECT_FALSE(img.hasAlpha);
    ExpectTruncationsRefused(DecodeTga, v);
    // 32-bit RLE, top-down: a run of 3 then 1 literal.
    auto r = header(10, 4, 1, 32, 0x28);
    for (uint8_t b : {0x82, 1, 2, 3, 0x80, 0x00, 9, 8, 7, 0x40}) r.push_back(b);
    footer(r);
    ASSERT_TRUE(Decode(DecodeTga, r, &img));
    EXPECT_TRUE(img.hasAlpha);
    EXPECT_EQ(img.pixels[0], 0x80030201u);
    EXPECT_EQ(img.pixels[2], 0x80030201u);
    EXPECT_EQ(img.pixels[3], 0x40070809u);
    // A last run longer than the picture: its surplus is dropped, and noted.
    auto over = header(10, 2, 1, 32, 0x20);
    for (uint8_t b : {0x85, 1, 2, 3, 4}) over.push_back(b);
    footer(over);
    DecodedImage overImg;
    ASSERT_TRUE(Decode(DecodeTga, over, &overImg));
    EXPECT_EQ(overImg.pixels[1], 0x04030201u);
    EXPECT_NE(overImg.notes.find("4 pixels past the picture"), std::string::npos) << overImg.notes;
    EXPECT_TRUE(img.notes.empty());
    // Runs cut short by the footer.
    std::vector<uint8_t> body(r.begin(), r.end() - 26);
    for (size_t n = 18; n < body.size(); n++) {
        std::vector<uint8_t> cut(body.begin(), body.begin() + n);
        footer(cut);
        EXPECT_FALSE(Decode(DecodeTga, cut, &img)) << n;
    }
    // No footer: not a TGA.
    std::vector<uint8_t> plain(v.begin(), v.end() - 26);
    EXPECT_FALSE(Decode(DecodeTga, plain, &img));
    v[16] = 8;   // 8 bits in a true-colour picture
    EXPECT_FALSE(Decode(DecodeTga, v, &img));
}

TEST(ImageReaders, DdsUncompressedAndBlocks) {
    auto header = [](int w, int h, uint32_t pfFlags, const char* fourcc, int bits, uint32_t rm, uint32_t gm,
                     uint32_t bm, uint32_t am) {
        std::vector<uint8_t> v = {'D', 'D', 'S', ' '};
        Put32(v, 124);
        Put32(v, 0x1007);
        Put32(v, h);
        Put32(v, w);
        Put32(v, 0);
        Put32(v, 0);
        Put32(v, 1);
        for (int i = 0; i < 11; i++) Put32(v, 0);
        Put32(v, 32);
        Put32(v, pfFlags);
        for (int i = 0; i < 4; i++) v.push_back(fourcc ? fourcc[i] : 0);
        Put32(v, bits);
        Put32(v, rm);
        Put32(v, gm);
        Put32(v, bm);
        Put32(v, am);
        while (v.size() < 128) v.push_back(0);
        return v;
    };
    // 32-bit ARGB.
    auto v = header(2, 1, 0x41, nullptr, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u);
    Put32(v, 0x80112233u);
    Put32(v, 0xFF445566u);
    DecodedImage img;
    ASSERT_TRUE(Decode(DecodeDds, v, &img));
    EXPECT_TRUE(img.hasAlpha);
    EXPECT_EQ(img.pixels[0], 0x80112233u);
    EXPECT_EQ(img.pixels[1], 0xFF445566u);
    ExpectTruncationsRefused(DecodeDds, v);
    // 24-bit with blue in the high byte.
    auto v24 = header(1, 1, 0x40, nullptr, 24, 0xFF, 0xFF00, 0xFF0000, 0);
    for (uint8_t b : {0x11, 0x22, 0x33}) v24.push_back(b);
    ASSERT_TRUE(Decode(DecodeDds, v24, &img));
    EXPECT_EQ(img.pixels[0], 0xFF112233u);
    // DXT1, 4×4: colour 0 white, colour 1 black, c0 > c1: four colours.
    auto d1 = header(4, 4, 0x4, "DXT1", 0, 0, 0, 0, 0);
    Put16(d1, 0xFFFF);
    Put16(d1, 0x0000);
    Put32(d1, 0xE4E4E4E4u);   // indices 0, 1, 2, 3 in each row
    ASSERT_TRUE(Decode(DecodeDds, d1, &img));
    EXPECT_EQ(img.pixels[0], 0xFFFFFFFFu);
    EXPECT_EQ(img.pixels[1], 0xFF000000u);
    EXPECT_EQ(img.pixels[2], 0xFFAAAAAAu);
    EXPECT_EQ(img.pixels[3], 0xFF555555u);
    ExpectTruncationsRefused(DecodeDds, d1);
    // c0 ≤ c1: index 3 is transparent black.
    d1[128] = 0; d1[129] = 0; d1[130] = 0xFF; d1[131] = 0xFF;
    ASSERT_TRUE(Decode(DecodeDds, d1, &img));
    EXPECT_EQ(img.pixels[3], 0u);
    EXPECT_EQ(img.pixels[2], 0xFF7F7F7Fu);
    // DXT5 on a 5×3 picture: two blocks across, edge pixels cut off.
    auto d5 = header(5, 3, 0x4, "DXT5", 0, 0, 0, 0, 0);
    for (int b = 0; b < 2; b++) {
        d5.push_back(255); d5.push_back(0);                 // alpha 255 → 0, eight steps
        for (int i = 0; i < 6; i++) d5.push_back(i == 0 ? 0x08 : 0);   // pixel 1 takes index 1
        Put16(d5, 0xF800); Put16(d5, 0x001F); Put32(d5, 0);  // all colour 0: red
    }
    ASSERT_TRUE(Decode(DecodeDds, d5, &img));
    EXPECT_EQ(img.pixels[0], 0xFFFF0000u);
    EXPECT_EQ(img.pixels[1], 0x00FF0000u);
    EXPECT_EQ(img.pixels[5 + 1], 0xFFFF0000u);
    ExpectTruncationsRefused(DecodeDds, d5);
    // DXT3: explicit 4-bit alpha.
    auto d3 = header(4, 4, 0x4, "DXT3", 0, 0, 0, 0, 0);
    for (int i = 0; i < 8; i++) d3.push_back(i == 0 ? 0x5F : 0xFF);
    Put16(d3, 0x07E0); Put16(d3, 0); Put32(d3, 0);
    ASSERT_TRUE(Decode(DecodeDds, d3, &img));
    EXPECT_EQ(img.pixels[0], 0xFF00FF00u);
    EXPECT_EQ(img.pixels[1], 0x5500FF00u);
    // Lies: header sizes, unknown block format, too large.
    auto bad = d1;
    bad[4] = 100;
    EXPECT_FALSE(Decode(DecodeDds, bad, &img));
    bad = d1;
    bad[84 + 3] = '2';
    EXPECT_FALSE(Decode(DecodeDds, bad, &img));
    bad = d1;
    bad[16] = 0; bad[17] = 0; bad[18] = 1;   // 65536 wide
    EXPECT_FALSE(Decode(DecodeDds, bad, &img));
    bad = d1;
    bad[16] = 8;   // 8 wide: two blocks needed, one present
    EXPECT_FALSE(Decode(DecodeDds, bad, &img));
    // A BC7 block of the reserved mode (no mode bit set) is transparent black.
    auto bc7 = header(4, 4, 0x4, "DX10", 0, 0, 0, 0, 0);
    for (uint32_t v : {98u, 3u, 0u, 1u, 0u}) Put32(bc7, v);
    bc7.resize(bc7.size() + 16, 0);
    ASSERT_TRUE(Decode(DecodeDds, bc7, &img));
    EXPECT_EQ(img.pixels[5], 0u);
    ExpectTruncationsRefused(DecodeDds, bc7);
}

TEST(ImageReaders, PngThroughTheWriterAndCorruptions) {
    std::vector<uint32_t> px = {0xFF102030u, 0x80405060u, 0x00000000u, 0xFFFFFFFFu, 0x7F010203u, 0xFF00FF00u};
    ASSERT_TRUE(WritePngAlpha("a.png", px.data(), 3, 2, 3));
    auto bytes = ReadFile("a.png");
    DecodedImage img;
    ASSERT_TRUE(Decode(DecodePng, bytes, &img));
    EXPECT_TRUE(img.hasAlpha);
    EXPECT_EQ(std::vector<uint32_t>(img.pixels.begin(), img.pixels.end()), px);
    ExpectTruncationsRefused(DecodePng, bytes);
    // A flipped byte inside the image data fails its checksum.
    auto bad = bytes;
    bad[bytes.size() - 20] ^= 0x55;
    EXPECT_FALSE(Decode(DecodePng, bad, &img));
    // RGB: opaque, no alpha.
    ASSERT_TRUE(WritePng("b.png", px.data(), 2, 3, 2));
    ASSERT_TRUE(Decode(DecodePng, ReadFile("b.png"), &img));
    EXPECT_FALSE(img.hasAlpha);
    EXPECT_EQ(img.pixels[1], 0xFF405060u);
    EXPECT_EQ(img.pixels[2], 0xFF000000u);
    // A header claiming 100000 × 1 is refused before any pixel is read.
    bytes = ReadFile("a.png");
    bytes[16] = 0; bytes[17] = 1; bytes[18] = 0x86; bytes[19] = 0xA0;
    EXPECT_FALSE(Decode(DecodePng, bytes, &img));
}

namespace {

// A grey or palette PNG written directly through libpng.
std::vector<uint8_t> OtherPng(int colorType, int depth, int width, const std::vector<uint8_t>& row, bool trns) {
    FILE* f = std::fopen("o.png", "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, width, 1, depth, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color pal[2] = {{10, 20, 30}, {200, 210, 220}};
    png_byte alpha[1] = {0};
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, pal, 2);
    if (trns) png_set_tRNS(png, info, alpha, 1, nullptr);
    png_write_info(png, info);
    png_write_row(png, const_cast<uint8_t*>(row.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return ReadFile("o.png");
}

} // namespace

TEST(ImageReaders, PngColourTypes) {
    DecodedImage img;
    ASSERT_TRUE(Decode(DecodePng, OtherPng(PNG_COLOR_TYPE_GRAY, 8, 3, {0, 128, 255}, false), &img));
    EXPECT_EQ(img.pixels[1], 0xFF808080u);
    EXPECT_FALSE(img.hasAlpha);
    ASSERT_TRUE(Decode(DecodePng, OtherPng(PNG_COLOR_TYPE_GRAY, 1, 8, {0x80}, false), &img));
    EXPECT_EQ(img.width, 8);
    EXPECT_EQ(img.pixels[0], 0xFFFFFFFFu);
    EXPECT_EQ(img.pixels[1], 0xFF000000u);
    ASSERT_TRUE(Decode(DecodePng, OtherPng(PNG_COLOR_TYPE_PALETTE, 8, 2, {1, 0}, true), &img));
    EXPECT_TRUE(img.hasAlpha);
    EXPECT_EQ(img.pixels[0], 0xFFC8D2DCu);
    EXPECT_EQ(img.pixels[1], 0x000A141Eu);
    ASSERT_TRUE(Decode(DecodePng, OtherPng(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 1, {50, 100}, false), &img));
    EXPECT_EQ(img.pixels[0], 0x64323232u);
}

namespace {

struct JpegErr {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

std::vector<uint8_t> Jpeg(int w, int h, uint8_t r, uint8_t g, uint8_t b, bool grey) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row;
    for (int x = 0; x < w; x++) {
        row.push_back(r);
        if (!grey) { row.push_back(g); row.push_back(b); }
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> v(out, out + size);
    jpeg_destroy_compress(&c);
    free(out);
    return v;
}

} // namespace

TEST(ImageReaders, JpegColourGreyAndTruncation) {
    auto v = Jpeg(16, 8, 200, 40, 90, false);
    DecodedImage img;
    ASSERT_TRUE(Decode(DecodeJpeg, v, &img));
    EXPECT_EQ(img.width, 16);
    EXPECT_EQ(img.height, 8);
    EXPECT_FALSE(img.hasAlpha);
    uint32_t p = img.pixels[5 * 16 + 7];
    EXPECT_NEAR(static_cast<int>((p >> 16) & 255), 200, 3);
    EXPECT_NEAR(static_cast<int>((p >> 8) & 255), 40, 3);
    EXPECT_NEAR(static_cast<int>(p & 255), 90, 3);
    EXPECT_EQ(p >> 24, 255u);
    ASSERT_TRUE(Decode(DecodeJpeg, Jpeg(8, 8, 77, 0, 0, true), &img));
    EXPECT_NEAR(static_cast<int>(img.pixels[9] & 255), 77, 1);
    for (size_t n : {size_t(0), size_t(3), size_t(20), v.size() / 2, v.size() - 10, v.size() - 2}) {
        std::vector<uint8_t> cut(v.begin(), v.begin() + n);
        EXPECT_FALSE(Decode(DecodeJpeg, cut, &img)) << n;
    }
    auto bad = v;
    for (size_t i = v.size() / 2; i < v.size() / 2 + 40; i++) bad[i] = 0xFF;
    DecodedImage any;
    Decode(DecodeJpeg, bad, &any);   // corrupt data: refused or decoded, never a crash
}

TEST(ImageReaders, OfferedInOrderFromTheStart) {
    DecodedImage img;
    // A BGRA file is not mistaken for anything before it.
    auto v = BgraFile(1, 1, {0xFF010203u}, false);
    ASSERT_TRUE(DecodeImage(v.data(), v.size(), &img));
    EXPECT_EQ(img.pixels[0], 0xFF010203u);
    std::vector<uint8_t> junk(100, 0x42);
    EXPECT_FALSE(DecodeImage(junk.data(), junk.size(), &img));
    EXPECT_FALSE(DecodeImage(junk.data(), 0, &img));
}

TEST_F(ImageLoading, LogLinesAndAlphaMasks) {
    EXPECT_EQ(LoadImageFile("nothing_here.png", 0), -1);
    EXPECT_NE(LogText().find("グラフィックファイル nothing_here.png がありません"), std::string::npos);
    WriteBytes("junk.png", std::vector<uint8_t>(50, 7));
    EXPECT_EQ(LoadImageFile("junk.png", 0), -1);
    EXPECT_NE(LogText().find("右記のグラフィックファイルのロードに失敗しました：junk.png \r\n"), std::string::npos);
    // A picture read with a repair loads, and the log says what was repaired.
    WriteBytes("wide.bmp", Bmp(1, 1, 1, {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC}, {{0x80}}, false));
    const int wide = LoadImageFile("wide.bmp", 0);
    ASSERT_NE(wide, -1);
    EXPECT_EQ(ImagePixel(wide, 0, 0), 0xFF445566u);
    EXPECT_NE(LogText().find("右記のグラフィックファイルを補って読み込みました：wide.bmp (BMP: palette of 4 colours for 1 "
                             "bits per pixel: the first 2 used)\r\n"),
              std::string::npos);

    // A mask beside the picture: its blue channel becomes the alpha.
    WriteBytes("pic.bgra", BgraFile(2, 1, {0xFF204060u, 0xFF204060u}, false));
    WriteBytes("pic_a.bgra", BgraFile(2, 1, {0xFF0000FFu, 0xFFFFFF40u}, false));
    int h = LoadImageFile("pic.bgra", 0);
    ASSERT_NE(h, -1);
    EXPECT_EQ(ImagePixel(h, 0, 0), 0xFF204060u);
    EXPECT_EQ(ImagePixel(h, 1, 0) >> 24, 0x40u);
    DrawImageAt(0, 0, h, 1);
    EXPECT_EQ(BackPixel(0, 0), 0x204060u);
    EXPECT_EQ(BackPixel(1, 0), static_cast<uint32_t>(std::lround(0x20 * 64 / 255.0) << 16 | std::lround(0x40 * 64 / 255.0) << 8 | std::lround(0x60 * 64 / 255.0)) & 0xFFFFFFu);
    // No dot in the path: "_a" is appended.
    WriteBytes("plain", BgraFile(1, 1, {0xFF204060u}, false));
    WriteBytes("plain_a", BgraFile(1, 1, {0xFF000000u}, false));
    int p = LoadImageFile("plain", 0);
    ASSERT_NE(p, -1);
    EXPECT_EQ(ImagePixel(p, 0, 0), 0u);
    // A mask of another size fails the load.
    WriteBytes("odd.bgra", BgraFile(2, 1, {0xFF204060u, 0xFF204060u}, false));
    WriteBytes("odd_a.bgra", BgraFile(1, 1, {0xFFFFFFFFu}, false));
    EXPECT_EQ(LoadImageFile("odd.bgra", 0), -1);
    EXPECT_NE(LogText().find("ロードに失敗しました：odd.bgra"), std::string::npos);
    // The dot of a directory counts when the name has none.
    ASSERT_EQ(system("mkdir -p dir.d"), 0);
    WriteBytes("dir.d/name", BgraFile(1, 1, {0xFF204060u}, false));
    WriteBytes("dir_a.d/name", std::vector<uint8_t>());
    ASSERT_EQ(system("mkdir -p dir_a.d"), 0);
    WriteBytes("dir_a.d/name", BgraFile(1, 1, {0xFF000080u}, false));
    int d = LoadImageFile("dir.d/name", 0);
    ASSERT_NE(d, -1);
    EXPECT_EQ(ImagePixel(d, 0, 0) >> 24, 0x80u);
}

namespace {

// One picture of tests/data/images, written by scripts/make-image-test-data.py
// with the pixels an independent decoder read from it ("-": refused on purpose).
struct ReferenceCase {
    std::string file, reference, source;
    int tolerance = 0;
};

std::vector<ReferenceCase> ReferenceCases(const std::string& prefix) {
    std::vector<ReferenceCase> cases;
    FILE* f = std::fopen(VORTALIS_SOURCE_DIR "/tests/data/images/cases.txt", "r");
    if (!f) return cases;
    char line[512];
    while (std::fgets(line, sizeof line, f)) {
        char file[128], ref[128], source[256] = "";
        int tolerance = 0;
        if (line[0] == '#' || std::sscanf(line, "%127s %127s %d %255[^\n]", file, ref, &tolerance, source) < 3) continue;
        if (std::string(file).compare(0, prefix.size(), prefix) == 0) cases.push_back({file, ref, source, tolerance});
    }
    std::fclose(f);
    return cases;
}

// Every picture of one format: read exactly as the reference (within the
// tolerance per channel), with a note exactly when the case says "noted" (the
// reader repaired something), or refused by its reader and by the loader
// chain; a copy cut in half is refused too.
void ExpectMatchesReferences(const std::string& prefix, Reader reader) {
    const std::string dir = VORTALIS_SOURCE_DIR "/tests/data/images/";
    const auto cases = ReferenceCases(prefix);
    ASSERT_FALSE(cases.empty()) << "no " << prefix << " pictures in " << dir << "cases.txt";
    for (const ReferenceCase& c : cases) {
        SCOPED_TRACE(c.file + " (" + c.source + ")");
        const auto bytes = ReadFile((dir + c.file).c_str());
        ASSERT_FALSE(bytes.empty());
        DecodedImage img;
        if (c.reference == "-") {
            EXPECT_FALSE(Decode(reader, bytes, &img));
            EXPECT_TRUE(img.pixels.empty());
            EXPECT_FALSE(DecodeImage(bytes.data(), bytes.size(), &img));
            continue;
        }
        ASSERT_TRUE(Decode(reader, bytes, &img));
        std::vector<uint32_t> ref;
        int w = 0, h = 0;
        ASSERT_TRUE(ReadPngFile(dir + c.reference, &ref, &w, &h));
        ASSERT_EQ(img.width, w);
        ASSERT_EQ(img.height, h);
        int wrong = 0;
        for (size_t i = 0; i < ref.size(); i++) {
            for (int s = 0; s < 32; s += 8) {
                const int got = (img.pixels[i] >> s) & 255, want = (ref[i] >> s) & 255;
                if (std::abs(got - want) > c.tolerance && wrong++ < 3) {
                    ADD_FAILURE() << "pixel (" << i % w << ", " << i / w << ") is " << std::hex << img.pixels[i]
                                  << ", reference " << ref[i];
                }
            }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(!img.notes.empty(), c.source.find("noted") != std::string::npos) << img.notes;
        std::vector<uint8_t> half(bytes.begin(), bytes.begin() + bytes.size() / 2);
        DecodedImage cut;
        EXPECT_FALSE(Decode(reader, half, &cut));
    }
}

} // namespace

TEST(ImageReaders, BmpVariantsMatchTheirReferences) { ExpectMatchesReferences("bmp_", DecodeBmp); }
TEST(ImageReaders, TgaVariantsMatchTheirReferences) { ExpectMatchesReferences("tga_", DecodeTga); }
TEST(ImageReaders, DdsVariantsMatchTheirReferences) { ExpectMatchesReferences("dds_", DecodeDds); }
TEST(ImageReaders, JpegVariantsMatchTheirReferences) { ExpectMatchesReferences("jpeg_", DecodeJpeg); }
TEST(ImageReaders, PngVariantsMatchTheirReferences) { ExpectMatchesReferences("png_", DecodePng); }
