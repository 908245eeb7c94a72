#include "engine/phase_kernels.h"

#include <emmintrin.h>

#include "engine/fast_trig.h"
#include "engine/phase_kernels_wide.h"

namespace {
const f64 pi = 3.14159265358979323846, twoPi = 2 * pi;

bool forcedNarrow = false;

bool processorHasWide() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    }();
    return has;
}
}  // namespace

bool wideBinKernels() { return !forcedNarrow && processorHasWide(); }

void forceNarrowBinKernels(bool narrow) { forcedNarrow = narrow; }

void analyseBins(bool wide, const Complex* x, u32 count, f64 expected, u32 osamp, const BinArrays& arrays) {
    f64* last = arrays.lastPhase;
    f64* mag = arrays.magnitude;
    f64* bin = arrays.trueBin;
    u32 k = 0;
    if (wide) {
        k = count & ~3u;
        analyseBinsWide(&x[0].re, k, expected, osamp / twoPi, last, mag, bin);
    }
    const __m128d two = _mm_set1_pd(2.0), oneOverPi = _mm_set1_pd(1 / pi), piV = _mm_set1_pd(pi);
    const __m128d expectedV = _mm_set1_pd(expected), binsPerRadian = _mm_set1_pd(osamp / twoPi);
    const __m128i one = _mm_set1_epi32(1);
    for (; k < count; k += 2) {
        const __m128d a = _mm_loadu_pd(&x[k].re), b = _mm_loadu_pd(&x[k + 1].re);
        const __m128d re = _mm_unpacklo_pd(a, b), im = _mm_unpackhi_pd(a, b);
        const __m128d kk = _mm_set_pd(k + 1, k);
        _mm_storeu_pd(mag + k, _mm_mul_pd(two, _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(re, re), _mm_mul_pd(im, im)))));
        const __m128d phase = fastAtan2Pair(im, re);
        __m128d d = _mm_sub_pd(_mm_sub_pd(phase, _mm_loadu_pd(last + k)), _mm_mul_pd(kk, expectedV));
        _mm_storeu_pd(last + k, phase);
        // The deviation from the bin's expected advance, brought into (-pi, pi]: q = d / pi toward
        // zero, moved away from zero to the even number.
        __m128i q = _mm_cvttpd_epi32(_mm_mul_pd(d, oneOverPi));
        const __m128i negative = _mm_srai_epi32(q, 31);
        q = _mm_add_epi32(q, _mm_sub_epi32(_mm_xor_si128(_mm_and_si128(q, one), negative), negative));
        d = _mm_sub_pd(d, _mm_mul_pd(piV, _mm_cvtepi32_pd(q)));
        _mm_storeu_pd(bin + k, _mm_add_pd(kk, _mm_mul_pd(d, binsPerRadian)));
    }
}

void synthesiseBins(bool wide, const f64* synMagnitude, const f64* synBin, u32 count, f64 expected, u32 osamp,
                    const BinArrays& arrays, Complex* out) {
    f64* sum = arrays.sumPhase;
    u32 k = 0;
    if (wide) {
        k = count & ~3u;
        synthesiseBinsWide(synMagnitude, synBin, k, expected, twoPi / osamp, sum, &out[0].re);
    }
    const __m128d expectedV = _mm_set1_pd(expected), radiansPerBin = _mm_set1_pd(twoPi / osamp);
    const __m128d turn = _mm_set1_pd(twoPi), perTurn = _mm_set1_pd(1 / twoPi);
    for (; k < count; k += 2) {
        const __m128d kk = _mm_set_pd(k + 1, k);
        __m128d phase = _mm_add_pd(_mm_loadu_pd(sum + k),
                                   _mm_add_pd(_mm_mul_pd(_mm_sub_pd(_mm_loadu_pd(synBin + k), kk), radiansPerBin),
                                              _mm_mul_pd(kk, expectedV)));
        phase = _mm_sub_pd(phase, _mm_mul_pd(turn, _mm_cvtepi32_pd(_mm_cvtpd_epi32(_mm_mul_pd(phase, perTurn)))));
        _mm_storeu_pd(sum + k, phase);
        __m128d sine, cosine;
        fastSinCosPair(phase, &sine, &cosine);
        const __m128d m = _mm_loadu_pd(synMagnitude + k);
        const __m128d re = _mm_mul_pd(m, cosine), im = _mm_mul_pd(m, sine);
        _mm_storeu_pd(&out[k].re, _mm_unpacklo_pd(re, im));
        _mm_storeu_pd(&out[k + 1].re, _mm_unpackhi_pd(re, im));
    }
}
