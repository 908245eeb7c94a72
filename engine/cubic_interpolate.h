#pragma once
// Four-point Lagrange interpolation over stored samples, for delays that fall between frames.
#include <cstddef>
#include <type_traits>

#include "engine/sample_types.h"

// The value at x of the cubic through points[0], points[stride], points[2 stride], points[3 stride]
// taken at 0, 1, 2, 3. Integer types give a whole number (truncated toward zero, not wrapped to the
// type), float gives what an f32 holds, double the value itself.
template <class Traits>
f64 cubicInterpolate(const typename Traits::Sample* points, size_t stride, f64 x) {
    typedef typename Traits::Sample S;
    const f64 p0 = points[0], p1 = points[stride], p2 = points[2 * stride], p3 = points[3 * stride];
    const f64 v = (x * (3.0 * (x - 3.0) * (p1 * (x - 2.0) - p2 * (x - 1.0)) + p3 * (x - 1.0) * (x - 2.0)) -
                   p0 * (x - 1.0) * (x - 2.0) * (x - 3.0)) /
                  6.0;
    if constexpr (std::is_integral<S>::value) return truncExact(v);
    else return (f64)(S)v;
}
