#pragma once
// Interface texts of the window toolkit (module "kxgui").
#include "core/texts.h"

enum class GuiText : u32 {
#define TEXT_SLOT(id, english) id,
#include "gui/kernel/kxgui.texts"
#undef TEXT_SLOT
    Count
};

extern const char* kxguiTexts[(u32)GuiText::Count];
extern TextModule kxguiModule;

inline const char* guiText(GuiText id) { return kxguiTexts[(u32)id]; }
