#include "shell/hand_over.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "app/program_texts.h"
#include "app/window_kinds.h"
#include "core/gfile.h"
#include "core/parse.h"
#include "core/paths.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/object_window.h"
#include "gui/kernel/application.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/timers.h"
#include "gui/kernel/window_placement.h"

std::vector<std::string> queuedFiles;
u32 queuedCount = 0;
u32 stopRequests = 0;

namespace {
GFile g_lock;
TimerRecord g_pollTimer, g_openTimer;
const u32 kStep = 100;

GString dataFile(const char* name) {
    GString path = dataFolder();
    stringAppendChar(path, '\\');
    stringAppend(path, name);
    return path;
}

bool commandFilePending() { return pathIsFile(dataFile("command").c_str()); }

void defaultOpen(GObjectWindow* target, u32 kind, const char* path) { openDocumentInWindow(target, kind, path); }
}  // namespace

void (*openQueuedFile)(GObjectWindow* target, u32 kind, const char* path) = defaultOpen;

bool writeCommandFile(const char* name, const char* text) {
    GString target = dataFile(name);
    GFile file;
    if (!fileOpen(file, target.c_str(), FileMode::WriteReplace | FileFlag::Quiet)) return false;
    // Written under a fresh name; it is kept when closed, then moved into place.
    file.flags &= ~(u32)FileFlag::DeleteOnClose;
    GString temp(file.name);
    bool written = fileWriteText(file, text) && fileClose(file);
    if (!written || !moveFile(temp.c_str(), target.c_str())) {
        deleteFile(temp.c_str());
        return false;
    }
    return true;
}

HandOver handOverToRunningInstance(const char* commandLine) {
    const char* command = commandLine && *commandLine ? commandLine : "-nop";
    i32 budget = 5000;
    GString folder = dataFolder();
    if (!folder.length || !pathIsDirectory(folder.c_str())) {
        if (!folder.length || !ensureDataFolder()) return HandOver::NoDataFolder;
    }
    GString lockPath = dataFile("running");
    GString commandPath = dataFile("command");
    bool written = false;
    while (budget > 0) {
        if (fileOpen(g_lock, lockPath.c_str(), FileMode::Write | FileFlag::Quiet)) {
            if (pathExists(commandPath.c_str())) deleteFile(commandPath.c_str());
            return HandOver::First;
        }
        if (pathIsFile(commandPath.c_str())) {
            Sleep(kStep);
            budget -= kStep;
            continue;
        }
        if (written) return HandOver::Passed;
        AllowSetForegroundWindow(ASFW_ANY);
        if (writeCommandFile("command", command)) {
            written = true;
            continue;
        }
        Sleep(kStep);
        budget -= kStep;
    }
    return HandOver::Passed;
}

void releaseInstanceLock() {
    if (g_lock.isOpen()) fileCloseQuietly(g_lock);
}

i32 runningStopWaitMs = 2000;

bool requestRunningInstanceStop() {
    GString folder = dataFolder();
    if (!folder.length || !pathIsDirectory(folder.c_str())) return true;
    GString lockPath = dataFile("running");
    i32 budget = runningStopWaitMs;
    bool written = false;
    bool asked = false;
    for (;;) {
        if (budget <= 0 && !asked) {
            asked = true;
            budget = runningStopWaitMs;
            showMessageBox(&mbInformation, nullptr, ravoText(RavoText::CloseRunningProgram));
        } else if (budget <= 0) {
            // An instance that does not end (a question of its own, a hang) must not hold the
            // installer forever: the user decides.
            if (showMessageBox(&mbQuestion, nullptr, ravoText(RavoText::StillRunningQuestion)) != IDYES) return false;
            budget = runningStopWaitMs;
        }
        HANDLE h = CreateFileA(lockPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            return true;
        }
        DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return true;
        if (!commandFilePending() && !written && writeCommandFile("command", "-stop")) {
            written = true;
            continue;
        }
        Sleep(kStep);
        budget -= kStep;
    }
}

void pollCommandFile() {
    GString path = dataFile("command");
    if (!pathIsFile(path.c_str())) return;
    const u32 queuedBefore = queuedCount;
    GString text;
    if (readWholeFile(path.c_str(), text)) {
        ArgumentList arguments;
        splitCommandLine(arguments, text.c_str());
        for (u32 i = 0; i < arguments.count; ++i) {
            const char* argument = arguments.arguments[i];
            if (strcmp(argument, "-stop") == 0) {
                ++stopRequests;
                break;
            }
            if (argument[0] == '-' || !argument[0]) continue;
            if (std::find(queuedFiles.begin(), queuedFiles.end(), argument) != queuedFiles.end()) continue;
            queuedFiles.push_back(argument);
            ++queuedCount;
        }
    }
    deleteFile(path.c_str());
    // New names open at once rather than on the next open tick; the tick retries what waits.
    if (queuedCount > queuedBefore && !stopRequests) openQueuedFiles();
}

u32 windowKindForFile(const char* name) {
    const char* dot = strrchr(name, '.');
    const char* extension = dot ? dot + 1 : "";
    if (strcmp(extension, "ovt") == 0) return KindSpectrum;
    if (strcmp(extension, "md") == 0) return KindNotesEditor;
    if (strcmp(extension, "bins") == 0) return KindInstrument;
    for (const char* sound : {"wav", "ravo", "mp3", "mp2", "ogg", "avi", "mkv", "mp4", "ts", "dls"})
        if (strcmp(extension, sound) == 0) return KindEditor;
    return KindAnalyzer;
}

namespace {
GObjectWindow* firstObjectWindow() {
    if (objectWindowCount == 0) return nullptr;
    for (GParentWindow* w = firstWindowOfKind(TypeAppWindow); w; w = nextWindowOfKind(w, GW_HWNDNEXT, TypeAppWindow))
        if (w->isKindOf(TypeObjectWindow) && !w->destroyed()) return static_cast<GObjectWindow*>(w);
    return nullptr;
}
}  // namespace

void openQueuedFiles() {
    if (topModalScope()) return;
    // Stop requests are taken before the names: with none queued the walk below never runs.
    if (stopRequests) {
        stopRequests = 0;
        requestQuit();
        return;
    }
    if (queuedCount == 0) return;
    GObjectWindow* target = firstObjectWindow();
    if (!target) return;
    activateWindow(target);
    for (std::string& name : queuedFiles) {
        if (name.empty()) continue;
        std::string path;
        path.swap(name);
        --queuedCount;
        openQueuedFile(target, windowKindForFile(path.c_str()), path.c_str());
        if (topModalScope()) return;
    }
    queuedFiles.clear();
    queuedCount = 0;
}

void startHandOverTimers() {
    addTimer(&g_pollTimer, 170, nullptr, [](TimerRecord*, uintptr_t) { pollCommandFile(); });
    addTimer(&g_openTimer, 270, nullptr, [](TimerRecord*, uintptr_t) { openQueuedFiles(); });
    queuedCount = 0;
    for (const std::string& name : queuedFiles)
        if (!name.empty()) ++queuedCount;
}

void stopHandOverTimers() {
    removeTimer(&g_pollTimer);
    removeTimer(&g_openTimer);
}
