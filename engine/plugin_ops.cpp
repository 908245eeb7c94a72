// The plug-in effect: the range goes through a loaded plug-in in blocks and its output replaces the
// selected tracks. Samples travel as floats on the 16-bit scale (sample / 32768) and come back
// multiplied by 32768, whatever the sample type; the k-th selected track feeds input k and takes
// output k. Tracks the plug-in has no output for, and unselected ones, keep their samples; so does
// everything from the block in which the plug-in faulted on.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/change_guard.h"
#include "engine/page_walk.h"
#include "engine/plugin_run.h"
#include "engine/sample_processor.h"

namespace {
// The planar float blocks handed to the plug-in, grown when a block is larger than any before.
struct PluginBuffers {
    PluginBuffers(i32 inputs, i32 outputs) : inputPointers(inputs), outputPointers(outputs) {}

    // Points the channels at runs of frames floats; inputs from `fed` on and all outputs are cleared.
    void prepare(size_t frames, size_t fed) {
        const size_t inputs = inputPointers.size(), outputs = outputPointers.size();
        if (inputSamples.size() < inputs * frames) inputSamples.resize(inputs * frames);
        if (outputSamples.size() < outputs * frames) outputSamples.resize(outputs * frames);
        std::fill(inputSamples.begin() + fed * frames, inputSamples.begin() + inputs * frames, 0.0f);
        std::fill(outputSamples.begin(), outputSamples.begin() + outputs * frames, 0.0f);
        for (size_t i = 0; i < inputs; ++i) inputPointers[i] = inputSamples.data() + i * frames;
        for (size_t j = 0; j < outputs; ++j) outputPointers[j] = outputSamples.data() + j * frames;
    }

    std::vector<f32> inputSamples, outputSamples;
    std::vector<f32*> inputPointers, outputPointers;
};

// Copies n bytes into the writer's pages; false when the writer's range is full.
bool writeBytes(PageWalk& out, const u8* bytes, size_t n) {
    while (n > 0) {
        if (out.left() == 0 && (!out.next() || out.left() == 0)) return false;
        const size_t m = std::min(n, out.left());
        memcpy(out.take(m), bytes, m);
        bytes += m;
        n -= m;
    }
    return true;
}
}  // namespace

template <class Traits>
void SampleProcessor<Traits>::applyPluginEffect() {
    typedef Unaligned<Sample> U;
    PluginRun* run = dynamic_cast<PluginRun*>(auxObject);
    if (!run || !run->plugin || channelCount <= 0 || frameBytes <= 0) return;
    VstPlugin* plugin = run->plugin;
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    if (change.newLength == 0) return;  // the store refused the change: nothing to run
    plugin->resume();
    if (run->events) plugin->scheduleEvents(run->events->data, run->events->count, false);
    const i32 inputs = std::max(0, plugin->info().inputCount);
    const i32 outputs = std::max(0, plugin->info().outputCount);
    PluginBuffers buffers(inputs, outputs);
    // The selected tracks in order: the first ones feed the inputs, the first ones take the outputs.
    std::vector<i32> selected;
    for (i32 c = 0; c < channelCount; ++c)
        if (channelMask[c]) selected.push_back(c);
    const size_t fed = std::min(selected.size(), (size_t)inputs);
    const size_t written = std::min(selected.size(), (size_t)outputs);

    PageWalk in(openBlockReader, store, frameBytes, change.oldCursor, change.newLength, progress);
    PageWalk out(openBlockWriter, store, frameBytes, change, nullptr);
    // The present block: one page of the reader's whole frames, changed in place.
    std::vector<u8> block;
    u32 clipped = 0;
    const i32 channels = channelCount;
    for (;;) {
        // The reader's answer is not looked at: a cancel does not stop the run.
        in.next();
        const size_t frames = in.framesLeft();
        if (frames == 0) {
            if (in.atEnd()) break;
            continue;
        }
        const size_t bytes = frames * (size_t)frameBytes;
        const u8* page = in.take(bytes);
        block.assign(page, page + bytes);

        buffers.prepare(frames, fed);
        const U* old = (const U*)block.data();
        for (size_t k = 0; k < fed; ++k) {
            f32* input = buffers.inputPointers[k];
            const U* track = old + selected[k];
            for (size_t f = 0; f < frames; ++f) input[f] = (f32)track[f * channels] * (1.0f / 32768.0f);
        }
        plugin->process(buffers.inputPointers.data(), buffers.outputPointers.data(), (i32)frames);
        // A plug-in that faulted gave no output: the block keeps its old samples.
        for (size_t k = 0; k < written && !plugin->faulted(); ++k) {
            const f32* output = buffers.outputSamples.data() + k * frames;
            U* track = (U*)block.data() + selected[k];
            for (size_t f = 0; f < frames; ++f)
                Traits::storeRounded(output[f] * 32768.0, &track[f * channels], &clipped);
        }
        if (!writeBytes(out, block.data(), bytes)) break;
    }
    out.finish();
    flags |= clipped;
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

#define RAVO_PLUGIN_OPS(T) template void SampleProcessor<T>::applyPluginEffect();
RAVO_FOR_EACH_SAMPLE_TYPE(RAVO_PLUGIN_OPS)
