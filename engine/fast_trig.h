#pragma once
// Inline arc tangent, sine and cosine for the phase vocoder's bins, two at a time without branches or
// library calls: within a few units of the last place of the library's results (the tests hold them
// to it). Polynomials are near-minimax fits, evaluated in halves and quarters (short chains).
#include <emmintrin.h>

#include "core/types.h"

namespace fastTrig {
inline __m128d line(__m128d z, f64 a, f64 b) { return _mm_add_pd(_mm_set1_pd(a), _mm_mul_pd(_mm_set1_pd(b), z)); }
inline __m128d select(__m128d mask, __m128d yes, __m128d no) { return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no)); }
}  // namespace fastTrig

// atan2(y, x) in [-pi, pi] for each lane; 0 for (0, 0), with y's sign.
inline __m128d fastAtan2Pair(__m128d y, __m128d x) {
    using namespace fastTrig;
    const __m128d signBit = _mm_set1_pd(-0.0), zero = _mm_setzero_pd();
    const __m128d ay = _mm_andnot_pd(signBit, y), ax = _mm_andnot_pd(signBit, x);
    const __m128d steep = _mm_cmpgt_pd(ay, ax);
    const __m128d num = _mm_min_pd(ay, ax);
    __m128d den = _mm_max_pd(ay, ax);
    den = _mm_or_pd(den, _mm_and_pd(_mm_cmpeq_pd(den, zero), _mm_set1_pd(1.0)));  // (0, 0) gives 0
    // Above tan(pi/8) the arc tangent of (num - den) / (num + den), plus pi/4: |t| <= tan(pi/8).
    const __m128d big = _mm_cmpgt_pd(num, _mm_mul_pd(_mm_set1_pd(0.41421356237309503), den));
    const __m128d t = _mm_div_pd(_mm_sub_pd(num, _mm_and_pd(big, den)), _mm_add_pd(den, _mm_and_pd(big, num)));
    // atan t = t + t z g(z), z = t^2: degree 10, error under 1e-17.
    const __m128d z = _mm_mul_pd(t, t), z2 = _mm_mul_pd(z, z), z4 = _mm_mul_pd(z2, z2), z8 = _mm_mul_pd(z4, z4);
    const __m128d g0 = _mm_add_pd(line(z, -3.33333333333333315e-01, 1.99999999999955214e-01),
                                  _mm_mul_pd(z2, line(z, -1.42857142846665425e-01, 1.11111110152563614e-01)));
    const __m128d g1 = _mm_add_pd(line(z, -9.09090457812390257e-02, 7.69218319082608654e-02),
                                  _mm_mul_pd(z2, line(z, -6.66451144738194751e-02, 5.85814891280221003e-02)));
    const __m128d g2 = _mm_add_pd(line(z, -5.08544973794025981e-02, 3.92316582955871893e-02),
                                  _mm_mul_pd(z2, _mm_set1_pd(-1.91768871190622602e-02)));
    const __m128d g = _mm_add_pd(_mm_add_pd(g0, _mm_mul_pd(z4, g1)), _mm_mul_pd(z8, g2));
    // pi/4 and pi/2 as a double and the rest.
    const f64 quarter = 0.78539816339744830962, moreBits = 6.123233995736765886130e-17;
    const __m128d base = _mm_and_pd(big, _mm_set1_pd(quarter)), extra = _mm_and_pd(big, _mm_set1_pd(0.5 * moreBits));
    __m128d a = _mm_add_pd(base, _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_mul_pd(t, z), g), t), extra));
    a = select(steep, _mm_sub_pd(_mm_set1_pd(2 * quarter + moreBits), a), a);
    a = select(_mm_cmplt_pd(x, zero), _mm_sub_pd(_mm_set1_pd(3.14159265358979323846), a), a);
    return _mm_xor_pd(a, _mm_and_pd(y, signBit));
}

// sin x and cos x for each lane, |x| < 2^30.
inline void fastSinCosPair(__m128d x, __m128d* s, __m128d* c) {
    using namespace fastTrig;
    // x = q pi/2 + r, |r| <= pi/4; pi/2 in three parts, the first two short enough that their
    // products with q are exact.
    const __m128i q = _mm_cvtpd_epi32(_mm_mul_pd(x, _mm_set1_pd(0.63661977236758134308)));  // to nearest
    const __m128d qd = _mm_cvtepi32_pd(q);
    __m128d r = _mm_sub_pd(x, _mm_mul_pd(qd, _mm_set1_pd(1.57079625129699707031)));
    r = _mm_sub_pd(r, _mm_mul_pd(qd, _mm_set1_pd(7.54978941586159635336e-8)));
    r = _mm_sub_pd(r, _mm_mul_pd(qd, _mm_set1_pd(5.39030285815811905290e-15)));
    // sin r = r + r z S(z), cos r = 1 - z/2 + z^2 C(z), z = r^2; S and C of degree 5, errors under 1e-17.
    const __m128d z = _mm_mul_pd(r, r), z2 = _mm_mul_pd(z, z), z4 = _mm_mul_pd(z2, z2);
    const __m128d sp = _mm_add_pd(_mm_add_pd(line(z, -1.66666666666666657e-01, 8.33333333333094797e-03),
                                             _mm_mul_pd(z2, line(z, -1.98412698367585736e-04, 2.75573161025524389e-06))),
                                  _mm_mul_pd(z4, line(z, -2.50511318450036243e-08, 1.59181292948666079e-10)));
    const __m128d cp = _mm_add_pd(_mm_add_pd(line(z, 4.16666666666666644e-02, -1.38888888888873976e-03),
                                             _mm_mul_pd(z2, line(z, 2.48015872987656891e-05, -2.75573172717297931e-07))),
                                  _mm_mul_pd(z4, line(z, 2.08761462684031992e-09, -1.13826324255217172e-11)));
    const __m128d sr = _mm_add_pd(r, _mm_mul_pd(_mm_mul_pd(r, z), sp));
    const __m128d cr = _mm_add_pd(_mm_sub_pd(_mm_set1_pd(1.0), _mm_mul_pd(_mm_set1_pd(0.5), z)), _mm_mul_pd(z2, cp));
    // Quadrant q: odd ones swap sine and cosine; the sine is negative in quadrants 2 and 3, the
    // cosine in 1 and 2. Each q is spread over both halves of its 64-bit lane.
    const __m128i wide = _mm_shuffle_epi32(q, _MM_SHUFFLE(1, 1, 0, 0));
    const __m128d swap = _mm_castsi128_pd(_mm_cmpeq_epi32(_mm_and_si128(wide, _mm_set1_epi32(1)), _mm_set1_epi32(1)));
    const __m128i high = _mm_set_epi32((int)0x80000000, 0, (int)0x80000000, 0);
    const __m128d sinSign = _mm_castsi128_pd(_mm_and_si128(_mm_slli_epi32(wide, 30), high));
    const __m128d cosSign = _mm_castsi128_pd(_mm_and_si128(_mm_slli_epi32(_mm_add_epi32(wide, _mm_set1_epi32(1)), 30), high));
    *s = _mm_xor_pd(select(swap, cr, sr), sinSign);
    *c = _mm_xor_pd(select(swap, sr, cr), cosSign);
}
