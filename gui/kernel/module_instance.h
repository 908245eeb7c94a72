#pragma once
// The module whose resources and window classes the toolkit uses: the program's executable unless
// the application run names another.
#include <windows.h>

HINSTANCE toolkitInstance();
void setToolkitInstance(HINSTANCE instance);
