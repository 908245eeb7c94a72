#pragma once
// Merging samples that come from elsewhere (the clipboard, another sound, a generator) into the
// tracks of a sound: the shared body of paste, paste insert and the mixing operations. Incoming
// samples of any of the four encodings are read as f64 by value, without scaling; one hook per
// destination type (SampleMerge<Traits>) stores them, plainly or combined with the sample there.
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "engine/sample_types.h"

// combine(incoming, existing): the value to store.
typedef f64 (*CombineFunction)(f64 incoming, f64 existing);
inline f64 combineAdd(f64 incoming, f64 existing) { return incoming + existing; }
inline f64 combineSubtract(f64 incoming, f64 existing) { return existing - incoming; }

// One incoming sample of the encoding as f64; an encoding other than the four reads 0.
typedef f64 (*SampleReader)(const u8* at);
template <class S>
f64 readSampleAs(const u8* at) {
    S s;
    memcpy(&s, at, sizeof s);
    return (f64)s;
}
inline f64 readNoSample(const u8*) { return 0.0; }
inline SampleReader sampleReaderFor(u32 encoding) {
    switch (encoding) {
    case encodingInt16: return readSampleAs<i16>;
    case encodingInt32: return readSampleAs<i32>;
    case encodingFloat: return readSampleAs<f32>;
    case encodingDouble: return readSampleAs<f64>;
    default: return readNoSample;
    }
}

template <class Traits>
struct SampleMerge {
    typedef typename Traits::Sample Sample;
    // A value copied in: integers truncated toward zero without a limit (16 bits keep the low 16
    // bits of a wider value), floats as they are.
    static Sample plain(f64 x) { return Traits::truncated(x); }
    // A combined value: as plain, except that 16 bits are limited to +-32767, setting *clipped.
    static Sample combined(f64 x, bool* clipped) {
        if constexpr (std::is_same<Traits, SampleInt16>::value) {
            if (x > 32767.0 || x < -32767.0) {
                *clipped = true;
                return x > 0 ? 32767 : -32767;
            }
        }
        return Traits::truncated(x);
    }
};

// Where the tracks of a destination frame come from: sourceOf[t] is the index of the incoming
// sample of a frame that track t receives, or negative for none.
struct MergeLayout {
    const i32* sourceOf = nullptr;
    i32 tracks = 0;
    size_t incomingFrameBytes = 0;
    size_t incomingSampleBytes = 0;
    SampleReader read = readNoSample;
};

// Merges `frames` frames: a track with an incoming sample gets it, combined with the existing one
// when combine is given and existing samples are (old not null); a track without one keeps the
// existing sample, or gets 0 where there is none.
template <class Traits>
void mergeFrames(const MergeLayout& layout, Unaligned<typename Traits::Sample>* out,
                 const Unaligned<typename Traits::Sample>* old, const u8* incoming, size_t frames,
                 CombineFunction combine, bool* clipped) {
    typedef SampleMerge<Traits> M;
    const i32 tracks = layout.tracks;
    if (!old) combine = nullptr;
    for (size_t f = 0; f < frames; ++f) {
        for (i32 t = 0; t < tracks; ++t) {
            const i32 k = layout.sourceOf[t];
            if (k < 0) {
                out[t] = old ? old[t] : 0;
                continue;
            }
            const f64 v = layout.read(incoming + (size_t)k * layout.incomingSampleBytes);
            out[t] = combine ? M::combined(combine(v, (f64)old[t]), clipped) : M::plain(v);
        }
        out += tracks;
        if (old) old += tracks;
        incoming += layout.incomingFrameBytes;
    }
}
