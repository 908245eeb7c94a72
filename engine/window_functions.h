#pragma once
// The analysis windows: weight w(i, n) of sample i of an n-point frame, indexed by window type.
// A frame of fewer than 2 points has the weight 1 in every window. The flat-top window is not
// normalised: it peaks at 4.64 in its middle.
#include "core/types.h"

typedef f64 (*WindowFunction)(i32 i, i32 n);

enum : u32 {
    windowTypeRectangular,
    windowTypeHann,
    windowTypeHamming,
    windowTypeGaussian,
    windowTypeBlackman,
    windowTypeNuttall,
    windowTypeBlackmanHarris,
    windowTypeBlackmanNuttall,
    windowTypeFlatTop,
    windowTypeTriangle,
    windowTypeCount
};

f64 windowRectangular(i32 i, i32 n);
f64 windowHann(i32 i, i32 n);
f64 windowHamming(i32 i, i32 n);
f64 windowGaussian(i32 i, i32 n);
f64 windowBlackman(i32 i, i32 n);
f64 windowNuttall(i32 i, i32 n);
f64 windowBlackmanHarris(i32 i, i32 n);
f64 windowBlackmanNuttall(i32 i, i32 n);
f64 windowFlatTop(i32 i, i32 n);
f64 windowTriangle(i32 i, i32 n);

extern const WindowFunction windowFunctions[windowTypeCount];
// The window of a type; an unknown type gives the Hann window.
WindowFunction windowFunctionOf(u32 type);
