// The instrument's recorder and player over the tests' instrument plug-in, loaded for real.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/app/note_event_text.h"

#include <string>
#include <vector>

#include "app/note_recorder.h"
#include "gui/input/system_input.h"
#include "mm/plugin_host.h"
#include "mm/synth_output.h"
#include "tests/gui/control_fixture.h"
#include "tests/mm/fake_wave_out.h"
#include "tests/support/test_plugins.h"

namespace {
DWORD g_tick = 0;

// The clock of the seam for the scope, the keys' switch on a flag of the test's.
struct Clock {
    u8 sound = 1;
    u8* savedFlag = keyboardSoundFlag();
    Clock() {
        keyboardSoundFlag() = &sound;
        systemInput.tickCount = []() -> DWORD { return g_tick; };
    }
    ~Clock() {
        systemInput.tickCount = systemInputDefaults.tickCount;
        keyboardSoundFlag() = savedFlag;
    }
};

struct LoggingView : NoteRecorderView {
    void showRecording(bool on) override {
        log.push_back(on ? "record" : "record stop");
        thread = GetCurrentThreadId();
    }
    void showPlaying(bool on) override {
        log.push_back(on ? "play" : "play stop");
        thread = GetCurrentThreadId();
    }
    void updateButtonStates() override { log.push_back("states"); }
    std::vector<std::string> log;
    DWORD thread = 0;
};


// The statuses and keys the plug-in has queued.
std::string queued(const HostedVstPlugin& plugin) {
    std::string s;
    char item[16];
    for (u32 i = 0; i < plugin.queuedEvents().count; ++i) {
        snprintf(item, sizeof item, "%s%X:%u", i ? " " : "", plugin.queuedEvents()[i].status, plugin.queuedEvents()[i].data1);
        s += item;
    }
    return s;
}
}  // namespace

TEST(NoteRecorder, RecordsKeysFromTimeZero) {
    HostedVstPlugin plugin;
    ASSERT_TRUE(plugin.load(testPluginPath("synth_plugin").c_str(), 44100, 64));
    plugin.resume();
    Clock clock;
    NoteEventList list;
    *list.append(1) = PluginEvent{};  // an old recording goes at the start
    NoteRecorder recorder(&plugin, nullptr, 44100, 441000, &list);
    LoggingView view;
    recorder.view = &view;

    g_tick = 1000;
    recorder.toggleRecord();
    EXPECT_EQ(0u, list.count);
    g_tick = 1300;
    recorder.noteOn(0, 4, 100);
    g_tick = 1350;
    recorder.noteOn(11, 8, 90);  // the first note stops; its note off is its release's
    g_tick = 1400;
    recorder.noteOff();
    recorder.noteOn(0, 15, 100);  // no key above 127: nothing sounds or is recorded
    EXPECT_EQ(0, recorder.noteSounding);
    clock.sound = 0;
    g_tick = 1450;
    recorder.noteOn(2, 4, 100);  // silent keys record nothing, nor does their release
    recorder.noteOff();
    clock.sound = 1;
    recorder.noteOff();  // a second release (focus lost, pointer gone) ends no note
    g_tick = 1600;
    recorder.toggleRecord();
    EXPECT_EQ("0:90:60 50:90:119 100:80:119 300:B0:120", dumpNoteEvents(list));
    EXPECT_EQ("B0:120 90:60 80:60 90:119 80:119", queued(plugin));  // all off at the start
    EXPECT_EQ((std::vector<std::string>{"record", "states", "record stop", "states"}), view.log);

    // A recording without keys holds the one event at 0; the plug-in was told to stop all.
    g_tick = 5000;
    recorder.toggleRecord();
    g_tick = 7000;
    recorder.toggleRecord();
    EXPECT_EQ("0:B0:120", dumpNoteEvents(list));
}

TEST(NoteRecorder, PlaysTheListForItsLength) {
    HostedVstPlugin plugin;
    ASSERT_TRUE(plugin.load(testPluginPath("synth_plugin").c_str(), 44100, 64));
    plugin.resume();
    NoteEventList list;
    VstSynthSource source(&plugin);
    NoteRecorder recorder(&plugin, &source, 44100, 30000, &list);
    LoggingView view;
    recorder.view = &view;
    // An empty list plays nothing at all.
    recorder.togglePlay();
    EXPECT_EQ(0, recorder.playing);
    EXPECT_TRUE(view.log.empty());

    list.count = 0;
    PluginEvent e{};
    e.status = 0x90;
    e.data1 = 60;
    *list.append(1) = e;
    e.time = 500;
    e.status = 0x80;
    *list.append(1) = e;
    // A key released just before play keeps its note off.
    recorder.noteOn(4, 4, 100);
    recorder.noteOff();
    recorder.togglePlay();
    EXPECT_EQ(1, recorder.playing);
    EXPECT_EQ("90:64 80:64 90:60 80:60", queued(plugin));
    RunRequest r = source.currentRequest();
    EXPECT_EQ(22050u, r.samples);  // 500 ms at 44100 Hz
    EXPECT_EQ(&recorder, r.finished);
    EXPECT_EQ(0, r.recording);
    recorder.togglePlay();
    EXPECT_EQ(nullptr, source.currentRequest().finished);

    // At most the longest length.
    list[1].time = 5000;
    recorder.togglePlay();
    EXPECT_EQ(30000u, source.currentRequest().samples);
    recorder.togglePlay();
    EXPECT_EQ((std::vector<std::string>{"play", "states", "play stop", "states", "play", "states", "play stop", "states"}),
              view.log);
}

// The run ends on the output's worker; the recording stops on the interface thread.
TEST(NoteRecorder, AFinishedRunStopsOnTheInterfaceThread) {
    controls::Fixture fx;
    Clock clock;
    HostedVstPlugin plugin;
    ASSERT_TRUE(plugin.load(testPluginPath("synth_plugin").c_str(), 44100, 64));
    plugin.resume();
    FakeWaveOut fake;  // every buffer comes back at once
    TestEntry entry;
    SynthOutput synth(&entry, BufferSettings{4, 20, 4}, 2);
    fake.attach(synth);
    synth.users = 1;
    ASSERT_TRUE(synth.clearSources(true));
    VstSynthSource* source = new VstSynthSource(&plugin);
    NoteEventList list;
    NoteRecorder recorder(&plugin, source, 44100, 4410, &list);
    LoggingView view;
    recorder.view = &view;
    recorder.toggleRecord();
    EXPECT_EQ(1, source->currentRequest().recording);
    synth.addSource(source, true);
    EXPECT_TRUE(pumpUntil([&] { return recorder.recording == 0; }, 5000));
    EXPECT_EQ(GetCurrentThreadId(), view.thread);
    EXPECT_EQ("0:B0:120", dumpNoteEvents(list));
    synth.stopAndWait(false);
    synth.removeAllSources();
}

TEST(NoteRecorder, ControlStates) {
    struct Case {
        bool recording, playing;
        u32 count;
        InstrumentControlStates states;  // ok, cancel, open, play, record, keyboard
    } cases[] = {
        {false, false, 0, {false, true, true, false, true, true}},
        {false, false, 2, {true, true, true, true, true, true}},
        {true, false, 5, {false, false, false, false, true, true}},
        {false, true, 5, {false, false, false, true, false, false}},
    };
    for (const Case& c : cases) {
        InstrumentControlStates s = instrumentControlStates(c.recording, c.playing, c.count);
        EXPECT_EQ(c.states.ok, s.ok);
        EXPECT_EQ(c.states.cancel, s.cancel);
        EXPECT_EQ(c.states.open, s.open);
        EXPECT_EQ(c.states.play, s.play);
        EXPECT_EQ(c.states.record, s.record);
        EXPECT_EQ(c.states.keyboard, s.keyboard);
    }
}
