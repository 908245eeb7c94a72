#include "app/installer_texts.h"

static const char* const kxinDefaults[] = {
#define TEXT_SLOT(id, english) english,
#include "app/kxin.texts"
#undef TEXT_SLOT
};

const char* kxinTexts[] = {
#define TEXT_SLOT(id, english) english,
#include "app/kxin.texts"
#undef TEXT_SLOT
};

TextModule kxinModule = {"kxin", kxinTexts, kxinDefaults, (u32)InstallerText::Count, nullptr};
