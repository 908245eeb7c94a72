#include "setup/update_step.h"

#include <windows.h>

#include "core/gfile.h"
#include "core/paths.h"
#include "setup/install_record.h"

#ifndef RAVO_UPDATE_HOST
#define RAVO_UPDATE_HOST "updates.ravo.invalid"
#endif

namespace {
UpdateChecker* current = nullptr;

// A patch goes to the installation whose entry this installed copy's record names.
void takeOwnUninstallKey() {
    static GString key;
    char self[MAX_PATH] = {};
    if (updateUninstallKey[0] || !GetModuleFileNameA(nullptr, self, MAX_PATH)) return;
    key = recordedUninstallKey(self);
    if (key.length) updateUninstallKey = key.c_str();
}
}  // namespace

UpdateChecker* updateChecker() { return current; }

GString recordedUninstallKey(const char* programPath) {
    try {
        InstallRecord record;
        if (hasInstallRecord(programPath) && readInstallRecord(programPath, nullptr, &record, nullptr))
            return record.uninstallKeyName;
    } catch (...) {
    }
    return GString();
}

UpdateCheckStep::~UpdateCheckStep() { onQuit(); }

bool UpdateCheckStep::start(ErrorHandler*, bool reset) {
    const char* leftovers[] = {"ravo_patcher_tmp_1.exe", "ravo_patcher_tmp_2.exe"};
    for (const char* name : leftovers) {
        GString path = tempFolder();
        pathJoin(path, name);
        deleteFile(path.c_str());
    }
    onQuit();
    takeOwnUninstallKey();
    checker = new UpdateChecker;
    checker->addressTemplates = {"http://" RAVO_UPDATE_HOST "/ravo/updates/ver_$v.txt",
                                 "http://" RAVO_UPDATE_HOST "/ravo/updates/ver_latest.txt"};
    checker->loadState(statePath);
    if (reset) checker->resetSchedule();
    current = checker;
    checker->startWorker();
    return true;
}

void UpdateCheckStep::onQuit() {
    if (!checker) return;
    checker->stopWorker();
    checker->saveState(statePath);
    if (current == checker) current = nullptr;
    delete checker;
    checker = nullptr;
}
