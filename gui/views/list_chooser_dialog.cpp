#include "gui/views/list_chooser_dialog.h"

#include "gui/controls/button_row.h"
#include "gui/controls/label.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/views/list_chooser.h"

bool GListChooserDialog::build(const char* title, const char* text) {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, title)) return false;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    GLayoutBuilder builder(this);
    builder.current = column;
    chooser = GListChooser::create(builder, "UC");
    textLabel = GLabel::create(builder, text ? text : "", LabelOwnerDrawn, "U^");
    buttonRow = GButtonRow::create(builder, "OCH");
    fitToContent();
    return true;
}

void GListChooserDialog::pass(void* notification) {
    if (passing || !receiver) return;
    passing = true;
    LifeGuard guard(lifeRecord());
    receiver->onControlNotify(notification);
    if (guard.alive()) passing = false;
}

bool GListChooserDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == 1 && chooser) {
        GControlNotification n{chooser, ChooserAccepted, (intptr_t)chooser->chosenRows()};
        pass(&n);
    }
    return GDialog::onCommand(command, query);
}

bool GListChooserDialog::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (chooser && n->source && (n->source == chooser->left || n->source == chooser->right)) pass(n);
    return false;
}
