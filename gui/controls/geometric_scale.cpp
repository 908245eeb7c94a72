#include "gui/controls/geometric_scale.h"

#include <algorithm>

void GeometricScale::set(f64 from, f64 to, f64 by) {
    start = from;
    end = to;
    factor = by;
    u32 n = 0;
    if (from < to && by > 1.0 && from > 0.0) {
        for (f64 f = from; f < to; f *= by) ++n;
    }
    if (n != values.count) {
        delete[] values.data;
        values.data = n ? new u32[n] : nullptr;
        values.count = n;
    }
    std::fill(values.data, values.data + n, 0u);
}

void GeometricScale::write(GBag& bag) const {
    bagWriteF64(bag, start);
    bagWriteF64(bag, end);
    bagWriteF64(bag, factor);
    bagWriteBlob(bag, values.data, values.count);
}

void GeometricScale::read(GBag& bag) {
    f64 s, e, f;
    bagReadF64(bag, &s);
    bagReadF64(bag, &e);
    bagReadF64(bag, &f);
    // Checks the count against the bytes left before it replaces the array.
    bagReadIntArray(bag, values);
    start = s;
    end = e;
    factor = f;
}
