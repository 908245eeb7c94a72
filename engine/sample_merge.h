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

// One incoming sample of type In as f64; In = void is an encoding other than the four, read as 0.
template <class In>
struct IncomingSample {
    static const size_t bytes = sizeof(In);
    static f64 read(const u8* at) {
        In s;
        memcpy(&s, at, sizeof s);
        return (f64)s;
    }
};
template <>
struct IncomingSample<void> {
    static const size_t bytes = 0;
    static f64 read(const u8*) { return 0.0; }
};

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
    u32 incomingEncoding = 0;
};

namespace merge_detail {
struct Add {
    f64 operator()(f64 incoming, f64 existing) const { return incoming + existing; }
};
struct Subtract {
    f64 operator()(f64 incoming, f64 existing) const { return existing - incoming; }
};
struct Other {
    CombineFunction f;
    f64 operator()(f64 incoming, f64 existing) const { return f(incoming, existing); }
};
struct None {};

template <class Traits, class In, class Combine>
void mergeLoop(const MergeLayout& layout, Unaligned<typename Traits::Sample>* out,
               const Unaligned<typename Traits::Sample>* old, const u8* incoming, size_t frames, Combine combine,
               bool* clipped) {
    typedef SampleMerge<Traits> M;
    const i32 tracks = layout.tracks;
    for (size_t f = 0; f < frames; ++f) {
        for (i32 t = 0; t < tracks; ++t) {
            const i32 k = layout.sourceOf[t];
            if (k < 0) {
                out[t] = old ? old[t] : 0;
                continue;
            }
            const f64 v = IncomingSample<In>::read(incoming + (size_t)k * IncomingSample<In>::bytes);
            if constexpr (std::is_same<Combine, None>::value) out[t] = M::plain(v);
            else out[t] = M::combined(combine(v, (f64)old[t]), clipped);
        }
        out += tracks;
        if (old) old += tracks;
        incoming += layout.incomingFrameBytes;
    }
}

template <class Traits, class In>
void mergeFrom(const MergeLayout& layout, Unaligned<typename Traits::Sample>* out,
               const Unaligned<typename Traits::Sample>* old, const u8* incoming, size_t frames,
               CombineFunction combine, bool* clipped) {
    if (!combine || !old) return mergeLoop<Traits, In>(layout, out, old, incoming, frames, None(), clipped);
    if (combine == combineAdd) return mergeLoop<Traits, In>(layout, out, old, incoming, frames, Add(), clipped);
    if (combine == combineSubtract)
        return mergeLoop<Traits, In>(layout, out, old, incoming, frames, Subtract(), clipped);
    mergeLoop<Traits, In>(layout, out, old, incoming, frames, Other{combine}, clipped);
}
}  // namespace merge_detail

// Merges `frames` frames: a track with an incoming sample gets it, combined with the existing one
// when combine is given and existing samples are (old not null); a track without one keeps the
// existing sample, or gets 0 where there is none. The loop is made for each incoming type and for
// the two usual combine functions.
template <class Traits>
void mergeFrames(const MergeLayout& layout, Unaligned<typename Traits::Sample>* out,
                 const Unaligned<typename Traits::Sample>* old, const u8* incoming, size_t frames,
                 CombineFunction combine, bool* clipped) {
    using namespace merge_detail;
    switch (layout.incomingEncoding) {
    case encodingInt16: return mergeFrom<Traits, i16>(layout, out, old, incoming, frames, combine, clipped);
    case encodingInt32: return mergeFrom<Traits, i32>(layout, out, old, incoming, frames, combine, clipped);
    case encodingFloat: return mergeFrom<Traits, f32>(layout, out, old, incoming, frames, combine, clipped);
    case encodingDouble: return mergeFrom<Traits, f64>(layout, out, old, incoming, frames, combine, clipped);
    default: return mergeFrom<Traits, void>(layout, out, old, incoming, frames, combine, clipped);
    }
}
