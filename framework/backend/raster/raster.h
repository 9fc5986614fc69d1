// The software rasterizer that executes every draw call of graphics/: unscaled
// blits, affine-mapped quads (rotated draws and DrawImageQuad), filled spans
// and coverage masks, each through one blend loop chosen per draw.
//
// Pixel format: 0xAARRGGBB in native byte order. Images are held PREMULTIPLIED
// (each colour channel already multiplied by alpha / 255, rounded); images
// without an alpha channel have alpha 255 everywhere. Draw targets are opaque
// and stay so: modes 0–2 and 5 blend the target's alpha as a fourth channel,
// which keeps 255 at 255 (and leaves a pixel under a transparent texel exactly
// as it was, whatever its alpha); modes 3 and 4 write alpha 255 where they draw.
//
// Arithmetic, exact and shared by the vector and the scalar reference loops
// (div255(x) is x / 255 rounded to nearest, for 0 ≤ x ≤ 65025):
//   per draw   M = (mA, mR, mG, mB): mA = blend parameter for modes 1, 2 and 5,
//              else 255; mC = div255(brightness_C × mA) for modes 0–2 and 5,
//              brightness_C for modes 3 and 4 (their parameter has no effect).
//   per pixel  C = div255(S × M) per channel (alpha too), A = C's alpha, where
//              S is the stored pixel for modes 0–2 and 5 and its straight
//              colour (unpremultiplied, rounded) for modes 3 and 4;
//     modes 0, 1   D' = C + div255(D × (255 − A))      (alpha too)
//     modes 2, 5   D' = min(255, D + C)                (alpha too)
//     mode 3       D' = div255(C × (255 − D))      (pixels with alpha 0 skipped)
//     mode 4       D' = div255(D × C)              (pixels with alpha 0 skipped)
//     mode 8       nothing is drawn.
// Colour key: a source with the key flag treats pixels whose colour is black as
// alpha 0. Opaque draws (no alpha use) force every source alpha to 255.
//
// Geometry: pixel (i, j) covers [i, i+1) × [j, j+1); a pixel is drawn when its
// centre falls inside the mapped shape and inside the clip rectangle.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/backend/raster/surface.h"

enum RasterSourceKind {
    RASTER_SOURCE_OPAQUE = 0,   // every pixel drawn in its straight colour with alpha 255
    RASTER_SOURCE_ALPHA = 1,    // premultiplied alpha channel used
    RASTER_SOURCE_KEY = 2,      // black pixels are transparent
    RASTER_SOURCE_SOLID = 3,    // alpha already 255 everywhere: plain copies allowed
};

// A band of target rows, top ≤ y < bottom: a draw given one touches only
// these rows and writes exactly the pixels it would write there without it.
// Threads that each own bands of the target draw with it.
struct RasterRows {
    int top, bottom;
};

struct RasterState {
    int blendMode;          // 0..5, 8 (6 and 7 draw as 0)
    int blendParameter;     // 0..255
    int brightness[3];      // r, g, b, 0..255
    int bilinear;           // 1: bilinear sampling for mapped draws
};

// The texels of `s` with alpha above 0: their box [left, right) × [top,
// bottom) and their diagonal bounds (as Surface's sumMin..diffMax). False,
// and *out untouched, when there are none.
struct VisibleTexels {
    int left, top, right, bottom;
    int sumMin, sumMax, diffMin, diffMax;
};
bool RasterFindVisible(const Surface& s, VisibleTexels* out);

// Unscaled copy of `src` with its top-left at (x, y).
void RasterBlit(const Surface& dst, const ClipRect& clip, const Surface& src, int x, int y,
                int sourceKind, const RasterState& st, const RasterRows* rows = nullptr);

// `src` mapped affinely onto the parallelogram given by the destination point
// of the image's top-left corner (ox, oy) and the destination steps per source
// pixel along the image's x axis (ux, uy) and y axis (vx, vy).
void RasterMapped(const Surface& dst, const ClipRect& clip, const Surface& src,
                  double ox, double oy, double ux, double uy, double vx, double vy,
                  int sourceKind, const RasterState& st, const RasterRows* rows = nullptr);

// One triangle of a quad: integer destination corners p[0..2] (pixel-corner
// coordinates) taking the source points s[0..2] (in source pixels, corners of
// the image). Edges shared by two triangles are drawn once (top-left rule).
void RasterTriangle(const Surface& dst, const ClipRect& clip, const Surface& src,
                    const int px[3], const int py[3], const double su[3], const double sv[3],
                    int sourceKind, const RasterState& st, const RasterRows* rows = nullptr);

// Fills left ≤ x < right, top ≤ y < bottom (already ordered) with an opaque colour.
void RasterFill(const Surface& dst, const ClipRect& clip, int left, int top, int right, int bottom,
                uint32_t rgb, const RasterState& st, const RasterRows* rows = nullptr);

// `src` scaled by a whole `factor` with its top-left at (x, y): every source
// pixel copied, as it is, into a factor × factor block (nearest neighbour).
void RasterScaleWhole(const Surface& dst, const ClipRect& clip, const Surface& src, int x, int y, int factor,
                      const RasterRows* rows = nullptr);

// n pixels of a row set to value (clearing a target: no blending).
void RasterFillRow(uint32_t* row, int n, uint32_t value);

// An 8-bit coverage mask drawn in colour rgb with alpha = coverage.
void RasterCoverage(const Surface& dst, const ClipRect& clip, int x, int y, const uint8_t* coverage,
                    int width, int height, int pitch, uint32_t rgb, const RasterState& st, const RasterRows* rows = nullptr);

// Tests: 1 sends every draw through the plain scalar loops, 0 (default) the fast ones.
void RasterUseReference(int on);
// Tests and benchmarks: the widest vector loops used, 1 SSE2, 2 AVX2 (when the
// CPU has it); 0 (default) the widest the CPU has.
void RasterLimitVectors(int level);

// The per-pixel rule above, for tests to compute expected values.
uint32_t RasterReferencePixel(uint32_t premultipliedSource, uint32_t dst, const RasterState& st);

// Premultiplies a straight ARGB pixel (rounded), and back.
uint32_t RasterPremultiply(uint32_t straight);
// The same over a whole picture, in place.
void RasterPremultiplyPixels(uint32_t* pixels, size_t count);
uint32_t RasterUnpremultiply(uint32_t premultiplied);
