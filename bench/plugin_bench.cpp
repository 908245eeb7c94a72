// The plug-in effect over one hour of stereo 16-bit 44.1 kHz sound through the tests' pass-through
// plug-in (built into "test_plugins" beside the benchmark), so that what is measured is the
// conversion to and from the plug-in's blocks and the walk, not the plug-in's own work.
#include <windows.h>

#include <memory>
#include <string>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/progress.h"
#include "engine/plugin_run.h"
#include "mm/sound_format.h"

RAVO_BENCH(plugin_effect) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string library(exe);
    library.resize(library.find_last_of("\\/"));
    library += "\\test_plugins\\pass_plugin.dll";
    HostedVstPlugin plugin;
    if (!plugin.load(library.c_str(), benchRate, benchRate)) {
        printf("plugin_effect: %s does not load\n", library.c_str());
        return;
    }
    SoundStore store;
    SoundFormat format;
    if (!openHourOfSound(store, format)) return;
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(format.encoding, nullptr));
    const u64 start = store.dataOffset, end = store.soundEnd();
    p->bind(10000, &format, &store, start, start, end, end, 0);
    ChangeKeeper keeper(&store);
    p->owner = &keeper;
    JobProgress progress;
    progress.setTotal(p->rangeLength);
    p->progress = &progress;
    p->setAuxObject(new PluginRun(&plugin));
    const double t0 = benchSeconds();
    p->runSlot(ProcessorSlot::applyPluginEffect);
    const double seconds = benchSeconds() - t0;
    benchResult("plug-in pass-through over an hour", seconds, "s");
    benchResult("plug-in pass-through samples", (f64)benchHourBytes / 2 / seconds / 1e6, "Msamples/s");
    p.reset();
    store.unlock();
}
