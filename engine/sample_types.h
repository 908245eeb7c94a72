#pragma once
// The four sample types of the engine and the rules that turn an f64 result into a stored sample.
// Every type holds whole-number samples on one scale (16-bit full scale is 32767); peakLimit is only
// the largest magnitude a type is meant to reach.
//
// Rounded store: floor(x + 0.5); in 16 bits clipped to +-32767 (never -32768) with the clip flag.
// Truncated store: integers truncated toward zero (16 bits keep the low 16 bits of the whole number),
// f32 converted, f64 unchanged.
// Beyond a Part's rules no conversion is left undefined: NaN stores 0 in the integer types (in 16
// bits rounded as a clip), and a 32-bit result beyond its range saturates.
#include <cmath>

#include "core/types.h"
#include "mm/sound_format.h"

const u32 clippedFlag = 1;  // bit 0 of the processor's flags

// Samples at any byte address. Page buffers keep file positions modulo 4096, so when the data starts
// at a position that is not a multiple of the sample size (a data offset of 46), the samples are off
// their natural alignment. Every pointer into sample bytes is of these types.
typedef i16 i16u __attribute__((aligned(1)));
typedef i32 i32u __attribute__((aligned(1)));
typedef f32 f32u __attribute__((aligned(1)));
typedef f64 f64u __attribute__((aligned(1)));

template <class S>
struct UnalignedOf;
template <>
struct UnalignedOf<i16> { typedef i16u type; };
template <>
struct UnalignedOf<i32> { typedef i32u type; };
template <>
struct UnalignedOf<f32> { typedef f32u type; };
template <>
struct UnalignedOf<f64> { typedef f64u type; };
template <class S>
using Unaligned = typename UnalignedOf<S>::type;
static_assert(alignof(Unaligned<f64>) == 1, "unaligned samples");

// floor(y) for |y| < 2^31.
inline i32 floorSmall(f64 y) {
    i32 t = (i32)y;
    return t - ((f64)t > y ? 1 : 0);
}

// floor(y) for every double, without a library call; NaN and infinities pass through.
inline f64 floorExact(f64 y) {
    const f64 whole = 4503599627370496.0;  // 2^52: every double from here on is a whole number
    if (!(y < whole && y > -whole)) return y;
    f64 t = y >= 0 ? (y + whole) - whole : (y - whole) + whole;  // rounded to the nearest
    return t > y ? t - 1.0 : t;
}

// The whole number toward zero, as f64 (NaN and infinities pass through).
inline f64 truncExact(f64 x) { return x < 0 ? -floorExact(-x) : floorExact(x); }

inline void storeSampleInt16(f64 x, i16u* place, u32* flags) {
    if (x >= -32767.0 && x <= 32767.0) {
        *place = (i16)floorSmall(x + 0.5);
        return;
    }
    *flags |= clippedFlag;
    *place = x > 0 ? 32767 : x < 0 ? -32767 : 0;
}

inline void storeSampleInt32(f64 x, i32u* place) {
    f64 y = x + 0.5;
    if (y >= -2147483648.0 && y < 2147483648.0) *place = floorSmall(y);
    else *place = y > 0 ? 2147483647 : y < 0 ? (-2147483647 - 1) : 0;
}

inline void storeSampleFloat(f64 x, f32u* place) { *place = (f32)floorExact(x + 0.5); }

inline void storeSampleDouble(f64 x, f64u* place) { *place = floorExact(x + 0.5); }

// Truncated stores.
inline i16 truncateInt16(f64 x) {
    if (x > -2147483648.0 && x < 2147483648.0) return (i16)(u16)(u32)(i32)x;
    if (!std::isfinite(x)) return 0;
    // The low 16 bits of a large whole number: its remainder by 2^16 is exact.
    f64 r = std::fmod(truncExact(x), 65536.0);
    return (i16)(u16)(u32)(i32)r;
}

inline i32 truncateInt32(f64 x) {
    if (x > -2147483649.0 && x < 2147483648.0) return (i32)x;
    return x > 0 ? 2147483647 : x < 0 ? (-2147483647 - 1) : 0;
}

// Traits of one sample type: the stored type, its encoding, its store rules and its arithmetic.
struct SampleInt16 {
    typedef i16 Sample;
    typedef i32 Magnitude;  // holds 32768
    static constexpr u32 encoding = encodingInt16;
    static constexpr f64 peakLimit = 32767.0;
    static void storeRounded(f64 x, Unaligned<Sample>* place, u32* flags) { storeSampleInt16(x, place, flags); }
    static Sample truncated(f64 x) { return truncateInt16(x); }
    // Two's complement negation in the sample's width: -32768 stays -32768.
    static Sample negate(Sample x) { return (Sample)(u16)(0u - (u16)x); }
    static Magnitude magnitude(Sample x) { return x < 0 ? -(Magnitude)x : x; }
};

struct SampleInt32 {
    typedef i32 Sample;
    typedef i64 Magnitude;
    static constexpr u32 encoding = encodingInt32;
    static constexpr f64 peakLimit = 1e9;
    static void storeRounded(f64 x, Unaligned<Sample>* place, u32*) { storeSampleInt32(x, place); }
    static Sample truncated(f64 x) { return truncateInt32(x); }
    static Sample negate(Sample x) { return (Sample)(0u - (u32)x); }
    static Magnitude magnitude(Sample x) { return x < 0 ? -(Magnitude)x : x; }
};

struct SampleFloat {
    typedef f32 Sample;
    typedef f32 Magnitude;
    static constexpr u32 encoding = encodingFloat;
    static constexpr f64 peakLimit = 1e10;
    static void storeRounded(f64 x, Unaligned<Sample>* place, u32*) { storeSampleFloat(x, place); }
    static Sample truncated(f64 x) { return (Sample)x; }
    static Sample negate(Sample x) { return -x; }
    static Magnitude magnitude(Sample x) { return std::fabs(x); }
};

struct SampleDouble {
    typedef f64 Sample;
    typedef f64 Magnitude;
    static constexpr u32 encoding = encodingDouble;
    static constexpr f64 peakLimit = 1e10;
    static void storeRounded(f64 x, Unaligned<Sample>* place, u32*) { storeSampleDouble(x, place); }
    static Sample truncated(f64 x) { return x; }
    static Sample negate(Sample x) { return -x; }
    static Magnitude magnitude(Sample x) { return std::fabs(x); }
};

// Applies a macro to each of the four sample types (explicit instantiations of the typed bodies).
#define RAVO_FOR_EACH_SAMPLE_TYPE(M) M(SampleInt16) M(SampleInt32) M(SampleFloat) M(SampleDouble)
