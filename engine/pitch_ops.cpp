// Pitch, pitch scale and tempo: the phase vocoder shifts the pitch at the same length, the cubic
// resampler changes pitch and length together, tempo runs one after the other through a scratch
// area in the work file behind the change's new bytes.
//
// Fields: param1 the factor (pitch: frequency factor; pitch scale and tempo: input frames per output
// frame), periodFrames the vocoder's frame size, paramInt2 its oversampling, paramInt3 its window.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/progress.h"
#include "engine/change_guard.h"
#include "engine/cubic_frames.h"
#include "engine/frame_feed.h"
#include "engine/lane_threads.h"
#include "engine/phase_vocoder.h"
#include "engine/pitch_kernels.h"
#include "engine/sample_processor.h"

namespace {
// A factor the operations can use: positive and finite.
bool usableFactor(f64 r) { return r > 0 && r < 1e300; }
}  // namespace

// The frames of a range the kernels refuse: under 4.
bool rangeTooShortToResample(const SoundBlockProcessor& p) {
    return p.frameBytes <= 0 || (p.rangeEnd - p.rangeStart) / (u64)p.frameBytes < 4;
}

// ---- the kernels ----

// Unselected tracks come from `old`, the range before the operation; after the resampled frames,
// when the length is kept, the selected tracks hold silence. The writer carries the progress: a
// cancel ends it at its next page (the rest of a change gets the fill rule).
template <class Traits>
void resampleCubicKernel(SoundBlockProcessor& p, const KernelSource& from, const KernelSource& old,
                         const KernelTarget& to, f64 ratio) {
    const u64 inFrames = from.bytes / (u64)p.frameBytes;
    const u64 scaled = (u64)std::floor((f64)inFrames / ratio + 0.5);
    const u64 outFrames = to.bytes / (u64)p.frameBytes;
    const u64 interpolated = std::min(scaled, outFrames);
    std::unique_ptr<FrameFeed> in(from.feed(p, nullptr)), keep;
    if (p.selectedChannelCount != p.channelCount || interpolated < outFrames) keep.reset(old.feed(p, nullptr));
    std::unique_ptr<PageWalk> out(to.writer(p, p.progress));
    cubicFrames<Traits>(p, *in, inFrames, keep.get(), *out, interpolated, [ratio](u64 k) { return (f64)k * ratio; });
}

// The vocoder's output is aligned with its input: as many frames as it lags are read past the source
// (the sound after it, then zeros) and dropped at the start.
template <class Traits>
void pitchShiftKernel(SoundBlockProcessor& p, const KernelSource& from, const KernelTarget& to, f64 factor) {
    typedef typename Traits::Sample S;
    typedef Unaligned<S> U;
    const i32 channels = p.channelCount;
    const u8* mask = p.channelMask;
    std::vector<i32> selected;
    for (i32 c = 0; c < channels; ++c) {
        if (mask[c]) selected.push_back(c);
    }
    const u32 frameSize = p.periodFrames, oversampling = p.paramInt2;
    // One vocoder per track, the tracks shared among the processor's cores.
    std::vector<std::unique_ptr<PhaseVocoder>> vocoders;
    for (size_t i = 0; i < selected.size(); ++i) {
        vocoders.emplace_back(new PhaseVocoder(frameSize, oversampling, p.sampleRate, windowFunctionOf(p.paramInt3), 1));
    }
    LaneThreads threads((u32)vocoders.size());
    const u32 latency = PhaseVocoder::latency(frameSize);
    std::unique_ptr<FrameFeed> in(from.feedWithTail(p, p.progress, (u64)latency * p.frameBytes));
    std::unique_ptr<FrameFeed> keep(selected.size() < (size_t)channels ? from.feed(p, nullptr) : nullptr);
    std::unique_ptr<PageWalk> out(to.writer(p, nullptr));

    // Long enough that handing the tracks to the threads costs little.
    const size_t block = 16384;
    std::vector<f64> lanes(selected.size() * block);
    // Frames through the vocoders: n of them read from the source into the lanes and shifted.
    auto shift = [&](size_t n) {
        for (size_t f = 0; f < n; ++f) {
            const U* s = (const U*)in->next();
            for (size_t i = 0; i < selected.size(); ++i) lanes[i * block + f] = (f64)s[selected[i]];
        }
        threads.run((u32)vocoders.size(), [&](u32 v) { vocoders[v]->process(factor, &lanes[v * block], nullptr, n); });
    };
    if (!selected.empty()) {
        for (u32 dropped = 0; dropped < latency;) {
            size_t n = std::min<size_t>(block, latency - dropped);
            shift(n);
            dropped += (u32)n;
        }
    }
    // Whole blocks go through the vocoders, whatever the pages' sizes (the last one may run past the
    // end: its extra frames are dropped).
    size_t ready = 0, used = 0;  // frames in the lanes, and those of them written
    u32 clipped = 0;
    while (nextPages(*out, {})) {
        while (out->framesLeft() > 0) {
            if (!selected.empty() && used == ready) {
                shift(block);
                ready = block;
                used = 0;
            }
            const size_t n = selected.empty() ? out->framesLeft() : std::min(ready - used, out->framesLeft());
            U* w = (U*)out->take(n * out->frameSize);
            for (size_t f = 0; f < n; ++f, w += channels) {
                const U* old = keep ? (const U*)keep->next() : nullptr;
                for (i32 c = 0; c < channels; ++c) {
                    if (!mask[c]) w[c] = old[c];
                }
                for (size_t i = 0; i < selected.size(); ++i) Traits::storeRounded(lanes[i * block + used + f], w + selected[i], &clipped);
            }
            used += n;
        }
    }
    out->finish();
    p.flags |= clipped;
}

// ---- the sources and targets: a range of the store, or the scratch area of the work file ----

FrameFeed* KernelSource::feed(SoundBlockProcessor& p, JobProgress* progress) const {
    FrameFeed* f = new FrameFeed((size_t)p.frameBytes);
    if (scratch) f->then(new PageWalk(openBlockReader, p.store->workFile, p.frameBytes, scratchStart, bytes, progress));
    else f->then(new PageWalk(openBlockReader, p.store, p.frameBytes, cursor, bytes, progress));
    return f;
}

FrameFeed* KernelSource::feedWithTail(SoundBlockProcessor& p, JobProgress* progress, u64 tailBytes) const {
    FrameFeed* f = feed(p, progress);
    // The sound after the range, up to its end as the change left it.
    const u64 after = p.rangeStart + tailFrom, soundEnd = p.store->soundEnd();
    if (after < soundEnd) {
        const u64 n = std::min(tailBytes, soundEnd - after);
        f->then(new PageWalk(openBlockReader, p.store, p.frameBytes, p.store->findSegment(after), n, nullptr));
    }
    return f;
}

PageWalk* KernelTarget::writer(SoundBlockProcessor& p, JobProgress* progress) const {
    if (change) return new PageWalk(openBlockWriter, p.store, p.frameBytes, *change, progress);
    return new PageWalk(openBlockWriter, p.store->workFile, p.frameBytes, scratchStart, bytes, progress);
}

// ---- the operations ----

namespace {
// Edges saved, the change opened and both slots told; false when the store refused it.
bool openResizingChange(SoundBlockProcessor& p, u64 newLength, RangeChange* change) {
    if (p.edgeFadeBytes) {
        p.readContextSamples(p.rangeStart);
        p.readEndContextSamples(p.rangeEnd);
    }
    const u64 length = p.rangeEnd - p.rangeStart;
    *change = p.openChange(p.rangeStart, length, newLength);
    p.notifyChangeFinished();
    return change->oldLength == length;
}

bool vocoderReady(const SoundBlockProcessor& p) {
    return usableFactor(p.param1) && vocoderSettingsValid(p.periodFrames, p.paramInt2) && !rangeTooShortToResample(p);
}
}  // namespace

template <class Traits>
void SampleProcessor<Traits>::pitch() {
    if (!vocoderReady(*this)) return;
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    const u64 length = rangeEnd - rangeStart;
    if (change.oldLength != length) return;
    pitchShiftKernel<Traits>(*this, KernelSource::range(change.oldCursor, length, length),
                             KernelTarget::newBytes(change), param1);
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

template <class Traits>
void SampleProcessor<Traits>::pitchScale() {
    if (!usableFactor(param1) || rangeTooShortToResample(*this)) return;
    const u64 length = rangeEnd - rangeStart, newLength = resultRangeLength();
    RangeChange change;
    if (!openResizingChange(*this, newLength, &change)) return;
    ChangeGuard guard(store, change);
    const KernelSource old = KernelSource::range(change.oldCursor, length, newLength);
    resampleCubicKernel<Traits>(*this, old, old, KernelTarget::newBytes(change), param1);
    extraPositions[newSelectionStart] = rangeStart;
    extraPositions[newSelectionEnd] = rangeStart + newLength;
    applyEdgeCrossfades(rangeStart, rangeStart + newLength);
}

// Longer: resampled into the scratch area, then the pitch raised back into the new bytes. Shorter:
// the pitch lowered into the scratch area, then resampled into the new bytes. A factor of exactly 1
// copies the old bytes.
template <class Traits>
void SampleProcessor<Traits>::tempo() {
    if (!vocoderReady(*this)) return;
    const f64 r = param1;
    const u64 length = rangeEnd - rangeStart, newLength = resultRangeLength();
    RangeChange change;
    if (!openResizingChange(*this, newLength, &change)) return;
    ChangeGuard guard(store, change);
    const u64 scratchStart = (u64)store->workEnd;
    const KernelSource old = KernelSource::range(change.oldCursor, length, newLength);
    if (r == 1.0) {
        PageWalk(openBlockWriter, store, frameBytes, change, nullptr).finish();
    } else if (r > 1.0) {
        pitchShiftKernel<Traits>(*this, old, KernelTarget::scratchArea(scratchStart, length), 1.0 / r);
        if (progress) progress->commit();
        resampleCubicKernel<Traits>(*this, KernelSource::scratchArea(scratchStart, length), old,
                                    KernelTarget::newBytes(change), r);
    } else {
        resampleCubicKernel<Traits>(*this, old, old, KernelTarget::scratchArea(scratchStart, newLength), r);
        if (progress) progress->commit();
        // Cancelled: the scratch area holds only part of the frames; the range keeps the old ones.
        if (progress && progress->isCancelled()) {
            fillRestWithOld(change, 0);
        } else {
            pitchShiftKernel<Traits>(*this, KernelSource::scratchArea(scratchStart, newLength, newLength),
                                     KernelTarget::newBytes(change), 1.0 / r);
        }
    }
    extraPositions[newSelectionStart] = rangeStart;
    extraPositions[newSelectionEnd] = rangeStart + newLength;
    applyEdgeCrossfades(rangeStart, rangeStart + newLength);
}

#define INSTANTIATE_PITCH(T)                          \
    template void SampleProcessor<T>::pitch();        \
    template void SampleProcessor<T>::pitchScale();   \
    template void SampleProcessor<T>::tempo();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_PITCH)
