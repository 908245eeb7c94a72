// The plug-in host against the tests' own plug-in libraries, loaded for real.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/paths.h"
#include "mm/library_machine.h"
#include "mm/plugin_folder.h"
#include "mm/plugin_host.h"
#include "mm/plugin_state.h"
#include "mm/synth_output.h"
#include "mm/vst_synth_source.h"
#include "tests/mm/fake_wave_out.h"
#include "tests/support/test_plugins.h"
#include "tests/support/test_support.h"

namespace {

std::unique_ptr<HostedVstPlugin> loadTestPlugin(const char* name, i32 rate = 44100, i32 block = 512) {
    std::unique_ptr<HostedVstPlugin> plugin(new HostedVstPlugin);
    EXPECT_TRUE(plugin->load(testPluginPath(name).c_str(), rate, block)) << name;
    return plugin;
}

std::vector<std::string> bagTexts(const GBag& bag) {
    std::vector<std::string> texts;
    for (u32 at = 0; at < bag.size;) {
        texts.emplace_back((const char*)bag.data + at);
        at += (u32)texts.back().size() + 1;
    }
    return texts;
}

// Runs the plug-in over frames frames of its outputs (no inputs) and gives them back, planar.
std::vector<std::vector<f32>> runOutputs(VstPlugin& plugin, i32 frames) {
    const i32 outputs = plugin.info().outputCount;
    std::vector<std::vector<f32>> planes(outputs, std::vector<f32>(frames, 99.0f));
    std::vector<f32*> pointers;
    for (auto& plane : planes) pointers.push_back(plane.data());
    plugin.process(nullptr, pointers.data(), frames);
    return planes;
}

TEST(PluginHost, EachEntryNameLoadsAndUnloads) {
    struct Case {
        const char* library;
        const char* name;
        i32 inputs, outputs, parameters, programs;
        bool synth, editor;
    } cases[] = {
        {"gain_plugin", "Test Gain", 2, 2, 2, 3, false, true},    // VSTPluginMain
        {"pass_plugin", "Test Pass", 8, 8, 0, 2, false, false},   // main
        {"synth_plugin", "Test Synth", 0, 2, 1, 1, true, false},  // MAIN
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.library);
        const i32 loadedBefore = loadedPluginCount();
        auto plugin = loadTestPlugin(c.library, 48000, -1);
        ASSERT_TRUE(plugin->isLoaded());
        EXPECT_STREQ(plugin->name(), c.name);
        EXPECT_EQ(plugin->info().inputCount, c.inputs);
        EXPECT_EQ(plugin->info().outputCount, c.outputs);
        EXPECT_EQ(plugin->info().parameterCount, c.parameters);
        EXPECT_EQ(plugin->info().programCount, c.programs);
        EXPECT_EQ(plugin->info().vendorVersion, 7);
        EXPECT_EQ(plugin->info().uniqueId, 0x52617654);
        EXPECT_EQ(plugin->isSynth(), c.synth);
        EXPECT_EQ(plugin->hasEditor(), c.editor);
        EXPECT_EQ(plugin->sampleRate(), 48000);
        EXPECT_EQ(plugin->blockSize(), 48000) << "a negative block size gives one second";
        EXPECT_EQ(plugin->effectRecord()->user, plugin.get());
        EXPECT_EQ(loadedPluginCount(), loadedBefore + 1);
        EXPECT_TRUE(plugin->load(nullptr, 8000, 64)) << "already loaded";
        EXPECT_EQ(plugin->sampleRate(), 48000);
        plugin->unload();
        EXPECT_FALSE(plugin->isLoaded());
        EXPECT_EQ(plugin->sampleRate(), -1);
        EXPECT_EQ(loadedPluginCount(), loadedBefore);
    }
}

TEST(PluginHost, LibrariesThatAreNoPluginsAreRefused) {
    TempDir dir;
    dir.write("junk.dll", "this is no library");
    const std::string cases[] = {testPluginPath("wrong_magic_plugin"), testPluginPath("no_entry_plugin"),
                                 testPluginPath("broken_open_plugin"), dir.file("junk.dll"),
                                 dir.file("missing.dll")};
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        const i32 loadedBefore = loadedPluginCount();
        HostedVstPlugin plugin;
        EXPECT_FALSE(plugin.load(path.c_str(), 44100, 512));
        EXPECT_FALSE(plugin.isLoaded());
        EXPECT_EQ(plugin.effectRecord(), nullptr);
        EXPECT_EQ(loadedPluginCount(), loadedBefore);
        EXPECT_EQ(plugin.refusal().length, 0u) << "no refusal before loading";
    }
}

TEST(PluginHost, APluginOfTheOtherArchitectureIsRefusedBeforeLoading) {
    const std::string path = testPluginPath("other_arch_plugin");
    const bool ownIs32 = sizeof(void*) == 4;
    EXPECT_EQ(libraryMachineType(path.c_str()), ownIs32 ? machineX64 : machineX86);
    EXPECT_EQ(libraryMachineType(testPluginPath("pass_plugin").c_str()), ownMachineType());

    HostedVstPlugin plugin;
    EXPECT_FALSE(plugin.load(path.c_str(), 44100, 512));
    EXPECT_FALSE(plugin.isLoaded());
    EXPECT_EQ(GetModuleHandleA("other_arch_plugin.dll"), nullptr) << "never loaded";
    const std::string expected = "The plug-in \"" + path + "\" is built for " +
                                 (ownIs32 ? "64-bit x64 (machine type 0x8664); this program loads 32-bit x86"
                                          : "32-bit x86 (machine type 0x014C); this program loads 64-bit x64") +
                                 " plug-ins only";
    EXPECT_EQ(plugin.refusal().c_str(), expected);

    // The same object loads a plug-in of its own architecture afterwards, and the refusal is gone.
    EXPECT_TRUE(plugin.load(testPluginPath("pass_plugin").c_str(), 44100, 512));
    EXPECT_EQ(plugin.refusal().length, 0u);
    plugin.unload();
}

TEST(PluginHost, ScanListsThePluginsOfTheFolderAndSkipsTheRest) {
    TempDir dir;
    copyTestPlugin(dir, "gain_plugin", "gain.dll");
    copyTestPlugin(dir, "synth_plugin", "synth.vst3");
    copyTestPlugin(dir, "pass_plugin", "pass.txt");  // not a plug-in file name
    copyTestPlugin(dir, "wrong_magic_plugin", "magic.dll");
    copyTestPlugin(dir, "no_entry_plugin", "noentry.dll");
    copyTestPlugin(dir, "broken_open_plugin", "crashes.dll");
    copyTestPlugin(dir, "other_arch_plugin", "other.dll");
    dir.write("junk.dll", "MZ but nothing more");
    CreateDirectoryA(dir.file("folder.dll").c_str(), nullptr);

    const i32 loadedBefore = loadedPluginCount();
    scanPlugins(dir.path().c_str());
    std::vector<std::string> names;
    for (u32 i = 0; i < vstPluginList().count; ++i) {
        EXPECT_FALSE(vstPluginAt(i)->isLoaded());
        names.push_back(static_cast<HostedVstPlugin*>(vstPluginAt(i))->path().c_str());
    }
    EXPECT_EQ(names, (std::vector<std::string>{dir.file("gain.dll"), dir.file("synth.vst3")}))
        << "the .dll files first, then the .vst3 files";
    EXPECT_EQ(loadedPluginCount(), loadedBefore);
    EXPECT_FALSE(pluginIdleTimerActive()) << "the scan makes no idle timer";

    // A second scan replaces the list.
    scanPlugins(dir.file("folder.dll").c_str());
    EXPECT_EQ(vstPluginList().count, 0u);
    destroyPlugins();
}

void removeFolderFile() {
    GString path = dataFolder();
    pathJoin(path, "pluginsdir.dir");
    deleteFile(path.c_str());
    resetPluginFolders();
}

TEST(PluginHost, TheFolderComesFromTheDataFolderOrItsFile) {
    ensureDataFolder();
    removeFolderFile();
    GString expected = dataFolder();
    pathJoin(expected, "plugins");
    EXPECT_STREQ(pluginFolders().c_str(), expected.c_str());

    TempDir dir;
    copyTestPlugin(dir, "pass_plugin", "pass.dll");
    setPluginFolders(dir.path().c_str());
    EXPECT_EQ(vstPluginList().count, 1u);
    GString stored;
    ASSERT_TRUE(readDataFile("pluginsdir.dir", stored));
    GString normalised(dir.path().c_str());
    normalizePath(normalised);
    EXPECT_STREQ(stored.c_str(), normalised.c_str());
    resetPluginFolders();
    EXPECT_STREQ(pluginFolders().c_str(), normalised.c_str()) << "read back from the file";

    destroyPlugins();
    removeFolderFile();
}

TEST(PluginHost, HostCallbackAnswers) {
    auto plugin = loadTestPlugin("gain_plugin", 22050, 256);
    AEffect* e = plugin->effectRecord();
    char text[64];
    auto ask = [&](i32 opcode, i32 index = 0, intptr_t value = 0, void* ptr = nullptr) {
        return vstHostCallback(e, opcode, index, value, ptr, 0.0f);
    };
    EXPECT_EQ(ask(audioMasterVersion), 2400);
    EXPECT_EQ(ask(audioMasterCurrentId), 0);
    EXPECT_EQ(ask(audioMasterGetSampleRate), 22050);
    EXPECT_EQ(ask(audioMasterGetBlockSize), 256);
    EXPECT_EQ(ask(audioMasterGetCurrentProcessLevel), 1) << "asked on the interface thread";
    EXPECT_EQ(ask(audioMasterGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, pluginHostVendor);
    EXPECT_LE(strlen(pluginHostVendor), 20u);
    EXPECT_EQ(ask(audioMasterGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Ravo / VUZO Zivodar");
    EXPECT_EQ(ask(audioMasterGetVendorVersion), 1);
    EXPECT_EQ(ask(audioMasterGetLanguage), 1);
    EXPECT_EQ(ask(audioMasterBeginEdit), 1);
    EXPECT_EQ(ask(audioMasterEndEdit), 1);
    EXPECT_EQ(ask(audioMasterProcessEvents), 1);
    EXPECT_EQ(ask(audioMasterIdle), 0);
    EXPECT_STREQ((const char*)ask(audioMasterGetDirectory), pluginFolders().c_str());
    EXPECT_EQ(ask(99), 0) << "an opcode outside the table";

    for (const char* yes : {"supplyIdle", "acceptIOChanges", "sizeWindow", "startStopProcess"})
        EXPECT_EQ(ask(audioMasterCanDo, 0, 0, (void*)yes), 1) << yes;
    for (const char* no : {"supplyidle", "sendVstEvents", "sizeWindow ", ""})
        EXPECT_EQ(ask(audioMasterCanDo, 0, 0, (void*)no), 0) << no;

    e->numInputs = 1;
    e->numOutputs = 4;
    EXPECT_EQ(ask(audioMasterIOChanged), 1);
    EXPECT_EQ(plugin->info().inputCount, 1);
    EXPECT_EQ(plugin->info().outputCount, 4);
    e->numInputs = e->numOutputs = 2;
    ask(audioMasterIOChanged);

    // The time info: the frame count, the rate, and each item asked for with its flag.
    plugin->resume();
    std::vector<f32> left(441), right(441), in(441);
    f32* ins[] = {in.data(), in.data()};
    f32* outs[] = {left.data(), right.data()};
    plugin->process(ins, outs, 441);
    const VstTimeInfo* time = (const VstTimeInfo*)ask(audioMasterGetTime, 0, kVstTempoValid | kVstPpqPosValid);
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->samplePos, 441.0);
    EXPECT_EQ(time->sampleRate, 22050.0);
    EXPECT_EQ(time->flags, kVstTempoValid | kVstPpqPosValid);
    EXPECT_EQ(time->tempo, 120.0);
    EXPECT_DOUBLE_EQ(time->ppqPos, 441.0 / 22050.0 / 60.0 * 120.0);
    time = (const VstTimeInfo*)ask(audioMasterGetTime, 0, kVstTimeSigValid | kVstNanosValid);
    EXPECT_EQ(time->flags, kVstTimeSigValid | kVstNanosValid);
    EXPECT_EQ(time->timeSigNumerator, 4);
    EXPECT_EQ(time->timeSigDenominator, 4);
    EXPECT_GT(time->nanoSeconds, 0.0);

    // Without an object, what needs one answers 0.
    AEffect bare{};
    EXPECT_EQ(vstHostCallback(&bare, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(vstHostCallback(nullptr, audioMasterGetTime, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(vstHostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
}

TEST(PluginHost, ProcessingIsSplitAtEveryEvent) {
    // At 1000 frames a second a millisecond is a frame.
    auto plugin = loadTestPlugin("synth_plugin", 1000, 64);
    plugin->resume();
    PluginEvent note{};
    note.time = 100;
    note.status = 0x90;
    note.data1 = 60;
    note.data2 = 100;
    plugin->scheduleEvents(&note, 1, false);
    auto out = runOutputs(*plugin, 256);
    std::vector<i32> calls;  // the length of the processing call of each frame
    for (f32 v : out[1]) calls.push_back((i32)(-v * 4096.0f + 0.5f));
    std::vector<i32> expected;
    for (i32 n : {64, 36, 64, 64, 28}) expected.insert(expected.end(), n, n);
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(out[0][99], 0.0f);
    EXPECT_EQ(out[0][100], 60.0f / 128.0f) << "the note sounds from its own frame";
    EXPECT_EQ(plugin->currentFrame(), 256u);
}

TEST(PluginHost, NotesAtOneMomentReachConsecutiveFrames) {
    auto plugin = loadTestPlugin("synth_plugin", 1000, 64);
    plugin->resume();
    plugin->noteOn({0, 4}, 32767.0);  // C4: key 60
    plugin->noteOn({4, 4}, 16000.0);  // E4: key 64
    plugin->noteOff({0, 4});
    const auto& queue = plugin->queuedEvents();
    ASSERT_EQ(queue.count, 3u);
    EXPECT_EQ(queue[0].time, 0u);
    EXPECT_EQ(queue[1].time, 1u);
    EXPECT_EQ(queue[2].time, 2u);
    EXPECT_EQ(queue[0].data2, 127);
    EXPECT_EQ(queue[1].data2, 62);  // 16000 / 32767 x 127, truncated
    EXPECT_EQ(queue[2].status, 0x80);
    EXPECT_EQ(queue[2].data2, 64);
    auto out = runOutputs(*plugin, 4);
    EXPECT_EQ(out[0], (std::vector<f32>{60 / 128.0f, 64 / 128.0f, 0.0f, 0.0f}));

    // Keys and velocities are held to 1..127; all notes off is a controller message.
    plugin->clearEvents();
    plugin->noteOn({0, -1}, 0.0);
    plugin->noteOn({11, 10}, 1e9);
    plugin->allNotesOff();
    ASSERT_EQ(queue.count, 3u);
    EXPECT_EQ(queue[0].data1, 1);
    EXPECT_EQ(queue[0].data2, 1);
    EXPECT_EQ(queue[1].data1, 127);
    EXPECT_EQ(queue[1].data2, 127);
    EXPECT_EQ(queue[2].status, 0xB0);
    EXPECT_EQ(queue[2].data1, 0x78);
    EXPECT_EQ(queue[0].time, 4u) << "queued at the current frame";
}

TEST(PluginHost, ScheduledTimesBecomeStrictlyIncreasingFrames) {
    auto plugin = loadTestPlugin("synth_plugin", 44100, 64);
    plugin->resume();
    runOutputs(*plugin, 10);
    PluginEvent events[3] = {};
    events[0].time = 5;  // 220.5 frames: 220
    events[1].time = 5;
    events[2].time = 1;
    plugin->scheduleEvents(events, 3, false);
    const auto& queue = plugin->queuedEvents();
    ASSERT_EQ(queue.count, 3u);
    EXPECT_EQ(queue[0].time, 220u) << "the frame count starts afresh";
    EXPECT_EQ(queue[1].time, 221u);
    EXPECT_EQ(queue[2].time, 222u);
    runOutputs(*plugin, 300);
    plugin->scheduleEvents(events + 2, 1, true);
    ASSERT_EQ(queue.count, 4u);
    EXPECT_EQ(queue[3].time, 300u + 44u) << "kept events, times counted from the current frame";
}

// A new rate is the one the plug-in is asked about and schedules in; it stays on when it was on.
TEST(PluginHost, ANewSampleRate) {
    auto plugin = loadTestPlugin("synth_plugin", 8000, 64);
    plugin->resume();
    plugin->setSampleRate(44100);
    EXPECT_EQ(plugin->sampleRate(), 44100);
    EXPECT_EQ(vstHostCallback(plugin->effectRecord(), audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 44100);
    PluginEvent note{};
    note.time = 10;
    note.status = 0x90;
    note.data1 = 60;
    plugin->scheduleEvents(&note, 1, false);
    EXPECT_EQ(plugin->queuedEvents()[0].time, 441u);
    auto out = runOutputs(*plugin, 442);
    EXPECT_EQ(out[0][441], 60.0f / 128.0f) << "still processing";
    for (i32 bad : {0, -1}) {
        plugin->setSampleRate(bad);
        EXPECT_EQ(plugin->sampleRate(), 44100);
    }
    plugin->unload();
    plugin->setSampleRate(8000);
    EXPECT_EQ(plugin->sampleRate(), -1) << "nothing to tell while not loaded";
}

TEST(PluginHost, ProgramsAndParameters) {
    auto gain = loadTestPlugin("gain_plugin");
    GBag names;
    gain->getProgramNames(names);
    EXPECT_EQ(bagTexts(names), (std::vector<std::string>{"Unity", "Half", "Double"}));

    // A plug-in that names only its current program is walked through its programs.
    auto pass = loadTestPlugin("pass_plugin");
    pass->setProgram(1);
    pass->getProgramNames(names);
    EXPECT_EQ(bagTexts(names), (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(pass->getProgram(), 1) << "the program current before";

    gain->setProgram(2);
    EXPECT_EQ(gain->getProgram(), 2);
    EXPECT_EQ(gain->getParameter(0), 1.0f);
    gain->setParameter(0, 0.25f);
    EXPECT_EQ(gain->getParameter(0), 0.25f);
    GString text;
    gain->getParameterText(0, text);
    EXPECT_STREQ(text.c_str(), "0.50 x");
    gain->getParameterText(1, text);
    EXPECT_STREQ(text.c_str(), "0") << "no label, no blank";
    gain->getParameterName(1, text);
    EXPECT_STREQ(text.c_str(), "Idles");
    gain->getParameterName(2, text);
    EXPECT_STREQ(text.c_str(), "") << "beyond the parameter count the plug-in is not asked";
    gain->setParameter(5, 1.0f);  // the test plug-in faults on an index it does not have
    EXPECT_EQ(gain->getParameter(5), 0.0f);
    EXPECT_FALSE(gain->faulted());

    gain->describe(text);
    EXPECT_NE(strstr(text.c_str(), "Has an editor: yes\n"), nullptr) << text.c_str();
    EXPECT_NE(strstr(text.c_str(), "Processes in place: yes\n"), nullptr);
    EXPECT_NE(strstr(text.c_str(), "Instrument: no\n"), nullptr);
    EXPECT_NE(strstr(text.c_str(), "Processes double precision: no\n"), nullptr);
}

std::string stateBytes(u32 program, const std::vector<f32>& values, u32 tail = 0) {
    std::string bytes((const char*)&program, 4);
    for (f32 v : values) bytes.append((const char*)&v, 4);
    bytes.append(tail, '\0');
    return bytes;
}

void fillBag(GBag& bag, const std::string& bytes) {
    bagAllocate(bag, (u32)bytes.size());
    memcpy(bag.data, bytes.data(), bytes.size());
}

TEST(PluginHost, StateIsReadAndWrittenAsProgramAndParameters) {
    auto gain = loadTestPlugin("gain_plugin");
    gain->setProgram(1);
    gain->setParameter(0, 0.75f);
    GBag bag;
    gain->getState(bag);
    const f32 idles = gain->getParameter(1);
    EXPECT_EQ(std::string((const char*)bag.data, bag.size), stateBytes(1, {0.75f, idles}));

    struct Case {
        const char* name;
        std::string bytes;
        bool throws;
        i32 program;
        f32 gain;
    } cases[] = {
        {"program and both parameters", stateBytes(2, {0.125f, 0.0f}), false, 2, 0.125f},
        {"fewer values set only those", stateBytes(0, {}), false, 0, 0.5f},
        {"more values than parameters stop at the count", stateBytes(1, {0.3f, 0.0f, 1.0f, 1.0f, 1.0f}), false, 1,
         0.3f},
        {"a trailing part of two bytes", stateBytes(2, {0.2f}, 2), true, 2, 0.2f},
        {"too short for the program", std::string(3, '\0'), true, 0, 0.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gain->setProgram(0);  // gain 0.5
        fillBag(bag, c.bytes);
        bool threw = false;
        try {
            gain->setState(bag);
        } catch (GBagException&) {
            threw = true;
        }
        EXPECT_EQ(threw, c.throws);
        EXPECT_EQ(gain->getProgram(), c.program);
        EXPECT_EQ(gain->getParameter(0), c.gain);
        EXPECT_FALSE(gain->faulted()) << "no index beyond the parameter count reached the plug-in";
    }
}

TEST(PluginHost, StateFilesBesideTheLibrary) {
    TempDir dir;
    const std::string path = copyTestPlugin(dir, "gain_plugin", "gain.dll");
    {
        HostedVstPlugin plugin;
        ASSERT_TRUE(plugin.load(path.c_str(), 44100, 512));
        EXPECT_FALSE(plugin.loadState()) << "no file yet";
        EXPECT_EQ(plugin.getParameter(0), 0.5f) << "left as it was";
        plugin.setProgram(2);
        plugin.setParameter(0, 0.625f);
        ASSERT_TRUE(plugin.saveState());
    }
    const std::string bytes = dir.read("gain.dll.save.info");
    ASSERT_EQ(bytes.size(), 12u + 12u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("PLGS\x01\0\0\0", 8));
    {
        HostedVstPlugin plugin;
        ASSERT_TRUE(plugin.load(path.c_str(), 44100, 512));
        ASSERT_TRUE(plugin.loadState());
        EXPECT_EQ(plugin.getProgram(), 2);
        EXPECT_EQ(plugin.getParameter(0), 0.625f);

        // Foreign and short files are refused quietly and change nothing.
        GBag other;
        fillBag(other, stateBytes(1, {0.1f}));
        ASSERT_TRUE(saveBagFile(pluginStatePath(path.c_str()).c_str(), other, bagFileTag("OPTS"), 1));
        EXPECT_FALSE(plugin.loadState());
        fillBag(other, stateBytes(1, {0.1f}, 3));
        ASSERT_TRUE(saveBagFile(pluginStatePath(path.c_str()).c_str(), other, bagFileTag("PLGS"), 1));
        EXPECT_FALSE(plugin.loadState());
        EXPECT_EQ(plugin.getProgram(), 2);
        EXPECT_EQ(plugin.getParameter(0), 0.625f);
    }
}

// A plain window that holds a plug-in editor.
class EditorWindow : public PluginEditorHost {
public:
    EditorWindow() {
        window = CreateWindowA("STATIC", "editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
    }
    ~EditorWindow() { DestroyWindow(window); }
    void* nativeWindow() override { return window; }
    void resizeEditor(i32 w, i32 h) override {
        width = w;
        height = h;
        SetWindowPos(window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    }
    void refreshEditor() override { ++refreshes; }

    std::string editorText() {
        HWND child = GetWindow(window, GW_CHILD);
        char text[64] = {};
        if (child) GetWindowTextA(child, text, sizeof text);
        return text;
    }

    HWND window;
    i32 width = 0, height = 0, refreshes = 0;
};

TEST(PluginHost, EditorAndIdleTimer) {
    TempDir dir;
    copyTestPlugin(dir, "gain_plugin", "gain.dll");
    scanPlugins(dir.path().c_str());
    ASSERT_EQ(vstPluginList().count, 1u);
    HostedVstPlugin* plugin = static_cast<HostedVstPlugin*>(vstPluginAt(0));
    ASSERT_EQ(loadedPluginCount(), 0);
    ASSERT_TRUE(plugin->load(nullptr, 44100, 512));
    EXPECT_TRUE(pluginIdleTimerActive()) << "made by the first load";

    i32 width = 0, height = 0;
    plugin->getEditorSize(&width, &height);
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 120);
    EditorWindow editor;
    plugin->openEditor(&editor);
    EXPECT_TRUE(plugin->isEditorOpen());
    EXPECT_EQ(editor.width, 200) << "the plug-in's size request reached the window";
    EXPECT_EQ(editor.height, 120);
    EXPECT_EQ(editor.editorText(), "edit idle 0");
    vstHostCallback(plugin->effectRecord(), audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(editor.refreshes, 1);

    // Idle calls go on while the plug-in answers 1 to them.
    EXPECT_FALSE(plugin->needsIdle());
    plugin->resume();
    EXPECT_TRUE(plugin->needsIdle()) << "asked for when switched on";
    GString idles;
    for (int i = 0; i < 5; ++i) plugin->idle();
    plugin->getParameterDisplay(1, idles);
    EXPECT_STREQ(idles.c_str(), "3");
    EXPECT_FALSE(plugin->needsIdle());
    EXPECT_EQ(editor.editorText(), "edit idle 5");

    // The idle timer idles the listed plug-in; its ticks are taken here by the plug-in's own call
    // for idle time, which hands pending timer messages on.
    const DWORD deadline = GetTickCount() + 10000;
    while (editor.editorText() == "edit idle 5" && GetTickCount() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_TIMER);
        vstHostCallback(plugin->effectRecord(), audioMasterIdle, 0, 0, nullptr, 0.0f);
    }
    EXPECT_NE(editor.editorText(), "edit idle 5");

    plugin->unload();
    EXPECT_FALSE(plugin->isEditorOpen()) << "unloading closes the editor";
    EXPECT_EQ(GetWindow(editor.window, GW_CHILD), nullptr);
    EXPECT_FALSE(pluginIdleTimerActive()) << "removed with the last loaded plug-in";
    destroyPlugins();
}

TEST(PluginHost, AFaultingPluginIsContained) {
    auto plugin = loadTestPlugin("broken_plugin");
    ASSERT_TRUE(plugin->isLoaded());
    plugin->resume();
    std::vector<f32> a(64), b(64);
    f32* ins[] = {a.data(), b.data()};
    f32* outs[] = {a.data(), b.data()};
    plugin->process(ins, outs, 64);
    EXPECT_TRUE(plugin->faulted());
    EXPECT_FALSE(plugin->isLoaded()) << "a faulted plug-in reads as unloaded";
    plugin->process(ins, outs, 64);  // not called again
    plugin->unload();

    // Faults on the next load are contained again.
    ASSERT_TRUE(plugin->load(nullptr, 44100, 512));
    EXPECT_FALSE(plugin->faulted());
    plugin->setParameter(0, 0.5f);
    EXPECT_TRUE(plugin->faulted());
    plugin->unload();

    // On a worker thread, where the Editor's background job runs the effect.
    ASSERT_TRUE(plugin->load(nullptr, 44100, 512));
    plugin->resume();
    intptr_t level = 0;
    std::thread worker([&] {
        level = vstHostCallback(plugin->effectRecord(), audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f);
        plugin->process(ins, outs, 64);
    });
    worker.join();
    EXPECT_EQ(level, 2) << "asked off the interface thread";
    EXPECT_TRUE(plugin->faulted());
    plugin->unload();

    // The host keeps working afterwards.
    auto gain = loadTestPlugin("gain_plugin");
    gain->resume();
    std::vector<f32> in(4, 0.25f), out(4);
    f32* gi[] = {in.data(), in.data()};
    f32* go[] = {out.data(), out.data()};
    gain->process(gi, go, 4);
    EXPECT_EQ(out, std::vector<f32>(4, 0.25f));
}

// An instrument unloaded while the synthesizer's worker plays it: no processing call reaches the
// plug-in once it has begun to close.
TEST(PluginHost, UnloadingAnInstrumentWhileItPlaysStopsItsCallsFirst) {
    // Held here, so that its counter can be read after the host frees it.
    HMODULE library = LoadLibraryA(testPluginPath("synth_plugin").c_str());
    ASSERT_NE(library, nullptr);
    typedef long (*Counter)();
    Counter callsAfterClose = (Counter)(void*)GetProcAddress(library, "callsAfterClose");
    ASSERT_NE(callsAfterClose, nullptr);
    const long before = callsAfterClose();

    FakeWaveOut fake;  // returns every buffer at once: the worker mixes without pause
    TestEntry entry;
    SynthOutput synth(&entry, BufferSettings{4, 20, 4}, 2);
    fake.attach(synth);
    synth.users = 1;
    ASSERT_TRUE(synth.clearSources(true));
    for (int round = 0; round < 5; ++round) {
        auto plugin = loadTestPlugin("synth_plugin", 44100, 64);
        plugin->resume();
        plugin->noteOn({0, 4}, 20000.0);
        VstSynthSource* source = new VstSynthSource(plugin.get());
        synth.addSource(source, false);
        auto writes = [&] {
            std::lock_guard<std::mutex> hold(fake.lock());
            return fake.written.size();
        };
        size_t seen = writes();
        ASSERT_TRUE(fake.waitUntil([&] { return fake.written.size() > seen + 4; }));
        plugin->unload();
        seen = writes();
        ASSERT_TRUE(fake.waitUntil([&] { return fake.written.size() > seen + 4; }));
        EXPECT_EQ(synth.sourceCount(), 0u) << "an unloaded instrument ends its source";
        delete source;
    }
    synth.stopAndWait(false);
    EXPECT_EQ(callsAfterClose() - before, 0);
    FreeLibrary(library);
}

}  // namespace

namespace {

struct Marker : GCommonObject {
    explicit Marker(bool* gone) : gone(gone) {}
    ~Marker() override { *gone = true; }
    bool* gone;
};

TEST(VstSynthSource, InstrumentFramesAreInterleaved) {
    auto plugin = loadTestPlugin("synth_plugin", 1000, 64);
    plugin->resume();
    plugin->noteOn({0, 4}, 20000.0);
    {
        VstSynthSource source(plugin.get());
        EXPECT_EQ(source.encoding(), 4u);
        EXPECT_EQ(source.channels(), 2u);
        EXPECT_EQ(source.gain(), 32768.0);
        EXPECT_FALSE(source.fadingOut());
        std::vector<f32> frames(2 * 6, 99.0f);
        ASSERT_EQ(source.readFrames(frames.data(), 6), 6u);
        for (u32 f = 0; f < 6; ++f) {
            EXPECT_EQ(frames[2 * f], 60.0f / 128.0f) << "left of frame " << f;
            EXPECT_EQ(frames[2 * f + 1], -6.0f / 4096.0f) << "right of frame " << f;
        }

        // The release countdown deletes what it guards once its frames have been read.
        bool gone = false;
        source.setRelease(10, new Marker(&gone));
        source.readFrames(frames.data(), 6);
        EXPECT_FALSE(gone);
        source.readFrames(frames.data(), 4);
        EXPECT_TRUE(gone);

        EXPECT_TRUE(source.rewind());
        EXPECT_TRUE(plugin->isActive());
        EXPECT_EQ(plugin->currentFrame(), 0u);
    }
    EXPECT_FALSE(plugin->isActive()) << "the source suspends the plug-in when it goes";
    VstSynthSource none(nullptr);
    f32 frame[2];
    EXPECT_EQ(none.readFrames(frame, 1), 0u);
}

}  // namespace
