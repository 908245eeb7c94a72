#include "editor/plugin_list_dialog.h"

#include "app/program_texts.h"
#include "editor/editor_menus.h"
#include "editor/editor_window.h"
#include "editor/plugin_dialog.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/multi_label.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/splitter.h"
#include "gui/menus/action_image.h"
#include "gui/paint/image_list_cache.h"
#include "gui/views/box.h"
#include "mm/plugin_host.h"

bool GVSTInfoDialog::build(GVSTInfoDialog* d) {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(d, style, WS_EX_DLGMODALFRAME, ravoText(RavoText::PluginListTitle))) return false;
    GColumnsItem* column = new GColumnsItem(d);
    setLayoutDigits(column, "88888");
    d->setContent(column);
    GLayoutBuilder builder(d);
    builder.current = column;
    GTableDesc desc;
    desc.flags = TableToolTips;
    desc.columnSpec = ":F:X=24";
    desc.visibleRows = 10;
    desc.minRowTextHeight = actionImageSize(getImageList(PluginEffectsImage)).cy;
    d->list = addTable(nullptr, d, desc);
    if (!d->list) return false;
    GSplitterItem* split = new GSplitterItem(d, false, 1, 1);
    builder.pushContainer(split, nullptr, "UC");
    builder.add(d->list, "UC");
    builder.pushContainer(new GGroupBoxItem(d, ""), nullptr, "UC");
    d->details = GMultiLabel::create(builder, "", 30, 10, MultiWidthChars | MultiHeightChars | MultiCopy, "UC");
    builder.endContainer();
    builder.endContainer();
    GRowItem::create(builder, "00000");
    GButton::create(builder, ravoText(RavoText::PluginOpen), 0, PluginListOpen, "<C");
    builder.endContainer();
    GButtonRow::create(builder, d->helpPage ? "OCH" : "OC");
    ListRowModel* rows = d->list->rowModel();
    for (u32 i = 0; i < vstPluginList().count; ++i) {
        VstPlugin* plugin = vstPluginAt(i);
        d->list->addItem(plugin ? plugin->name() : "");
        if (plugin && rows && rows->rows.count) {
            void* image = getImageList(plugin->isSynth() ? PluginInstrumentsImage : PluginEffectsImage);
            rows->rows.data[rows->rows.count - 1]->object = new ListRowImage(image);
        }
    }
    d->list->selection()->setCaret(-1);
    d->fitToContent();
    return true;
}

i32 GVSTInfoDialog::selectedRow() {
    if (!list) return -1;
    const i32 row = list->currentItem();
    return row >= 0 && list->isItemSelected(row) && (u32)row < vstPluginList().count ? row : -1;
}

void GVSTInfoDialog::showSelected() {
    if (!details) return;
    const i32 row = selectedRow();
    GString text;
    if (row >= 0)
        if (VstPlugin* plugin = vstPluginAt((u32)row)) plugin->describe(text);
    details->setText(text.c_str());
}

void GVSTInfoDialog::openSelected() {
    const i32 row = selectedRow();
    if (row < 0) return;
    VstPlugin* plugin = vstPluginAt((u32)row);
    if (!plugin) return;
    if (plugin->faulted()) {
        showErrorF(this, ravoText(RavoText::PluginFaulted), plugin->name());
        return;
    }
    // A plug-in that did not load is not adjusted: the dialog's OK would save its empty state.
    if (!plugin->load(nullptr, 44100, 44100)) {
        showErrorF(this, ravoText(RavoText::PluginLoadFailed), plugin->name());
        return;
    }
    GVSTEffectDialog effect(this, helpPage);
    if (!GVSTEffectDialog::build(plugin, &effect)) return;
    placeWindowAuto(&effect, PlaceCentreOnOwner);
    showSelected();
}

i32 GVSTInfoDialog::commandState(u32 command) {
    return command == PluginListOpen ? CommandEnabled : GDialog::commandState(command);
}

bool GVSTInfoDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == PluginListOpen) {
        openSelected();
        return true;
    }
    return GDialog::onCommand(command, query);
}

bool GVSTInfoDialog::onControlNotify(void* data) {
    auto* n = static_cast<GControlNotification*>(data);
    if (!list || n->source != list) return GDialog::onControlNotify(data);
    if (n->code == TableRowActivated) {
        openSelected();
        return true;
    }
    showSelected();
    return false;
}

void runPluginListDialog(EditorWindow* editor) {
    ensurePluginScan();
    GVSTInfoDialog dialog(editor->window, "plugins.htm");
    if (!GVSTInfoDialog::build(&dialog)) return;
    placeWindowAuto(&dialog, PlaceCentreOnOwner);
}
