#pragma once
// Per-frame walk of a same-length change, for operations whose result depends on the frame: a value
// is computed once at the start of each frame and shared by all its tracks.
#include <algorithm>
#include <cstddef>

#include "engine/page_walk.h"

// The number of whole frames of the processor's range.
inline u64 rangeFrames(const SoundBlockProcessor& p) {
    return p.frameBytes > 0 ? (p.rangeEnd - p.rangeStart) / (u64)p.frameBytes : 0;
}

// frameValue(f64 frame) is called at the start of every frame, in order, with the frame's index in
// the range (0 for the first; whole numbers are exact in f64 far beyond any sound's length); each
// sample of a selected track of that frame becomes op(sample, value), every other sample is copied.
// The reader carries the processor's progress; the writer ends the walk, so a cancel does not stop it.
template <class Traits, class FrameValue, class Op>
void walkFrames(SoundBlockProcessor& p, const RangeChange& change, FrameValue frameValue, Op op) {
    typedef typename Traits::Sample S;
    const i32 channels = p.channelCount;
    if (channels <= 0) return p.fillRestWithOld(change, 0);
    const u8* mask = p.channelMask;
    const bool all = p.selectedChannelCount == channels;
    i32 c = channels;  // the first sample starts a frame
    f64 frame = 0.0;
    f64 value = 0.0;
    walkSampleRuns<S>(p, change, [&](const Unaligned<S>* r, Unaligned<S>* w, size_t n) {
        size_t i = 0;
        while (i < n) {
            if (c == channels) {
                c = 0;
                value = frameValue(frame);
                frame += 1.0;
            }
            const size_t m = std::min<size_t>((size_t)(channels - c), n - i);
            if (all) {
                for (size_t k = 0; k < m; ++k) w[i + k] = op(r[i + k], value);
            } else {
                for (size_t k = 0; k < m; ++k) w[i + k] = mask[c + k] ? op(r[i + k], value) : r[i + k];
            }
            i += m;
            c += (i32)m;
        }
    });
}
