// AMPLIFY by 0.5 over one hour of stereo 16-bit 44.1 kHz sound, as the Editor runs it: the WAVE file
// opened into a store, the processor run over the whole range through the store's change and page
// walk, the result saved as WAVE. The files stay in "bench_data" beside the executable, where
// "./dev bench amplify" finds the input to time another tool on it.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/error.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "core/progress.h"
#include "engine/gain_sse2.h"
#include "engine/page_walk.h"
#include "engine/processor.h"
#include "mm/sound_file.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"

namespace {
const u32 rate = benchRate, frameBytes = benchFrameBytes;
const u64 dataBytes = benchHourBytes;
const u32 headerBytes = benchHeaderBytes;

// A stretch of the middle of the output holds the input's samples halved and rounded half up.
bool checkOutput(const std::string& input, const std::string& output) {
    const u32 n = 1 << 16;
    const i64 at = headerBytes + dataBytes / 2;
    std::vector<i16> a(n), b(n);
    GFile in, out;
    bool ok = fileOpen(in, input.c_str(), FileMode::Read) && fileOpen(out, output.c_str(), FileMode::Read) &&
              fileSeek(in, at, SEEK_SET) && fileRead(in, a.data(), 2 * n) && fileSeek(out, at, SEEK_SET) &&
              fileRead(out, b.data(), 2 * n);
    for (u32 i = 0; ok && i < n; ++i) ok = b[i] == (i16)std::floor(a[i] * 0.5 + 0.5);
    return ok;
}

}  // namespace

RAVO_BENCH(amplify) {
    std::string folder = benchDataFolder();
    std::string input = folder + "\\amplify_in.wav", output = folder + "\\amplify_out.wav";
    BenchErrorPrinter handler("amplify");
    ensureDataFolder();
    // One action only (runs interleaved with a peer): "amplify 0.5" through the shared timing.
    if (getenv("RAVO_BENCH_ACTION")) {
        if (!keepOrWriteSinesWave(input, benchHourSeconds)) return;
        measureBenchAction("amplify 0.5", "amplify", folder, "amplify", 523, [](SoundBlockProcessor& p) {  // AMPLIFY
            p.param1 = 0.5;
        });
        return;
    }

    double t0 = benchSeconds();
    if (!writeHourWave(input)) {
        printf("amplify: cannot write %s\n", input.c_str());
        return;
    }
    double t1 = benchSeconds();
    benchResult("write the one-hour input", t1 - t0, "s");

    // Open: the WAVE file's data becomes the store's source; no sample is read.
    t1 = benchSeconds();
    SoundStore store;
    SoundFormat format;
    if (!openSoundFile(input.c_str(), &format, &store, &handler, nullptr) || !store.lock(&handler)) return;
    double t2 = benchSeconds();

    // Amplify, as the Editor dispatches it.
    ChangeKeeper owner(&store);
    JobProgress progress;
    SlotCall call;
    slotForAction(523, &call);
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(format.encoding, &handler));
    u64 start = store.dataOffset, end = store.soundEnd();
    p->bind(523, &format, &store, start, start, end, end, edgeFadeBytesFor(true, 0.01, rate, frameBytes));
    p->param1 = 0.5;
    p->owner = &owner;
    p->progress = &progress;
    progress.setTotal(p->rangeLength);
    p->runSlot(call.slot, call.argument, call.argument2);
    double t3 = benchSeconds();

    // Save as WAVE under a temporary name, then in place of the target.
    bool saved = saveSoundFile(output.c_str(), soundFileWave, &format, &store, nullptr, &handler, nullptr, nullptr);
    double t4 = benchSeconds();
    store.unlock();
    if (!saved) printf("amplify: the result could not be saved\n");
    if (saved && !checkOutput(input, output)) printf("amplify: the saved samples are wrong\n");

    u64 samples = dataBytes / 2;
    benchResult("open", (t2 - t1) * 1000, "ms");
    benchResult("amplify through the store", t3 - t2, "s");
    benchResult("amplify kernel", samples / (t3 - t2) / 1e6, "Msamples/s");
    benchResult("save", t4 - t3, "s");
    printf("open + amplify + save: %.3f s\n", t4 - t1);

    // The gain alone over a buffer in memory: the block path of all tracks and the rule per sample.
    std::vector<i16> buffer(1 << 20, 12345);
    u32 clipped = 0;
    const int rounds = 100;
    double t5 = benchSeconds();
    for (int r = 0; r < rounds; ++r) gainInt16Block(buffer.data(), buffer.data(), buffer.size(), 0.999, &clipped);
    double t6 = benchSeconds();
    for (int r = 0; r < rounds; ++r) {
        for (i16& x : buffer) storeSampleInt16(x * 1.001, &x, &clipped);
    }
    double t7 = benchSeconds();
    benchResult("gain in memory, all tracks", (f64)buffer.size() * rounds / (t6 - t5) / 1e6, "Msamples/s");
    benchResult("gain in memory, per sample", (f64)buffer.size() * rounds / (t7 - t6) / 1e6, "Msamples/s");
    fflush(stdout);
}
