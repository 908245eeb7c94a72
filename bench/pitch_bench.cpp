// PITCH by +200 cents and TEMPO 1.25 over ten minutes of stereo 16-bit 44.1 kHz sound, as the Editor
// runs them with the default analysis settings (2048 points, overlap 4, Hann): the WAVE file opened
// into a store, the whole range processed, the result saved as WAVE. The median of three runs; the
// input stays in "bench_data", where "./dev bench pitch" times the same work by sox.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/paths.h"
#include "core/progress.h"
#include "engine/processor.h"
#include "engine/window_functions.h"
#include "mm/sound_file.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"

namespace {
const u64 seconds = 600;
const int runs = 3;

// Seconds of open + operation + save; negative when something failed.
double runOnce(const std::string& input, const std::string& output, u32 actionId, f64 factor) {
    BenchErrorPrinter handler("pitch");
    double t0 = benchSeconds();
    SoundStore store;
    SoundFormat format;
    if (!openSoundFile(input.c_str(), &format, &store, &handler, nullptr) || !store.lock(&handler)) return -1;
    ChangeKeeper owner(&store);
    JobProgress progress;
    SlotCall call;
    slotForAction(actionId, &call);
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(format.encoding, &handler));
    const u64 start = store.dataOffset, end = store.soundEnd();
    p->bind(actionId, &format, &store, start, start, end, end, edgeFadeBytesFor(true, 0.01, benchRate, benchFrameBytes));
    p->param1 = factor;
    p->periodFrames = 2048;
    p->paramInt2 = 4;
    p->paramInt3 = windowTypeHann;
    p->owner = &owner;
    p->progress = &progress;
    progress.setTotal(p->rangeLength);
    p->runSlot(call.slot, call.argument, call.argument2);
    bool saved = saveSoundFile(output.c_str(), soundFileWave, &format, &store, nullptr, &handler, nullptr, nullptr);
    store.unlock();
    return saved ? benchSeconds() - t0 : -1;
}

void measure(const std::string& input, const char* name, const char* operation, u32 actionId, f64 factor) {
    std::string output = benchDataFolder() + "\\pitch_out.wav";
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        double t = runOnce(input, output, actionId, factor);
        if (t < 0) {
            printf("%s: the run failed\n", name);
            return;
        }
        benchResult((std::string(name) + " run").c_str(), t, "s");
        times.push_back(t);
    }
    std::sort(times.begin(), times.end());
    printf("%s, open + %s + save (median of 3): %.3f s\n", name, operation, times[times.size() / 2]);
    fflush(stdout);
}
}  // namespace

RAVO_BENCH(pitch) {
    std::string input = benchDataFolder() + "\\pitch_in.wav";
    ensureDataFolder();
    if (!writeSinesWave(input, seconds)) {
        printf("pitch: cannot write %s\n", input.c_str());
        return;
    }
    measure(input, "pitch +200 cents", "pitch", 403, std::pow(2.0, 200.0 / 1200));  // PITCH
    measure(input, "tempo 1.25", "tempo", 404, 1.25);                              // TEMPO
}
