#pragma once
// Waves that advance one angle step per frame, without a library call per frame.
#include <cmath>

#include "core/types.h"

// sin and cos of k x step for k = 0, 1, 2, ... in turn (k = 0 before the first next()): computed
// directly at every 64th k and by the angle sums with a table of the 64 steps in between, one library call pair per 64 frames.
class WaveSteps {
public:
    explicit WaveSteps(f64 step) : step(step) {
        for (u32 j = 0; j < blockFrames; ++j) {
            sinTable[j] = std::sin(j * step);
            cosTable[j] = std::cos(j * step);
        }
    }
    // Moves on to the next k.
    void next() {
        if (++j == blockFrames) {
            j = 0;
            k += blockFrames;
            f64 angle = k * step;
            anchorSin = std::sin(angle);
            anchorCos = std::cos(angle);
        }
        sine = anchorSin * cosTable[j] + anchorCos * sinTable[j];
        cosine = anchorCos * cosTable[j] - anchorSin * sinTable[j];
    }

    f64 sine = 0.0, cosine = 1.0;

private:
    static const u32 blockFrames = 64;
    f64 step;
    f64 k = 0.0;  // the k of the last direct computation
    u32 j = 0;    // the steps since
    f64 anchorSin = 0.0, anchorCos = 1.0;
    f64 sinTable[blockFrames], cosTable[blockFrames];
};
