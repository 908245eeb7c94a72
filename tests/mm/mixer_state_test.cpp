#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "mm/mixer_state.h"
#include "tests/mm/fake_devices.h"
#include "tests/support/bag_hex.h"
#include "tests/support/test_support.h"

namespace {
// Mixer A: speakers (stereo volume, mute) with a wave-out source (volume) and a synthesizer source
// (no controls); a wave-in destination with a multiplexer over a microphone and a line source, each
// with a volume. Mixer B: speakers with a volume.
struct TwoMixers : FakeMachine {
    TwoMixers() {
        u32 a = addMixer("Mixer A");
        u32 speakers = addDestination(a, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
        addControl(a, speakers, -1, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, {10, 20});
        addControl(a, speakers, -1, MIXERCONTROL_CONTROLTYPE_MUTE, MIXERCONTROL_CONTROLF_UNIFORM, {0});
        addControl(a, speakers, addSource(a, speakers, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT),
                   MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLF_UNIFORM, {30});
        addSource(a, speakers, MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER);
        u32 wavein = addDestination(a, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
        addListControl(a, wavein, MIXERCONTROL_CONTROLTYPE_MUX, {0, 1}, {1, 0});
        addControl(a, wavein, addSource(a, wavein, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE),
                   MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLF_UNIFORM, {40});
        addControl(a, wavein, addSource(a, wavein, MIXERLINE_COMPONENTTYPE_SRC_LINE), MIXERCONTROL_CONTROLTYPE_VOLUME,
                   MIXERCONTROL_CONTROLF_UNIFORM, {50});
        strcpy(mixers[a].destinations[wavein].sources[1].szName, "Line In");
        u32 b = addMixer("Mixer B");
        addControl(b, addDestination(b, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS), -1, MIXERCONTROL_CONTROLTYPE_VOLUME,
                   MIXERCONTROL_CONTROLF_UNIFORM, {60});
    }
    std::vector<std::vector<u32>> allValues() const {
        std::vector<std::vector<u32>> all;
        for (const FakeControl& c : controls) all.push_back(c.values);
        return all;
    }
    void scramble() {
        for (FakeControl& c : controls)
            for (u32& v : c.values) v = 999;
    }
};

// The block of mixer m inside a record of all mixers.
void blockOf(GBag& all, u32 m, GBag& block) {
    all.pos = 4;
    for (u32 i = 0; i <= m; ++i) bagReadBlock(all, block);
    all.pos = 0;
}

std::string zeros(size_t n) {
    std::string hex;
    for (size_t i = 0; i < n; ++i) hex += " 00";
    return hex;
}
}  // namespace

TEST(MixerState, RecordLayout) {
    FakeMachine machine;
    u32 m = machine.addMixer("Tiny");
    u32 d = machine.addDestination(m, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    strcpy(machine.mixers[m].destinations[d].line.szName, "Master");
    machine.addControl(m, d, -1, MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLF_UNIFORM, {0x1234});
    GBag bag;
    ASSERT_TRUE(writeAllMixers(bag, nullptr));
    std::string expected = "01 00 00 00 78 00 00 00"       // one mixer, a block of 120 bytes
                           " 54 69 6E 79" + zeros(28) +    // "Tiny"
                           " 00 00 00 00 01 00 00 00"      // mixer 0, one destination
                           " 4D 61 73 74 65 72" + zeros(58) +  // "Master"
                           " 01 00 00 00 01 00 00 00 34 12 00 00"  // one control of one value
                           " 00 00 00 00";                 // no sources
    GBag expectedBag;
    bagFromHex(expectedBag, expected.c_str());
    EXPECT_EQ(bagHex(bag), bagHex(expectedBag));
}

TEST(MixerState, EveryControlOfEveryMixerIsRestored) {
    TwoMixers machine;
    std::vector<std::vector<u32>> saved = machine.allValues();
    RecordingHandler sink;
    GBag bag;
    ASSERT_TRUE(writeAllMixers(bag, &sink));
    machine.scramble();
    bag.pos = 0;
    ASSERT_TRUE(readAllMixers(bag, &sink));
    EXPECT_EQ(bag.pos, bag.size);
    EXPECT_EQ(machine.allValues(), saved);
    EXPECT_EQ(machine.setCalls.size(), machine.controls.size());

    // One line alone.
    GBag line;
    Mixer mixer;
    mixer.errorSink = &sink;
    ASSERT_TRUE(writeLineSettings(line, mixer, {1, -1}));
    machine.scramble();
    line.pos = 0;
    ASSERT_TRUE(readLineSettings(line, mixer, {1, -1}));
    EXPECT_EQ(machine.findControl(0, 3)->values, (std::vector<u32>{1, 0}));  // the multiplexer
    EXPECT_EQ(machine.findControl(0, 4)->values, (std::vector<u32>{999}));
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
}

TEST(MixerState, ARecordThatDoesNotFitTheMixerSetsNothing) {
    // Every change but the first lies in the last line of mixer A, so that a reader that set values as
    // it went would already have set all the others.
    struct Case {
        const char* what;
        std::function<void(TwoMixers&)> change;
    } cases[] = {
        {"another product name", [](TwoMixers& m) { strcpy(m.mixers[0].caps.szPname, "Mixer C"); }},
        {"a destination more", [](TwoMixers& m) { m.addDestination(0, MIXERLINE_COMPONENTTYPE_DST_LINE); }},
        {"a source more", [](TwoMixers& m) { m.addSource(0, 1, MIXERLINE_COMPONENTTYPE_SRC_ANALOG); }},
        {"another line name", [](TwoMixers& m) { strcpy(m.mixers[0].destinations[1].sources[1].szName, "Aux"); }},
        {"a control more",
         [](TwoMixers& m) { m.addControl(0, 1, 1, MIXERCONTROL_CONTROLTYPE_MUTE, MIXERCONTROL_CONTROLF_UNIFORM, {0}); }},
        {"another value count",
         [](TwoMixers& m) {
             FakeControl* volume = m.findControl(0, 5);
             volume->control.fdwControl = 0;  // per channel on the stereo line
             volume->values = {50, 50};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TwoMixers machine;
        RecordingHandler sink;
        GBag all, block;
        ASSERT_TRUE(writeAllMixers(all, &sink));
        blockOf(all, 0, block);
        c.change(machine);
        machine.scramble();

        EXPECT_THROW(readMixerState(block, &sink), GBagException);
        EXPECT_TRUE(machine.setCalls.empty());
        EXPECT_FALSE(readAllMixers(all, &sink)) << "mixer A is passed over";
        EXPECT_EQ(machine.findControl(1, 6)->values, (std::vector<u32>{60})) << "mixer B is restored";
        EXPECT_EQ(machine.setCalls, (std::vector<DWORD>{6}));
        EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
    }
}

TEST(MixerState, AMixerThatIsGoneOrCannotBeRead) {
    TwoMixers machine;
    machine.phantomMixers = 1;
    RecordingHandler sink;
    GBag all;
    EXPECT_FALSE(writeAllMixers(all, &sink));
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.lastCode(), (int)MMSYSERR_BADDEVICEID);
    all.pos = 0;
    EXPECT_EQ(bagGetU32(all), 3u);
    GBag last;
    blockOf(all, 2, last);
    EXPECT_EQ(last.size, 0u) << "the third mixer's block is empty";

    // Restoring where mixer B is gone: A is restored, B's block passed over without a report.
    machine.phantomMixers = 0;
    machine.mixers.pop_back();
    machine.scramble();
    sink.reports.clear();
    EXPECT_FALSE(readAllMixers(all, &sink));
    EXPECT_EQ(machine.findControl(0, 0)->values, (std::vector<u32>{10, 20}));
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
}

TEST(MixerState, ShortRecordsAreRefusedBeforeAnythingIsSet) {
    TwoMixers machine;
    GBag all, block;
    ASSERT_TRUE(writeAllMixers(all, nullptr));
    blockOf(all, 0, block);
    for (u32 cut = 0; cut < block.size; ++cut) {
        GBag shorter;
        bagWriteBytes(shorter, block.data, cut);
        shorter.pos = 0;
        ASSERT_THROW(readMixerState(shorter, nullptr), GBagException) << cut;
        ASSERT_TRUE(machine.setCalls.empty()) << cut;
    }
    GBag shorter;
    bagWriteBytes(shorter, all.data, all.size - 1);
    shorter.pos = 0;
    EXPECT_THROW(readAllMixers(shorter, nullptr), GBagException);
}

TEST(MixerStateDevice, TheMachinesMixersAreRestoredAndAnotherProductIsRefused) {
    ASSERT_GE(mixerGetNumDevs(), 1u);
    RecordingHandler sink;
    Mixer mixer;
    mixer.errorSink = &sink;
    u32 left = 0, right = 0;
    ASSERT_TRUE(accessLineVolume(mixer, left, right, false, {0, -1}));
    const u32 saved = left;
    const u32 other = saved == 0 ? 65535 : 0;

    GBag all;
    ASSERT_TRUE(writeAllMixers(all, &sink));
    all.pos = 0;
    EXPECT_EQ(bagGetU32(all), mixerGetNumDevs());

    // The same record with the first mixer's product name changed.
    GBag renamed;
    bagWriteBytes(renamed, all.data, all.size);
    renamed.data[8] ^= 0x20;
    renamed.pos = 0;

    left = right = other;
    ASSERT_TRUE(accessLineVolume(mixer, left, right, true, {0, -1}));
    EXPECT_FALSE(readAllMixers(renamed, &sink));
    ASSERT_TRUE(accessLineVolume(mixer, left, right, false, {0, -1}));
    EXPECT_EQ(left, other) << "nothing was set on the first mixer";

    all.pos = 0;
    EXPECT_TRUE(readAllMixers(all, &sink));
    ASSERT_TRUE(accessLineVolume(mixer, left, right, false, {0, -1}));
    EXPECT_EQ(left, saved);
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
}
