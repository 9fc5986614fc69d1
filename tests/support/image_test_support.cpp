// Helpers for the drawing and image tests; see image_test_support.h.
#include "tests/support/image_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/backend/image/image_readers.h"
#include "framework/backend/image/png_writer.h"
#include "framework/backend/raster/raster.h"
#include "framework/core/log.h"
#include "framework/framework.h"
#include "framework/graphics/draw_target.h"
#include "framework/graphics/image_table.h"

// Where review pictures of differing golden frames go: the build folder, or the
// source tree's build/ for test programs built without one.
#ifdef VORTALIS_BINARY_DIR
#define GOLDEN_REVIEW_DIR VORTALIS_BINARY_DIR "/golden-review"
#else
#define GOLDEN_REVIEW_DIR VORTALIS_SOURCE_DIR "/build/golden-review"
#endif

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

namespace {

// Any of red, green and blue apart by more than `tolerance`.
bool Differs(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>(a >> shift & 255) - static_cast<int>(b >> shift & 255)) > tolerance) return true;
    return false;
}

// Pixel (x, y) of a frame, or nothing (false) outside it.
struct Frame {
    const uint32_t* pixels;
    int width, height, pitch;
    bool At(int x, int y, uint32_t* p) const {
        if (x >= width || y >= height) return false;
        *p = pixels[static_cast<size_t>(y) * pitch + x];
        return true;
    }
};

// Whether pixel (x, y) differs; a pixel that only one frame has does.
bool DiffersAt(const Frame& a, const Frame& b, int x, int y, int tolerance) {
    uint32_t pa, pb;
    const bool inA = a.At(x, y, &pa), inB = b.At(x, y, &pb);
    return inA != inB || (inA && Differs(pa, pb, tolerance));
}

// old | new | differences, side by side on dark grey, 8 pixels apart.
bool WriteReview(const std::string& path, const Frame& old, const Frame& now, int tolerance) {
    const int gap = 8, w = std::max(old.width, now.width), h = std::max(old.height, now.height);
    const int stride = 3 * w + 2 * gap;
    std::vector<uint32_t> out(static_cast<size_t>(stride) * h, 0xFF404040u);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint32_t* row = out.data() + static_cast<size_t>(y) * stride;
            uint32_t p;
            if (old.At(x, y, &p)) row[x] = p;
            if (now.At(x, y, &p)) row[w + gap + x] = p;
            if (DiffersAt(old, now, x, y, tolerance)) row[2 * (w + gap) + x] = 0xFFFF00FFu;
            else if (now.At(x, y, &p)) row[2 * (w + gap) + x] = 0xFF000000u | ((p >> 2) & 0x3F3F3Fu);
        }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WritePng(path.c_str(), out.data(), stride, h, stride);
}

} // namespace

bool GoldenRefreshRequested(void) {
    const char* update = std::getenv("VORTALIS_UPDATE_GOLDEN");
    return update != nullptr && std::strcmp(update, "1") == 0;
}

::testing::AssertionResult CompareWithGolden(const std::string& name, const std::string& golden,
                                             const std::string& review, const uint32_t* pixels, int width,
                                             int height, int pitch, int tolerance, bool refresh) {
    std::vector<uint32_t> ref;
    int w = 0, h = 0;
    if (!ReadPngFile(golden, &ref, &w, &h)) {
        if (!refresh)
            return ::testing::AssertionFailure() << "missing golden " << golden
                                                 << " (cannot read it); VORTALIS_UPDATE_GOLDEN=1 writes it";
        ref.clear();
        w = h = 0;
    }
    const Frame old{ref.data(), w, h, w}, now{pixels, width, height, pitch};
    int bad = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < std::max(h, height); y++)
        for (int x = 0; x < std::max(w, width); x++)
            if (DiffersAt(old, now, x, y, tolerance) && bad++ == 0) firstX = x, firstY = y;
    if (bad == 0) return ::testing::AssertionSuccess();
    std::ostringstream what;
    what << bad << " pixels differ from " << golden << " (" << w << "x" << h << " then, " << width << "x" << height
         << " now), first at (" << firstX << ", " << firstY << ")";
    if (!WriteReview(review, old, now, tolerance))
        return ::testing::AssertionFailure() << name << ": " << what.str() << "; cannot write the review " << review;
    if (!refresh) return ::testing::AssertionFailure() << name << ": " << what.str() << "; review " << review;
    if (!WritePng(golden.c_str(), pixels, width, height, pitch))
        return ::testing::AssertionFailure() << name << ": cannot write " << golden;
    return ::testing::AssertionFailure() << "refreshed " << name << ": review " << review << " (" << what.str() << ")";
}

::testing::AssertionResult MatchesGoldenFrame(const std::string& name, const uint32_t* pixels, int width, int height,
                                              int pitch, int tolerance) {
    const std::string golden = std::string(VORTALIS_SOURCE_DIR) + "/tests/golden/" + name + ".png";
    const std::string review = std::string(GOLDEN_REVIEW_DIR) + "/" + name + ".png";
    ::testing::AssertionResult result =
        CompareWithGolden(name, golden, review, pixels, width, height, pitch, tolerance, GoldenRefreshRequested());
    const char* update = std::getenv("VORTALIS_UPDATE_GOLDEN");
    if (!result && update && !GoldenRefreshRequested())
        result << " (VORTALIS_UPDATE_GOLDEN=" << update << " only compares; 1 refreshes)";
    return result;
}

::testing::AssertionResult MatchesGolden(const std::string& name) {
    const Surface* s = GraphicsBackBuffer();
    return MatchesGoldenFrame(name, s->pixels, s->width, s->height, s->pitch);
}
