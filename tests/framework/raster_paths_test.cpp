// The rasterizer's fast loops against its plain scalar reference: random
// scenes in every blend mode, brightness, source kind and filter must match
// bit for bit; plus the exact rounding of the per-pixel rule.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "framework/backend/raster/raster.h"

namespace {

struct Scene {
    std::vector<uint32_t> dst;
    Surface target;
};

void DrawRandomScene(Scene& s, unsigned seed) {
    std::mt19937 rng(seed);
    s.dst.assign(97 * 61, 0);
    for (auto& p : s.dst) p = 0xFF000000u | (rng() & 0xFFFFFFu);
    s.target = Surface{s.dst.data(), 97, 61, 97};
    std::vector<uint32_t> img(13 * 9);
    for (auto& p : img) {
        uint32_t a = rng() % 4 == 0 ? 0 : (rng() % 3 == 0 ? 255 : rng() & 255);
        p = RasterPremultiply(a << 24 | (rng() & 0xFFFFFFu));
        if (rng() % 5 == 0) p &= 0xFF000000u;   // black for the colour key
    }
    std::vector<uint32_t> opaque(img);
    for (auto& p : opaque) p |= 0xFF000000u;
    const Surface anySrc{img.data(), 13, 9, 13}, solidSrc{opaque.data(), 13, 9, 13};
    const ClipRect clip{3, 2, 90, 58};
    const int modes[] = {0, 1, 2, 3, 4, 5, 8};
    for (int i = 0; i < 200; i++) {
        RasterState st{modes[rng() % 7], static_cast<int>(rng() % 256),
                       {static_cast<int>(rng() % 256), static_cast<int>(rng() % 256), static_cast<int>(rng() % 256)},
                       static_cast<int>(rng() % 2)};
        if (rng() % 3 == 0) st.brightness[0] = st.brightness[1] = st.brightness[2] = 255;
        int kind = rng() % 4;
        const Surface& src = kind == RASTER_SOURCE_SOLID ? solidSrc : anySrc;   // solid promises alpha 255
        int x = static_cast<int>(rng() % 110) - 10, y = static_cast<int>(rng() % 75) - 10;
        switch (rng() % 5) {
            case 0: RasterBlit(s.target, clip, src, x, y, kind, st); break;
            case 1: {
                double a = (rng() % 1000) / 100.0, sc = 0.3 + (rng() % 300) / 100.0;
                RasterMapped(s.target, clip, src, x, y, sc * std::cos(a), sc * std::sin(a), -sc * std::sin(a),
                             sc * std::cos(a), kind, st);
                break;
            }
            case 2: {
                int px[3] = {x, x + static_cast<int>(rng() % 40), x + static_cast<int>(rng() % 20) - 10};
                int py[3] = {y, y + static_cast<int>(rng() % 20) - 10, y + static_cast<int>(rng() % 40)};
                double su[3] = {0, 13, 0}, sv[3] = {0, 0, 9};
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
    for (unsigned seed = 1; seed <= 12; seed++) {
        Scene fast, ref;
        RasterUseReference(0);
        DrawRandomScene(fast, seed);
        RasterUseReference(1);
        DrawRandomScene(ref, seed);
        RasterUseReference(0);
        int differ = 0;
        for (size_t i = 0; i < fast.dst.size(); i++) differ += fast.dst[i] != ref.dst[i];
        EXPECT_EQ(differ, 0) << "seed " << seed;
    }
}

TEST(RasterPaths, PixelRuleRoundsExactly) {
    RasterState mul{4, 255, {255, 255, 255}, 0};
    RasterState over{1, 255, {255, 255, 255}, 0};
    for (int s = 0; s < 256; s++) {
        for (int d = 0; d < 256; d++) {
            uint32_t src = 0xFF000000u | s << 16 | s << 8 | s, dst = 0xFF000000u | d;
            ASSERT_EQ(RasterReferencePixel(src, dst, mul) & 255, static_cast<uint32_t>(Round255(s * d)));
            // Alpha s over d with a black source: d × (255 − s) / 255.
            uint32_t black = static_cast<uint32_t>(s) << 24;
            ASSERT_EQ(RasterReferencePixel(black, dst, over) & 255, static_cast<uint32_t>(Round255(d * (255 - s))));
        }
    }
    // Premultiplying rounds; unpremultiplying an opaque or empty pixel is exact.
    EXPECT_EQ(RasterPremultiply(0x80FF4000u), 0x80802000u);
    EXPECT_EQ(RasterUnpremultiply(0x80802000u), 0x80FF4000u);
    EXPECT_EQ(RasterPremultiply(0x00FFFFFFu), 0u);
    EXPECT_EQ(RasterUnpremultiply(0xFF123456u), 0xFF123456u);
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
