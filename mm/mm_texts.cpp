#include "mm/mm_texts.h"

static const char* const kxmmDefaults[] = {
#define TEXT_SLOT(id, english) english,
#include "mm/kxmm.texts"
#undef TEXT_SLOT
};

const char* kxmmTexts[] = {
#define TEXT_SLOT(id, english) english,
#include "mm/kxmm.texts"
#undef TEXT_SLOT
};

TextModule kxmmModule = {"kxmm", kxmmTexts, kxmmDefaults, (u32)MmText::Count, nullptr};
