// The rasterizer's fast loops against its plain scalar reference: random
// scenes in every blend mode, brightness, source kind and filter must match
// bit for bit (the fast path cutting turned draws to their sprites' diagonal
// bounds and settling rows by estimate, the reference solving each row
// whole), drawn directly, with SSE2 and the widest vectors, on opaque targets
// and on targets of random alpha, and through the API by one thread or by
// several (banded); plus the exact rounding of the per-pixel rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "framework/backend/raster/raster.h"
#include "framework/backend/raster/raster_queue.h"
#include "framework/framework.h"
#include "framework/graphics/draw_internal.h"
#include "framework/graphics/draw_target.h"
#include "framework/graphics/image_table.h"
#include "tests/support/headless_test.h"
#include "tests/support/image_test_support.h"

namespace {

struct Scene {
    std::vector<uint32_t> dst;
    Surface target;
};

Surface WithDiagonals(Surface s) {
    VisibleTexels v;
    if (RasterFindVisible(s, &v)) {
        s.diagonals = true;
        s.sumMin = v.sumMin;
        s.sumMax = v.sumMax;
        s.diffMin = v.diffMin;
        s.diffMax = v.diffMax;
    }
    return s;
}

// Odd seeds draw on an opaque target, as every draw target is; even ones on
// random alpha per pixel (with some 0 and 255), where a loop that keeps a
// pixel's alpha that the rule blends, or writes 255 that it keeps, differs.
void DrawRandomScene(Scene& s, unsigned seed) {
    std::mt19937 rng(seed);
    s.dst.assign(97 * 61, 0);
    for (auto& p : s.dst) {
        const uint32_t a = seed % 2 ? 255 : (rng() % 4 == 0 ? (rng() % 2) * 255 : rng() & 255);
        p = a << 24 | (rng() & 0xFFFFFFu);
    }
    s.target = Surface{s.dst.data(), 97, 61, 97};
    // A blob: texels outside an ellipse are transparent, as round sprites'
    // corners are, so that the fast path's diagonal cut has corners to skip.
    std::vector<uint32_t> img(13 * 9);
    const double cx = rng() % 13, cy = rng() % 9, rx = 1.5 + rng() % 8, ry = 1.5 + rng() % 6;
    for (int i = 0; i < 13 * 9; i++) {
        const double ex = (i % 13 - cx) / rx, ey = (i / 13 - cy) / ry;
        uint32_t a = rng() % 4 == 0 || ex * ex + ey * ey > 1 ? 0 : (rng() % 3 == 0 ? 255 : rng() & 255);
        img[i] = RasterPremultiply(a << 24 | (rng() & 0xFFFFFFu));
        if (rng() % 5 == 0) img[i] &= 0xFF000000u;   // black for the colour key
    }
    std::vector<uint32_t> opaque(img);
    for (auto& p : opaque) p |= 0xFF000000u;
    // Narrow images too: one and two texels wide are the bilinear edge cases
    // (both taps on one texel, or on the pair's two halves).
    // The alpha sources carry the diagonal bounds of their visible texels;
    // the reference draws them whole.
    const Surface wide = WithDiagonals({img.data(), 13, 9, 13}), wideSolid{opaque.data(), 13, 9, 13};
    const Surface two = WithDiagonals({img.data(), 2, 5, 13}), twoSolid{opaque.data(), 2, 5, 13};
    const Surface one = WithDiagonals({img.data() + 5, 1, 7, 13}), oneSolid{opaque.data() + 5, 1, 7, 13};
    const ClipRect clip{3, 2, 90, 58};
    const int modes[] = {0, 1, 2, 3, 4, 5, 8};
    for (int i = 0; i < 200; i++) {
        RasterState st{modes[rng() % 7], static_cast<int>(rng() % 256),
                       {static_cast<int>(rng() % 256), static_cast<int>(rng() % 256), static_cast<int>(rng() % 256)},
                       static_cast<int>(rng() % 2)};
        if (rng() % 3 == 0) st.brightness[0] = st.brightness[1] = st.brightness[2] = 255;
        if (rng() % 4 == 0) st = RasterState{0, 255, {255, 255, 255}, st.bilinear};   // the game's commonest state
        int kind = rng() % 4;
        const int width = rng() % 4;
        const Surface& anySrc = width == 0 ? one : width == 1 ? two : wide;
        const Surface& solidSrc = width == 0 ? oneSolid : width == 1 ? twoSolid : wideSolid;
        // Solid promises alpha 255; keyed draws take opaque pictures (the
        // usual case) and pictures with alpha.
        const Surface& src = kind == RASTER_SOURCE_SOLID || (kind == RASTER_SOURCE_KEY && rng() % 2) ? solidSrc : anySrc;
        int x = static_cast<int>(rng() % 110) - 10, y = static_cast<int>(rng() % 75) - 10;
        switch (rng() % 5) {
            case 0: RasterBlit(s.target, clip, src, x, y, kind, st); break;
            case 1: {
                // A quarter of them square to the axes at scales that put the
                // image's edges on whole pixels.
                double a = (rng() % 1000) / 100.0, sc = 0.3 + (rng() % 300) / 100.0;
                if (rng() % 4 == 0) a = (rng() % 4) * 1.5707963267948966, sc = (rng() % 6 + 1) * 0.5;
                RasterMapped(s.target, clip, src, x, y, sc * std::cos(a), sc * std::sin(a), -sc * std::sin(a),
                             sc * std::cos(a), kind, st);
                break;
            }
            case 2: {
                int px[3] = {x, x + static_cast<int>(rng() % 40), x + static_cast<int>(rng() % 20) - 10};
                int py[3] = {y, y + static_cast<int>(rng() % 20) - 10, y + static_cast<int>(rng() % 40)};
                double su[3] = {0, double(src.width), 0}, sv[3] = {0, 0, double(src.height)};
                RasterTriangle(s.target, clip, src, px, py, su, sv, kind, st);
                break;
            }
            case 3: RasterFill(s.target, clip, x, y, x + static_cast<int>(rng() % 50), y + static_cast<int>(rng() % 30),
                               rng() & 0xFFFFFFu, st); break;
            default: {
                uint8_t cov[7 * 5];
                for (auto& c : cov) c = rng() % 3 == 0 ? 0 : rng() & 255;
                RasterCoverage(s.target, clip, x, y, cov, 7, 5, 7, rng() & 0xFFFFFFu, st);
            }
        }
    }
}

int Round255(int x) { return static_cast<int>(std::lround(x / 255.0)); }

} // namespace

TEST(RasterPaths, FastLoopsMatchTheReference) {
    for (unsigned seed = 1; seed <= 40; seed++) {
        Scene ref;
        RasterUseReference(1);
        DrawRandomScene(ref, seed);
        RasterUseReference(0);
        for (int vectors : {1, 0}) {   // SSE2, then the widest the CPU has
            Scene fast;
            RasterLimitVectors(vectors);
            DrawRandomScene(fast, seed);
            int differ = 0, alphaDiffer = 0;
            for (size_t i = 0; i < fast.dst.size(); i++) {
                differ += fast.dst[i] != ref.dst[i];
                alphaDiffer += (fast.dst[i] >> 24) != (ref.dst[i] >> 24);
            }
            EXPECT_EQ(differ, 0) << "seed " << seed << ", vectors " << vectors << ", alpha differs in " << alphaDiffer;
        }
        RasterLimitVectors(0);
    }
}

TEST(RasterPaths, PixelRuleRoundsExactly) {
    RasterState mul{4, 255, {255, 255, 255}, 0};
    RasterState over{1, 255, {255, 255, 255}, 0};
    RasterState add{2, 255, {255, 255, 255}, 0};
    for (int s = 0; s < 256; s++) {
        for (int d = 0; d < 256; d++) {
            // The target's alpha is d too: colours do not depend on it.
            uint32_t src = 0xFF000000u | s << 16 | s << 8 | s, dst = static_cast<uint32_t>(d) << 24 | d;
            ASSERT_EQ(RasterReferencePixel(src, dst, mul), 0xFF000000u | Round255(s * d));
            // Alpha s over d with a black source: d × (255 − s) / 255, and the
            // target's alpha s + d × (255 − s) / 255 (d itself when s is 0).
            uint32_t black = static_cast<uint32_t>(s) << 24;
            ASSERT_EQ(RasterReferencePixel(black, dst, over),
                      static_cast<uint32_t>(s + Round255(d * (255 - s))) << 24 | Round255(d * (255 - s)));
            ASSERT_EQ(RasterReferencePixel(black, dst, add) >> 24, static_cast<uint32_t>(std::min(255, s + d)));
        }
    }
    // Premultiplying rounds; unpremultiplying an opaque or empty pixel is exact.
    EXPECT_EQ(RasterPremultiply(0x80FF4000u), 0x80802000u);
    EXPECT_EQ(RasterUnpremultiply(0x80802000u), 0x80FF4000u);
    EXPECT_EQ(RasterPremultiply(0x00FFFFFFu), 0u);
    EXPECT_EQ(RasterUnpremultiply(0xFF123456u), 0xFF123456u);
    // A whole picture premultiplied in place: every alpha with every channel
    // value, each channel rounded on its own.
    std::vector<uint32_t> picture;
    for (uint32_t a = 0; a < 256; a++)
        for (uint32_t c = 0; c < 256; c++) picture.push_back(a << 24 | c << 16 | (255 - c) << 8 | (c ^ 0x5A));
    RasterPremultiplyPixels(picture.data(), picture.size());
    for (uint32_t a = 0; a < 256; a++)
        for (uint32_t c = 0; c < 256; c++) {
            const uint32_t expected = a << 24 | Round255(c * a) << 16 | Round255((255 - c) * a) << 8 | Round255((c ^ 0x5A) * a);
            ASSERT_EQ(picture[a * 256 + c], expected) << "alpha " << a << ", channel " << c;
        }
}

TEST(RasterPaths, MappedSpansStayInsideTheSource) {
    // Many angles and scales around boundaries: every written pixel comes from
    // the one-colour image, and nothing is written outside the clip.
    std::vector<uint32_t> img(7 * 5, 0xFF00FF00u);
    const Surface src{img.data(), 7, 5, 7};
    std::vector<uint32_t> px(64 * 64, 0xFF000000u);
    const Surface dst{px.data(), 64, 64, 64};
    const ClipRect clip{10, 12, 50, 52};
    for (int i = 0; i < 720; i++) {
        double a = i * 3.1415926535898 / 360, sc = 0.25 + (i % 17) * 0.5;
        RasterState st{0, 255, {255, 255, 255}, i % 2};
        RasterMapped(dst, clip, src, 30 - 3.5 * sc, 30 - 2.5 * sc, sc * std::cos(a), sc * std::sin(a),
                     -sc * std::sin(a), sc * std::cos(a), RASTER_SOURCE_ALPHA, st);
    }
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            bool inside = x >= 10 && x < 50 && y >= 12 && y < 52;
            uint32_t p = px[y * 64 + x];
            if (!inside) ASSERT_EQ(p, 0xFF000000u) << x << "," << y;
            else ASSERT_TRUE(p == 0xFF000000u || p == 0xFF00FF00u) << x << "," << y;
        }
}

TEST(RasterPaths, InverseAndMultiplyModesTakeTheStraightColour) {
    // White at any alpha above 0 is white: mode 4 leaves the target as it is
    // and mode 3 inverts it; alpha 0 is skipped. Unscaled, nearest and
    // bilinear draws alike.
    for (int alpha : {0, 1, 128, 254, 255}) {
        const uint32_t texel = RasterPremultiply(static_cast<uint32_t>(alpha) << 24 | 0xFFFFFFu);
        std::vector<uint32_t> img(4 * 4, texel);
        const Surface src{img.data(), 4, 4, 4};
        for (int mode : {3, 4}) {
            for (int path = 0; path < 3; path++) {
                std::vector<uint32_t> px(8 * 8, 0xFF306090u);
                const Surface dst{px.data(), 8, 8, 8};
                const RasterState st{mode, 255, {255, 255, 255}, path == 2};
                if (path == 0) RasterBlit(dst, ClipRect{0, 0, 8, 8}, src, 2, 2, RASTER_SOURCE_ALPHA, st);
                else RasterMapped(dst, ClipRect{0, 0, 8, 8}, src, 2, 2, 1, 0, 0, 1, RASTER_SOURCE_ALPHA, st);
                const uint32_t want = alpha == 0 || mode == 4 ? 0xFF306090u : 0xFFCF9F6Fu;
                EXPECT_EQ(px[3 * 8 + 3], want) << "alpha " << alpha << " mode " << mode << " path " << path;
            }
        }
    }
}

TEST(RasterPaths, HugeMappedDrawsCoverTheTarget) {
    // Corners far beyond an int: the whole clip is drawn from the centre texel.
    std::vector<uint32_t> img(3 * 3, 0xFF000000u);
    img[4] = 0xFF12AB34u;
    const Surface src{img.data(), 3, 3, 3};
    for (double scale : {1e9, 1e12, -1e9}) {
        std::vector<uint32_t> px(16 * 16, 0xFF000000u);
        const Surface dst{px.data(), 16, 16, 16};
        const RasterState st{0, 255, {255, 255, 255}, 0};
        RasterMapped(dst, ClipRect{0, 0, 16, 16}, src, 8 - 1.5 * scale, 8 - 1.5 * scale, scale, 0, 0, scale,
                     RASTER_SOURCE_ALPHA, st);
        for (uint32_t p : px) ASSERT_EQ(p, 0xFF12AB34u) << "scale " << scale;
    }
}

namespace {

// Random draw sequences through the API: every call, blend mode, filter,
// brightness, transparency, rotation, scale and clip, an offscreen target,
// captures and presents in between, offscreen images drawn back as sources.
class RasterEquivalence : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        if (HasFatalFailure()) return;
        std::mt19937 rng(77);
        auto image = [&](int w, int h, bool alpha) {
            std::vector<uint32_t> px(static_cast<size_t>(w) * h);
            for (auto& p : px) {
                const uint32_t a = rng() % 4 == 0 ? 0 : (rng() % 3 == 0 ? 255 : rng() & 255);
                p = a << 24 | (rng() % 5 == 0 ? 0 : rng() & 0xFFFFFFu);
            }
            return MakeTestImage(w, h, px, alpha);
        };
        sources_ = {image(13, 9, true), image(13, 9, false), image(1, 1, true), image(40, 30, true),
                    image(7, 64, false), image(24, 24, true)};
        offscreen_ = MakeOffscreenImage(96, 80, 0);
        copy_ = MakeOffscreenImage(640, 480, 0);
        sources_.push_back(offscreen_);
        sources_.push_back(copy_);
    }
    void TearDown() override {
        RasterUseReference(0);
        RasterLimitVectors(0);
        RasterQueueSpreadAll(0);
        RasterQueueSetThreads(0);
        HeadlessTest::TearDown();
    }

    // The back buffer and both offscreen images after sequence `seed`, drawn
    // by the scalar reference or the vector loops (`vectors` as for
    // RasterLimitVectors) on `threads` threads.
    std::vector<uint32_t> Draw(unsigned seed, bool reference, int threads, int vectors = 0) {
        RasterUseReference(reference);
        RasterLimitVectors(vectors);
        RasterQueueSpreadAll(1);
        RasterQueueSetThreads(threads);
        SetBlendMode(0, 255);
        SetDrawBrightness(255, 255, 255);
        SetScaleFilter(0);
        for (int target : {offscreen_, copy_, -2}) {
            SetDrawTarget(target);
            ClearDrawTarget();
        }
        std::mt19937 rng(seed);
        auto uniform = [&](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); };
        auto real = [&](double lo, double hi) { return lo + (hi - lo) * (rng() % 100000) / 100000.0; };
        const int count = uniform(10, 60);
        for (int i = 0; i < count; i++) {
            const int img = sources_[rng() % sources_.size()];
            const int trans = rng() % 4 != 0, x = uniform(-60, 700), y = uniform(-60, 540);
            const double scale = rng() % 8 == 0 ? real(8, 40) : (rng() % 4 == 0 ? 1.0 : real(0.1, 3));
            const double angle = rng() % 3 == 0 ? 0.0 : real(-7, 7);
            switch (rng() % 16) {
                case 0: SetBlendMode(uniform(0, 8), uniform(-20, 300)); break;
                case 1: SetDrawBrightness(uniform(0, 255), uniform(0, 255), uniform(0, 255)); break;
                case 2: SetScaleFilter(uniform(0, 2)); break;
                case 3: SetDrawTarget(rng() % 3 == 0 ? offscreen_ : -2); break;
                case 4:
                    if (rng() % 2) CaptureScreenToImage(uniform(-10, 300), uniform(-10, 200), uniform(0, 650), uniform(0, 490), copy_, 1);
                    else FlipScreen();
                    break;
                case 5: {
                    const Surface* t = GraphicsTarget();
                    const int l = uniform(-5, t->width / 2), tp = uniform(-5, t->height / 2);
                    *GraphicsDrawArea() = rng() % 2 ? ClipRect{0, 0, t->width, t->height}
                                                    : ClipRect{l, tp, uniform(l, t->width + 5), uniform(tp, t->height + 5)};
                    break;
                }
                case 6: DrawImageAt(x, y, img, trans); break;
                case 7: DrawImageAtF(static_cast<float>(real(-60, 700)), static_cast<float>(real(-60, 540)), img, trans); break;
                case 8: case 9: DrawImageRotated(x, y, scale, angle, img, trans, rng() % 2); break;
                case 10:
                    DrawImageRotatedF(static_cast<float>(real(-60, 700)), static_cast<float>(real(-60, 540)), scale, angle,
                                      img, trans, rng() % 2);
                    break;
                case 11:
                    DrawImageQuad(x, y, x + uniform(-30, 200), y + uniform(-30, 30), x + uniform(-30, 200), y + uniform(0, 150),
                                  x + uniform(-30, 30), y + uniform(-30, 150), img, trans);
                    break;
                case 12:
                    DrawRect(x, y, x + uniform(-100, 300), y + uniform(-100, 300), MakeColor(uniform(0, 255), uniform(0, 255),
                             uniform(0, 255)), rng() % 2);
                    break;
                case 13: {
                    uint8_t mask[11 * 9];
                    for (auto& c : mask) c = rng() % 3 == 0 ? 0 : rng() & 255;
                    GraphicsDrawCoverage(x, y, mask, 11, 9, 11, uniform(0, 255), uniform(0, 255), uniform(0, 255));
                    break;
                }
                case 14:
                    if (rng() % 4 == 0) ClearDrawTarget();
                    break;
                default: DrawImageRotated(x, y, scale, angle, offscreen_, trans, 0); break;
            }
        }
        GraphicsFinishDrawing();
        std::vector<uint32_t> out;
        for (int h : {offscreen_, copy_}) {
            const ImageRecord* r = ImageLookup(h);
            const Surface s = ImageSurface(r);
            for (int row = 0; row < s.height; row++) out.insert(out.end(), s.pixels + row * s.pitch, s.pixels + row * s.pitch + s.width);
        }
        const Surface* b = GraphicsBackBuffer();
        out.insert(out.end(), b->pixels, b->pixels + b->height * b->pitch);
        SetDrawTarget(-2);
        *GraphicsDrawArea() = ClipRect{0, 0, 640, 480};
        return out;
    }

    std::vector<int> sources_;
    int offscreen_ = -1, copy_ = -1;
};

} // namespace

TEST_F(RasterEquivalence, ReferenceOneThreadAndBandsDrawTheSamePixels) {
    // VORTALIS_EQUIVALENCE_SEQUENCES shortens the run (the ThreadSanitizer build).
    const char* env = std::getenv("VORTALIS_EQUIVALENCE_SEQUENCES");
    const unsigned sequences = env && std::atoi(env) > 0 ? static_cast<unsigned>(std::atoi(env)) : 1000;
    std::mt19937 pick(5);
    for (unsigned seed = 1; seed <= sequences; seed++) {
        const std::vector<uint32_t> want = Draw(seed, seed % 4 == 0, 1);
        const int threads = seed % 2 ? 2 : 3 + static_cast<int>(pick() % 6);
        const std::vector<uint32_t> got = Draw(seed, false, threads, seed % 3 == 0 ? 1 : 0);   // SSE2 or the widest
        ASSERT_EQ(got.size(), want.size());
        size_t differ = 0, first = 0;
        for (size_t i = 0; i < got.size(); i++)
            if (got[i] != want[i] && differ++ == 0) first = i;
        ASSERT_EQ(differ, 0u) << "seed " << seed << ", " << threads << " threads, first at " << first;
    }
}
