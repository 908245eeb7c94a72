#pragma once
// The frame of the recursive filters: per-track state primed from the first frames of the range,
// which pass unchanged, then every later sample of a selected track through its track's filter, in
// one or more passes. The first pass reads the old bytes and writes the new ones; each further pass
// rewrites the new bytes in place. Only the end edge is blended back in.
#include <emmintrin.h>

#include <algorithm>
#include <type_traits>
#include <vector>

#include "core/progress.h"
#include "engine/change_guard.h"
#include "engine/page_walk.h"
#include "engine/sample_processor.h"

// Denormal results flushed to zero (and denormal inputs read as zero) while it lives: a recursion
// decaying on constant input would otherwise crawl through them.
class DenormalsFlushed {
public:
    DenormalsFlushed() : saved(_mm_getcsr()) { _mm_setcsr(saved | 0x8040); }
    ~DenormalsFlushed() { _mm_setcsr(saved); }
    DenormalsFlushed(const DenormalsFlushed&) = delete;
    DenormalsFlushed& operator=(const DenormalsFlushed&) = delete;

private:
    unsigned saved;
};

// The store of the filters: truncated toward zero (floats converted); an integer result beyond the
// type's range is held at +-32767 in 16 bits and at the ends of the range in 32 bits, and flagged.
template <class Traits>
typename Traits::Sample filterOutput(f64 y, u32* clipped) {
    typedef typename Traits::Sample S;
    if constexpr (std::is_same<S, i16>::value) {
        if (y > -32768.0 && y < 32768.0) return (i16)(i32)y;
        *clipped |= clippedFlag;
        return y > 0 ? 32767 : y < 0 ? -32767 : 0;
    } else if constexpr (std::is_same<S, i32>::value) {
        if (y > -2147483649.0 && y < 2147483648.0) return (i32)y;
        *clipped |= clippedFlag;
        return truncateInt32(y);
    } else {
        return (S)y;
    }
}

// Two tracks of interleaved frames as pairs of f64: frame i holds them at in[i x stride] and
// in[i x stride + second] (second 0: one track twice). Results go to the same places in out.
template <class Traits>
struct PairColumns {
    typedef typename Traits::Sample S;
    __m128d load(size_t i) const {
        const Unaligned<S>* at = in + i * stride;
        return _mm_set_pd((f64)at[second], (f64)at[0]);
    }
    // y holds sample values.
    void store(size_t i, __m128d y) const {
        Unaligned<S>* at = out + i * stride;
        at[0] = (S)_mm_cvtsd_f64(y);
        at[second] = (S)_mm_cvtsd_f64(_mm_unpackhi_pd(y, y));
    }
    // Stores a pair of filter results held to the type's range, without the flag: for sections whose
    // clip marker (at a limit inside the type's range) reports every result held.
    void put(size_t i, __m128d y) const {
        Unaligned<S>* at = out + i * stride;
        if constexpr (std::is_same<S, i16>::value) {
            const __m128d high = _mm_set1_pd(32767.0), low = _mm_set1_pd(-32767.0);
            __m128i v = _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(y, low), high));
            const u32 both = (u32)_mm_cvtsi128_si32(_mm_packs_epi32(v, v));
            at[0] = (i16)both;
            at[second] = (i16)(both >> 16);
        } else if constexpr (std::is_same<S, i32>::value) {
            const __m128d high = _mm_set1_pd(2147483647.0), low = _mm_set1_pd(-2147483648.0);
            __m128i v = _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(y, low), high));
            at[0] = _mm_cvtsi128_si32(v);
            at[second] = _mm_cvtsi128_si32(_mm_shuffle_epi32(v, 1));
        } else if constexpr (std::is_same<S, f32>::value) {
            __m128 v = _mm_cvtpd_ps(y);
            at[0] = _mm_cvtss_f32(v);
            at[second] = _mm_cvtss_f32(_mm_shuffle_ps(v, v, 1));
        } else {
            at[0] = _mm_cvtsd_f64(y);
            at[second] = _mm_cvtsd_f64(_mm_unpackhi_pd(y, y));
        }
    }
    const Unaligned<S>* in;
    Unaligned<S>* out;
    size_t stride;
    size_t second;
};

template <class T, class = void>
struct RunsPairs : std::false_type {};
template <class T>
struct RunsPairs<T, std::void_t<decltype(&T::runPair)>> : std::true_type {};

// Whole frames of every track through runPair, two tracks at a time, in stretches.
template <class Traits, class Track>
void pairedFrames(std::vector<Track>& tracks, const Unaligned<typename Traits::Sample>* r,
                  Unaligned<typename Traits::Sample>* w, size_t count, i32 channels) {
    const size_t chunk = 256;
    alignas(16) f64 scratch[2 * chunk];
    for (i32 c = 0; c < channels; c += 2) {
        // A last track alone runs beside a copy of itself.
        const i32 d = c + 1 < channels ? c + 1 : c;
        Track t0 = tracks[(size_t)c], t1 = tracks[(size_t)d];
        for (size_t from = 0; from < count; from += chunk) {
            const size_t at = from * (size_t)channels + (size_t)c;
            const PairColumns<Traits> columns{r + at, w + at, (size_t)channels, (size_t)(d - c)};
            t0.runPair(t1, columns, std::min(chunk, count - from), scratch);
        }
        tracks[(size_t)c] = t0;
        if (d != c) tracks[(size_t)d] = t1;
    }
}

// Track (one per track of the sound, copied freely) has
//   void prime(const f64* first): the track's samples of the first primeFrames frames, in order;
//   Sample operator()(Sample x): the next filtered sample;
// and may have void runPair(Track& second, const PairColumns<Traits>& columns, size_t n, f64*
// scratch): the same for two tracks side by side over n frames (scratch holds 2 n doubles).
// design(i32 track) makes a track's filter afresh for every pass. passes 0 counts as 1. The caller
// has checked that the range is long enough for the filter.
template <class Traits, class Design>
void runRecursiveFilter(SoundBlockProcessor& p, u32 primeFrames, u32 passes, Design design) {
    typedef typename Traits::Sample S;
    typedef Unaligned<S> U;
    typedef decltype(design(0)) Track;
    RangeChange change = p.openSameLengthChange(savedEdgeEnd);
    ChangeGuard guard(p.store, change);
    const i32 channels = p.channelCount;
    const u64 length = change.newLength;
    if (channels <= 0 || p.frameBytes <= 0) return p.fillRestWithOld(change, 0);
    DenormalsFlushed flushed;
    std::vector<Track> tracks;
    std::vector<S> head((size_t)channels * primeFrames);
    std::vector<f64> first(primeFrames);
    const size_t primeSamples = head.size();
    size_t toSkip = 0;  // samples of the prime frames not yet passed in this pass

    // Whole frames of a run that starts with track 0: two tracks at a time, so that the recursions
    // of both overlap, each kept in locals over the run.
    auto frames = [&](const U* r, U* w, size_t count) {
        if constexpr (RunsPairs<Track>::value) return pairedFrames<Traits>(tracks, r, w, count, channels);
        i32 c = 0;
        for (; c + 1 < channels; c += 2) {
            Track t0 = tracks[(size_t)c], t1 = tracks[(size_t)c + 1];
            const U* in = r + c;
            U* out = w + c;
            for (size_t f = 0; f < count; ++f, in += channels, out += channels) {
                const S x0 = in[0], x1 = in[1];
                out[0] = t0(x0);
                out[1] = t1(x1);
            }
            tracks[(size_t)c] = t0;
            tracks[(size_t)c + 1] = t1;
        }
        if (c < channels) {
            Track t = tracks[(size_t)c];
            const U* in = r + c;
            U* out = w + c;
            for (size_t f = 0; f < count; ++f, in += channels, out += channels) *out = t(*in);
            tracks[(size_t)c] = t;
        }
    };
    auto op = [&](S x, i32 c, u64 frame) { return frame < primeFrames ? x : tracks[(size_t)c](x); };
    auto block = [&](const U* r, U* w, size_t n, i32 c) {
        size_t i = std::min(n, toSkip);
        if (r != w) std::copy(r, r + i, w);
        toSkip -= i;
        c = (i32)(((size_t)c + i) % (size_t)channels);
        for (; i < n && c != 0; ++i, c = c + 1 == channels ? 0 : c + 1) w[i] = tracks[(size_t)c](r[i]);
        const size_t whole = (n - i) / (size_t)channels;
        frames(r + i, w + i, whole);
        for (i += whole * (size_t)channels; i < n; ++i, ++c) w[i] = tracks[(size_t)c](r[i]);
    };

    const u32 count = std::max(passes, 1u);
    for (u32 pass = 0; pass < count; ++pass) {
        const SegmentCursor& at = pass == 0 ? change.oldCursor : change.newCursor;
        p.store->readRange(at, head.size() * sizeof(S), (u8*)head.data());
        tracks.clear();
        for (i32 c = 0; c < channels; ++c) {
            tracks.push_back(design(c));
            for (u32 k = 0; k < primeFrames; ++k) first[k] = (f64)head[(size_t)k * channels + (size_t)c];
            tracks.back().prime(first.data());
        }
        toSkip = primeSamples;
        if (pass == 0) walkSamples<Traits, true>(p, change, op, block);
        else walkSamplesInPlace<Traits, true>(p, change.newCursor, length, op, block);
        if (p.progress) p.progress->commit();
    }
    p.applyEdgeCrossfades(p.rangeStart, p.rangeEnd);
}
