#pragma once
// Inline arc tangent, sine and cosine for the phase vocoder's bins: no library calls, within a few
// units of the last place of the library's results (the tests hold them to it).
#include <emmintrin.h>

#include "core/types.h"
#include "engine/sample_types.h"

// atan2(y, x) in [-pi, pi]; 0 for (0, 0).
inline f64 fastAtan2(f64 y, f64 x) {
    const f64 pi = 3.14159265358979323846, quarter = 0.78539816339744830962, moreBits = 6.123233995736765886130e-17;
    const f64 ay = y < 0 ? -y : y, ax = x < 0 ? -x : x;
    if (ax == 0 && ay == 0) return 0.0;
    // atan of t = min/max in [0, 1]: tan(3 pi / 8) never needs the reduction by pi/2 here.
    const bool steep = ay > ax;
    f64 t = steep ? ax / ay : ay / ax, base = 0.0, extra = 0.0;
    if (t > 0.66) {
        base = quarter;
        extra = 0.5 * moreBits;
        t = (t - 1) / (t + 1);
    }
    const f64 z = t * t;
    const f64 p = (((-8.750608600031904122785e-1 * z - 1.615753718733365076637e1) * z - 7.500855792314704667340e1) * z -
                   1.228866684490136173410e2) * z - 6.485021904942025371773e1;
    const f64 q = ((((z + 2.485846490142306297962e1) * z + 1.650270098316988542046e2) * z + 4.328810604912902668951e2) * z +
                   4.853903996359136964868e2) * z + 1.945506571482613964425e2;
    f64 a = base + (t * (z * p / q) + t + extra);
    if (steep) a = 2 * quarter + moreBits - a;
    if (x < 0) a = pi - a;
    return y < 0 ? -a : a;
}

// sin x and cos x for |x| < 2^30.
inline void fastSinCos(f64 x, f64* s, f64* c) {
    // pi/2 in three parts, the first two short enough that their products with q are exact.
    const f64 twoOverPi = 0.63661977236758134308, part1 = 1.57079625129699707031, part2 = 7.54978941586159635336e-8,
              part3 = 5.39030285815811905290e-15;
    const i32 q = floorSmall(x * twoOverPi + 0.5);
    const f64 r = ((x - q * part1) - q * part2) - q * part3;
    const f64 z = r * r;
    // Taylor series to r^15 and r^16: |r| <= pi/4 leaves less than 1e-16.
    const f64 sr = r + r * z * (-1.0 / 6 + z * (1.0 / 120 + z * (-1.0 / 5040 + z * (1.0 / 362880 +
                                z * (-1.0 / 39916800 + z * (1.0 / 6227020800 + z * (-1.0 / 1307674368000.0)))))));
    const f64 cr = 1 + z * (-0.5 + z * (1.0 / 24 + z * (-1.0 / 720 + z * (1.0 / 40320 + z * (-1.0 / 3628800 +
                                z * (1.0 / 479001600 + z * (-1.0 / 87178291200.0 + z / 20922789888000.0)))))));
    switch (q & 3) {
    case 0: *s = sr, *c = cr; break;
    case 1: *s = cr, *c = -sr; break;
    case 2: *s = -sr, *c = -cr; break;
    default: *s = -cr, *c = sr; break;
    }
}

// The same two at a time, without branches.
inline __m128d fastAtan2Pair(__m128d y, __m128d x) {
    const __m128d signBit = _mm_set1_pd(-0.0), zero = _mm_setzero_pd();
    const __m128d ay = _mm_andnot_pd(signBit, y), ax = _mm_andnot_pd(signBit, x);
    const __m128d steep = _mm_cmpgt_pd(ay, ax);
    __m128d num = _mm_min_pd(ay, ax), den = _mm_max_pd(ay, ax);
    den = _mm_or_pd(den, _mm_and_pd(_mm_cmpeq_pd(den, zero), _mm_set1_pd(1.0)));  // (0, 0) gives 0
    // Above 0.66 the arc tangent of (t - 1) / (t + 1), plus pi/4.
    const __m128d big = _mm_cmpgt_pd(num, _mm_mul_pd(_mm_set1_pd(0.66), den));
    const __m128d tn = _mm_or_pd(_mm_andnot_pd(big, num), _mm_and_pd(big, _mm_sub_pd(num, den)));
    const __m128d td = _mm_or_pd(_mm_andnot_pd(big, den), _mm_and_pd(big, _mm_add_pd(num, den)));
    const __m128d t = _mm_div_pd(tn, td), z = _mm_mul_pd(t, t);
    __m128d p = _mm_set1_pd(-8.750608600031904122785e-1);
    p = _mm_sub_pd(_mm_mul_pd(p, z), _mm_set1_pd(1.615753718733365076637e1));
    p = _mm_sub_pd(_mm_mul_pd(p, z), _mm_set1_pd(7.500855792314704667340e1));
    p = _mm_sub_pd(_mm_mul_pd(p, z), _mm_set1_pd(1.228866684490136173410e2));
    p = _mm_sub_pd(_mm_mul_pd(p, z), _mm_set1_pd(6.485021904942025371773e1));
    __m128d q = _mm_add_pd(z, _mm_set1_pd(2.485846490142306297962e1));
    q = _mm_add_pd(_mm_mul_pd(q, z), _mm_set1_pd(1.650270098316988542046e2));
    q = _mm_add_pd(_mm_mul_pd(q, z), _mm_set1_pd(4.328810604912902668951e2));
    q = _mm_add_pd(_mm_mul_pd(q, z), _mm_set1_pd(4.853903996359136964868e2));
    q = _mm_add_pd(_mm_mul_pd(q, z), _mm_set1_pd(1.945506571482613964425e2));
    const f64 quarter = 0.78539816339744830962, moreBits = 6.123233995736765886130e-17;
    const __m128d base = _mm_and_pd(big, _mm_set1_pd(quarter)), extra = _mm_and_pd(big, _mm_set1_pd(0.5 * moreBits));
    __m128d a = _mm_add_pd(base, _mm_add_pd(_mm_add_pd(_mm_mul_pd(t, _mm_div_pd(_mm_mul_pd(z, p), q)), t), extra));
    const __m128d flipped = _mm_sub_pd(_mm_set1_pd(2 * quarter + moreBits), a);
    a = _mm_or_pd(_mm_andnot_pd(steep, a), _mm_and_pd(steep, flipped));
    const __m128d left = _mm_cmplt_pd(x, zero);
    a = _mm_or_pd(_mm_andnot_pd(left, a), _mm_and_pd(left, _mm_sub_pd(_mm_set1_pd(3.14159265358979323846), a)));
    return _mm_xor_pd(a, _mm_and_pd(y, signBit));
}

inline void fastSinCosPair(__m128d x, __m128d* s, __m128d* c) {
    const __m128i q = _mm_cvtpd_epi32(_mm_mul_pd(x, _mm_set1_pd(0.63661977236758134308)));  // to nearest
    const __m128d qd = _mm_cvtepi32_pd(q);
    __m128d r = _mm_sub_pd(x, _mm_mul_pd(qd, _mm_set1_pd(1.57079625129699707031)));
    r = _mm_sub_pd(r, _mm_mul_pd(qd, _mm_set1_pd(7.54978941586159635336e-8)));
    r = _mm_sub_pd(r, _mm_mul_pd(qd, _mm_set1_pd(5.39030285815811905290e-15)));
    const __m128d z = _mm_mul_pd(r, r);
    __m128d sp = _mm_set1_pd(-1.0 / 1307674368000.0);
    for (f64 k : {1.0 / 6227020800, -1.0 / 39916800, 1.0 / 362880, -1.0 / 5040, 1.0 / 120, -1.0 / 6})
        sp = _mm_add_pd(_mm_mul_pd(sp, z), _mm_set1_pd(k));
    const __m128d sr = _mm_add_pd(r, _mm_mul_pd(_mm_mul_pd(r, z), sp));
    __m128d cp = _mm_set1_pd(1.0 / 20922789888000.0);
    for (f64 k : {-1.0 / 87178291200.0, 1.0 / 479001600, -1.0 / 3628800, 1.0 / 40320, -1.0 / 720, 1.0 / 24, -0.5, 1.0})
        cp = _mm_add_pd(_mm_mul_pd(cp, z), _mm_set1_pd(k));
    // Quadrant q: odd ones swap sine and cosine; the sine is negative in quadrants 2 and 3, the
    // cosine in 1 and 2. Each q is spread over both halves of its 64-bit lane.
    const __m128i wide = _mm_shuffle_epi32(q, _MM_SHUFFLE(1, 1, 0, 0));
    const __m128d swap = _mm_castsi128_pd(_mm_cmpeq_epi32(_mm_and_si128(wide, _mm_set1_epi32(1)), _mm_set1_epi32(1)));
    const __m128i high = _mm_set_epi32((int)0x80000000, 0, (int)0x80000000, 0);
    const __m128d sinSign = _mm_castsi128_pd(_mm_and_si128(_mm_slli_epi32(wide, 30), high));
    const __m128d cosSign = _mm_castsi128_pd(_mm_and_si128(_mm_slli_epi32(_mm_add_epi32(wide, _mm_set1_epi32(1)), 30), high));
    *s = _mm_xor_pd(_mm_or_pd(_mm_andnot_pd(swap, sr), _mm_and_pd(swap, cp)), sinSign);
    *c = _mm_xor_pd(_mm_or_pd(_mm_andnot_pd(swap, cp), _mm_and_pd(swap, sr)), cosSign);
}
