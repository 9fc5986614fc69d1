// The software rasterizer: clipping and span set-up per draw, source sampling
// (direct rows, nearest and bilinear in 16.16 fixed point) into a small stack
// buffer, and one blend loop per draw chosen from the state before any pixel.
// Called by graphics/draw_calls.cpp and the text module's coverage draws.
#include "framework/backend/raster/raster.h"

#include <emmintrin.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/backend/raster/raster_loops.h"

namespace {

enum { CHUNK = 256 };
// Samplers may write up to this many pixels past the n asked for (the vector
// sampler's last, partly used step); their buffers have room for them.
enum { SAMPLE_SLACK = 8 };

int g_reference = 0;

// The widest vector loops this CPU runs, found once at start: 2 AVX2, 1 SSE2.
int DetectVectorLevel() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? 2 : 1;
}
const int g_cpuLevel = DetectVectorLevel();
int g_vectorLevel = g_cpuLevel;


inline uint32_t Div255(uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; }

Blend MakeBlend(const RasterState& st) {
    Blend b{};
    int mode = st.blendMode;
    int p = std::clamp(st.blendParameter, 0, 255);
    uint32_t ma = 255;
    switch (mode) {
        case 1: b.op = OP_OVER; ma = p; break;
        case 2: case 5: b.op = OP_ADD; ma = p; break;
        case 3: b.op = OP_INVDST; break;
        case 4: b.op = OP_MUL; break;
        case 8: b.op = OP_NONE; break;
        default: b.op = OP_OVER; break;
    }
    b.m[0] = ma;
    for (int c = 0; c < 3; c++) {
        uint32_t br = static_cast<uint32_t>(std::clamp(st.brightness[c], 0, 255));
        b.m[1 + c] = (b.op == OP_OVER || b.op == OP_ADD) ? Div255(br * ma) : br;
    }
    b.modulate = b.m[0] != 255 || b.m[1] != 255 || b.m[2] != 255 || b.m[3] != 255;
    return b;
}

uint32_t Straight(uint32_t p);

inline uint32_t PixelRule(uint32_t s, uint32_t d, const Blend& b) {
    uint32_t sa = s >> 24;
    // Modes 3 and 4 take the source colour itself, not its product with alpha
    // (alpha only decides whether the pixel is drawn at all).
    if ((b.op == OP_INVDST || b.op == OP_MUL) && sa != 0 && sa != 255) s = Straight(s);
    uint32_t ca = Div255(sa * b.m[0]);
    uint32_t cr = Div255(((s >> 16) & 255) * b.m[1]);
    uint32_t cg = Div255(((s >> 8) & 255) * b.m[2]);
    uint32_t cb = Div255((s & 255) * b.m[3]);
    uint32_t da = d >> 24, dr = (d >> 16) & 255, dg = (d >> 8) & 255, db = d & 255;
    // Over and add treat the target's alpha as a fourth channel (255 stays
    // 255); modes 3 and 4 write 255 where they draw.
    uint32_t a = 255, r, g, bl;
    switch (b.op) {
        case OP_OVER: {
            uint32_t inv = 255 - ca;
            a = ca + Div255(da * inv);
            r = cr + Div255(dr * inv); g = cg + Div255(dg * inv); bl = cb + Div255(db * inv);
            break;
        }
        case OP_ADD:
            a = std::min(255u, da + ca);
            r = std::min(255u, dr + cr); g = std::min(255u, dg + cg); bl = std::min(255u, db + cb);
            break;
        case OP_INVDST:
            if (sa == 0) return d;
            r = Div255(cr * (255 - dr)); g = Div255(cg * (255 - dg)); bl = Div255(cb * (255 - db));
            break;
        case OP_MUL:
            if (sa == 0) return d;
            r = Div255(dr * cr); g = Div255(dg * cg); bl = Div255(db * cb);
            break;
        default:
            return d;
    }
    return a << 24 | r << 16 | g << 8 | bl;
}

// A premultiplied pixel's straight colour (rounded, held at 255).
uint32_t Straight(uint32_t p) {
    const uint32_t a = p >> 24;
    if (a == 255 || a == 0) return p;
    auto un = [a](uint32_t c) { return std::min(255u, (c * 255 + a / 2) / a); };
    return a << 24 | un((p >> 16) & 255) << 16 | un((p >> 8) & 255) << 8 | un(p & 255);
}

void SpanReference(uint32_t* d, const uint32_t* s, int n, const Blend& b) {
    for (int i = 0; i < n; i++) d[i] = PixelRule(s[i], d[i], b);
}

void SpanCopy(uint32_t* d, const uint32_t* s, int n, const Blend&) {
    std::memcpy(d, s, static_cast<size_t>(n) * 4);
}

// Four pixels at a time in 16-bit lanes; div255 is mulhi(x + 128, 257).
inline __m128i Div255x8(__m128i x) {
    return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(128)), _mm_set1_epi16(257));
}

struct Vec {
    __m128i zero, alphaMask, c255, m;
};

Vec MakeVec(const Blend& b) {
    Vec v;
    v.zero = _mm_setzero_si128();
    v.alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    v.c255 = _mm_set1_epi16(255);
    v.m = _mm_set_epi16(b.m[0], b.m[1], b.m[2], b.m[3], b.m[0], b.m[1], b.m[2], b.m[3]);
    return v;
}

// Modes 0 and 1 on four pixels: D' = C + div255(D × (255 − A)), alpha too.
template <bool MOD>
inline void Over4(uint32_t* d, __m128i sv, const Vec& v) {
    __m128i sa = _mm_and_si128(sv, v.alphaMask);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(sa, v.zero)) == 0xFFFF) return;   // all transparent
    if (!MOD && _mm_movemask_epi8(_mm_cmpeq_epi32(sa, v.alphaMask)) == 0xFFFF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), sv);                // all opaque
        return;
    }
    __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    __m128i slo = _mm_unpacklo_epi8(sv, v.zero), shi = _mm_unpackhi_epi8(sv, v.zero);
    if (MOD) {
        slo = Div255x8(_mm_mullo_epi16(slo, v.m));
        shi = Div255x8(_mm_mullo_epi16(shi, v.m));
    }
    __m128i alo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(slo, 0xFF), 0xFF);
    __m128i ahi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(shi, 0xFF), 0xFF);
    __m128i dlo = Div255x8(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, v.zero), _mm_sub_epi16(v.c255, alo)));
    __m128i dhi = Div255x8(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, v.zero), _mm_sub_epi16(v.c255, ahi)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(_mm_add_epi16(slo, dlo), _mm_add_epi16(shi, dhi)));
}

// Modes 2 and 5 on four pixels: D' = min(255, D + C), alpha too.
template <bool MOD>
inline void Add4(uint32_t* d, __m128i sv, const Vec& v) {
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(sv, v.alphaMask), v.zero)) == 0xFFFF) return;
    if (MOD) {
        __m128i slo = Div255x8(_mm_mullo_epi16(_mm_unpacklo_epi8(sv, v.zero), v.m));
        __m128i shi = Div255x8(_mm_mullo_epi16(_mm_unpackhi_epi8(sv, v.zero), v.m));
        sv = _mm_packus_epi16(slo, shi);
    }
    __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_adds_epu8(dv, sv));
}

template <int OP, bool MOD>
inline void Blend4(uint32_t* d, __m128i sv, const Vec& v) {
    if (OP == OP_OVER) Over4<MOD>(d, sv, v);
    else Add4<MOD>(d, sv, v);
}

// The last one to three pixels of a span through the same vector code: the
// source is padded with transparent pixels, which leave the target unchanged.
template <int OP, bool MOD>
inline void BlendTail(uint32_t* d, const uint32_t* s, int n, const Vec& v) {
    // Spelled out: a loop here becomes a call to memcpy.
    alignas(16) uint32_t src[4] = {s[0], n > 1 ? s[1] : 0u, n > 2 ? s[2] : 0u, 0};
    alignas(16) uint32_t dst[4] = {d[0], n > 1 ? d[1] : 0u, n > 2 ? d[2] : 0u, 0};
    Blend4<OP, MOD>(dst, _mm_load_si128(reinterpret_cast<const __m128i*>(src)), v);
    d[0] = dst[0];
    if (n > 1) d[1] = dst[1];
    if (n > 2) d[2] = dst[2];
}

template <int OP, bool MOD>
void SpanVec(uint32_t* d, const uint32_t* s, int n, const Blend& b) {
    const Vec v = MakeVec(b);
    int i = 0;
    for (; i + 4 <= n; i += 4) Blend4<OP, MOD>(d + i, _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)), v);
    if (i < n) BlendTail<OP, MOD>(d + i, s + i, n - i, v);
}

SpanFn ChooseSpan(const Blend& b, int kind) {
    if (g_reference) return SpanReference;
    if (b.op == OP_OVER && !b.modulate && kind == RASTER_SOURCE_SOLID) return SpanCopy;
    if (g_vectorLevel >= 2 && (b.op == OP_OVER || b.op == OP_ADD)) return RasterAvx2Span(b.op, b.modulate);
    switch (b.op) {
        case OP_OVER:
            return b.modulate ? SpanVec<OP_OVER, true> : SpanVec<OP_OVER, false>;
        case OP_ADD: return b.modulate ? SpanVec<OP_ADD, true> : SpanVec<OP_ADD, false>;
        default: return SpanReference;
    }
}

// Nothing to draw: mode 8, or a blend whose source factor is zero everywhere.
bool DrawsNothing(const Blend& b) {
    return b.op == OP_NONE || ((b.op == OP_OVER || b.op == OP_ADD) && b.m[0] == 0);
}

// A stored (premultiplied) texel shown opaque: its straight colour with alpha
// 255. A wholly transparent texel has lost its colour and shows black.
inline uint32_t Opaque(uint32_t p) {
    const uint32_t a = p >> 24;
    if (a == 255) return p;
    if (a == 0) return 0xFF000000u;
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t c = (p >> shift) & 255u;
        out |= std::min(255u, (c * 255u + a / 2) / a) << shift;
    }
    return out;
}

template <int KIND>
inline uint32_t Fetch(uint32_t p) {
    if (KIND == RASTER_SOURCE_KEY) return (p & 0xFFFFFFu) ? p : 0u;
    if (KIND == RASTER_SOURCE_OPAQUE) return Opaque(p);
    return p;
}

// Four texels at a time where the rule is a mask: a keyed texel (black)
// becomes transparent, an opaque texel stays as it is; other opaque-kind
// texels take the scalar rule.
template <int KIND>
void FetchRow(uint32_t* out, const uint32_t* in, int n) {
    int i = 0;
    if (!g_reference && (KIND == RASTER_SOURCE_KEY || KIND == RASTER_SOURCE_OPAQUE)) {
        const __m128i colour = _mm_set1_epi32(0xFFFFFF), alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
        for (; i + 4 <= n; i += 4) {
            const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            if (KIND == RASTER_SOURCE_KEY) {
                const __m128i keyed = _mm_cmpeq_epi32(_mm_and_si128(p, colour), _mm_setzero_si128());
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_andnot_si128(keyed, p));
            } else if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(p, alpha), alpha)) == 0xFFFF) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), p);
            } else {
                for (int k = i; k < i + 4; k++) out[k] = Fetch<KIND>(in[k]);
            }
        }
    }
    for (; i < n; i++) out[i] = Fetch<KIND>(in[i]);
}

inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f) {
    uint32_t rb = (((a & 0xFF00FFu) * (256 - f) + (b & 0xFF00FFu) * f) >> 8) & 0xFF00FFu;
    uint32_t ag = (((a >> 8) & 0xFF00FFu) * (256 - f) + ((b >> 8) & 0xFF00FFu) * f) & 0xFF00FF00u;
    return rb | ag;
}


// Nearest texel. CLAMP keeps indices inside the image where the span was cut
// by edge functions (triangles); mapped spans are exact and need none.
template <int KIND, bool CLAMP>
void SampleNearest(uint32_t* out, int n, const Surface& src, Stepper& st) {
    const uint32_t* const pixels = src.pixels;
    const int pitch = src.pitch, wmax = src.width - 1, hmax = src.height - 1;
    uint32_t u = st.u, v = st.v;
    const uint32_t du = st.du, dv = st.dv;
    for (int i = 0; i < n; i++) {
        int x = static_cast<int32_t>(u) >> 16, y = static_cast<int32_t>(v) >> 16;
        if (CLAMP) { x = std::clamp(x, 0, wmax); y = std::clamp(y, 0, hmax); }
        out[i] = Fetch<KIND>(pixels[y * pitch + x]);
        u += du; v += dv;
    }
    st.u = u; st.v = v;
}

// Four taps around the sample point (texel centres at +0.5), edge taps
// clamped; interpolated down the two columns first, then across, each step
// truncating with 8-bit weights. The scalar version is the reference.
template <int KIND>
void SampleBilinearScalar(uint32_t* out, int n, const Surface& src, Stepper& st) {
    const uint32_t* const pixels = src.pixels;
    const int pitch = src.pitch, wmax = src.width - 1, hmax = src.height - 1;
    uint32_t u = st.u, v = st.v;
    for (int i = 0; i < n; i++) {
        int32_t uu = static_cast<int32_t>(u - 32768u), vv = static_cast<int32_t>(v - 32768u);
        int x0 = uu >> 16, y0 = vv >> 16;
        uint32_t fx = (uu >> 8) & 255, fy = (vv >> 8) & 255;
        int xa = std::clamp(x0, 0, wmax), xb = std::clamp(x0 + 1, 0, wmax);
        const uint32_t* ra = pixels + std::clamp(y0, 0, hmax) * pitch;
        const uint32_t* rb = pixels + std::clamp(y0 + 1, 0, hmax) * pitch;
        uint32_t left = Lerp(Fetch<KIND>(ra[xa]), Fetch<KIND>(rb[xa]), fy);
        uint32_t right = Lerp(Fetch<KIND>(ra[xb]), Fetch<KIND>(rb[xb]), fy);
        out[i] = Lerp(left, right, fx);
        u += st.du; v += st.dv;
    }
    st.u = u; st.v = v;
}

template <int KIND>
void SampleBilinear(uint32_t* out, int n, const Surface& src, Stepper& st) {
    const uint32_t* const pixels = src.pixels;
    const int pitch = src.pitch, wmax = src.width - 1, hmax = src.height - 1;
    const __m128i zero = _mm_setzero_si128(), c256 = _mm_set1_epi16(256);
    uint32_t u = st.u, v = st.v;
    const uint32_t du = st.du, dv = st.dv;
    for (int i = 0; i < n; i++) {
        int32_t uu = static_cast<int32_t>(u - 32768u), vv = static_cast<int32_t>(v - 32768u);
        int x0 = uu >> 16, y0 = vv >> 16;
        int xa = std::clamp(x0, 0, wmax), xb = std::clamp(x0 + 1, 0, wmax);
        const uint32_t* ra = pixels + std::clamp(y0, 0, hmax) * pitch;
        const uint32_t* rb = pixels + std::clamp(y0 + 1, 0, hmax) * pitch;
        const uint32_t p00 = Fetch<KIND>(ra[xa]), p01 = Fetch<KIND>(ra[xb]);
        const uint32_t p10 = Fetch<KIND>(rb[xa]), p11 = Fetch<KIND>(rb[xb]);
        u += du; v += dv;
        // Four transparent taps (premultiplied: all zero) give zero.
        if ((p00 | p01 | p10 | p11) == 0) {
            out[i] = 0;
            continue;
        }
        // Lanes 0–3: left column, 4–7: right column.
        __m128i top = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(p00)),
                                                           _mm_cvtsi32_si128(static_cast<int>(p01))), zero);
        __m128i bot = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(p10)),
                                                           _mm_cvtsi32_si128(static_cast<int>(p11))), zero);
        __m128i fy = _mm_shufflelo_epi16(_mm_cvtsi32_si128((vv >> 8) & 255), 0);
        fy = _mm_unpacklo_epi64(fy, fy);
        __m128i col = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, _mm_sub_epi16(c256, fy)),
                                                   _mm_mullo_epi16(bot, fy)), 8);
        __m128i fx = _mm_shufflelo_epi16(_mm_cvtsi32_si128((uu >> 8) & 255), 0);
        __m128i m = _mm_mullo_epi16(col, _mm_unpacklo_epi64(_mm_sub_epi16(c256, fx), fx));
        __m128i sum = _mm_srli_epi16(_mm_add_epi16(m, _mm_srli_si128(m, 8)), 8);
        out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)));
    }
    st.u = u; st.v = v;
}

// Nearest sampling fused with the blend for mapped draws of premultiplied
// sources: four texels gathered straight into a vector, no staging buffer.

template <int OP, bool MOD>
void MappedNearestFused(uint32_t* d, int n, const Surface& src, Stepper& st, const Blend& b) {
    const Vec v = MakeVec(b);
    const uint32_t* const pixels = src.pixels;
    const int pitch = src.pitch;
    uint32_t u = st.u, w = st.v;
    const uint32_t du = st.du, dv = st.dv;
    // Four positions per vector; x + y × pitch from one multiply-add of
    // 16-bit pairs (images are at most 16384 wide and high).
    __m128i U = _mm_add_epi32(_mm_set1_epi32(static_cast<int>(u)),
                              _mm_set_epi32(static_cast<int>(3 * du), static_cast<int>(2 * du), static_cast<int>(du), 0));
    __m128i V = _mm_add_epi32(_mm_set1_epi32(static_cast<int>(w)),
                              _mm_set_epi32(static_cast<int>(3 * dv), static_cast<int>(2 * dv), static_cast<int>(dv), 0));
    const __m128i du4 = _mm_set1_epi32(static_cast<int>(4 * du)), dv4 = _mm_set1_epi32(static_cast<int>(4 * dv));
    const __m128i rowPitch = _mm_set1_epi32(pitch << 16 | 1), low = _mm_set1_epi32(0xFFFF);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i xy = _mm_or_si128(_mm_and_si128(_mm_srai_epi32(U, 16), low), _mm_slli_epi32(_mm_srai_epi32(V, 16), 16));
        __m128i idx = _mm_madd_epi16(xy, rowPitch);
        const int i0 = _mm_cvtsi128_si32(idx), i1 = _mm_cvtsi128_si32(_mm_shuffle_epi32(idx, 1));
        const int i2 = _mm_cvtsi128_si32(_mm_shuffle_epi32(idx, 2)), i3 = _mm_cvtsi128_si32(_mm_shuffle_epi32(idx, 3));
        Blend4<OP, MOD>(d + i, _mm_set_epi32(static_cast<int>(pixels[i3]), static_cast<int>(pixels[i2]),
                                             static_cast<int>(pixels[i1]), static_cast<int>(pixels[i0])), v);
        U = _mm_add_epi32(U, du4);
        V = _mm_add_epi32(V, dv4);
    }
    u += static_cast<uint32_t>(i) * du;
    w += static_cast<uint32_t>(i) * dv;
    if (i < n) {
        uint32_t tail[3];
        for (int k = 0; k < n - i; k++) {
            tail[k] = pixels[(static_cast<int32_t>(w) >> 16) * pitch + (static_cast<int32_t>(u) >> 16)];
            u += du; w += dv;
        }
        BlendTail<OP, MOD>(d + i, tail, n - i, v);
    }
    st.u = u; st.v = w;
}

FusedFn ChooseFused(const Blend& b, int kind, bool bilinear) {
    if (bilinear) {
        const bool fusedBilinear = !g_reference && g_vectorLevel >= 2 && kind == RASTER_SOURCE_ALPHA;
        return fusedBilinear ? RasterAvx2BilinearFused(b.op, b.modulate) : nullptr;
    }
    if (g_reference || (kind != RASTER_SOURCE_ALPHA && kind != RASTER_SOURCE_SOLID)) return nullptr;
    if (g_vectorLevel >= 2) return RasterAvx2Fused(b.op, b.modulate);
    if (b.op == OP_OVER) return b.modulate ? MappedNearestFused<OP_OVER, true> : MappedNearestFused<OP_OVER, false>;
    if (b.op == OP_ADD) return b.modulate ? MappedNearestFused<OP_ADD, true> : MappedNearestFused<OP_ADD, false>;
    return nullptr;
}

// The scratch copy for ModulateInto, one per drawing thread: it grows to the
// largest image modulated and is reused, so draws allocate nothing once it
// has grown.
thread_local std::vector<uint32_t> g_scratch;

Blend Unmodulated(Blend b) {
    b.m[0] = b.m[1] = b.m[2] = b.m[3] = 255;
    b.modulate = false;
    return b;
}

// C = div255(S × M) for the texels of `src` inside `box`, into the scratch
// copy at the same places (the texels outside it are left as they were).
void ModulateInto(const Surface& src, const Blend& b, const ClipRect& box, Surface* out) {
    const size_t count = static_cast<size_t>(src.width) * src.height;
    if (g_scratch.size() < count + 4) g_scratch.resize(count + 4);
    const Vec v = MakeVec(b);
    uint32_t* o = g_scratch.data();
    for (int y = box.top; y < box.bottom; y++) {
        const uint32_t* row = src.pixels + static_cast<size_t>(y) * src.pitch;
        uint32_t* orow = o + static_cast<size_t>(y) * src.width;
        int x = box.left;
        for (; x + 4 <= box.right; x += 4) {
            __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
            __m128i lo = Div255x8(_mm_mullo_epi16(_mm_unpacklo_epi8(sv, v.zero), v.m));
            __m128i hi = Div255x8(_mm_mullo_epi16(_mm_unpackhi_epi8(sv, v.zero), v.m));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(orow + x), _mm_packus_epi16(lo, hi));
        }
        for (; x < box.right; x++) {
            const uint32_t p = row[x];
            orow[x] = Div255((p >> 24) * b.m[0]) << 24 | Div255(((p >> 16) & 255) * b.m[1]) << 16 |
                      Div255(((p >> 8) & 255) * b.m[2]) << 8 | Div255((p & 255) * b.m[3]);
        }
    }
    *out = Surface{o, src.width, src.height, src.width};
}

template <int KIND>
SampleFn ChooseSamplerOf(bool bilinear, bool clamp) {
    if (bilinear && !g_reference && KIND == RASTER_SOURCE_ALPHA && g_vectorLevel >= 2) return RasterAvx2Bilinear();
    if (bilinear) return g_reference ? SampleBilinearScalar<KIND> : SampleBilinear<KIND>;
    return clamp ? SampleNearest<KIND, true> : SampleNearest<KIND, false>;
}

SampleFn ChooseSampler(int kind, bool bilinear, bool clamp) {
    switch (kind) {
        case RASTER_SOURCE_KEY: return ChooseSamplerOf<RASTER_SOURCE_KEY>(bilinear, clamp);
        case RASTER_SOURCE_OPAQUE: return ChooseSamplerOf<RASTER_SOURCE_OPAQUE>(bilinear, clamp);
        default: return ChooseSamplerOf<RASTER_SOURCE_ALPHA>(bilinear, clamp);
    }
}

int64_t FloorDiv(int64_t a, int64_t b) {   // b > 0
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// Narrows [k0, k1) to the k with lo ≤ base + k × step < hi.
void LimitLinear(int64_t base, int64_t step, int64_t lo, int64_t hi, int64_t& k0, int64_t& k1) {
    if (step == 0) {
        if (base < lo || base >= hi) k1 = k0;
        return;
    }
    if (step > 0) {
        k0 = std::max(k0, CeilDiv(lo - base, step));
        k1 = std::min(k1, CeilDiv(hi - base, step));
    } else {
        k1 = std::min(k1, FloorDiv(base - lo, -step) + 1);
        k0 = std::max(k0, FloorDiv(base - hi, -step) + 1);
    }
}

// 16.16 fixed point of a source coordinate; absurd values are held at ±2^40
// texels so that the 64-bit span arithmetic cannot overflow.
// The smallest k with base + k × step ≥ lo (step > 0): a floating-point
// estimate corrected by exact integer tests.
inline int64_t FirstAtLeast(int64_t base, int64_t step, double inverse, int64_t lo) {
    // Truncation instead of ceil (a library call without SSE4.1); the loops
    // below correct the estimate either way.
    int64_t k = static_cast<int64_t>(static_cast<double>(lo - base) * inverse);
    while (base + k * step < lo) k++;
    while (base + (k - 1) * step >= lo) k--;
    return k;
}

// As LimitLinear, without integer division: for rows of mapped draws.
inline void LimitLinearFast(int64_t base, int64_t step, double inverse, int64_t lo, int64_t hi, int64_t& k0,
                            int64_t& k1) {
    if (step == 0) {
        if (base < lo || base >= hi) k1 = k0;
        return;
    }
    if (step > 0) {
        k0 = std::max(k0, FirstAtLeast(base, step, inverse, lo));
        k1 = std::min(k1, FirstAtLeast(base, step, inverse, hi));
    } else {
        // With g(k) = −base + k × (−step): base + k × step ≥ lo ⇔ g(k) < 1 − lo.
        k1 = std::min(k1, FirstAtLeast(-base, -step, -inverse, 1 - lo));
        k0 = std::max(k0, FirstAtLeast(-base, -step, -inverse, 1 - hi));
    }
}

// One bound of a row of a mapped draw: pixel k of the row is inside when
// lo ≤ base + k × step < hi.
struct LinearBound {
    int64_t base, step, lo, hi;
    double inverse;   // 1 / step (0 when step is 0)
};

template <int COUNT>
inline bool InsideAll(const LinearBound* b, int64_t k) {
    for (int i = 0; i < COUNT; i++) {
        const int64_t x = b[i].base + k * b[i].step;
        if (x < b[i].lo || x >= b[i].hi) return false;
    }
    return true;
}

// A real number within a millionth of a whole one (either side).
inline bool NearWhole(double t) {
    const double f = std::fabs(t - static_cast<double>(static_cast<int64_t>(t)));
    return f < 1e-6 || f > 1.0 - 1e-6;
}

// Narrows [k0, k1) to the pixels inside every bound: one run, as each bound
// is linear in k. Where a run is not empty, the bounds that decide its ends
// meet the row within a pixel or so of it, where every value involved is
// below 2^50: the floating-point positions t of those ends are then off by
// less than 10^-12 pixels. So an end not within 10^-6 of a whole pixel is
// exact as computed; an end near one (an image edge on a pixel boundary, as
// scaled unturned draws have) is settled by exact tests of the pixels there.
template <int COUNT>
inline void RowRun(const LinearBound* b, int64_t& k0, int64_t& k1) {
    double lo = -1e300, hi = 1e300;   // k ≥ lo and k < hi, or k > lo and k ≤ hi
    for (int i = 0; i < COUNT; i++) {
        if (b[i].step == 0) {
            if (b[i].base < b[i].lo || b[i].base >= b[i].hi) {
                k1 = k0;
                return;
            }
            continue;
        }
        const double a = static_cast<double>(b[i].lo - b[i].base) * b[i].inverse;
        const double c = static_cast<double>(b[i].hi - b[i].base) * b[i].inverse;
        lo = std::max(lo, std::min(a, c));
        hi = std::min(hi, std::max(a, c));
    }
    if (hi < lo - 1.0 || hi < static_cast<double>(k0) - 1.0 || lo > static_cast<double>(k1) + 1.0) {
        k1 = k0;   // empty, with a margin over the estimate's error
        return;
    }
    const bool exactLo = lo < static_cast<double>(k0) - 1e-6 || !NearWhole(lo);
    const bool exactHi = hi > static_cast<double>(k1) + 1e-6 || !NearWhole(hi);
    if (exactLo && exactHi) {
        // Not whole: the first pixel is ceil(lo), the end ceil(hi) (both ≥ 0
        // when they count, so truncation plus one is the ceiling).
        if (lo >= static_cast<double>(k0)) k0 = static_cast<int64_t>(lo) + 1;
        if (hi <= static_cast<double>(k1)) k1 = hi < 0 ? k0 : std::max(k0, static_cast<int64_t>(hi) + 1);
        if (k1 < k0) k1 = k0;
        return;
    }
    // Near whole pixels: a window of a pixel more on each side, narrowed by
    // exact tests (truncation: lo > −1 − 10^-6 and hi > −1 here; never less
    // than the floor's window).
    int64_t first = std::max(k0, static_cast<int64_t>(std::max(lo, -1.0)) - 1);
    int64_t last = std::min(k1, static_cast<int64_t>(std::min(hi, static_cast<double>(k1))) + 2);
    while (first < last && !InsideAll<COUNT>(b, first)) first++;
    while (last > first && !InsideAll<COUNT>(b, last - 1)) last--;
    k0 = first;
    k1 = last;
}

inline int64_t ToFixed(double v) {
    const double limit = 1099511627776.0;
    if (!(v > -limit)) v = -limit;
    if (v > limit) v = limit;
    return std::llround(v * 65536.0);
}
inline uint32_t Wrap32(int64_t v) { return static_cast<uint32_t>(static_cast<uint64_t>(v)); }

struct Affine {   // source (u, v) at destination point (X, Y) = base + X × dX + Y × dY
    double u0, udx, udy, v0, vdx, vdy;
};

// Draws rows [y0, y1) of a mapped source; spanOf gives each row's [x0, x1).
template <typename SpanOf>
void DrawMappedRows(const Surface& dst, const Surface& src, const Affine& a, int y0, int y1,
                    int kind, const RasterState& st, SpanOf spanOf) {
    Blend b = MakeBlend(st);
    if (DrawsNothing(b)) return;
    SpanFn span = ChooseSpan(b, kind);
    SampleFn sample = ChooseSampler(kind == RASTER_SOURCE_SOLID ? RASTER_SOURCE_ALPHA : kind, st.bilinear != 0, true);
    uint32_t tmp[CHUNK + SAMPLE_SLACK];
    for (int y = y0; y < y1; y++) {
        int x0, x1;
        spanOf(y, x0, x1);
        if (x0 >= x1) continue;
        double yc = y + 0.5, xc = x0 + 0.5;
        // Clamped sampling keeps even wrapped values inside the image.
        Stepper s{Wrap32(ToFixed(a.u0 + xc * a.udx + yc * a.udy)), Wrap32(ToFixed(a.v0 + xc * a.vdx + yc * a.vdy)),
                  Wrap32(ToFixed(a.udx)), Wrap32(ToFixed(a.vdx))};
        uint32_t* row = dst.pixels + static_cast<size_t>(y) * dst.pitch;
        for (int x = x0; x < x1; x += CHUNK) {
            int n = std::min<int>(CHUNK, x1 - x);
            sample(tmp, n, src, s);
            span(row + x, tmp, n, b);
        }
    }
}

ClipRect Intersect(const ClipRect& clip, const Surface& dst) {
    return ClipRect{std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, dst.width),
                    std::min(clip.bottom, dst.height)};
}

// The clip narrowed to a band of rows, for draws whose rows do not depend on
// where the clip starts.
ClipRect IntersectRows(const ClipRect& clip, const Surface& dst, const RasterRows* rows) {
    ClipRect c = Intersect(clip, dst);
    if (rows) {
        c.top = std::max(c.top, rows->top);
        c.bottom = std::min(c.bottom, rows->bottom);
    }
    return c;
}

} // namespace

void RasterUseReference(int on) { g_reference = on; }

bool RasterFindVisible(const Surface& s, VisibleTexels* out) {
    VisibleTexels v{s.width, s.height, 0, 0, INT_MAX, INT_MIN, INT_MAX, INT_MIN};
    for (int y = 0; y < s.height; y++) {
        const uint32_t* row = s.pixels + static_cast<size_t>(y) * s.pitch;
        int first = 0, last = s.width - 1;
        while (first < s.width && !(row[first] >> 24)) first++;
        if (first == s.width) continue;
        while (!(row[last] >> 24)) last--;
        v.left = std::min(v.left, first);
        v.right = std::max(v.right, last + 1);
        v.top = std::min(v.top, y);
        v.bottom = y + 1;
        v.sumMin = std::min(v.sumMin, first + y);
        v.sumMax = std::max(v.sumMax, last + y);
        v.diffMin = std::min(v.diffMin, first - y);
        v.diffMax = std::max(v.diffMax, last - y);
    }
    if (v.left >= v.right) return false;
    *out = v;
    return true;
}

void RasterLimitVectors(int level) { g_vectorLevel = level >= 1 ? std::min(level, g_cpuLevel) : g_cpuLevel; }

uint32_t RasterReferencePixel(uint32_t s, uint32_t d, const RasterState& st) {
    Blend b = MakeBlend(st);
    return PixelRule(s, d, b);
}

uint32_t RasterPremultiply(uint32_t p) {
    uint32_t a = p >> 24;
    if (a == 255) return p;
    return a << 24 | Div255(((p >> 16) & 255) * a) << 16 | Div255(((p >> 8) & 255) * a) << 8 | Div255((p & 255) * a);
}

// Sprites are mostly opaque or fully transparent texels, which skip the
// multiplies; the loop stays here so that the rule inlines into it.
void RasterPremultiplyPixels(uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; i++) {
        const uint32_t a = pixels[i] >> 24;
        if (a == 255) continue;
        pixels[i] = a == 0 ? 0 : RasterPremultiply(pixels[i]);
    }
}

uint32_t RasterUnpremultiply(uint32_t p) { return (p >> 24) == 0 ? 0 : Straight(p); }

namespace {

// A colour-keyed source drawn plainly, the most common draw of all (story
// pictures, backgrounds, sprites without alpha): a black texel leaves the
// target as it is, alpha included (as the blend does), any other replaces it. One
// pass of selects where the blend would fetch into scratch and then blend;
// texels with alpha below 255 (a keyed draw of a picture that has alpha)
// take the blend as before.
void KeyedCopy(uint32_t* d, const uint32_t* s, int n, SpanFn span, const Blend& b) {
    auto blend = [&](int at, int count) {   // up to four texels through the fetch and the blend
        uint32_t tmp[4];
        FetchRow<RASTER_SOURCE_KEY>(tmp, s + at, count);
        span(d + at, tmp, count, b);
    };
    const __m128i colour = _mm_set1_epi32(0xFFFFFF), alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i keyed = _mm_cmpeq_epi32(_mm_and_si128(p, colour), _mm_setzero_si128());
        const __m128i opaque = _mm_cmpeq_epi32(_mm_and_si128(p, alpha), alpha);
        if (_mm_movemask_epi8(_mm_or_si128(keyed, opaque)) != 0xFFFF) {
            blend(i, 4);
            continue;
        }
        const __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_or_si128(_mm_and_si128(keyed, q), _mm_andnot_si128(keyed, p)));
    }
    if (i < n) blend(i, n - i);
}

} // namespace

void RasterBlit(const Surface& dst, const ClipRect& clipIn, const Surface& src, int x, int y,
                int kind, const RasterState& st, const RasterRows* rows) {
    ClipRect clip = IntersectRows(clipIn, dst, rows);
    int64_t l = std::max<int64_t>(clip.left, x), r = std::min<int64_t>(clip.right, static_cast<int64_t>(x) + src.width);
    int64_t t = std::max<int64_t>(clip.top, y), btm = std::min<int64_t>(clip.bottom, static_cast<int64_t>(y) + src.height);
    if (l >= r || t >= btm) return;
    Blend b = MakeBlend(st);
    if (DrawsNothing(b)) return;
    SpanFn span = ChooseSpan(b, kind);
    uint32_t tmp[CHUNK];
    const int n = static_cast<int>(r - l);
    for (int64_t yy = t; yy < btm; yy++) {
        uint32_t* drow = dst.pixels + static_cast<size_t>(yy) * dst.pitch + l;
        const uint32_t* srow = src.pixels + static_cast<size_t>(yy - y) * src.pitch + (l - x);
        if (kind == RASTER_SOURCE_ALPHA || kind == RASTER_SOURCE_SOLID) {
            span(drow, srow, n, b);
            continue;
        }
        if (kind == RASTER_SOURCE_KEY && b.op == OP_OVER && !b.modulate && !g_reference) {
            KeyedCopy(drow, srow, n, span, b);
            continue;
        }
        for (int i = 0; i < n; i += CHUNK) {
            int m = std::min<int>(CHUNK, n - i);
            if (kind == RASTER_SOURCE_KEY) FetchRow<RASTER_SOURCE_KEY>(tmp, srow + i, m);
            else FetchRow<RASTER_SOURCE_OPAQUE>(tmp, srow + i, m);
            span(drow + i, tmp, m, b);
        }
    }
}

void RasterMapped(const Surface& dst, const ClipRect& clipIn, const Surface& src,
                  double ox, double oy, double ux, double uy, double vx, double vy,
                  int kind, const RasterState& st, const RasterRows* rows) {
    if (src.width <= 0 || src.height <= 0) return;
    double det = ux * vy - uy * vx;
    if (!std::isfinite(det) || std::fabs(det) < 1e-12) return;
    ClipRect clip = Intersect(clipIn, dst);
    const double W = src.width, H = src.height;
    double xs[4] = {ox, ox + W * ux, ox + H * vx, ox + W * ux + H * vx};
    double ys[4] = {oy, oy + W * uy, oy + H * vy, oy + W * uy + H * vy};
    double minX = *std::min_element(xs, xs + 4), maxX = *std::max_element(xs, xs + 4);
    double minY = *std::min_element(ys, ys + 4), maxY = *std::max_element(ys, ys + 4);
    if (!(maxX > clip.left - 1.0 && minX < clip.right + 1.0 && maxY > clip.top - 1.0 && minY < clip.bottom + 1.0)) return;
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    // Clamped while still floating point: a huge quad's corners do not fit an int.
    auto within = [](double v, int lo, int hi) { return static_cast<int>(std::clamp(v, double(lo), double(hi))); };
    int y0 = within(std::floor(minY), clip.top, clip.bottom);
    int y1 = within(std::ceil(maxY) + 1, clip.top, clip.bottom);
    int bx0 = within(std::floor(minX), clip.left, clip.right);
    int bx1 = within(std::ceil(maxX) + 1, clip.left, clip.right);
    if (y0 >= y1 || bx0 >= bx1) return;

    // Inverse map: destination point → source coordinates.
    Affine a;
    a.udx = vy / det; a.udy = -vx / det;
    a.vdx = -uy / det; a.vdy = ux / det;
    a.u0 = -(ox * a.udx + oy * a.udy);
    a.v0 = -(ox * a.vdx + oy * a.vdy);
    // An image mapped to less than a millionth of a pixel draws nothing (and
    // keeps every product below in 64 bits).
    const double far = 1048576.0;
    if (!(std::fabs(a.udx) < far && std::fabs(a.udy) < far && std::fabs(a.vdx) < far && std::fabs(a.vdy) < far))
        return;
    const int64_t du = ToFixed(a.udx), dv = ToFixed(a.vdx), duRow = ToFixed(a.udy), dvRow = ToFixed(a.vdy);
    const double inverseDu = du ? 1.0 / static_cast<double>(du) : 0, inverseDv = dv ? 1.0 / static_cast<double>(dv) : 0;
    const int64_t wFix = static_cast<int64_t>(src.width) << 16, hFix = static_cast<int64_t>(src.height) << 16;
    // Fixed-point source position of pixel bx0's centre on row y0; rows and
    // pixels step from it exactly, so spans and sampling agree to the bit.
    // (Offsets from the origin first: exact for the common whole and half
    // coordinates.)
    const double rx = bx0 + 0.5 - ox, ry = y0 + 0.5 - oy;
    const int64_t u00 = ToFixed((rx * vy - ry * vx) / det);
    const int64_t v00 = ToFixed((ry * ux - rx * uy) / det);

    // A plain translation (scale 1, no turn) steps whole texels: pixel
    // (bx0 + i, y0 + j) shows texel (u00 / 65536 + i, v00 / 65536 + j), and it
    // is drawn exactly when that texel is inside the image, as an unscaled
    // copy draws it. Bilinear sampling agrees when every sample sits on a
    // texel centre.
    if (!g_reference && du == 65536 && dvRow == 65536 && dv == 0 && duRow == 0 &&
        (!st.bilinear || ((u00 & 0xFFFF) == 0x8000 && (v00 & 0xFFFF) == 0x8000))) {
        const int64_t x = bx0 - (u00 >> 16), y = y0 - (v00 >> 16);
        if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) return;
        const ClipRect box{bx0, y0, bx1, y1};
        RasterBlit(dst, box, src, static_cast<int>(x), static_cast<int>(y), kind, st, rows);
        return;
    }

    Blend b = MakeBlend(st);
    if (DrawsNothing(b)) return;
    SpanFn span = ChooseSpan(b, kind);
    SampleFn sample = ChooseSampler(kind == RASTER_SOURCE_SOLID ? RASTER_SOURCE_ALPHA : kind, st.bilinear != 0, false);
    FusedFn fused = ChooseFused(b, kind, st.bilinear != 0);
    // Magnified nearest draws with colour or alpha modulation: modulate each
    // texel once into a scratch copy instead of each pixel that shows it. The
    // same per-texel rule, so the pixels are identical.
    // A band draws only its own rows; the anchor above stays that of the
    // whole draw, so every row steps exactly as without bands.
    const int rowFrom = rows ? std::max(y0, rows->top) : y0, rowTo = rows ? std::min(y1, rows->bottom) : y1;
    if (rowFrom >= rowTo) return;
    const Surface* from = &src;
    Surface modulated;
    if (fused && !st.bilinear && b.modulate && std::fabs(det) > 1.0) {
        // Only the texels these rows can reach: the source box of the
        // destination rectangle, widened by two texels for rounding.
        double uMin = 1e300, uMax = -1e300, vMin = 1e300, vMax = -1e300;
        for (int corner = 0; corner < 4; corner++) {
            const double X = (corner & 1) ? bx1 : bx0, Y = (corner & 2) ? rowTo : rowFrom;
            const double u = a.u0 + X * a.udx + Y * a.udy, v = a.v0 + X * a.vdx + Y * a.vdy;
            uMin = std::min(uMin, u); uMax = std::max(uMax, u);
            vMin = std::min(vMin, v); vMax = std::max(vMax, v);
        }
        const ClipRect box{within(std::floor(uMin) - 2, 0, src.width), within(std::floor(vMin) - 2, 0, src.height),
                           within(std::ceil(uMax) + 2, 0, src.width), within(std::ceil(vMax) + 2, 0, src.height)};
        // Only when the texels are fewer than half the pixels of the rows'
        // bounding box (about what a turned image covers): a thin band of a
        // turned image reaches a source box nearly as large as the whole
        // image, and modulating each pixel then costs less.
        const int64_t texels = static_cast<int64_t>(box.right - box.left) * (box.bottom - box.top);
        if (texels * 2 <= static_cast<int64_t>(rowTo - rowFrom) * (bx1 - bx0)) {
            ModulateInto(src, b, box, &modulated);
            from = &modulated;
            fused = ChooseFused(Unmodulated(b), kind, false);
            b = Unmodulated(b);
        }
    }
    // Each row's span is exactly the pixels whose fixed-point source
    // coordinates fall inside the image, so the sampler never leaves it and
    // nearest sampling needs no clamping.
    //
    // A source that knows the diagonal bounds of its visible texels has its
    // rows cut further: pixels all of whose taps lie outside them would
    // sample transparent black, which leaves the target as it is. The
    // taps of a sample at (u, v) lie in (u − 1.5, u + 0.5] × (v − 1.5, v + 0.5]
    // (bilinear, clamped at the edges too) or inside that (nearest), so their
    // x + y lie in (s − 3, s + 1] and their x − y in (d − 2, d + 2), for
    // s = u + v and d = u − v: the same fixed-point values as the sampler's.
    // The reference draws the whole image, each bound solved on its own.
    const bool cut = src.diagonals && kind == RASTER_SOURCE_ALPHA && !g_reference;
    LinearBound bounds[4] = {
        {0, du, 0, wFix, du ? 1.0 / static_cast<double>(du) : 0},
        {0, dv, 0, hFix, dv ? 1.0 / static_cast<double>(dv) : 0},
        {0, du + dv, (static_cast<int64_t>(src.sumMin) - 1) * 65536, (static_cast<int64_t>(src.sumMax) + 3) * 65536,
         du + dv ? 1.0 / static_cast<double>(du + dv) : 0},
        {0, du - dv, (static_cast<int64_t>(src.diffMin) - 2) * 65536 + 1, (static_cast<int64_t>(src.diffMax) + 2) * 65536,
         du - dv ? 1.0 / static_cast<double>(du - dv) : 0},
    };
    uint32_t tmp[CHUNK + SAMPLE_SLACK];
    for (int y = rowFrom; y < rowTo; y++) {
        const int64_t ub = u00 + (y - y0) * duRow, vb = v00 + (y - y0) * dvRow;
        int64_t k0 = 0, k1 = bx1 - bx0;
        if (g_reference) {
            LimitLinearFast(ub, du, inverseDu, 0, wFix, k0, k1);
            LimitLinearFast(vb, dv, inverseDv, 0, hFix, k0, k1);
        } else {
            bounds[0].base = ub;
            bounds[1].base = vb;
            bounds[2].base = ub + vb;
            bounds[3].base = ub - vb;
            if (cut) RowRun<4>(bounds, k0, k1);
            else RowRun<2>(bounds, k0, k1);
        }
        if (k0 >= k1) continue;
        // Every value inside the span fits 32 bits; a step too large for 32
        // bits only occurs on spans of one pixel.
        Stepper s{Wrap32(ub + k0 * du), Wrap32(vb + k0 * dv), Wrap32(du), Wrap32(dv)};
        uint32_t* row = dst.pixels + static_cast<size_t>(y) * dst.pitch;
        const int x0 = bx0 + static_cast<int>(k0), x1 = bx0 + static_cast<int>(k1);
        if (fused) {
            fused(row + x0, x1 - x0, *from, s, b);
            continue;
        }
        for (int x = x0; x < x1; x += CHUNK) {
            int n = std::min<int>(CHUNK, x1 - x);
            sample(tmp, n, src, s);
            span(row + x, tmp, n, b);
        }
    }
}

void RasterTriangle(const Surface& dst, const ClipRect& clipIn, const Surface& src,
                    const int px[3], const int py[3], const double su[3], const double sv[3],
                    int kind, const RasterState& st, const RasterRows* rows) {
    if (src.width <= 0 || src.height <= 0) return;
    const int64_t area = static_cast<int64_t>(px[1] - px[0]) * (py[2] - py[0]) -
                         static_cast<int64_t>(py[1] - py[0]) * (px[2] - px[0]);
    if (area == 0) return;
    const int64_t sign = area > 0 ? 1 : -1;
    ClipRect clip = IntersectRows(clipIn, dst, rows);
    int y0 = std::max(clip.top, std::min({py[0], py[1], py[2]}));
    int y1 = std::min(clip.bottom, std::max({py[0], py[1], py[2]}));
    int bx0 = std::max(clip.left, std::min({px[0], px[1], px[2]}));
    int bx1 = std::min(clip.right, std::max({px[0], px[1], px[2]}));
    if (y0 >= y1 || bx0 >= bx1) return;

    // Source coordinates as a linear function of the destination point.
    const double e1x = px[1] - px[0], e1y = py[1] - py[0], e2x = px[2] - px[0], e2y = py[2] - py[0];
    const double det = e1x * e2y - e1y * e2x;
    const double adx = e2y / det, ady = -e2x / det, bdx = -e1y / det, bdy = e1x / det;
    Affine a;
    a.udx = (su[1] - su[0]) * adx + (su[2] - su[0]) * bdx;
    a.udy = (su[1] - su[0]) * ady + (su[2] - su[0]) * bdy;
    a.vdx = (sv[1] - sv[0]) * adx + (sv[2] - sv[0]) * bdx;
    a.vdy = (sv[1] - sv[0]) * ady + (sv[2] - sv[0]) * bdy;
    a.u0 = su[0] - px[0] * a.udx - py[0] * a.udy;
    a.v0 = sv[0] - px[0] * a.vdx - py[0] * a.vdy;

    // Edge functions on doubled coordinates (pixel centres are half-integers),
    // exact in integers; a centre on an edge belongs to the triangle when the
    // edge, oriented with the inside on its left, points down or left.
    auto spanOf = [&](int y, int& x0, int& x1) {
        int64_t k0 = bx0, k1 = bx1;
        const int64_t Y2 = 2 * static_cast<int64_t>(y) + 1;
        for (int e = 0; e < 3 && k0 < k1; e++) {
            int ax = px[e], ay = py[e], bxx = px[(e + 1) % 3], byy = py[(e + 1) % 3];
            int64_t dx = sign * (bxx - ax), dy = sign * (byy - ay);
            // F(k) = dx × (Y2 − 2ay) − dy × (2k + 1 − 2ax) = c0 + c1 × k
            int64_t c0 = dx * (Y2 - 2 * static_cast<int64_t>(ay)) - dy * (1 - 2 * static_cast<int64_t>(ax));
            int64_t c1 = -2 * dy;
            bool include = dy > 0 || (dy == 0 && dx < 0);
            LimitLinear(c0, c1, include ? 0 : 1, INT64_MAX / 4, k0, k1);
        }
        x0 = static_cast<int>(k0);
        x1 = static_cast<int>(std::max(k0, k1));
    };
    DrawMappedRows(dst, src, a, y0, y1, kind, st, spanOf);
}

void RasterFillRow(uint32_t* row, int n, uint32_t value) {
    int i = 0;
    const __m128i v = _mm_set1_epi32(static_cast<int>(value));
    for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), v);
    for (; i < n; i++) row[i] = value;
}

void RasterFill(const Surface& dst, const ClipRect& clipIn, int left, int top, int right, int bottom,
                uint32_t rgb, const RasterState& st, const RasterRows* rows) {
    ClipRect clip = IntersectRows(clipIn, dst, rows);
    int l = std::max(left, clip.left), r = std::min(right, clip.right);
    int t = std::max(top, clip.top), btm = std::min(bottom, clip.bottom);
    if (l >= r || t >= btm) return;
    Blend b = MakeBlend(st);
    if (DrawsNothing(b)) return;
    SpanFn span = ChooseSpan(b, RASTER_SOURCE_SOLID);
    uint32_t tmp[CHUNK];
    RasterFillRow(tmp, CHUNK, 0xFF000000u | (rgb & 0xFFFFFFu));
    for (int y = t; y < btm; y++) {
        uint32_t* row = dst.pixels + static_cast<size_t>(y) * dst.pitch;
        for (int x = l; x < r; x += CHUNK) span(row + x, tmp, std::min<int>(CHUNK, r - x), b);
    }
}

void RasterCoverage(const Surface& dst, const ClipRect& clipIn, int x, int y, const uint8_t* coverage,
                    int width, int height, int pitch, uint32_t rgb, const RasterState& st, const RasterRows* rows) {
    ClipRect clip = IntersectRows(clipIn, dst, rows);
    int l = std::max(clip.left, x), r = std::min<int64_t>(clip.right, static_cast<int64_t>(x) + width);
    int t = std::max(clip.top, y), btm = std::min<int64_t>(clip.bottom, static_cast<int64_t>(y) + height);
    if (l >= r || t >= btm) return;
    Blend b = MakeBlend(st);
    if (DrawsNothing(b)) return;
    SpanFn span = ChooseSpan(b, RASTER_SOURCE_ALPHA);
    const uint32_t cr = (rgb >> 16) & 255, cg = (rgb >> 8) & 255, cb = rgb & 255;
    uint32_t tmp[CHUNK];
    for (int yy = t; yy < btm; yy++) {
        const uint8_t* crow = coverage + static_cast<size_t>(yy - y) * pitch;
        uint32_t* drow = dst.pixels + static_cast<size_t>(yy) * dst.pitch;
        for (int xx = l; xx < r; xx += CHUNK) {
            int n = std::min<int>(CHUNK, r - xx);
            for (int i = 0; i < n; i++) {
                uint32_t c = crow[xx + i - x];
                tmp[i] = c << 24 | Div255(cr * c) << 16 | Div255(cg * c) << 8 | Div255(cb * c);
            }
            span(drow + xx, tmp, n, b);
        }
    }
}
