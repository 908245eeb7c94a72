// Level operations: each replaces the range by as many new bytes, computing the samples of the
// selected tracks and copying the others, then blends both edges with the untouched sound.
#include <memory>
#include <type_traits>
#include <vector>

#include "core/progress.h"
#include "engine/change_guard.h"
#include "engine/gain_sse2.h"
#include "engine/page_walk.h"
#include "engine/sample_processor.h"

template <class Traits>
void SampleProcessor<Traits>::clearChannelsKernel(const RangeChange& change) {
    mapSamples<Traits>(*this, change, [](Sample) { return Sample(0); });
}

template <class Traits>
void SampleProcessor<Traits>::gainKernel(const RangeChange& change) {
    const f64 factor = param1;
    u32 clipped = 0;
    auto gain = [factor, &clipped](Sample x) {
        Sample y;
        Traits::storeRounded((f64)x * factor, &y, &clipped);
        return y;
    };
    if constexpr (std::is_same<Traits, SampleInt16>::value) {
        mapSampleBlocks<Traits>(*this, change, gain, [factor, &clipped](const i16u* in, i16u* out, size_t n) {
            gainInt16Block(in, out, n, factor, &clipped);
        });
    } else {
        mapSamples<Traits>(*this, change, gain);
    }
    flags |= clipped;
}

template <class Traits>
void SampleProcessor<Traits>::zero() {
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    clearChannelsKernel(change);
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

template <class Traits>
void SampleProcessor<Traits>::amplify() {
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    gainKernel(change);
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

// param1 holds the wanted largest magnitude and becomes the factor that reaches it. A selection of
// silence has no such factor and stays as it is (factor 1).
template <class Traits>
void SampleProcessor<Traits>::changeMaxVolume() {
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    typename Traits::Magnitude peak = 0;
    scanSelectedSamples<Traits>(*this, change.oldCursor, change.oldLength, [&peak](Sample x, i32) {
        typename Traits::Magnitude m = Traits::magnitude(x);
        if (m > peak) peak = m;
    });
    param1 = peak > 0 ? param1 / (f64)peak : 1.0;
    if (progress) progress->commit();
    gainKernel(change);
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

template <class Traits>
void SampleProcessor<Traits>::assign() {
    const Sample value = Traits::truncated(param1);
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    mapSamples<Traits>(*this, change, [value](Sample) { return value; });
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

template <class Traits>
void SampleProcessor<Traits>::add() {
    const f64 offset = param1;
    u32 clipped = 0;
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    mapSamples<Traits>(*this, change, [offset, &clipped](Sample x) {
        Sample y;
        Traits::storeRounded((f64)x + offset, &y, &clipped);
        return y;
    });
    flags |= clipped;
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

template <class Traits>
void SampleProcessor<Traits>::invert() {
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    mapSamples<Traits>(*this, change, [](Sample x) { return Traits::negate(x); });
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

// Each selected track loses its mean over the range. The first pass ends on a cancel; the means of
// the part read still divide by the frames of the whole range.
template <class Traits>
void SampleProcessor<Traits>::center() {
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    std::vector<f64> mean((size_t)channelCount, 0.0);
    scanSelectedSamples<Traits>(*this, change.oldCursor, change.oldLength,
                                [&mean](Sample x, i32 c) { mean[(size_t)c] += (f64)x; });
    u64 frames = frameBytes > 0 ? change.oldLength / (u64)frameBytes : 0;
    if (frames) {
        for (f64& m : mean) m /= (f64)frames;
    }
    if (progress) progress->commit();
    u32 clipped = 0;
    mapPlacedSamples<Traits>(*this, change, [&mean, &clipped](Sample x, i32 c, u64) {
        Sample y;
        Traits::storeRounded((f64)x - mean[(size_t)c], &y, &clipped);
        return y;
    });
    flags |= clipped;
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

// Frames from the last to the first, the tracks of a frame in ascending order: the reverse reader
// hands out the pages from the end of the range, and each page is taken from its last frame. A
// selected track takes its own sample of the mirrored frame; the others keep theirs, from a forward
// reader in step with the writer.
template <class Traits>
void SampleProcessor<Traits>::mirror() {
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    const u64 length = change.newLength;
    const size_t frame = (size_t)frameBytes;
    const i32 channels = channelCount;
    const bool all = selectedChannelCount == channelCount;
    if (frame > 0) {
        PageWalk back(openBlockReverseReader, store, frameBytes, change.oldCursor, length, progress);
        PageWalk out(openBlockWriter, store, frameBytes, change, nullptr);
        std::unique_ptr<PageWalk> forward;
        if (!all) forward.reset(new PageWalk(openBlockReader, store, frameBytes, change.oldCursor, length, nullptr));
        while (nextPages(out, {&back, forward.get()})) {
            size_t n = std::min(back.left(), out.left());
            if (forward) n = std::min(n, forward->left());
            n /= frame;
            const u8* b = back.take(n * frame) + n * frame;  // its frames go from the last
            u8* w = out.take(n * frame);
            const u8* f = forward ? forward->take(n * frame) : nullptr;
            for (size_t k = 0; k < n; ++k) {
                b -= frame;
                const Unaligned<Sample>* from = (const Unaligned<Sample>*)b;
                Unaligned<Sample>* to = (Unaligned<Sample>*)w;
                if (all) {
                    for (i32 c = 0; c < channels; ++c) to[c] = from[c];
                } else {
                    const Unaligned<Sample>* keep = (const Unaligned<Sample>*)f;
                    for (i32 c = 0; c < channels; ++c) to[c] = channelMask[c] ? from[c] : keep[c];
                    f += frame;
                }
                w += frame;
            }
        }
        out.finish();
    }
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

#define INSTANTIATE_LEVELS(T)                                                          \
    template void SampleProcessor<T>::clearChannelsKernel(const RangeChange&);         \
    template void SampleProcessor<T>::gainKernel(const RangeChange&);                  \
    template void SampleProcessor<T>::zero();                                          \
    template void SampleProcessor<T>::amplify();                                       \
    template void SampleProcessor<T>::changeMaxVolume();                               \
    template void SampleProcessor<T>::assign();                                        \
    template void SampleProcessor<T>::add();                                           \
    template void SampleProcessor<T>::invert();                                        \
    template void SampleProcessor<T>::center();                                        \
    template void SampleProcessor<T>::mirror();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_LEVELS)
