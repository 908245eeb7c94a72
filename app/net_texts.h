#pragma once
// Texts of the update check and its transfers (module "kxnet").
#include "core/texts.h"

enum class NetText : u32 {
#define TEXT_SLOT(id, english) id,
#include "app/kxnet.texts"
#undef TEXT_SLOT
    Count
};

extern const char* kxnetTexts[(u32)NetText::Count];
extern TextModule kxnetModule;

inline const char* netText(NetText id) { return kxnetTexts[(u32)id]; }
