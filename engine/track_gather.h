#pragma once
// Frames of one track layout into frames of another, as raw bytes: output track k of a frame is the
// input frame's sample of track order[k], or silence (zero bytes) where order[k] is negative.
#include <cstddef>
#include <cstring>

#include "core/types.h"

template <size_t sampleBytes>
void gatherTracks(const u8* in, u8* out, size_t frames, size_t inFrame, const i32* order, size_t tracks) {
    for (size_t f = 0; f < frames; ++f, in += inFrame) {
        for (size_t k = 0; k < tracks; ++k, out += sampleBytes) {
            if (order[k] >= 0) memcpy(out, in + (size_t)order[k] * sampleBytes, sampleBytes);
            else memset(out, 0, sampleBytes);
        }
    }
}

typedef void (*TrackGather)(const u8* in, u8* out, size_t frames, size_t inFrame, const i32* order, size_t tracks);
inline TrackGather trackGatherFor(u32 sampleBytes) {
    switch (sampleBytes) {
    case 2: return gatherTracks<2>;
    case 4: return gatherTracks<4>;
    default: return gatherTracks<8>;
    }
}
