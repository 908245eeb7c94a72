#include "gui/frame/progress_dialog.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "core/exceptions.h"
#include "core/texts.h"
#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/controls/progress_bar.h"
#include "gui/frame/help.h"
#include "gui/input/system_input.h"
#include "gui/kernel/application.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"

namespace {

// The worker thread's routine: whatever the job throws, the dialog hears of its end.
void runJob(std::shared_ptr<ProgressWork> work) {
    work->threadId = GetCurrentThreadId();
    try {
        work->job(1, &work->state, work->argument);
    } catch (...) {
    }
    work->threadId = 0;
    if (HWND target = work->target)
        PostMessageA(target, WM_COMMAND, work->state.stopRequested() ? ProgressJobStopped : ProgressJobDone, 0);
}

}  // namespace

bool ProgressStopReport::report(const char* text, int) {
    showMessageBox(&mbError, owner, text);
    throw GException();
}

GProgressDialog::GProgressDialog(GWindow* owner) : GDialog(owner, nullptr), work(std::make_shared<ProgressWork>()) {
    flags |= WindowDeleteOnFinal;
    work->state.listener = &work->stopReport;
    work->stopReport.owner = this;
}

GProgressDialog::~GProgressDialog() {
    destroyNative();
    removeTimer(&timer);
}

// A column of rows: the title; "Elapsed time: " and the time; the bar and its percentage; "Stop".
bool GProgressDialog::build(const char* title) {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, exStyle = WS_EX_DLGMODALFRAME;
    if (!createTopLevelWindow(this, style, exStyle, title)) return false;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    GLayoutBuilder builder(this);
    builder.current = column;
    // A label as wide as `count` average characters, its text on the left.
    auto fixedLabel = [&](i32 count, const char* text) {
        GLabel* made = GLabel::createWithLayout(builder, count, LabelOwnerDrawn);
        made->setText(text);
        made->textAlign[0] = '<';
        setAlignmentCode(made, "<-");
        return made;
    };
    titleLabel = fixedLabel(50, coreText(CoreText::ProgressProcessing));
    builder.pushContainer(new GRowItem(this), "08", "|^");
    elapsedLabel = GLabel::create(builder, coreText(CoreText::ProgressElapsed), LabelOwnerDrawn, "<-");
    timeLabel = fixedLabel(26, coreText(CoreText::ProgressTimeZero));
    builder.endContainer();
    builder.pushContainer(new GRowItem(this), "08", "U^");
    progressBar = GProgressBar::create(builder, 100, "U-");
    percentLabel = GLabel::create(builder, "100%", LabelOwnerDrawn, ">->-");
    builder.endContainer();
    stopButton = GButton::create(builder, coreText(CoreText::ProgressStop), 0, ProgressStopButton, "|^");
    fitToContent();
    return true;
}

GProgressDialog* GProgressDialog::start(const char* title, GWindow* owner, ProgressJobFunction job, void* argument,
                                        u32 options) {
    GProgressDialog* dialog = new GProgressDialog(owner);
    if (!dialog->build(title)) {
        delete dialog;
        return nullptr;
    }
    std::shared_ptr<ProgressWork> work = dialog->work;
    work->state.setRange(100);
    work->job = job;
    work->argument = argument;
    placeOnMonitor(dialog, PlaceCentreOnOwnMonitor, PlaceCentreOnOwnMonitor);
    dialog->startTime = systemInput.tickCount();
    addTimer(&dialog->timer, 500, dialog, nullptr);
    if (options & ProgressCannotStop) {
        dialog->cannotStop = true;
        EnableWindow(dialog->stopButton->hwnd, FALSE);
    }
    work->target = dialog->hwnd;
    try {
        std::thread(runJob, work).detach();
    } catch (...) {
        PostMessageA(dialog->hwnd, WM_COMMAND, ProgressJobStopped, 0);  // no worker: end as stopped
    }
    if (options & ProgressDetached) return nullptr;
    if (!(options & ProgressShowAtUpdate)) dialog->show(SW_SHOWNORMAL);
    return dialog;
}

void GProgressDialog::setLabel(GLabel* label, const char* text) {
    if (label->setText(text) && label->hwnd) UpdateWindow(label->hwnd);
}

void GProgressDialog::onTimer(TimerRecord*) {
    ProgressState& s = work->state;
    if (s.active()) {
        bool stop = s.stopRequested();
        u32 now = paused && !stop ? pauseStart : systemInput.tickCount();
        u32 elapsed = now - startTime;
        if ((i32)(elapsed - lastElapsed) < 1000) return;
        if (elapsed > 500 && !IsWindowVisible(hwnd)) {
            show(SW_SHOWNORMAL);
            if (owner && owner->hwnd) InvalidateRect(owner->hwnd, nullptr, TRUE);
        }
        lastElapsed = elapsed;
        u32 seconds = elapsed / 1000;
        // Total and processed are read together: the worker may be writing them.
        ProgressState::Amounts a = s.amounts();
        u64 rest = a.remaining(seconds);
        if (stop) {
            if (!(timeLabel->cellFlags & CellExcluded)) {
                setLabel(elapsedLabel, coreText(CoreText::ProgressStopping));
                timeLabel->notify(LayoutExclude);
                applyLayoutChange(timeLabel->container, timeLabel->container->rect);
            }
        } else {
            char text[128];
            if (rest > 0)
                snprintf(text, sizeof text, coreText(CoreText::ProgressTimeRest), seconds / 60, seconds % 60,
                         (u32)(rest / 60), (u32)(rest % 60));
            else
                snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
            setLabel(timeLabel, text);
        }
    }
    // Inactive, percent and text still refresh (without the one-second gate above).
    u32 percent = 0;
    char* text = nullptr;
    s.read(&percent, &text);
    progressBar->setPosition((i32)percent);
    char percentText[16];
    snprintf(percentText, sizeof percentText, "%u%%", percent);
    setLabel(percentLabel, percentText);
    if (text) setLabel(titleLabel, text);
    delete[] text;
}

void GProgressDialog::requestStop() {
    EnableWindow(stopButton->hwnd, FALSE);
    work->state.requestStop();
    pauseStart = systemInput.tickCount();
    paused = true;
}

void GProgressDialog::closeRequest() {
    GApplication* app = application();
    if (cannotStop && !(app && app->quitting)) return;
    requestStop();
}

void GProgressDialog::pauseClock() {
    pauseStart = systemInput.tickCount();
    paused = true;
    onTimer(nullptr);
}

void GProgressDialog::resumeClock() {
    startTime += systemInput.tickCount() - pauseStart;
    pauseStart = 0;
    paused = false;
    onTimer(nullptr);
}

bool GProgressDialog::command(u32 id) {
    if (id == ProgressJobDone || id == ProgressJobStopped) {
        removeTimer(&timer);
        if (owner && owner->hwnd && GetActiveWindow() == hwnd) SetActiveWindow(owner->hwnd);
        onTimer(nullptr);
        // The window ends even when the finishing step throws; that deletes the dialog.
        struct DestroyAtEnd {
            HWND window;
            ~DestroyAtEnd() { DestroyWindow(window); }
        } end{hwnd};
        work->job(0, &work->state, work->argument);
        return true;
    }
    if (id == ProgressStopButton) {
        requestStop();
        return true;
    }
    if (id == 9 || id == 101) {
        if (helpPage) openHelp(helpPage, this);
        return true;
    }
    // Ending the dialog before the worker's notification would free what the worker uses.
    if (id >= 1 && id <= 99) {
        closeRequest();
        return true;
    }
    return false;
}

i32 GProgressDialog::commandState(u32 id) {
    if (id == ProgressStopButton) return cannotStop ? CommandDisabled : CommandEnabled;
    return GDialog::commandState(id);
}

bool GProgressDialog::onCommand(u32 id, GStateQuery* query) {
    // Esc and Ctrl+F4 arrive here as command 2: never a plain end of the dialog.
    return command(id) || GDialog::onCommand(id, query);
}

bool GProgressDialog::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_COMMAND && command(LOWORD(wParam))) {
        *result = 0;
        return true;
    }
    return GDialog::handleMessage(message, wParam, lParam, result);
}

i32 GProgressDialog::queryClose() {
    closeRequest();
    GApplication* app = application();
    return app && app->quitting ? 2 : 1;
}

void GProgressDialog::onDestroy() {
    // Destroyed from outside (its owner went): the worker keeps the shared state and stops soon.
    work->target = nullptr;
    work->stopReport.owner = nullptr;
    work->state.requestStop();
    removeTimer(&timer);
    GDialog::onDestroy();
}
