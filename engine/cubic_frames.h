#pragma once
// The walk of the cubic resampler and the vibrato: output frame k of the writer's range reads the
// source at position(k) through the four-frame window.
#include "engine/cubic_interpolation.h"
#include "engine/frame_feed.h"
#include "engine/sample_processor.h"

// Integer types: toward zero, held to the type's range (the cubic can overshoot full scale), which
// sets the clip flag in 16 bits; floats as they are.
template <class Traits>
void storeInterpolated(f64 v, Unaligned<typename Traits::Sample>* place, u32* flags) {
    if (Traits::encoding == encodingInt16 && !(v > -32768.0 && v < 32768.0)) {
        *flags |= clippedFlag;
        *place = (typename Traits::Sample)(v > 0 ? 32767 : v < 0 ? -32767 : 0);
        return;
    }
    *place = Traits::truncated(v);
}

// Frames from `interpolated` on are copied from keep for every track, as are the unselected tracks
// before (keep: the old frames in step with the writer, zeros past them; null when every track is
// selected and nothing is copied). The writer is finished.
template <class Traits, class Position>
void cubicFrames(SoundBlockProcessor& p, FrameFeed& in, u64 inFrames, FrameFeed* keep, PageWalk& out,
                 u64 interpolated, Position position) {
    typedef typename Traits::Sample S;
    typedef Unaligned<S> U;
    const i32 channels = p.channelCount;
    const u8* mask = p.channelMask;
    CubicWindow window(channels, inFrames);
    auto read = [&](f64* frame) {
        const U* s = (const U*)in.next();
        for (i32 c = 0; c < channels; ++c) frame[c] = (f64)s[c];
    };
    u32 clipped = 0;
    u64 k = 0;
    while (nextPages(out, {})) {
        for (size_t n = out.framesLeft(); n > 0; --n, ++k) {
            U* w = (U*)out.take(out.frameSize);
            const U* old = keep ? (const U*)keep->next() : nullptr;
            if (k >= interpolated) {
                for (i32 c = 0; c < channels; ++c) w[c] = old[c];
                continue;
            }
            const f64 t = window.moveTo(position(k), read);
            for (i32 c = 0; c < channels; ++c) {
                if (mask[c]) storeInterpolated<Traits>(window.value(c, t), w + c, &clipped);
                else w[c] = old[c];
            }
        }
    }
    out.finish();
    p.flags |= clipped;
}

