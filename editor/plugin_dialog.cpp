#include "editor/plugin_dialog.h"

#include <cstring>

#include "app/program_texts.h"
#include "core/exceptions.h"
#include "gui/controls/button_row.h"
#include "gui/controls/combo.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/regulator.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/views/box.h"

namespace {
const i64 kSliderScale = 1000000;
const u32 kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// One text per program, so that row i is program i; a program without a name is its number.
void programRows(VstPlugin* plugin, GBag& rows) {
    GBag names;
    plugin->getProgramNames(names);
    const char* name = (const char*)names.data;
    const char* end = name + names.size;
    for (i32 i = 0; i < plugin->info().programCount; ++i) {
        const bool named = name && name < end && *name;
        GString number;
        stringFormat(number, "%d", i + 1);
        bagWriteString(rows, named ? name : number.c_str());
        if (name && name < end) name += strnlen(name, (size_t)(end - name)) + 1;
    }
}

// One list row per name of the plug-in's NUL-separated names.
void fillList(GBox* list, GBag& names, i32 select) {
    names.pos = 0;
    list->setItems(names, select);
}
}  // namespace

PluginParameterWindow::PluginParameterWindow(GVSTEffectDialog* dialog) : GUserWindow(dialog), dialog(dialog) {}

void PluginParameterWindow::getPreferredSize(i32* width, i32* height) {
    *width = editorWidth;
    *height = editorHeight;
}

void PluginParameterWindow::paint(HDC dc, const RECT& update, bool) { FillRect(dc, &update, GetSysColorBrush(COLOR_BTNFACE)); }

GVSTEffectDialog::~GVSTEffectDialog() {
    removeTimer(&idleTimer);
    if (plugin) plugin->closeEditor();
}

GColumnsItem* GVSTEffectDialog::buildCommon(VstPlugin* made) {
    busy = 1;
    plugin = made;
    bagFree(savedState);
    plugin->getState(savedState);
    GString title;
    stringFormat(title, ravoText(RavoText::PluginDialogTitle), plugin->name());
    if (!createTopLevelWindow(this, kDialogStyle, WS_EX_DLGMODALFRAME, title.c_str())) return nullptr;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    return column;
}

bool GVSTEffectDialog::build(VstPlugin* plugin, GVSTEffectDialog* d) {
    GColumnsItem* column = d->buildCommon(plugin);
    if (!column) return false;
    GLayoutBuilder builder(d);
    builder.current = column;
    d->buildParameterParts(builder);
    GButtonRow::create(builder, d->helpPage ? "OCH" : "OC");
    d->finishBuild();
    return true;
}

void GVSTEffectDialog::buildParameterParts(GLayoutBuilder& builder) {
    GColumnsItem* group = new GColumnsItem(this);
    builder.pushContainer(group, "00000", "<^");
    editorHost = new PluginParameterWindow(this);
    editorHost->create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
    builder.add(editorHost, "<^");
    builder.endContainer();

    GRowItem::create(builder, "88888");
    genericToggle = GCheckBoxItem::create(builder, ravoText(RavoText::PluginGeneric), 0, "<C");
    GLabel::create(builder, ravoText(RavoText::PluginProgram), 0, ">C");
    programCombo = GCombo::create(builder, (const GBag*)nullptr, -1, 24, "UC");
    builder.endContainer();

    GRowItem::create(builder, "00080");
    GTableDesc desc;
    desc.flags = TableToolTips;
    desc.visibleRows = 6;
    desc.columnSpec = ":F:X=24";
    parameterList = addTable(nullptr, this, desc);
    if (parameterList) builder.add(parameterList, "UC");
    GColumnsItem::create(builder, "00000", "UC");
    valueSlider = GRegulator::create(builder, 0, 0, (i32)kSliderScale, "U^");
    valueLabel = GLabel::create(builder, "", LabelSunken, "U^");
    builder.endContainer();
    builder.endContainer();
}

void GVSTEffectDialog::finishBuild() {
    if (!openEditor()) {
        if (genericToggle->hwnd) EnableWindow(genericToggle->hwnd, FALSE);
        showGenericList();
    }
    updateDisplay();
    fitToContent();
    addTimer(&idleTimer, 50, this, nullptr);
    busy = 0;
}

void GVSTEffectDialog::onTimer(TimerRecord* record) {
    if (record != &idleTimer) return GDialog::onTimer(record);
    if (plugin && plugin->isLoaded() && !plugin->faulted()) plugin->idle();
}

void GVSTEffectDialog::onDestroy() {
    removeTimer(&idleTimer);
    GDialog::onDestroy();
}

void* GVSTEffectDialog::nativeWindow() { return editorHost ? (void*)editorHost->hwnd : nullptr; }

void GVSTEffectDialog::relayout() {
    if (!hwnd) return;
    fitToContent();
    InvalidateRect(hwnd, nullptr, TRUE);
}

void GVSTEffectDialog::sizeWindow(i32 width, i32 height) {
    if (!editorHost) return;
    editorHost->editorWidth = width;
    editorHost->editorHeight = height;
    relayout();
}

void GVSTEffectDialog::updateDisplay() {
    if (!plugin || !programCombo) return;
    GBag rows;
    programRows(plugin, rows);
    const u8 was = busy;
    busy = 1;
    const i32 current = plugin->getProgram();
    programCombo->setItems(&rows, current);
    busy = was;
}

bool GVSTEffectDialog::genericShown() const { return genericToggle && genericToggle->state != 0; }

bool GVSTEffectDialog::openEditor() {
    if (!plugin || !editorHost || !plugin->hasEditor()) return false;
    i32 width = 0, height = 0;
    plugin->getEditorSize(&width, &height);
    if (width <= 0 || height <= 0) return false;
    editorHost->editorWidth = width;
    editorHost->editorHeight = height;
    genericToggle->setChecked(0);
    plugin->openEditor(this);
    relayout();
    return true;
}

void GVSTEffectDialog::showGenericList() {
    if (!plugin || !editorHost) return;
    editorHost->editorWidth = editorHost->editorHeight = 0;
    genericToggle->setChecked(1);
    plugin->closeEditor();
    const i32 count = plugin->info().parameterCount;
    if (count > 0 && parameterList) {
        GBag names;
        for (i32 i = 0; i < count; ++i) {
            GString name;
            plugin->getParameterName(i, name);
            bagWriteString(names, name.length ? name.c_str() : " ");
        }
        fillList(parameterList, names, 0);
        showSelectedParameter();
    }
    relayout();
}

i32 GVSTEffectDialog::selectedParameter() {
    if (!plugin || !parameterList) return -1;
    const i32 index = parameterList->currentItem();
    return index >= 0 && index < plugin->info().parameterCount ? index : -1;
}

void GVSTEffectDialog::showSelectedParameter() {
    const i32 index = selectedParameter();
    if (index < 0) return;
    // The slider's own notification is not a change of the user's.
    const u8 was = busy;
    busy = 1;
    valueSlider->setValue((i64)(plugin->getParameter(index) * (f64)kSliderScale));
    busy = was;
    GString text;
    plugin->getParameterText(index, text);
    valueLabel->setText(text.c_str());
}

void GVSTEffectDialog::takeSliderValue() {
    const i32 index = selectedParameter();
    if (index < 0) return;
    plugin->setParameter(index, (f32)((f64)valueSlider->value / (f64)kSliderScale));
    GString text;
    plugin->getParameterText(index, text);
    valueLabel->setText(text.c_str());
}

bool GVSTEffectDialog::onControlNotify(void* data) {
    auto* n = static_cast<GControlNotification*>(data);
    if (!plugin) return GDialog::onControlNotify(data);
    if (n->source == genericToggle && genericToggle) {
        if (genericShown())
            showGenericList();
        else if (!openEditor())
            showGenericList();
        return true;
    }
    if (n->source == parameterList && parameterList) {
        if (genericShown() && (n->code == TableSelectionChanged || n->code == TableCaretMoved)) showSelectedParameter();
        return false;
    }
    if (n->source == valueSlider && valueSlider) {
        if (genericShown() && !busy) takeSliderValue();
        return true;
    }
    if (n->source == programCombo && programCombo) {
        if (n->code != ComboSelectionChanged || busy) return true;
        busy = 1;
        plugin->setProgram(programCombo->selection);
        showSelectedParameter();
        busy = 0;
        if (!genericShown() && editorHost && editorHost->hwnd) InvalidateRect(editorHost->hwnd, nullptr, TRUE);
        return true;
    }
    return GDialog::onControlNotify(data);
}

bool GVSTEffectDialog::onCommand(u32 command, GStateQuery* query) {
    if (!plugin) return GDialog::onCommand(command, query);
    if (command == 1 || command == 4 || command == 5) {
        plugin->saveState();
        plugin->closeEditor();
        endDialog((i32)command);
        return true;
    }
    if (command == 2) {
        savedState.pos = 0;
        try {
            plugin->setState(savedState);
        } catch (const GBagException&) {
            // A state too short to read leaves the plug-in as it is.
        }
        plugin->closeEditor();
        endDialog(2);
        return true;
    }
    return GDialog::onCommand(command, query);
}
