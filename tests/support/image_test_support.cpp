// Helpers for the drawing and image tests; see image_test_support.h.
#include "tests/support/image_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "framework/backend/image/image_readers.h"
#include "framework/backend/image/png_writer.h"
#include "framework/backend/raster/raster.h"
#include "framework/core/log.h"
#include "framework/framework.h"
#include "framework/graphics/draw_target.h"
#include "framework/graphics/image_table.h"

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(x & 255);
    v.push_back((x >> 8) & 255);
}

void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

uint32_t BackPixel(int x, int y) {
    const Surface* s = GraphicsBackBuffer();
    return s->pixels[static_cast<size_t>(y) * s->pitch + x] & 0xFFFFFFu;
}

uint32_t ImagePixel(int handle, int x, int y) {
    const ImageRecord* r = ImageLookup(handle);
    if (!r) return 0xDEADBEEFu;
    GraphicsFinishDrawing();
    Surface s = ImageSurface(r);
    return RasterUnpremultiply(s.pixels[static_cast<size_t>(y) * s.pitch + x]);
}

bool SaveBackBufferPng(const std::string& path) {
    const Surface* s = GraphicsBackBuffer();
    return WritePng(path.c_str(), s->pixels, s->width, s->height, s->pitch);
}

bool SaveImagePng(int handle, const std::string& path) {
    const ImageRecord* r = ImageLookup(handle);
    if (!r) return false;
    std::vector<uint32_t> px(static_cast<size_t>(r->width) * r->height);
    for (int y = 0; y < r->height; y++)
        for (int x = 0; x < r->width; x++) px[static_cast<size_t>(y) * r->width + x] = ImagePixel(handle, x, y);
    return WritePngAlpha(path.c_str(), px.data(), r->width, r->height, r->width);
}

bool ReadPngFile(const std::string& path, std::vector<uint32_t>* pixels, int* width, int* height) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    std::stringstream ss;
    ss << f.rdbuf();
    std::string bytes = ss.str();
    DecodedImage img;
    if (!DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &img)) return false;
    pixels->assign(img.pixels.begin(), img.pixels.end());
    *width = img.width;
    *height = img.height;
    return true;
}

std::vector<uint8_t> BgraFile(int width, int height, const std::vector<uint32_t>& pixels, bool alpha) {
    std::vector<uint8_t> v = {'B', 'G', 'R', 'A', 8, static_cast<uint8_t>(alpha ? 1 : 0), 0, 0};
    Put32(v, width);
    Put32(v, height);
    for (uint32_t p : pixels) Put32(v, p);
    return v;
}

int MakeTestImage(int width, int height, const std::vector<uint32_t>& pixels, bool alpha) {
    static int serial = 0;
    std::string path = "test_image_" + std::to_string(serial++) + ".bgra";
    if (!WriteBytes(path, BgraFile(width, height, pixels, alpha))) return -1;
    return LoadImageFile(path.c_str(), 0);
}

std::string LogText(void) {
    std::ifstream f(LogFilePath(), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

::testing::AssertionResult MatchesGolden(const std::string& name) {
    const std::string golden = std::string(VORTALIS_SOURCE_DIR) + "/tests/golden/" + name + ".png";
    const char* update = std::getenv("VORTALIS_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        if (!SaveBackBufferPng(golden)) return ::testing::AssertionFailure() << "cannot write " << golden;
        return ::testing::AssertionSuccess();
    }
    std::vector<uint32_t> ref;
    int w = 0, h = 0;
    if (!ReadPngFile(golden, &ref, &w, &h)) return ::testing::AssertionFailure() << "cannot read " << golden;
    const Surface* s = GraphicsBackBuffer();
    if (w != s->width || h != s->height) return ::testing::AssertionFailure() << "golden size differs";
    int bad = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if ((ref[static_cast<size_t>(y) * w + x] & 0xFFFFFFu) != BackPixel(x, y)) {
                if (bad++ == 0) { firstX = x; firstY = y; }
            }
    if (bad == 0) return ::testing::AssertionSuccess();
    SaveBackBufferPng(name + ".actual.png");
    return ::testing::AssertionFailure() << bad << " pixels differ from " << golden << ", first at (" << firstX
                                         << ", " << firstY << ")";
}
