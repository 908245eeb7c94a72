#include "gui/dialogs/action_customize_dialog.h"

#include "gui/dialogs/action_items_window.h"
#include "gui/frame/app_window.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/menus/command_bars.h"

bool GActionCustomizeDialog::build(u32 mode, WindowKind* kind) {
    writeCommandBars(saved);
    if (!createWindow(guiText(GuiText::ActionsCustomizeTitle))) return false;
    GLayoutBuilder builder(this);
    items = new GActionItemsWindow(builder, mode, kind);
    setDialogContent(items, this, "88848", false);
    return true;
}

bool GActionCustomizeDialog::onCommand(u32 command, GStateQuery* query) {
    if (items && command == 2) {
        saved.pos = 0;
        readCommandBars(saved);
    } else if (items && command == 1) {
        bool anyShown = false;
        for (GToolBarSpec* spec : items->lists()) anyShown |= spec->shown && spec->activeCount() > 0;
        if (!anyShown) showMessageBox(&mbInformation, this, guiText(GuiText::ActionsNothingShown));
        items->storeOptions();
        GWindowMap::Iterator it(parentWindowMap());
        while (GWindowMapEntry* entry = it.next()) {
            GParentWindow* window = static_cast<GParentWindow*>(static_cast<GWindow*>(entry));
            if (window->isKindOf(TypeAppWindow) && !window->destroyed() && windowKindOf(window) == items->kind)
                GAppWindow::updateSystemMenu(window);
        }
    }
    return GSinglePlacerDialog::onCommand(command, query);
}

i32 GActionCustomizeDialog::run(GWindow* owner, u32 mode, WindowKind* kind) {
    GActionCustomizeDialog dialog(owner);
    if (!dialog.build(mode, kind)) return -1;
    return dialog.GSinglePlacerDialog::run();
}
