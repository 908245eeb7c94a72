#pragma once
// Interface texts of the multimedia library (module "kxmm").
#include "core/texts.h"

enum class MmText : u32 {
#define TEXT_SLOT(id, english) id,
#include "mm/kxmm.texts"
#undef TEXT_SLOT
    Count
};

extern const char* kxmmTexts[(u32)MmText::Count];
extern TextModule kxmmModule;

inline const char* mmText(MmText id) { return kxmmTexts[(u32)id]; }
