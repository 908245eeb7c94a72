#pragma once
// The program's start/stop steps, one class per slot of the step table that the toolkit's and the
// settings' own classes do not cover. The entry makes them (static objects) and owns them.
#include "core/gstring.h"
#include "gui/kernel/init_step.h"

class GToolTipController;
class GAppWindow;
class Localizer;
struct HistoryList;

// The used slots of a normal run.
enum StepSlot : u32 {
    SlotCommonControls = 0,
    SlotAppIcons = 1,
    SlotSplash = 2,
    SlotLanguage = 3,
    SlotToolkitSettings = 8,
    SlotMultimediaSettings = 9,
    SlotProgramSettings = 10,
    SlotColorScheme = 11,
    SlotDataFolder = 12,
    SlotWorkTempFolder = 13,
    SlotKeyBindings = 14,
    SlotFileDialogHistory = 15,
    SlotFolderLists = 16,
    SlotHistory = 17,
    SlotActionStore = 18,
    SlotWorkDir = 19,
    SlotWindowLayout = 20,
    SlotToolTips = 21,
    SlotHints = 22,
    SlotNoteNames = 23,
    SlotUpdateCheck = 25,
};

// Slot 3: the interface texts of the language chosen (or asked for with "-lang").
class LanguageStep : public GInitStep {
public:
    LanguageStep(const char* language) : language(language ? language : "") {}
    ~LanguageStep() override;
    bool start(ErrorHandler* handler, bool reset) override;
    // The localizer of the last start; null before.
    Localizer* localizer = nullptr;
    GString language;
};

// Slot 11: the toolkit's colours from the stored scheme; the pane groups not loaded take defaults.
class ColorSchemeStep : public GInitStep {
public:
    bool start(ErrorHandler* handler, bool reset) override;
};

// Slot 12: the data folder, made when missing; a failure does not end the start.
class DataFolderStep : public GInitStep {
public:
    bool start(ErrorHandler* handler, bool reset) override;
};

// Slot 13: the work temp folder, made and rid of the program's old files at start; at stop its
// files go again, and the folder when that emptied it.
class WorkTempFolderStep : public GInitStep {
public:
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;
};

// Slot 17: the history lists (null-ended, not owned), emptied by a reset.
class HistoryStep : public GInitStep {
public:
    HistoryStep(HistoryList* const* lists, const char* path) : lists(lists), path(path) {}
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;
    HistoryList* const* lists;
    const char* path;
};

// Slot 18: the menus and tool bars of every window kind; a reset restores the defaults.
class ActionStoreStep : public GInitStep {
public:
    explicit ActionStoreStep(const char* path) : path(path) {}
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;
    const char* path;
};

// Slot 20: the windows of the last run through the rebuild callback. The restore word, when not 0,
// is passed to the callback instead of reading the store; a reset passes -1.
class WindowLayoutStep : public GInitStep {
public:
    typedef GAppWindow* (*Rebuild)(i32 n);
    WindowLayoutStep(const char* path, Rebuild rebuild) : path(path), rebuild(rebuild) {}
    bool start(ErrorHandler* handler, bool reset) override;
    void onQuit() override;
    const char* path;
    Rebuild rebuild;
    i32 restoreWord = 0;
};

// Slot 21: the one tool-tip controller of the program.
class ToolTipStep : public GInitStep {
public:
    ~ToolTipStep() override { stop(); }
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;
    GToolTipController* controller = nullptr;  // owned
};

// Slot 22: the show-once notices.
class HintsStep : public GInitStep {
public:
    explicit HintsStep(const char* path) : path(path) {}
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;
    const char* path;
};

// Slot 19: in a normal run, the hand-over timers, the codec library and the work folder; the
// library goes at stop with the timers.
class WorkDirStep : public GInitStep {
public:
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;
};

// The layout step of the run, read by the work-folder step; null when none.
extern WindowLayoutStep* windowLayoutStep;
