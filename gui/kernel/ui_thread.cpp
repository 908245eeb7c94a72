#include "gui/kernel/ui_thread.h"

#include <windows.h>

#include <atomic>

static std::atomic<u32> g_uiThreadId{GetCurrentThreadId()};

bool isUiThread() { return GetCurrentThreadId() == g_uiThreadId.load(); }
void setUiThreadId(u32 threadId) { g_uiThreadId = threadId; }
u32 uiThreadId() { return g_uiThreadId.load(); }
