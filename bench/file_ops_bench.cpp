// The range written to files and generated over one hour of stereo 16-bit 44.1 kHz sound, as the
// Editor runs them: the fragment of one track, the 16-bit stereo mixdown, a sine and a spectrum
// played in grains over the whole range.
#include <memory>
#include <string>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "core/progress.h"
#include "engine/processor.h"
#include "engine/analysis_requests.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"

namespace {
const u64 frames = benchHourBytes / benchFrameBytes;

// Runs one action over the whole hour with the auxiliary object and target file given.
void runOverHour(const char* name, u32 actionId, GCommonObject* aux, bool firstTrackOnly) {
    std::unique_ptr<GCommonObject> owned(aux);
    SoundStore store;
    SoundFormat format;
    if (!openHourOfSound(store, format)) return;
    if (firstTrackOnly) format.selectOnlyTrack(0);
    ChangeKeeper owner(&store);
    JobProgress progress;
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(format.encoding, nullptr));
    const u64 start = store.dataOffset, end = store.soundEnd();
    p->bind(actionId, &format, &store, start, start, end, end, 0);
    p->owner = &owner;
    p->progress = &progress;
    p->setAuxObject(owned.release());
    const std::string target = std::string(tempFolder().c_str()) + "\\bench_out.snd";
    stringAssignText(p->workBuffer, target.c_str());
    progress.setTotal(p->rangeLength);
    SlotCall call;
    slotForAction(actionId, &call);
    const double t0 = benchSeconds();
    p->runSlot(call.slot, call.argument, call.argument2);
    const double seconds = benchSeconds() - t0;
    store.unlock();
    deleteFile(target.c_str());
    benchResult((std::string(name) + " over one hour").c_str(), seconds, "s");
    benchResult((std::string(name) + " frames").c_str(), (f64)frames / seconds / 1e6, "Mframes/s");
}
}  // namespace

RAVO_BENCH(file_ops) {
    runOverHour("save fragment, one track", 309, nullptr, true);
    runOverHour("mixdown", 589, nullptr, false);
    auto* tone = new ToneParams;
    tone->tone.amplitude = 10000;
    tone->tone.frequency = 441;
    runOverHour("sine", 451, tone, false);
    auto* spectrum = new SpectrumSource;
    initSpectrumHeader(&spectrum->header);
    spectrum->header.fftSize = 4096;
    for (int h = 1; h <= 20; ++h) {
        HarmonicRecord* r = spectrum->harmonics.append(1);
        r->amplitude = 1000.0 / h;
        r->frequency = 110.0 * h;
    }
    runOverHour("spectrum in grains", 449, spectrum, false);
}
