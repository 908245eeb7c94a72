#include "core/texts.h"

static const char* const kxcoreDefaults[] = {
#define TEXT_SLOT(id, english) english,
#include "core/kxcore.texts"
#undef TEXT_SLOT
};

const char* kxcoreTexts[] = {
#define TEXT_SLOT(id, english) english,
#include "core/kxcore.texts"
#undef TEXT_SLOT
};

TextModule kxcoreModule = {"kxcore", kxcoreTexts, kxcoreDefaults, (u32)CoreText::Count, nullptr};
