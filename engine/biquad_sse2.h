#pragma once
// Two biquad sections side by side in SSE2 doubles: two recursions overlap where one alone waits on
// its previous output. A step is split in two halves, the feed-forward sum and the recursion, so
// that a stretch can take all its feed-forward sums first and then run the recursion alone with its
// outputs in registers. Same results as biquadStep on each section.
#include <emmintrin.h>

#include <cstddef>

#include "engine/biquad.h"

// The feed-forward half: f = b0 x + b1 x1 + b2 x2, and the input history.
struct BiquadForwardPair {
    BiquadForwardPair(const BiquadState& s, const BiquadState& t)
        : b0(_mm_set_pd(t.b0, s.b0)),
          b1(_mm_set_pd(t.b1, s.b1)),
          b2(_mm_set_pd(t.b2, s.b2)),
          x1(_mm_set_pd(t.x1, s.x1)),
          x2(_mm_set_pd(t.x2, s.x2)) {}
    __m128d operator()(__m128d x) {
        const __m128d f = _mm_add_pd(_mm_add_pd(_mm_mul_pd(b0, x), _mm_mul_pd(b1, x1)), _mm_mul_pd(b2, x2));
        x2 = x1;
        x1 = x;
        return f;
    }
    void save(BiquadState& s, BiquadState& t) const {
        _mm_storel_pd(&s.x1, x1), _mm_storeh_pd(&t.x1, x1);
        _mm_storel_pd(&s.x2, x2), _mm_storeh_pd(&t.x2, x2);
    }
    const __m128d b0, b1, b2;
    __m128d x1, x2;
};

// The recursion: y = f - a2 y2 - a1 y1, the output history, and the clip markers.
struct BiquadBackPair {
    BiquadBackPair(const BiquadState& s, const BiquadState& t)
        : a1(_mm_set_pd(t.a1, s.a1)),
          a2(_mm_set_pd(t.a2, s.a2)),
          high(_mm_set_pd(t.limit, s.limit)),
          low(_mm_sub_pd(_mm_setzero_pd(), high)),
          y1(_mm_set_pd(t.y1, s.y1)),
          y2(_mm_set_pd(t.y2, s.y2)) {}
    __m128d operator()(__m128d f) {
        const __m128d y = _mm_sub_pd(_mm_sub_pd(f, _mm_mul_pd(a2, y2)), _mm_mul_pd(a1, y1));
        y2 = y1;
        y1 = y;
        over = _mm_or_pd(over, _mm_or_pd(_mm_cmplt_pd(y, low), _mm_cmpgt_pd(y, high)));
        return y;
    }
    void save(BiquadState& s, BiquadState& t) const {
        _mm_storel_pd(&s.y1, y1), _mm_storeh_pd(&t.y1, y1);
        _mm_storel_pd(&s.y2, y2), _mm_storeh_pd(&t.y2, y2);
        const int marks = _mm_movemask_pd(over);
        if ((marks & 1) && s.clipMarker) *s.clipMarker = 1;
        if ((marks & 2) && t.clipMarker) *t.clipMarker = 1;
    }
    const __m128d a1, a2, high, low;
    __m128d y1, y2;
    __m128d over = _mm_setzero_pd();
};

// n steps: in(size_t i) -> __m128d gives the inputs of step i {first section's, second's}, and
// out(size_t i, __m128d y) takes their outputs; a stretch of inputs is read before its outputs are
// given.
template <class In, class Out>
inline void biquadRunPair(BiquadState& s, BiquadState& t, size_t n, In in, Out out) {
    BiquadForwardPair forward(s, t);
    BiquadBackPair back(s, t);
    const size_t stretch = 64;
    __m128d sums[stretch];
    for (size_t from = 0; from < n; from += stretch) {
        const size_t m = n - from < stretch ? n - from : stretch;
        for (size_t k = 0; k < m; ++k) sums[k] = forward(in(from + k));
        for (size_t k = 0; k < m; ++k) out(from + k, back(sums[k]));
    }
    forward.save(s, t);
    back.save(s, t);
}
