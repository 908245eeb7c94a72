// The devices page on the made-up machine: the empty report, the mixers' features, the details of
// scripted capabilities, the preferred-device change and its refusal, a changed count, the state.
#include "tools/sound_devices_placer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/report_row.h"
#include "gui/views/table.h"
#include "gui/views/tree_table.h"
#include "mm/mm_settings.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"
#include "tests/tools/mixer_machine.h"

namespace {
struct PreferredCalls {
    static inline std::vector<std::pair<u32, uintptr_t>> sent;
    static inline u32 answer = 0;
    static inline u32 count = 2;
    static u32 message(void*, u32 message, uintptr_t p1, uintptr_t) {
        sent.push_back({message, p1});
        return answer;
    }
    static u32 numDevs() { return count; }
};

// No auxiliary device unless told; the preferred-device messages recorded.
struct Calls {
    Calls() {
        saved = deviceReportCalls;
        api = systemWaveApi;
        api.outMessage = api.inMessage = PreferredCalls::message;
        api.outGetNumDevs = api.inGetNumDevs = PreferredCalls::numDevs;
        deviceReportCalls.waveApi = &api;
        deviceReportCalls.auxCount = [] { return auxDevices; };
        deviceReportCalls.auxCaps = [](u32, AUXCAPSA* caps) {
            memset(caps, 0, sizeof *caps);
            strcpy(caps->szPname, "Aux");
            caps->wTechnology = AUXCAPS_CDAUDIO;
            caps->dwSupport = AUXCAPS_VOLUME;
            return true;
        };
        PreferredCalls::sent.clear();
        PreferredCalls::answer = 0;
    }
    ~Calls() { deviceReportCalls = saved; }
    DeviceReportCalls saved;
    WaveApi api;
    static inline u32 auxDevices = 0;
};

struct Page {
    TestApplication app;
    GDialog owner{nullptr, "devices.htm"};
    SoundSettings sound;
    GSoundDevicesPlacer* page = nullptr;
    Page() {
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 800, 500, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        page = new GSoundDevicesPlacer(&owner, &sound);
        owner.setContent(page);
        page->setRect(RECT{0, 0, 800, 500});
    }
    ~Page() { DestroyWindow(owner.hwnd); }

    std::string cell(u64 row, i32 column) {
        GString scratch;
        const char* text = page->deviceTable->model()->cellText(scratch, row, column);
        return text ? text : "";
    }
    void select(u64 row) { page->deviceTable->setCaretRow(row); }
};

// The texts of a node's rows, "key=value", children after their parent, indented by a space a level.
void collect(BlockBase* node, std::vector<std::string>& out, int depth = 0) {
    ReportRow* r = static_cast<ReportRow*>(node);
    out.push_back(std::string(depth, ' ') + (r->cells[0].text ? r->cells[0].text : "") + "=" +
                  (r->cells[1].text ? r->cells[1].text : ""));
    for (u32 i = 0; i < node->childCount(); ++i) collect(node->child(i), out, depth + 1);
}

std::vector<std::string> details(GSoundDevicesPlacer* page) {
    std::vector<std::string> out;
    if (!page->detailsTree->roots.empty()) collect(page->detailsTree->roots[0]->node, out);
    return out;
}

bool has(const std::vector<std::string>& rows, const std::string& row) {
    for (const std::string& r : rows)
        if (r == row) return true;
    return false;
}
}  // namespace

TEST(SoundDevicesPlacer, NoDeviceGivesTheEmptyTableAndTheMessage) {
    FakeMachine machine;
    Calls calls;
    ShownBoxes shown;
    Page p;
    EXPECT_EQ(p.page->rows.size(), 0u);
    EXPECT_EQ(p.page->deviceTable->model()->rowCount(), 0u);
    EXPECT_TRUE(p.page->detailsTree->roots.empty());
    EXPECT_EQ(ShownBoxes::texts, std::vector<std::string>{"The system offers no sound device"});
}

TEST(SoundDevicesPlacer, RowsOfEveryKindWithTheMixersFeatures) {
    MixerMachine machine;
    u32 plain = machine.addMixer("Plain");
    machine.addDestination(plain, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    machine.addSource(plain, 0, MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER);
    u32 digital = machine.addMixer("Digital");
    machine.addDestination(digital, MIXERLINE_COMPONENTTYPE_DST_DIGITAL);
    Calls calls;
    Calls::auxDevices = 1;
    Page p;
    struct Row {
        const char* name;
        const char* kind;
        const char* number;
    };
    const Row expected[] = {
        {"Out A", "Play (wave out)", "0 (preferred)"},
        {"Out B", "Play (wave out)", "1"},
        {"In A", "Record (wave in)", "0 (preferred)"},
        {"In B", "Record (wave in)", "1"},
        {"Aux", "Auxiliary", "0"},
        {"Mixer A", "Mixer (microphone recording, wave playback, line recording, CD)", "0"},
        {"Mixer B", "Mixer (wave playback, line recording)", "1"},
        {"Plain", "Mixer", "2"},
        {"Digital", "Mixer (digital)", "3"},
    };
    ASSERT_EQ(p.page->rows.size(), std::size(expected));
    for (u64 i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(p.cell(i, 0), expected[i].name);
        EXPECT_EQ(p.cell(i, 1), expected[i].kind);
        EXPECT_EQ(p.cell(i, 2), expected[i].number);
    }
    p.select(5);
    p.page->detailsTree->expandRow(1);
    saveWindowShot(p.owner.hwnd, "devices.bmp");
    // A failed description leaves the fallback name and zeros.
    machine.getDevCapsResult = MMSYSERR_NODRIVER;
    p.page->onCommand(GSoundDevicesPlacer::Refresh, nullptr);
    EXPECT_EQ(p.cell(5, 0), "(no description)");
    Calls::auxDevices = 0;
}

TEST(SoundDevicesPlacer, DetailsOfScriptedCapabilities) {
    FakeMachine machine;
    u32 out = machine.addWaveOut("Speaker Out");
    WAVEOUTCAPSA& caps = machine.waveOut[out];
    caps.wMid = 7;
    caps.wPid = 9;
    caps.vDriverVersion = 0x0502;
    caps.wChannels = 2;
    caps.dwSupport = WAVECAPS_VOLUME | WAVECAPS_SYNC;
    caps.dwFormats = WAVE_FORMAT_1M08 | WAVE_FORMAT_4S16;
    u32 m = machine.addMixer("Mix");
    machine.addDestination(m, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_TARGETTYPE_WAVEOUT, 0);
    machine.addSource(m, 0, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    DWORD pan = machine.addControl(m, 0, -1, MIXERCONTROL_CONTROLTYPE_PAN, MIXERCONTROL_CONTROLF_UNIFORM, {5});
    FakeControl* c = machine.findControl(m, pan);
    strcpy(c->control.szName, "Pan");
    c->control.Bounds.lMinimum = -100;
    c->control.Bounds.lMaximum = 100;
    c->control.Metrics.cSteps = 200;
    DWORD volume = machine.addControl(m, 0, 0, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, {100, 200});
    c = machine.findControl(m, volume);
    strcpy(c->control.szName, "Vol");
    c->control.Bounds.dwMaximum = 65535;
    DWORD mute = machine.addControl(m, 0, 0, MIXERCONTROL_CONTROLTYPE_MUTE, 0, {1});
    c = machine.findControl(m, mute);
    strcpy(c->control.szName, "Off");
    c->control.Bounds.dwMaximum = 1;
    Calls calls;
    Page p;
    p.select(0);
    std::vector<std::string> rows = details(p.page);
    for (const char* row : {"Speaker Out=", " Manufacturer id=7", " Product id=9", " Driver version=5.2",
                            " Channels=2 (Stereo)", " Volume control=Yes", " Pan control=No",
                            " Non blocking CPU playback=No", " Formats=", "  11.025 kHz, mono, 8-bit=Yes",
                            "  11.025 kHz, stereo, 8-bit=No", "  44.1 kHz, stereo, 16-bit=Yes",
                            "  44.1 kHz, mono, 16-bit=No", "  96 kHz, stereo, 16-bit=No"})
        EXPECT_TRUE(has(rows, row)) << row;

    caps.dwSupport = 0;  // without the sync flag the device does not block
    p.page->onCommand(GSoundDevicesPlacer::Refresh, nullptr);
    EXPECT_TRUE(has(details(p.page), " Non blocking CPU playback=Yes"));

    p.select(1);  // the mixer: lines with their controls and bounds by the type's bits
    rows = details(p.page);
    for (const char* row : {"    Class=Slider", "    Bounds.lMinimum=-100", "    Bounds.lMaximum=100",
                            "    Metrics.cSteps=200", "    Flags=Uniform", "    Values=5", "     Bounds.lMaximum=65535",
                            "     Values=100 200", "     Bounds.dwMaximum=1", "     Class=Switch"})
        EXPECT_TRUE(has(rows, row)) << row;
}

TEST(SoundDevicesPlacer, ActivationMakesTheDevicePreferredUnlessItIsAlreadyOrTheCountChanged) {
    MixerMachine machine;
    Calls calls;
    ShownBoxes shown;
    Page p;
    p.select(0);  // device 0: nothing to send
    p.page->onCommand(GSoundDevicesPlacer::Activate, nullptr);
    EXPECT_TRUE(PreferredCalls::sent.empty());

    p.select(3);  // wave-in 1
    p.page->onCommand(GSoundDevicesPlacer::Activate, nullptr);
    ASSERT_EQ(PreferredCalls::sent.size(), 1u);
    EXPECT_EQ(PreferredCalls::sent[0].first, 0x2016u);
    EXPECT_EQ(PreferredCalls::sent[0].second, 1u);
    EXPECT_TRUE(ShownBoxes::texts.empty());

    PreferredCalls::answer = MMSYSERR_NOTSUPPORTED;  // refused, as Wine may
    recordedBoxes().clear();
    p.select(1);
    p.page->onCommand(GSoundDevicesPlacer::Activate, nullptr);
    EXPECT_EQ(PreferredCalls::sent.size(), 2u);
    EXPECT_EQ(recordedBoxes().size(), 1u) << "the refusal is reported";

    p.select(1);
    machine.addWaveOut("Out C");  // plugged in meanwhile: only the report is made again
    p.page->onCommand(GSoundDevicesPlacer::Activate, nullptr);
    EXPECT_EQ(PreferredCalls::sent.size(), 2u);
    EXPECT_EQ(p.page->rows.size(), 7u);
    EXPECT_EQ(p.cell(2, 0), "Out C");
}

TEST(SoundDevicesPlacer, StateRoundTrip) {
    MixerMachine machine;
    Calls calls;
    GBag first, second;
    {
        Page p;
        p.page->deviceTable->columns[0].width = 123;
        p.page->saveViewState(first);
    }
    Page p;
    first.pos = 0;
    p.page->restoreViewState(first);
    EXPECT_EQ(p.page->deviceTable->columns[0].width, 123);
    p.page->saveViewState(second);
    EXPECT_EQ(first.size, second.size);
    EXPECT_EQ(0, memcmp(first.data, second.data, first.size));
}

// Wine's own devices: the report lists at least its wave-out device.
TEST(SoundDevicesPlacer, ListsTheMachinesDevices) {
    TestApplication app;
    Page p;
    ASSERT_FALSE(p.page->rows.empty());
    EXPECT_EQ(p.page->rows[0].kind, (u32)DeviceRow::WaveOut);
    EXPECT_FALSE(p.cell(0, 0).empty());
}
