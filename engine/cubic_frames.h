#pragma once
// The walk of the cubic resampler and the vibrato: output frame k of the writer's range reads the
// source at position(k) through the four-frame window.
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/cubic_interpolate.h"
#include "engine/frame_feed.h"
#include "engine/sample_processor.h"

// The last four frames read of a source of `frames` frames and the position within them of a read
// position x >= 0: the window covers floor(x) - 1 .. floor(x) + 2; at the start frames 0..3; near
// the end it stays on the last four frames and the position moves on within it.
template <class Traits>
class CubicWindow {
public:
    typedef typename Traits::Sample Sample;

    CubicWindow(i32 channels, u64 frames) : channels(channels), frames(frames), history(4 * (size_t)channels, 0) {}

    // Moves the window to x, taking the frames it needs from next() (a pointer to the next source
    // frame); answers the position within the window.
    template <class Next>
    f64 moveTo(f64 x, Next next) {
        f64 fl = floorExact(x);
        f64 t = x - fl + 1;
        f64 top = fl + 3;
        if (fl <= 0) {
            t = x < 0 ? 0 : x;
            top = 4;
        }
        if (top > (f64)frames) {
            t += top - (f64)frames;
            top = (f64)frames;
        }
        for (; (f64)readCount < top; ++readCount) {
            memmove(history.data(), history.data() + channels, 3 * (size_t)channels * sizeof(Sample));
            const Unaligned<Sample>* frame = (const Unaligned<Sample>*)next();
            for (i32 c = 0; c < channels; ++c) history[3 * (size_t)channels + c] = frame[c];
        }
        return t;
    }
    f64 value(i32 channel, f64 t) const { return cubicInterpolate<Traits>(history.data() + channel, (size_t)channels, t); }

private:
    i32 channels;
    u64 frames;
    u64 readCount = 0;
    std::vector<Sample> history;  // four frames, oldest first
};

// The interpolated value (whole in the integer types) held to the type's range: the cubic can
// overshoot full scale, which sets the clip flag in 16 bits.
template <class Traits>
void storeInterpolated(f64 v, Unaligned<typename Traits::Sample>* place, u32* flags) {
    if (Traits::encoding == encodingInt16 && !(v > -32768.0 && v < 32768.0)) {
        *flags |= clippedFlag;
        *place = (typename Traits::Sample)(v > 0 ? 32767 : v < 0 ? -32767 : 0);
        return;
    }
    *place = Traits::truncated(v);
}

// Unselected tracks are copied from keep (the old frames in step with the writer, zeros past them;
// null when every track is selected and no frame lies past `interpolated`); from `interpolated` on the
// selected tracks hold silence. The writer is finished.
template <class Traits, class Position>
void cubicFrames(SoundBlockProcessor& p, FrameFeed& in, u64 inFrames, FrameFeed* keep, PageWalk& out,
                 u64 interpolated, Position position) {
    typedef typename Traits::Sample S;
    typedef Unaligned<S> U;
    const i32 channels = p.channelCount;
    const u8* mask = p.channelMask;
    CubicWindow<Traits> window(channels, inFrames);
    auto read = [&in]() { return in.next(); };
    u32 clipped = 0;
    u64 k = 0;
    while (nextPages(out, {})) {
        for (size_t n = out.framesLeft(); n > 0; --n, ++k) {
            U* w = (U*)out.take(out.frameSize);
            const U* old = keep ? (const U*)keep->next() : nullptr;
            if (k >= interpolated) {
                for (i32 c = 0; c < channels; ++c) w[c] = mask[c] ? S(0) : old[c];
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

