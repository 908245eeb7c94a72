#pragma once
// The entry's step table: which step object stands in which slot, and the command-line parser
// that decides the run mode.
#include "core/types.h"
#include "shell/command_line.h"

class LanguageStep;
// The localizer step of the language files on disk (slot 3 outside installer mode).
LanguageStep& diskLanguageStep();
// The steps of the mode (installer mode: slots 0, 1, 3 and 19 only).
void fillStepTable(i32 runMode);
// Empties every slot (the steps are static objects of the table).
void clearStepTable();
