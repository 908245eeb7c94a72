#pragma once
// The command line and installer mode: what parseCommandLine found (one process-wide record), the
// installer-mode run with its lock and dialogs, and the language command's restart.
#include <string>
#include <vector>

#include "core/gfile.h"
#include "core/gstring.h"

class GWindow;

struct CommandLineState {
    GString installDataPath;
    GString languageCode;
    bool installRequested = false;
    bool uninstallRequested = false;
    bool isInstaller = false;
    bool hasRecord = false;
    bool diskLocalization = false;
    bool adminGiven = false;
    bool suicideRequested = false;
    bool isAdministrator = false;
};
extern CommandLineState commandLineState;
// Held open while the installer runs; closed at exit (tests close it themselves).
extern GFile installLock;
extern const char* const kInstallLockName;  // "kx_install_lock_3652637.txt"

// 0 end now, 1 installer or uninstaller mode, 2 normal start. Names not beginning with '-' are
// queued for opening; the run's localizer goes into slot 3.
i32 parseCommandLine(const char* commandLine);
// False when the program is to end (every installer path); true when neither mode is set.
bool runInstallerMode();
// The main window's language command: the choice, then a restart without arguments.
void selectLanguageAndRestart(GWindow* owner);

// The installer's dialogs as runInstallerMode calls them; replaceable for tests.
extern i32 (*runInstallPage)(const char* installDataPath, bool suicideRequested);
extern i32 (*runUninstallPage)(const char* installDataPath, bool suicideRequested);
