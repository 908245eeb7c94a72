#include "gui/controls/button_row.h"

#include "gui/controls/button.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/parent_window.h"
#include "gui/layout/layout_builder.h"

namespace {
struct Letter {
    char letter;
    u32 command;
    GuiText caption;
};
const Letter kLetters[] = {
    {'O', 1, GuiText::ButtonOk},  {'C', 2, GuiText::ButtonCancel}, {'X', 2, GuiText::ButtonClose},
    {'Y', 6, GuiText::ButtonYes}, {'N', 7, GuiText::ButtonNo},     {'H', 9, GuiText::ButtonHelp},
};

bool hasHelpPage(GWindow* window) {
    window = topLevelOf(window);
    return window && static_cast<GParentWindow*>(window)->helpPage;
}
}  // namespace

GButtonRow* GButtonRow::create(GLayoutBuilder& builder, const char* letters, const char* digits, const char* code) {
    GButtonRow* row = new GButtonRow(builder.owner);
    row->digits[1] = 8;
    row->hAlign = '|';
    row->vAlign = 'v';
    GLayoutBuilder inner(builder.owner, builder.fieldList);
    inner.current = row;
    row->addButtons(inner, letters);
    setLayoutDigits(row, digits);
    builder.add(row, code);
    return row;
}

void GButtonRow::addButtons(GLayoutBuilder& builder, const char* letters) {
    for (const char* p = letters ? letters : ""; *p; ++p)
        for (const Letter& l : kLetters) {
            if (l.letter != *p) continue;
            if (l.command == 9 && !hasHelpPage(owner)) break;
            GButton::create(builder, guiText(l.caption), l.command == 1 ? (u32)ButtonDefault : 0u, l.command);
            break;
        }
}

GButton* GButtonRow::findButton(u32 command) {
    for (int i = 0; i < childCount(); ++i) {
        GLayoutCell* child = childAt(i);
        GChildWindow* window = child ? child->asChildWindow() : nullptr;
        if (window && window->isKindOf(TypeButton) && window->hwnd &&
            (u32)GetWindowLongA(window->hwnd, GWL_ID) == command)
            return static_cast<GButton*>(window);
    }
    return nullptr;
}
