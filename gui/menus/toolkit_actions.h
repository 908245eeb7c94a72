#pragma once
// The toolkit's general action records (open, save, help, the device and converter placers' commands
// and the tool-bar list): static, registered before the program starts. The tab, table and graph
// actions are registered by their own views.
#include "core/types.h"

// Records of this file; referencing it keeps them in a program.
i32 toolkitActionCount();
