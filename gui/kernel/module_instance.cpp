#include "gui/kernel/module_instance.h"

static HINSTANCE moduleInstance = nullptr;

HINSTANCE toolkitInstance() { return moduleInstance ? moduleInstance : GetModuleHandleA(nullptr); }

void setToolkitInstance(HINSTANCE instance) { moduleInstance = instance; }
