// What the rasterizer's vector loops share across translation units: the
// per-draw blend, the fixed-point source stepper and the loop signatures. The
// AVX2 loops live in raster_avx2.cpp, built for AVX2 and called only when the
// CPU has it. Plain data only here: nothing inline, so that no function is
// compiled once with and once without AVX2.
#pragma once

#include <cstdint>

#include "framework/backend/raster/surface.h"

enum RasterBlendOp { OP_OVER, OP_ADD, OP_INVDST, OP_MUL, OP_NONE };

struct Blend {
    int op;
    uint32_t m[4];      // multipliers a, r, g, b
    bool modulate;      // any multiplier below 255
};

// Source position in 16.16 fixed point; unsigned so that stepping past the
// end of a span wraps instead of overflowing.
struct Stepper {
    uint32_t u, v, du, dv;
};

// Blends n source pixels onto d.
typedef void (*SpanFn)(uint32_t* d, const uint32_t* s, int n, const Blend& b);
// Sampling of a premultiplied source fused with the blend, for spans that
// never leave the source: nearest, or bilinear (RasterAvx2BilinearFused).
typedef void (*FusedFn)(uint32_t* d, int n, const Surface& src, Stepper& st, const Blend& b);

// Samples n source pixels into out (premultiplied), stepping st; out has room
// for 8 more, which a sampler may overwrite.
typedef void (*SampleFn)(uint32_t* out, int n, const Surface& src, Stepper& st);

// The AVX2 loops for modes over (0, 1) and add (2, 5), with or without a
// modulating multiplier, and the bilinear sampler of premultiplied sources;
// bit for bit the SSE2 and scalar results.
SpanFn RasterAvx2Span(int op, bool modulate);
FusedFn RasterAvx2Fused(int op, bool modulate);
SampleFn RasterAvx2Bilinear(void);
// Bilinear sampling of a premultiplied source fused with the blend; the
// clamped edge taps as the sampler takes them.
FusedFn RasterAvx2BilinearFused(int op, bool modulate);
