// The strong echo and the strong reverberation presets over one hour of stereo 16-bit 44.1 kHz sound,
// as the Editor runs them: the WAVE file opened into a store, the action run over the whole range,
// the result saved as WAVE; the median of three runs of each. The input stays in "bench_data" as
// "echo_in.wav", where "./dev bench echo" times sox on the same work.
#include <string>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/paths.h"
#include "engine/echo_reflections.h"
#include "engine/processor.h"

RAVO_BENCH(echo) {
    std::string folder = benchDataFolder();
    ensureDataFolder();
    if (!keepOrWriteSinesWave(folder + "\\echo_in.wav", benchHourSeconds)) {
        printf("echo: cannot write the input\n");
        return;
    }
    for (u32 action : {actionEchoStrong, actionReverStrong}) {
        const char* name = action == actionEchoStrong ? "strong echo" : "strong reverberation";
        measureBenchAction(name, "echo", folder, "echo", action, [action](SoundBlockProcessor& p) {
            p.setAuxObject(echoPreset(action, p.sampleRate));
        });
    }
}
