// The track dialogs: the table's balance and level texts, one track's regulators into coefficients,
// the modify dialog's edits, switches, moves and write-back, and the add and remove dialog's mapping
// and refusals. The dialogs are real windows; the inner track dialog runs modally.
#include "editor/track_dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program_texts.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/image_button.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/regulator.h"
#include "gui/input/input_event.h"
#include "gui/input/input_routing.h"
#include "gui/kernel/message_box.h"
#include "gui/views/table.h"
#include "tests/editor/editor_fixture.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/input_fixture.h"

namespace {

TrackRecord withCoefficients(f64 a, f64 b) {
    TrackRecord r = newTrackRecord();
    r.coef[0] = a;
    r.coef[1] = b;
    return r;
}

std::string cell(TrackTableModel& model, u64 row, i32 column) {
    GString scratch;
    const char* text = model.cellText(scratch, row, column);
    return text ? text : "";
}

// A format of n tracks whose layers run backwards, each named by its index.
SoundFormat backwards(u32 n, u32 flags = formatOwn) {
    SoundFormat f;
    f.setPlain(n, 8000, encodingInt16);
    f.flags = flags;
    for (u32 t = 0; t < n; ++t) {
        f.tracks[t].layer = n - 1 - t;
        snprintf(f.tracks[t].info, sizeof f.tracks[t].info, "t%u", t);
    }
    return f;
}

struct DialogFixture : EditorFixture {
    // Shown without a modal run, so that its buttons take clicks.
    void show(GDialog& d) {
        ShowWindow(d.hwnd, SW_SHOWNA);
        UpdateWindow(d.hwnd);
    }
    void altKey(GTable* table, u32 vk) {
        InputSeam seam;
        seam.held = {VK_MENU};
        GInputEvent event;
        ASSERT_TRUE(keyModifierState(WM_KEYDOWN, vk, 1, &event));
        event.target = table;
        routeKeyEvent(&event);
    }
};

}  // namespace

TEST(TrackRows, BalanceAndLevelTexts) {
    struct Case {
        f64 a, b;
        std::string balance, level;
        i32 regulator;
    };
    const Case cases[] = {
        {0.0, 0.0, "Silent", "-100.0 dB", 0},
        {0.0, 1.0, "Right only", "0.0 dB", 100},
        {1.0, 0.0, "Left only", "0.0 dB", -100},
        {0.5, 0.5, "Centre", "-3.0 dB", 0},
        {1.0, 0.5, "Left 50%", "0.0 dB", -50},
        {0.25, 1.0, "Right 75%", "0.0 dB", 75},
        {0.001, 0.0005, "Left 50%", "-30.0 dB", -50},
    };
    std::vector<TrackRecord> rows;
    for (const Case& c : cases) rows.push_back(withCoefficients(c.a, c.b));
    TrackTableModel model(rows, false, (u32)rows.size());
    for (u32 i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cell(model, i, 3), cases[i].balance);
        EXPECT_EQ(cell(model, i, 4), cases[i].level);
        EXPECT_EQ(trackBalance(rows[i]), cases[i].regulator);
    }
    // Regulators back into coefficients: +100 silences the left; -300 tenths is 0.001.
    TrackRecord r = newTrackRecord();
    setTrackCoefficients(r, 100, -300);
    EXPECT_EQ(r.coef[0], 0.0);
    EXPECT_DOUBLE_EQ(r.coef[1], 0.001);
    setTrackCoefficients(r, -40, 0);
    EXPECT_DOUBLE_EQ(r.coef[0], 1.0);
    EXPECT_DOUBLE_EQ(r.coef[1], 0.6);
    EXPECT_EQ(trackBalance(r), -40);
    // A new row of the add dialog: switched on, its own index unknown.
    std::vector<TrackRecord> added{newTrackRecord()};
    TrackTableModel list(added, true, 1);
    EXPECT_EQ(cell(list, 0, 7), "-1");
    EXPECT_EQ(cell(list, 0, 1), ravoText(RavoText::TrackOn));
}

TEST(TrackDialog, RegulatorsTextAndSwitchesOnOk) {
    DialogFixture f;
    TrackRecord r = withCoefficients(1.0, 0.5);
    r.flags = 2;
    GTrackDialog dialog(&f.owner, r, 1, 2);
    ASSERT_TRUE(dialog.build());
    EXPECT_EQ(dialog.balance->value, -50);
    EXPECT_EQ(std::string(dialog.sides[0]->text.c_str()), "50%");
    EXPECT_EQ(std::string(dialog.sides[1]->text.c_str()), "");
    EXPECT_FALSE(dialog.switches[0]->isChecked());
    EXPECT_TRUE(dialog.switches[1]->isChecked());
    dialog.balance->setValue(100);
    dialog.level->setValue(-300);
    EXPECT_EQ(std::string(dialog.sides[1]->text.c_str()), "100%");
    EXPECT_EQ(std::string(dialog.sides[2]->text.c_str()), "-30.0 dB");
    dialog.info->setTextQuiet("Left hand");
    dialog.switches[0]->setChecked(1);
    GStateQuery q{1, 0};
    dialog.onCommand(1, &q);
    EXPECT_EQ(dialog.result, 1);
    EXPECT_EQ(dialog.record.coef[0], 0.0);
    EXPECT_DOUBLE_EQ(dialog.record.coef[1], 0.001);
    EXPECT_STREQ(dialog.record.info, "Left hand");
    EXPECT_EQ(dialog.record.flags & 3, 3u);
    std::vector<TrackRecord> rows{dialog.record};
    TrackTableModel model(rows, false, 1);
    EXPECT_EQ(cell(model, 0, 3), "Right only");
}

TEST(ModifyTracksDialog, EditsSwitchesMovesAndWritesBack) {
    DialogFixture f;
    SoundFormat format = backwards(4);
    GModifyTracksDialog dialog(&f.owner, &format);
    ASSERT_TRUE(dialog.build("Tracks"));
    f.show(dialog);
    // Rows in display order: row r holds the track of layer r, its own index in column 7.
    TrackTableModel& model = *static_cast<TrackTableModel*>(dialog.table->model());
    for (u32 r = 0; r < 4; ++r) EXPECT_EQ(cell(model, r, 7), std::to_string(3 - r));

    // Three rows edited at once: the text and coefficients go to all, each keeps its track.
    dialog.table->clickRow(0, 2);
    dialog.updateButtons();
    EXPECT_TRUE(IsWindowEnabled(dialog.buttonList[0]->hwnd));
    EXPECT_FALSE(IsWindowEnabled(dialog.up->hwnd)) << "row 0 cannot move up";
    EXPECT_TRUE(IsWindowEnabled(dialog.down->hwnd));
    ModalScript script(TypeGTrackDialog, {[](GDialog& d) {
        auto& track = static_cast<GTrackDialog&>(d);
        track.info->setTextQuiet("Choir");
        track.balance->setValue(-20);
        saveWindowShot(d.hwnd, "track_dialog.bmp");
        ModalScript::click(d, 1);
    }});
    ModalScript::click(dialog, GModifyTracksDialog::Edit);
    ASSERT_EQ(script.runs, 1);
    for (u32 r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        EXPECT_STREQ(dialog.rows[r].info, "Choir");
        EXPECT_EQ(dialog.rows[r].layer, 3 - r);
        EXPECT_EQ(cell(model, r, 3), "Left 20%");
    }
    EXPECT_STREQ(dialog.rows[3].info, "t0");

    // The last row cannot move down; Alt+Up in the table moves it above row 2.
    dialog.table->clickRow(3, 3);
    dialog.updateButtons();
    EXPECT_FALSE(IsWindowEnabled(dialog.down->hwnd));
    f.altKey(dialog.table, VK_UP);
    EXPECT_EQ(dialog.rows[2].layer, 0u);
    EXPECT_EQ(dialog.rows[3].layer, 1u);

    // All off, then one back on through its check cell; OK writes tracks, layers and the mask.
    ModalScript::click(dialog, GModifyTracksDialog::AllOff);
    for (const TrackRecord& r : dialog.rows) EXPECT_EQ(r.flags & 1, 0u);
    model.setCellChecked(0, 1, true);
    GStateQuery q{1, 0};
    dialog.onCommand(1, &q);
    EXPECT_EQ(dialog.result, 1);
    const u32 layers[4] = {2, 3, 1, 0};
    for (u32 t = 0; t < 4; ++t) EXPECT_EQ(format.tracks[t].layer, layers[t]) << t;
    EXPECT_STREQ(format.tracks[0].info, "t0");
    EXPECT_STREQ(format.tracks[3].info, "Choir");
    EXPECT_EQ(format.trackOrder, nullptr);
    const u8 mask[4] = {0, 0, 0, 1};
    for (u32 t = 0; t < 4; ++t) EXPECT_EQ(format.selectionMask[t], mask[t]) << t;
    EXPECT_TRUE(format.flags & formatTracksChanged);
    ModalScript::unmark(dialog);
}

TEST(AddRemoveTracksDialog, MappingRefusalsAndNewRows) {
    DialogFixture f;
    SoundFormat format;
    format.setPlain(3, 8000, encodingInt16);
    GAddRemoveTracksDialog dialog(&f.owner, &format);
    ASSERT_TRUE(dialog.build("Add and remove"));
    f.show(dialog);
    // Existing tracks are not edited here.
    dialog.table->clickRow(2, 2);
    dialog.updateButtons();
    EXPECT_FALSE(IsWindowEnabled(dialog.buttonList[1]->hwnd));
    EXPECT_TRUE(IsWindowEnabled(dialog.buttonList[2]->hwnd));
    // Row 2 moved to the top: the mapping starts with 2.
    ModalScript::click(dialog, GAddRemoveTracksDialog::Up);
    ModalScript::click(dialog, GAddRemoveTracksDialog::Up);
    EXPECT_FALSE(IsWindowEnabled(dialog.up->hwnd));
    // A new track after the current row, shown with -1.
    ModalScript script(TypeGTrackDialog, {[](GDialog& d) { ModalScript::click(d, 1); }});
    ModalScript::click(dialog, GAddRemoveTracksDialog::Add);
    ASSERT_EQ(script.runs, 1);
    ASSERT_EQ(dialog.rows.size(), 4u);
    TrackTableModel& model = *static_cast<TrackTableModel*>(dialog.table->model());
    EXPECT_EQ(cell(model, 1, 7), "-1");
    EXPECT_TRUE(IsWindowEnabled(dialog.buttonList[1]->hwnd)) << "the new row may be edited";
    GStateQuery q{1, 0};
    dialog.onCommand(1, &q);
    EXPECT_EQ(dialog.result, 1);
    ASSERT_EQ(format.trackCount(), 4u);
    EXPECT_EQ(std::vector<i32>(format.trackOrder, format.trackOrder + 4), (std::vector<i32>{2, -1, 0, 1}));
    for (u32 t = 0; t < 4; ++t) EXPECT_EQ(format.tracks[t].layer, t);
    EXPECT_EQ(format.bytesPerFrame, 8u);

    // Every row removed: OK refuses and the dialog stays.
    GAddRemoveTracksDialog empty(&f.owner, &format);
    ASSERT_TRUE(empty.build("Add and remove"));
    f.show(empty);
    empty.table->clickRow(0, 3);
    ModalScript::click(empty, GAddRemoveTracksDialog::Remove);
    EXPECT_TRUE(empty.rows.empty());
    boxes.clear();
    empty.onCommand(1, &q);
    EXPECT_EQ(empty.result, -1);
    EXPECT_TRUE(shown(RavoText::TrackNoneLeft));
    EXPECT_EQ(format.trackCount(), 4u);

    // A stereo PCM sound takes no third track: the message, and no track dialog.
    SoundFormat pcm;
    pcm.setPcm(2, 8000, encodingInt16);
    GAddRemoveTracksDialog limited(&f.owner, &pcm);
    ASSERT_TRUE(limited.build("Add and remove"));
    f.show(limited);
    boxes.clear();
    ModalScript none(TypeGTrackDialog, {[](GDialog& d) { ModalScript::click(d, 2); }});
    ModalScript::click(limited, GAddRemoveTracksDialog::Add);
    EXPECT_EQ(none.runs, 0);
    EXPECT_TRUE(shown(RavoText::TrackPcmLimit));
    EXPECT_EQ(limited.rows.size(), 2u);
    for (GDialog* d : {(GDialog*)&dialog, (GDialog*)&empty, (GDialog*)&limited}) ModalScript::unmark(*d);
}
