// The analysis, generation and search rows in a real Editor: the ranges and requests they leave in
// the processor (seen through the handler seam), and real runs of FIND, FINDNEXT, FFT and SINE_GEN
// on sox sounds with their dialogs confirmed by clicks.
#include "editor/effect_rows_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "app/app_settings.h"
#include "app/fft_dialog.h"
#include "app/find_dialog.h"
#include "app/harmonic_dialog.h"
#include "editor/editor_window.h"
#include "editor/effect_command.h"
#include "editor/wave_pane.h"
#include "engine/analysis_requests.h"
#include "core/gfile.h"
#include "engine/find_params.h"
#include "engine/processor.h"
#include "tests/editor/editor_fixture.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dialogs/scripted_file_dialog.h"

namespace {

// What the handler left in the processor; the run goes on only when `run` is set.
struct Seen {
    i32 result = -2;
    u64 rangeStart = 0, rangeEnd = 0, rangeLength = 0;
    u32 mode = 0;
    bool fft = false, find = false;
    f64 threshold = 0.0;
    u32 window = 0;
    u8 singlePeak = 0, sumChannels = 0, phaseRefine = 0;
    FindParams search;
};
Seen seen;
bool run = false;

i32 seeing(EditorWindow* editor, u32 id, SoundBlockProcessor* p) {
    seen = Seen();
    seen.result = runEffectCommand(editor, id, p);
    seen.rangeStart = p->rangeStart;
    seen.rangeEnd = p->rangeEnd;
    seen.rangeLength = p->rangeLength;
    seen.mode = p->paramInt;
    if (auto* a = dynamic_cast<FftAnalysis*>(p->auxObject)) {
        seen.fft = true;
        seen.threshold = a->peakThreshold;
        seen.window = a->windowType;
        seen.singlePeak = a->singlePeak;
        seen.sumChannels = a->sumChannels;
        seen.phaseRefine = a->phaseRefine;
    }
    if (auto* f = dynamic_cast<FindParams*>(p->auxObject)) {
        seen.find = true;
        seen.search.inSelection = f->inSelection;
        seen.search.forward = f->forward;
        seen.search.jumps = f->jumps;
        seen.search.clipping = f->clipping;
        seen.search.mode = f->mode;
        seen.search.period = f->period;
        seen.search.level = f->level;
    }
    return run ? seen.result : 0;
}

struct RowsFixture : EditorFixture {
    AppSettings saved = appSettings;
    HarmonicRecord savedSine = sineDefaults();
    RowsFixture() {
        effectCommandHandler = seeing;
        run = false;
    }
    ~RowsFixture() {
        appSettings = saved;
        sineDefaults() = savedSine;
    }
    // Frame numbers of the sound's store.
    u64 frame(u64 byte) const { return (byte - page->dataStart) / page->format.bytesPerFrame; }
};

void setKind(i32 kind) { std::memcpy(appSettings.Editor.find + 4, &kind, 4); }

// Overwrites 16-bit mono samples of a WAVE file from frame `at` on.
void plant(const std::string& path, size_t at, std::initializer_list<i16> values) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const size_t data = bytes.find("data");
    ASSERT_NE(data, std::string::npos);
    f.seekp((std::streamoff)(data + 8 + at * 2));
    for (i16 v : values) f.write(reinterpret_cast<const char*>(&v), 2);
}

void confirm(GDialog& d) { ModalScript::click(d, IDOK); }

const u32 fftGen = 449, sineGen = 451;

}  // namespace

TEST(AnalysisRows, FftFrameLimits) {
    const struct {
        u64 frames;
        i32 fit;
    } cases[] = {{0, -1}, {2, -1}, {3, 0}, {1ull << 26, 0}, {(1ull << 26) + 1, 1}};
    for (const auto& c : cases) EXPECT_EQ(c.fit, fftFramesFit(c.frames)) << c.frames;
}

TEST(AnalysisRows, FftRangesAndRequest) {
    RowsFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 1 sine 1000")));
    FourierSettings& s = appSettings.Editor.Fourier;
    s.ampLimit = 12.5;
    s.windowFunction = 3;
    s.newTabMode = 2;
    s.multiChannelMode = 1;
    s.restoreTrueFrequencies = 1;
    s.defaultSize = 4096;
    const struct {
        const char* what;
        u32 selection;
        u64 selFrom, selTo, cursor;
        i32 answer;  // to the whole-sound question
        i32 result;
        u64 from, to;
        RavoText box;
    } cases[] = {
        {"around a cursor near the start", 0, 0, 0, 100, 6, 1, 0, 2148, RavoText::Count},
        {"around a cursor at half the size", 0, 0, 0, 2048, 6, 1, 0, 4096, RavoText::Count},
        {"around a cursor near the end", 0, 0, 0, 7000, 6, 1, 4952, 8000, RavoText::Count},
        {"a selection of 2 frames", 1, 10, 12, 0, 6, 0, 0, 0, RavoText::FftTooShort},
        {"a selection of 3 frames", 1, 10, 13, 0, 6, 1, 10, 13, RavoText::Count},
        {"no selection, whole sound declined", 1, 0, 0, 0, 7, 0, 0, 0, RavoText::EditorWholeSound},
        {"no selection, whole sound taken", 1, 0, 0, 0, 6, 1, 0, 8000, RavoText::EditorWholeSound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        boxAnswer = c.answer;
        s.selection = c.selection;
        f.select(c.selFrom, c.selTo);
        f.page->pane->setCursor(c.cursor);
        f.command(EditorFftRepeat);
        EXPECT_EQ(seen.result, c.result);
        if (c.box != RavoText::Count) {
            EXPECT_TRUE(shown(c.box));
        }
        if (c.result != 1) continue;
        EXPECT_EQ(f.frame(seen.rangeStart), c.from);
        EXPECT_EQ(f.frame(seen.rangeEnd), c.to);
        EXPECT_EQ(seen.rangeLength, seen.rangeEnd - seen.rangeStart);
        EXPECT_EQ(seen.mode, 2u);
        ASSERT_TRUE(seen.fft);
        EXPECT_EQ(seen.threshold, 12.5);
        EXPECT_EQ(seen.window, 3u);
        EXPECT_EQ(seen.singlePeak, 1);
        EXPECT_EQ(seen.sumChannels, 1);
        EXPECT_EQ(seen.phaseRefine, 1);
    }
    // The whole sound taken is selected in the pane.
    EXPECT_EQ(f.page->pane->selStart, 0u);
    EXPECT_EQ(f.page->pane->selEnd, 8000u);
}

TEST(AnalysisRows, FftRefusesSeveralTracksInModeZeroAndNoTrack) {
    RowsFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 2 -b 16", "synth 0.5 sine 1000")));
    FourierSettings& s = appSettings.Editor.Fourier;
    s.selection = 1;
    f.select(0, 1000);
    s.multiChannelMode = 0;
    f.command(EditorFftRepeat);
    EXPECT_EQ(seen.result, 0);
    EXPECT_TRUE(shown(RavoText::FftSeveralTracks));
    s.multiChannelMode = 2;
    f.command(EditorFftRepeat);
    EXPECT_EQ(seen.result, 1);
    EXPECT_EQ(seen.sumChannels, 0);

    boxes.clear();
    for (u32 t = 0; t < f.page->format.trackCount(); ++t) f.page->format.tracks[t].flags &= ~trackSelected;
    for (u32 id : {EditorFftRepeat, EditorFindNext}) {
        seen = Seen();
        f.page->lastFindKind = 0;
        f.command(id);
        EXPECT_EQ(seen.result, 0) << id;
    }
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(shown(RavoText::EditorNoTrack));
}

TEST(AnalysisRows, FindRangesAndRequest) {
    RowsFixture f;
    // At 22050 Hz the periods kept at 44100 Hz are halved.
    ASSERT_TRUE(f.open(f.make("-r 22050 -c 1 -b 16", "synth 1 sine 440")));
    EditorSettings& e = appSettings.Editor;
    e.defect_period = {10, 44100};
    e.silence_period = {2205, 44100};
    e.ampData_defect = levelFactor(0.1);
    e.ampData_silence_sound = levelFactor(0.001);
    const struct {
        const char* what;
        u8 inSelection, forward;
        i32 kind;
        u64 selFrom, selTo, cursor;
        u64 from, to;
    } cases[] = {
        {"defects forward from the cursor", 0, 1, 0, 0, 0, 1000, 1000, 22050},
        {"defects backward to the cursor", 0, 0, 0, 0, 0, 1000, 0, 1000},
        {"the peak of the whole sound", 0, 0, 2, 0, 0, 1000, 0, 22050},
        {"silence in the selection, cursor on its start", 1, 1, 1, 200, 600, 200, 200, 600},
        {"silence backward, cursor on the selection's end", 1, 0, 1, 200, 600, 600, 200, 600},
        {"forward from a cursor inside the selection", 1, 1, 0, 200, 600, 300, 300, 600},
        {"the peak backward up to a cursor inside", 1, 0, 2, 200, 600, 300, 200, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        e.find[0] = c.inSelection;
        e.find[1] = c.forward;
        setKind(c.kind);
        f.select(c.selFrom, c.selTo);
        f.page->pane->setCursor(c.cursor);
        f.page->lastFindKind = 0;
        f.command(EditorFindNext);
        ASSERT_EQ(seen.result, 1);
        ASSERT_TRUE(seen.find);
        EXPECT_EQ(f.frame(seen.rangeStart), c.from);
        EXPECT_EQ(f.frame(seen.rangeEnd), c.to);
        EXPECT_EQ(seen.rangeLength, seen.rangeEnd - seen.rangeStart);
        EXPECT_EQ(seen.search.mode, (u32)c.kind);
        EXPECT_EQ(seen.search.period, c.kind == 0 ? 5u : 1102u);
        EXPECT_EQ(seen.search.level, c.kind == 0 ? 3277.0 : 33.0);
        EXPECT_EQ(seen.search.inSelection, c.inSelection);
        EXPECT_EQ(seen.search.forward, c.forward);
    }
    // The selection asked for but empty: the whole sound is offered.
    e.find[0] = 1;
    setKind(1);
    f.select(0, 0);
    f.page->pane->setCursor(0);
    boxes.clear();
    boxAnswer = 7;
    f.command(EditorFindNext);
    EXPECT_EQ(seen.result, 0);
    boxAnswer = 6;
    f.command(EditorFindNext);
    EXPECT_EQ(seen.result, 1);
    EXPECT_EQ(f.frame(seen.rangeStart), 0u);
    EXPECT_EQ(f.frame(seen.rangeEnd), 22050u);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(shown(RavoText::EditorWholeSound));
}

// A click, a silence and the peak planted in a quiet sine: FIND moves the cursor to each, FINDNEXT
// finds the next click with the stored answers, and the peak's value is told in a box.
TEST(AnalysisRows, FindMovesTheCursorToWhatWasPlanted) {
    RowsFixture f;
    run = true;
    std::string in = f.make("-r 8000 -c 1 -b 16", "synth 1 sine 440 vol 0.1");
    plant(in, 3000, {20000});
    plant(in, 6000, {-20000});
    {
        std::fstream file(in, std::ios::in | std::ios::out | std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        file.seekp((std::streamoff)(bytes.find("data") + 8 + 6200 * 2));
        file.write(std::string(1000 * 2, '\0').data(), 1000 * 2);
    }
    plant(in, 7600, {-30000});
    ASSERT_TRUE(f.open(in));
    EditorSettings& e = appSettings.Editor;
    e.ampData_defect = levelFactor(0.1);
    e.defect_period = {10, 44100};
    e.ampData_silence_sound = levelFactor(0.001);
    e.silence_period = {2205, 44100};  // 400 frames here
    e.find[0] = 0;
    e.find[1] = 1;
    e.find[2] = 1;
    e.find[3] = 1;

    setKind(0);
    f.page->pane->setCursor(100);
    ModalScript defect(TypeFindDialog, {confirm});
    f.command(EditorFind);
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(defect.runs, 1);
    EXPECT_EQ(seen.result, 1);
    EXPECT_EQ(f.page->pane->cursor, 3000u);
    EXPECT_FALSE(f.page->history.canUndo());  // a search changes nothing

    f.page->pane->setCursor(3100);
    f.command(EditorFindNext);
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(f.page->pane->cursor, 6000u);

    // The first frame of the first run of 400 quiet frames after the cursor.
    const std::string samples = f.bytes();
    u64 expected = 0;
    for (u64 start = 6100, count = 0, k = 6100; k < 8000; ++k) {
        if (std::abs(sampleAt(samples, k)) <= 33) {
            if (count++ == 0) start = k;
            if (count == 400) {
                expected = start;
                break;
            }
        } else {
            count = 0;
        }
    }
    ASSERT_GE(expected, 6190u);
    ASSERT_LE(expected, 6200u);
    setKind(1);
    f.page->pane->setCursor(6100);
    ModalScript silence(TypeFindDialog, {confirm});
    f.command(EditorFind);
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(f.page->pane->cursor, expected);

    boxes.clear();
    setKind(2);
    ModalScript peak(TypeFindDialog, {confirm});
    f.command(EditorFind);
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(f.page->pane->cursor, 7600u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Peak value -30000 ", 0), 0u) << boxes[0];
}

TEST(AnalysisRows, FftOfASoxSineFindsItsFrequency) {
    RowsFixture f;
    run = true;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 1 -b 16", "synth 1 sine 1000 vol 0.5")));
    FourierSettings& s = appSettings.Editor.Fourier;
    s.newTabMode = 2;
    s.selection = 1;
    s.multiChannelMode = 0;
    f.page->pane->selectAllPlain();
    ModalScript script(TypeFFTDialog, {confirm});
    f.command(EditorFft);
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(script.runs, 1);
    ASSERT_EQ(boxes.size(), 1u);
    f64 hz = 0;
    ASSERT_EQ(1, std::sscanf(boxes[0].c_str(), "Peak at %lf Hz", &hz)) << boxes[0];
    EXPECT_NEAR(hz, 1000.0, 0.1);
}

TEST(AnalysisRows, SineGeneratorMatchesSox) {
    RowsFixture f;
    run = true;
    std::string in = f.make("-r 44100 -c 1 -b 16", "trim 0 1");
    ASSERT_TRUE(f.open(in));
    f.page->pane->selectAllPlain();
    HarmonicRecord start = sineDefaults();
    ModalScript script(TypeHarmonicOneDialog, {confirm});
    f.command(sineGen);
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(seen.result, 1);
    EXPECT_EQ(sineDefaults().frequency, 440.0);
    EXPECT_EQ(sineDefaults().amplitude, start.amplitude);

    std::string sox = f.dir.file("sine.wav");
    // Made at its own rate (not resampled from sox's default).
    ASSERT_EQ(0, runSox("-D -r 44100 -n -r 44100 -c 1 -b 16 \"" + unixPath(sox) + "\" synth 1 sine 440 vol " +
                        std::to_string(10000.0 / 32767.0)));
    const std::string got = f.bytes(), expected = fileSamples(sox);
    ASSERT_EQ(got.size(), expected.size());
    i32 worst = 0;
    for (size_t i = 0; i < got.size() / 2; ++i) worst = std::max(worst, std::abs(sampleAt(got, i) - sampleAt(expected, i)));
    EXPECT_LE(worst, 1);
}

// FFT_GEN: the spectrum file chosen in the open dialog (one 500 Hz harmonic over a period of the
// sound's length) becomes that sine in the selection; a cancelled dialog changes nothing.
TEST(AnalysisRows, SpectrumFileGeneratesItsHarmonics) {
    RowsFixture f;
    run = true;
    scriptedFileDialogs();
    std::string in = f.make("-r 8000 -c 1 -b 16", "trim 0 1");
    ASSERT_TRUE(f.open(in));
    const u64 frames = f.page->dataLength / 2;
    ASSERT_EQ(frames, 8000u);
    std::string spectrum = f.dir.file("one.ovt");
    {
        SpectrumHeader header;
        initSpectrumHeader(&header);
        header.sampleRate = 8000;
        header.fftSize = (u32)frames;
        HarmonicArray harmonics;
        resizeHarmonicArray(harmonics, 1);
        harmonics.count = 1;
        std::memset(&harmonics[0], 0, sizeof(HarmonicRecord));
        harmonics[0].amplitude = 8000.0;
        harmonics[0].frequency = harmonics[0].baseFrequency = 500.0;
        GFile file;
        ASSERT_TRUE(fileOpen(file, spectrum.c_str(), FileFlag::Write | FileFlag::Create | FileFlag::Truncate));
        ASSERT_TRUE(writeSpectrumFile(&header, harmonics, file));
        fileClose(file);
        arrayFree(harmonics);
    }
    f.page->pane->selectAllPlain();
    scriptedFileChoice().clear();
    f.command(fftGen);
    EXPECT_EQ(seen.result, 0);
    EXPECT_FALSE(f.page->history.canUndo());

    scriptedFileChoice() = spectrum;
    f.command(fftGen);
    ASSERT_TRUE(f.finished());
    fileDialogSystem = fileDialogSystemDefaults;
    EXPECT_EQ(seen.result, 1);
    const std::string got = f.bytes();
    f64 power = 0;
    u32 crossings = 0;
    for (size_t k = 0; k < frames; ++k) {
        power += (f64)sampleAt(got, k) * sampleAt(got, k);
        if (k && (sampleAt(got, k - 1) < 0) != (sampleAt(got, k) < 0)) ++crossings;
    }
    EXPECT_NEAR(std::sqrt(power / (f64)frames), 8000.0 / std::sqrt(2.0), 100.0);
    EXPECT_NEAR((f64)crossings, 2.0 * 500.0 * (f64)frames / 8000.0, 2.0);
}
