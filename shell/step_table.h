#pragma once
// The entry's step table: which step object stands in which slot, and the command-line parser
// that decides the run mode.
#include "core/types.h"

// 0 end now, 1 installer mode, 2 normal run. Until the installer's parser lands only 2 is
// answered: the names that do not begin with '-' are queued for opening, and the language step
// (with the "-lang" code when given) goes into its slot.
i32 parseCommandLine(const char* commandLine);
// The steps of the mode (installer mode: slots 0, 1, 3 and 19 only).
void fillStepTable(i32 runMode);
// Empties every slot (the steps are static objects of the table).
void clearStepTable();
