// The handler's rows for pitch, tempo, stretch, lengths, pulsation, vibrato and filters: their field
// arithmetic on a processor alone, their dialogs run modally in a real Editor with the fields they
// leave, the short-range refusal, and runs on sox sounds checked by sox and undone to the bytes.
#include "editor/effect_rows_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "app/app_settings.h"
#include "app/pitch_dialogs.h"
#include "editor/effect_command.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "engine/processor.h"
#include "engine/filters.h"
#include "engine/pulsation.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/sample_count.h"
#include "gui/controls/spinner_field.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/action_table.h"
#include "mm/sound_format.h"
#include "tests/editor/editor_fixture.h"
#include "tests/gui/dialogs/modal_script.h"

namespace {

const u64 origin = 44;  // a data start of the seam's processor
const u32 fb = 2;       // mono 16-bit frames

// A processor with the fields of a bound mono 16-bit range [from, to) of a sound of `frames`.
std::unique_ptr<SoundBlockProcessor> seam(u64 from, u64 to, u64 frames, u32 rate = 8000) {
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(encodingInt16, nullptr));
    p->frameBytes = (i32)fb;
    p->channelCount = p->selectedChannelCount = 1;
    p->sampleRate = rate;
    p->soundStart = origin;
    p->soundEnd = origin + frames * fb;
    p->rangeStart = origin + from * fb;
    p->rangeEnd = origin + to * fb;
    p->rangeLength = p->rangeEnd - p->rangeStart;
    return p;
}

u64 at(u64 frame) { return origin + frame * fb; }

u32 id(const char* name) { return (u32)actionIdByName(name); }

void retype(GEditLine* edit, const std::string& text) {
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit->hwnd, EM_SETSEL, 0, -1);
    SendMessageA(edit->hwnd, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessageA(edit->hwnd, WM_CHAR, (u8)c, 0);
}

// The first duration field of a dialog's body.
SampleCountParts* durationOf(GDialog& d) {
    for (GFieldBinding* f = d.fields.head; f; f = f->next)
        if (auto* parts = dynamic_cast<SampleCountParts*>(f)) return parts;
    return nullptr;
}

// The edit line of the dialog that shows the text.
struct TextSearch {
    const char* text;
    HWND found;
};
BOOL CALLBACK matchText(HWND w, LPARAM l) {
    auto* s = reinterpret_cast<TextSearch*>(l);
    char got[64] = {};
    GetWindowTextA(w, got, sizeof got);
    if (strcmp(got, s->text) != 0) return TRUE;
    s->found = w;
    return FALSE;
}
GEditLine* editShowing(GDialog& d, const char* text) {
    TextSearch search = {text, nullptr};
    EnumChildWindows(d.hwnd, matchText, (LPARAM)&search);
    return search.found ? dynamic_cast<GEditLine*>(windowFromHandle(search.found)) : nullptr;
}

struct RowsFixture : EditorFixture {
    AppSettings saved = appSettings;
    CutFilterValues savedCut = cutFilterValues;
    BiquadValues savedBiquad = biquadValues;
    RowsFixture() { effectCommandHandler = runEffectCommand; }
    ~RowsFixture() {
        appSettings = saved;
        cutFilterValues = savedCut;
        biquadValues = savedBiquad;
    }
    // The handler on a processor bound as the Editor binds it for the action; the processor stays
    // with the caller.
    i32 handle(const char* name, u64 from, u64 to, std::unique_ptr<SoundBlockProcessor>* out) {
        select(from, to);
        out->reset(page->createSoundBlockProcessor(id(name)));
        if (!*out) return -9;
        return runEffectCommand(page, id(name), out->get());
    }
    // "sox file -n <effects> stat": the RMS amplitude it reports.
    f64 rms(const std::string& file, const std::string& effects) {
        std::string report = dir.file("stat.txt");
        runUnixTool("sox \"" + unixPath(file) + "\" -n " + effects + " stat 2> \"" + unixPath(report) + "\"");
        std::string text = dir.read("stat.txt"), line;
        std::istringstream lines(text);
        while (std::getline(lines, line))
            if (line.rfind("RMS     amplitude:", 0) == 0) return std::stod(line.substr(18));
        ADD_FAILURE() << "no RMS in: " << text;
        return 0;
    }
    std::string save(const std::string& name) {
        std::string out = dir.file(name);
        page->writeFile(out.c_str(), 0);
        EXPECT_TRUE(finished());
        return out;
    }
};

}  // namespace

// newCursor before, at, inside and after the range; the work and the new selection of a tempo, a
// stretch to the same length and a pitch scale.
TEST(TimeRows, CursorAndLengthArithmetic) {
    const f64 factor = 2.0;  // 2000 frames become 1000
    const struct {
        const char* where;
        u64 cursor, want;  // frames
        bool unset;
    } cursors[] = {
        {"before", 500, 0, true}, {"at the start", 1000, 0, true}, {"inside", 2001, 1500, false},
        {"at the end", 3000, 2000, false}, {"after", 5000, 4000, false},
    };
    for (const auto& c : cursors) {
        SCOPED_TRACE(c.where);
        const u64 got = cursorAfterResize(at(c.cursor), at(1000), at(3000), 1000 * fb, fb, factor);
        if (c.unset) EXPECT_EQ(got, unsetPosition);
        else EXPECT_EQ(got, at(c.want));
    }
    const struct {
        const char* what;
        f64 param1;
        bool vocoder;
        u64 newFrames, work;  // work in bytes
    } resizes[] = {
        {"TEMPO 2.0", 2.0, true, 1000, (1000 + 2000) * fb},
        {"STRETCH to the same length", stretchFactor(2000, 2000), true, 2000, 2 * 2000 * fb},
        {"STRETCH to twice", stretchFactor(2000, 4000), true, 4000, (4000 + 4000) * fb},
        {"PITCH_SCALE an octave down", 0.5, false, 4000, 4000 * fb},
    };
    for (const auto& r : resizes) {
        SCOPED_TRACE(r.what);
        auto p = seam(1000, 3000, 10000);
        p->param1 = r.param1;
        setResizedRange(*p, at(2500), r.vocoder);
        EXPECT_EQ(p->rangeLength, r.work);
        EXPECT_EQ(p->extraPositions[newSelectionStart], at(1000));
        EXPECT_EQ(p->extraPositions[newSelectionEnd], at(1000 + r.newFrames));
        EXPECT_EQ(p->extraPositions[newCursor], at(1000 + (u64)(1500 / r.param1)));
    }
    EXPECT_DOUBLE_EQ(stretchFactor(2000, 2000), 1.0);
}

// The fade choices of a period longer than the selection; the random pulsation fades nothing.
TEST(TimeRows, PulsationFadeChoicesWithALongPeriod) {
    const struct {
        u32 action, choice, fade;
    } cases[] = {{506, 0, 0}, {506, 1, 2000}, {506, 2, 1000}, {506, 3, 2000}, {509, 1, 2000}, {510, 3, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.action) + " choice " + std::to_string(c.choice));
        auto p = seam(1000, 3000, 10000);
        p->actionId = c.action;
        PulsationSettings s;
        s.depth = 0.5;
        s.upperDepth = 0.4;
        s.lowerDepth = 0.2;
        s.periodCount = 2500;  // at 44100: 453 frames at 8000
        s.periodRate = 44100;
        s.fadeChoice = c.choice;
        if (c.choice == 1) s.periodRate = 8000;  // 2500 frames, longer than the 2000 selected
        setPulsationParameters(*p, s);
        EXPECT_EQ(p->paramInt2, c.fade);
        EXPECT_DOUBLE_EQ(p->param1, c.action == 506 ? 0.5 : 0.4);
    }
}

// Fewer than 4 frames: a message and no dialog for every resampling action; 4 frames go on.
TEST(TimeRows, ShortSelectionsAreRefusedBeforeTheDialog) {
    RowsFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 0.1 sine 440")));
    for (const char* name : {"PITCH_SCALE", "PITCH", "TEMPO", "STRETCH", "VIBRATO", "VIBRATO_RANDOM"}) {
        SCOPED_TRACE(name);
        boxes.clear();
        int dialogs = 0;
        ModalScript any(TypeDialog, {[&](GDialog& d) {
                            ++dialogs;
                            ModalScript::post(d, IDCANCEL);
                        }});
        std::unique_ptr<SoundBlockProcessor> p;
        EXPECT_EQ(f.handle(name, 10, 13, &p), 0);
        EXPECT_EQ(dialogs, 0);
        EXPECT_TRUE(shown(RavoText::EffectTooShort));
        // Through the dispatch: nothing changes, the document stays unmodified.
        f.command(id(name));
        EXPECT_FALSE(f.page->modified);
        EXPECT_FALSE(f.page->history.canUndo());
        boxes.clear();
        EXPECT_EQ(f.handle(name, 10, 14, &p), 0);  // the dialog, cancelled
        EXPECT_EQ(dialogs, 1);
        EXPECT_TRUE(boxes.empty());
    }
}

// REMOVE_HUM and REMOVE_NOISE_*: fixed values and one pass; the filters' work is the selection
// times the passes; BQF_NOTCH's 12 semitones hand on one octave.
TEST(TimeRows, FilterRowsSetTheirFields) {
    RowsFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 1 sine 440")));
    const struct {
        const char* name;
        f64 p1, p2, p3;
    } presets[] = {{"REMOVE_HUM", 0.0, 50.0, 1.0 / 6.0},
                   {"REMOVE_NOISE_3000", 0.1, 3000.0, 1.0},
                   {"REMOVE_NOISE_5000", 0.1, 5000.0, 1.0},
                   {"REMOVE_NOISE_7000", 0.1, 7000.0, 1.0}};
    for (const auto& c : presets) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<SoundBlockProcessor> p;
        EXPECT_EQ(f.handle(c.name, 100, 600, &p), 1);
        EXPECT_EQ(p->param1, c.p1);
        EXPECT_EQ(p->param2, c.p2);
        EXPECT_EQ(p->param3, c.p3);
        EXPECT_EQ(p->paramInt, 1u);
        EXPECT_EQ(p->rangeLength, 500u * fb);
    }

    semitoneRatio(&biquadValues.interval, 12.0, IntervalUnit::Semitones);
    biquadValues.frequency = 2000.0;
    cutFilterValues.passes = 1;
    ModalScript notch(TypeGBQFFilterDialog, {[](GDialog& d) {
                          auto& q = static_cast<GBQFFilterDialog&>(d);
                          EXPECT_NE(q.interval, nullptr);
                          EXPECT_EQ(q.gain, nullptr);
                          retype(q.order->edit, "3");
                          ModalScript::click(d, IDOK);
                      }});
    std::unique_ptr<SoundBlockProcessor> p;
    EXPECT_EQ(f.handle("BQF_NOTCH", 100, 600, &p), 1);
    EXPECT_EQ(p->param1, 0.0);
    EXPECT_EQ(p->param2, 2000.0);
    EXPECT_EQ(p->param3, 1.0);
    EXPECT_EQ(p->paramInt, 3u);
    EXPECT_EQ(p->rangeLength, 3u * 500 * fb);
    EXPECT_EQ(cutFilterValues.passes, 3);  // shared with the cut filters

    // The band filters edit both frequencies; the pass count they show is the shared one.
    ModalScript band(TypeGFilterDialog, {[](GDialog& d) {
                         auto& q = static_cast<GFilterDialog&>(d);
                         EXPECT_STREQ(q.order->edit->text(), "3");
                         retype(q.frequency[0], "300");
                         retype(q.frequency[1], "1200");
                         ModalScript::click(d, IDOK);
                     }});
    EXPECT_EQ(f.handle("BAND_PASS_FILTER", 0, 1000, &p), 1);
    EXPECT_EQ(p->param1, 300.0);
    EXPECT_EQ(p->param2, 1200.0);
    EXPECT_EQ(p->rangeLength, 3u * 1000 * fb);
    ModalScript high(TypeGFilterDialog, {[](GDialog& d) {
                         auto& q = static_cast<GFilterDialog&>(d);
                         EXPECT_EQ(q.frequency[1], nullptr);
                         EXPECT_STREQ(q.frequency[0]->text(), "1200");
                         ModalScript::click(d, IDOK);
                     }});
    EXPECT_EQ(f.handle("HIGH_CUT_FILTER", 0, 1000, &p), 1);
    EXPECT_EQ(p->param1, 1200.0);
}

// INSWAVE from 1 frame, SETSIZE from 0, both to one hour; an untouched SETSIZE has nothing to do;
// a period kept at 44100 is used at 48000.
TEST(TimeRows, DurationsAndPeriods) {
    RowsFixture f;
    ASSERT_TRUE(f.open(f.make("-r 48000 -c 1 -b 16", "synth 0.5 sine 440")));  // 24000 frames
    const u64 start = f.page->dataStart;
    std::unique_ptr<SoundBlockProcessor> p;
    u32 limits[2] = {};
    ModalScript same(TypeDurationDialog, {[&](GDialog& d) {
                         SampleCountParts* parts = durationOf(d);
                         limits[0] = parts->minimum;
                         limits[1] = parts->maximum;
                         EXPECT_EQ(parts->count, 24000u);
                         ModalScript::click(d, IDOK);
                     }});
    EXPECT_EQ(f.handle("SETSIZE", 0, 0, &p), -1);
    EXPECT_EQ(limits[0], 0u);
    EXPECT_EQ(limits[1], 48000u * 3600);
    f.page->pane->setCursor(1000);
    appSettings.Editor.insWavePeriod = SamplePeriod{22050, 44100};
    ModalScript ins(TypeDurationDialog, {[&](GDialog& d) {
                        SampleCountParts* parts = durationOf(d);
                        limits[0] = parts->minimum;
                        limits[1] = parts->maximum;
                        EXPECT_EQ(parts->count, 24000u);
                        ModalScript::click(d, IDOK);
                    }});
    EXPECT_EQ(f.handle("INSWAVE", 0, 0, &p), 1);
    EXPECT_EQ(limits[0], 1u);
    EXPECT_EQ(limits[1], 48000u * 3600);
    EXPECT_EQ(p->rangeStart, start + 1000 * fb);
    EXPECT_EQ(p->rangeLength, 24000u * fb);
    EXPECT_EQ(p->rangeEnd, p->rangeStart + p->rangeLength);

    appSettings.Editor.vibrationPeriod = SamplePeriod{22050, 44100};
    ModalScript vibrato(TypeVibrationDialog, {[](GDialog& d) { ModalScript::click(d, IDOK); }});
    EXPECT_EQ(f.handle("VIBRATO", 0, 1000, &p), 1);
    EXPECT_EQ(p->periodFrames, 24000u);
    EXPECT_DOUBLE_EQ(p->param1, appSettings.Editor.pitchData_vibration.ratio);

    appSettings.Editor.pulsationPeriod = SamplePeriod{22050, 44100};
    appSettings.Editor.pulsationFade = 2;
    ModalScript pulse(TypePulsationDialog, {[](GDialog& d) { ModalScript::click(d, IDOK); }});
    EXPECT_EQ(f.handle("PULSATION", 0, 1000, &p), 1);
    EXPECT_EQ(p->periodFrames, 24000u);
    EXPECT_EQ(p->paramInt2, 500u);
    EXPECT_DOUBLE_EQ(p->param1, appSettings.Editor.ampData_pulse0.factor);
}

// TEMPO 2.0 and a STRETCH to half halve the length and keep the tone; undone, the bytes are the
// original ones; redone and saved, sox reads the result.
TEST(TimeRows, TempoAndStretchHalveTheSound) {
    RowsFixture f;
    std::string in = f.make("-r 8000 -c 1 -b 16", "synth 1 sine 300 vol 0.5");
    ASSERT_TRUE(f.open(in));
    const std::string before = f.bytes();
    appSettings.Editor.oldTempo = 120;
    appSettings.Editor.newTempo = 240;
    ModalScript dialogs(TypePitchShiftDialog, {[](GDialog& d) {
                            auto& q = static_cast<PitchShiftDialog&>(d);
                            if (q.length) retype(q.length->samples->edit, "4000");
                            ModalScript::click(d, IDOK);
                        }});
    for (const char* name : {"TEMPO", "STRETCH"}) {
        SCOPED_TRACE(name);
        f.select(0, 8000);
        f.command(id(name));
        ASSERT_TRUE(f.finished());
        ASSERT_TRUE(f.page->history.canUndo());
        EXPECT_EQ(f.page->pane->frameCount, 4000u);
        EXPECT_EQ(f.page->pane->selEnd, 4000u);
        f.command(EditorUndo);
        EXPECT_EQ(f.page->pane->frameCount, 8000u);
        EXPECT_TRUE(f.bytes() == before);
        f.command(EditorRedo);
        std::string out = f.save(std::string(name) + ".wav");
        EXPECT_EQ(fileSamples(out).size(), 4000u * fb);
        // The tone keeps its pitch: a band around 300 Hz holds most of the level.
        EXPECT_GT(f.rms(out, "bandpass 300 50"), 0.5 * f.rms(out, ""));
        ASSERT_TRUE(f.open(in));
    }
}

// REMOVE_HUM on 50 Hz + 1 kHz takes the 50 Hz part down by 20 dB or more and keeps the 1 kHz one;
// undone, the bytes are the original ones.
TEST(TimeRows, RemoveHumDropsFiftyHertz) {
    RowsFixture f;
    std::string in = f.make("-r 8000 -c 1 -b 16", "synth 2 sine 50 synth 2 sine mix 1000 vol 0.4");
    ASSERT_TRUE(f.open(in));
    const std::string before = f.bytes();
    f.page->pane->selectAllPlain();
    f.command(id("REMOVE_HUM"));
    ASSERT_TRUE(f.finished());
    f.command(EditorUndo);
    EXPECT_TRUE(f.bytes() == before);
    f.command(EditorRedo);
    std::string out = f.save("hum.wav");
    const f64 humBefore = f.rms(in, "trim 0.5 bandpass 50 10"), humAfter = f.rms(out, "trim 0.5 bandpass 50 10");
    const f64 toneBefore = f.rms(in, "trim 0.5 bandpass 1000 100"), toneAfter = f.rms(out, "trim 0.5 bandpass 1000 100");
    EXPECT_LT(humAfter, humBefore / 10.0) << humBefore << " -> " << humAfter;
    EXPECT_GT(toneAfter, toneBefore * 0.7) << toneBefore << " -> " << toneAfter;
}

// One run of each remaining family through the dispatch, its dialog accepted: the length sox reads
// afterwards, the samples changed, and the undo back to the original bytes.
TEST(TimeRows, EachFamilyRunsAndUndoes) {
    RowsFixture f;
    std::string in = f.make("-r 8000 -c 1 -b 16", "synth 1 sine 440 vol 0.5");  // 8000 frames
    ASSERT_TRUE(f.open(in));
    const std::string before = f.bytes();
    appSettings.Editor.insWavePeriod = SamplePeriod{1000, 8000};
    appSettings.Editor.pulsationPeriod = SamplePeriod{800, 8000};
    appSettings.Editor.vibrationPeriod = SamplePeriod{800, 8000};
    semitoneRatio(&appSettings.Editor.pitchData_vibration, 1.0, IntervalUnit::Semitones);
    semitoneRatio(&appSettings.Editor.pitchData_pitch, 12.0, IntervalUnit::Semitones);
    biquadValues.frequency = 500.0;
    cutFilterValues.low = 300.0;
    const struct {
        const char* name;
        u32 kind;
        u64 frames;  // after the run
    } cases[] = {
        {"SETSIZE", TypeDurationDialog, 6000},
        {"INSWAVE", TypeDurationDialog, 9000},
        {"PITCH_SCALE", TypePitchDialog, 4000},
        {"PITCH", TypePitchShiftDialog, 8000},
        {"PULSATION", TypePulsationDialog, 8000},
        {"PULSATION_RANDOM", TypePulsationDialog, 8000},
        {"VIBRATO", TypeVibrationDialog, 8000},
        {"LOW_CUT_FILTER", TypeGFilterDialog, 8000},
        {"BQF_LOW_PASS", TypeGBQFFilterDialog, 8000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool setSize = std::string(c.name) == "SETSIZE";
        ModalScript script(c.kind, {[&](GDialog& d) {
                               if (setSize) retype(editShowing(d, "8000"), "6000");
                               ModalScript::click(d, IDOK);
                           }});
        f.page->pane->selectAllPlain();
        f.page->pane->setCursor(0);
        f.command(id(c.name));
        ASSERT_TRUE(f.finished());
        EXPECT_EQ(script.runs, 1);
        ASSERT_TRUE(f.page->history.canUndo());
        EXPECT_EQ(f.page->pane->frameCount, c.frames);
        EXPECT_FALSE(f.bytes() == before);
        f.command(EditorUndo);
        EXPECT_EQ(f.page->pane->frameCount, 8000u);
        EXPECT_TRUE(f.bytes() == before);
        EXPECT_FALSE(f.page->history.canUndo());
    }
}

// Stop on the progress line during TEMPO and during a 3-pass biquad filter, each started through
// its dialog: no undo step, not modified, and the same bytes as before.
TEST(TimeRows, StopDuringTempoOrAThreePassBiquadLeavesTheSound) {
    RowsFixture f;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 120 sine 440")));
    const std::string original = f.bytes();
    appSettings.Editor.oldTempo = 100;
    appSettings.Editor.newTempo = 150;
    cutFilterValues.passes = 3;
    biquadValues.frequency = 1000.0;
    const struct {
        const char* name;
        u32 kind;
    } cases[] = {{"TEMPO", TypePitchShiftDialog}, {"BQF_LOW_PASS", TypeGBQFFilterDialog}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModalScript script(c.kind, {[](GDialog& d) { ModalScript::click(d, IDOK); }});
        f.select(0, f.page->pane->frameCount);
        ASSERT_TRUE(f.page->onCommand(id(c.name), nullptr));
        ASSERT_TRUE(f.page->running());
        GProgressLinePlacer* line = f.page->progressLine;
        ASSERT_TRUE(pumpUntil([&] { return !f.page->running() || line->committed + line->current > line->total / 3; },
                              20000));
        ASSERT_TRUE(f.page->running());
        line->requestStop();
        ASSERT_TRUE(f.finished());
        EXPECT_FALSE(f.page->history.canUndo());
        EXPECT_FALSE(f.page->modified);
        EXPECT_TRUE(f.bytes() == original);
    }
}

namespace {
// The fields set straight with the engine's calls, as a stand-in handler sets them.
i32 direct(EditorWindow*, u32 action, SoundBlockProcessor* p) {
    if (action == 404) {  // TEMPO 120 -> 180
        p->periodFrames = 2048;
        p->paramInt2 = 4;
        p->paramInt3 = 1;
        p->param1 = 1.5;
        return 1;
    }
    if (action == 506) {  // PULSATION
        PulsationSettings s;
        s.depth = 0.5;
        s.periodCount = 400;
        s.periodRate = 8000;
        s.fadeChoice = 2;
        setPulsationParameters(*p, s);
        return 1;
    }
    setBiquadPreset(*p, action);
    return 1;
}
}  // namespace

// Through the dialogs the result is the same as with the fields set straight by the engine calls.
TEST(TimeRows, DialogRunsEqualDirectRuns) {
    RowsFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 2 -b 16", "synth 1 sine 300 sine 700 vol 0.6")));
    EditorSettings& e = appSettings.Editor;
    e.oldTempo = 120;
    e.newTempo = 180;
    e.Pitch = PitchSettings();
    e.ampData_pulse0 = levelFactor(0.5);
    e.pulsationPeriod = SamplePeriod{400, 8000};
    e.pulsationFade = 2;
    const struct {
        const char* name;
        u32 kind;
    } cases[] = {{"TEMPO", TypePitchShiftDialog}, {"PULSATION", TypePulsationDialog}, {"REMOVE_NOISE_3000", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string results[2];
        for (int run = 0; run < 2; ++run) {
            effectCommandHandler = run == 0 ? runEffectCommand : direct;
            ModalScript script(c.kind ? c.kind : TypeDialog, {[](GDialog& d) { ModalScript::click(d, IDOK); }});
            f.select(1000, 7000);
            f.command(id(c.name));
            ASSERT_TRUE(f.finished());
            ASSERT_TRUE(f.page->history.canUndo());
            results[run] = f.bytes();
            f.command(EditorUndo);
        }
        EXPECT_TRUE(results[0] == results[1]);
    }
    effectCommandHandler = runEffectCommand;
}
