// The rasterizer's hottest loops eight pixels at a time with AVX2: blending a
// span (over and add, modulated or not), nearest sampling fused with the
// blend, and bilinear sampling. The arithmetic is lane for lane that of the SSE2 loops in
// raster.cpp, so the pixels are the same to the bit. This file alone is built
// with -mavx2, and it includes no header with inline functions of its own
// (beyond the intrinsics), so no AVX2 instruction can leak into code that runs
// on a CPU without it.
#include <immintrin.h>

#include "framework/backend/raster/raster_loops.h"

namespace {

struct Vec8 {
    __m256i zero, alphaMask, c255, m;
};

inline Vec8 MakeVec8(const Blend& b) {
    Vec8 v;
    v.zero = _mm256_setzero_si256();
    v.alphaMask = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    v.c255 = _mm256_set1_epi16(255);
    const short a = static_cast<short>(b.m[0]), r = static_cast<short>(b.m[1]);
    const short g = static_cast<short>(b.m[2]), bl = static_cast<short>(b.m[3]);
    v.m = _mm256_set_epi16(a, r, g, bl, a, r, g, bl, a, r, g, bl, a, r, g, bl);
    return v;
}

// div255 is mulhi(x + 128, 257).
inline __m256i Div255x16(__m256i x) {
    return _mm256_mulhi_epu16(_mm256_add_epi16(x, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

// Modes 0 and 1: D' = C + div255(D × (255 − A)), alpha too.
template <bool MOD>
inline void Over8(uint32_t* d, __m256i sv, const Vec8& v) {
    const __m256i sa = _mm256_and_si256(sv, v.alphaMask);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(sa, v.zero)) == -1) return;   // all transparent
    if (!MOD && _mm256_movemask_epi8(_mm256_cmpeq_epi32(sa, v.alphaMask)) == -1) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), sv);                // all opaque
        return;
    }
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
    __m256i slo = _mm256_unpacklo_epi8(sv, v.zero), shi = _mm256_unpackhi_epi8(sv, v.zero);
    if (MOD) {
        slo = Div255x16(_mm256_mullo_epi16(slo, v.m));
        shi = Div255x16(_mm256_mullo_epi16(shi, v.m));
    }
    const __m256i alo = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(slo, 0xFF), 0xFF);
    const __m256i ahi = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(shi, 0xFF), 0xFF);
    const __m256i dlo =
        Div255x16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(dv, v.zero), _mm256_sub_epi16(v.c255, alo)));
    const __m256i dhi =
        Div255x16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(dv, v.zero), _mm256_sub_epi16(v.c255, ahi)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d),
                        _mm256_packus_epi16(_mm256_add_epi16(slo, dlo), _mm256_add_epi16(shi, dhi)));
}

// Modes 2 and 5: D' = min(255, D + C), alpha too.
template <bool MOD>
inline void Add8(uint32_t* d, __m256i sv, const Vec8& v) {
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(sv, v.alphaMask), v.zero)) == -1) return;
    if (MOD) {
        const __m256i slo = Div255x16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(sv, v.zero), v.m));
        const __m256i shi = Div255x16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(sv, v.zero), v.m));
        sv = _mm256_packus_epi16(slo, shi);
    }
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_adds_epu8(dv, sv));
}

template <int OP, bool MOD>
inline void Blend8(uint32_t* d, __m256i sv, const Vec8& v) {
    if (OP == OP_OVER) Over8<MOD>(d, sv, v);
    else Add8<MOD>(d, sv, v);
}

// The last one to seven pixels: lanes past n load as transparent pixels,
// which leave the target unchanged, and are not stored back.
inline __m256i TailMask(int n) { return _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_set_epi32(7, 6, 5, 4, 3, 2, 1, 0)); }

template <int OP, bool MOD>
inline void BlendTail8(uint32_t* d, __m256i sv, __m256i mask, const Vec8& v) {
    alignas(32) uint32_t dst[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(dst), _mm256_maskload_epi32(reinterpret_cast<const int*>(d), mask));
    Blend8<OP, MOD>(dst, sv, v);
    _mm256_maskstore_epi32(reinterpret_cast<int*>(d), mask, _mm256_load_si256(reinterpret_cast<const __m256i*>(dst)));
}

template <int OP, bool MOD>
void Span8(uint32_t* d, const uint32_t* s, int n, const Blend& b) {
    const Vec8 v = MakeVec8(b);
    int i = 0;
    for (; i + 8 <= n; i += 8) Blend8<OP, MOD>(d + i, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i)), v);
    if (i < n) {
        const __m256i mask = TailMask(n - i);
        BlendTail8<OP, MOD>(d + i, _mm256_maskload_epi32(reinterpret_cast<const int*>(s + i), mask), mask, v);
    }
}

// Eight positions per vector; x + y × pitch from one multiply-add of 16-bit
// pairs (images are at most 16384 wide and high), the texels gathered.
template <int OP, bool MOD>
void Fused8(uint32_t* d, int n, const Surface& src, Stepper& st, const Blend& b) {
    const Vec8 v = MakeVec8(b);
    const int* const pixels = reinterpret_cast<const int*>(src.pixels);
    const int pitch = src.pitch;
    uint32_t u = st.u, w = st.v;
    const uint32_t du = st.du, dv = st.dv;
    const __m256i steps = _mm256_set_epi32(7, 6, 5, 4, 3, 2, 1, 0);
    __m256i U = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(u)),
                                 _mm256_mullo_epi32(steps, _mm256_set1_epi32(static_cast<int>(du))));
    __m256i V = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(w)),
                                 _mm256_mullo_epi32(steps, _mm256_set1_epi32(static_cast<int>(dv))));
    const __m256i du8 = _mm256_set1_epi32(static_cast<int>(8 * du)), dv8 = _mm256_set1_epi32(static_cast<int>(8 * dv));
    const __m256i rowPitch = _mm256_set1_epi32(pitch << 16 | 1), low = _mm256_set1_epi32(0xFFFF);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i xy = _mm256_or_si256(_mm256_and_si256(_mm256_srai_epi32(U, 16), low),
                                           _mm256_slli_epi32(_mm256_srai_epi32(V, 16), 16));
        const __m256i idx = _mm256_madd_epi16(xy, rowPitch);
        Blend8<OP, MOD>(d + i, _mm256_i32gather_epi32(pixels, idx, 4), v);
        U = _mm256_add_epi32(U, du8);
        V = _mm256_add_epi32(V, dv8);
    }
    if (i < n) {   // the texels of lanes past n are not read
        const __m256i mask = TailMask(n - i);
        const __m256i xy = _mm256_or_si256(_mm256_and_si256(_mm256_srai_epi32(U, 16), low),
                                           _mm256_slli_epi32(_mm256_srai_epi32(V, 16), 16));
        const __m256i idx = _mm256_madd_epi16(xy, rowPitch);
        BlendTail8<OP, MOD>(d + i, _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), pixels, idx, mask, 4), mask, v);
    }
    st.u = u + static_cast<uint32_t>(n) * du;
    st.v = w + static_cast<uint32_t>(n) * dv;
}

// Per-pixel weights (one in each 32-bit lane) as 16-bit channel weights
// for the unpacked pixels: `lo` for pixels 0, 1 (4, 5), `hi` for 2, 3 (6, 7).
inline void Weights(__m256i f, __m256i* lo, __m256i* hi) {
    const __m256i pair = _mm256_or_si256(f, _mm256_slli_epi32(f, 16));
    *lo = _mm256_unpacklo_epi32(pair, pair);
    *hi = _mm256_unpackhi_epi32(pair, pair);
}

// Per channel (a × (256 − f) + b × f) >> 8 for 8-bit a and b, computed as
// a + floor((b − a) × f / 256), the same integer (256 × a does not move the
// floor), with one signed multiply-high: (2 × (b − a)) × (f << 7) >> 16.
// `w` holds f << 7.
inline __m256i Mix(__m256i a, __m256i b, __m256i w) {
    return _mm256_add_epi16(a, _mm256_mulhi_epi16(_mm256_slli_epi16(_mm256_sub_epi16(b, a), 1), w));
}

// The weights f << 7 of fixed-point positions (f: the 8 bits below the point).
inline __m256i Fraction7(__m256i p) { return _mm256_and_si256(_mm256_srli_epi32(p, 1), _mm256_set1_epi32(255 << 7)); }

// Bilinear sampling eight pixels at a time: edge taps clamped, down the
// columns first and then across, each step truncating with 8-bit weights
// (texel centres at +0.5): per channel (a × (256 − f) + b × f) >> 8, as the
// scalar reference computes it. For sources two or more texels wide each
// row's two taps are read as one 64-bit pair (texels s and s + 1,
// s = min(xa, width − 2)): half the gathered elements, which is what the loop
// waits on. Where the taps are clamped onto one texel (left and right edges)
// the pair's other half is not used: xa > s only at the right edge (both taps
// the pair's high half), xb = s only at the left edge (both its low half).
// Sources one texel wide gather each tap alone.
struct BilinearSampler {
    const int* pixels;
    __m256i U, V, du8, dv8, half, one, zero, wm, hm, pairMax, rowPitch, order;

    BilinearSampler(const Surface& src, const Stepper& st) {
        pixels = reinterpret_cast<const int*>(src.pixels);
        const __m256i steps = _mm256_set_epi32(7, 6, 5, 4, 3, 2, 1, 0);
        U = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(st.u)),
                             _mm256_mullo_epi32(steps, _mm256_set1_epi32(static_cast<int>(st.du))));
        V = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(st.v)),
                             _mm256_mullo_epi32(steps, _mm256_set1_epi32(static_cast<int>(st.dv))));
        du8 = _mm256_set1_epi32(static_cast<int>(8 * st.du));
        dv8 = _mm256_set1_epi32(static_cast<int>(8 * st.dv));
        half = _mm256_set1_epi32(32768);
        one = _mm256_set1_epi32(1);
        zero = _mm256_setzero_si256();
        wm = _mm256_set1_epi32(src.width - 1);
        hm = _mm256_set1_epi32(src.height - 1);
        pairMax = _mm256_set1_epi32(src.width - 2);
        rowPitch = _mm256_set1_epi32(src.pitch);
        // Lanes 0, 1, 4, 5 gathered first and 2, 3, 6, 7 second, so that one
        // shuffle of the two halves puts the eight low (high) texels in order.
        order = _mm256_set_epi32(7, 6, 3, 2, 5, 4, 1, 0);
    }

    // The next eight samples (premultiplied), stepping on. Inlined into the
    // loops, so that the constants above stay in registers.
    template <bool PAIRS>
    __attribute__((always_inline)) __m256i Next() {
        const __m256i uu = _mm256_sub_epi32(U, half), vv = _mm256_sub_epi32(V, half);
        const __m256i x0 = _mm256_srai_epi32(uu, 16), y0 = _mm256_srai_epi32(vv, 16);
        const __m256i xa = _mm256_min_epi32(_mm256_max_epi32(x0, zero), wm);
        const __m256i xb = _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(x0, one), zero), wm);
        const __m256i ra = _mm256_mullo_epi32(_mm256_min_epi32(_mm256_max_epi32(y0, zero), hm), rowPitch);
        const __m256i rb =
            _mm256_mullo_epi32(_mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(y0, one), zero), hm), rowPitch);
        __m256i p00, p01, p10, p11;
        if (PAIRS) {
            const long long* const pairs = reinterpret_cast<const long long*>(pixels);
            const __m256i s = _mm256_min_epi32(xa, pairMax);
            const __m256i ia = _mm256_permutevar8x32_epi32(_mm256_add_epi32(ra, s), order);
            const __m256i ib = _mm256_permutevar8x32_epi32(_mm256_add_epi32(rb, s), order);
            const __m256 a0 = _mm256_castsi256_ps(_mm256_i32gather_epi64(pairs, _mm256_castsi256_si128(ia), 4));
            const __m256 a1 = _mm256_castsi256_ps(_mm256_i32gather_epi64(pairs, _mm256_extracti128_si256(ia, 1), 4));
            const __m256 b0 = _mm256_castsi256_ps(_mm256_i32gather_epi64(pairs, _mm256_castsi256_si128(ib), 4));
            const __m256 b1 = _mm256_castsi256_ps(_mm256_i32gather_epi64(pairs, _mm256_extracti128_si256(ib, 1), 4));
            const __m256i aLow = _mm256_castps_si256(_mm256_shuffle_ps(a0, a1, _MM_SHUFFLE(2, 0, 2, 0)));
            const __m256i aHigh = _mm256_castps_si256(_mm256_shuffle_ps(a0, a1, _MM_SHUFFLE(3, 1, 3, 1)));
            const __m256i bLow = _mm256_castps_si256(_mm256_shuffle_ps(b0, b1, _MM_SHUFFLE(2, 0, 2, 0)));
            const __m256i bHigh = _mm256_castps_si256(_mm256_shuffle_ps(b0, b1, _MM_SHUFFLE(3, 1, 3, 1)));
            const __m256i rightEdge = _mm256_cmpgt_epi32(xa, s), leftEdge = _mm256_cmpeq_epi32(xb, s);
            p00 = _mm256_blendv_epi8(aLow, aHigh, rightEdge);
            p01 = _mm256_blendv_epi8(aHigh, aLow, leftEdge);
            p10 = _mm256_blendv_epi8(bLow, bHigh, rightEdge);
            p11 = _mm256_blendv_epi8(bHigh, bLow, leftEdge);
        } else {
            p00 = _mm256_i32gather_epi32(pixels, _mm256_add_epi32(ra, xa), 4);
            p01 = _mm256_i32gather_epi32(pixels, _mm256_add_epi32(ra, xb), 4);
            p10 = _mm256_i32gather_epi32(pixels, _mm256_add_epi32(rb, xa), 4);
            p11 = _mm256_i32gather_epi32(pixels, _mm256_add_epi32(rb, xb), 4);
        }
        __m256i fyLo, fyHi, fxLo, fxHi;
        Weights(Fraction7(vv), &fyLo, &fyHi);
        Weights(Fraction7(uu), &fxLo, &fxHi);
        const __m256i leftLo = Mix(_mm256_unpacklo_epi8(p00, zero), _mm256_unpacklo_epi8(p10, zero), fyLo);
        const __m256i leftHi = Mix(_mm256_unpackhi_epi8(p00, zero), _mm256_unpackhi_epi8(p10, zero), fyHi);
        const __m256i rightLo = Mix(_mm256_unpacklo_epi8(p01, zero), _mm256_unpacklo_epi8(p11, zero), fyLo);
        const __m256i rightHi = Mix(_mm256_unpackhi_epi8(p01, zero), _mm256_unpackhi_epi8(p11, zero), fyHi);
        U = _mm256_add_epi32(U, du8);
        V = _mm256_add_epi32(V, dv8);
        return _mm256_packus_epi16(Mix(leftLo, rightLo, fxLo), Mix(leftHi, rightHi, fxHi));
    }
};

// Writes up to 7 pixels past n: the last step's extra lanes are computed from
// clamped taps like the others and land in the buffer's slack.
template <bool PAIRS>
void SampleRow(uint32_t* out, int n, BilinearSampler& sampler) {
    for (int i = 0; i < n; i += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), sampler.template Next<PAIRS>());
}

void Bilinear8(uint32_t* out, int n, const Surface& src, Stepper& st) {
    BilinearSampler sampler(src, st);
    if (src.width >= 2) SampleRow<true>(out, n, sampler);
    else SampleRow<false>(out, n, sampler);
    st.u += static_cast<uint32_t>(n) * st.du;
    st.v += static_cast<uint32_t>(n) * st.dv;
}

// Bilinear sampling fused with the blend, as Bilinear8 and then Span8 compute
// it, without the samples' round trip through memory.
template <int OP, bool MOD, bool PAIRS>
void BlendRow(uint32_t* d, int n, BilinearSampler& sampler, const Vec8& v) {
    int i = 0;
    for (; i + 8 <= n; i += 8) Blend8<OP, MOD>(d + i, sampler.template Next<PAIRS>(), v);
    if (i < n) {
        const __m256i mask = TailMask(n - i);
        BlendTail8<OP, MOD>(d + i, _mm256_and_si256(sampler.template Next<PAIRS>(), mask), mask, v);
    }
}

template <int OP, bool MOD>
void BilinearFused8(uint32_t* d, int n, const Surface& src, Stepper& st, const Blend& b) {
    const Vec8 v = MakeVec8(b);
    BilinearSampler sampler(src, st);
    if (src.width >= 2) BlendRow<OP, MOD, true>(d, n, sampler, v);
    else BlendRow<OP, MOD, false>(d, n, sampler, v);
    st.u += static_cast<uint32_t>(n) * st.du;
    st.v += static_cast<uint32_t>(n) * st.dv;
}

} // namespace

SampleFn RasterAvx2Bilinear(void) { return Bilinear8; }

SpanFn RasterAvx2Span(int op, bool modulate) {
    if (op == OP_OVER) return modulate ? Span8<OP_OVER, true> : Span8<OP_OVER, false>;
    if (op == OP_ADD) return modulate ? Span8<OP_ADD, true> : Span8<OP_ADD, false>;
    return nullptr;
}

FusedFn RasterAvx2BilinearFused(int op, bool modulate) {
    if (op == OP_OVER) return modulate ? BilinearFused8<OP_OVER, true> : BilinearFused8<OP_OVER, false>;
    if (op == OP_ADD) return modulate ? BilinearFused8<OP_ADD, true> : BilinearFused8<OP_ADD, false>;
    return nullptr;
}

FusedFn RasterAvx2Fused(int op, bool modulate) {
    if (op == OP_OVER) return modulate ? Fused8<OP_OVER, true> : Fused8<OP_OVER, false>;
    if (op == OP_ADD) return modulate ? Fused8<OP_ADD, true> : Fused8<OP_ADD, false>;
    return nullptr;
}
