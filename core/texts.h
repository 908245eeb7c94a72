#pragma once
// Interface texts. Every text the program shows is a writable slot of its module holding the English
// default; the localizer replaces the slots from the chosen language's file. Read a slot at each use.
#include "core/types.h"

struct TextModule {
    const char* name;
    const char** slots;            // the module's slots, in the order of its language file
    const char* const* defaults;   // the English texts
    u32 count;
    char* block;                   // the loaded language block the slots point into, or null
};

enum class CoreText : u32 {
#define TEXT_SLOT(id, english) id,
#include "core/kxcore.texts"
#undef TEXT_SLOT
    Count
};

extern const char* kxcoreTexts[(u32)CoreText::Count];
extern TextModule kxcoreModule;

inline const char* coreText(CoreText id) { return kxcoreTexts[(u32)id]; }
