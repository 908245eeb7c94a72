#pragma once
// Interface texts of the installer (module "kxin").
#include "core/texts.h"

enum class InstallerText : u32 {
#define TEXT_SLOT(id, english) id,
#include "app/kxin.texts"
#undef TEXT_SLOT
    Count
};

extern const char* kxinTexts[(u32)InstallerText::Count];
extern TextModule kxinModule;

inline const char* installerText(InstallerText id) { return kxinTexts[(u32)id]; }
