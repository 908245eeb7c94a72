#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/program_texts.h"
#include "core/error.h"
#include "core/gfile.h"
#include "gui/input/system_input.h"
#include "gui/paint/colors.h"
#include "gui/paint/text_measure.h"
#include "gui/controls/status_line.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/frame/open_file_registry.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/table.h"
#include "spectrum/harmonic_pane.h"
#include "spectrum/harmonic_window.h"
#include "tests/gui/dialogs/scripted_file_dialog.h"
#include "tests/spectrum/harmonic_window_fixture.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
std::vector<std::string> boxes;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    boxes.push_back(text);
    return 1;
}
// File errors come through the error box.
void recordError(GWindow*, const char* text) { boxes.push_back(text); }
std::string& chosen = scriptedFileChoice();

// The harmonic dialog's answer: the values and switches it returns, and what it was shown.
struct DialogScript {
    bool ok = true;
    HarmonicRecord values{};
    u32 applied = 0;
    std::vector<i32> forms;
    std::vector<HarmonicRecord> shown;
} script;
bool scriptedDialog(GWindow*, i32 form, const char*, HarmonicRecord* values, u32* applied) {
    script.forms.push_back(form);
    script.shown.push_back(*values);
    if (!script.ok) return false;
    *values = script.values;
    *applied = script.applied;
    return true;
}

HarmonicRecord rec(double frequency, double amplitude = 1000.0) {
    HarmonicRecord r;
    memset(&r, 0, sizeof r);
    r.frequency = r.baseFrequency = frequency;
    r.amplitude = amplitude;
    HarmonicRecord::updateNote(&r);
    return r;
}

std::vector<HarmonicRecord> recordsOf(const HarmonicArray& a) { return std::vector<HarmonicRecord>(a.data, a.data + a.count); }
bool sameBytes(const std::vector<HarmonicRecord>& a, const std::vector<HarmonicRecord>& b) {
    return a.size() == b.size() && (a.empty() || memcmp(a.data(), b.data(), a.size() * sizeof(HarmonicRecord)) == 0);
}

using Page = SpectrumPage;

struct SpectrumWindowTest : ::testing::Test {
    TestApplication app;
    TempDir files;
    void SetUp() override {
        boxes.clear();
        script = DialogScript();
        setMessageBoxSink(recordBox);
        setErrorBoxHook(recordError);
        scriptedFileDialogs();
        SpectrumCalls::runSineGenDialog = scriptedDialog;
        SpectrumCalls::fitAfterFft = true;
        arrayFree(harmonicClipboard.records);
    }
    void TearDown() override {
        setMessageBoxSink(nullptr);
        setErrorBoxHook(nullptr);
        fileDialogSystem = fileDialogSystemDefaults;
        SpectrumCalls::runSineGenDialog = nullptr;
        chosen.clear();
    }
    std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};
}  // namespace

TEST_F(SpectrumWindowTest, CommandStatesFollowTheDocumentAndTheCaret) {
    Page p;
    const u32 docCommands[] = {SpectrumInsert, SpectrumEdit, SpectrumExportCsv, SpectrumDelete, SpectrumClear, SpectrumTest};
    for (u32 id : docCommands) EXPECT_EQ(p.page->commandState(id), CommandDisabled) << id;
    EXPECT_EQ(p.page->commandState(SpectrumImportCsv), CommandEnabled);
    EXPECT_FALSE(IsWindowEnabled(p.page->table->hwnd));
    EXPECT_EQ(p.page->table->rowCount(), 0u);

    // No harmonics: one empty row; EDIT there inserts.
    p.set({});
    EXPECT_EQ(p.page->table->rowCount(), 1u);
    EXPECT_TRUE(IsWindowEnabled(p.page->table->hwnd));
    EXPECT_EQ(p.page->commandState(SpectrumDelete), CommandDisabled);
    p.select({0}, 0);
    EXPECT_EQ(p.page->commandState(SpectrumEdit), CommandEnabled);
    script.values = rec(440.0, 5000.0);
    p.command(SpectrumEdit);
    ASSERT_EQ(p.page->list.count, 1u);
    EXPECT_EQ(script.forms, std::vector<i32>{HarmonicDialogOne});
    EXPECT_EQ(p.page->list[0].amplitude, 5000.0);

    p.set({rec(100), rec(200), rec(300)});
    const struct {
        i64 caret;
        i32 up, down;
    } cases[] = {{0, CommandDisabled, CommandEnabled}, {1, CommandEnabled, CommandEnabled},
                 {2, CommandEnabled, CommandDisabled}, {3, CommandEnabled, CommandDisabled}};
    for (const auto& c : cases) {
        p.select({}, c.caret);
        EXPECT_EQ(p.page->commandState(SpectrumCutUp), c.up) << c.caret;
        EXPECT_EQ(p.page->commandState(SpectrumCutDown), c.down) << c.caret;
    }
}

TEST_F(SpectrumWindowTest, SaveAndOpenRoundTripAndARejectedFileLeavesNoDocument) {
    Page a;
    a.set({rec(110, 3000), rec(220, 1500)}, 48000, 4096);
    a.select({0}, 0);
    a.command(SpectrumDelete);
    EXPECT_TRUE(a.page->history.canUndo());
    std::string path = files.file("one.ovt");
    a.page->saveDocument(path.c_str(), 0);
    EXPECT_FALSE(a.page->history.canUndo());
    EXPECT_FALSE(a.page->isModified());

    Page b(20);
    b.page->loadDocument(path.c_str(), nullptr);
    ASSERT_TRUE(b.page->hasDocument());
    EXPECT_TRUE(sameBytes(b.records(), a.records()));
    EXPECT_EQ(b.page->head.sampleRate, 48000u);
    EXPECT_EQ(b.page->head.fftSize, 4096u);
    EXPECT_EQ(b.page->table->rowCount(), 2u);
    EXPECT_EQ(b.page->pane->recordCount, 1);

    files.write("bad.ovt", "not a spectrum at all");
    std::string bad = files.file("bad.ovt");
    boxes.clear();
    b.page->loadDocument(bad.c_str(), nullptr);
    EXPECT_FALSE(b.page->hasDocument());
    EXPECT_EQ(b.page->documentPath(), nullptr);
    EXPECT_EQ(b.page->list.count, 0u);
    EXPECT_EQ(b.page->commandState(FileCommandSave), CommandDisabled);
    EXPECT_FALSE(boxes.empty());
    EXPECT_EQ(read(bad), "not a spectrum at all");
}

TEST_F(SpectrumWindowTest, SetHarmonicsTakesTheArrayAndRecomputesNotes) {
    Page p;
    HarmonicArray a;
    HarmonicRecord r = rec(440.0);
    r.note = 3;
    r.octave = 1;
    r.baseFrequency = 10.0;
    *a.append(1) = r;
    SpectrumHeader h;
    initSpectrumHeader(&h);
    h.flags &= ~spectrumNotesValid;
    p.page->setHarmonics(a, h);
    EXPECT_EQ(a.data, nullptr);
    EXPECT_EQ(a.count, 0u);
    ASSERT_EQ(p.page->list.count, 1u);
    EXPECT_EQ(p.page->list[0].note, 9u);
    EXPECT_EQ(p.page->list[0].octave, 4u);
    EXPECT_EQ(p.page->list[0].baseFrequency, 440.0);
    EXPECT_TRUE(p.page->isModified());
    EXPECT_EQ(p.page->table->rowCount(), 2u);
}

TEST_F(SpectrumWindowTest, DeleteAndCutsUndoAndRedoByteExact) {
    Page p;
    std::vector<HarmonicRecord> start;
    for (int i = 0; i < 7; ++i) start.push_back(rec(100.0 * (i + 1), 100.0 + i));
    p.set(start);
    p.select({2, 5}, 5);
    p.command(SpectrumDelete);
    ASSERT_EQ(p.page->list.count, 5u);
    std::vector<HarmonicRecord> after = p.records();
    EXPECT_EQ(after[2].frequency, 400.0);
    EXPECT_EQ(after[4].frequency, 700.0);
    p.command(SpectrumUndo);
    EXPECT_TRUE(sameBytes(p.records(), start));
    p.command(SpectrumRedo);
    EXPECT_TRUE(sameBytes(p.records(), after));
    p.command(SpectrumUndo);

    p.select({}, 3);
    p.command(SpectrumCutUp);
    ASSERT_EQ(p.page->list.count, 4u);
    EXPECT_EQ(p.page->list[0].frequency, 400.0);
    p.command(SpectrumUndo);
    EXPECT_TRUE(sameBytes(p.records(), start));
    p.select({}, 3);
    p.command(SpectrumCutDown);
    ASSERT_EQ(p.page->list.count, 4u);
    EXPECT_EQ(p.page->list[3].frequency, 400.0);
    p.command(SpectrumUndo);
    EXPECT_TRUE(sameBytes(p.records(), start));

    // Nothing selected but the empty row.
    p.select({7}, 7);
    p.command(SpectrumDelete);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(p.page->list.count, 7u);
}

TEST_F(SpectrumWindowTest, EditAppliesTheSwitchedValuesToEverySelectedRow) {
    Page p;
    p.set({rec(100, 1), rec(200, 2), rec(300, 3)});
    std::vector<HarmonicRecord> start = p.records();
    p.select({0, 2}, 0);
    script.values = rec(55.0, 777.0);
    script.values.overtone = 1;
    script.applied = ApplyAmplitude;
    p.command(SpectrumEdit);
    EXPECT_EQ(script.forms, std::vector<i32>{HarmonicDialogSeveral});
    EXPECT_EQ(script.shown[0].frequency, 100.0);
    EXPECT_EQ(p.page->list[0].amplitude, 777.0);
    EXPECT_EQ(p.page->list[0].frequency, 100.0);
    EXPECT_EQ(p.page->list[1].amplitude, 2.0);
    EXPECT_EQ(p.page->list[2].amplitude, 777.0);
    script.applied = ApplyBase | ApplyOvertone;
    p.command(SpectrumEdit);
    EXPECT_EQ(p.page->list[2].frequency, 110.0);
    EXPECT_EQ(p.page->list[2].amplitude, 777.0);
    p.command(SpectrumUndo);
    p.command(SpectrumUndo);
    EXPECT_TRUE(sameBytes(p.records(), start));

    // INSERT at the caret, the caret after it.
    p.select({}, 1);
    script.values = rec(150.0, 42.0);
    p.command(SpectrumInsert);
    ASSERT_EQ(p.page->list.count, 4u);
    EXPECT_EQ(p.page->list[1].frequency, 150.0);
    EXPECT_EQ(p.page->caretRow(), 2);
    EXPECT_EQ(defaultHarmonic().amplitude, 42.0);
    p.command(SpectrumUndo);
    EXPECT_TRUE(sameBytes(p.records(), start));
}

TEST_F(SpectrumWindowTest, StrongestPowerAndStatus) {
    Page p;
    p.set({rec(0.0, 500), rec(100, 300), rec(200, 400), rec(300, 400)}, 44100, 0);
    p.select({}, 0);
    p.command(SpectrumFftMain);
    EXPECT_EQ(p.page->caretRow(), 0);
    p.page->list[0].amplitude = 10;
    p.command(SpectrumFftMain);
    EXPECT_EQ(p.page->caretRow(), 2);

    p.select({0, 1}, 1);
    p.command(SpectrumGetPower);
    ASSERT_EQ(boxes.size(), 1u);
    char expected[128];
    snprintf(expected, sizeof expected, "%.3f", 300.0 / std::sqrt(2.0));
    EXPECT_NE(boxes[0].find(expected), std::string::npos) << boxes[0];

    const struct {
        u32 rate, fft;
        bool bin;
    } cases[] = {{44100, 0, false}, {0, 1024, false}, {0, 0, false}, {44100, 1024, true}};
    for (const auto& c : cases) {
        p.page->head.sampleRate = c.rate;
        p.page->head.fftSize = c.fft;
        p.page->refreshViews();
        StatusField* bin = p.page->documentLine->field(4);
        EXPECT_EQ(bin->text && *bin->text, c.bin) << c.rate << " " << c.fft;
    }
}

TEST_F(SpectrumWindowTest, ClipboardCarriesHeaderAndPasteIsOneStep) {
    Page a;
    a.set({rec(100), rec(200), rec(300)}, 22050, 2048);
    a.select({0, 2}, 0);
    a.command(SpectrumCopy);
    EXPECT_EQ(harmonicClipboard.records.count, 2u);

    Page b(20);
    EXPECT_EQ(b.page->commandState(SpectrumPaste), CommandEnabled);
    b.command(SpectrumPaste);
    ASSERT_TRUE(b.page->hasDocument());
    EXPECT_EQ(b.page->head.sampleRate, 22050u);
    EXPECT_EQ(b.page->head.fftSize, 2048u);
    ASSERT_EQ(b.page->list.count, 2u);
    EXPECT_EQ(b.page->list[1].frequency, 300.0);

    b.select({}, 1);
    b.command(SpectrumPaste);
    ASSERT_EQ(b.page->list.count, 4u);
    EXPECT_TRUE(b.page->table->selection()->isSelected(1));
    EXPECT_TRUE(b.page->table->selection()->isSelected(2));
    EXPECT_FALSE(b.page->table->selection()->isSelected(0));
    b.command(SpectrumUndo);
    EXPECT_EQ(b.page->list.count, 2u);

    // Cut of every row.
    a.command(SpectrumSelectAll);
    a.command(SpectrumCut);
    EXPECT_EQ(a.page->list.count, 0u);
    EXPECT_EQ(harmonicClipboard.records.count, 3u);
}

TEST_F(SpectrumWindowTest, SortKeepsDcFirstAndUndoes) {
    Page p;
    p.set({rec(300, 1), rec(0.0, 9), rec(100, 5), rec(0.0, 2), rec(200, 7)});
    std::vector<HarmonicRecord> start = p.records();
    p.page->sortByColumn(0, false);
    std::vector<double> f;
    for (const HarmonicRecord& r : p.records()) f.push_back(r.frequency);
    EXPECT_EQ(f, (std::vector<double>{0, 0, 300, 200, 100}));
    EXPECT_EQ(p.page->list[0].amplitude, 2.0);
    p.page->sortByColumn(6, true);
    EXPECT_EQ(p.page->list[0].amplitude, 1.0);
    EXPECT_EQ(p.page->list[4].amplitude, 9.0);
    p.command(SpectrumUndo);
    p.command(SpectrumUndo);
    EXPECT_TRUE(sameBytes(p.records(), start));
}

TEST_F(SpectrumWindowTest, ExportWritesNineFieldsAndImportReadsThemBack) {
    Page p;
    HarmonicRecord r = rec(440.0, 10000.0);
    p.set({r, rec(261.6, 20.5)});
    p.select({0}, 0);
    chosen = files.file("one.csv");
    p.command(SpectrumExportCsv);
    EXPECT_EQ(read(chosen), "440.000000;9;4;440.000000;0;2.272727;10000.000000;0.000000;0.000000\r\n");

    p.page->list[1].phase = 1.0;
    p.command(SpectrumSelectAll);
    chosen = files.file("all.csv");
    p.command(SpectrumExportCsv);
    std::vector<HarmonicRecord> start = p.records();

    Page q(20);
    q.command(SpectrumImportCsv);
    ASSERT_EQ(q.page->list.count, 2u);
    for (u32 i = 0; i < 2; ++i) {
        EXPECT_NEAR(q.page->list[i].frequency, start[i].frequency, 1e-6);
        EXPECT_EQ(q.page->list[i].note, start[i].note);
        EXPECT_EQ(q.page->list[i].octave, start[i].octave);
        EXPECT_NEAR(q.page->list[i].amplitude, start[i].amplitude, 1e-6);
        EXPECT_NEAR(q.page->list[i].phase, start[i].phase, 1e-7);
    }

    // At caret row 1 of the first page, one undo step.
    p.select({}, 1);
    p.command(SpectrumImportCsv);
    ASSERT_EQ(p.page->list.count, 4u);
    EXPECT_NEAR(p.page->list[1].frequency, 440.0, 1e-9);
    EXPECT_NEAR(p.page->list[3].frequency, 261.6, 1e-9);
    p.command(SpectrumUndo);
    EXPECT_TRUE(sameBytes(p.records(), start));
}

TEST_F(SpectrumWindowTest, ImportStopsAtTheFirstBadLine) {
    const std::string good = "440.000000;9;4;440.000000;0;2.272727;10000.000000;0.000000;0.000000\r\n";
    const struct {
        const char* second;
        const char* message;
    } cases[] = {
        {"220.0;x;3;220.0;0;0;5.0;0;0\r\n", "Bad integer format"},
        {"nan;9;3;220.0;0;0;5.0;0;0\r\n", "Bad double format"},
        {"220.0;9;3;220.0;0;0;inf;0;0\r\n", "Bad double format"},
        {"220.0;9;3;220.0;0;0;5.0;0;0;7\r\n", "too many"},
    };
    for (const auto& c : cases) {
        files.write("in.csv", good + c.second);
        chosen = files.file("in.csv");
        boxes.clear();
        Page p;
        p.command(SpectrumImportCsv);
        ASSERT_EQ(p.page->list.count, 1u) << c.second;
        EXPECT_EQ(p.page->list[0].frequency, 440.0);
        ASSERT_EQ(boxes.size(), 1u) << c.second;
        EXPECT_NE(boxes[0].find(c.message), std::string::npos) << boxes[0];
        p.command(SpectrumUndo);
        EXPECT_EQ(p.page->list.count, 0u);
    }
    files.write("empty.csv", "");
    chosen = files.file("empty.csv");
    Page e;
    e.command(SpectrumImportCsv);
    EXPECT_EQ(e.page->list.count, 0u);
    EXPECT_TRUE(e.page->history.canUndo());
}

TEST_F(SpectrumWindowTest, CaretAndMarkerFollowEachOther) {
    Page p;
    p.set({rec(100, 1000), rec(2000, 3000), rec(4000, 2000)});
    p.page->table->setCaretRow(1);
    EXPECT_EQ(p.page->pane->markerIndex, 1);
    EXPECT_EQ(p.page->lastCaretRow, 1);
    EXPECT_FALSE(harmonicSyncGuard);
    // A press in the pane over the third harmonic moves the table's caret there and nothing back.
    i32 x = p.page->pane->pixelOf(4000.0);
    RECT c;
    GetClientRect(p.page->pane->hwnd, &c);
    LPARAM at = MAKELPARAM(x, c.bottom / 2);
    SendMessageA(p.page->pane->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(p.page->pane->hwnd, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(p.page->caretRow(), 2);
    EXPECT_EQ(p.page->pane->markerIndex, 2);
    EXPECT_FALSE(harmonicSyncGuard);
    // The caret on the empty row removes the marker.
    p.page->table->setCaretRow(3);
    EXPECT_EQ(p.page->pane->markerIndex, -1);
}

namespace {
POINT fakeCursor;
BOOL fakeCursorPos(POINT* p) {
    *p = fakeCursor;
    return TRUE;
}

// The width the line needs to show its field texts whole.
i32 neededWidth(GStatusLine* line) {
    i32 w = 2;
    for (u32 i = 0; i < line->fields.count; ++i) {
        StatusField* f = line->field(i);
        if (f->text && *f->text) w += textExtent(getMessageFont(), f->text).cx + 6;
    }
    return w;
}
}  // namespace

TEST_F(SpectrumWindowTest, ZoomAndCursorLinesAreWideEnoughForTheirTexts) {
    Page p;
    p.set({rec(100.0, 3000), rec(11000.0, 20000)});
    // The cursor near the pane's right end: a five-digit frequency and a note.
    RECT pane;
    GetWindowRect(p.page->pane->hwnd, &pane);
    fakeCursor = POINT{pane.right - 3, (pane.top + pane.bottom) / 2};
    systemInput.cursorPos = fakeCursorPos;
    p.page->refreshCursorLine();
    systemInput.cursorPos = systemInputDefaults.cursorPos;
    ASSERT_TRUE(p.page->cursorLine->field(1)->text);
    p.page->zoomLine->setFieldTextF(0, ravoText(RavoText::HarmonicZoom), 123.457, 0.0123457);
    RedrawWindow(p.owner.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

    RECT doc, zoom, cursor;
    GetWindowRect(p.page->documentLine->hwnd, &doc);
    GetWindowRect(p.page->zoomLine->hwnd, &zoom);
    GetWindowRect(p.page->cursorLine->hwnd, &cursor);
    for (GStatusLine* line : {p.page->zoomLine, p.page->cursorLine}) {
        RECT r;
        GetClientRect(line->hwnd, &r);
        EXPECT_GE(r.right, neededWidth(line)) << line->field(0)->text;
        // Text is drawn across the line, not only at its left end.
        i32 half = r.right / 2;
        HDC dc = GetDC(line->hwnd);
        i32 inked = 0;
        for (i32 x = half; x < r.right - 4; ++x)
            for (i32 y = 2; y < r.bottom - 2; ++y) inked += GetPixel(dc, x, y) == toolkitColors.text;
        ReleaseDC(line->hwnd, dc);
        EXPECT_GT(inked, 5) << line->field(0)->text;
    }
    // Side by side in the bar: document, zoom, cursor, none over another, all inside the page.
    EXPECT_LE(doc.right, zoom.left);
    EXPECT_LE(zoom.right, cursor.left);
    RECT page;
    GetWindowRect(p.owner.hwnd, &page);
    EXPECT_LE(cursor.right, page.right);
    EXPECT_GT(doc.right - doc.left, 200);
}
