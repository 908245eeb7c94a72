// The graphic equalizer: every selected track through a chain of peaking sections, one per band,
// each band's f64 output feeding the next; only the last is stored as a sample. An output beyond the
// peak limit after any band sets the clip flag (the sections' marker).
#include <cmath>
#include <vector>

#include "engine/biquad.h"
#include "engine/biquad_sse2.h"
#include "engine/filters.h"
#include "engine/recursive_filter.h"

namespace {
// A track's bands; the sections live in the run's table, the track only points at its own.
template <class Traits>
struct EqualizerTrack {
    typedef typename Traits::Sample Sample;
    void prime(const f64* first) {
        for (BiquadState* s = bands; s != end; ++s) biquadPrime(*s, first[0], first[1]);
    }
    Sample operator()(Sample x) {
        f64 y = (f64)x;
        for (BiquadState* s = bands; s != end; ++s) y = biquadStep(*s, y);
        return filterOutput<Traits>(y, clipped);
    }
    // Band by band over the stretch, each band's recursion in registers together with the
    // feed-forward sums of the next band, which wait in scratch.
    void runPair(EqualizerTrack& second, const PairColumns<Traits>& columns, size_t n, f64* scratch) {
        const size_t count = (size_t)(end - bands);
        if (count == 0) {
            for (size_t i = 0; i < n; ++i) columns.store(i, columns.load(i));
            return;
        }
        __m128d* sums = (__m128d*)scratch;
        BiquadState* t = second.bands;
        BiquadForwardPair first(bands[0], t[0]);
        for (size_t i = 0; i < n; ++i) sums[i] = first(columns.load(i));
        first.save(bands[0], t[0]);
        for (size_t b = 0; b < count; ++b) {
            BiquadBackPair back(bands[b], t[b]);
            if (b + 1 < count) {
                BiquadForwardPair next(bands[b + 1], t[b + 1]);
                for (size_t i = 0; i < n; ++i) sums[i] = next(back(sums[i]));
                next.save(bands[b + 1], t[b + 1]);
            } else {
                for (size_t i = 0; i < n; ++i) columns.put(i, back(sums[i]));
            }
            back.save(bands[b], t[b]);
        }
    }
    BiquadState* bands;
    BiquadState* end;
    u32* clipped;
};
}  // namespace

// The bands come from the EqParams in auxObject (none: nothing happens). A band of gain exactly 1 is
// left out: it passes its input unchanged. Nothing for a range shorter than two frames; the first
// two frames prime the bands and never change.
template <class Traits>
void SampleProcessor<Traits>::equalizer() {
    const EqParams* eq = dynamic_cast<const EqParams*>(auxObject);
    if (!eq || rangeEnd - rangeStart < 2 * (u64)(i64)frameBytes) return;
    u8 marker = 0;
    u32 clipped = 0;
    const f64 octaves = std::log2(eq->bandRatio);
    std::vector<BiquadState> design;
    f64 f = eq->startFrequency;
    for (i32 gain : eq->bandGains) {
        BiquadState s;
        biquadCoefficients(&s, biquadPeak, std::pow(10.0, gain / 10.0), f, octaves, sampleRate, peakLimit, &marker);
        if (!biquadIsIdentity(s)) design.push_back(s);
        f *= eq->bandRatio;
    }
    const size_t n = design.size();
    std::vector<BiquadState> table(n * (size_t)std::max(channelCount, 0));
    runRecursiveFilter<Traits>(*this, 2, 1, [&](i32 c) {
        BiquadState* bands = table.data() + (size_t)c * n;
        std::copy(design.begin(), design.end(), bands);
        return EqualizerTrack<Traits>{bands, bands + n, &clipped};
    });
    if (marker) clipped |= clippedFlag;
    flags |= clipped;
}

#define INSTANTIATE_EQUALIZER(T) template void SampleProcessor<T>::equalizer();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_EQUALIZER)
