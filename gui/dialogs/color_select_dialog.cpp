#include "gui/dialogs/color_select_dialog.h"

#include "gui/dialogs/color_list_window.h"
#include "gui/kernel/gui_texts.h"
#include "gui/layout/layout_builder.h"

bool GColorSelectDialog::build() {
    if (!createWindow(guiText(GuiText::ColorDialogTitle))) return false;
    GLayoutBuilder builder(this);
    list = new GColorListWindow(builder);
    setDialogContent(list, this, "88888", false);
    return true;
}

bool GColorSelectDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == 2 && list) list->apply();
    return GSinglePlacerDialog::onCommand(command, query);
}

i32 GColorSelectDialog::run(GWindow* owner) {
    GColorSelectDialog dialog(owner);
    if (!dialog.build()) return -1;
    return dialog.GSinglePlacerDialog::run();
}
