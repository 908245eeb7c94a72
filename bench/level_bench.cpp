// The playback level applied to every buffer before it is queued: gain with the limiter, and fades.
#include <vector>

#include "bench/bench.h"
#include "mm/level_control.h"

RAVO_BENCH(playback_level) {
    const u32 samples = 1 << 16;
    const u32 rounds = 256;
    std::vector<i16> buffer(samples);
    for (u32 i = 0; i < samples; ++i) buffer[i] = (i16)((i * 7919) % 20000 - 10000);
    LevelControl level;
    level.setLevels(1, 0);
    double start = benchSeconds();
    for (u32 r = 0; r < rounds; ++r) level.limitLevel16(buffer.data(), samples);
    double seconds = benchSeconds() - start;
    benchResult("limiter 16-bit", (double)samples * rounds / seconds / 1e6, "Msamples/s");

    start = benchSeconds();
    for (u32 r = 0; r < rounds; ++r) fadeOut16(buffer.data(), samples * 2);
    seconds = benchSeconds() - start;
    benchResult("fade 16-bit", (double)samples * rounds / seconds / 1e6, "Msamples/s");
}
