#include "app/net_texts.h"

static const char* const kxnetDefaults[] = {
#define TEXT_SLOT(id, english) english,
#include "app/kxnet.texts"
#undef TEXT_SLOT
};

const char* kxnetTexts[] = {
#define TEXT_SLOT(id, english) english,
#include "app/kxnet.texts"
#undef TEXT_SLOT
};

TextModule kxnetModule = {"kxnet", kxnetTexts, kxnetDefaults, (u32)NetText::Count, nullptr};
