#include "engine/biquad.h"

#include <cmath>

namespace {
const f64 twoPi = 6.283185307179586;
const f64 halfLn2 = 0.34657359027997264;
}  // namespace

bool biquadIsIdentity(const BiquadState& s) {
    return s.b0 == 1.0 && s.b1 == 0.0 && s.b2 == 0.0 && s.a1 == 0.0 && s.a2 == 0.0;
}

void biquadCoefficients(BiquadState* state, u32 type, f64 gain, f64 frequency, f64 bandwidth, u32 sampleRate,
                        f64 peakLimit, u8* clipMarker) {
    state->limit = peakLimit;
    state->clipMarker = clipMarker;
    if (type > biquadAllPass) return;
    const f64 A = std::sqrt(gain);
    const f64 w0 = twoPi * frequency / (f64)sampleRate;
    const f64 sn = std::sin(w0), cs = std::cos(w0);
    const f64 alphaN = sn * std::sinh(halfLn2 * bandwidth * w0 / sn);
    const f64 alphaW = sn * std::sinh(2.0 * halfLn2 * bandwidth * w0 / sn);
    f64 b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    if (type == biquadLowShelf || type == biquadHighShelf) {
        f64 slope = bandwidth;
        const f64 most = (A * A + 1.0) / ((A - 1.0) * (A - 1.0)) - 1e-10;
        if (most < slope) slope = most;
        const f64 beta = sn * std::sqrt((A * A + 1.0) * (1.0 / slope - 1.0) + 2.0 * A);
        const f64 p = A + 1.0, m = A - 1.0;
        if (type == biquadLowShelf) {
            b0 = A * (p - m * cs + beta);
            b1 = 2.0 * A * (m - p * cs);
            b2 = A * (p - m * cs - beta);
            a0 = p + m * cs + beta;
            a1 = -2.0 * (m + p * cs);
            a2 = p + m * cs - beta;
        } else {
            b0 = A * (p + m * cs + beta);
            b1 = -2.0 * A * (m + p * cs);
            b2 = A * (p + m * cs - beta);
            a0 = p - m * cs + beta;
            a1 = 2.0 * (m - p * cs);
            a2 = p - m * cs - beta;
        }
    } else {
        switch (type) {
        case biquadLowPass:
            b0 = (1.0 - cs) / 2.0, b1 = 1.0 - cs, b2 = (1.0 - cs) / 2.0;
            a0 = 1.0 + alphaW, a1 = -2.0 * cs, a2 = 1.0 - alphaW;
            break;
        case biquadHighPass:
            b0 = (1.0 + cs) / 2.0, b1 = -(1.0 + cs), b2 = (1.0 + cs) / 2.0;
            a0 = 1.0 + alphaW, a1 = -2.0 * cs, a2 = 1.0 - alphaW;
            break;
        case biquadBandPass:
            b0 = alphaW, b1 = 0.0, b2 = -alphaW;
            a0 = 1.0 + alphaW, a1 = -2.0 * cs, a2 = 1.0 - alphaW;
            break;
        case biquadNotch:
            b0 = 1.0, b1 = -2.0 * cs, b2 = 1.0;
            a0 = 1.0 + alphaN, a1 = -2.0 * cs, a2 = 1.0 - alphaN;
            break;
        case biquadPeak:
            b0 = 1.0 + alphaN * A, b1 = -2.0 * cs, b2 = 1.0 - alphaN * A;
            a0 = 1.0 + alphaN / A, a1 = -2.0 * cs, a2 = 1.0 - alphaN / A;
            break;
        default:  // all-pass
            b0 = 1.0 - alphaW, b1 = -2.0 * cs, b2 = 1.0 + alphaW;
            a0 = 1.0 + alphaW, a1 = -2.0 * cs, a2 = 1.0 - alphaW;
            break;
        }
    }
    const f64 c[5] = {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
    bool finite = true;
    for (f64 v : c) finite = finite && std::isfinite(v);
    if (!finite || (b0 == a0 && b1 == a1 && b2 == a2)) {
        state->b0 = 1.0;
        state->b1 = state->b2 = state->a1 = state->a2 = 0.0;
        return;
    }
    state->b0 = c[0];
    state->b1 = c[1];
    state->b2 = c[2];
    state->a1 = c[3];
    state->a2 = c[4];
}
