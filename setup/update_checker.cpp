#include "setup/update_checker.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "app/program_texts.h"
#include "core/error.h"
#include "core/paths.h"
#include "core/system.h"
#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/kernel/application.h"
#include "gui/kernel/error_queue.h"
#include "gui/kernel/message_box.h"
#include "setup/registry_key.h"
#include "setup/update_dialog.h"
#include "setup/update_signature.h"

namespace {
const char kPatchCopy[] = "ravo_patcher_tmp_1.exe";
const char kPatcherCopy[] = "ravo_patcher_tmp_2.exe";

bool shellStart(const char* file, const char* parameters, const char* folder, bool runAs) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.lpVerb = runAs ? "runas" : nullptr;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = folder;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}

void quitProgram() { quitApplication(nullptr); }

void showFileError(const char* message, const char* fileName) {
    GString text;
    errorText(text, message, nullptr, fileName, 0);
    showMessageBox(&mbError, nullptr, text.c_str());
}

class QuestionRequest : public CrossThreadRequest {
public:
    QuestionRequest(HttpDownloader* worker, u32 code, const char* text, u32 number, bool* answer)
        : worker(worker), code(code), text(text ? text : ""), number(number), answer(answer) {}
    void run() override { *answer = showUpdateQuestion(worker, code, text.c_str(), number); }
    HttpDownloader* worker;
    u32 code;
    GString text;
    u32 number;
    bool* answer;
};

class StartRequest : public CrossThreadRequest {
public:
    StartRequest(const char* file, const char* version, HttpDownloader* worker)
        : file(file), version(version), worker(worker) {}
    void run() override { runDownloadedUpdate(file.c_str(), version.c_str(), worker->key, worker->keySize); }
    GString file, version;
    HttpDownloader* worker;
};
}  // namespace

UpdateLauncher updateLauncher = shellStart;
void (*updateQuit)() = quitProgram;
const char* updateUninstallKey = "";

bool UpdateChecker::askUser(u32 code, const char* text, u32 number) {
    bool answer = false;
    if (!callAndWait(new QuestionRequest(this, code, text, number, &answer), tasks, uiTaskQueue())) return false;
    return answer;
}

void UpdateChecker::runUpdate(const char* fileName, const char* version) {
    callAndWait(new StartRequest(fileName, version, this), tasks, uiTaskQueue());
}

void UpdateChecker::noticeFirstCheck() { askUser(0, nullptr, 0); }

bool UpdateChecker::isUserIdle(u32) {
    GApplication* app = application();
    if (app && app->quitting) return false;
    if (openUpdateDialog) return true;
    if (pendingBoxListExists()) return false;
    const int buttons[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    for (int button : buttons)
        if (systemInput.asyncKeyState(button) & 0x8000) return false;
    i64 now = (i64)(systemInput.tickCount() / 1000);
    return lastKeyDownTime < now && lastMouseActionTime < now;
}

bool showUpdateQuestion(HttpDownloader* worker, u32 code, const char* text, u32 number) {
    GString message;
    switch (code) {
    case 0:
        stringFormat(message, ravoText(RavoText::UpdateFirstCheck), productName().c_str());
        showMessageBox(&mbInformation, nullptr, message.c_str());
        return false;
    case 3: {
        // With the update dialog open a plain question: the dialog's radios set the mode.
        if (openUpdateDialog) return showMessageBox(&mbQuestion, nullptr, ravoText(RavoText::UpdateHowToCheck)) == 6;
        u32 mode = 2;
        if (!UpdateModeDialog::ask(mode)) return false;
        if (worker) {
            std::lock_guard<std::recursive_mutex> hold(worker->stateLock);
            worker->mode = mode;
        }
        return mode != 0;
    }
    case 5:
        stringFormat(message, ravoText(RavoText::UpdateAskDownload), text ? text : "", (number + 1023u) / 1024u);
        return showMessageBox(&mbQuestion, nullptr, message.c_str()) == 6;
    case 7:
        stringFormat(message, ravoText(RavoText::UpdateAskInstall), text ? text : "");
        return showMessageBox(&mbQuestion, nullptr, message.c_str()) == 6;
    default:
        return false;
    }
}

GString patcherParameters(const char* installFolder, const char* patchFile) {
    GString folder(installFolder);
    // A closing backslash would escape the closing quote.
    while (folder.length > 3 && folder.c_str()[folder.length - 1] == '\\') stringTruncate(folder, 1);
    GString program = folder;
    stringAppend(program, "\\ravo.exe");
    GString parameters;
    stringFormat(parameters, "\"%s\" += \"%s\" -wait \"%s\" -run \"%s\"", folder.c_str(), patchFile, program.c_str(),
                 program.c_str());
    return parameters;
}

bool runDownloadedUpdate(const char* fileName, const char* version, const u8* key, u32 keySize) {
    WindowErrorHandler boxes;
    u8 head[2] = {0, 0};
    {
        GFile file(&boxes);
        if (!fileOpen(file, fileName, FileMode::Read)) return false;
        bool read = fileRead(file, head, 2);
        fileClose(file);
        if (!read) return false;
    }
    bool installer = head[0] == 0x4D && head[1] == 0x5A;
    bool patch = head[0] == 0x50 && head[1] == 0x54;
    if (!installer && !patch) {
        showFileError(ravoText(RavoText::UpdateNotInstaller), fileName);
        return false;
    }
    GString signatureFile(fileName);
    stringAppend(signatureFile, ".sig");
    GString folder(fileName);
    pathRemoveLastComponent(folder);
    pathStripTrailingSeparator(folder);
    bool elevated = canWriteMachineRegistry();
    GString moved = folder;
    pathJoin(moved, kPatchCopy);
    deleteFile(moved.c_str());
    if (!moveFile(fileName, moved.c_str(), &boxes)) return false;
    // Held open against writers from the check until the start.
    HANDLE held = CreateFileA(moved.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE ||
        !verifyUpdateHandle(held, version, signatureFile.c_str(), key, keySize)) {
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        deleteFile(moved.c_str());
        showFileError(ravoText(RavoText::UpdateBadSignature), fileName);
        return false;
    }
    bool started;
    if (installer) {
        started = updateLauncher(moved.c_str(), nullptr, folder.c_str(), !elevated);
    } else {
        GString patcher = programFolder();
        pathJoin(patcher, "patcher.exe");
        GString patcherCopy = folder;
        pathJoin(patcherCopy, kPatcherCopy);
        copyFileWithProgress(patcher.c_str(), patcherCopy.c_str(), nullptr, &boxes);
        GString installFolder;
        if (!readInstallLocation(nullptr, updateUninstallKey, installFolder) || installFolder.empty()) {
            CloseHandle(held);
            showMessageBox(&mbError, nullptr, ravoText(RavoText::UpdateNoInstallFolder));
            return false;
        }
        GString parameters = patcherParameters(installFolder.c_str(), moved.c_str());
        started = updateLauncher(patcherCopy.c_str(), parameters.c_str(), folder.c_str(), !elevated);
    }
    CloseHandle(held);
    if (!started) {
        showMessageBox(&mbError, nullptr, ravoText(RavoText::UpdateStartFailed));
        return false;
    }
    if (openUpdateDialog) openUpdateDialog->endDialog(2);
    updateQuit();
    return true;
}
