#pragma once
// One second-order recursive section (direct form I) and its design for the eight filter types.
// The biquad filter, the equalizer, the echo shelves and the chorus all-passes run their samples
// through biquadStep; each caller owns its records.
#include "core/types.h"

// Filter types of biquadCoefficients (the biquad actions in this order).
enum : u32 {
    biquadLowPass = 0,
    biquadHighPass = 1,
    biquadBandPass = 2,  // 0 dB at the centre
    biquadNotch = 3,
    biquadPeak = 4,  // boost or cut around the centre
    biquadLowShelf = 5,
    biquadHighShelf = 6,
    biquadAllPass = 7,
};

struct BiquadState {
    f64 b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;  // divided by a0
    f64 x1 = 0.0, x2 = 0.0;  // the previous input and the one before it
    f64 y1 = 0.0, y2 = 0.0;  // the previous output and the one before it
    f64 limit = 0.0;
    u8* clipMarker = nullptr;  // set to 1 by an output beyond +-limit; none: not looked at
};

// Stores limit and clipMarker and designs b0..a2 for the type (a type above 7 leaves them as they
// are). gain is linear (1: neutral), bandwidth in octaves, or the slope for the shelves (held below
// (A^2 + 1)/(A - 1)^2). A design that leaves the signal as it is (b = a, as any peak or shelf of
// gain 1) or has a coefficient that is not finite (0 Hz, half the rate, rate 0) becomes the exact
// identity, so that it passes its input unchanged. The history is not touched.
void biquadCoefficients(BiquadState* state, u32 type, f64 gain, f64 frequency, f64 bandwidth, u32 sampleRate,
                        f64 peakLimit, u8* clipMarker);
// The identity section: b0 = 1, the rest 0.
bool biquadIsIdentity(const BiquadState& s);
// The history of a section that has seen the input `older` and then `newer`, each passed unchanged.
inline void biquadPrime(BiquadState& s, f64 older, f64 newer) {
    s.x2 = s.y2 = older;
    s.x1 = s.y1 = newer;
}

// One step for input x; the output is not limited. The feed-forward sum comes first so that only
// the last two operations wait for the previous output.
inline f64 biquadStep(BiquadState& s, f64 x) {
    f64 y = (s.b0 * x + s.b1 * s.x1 + s.b2 * s.x2 - s.a2 * s.y2) - s.a1 * s.y1;
    s.x2 = s.x1;
    s.x1 = x;
    s.y2 = s.y1;
    s.y1 = y;
    if (s.clipMarker && (y < -s.limit || y > s.limit)) *s.clipMarker = 1;
    return y;
}
