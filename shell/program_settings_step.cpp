#include "shell/program_settings_step.h"

#include "app/app_settings.h"
#include "editor/wave_view_options.h"

bool ProgramSettingsStep::start(ErrorHandler* handler, bool reset) {
    bool started = SettingsStep::start(handler, reset);
    loadWaveViewOptions(appSettings.Editor);
    return started;
}

void ProgramSettingsStep::stop() {
    storeWaveViewOptions(appSettings.Editor);
    SettingsStep::stop();
}
