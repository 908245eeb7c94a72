#include "gui/dialogs/select_dialog.h"

#include <memory>

#include "gui/controls/button_row.h"
#include "gui/controls/multi_label.h"
#include "gui/input/input_event.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/splitter.h"
#include "gui/views/box.h"

bool GSelectDialog::build(GSelectDialog* d, const char* title, const char* prompt, GSelectPreview* preview) {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(d, style, WS_EX_DLGMODALFRAME, title ? title : "")) return false;
    d->previewCallback = preview;
    GColumnsItem* column = new GColumnsItem(d);
    setLayoutDigits(column, "88888");
    d->setContent(column);
    GLayoutBuilder builder(d);
    builder.current = column;
    if (prompt && *prompt) GMultiLabel::create(builder, prompt, 30, 10, 0xA400);

    GTableDesc desc;
    desc.flags = TableToolTips;
    desc.columnSpec = ":F:X=24";
    desc.visibleRows = 8;
    d->list = addTable(nullptr, d, desc);
    if (!d->list) return false;
    if (!preview) {
        builder.add(d->list, "UC");
    } else {
        GSplitterItem* split = new GSplitterItem(d, false, 3, 2);
        builder.pushContainer(split, nullptr, "UC");
        builder.add(d->list, "UC");
        builder.pushContainer(new GGroupBoxItem(d, ""), nullptr, "UC");
        d->previewLabel = GMultiLabel::create(builder, "", 40, 40, 0xA440, "UC");
        builder.endContainer();
        builder.endContainer();
    }
    GButtonRow::create(builder, d->helpPage ? "OCH" : "OC");
    d->fitToContent();
    return true;
}

bool GSelectDialog::run(i32 initial, GWindow* owner, const char* title, const char* prompt, const char* const* items,
                        i32 count, i32* out, GSelectPreview* preview) {
    GSelectDialog dialog(owner, nullptr);
    if (!build(&dialog, title, prompt, preview)) return false;
    GListInterface* entries = dialog.list->asList();
    // The preview waits for the initial entry.
    dialog.previewCallback = nullptr;
    for (i32 i = 0; i < count; ++i) entries->addItem(items[i]);
    if (initial >= 0)
        entries->selectItem(initial);
    else
        dialog.list->selection()->setCaret(-1);  // the rows' arrival made the first one current
    dialog.previewCallback = preview;
    dialog.refillPreview();
    dialog.list->setFocusSafe();
    RECT empty{};
    if (showModal(&dialog, &empty, PlaceCentreOnOwner) != 1) return false;
    i32 chosen = dialog.currentEntry();
    if (chosen >= 0 && out) *out = chosen;
    return true;
}

i32 GSelectDialog::currentEntry() {
    GListInterface* entries = list ? list->asList() : nullptr;
    i32 current = entries ? entries->currentItem() : -1;
    return current >= 0 && entries->isItemSelected(current) ? current : -1;
}

void GSelectDialog::refillPreview() {
    if (!previewCallback || !previewLabel || !list) return;
    i32 current = currentEntry();
    if (current == previewed) return;
    previewed = current;
    previewLabel->setText("");
    if (current >= 0) previewCallback->preview(previewLabel, current);
}

bool GSelectDialog::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (!list || n->source != list) return GDialog::onControlNotify(notification);
    if (n->code == TableRowActivated) {
        GStateQuery query{1, 0};
        routeCommandUp(this, QueryExecute, &query);
        return true;
    }
    refillPreview();
    return false;
}

i32 GSelectDialog::handleKey(GInputEvent* e) {
    bool hotKey = !e->mouse && e->kind == KeyDown && (e->modifiers & 7) == ModCtrl &&
                  ((e->key >= '0' && e->key <= '9') || (e->key >= 'A' && e->key <= 'Z'));
    if (hotKey && list) {
        GListInterface* entries = list->asList();
        for (i32 i = 0; i < entries->itemCount(); ++i) {
            std::unique_ptr<char[]> text(entries->itemText(i));
            if (!text || text[0] != '[' || (u8)text[1] != e->key || text[2] != ']') continue;
            entries->selectItem(i);
            refillPreview();
            GStateQuery query{1, 0};
            routeCommandUp(this, QueryExecute, &query);
            return 2;
        }
    }
    return GDialog::handleKey(e);
}
