#include "app/program_texts.h"

static const char* const ravoDefaults[] = {
#define TEXT_SLOT(id, english) english,
#include "app/ravo.texts"
#undef TEXT_SLOT
};

const char* ravoTexts[] = {
#define TEXT_SLOT(id, english) english,
#include "app/ravo.texts"
#undef TEXT_SLOT
};

TextModule ravoModule = {"ravo", ravoTexts, ravoDefaults, (u32)RavoText::Count, nullptr};
