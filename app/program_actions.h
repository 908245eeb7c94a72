#pragma once
// The program's action records (ids 300-630): static, registered before the program starts, with
// their titles and group texts in the "ravo" module.
#include "core/types.h"

// Records of the program and of the toolkit's general file; referencing it keeps them in a program.
i32 programActionCount();
