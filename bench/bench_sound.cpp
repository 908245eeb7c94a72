#include "bench/bench_sound.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/bench.h"

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

const std::string& hourOfSoundFile() {
    static std::string path;
    if (!path.empty()) return path;
    std::string name = benchFolder() + "\\hour.raw";
    GFile f;
    bool ok = fileOpen(f, name.c_str(), FileMode::Write);
    ok = ok && writeHourOfSines(f);
    ok = fileClose(f) && ok;
    if (ok) path = name;
    else printf("cannot write %s\n", name.c_str());
    return path;
}
