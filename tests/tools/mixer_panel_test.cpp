// The mixer panel on real windows over the made-up machine: the line list and its notifications,
// the adjustment panel, and the control panels with their volume rules, other controls, change
// messages and mixer handles.
#include "tools/mixer_panel.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/regulator.h"
#include "gui/controls/spinner_field.h"
#include "gui/dialogs/single_placer_dialog.h"
#include "gui/input/input_routing.h"
#include "gui/layout/group_box_item.h"
#include "gui/views/table_model.h"
#include "mm/mm_settings.h"
#include "mm/wave_out_player.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/dib_canvas.h"
#include "tests/mm/fake_wave_out.h"
#include "tests/support/test_support.h"
#include "tests/tools/mixer_machine.h"
#include "tools/device_adjust_panel.h"
#include "tools/mixer_control_panel.h"
#include "tools/mixer_line_body.h"
#include "tools/mixer_line_list.h"
#include "tools/mixer_value_row.h"

namespace {

struct Heard : DeviceSettingsListener {
    void onSettingsChanged(DeviceSettings*, u32 mask) override { codes.push_back(mask); }
    std::vector<u32> codes;
    DeviceListNode node;
};

// The machine, the sound settings on it and a panel on a shown dialog, in that order of making.
struct PanelRig {
    MixerMachine machine;
    SoundSettings sound;
    controls::ColumnFixture fx;
    GMixerPanel* panel = nullptr;
    Heard heard;

    // The play panel, its settings on the line given (mixer A's Speakers / Wave Out by default).
    explicit PanelRig(bool playback = true, i32 destination = 0, i32 source = 0, i32 mixer = 0) {
        DeviceSettings& s = playback ? static_cast<DeviceSettings&>(sound.play) : sound.record;
        s.destination = destination;
        s.source = source;
        s.mixer = mixer;
        deviceListLink(heard.node, &s, &heard);
        SetWindowPos(fx.dialog->hwnd, nullptr, 0, 0, 1000, 720, SWP_NOMOVE | SWP_NOZORDER);
        panel = GMixerPanel::build(fx.builder, &s, &sound, "UC");
        fx.layout();
    }
    ~PanelRig() { deviceListUnlink(heard.node); }
    MixerControlPanel* source() { return panel->sourcePanel; }
    MixerControlPanel* destination() { return panel->destinationPanel; }
    std::vector<std::string> entryTexts() {
        std::vector<std::string> texts;
        GString scratch;
        GTableModel* model = panel->lineList->combo->model();
        for (u64 i = 0; i < model->rowCount(); ++i) texts.push_back(model->cellText(scratch, i, 0));
        return texts;
    }
    i32 key(GChildWindow* target, u32 vk) {
        GInputEvent e = GInputEvent::keyDown(vk);
        e.target = target;
        return routeKeyEvent(&e) ? 2 : 0;
    }
    // Dispatches what is queued for this thread.
    static void drain() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
};

std::vector<u32> pair(u32 a, u32 b) { return {a, b}; }

// An endless player of silence.
class QuietPlayer : public WaveOutPlayer {
public:
    explicit QuietPlayer(DeviceSettings* entry) : WaveOutPlayer(entry, 3, 2, 20) {}
    ~QuietPlayer() override { stopAndWait(false); }

protected:
    void fillBuffer(WaveBuffer& b) override {
        memset(b.data, 0, bufferBytes());
        b.header.dwBufferLength = bufferBytes();
    }
};
}  // namespace

TEST(MixerLineList, ListsTheLinesOfEveryDeviceAndSelectsTheBoundOne) {
    struct Case {
        bool playback;
        std::vector<std::string> texts;
        std::vector<std::vector<u32>> records;  // destination, source, mixer, device
        i32 selected;                           // the default line of device 0
    } cases[] = {
        {true,
         {"Wave Out / Speakers / Mixer A / Out A", "Wave Out / Headphones / Mixer A / Out A",
          "Wave Out / Speakers / Mixer B / "},
         {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 1}},
         1},
        {false,
         {"Microphone / Wave In / Mixer A / ", "Line / Wave In / Mixer A / ", "Line / Wave In / Mixer B / In B"},
         {{2, 0, 0, 0}, {2, 1, 0, 0}, {1, 0, 1, 1}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.playback ? "play" : "record");
        MixerMachine machine;
        SoundSettings sound;
        controls::ColumnFixture fx;
        MixerLineList* list = MixerLineList::create(
            fx.builder, c.playback ? static_cast<DeviceSettings*>(&sound.play) : &sound.record, "UC");
        std::vector<std::vector<u32>> records;
        for (const MixerLineEntry& e : list->entries) records.push_back({e.destination, e.source, e.mixer, e.device});
        EXPECT_EQ(c.records, records);
        GString scratch;
        std::vector<std::string> texts;
        for (u64 i = 0; i < list->combo->model()->rowCount(); ++i)
            texts.push_back(list->combo->model()->cellText(scratch, i, 0));
        EXPECT_EQ(c.texts, texts);
        EXPECT_EQ(c.selected, list->combo->selection);
        EXPECT_TRUE(fx.dialog->notifications.empty());
    }
}

TEST(MixerLineList, AnotherLineOfTheSameDeviceTellsThreeAndOfAnotherDeviceTwo) {
    PanelRig rig;
    FakeWaveOut fake(true);
    fake.devices = 2;
    QuietPlayer player(&rig.sound.play);
    RecordingHandler sink;
    player.errorSink = &sink;
    fake.attach(player);
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    ASSERT_TRUE(player.start(&format));
    GCombo* combo = rig.panel->lineList->combo;
    ASSERT_EQ(0, combo->selection);

    rig.key(combo, VK_DOWN);  // mixer A's Headphones, device 0
    EXPECT_EQ(1, rig.sound.play.destination);
    rig.key(combo, VK_DOWN);  // mixer B's Speakers, device 1
    EXPECT_EQ(1u, rig.sound.play.device);
    EXPECT_EQ(1, rig.sound.play.mixer);
    EXPECT_EQ(0, rig.sound.play.destination);
    EXPECT_EQ(rig.heard.codes, (std::vector<u32>{3, 2}));
    // The player reopens on the new device.
    // (The condition runs under the fake's lock.)
    EXPECT_TRUE(fake.waitUntil([&] { return std::count(fake.calls.begin(), fake.calls.end(), "open 1") == 1; }));
    EXPECT_EQ(1u, fake.countCalls("open 0"));
    // Both control panels follow the line.
    EXPECT_EQ(1, rig.source()->line.mixer);
    EXPECT_EQ(-1, rig.destination()->line.source);
    EXPECT_EQ(1, rig.destination()->line.mixer);
    // The dialog hears of each choice.
    std::vector<intptr_t> told;
    for (const GControlNotification& n : rig.fx.dialog->notifications)
        if (n.code == MixerLineList::changedCode) told.push_back(n.value);
    EXPECT_EQ(told, (std::vector<intptr_t>{3, 2}));
    player.stopAndWait(false);
    EXPECT_TRUE(sink.reports.empty());
}

TEST(MixerLineList, DeviceAndLineChangesRefillTheListLevelsAndSwitchesDoNot) {
    struct Case {
        u32 code;
        bool refills;
    } cases[] = {{2, true}, {3, true}, {15, true}, {1, true}, {4, false}, {8, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        PanelRig rig;
        rig.machine.name(0, 0, 0, "Wave Renamed", "Out A");
        rig.sound.play.notifyListeners(nullptr, c.code);
        EXPECT_EQ(c.refills, rig.entryTexts()[0] == "Wave Renamed / Speakers / Mixer A / Out A");
        EXPECT_EQ(0, rig.panel->lineList->combo->selection);
    }
}

TEST(DeviceAdjustPanel, SlidersBoxesAndResetsTellTheOtherListeners) {
    PanelRig rig;
    DeviceAdjustPanel* adjust = rig.panel->adjust;
    PlayDeviceSettings& play = rig.sound.play;
    ASSERT_EQ(2u, adjust->boxes.size());
    EXPECT_STREQ("Fade in and out", adjust->boxes[0]->text.c_str());
    EXPECT_TRUE(adjust->boxes[0]->isChecked());
    EXPECT_FALSE(adjust->boxes[1]->isChecked());

    rig.key(adjust->gain, VK_RIGHT);
    EXPECT_EQ(1, play.adjust1);
    rig.key(adjust->limit, VK_HOME);
    EXPECT_EQ(-20, play.adjust2);
    adjust->boxes[1]->click();
    EXPECT_EQ(3u, play.choiceFlags);
    adjust->boxes[0]->click();
    EXPECT_EQ(2u, play.choiceFlags);
    adjust->resetLimit->click();
    EXPECT_EQ(0, play.adjust2);
    EXPECT_EQ(0, adjust->limit->value);
    adjust->resetLimit->click();  // already 0: told all the same
    EXPECT_EQ(rig.heard.codes, (std::vector<u32>{4, 4, 8, 8, 4, 4}));
    EXPECT_EQ(1, play.adjust1);

    // Changes from elsewhere move the controls, each kind by its own bit.
    rig.heard.codes.clear();
    play.adjust1 = -7;
    play.choiceFlags = 1;
    play.notifyListeners(nullptr, DeviceChange::Switches);
    EXPECT_EQ(1, adjust->gain->value);
    EXPECT_TRUE(adjust->boxes[0]->isChecked());
    play.notifyListeners(nullptr, DeviceChange::Level);
    EXPECT_EQ(-7, adjust->gain->value);
    // Nothing echoes back to the settings' listeners.
    EXPECT_EQ(rig.heard.codes, (std::vector<u32>{8, 4}));
}

TEST(MixerControlPanel, TheVolumeShowsMasterBalanceAndPercentages) {
    PanelRig rig;
    MixerControlPanel* s = rig.source();
    ASSERT_TRUE(s->lineFound && s->hasVolume && s->stereo);
    EXPECT_EQ(65535, s->master->value);
    EXPECT_EQ(65535, s->left->value);
    EXPECT_EQ(32767, s->right->value);
    EXPECT_EQ(25, s->balance->value);
    EXPECT_STREQ("Balance: 25", s->balanceLabel->text.c_str());
    EXPECT_STREQ("100%", s->leftLabel->text.c_str());
    EXPECT_STREQ("50%", s->rightLabel->text.c_str());
    EXPECT_STREQ("100%", s->masterLabel->text.c_str());
    // Its mute is the one other control: a check box, not yet checked.
    ASSERT_EQ(1u, s->controls.size());
    EXPECT_EQ(TypeCheckBox, s->controls[0].windows[0]->typeId());
    EXPECT_FALSE(static_cast<GCheckBox*>(s->controls[0].windows[0])->isChecked());

    MixerControlPanel* d = rig.destination();
    EXPECT_EQ(50, d->balance->value);
    EXPECT_STREQ("61%", d->masterLabel->text.c_str());
    EXPECT_TRUE(rig.machine.setCalls.empty()) << "showing writes nothing";
    saveWindowShot(rig.fx.dialog->hwnd, "mixer_panel.bmp");
}

TEST(MixerControlPanel, MovesWriteBothChannelsByTheBalanceRule) {
    enum Action { Master, Balance, Left, Centre, Plus, Minus };
    struct Case {
        const char* what;
        u32 left, right;
        Action action;
        i64 value;
        u32 newLeft, newRight;
        i32 shownBalance;
    } cases[] = {
        {"balance 0 silences the right", 40000, 40000, Balance, 0, 40000, 0, 0},
        {"balance 75 lowers the left", 65535, 32767, Balance, 75, 32767, 65535, 75},
        {"master keeps the balance", 65535, 32767, Master, 40000, 40000, 20000, 25},
        {"master 0 shows the centre", 65535, 32767, Master, 0, 0, 0, 50},
        {"master over a right balance", 20000, 40000, Master, 50000, 25000, 50000, 75},
        {"one channel alone", 40000, 40000, Left, 10000, 10000, 40000, 87},
        {"centre", 65535, 32767, Centre, 0, 65535, 65535, 50},
        {"plus stays in range", 65000, 65000, Plus, 0, 65535, 65535, 50},
        {"plus steps", 30000, 30000, Plus, 0, 36553, 36553, 50},
        {"minus stays in range", 3000, 3000, Minus, 0, 0, 0, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PanelRig rig;
        rig.machine.valuesOf(rig.machine.waveVolume) = pair(c.left, c.right);
        MixerControlPanel* p = rig.source();
        p->refreshValues();
        switch (c.action) {
        case Master: p->master->setValue(c.value); break;
        case Balance: p->balance->setValue(c.value); break;
        case Left: p->left->setValue(c.value); break;
        case Centre: p->centreButton->click(); break;
        case Plus: EXPECT_EQ(2, rig.key(p->master, VK_ADD)); break;
        case Minus: EXPECT_EQ(2, rig.key(p->balance, VK_SUBTRACT)); break;
        }
        EXPECT_EQ(pair(c.newLeft, c.newRight), rig.machine.valuesOf(rig.machine.waveVolume));
        EXPECT_EQ(c.shownBalance, p->balance->value);
        EXPECT_EQ(std::max(c.newLeft, c.newRight), p->master->value);
        EXPECT_EQ(c.newLeft, p->left->value);
        EXPECT_EQ(c.newRight, p->right->value);
    }
}

TEST(MixerControlPanel, LinesWithoutAVolumeListTheirControls) {
    PanelRig rig;
    MixerControlPanel* p = rig.source();
    struct Case {
        const char* what;
        MixerLineBinding line;
        const char* message;
        std::vector<u32> kinds;  // type ids of the first window of each control
    } cases[] = {
        {"a multiplexer alone", {2, -1, 0}, "", {TypeCombo}},
        {"a mixer control and a mono volume", {1, -1, 1}, "", {TypeCheckBox}},
        {"no controls", {0, 1, 0}, "The mixer line has no controls", {}},
        {"no such line", {5, 0, 0}, "The mixer line is not there", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        p->openMixer(c.line, false);
        EXPECT_STREQ(c.message, p->message->text.c_str());
        std::vector<u32> kinds;
        for (const MixerControlPanel::Control& control : p->controls) kinds.push_back(control.windows[0]->typeId());
        EXPECT_EQ(c.kinds, kinds);
    }
    // The multiplexer: a combo of its items showing the selected one; no volume to show.
    p->openMixer({2, -1, 0}, false);
    EXPECT_FALSE(p->hasVolume);
    EXPECT_FALSE(IsWindowEnabled(p->master->hwnd));
    EXPECT_STREQ("", p->masterLabel->text.c_str());
    GCombo* mux = static_cast<GCombo*>(p->controls[0].windows[0]);
    EXPECT_EQ(2, mux->rowCount());
    EXPECT_EQ(1, mux->selection);
    // A one-channel volume leaves the balance and the channels alone.
    p->openMixer({1, -1, 1}, false);
    EXPECT_TRUE(p->hasVolume);
    EXPECT_FALSE(p->stereo);
    EXPECT_TRUE(IsWindowEnabled(p->master->hwnd));
    EXPECT_FALSE(IsWindowEnabled(p->balance->hwnd));
    EXPECT_EQ(30000, p->master->value);
}

TEST(MixerControlPanel, ControlChangesAreWrittenForEveryChannelAndItem) {
    PanelRig rig;
    MixerMachine& m = rig.machine;
    MixerControlPanel* d = rig.destination();  // Speakers: bass and loudness
    ASSERT_EQ(2u, d->controls.size());
    GRegulator* bass = static_cast<GRegulator*>(d->controls[0].windows[0]);
    GCheckBox* loudness = static_cast<GCheckBox*>(d->controls[1].windows[0]);
    EXPECT_EQ(1000, bass->value);
    EXPECT_TRUE(loudness->isChecked());
    bass->setValue(2000);
    loudness->click();
    EXPECT_EQ(std::vector<u32>{2000}, m.valuesOf(m.bass));
    EXPECT_EQ(std::vector<u32>{0}, m.valuesOf(m.loudness));

    // The multiplexer: 1 for the chosen item, 0 for the others.
    d->openMixer({2, -1, 0}, false);
    GCombo* mux = static_cast<GCombo*>(d->controls[0].windows[0]);
    rig.key(mux, VK_UP);
    EXPECT_EQ(pair(1, 0), m.valuesOf(m.recordMux));
    // The mixer control: one box per item.
    d->openMixer({1, -1, 1}, false);
    GCheckBox* item = static_cast<GCheckBox*>(d->controls[0].windows[0]);
    EXPECT_TRUE(item->isChecked());
    item->click();
    EXPECT_EQ(std::vector<u32>{0}, m.valuesOf(m.recordMixer));
    EXPECT_EQ(m.setCalls, (std::vector<DWORD>{m.bass, m.loudness, m.recordMux, m.recordMixer}));
}

TEST(MixerControlPanel, ChangeMessagesAreCoalescedToOneRefreshPerTick) {
    PanelRig rig;
    MixerMachine& m = rig.machine;
    MixerControlPanel* s = rig.source();
    MixerControlPanel* d = rig.destination();
    removeTimer(&s->messages->timer);
    removeTimer(&d->messages->timer);
    m.valuesOf(m.waveVolume) = pair(100, 100);
    m.valuesOf(m.speakersVolume) = pair(200, 200);
    for (int i = 0; i < 10; ++i) m.postChange(0, true, m.waveVolume);
    PanelRig::drain();
    EXPECT_EQ(65535, s->master->value) << "nothing before the tick";
    s->messages->onTimer(nullptr);
    EXPECT_EQ(100, s->master->value);
    m.valuesOf(m.waveVolume) = pair(300, 300);
    s->messages->onTimer(nullptr);
    EXPECT_EQ(100, s->master->value) << "ten messages, one refresh";
    // The destination panel holds mixer A too: its own window refreshes it on its own tick.
    EXPECT_EQ(40000, d->master->value);
    d->messages->onTimer(nullptr);
    EXPECT_EQ(200, d->master->value);
}

TEST(MixerMessageWindow, OnePendingMixerPerTick) {
    controls::Fixture fx;
    struct Count : MixerChangeListener {
        void onMixerChanged() override { ++n; }
        int n = 0;
    } a, b;
    MixerMachine machine;
    MixerMessageWindow* w = MixerMessageWindow::create(fx.dialog);
    ASSERT_NE(nullptr, w);
    removeTimer(&w->timer);
    Mixer first, second;
    second.mixerId = 1;
    uintptr_t ha = openMixerToWindow(first, (uintptr_t)w->hwnd), hb = openMixerToWindow(second, (uintptr_t)w->hwnd);
    w->add(ha, &a);
    w->add(hb, &b);
    for (int i = 0; i < 5; ++i) {
        machine.postChange(1, false, 0);
        machine.postChange(0, true, 0);
    }
    PostMessageA(w->hwnd, MM_MIXM_CONTROL_CHANGE, 0x999, 0);  // a handle it does not hold
    PanelRig::drain();
    std::vector<std::pair<int, int>> ticks;
    for (int i = 0; i < 3; ++i) {
        w->onTimer(nullptr);
        ticks.emplace_back(a.n, b.n);
    }
    EXPECT_EQ(ticks, (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}, {1, 1}}));
    // Its end closes what it holds.
    DestroyWindow(w->hwnd);
    EXPECT_TRUE(machine.openMixers.empty());
    EXPECT_EQ(machine.closedMixers, (std::vector<uintptr_t>{ha, hb}));
}

TEST(MixerControlPanel, EveryOpenedHandleIsClosedOnRebindAndDestroy) {
    std::vector<uintptr_t> closed;
    u32 opened = 0;
    {
        PanelRig rig;
        MixerMachine& m = rig.machine;
        ASSERT_EQ(2u, m.openMixers.size());
        uintptr_t first = rig.source()->handle;
        rig.source()->openMixer({0, 0, 0}, false);  // the same line: kept
        EXPECT_EQ(first, rig.source()->handle);
        rig.source()->openMixer({0, 0, 1}, false);
        EXPECT_EQ(std::vector<uintptr_t>{first}, m.closedMixers);
        rig.source()->openMixer({0, 0, 1}, true);
        EXPECT_EQ(2u, m.closedMixers.size());
        EXPECT_EQ(2u, m.openMixers.size());
        rig.panel->lineList->combo->setFocusSafe();
        DestroyWindow(rig.fx.dialog->hwnd);
        EXPECT_TRUE(m.openMixers.empty());
        closed = m.closedMixers;
        opened = m.opened;
    }
    EXPECT_EQ(opened, closed.size());
}

TEST(MixerControlPanel, TheSlidersShowTheirPositions) {
    PanelRig rig;
    GRegulator* balance = rig.source()->balance;
    RegulatorGeometry g = balance->geometry();
    i32 mid = (g.track.top + g.track.bottom) / 2;
    i32 at25 = balance->positionOf(g, 25), at75 = balance->positionOf(g, 75);
    COLORREF thumb = controls::pixelAt(balance->hwnd, at25, mid);
    COLORREF groove = controls::pixelAt(balance->hwnd, at75, mid);
    EXPECT_NE(thumb, groove);
    rig.source()->balance->setValue(75);
    RedrawWindow(balance->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(thumb, controls::pixelAt(balance->hwnd, at75, mid));
    EXPECT_EQ(groove, controls::pixelAt(balance->hwnd, at25, mid));
}

TEST(MixerLineDialogBody, OnePanelOnTheLineInATitledBox) {
    TestApplication app;
    MixerMachine machine;
    GSinglePlacerDialog dialog(nullptr, nullptr);
    ASSERT_TRUE(dialog.createWindow("Speakers"));
    MixerControlPanel* p = buildMixerLineBody(&dialog, {0, -1, 0});
    ASSERT_NE(nullptr, dialog.body);
    EXPECT_STREQ("Mixer line controls", static_cast<GGroupBoxItem*>(dialog.body)->frame->caption.c_str());
    EXPECT_TRUE(p->hasVolume);
    EXPECT_EQ(40000, p->master->value);
    EXPECT_EQ(2u, p->controls.size());
    EXPECT_EQ(1u, machine.openMixers.size());
    DestroyWindow(dialog.hwnd);
    EXPECT_TRUE(machine.openMixers.empty());
}

TEST(MixerValueRow, TheBufferFieldsKeepToTheirRanges) {
    struct Case {
        const char* count;
        const char* length;
        bool accepted;
    } cases[] = {{"2", "10", true}, {"32", "10000", true}, {"1", "100", false}, {"33", "100", false},
                 {"8", "9", false}, {"8", "10001", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.count) + " " + c.length);
        controls::ColumnFixture fx;
        ShownBoxes shown;
        fx.builder.fieldList = &fx.dialog->fields;
        i32 count = 4, length = 50;
        GMixerValueRow* row = GMixerValueRow::create(fx.builder, &count, &length, "UC");
        EXPECT_STREQ("Buffers", row->frame->caption.c_str());
        EXPECT_STREQ("4", row->countField->edit->text());
        row->countField->edit->setText(c.count);
        row->lengthField->edit->setText(c.length);
        EXPECT_EQ(c.accepted, fx.dialog->validate(&fx.dialog->fields));
        EXPECT_EQ(c.accepted ? atoi(c.count) : 4, count);
        EXPECT_EQ(c.accepted ? atoi(c.length) : 50, length);
        EXPECT_EQ(c.accepted ? 0u : 1u, ShownBoxes::texts.size());
    }
}

TEST(MixerPanel, SaveAndLoadButtonsGoThroughTheFileDialogs) {
    PanelRig rig;
    TempDir dir;
    ChosenFile chosen;
    ShownBoxes shown;
    ChosenFile::name = dir.file("panel.mix");
    auto* buttons = static_cast<GLayoutItem*>(rig.panel->children[0]);
    GButton* save = static_cast<GButton*>(buttons->children[0]);
    GButton* load = static_cast<GButton*>(buttons->children[1]);
    GButton* repair = static_cast<GButton*>(buttons->children[2]);
    EXPECT_TRUE(IsWindowEnabled(repair->hwnd)) << "the repair dialog runs from it";
    save->click();
    ASSERT_TRUE(dir.exists("panel.mix"));

    rig.machine.valuesOf(rig.machine.waveVolume) = pair(5, 5);
    rig.sound.play.adjust1 = 12;
    rig.heard.codes.clear();
    load->click();
    EXPECT_EQ(pair(65535, 32767), rig.machine.valuesOf(rig.machine.waveVolume));
    EXPECT_EQ(0, rig.sound.play.adjust1);
    EXPECT_EQ(0, rig.panel->adjust->gain->value);
    EXPECT_EQ(rig.heard.codes, std::vector<u32>{15});
    // The panel shows the loaded values.
    EXPECT_EQ(25, rig.source()->balance->value);
    EXPECT_TRUE(ShownBoxes::texts.empty());
    EXPECT_TRUE(recordedBoxes().empty());
}
