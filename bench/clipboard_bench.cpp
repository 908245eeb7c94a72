// The clipboard over one hour of stereo 16-bit 44.1 kHz sound, run as the Editor runs it: copying
// every track (the clip file) and one of them (the tracks gathered), and pasting back over the whole
// hour on the path of equal layouts and on the general path with a combine function.
#include <memory>
#include <string>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/progress.h"
#include "engine/processor.h"
#include "mm/sound_clipboard.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"

namespace {
struct HourSound {
    SoundStore store;
    SoundFormat format;
    bool ready = false;

    HourSound() { ready = openHourOfSound(store, format); }
    ~HourSound() {
        if (ready) store.unlock();
    }

    // Runs the action over the whole hour; prints its time and rate.
    void run(const char* label, u32 actionId) {
        ChangeKeeper owner(&store);
        JobProgress progress;
        SlotCall call;
        slotForAction(actionId, &call);
        std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(format.encoding, nullptr));
        u64 start = store.dataOffset, end = store.soundEnd();
        p->bind(actionId, &format, &store, start, start, end, end, 0);
        p->owner = &owner;
        p->progress = &progress;
        progress.setTotal(p->rangeLength);
        double t0 = benchSeconds();
        p->runSlot(call.slot, call.argument, call.argument2);
        double seconds = benchSeconds() - t0;
        benchResult(label, seconds, "s");
        std::string rate = std::string(label) + " frames";
        benchResult(rate.c_str(), (f64)(benchHourBytes / benchFrameBytes) / seconds / 1e6, "Mframes/s");
    }
};
}  // namespace

RAVO_BENCH(clipboard) {
    HourSound hour;
    if (!hour.ready) {
        printf("clipboard: the hour of sound cannot be set up\n");
        return;
    }
    hour.run("copy both tracks", 410);        // COPY
    hour.run("paste both tracks", 418);       // PASTE_REP
    hour.format.selectOnlyTrack(0);
    hour.run("copy one track", 410);          // COPY
    hour.run("paste one track, adding", 419);  // PASTE_REP_ADD
    soundClipboard().clear();
}
