#include "bench/bench_sound.h"

#include <cmath>
#include <vector>

bool writeHourOfSines(GFile& f) {
    const f64 twoPi = 6.283185307179586;
    std::vector<i16> second(benchRate * benchChannels);
    for (u32 i = 0; i < benchRate; ++i) {
        second[2 * i] = (i16)std::lround(20000 * std::sin(twoPi * 440.0 * i / benchRate));
        second[2 * i + 1] = (i16)std::lround(30000 * std::sin(twoPi * 441.0 * i / benchRate));
    }
    bool ok = true;
    for (u64 s = 0; s < benchHourSeconds && ok; ++s) ok = fileWrite(f, second.data(), benchRate * benchFrameBytes);
    return ok;
}
