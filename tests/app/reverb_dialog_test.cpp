// The reverberation dialog built for real: taps from the rows, clicks of both buttons in its graph,
// header clicks sorting the table both ways, rows added and edited through the real echo dialog,
// Delete, the graph's scales stored on Cancel, a preset loaded through it, and the reflections the
// processor gets.
#include "app/reverb_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/program_file_dialogs.h"
#include "app/echo_dialog.h"
#include "app/program_texts.h"
#include "engine/echo_reflections.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/views/box.h"
#include "gui/kernel/message_box.h"
#include "gui/views/table.h"
#include "tests/gui/control_fixture.h"
#include "tests/app/nested_answer.h"
#include "tests/app/error_boxes.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dialogs/scripted_file_dialog.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/support/test_support.h"

namespace {
std::vector<std::string>& errors = ErrorBoxes::texts();

ReflectionRow row(u32 delay1, u32 delay2, f64 f1, f64 f2, u32 repeats, f64 decay = 1.0) {
    EchoBlock b;
    b.delay1 = delay1;
    b.delay2 = delay2;
    b.factor1 = f1;
    b.factor2 = f2;
    b.repeats = repeats;
    b.decay = decay;
    return rowOfBlock(b);
}

struct ReverbFixture {
    TestApplication app;
    ErrorBoxes boxes;
    InputSeam seam;
    ReverbSettings settings;
    ReverberationDialog d{nullptr};
    GString folder = reverbPresetDialog.folderText;  // a chosen file moves it
    explicit ReverbFixture(std::vector<ReflectionRow> rows = {}) {
        settings.data = std::move(rows);
        EXPECT_TRUE(buildReverberationBody(&d, "Reverberation", &settings, 44100));
        SetWindowPos(d.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        pumpUntil([] { return false; }, 50);
    }
    ~ReverbFixture() {
        fileDialogSystem = fileDialogSystemDefaults;
        reverbPresetDialog.folderText = folder;
        if (d.hwnd) DestroyWindow(d.hwnd);
    }
    void press(HWND w, bool left, POINT p) {
        seam.pointAt(w, p.x, p.y);
        SendMessageA(w, left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? MK_LBUTTON : MK_RBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageA(w, left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    void command(u32 id) {
        GStateQuery query{id, 0};
        d.onCommand(id, &query);
    }
    std::string cell(u64 r, i32 c) {
        GString s;
        const char* t = d.table->model()->cellText(s, r, c);
        return t ? t : "";
    }
    std::vector<u32> firstDelays() {
        std::vector<u32> v;
        for (const ReflectionRow& r : settings.data) v.push_back(blockOfRow(r).delay1);
        return v;
    }
};
}  // namespace

TEST(ReverbTaps, RowsGiveSortedTaps) {
    const std::vector<ReverbTap> taps = reverbTaps({row(100, 100, 0.5, 0.5, 3), row(150, 10, 0.9, 0.9, 0),
                                                    row(50, 500, 0.2, 2.0, 2)});
    ASSERT_EQ(taps.size(), 5u);
    const struct {
        f64 time, amplitude;
        u32 row;
    } expected[] = {{50, 0.2, 2}, {100, 0.5, 0}, {200, 0.25, 0}, {300, 0.125, 0}, {550, 0.4, 2}};
    for (size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(taps[k].time, expected[k].time) << k;
        EXPECT_DOUBLE_EQ(taps[k].amplitude, expected[k].amplitude) << k;
        EXPECT_EQ(taps[k].row, expected[k].row) << k;
    }
}

// One reflection per row, its delays in frames at the sound's rate and the damping as the shelf.
TEST(ReverbTaps, ReflectionsForTheProcessor) {
    EchoReflectionList* list = reverbReflections({row(100, 250, 0.5, 0.25, 3, 0.4), row(60, 60, 0.1, 0.1, 1)}, 48000);
    ASSERT_EQ(list->reflections.size(), 2u);
    const EchoReflection& r = list->reflections[0];
    EXPECT_EQ(r.delay, 4800u);
    EXPECT_EQ(r.spacing, 12000u);
    EXPECT_DOUBLE_EQ(r.gain, 0.5);
    EXPECT_DOUBLE_EQ(r.decay, 0.25);
    EXPECT_EQ(r.repeats, 3u);
    EXPECT_DOUBLE_EQ(r.shelfGain, 0.4);
    EXPECT_EQ(r.shelfFrequency, 500.0);
    EXPECT_EQ(list->reflections[1].delay, 2880u);
    delete list;
}

TEST(ReverberationDialog, GraphClicksAddAndRemoveRows) {
    ReverbFixture f({row(100, 100, 0.5, 0.5, 3)});
    TapGraph* g = f.d.graph;
    const RECT plot = plotAreaRect(*g);
    const POINT at = g->pointOf(2.5, 0.8);
    saveWindowShot(f.d.hwnd, "reverb_before.bmp");
    ASSERT_TRUE(rectContainsPoint(plot, at.x, at.y))
        << at.x << "," << at.y << " in " << plot.left << "," << plot.top << "," << plot.right << "," << plot.bottom;
    f.press(g->hwnd, true, at);
    ASSERT_EQ(f.settings.data.size(), 2u);
    const EchoBlock b = blockOfRow(f.settings.data[1]);
    EXPECT_EQ(b.delay1, 2500u);
    EXPECT_EQ(b.delay2, 2500u);
    EXPECT_DOUBLE_EQ(b.factor1, 0.8);
    EXPECT_DOUBLE_EQ(b.factor2, 0.8);
    EXPECT_EQ(b.repeats, 1u);
    EXPECT_EQ(b.decay, 1.0);
    EXPECT_EQ(b.tone, 500.0);
    EXPECT_EQ(f.cell(1, 5), "0%");
    EXPECT_EQ(f.d.selectedRow(), 1);
    EXPECT_EQ(f.d.taps.size(), 4u);
    pumpUntil([] { return false; }, 50);
    saveWindowShot(f.d.hwnd, "reverb_dialog.bmp");
    // The new tap is drawn where it was clicked.
    EXPECT_EQ(controls::pixelAt(g->hwnd, at.x, at.y), RGB(200, 0, 0));

    // Right: 3.6 s is more than 1000 ms from every tap; 2.0 s is 500 ms from the 2.5 s tap.
    f.press(g->hwnd, false, g->pointOf(3.6, 0.5));
    EXPECT_EQ(f.settings.data.size(), 2u);
    f.press(g->hwnd, false, g->pointOf(2.0, 0.5));
    ASSERT_EQ(f.settings.data.size(), 1u);
    EXPECT_EQ(blockOfRow(f.settings.data[0]).delay1, 100u);
    // Outside 0 < y <= 1 nothing is added.
    f.press(g->hwnd, true, g->pointOf(1.0, 1.05));
    EXPECT_EQ(f.settings.data.size(), 1u);
}

// Header clicks: column 1 ascending, then descending; damping does not sort.
TEST(ReverberationDialog, HeaderClicksSortBothWays) {
    ReverbFixture f({row(300, 10, 0.1, 0.1, 1), row(100, 10, 0.3, 0.1, 1), row(200, 10, 0.2, 0.1, 1)});
    GTable* t = f.d.table;
    auto header = [&](i32 column) {
        const RECT r = t->cellRect(0, column);
        return POINT{(r.left + r.right) / 2, t->headerHeightPixels() / 2};
    };
    f.press(t->hwnd, true, header(1));
    EXPECT_EQ(f.firstDelays(), std::vector<u32>({100, 200, 300}));
    f.press(t->hwnd, true, header(1));
    EXPECT_EQ(f.firstDelays(), std::vector<u32>({300, 200, 100}));
    f.press(t->hwnd, true, header(0));
    EXPECT_EQ(f.firstDelays(), std::vector<u32>({300, 200, 100}));  // factors 0.1, 0.2, 0.3
    f.press(t->hwnd, true, header(5));
    EXPECT_EQ(f.firstDelays(), std::vector<u32>({300, 200, 100}));
    EXPECT_EQ(f.cell(0, 1), "300 ms");
}

// Add through the real echo dialog (from the selected row), edit with a preset, Delete, Clear.
TEST(ReverberationDialog, RowsThroughTheEchoDialog) {
    ReverbFixture f({row(100, 100, 0.5, 0.5, 3)});
    EXPECT_EQ(f.d.selectedRow(), 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(f.d.hwnd, ReverbEditCommand)));
    ModalScript add(TypeEchoDialog, {[](GDialog& e) { ModalScript::click(e, IDOK); }});
    f.command(ReverbAddCommand);
    EXPECT_EQ(add.runs, 1);
    ASSERT_EQ(f.settings.data.size(), 2u);
    EXPECT_EQ(memcmp(f.settings.data[1].bytes, f.settings.data[0].bytes, 64), 0);
    EXPECT_EQ(f.d.selectedRow(), 1);

    // Edit the selected row: preset 12 (1000 ms, 0.5, 6 repeats) chosen in the echo dialog.
    NestedAnswer pick(TypeSelectDialog, [](GDialog& s) {
        HWND list = static_cast<GSelectDialog&>(s).list->hwnd;
        for (int k = 0; k < 11; ++k) {
            PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(list, WM_KEYUP, VK_DOWN, 0xC0000000);
        }
        ModalScript::post(s, 1);
    });
    ModalScript edit(TypeEchoDialog, {[](GDialog& e) {
        ModalScript::click(e, EchoPresetsCommand);  // the list is answered inside the click
        ModalScript::click(e, IDOK);
    }});
    f.command(ReverbEditCommand);
    ASSERT_EQ(f.settings.data.size(), 2u);
    const EchoBlock b = blockOfRow(f.settings.data[1]);
    EXPECT_EQ(b.delay1, 1000u);
    EXPECT_EQ(b.repeats, 6u);
    EXPECT_DOUBLE_EQ(b.factor1, 0.5);

    // Enter on the table edits the selected row (cancelled here); Insert adds one.
    f.seam.active = f.d.hwnd;
    SetFocus(f.d.table->hwnd);
    ASSERT_EQ(GetFocus(), f.d.table->hwnd);
    ModalScript keys(TypeEchoDialog, {[](GDialog& e) { ModalScript::click(e, IDCANCEL); }});
    PostMessageA(f.d.table->hwnd, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(pumpUntil([&] { return keys.runs == 1 && !pendingModalDialog(); }, 3000));
    EXPECT_EQ(f.settings.data.size(), 2u);
    ModalScript insert(TypeEchoDialog, {[](GDialog& e) { ModalScript::click(e, IDOK); }});
    PostMessageA(f.d.table->hwnd, WM_KEYDOWN, VK_INSERT, 0);
    EXPECT_TRUE(pumpUntil([&] { return f.settings.data.size() == 3; }, 3000));
    EXPECT_EQ(insert.runs, 1);
    // Delete from the keyboard, then Clear.
    SetFocus(f.d.table->hwnd);
    PostMessageA(f.d.table->hwnd, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(pumpUntil([&] { return f.settings.data.size() == 2; }, 1000));
    f.command(ReverbClearCommand);
    EXPECT_TRUE(f.settings.data.empty());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(f.d.hwnd, ReverbEditCommand)));
    EXPECT_TRUE(f.d.taps.empty());
}

// Cancel stores the graph's scales; a preset of count 0 loads an empty list, a huge count empties it
// with the wrong-format text.
TEST(ReverberationDialog, ScalesOnCancelAndPresets) {
    ReverbFixture f({row(100, 100, 0.5, 0.5, 3)});
    TempDir dir;
    scriptedFileDialogs();
    scriptedFileChoice() = dir.file("r.rvr");
    f.command(ReverbSaveCommand);
    const std::string saved = dir.read("r.rvr");
    ASSERT_EQ(saved.size(), 12u + 64u);
    f.command(ReverbClearCommand);
    f.command(ReverbLoadCommand);
    ASSERT_EQ(f.settings.data.size(), 1u);
    EXPECT_EQ(f.d.taps.size(), 3u);
    std::string huge = saved;
    huge[8] = huge[9] = huge[10] = huge[11] = '\xFF';
    dir.write("r.rvr", huge);
    f.command(ReverbLoadCommand);
    EXPECT_TRUE(f.settings.data.empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], ravoText(RavoText::PresetWrongFormat));

    f.command(GraphScalePlus);
    f.command(GraphHScalePlus);
    const double x = f.d.graph->scaleX, y = f.d.graph->scaleY;
    EXPECT_GT(x, 100.0);
    EXPECT_GT(y, 220.0);
    ModalScript::click(f.d, IDCANCEL);
    EXPECT_EQ(f.d.result, 2);
    EXPECT_EQ(f.settings.scaleX, x);
    EXPECT_EQ(f.settings.scaleY, y);
}
