// FFT analysis of the range: the list of spectral peaks or the one strongest peak, as harmonic
// records left in the FftAnalysis for the owner. The sound is not changed.
#include <cmath>
#include <memory>

#include "core/progress.h"
#include "engine/fft.h"
#include "engine/page_walk.h"
#include "engine/sample_processor.h"
#include "engine/analysis_requests.h"
#include "engine/window_functions.h"
#include "mm/mm_texts.h"

namespace {
const f64 pi = 3.141592653589793;

// Frequency refinement from the phase advance between A and B, B being the same signal started m
// frames later (zeros after it): over the n - m frames they share, a tone d bins off its bin advances
// by pi x d x m / n more than the bin itself, hence the division by pi x m.
struct PhaseRefiner {
    const Complex* a;
    const Complex* b;
    i32 n, m;
    u32 rate;

    f64 refine(f64 f) const {
        i64 kk = (i64)std::floor(n * f / rate + 0.5);
        if (kk < 0 || kk >= n) return f;
        f64 d = std::atan2(b[kk].im, b[kk].re) - std::atan2(a[kk].im, a[kk].re) - kk * 2 * pi * m / n;
        f64 t = std::trunc(d / pi);
        if (std::fmod(t, 2.0) != 0) t += t > 0 ? 1 : -1;
        d -= t * pi;
        f += d * rate / (pi * m);
        return f < 0 ? 0 : f;
    }
};
}  // namespace

template <class Traits>
void SampleProcessor<Traits>::fftRepeat() {
    typedef typename Traits::Sample Sample;
    auto* analysis = dynamic_cast<FftAnalysis*>(auxObject);
    if (!analysis || frameBytes <= 0 || sampleRate == 0) return;
    const i32 n = (i32)((i64)(rangeEnd - rangeStart) / frameBytes);
    if (n < 1) return;
    const bool refine = analysis->phaseRefine != 0;
    // The transform's kept tables go back when the analysis ends, however it ends.
    struct Release {
        ~Release() { fftReleaseTables(); }
    } release;
    std::unique_ptr<Complex[]> a(new Complex[(size_t)n]()), b(refine ? new Complex[(size_t)n]() : nullptr);
    const i32 m = n >= 4000 ? 1000 : std::max(n / 4, 1);
    // Real input: with refinement both sequences go through one complex transform, else the range
    // through the real transform.
    const u32 order = refine ? fftOrder(n) : fftRealOrder(n);
    JobProgress* job = progress;
    if (job) job->setTotal(order + 2 + (refine ? 1 : 0));

    // The selected tracks of each frame summed, or its first selected track alone. The reading
    // reports its text, then 0 steps at each page end, and goes on whatever they answer: the job's
    // steps are the transforms'.
    if (job) job->report(0, mmText(MmText::ReadingSound));
    const bool sum = analysis->sumChannels != 0;
    i64 frame = -1;
    i32 last = channelCount;
    progress = nullptr;
    scanSelectedSamples<Traits>(*this, store->findSegment(rangeStart), (u64)n * frameBytes, [&](Sample s, i32 c) {
        const bool first = c <= last;
        last = c;
        if (first) ++frame;
        if (sum) a[frame].re += (f64)s;
        else if (first) a[frame].re = (f64)s;
    }, [job] {
        if (job) job->report(0, nullptr);
    });
    progress = job;

    // The range m frames on, in the imaginary parts.
    if (refine)
        for (i32 i = 0; i + m < n; ++i) a[i].im = a[i + m].re;
    if (analysis->windowType != 0) {
        const WindowFunction w = windowFunctionOf(analysis->windowType);
        for (i32 i = 0; i < n; ++i) a[i].re *= w(i, n);
    }
    if (job) {
        job->report(1, nullptr);
        job->commit();
    }
    // Cancelled data is dropped: the transform needs no copy.
    if (refine) {
        if (!fft(a.get(), n, false, job, true)) return;
        splitTwoReal(a.get(), b.get(), n);
    } else if (!fftReal(a.get(), n, job)) {
        return;
    }
    if (job) job->commit();
    analysis->fftSize = (u32)n;
    const PhaseRefiner refiner{a.get(), b.get(), n, m, sampleRate};

    const f64 threshold = analysis->peakThreshold;
    if (analysis->singlePeak) {
        HarmonicRecord& r = analysis->strongest;
        r.frequency = 0.0;
        const i32 k = findStrongestBin(a.get(), n, threshold);
        if (k <= 0) return;
        const i32 j = findNeighbourPeak(a.get(), n, k, threshold);
        if (j >= 0) {
            refineHarmonic(a.get(), &r, j, n, (i32)sampleRate);
        } else {
            binToHarmonic(k, (i32)sampleRate, n, a[k], &r);
            if (refine) r.frequency = refiner.refine(r.frequency);
        }
        r.baseFrequency = r.frequency;
        r.reserved16 = 0;
        r.overtone = 0;
        HarmonicRecord::updateNote(&r);
        return;
    }
    analysis->harmonics.count = 0;
    harmonicsFromFft(a.get(), n, analysis->harmonics, (i32)sampleRate, false, threshold);
    if (!refine) return;
    if (job) job->report(1, nullptr);
    for (u32 i = 0; i < analysis->harmonics.count; ++i) {
        HarmonicRecord& r = analysis->harmonics[i];
        if (i == 0 && r.frequency < 1e-10) continue;  // the DC level
        r.frequency = refiner.refine(r.frequency);
    }
}

#define INSTANTIATE_FFT(T) template void SampleProcessor<T>::fftRepeat();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_FFT)
