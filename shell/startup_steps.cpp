#include "shell/startup_steps.h"

#include "app/pane_color_groups.h"
#include "app/program_texts.h"
#include "app/text_modules.h"
#include "app/work_folder.h"
#include "core/exceptions.h"
#include "core/history.h"
#include "core/localizer.h"
#include "core/paths.h"
#include "gui/controls/tool_tip_controller.h"
#include "gui/frame/shown_notices.h"
#include "gui/frame/window_layout_store.h"
#include "gui/menus/action_table.h"
#include "gui/menus/command_bars.h"
#include "gui/paint/gui_settings.h"
#include "mm/codec_plugin.h"
#include "shell/command_line.h"
#include "shell/hand_over.h"
#include "shell/program_window.h"

WindowLayoutStep* windowLayoutStep = nullptr;

LanguageStep::~LanguageStep() { delete localizer; }

bool LanguageStep::start(ErrorHandler*, bool) {
    delete localizer;
    // Quiet: a missing or damaged language file keeps the English texts and ends no start.
    localizer = new Localizer(programTextModules, programTextModuleCount, language.length ? language.c_str() : nullptr,
                              nullptr);
    try {
        localizer->loadLanguages();
    } catch (const GException&) {
    }
    return true;
}

bool ColorSchemeStep::start(ErrorHandler*, bool) {
    applyColorScheme();
    for (ProgramColorGroup* group : {(ProgramColorGroup*)&wavePaneColors, (ProgramColorGroup*)&spectrumPaneColors})
        if (!group->loaded()) group->restoreDefaults();
    return true;
}

bool DataFolderStep::start(ErrorHandler*, bool) {
    ensureDataFolder();
    return true;
}

bool WorkTempFolderStep::start(ErrorHandler*, bool) {
    resetWorkTempFolder();
    return true;
}

void WorkTempFolderStep::stop() {
    if (pathIsDirectory(workTempFolder().c_str())) removeWorkTempFolder();
}

bool HistoryStep::start(ErrorHandler*, bool reset) {
    if (reset)
        clearListArray(lists);
    else
        loadHistoryOptions(lists, path);
    return true;
}

void HistoryStep::stop() { saveHistoryOptions(lists, path); }

bool ActionStoreStep::start(ErrorHandler*, bool reset) {
    if (reset)
        resetAllToolBarSpecs();
    else
        loadCommandBars(path);
    return true;
}

void ActionStoreStep::stop() { saveCommandBars(path); }

bool WindowLayoutStep::start(ErrorHandler*, bool reset) {
    if (reset) {
        rebuild(-1);
    } else if (restoreWord != 0) {
        // Once: a restart in the same process reads the store again.
        i32 word = restoreWord;
        restoreWord = 0;
        rebuild(word);
    } else {
        GString expanded(path);
        expandPathMacros(expanded);
        beginWindowRestore();
        loadWindowLayout(expanded.c_str(), rebuild);
    }
    return true;
}

void WindowLayoutStep::onQuit() {
    GString expanded(path);
    expandPathMacros(expanded);
    saveWindowLayout(expanded.c_str());
}

bool ToolTipStep::start(ErrorHandler*, bool) {
    if (!controller) controller = new GToolTipController;
    return true;
}

void ToolTipStep::stop() {
    delete controller;
    controller = nullptr;
}

bool HintsStep::start(ErrorHandler*, bool) {
    loadNotices(path);
    return true;
}

void HintsStep::stop() { saveNotices(path); }

bool WorkDirStep::start(ErrorHandler* handler, bool) {
    if (commandLineState.installRequested || commandLineState.uninstallRequested) return runInstallerMode();
    // Named files replace the stored windows.
    if (windowLayoutStep && !queuedFiles.empty()) windowLayoutStep->restoreWord = -2;
    if (!loadCodecPlugin()) {
        reportMessage(handler, ravoText(RavoText::CodecLibraryMissing), 0);
        return false;
    }
    startHandOverTimers();
    GString folder;
    loadWorkDirectory(folder);
    setWorkDirectory(folder.c_str());
    return true;
}

void WorkDirStep::stop() {
    stopHandOverTimers();
    unloadCodecPlugin();
}
