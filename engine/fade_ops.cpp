// Volume envelopes: every selected sample of the range is multiplied by a gain that depends on its
// frame; the edge where the result meets the untouched sound at another level is blended back in.
// Crossfading mixes the two halves of the range into one, shortening the sound.
#include <algorithm>

#include "engine/change_guard.h"
#include "engine/frame_walk.h"
#include "engine/sample_processor.h"

namespace {
// The divisor of the curves that end at the last frame (frames - 1). A single frame counts as the
// first frame of a two-frame curve, so the divisor is never 0.
f64 lastFrameIndex(u64 frames) { return frames > 1 ? (f64)(frames - 1) : 1.0; }

// The frame of the envelopes: the named edge saved, the change opened and announced, each selected
// sample x of frame i becoming combine(x, gainOf(i)) stored by the rounded or truncated rule, the
// saved edge blended back in.
template <class Traits, bool rounded, class Gain, class Combine>
void runEnvelope(SoundBlockProcessor& p, u32 edge, Gain gainOf, Combine combine) {
    typedef typename Traits::Sample Sample;
    RangeChange change = p.openSameLengthChange(edge);
    ChangeGuard guard(p.store, change);
    u32 clipped = 0;
    walkFrames<Traits>(p, change, gainOf, [&clipped, combine](Sample x, f64 g) {
        f64 y = combine((f64)x, g);
        if constexpr (rounded) {
            Sample s;
            Traits::storeRounded(y, &s, &clipped);
            return s;
        } else {
            return Traits::truncated(y);
        }
    });
    p.flags |= clipped;
    p.applyEdgeCrossfades(p.rangeStart, p.rangeEnd);
}

// The plain gain: g x.
struct Scaled {
    f64 operator()(f64 x, f64 g) const { return g * x; }
};

// A linear ramp of the gain by `step` per frame from 1: x + (i x step) x x.
template <class Traits, bool rounded>
void runRamp(SoundBlockProcessor& p) {
    p.param1 = p.param1 / lastFrameIndex(rangeFrames(p));
    const f64 step = p.param1;
    runEnvelope<Traits, rounded>(
        p, savedEdgeEnd, [step](f64 i) { return i * step; }, [](f64 x, f64 g) { return x + g * x; });
}
}  // namespace

// From 0 at the first frame up by 1/N per frame: the start is changed, the end meets the old level.
template <class Traits>
void SampleProcessor<Traits>::prefading() {
    const f64 step = 1.0 / (f64)rangeFrames(*this);
    runEnvelope<Traits, false>(*this, savedEdgeStart, [step](f64 i) { return i * step; }, Scaled());
}

template <class Traits>
void SampleProcessor<Traits>::fading() {
    const f64 step = 1.0 / (f64)rangeFrames(*this);
    runEnvelope<Traits, false>(*this, savedEdgeEnd, [step](f64 i) { return 1.0 - i * step; }, Scaled());
}

// A parabola from 1 + p at the first frame to 1 at the last, flat at the start.
template <class Traits>
void SampleProcessor<Traits>::nlPrefading() {
    const f64 m = lastFrameIndex(rangeFrames(*this));
    const f64 a = -param1 / (m * m), b = 1.0 + param1;
    runEnvelope<Traits, false>(*this, savedEdgeStart, [a, b](f64 t) { return a * (t * t) + b; }, Scaled());
}

// The mirrored parabola: from 1 at the first frame to 1 + p at the last, flat at the end.
template <class Traits>
void SampleProcessor<Traits>::nlFading() {
    const f64 m = lastFrameIndex(rangeFrames(*this));
    const f64 a = -param1 / (m * m), b = 1.0 + param1;
    runEnvelope<Traits, false>(*this, savedEdgeEnd, [a, b, m](f64 i) {
        f64 t = i - m;
        return a * (t * t) + b;
    }, Scaled());
}

// From 1 to 1 + p along a line; param1 becomes the step per frame. Crescendo rounds and clips,
// diminuendo truncates.
template <class Traits>
void SampleProcessor<Traits>::crescendo() {
    runRamp<Traits, true>(*this);
}

template <class Traits>
void SampleProcessor<Traits>::diminuendo() {
    runRamp<Traits, false>(*this);
}

// The range holds two equal halves; they become one half in which the first fades into the second:
// frame k is (1 - w) a + w b with w = k x 2 / frames. Unselected tracks keep the first half. A
// frame left over after the two halves (an odd frame count) stays as it is. No edge crossfades.
template <class Traits>
void SampleProcessor<Traits>::crossfading() {
    const u64 halfFrames = rangeFrames(*this) / 2;
    const u64 half = halfFrames * (u64)std::max(frameBytes, 0);
    const u64 mid = rangeStart + half;
    RangeChange change = openChange(rangeStart, 2 * half, half);
    ChangeGuard guard(store, change);
    notifyChangeFinished();
    extraPositions[newSelectionStart] = rangeStart;
    extraPositions[newSelectionEnd] = mid;
    extraPositions[newCursor] = mid;
    if (half == 0 || channelCount <= 0) return;

    const f64 step = 2.0 / (f64)(2 * halfFrames);
    SegmentCursor second = change.oldCursor;
    second.advance(half);
    PageWalk first(openBlockReader, store, frameBytes, change.oldCursor, half, progress);
    PageWalk other(openBlockReader, store, frameBytes, second, half, progress);
    PageWalk out(openBlockWriter, store, frameBytes, change, nullptr);
    i32 c = channelCount;
    u64 k = 0;
    f64 weight = 0.0;
    while (nextPages(out, {&first, &other})) {
        const size_t n = std::min({first.left(), other.left(), out.left()}) / sizeof(Sample);
        const Unaligned<Sample>* a = (const Unaligned<Sample>*)first.take(n * sizeof(Sample));
        const Unaligned<Sample>* b = (const Unaligned<Sample>*)other.take(n * sizeof(Sample));
        Unaligned<Sample>* w = (Unaligned<Sample>*)out.take(n * sizeof(Sample));
        for (size_t i = 0; i < n; ++i) {
            if (c == channelCount) {
                c = 0;
                weight = (f64)k++ * step;
            }
            w[i] = channelMask[c] ? Traits::truncated((1.0 - weight) * (f64)a[i] + weight * (f64)b[i]) : a[i];
            ++c;
        }
    }
    out.finish();
}

#define INSTANTIATE_FADES(T)                                  \
    template void SampleProcessor<T>::prefading();            \
    template void SampleProcessor<T>::fading();               \
    template void SampleProcessor<T>::nlPrefading();          \
    template void SampleProcessor<T>::nlFading();             \
    template void SampleProcessor<T>::crescendo();            \
    template void SampleProcessor<T>::diminuendo();           \
    template void SampleProcessor<T>::crossfading();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_FADES)
