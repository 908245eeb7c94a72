#include "gui/kernel/gui_texts.h"

static const char* const kxguiDefaults[] = {
#define TEXT_SLOT(id, english) english,
#include "gui/kernel/kxgui.texts"
#undef TEXT_SLOT
};

const char* kxguiTexts[] = {
#define TEXT_SLOT(id, english) english,
#include "gui/kernel/kxgui.texts"
#undef TEXT_SLOT
};

TextModule kxguiModule = {"kxgui", kxguiTexts, kxguiDefaults, (u32)GuiText::Count, nullptr};
