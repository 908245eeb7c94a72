#pragma once
// The machine a Windows library file is built for, read from its headers without loading it, so
// that a plug-in of the other architecture is refused before it is loaded.
#include "core/types.h"

const u16 machineX86 = 0x014C;
const u16 machineX64 = 0x8664;

// The file's machine type, or 0 when the file cannot be read or is no Windows program image.
u16 libraryMachineType(const char* path);
// The machine type of this program's own build.
u16 ownMachineType();
// "32-bit x86", "64-bit x64" or "unknown".
const char* machineTypeName(u16 machine);
