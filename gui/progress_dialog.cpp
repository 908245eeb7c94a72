#include "gui/progress_dialog.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "core/exceptions.h"
#include "core/texts.h"
#include "gui/application.h"
#include "gui/fonts.h"
#include "gui/help.h"
#include "gui/message_box.h"
#include "gui/monitor_centre.h"
#include "gui/system_input.h"
#include "gui/text_measure.h"
#include "gui/window_procedure.h"

namespace {

// Reports the stop to the user and ends the job's current step.
struct StopReport : ErrorHandler {
    bool report(const char* text, int) override {
        showMessageBox(&mbError, nullptr, text);
        throw GException();
    }
};
StopReport stopReport;

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

HWND makeControl(HWND parent, const char* className, const char* text, u32 style, u32 id, const RECT& r) {
    HWND control = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, parent, (HMENU)(uintptr_t)id, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, (WPARAM)getMessageFont()->font, 0);
    return control;
}

}  // namespace

GProgressDialog::GProgressDialog(GWindow* owner) : GDialog(owner, nullptr), work(std::make_shared<ProgressWork>()) {
    flags |= WindowDeleteOnFinal;
    work->state.listener = &stopReport;
}

GProgressDialog::~GProgressDialog() {
    destroyNative();
    removeTimer(&timer);
}

// Rows top to bottom: the title; "Elapsed time: " and the time; the bar and its percentage; "Stop".
bool GProgressDialog::build(const char* title) {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, exStyle = WS_EX_DLGMODALFRAME;
    if (!createTopLevelWindow(this, style, exStyle, title)) return false;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const FontHolder* font = getMessageFont();
    const i32 margin = 8, width = 320, line = getUiFontMetrics(font).cy + 4;
    const i32 elapsedWidth = textExtent(font, coreText(CoreText::ProgressElapsed)).cx + 4;
    const i32 percentWidth = textExtent(font, "100%").cx + 4;
    i32 y = margin;
    titleLabel = makeControl(hwnd, "STATIC", coreText(CoreText::ProgressProcessing), SS_NOPREFIX, 0,
                             RECT{margin, y, width - margin, y + line});
    y += line + margin;
    elapsedLabel = makeControl(hwnd, "STATIC", coreText(CoreText::ProgressElapsed), SS_NOPREFIX, 0,
                               RECT{margin, y, margin + elapsedWidth, y + line});
    timeLabel = makeControl(hwnd, "STATIC", coreText(CoreText::ProgressTimeZero), SS_NOPREFIX, 0,
                            RECT{margin * 2 + elapsedWidth, y, width - margin, y + line});
    y += line + margin;
    progressBar = makeControl(hwnd, PROGRESS_CLASSA, "", 0, 0,
                              RECT{margin, y, width - margin * 2 - percentWidth, y + line});
    SendMessageA(progressBar, PBM_SETRANGE32, 0, 100);
    percentLabel = makeControl(hwnd, "STATIC", "100%", SS_RIGHT, 0,
                               RECT{width - margin - percentWidth, y, width - margin, y + line});
    y += line + margin;
    const i32 buttonWidth = 88, buttonHeight = line + 8;
    stopButton = makeControl(hwnd, "BUTTON", coreText(CoreText::ProgressStop), BS_PUSHBUTTON | WS_TABSTOP,
                             ProgressStopButton,
                             RECT{(width - buttonWidth) / 2, y, (width + buttonWidth) / 2, y + buttonHeight});
    y += buttonHeight + margin;
    RECT frame = {0, 0, width, y};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    centreOnMonitor(dialog->hwnd, owner ? owner->hwnd : nullptr);
    dialog->startTime = systemInput.tickCount();
    addTimer(&dialog->timer, 500, dialog, nullptr);
    if (options & ProgressCannotStop) EnableWindow(dialog->stopButton, FALSE);
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

void GProgressDialog::setLabel(HWND label, const char* text) {
    char shown[256];
    GetWindowTextA(label, shown, sizeof shown);
    if (strcmp(shown, text) == 0) return;
    SetWindowTextA(label, text);
    RedrawWindow(label, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
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
        u64 rest = a.processed == 0 || a.processed >= a.total
                       ? 0
                       : (u64)((double)(a.total - a.processed) * seconds / (double)a.processed);
        if (stop) {
            if (IsWindowVisible(timeLabel)) {
                setLabel(elapsedLabel, coreText(CoreText::ProgressStopping));
                ShowWindow(timeLabel, SW_HIDE);
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
    u32 percent = 0;
    char* text = nullptr;
    if (!s.read(&percent, &text)) return;
    SendMessageA(progressBar, PBM_SETPOS, percent, 0);
    char percentText[16];
    snprintf(percentText, sizeof percentText, "%u%%", percent);
    setLabel(percentLabel, percentText);
    if (text) setLabel(titleLabel, text);
    delete[] text;
}

void GProgressDialog::requestStop() {
    EnableWindow(stopButton, FALSE);
    work->state.requestStop();
    pauseStart = systemInput.tickCount();
    paused = true;
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
        requestStop();
        return true;
    }
    return false;
}

bool GProgressDialog::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_COMMAND && command(LOWORD(wParam))) {
        *result = 0;
        return true;
    }
    return GDialog::handleMessage(message, wParam, lParam, result);
}

i32 GProgressDialog::queryClose() {
    requestStop();
    GApplication* app = application();
    return app && app->quitting ? 2 : 1;
}

void GProgressDialog::onDestroy() {
    // Destroyed from outside (its owner went): the worker keeps the shared state and stops soon.
    work->target = nullptr;
    work->state.requestStop();
    removeTimer(&timer);
    GDialog::onDestroy();
}
