#pragma once
// The interface side of the update check: the worker's questions carried to the interface thread,
// and the start of a downloaded installer or patch. The start-up step owns the one UpdateChecker.
#include "setup/update_worker.h"

class UpdateChecker : public HttpDownloader {
public:
    bool askUser(u32 code, const char* text, u32 number) override;
    void runUpdate(const char* fileName, const char* version) override;
    void noticeFirstCheck() override;
    bool isUserIdle(u32 code) override;
};

// The question of the code on the interface thread; the answer, and for code 3 the worker's new mode.
bool showUpdateQuestion(HttpDownloader* worker, u32 code, const char* text, u32 number);

// Starts a file (ShellExecuteEx); tests replace it. True when it started.
typedef bool (*UpdateLauncher)(const char* file, const char* parameters, const char* folder, bool runAs);
extern UpdateLauncher updateLauncher;
// Asks the program to quit after a started update; tests replace it.
extern void (*updateQuit)();
// The uninstall entry's name whose install location a patch is applied to.
extern const char* updateUninstallKey;

// Checks the signature (file + ".sig") of the version again on the moved file, held open against
// writers, then starts an installer (MZ) or the patcher on a patch (PT); the program quits only
// after a start. True when something started.
bool runDownloadedUpdate(const char* fileName, const char* version, const u8* key, u32 keySize);

// The patcher's seven arguments for the installation folder and patch file.
GString patcherParameters(const char* installFolder, const char* patchFile);
