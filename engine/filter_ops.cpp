// The first-order cut and pass filters and the biquad filter: recursive filters with state per
// track, run over the range in one or more passes (engine/recursive_filter.h).
#include <cmath>

#include "engine/biquad.h"
#include "engine/biquad_sse2.h"
#include "engine/filters.h"
#include "engine/recursive_filter.h"

namespace {
const f64 oneOverTwoPi = 0.15915494309189535;

// A first-order section whose coefficient is not finite (0 Hz, a rate of 0) passes its input.
struct HighPass {
    HighPass(f64 frequency, u32 rate) {
        const f64 rc = oneOverTwoPi / frequency, dt = 1.0 / (f64)rate;
        a = rc / (rc + dt);
        through = !std::isfinite(a);
    }
    void prime(f64 x) { y = xPrev = x; }
    f64 operator()(f64 x) {
        if (through) return x;
        y = a * (y + x - xPrev);
        xPrev = x;
        return y;
    }
    f64 y = 0, xPrev = 0, a;
    bool through;
};

struct LowPass {
    LowPass(f64 frequency, u32 rate) {
        const f64 rc = oneOverTwoPi / frequency, dt = 1.0 / (f64)rate;
        b = dt / (rc + dt);
        through = !std::isfinite(b);
    }
    void prime(f64 x) { y = x; }
    f64 operator()(f64 x) {
        if (through) return x;
        y = y + b * (x - y);
        return y;
    }
    f64 y = 0, b;
    bool through;
};

struct BandCut {
    BandCut(f64 low, f64 high, u32 rate) : low(low, rate), high(high, rate) {}
    void prime(f64 x) {
        low.prime(x);
        high.prime(x);
    }
    f64 operator()(f64 x) {
        const f64 y1 = low(x);
        return x - (high(x) - y1);
    }
    LowPass low, high;
};

struct BandPass {
    BandPass(f64 low, f64 high, u32 rate) : cut(low, rate), pass(high, rate) {}
    void prime(f64 x) {
        cut.prime(x);
        pass.prime(x);
    }
    f64 operator()(f64 x) { return pass(cut(x)); }
    HighPass cut;
    LowPass pass;
};

// A filter of f64 samples as a track of the recursive frame, primed from its first frame.
template <class Traits, class Filter>
struct FirstOrderTrack {
    void prime(const f64* first) { filter.prime(first[0]); }
    typename Traits::Sample operator()(typename Traits::Sample x) {
        return filterOutput<Traits>(filter((f64)x), clipped);
    }
    Filter filter;
    u32* clipped;
};

// Nothing for a range of one frame or less; the first frame never changes.
template <class Traits, class Filter, class Make>
void runFirstOrder(SoundBlockProcessor& p, Make make) {
    if (p.rangeEnd - p.rangeStart <= (u64)(i64)p.frameBytes) return;
    u32 clipped = 0;
    runRecursiveFilter<Traits>(p, 1, p.paramInt, [&](i32) { return FirstOrderTrack<Traits, Filter>{make(), &clipped}; });
    p.flags |= clipped;
}

template <class Traits>
struct BiquadTrack {
    void prime(const f64* first) { biquadPrime(state, first[0], first[1]); }
    typename Traits::Sample operator()(typename Traits::Sample x) {
        return filterOutput<Traits>(biquadStep(state, (f64)x), clipped);
    }
    void runPair(BiquadTrack& second, const PairColumns<Traits>& columns, size_t n, f64*) {
        biquadRunPair(
            state, second.state, n, [&columns](size_t i) { return columns.load(i); },
            [&columns](size_t i, __m128d y) { columns.put(i, y); });
    }
    BiquadState state;
    u32* clipped;
};
}  // namespace

template <class Traits>
void SampleProcessor<Traits>::lowCutFilter() {
    runFirstOrder<Traits, HighPass>(*this, [this] { return HighPass(param1, sampleRate); });
}

template <class Traits>
void SampleProcessor<Traits>::highCutFilter() {
    runFirstOrder<Traits, LowPass>(*this, [this] { return LowPass(param1, sampleRate); });
}

// The input less the band between the low-passes at param1 and param2.
template <class Traits>
void SampleProcessor<Traits>::bandCutFilter() {
    runFirstOrder<Traits, BandCut>(*this, [this] { return BandCut(param1, param2, sampleRate); });
}

// The high-pass at param1, then the low-pass at param2.
template <class Traits>
void SampleProcessor<Traits>::bandPassFilter() {
    runFirstOrder<Traits, BandPass>(*this, [this] { return BandPass(param1, param2, sampleRate); });
}

// Gain param1 (linear), frequency param2, bandwidth or slope param3, paramInt passes. Nothing for
// a range of two frames or less; the first two frames prime every pass and never change.
template <class Traits>
void SampleProcessor<Traits>::biquadFilter(u32 type) {
    if (rangeEnd - rangeStart <= 2 * (u64)(i64)frameBytes) return;
    u8 marker = 0;
    u32 clipped = 0;
    runRecursiveFilter<Traits>(*this, 2, paramInt, [&](i32) {
        BiquadTrack<Traits> track{BiquadState(), &clipped};
        biquadCoefficients(&track.state, type, param1, param2, param3, sampleRate, peakLimit, &marker);
        return track;
    });
    if (marker) clipped |= clippedFlag;
    flags |= clipped;
}

void setFilterPasses(SoundBlockProcessor& p, u32 passes) {
    p.paramInt = std::max(passes, 1u);
    p.rangeLength = (p.rangeEnd - p.rangeStart) * p.paramInt;
}

bool setBiquadPreset(SoundBlockProcessor& p, u32 actionId) {
    switch (actionId) {
    case 595:  // REMOVE_HUM
        p.param1 = 0.0;
        p.param2 = 50.0;
        p.param3 = 1.0 / 6.0;
        break;
    case 596:  // REMOVE_NOISE_3000
    case 597:  // REMOVE_NOISE_5000
    case 598:  // REMOVE_NOISE_7000
        p.param1 = 0.1;
        p.param2 = actionId == 596 ? 3000.0 : actionId == 597 ? 5000.0 : 7000.0;
        p.param3 = 1.0;
        break;
    default: return false;
    }
    setFilterPasses(p, 1);
    return true;
}

#define INSTANTIATE_FILTERS(T)                             \
    template void SampleProcessor<T>::lowCutFilter();      \
    template void SampleProcessor<T>::highCutFilter();     \
    template void SampleProcessor<T>::bandCutFilter();     \
    template void SampleProcessor<T>::bandPassFilter();    \
    template void SampleProcessor<T>::biquadFilter(u32);
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_FILTERS)
