#pragma once
// The points of a pencil curve and the polynomial through them. Plain data, copied by value from the
// wave pane to the Editor; CurveRequest carries one copy to the processor, which owns and deletes it.
#include "core/arrays.h"
#include "core/types.h"

struct CurvePoints {
    static const i32 capacity = 10;

    f64 xs[capacity] = {};       // frame numbers from the start of the sound
    f64 ys[capacity] = {};       // sample values
    f64 weights[capacity] = {};  // for point k, the product over the other points j of (xs[k] - xs[j])
    i32 count = 0;

    // Appends (x, y) and updates the weights. Nothing happens when the record is full, or when a
    // point with this x is already held: two points on one x have no polynomial through them.
    void addPoint(f64 x, f64 y);
    // The value at x of the polynomial through all points; 0 without points.
    f64 interpolate(f64 x) const;
    // The smallest and the largest x; the first slot's x with fewer than two points.
    f64 minValue() const;
    f64 maxValue() const;
};

// The processor's auxiliary object of a curve stroke.
struct CurveRequest : GCommonObject {
    explicit CurveRequest(const CurvePoints& points) : points(points) {}
    CurvePoints points;
};
