#include "mm/vst_synth_source.h"

#include <algorithm>

#include "mm/plugin_host.h"

VstSynthSource::~VstSynthSource() {
    if (plugin) plugin->suspend();
    delete releaseObject;
}

u32 VstSynthSource::channels() const { return plugin ? (u32)std::max(0, plugin->info().outputCount) : 0u; }

void VstSynthSource::setRelease(u32 frames, GCommonObject* guarded) {
    if (releaseObject != guarded) delete releaseObject;
    releaseFrames = frames;
    releaseObject = guarded;
}

u32 VstSynthSource::readFrames(void* buffer, u32 frames) {
    if (!plugin || !plugin->isLoaded() || frames == 0) return 0;
    const u32 outputs = (u32)std::max(0, plugin->info().outputCount);
    const u32 inputs = (u32)std::max(0, plugin->info().inputCount);
    if (scratch.size() < (size_t)outputs * frames) scratch.resize((size_t)outputs * frames);
    if (silence.size() < (size_t)inputs * frames) silence.resize((size_t)inputs * frames);
    std::fill(scratch.begin(), scratch.begin() + (size_t)outputs * frames, 0.0f);
    // Set afresh for every call: process advances them.
    in.resize(inputs);
    out.resize(outputs);
    for (u32 i = 0; i < inputs; ++i) in[i] = silence.data() + (size_t)i * frames;
    for (u32 j = 0; j < outputs; ++j) out[j] = scratch.data() + (size_t)j * frames;
    plugin->process(inputs ? in.data() : nullptr, out.data(), (i32)frames);
    // The plug-in writes one run per output; readers take frames of all outputs side by side.
    f32* target = static_cast<f32*>(buffer);
    for (u32 f = 0; f < frames; ++f)
        for (u32 j = 0; j < outputs; ++j) *target++ = scratch[(size_t)j * frames + f];
    if (releaseObject) {
        if (releaseFrames <= frames) {
            delete releaseObject;
            releaseObject = nullptr;
            releaseFrames = 0;
        } else {
            releaseFrames -= frames;
        }
    }
    RunFinished* finished = nullptr;
    {
        std::lock_guard<std::mutex> hold(requestLock);
        if (request.finished) {
            if (request.samples <= frames) {
                finished = request.finished;
                request = RunRequest();
            } else {
                request.samples -= frames;
            }
        }
    }
    if (finished) finished->onRunFinished();
    return frames;
}

void VstSynthSource::setRequest(const RunRequest& r) {
    std::lock_guard<std::mutex> hold(requestLock);
    request = r;
}

RunRequest VstSynthSource::currentRequest() {
    std::lock_guard<std::mutex> hold(requestLock);
    return request;
}

bool VstSynthSource::rewind() {
    if (!plugin) return false;
    plugin->suspend();
    plugin->resume();
    return true;
}
