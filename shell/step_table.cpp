#include "shell/step_table.h"

#include <cstring>

#include "app/app_settings.h"
#include "app/settings_step.h"
#include "shell/program_settings_step.h"
#include "core/history.h"
#include "core/parse.h"
#include "gui/controls/splash_window.h"
#include "gui/dialogs/path_history.h"
#include "gui/kernel/toolkit_steps.h"
#include "gui/paint/gui_settings.h"
#include "mm/mm_settings.h"
#include "setup/update_step.h"
#include "shell/hand_over.h"
#include "shell/program_window.h"
#include "shell/startup_steps.h"
#include "shell/welcome_link.h"

namespace {
// The program keeps no history lists yet.
HistoryList* const kHistoryLists[] = {nullptr};

struct Steps {
    CommonControlsStep commonControls;
    AppIconsStep icons{1001, 1002};
    SplashStep splash{drawSplash, nullptr, nullptr};
    SettingsStep toolkitStore{guiSettings, kGuiSettingsPath, kGuiSettingsSection};
    SettingsStep multimediaStore{multimediaSettings(), kMultimediaSettingsPath, kMultimediaSettingsSection};
    ProgramSettingsStep programStore{appSettings, kAppSettingsPath, kAppSettingsSection};
    ColorSchemeStep colorScheme;
    DataFolderStep dataFolder;
    WorkTempFolderStep workTempFolder;
    KeyBindingsStep keyBindings;
    PathHistoryStep fileDialogHistory{"$d\\ravo_gf.ini", false};
    PathHistoryStep folderLists{"$d\\ravo_qs.ini", true};
    HistoryStep history{kHistoryLists, "$d\\ravo_history.ini"};
    ActionStoreStep actionStore{"$d\\ravo_action.ini"};
    WorkDirStep workDir;
    WindowLayoutStep windowLayout{"$d\\ravo_layout.ini", rebuildMainWindow};
    ToolTipStep toolTips;
    HintsStep hints{"$d\\ravo_hints.ini"};
    NoteNamesStep noteNames;
    UpdateCheckStep updateCheck;
};

Steps& steps() {
    static Steps table;
    return table;
}

}  // namespace

LanguageStep& diskLanguageStep() {
    static LanguageStep step(nullptr);
    return step;
}

void fillStepTable(i32 runMode) {
    Steps& s = steps();
    initSteps[SlotCommonControls] = &s.commonControls;
    initSteps[SlotAppIcons] = &s.icons;
    initSteps[SlotWorkDir] = &s.workDir;
    windowLayoutStep = nullptr;
    if (runMode != 2) return;
    const struct {
        u32 slot;
        GInitStep* step;
    } normal[] = {
        {SlotSplash, &s.splash},
        {SlotToolkitSettings, &s.toolkitStore},
        {SlotMultimediaSettings, &s.multimediaStore},
        {SlotProgramSettings, &s.programStore},
        {SlotColorScheme, &s.colorScheme},
        {SlotDataFolder, &s.dataFolder},
        {SlotWorkTempFolder, &s.workTempFolder},
        {SlotKeyBindings, &s.keyBindings},
        {SlotFileDialogHistory, &s.fileDialogHistory},
        {SlotFolderLists, &s.folderLists},
        {SlotHistory, &s.history},
        {SlotActionStore, &s.actionStore},
        {SlotWindowLayout, &s.windowLayout},
        {SlotToolTips, &s.toolTips},
        {SlotHints, &s.hints},
        {SlotNoteNames, &s.noteNames},
        {SlotUpdateCheck, &s.updateCheck},
    };
    for (const auto& entry : normal) initSteps[entry.slot] = entry.step;
    s.windowLayout.restoreWord = 0;
    windowLayoutStep = &s.windowLayout;
}

void clearStepTable() {
    for (GInitStep*& step : initSteps) step = nullptr;
    windowLayoutStep = nullptr;
}
