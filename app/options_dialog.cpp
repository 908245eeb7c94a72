#include "app/options_dialog.h"

#include "app/app_settings.h"
#include "app/options_mixer.h"
#include "app/program_texts.h"
#include "app/window_kinds.h"
#include "app/work_folder.h"
#include "core/block_base.h"
#include "core/exceptions.h"
#include "core/paths.h"
#include "gui/controls/combo.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/number_validator.h"
#include "gui/controls/option_check_boxes.h"
#include "gui/controls/page_stack.h"
#include "gui/dialogs/action_items_window.h"
#include "gui/dialogs/color_list_window.h"
#include "gui/dialogs/key_table_window.h"
#include "gui/dialogs/path_field.h"
#include "gui/frame/app_window.h"
#include "gui/frame/help.h"
#include "gui/kernel/application.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/menus/command_bars.h"
#include "gui/menus/key_bindings.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/tab_actions.h"
#include "gui/views/tree_table.h"
#include "mm/mm_settings.h"
#include "mm/plugin_folder.h"

void (*optionsAppliedHook)(u32 code) = nullptr;

OptionsDialog::OptionsDialog(GWindow* owner) : GDialog(owner, "options.htm") {}

OptionsDialog::~OptionsDialog() {
    destroyNative();
    delete mixerLine;
}

namespace {

bool isPathChanged(const GString& shown, const GString& now) {
    return shown.length != now.length || !stringEquals(shown, now.c_str());
}

bool ask(GWindow* owner, RavoText question) { return showMessageBox(&mbQuestion, owner, ravoText(question)) == 6; }

void updateApplicationWindows() {
    for (GParentWindow* window : GAppWindow::windowListOrder()) GAppWindow::updateSystemMenu(window);
}

}  // namespace

void OptionsDialog::showPage(i32 page) {
    if (!pages || page < 0 || page >= OptionsPageCount) return;
    pages->setCurrentPage(page);
    if (page != OptionsMixerPage || mixerSearched) return;
    // The play device's line, and its state for Cancel.
    mixerSearched = true;
    mixerLine = makeOptionsMixerLine ? makeOptionsMixerLine() : nullptr;
    bagFree(mixerState);
    if (mixerLine && !mixerLine->saveState(mixerState)) {
        delete mixerLine;
        mixerLine = nullptr;
    }
    u32 volume = 0;
    if (mixerVolume) {
        if (mixerLine && mixerLine->volume(&volume))
            mixerVolume->setTextQuiet(formatNumber(volume).c_str());
        else
            mixerVolume->setTextQuiet(ravoText(RavoText::OptionsMixerNone));
        EnableWindow(mixerVolume->hwnd, mixerLine != nullptr);
    }
}

void OptionsDialog::showKind(u32 column, i32 index) {
    if (column > 1 || index < 0 || index >= 10 || !barEditors[column]) return;
    WindowKind* kind = programWindowKind(optionsKindOrder[index]);
    if (!kind) return;
    barEditors[column]->kind = kind;
    barEditors[column]->onButton(0, nullptr);
}

bool OptionsDialog::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (!n) return false;
    for (u32 column = 0; column < 2; ++column)
        if (kindCombos[column] && n->source == kindCombos[column] && n->code == ComboSelectionChanged)
            showKind(column, kindCombos[column]->selection);
    if (pageList && n->source == pageList && n->code == TableCaretMoved) {
        BlockBase* node = pageList->caretNode();
        for (i32 page = 0; page < (i32)pageList->rowNodes.size(); ++page)
            if (pageList->rowNodes[page] == node) showPage(page);
    }
    return false;
}

bool OptionsDialog::accept() {
    // 1: a new folder for temporary files is asked about and checked first.
    GString temp = tempFolderField ? tempFolderField->getText() : GString();
    const bool newTemp = tempFolderField && !isCurrentWorkTempFolder(temp.c_str());
    if (newTemp) {
        if (!ask(this, RavoText::OptionsTempQuestion)) return false;
        if (!validateWorkTempFolder(temp.c_str())) {
            GString message(ravoText(RavoText::OptionsTempRefused));
            stringAppendChar(message, '\n');
            stringAppend(message, temp.c_str());
            showMessageBox(&mbError, this, message.c_str());
            return false;
        }
    }
    // 2: the bound fields are checked and written as the dialog ends; a refusal keeps it open.
    if (!endDialog(1)) return false;
    // 3: the folders, only when their texts changed.
    if (workFolderField) {
        GString work = workFolderField->getText();
        if (isPathChanged(shownWorkFolder, work)) setWorkDirectory(work.c_str());
    }
    if (pluginFolderField) {
        GString plugins = pluginFolderField->getText();
        if (isPathChanged(shownPluginFolders, plugins)) setPluginFolders(plugins.c_str());
    }
    // 4 and 5.
    appSettings.Editor.workFileLimit = (u64)(workLimitMegabytes * 1024.0 * 1024.0);
    ShowSettings& show = multimediaSettings().show;
    if (noteStyleCombo && noteStyleCombo->selection >= 0) show.noteStyle = (u32)noteStyleCombo->selection;
    if (octaveStyleCombo && octaveStyleCombo->selection >= 0) show.octaveStyle = (u32)octaveStyleCombo->selection;
    // 6 and 7: the tab options, keys, bar options, windows and pages.
    applyOptionCheckBoxes(tabBoxes, 12, &guiSettings.tabEffects, 16);
    applyTabOptionCheckBoxes(tabBoxes, 12);
    if (keys) {
        RecordArray<GKeyBinding> bindings;
        keys->storeInto(bindings);
        replaceKeyBindings(bindings);
    }
    for (GActionItemsWindow* editor : barEditors)
        if (editor) editor->storeOptions();
    updateApplicationWindows();
    if (optionsAppliedHook) optionsAppliedHook(19);
    // 8: the new folder is used from the next start, now when the user wants.
    if (newTemp && setWorkTempFolder(temp.c_str()) && ask(this, RavoText::OptionsRestartQuestion))
        quitApplication("");
    return true;
}

void OptionsDialog::revert() {
    if ((mixerChanged || buildOptionsMixerPanels) && mixerLine) {
        mixerState.pos = 0;
        try {
            mixerLine->applyState(mixerState);
        } catch (const GBagException&) {
        }
    }
    if (colors) colors->apply();
    barSnapshot.pos = 0;
    readCommandBars(barSnapshot);
    updateApplicationWindows();
}

bool OptionsDialog::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case 1:
        accept();
        return true;
    case 2:
        revert();
        endDialog(2);
        return true;
    case OptionsResetAll:
        // The dialog ends too, or its modal run would hold the quit back.
        if (ask(this, RavoText::OptionsResetQuestion)) {
            quitApplication("-Reset");
            endDialog(OptionsResetAll);
        }
        return true;
    case 9:
    case 101:
        openHelp(helpPage, this);
        return true;
    case OptionsSetMixerVolume: {
        f64 volume;
        if (mixerLine && mixerVolume && parseNumber(mixerVolume->text(), &volume) && volume >= 0 && volume <= 65535 &&
            mixerLine->setVolume((u32)volume))
            mixerChanged = true;
        return true;
    }
    default:
        return GDialog::onCommand(command, query);
    }
}

i32 runOptionsDialog(GWindow* owner, i32 page) {
    OptionsDialog dialog(owner);
    if (!buildOptionsPage(dialog)) return -1;
    if (page != OptionsFoldersPage && dialog.pageList && page >= 0 && page < (i32)dialog.pageList->rowNodes.size())
        dialog.pageList->setCaretRow((u64)page);
    dialog.showPage(page);
    RECT empty{};
    return showModal(&dialog, &empty, PlaceCentreOnOwner);
}
