#include "editor/peak_fold.h"

#include <cstring>

#include <emmintrin.h>

void startPeakRecord(float* record, u32 tracks) {
    for (u32 t = 0; t < tracks; ++t) {
        record[2 * t] = 1e20f;
        record[2 * t + 1] = -1e20f;
    }
}

namespace {
template <class S, class A>
void foldScalar(const S* s, u32 frames, u32 tracks, float* record) {
    for (u32 t = 0; t < tracks; ++t) {
        A lo = (A)record[2 * t], hi = (A)record[2 * t + 1];
        const S* p = s + t;
        for (u32 f = 0; f < frames; ++f, p += tracks) {
            A v = (A)*p;
            if (v < lo) lo = v;
            if (v > hi) hi = v;
        }
        if (lo < (A)record[2 * t]) record[2 * t] = (float)lo;
        if (hi > (A)record[2 * t + 1]) record[2 * t + 1] = (float)hi;
    }
}

// Eight lanes of interleaved 16-bit samples; tracks divides 8, so lane i is track i % tracks.
void foldInt16Lanes(const i16* s, u32 frames, u32 tracks, float* record) {
    u32 n = frames * tracks;
    if (n < 8) {
        foldScalar<i16, float>(s, frames, tracks, record);
        return;
    }
    __m128i lo = _mm_set1_epi16(32767), hi = _mm_set1_epi16(-32768);
    u32 i = 0;
    for (; i + 8 <= n; i += 8) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        lo = _mm_min_epi16(lo, v);
        hi = _mm_max_epi16(hi, v);
    }
    alignas(16) i16 los[8], his[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(los), lo);
    _mm_store_si128(reinterpret_cast<__m128i*>(his), hi);
    // The tail starts on a frame boundary (i is a multiple of 8, tracks divides 8).
    for (; i < n; ++i) {
        u32 lane = i % 8;
        if (s[i] < los[lane]) los[lane] = s[i];
        if (s[i] > his[lane]) his[lane] = s[i];
    }
    for (u32 lane = 0; lane < 8; ++lane) {
        u32 t = lane % tracks;
        if ((float)los[lane] < record[2 * t]) record[2 * t] = (float)los[lane];
        if ((float)his[lane] > record[2 * t + 1]) record[2 * t + 1] = (float)his[lane];
    }
}
}  // namespace

void foldInt16Frames(const i16* samples, u32 frames, u32 tracks, float* record) {
    if (tracks && 8 % tracks == 0) foldInt16Lanes(samples, frames, tracks, record);
    else foldScalar<i16, float>(samples, frames, tracks, record);
}

void foldInt32Frames(const i32* samples, u32 frames, u32 tracks, float* record) {
    foldScalar<i32, float>(samples, frames, tracks, record);
}

void foldFloatFrames(const float* samples, u32 frames, u32 tracks, float* record) {
    foldScalar<float, float>(samples, frames, tracks, record);
}

void foldDoubleFrames(const double* samples, u32 frames, u32 tracks, float* record) {
    foldScalar<double, double>(samples, frames, tracks, record);
}

void foldFrames(u32 encoding, const u8* samples, u32 frames, u32 tracks, float* record) {
    switch (encoding) {
    case 2: foldInt16Frames(reinterpret_cast<const i16*>(samples), frames, tracks, record); break;
    case 3: foldInt32Frames(reinterpret_cast<const i32*>(samples), frames, tracks, record); break;
    case 4: foldFloatFrames(reinterpret_cast<const float*>(samples), frames, tracks, record); break;
    case 5: foldDoubleFrames(reinterpret_cast<const double*>(samples), frames, tracks, record); break;
    default: break;
    }
}

void samplesToFloats(u32 encoding, const u8* samples, u32 count, float* out) {
    for (u32 i = 0; i < count; ++i) {
        switch (encoding) {
        case 2: { i16 v; memcpy(&v, samples + 2 * i, 2); out[i] = v; break; }
        case 3: { i32 v; memcpy(&v, samples + 4 * i, 4); out[i] = (float)v; break; }
        case 4: memcpy(out + i, samples + 4 * i, 4); break;
        case 5: { double v; memcpy(&v, samples + 8 * i, 8); out[i] = (float)v; break; }
        default: out[i] = samples[i]; break;
        }
    }
}
