#include "engine/phase_vocoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <emmintrin.h>

#include "engine/phase_kernels.h"

namespace {
const f64 pi = 3.14159265358979323846, twoPi = 2 * pi;

u32 log2Of(u32 n) {
    u32 k = 0;
    while ((1u << k) < n) ++k;
    return k;
}

}  // namespace

bool vocoderSettingsValid(u32 frameSize, u32 oversampling) {
    bool power = frameSize >= 4 && (frameSize & (frameSize - 1)) == 0;
    return power && frameSize <= vocoderMaxFrameSize && oversampling >= 1 && oversampling <= frameSize;
}

PhaseVocoder::PhaseVocoder(u32 frameSize, u32 oversampling, u32, WindowFunction windowFunction, u32 laneCount)
    : n(frameSize), step(frameSize / oversampling), osamp(oversampling), lanes(laneCount), wide(wideBinKernels()),
      plan(log2Of(frameSize) - (laneCount == 1 ? 1 : 0)),
      window(frameSize), work(frameSize), synMagnitude(frameSize / 2 + 2), synBin(frameSize / 2 + 2), magnitude(frameSize / 2 + 2), trueBin(frameSize / 2 + 2) {
    rover = n - step;
    f64 squares = 0;
    for (u32 k = 0; k < n; ++k) {
        window[k] = windowFunction((i32)k, (i32)n);
        squares += window[k] * window[k];
    }
    // Every output sample is the sum of osamp frames weighted by the window twice (analysis and
    // synthesis): dividing by that weight gives a factor of 1 the input back at its own level.
    outputGain = squares > 0 ? n / (osamp * squares) : 0.0;
    if (lanes == 1) {
        turns.resize(n / 2);
        for (u32 k = 0; k < n / 2; ++k) turns[k] = {std::cos(twoPi * k / n), -std::sin(twoPi * k / n)};
    }
    for (u32 l = 0; l < 2; ++l) {
        inFifo[l].assign(n, 0.0);
        outFifo[l].assign(n, 0.0);
        accum[l].assign(n, 0.0);
        lastPhase[l].assign(n / 2 + 2, 0.0);
        sumPhase[l].assign(n / 2 + 2, 0.0);
        spectrum[l].assign(n / 2 + 2, Complex{0, 0});
        synthesis[l].assign(n / 2 + 2, Complex{0, 0});
    }
}

void PhaseVocoder::process(f64 pitchFactor, f64* a, f64* b, size_t count) {
    const u32 latency = n - step;
    f64* lane[2] = {a, b};
    for (size_t i = 0; i < count;) {
        // As many samples as fit before the frame is full.
        size_t m = std::min<size_t>(count - i, n - rover);
        for (u32 l = 0; l < lanes; ++l) {
            f64* x = lane[l] + i;
            f64* in = inFifo[l].data() + rover;
            const f64* out = outFifo[l].data() + (rover - latency);
            for (size_t k = 0; k < m; ++k) {
                in[k] = x[k];
                x[k] = out[k];
            }
        }
        i += m;
        rover += (u32)m;
        if (rover == n) {
            rover = latency;
            processFrame(pitchFactor);
        }
    }
}

void PhaseVocoder::processFrame(f64 pitchFactor) {
    if (lanes == 1) processSingleLane(pitchFactor);
    else processPair(pitchFactor);
    const u32 latency = n - step;
    for (u32 l = 0; l < lanes; ++l) {
        f64* acc = accum[l].data();
        memcpy(outFifo[l].data(), acc, step * sizeof(f64));
        memmove(acc, acc + step, latency * sizeof(f64));
        memset(acc + latency, 0, step * sizeof(f64));
        memmove(inFifo[l].data(), inFifo[l].data() + step, latency * sizeof(f64));
    }
}

// The even samples in the real parts, the odd ones in the imaginary parts: with Z the transform of
// m = n/2 points, E[k] = (Z[k] + conj Z[m-k]) / 2 and O[k] = (Z[k] - conj Z[m-k]) / 2i are those of
// the even and odd samples, and X[k] = E[k] + e^(-2 pi i k/n) O[k].
void PhaseVocoder::processSingleLane(f64 pitchFactor) {
    const u32 m = n / 2;
    const f64* in = inFifo[0].data();
    const f64* win = window.data();
    Complex* z = work.data();
    for (u32 j = 0; j < m; ++j) z[j] = {win[2 * j] * in[2 * j], win[2 * j + 1] * in[2 * j + 1]};
    plan.forward(z);
    Complex* x = spectrum[0].data();
    const Complex* w = turns.data();
    x[0] = {z[0].re + z[0].im, 0.0};
    x[m] = {z[0].re - z[0].im, 0.0};
    const __m128d halfV = _mm_set1_pd(0.5), signHigh = _mm_set_pd(-0.0, 0.0), signLow = _mm_set_pd(0.0, -0.0);
    for (u32 k = 1; k < m; ++k) {
        const __m128d zk = _mm_loadu_pd(&z[k].re), zc = _mm_xor_pd(_mm_loadu_pd(&z[m - k].re), signHigh);
        const __m128d e = _mm_mul_pd(halfV, _mm_add_pd(zk, zc)), d = _mm_mul_pd(halfV, _mm_sub_pd(zk, zc));
        const __m128d o = _mm_xor_pd(_mm_shuffle_pd(d, d, 1), signHigh);  // d / i
        const __m128d t = _mm_loadu_pd(&w[k].re), tr = _mm_unpacklo_pd(t, t), ti = _mm_unpackhi_pd(t, t);
        const __m128d wo = _mm_add_pd(_mm_mul_pd(o, tr), _mm_mul_pd(_mm_xor_pd(_mm_shuffle_pd(o, o, 1), signLow), ti));
        _mm_storeu_pd(&x[k].re, _mm_add_pd(e, wo));
    }
    Complex* s = synthesis[0].data();
    shiftLane(0, x, pitchFactor, s);
    // Back: the real signal of the Hermitian spectrum H of s (H[0] = re s[0], H[m] = re s[m], H[k] =
    // s[k] / 2 between) as z[j] = x[2j] + i x[2j+1], from Z[k] = (H[k] + conj H[m-k]) + i (H[k] -
    // conj H[m-k]) e^(2 pi i k/n): twice E and O, as the unscaled inverse of n points would give.
    const f64 h0 = s[0].re, hm = s[m].re;
    z[0] = {h0 + hm, h0 - hm};
    for (u32 k = 1; k < m; ++k) {
        const __m128d hk = _mm_mul_pd(halfV, _mm_loadu_pd(&s[k].re));
        const __m128d hc = _mm_xor_pd(_mm_mul_pd(halfV, _mm_loadu_pd(&s[m - k].re)), signHigh);
        const __m128d e = _mm_add_pd(hk, hc), d = _mm_sub_pd(hk, hc);
        // d x conj w, then times i.
        const __m128d t = _mm_loadu_pd(&w[k].re), tr = _mm_unpacklo_pd(t, t), ti = _mm_unpackhi_pd(t, t);
        const __m128d dw = _mm_add_pd(_mm_mul_pd(d, tr), _mm_mul_pd(_mm_xor_pd(_mm_shuffle_pd(d, d, 1), signHigh), ti));
        _mm_storeu_pd(&z[k].re, _mm_add_pd(e, _mm_xor_pd(_mm_shuffle_pd(dw, dw, 1), signLow)));
    }
    plan.inverse(z);
    const __m128d gain = _mm_set1_pd(outputGain / n);  // the inverse ran unscaled
    f64* acc = accum[0].data();
    for (u32 j = 0; j < m; ++j) {
        const __m128d gw = _mm_mul_pd(gain, _mm_loadu_pd(win + 2 * j));
        _mm_storeu_pd(acc + 2 * j, _mm_add_pd(_mm_loadu_pd(acc + 2 * j), _mm_mul_pd(gw, _mm_loadu_pd(&z[j].re))));
    }
}

void PhaseVocoder::processPair(f64 pitchFactor) {
    const u32 half = n / 2;
    const f64* in0 = inFifo[0].data();
    const f64* in1 = inFifo[1].data();
    const f64* win = window.data();
    Complex* z = work.data();
    for (u32 k = 0; k < n; k += 2) {
        const __m128d w = _mm_loadu_pd(win + k);
        const __m128d a = _mm_mul_pd(w, _mm_loadu_pd(in0 + k)), b = _mm_mul_pd(w, _mm_loadu_pd(in1 + k));
        _mm_storeu_pd(&z[k].re, _mm_unpacklo_pd(a, b));
        _mm_storeu_pd(&z[k + 1].re, _mm_unpackhi_pd(a, b));
    }
    plan.forward(z);
    // Two real lanes in one transform: X0[k] = (Z[k] + conj Z[n-k]) / 2, X1[k] = (Z[k] - conj Z[n-k]) / 2i.
    const __m128d halfV = _mm_set1_pd(0.5), signHigh = _mm_set_pd(-0.0, 0.0), signLow = _mm_set_pd(0.0, -0.0);
    Complex* x0 = spectrum[0].data();
    Complex* x1 = spectrum[1].data();
    for (u32 k = 0; k <= half; ++k) {
        const __m128d zk = _mm_loadu_pd(&z[k].re), zn = _mm_loadu_pd(&z[(n - k) & (n - 1)].re);
        _mm_storeu_pd(&x0[k].re, _mm_mul_pd(halfV, _mm_add_pd(zk, _mm_xor_pd(zn, signHigh))));
        const __m128d zs = _mm_xor_pd(_mm_shuffle_pd(zk, zk, 1), signHigh), ns = _mm_shuffle_pd(zn, zn, 1);
        _mm_storeu_pd(&x1[k].re, _mm_mul_pd(halfV, _mm_add_pd(zs, ns)));
    }
    for (u32 l = 0; l < lanes; ++l) shiftLane(l, spectrum[l].data(), pitchFactor, synthesis[l].data());
    // Back through one inverse transform: each lane's one-sided spectrum S gives the real signal of
    // the Hermitian spectrum H (H[0] = re S[0], H[n/2] = re S[n/2], H[k] = S[k] / 2 between); the
    // second lane goes in the imaginary part: Z[k] = H0[k] + i H1[k], Z[n-k] = conj H0[k] + i conj H1[k].
    const Complex* s0 = synthesis[0].data();
    const Complex* s1 = synthesis[1].data();
    z[0] = {s0[0].re, s1[0].re};
    z[half] = {s0[half].re, s1[half].re};
    for (u32 k = 1; k < half; ++k) {
        const __m128d h0 = _mm_mul_pd(halfV, _mm_loadu_pd(&s0[k].re)), h1 = _mm_mul_pd(halfV, _mm_loadu_pd(&s1[k].re));
        const __m128d h1s = _mm_shuffle_pd(h1, h1, 1);
        _mm_storeu_pd(&z[k].re, _mm_add_pd(h0, _mm_xor_pd(h1s, signLow)));
        _mm_storeu_pd(&z[n - k].re, _mm_add_pd(_mm_xor_pd(h0, signHigh), h1s));
    }
    plan.inverse(z);
    const __m128d gain = _mm_set1_pd(outputGain / n);  // the inverse ran unscaled
    f64* acc0 = accum[0].data();
    f64* acc1 = accum[1].data();
    for (u32 k = 0; k < n; k += 2) {
        const __m128d a = _mm_loadu_pd(&z[k].re), b = _mm_loadu_pd(&z[k + 1].re);
        const __m128d gw = _mm_mul_pd(gain, _mm_loadu_pd(win + k));
        _mm_storeu_pd(acc0 + k, _mm_add_pd(_mm_loadu_pd(acc0 + k), _mm_mul_pd(gw, _mm_unpacklo_pd(a, b))));
        _mm_storeu_pd(acc1 + k, _mm_add_pd(_mm_loadu_pd(acc1 + k), _mm_mul_pd(gw, _mm_unpackhi_pd(a, b))));
    }
}

// The arrays hold half + 2 entries, the last a bin of silence, so that bins go in pairs.
void PhaseVocoder::shiftLane(u32 lane, const Complex* x, f64 pitchFactor, Complex* out) {
    const u32 half = n / 2;
    const f64 expected = twoPi * step / n;
    const BinArrays arrays = {lastPhase[lane].data(), sumPhase[lane].data(), magnitude.data(), trueBin.data()};
    analyseBins(wide, x, half + 2, expected, osamp, arrays);
    const f64* mag = magnitude.data();
    const f64* bin = trueBin.data();
    // Each bin moves its magnitude and true frequency to bin trunc(k x factor); the last one there wins.
    std::fill(synMagnitude.begin(), synMagnitude.end(), 0.0);
    std::fill(synBin.begin(), synBin.end(), 0.0);
    for (u32 k = 0; k <= half; ++k) {
        const f64 j = k * pitchFactor;
        if (j >= 0 && j < half + 1) {
            synMagnitude[(u32)j] += mag[k];
            synBin[(u32)j] = bin[k] * pitchFactor;
        }
    }
    synthesiseBins(wide, synMagnitude.data(), synBin.data(), half + 2, expected, osamp, arrays, out);
}
