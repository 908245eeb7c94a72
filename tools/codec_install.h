#pragma once
// Installing a codec from a file, by its extension: a program or batch file runs, a library is
// registered through regsvr32, a setup information file is installed, anything else is opened. The
// launcher is replaceable for tests.
#include <string>

#include "core/types.h"

struct CodecLauncher {
    u32 (*winExec)(const char* commandLine, u32 show);
    // The shell's answer: above 32 for success.
    intptr_t (*shellExecute)(void* owner, const char* verb, const char* file);
};
extern CodecLauncher codecLauncher;

// The command line or verb used for the file; false when the shell refused (answer 32 or less).
bool installCodecFile(void* owner, const char* path);
// The quoted path for a command line: "C:\Program Files\x.exe" must not start C:\Program.
std::string quotedPath(const char* path);
