#pragma once
// Four-point interpolation and the frame window that resampling and vibrato read through.
#include <cmath>
#include <cstring>
#include <vector>

#include "core/types.h"

// The cubic through (0, p0), (1, p1), (2, p2), (3, p3) at t.
inline f64 cubicInterpolate(f64 p0, f64 p1, f64 p2, f64 p3, f64 t) {
    return (t * (3 * (t - 3) * (p1 * (t - 2) - p2 * (t - 1)) + p3 * (t - 1) * (t - 2)) - p0 * (t - 1) * (t - 2) * (t - 3)) /
           6;
}

// The last four frames read of a source of `frames` frames, per track, and the position within them
// of a read position x >= 0: the window covers floor(x) - 1 .. floor(x) + 2; at the start frames 0..3;
// near the end it stays on the last four frames and the position moves on within it.
class CubicWindow {
public:
    CubicWindow(i32 channels, u64 frames) : channels(channels), frames(frames), history(4 * (size_t)channels, 0.0) {}

    // Moves the window to x; read(f64* frame) gives the next source frame's tracks as f64. Answers
    // the position within the window.
    template <class Read>
    f64 moveTo(f64 x, Read read) {
        f64 fl = std::floor(x);
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
        while ((f64)readCount < top) {
            memmove(history.data(), history.data() + channels, 3 * (size_t)channels * sizeof(f64));
            read(history.data() + 3 * (size_t)channels);
            ++readCount;
        }
        return t;
    }
    f64 value(i32 channel, f64 t) const {
        const f64* h = history.data();
        return cubicInterpolate(h[channel], h[channels + channel], h[2 * channels + channel], h[3 * channels + channel], t);
    }

private:
    i32 channels;
    u64 frames;
    u64 readCount = 0;
    std::vector<f64> history;  // four frames, oldest first
};
