#pragma once
// Interface texts of the program itself (module "ravo").
#include "core/texts.h"

enum class RavoText : u32 {
#define TEXT_SLOT(id, english) id,
#include "app/ravo.texts"
#undef TEXT_SLOT
    Count
};

extern const char* ravoTexts[(u32)RavoText::Count];
extern TextModule ravoModule;

inline const char* ravoText(RavoText id) { return ravoTexts[(u32)id]; }
inline char** ravoTextSlot(RavoText id) { return const_cast<char**>(&ravoTexts[(u32)id]); }
