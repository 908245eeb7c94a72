#pragma once
// The codec plug-in library "darodeza.dll" beside the program: loaded once at start (its six entry
// points by name, its init called once) and unloaded at stop. One process-wide record; the module
// handle is the loader's.
#include "core/types.h"
#include "mm/codec_interface.h"

struct CodecPluginApi {
    CodecInitEntry init = nullptr;
    CodecConvertEntry convert = nullptr;
    CodecParseEntry parseFile = nullptr;
    CodecFindBestEntry findBestConversion = nullptr;  // never called
    CodecDecoderEnumEntry enumerateDecoders = nullptr;
    CodecEncoderEnumEntry enumerateEncoders = nullptr;
    void* module = nullptr;
};

// The loaded library's entry points; every field null while none is loaded.
const CodecPluginApi& codecPlugin();
// Loads the library from the program folder (a folder may be given instead); true when it is
// loaded with all six entry points, at once when it already is. A library that lacks one is let go.
bool loadCodecPlugin(const char* folder = nullptr);
// Frees the library; nothing when none is loaded.
void unloadCodecPlugin();
