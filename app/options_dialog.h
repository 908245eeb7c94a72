#pragma once
// OptionsDialog ("OptionsDialog", type 1032, help "options.htm"): the program's options on pages
// chosen from a tree: folders, note names, the mixer line, buffers, warnings, undo and smoothing,
// performance, tool bars and menus, tabs, keys and colours. OK writes the controls to their
// settings and applies them; Cancel puts back what changed while it was open; reset-all (3)
// restarts the program with "-Reset". Lives on the stack of runOptionsDialog.
#include "core/bag.h"
#include "core/gstring.h"
#include "gui/kernel/dialog.h"

class GActionItemsWindow;
class GCheckBox;
class GColorListWindow;
class GCombo;
class GEditLine;
class GKeyTableWindow;
class GPageStack;
class GPathField;
class GTreeView;
class OptionsMixerLine;

const u32 TypeOptionsDialog = 1032;

// Dialog commands beyond the standard ones.
enum : u32 { OptionsResetAll = 3, OptionsSetMixerVolume = 1010 };

// The pages in list order.
enum : i32 {
    OptionsFoldersPage,
    OptionsNotesPage,
    OptionsMixerPage,
    OptionsBuffersPage,
    OptionsConverterPage,
    OptionsUndoPage,
    OptionsPerformancePage,
    OptionsBarsPage,
    OptionsTabsPage,
    OptionsKeysPage,
    OptionsColorsPage,
    OptionsPageCount
};

class OptionsDialog : public GDialog {
public:
    explicit OptionsDialog(GWindow* owner);
    ~OptionsDialog() override;

    bool isKindOf(u32 id) const override { return id == TypeOptionsDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "OptionsDialog"; }
    u32 typeId() const override { return TypeOptionsDialog; }

    // 1 OK, 2 Cancel, 3 reset all, 9 and 101 help, 1010 the mixer volume; other ids 1 to 99 end the
    // dialog.
    bool onCommand(u32 command, GStateQuery* query) override;
    // The kind combos of the bar editors and the page list; passed on.
    bool onControlNotify(void* notification) override;

    // Shows the page; the mixer page looks for its line the first time.
    void showPage(i32 page);
    // The bar editor of the column (0 tool bars, 1 menus) shows the kind at the combo's index.
    void showKind(u32 column, i32 index);
    // OK's steps; false keeps the dialog open.
    bool accept();
    // Cancel's restores.
    void revert();

    GBag barSnapshot;         // every kind's menus and tool bars at opening
    GString shownWorkFolder;  // the path fields' texts at opening
    GString shownPluginFolders;
    f64 workLimitMegabytes = 0.0;

    GTreeView* pageList = nullptr;
    GPageStack* pages = nullptr;
    GPathField* tempFolderField = nullptr;
    GPathField* workFolderField = nullptr;
    GPathField* pluginFolderField = nullptr;
    GCombo* noteStyleCombo = nullptr;
    GCombo* octaveStyleCombo = nullptr;
    GCombo* kindCombos[2] = {};
    GActionItemsWindow* barEditors[2] = {};
    GCheckBox* tabBoxes[12] = {};
    GKeyTableWindow* keys = nullptr;
    GColorListWindow* colors = nullptr;

    // The mixer line, found when its page is first shown, and its state then.
    OptionsMixerLine* mixerLine = nullptr;  // owned
    GEditLine* mixerVolume = nullptr;
    bool mixerSearched = false;
    bool mixerChanged = false;
    GBag mixerState;
};

// Makes the dialog's window and builds every page into it, filled from the settings records.
bool buildOptionsPage(OptionsDialog& dialog);
// Opens the options dialog modally over the owner at a page; answers its end code.
i32 runOptionsDialog(GWindow* owner, i32 page = OptionsFoldersPage);

// Told after OK applied the options, for the open document pages (event code 19); may be null.
extern void (*optionsAppliedHook)(u32 code);
// The program's ten window kinds in the order of the kind combos.
extern const u32 optionsKindOrder[10];
