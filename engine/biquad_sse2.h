#pragma once
// Two biquad sections side by side in SSE2 doubles: two recursions overlap where one alone waits on
// its previous output. Same results as biquadStep on each.
#include <emmintrin.h>

#include <cstddef>

#include "engine/biquad.h"

// n steps: in(size_t i) -> __m128d gives the inputs of step i {first section's, second's}, and
// out(size_t i, __m128d y) takes their outputs; a stretch of inputs is read before its outputs are
// given. The sections' clip markers are set as biquadStep sets them.
template <class In, class Out>
inline void biquadRunPair(BiquadState& s, BiquadState& t, size_t n, In in, Out out) {
    const __m128d b0 = _mm_set_pd(t.b0, s.b0), b1 = _mm_set_pd(t.b1, s.b1), b2 = _mm_set_pd(t.b2, s.b2);
    const __m128d a1 = _mm_set_pd(t.a1, s.a1), a2 = _mm_set_pd(t.a2, s.a2);
    const __m128d high = _mm_set_pd(t.limit, s.limit), low = _mm_sub_pd(_mm_setzero_pd(), high);
    __m128d x1 = _mm_set_pd(t.x1, s.x1), x2 = _mm_set_pd(t.x2, s.x2);
    __m128d y1 = _mm_set_pd(t.y1, s.y1), y2 = _mm_set_pd(t.y2, s.y2);
    __m128d over = _mm_setzero_pd();
    // The feed-forward sums of a stretch first, then the recursion alone: few values stay live
    // across the recursion, so its outputs stay in registers.
    const size_t stretch = 64;
    __m128d forward[stretch];
    for (size_t from = 0; from < n; from += stretch) {
        const size_t m = n - from < stretch ? n - from : stretch;
        for (size_t k = 0; k < m; ++k) {
            const __m128d x = in(from + k);
            forward[k] = _mm_add_pd(_mm_add_pd(_mm_mul_pd(b0, x), _mm_mul_pd(b1, x1)), _mm_mul_pd(b2, x2));
            x2 = x1;
            x1 = x;
        }
        for (size_t k = 0; k < m; ++k) {
            const __m128d y = _mm_sub_pd(_mm_sub_pd(forward[k], _mm_mul_pd(a2, y2)), _mm_mul_pd(a1, y1));
            y2 = y1;
            y1 = y;
            over = _mm_or_pd(over, _mm_or_pd(_mm_cmplt_pd(y, low), _mm_cmpgt_pd(y, high)));
            out(from + k, y);
        }
    }
    _mm_storel_pd(&s.x1, x1), _mm_storeh_pd(&t.x1, x1);
    _mm_storel_pd(&s.x2, x2), _mm_storeh_pd(&t.x2, x2);
    _mm_storel_pd(&s.y1, y1), _mm_storeh_pd(&t.y1, y1);
    _mm_storel_pd(&s.y2, y2), _mm_storeh_pd(&t.y2, y2);
    const int marks = _mm_movemask_pd(over);
    if ((marks & 1) && s.clipMarker) *s.clipMarker = 1;
    if ((marks & 2) && t.clipMarker) *t.clipMarker = 1;
}
