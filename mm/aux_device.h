#pragma once
// The description of an auxiliary sound device, for the device reports.
#include "core/error.h"
#include "core/types.h"

struct tagAUXCAPSA;

// Zeroes the record and asks the machine for it. A failure is reported with the code's text; the
// answer is then the handler's (false without one).
bool getAuxDevCaps(u32 device, ErrorHandler* handler, tagAUXCAPSA& caps);
