#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mm/device_settings.h"
#include "mm/mixer.h"
#include "mm/mm_error.h"
#include "mm/mm_texts.h"
#include "tests/mm/fake_devices.h"
#include "tests/support/test_support.h"

namespace {
Mixer mixerOf(u32 id, ErrorHandler* sink, bool readBack = false) {
    Mixer m;
    m.mixerId = id;
    m.errorSink = sink;
    m.readBack = readBack;
    return m;
}

std::string mmErrorString(u32 code) {
    GString s;
    mmErrorText(s, code);
    return s.c_str();
}

std::vector<u32> valuesOf(FakeMachine& machine, DWORD control) { return machine.findControl(0, control)->values; }

void fill(U32Array& a, std::vector<u32> values) {
    a.count = (u32)values.size();
    a.data = new u32[a.count];
    for (u32 i = 0; i < a.count; ++i) a.data[i] = values[i];
}

// A wave-in destination whose list control lists sources 0 and 1, source 1 selected; source 2 is
// not listed.
struct RecordingMixer : FakeMachine {
    explicit RecordingMixer(DWORD listType) {
        u32 m = addMixer("Recording mixer");
        u32 wavein = addDestination(m, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, MIXERLINE_TARGETTYPE_WAVEIN, 0);
        addSource(m, wavein, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
        addSource(m, wavein, MIXERLINE_COMPONENTTYPE_SRC_LINE);
        addSource(m, wavein, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC);
        addControl(m, wavein, -1, MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLF_UNIFORM, {500});
        list = addListControl(m, wavein, listType, {0, 1}, {0, 1});
        u32 speakers = addDestination(m, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
        addSource(m, speakers, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    }
    DWORD list;
};
}  // namespace

TEST(MixerLayer, VolumeByChannelCount) {
    struct Case {
        const char* what;
        DWORD lineChannels, flags;
        std::vector<u32> before, after;
        u32 left, right;  // read after setting 1000 and 2000
    } cases[] = {
        {"one channel", 1, 0, {7}, {1000}, 1000, 1000},
        {"two channels", 2, 0, {7, 7}, {1000, 2000}, 1000, 2000},
        {"four channels keep the last two", 4, 0, {7, 8, 9, 10}, {1000, 2000, 9, 10}, 1000, 2000},
        {"uniform on a stereo line", 2, MIXERCONTROL_CONTROLF_UNIFORM, {7}, {1000}, 1000, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachine machine;
        u32 m = machine.addMixer("Mixer");
        u32 d = machine.addDestination(m, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
        machine.mixers[m].destinations[d].line.cChannels = c.lineChannels;
        DWORD volume = machine.addControl(m, d, -1, MIXERCONTROL_CONTROLTYPE_VOLUME, c.flags, c.before);
        RecordingHandler sink;
        Mixer mixer = mixerOf(m, &sink, true);

        u32 left = 1000, right = 2000;
        ASSERT_TRUE(accessLineVolume(mixer, left, right, true, {d, -1}));
        EXPECT_EQ(valuesOf(machine, volume), c.after);
        left = right = 0;
        ASSERT_TRUE(accessLineVolume(mixer, left, right, false, {d, -1}));
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(right, c.right);
        EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
    }
}

TEST(MixerLayer, MuteAndMissingControls) {
    FakeMachine machine;
    u32 m = machine.addMixer("Mixer");
    u32 d = machine.addDestination(m, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    u32 s = machine.addSource(m, d, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    DWORD mute = machine.addControl(m, d, -1, MIXERCONTROL_CONTROLTYPE_MUTE, MIXERCONTROL_CONTROLF_UNIFORM, {0});
    RecordingHandler sink;
    Mixer mixer = mixerOf(m, &sink);

    for (bool value : {true, false}) {
        bool set = value, read = !value;
        ASSERT_TRUE(accessLineMute(mixer, set, true, {d, -1}));
        EXPECT_EQ(valuesOf(machine, mute), std::vector<u32>{value ? 1u : 0u});
        ASSERT_TRUE(accessLineMute(mixer, read, false, {d, -1}));
        EXPECT_EQ(read, value);
    }
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();

    // The source line has neither control; the failure is the sink's to answer.
    for (bool answer : {false, true}) {
        sink.answer = answer;
        bool value = false;
        u32 left = 0, right = 0;
        EXPECT_EQ(accessLineMute(mixer, value, false, {d, (i32)s}), answer);
        EXPECT_EQ(sink.lastCode(), (int)MIXERR_INVALCONTROL);
        EXPECT_EQ(accessLineVolume(mixer, left, right, true, {d, (i32)s}), answer);
        EXPECT_EQ(sink.lastText(), mmErrorString(MIXERR_INVALCONTROL));
    }
    sink.answer = false;
    bool value = false;
    EXPECT_FALSE(accessLineMute(mixer, value, false, {d, 5})) << "no such line";
    EXPECT_EQ(sink.lastCode(), (int)MIXERR_INVALLINE);
    Mixer absent = mixerOf(3, &sink);
    MIXERCAPSA caps;
    EXPECT_FALSE(getMixerDevCaps(absent, caps));
    EXPECT_EQ(sink.lastCode(), (int)MMSYSERR_BADDEVICEID);
}

TEST(MixerLayer, RecordSourceThroughTheMultiplexerOrTheMixerControl) {
    for (DWORD type : {MIXERCONTROL_CONTROLTYPE_MUX, MIXERCONTROL_CONTROLTYPE_MIXER}) {
        SCOPED_TRACE(type == MIXERCONTROL_CONTROLTYPE_MUX ? "multiplexer" : "mixer control");
        RecordingMixer machine(type);
        RecordingHandler sink;
        Mixer mixer = mixerOf(0, &sink, true);

        struct Read {
            i32 source;
            bool result, selected;
        } reads[] = {{0, true, false}, {1, true, true}, {2, true, false}, {-1, false, true}};
        for (const Read& r : reads) {
            bool selected = true;
            EXPECT_EQ(selectRecordSource(mixer, selected, false, {0, r.source}), r.result) << r.source;
            EXPECT_EQ(selected, r.selected) << r.source;
        }

        struct Write {
            i32 source;
            bool select;
            bool result;
            std::vector<u32> after;
        } writes[] = {
            {0, true, true, {1, 0}},
            {1, true, true, {0, 1}},
            {1, false, true, {0, 0}},
            {0, true, true, {1, 0}},
            {2, true, false, {1, 0}},  // not listed: the current choice stays
        };
        for (const Write& w : writes) {
            bool selected = w.select;
            EXPECT_EQ(selectRecordSource(mixer, selected, true, {0, w.source}), w.result) << w.source;
            EXPECT_EQ(valuesOf(machine, machine.list), w.after) << w.source;
        }
        // A destination without a list control.
        bool selected = true;
        EXPECT_FALSE(selectRecordSource(mixer, selected, true, {1, 0}));
        EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
    }
}

TEST(MixerLayer, SettingChecksTheCountAndReadsBack) {
    FakeMachine machine;
    u32 m = machine.addMixer("Mixer");
    u32 d = machine.addDestination(m, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    DWORD id = machine.addControl(m, d, -1, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, {1, 2});
    MixerControlMetrics metrics;
    metrics.controlId = id;
    metrics.channels = 2;
    metrics.valueCount = 2;
    U32Array two, three;
    fill(two, {100, 200});
    fill(three, {1, 2, 3});

    for (bool answer : {false, true}) {
        SCOPED_TRACE(answer ? "the sink goes on" : "the sink gives up");
        RecordingHandler sink;
        sink.answer = answer;
        Mixer mixer = mixerOf(m, &sink);

        EXPECT_EQ(setMixerControlDetails(metrics, mixer, three), answer);
        EXPECT_EQ(sink.lastText(), std::string(mmText(MmText::MixerValueCount)) + ".");
        EXPECT_TRUE(machine.setCalls.empty());

        metrics.readBack = true;
        machine.findControl(m, id)->setOffset = 1;
        EXPECT_EQ(setMixerControlDetails(metrics, mixer, two), answer);
        EXPECT_EQ(sink.lastCode(), (int)MIXERR_INVALVALUE);
        EXPECT_EQ(sink.lastText(), mmErrorString(MIXERR_INVALVALUE));
        EXPECT_EQ(sink.reports.size(), 2u);

        machine.findControl(m, id)->setOffset = 0;
        EXPECT_TRUE(setMixerControlDetails(metrics, mixer, two));
        metrics.readBack = false;
        machine.setDetailsResult = MMSYSERR_INVALPARAM;
        EXPECT_EQ(setMixerControlDetails(metrics, mixer, two), answer);
        EXPECT_EQ(sink.lastCode(), (int)MMSYSERR_INVALPARAM);
        machine.setDetailsResult = 0;
        EXPECT_EQ(sink.reports.size(), 3u);
        machine.setCalls.clear();
    }

    // A control that takes no values is set at once, without a call.
    MixerControlMetrics none;
    Mixer mixer = mixerOf(m, nullptr);
    EXPECT_TRUE(setMixerControlDetails(none, mixer, three));
    EXPECT_TRUE(machine.setCalls.empty());
}

TEST(MixerLayer, ComponentTypeNames) {
    struct Case {
        u32 type;
        const char* name;
    } cases[] = {
        {MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Speakers"},
        {MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Wave In"},
        {MIXERLINE_COMPONENTTYPE_DST_LINE, "Line"},
        {MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line"},
        {MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE, "Telephone"},
        {MIXERLINE_COMPONENTTYPE_SRC_ANALOG, "Analog"},
        {MIXERLINE_COMPONENTTYPE_DST_LAST + 1, "Unknown"},
        {MIXERLINE_COMPONENTTYPE_SRC_LAST + 1, "Unknown"},
    };
    for (const Case& c : cases) EXPECT_STREQ(mixerComponentTypeName(c.type), c.name) << std::hex << c.type;
}

// ---- the mixers the machine offers ----

namespace {
// The first line of the machine's mixers that the predicate accepts for device 0.
bool findLine(bool (*accepts)(const MIXERLINEA&, const MIXERLINEA&, u32), u32& mixerId, MixerLineRef& ref) {
    for (u32 m = 0; m < mixerGetNumDevs(); ++m) {
        Mixer mixer = mixerOf(m, nullptr);
        MIXERCAPSA caps;
        if (!getMixerDevCaps(mixer, caps)) continue;
        for (u32 d = 0; d < caps.cDestinations; ++d) {
            MIXERLINEA destination, source;
            if (!getMixerLineInfo(mixer, destination, {d, -1})) continue;
            for (u32 s = 0; s < destination.cConnections; ++s) {
                if (!getMixerLineInfo(mixer, source, {d, (i32)s}) || !accepts(destination, source, 0)) continue;
                mixerId = m;
                ref = {d, (i32)s};
                return true;
            }
        }
    }
    return false;
}

bool isAnyRecordLine(const MIXERLINEA& destination, const MIXERLINEA& source, u32 device) {
    return isRecordMicrophoneLine(destination, source, device) || isRecordLine(destination, source, device);
}
}  // namespace

TEST(MixerDevice, LinesAndControlsOfThePlayAndRecordDevices) {
    ASSERT_GE(mixerGetNumDevs(), 1u) << "Wine offers a mixer for each device of the test set-up";
    RecordingHandler sink;
    struct Kind {
        const char* what;
        bool (*accepts)(const MIXERLINEA&, const MIXERLINEA&, u32);
    } kinds[] = {{"play", isPlaybackWaveLine}, {"record", isAnyRecordLine}};
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.what);
        u32 id = 0;
        MixerLineRef ref;
        ASSERT_TRUE(findLine(k.accepts, id, ref));
        Mixer mixer = mixerOf(id, &sink);
        MIXERLINEA destination;
        MixerControls controls;
        ASSERT_TRUE(getMixerLineInfo(mixer, destination, {ref.destination, -1}));
        ASSERT_TRUE(loadLineControls(mixer, destination, controls));
        ASSERT_EQ(controls.count, destination.cControls);
        bool volume = false, mute = false;
        for (u32 i = 0; i < controls.count; ++i) {
            volume |= controls[i].dwControlType == mixerControlVolume;
            mute |= controls[i].dwControlType == mixerControlMute;
        }
        EXPECT_TRUE(volume && mute);
        EXPECT_STRNE(mixerComponentTypeName(destination.dwComponentType), "Unknown");

        MIXERCONTROLA byType;
        ASSERT_TRUE(getLineControlByType(mixer, destination, mixerControlVolume, byType));
        EXPECT_EQ(byType.dwControlType, mixerControlVolume);
    }
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();

    Mixer absent = mixerOf(mixerGetNumDevs() + 3, &sink);
    MIXERCAPSA caps;
    EXPECT_FALSE(getMixerDevCaps(absent, caps));
    EXPECT_EQ(sink.lastCode(), (int)MMSYSERR_BADDEVICEID);
}

TEST(MixerDevice, VolumeMuteAndRecordSource) {
    u32 id = 0;
    MixerLineRef ref;
    ASSERT_TRUE(findLine(isPlaybackWaveLine, id, ref));
    RecordingHandler sink;
    Mixer mixer = mixerOf(id, &sink, true);
    MixerLineRef destination = {ref.destination, -1};
    u32 savedLeft = 0, savedRight = 0;
    bool savedMute = false;
    ASSERT_TRUE(accessLineVolume(mixer, savedLeft, savedRight, false, destination));
    ASSERT_TRUE(accessLineMute(mixer, savedMute, false, destination));

    // The values at both ends of the range read back as they were set.
    for (u32 value : {0u, 65535u}) {
        u32 left = value, right = 12345, readLeft = 1, readRight = 1;
        ASSERT_TRUE(accessLineVolume(mixer, left, right, true, destination));
        ASSERT_TRUE(accessLineVolume(mixer, readLeft, readRight, false, destination));
        EXPECT_EQ(readLeft, value);
        // Wine's volume controls are uniform: one channel, the right value ignored.
        EXPECT_EQ(readRight, value);
    }
    for (bool value : {true, false}) {
        bool set = value, read = !value;
        ASSERT_TRUE(accessLineMute(mixer, set, true, destination));
        ASSERT_TRUE(accessLineMute(mixer, read, false, destination));
        EXPECT_EQ(read, value);
    }
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();

    // Wine's wave-in destination has neither a multiplexer nor a mixer control.
    u32 recordId = 0;
    MixerLineRef recordRef;
    ASSERT_TRUE(findLine(isAnyRecordLine, recordId, recordRef));
    Mixer recordMixer = mixerOf(recordId, &sink);
    bool selected = true;
    EXPECT_FALSE(selectRecordSource(recordMixer, selected, false, recordRef));
    EXPECT_TRUE(selected);
    EXPECT_FALSE(selectRecordSource(recordMixer, selected, true, recordRef));

    ASSERT_TRUE(accessLineVolume(mixer, savedLeft, savedRight, true, destination));
    ASSERT_TRUE(accessLineMute(mixer, savedMute, true, destination));
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
}
