#include "gui/progress_line.h"

#include <commctrl.h>

#include "core/texts.h"
#include "gui/fonts.h"
#include "gui/host_window.h"
#include "gui/message_box.h"
#include "gui/status_line.h"
#include "gui/system_input.h"
#include "gui/tracked_object.h"
#include "gui/ui_thread.h"

namespace {

HWND makeControl(HWND parent, const char* className, const char* text, u32 style, u32 id) {
    HWND control = CreateWindowExA(0, className, text, WS_CHILD | style, 0, 0, 0, 0, parent, (HMENU)(uintptr_t)id,
                                   GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, (WPARAM)getMessageFont()->font, 0);
    return control;
}

// The message box open on this thread.
BOOL CALLBACK findBox(HWND window, LPARAM found) {
    char name[16];
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

const i32 kGap = 8, kLabelWidth = 128, kBarWidth = 160, kButtonWidth = 16;

}  // namespace

GProgressLinePlacer::GProgressLinePlacer(GWindow* owner) : owner(owner) {
    host = GHostWindow::make(owner, this);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    label = makeControl(host->hwnd, "STATIC", "", SS_NOPREFIX | SS_CENTERIMAGE, 0);
    progressBar = makeControl(host->hwnd, PROGRESS_CLASSA, "", 0, 0);
    SendMessageA(progressBar, PBM_SETRANGE32, 0, 100);
    cancelButton = makeControl(host->hwnd, "BUTTON", coreText(CoreText::ProgressCancel), BS_PUSHBUTTON,
                               ProgressLineCancel);
    statusLine = new GStatusLine(host);
    statusLine->GUserWindow::create(WS_CHILD);
}

GProgressLinePlacer::~GProgressLinePlacer() {
    removeTimer(&timer);
    GHostWindow::release(host, this);  // with the status line
}

void GProgressLinePlacer::setRect(const RECT& rect) {
    host->place(rect);
    arrange();
}

void GProgressLinePlacer::arrange() {
    RECT r;
    GetClientRect(host->hwnd, &r);
    i32 x = r.left;
    auto place = [&](HWND window, i32 width) {
        if (!isShown(window)) return;
        SetWindowPos(window, nullptr, x, r.top, width, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        x += width + kGap;
    };
    place(label, kLabelWidth);
    place(progressBar, kBarWidth);
    place(cancelButton, kButtonWidth);
    place(statusLine->hwnd, r.right - x > 0 ? r.right - x : 0);
}

void GProgressLinePlacer::begin(u64 newTotal) {
    setRange(newTotal);  // the amounts under the lock, from any thread
    jobFlags = JobRunning;
    if (!isUiThread()) {
        PostMessageA(host->hwnd, WM_COMMAND, ProgressLineBegin, 0);
        return;
    }
    startOnUiThread();
}

void GProgressLinePlacer::startOnUiThread() {
    workerThread = ~0u;
    startTicks = systemInput.tickCount();
    lastShown = 0;
    paused = false;
    if (!timerRunning) timerRunning = addTimer(&timer, 100, this, nullptr);
}

void GProgressLinePlacer::end() {
    jobFlags &= ~JobRunning;
    if (!isUiThread()) {
        PostMessageA(host->hwnd, WM_COMMAND, ProgressLineEnd, 0);
        return;
    }
    finishOnUiThread();
}

void GProgressLinePlacer::finishOnUiThread() {
    removeTimer(&timer);
    timerRunning = false;
    HWND box = nullptr;
    if (boxOpen) EnumThreadWindows(GetCurrentThreadId(), findBox, (LPARAM)&box);
    if (box) PostMessageA(box, WM_CLOSE, 0, 0);
    showChild(label, false);
    showChild(progressBar, false);
    showChild(cancelButton, false);
    showChild(statusLine->hwnd, false);
    statusLine->clearTexts();
    arrange();
}

bool GProgressLinePlacer::report(u64 done, const char* newText) {
    u32 none = ~0u;
    if (!isUiThread()) workerThread.compare_exchange_strong(none, GetCurrentThreadId());
    return ProgressState::report(done, newText);
}

bool GProgressLinePlacer::handleMessage(u32 message, uintptr_t wParam, intptr_t, intptr_t* result) {
    if (message != WM_COMMAND || !onCommand(LOWORD(wParam), nullptr)) return false;
    *result = 0;
    return true;
}

bool GProgressLinePlacer::onCommand(u32 command, GStateQuery*) {
    switch (command) {
    case ProgressLineBegin:
        if (running()) startOnUiThread();
        return true;
    case ProgressLineEnd:
        if (!running()) finishOnUiThread();
        return true;
    case ProgressLineCancel:
        if (!running() || boxOpen) return true;
        if (askBeforeCancel) {
            boxOpen = true;
            LifeGuard guard(lifeRecord());
            i32 answer = showMessageBox(&mbWarning, owner, coreText(CoreText::ProgressCancelQuestion));
            if (!guard.alive()) return true;
            boxOpen = false;
            if (answer != IDOK || !running()) return true;
        }
        showChild(cancelButton, false);
        arrange();
        requestStop();
        return true;
    default:
        return false;
    }
}

void GProgressLinePlacer::onTimer(TimerRecord*) { update(false); }

void GProgressLinePlacer::update(bool force) {
    if (!running()) return;
    u32 now = systemInput.tickCount();
    u32 runningTime = (paused ? pauseStart : now) - startTicks;
    if (runningTime > 100 && !isShown(progressBar)) {
        showChild(progressBar, true);
        showChild(cancelButton, !paused);
        showChild(statusLine->hwnd, true);
        arrange();
    } else if (!isShown(progressBar) || (!force && now - lastShown < 1000)) {
        return;
    }
    Amounts a = amounts();
    SendMessageA(progressBar, PBM_SETPOS, a.percent, 0);
    statusLine->clearTexts();
    statusLine->setFieldTextF(0, "%u%%", a.percent);
    lastShown = now;
    u32 seconds = runningTime / 1000;
    statusLine->setFieldTextF(1, "%u:%02u", seconds / 60, seconds % 60);
    // No estimate before the first report, nor once the job reports more than its total.
    if (a.processed > 0 && a.processed < a.total) {
        u64 remaining = (u64)((double)runningTime * (double)(a.total - a.processed) / (double)a.processed) / 1000;
        if (remaining > 0) {
            statusLine->setFieldTextF(2, coreText(CoreText::ProgressRemaining), (u32)(remaining / 60),
                                      (u32)(remaining % 60));
            return;
        }
    }
    statusLine->setFieldText(2, nullptr);
}

void GProgressLinePlacer::pause() {
    pauseStart = systemInput.tickCount();
    paused = true;
    SetWindowTextA(label, coreText(CoreText::ProgressPaused));
    showChild(label, true);
    showChild(cancelButton, false);
    arrange();
    update(true);
}

void GProgressLinePlacer::resume() {
    if (!paused) return;
    startTicks += systemInput.tickCount() - pauseStart;
    paused = false;
    showChild(label, false);
    showChild(cancelButton, isShown(progressBar));
    arrange();
    update(true);
}

void GProgressLinePlacer::onJobNote(i32 code) {
    if (code == 0)
        pause();
    else if (code == 1)
        resume();
}
