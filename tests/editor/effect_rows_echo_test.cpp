// The echo, reverberation, equalizer and chorus rows in a real Editor: the commands routed as a menu
// routes them, their dialogs clicked, and the sound afterwards byte-equal to the processor run
// directly on the same samples with the engine's own parameter objects; each edit undone exactly.
#include "editor/effect_command.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/chorus_dialog.h"
#include "app/echo_dialog.h"
#include "app/equalizer_dialog.h"
#include "app/reverb_dialog.h"
#include "engine/chorus_params.h"
#include "engine/echo_reflections.h"
#include "engine/filters.h"
#include "gui/controls/regulator.h"
#include "gui/menus/action_table.h"
#include "tests/editor/editor_fixture.h"
#include "tests/engine/engine_fixture.h"
#include "tests/gui/dialogs/modal_script.h"

namespace {
// A copy of what the handler left as the processor's parameter object.
std::function<GCommonObject*(GCommonObject*)> copyAux;
std::unique_ptr<GCommonObject> seenAux;
i32 seenResult = -2;

i32 seeing(EditorWindow* editor, u32 id, SoundBlockProcessor* p) {
    seenResult = runEffectCommand(editor, id, p);
    seenAux.reset(p->auxObject && copyAux ? copyAux(p->auxObject) : nullptr);
    return seenResult;
}

template <class T>
GCommonObject* copyOf(GCommonObject* o) {
    T* made = new T;
    *made = *dynamic_cast<T*>(o);
    return made;
}

struct RowsFixture : EditorFixture {
    AppSettings saved = appSettings;
    std::string in;
    RowsFixture() {
        effectCommandHandler = seeing;
        seenAux.reset();
        seenResult = -2;
        in = make("-r 8000 -c 1 -b 16", "synth 1 sine 300 sine 1234 vol 0.4");
        EXPECT_TRUE(open(in));
    }
    ~RowsFixture() {
        copyAux = nullptr;
        seenAux.reset();
        appSettings = saved;
    }

    // The Editor ran the command on frames [from, to): its samples equal the slot run directly over
    // the file's samples with the object the handler made; undo gives the original bytes back.
    void expectDirectRunAndUndo(ProcessorSlot slot, u64 from, u64 to, const std::string& before) {
        ASSERT_TRUE(finished());
        ASSERT_EQ(seenResult, 1);
        ASSERT_TRUE(seenAux);
        ASSERT_TRUE(page->history.canUndo());
        const std::string samples = fileSamples(in);
        std::vector<f64> values;
        for (size_t i = 0; i < samples.size() / 2; ++i) values.push_back(sampleAt(samples, i));
        TestSound sound(encodingInt16, 1, values);
        std::unique_ptr<SoundBlockProcessor> p = bindProcessor(sound, from, to);
        p->setAuxObject(seenAux.release());
        p->runSlot(slot);
        const std::vector<u8> direct = sound.bytes(sound.start(), sound.end());
        const std::string edited = bytes();
        ASSERT_EQ(edited.size(), direct.size());
        EXPECT_TRUE(edited == std::string(direct.begin(), direct.end()));
        EXPECT_TRUE(edited != before);
        command(EditorUndo);
        ASSERT_TRUE(finished());
        EXPECT_TRUE(bytes() == before);
    }
};

u32 id(const char* name) { return (u32)actionIdByName(name); }
}  // namespace

// The six fixed echoes equal echoPreset's reflections at the sound's rate.
TEST(EchoRows, PresetsEqualTheEnginePresets) {
    RowsFixture f;
    copyAux = copyOf<EchoReflectionList>;
    const std::string before = f.bytes();
    for (const char* name : {"ECHO_WEAK", "ECHO_MEDIUM", "ECHO_STRONG", "REVER_WEAK", "REVER_MEDIUM", "REVER_STRONG"}) {
        SCOPED_TRACE(name);
        f.select(1000, 6000);
        EXPECT_TRUE(f.command(id(name)));
        ASSERT_TRUE(f.finished());
        auto* seen = dynamic_cast<EchoReflectionList*>(seenAux.get());
        ASSERT_NE(seen, nullptr);
        std::unique_ptr<EchoReflectionList> preset(echoPreset(id(name), 8000));
        ASSERT_EQ(seen->reflections.size(), 1u);
        const EchoReflection &a = seen->reflections[0], &b = preset->reflections[0];
        EXPECT_EQ(a.delay, b.delay);
        EXPECT_EQ(a.spacing, b.spacing);
        EXPECT_EQ(a.gain, b.gain);
        EXPECT_EQ(a.decay, b.decay);
        EXPECT_EQ(a.repeats, b.repeats);
        EXPECT_EQ(a.shelfGain, b.shelfGain);
        EXPECT_EQ(a.shelfFrequency, b.shelfFrequency);
        if (std::string(name) == "ECHO_STRONG") {
            f.expectDirectRunAndUndo(ProcessorSlot::echo, 1000, 6000, before);
        } else {
            f.command(EditorUndo);
            ASSERT_TRUE(f.finished());
            EXPECT_TRUE(f.bytes() == before);
        }
    }
}

// ECHO: preset 8 (100 ms, 0.5, one repeat) through the dialog's own list, then OK.
TEST(EchoRows, EchoThroughItsDialog) {
    RowsFixture f;
    copyAux = copyOf<EchoReflectionList>;
    const std::string before = f.bytes();
    f.select(0, 8000);
    ModalScript script(TypeEchoDialog, {[](GDialog& d) {
        auto& echo = static_cast<EchoDialog&>(d);
        echo.applyPreset(echoPresetBlock(8));
        ModalScript::click(d, IDOK);
    }});
    EXPECT_TRUE(f.command(id("ECHO")));
    EXPECT_EQ(script.runs, 1);
    auto* seen = dynamic_cast<EchoReflectionList*>(seenAux.get());
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->reflections[0].delay, 800u);
    EXPECT_EQ(seen->reflections[0].repeats, 1u);
    EXPECT_EQ(appSettings.Editor.Echo.firstDelay.count, 800u);
    f.expectDirectRunAndUndo(ProcessorSlot::echo, 0, 8000, before);
}

// REVERBERATION: a row added by a click in the graph, then OK; Cancel runs nothing and keeps the list.
TEST(EchoRows, ReverberationThroughItsDialog) {
    RowsFixture f;
    copyAux = copyOf<EchoReflectionList>;
    appSettings.Editor.Reverberation.data.clear();
    const std::string before = f.bytes();
    f.select(0, 8000);
    ModalScript cancel(TypeReverberationDialog, {[](GDialog& d) {
        auto& r = static_cast<ReverberationDialog&>(d);
        r.graphClick(true, 0.25, 0.5);
        ModalScript::click(d, IDCANCEL);
    }});
    f.command(id("REVERBERATION"));
    EXPECT_EQ(seenResult, 0);
    EXPECT_FALSE(f.page->history.canUndo());
    ASSERT_EQ(appSettings.Editor.Reverberation.data.size(), 1u);
    ModalScript ok(TypeReverberationDialog, {[](GDialog& d) {
        InputSeam seam;
        auto& r = static_cast<ReverberationDialog&>(d);
        const POINT at = r.graph->pointOf(0.1, 0.25);
        SendMessageA(r.graph->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageA(r.graph->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        ModalScript::click(d, IDOK);
    }});
    EXPECT_TRUE(f.command(id("REVERBERATION")));
    auto* seen = dynamic_cast<EchoReflectionList*>(seenAux.get());
    ASSERT_NE(seen, nullptr);
    ASSERT_EQ(seen->reflections.size(), 2u);
    EXPECT_EQ(seen->reflections[0].delay, 2000u);  // 250 ms at 8000
    EXPECT_EQ(seen->reflections[1].delay, 800u);
    EXPECT_DOUBLE_EQ(seen->reflections[1].gain, 0.25);
    f.expectDirectRunAndUndo(ProcessorSlot::echo, 0, 8000, before);
}

// EQUALIZER: two sliders moved, OK; the bank goes to the settings and to the processor.
TEST(EchoRows, EqualizerThroughItsDialog) {
    RowsFixture f;
    copyAux = copyOf<EqParams>;
    appSettings.Editor.equalizer_data.set(50.0, 4000.0, 2.0);  // 7 bands
    const std::string before = f.bytes();
    f.select(500, 7500);
    ModalScript script(TypeEqualizerDialog, {[](GDialog& d) {
        auto& eq = static_cast<EqualizerDialog&>(d);
        eq.sliders[2]->setValue(12);
        eq.sliders[4]->setValue(-9);
        ModalScript::click(d, IDOK);
    }});
    EXPECT_TRUE(f.command(id("EQUALIZER")));
    auto* seen = dynamic_cast<EqParams*>(seenAux.get());
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->startFrequency, 50.0);
    EXPECT_EQ(seen->bandRatio, 2.0);
    EXPECT_EQ(seen->bandGains, std::vector<i32>({0, 0, 12, 0, -9, 0, 0}));
    EXPECT_EQ((i32)appSettings.Editor.equalizer_data.values.data[2], 12);
    f.expectDirectRunAndUndo(ProcessorSlot::equalizer, 500, 7500, before);
}

// CHORUS: preset 2 through the real list, then OK: the block holds its values; the random stages
// make a direct comparison meaningless, so the run is checked by its undo.
TEST(EchoRows, ChorusThroughItsDialog) {
    RowsFixture f;
    copyAux = copyOf<ChorusParams>;
    const std::string before = f.bytes();
    f.select(0, 8000);
    ModalScript script(TypeChorusDialog, {[](GDialog& d) {
        static_cast<ChorusDialog&>(d).applyPreset(chorusPreset(2));
        ModalScript::click(d, IDOK);
    }});
    EXPECT_TRUE(f.command(id("CHORUS")));
    ASSERT_TRUE(f.finished());
    auto* seen = dynamic_cast<ChorusParams*>(seenAux.get());
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->voices, 4);
    EXPECT_EQ(seen->maxDelay, 240);  // 30 ms at 8000
    EXPECT_TRUE(f.bytes() != before);
    f.command(EditorUndo);
    ASSERT_TRUE(f.finished());
    EXPECT_TRUE(f.bytes() == before);
}
