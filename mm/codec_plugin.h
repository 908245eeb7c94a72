#pragma once
// The codec plug-in library "darodeza.dll" beside the program: loaded once at start (its six entry
// points by name, its init called once) and unloaded at stop. One process-wide record; the module
// handle is the loader's.
#include "core/types.h"

struct CodecPluginApi {
    typedef void(__cdecl* Init)();
    // Opens and parses a file; null when it holds nothing to convert.
    typedef void*(__cdecl* ParseFile)(const char* path);
    typedef i32(__cdecl* FindBestConversion)(void* parsed, i32 stream, void* format);
    typedef bool(__cdecl* Enumerate)(i32 index, char* name, u32 size);
    typedef i32(__cdecl* Convert)(void* task);

    Init init = nullptr;
    Convert convert = nullptr;
    ParseFile parseFile = nullptr;
    FindBestConversion findBestConversion = nullptr;
    Enumerate enumerateDecoders = nullptr;
    Enumerate enumerateEncoders = nullptr;
    void* module = nullptr;
};

// The loaded library's entry points; every field null while none is loaded.
const CodecPluginApi& codecPlugin();
// Loads the library from the program folder (a folder may be given instead); true when it is
// loaded with all six entry points, at once when it already is. A library that lacks one is let go.
bool loadCodecPlugin(const char* folder = nullptr);
// Frees the library; nothing when none is loaded.
void unloadCodecPlugin();
