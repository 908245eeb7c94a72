#pragma once
// Frequency bands that grow by a constant factor from a start until they reach an end, with one
// value per band; stored in settings bags. Owns its value array.
#include "core/arrays.h"
#include "core/bag.h"
#include "core/types.h"

class GeometricScale {
public:
    // The count is the smallest n >= 1 with start x factor^n >= end; 0 when start is not below end
    // or the factor cannot get there (factor <= 1 or not a number). Every value becomes 0.
    void set(f64 start, f64 end, f64 factor);
    // start, end, factor (f64), then the u32 count and the values.
    void write(GBag& bag) const;
    // The form of write. A bag that ends early throws GBagException and leaves the scale as it was.
    void read(GBag& bag);

    u32 count() const { return values.count; }

    f64 start = 0.0;
    f64 end = 0.0;
    f64 factor = 2.0;
    U32Array values;
};
