#include "gui/views/language_dialog.h"

#include <vector>

#include "core/localizer.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/multi_label.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/views/box.h"

namespace {
// A language file older than these texts leaves them empty: then the dialog speaks English.
const char* dialogText(GuiText id, bool english) {
    return english ? kxguiModule.defaults[(u32)id] : guiText(id);
}
}  // namespace

bool GLanguageDialog::build(const Localizer& localizer, i32 index) {
    bool english = !*guiText(GuiText::LanguageTitle);
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, exStyle = WS_EX_DLGMODALFRAME;
    if (!createTopLevelWindow(this, style, exStyle, dialogText(GuiText::LanguageTitle, english))) return false;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    GLayoutBuilder builder(this);
    builder.current = column;
    prompt = GMultiLabel::create(builder, dialogText(GuiText::LanguagePrompt, english), 30, 10,
                                 MultiNoGrow | MultiShrink | MultiHeightChars);

    GTableDesc desc;
    desc.flags = TableToolTips;
    desc.columnSpec = ":F:X=24";
    desc.visibleRows = 8;
    list = addTable(nullptr, this, desc);
    if (!list) return false;
    builder.add(list, "U^");
    std::vector<const char*> names;
    for (u32 i = 0; i < localizer.languageCount(); ++i) names.push_back(localizer.language(i)->show.c_str());
    list->setRowText(names.data(), (i32)names.size(), 0);

    buttons = GButtonRow::create(builder, "OCH");
    if (english) {
        const struct {
            u32 command;
            GuiText text;
        } captions[] = {{1, GuiText::ButtonOk}, {2, GuiText::ButtonCancel}, {9, GuiText::ButtonHelp}};
        for (const auto& c : captions)
            if (GButton* button = buttons->findButton(c.command)) button->setText(dialogText(c.text, true));
    }

    fitToContent();
    list->selectItem(index >= 0 && (u32)index < localizer.languageCount() ? index : 0);
    list->setFocusSafe();
    return true;
}

bool GLanguageDialog::run(GWindow* owner, const Localizer& localizer, i32& index, const char* help) {
    GLanguageDialog dialog(owner, help);
    if (!dialog.build(localizer, index)) return false;
    if (showModal(&dialog, nullptr, PlaceCentreOnOwner) != 1) return false;
    i64 selected = dialog.list->selection()->firstSelected();
    if (selected >= 0) index = (i32)selected;
    return true;
}
