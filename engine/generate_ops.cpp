// Generation: a synthesised signal written over the range into the selected tracks, replacing their
// samples or added to them (mix); other tracks are copied. The range keeps its length; its edges
// are blended with the old sound when smoothing is on.
#include <cmath>
#include <memory>

#include "core/error.h"
#include "engine/fft.h"
#include "engine/frame_walk.h"
#include "engine/random.h"
#include "engine/sample_processor.h"
#include "engine/analysis_requests.h"
#include "engine/change_guard.h"
#include "engine/wave_steps.h"
#include "mm/mm_texts.h"

namespace {
const f64 twoPi = 6.283185307179586;

// Writes signal(frame) into the selected tracks by the rounded store: alone, or added to the old
// sample. The reader carries the progress; the writer ends the walk, so a cancel does not stop it.
template <class Traits, class Signal>
void writeSignal(SoundBlockProcessor& p, bool mix, Signal signal) {
    typedef typename Traits::Sample Sample;
    RangeChange change = p.openSameLengthChange();
    ChangeGuard guard(p.store, change);
    u32 clipped = 0;
    walkFrames<Traits>(p, change, signal, [mix, &clipped](Sample s, f64 v) {
        Sample y;
        Traits::storeRounded(mix ? (f64)s + v : v, &y, &clipped);
        return y;
    });
    p.flags |= clipped;
    p.applyEdgeCrossfades(p.rangeStart, p.rangeEnd);
}

// One period of n samples holding every harmonic of the spectrum below n / 2 bins, each on the bin
// nearest its frequency: sum of amplitude x sin(2 pi b t / n + phase).
std::unique_ptr<f64[]> spectrumPeriod(const HarmonicArray& harmonics, u32 n, u32 rate) {
    std::unique_ptr<Complex[]> bins(new Complex[n]());
    for (u32 i = 0; i < harmonics.count; ++i) placeHarmonicOnBin(harmonics[i], bins.get(), n, rate);
    fft(bins.get(), (i32)n, true);
    fftReleaseTables();
    std::unique_ptr<f64[]> wave(new f64[n]);
    for (u32 t = 0; t < n; ++t) wave[t] = bins[t].re;
    return wave;
}

// Two read heads play a period as overlapping grains, each weighted by a triangle over its grain
// (0 at both ends, 1 in the middle). Head 1 starts at 0, head 2 half a period on; whenever head 1
// ends its grain a new grain length is drawn between n/2 and n (n rounded down to even) and head 2
// is put half a grain from its end.
class GrainHeads {
public:
    GrainHeads(const f64* wave, u32 n) : wave(wave), n(n), length(n), end1(n), index2(n / 2), q2(n / 2), end2(n) {}

    // The value of the current frame; then both heads move on.
    f64 next() {
        const f64 v = weight(q1) * wave[index1] + weight(q2) * wave[index2];
        ++index1, ++q1, ++index2, ++q2;
        if (index1 >= end1) {
            index1 = q1 = 0;
            const u32 even = n & ~1u;
            length = randomBelow(even / 2, even);
            end1 = length;
            end2 = index2 + length / 2;
            q2 = length / 2;
        }
        if (index2 >= end2) {
            index2 = q2 = 0;
            end2 = length;
        }
        return v;
    }

private:
    f64 weight(u32 q) const {
        const f64 c = (length - 1) / 2.0;
        return c > 0 ? (c - std::fabs(q - c)) / c : 1.0;
    }

    const f64* wave;
    u32 n, length;
    u32 index1 = 0, q1 = 0, end1;
    u32 index2, q2, end2;
};
}  // namespace

// The spectrum's harmonics as one period of its FFT size, played back in grains. An FFT size below
// 2 or above maxSpectrumFftSize is refused before anything is allocated or changed.
template <class Traits>
void SampleProcessor<Traits>::fftGenerate(u32 mix) {
    auto* source = dynamic_cast<SpectrumSource*>(auxObject);
    if (!source || sampleRate == 0) return;
    const u32 n = source->header.fftSize;
    if (n < 2 || n > maxSpectrumFftSize) {
        GString text;
        stringFormat(text, mmText(MmText::SpectrumBadFftSize), n, maxSpectrumFftSize);
        reportMessage(store->errorHandler(), text.c_str(), 0);
        return;
    }
    std::unique_ptr<f64[]> wave = spectrumPeriod(source->harmonics, n, sampleRate);
    GrainHeads heads(wave.get(), n);
    writeSignal<Traits>(*this, mix != 0, [&heads](f64) { return heads.next(); });
}

// One sine of the tone's amplitude, frequency and phase; its step per frame goes to reserved64.
template <class Traits>
void SampleProcessor<Traits>::sineGenerate(u32 mix) {
    auto* params = dynamic_cast<ToneParams*>(auxObject);
    if (!params || sampleRate == 0) return;
    HarmonicRecord& tone = params->tone;
    const f64 step = twoPi * tone.frequency / sampleRate;
    tone.reserved64 = step;
    // sin(k step + phase) by the angle sum.
    const f64 a = tone.amplitude * std::cos(tone.phase), b = tone.amplitude * std::sin(tone.phase);
    WaveSteps wave(step);
    writeSignal<Traits>(*this, mix != 0, [&](f64 frame) {
        if (frame > 0) wave.next();
        return a * wave.sine + b * wave.cosine;
    });
}

#define INSTANTIATE_GENERATE(T) \
    template void SampleProcessor<T>::sineGenerate(u32); \
    template void SampleProcessor<T>::fftGenerate(u32);
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_GENERATE)
