#include "engine/curve_points.h"

void CurvePoints::addPoint(f64 x, f64 y) {
    const i32 n = count;
    if (n >= capacity) return;
    for (i32 j = 0; j < n; ++j) {
        if (xs[j] == x) return;
    }
    xs[n] = x;
    ys[n] = y;
    f64 w = 1.0;
    for (i32 j = 0; j < n; ++j) {
        f64 d = xs[j] - x;
        weights[j] *= d;
        w *= -d;
    }
    weights[n] = w;
    count = n + 1;
}

namespace {
// Lagrange form over the points listed in `use`, with their weights.
f64 lagrange(const f64* xs, const f64* ys, const f64* weights, const i32* use, i32 n, f64 x) {
    f64 dx[CurvePoints::capacity];
    for (i32 i = 0; i < n; ++i) dx[i] = x - xs[use[i]];
    f64 sum = 0.0;
    for (i32 k = 0; k < n; ++k) {
        f64 product = 1.0;
        for (i32 i = 0; i < n; ++i) {
            if (i != k) product *= dx[i];
        }
        sum += product * ys[use[k]] / weights[use[k]];
    }
    return sum;
}
}  // namespace

f64 CurvePoints::interpolate(f64 x) const {
    const i32 n = count < capacity ? count : capacity;
    if (n < 1) return 0.0;
    i32 use[capacity];
    i32 kept = 0;
    for (i32 k = 0; k < n; ++k) {
        bool seen = false;
        for (i32 j = 0; j < kept && !seen; ++j) seen = xs[use[j]] == xs[k];
        if (!seen) use[kept++] = k;
    }
    if (kept == n) return lagrange(xs, ys, weights, use, n, x);
    // A record filled by hand may hold one x twice, whose weights are zero: the later points of
    // that x are dropped and the weights of the others made anew.
    f64 own[capacity];
    for (i32 k = 0; k < kept; ++k) {
        own[use[k]] = 1.0;
        for (i32 j = 0; j < kept; ++j) {
            if (j != k) own[use[k]] *= xs[use[k]] - xs[use[j]];
        }
    }
    return lagrange(xs, ys, own, use, kept, x);
}

f64 CurvePoints::minValue() const {
    f64 m = xs[0];
    for (i32 k = 1; k < count && k < capacity; ++k) {
        if (xs[k] < m) m = xs[k];
    }
    return m;
}

f64 CurvePoints::maxValue() const {
    f64 m = xs[0];
    for (i32 k = 1; k < count && k < capacity; ++k) {
        if (xs[k] > m) m = xs[k];
    }
    return m;
}
