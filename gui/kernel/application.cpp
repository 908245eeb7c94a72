#include "gui/kernel/application.h"

#include <shellapi.h>

#include <cstring>

#include "core/exceptions.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/init_step.h"
#include "gui/kernel/item_base.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/message_boxes.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/quit_hook.h"
#include "gui/kernel/timers.h"
#include "gui/kernel/ui_thread.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/scroll_range.h"

HINSTANCE programInstance = nullptr;

namespace {
GApplication* g_application = nullptr;
u32 g_quitNesting = 0;
// The quit retry timer. It is removed, never freed: its own tick may be what ends the quit.
TimerRecord g_quitTimer;
}  // namespace

GApplication* application() { return g_application; }

void setApplication(GApplication* app) {
    g_application = app;
    setUiTaskQueue(app ? &app->taskQueue : nullptr);
    if (app) {
        app->threadId = GetCurrentThreadId();
        app->processId = GetCurrentProcessId();
        app->taskQueue.threadId = app->threadId;
        setUiThreadId(app->threadId);
    }
}

void UiTaskQueue::notify() { PostThreadMessageA(threadId, 0, 0, 0); }

GApplication::~GApplication() {
    ListenerChain::flushDeferredDeletes(activationList);
    ListenerChain::flushDeferredDeletes(eventList);
    ListenerChain::flushDeferredDeletes(idleList);
    ListenerChain::flushDeferredDeletes(filterList);
    ListenerChain::flushDeferredDeletes(pendingWorkList);
    TaskQueue::dropPending(taskQueue);
}

bool MessageBoxErrorHandler::report(const char* text, int) {
    if (flags & 2) plainMessageBox("Error", text, MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST);
    if (flags & 1) throw GException();
    return false;
}

namespace {
bool doneOr(bool* done) { return done && *done; }
u32 g_loopDepth = 0;
}  // namespace

void messageLoop(bool* done) {
    GApplication* app = application();
    ++g_loopDepth;
    struct Leave {
        ~Leave() { --g_loopDepth; }
    } leave;
    // A loop inside another one (a modal run) passes the quit message on to the one outside.
    auto quitSeen = [](const MSG& msg) {
        if (g_loopDepth > 1) PostQuitMessage((int)msg.wParam);
    };
    while (!doneOr(done)) {
        if (app && ListenerChain::notifyIdle(app->pendingWorkList)) continue;
        if (doneOr(done)) return;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
            if (msg.message == WM_QUIT) return quitSeen(msg);
        } else {
            if (app) ListenerChain::notifyIdle(app->idleList);
            if (doneOr(done)) return;
            BOOL got = GetMessageA(&msg, nullptr, 0, 0);
            if (got == 0) return quitSeen(msg);
            if (got == -1) return;
        }
        if (doneOr(done)) return;
        if (app) TaskQueue::runPending(app->taskQueue);
        if (doneOr(done)) return;
        if (app && ListenerChain::notifyLoop(app->filterList, &msg)) continue;
        if (doneOr(done)) return;
        if (GParentWindow* active = activeParentWindow) {
            if (active->preTranslateMessage(&msg)) continue;
            if (doneOr(done)) return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        windowFailures().rethrowIfAny();
    }
}

namespace {
void endQuit(GApplication* app) {
    app->quitting = false;
    removeTimer(&g_quitTimer);
}

// Asks every main window; 0 when all may close, else the first other answer (1 cancel, 2 wait).
// With closeFirst the first window that may close is sent WM_CLOSE, and 3 is answered.
i32 askMainWindows(bool closeFirst) {
    GWindowMap::Iterator it(parentWindowMap());
    while (GWindowMapEntry* entry = it.next()) {
        GParentWindow* window = static_cast<GParentWindow*>(static_cast<GWindow*>(entry));
        if (!window->countsAsMainWindow()) continue;
        i32 answer = window->queryClose();
        if (answer == 1 || answer == 2) return answer;
        if (answer == 0 && closeFirst) {
            PostMessageA(window->hwnd, WM_CLOSE, 0, 0);
            return 3;
        }
    }
    return 0;
}
}  // namespace

void requestQuit() {
    GApplication* app = application();
    if (!app || g_quitNesting) return;
    ++g_quitNesting;
    struct Unnest {
        ~Unnest() { --g_quitNesting; }
    } unnest;
    if (!app->quitting) {
        app->quitting = true;
        onQuitDone = false;
        addTimer(&g_quitTimer, 250, nullptr, quitRetryTimer, 0);
    }
    if (quitVetoed()) return;
    i32 answer = askMainWindows(false);
    if (answer == 1) return endQuit(app);
    if (answer == 2) return;
    if (!onQuitDone) {
        quitInitSteps();
        onQuitDone = true;
    }
    answer = askMainWindows(true);
    if (answer == 1) return endQuit(app);
    if (answer != 0) return;
    endQuit(app);
    PostQuitMessage(0);
}

void quitApplication(const char* restartCommandLine) {
    GApplication* app = application();
    if (!app) return;
    app->restartRequested = restartCommandLine != nullptr;
    stringAssignText(app->restartCommandLine, restartCommandLine ? restartCommandLine : "");
    requestQuit();
}

void quitRetryTimer(TimerRecord*, uintptr_t) {
    GApplication* app = application();
    if (app && app->quitting) requestQuit();
}

int runApplication(GApplication* app, HINSTANCE instance, const char* commandLine, i32 showCommand) {
    programInstance = instance;
    stringAssignText(app->commandLine, commandLine ? commandLine : "");
    bool hasCommandLine = commandLine != nullptr;
    app->showCommand = showCommand;
    app->threadId = GetCurrentThreadId();
    app->processId = GetCurrentProcessId();
    MessageBoxErrorHandler handler(2);
    try {
        for (;;) {
            bool reset = hasCommandLine && strcmp(app->commandLine.c_str(), "-Reset") == 0;
            if (!startInitSteps(&handler, reset)) return -1;
            bool done = false;
            messageLoop(&done);
            stopInitSteps();
            if (!app->restartRequested) return 0;
            app->quitting = false;
            app->restartRequested = false;
            stringAssignText(app->commandLine, app->restartCommandLine.c_str());
            stringAssignText(app->restartCommandLine, "");
            hasCommandLine = true;
        }
    } catch (...) {
        plainMessageBox("Error", "Unhandled Exception", MB_ICONERROR);
        return -1;
    }
}

int startApplication(HINSTANCE instance, const char* commandLine, i32 showCommand) {
    installToolkitHooks();
    GApplication* app = new GApplication;
    setApplication(app);
    int result = runApplication(app, instance, commandLine, showCommand);
    setApplication(nullptr);
    delete app;
    return result;
}

bool relaunchElevated(const char* parameters) {
    char path[261] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.lpVerb = "runas";
    info.lpFile = path;
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}

// Under HKLM: a user's HKCR write lands in the user's own classes and proves nothing.
static const char* const kRightsProbeKey = "Software\\.test_kx_key_36542683746";

bool canWriteMachineRegistry() {
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kRightsProbeKey, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRightsProbeKey);
    return true;
}

bool (*elevatedRelaunch)(const char*) = relaunchElevated;
bool (*machineRightsProbe)() = canWriteMachineRegistry;

namespace {
void toolkitErrorBox(GWindow* owner, const char* text) { showMessageBox(&mbError, owner, text); }
// Once per run, under its own report code.
const u32 kScrollLockReport = 3;
void toolkitScrollLockHint() { reportErrorOnce(kScrollLockReport, guiText(GuiText::ScrollLockHint)); }
}  // namespace

void installToolkitHooks() {
    setErrorBoxHook(toolkitErrorBox);
    scrollLockHint = toolkitScrollLockHint;
}
