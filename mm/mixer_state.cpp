#include "mm/mixer_state.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "core/exceptions.h"

namespace {
const u32 productNameBytes = sizeof(MIXERCAPSA::szPname);
const u32 lineNameBytes = sizeof(MIXERLINEA::szName);
static_assert(productNameBytes == 32 && lineNameBytes == 64, "stored names");

// The values a record sets, checked against the live mixer before any of them is set.
struct RestorePlan {
    std::vector<MixerControlMetrics> controls;
    std::vector<u32> values;  // every control's values, one after the other
};

void refuse() { throw GBagException(); }

// Reads a line record and checks it against the live line.
void planLine(GBag& bag, Mixer& mixer, MixerLineRef ref, RestorePlan& plan) {
    MIXERLINEA line;
    char name[lineNameBytes];
    bagReadBytes(bag, name, lineNameBytes);
    u32 controlCount = bagGetU32(bag);
    if (!getMixerLineInfo(mixer, line, ref) || strncmp(name, line.szName, lineNameBytes) != 0 ||
        controlCount != line.cControls)
        refuse();
    MixerControls controls;
    if (!loadLineControls(mixer, line, controls)) refuse();
    for (u32 i = 0; i < controls.count; ++i) {
        MixerControlMetrics metrics = controlMetrics(mixer, line, controls[i]);
        U32Array values;
        bagReadIntArray(bag, values);
        if (values.count != metrics.valueCount) refuse();
        plan.controls.push_back(metrics);
        plan.values.insert(plan.values.end(), values.data, values.data + values.count);
    }
}

bool applyPlan(const RestorePlan& plan, Mixer& mixer) {
    const u32* next = plan.values.data();
    for (const MixerControlMetrics& metrics : plan.controls) {
        U32Array values;
        values.count = metrics.valueCount;
        values.data = values.count ? new u32[values.count] : nullptr;
        if (values.count) memcpy(values.data, next, sizeof(u32) * values.count);
        next += values.count;
        if (!setMixerControlDetails(metrics, mixer, values)) return false;
    }
    return true;
}
}  // namespace

bool writeLineSettings(GBag& bag, Mixer& mixer, MixerLineRef ref) {
    MIXERLINEA line;
    MixerControls controls;
    if (!getMixerLineInfo(mixer, line, ref) || !loadLineControls(mixer, line, controls)) return false;
    bagWriteBytes(bag, line.szName, lineNameBytes);
    bagWriteU32(bag, controls.count);
    for (u32 i = 0; i < controls.count; ++i) {
        U32Array values;
        if (!getMixerControlDetails(mixer, controlMetrics(mixer, line, controls[i]), values)) return false;
        bagWriteBlob(bag, values.data, values.count);
    }
    return true;
}

bool writeMixerState(GBag& bag, Mixer& mixer) {
    MIXERCAPSA caps;
    if (!getMixerDevCaps(mixer, caps)) return false;
    bagWriteBytes(bag, caps.szPname, productNameBytes);
    bagWriteU32(bag, mixer.mixerId);
    bagWriteU32(bag, caps.cDestinations);
    for (u32 d = 0; d < caps.cDestinations; ++d) {
        MIXERLINEA destination;
        if (!getMixerLineInfo(mixer, destination, {d, -1}) || !writeLineSettings(bag, mixer, {d, -1})) return false;
        bagWriteU32(bag, destination.cConnections);
        for (u32 s = 0; s < destination.cConnections; ++s)
            if (!writeLineSettings(bag, mixer, {d, (i32)s})) return false;
    }
    return true;
}

bool writeAllMixers(GBag& bag, ErrorHandler* sink) {
    u32 count = mixerApi.getNumDevs();
    bagWriteU32(bag, count);
    bool all = true;
    for (u32 m = 0; m < count; ++m) {
        Mixer mixer;
        mixer.errorSink = sink;
        mixer.mixerId = m;
        GBag state;
        // A mixer that cannot be read leaves an empty block, so that the count stays true.
        if (writeMixerState(state, mixer)) {
            bagWriteBlock(bag, state);
        } else {
            bagWriteBlock(bag, nullptr, 0);
            all = false;
        }
    }
    return all;
}

bool readLineSettings(GBag& bag, Mixer& mixer, MixerLineRef ref) {
    RestorePlan plan;
    planLine(bag, mixer, ref, plan);
    return applyPlan(plan, mixer);
}

bool readMixerState(GBag& bag, ErrorHandler* sink) {
    char name[productNameBytes];
    bagReadBytes(bag, name, productNameBytes);
    Mixer mixer;
    mixer.errorSink = sink;
    mixer.mixerId = bagGetU32(bag);
    u32 destinations = bagGetU32(bag);

    // A mixer that is not there (any more) is a record that does not fit, not a failure to report.
    Mixer quiet = mixer;
    quiet.errorSink = nullptr;
    MIXERCAPSA caps;
    if (!getMixerDevCaps(quiet, caps) || strncmp(name, caps.szPname, productNameBytes) != 0 ||
        destinations != caps.cDestinations)
        refuse();

    RestorePlan plan;
    for (u32 d = 0; d < destinations; ++d) {
        planLine(bag, mixer, {d, -1}, plan);
        MIXERLINEA destination;
        u32 sources = bagGetU32(bag);
        if (!getMixerLineInfo(mixer, destination, {d, -1}) || sources != destination.cConnections) refuse();
        for (u32 s = 0; s < sources; ++s) planLine(bag, mixer, {d, (i32)s}, plan);
    }
    return applyPlan(plan, mixer);
}

bool readAllMixers(GBag& bag, ErrorHandler* sink) {
    u32 count = bagGetU32(bag);
    bool all = true;
    for (u32 m = 0; m < count; ++m) {
        GBag state;
        bagReadBlock(bag, state);
        try {
            all = readMixerState(state, sink) && all;
        } catch (const GBagException&) {
            all = false;
        }
    }
    return all;
}
