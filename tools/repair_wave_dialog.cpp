#include "tools/repair_wave_dialog.h"

#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/controls/multi_label.h"
#include "gui/input/busy_cursor.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/paint/fonts.h"
#include "mm/mm_settings.h"
#include "mm/mm_texts.h"
#include "tools/mixer_line_list.h"
#include "tools/repair_wave_in_dialog.h"
#include "tools/repair_wave_out_dialog.h"

namespace {
HFONT boldMessageFont() {
    LOGFONTA font;
    if (!GetObjectA(getMessageFont()->font, sizeof font, &font)) return nullptr;
    font.lfWeight = FW_BOLD;
    return CreateFontIndirectA(&font);
}

const char* fixCaption(u32 command) {
    switch (command) {
    case RepairDiagnosis::UnmuteSource:
    case RepairDiagnosis::UnmuteDestination:
        return mmText(MmText::RepairUnmute);
    case RepairDiagnosis::RaiseSource:
    case RepairDiagnosis::RaiseDestination:
        return mmText(MmText::RepairRaise);
    case RepairDiagnosis::BalanceSource:
    case RepairDiagnosis::BalanceDestination:
        return mmText(MmText::RepairBalance);
    }
    return mmText(MmText::RepairSelect);
}
}  // namespace

u32 GRepairWaveDialog::deviceNumber() const { return settings->device; }

bool GRepairWaveDialog::build() {
    if (!createWindow(text(-1))) return false;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "8888");
    setContent(column);
    body = column;
    GLayoutBuilder b(this);
    b.current = column;
    GLabel* heading = GLabel::create(b, text(0), 0, "<^");
    if (HFONT bold = boldMessageFont()) heading->setFont(bold, true);
    explanation = GMultiLabel::create(b, "", 60, 4, MultiWidthChars | MultiHeightChars | MultiNoVerticalBar, "U^<^");
    addDeviceChoosers(b);
    problemArea = GColumnsItem::create(b, "00000", "U^");
    b.endContainer();
    diagnose();
    addExtraContent(b);
    GButton::create(b, mmText(MmText::RepairClose), 0, 2, ">v");
    return true;
}

void GRepairWaveDialog::diagnose() {
    diagnosis.run(*settings);
    std::string paragraphs = std::string(text(1)) + "\r\n\r\n" + text(2) + "\r\n\r\n" + text(3);
    if (explanation) explanation->setText(paragraphs.c_str());
    if (!problemArea) return;
    problemArea->removeAllChildren();
    GLayoutBuilder b(this);
    b.current = problemArea;
    std::vector<RepairProblem> problems = diagnosis.problems();
    if (problems.empty()) GLabel::create(b, mmText(MmText::RepairNoProblem), 0, "<C");
    for (const RepairProblem& p : problems) {
        GRowItem::create(b, "08000");
        GLabel::create(b, p.text.c_str(), 0, "UC");
        GButton::create(b, fixCaption(p.command), 0, p.command, ">C");
        b.endContainer();
    }
    problemArea->requestRelayout(problemArea);
}

bool GRepairWaveDialog::onCommand(u32 command, GStateQuery* query) {
    if (command >= RepairDiagnosis::UnmuteSource && command <= RepairDiagnosis::SelectSource) {
        BusyCursor busy;
        diagnosis.fix(command);
        diagnose();
        if (hwnd) fitToContent();
        return true;
    }
    return GSinglePlacerDialog::onCommand(command, query);
}

i32 GRepairWaveDialog::commandState(u32 command) {
    if (command >= RepairDiagnosis::UnmuteSource && command <= RepairDiagnosis::SelectSource) return CommandEnabled;
    return GSinglePlacerDialog::commandState(command);
}

bool GRepairWaveDialog::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    if (note->code == MixerLineList::changedCode) {
        diagnose();
        if (hwnd) fitToContent();
    }
    return GSinglePlacerDialog::onControlNotify(n);
}

void GRepairWaveDialog::onDestroy() {
    stopSound();
    if (modalDone) {
        *modalDone = true;
        PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    }
    GSinglePlacerDialog::onDestroy();
}

void GRepairWaveDialog::runDialog(GRepairWaveDialog& dialog) {
    if (!dialog.build()) return;
    dialog.startSound();
    dialog.run();
    if (IsWindow(dialog.hwnd)) DestroyWindow(dialog.hwnd);
}

void runRepairDialog(GWindow* owner, SoundSettings* sound, bool playback) {
    if (!sound) return;
    if (playback)
        GRepairWaveOutDialog::run(owner, sound);
    else
        GRepairWaveInDialog::run(owner, sound);
}
