#include "gui/frame/progress_line.h"

#include <commctrl.h>

#include "core/gstring.h"
#include "core/texts.h"
#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/controls/progress_bar.h"
#include "gui/controls/status_line.h"
#include "gui/input/system_input.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/tracked_object.h"
#include "gui/kernel/ui_thread.h"
#include "gui/layout/layout_builder.h"

namespace {

// Where the handle of the box being opened on this thread goes; null when none is awaited.
HWND* g_awaitedBox = nullptr;

// Catches the creation of the box's top-level window; only C calls, nothing can throw.
LRESULT CALLBACK watchBoxCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_awaitedBox && !*g_awaitedBox) {
        const CBT_CREATEWNDA* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
        if (create && create->lpcs && !(create->lpcs->style & WS_CHILD)) *g_awaitedBox = (HWND)wParam;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// For its scope, keeps the handle of the first dialog window made on this thread.
class BoxWatch {
public:
    BoxWatch() : outer(g_awaitedBox), hook(SetWindowsHookExA(WH_CBT, watchBoxCreation, nullptr, GetCurrentThreadId())) {
        g_awaitedBox = &handle;
    }
    ~BoxWatch() {
        if (hook) UnhookWindowsHookEx(hook);
        g_awaitedBox = outer;
    }
    BoxWatch(const BoxWatch&) = delete;
    BoxWatch& operator=(const BoxWatch&) = delete;

    HWND handle = nullptr;

private:
    HWND* outer;
    HHOOK hook;
};

const i32 kLabelCharacters = 21;

}  // namespace

GProgressLinePlacer::GProgressLinePlacer(GWindow* owner) : GRowItem(owner) {
    setLayoutDigits(this, "08");
    GLayoutBuilder builder(owner);
    builder.current = this;
    label = GLabel::createWithLayout(builder, kLabelCharacters, LabelOwnerDrawn);
    setAlignmentCode(label, "<-");
    progressBar = GProgressBar::create(builder, 100, "<C");
    cancelButton = GButton::create(builder, coreText(CoreText::ProgressCancel), ButtonCompact, ProgressLineCancel, "<-");
    statusLine = GStatusLine::create(builder);
    for (GLayoutCell* cell : children) cell->notify(LayoutExclude);
}

GProgressLinePlacer::~GProgressLinePlacer() { removeTimer(&timer); }

void GProgressLinePlacer::include(GLayoutCell* cell, bool on) {
    if (included(cell) != on) cell->notify(on ? LayoutInclude : LayoutExclude);
}

void GProgressLinePlacer::rearrangePage() {
    GLayoutCell* root = this;
    while (root->container) root = root->container;
    applyLayoutChange(root, root->rect);
}

// A command to the line through the top-level window's queue: it comes back on the interface
// thread as the status line's command, which reaches its container, the line.
void GProgressLinePlacer::postToSelf(u32 command) {
    GWindow* top = topLevelWindow();
    if (top && statusLine) PostMessageA(top->hwnd, WM_COMMAND, MAKEWPARAM(command, 0), (LPARAM)statusLine->hwnd);
}

void GProgressLinePlacer::begin(u64 newTotal) {
    setRange(newTotal);  // the amounts under the lock, from any thread
    {
        std::lock_guard<std::mutex> hold(textLock);
        assignHeapText(&text, nullptr);
    }
    jobFlags = JobRunning;
    if (!isUiThread()) {
        postToSelf(ProgressLineBegin);
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
        postToSelf(ProgressLineEnd);
        return;
    }
    finishOnUiThread();
}

void GProgressLinePlacer::finishOnUiThread() {
    removeTimer(&timer);
    timerRunning = false;
    if (boxOpen && openBox && *openBox && IsWindow(*openBox)) PostMessageA(*openBox, WM_CLOSE, 0, 0);
    include(label, false);
    include(progressBar, false);
    include(cancelButton, false);
    include(statusLine, false);
    statusLine->clearTexts();
    rearrangePage();
}

bool GProgressLinePlacer::report(u64 done, const char* newText) {
    u32 none = ~0u;
    if (!isUiThread()) workerThread.compare_exchange_strong(none, GetCurrentThreadId());
    return ProgressState::report(done, newText);
}

bool GProgressLinePlacer::onControlCommand(void* event) {
    GControlNotification* command = static_cast<GControlNotification*>(event);
    return onCommand((u32)command->value, nullptr);
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
            LifeGuard guard(GRowItem::lifeRecord());
            // The box is known by its handle, so that the job's end closes this one.
            BoxWatch watch;
            openBox = &watch.handle;
            i32 answer = 0;
            try {
                answer = showMessageBox(&mbWarning, topLevelWindow(), coreText(CoreText::ProgressCancelQuestion));
            } catch (...) {
                if (guard.alive()) {
                    boxOpen = false;
                    openBox = nullptr;
                }
                throw;
            }
            if (!guard.alive()) return true;
            boxOpen = false;
            openBox = nullptr;
            if (answer != IDOK || !running()) return true;
        }
        include(cancelButton, false);
        rearrangePage();
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
    if (runningTime > 100 && !included(progressBar)) {
        include(progressBar, true);
        include(cancelButton, !paused);
        include(statusLine, true);
        // The page makes room for the line.
        GControlNotification grown{this, 14, 0};
        if (!notifyUp(this, &grown)) rearrangePage();
    } else if (!included(progressBar) || (!force && now - lastShown < 1000)) {
        return;
    }
    Amounts a = amounts();
    progressBar->setPosition((i32)a.percent);
    statusLine->clearTexts();
    statusLine->setFieldTextF(0, "%u%%", a.percent);
    lastShown = now;
    u32 seconds = runningTime / 1000;
    statusLine->setFieldTextF(1, "%u:%02u", seconds / 60, seconds % 60);
    u64 remaining = a.remaining(runningTime) / 1000;
    if (remaining > 0)
        statusLine->setFieldTextF(2, coreText(CoreText::ProgressRemaining), (u32)(remaining / 60), (u32)(remaining % 60));
    else
        statusLine->setFieldText(2, nullptr);
    u32 ignored = 0;
    char* caption = nullptr;
    if (getProgress(&ignored, &caption) && caption && *caption) statusLine->setFieldText(3, caption);
    delete[] caption;
}

void GProgressLinePlacer::pause() {
    pauseStart = systemInput.tickCount();
    paused = true;
    label->setText(coreText(CoreText::ProgressPaused));
    include(label, true);
    include(cancelButton, false);
    rearrangePage();
    update(true);
}

void GProgressLinePlacer::resume() {
    if (!paused) return;
    startTicks += systemInput.tickCount() - pauseStart;
    paused = false;
    include(label, false);
    include(cancelButton, included(progressBar));
    rearrangePage();
    update(true);
}

void GProgressLinePlacer::onJobNote(i32 code) {
    if (code == 0)
        pause();
    else if (code == 1)
        resume();
}
