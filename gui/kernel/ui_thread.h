#pragma once
// The interface thread of the application run.
#include "core/types.h"

// True when the calling thread is the interface thread.
bool isUiThread();
// Set by the application run; until then the thread that started the program counts.
void setUiThreadId(u32 threadId);
u32 uiThreadId();
