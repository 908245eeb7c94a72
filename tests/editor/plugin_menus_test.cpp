// The Editor's plug-in and track menus as they open, and their items run as a user runs them:
// real plug-in libraries, sounds made by sox, results checked against sox.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app/program_texts.h"
#include "editor/plugin_dialog.h"
#include "editor/plugin_list_dialog.h"
#include "editor/wave_pane.h"
#include "gui/controls/combo.h"
#include "gui/controls/multi_label.h"
#include "gui/views/box.h"
#include "gui/kernel/modal_run.h"
#include "mm/plugin_host.h"
#include "mm/sound_file.h"
#include "tests/editor/plugin_fixture.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/mm/sox_tool.h"
#include "tests/support/test_plugins.h"

namespace {
typedef std::vector<std::string> Items;

// The 16-bit samples of a sound file.
std::vector<i16> fileSamples(const std::string& path) {
    SoundFormat format;
    SoundStore store;
    RecordingHandler handler;
    std::vector<i16> out;
    if (!openSoundFile(path.c_str(), &format, &store, &handler, nullptr)) return out;
    out.resize(store.length / 2);
    store.lock(&handler);
    store.readRange(store.findSegment(store.dataOffset), store.length, reinterpret_cast<u8*>(out.data()));
    store.unlock();
    return out;
}

template <typename... More>
std::string plugText(RavoText id, const char* name, More... more) {
    char text[400];
    snprintf(text, sizeof text, ravoText(id), name, more...);
    return text;
}

// A plug-in made to fault: its parameter call crashes.
void makeFault(VstPlugin* plugin) {
    ASSERT_TRUE(plugin->load(nullptr, 44100, -1));
    plugin->setParameter(0, 0.5f);
    ASSERT_TRUE(plugin->faulted());
}
}  // namespace

TEST(PluginMenus, FilledByKindOnOpeningFromOneScan) {
    PluginFixture f({"gain_plugin=gain.dll", "synth_plugin=synth.dll", "pass_plugin=pass.dll"});
    const std::string info = ravoText(RavoText::VstInfo);
    // No document: the plug-ins are offered greyed, the information not.
    EXPECT_EQ(f.menu(VstEffectsMenuId), (Items{"~Test Gain", "~Test Pass", "-", info}));
    ASSERT_TRUE(f.open("-r 8000 -c 2 -b 16", "synth 0.2 sine 440"));
    EXPECT_EQ(f.menu(VstEffectsMenuId), (Items{"Test Gain", "Test Pass", "-", info}));
    EXPECT_EQ(f.itemId("Test Gain"), 10000 + PluginFixture::pluginIndex("Test Gain"));
    EXPECT_EQ(f.itemId("Test Pass"), 10000 + PluginFixture::pluginIndex("Test Pass"));
    EXPECT_EQ(f.itemId(info), (i32)VstInfoId);
    EXPECT_EQ(f.menu(VstInstrumentsMenuId), (Items{"Test Synth", "-", info}));
    EXPECT_EQ(f.itemId("Test Synth"), 10000 + PluginFixture::pluginIndex("Test Synth"));
    // The folder is read once in a run: a library added later is not listed.
    copyTestPlugin(f.dir, "gain_plugin", "plugins\\later.dll");
    EXPECT_EQ(f.menu(VstEffectsMenuId).size(), 4u);
    // While a plug-in menu holds the items they are effects; else they are nobody's.
    EXPECT_EQ(actionFlags(10000), 0x3CC);
    dynamicPopupCommand = 0;
    EXPECT_EQ(actionFlags(10000), -1);
}

TEST(PluginMenus, NoInstrumentLeavesSeparatorAndInformation) {
    PluginFixture f({"gain_plugin=gain.dll"});
    ASSERT_TRUE(f.open("-r 8000 -c 1 -b 16", "synth 0.1 sine 440"));
    EXPECT_EQ(f.menu(VstInstrumentsMenuId), (Items{"-", ravoText(RavoText::VstInfo)}));
}

TEST(PluginMenus, TheTrackMenuByLayerWithChecksSelectsOneTrack) {
    PluginFixture f({});
    ASSERT_TRUE(f.open("-r 8000 -c 2 -b 16", "synth 0.1 sine 440 sine 550"));
    SoundFormat& format = f.page->format;
    format.tracks[0].layer = 1;
    format.tracks[1].layer = 0;
    strcpy(format.tracks[0].info, "Lead");
    format.tracks[1].info[0] = 0;
    format.tracks[1].flags &= ~(u32)trackSelected;
    // Layer 0 is track 1, layer 1 track 0; a track without a text is its number alone.
    EXPECT_EQ(f.menu(TrackSelectMenuId), (Items{"1", "*2: Lead"}));
    EXPECT_EQ(f.itemId("1"), 10001);
    EXPECT_EQ(f.itemId("2: Lead"), 10000);
    EXPECT_EQ(actionFlags(10001), 0xC);
    ASSERT_TRUE(f.command(10001));
    EXPECT_EQ(f.menu(TrackSelectMenuId), (Items{"*1", "2: Lead"}));
    EXPECT_EQ(format.selectionMask[0], 0);
    EXPECT_EQ(format.selectionMask[1], 1);

    TrackRecordArray copy;
    copyTrackRecords(copy, format.tracks);
    appendTrackRecord(copy, format.tracks[1]);
    ASSERT_EQ(copy.count, 3u);
    EXPECT_EQ(0, memcmp(copy.data, format.tracks.data, 2 * sizeof(TrackRecord)));
    EXPECT_EQ(0, memcmp(&copy[2], &format.tracks[1], sizeof(TrackRecord)));
}

// The gain plug-in chosen from the menu, its program "Half" (x 0.5) chosen in its dialog with the
// keys, run over the whole sound: the saved file equals sox's "vol 0.5" within 1.
TEST(PluginCommands, TheGainPluginAtHalfEqualsSox) {
    PluginFixture f({"gain_plugin=gain.dll"});
    ASSERT_TRUE(f.open("-r 44100 -c 2 -b 16", "synth 0.5 sine 440 sine 1234 vol 0.9"));
    f.menu(VstEffectsMenuId);
    const i32 gain = f.itemId("Test Gain");
    ASSERT_GE(gain, 10000);
    f.page->pane->selectAllPlain();
    std::string title;
    ModalScript script(TypeGVSTEffectDialog, {[&](GDialog& d) {
                                                  auto& e = static_cast<GVSTEffectDialog&>(d);
                                                  title = e.getText().c_str();
                                                  e.programCombo->setFocusSafe();
                                                  PostMessageA(e.programCombo->hwnd, WM_KEYDOWN, VK_DOWN, 0);
                                              },
                                              [&](GDialog& d) { ModalScript::post(d, 1); }});
    ASSERT_TRUE(f.command((u32)gain));
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(title, plugText(RavoText::PluginDialogTitle, "Test Gain"));
    EXPECT_TRUE(f.page->history.canUndo());
    EXPECT_TRUE(f.boxes.empty());

    std::string mine = f.dir.file("mine.wav"), theirs = f.dir.file("sox.wav");
    f.page->writeFile(mine.c_str(), SaveOwnFile);
    ASSERT_EQ(0, runSox("-D \"" + unixPath(f.soundPath()) + "\" \"" + unixPath(theirs) + "\" vol 0.5"));
    std::vector<i16> a = fileSamples(mine), b = fileSamples(theirs);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_EQ(a.size(), 44100u);
    i32 worst = 0;
    for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    EXPECT_LE(worst, 1);
    // OK kept the program in the plug-in's state file.
    EXPECT_TRUE(f.dir.exists("plugins\\gain.dll.save.info"));
}

// Refusals: each shows its text, opens no dialog and changes no sample.
TEST(PluginCommands, RefusedPluginsOpenNothingAndChangeNothing) {
    PluginFixture f({"gain_plugin=gain.dll", "broken_plugin=broken.dll", "mono_gain_plugin=mono.dll"});
    ASSERT_TRUE(f.open("-r 8000 -c 2 -b 16", "synth 0.2 sine 440 sine 550"));
    const std::string before = f.bytes();
    ModalScript script(TypeGVSTEffectDialog, {[&](GDialog& d) { ModalScript::post(d, 2); }});
    f.page->pane->selectAllPlain();

    // A plug-in that faulted is offered greyed and refused with its text, never called.
    f.menu(VstEffectsMenuId);
    makeFault(vstPluginAt((u32)PluginFixture::pluginIndex("Test Broken")));
    EXPECT_EQ(f.menu(VstEffectsMenuId)[0], "~Test Broken");
    const u32 broken = (u32)f.itemId("Test Broken");
    dynamicPopupCommand = VstEffectsMenuId;
    ASSERT_TRUE(f.command(broken));
    ASSERT_EQ(f.boxes.size(), 1u);
    EXPECT_EQ(f.boxes[0], plugText(RavoText::PluginFaulted, "Test Broken"));
    EXPECT_TRUE(vstPluginAt(broken - 10000)->faulted());

    // One output channel for two selected tracks.
    f.menu(VstEffectsMenuId);
    dynamicPopupCommand = VstEffectsMenuId;
    ASSERT_TRUE(f.command((u32)f.itemId("Test Mono Gain")));
    ASSERT_EQ(f.boxes.size(), 2u);
    EXPECT_EQ(f.boxes[1], plugText(RavoText::PluginFewChannels, "Test Mono Gain", 1, 2u));

    // A plug-in id while another popup holds the items is no plug-in command.
    dynamicPopupCommand = TrackSelectMenuId;
    f.command(10000 + (u32)PluginFixture::pluginIndex("Test Gain"));
    EXPECT_EQ(f.boxes.size(), 2u);

    EXPECT_EQ(script.runs, 0);
    EXPECT_FALSE(f.page->history.canUndo());
    EXPECT_TRUE(f.bytes() == before);
}

// Cancel in the plug-in's dialog runs nothing and puts the plug-in's state back.
TEST(PluginCommands, CancelRunsNothingAndRestoresTheState) {
    PluginFixture f({"gain_plugin=gain.dll"});
    ASSERT_TRUE(f.open("-r 8000 -c 2 -b 16", "synth 0.2 sine 440"));
    const std::string before = f.bytes();
    f.menu(VstEffectsMenuId);
    VstPlugin* plugin = vstPluginAt((u32)PluginFixture::pluginIndex("Test Gain"));
    f32 during = 0.0f;
    ModalScript script(TypeGVSTEffectDialog, {[&](GDialog& d) {
                                                  auto& e = static_cast<GVSTEffectDialog&>(d);
                                                  e.programCombo->setCurrentIndex(2);
                                                  e.programCombo->setFocusSafe();
                                                  PostMessageA(e.programCombo->hwnd, WM_KEYDOWN, VK_UP, 0);
                                              },
                                              [&](GDialog& d) {
                                                  during = plugin->getParameter(0);
                                                  ModalScript::post(d, 2);
                                              }});
    f.page->pane->selectAllPlain();
    ASSERT_TRUE(f.command((u32)f.itemId("Test Gain")));
    EXPECT_EQ(script.runs, 1);
    EXPECT_FLOAT_EQ(during, 0.25f);  // program "Half" while the dialog was open
    EXPECT_EQ(plugin->getProgram(), 0);
    EXPECT_FLOAT_EQ(plugin->getParameter(0), 0.5f);
    EXPECT_FALSE(f.page->history.canUndo());
    EXPECT_TRUE(f.bytes() == before);
    EXPECT_FALSE(f.dir.exists("plugins\\gain.dll.save.info"));
}

// The information item opens the plug-ins dialog; a plug-in that no longer loads is reported there
// and its parameter dialog does not open.
TEST(PluginCommands, ThePluginsDialogReportsAFailedLoadAndStops) {
    PluginFixture f({"gain_plugin=gain.dll", "pass_plugin=pass.dll"});
    ASSERT_TRUE(f.open("-r 8000 -c 1 -b 16", "synth 0.1 sine 440"));
    f.menu(VstEffectsMenuId);
    const i32 pass = PluginFixture::pluginIndex("Test Pass"), gain = PluginFixture::pluginIndex("Test Gain");
    f.dir.write("plugins\\pass.dll", "MZ and no more");
    std::vector<std::string> rows;
    std::string details;
    ModalScript parameters(TypeGVSTEffectDialog, {[&](GDialog& d) { ModalScript::post(d, 2); }});
    PluginFixture::later([&] {
        GDialog* shown = pendingModalDialog();
        ASSERT_TRUE(shown && shown->isKindOf(TypeGVSTInfoDialog));
        auto* l = static_cast<GVSTInfoDialog*>(shown);
        for (i32 i = 0; i < l->list->itemCount(); ++i) {
            char* text = l->list->itemText(i);
            rows.push_back(text ? text : "");
            delete[] text;
        }
        l->list->selectItem(pass);
        l->openSelected();
        l->list->selectItem(gain);
        l->showSelected();
        details = l->details->text.c_str();
        SendMessageA(l->hwnd, WM_COMMAND, PluginListOpen, 0);
        ModalScript::post(*l, 2);
    });
    ASSERT_TRUE(f.command(VstInfoId));
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[(size_t)gain], "Test Gain");
    ASSERT_EQ(f.boxes.size(), 1u);
    EXPECT_EQ(f.boxes[0], plugText(RavoText::PluginLoadFailed, "Test Pass"));
    EXPECT_NE(details.find("\n"), std::string::npos);
    EXPECT_EQ(parameters.runs, 1) << "only the plug-in that loaded was opened";
}

// The plug-ins dialog's rows show the effect or instrument picture of their plug-in.
TEST(PluginCommands, ThePluginsDialogRowsShowTheirKindsPicture) {
    PluginFixture f({"gain_plugin=gain.dll", "synth_plugin=synth.dll"});
    f.menu(VstEffectsMenuId);
    const i32 gain = PluginFixture::pluginIndex("Test Gain"), synth = PluginFixture::pluginIndex("Test Synth");
    ASSERT_GE(gain, 0);
    ASSERT_GE(synth, 0);
    const COLORREF effect = RGB(0, 64, 128), keys = RGB(32, 32, 32);
    i32 gainEffect = -1, gainKeys = -1, synthEffect = -1, synthKeys = -1;
    PluginFixture::later([&] {
        GDialog* shown = pendingModalDialog();
        ASSERT_TRUE(shown && shown->isKindOf(TypeGVSTInfoDialog));
        auto* l = static_cast<GVSTInfoDialog*>(shown);
        UpdateWindow(l->hwnd);
        const HWND list = l->list->hwnd;
        gainEffect = controls::countColour(list, l->list->cellRect((u64)gain, 0), effect);
        gainKeys = controls::countColour(list, l->list->cellRect((u64)gain, 0), keys);
        synthEffect = controls::countColour(list, l->list->cellRect((u64)synth, 0), effect);
        synthKeys = controls::countColour(list, l->list->cellRect((u64)synth, 0), keys);
        saveWindowShot(l->hwnd, "plugins_dialog.bmp");
        ModalScript::post(*l, 2);
    });
    ASSERT_TRUE(f.command(VstInfoId));
    EXPECT_GE(gainEffect, 20);
    EXPECT_EQ(gainKeys, 0);
    EXPECT_EQ(synthEffect, 0);
    EXPECT_GE(synthKeys, 10);
}

