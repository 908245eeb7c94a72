// Searches over one hour of stereo 16-bit 44.1 kHz sound that find nothing to stop at, so each reads
// the whole hour: the peak forward and backward, a silence and the defects.
#include <memory>
#include <string>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/paths.h"
#include "core/progress.h"
#include "engine/find_params.h"
#include "mm/sound_format.h"

RAVO_BENCH(find) {
    SoundStore store;
    SoundFormat format;
    if (!openHourOfSound(store, format)) return;
    struct Search {
        const char* name;
        u32 mode;
        bool forward;
        f64 level;
        u32 period;
    } searches[] = {
        {"find peak forward", findPeak, true, 0, 0},
        {"find peak backward", findPeak, false, 0, 0},
        {"find silence", findSilence, true, 10, 2205},  // the sines are never quiet that long
        {"find defects", findDefects, true, 1e9, 10},   // nor do they clip
    };
    for (const Search& s : searches) {
        std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(format.encoding, nullptr));
        u64 start = store.dataOffset, end = store.soundEnd();
        p->bind(454, &format, &store, start, start, end, end, 0);
        JobProgress progress;
        progress.setTotal(p->rangeLength);
        p->progress = &progress;
        FindParams* params = new FindParams;
        params->mode = s.mode;
        params->forward = s.forward;
        params->level = s.level;
        params->period = s.period;
        p->setAuxObject(params);
        double t0 = benchSeconds();
        p->runSlot(ProcessorSlot::find);
        double seconds = benchSeconds() - t0;
        if (params->notFound != (s.mode == findPeak ? 0 : 1)) printf("%s: unexpected result\n", s.name);
        benchResult(s.name, seconds, "s");
        std::string label = std::string(s.name) + " samples";
        benchResult(label.c_str(), (f64)benchHourBytes / 2 / seconds / 1e6, "Msamples/s");
    }
    store.unlock();
}
