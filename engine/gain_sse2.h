#pragma once
// The 16-bit gain with the rounded store, four samples at a time in SSE2 doubles: the same results
// as storeSampleInt16(x * factor) sample by sample, which handles every group holding a sample to
// clip (or NaN).
#include <emmintrin.h>

#include <cstddef>

#include "engine/sample_types.h"

inline void gainInt16Block(const i16u* in, i16u* out, size_t n, f64 factor, u32* flags) {
    const __m128d g = _mm_set1_pd(factor), half = _mm_set1_pd(0.5);
    const __m128d high = _mm_set1_pd(32767.0), low = _mm_set1_pd(-32767.0);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i x16 = _mm_loadl_epi64((const __m128i*)(in + i));
        __m128i x32 = _mm_srai_epi32(_mm_unpacklo_epi16(x16, x16), 16);
        __m128d a = _mm_mul_pd(_mm_cvtepi32_pd(x32), g);
        __m128d b = _mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(x32, 0xEE)), g);
        __m128d inside = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(a, low), _mm_cmple_pd(a, high)),
                                    _mm_and_pd(_mm_cmpge_pd(b, low), _mm_cmple_pd(b, high)));
        if (_mm_movemask_pd(inside) != 3) {
            for (size_t k = i; k < i + 4; ++k) storeSampleInt16(in[k] * factor, out + k, flags);
            continue;
        }
        // floor(y + 0.5): truncate, then one down where the truncation went up.
        a = _mm_add_pd(a, half);
        b = _mm_add_pd(b, half);
        __m128i ta = _mm_cvttpd_epi32(a), tb = _mm_cvttpd_epi32(b);
        __m128i upA = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpgt_pd(_mm_cvtepi32_pd(ta), a)), 0x08);
        __m128i upB = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpgt_pd(_mm_cvtepi32_pd(tb), b)), 0x08);
        __m128i t = _mm_unpacklo_epi64(_mm_add_epi32(ta, upA), _mm_add_epi32(tb, upB));
        _mm_storel_epi64((__m128i*)(out + i), _mm_packs_epi32(t, t));
    }
    for (; i < n; ++i) storeSampleInt16(in[i] * factor, out + i, flags);
}
