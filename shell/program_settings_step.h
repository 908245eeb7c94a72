#pragma once
// The program settings' store step: after the record is read the wave panes' shared view options
// are taken from its Editor group, and they go back into it before it is written. Owned by the
// step table.
#include "app/settings_step.h"

class ProgramSettingsStep : public SettingsStep {
public:
    using SettingsStep::SettingsStep;
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;
};
