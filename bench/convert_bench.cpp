// Conversion of one hour of stereo 16-bit 44.1 kHz WAVE, as the converter runs it through the batch
// runner: to the own format in 32-bit float (the native task) and to IMA ADPCM through the machine's
// ACM codec. The input stays in "bench_data", where "./dev bench convert" times sox on the same work.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/exceptions.h"
#include "core/gfile.h"
#include "mm/acm_drivers.h"
#include "mm/sound_format.h"
#include "tools/acm_conversion_task.h"
#include "tools/native_conversion_task.h"

namespace {
double runTask(ConversionTask* task) {
    ConversionList list;
    list.tasks.push_back(task);
    double t0 = benchSeconds();
    bool ok = false;
    try {
        ok = runConversionBatch(list, nullptr, nullptr, false);
    } catch (const GException&) {
    }
    double t = benchSeconds() - t0;
    delete task;
    return ok ? t : -1;
}

struct Work {
    const char* name;
    const char* stem;  // of the output
};
}  // namespace

RAVO_BENCH(convert) {
    std::string folder = benchDataFolder();
    std::string input = folder + "\\convert_in.wav";
    if (!keepOrWriteSinesWave(input, benchHourSeconds)) {
        printf("convert: cannot write %s\n", input.c_str());
        return;
    }
    WAVEFORMATEX pcm = {WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
    AcmConversion ima;
    BenchErrorPrinter handler("convert");
    AcmFormatWish required = {WAVE_FORMAT_IMA_ADPCM, 2, 44100, 4}, none = {0, 0, 0, 0};
    const bool haveIma = findAcmConversion(required, none, &pcm, &ima, &handler);

    const char* only = getenv("RAVO_BENCH_ACTION");
    const char* runsText = getenv("RAVO_BENCH_RUNS");
    const int count = runsText ? atoi(runsText) : 3;
    const Work works[] = {{"WAVE to own float", "convert_own.rvo"}, {"WAVE to IMA ADPCM", "convert_ima.wav"}};
    for (const Work& w : works) {
        if (only && strcmp(only, w.name) != 0) continue;
        const bool native = w.name == works[0].name;
        if (!native && !haveIma) continue;
        std::string output = folder + "\\" + w.stem;
        std::vector<double> runs;
        for (int k = 0; k < count; ++k) {
            ConversionTask* task = native ? (ConversionTask*)new NativeConversionTask(input.c_str(), output.c_str(), encodingFloat)
                                          : new AcmConversionTask(input.c_str(), output.c_str(), 0, nullptr, asFormat(ima.format));
            double t = runTask(task);
            if (t < 0) {
                printf("%s: failed\n", w.name);
                return;
            }
            runs.push_back(t);
        }
        i64 bytes = fileSizeByName(output.c_str());
        deleteFile(output.c_str());
        if (runs.empty()) continue;
        const double t = benchMedian(runs);
        printf("%s: %.1f MB written, %.1f MB/s of input\n", w.name, bytes / 1e6, benchHourBytes / t / 1e6);
        printf("%s, open + convert + save (median of %d): %.3f s\n", w.name, count, t);
        fflush(stdout);
    }
}
