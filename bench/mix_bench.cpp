// Mix-down of tracks to 16-bit stereo, the inner loop of playback and of the mixdown export.
#include <vector>

#include "bench/bench.h"
#include "mm/sound_format.h"

static void benchMix(const char* name, u32 tracks, u32 encoding) {
    const u32 frames = 1 << 16;
    const u32 rounds = 64;
    SoundFormat f;
    f.setPlain(tracks, 44100, encoding);
    std::vector<u8> in((size_t)frames * f.bytesPerFrame, 1);
    std::vector<u16> out(frames * 2);
    bool clipped = false;
    double start = benchSeconds();
    for (u32 r = 0; r < rounds; ++r) mixTracks(&f, out.data(), frames * 4, 2, in.data(), &clipped);
    double seconds = benchSeconds() - start;
    benchResult(name, (double)frames * rounds / seconds / 1e6, "Mframes/s");
}

RAVO_BENCH(mix_tracks) {
    benchMix("mix 2 tracks 16-bit", 2, encodingInt16);
    benchMix("mix 8 tracks float", 8, encodingFloat);
    benchMix("mix 64 tracks double", 64, encodingDouble);
}
