#include "setup/update_dialog.h"

#include <windows.h>

#include "app/program_texts.h"
#include "core/format.h"
#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/page_stack.h"
#include "gui/controls/progress_bar.h"
#include "gui/frame/help.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

UpdateDialog* openUpdateDialog = nullptr;

namespace {
u32 kilobytes(u32 bytes) { return (u32)(((u64)bytes + 1023) / 1024); }

GString timeText(i64 seconds) {
    GString text;
    if (seconds) formatDateTime(text, seconds);
    return text;
}

const char* stateText(u32 state) {
    switch (state) {
    case 0: return ravoText(RavoText::UpdateStateOff);
    case 1: return ravoText(RavoText::UpdateStateStopping);
    case 2: return ravoText(RavoText::UpdateStateWaiting);
    case 3:
    case 5: return ravoText(RavoText::UpdateStateAsking);
    case 4: return ravoText(RavoText::UpdateStateChecking);
    default: return "";
    }
}

// The three ways of handling updates, bound to one value.
void addModeRadios(GLayoutBuilder& b, i32* value, GRadioBox* radios[3]) {
    radios[0] = addRadioBox(b, ravoText(RavoText::UpdateModeOff), 1, value, 0);
    radios[1] = addRadioBox(b, ravoText(RavoText::UpdateModeAsk), 1, value, 2);
    radios[2] = addRadioBox(b, ravoText(RavoText::UpdateModeAuto), 1, value, 3);
}

const char kDateSample[] = "Wednesday, September 30, 2026 12:59:59 PM (local)";
}  // namespace

UpdateDialog::~UpdateDialog() {
    removeTimer(&timer);
    if (openUpdateDialog == this) openUpdateDialog = nullptr;
}

void UpdateDialog::run(GWindow* owner, HttpDownloader* worker) {
    if (openUpdateDialog || !worker) return;
    UpdateDialog dialog(owner, worker);
    openUpdateDialog = &dialog;
    if (dialog.build()) {
        RECT empty{};
        showModal(&dialog, &empty, PlaceCentreOnOwnMonitor);
    }
    removeTimer(&dialog.timer);
    openUpdateDialog = nullptr;
    if (dialog.hwnd) DestroyWindow(dialog.hwnd);
}

bool UpdateDialog::build() {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, ravoText(RavoText::UpdateDialogTitle))) return false;
    {
        std::lock_guard<std::recursive_mutex> hold(worker->stateLock);
        modeValue = (i32)worker->mode;
    }
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    GLayoutBuilder b(this, &fields);
    b.current = column;

    group = new GGroupBoxItem(this, ravoText(modeValue == 1 ? RavoText::UpdateModeGroupUnchosen
                                                            : RavoText::UpdateModeGroup));
    b.pushContainer(group, nullptr, "U^");
    GColumnsItem::create(b, "00000", "UC");
    addModeRadios(b, &modeValue, radios);
    b.endContainer();
    b.endContainer();

    pages = new GPageStack(this);
    b.pushContainer(pages, "0000", "U^");
    GColumnsItem::create(b, "00000", "U^");
    addGridLayout(2, 3, b, "UC");
    GLabel::create(b, ravoText(RavoText::UpdateLastCheck), 0, "<C");
    lastCheckLabel = GLabel::createVariant(b, "<C", kDateSample);
    GLabel::create(b, ravoText(RavoText::UpdateNextCheck), 0, "<C");
    nextCheckLabel = GLabel::createVariant(b, "<C", kDateSample);
    GLabel::create(b, ravoText(RavoText::UpdateStateCaption), 0, "<C");
    stateLabel = GLabel::createVariant(b, "<C", ravoText(RavoText::UpdateStateWaiting));
    b.endContainer();
    checkButton = GButton::create(b, ravoText(RavoText::UpdateCheckNow), 0, UpdateCheckCommand, ">-");
    b.endContainer();
    GColumnsItem::create(b, "00000", "U^");
    downloadLabel = GLabel::createVariant(b, "<-", "Downloading: 100% of 4294967 KB (long)");
    progress = GProgressBar::create(b, 100, "U-");
    GButton::create(b, ravoText(RavoText::UpdateStop), 0, UpdateStopCommand, "|^");
    b.endContainer();
    b.endContainer();

    GLabel::create(b, ravoText(RavoText::UpdateMessages), 0, "<-");
    logLabel = GMultiLabel::create(b, "", 60, 10, MultiBorder | MultiWidthChars | MultiHeightChars, "UC");
    pages->setCurrentPage(0);
    fitToContent();
    addTimer(&timer, 500, this, nullptr);
    refresh();
    return true;
}

void UpdateDialog::onTimer(TimerRecord*) { refresh(); }

void UpdateDialog::refresh() {
    UpdateStatus status;
    worker->getStatus(status);
    if (logLabel && !stringEquals(logLabel->text, status.log.c_str())) {
        bool atEnd = logLabel->vertical.origin >= logLabel->vertical.maxOrigin();
        logLabel->setText(status.log.c_str());
        if (atEnd) {
            GScrollRange h = logLabel->horizontal, v = logLabel->vertical;
            v.setOrigin(v.maxOrigin());
            logLabel->setScrollState(h, v);
        }
    }
    if (status.state == 6 || status.state == 7) {
        pages->setCurrentPage(1);
        downloadLabel->setTextF(ravoText(RavoText::UpdateDownloading), (int)status.percent,
                                kilobytes(status.downloadLength));
        progress->setPosition(status.percent);
        return;
    }
    pages->setCurrentPage(0);
    lastCheckLabel->setText(timeText(status.lastCheck).c_str());
    nextCheckLabel->setText(timeText(status.nextCheck).c_str());
    stateLabel->setText(stateText(status.state));
    bool checking = status.state == 4;
    // The click sends the window's id, so the id itself changes.
    SetWindowLongA(checkButton->hwnd, GWL_ID, checking ? UpdateStopCommand : UpdateCheckCommand);
    checkButton->setText(ravoText(checking ? RavoText::UpdateStop : RavoText::UpdateCheckNow));
    EnableWindow(checkButton->hwnd, checking || status.state == 0 || status.state == 2);
}

i32 UpdateDialog::commandState(u32 command) {
    if (command == UpdateCheckCommand || command == UpdateStopCommand) return CommandEnabled;
    return GDialog::commandState(command);
}

bool UpdateDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == UpdateCheckCommand) {
        EnableWindow(checkButton->hwnd, FALSE);
        worker->checkNow();
        return true;
    }
    if (command == UpdateStopCommand) {
        EnableWindow(checkButton->hwnd, FALSE);
        worker->stopWorker();
        worker->startWorker();
        return true;
    }
    if (command == 9 || command == 101) {
        openHelp("updates.htm", this);
        return true;
    }
    return GDialog::onCommand(command, query);
}

bool UpdateDialog::onControlNotify(void* notification) {
    GControlNotification* n = static_cast<GControlNotification*>(notification);
    bool radio = false;
    for (GRadioBox* box : radios) radio = radio || (n->source && n->source == box);
    if (radio && group) {
        stringAssignText(group->frame->caption, ravoText(RavoText::UpdateModeChosen));
        group->frame->invalidate();
        fields.commit();
        worker->setMode((u32)modeValue);
    }
    return GDialog::onControlNotify(notification);
}

bool UpdateModeDialog::build() {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, ravoText(RavoText::UpdateHowTitle))) return false;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    GLayoutBuilder b(this, &fields);
    b.current = column;
    GMultiLabel::create(b, ravoText(RavoText::UpdateHowExplained), 50, 3, MultiWidthChars | MultiHeightChars, "U^");
    GRadioBox* radios[3];
    addModeRadios(b, &value, radios);
    GLine1::create(b);
    GRowItem* row = GRowItem::create(b, "08");
    setAlignmentCode(row, "U^");
    GButton::create(b, ravoText(RavoText::UpdateHowOk), ButtonDefault, 1, "<-");
    GButton::create(b, ravoText(RavoText::UpdateHowLater), 0, 2, "<-");
    b.endContainer();
    fitToContent();
    return true;
}

bool UpdateModeDialog::ask(u32& mode) {
    UpdateModeDialog dialog(nullptr);
    i32 code = 2;
    if (dialog.build()) {
        RECT empty{};
        code = showModal(&dialog, &empty, PlaceCentreOnOwnMonitor);
    }
    bool taken = code != 2 && code >= 0;
    if (taken) dialog.fields.commit();
    if (dialog.hwnd) DestroyWindow(dialog.hwnd);
    if (taken) mode = (u32)dialog.value;
    return taken;
}
