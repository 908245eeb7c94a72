// The diagnosis of a device's mixer lines and its fixes, on the made-up machine.
#include "tools/repair_diagnosis.h"

#include <gtest/gtest.h>

#include "mm/mm_settings.h"
#include "tests/tools/mixer_machine.h"

namespace {
std::vector<u32> commandsOf(const RepairDiagnosis& d) {
    std::vector<u32> list;
    for (const RepairProblem& p : d.problems()) list.push_back(p.command);
    return list;
}
}  // namespace

TEST(RepairDiagnosis, ProblemsInOrderAndEachFixWritesTheControl) {
    struct Case {
        const char* what;
        bool record;
        std::vector<u32> waveVolume, waveMute, speakersVolume;
        std::vector<u32> problems;
        const char* lowText;  // part of the low line, when there is one
        u32 fix;
        DWORD fixed;  // the control the fix writes; its values after it
        std::vector<u32> after;
        std::vector<u32> problemsAfter;
    };
    MixerMachine names;
    const DWORD wv = names.waveVolume, wm = names.waveMute, sv = names.speakersVolume, mux = names.recordMux;
    const Case cases[] = {
        {"healthy", false, {40000, 40000}, {0}, {40000, 40000}, {}, nullptr, 0, 0, {}, {}},
        {"source muted", false, {40000, 40000}, {1}, {40000, 40000}, {1000}, nullptr, 1000, wm, {0}, {}},
        {"low and unbalanced", false, {20000, 30000}, {0}, {40000, 40000}, {1002, 1004}, "(45 %)", 1002, wv,
         {32767, 30000}, {1004}},
        {"unbalanced only", false, {20000, 40000}, {0}, {40000, 40000}, {1004}, nullptr, 1004, wv, {40000, 40000}, {}},
        {"destination low", false, {40000, 40000}, {0}, {10000, 10000}, {1003}, "(15 %)", 1003, sv,
         {32767, 32767}, {}},
        {"destination unbalanced", false, {40000, 40000}, {0}, {40000, 50000}, {1005}, nullptr, 1005, sv,
         {50000, 50000}, {}},
        {"every problem", false, {0, 0}, {1}, {5000, 6000}, {1000, 1002, 1003, 1005}, nullptr, 0, 0, {}, {}},
        // The microphone is not the multiplexer's choice; the wave-in line has no volume or mute.
        {"record source not selected", true, {}, {}, {}, {1006}, nullptr, 1006, mux, {1, 0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MixerMachine machine;
        if (!c.record) {
            machine.valuesOf(machine.waveVolume) = c.waveVolume;
            machine.valuesOf(machine.waveMute) = c.waveMute;
            machine.valuesOf(machine.speakersVolume) = c.speakersVolume;
        }
        SoundSettings sound;
        DeviceSettings& device = c.record ? static_cast<DeviceSettings&>(sound.record) : sound.play;
        device.mixer = 0;
        device.destination = c.record ? 2 : 0;
        device.source = 0;

        RepairDiagnosis d;
        d.run(device);
        EXPECT_TRUE(d.diagnosed);
        EXPECT_EQ(commandsOf(d), c.problems);
        if (c.lowText) {
            bool found = false;
            for (const RepairProblem& p : d.problems()) found |= p.text.find(c.lowText) != std::string::npos;
            EXPECT_TRUE(found) << c.lowText;
        }
        if (!c.fix) continue;
        machine.setCalls.clear();
        EXPECT_TRUE(d.fix(c.fix));
        ASSERT_FALSE(machine.setCalls.empty());
        EXPECT_EQ(machine.setCalls.back(), c.fixed);
        EXPECT_EQ(machine.valuesOf(c.fixed), c.after);
        d.run(device);
        EXPECT_EQ(commandsOf(d), c.problemsAfter);
    }
}

TEST(RepairDiagnosis, AnUnfoundLineReadsNothingAndListsNothing) {
    MixerMachine machine;
    machine.valuesOf(machine.waveMute) = {1};
    SoundSettings sound;  // indices -1
    RepairDiagnosis d;
    d.run(sound.play);
    EXPECT_TRUE(d.diagnosed);
    EXPECT_FALSE(d.sourceLine.muteRead);
    EXPECT_FALSE(d.destinationLine.volume.read);
    EXPECT_FALSE(d.selectRead);
    EXPECT_TRUE(d.problems().empty());
    EXPECT_FALSE(d.fix(RepairDiagnosis::UnmuteSource));
    EXPECT_TRUE(machine.setCalls.empty());
}
