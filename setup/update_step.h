#pragma once
// The start/stop step of the update check: makes the one UpdateChecker at start from the stored
// state and ends it at quit, saving the state. The entry owns the step; the step owns the checker.
#include "gui/kernel/init_step.h"
#include "setup/update_checker.h"

class UpdateCheckStep : public GInitStep {
public:
    ~UpdateCheckStep() override;
    bool start(ErrorHandler* handler, bool reset) override;
    void onQuit() override;

    UpdateChecker* checker = nullptr;
    const char* statePath = "$d/ravo_updates.ini";
};

// The checker of the running program, null when none.
UpdateChecker* updateChecker();
// The uninstall entry named by the record of an installed program file; empty without one.
GString recordedUninstallKey(const char* programPath);
