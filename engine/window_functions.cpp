#include "engine/window_functions.h"

#include <cmath>

namespace {
const f64 twoPi = 6.283185307179586;

// x = i / (n - 1); false for frames of fewer than 2 points.
inline bool position(i32 i, i32 n, f64* x) {
    if (n < 2) return false;
    *x = (f64)i / (f64)(n - 1);
    return true;
}

// a0 - a1 cos(2 pi x) + a2 cos(4 pi x) - a3 cos(6 pi x) + a4 cos(8 pi x).
inline f64 cosineSum(i32 i, i32 n, f64 a0, f64 a1, f64 a2, f64 a3, f64 a4 = 0.0) {
    f64 x;
    if (!position(i, n, &x)) return 1.0;
    f64 t = twoPi * x;
    f64 w = a0 - a1 * std::cos(t) + a2 * std::cos(2 * t) - a3 * std::cos(3 * t);
    return a4 != 0.0 ? w + a4 * std::cos(4 * t) : w;
}
}  // namespace

f64 windowRectangular(i32, i32) { return 1.0; }
f64 windowHann(i32 i, i32 n) { return cosineSum(i, n, 0.5, 0.5, 0.0, 0.0); }
f64 windowHamming(i32 i, i32 n) { return cosineSum(i, n, 0.54, 0.46, 0.0, 0.0); }
f64 windowBlackman(i32 i, i32 n) { return cosineSum(i, n, 0.42, 0.5, 0.08, 0.0); }
f64 windowNuttall(i32 i, i32 n) { return cosineSum(i, n, 0.355768, 0.487396, 0.144232, 0.012604); }
f64 windowBlackmanHarris(i32 i, i32 n) { return cosineSum(i, n, 0.35875, 0.48829, 0.14128, 0.01168); }
f64 windowBlackmanNuttall(i32 i, i32 n) { return cosineSum(i, n, 0.3635819, 0.4891775, 0.1365995, 0.0106411); }
f64 windowFlatTop(i32 i, i32 n) { return cosineSum(i, n, 1.0, 1.93, 1.29, 0.388, 0.032); }

f64 windowGaussian(i32 i, i32 n) {
    if (n < 2) return 1.0;
    f64 h = (f64)(n - 1) / 2;
    f64 t = (i - h) / (0.4 * h);
    return std::exp(-0.5 * t * t);
}

f64 windowTriangle(i32 i, i32 n) {
    if (n < 2) return 1.0;
    f64 h = (f64)(n - 1) / 2;
    return (h - std::fabs(i - h)) / h;
}

const WindowFunction windowFunctions[windowTypeCount] = {
    windowRectangular, windowHann,           windowHamming,          windowGaussian, windowBlackman,
    windowNuttall,     windowBlackmanHarris, windowBlackmanNuttall, windowFlatTop,  windowTriangle,
};

WindowFunction windowFunctionOf(u32 type) { return type < windowTypeCount ? windowFunctions[type] : windowHann; }
