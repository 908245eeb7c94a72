#include "gui/dialogs/path_field.h"

#include "gui/controls/button.h"
#include "gui/controls/edit_line.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/kernel/gui_texts.h"
#include "gui/layout/layout_builder.h"

GPathField* addPathField(GLayoutBuilder& parent, GFileDialog* dialog, i32 mode, u32 extra) {
    GPathField* field = new GPathField(parent.owner, dialog, mode, extra);
    parent.pushContainer(field, "08000", nullptr);
    GEditLine::create(parent, 40, "U-");
    GButton::create(parent, guiText(GuiText::PathFieldBrowse), 0, 1000, ">-");
    parent.endContainer();
    parent.last = field;
    return field;
}

GEditLine* GPathField::editLine() {
    GLayoutCell* cell = childAt(0);
    GChildWindow* window = cell ? cell->asChildWindow() : nullptr;
    return window && window->isKindOf(TypeEditLine) ? static_cast<GEditLine*>(window) : nullptr;
}

GString GPathField::getText() {
    GEditLine* line = editLine();
    return GString(line ? line->text() : "");
}

void GPathField::apply() {
    if (!dialog) return;
    GString text = getText();
    if (mode == FileOpenMany)
        dialog->setFileNames(text.c_str());
    else if (mode == FolderCreate || mode == FolderExisting)
        dialog->setFolder(text.c_str());
    else if (!text.empty())
        dialog->setPath(text.c_str());
}

void GPathField::apply(const char* text) {
    if (GEditLine* line = editLine()) line->setTextQuiet(text);
    apply();
}

bool GPathField::onControlNotify(void* notification) {
    const GControlNotification* n = static_cast<const GControlNotification*>(notification);
    GEditLine* line = editLine();
    if (line && n && n->source == static_cast<GItemBase*>(line)) apply();
    return false;
}

bool GPathField::onCommand(u32 command, GStateQuery*) {
    if (command != 1000) return false;
    apply();
    if (!dialog || !runFileDialog(dialog, extra, owner, mode)) return true;
    GString chosen;
    if (mode == FileOpenMany)
        dialog->getFileNames(chosen);
    else if (mode == FolderCreate || mode == FolderExisting)
        stringCopy(chosen, dialog->folderText);
    else
        stringAssignText(chosen, dialog->nameBuffer);
    GEditLine* line = editLine();
    if (line) {
        line->setTextQuiet(chosen.c_str());
        SetFocus(line->hwnd);
    }
    GControlNotification change;
    change.source = this;
    notifyUp(this, &change);
    return true;
}
