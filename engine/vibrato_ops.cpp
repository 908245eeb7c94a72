// Vibrato and random vibrato: the selected tracks read through a delay that rises and falls as a
// raised cosine, 0 at the start and the end of the range, so the range keeps its length and its ends.
#include <cmath>
#include <memory>

#include "engine/change_guard.h"
#include "engine/cubic_frames.h"
#include "engine/pitch_kernels.h"
#include "engine/random.h"
#include "engine/sample_processor.h"

namespace {
// The delay of a raised cosine cycle of amplitude a and step w, frames from its start.
inline f64 cycleDelay(f64 a, f64 w, f64 x) { return a * (1.0 - std::cos(w * x)); }
}  // namespace

template <class Traits>
template <class Delay>
void SampleProcessor<Traits>::vibratoWith(Delay delay) {
    const u64 length = rangeEnd - rangeStart;
    RangeChange change = openSameLengthChange(savedEdgesNone);
    ChangeGuard guard(store, change);
    if (change.oldLength != length) return;
    KernelSource from = KernelSource::range(change.oldCursor, length, length);
    std::unique_ptr<FrameFeed> in(from.feed(*this, progress)), keep;
    if (selectedChannelCount != channelCount) keep.reset(from.feed(*this, nullptr));
    PageWalk out(openBlockWriter, store, frameBytes, change, nullptr);
    const u64 frames = length / (u64)frameBytes;
    cubicFrames<Traits>(*this, *in, frames, keep.get(), out, frames, [&delay](u64 n) { return (f64)n - delay(n); });
    extraPositions[newSelectionStart] = rangeStart;
    extraPositions[newSelectionEnd] = rangeEnd;
}

// The delay A (1 - cos(w n)), 0 at the start of every period; the last, shorter period is a cycle of
// its own with the same peak speed. Ratios below 0.5 would read backwards and count as 0.5.
template <class Traits>
void SampleProcessor<Traits>::vibrato() {
    if (rangeTooShortToResample(*this) || periodFrames == 0) return;
    const f64 r = vibratoRatio(param1);
    const f64 frames = (f64)((rangeEnd - rangeStart) / (u64)frameBytes), period = periodFrames;
    const f64 w = 2 * 3.14159265358979323846 / period, a = (1 - 1 / r) / w;
    const f64 rest = std::fmod(frames, period), tail = frames - rest;
    const f64 w2 = rest > 0 ? 2 * 3.14159265358979323846 / rest : 0.0, a2 = a * rest / period;
    vibratoWith([=](u64 n) {
        const f64 x = (f64)n;
        return x < tail ? cycleDelay(a, w, x) : cycleDelay(a2, w2, x - tail);
    });
}

// Cycles of random length (P/2 .. 3P/2) and amplitude (A/2 .. A) from the shared generator; the last
// is cut to end with the range.
template <class Traits>
void SampleProcessor<Traits>::vibratoRandom() {
    if (rangeTooShortToResample(*this) || periodFrames == 0) return;
    const f64 r = vibratoRatio(param1);
    const f64 frames = (f64)((rangeEnd - rangeStart) / (u64)frameBytes), period = periodFrames;
    const f64 amplitude = (1 - 1 / r) / (2 * 3.14159265358979323846 / period);
    f64 start = 0, cycle = 0, a = 0, w = 0;
    vibratoWith([&](u64 n) {
        f64 x = (f64)n - start;
        if (x >= cycle) {
            start += cycle;
            x -= cycle;
            cycle = randomInRange(0.5 * period, 1.5 * period);
            a = randomInRange(0.5 * amplitude, amplitude);
            const f64 left = frames - start;
            if (cycle > left) {
                a = a * left / cycle;
                cycle = left;
            }
            w = 2 * 3.14159265358979323846 / cycle;
        }
        return cycleDelay(a, w, x);
    });
}

f64 vibratoRatio(f64 r) {
    if (r != r) return 1.0;
    return r < 0.5 ? 0.5 : r;
}

#define INSTANTIATE_VIBRATO(T)                   \
    template void SampleProcessor<T>::vibrato(); \
    template void SampleProcessor<T>::vibratoRandom();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_VIBRATO)
