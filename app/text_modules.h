#pragma once
// The program's text modules, in the order the localizer loads them.
#include "core/texts.h"

extern TextModule* const programTextModules[];
extern const u32 programTextModuleCount;
