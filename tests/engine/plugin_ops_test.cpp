// The plug-in effect over a range, through the tests' own plug-in libraries.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/plugin_run.h"
#include "engine/processor.h"
#include "mm/plugin_host.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/test_plugins.h"

namespace {

std::unique_ptr<HostedVstPlugin> loadPlugin(const char* name, i32 rate = 8000) {
    std::unique_ptr<HostedVstPlugin> plugin(new HostedVstPlugin);
    EXPECT_TRUE(plugin->load(testPluginPath(name).c_str(), rate, rate)) << name;
    return plugin;
}

void runPlugin(SoundBlockProcessor& p, VstPlugin* plugin, RecordArray<PluginEvent>* events = nullptr) {
    p.setAuxObject(new PluginRun(plugin, events));
    p.runSlot(Slot::applyPluginEffect);
}

// Whole numbers on the 16-bit scale (never -32768), scaled up for the wider types.
std::vector<f64> pattern(u32 encoding, size_t n) {
    std::vector<f64> values(n);
    const f64 scale = encoding == encodingInt16 ? 1.0 : 256.0;
    for (size_t i = 0; i < n; ++i) values[i] = (f64)((i64)((i * 7919u) % 65535u) - 32767) * scale;
    return values;
}

TEST(PluginEffect, PassThroughLeavesEverySampleUnchanged) {
    auto pass = loadPlugin("pass_plugin");
    for (u32 encoding : allEncodings) {
        for (u32 channels : {1u, 2u, 3u, 5u, 6u}) {
            SCOPED_TRACE(std::string(encodingName(encoding)) + ", tracks: " + std::to_string(channels));
            // Thousands of frames cross pages; a header of 45 bytes puts the samples off their alignment.
            const std::vector<f64> range = pattern(encoding, 3001 * channels);
            TestSound sound(encoding, channels, framedRange(range, channels), 45);
            sound.select(std::vector<u8>(channels, 1));
            RecordingOwner owner(&sound);
            auto p = bindProcessor(sound, 1, 3002, 0, &owner);
            runPlugin(*p, pass.get());
            EXPECT_EQ(sound.samples(), framedRange(range, channels));
            EXPECT_EQ(p->flags, 0u);
            const std::string length = std::to_string(3001 * sound.frameBytes());
            EXPECT_EQ(owner.events, (std::vector<std::string>{
                                        "range " + std::to_string(sound.at(1)) + " " + length + " " + length,
                                        "finished"}));
        }
    }
    // The one 16-bit value off the scale comes back clipped.
    FramedRangeSound s(encodingInt16, 1, {1}, {-32768, 5});
    runPlugin(*s.p, pass.get());
    EXPECT_EQ(s.sound.samples(), framedRange({-32767, 5}, 1));
    EXPECT_EQ(s.p->flags, clippedFlag);
}

TEST(PluginEffect, GainOnSelectedTracks) {
    auto gain = loadPlugin("gain_plugin");
    gain->setParameter(0, 1.0f);  // twice the input
    const f64 k = keep;
    struct Case {
        const char* name;
        u32 channels;
        std::vector<u8> mask;
        std::vector<f64> input, expected;
        f64 clippedTo16;  // the one sample of expected that clips in 16 bits (0: none)
    } cases[] = {
        {"right track only: fed to input 0, written from output 0", 2, {0, 1}, {100, 200, -300, 20000, 5, -7},
         {k, 400, k, 40000, k, -14}, 40000},
        {"mono through a stereo plug-in", 1, {1}, {3, -4, 10}, {6, -8, 20}, 0},
        {"three tracks, two outputs: the third keeps its samples", 3, {1, 1, 1}, {1, 2, 3, -4, -5, -6},
         {2, 4, k, -8, -10, k}, 0},
        {"five tracks, the second, fourth and fifth selected", 5, {0, 1, 0, 1, 1}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
         {k, 4, k, 8, k, k, 14, k, 18, k}, 0},
    };
    for (u32 encoding : allEncodings) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(encodingName(encoding)) + ": " + c.name);
            FramedRangeSound s(encoding, c.channels, c.mask, c.input);
            runPlugin(*s.p, gain.get());
            std::vector<f64> expected;
            for (size_t i = 0; i < c.input.size(); ++i) {
                f64 e = c.expected[i] == keep ? c.input[i] : c.expected[i];
                if (encoding == encodingInt16 && e == c.clippedTo16) e = 32767;
                expected.push_back(e);
            }
            EXPECT_EQ(s.sound.samples(), framedRange(expected, c.channels));
            EXPECT_EQ(s.p->flags, encoding == encodingInt16 && c.clippedTo16 ? clippedFlag : 0u);
        }
    }
    EXPECT_FALSE(gain->faulted());
    EXPECT_TRUE(gain->isActive()) << "the effect leaves the plug-in switched on";
}

TEST(PluginEffect, EdgesAreBlendedAndTheChangeUndoes) {
    auto gain = loadPlugin("gain_plugin");
    gain->setParameter(0, 1.0f);
    FramedRangeSound s(encodingInt16, 1, {1}, std::vector<f64>(20, 1000.0), 4);
    const std::vector<f64> before = s.sound.samples();
    runPlugin(*s.p, gain.get());
    std::vector<f64> blended = {1000, 1250, 1500, 1750};  // four frames from the old sound to the new
    blended.insert(blended.end(), 13, 2000.0);
    blended.insert(blended.end(), {1750, 1500, 1250});
    EXPECT_EQ(s.sound.samples(), framedRange(blended, 1));
    s.owner.undoAll();
    EXPECT_EQ(s.sound.samples(), before);
}

TEST(PluginEffect, ACancelledJobStillWritesTheWholeRange) {
    auto gain = loadPlugin("gain_plugin");
    gain->setParameter(0, 1.0f);
    const std::vector<f64> range(2 * 20000, 3.0);
    FramedRangeSound s(encodingInt16, 2, {1, 1}, range);
    CancellingProgress progress(1);
    s.p->progress = &progress;
    runPlugin(*s.p, gain.get());
    EXPECT_TRUE(progress.isCancelled());
    EXPECT_EQ(s.sound.samples(), framedRange(std::vector<f64>(range.size(), 6.0), 2));
}

TEST(PluginEffect, InstrumentPlaysItsNotesFromTheStartOfTheRange) {
    // The test instrument: left = key / 128 from its note's frame, right = -(frames of the call) / 4096.
    auto synth = loadPlugin("synth_plugin");
    auto* events = new RecordArray<PluginEvent>;
    PluginEvent* note = events->append(1);
    note->time = 1;  // 1 ms: frame 8 at 8000 frames a second
    note->status = 0x90;
    note->data1 = 60;
    note->data2 = 90;
    FramedRangeSound s(encodingInt16, 2, {1, 1}, std::vector<f64>(2 * 20, 1.0));
    runPlugin(*s.p, synth.get(), events);
    std::vector<f64> expected;
    for (int f = 0; f < 20; ++f) {
        expected.push_back(f < 8 ? 0 : 15360);   // 60 / 128 x 32768
        expected.push_back(f < 8 ? -64 : -96);  // calls of 8 and 12 frames
    }
    EXPECT_EQ(s.sound.samples(), framedRange(expected, 2));

    // With an empty list the instrument is still run, the range in one call; it is not switched off
    // between runs, so its note still sounds.
    FramedRangeSound again(encodingDouble, 2, {1, 1}, std::vector<f64>(2 * 20, 1.0));
    runPlugin(*again.p, synth.get(), new RecordArray<PluginEvent>);
    expected.clear();
    for (int f = 0; f < 20; ++f) expected.insert(expected.end(), {15360.0, -160.0});
    EXPECT_EQ(again.sound.samples(), framedRange(expected, 2));
}

TEST(PluginEffect, AFaultingPluginLeavesTheRangeAsItWas) {
    auto broken = loadPlugin("broken_plugin");
    FramedRangeSound s(encodingFloat, 2, {1, 1}, {1, 2, 3, 4});
    runPlugin(*s.p, broken.get());
    EXPECT_TRUE(broken->faulted());
    EXPECT_EQ(s.sound.samples(), framedRange({1, 2, 3, 4}, 2));
}

}  // namespace
