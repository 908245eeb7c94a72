// The effect command handler in a real Editor: its amplitude dialogs run modally and typed into,
// the fields it leaves in the processor, the clipboard checks with real copies between two pages,
// and the crossfades' room checks.
#include "editor/effect_command.h"

#include <gtest/gtest.h>

#include <string>

#include "app/amp_dialog.h"
#include "app/app_settings.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "engine/processor.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/value_field.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/action_table.h"
#include "gui/menus/popup_menu.h"
#include "mm/sound_clipboard.h"
#include "tests/editor/editor_fixture.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/mm/sox_tool.h"

namespace {

// What the handler left in the processor, seen through the Editor's handler seam.
struct Seen {
    i32 result = -2;
    f64 param1 = 0.0;
    u64 rangeLength = 0, rangeStart = 0, rangeEnd = 0;
};
Seen seen;
i32 seeing(EditorWindow* editor, u32 id, SoundBlockProcessor* p) {
    seen.result = runEffectCommand(editor, id, p);
    seen.param1 = p->param1;
    seen.rangeLength = p->rangeLength;
    seen.rangeStart = p->rangeStart;
    seen.rangeEnd = p->rangeEnd;
    return seen.result;
}

AmpDialog& amp(GDialog& d) { return static_cast<AmpDialog&>(d); }

// Replaces the text of the unit's edit line by typing it.
void type(GDialog& d, u32 unit, const std::string& text) {
    GEditLine* edit = amp(d).field->editOf(unit);
    ASSERT_NE(edit, nullptr) << "unit " << unit;
    SendMessageA(edit->hwnd, EM_SETSEL, 0, -1);
    SendMessageA(edit->hwnd, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessageA(edit->hwnd, WM_CHAR, (u8)c, 0);
}

void click(GDialog& d, u32 command) { ModalScript::click(d, command); }

struct HandlerFixture : EditorFixture {
    AppSettings saved = appSettings;
    HandlerFixture() {
        effectCommandHandler = seeing;
        seen = Seen();
    }
    ~HandlerFixture() { appSettings = saved; }
};

const u32 fb = 2;  // bytes per frame of the mono 16-bit sounds

}  // namespace

TEST(EffectCommand, AmplifyTypedIntoItsDialogRunsAsSoxDoes) {
    HandlerFixture f;
    std::string in = f.make("-r 8000 -c 1 -b 16", "synth 1 sine 300 vol 0.8");
    ASSERT_TRUE(f.open(in));
    appSettings.Editor.ampData_mul = levelFactor(2.0);
    f.select(1000, 3000);
    std::string title;
    bool helpButton = false, openAfterRefusal = false;
    ModalScript script(TypeAmpDialog, {
        [&](GDialog& d) {
            char text[128] = {};
            GetWindowTextA(d.hwnd, text, sizeof text);
            title = text;
            helpButton = GetDlgItem(d.hwnd, 9) != nullptr;
            saveWindowShot(d.hwnd, "amp_dialog.bmp");
            type(d, LevelUnit::Factor, "1000.5");
            click(d, IDOK);
        },
        [&](GDialog& d) {
            openAfterRefusal = d.result == -1 && IsWindow(d.hwnd);
            type(d, LevelUnit::Factor, "0.5");
            click(d, IDOK);
        },
    });
    EXPECT_TRUE(f.command(EditorAmplify));
    EXPECT_EQ(title.rfind("Amplify", 0), 0u) << title;
    EXPECT_TRUE(helpButton);
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(boxes.size(), 1u);  // the range refusal
    EXPECT_EQ(seen.result, 1);
    EXPECT_DOUBLE_EQ(seen.param1, 0.5);
    EXPECT_DOUBLE_EQ(appSettings.Editor.ampData_mul.factor, 0.5);
    ASSERT_TRUE(f.page->history.canUndo());

    expectSoxGain(f.page, in, f.dir.file("out.wav"), "0.5", 1, 1000, 3000);
}

TEST(EffectCommand, CancelRunsNothingAndKeepsTheTypedValue) {
    HandlerFixture f;
    std::string in = f.make("-r 8000 -c 1 -b 16", "synth 0.5 sine 440");
    ASSERT_TRUE(f.open(in));
    appSettings.Editor.ampData_mul = levelFactor(2.0);
    std::string before = f.bytes();
    f.select(0, 2000);
    // Cancelled by the button, by Esc and by the close box.
    const struct {
        const char* what;
        std::function<void(GDialog&)> end;
    } ends[] = {
        {"Cancel", [](GDialog& d) { click(d, IDCANCEL); }},
        {"Esc",
         [](GDialog& d) {
             ModalScript::unmark(d);
             PostMessageA(amp(d).field->editOf(LevelUnit::Factor)->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
         }},
        {"close box",
         [](GDialog& d) {
             ModalScript::unmark(d);
             PostMessageA(d.hwnd, WM_CLOSE, 0, 0);
         }},
    };
    f64 typed = 0.25;
    for (const auto& e : ends) {
        SCOPED_TRACE(e.what);
        std::string text = std::to_string(typed);
        ModalScript script(TypeAmpDialog, {[&](GDialog& d) {
                               type(d, LevelUnit::Factor, text);
                               e.end(d);
                           }});
        f.command(EditorAmplify);
        EXPECT_EQ(script.runs, 1);
        EXPECT_EQ(seen.result, 0);
        EXPECT_FALSE(f.page->history.canUndo());
        EXPECT_FALSE(f.page->modified);
        EXPECT_TRUE(f.bytes() == before);
        EXPECT_DOUBLE_EQ(appSettings.Editor.ampData_mul.factor, typed);
        typed += 0.125;
    }
    // An out-of-range text is not kept.
    ModalScript script(TypeAmpDialog, {[&](GDialog& d) {
                           type(d, LevelUnit::Factor, "2000");
                           click(d, IDCANCEL);
                       }});
    f.command(EditorAmplify);
    EXPECT_DOUBLE_EQ(appSettings.Editor.ampData_mul.factor, typed - 0.125);
    EXPECT_TRUE(f.bytes() == before);
}

// Per action: the units offered, the factor's upper limit accepted and what param1 takes.
TEST(EffectCommand, AmplitudeDialogsOfferTheirUnitsAndLimits) {
    HandlerFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 0.5 sine 440 vol 0.1")));
    // Every record shown as a factor.
    EditorSettings& e = appSettings.Editor;
    for (LevelValue* v : {&e.ampData_add, &e.ampData_assign, &e.ampData_mul, &e.ampData_set_maximum,
                          &e.ampData_fading, &e.ampData_dim, &e.ampData_cre})
        v->unit = LevelUnit::Factor;
    struct Case {
        const char* name;
        const char* help;
        u8 units[4];
        const char* factorMax;
        const char* beyond;
        bool byValue;
        f64 param1;
        f64 workFactor;
    } cases[] = {
        {"ADD", "ari.htm", {1, 1, 1, 1}, "1", "1.001", true, 32767.0, 1},
        {"ASSIGN", "ari.htm", {1, 1, 1, 1}, "1", "1.001", true, 32767.0, 1},
        {"MUL", "volume2.htm", {0, 1, 1, 1}, "1000", "1000.5", false, 1000.0, 1},
        {"AMPLIFY", "volume2.htm", {0, 1, 1, 1}, "1000", "1000.5", false, 1000.0, 1},
        {"CHANGE_MAX_VOLUME", "volume2.htm", {1, 1, 1, 1}, "1", "1.5", true, 32767.0, 2},
        {"NLFADING", "volume1.htm", {0, 1, 1, 1}, "0", "0.1", false, 0.0, 1},
        {"NLPREFADING", "volume1.htm", {0, 1, 1, 1}, "0", "0.1", false, 0.0, 1},
        {"DIMINUENDO", "volume1.htm", {0, 1, 1, 1}, "0", "0.1", false, 0.0, 1},
        {"CRESCENDO", "volume1.htm", {0, 1, 1, 1}, "10", "10.5", false, 10.0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const u32 id = (u32)actionIdByName(c.name);
        f.select(100, 200);
        boxes.clear();
        u8 offered[4] = {};
        std::string help;
        size_t refusals = 0;
        ModalScript script(TypeAmpDialog, {
            [&](GDialog& d) {
                help = d.helpPage ? d.helpPage : "";
                for (u32 u = 0; u < 4; ++u) offered[u] = amp(d).field->editOf(u) != nullptr;
                type(d, LevelUnit::Factor, c.beyond);
                click(d, IDOK);
            },
            [&](GDialog& d) {
                refusals = boxes.size();
                type(d, LevelUnit::Factor, c.factorMax);
                click(d, IDOK);
            },
        });
        f.command(id);
        EXPECT_EQ(help, c.help);
        for (u32 u = 0; u < 4; ++u) EXPECT_EQ(offered[u], c.units[u]) << "unit " << u;
        EXPECT_EQ(refusals, 1u) << "the value beyond the limit is refused";
        EXPECT_EQ(seen.result, 1);
        EXPECT_DOUBLE_EQ(seen.param1, c.param1);
        EXPECT_EQ(seen.rangeLength, (u64)(100 * fb * c.workFactor));
        f.command(EditorUndo);
    }
}

TEST(EffectCommand, AddTakesTheWholeSampleRange) {
    HandlerFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 0.5 sine 440 vol 0.1")));
    appSettings.Editor.ampData_add.unit = LevelUnit::SampleValue;
    const struct {
        const char* typed;
        bool accepted;
    } cases[] = {{"-32767", true}, {"32767", true}, {"-32768", false}, {"32768", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        f.select(0, 100);
        seen = Seen();
        bool refused = false;
        ModalScript script(TypeAmpDialog, {
            [&](GDialog& d) {
                type(d, LevelUnit::SampleValue, c.typed);
                click(d, IDOK);
            },
            [&](GDialog& d) {
                refused = true;
                click(d, IDCANCEL);
            },
        });
        f.command((u32)actionIdByName("ADD"));
        EXPECT_EQ(refused, !c.accepted);
        EXPECT_EQ(seen.result, c.accepted ? 1 : 0);
        if (c.accepted) {
            EXPECT_DOUBLE_EQ(seen.param1, std::stod(c.typed));
            f.command(EditorUndo);
        }
    }
}

// The rows without a dialog, called with a processor bound as the Editor binds it.
TEST(EffectCommand, FieldsOfTheRowsWithoutADialog) {
    HandlerFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 1 sine 440")));  // 8000 frames
    EditorWindow* page = f.page;
    const u64 start = page->dataStart;
    auto call = [&](const char* name, u64 from, u64 to, SoundBlockProcessor** out) {
        f.select(from, to);
        SoundBlockProcessor* p = page->createSoundBlockProcessor((u32)actionIdByName(name));
        EXPECT_NE(p, nullptr);
        i32 r = runEffectCommand(page, p->actionId, p);
        *out = p;
        return r;
    };
    struct Case {
        const char* name;
        u64 from, to;
        i32 result;
        u64 rangeStart, rangeEnd, work;  // frames; work in bytes
    } cases[] = {
        {"CENTER", 1000, 3000, 1, 1000, 3000, 2 * 2000 * fb},
        {"CUT", 1000, 3000, 1, 1000, 3000, 2 * 2000 * fb},
        {"CROP", 1000, 3000, 1, 1000, 3000, 0},
        {"CUTOUT", 1000, 3000, 1, 1000, 3000, 0},
        {"CROSSFADING", 4000, 6000, 1, 4000, 8000, 2000 * fb},  // exactly as many frames after
        {"CROSSFADING", 4001, 6001, 0, 4001, 6001, 2000 * fb},  // one fewer
        {"CROSSFADING_BACK", 2000, 4000, 1, 0, 4000, 2000 * fb},
        {"CROSSFADING_BACK", 1999, 3999, 0, 1999, 3999, 2000 * fb},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.from));
        boxes.clear();
        SoundBlockProcessor* p = nullptr;
        EXPECT_EQ(call(c.name, c.from, c.to, &p), c.result);
        EXPECT_EQ(p->rangeStart, start + c.rangeStart * fb);
        EXPECT_EQ(p->rangeEnd, start + c.rangeEnd * fb);
        EXPECT_EQ(p->rangeLength, c.work);
        EXPECT_EQ(boxes.size(), c.result == 1 ? 0u : 1u);
        if (c.result != 1) {
            EXPECT_TRUE(shown(std::string(c.name) == "CROSSFADING" ? RavoText::CrossfadeAfter
                                                                   : RavoText::CrossfadeBefore));
        }
        delete p;
    }
}

TEST(EffectCommand, UnlistedIdsPassUntouched) {
    HandlerFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 2 -b 16", "synth 0.2 sine 440")));
    f.select(100, 300);
    // The ids the handler's table lists.
    auto listed = [](u32 id) {
        const u32 ranges[][2] = {{309, 311}, {395, 398}, {401, 405}, {411, 411}, {414, 420}, {425, 425},
                                 {446, 447}, {449, 452}, {454, 455}, {478, 479}, {483, 485}, {489, 491},
                                 {503, 504}, {506, 511}, {515, 516}, {518, 532}, {544, 546}, {562, 562},
                                 {566, 567}, {570, 573}, {589, 589}, {595, 598}, {617, 622}};
        for (const auto& r : ranges)
            if (id >= r[0] && id <= r[1]) return true;
        return false;
    };
    u32 tried = 0;
    for (u32 id = 309; id <= 622; ++id) {
        if (listed(id)) continue;
        SoundBlockProcessor* p = f.page->createSoundBlockProcessor(id);
        ASSERT_NE(p, nullptr);
        SoundBlockProcessor fresh;
        const u64 start = p->rangeStart, end = p->rangeEnd, length = p->rangeLength;
        EXPECT_EQ(runEffectCommand(f.page, id, p), 1) << id;
        EXPECT_EQ(p->rangeStart, start) << id;
        EXPECT_EQ(p->rangeEnd, end) << id;
        EXPECT_EQ(p->rangeLength, length) << id;
        EXPECT_EQ(p->param1, 1.0) << id;  // as the Editor binds it
        EXPECT_EQ(p->param2, fresh.param2) << id;
        EXPECT_EQ(p->paramInt, fresh.paramInt) << id;
        EXPECT_EQ(p->periodFrames, fresh.periodFrames) << id;
        EXPECT_EQ(p->auxObject, nullptr) << id;
        EXPECT_EQ(std::string(p->workBuffer.c_str()), "") << id;
        for (u32 k = 0; k < 3; ++k) EXPECT_EQ(p->extraPositions[k], unsetPosition) << id;
        delete p;
        ++tried;
    }
    EXPECT_GT(tried, 200u);
    EXPECT_TRUE(boxes.empty());
}

namespace {
i32 pluginCalls = 0;
i32 pluginRow(EditorWindow*, u32, SoundBlockProcessor*) {
    ++pluginCalls;
    return 0;
}
}  // namespace

TEST(EffectCommand, PluginIdsGoToThePluginRowsOnlyFromTheirMenus) {
    HandlerFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 0.2 sine 440")));
    f.select(0, 100);
    const i32 owner = dynamicPopupCommand;
    pluginCommandHandler = pluginRow;
    pluginCalls = 0;
    const struct {
        i32 menu;
        i32 result, calls;
    } cases[] = {{0, 1, 0}, {(i32)actionIdByName("PASTE_MENU"), 1, 0}, {613, 0, 1}, {615, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.menu);
        dynamicPopupCommand = c.menu;
        pluginCalls = 0;
        SoundBlockProcessor* p = f.page->createSoundBlockProcessor(EditorAmplify);
        EXPECT_EQ(runEffectCommand(f.page, firstPluginActionId + 2, p), c.result);
        EXPECT_EQ(pluginCalls, c.calls);
        EXPECT_EQ(p->auxObject, nullptr);
        delete p;
    }
    pluginCommandHandler = nullptr;
    dynamicPopupCommand = owner;
}

namespace {
// A second Editor page beside the fixture's, for copies between pages.
struct OtherPage {
    GDialog owner{nullptr, "edit.htm"};
    EditorWindow* page;
    OtherPage() {
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        page = new EditorWindow(&owner);
        owner.setContent(page);
        page->setRect(RECT{0, 0, 640, 360});
    }
    ~OtherPage() {
        pumpUntil([&] { return !page->running(); });
        DestroyWindow(owner.hwnd);
    }
    bool command(u32 id) {
        GStateQuery query{id, 0};
        return routeCommandUp(page->pane, QueryExecute, &query);
    }
    std::string bytes() { return pageBytes(page); }
};

const u32 copyId = 410;
}  // namespace

TEST(EffectCommand, PasteChecksRefuseBeforeAnyChange) {
    HandlerFixture f;
    OtherPage to;
    struct Case {
        const char* what;
        const char* source;  // "" leaves the clipboard empty
        const char* target;
        bool oneTrackSelected;
        const char* paste;
        i32 result;
        RavoText message;
    } cases[] = {
        {"empty clipboard", "", "-r 8000 -c 1 -b 16", false, "PASTE", 0, RavoText::PasteEmpty},
        {"empty clipboard, insert", "", "-r 8000 -c 1 -b 16", false, "PASTE_INSERT", 0, RavoText::PasteEmpty},
        {"44100 into 48000", "-r 44100 -c 1 -b 16", "-r 48000 -c 1 -b 16", false, "PASTE", 0, RavoText::PasteRates},
        {"44100 into 48000, insert", "-r 44100 -c 1 -b 16", "-r 48000 -c 1 -b 16", false, "PASTE_INSERT", 0,
         RavoText::PasteRates},
        {"two tracks into one", "-r 8000 -c 2 -b 16", "-r 8000 -c 2 -b 16", true, "PASTE", 0, RavoText::PasteTracks},
        {"two tracks into one, added", "-r 8000 -c 2 -b 16", "-r 8000 -c 2 -b 16", true, "PASTE_ADD", 0,
         RavoText::PasteTracks},
        {"two tracks into one, repeated", "-r 8000 -c 2 -b 16", "-r 8000 -c 2 -b 16", true, "PASTE_REP", 0,
         RavoText::PasteTracks},
        {"two tracks inserted into one", "-r 8000 -c 2 -b 16", "-r 8000 -c 2 -b 16", true, "PASTE_INSERT", 1,
         RavoText::Count},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        soundClipboard().clear();
        if (*c.source) {
            ASSERT_TRUE(f.open(f.make(c.source, "synth 0.2 sine 440")));
            f.select(100, 600);
            f.command(copyId);
            ASSERT_TRUE(soundClipboard().valid);
        }
        to.page->loadDocument(f.make(c.target, "synth 0.3 sine 300").c_str(), nullptr);
        ASSERT_TRUE(to.page->hasDocument);
        if (c.oneTrackSelected) to.page->format.tracks[1].flags &= ~trackSelected;
        to.page->pane->setSelection(200, 400);
        to.page->pane->setCursor(200);
        const std::string before = to.bytes();
        boxes.clear();
        seen = Seen();
        to.command((u32)actionIdByName(c.paste));
        EXPECT_EQ(seen.result, c.result);
        if (c.result == 0) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_TRUE(shown(c.message)) << boxes[0];
            EXPECT_TRUE(to.bytes() == before);
            EXPECT_FALSE(to.page->history.canUndo());
        } else {
            EXPECT_EQ(to.page->dataLength, before.size() + 500u * 4);
        }
        if (c.message == RavoText::PasteRates) {
            EXPECT_NE(boxes[0].find("44100"), std::string::npos) << boxes[0];
            EXPECT_NE(boxes[0].find("48000"), std::string::npos) << boxes[0];
        }
        if (c.message == RavoText::PasteTracks) {
            EXPECT_NE(boxes[0].find("2 track"), std::string::npos) << boxes[0];
        }
    }
}

TEST(EffectCommand, APasteBetweenPagesEqualsTheCopiedBytes) {
    HandlerFixture f;
    OtherPage to;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 1 sine 440 vol 0.7")));
    const std::string source = f.bytes();
    f.select(1000, 3000);
    f.command(copyId);
    std::string target = f.make("-r 8000 -c 1 -b 16", "synth 1 sine 300 vol 0.3");
    to.page->loadDocument(target.c_str(), nullptr);
    const std::string before = to.bytes();
    to.page->pane->setSelection(0, 0);
    to.page->pane->setCursor(500);
    to.command((u32)actionIdByName("PASTE"));
    EXPECT_EQ(seen.result, 1);
    EXPECT_EQ(seen.rangeStart, to.page->dataStart + 500 * fb);
    EXPECT_EQ(seen.rangeLength, 2000u * fb);
    EXPECT_EQ(seen.rangeEnd, seen.rangeStart + seen.rangeLength);
    std::string out = f.dir.file("pasted.wav");
    to.page->writeFile(out.c_str(), 0);
    ASSERT_TRUE(pumpUntil([&] { return !to.page->running() && !to.page->job; }, 20000));
    const std::string pasted = fileSamples(out);
    ASSERT_EQ(pasted.size(), before.size());
    EXPECT_TRUE(pasted.substr(500 * fb, 2000 * fb) == source.substr(1000 * fb, 2000 * fb));
    EXPECT_TRUE(pasted.substr(0, 500 * fb) == before.substr(0, 500 * fb));
    EXPECT_TRUE(pasted.substr(2500 * fb) == before.substr(2500 * fb));
}
