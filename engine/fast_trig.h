#pragma once
// Inline arc tangent, sine and cosine for the phase vocoder's bins: no library calls, within a few
// units of the last place of the library's results (the tests hold them to it).
#include "core/types.h"
#include "engine/sample_types.h"

// atan2(y, x) in [-pi, pi]; 0 for (0, 0).
inline f64 fastAtan2(f64 y, f64 x) {
    const f64 pi = 3.14159265358979323846, quarter = 0.78539816339744830962, moreBits = 6.123233995736765886130e-17;
    const f64 ay = y < 0 ? -y : y, ax = x < 0 ? -x : x;
    if (ax == 0 && ay == 0) return 0.0;
    // atan of t = min/max in [0, 1]: tan(3 pi / 8) never needs the reduction by pi/2 here.
    const bool steep = ay > ax;
    f64 t = steep ? ax / ay : ay / ax, base = 0.0, extra = 0.0;
    if (t > 0.66) {
        base = quarter;
        extra = 0.5 * moreBits;
        t = (t - 1) / (t + 1);
    }
    const f64 z = t * t;
    const f64 p = (((-8.750608600031904122785e-1 * z - 1.615753718733365076637e1) * z - 7.500855792314704667340e1) * z -
                   1.228866684490136173410e2) * z - 6.485021904942025371773e1;
    const f64 q = ((((z + 2.485846490142306297962e1) * z + 1.650270098316988542046e2) * z + 4.328810604912902668951e2) * z +
                   4.853903996359136964868e2) * z + 1.945506571482613964425e2;
    f64 a = base + (t * (z * p / q) + t + extra);
    if (steep) a = 2 * quarter + moreBits - a;
    if (x < 0) a = pi - a;
    return y < 0 ? -a : a;
}

// sin x and cos x for |x| < 2^30.
inline void fastSinCos(f64 x, f64* s, f64* c) {
    // pi/2 in three parts, the first two short enough that their products with q are exact.
    const f64 twoOverPi = 0.63661977236758134308, part1 = 1.57079625129699707031, part2 = 7.54978941586159635336e-8,
              part3 = 5.39030285815811905290e-15;
    const i32 q = floorSmall(x * twoOverPi + 0.5);
    const f64 r = ((x - q * part1) - q * part2) - q * part3;
    const f64 z = r * r;
    // Taylor series to r^15 and r^16: |r| <= pi/4 leaves less than 1e-16.
    const f64 sr = r + r * z * (-1.0 / 6 + z * (1.0 / 120 + z * (-1.0 / 5040 + z * (1.0 / 362880 +
                                z * (-1.0 / 39916800 + z * (1.0 / 6227020800 + z * (-1.0 / 1307674368000.0)))))));
    const f64 cr = 1 + z * (-0.5 + z * (1.0 / 24 + z * (-1.0 / 720 + z * (1.0 / 40320 + z * (-1.0 / 3628800 +
                                z * (1.0 / 479001600 + z * (-1.0 / 87178291200.0 + z / 20922789888000.0)))))));
    switch (q & 3) {
    case 0: *s = sr, *c = cr; break;
    case 1: *s = cr, *c = -sr; break;
    case 2: *s = -sr, *c = -cr; break;
    default: *s = -cr, *c = sr; break;
    }
}
