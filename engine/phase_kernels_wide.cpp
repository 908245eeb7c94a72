// Four bins at a time: the two-wide bodies' polynomials and steps with 256-bit vectors and fused
// multiply-adds. Nothing here may be inlined into code built without AVX: only intrinsics and local
// helpers, no shared headers with inline functions.
#include "engine/phase_kernels_wide.h"

#include <immintrin.h>

#include <cstring>

namespace {
const f64 pi = 3.14159265358979323846, twoPi = 2 * pi;

inline __m256d set(f64 v) { return _mm256_set1_pd(v); }
// a + b z
inline __m256d line(__m256d z, f64 a, f64 b) { return _mm256_fmadd_pd(set(b), z, set(a)); }

// atan2(y, x) in [-pi, pi]; 0 for (0, 0), with y's sign.
inline __m256d atan2Wide(__m256d y, __m256d x) {
    const __m256d signBit = set(-0.0), zero = _mm256_setzero_pd();
    const __m256d ay = _mm256_andnot_pd(signBit, y), ax = _mm256_andnot_pd(signBit, x);
    const __m256d steep = _mm256_cmp_pd(ay, ax, _CMP_GT_OQ);
    const __m256d num = _mm256_min_pd(ay, ax);
    __m256d den = _mm256_max_pd(ay, ax);
    den = _mm256_or_pd(den, _mm256_and_pd(_mm256_cmp_pd(den, zero, _CMP_EQ_OQ), set(1.0)));
    const __m256d big = _mm256_cmp_pd(num, _mm256_mul_pd(set(0.41421356237309503), den), _CMP_GT_OQ);
    const __m256d t = _mm256_div_pd(_mm256_sub_pd(num, _mm256_and_pd(big, den)), _mm256_add_pd(den, _mm256_and_pd(big, num)));
    const __m256d z = _mm256_mul_pd(t, t), z2 = _mm256_mul_pd(z, z), z4 = _mm256_mul_pd(z2, z2), z8 = _mm256_mul_pd(z4, z4);
    const __m256d g0 = _mm256_fmadd_pd(z2, line(z, -1.42857142846665425e-01, 1.11111110152563614e-01),
                                       line(z, -3.33333333333333315e-01, 1.99999999999955214e-01));
    const __m256d g1 = _mm256_fmadd_pd(z2, line(z, -6.66451144738194751e-02, 5.85814891280221003e-02),
                                       line(z, -9.09090457812390257e-02, 7.69218319082608654e-02));
    const __m256d g2 = _mm256_fmadd_pd(z2, set(-1.91768871190622602e-02), line(z, -5.08544973794025981e-02, 3.92316582955871893e-02));
    const __m256d g = _mm256_fmadd_pd(z8, g2, _mm256_fmadd_pd(z4, g1, g0));
    const f64 quarter = 0.78539816339744830962, moreBits = 6.123233995736765886130e-17;
    const __m256d base = _mm256_and_pd(big, set(quarter)), extra = _mm256_and_pd(big, set(0.5 * moreBits));
    __m256d a = _mm256_add_pd(base, _mm256_add_pd(_mm256_fmadd_pd(_mm256_mul_pd(t, z), g, t), extra));
    a = _mm256_blendv_pd(a, _mm256_sub_pd(set(2 * quarter + moreBits), a), steep);
    a = _mm256_blendv_pd(a, _mm256_sub_pd(set(pi), a), _mm256_cmp_pd(x, zero, _CMP_LT_OQ));
    return _mm256_xor_pd(a, _mm256_and_pd(y, signBit));
}

// sin x and cos x, |x| < 2^30.
inline void sinCosWide(__m256d x, __m256d* s, __m256d* c) {
    const __m128i q = _mm256_cvtpd_epi32(_mm256_mul_pd(x, set(0.63661977236758134308)));  // to nearest
    const __m256d qd = _mm256_cvtepi32_pd(q);
    __m256d r = _mm256_fnmadd_pd(qd, set(1.57079625129699707031), x);
    r = _mm256_fnmadd_pd(qd, set(7.54978941586159635336e-8), r);
    r = _mm256_fnmadd_pd(qd, set(5.39030285815811905290e-15), r);
    const __m256d z = _mm256_mul_pd(r, r), z2 = _mm256_mul_pd(z, z), z4 = _mm256_mul_pd(z2, z2);
    const __m256d sp = _mm256_fmadd_pd(z4, line(z, -2.50511318450036243e-08, 1.59181292948666079e-10),
                                       _mm256_fmadd_pd(z2, line(z, -1.98412698367585736e-04, 2.75573161025524389e-06),
                                                       line(z, -1.66666666666666657e-01, 8.33333333333094797e-03)));
    const __m256d cp = _mm256_fmadd_pd(z4, line(z, 2.08761462684031992e-09, -1.13826324255217172e-11),
                                       _mm256_fmadd_pd(z2, line(z, 2.48015872987656891e-05, -2.75573172717297931e-07),
                                                       line(z, 4.16666666666666644e-02, -1.38888888888873976e-03)));
    const __m256d sr = _mm256_fmadd_pd(_mm256_mul_pd(r, z), sp, r);
    const __m256d cr = _mm256_fmadd_pd(z2, cp, _mm256_fnmadd_pd(set(0.5), z, set(1.0)));
    // Odd quadrants swap sine and cosine; bit 1 of q (of q + 1) is the sine's (the cosine's) sign.
    const __m256i wide = _mm256_cvtepi32_epi64(q), one = _mm256_set1_epi64x(1);
    const __m256d swap = _mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_and_si256(wide, one), one));
    const __m256i high = _mm256_set1_epi64x((long long)0x8000000000000000ull);
    const __m256d sinSign = _mm256_castsi256_pd(_mm256_and_si256(_mm256_slli_epi64(wide, 62), high));
    const __m256d cosSign = _mm256_castsi256_pd(_mm256_and_si256(_mm256_slli_epi64(_mm256_add_epi64(wide, one), 62), high));
    *s = _mm256_xor_pd(_mm256_blendv_pd(sr, cr, swap), sinSign);
    *c = _mm256_xor_pd(_mm256_blendv_pd(cr, sr, swap), cosSign);
}

#ifndef _WIN64
// 32-bit code cannot reach ymm8-15, and vzeroupper leaves their upper halves: some processors then
// keep the 256-bit state in use and run every SSE instruction after it slower (the vocoder's
// transforms took 35% longer). Restoring the AVX component to its initial state clears it; MXCSR is
// restored with it, so it gets its own value back.
inline void leaveWideState() {
    alignas(64) unsigned char area[576] = {};
    const unsigned csr = _mm_getcsr();
    memcpy(area + 24, &csr, sizeof csr);
    __asm__ volatile("xrstor %0" : : "m"(area), "a"(4), "d"(0)
                     : "memory", "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7");
}
#else
inline void leaveWideState() {}
#endif

// Bins k .. k + 3 of re, im pairs as a vector of real parts and one of imaginary parts.
inline void loadBins(const f64* x, __m256d* re, __m256d* im) {
    const __m256d a = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(x)), _mm_loadu_pd(x + 4), 1);
    const __m256d b = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(x + 2)), _mm_loadu_pd(x + 6), 1);
    *re = _mm256_unpacklo_pd(a, b);
    *im = _mm256_unpackhi_pd(a, b);
}
}  // namespace

void analyseBinsWide(const f64* x, u32 count, f64 expected, f64 binsPerRadian, f64* last, f64* mag, f64* bin) {
    const __m256d two = set(2.0), oneOverPi = set(1 / pi), piV = set(pi), expectedV = set(expected);
    const __m256d perRadian = set(binsPerRadian), four = set(4.0);
    const __m128i one = _mm_set1_epi32(1);
    __m256d kk = _mm256_set_pd(3, 2, 1, 0);
    for (u32 k = 0; k < count; k += 4, kk = _mm256_add_pd(kk, four)) {
        __m256d re, im;
        loadBins(x + 2 * k, &re, &im);
        _mm256_storeu_pd(mag + k, _mm256_mul_pd(two, _mm256_sqrt_pd(_mm256_fmadd_pd(re, re, _mm256_mul_pd(im, im)))));
        const __m256d phase = atan2Wide(im, re);
        __m256d d = _mm256_fnmadd_pd(kk, expectedV, _mm256_sub_pd(phase, _mm256_loadu_pd(last + k)));
        _mm256_storeu_pd(last + k, phase);
        // Into (-pi, pi]: q = d / pi toward zero, moved away from zero to the even number.
        __m128i q = _mm256_cvttpd_epi32(_mm256_mul_pd(d, oneOverPi));
        const __m128i negative = _mm_srai_epi32(q, 31);
        q = _mm_add_epi32(q, _mm_sub_epi32(_mm_xor_si128(_mm_and_si128(q, one), negative), negative));
        d = _mm256_fnmadd_pd(piV, _mm256_cvtepi32_pd(q), d);
        _mm256_storeu_pd(bin + k, _mm256_fmadd_pd(d, perRadian, kk));
    }
    leaveWideState();
}

void synthesiseBinsWide(const f64* synMagnitude, const f64* synBin, u32 count, f64 expected, f64 radiansPerBin,
                        f64* sum, f64* out) {
    const __m256d expectedV = set(expected), perBin = set(radiansPerBin), turn = set(twoPi), perTurn = set(1 / twoPi);
    const __m256d four = set(4.0);
    __m256d kk = _mm256_set_pd(3, 2, 1, 0);
    for (u32 k = 0; k < count; k += 4, kk = _mm256_add_pd(kk, four)) {
        __m256d phase = _mm256_add_pd(_mm256_loadu_pd(sum + k),
                                      _mm256_fmadd_pd(_mm256_sub_pd(_mm256_loadu_pd(synBin + k), kk), perBin,
                                                      _mm256_mul_pd(kk, expectedV)));
        phase = _mm256_fnmadd_pd(turn, _mm256_cvtepi32_pd(_mm256_cvtpd_epi32(_mm256_mul_pd(phase, perTurn))), phase);
        _mm256_storeu_pd(sum + k, phase);
        __m256d sine, cosine;
        sinCosWide(phase, &sine, &cosine);
        const __m256d m = _mm256_loadu_pd(synMagnitude + k);
        const __m256d re = _mm256_mul_pd(m, cosine), im = _mm256_mul_pd(m, sine);
        const __m256d lo = _mm256_unpacklo_pd(re, im), hi = _mm256_unpackhi_pd(re, im);
        _mm256_storeu_pd(out + 2 * k, _mm256_permute2f128_pd(lo, hi, 0x20));
        _mm256_storeu_pd(out + 2 * k + 4, _mm256_permute2f128_pd(lo, hi, 0x31));
    }
    leaveWideState();
}
