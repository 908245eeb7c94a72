// Echo and reverberation: every repetition of every reflection is a tap, a reader of the old range
// that starts after its delay and adds its samples, scaled and low-shelved, to the direct signal.
// The taps read in delay order, each copying from the one ahead of it what that one has just read.
// The range keeps its length; echoes past its end are lost.
#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/biquad.h"
#include "engine/change_guard.h"
#include "engine/echo_reflections.h"
#include "engine/page_walk.h"
#include "engine/recursive_filter.h"
#include "engine/sample_processor.h"

namespace {
// acc[i] += g x t[i], two doubles at a time: the same sums as one by one.
inline void addScaled(f64* acc, const i16u* t, size_t n, f64 g) {
    const __m128d gg = _mm_set1_pd(g);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i x16 = _mm_loadl_epi64((const __m128i*)(t + i));
        const __m128i x32 = _mm_srai_epi32(_mm_unpacklo_epi16(x16, x16), 16);
        const __m128d a = _mm_mul_pd(_mm_cvtepi32_pd(x32), gg);
        const __m128d b = _mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(x32, 0xEE)), gg);
        _mm_storeu_pd(acc + i, _mm_add_pd(_mm_loadu_pd(acc + i), a));
        _mm_storeu_pd(acc + i + 2, _mm_add_pd(_mm_loadu_pd(acc + i + 2), b));
    }
    for (; i < n; ++i) acc[i] += g * (f64)t[i];
}
inline void addScaled(f64* acc, const i32u* t, size_t n, f64 g) {
    const __m128d gg = _mm_set1_pd(g);
    size_t i = 0;
    for (; i + 2 <= n; i += 2) {
        const __m128d a = _mm_mul_pd(_mm_cvtepi32_pd(_mm_loadl_epi64((const __m128i*)(t + i))), gg);
        _mm_storeu_pd(acc + i, _mm_add_pd(_mm_loadu_pd(acc + i), a));
    }
    for (; i < n; ++i) acc[i] += g * (f64)t[i];
}
inline void addScaled(f64* acc, const f32u* t, size_t n, f64 g) {
    const __m128d gg = _mm_set1_pd(g);
    size_t i = 0;
    for (; i + 2 <= n; i += 2) {
        const __m128 x = _mm_castsi128_ps(_mm_loadl_epi64((const __m128i*)(t + i)));
        _mm_storeu_pd(acc + i, _mm_add_pd(_mm_loadu_pd(acc + i), _mm_mul_pd(_mm_cvtps_pd(x), gg)));
    }
    for (; i < n; ++i) acc[i] += g * (f64)t[i];
}
inline void addScaled(f64* acc, const f64u* t, size_t n, f64 g) {
    const __m128d gg = _mm_set1_pd(g);
    size_t i = 0;
    for (; i + 2 <= n; i += 2)
        _mm_storeu_pd(acc + i, _mm_add_pd(_mm_loadu_pd(acc + i), _mm_mul_pd(_mm_loadu_pd((const f64*)(t + i)), gg)));
    for (; i < n; ++i) acc[i] += g * (f64)t[i];
}

// The rounded store of n sums, sample by sample; for 16 bits four at a time where none clips.
template <class Traits>
void storeSums(const f64* acc, Unaligned<typename Traits::Sample>* w, size_t n, u32* clipped) {
    for (size_t i = 0; i < n; ++i) Traits::storeRounded(acc[i], &w[i], clipped);
}
template <>
void storeSums<SampleInt16>(const f64* acc, i16u* w, size_t n, u32* clipped) {
    const __m128d half = _mm_set1_pd(0.5), high = _mm_set1_pd(32767.0), low = _mm_set1_pd(-32767.0);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128d a = _mm_loadu_pd(acc + i), b = _mm_loadu_pd(acc + i + 2);
        const __m128d inside = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(a, low), _mm_cmple_pd(a, high)),
                                          _mm_and_pd(_mm_cmpge_pd(b, low), _mm_cmple_pd(b, high)));
        if (_mm_movemask_pd(inside) != 3) {
            for (size_t k = i; k < i + 4; ++k) storeSampleInt16(acc[k], w + k, clipped);
            continue;
        }
        // floor(y + 0.5): truncate, then one down where the truncation went up.
        a = _mm_add_pd(a, half);
        b = _mm_add_pd(b, half);
        const __m128i ta = _mm_cvttpd_epi32(a), tb = _mm_cvttpd_epi32(b);
        const __m128i upA = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpgt_pd(_mm_cvtepi32_pd(ta), a)), 0x08);
        const __m128i upB = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpgt_pd(_mm_cvtepi32_pd(tb), b)), 0x08);
        const __m128i t = _mm_unpacklo_epi64(_mm_add_epi32(ta, upA), _mm_add_epi32(tb, upB));
        _mm_storel_epi64((__m128i*)(w + i), _mm_packs_epi32(t, t));
    }
    for (; i < n; ++i) storeSampleInt16(acc[i], w + i, clipped);
}

struct EchoTap {
    u64 countdown = 0;  // samples (not frames) before the tap starts reading
    f64 gain = 0.0;
    std::vector<BiquadState> shelves;  // one per selected track
    bool flat = true;                  // every shelf is the identity
    std::unique_ptr<PageWalk> reader;
};

// Adds n samples of a tap to acc; the first is of track `track`. Samples of unselected tracks may
// add anything: their sums are not written.
template <class U>
void addTap(EchoTap& tap, f64* acc, const U* t, size_t n, i32 track, i32 channels, const i32* selectedIndex) {
    const f64 g = tap.gain;
    if (tap.flat) return addScaled(acc, t, n, g);
    for (i32 c = 0; c < channels; ++c) {
        const i32 k = selectedIndex[c];
        if (k < 0) continue;
        BiquadState s = tap.shelves[(size_t)k];
        for (size_t i = (size_t)((c - track + channels) % channels); i < n; i += (size_t)channels)
            acc[i] += biquadStep(s, g * (f64)t[i]);
        tap.shelves[(size_t)k] = s;
    }
}

template <class Traits>
void runEcho(SoundBlockProcessor& p, const EchoReflectionList& list) {
    typedef typename Traits::Sample S;
    typedef Unaligned<S> U;
    if (list.reflections.empty()) return;
    u32 minDelay = list.reflections[0].delay;
    for (const EchoReflection& r : list.reflections) minDelay = std::min(minDelay, r.delay);
    if (p.rangeStart + (u64)minDelay * (u64)p.frameBytes >= p.rangeEnd) {
        p.flags |= shortRangeFlag;
        return;
    }
    RangeChange change = p.openSameLengthChange(savedEdgeEnd);
    ChangeGuard guard(p.store, change);
    const i32 channels = p.channelCount;
    if (channels <= 0) return p.fillRestWithOld(change, 0);
    const u64 rangeSamples = change.newLength / sizeof(S);

    std::vector<i32> selectedIndex((size_t)channels, -1);
    for (i32 c = 0, k = 0; c < channels; ++c)
        if (p.channelMask[c]) selectedIndex[(size_t)c] = k++;

    // A repetition that would start past the range adds nothing and gets no tap.
    std::vector<EchoTap> taps;
    for (const EchoReflection& r : list.reflections) {
        for (u32 j = 0; j < r.repeats; ++j) {
            const u64 countdown = ((u64)r.delay + (u64)j * r.spacing) * (u64)channels;
            if (countdown >= rangeSamples) break;
            EchoTap tap;
            tap.countdown = countdown;
            tap.gain = r.gain * std::pow(r.decay, (f64)j);
            tap.shelves.resize((size_t)p.selectedChannelCount);
            for (BiquadState& s : tap.shelves) {
                biquadCoefficients(&s, biquadLowShelf, r.shelfGain, r.shelfFrequency, r.shelfSlope, p.sampleRate,
                                   32767.0, nullptr);
                tap.flat = tap.flat && biquadIsIdentity(s);
            }
            taps.push_back(std::move(tap));
        }
    }
    std::stable_sort(taps.begin(), taps.end(),
                     [](const EchoTap& a, const EchoTap& b) { return a.countdown < b.countdown; });

    // The direct signal reads the old range too; each tap follows the one before it in delay order.
    PageWalk in(openBlockReader, p.store, p.frameBytes, change.oldCursor, change.newLength, nullptr);
    PageWalk out(openBlockWriter, p.store, p.frameBytes, change, p.progress);
    std::vector<PageWalk*> walks{&in};
    for (EchoTap& tap : taps) {
        tap.reader.reset(new PageWalk(openBlockReader, p.store, p.frameBytes, change.oldCursor, change.newLength,
                                      nullptr));
        tap.reader->follow(*walks.back());
        walks.push_back(tap.reader.get());
    }

    DenormalsFlushed flushed;
    std::vector<f64> acc;
    const u8* mask = p.channelMask;
    const bool all = p.selectedChannelCount == channels;
    u32 clipped = 0;
    i32 track = 0;  // of the next sample
    while (nextPages(out, walks.data(), walks.size())) {
        size_t n = std::min(out.left(), in.left()) / sizeof(S);
        for (const EchoTap& tap : taps) {
            if (tap.countdown < n) n = std::min<size_t>(n, (size_t)tap.countdown + tap.reader->left() / sizeof(S));
        }
        if (acc.size() < n) acc.resize(n);
        const U* x = (const U*)in.take(n * sizeof(S));
        U* w = (U*)out.take(n * sizeof(S));
        memset(acc.data(), 0, n * sizeof(f64));
        addScaled(acc.data(), x, n, 1.0);
        for (EchoTap& tap : taps) {
            const size_t wait = (size_t)std::min<u64>(tap.countdown, n);
            tap.countdown -= wait;
            if (wait == n) continue;
            const U* t = (const U*)tap.reader->take((n - wait) * sizeof(S));
            addTap(tap, acc.data() + wait, t, n - wait, (i32)((track + wait) % (size_t)channels), channels,
                   selectedIndex.data());
        }
        if (all) {
            storeSums<Traits>(acc.data(), w, n, &clipped);
        } else {
            i32 c = track;
            for (size_t i = 0; i < n; ++i) {
                if (mask[c]) Traits::storeRounded(acc[i], &w[i], &clipped);
                else w[i] = x[i];
                if (++c == channels) c = 0;
            }
        }
        track = (i32)((track + n) % (size_t)channels);
    }
    out.finish();
    p.flags |= clipped;
    p.applyEdgeCrossfades(p.rangeStart, p.rangeEnd);
}
}  // namespace

template <class Traits>
void SampleProcessor<Traits>::echo() {
    const EchoReflectionList* list = dynamic_cast<const EchoReflectionList*>(auxObject);
    if (list) runEcho<Traits>(*this, *list);
}

#define RAVO_ECHO(T) template void SampleProcessor<T>::echo();
RAVO_FOR_EACH_SAMPLE_TYPE(RAVO_ECHO)
