// The equalizer dialog built for real: its rows of sliders for 9 and 21 bands, reset, the band
// layout dialog run modally with its checks, preset files saved and loaded through the dialog's
// commands (a refused file keeps the sliders), and the bank stored on OK.
#include "app/equalizer_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/program_file_dialogs.h"
#include "app/program_texts.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/regulator.h"
#include "gui/controls/value_field.h"
#include "gui/kernel/message_box.h"
#include "tests/app/error_boxes.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dialogs/scripted_file_dialog.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
std::vector<std::string>& errors = ErrorBoxes::texts();

struct EqFixture {
    TestApplication app;
    ErrorBoxes boxes;
    AppSettings saved = appSettings;
    GeometricScale record;
    GString folder = equalizerPresetDialog.folderText;  // a chosen file moves it
    ~EqFixture() {
        fileDialogSystem = fileDialogSystemDefaults;
        equalizerPresetDialog.folderText = folder;
        appSettings = saved;
    }
};

i32 topOf(GWindow* w) {
    RECT r;
    GetWindowRect(w->hwnd, &r);
    return r.top;
}

std::vector<i32> values(EqualizerDialog& d) {
    std::vector<i32> v;
    for (GRegulator* s : d.sliders) v.push_back((i32)s->value);
    return v;
}

void command(GDialog& d, u32 id) {
    GStateQuery query{id, 0};
    d.onCommand(id, &query);
}

void typeText(GEditLine* edit, const std::string& text) {
    SendMessageA(edit->hwnd, EM_SETSEL, 0, -1);
    SendMessageA(edit->hwnd, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessageA(edit->hwnd, WM_CHAR, (u8)c, 0);
}
}  // namespace

TEST(EqualizerDialog, BandsInRowsOfTwenty) {
    EqFixture f;
    const struct {
        f64 start, end, ratio;
        u32 bands;
        std::vector<size_t> rowStarts;
    } cases[] = {
        {50.0, 20000.0, 2.0, 9, {0}},
        {100.0, 100.0 * std::pow(1.2, 20.5), 1.2, 21, {0, 20}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bands);
        f.record.set(c.start, c.end, c.ratio);
        EqualizerDialog d(nullptr);
        ASSERT_TRUE(buildEqualizerBody(&d, "Equalizer", &f.record));
        ASSERT_EQ(d.sliders.size(), c.bands);
        SetWindowPos(d.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        saveWindowShot(d.hwnd, c.bands == 9 ? "equalizer_9.bmp" : "equalizer_21.bmp");
        for (size_t k = 0; k < d.sliders.size(); ++k) {
            const bool starts = std::find(c.rowStarts.begin(), c.rowStarts.end(), k) != c.rowStarts.end();
            if (!starts) {
                EXPECT_EQ(topOf(d.sliders[k]), topOf(d.sliders[k - 1])) << k;
            } else if (k) {
                EXPECT_GT(topOf(d.sliders[k]), topOf(d.sliders[k - 1])) << k;
            }
            EXPECT_EQ(d.sliders[k]->minimum, -20);
            EXPECT_EQ(d.sliders[k]->maximum, 20);
        }
        DestroyWindow(d.hwnd);
    }
    // A remembered bank whose ratio would make millions of bands shows the default one.
    f.record.set(50.0, 20000.0, 2.0);
    f.record.factor = 1.0000001;
    EqualizerDialog damaged(nullptr);
    ASSERT_TRUE(buildEqualizerBody(&damaged, "Equalizer", &f.record));
    EXPECT_EQ(damaged.sliders.size(), 9u);
    DestroyWindow(damaged.hwnd);
    // The labels of the default bank: 50, 100 ... 12800.
    f.record.set(50.0, 20000.0, 2.0);
    EqualizerDialog d(nullptr);
    ASSERT_TRUE(buildEqualizerBody(&d, "Equalizer", &f.record));
    std::vector<std::string> labels;
    for (GLabel* label : d.bandLabels) labels.push_back(label->text.c_str());
    EXPECT_EQ(labels, std::vector<std::string>({"50", "100", "200", "400", "800", "1600", "3200", "6400", "12800"}));
    DestroyWindow(d.hwnd);
}

// The layout dialog refuses 20..20000 at 1.05 and stays open; at 1.1 the bank gets 73 bands at 0.
TEST(EqualizerDialog, BandLayoutDialogChecksThenRebuilds) {
    EqFixture f;
    f.record.set(50.0, 20000.0, 2.0);
    f.record.values.data[0] = 5;
    EqualizerDialog d(nullptr);
    ASSERT_TRUE(buildEqualizerBody(&d, "Equalizer", &f.record));
    const struct {
        const char *low, *high, *ratio;
        RavoText refusal;
    } refused[] = {
        {"20", "20000", "1.05", RavoText::EqTooManyBands},
        {"100", "100", "2", RavoText::EqLowNotBelowHigh},
        {"0.5", "100", "2", RavoText::EqLowTooLow},
        {"20", "1000000.5", "2", RavoText::EqHighTooHigh},
    };
    std::vector<std::string> seen;
    std::vector<ModalScript::Step> steps;
    for (const auto& c : refused)
        steps.push_back([&, c](GDialog& dialog) {
            auto& layout = static_cast<EqualizerLayoutDialog&>(dialog);
            typeText(layout.lowest, c.low);
            typeText(layout.highest, c.high);
            typeText(layout.ratio->editOf(IntervalUnit::Ratio), c.ratio);
            const size_t before = errors.size();
            ModalScript::click(dialog, IDOK);
            seen.push_back(errors.size() == before + 1 && dialog.result == -1 ? errors.back() : "not refused");
        });
    steps.push_back([&](GDialog& dialog) {
        auto& layout = static_cast<EqualizerLayoutDialog&>(dialog);
        typeText(layout.lowest, "20");
        typeText(layout.highest, "20000");
        typeText(layout.ratio->editOf(IntervalUnit::Ratio), "1.1");
        ModalScript::click(dialog, IDOK);
    });
    appSettings.Editor.equalizer_bandwidth.unit = IntervalUnit::Ratio;
    ModalScript script(TypeDialog, steps);
    command(d, EqLayoutCommand);
    EXPECT_EQ(script.runs, 1);
    ASSERT_EQ(seen.size(), 4u);
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(seen[k], ravoText(refused[k].refusal)) << k;
    EXPECT_EQ(d.bank.start, 20.0);
    EXPECT_DOUBLE_EQ(d.bank.factor, 1.1);
    EXPECT_EQ(d.sliders.size(), 73u);
    EXPECT_EQ(values(d), std::vector<i32>(73, 0));
    EXPECT_EQ(appSettings.Editor.equalizer_minFreq, 20.0);
    // The caller's record is untouched until OK.
    EXPECT_EQ(f.record.count(), 9u);
    EXPECT_EQ(f.record.values.data[0], 5u);
    command(d, IDOK);
    EXPECT_EQ(f.record.count(), 73u);
    EXPECT_DOUBLE_EQ(f.record.factor, 1.1);
}

// Save, reset, load: the sliders come back; a version 2 file and one of ratio 1 are refused with
// their texts and the sliders stay.
TEST(EqualizerDialog, PresetsThroughTheDialog) {
    EqFixture f;
    TempDir dir;
    scriptedFileDialogs();
    f.record.set(50.0, 20000.0, 2.0);
    EqualizerDialog d(nullptr);
    ASSERT_TRUE(buildEqualizerBody(&d, "Equalizer", &f.record));
    const std::vector<i32> set = {-20, -10, 0, 3, 7, 11, 15, 19, 20};
    for (size_t k = 0; k < set.size(); ++k) d.sliders[k]->setValue(set[k]);
    scriptedFileChoice() = dir.file("bank.eq");
    command(d, EqSaveCommand);
    ASSERT_TRUE(dir.exists("bank.eq"));
    command(d, EqResetCommand);
    EXPECT_EQ(values(d), std::vector<i32>(9, 0));
    command(d, EqLoadCommand);
    EXPECT_EQ(values(d), set);
    EXPECT_TRUE(errors.empty());

    std::string bytes = dir.read("bank.eq");
    std::string version2 = bytes;
    version2[4] = 2;
    std::string ratioOne = bytes;
    const f64 one = 1.0;
    memcpy(&ratioOne[24], &one, 8);
    const struct {
        const char* what;
        std::string bytes;
        RavoText text;
    } cases[] = {{"version 2", version2, RavoText::PresetVersion},
                 {"ratio 1", ratioOne, RavoText::PresetWrongFormat},
                 {"wrong magic", "RVR" + bytes.substr(3), RavoText::PresetWrongFormat}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        errors.clear();
        dir.write("bad.eq", c.bytes);
        scriptedFileChoice() = dir.file("bad.eq");
        command(d, EqLoadCommand);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], ravoText(c.text));
        EXPECT_EQ(values(d), set);
    }
    DestroyWindow(d.hwnd);
}
