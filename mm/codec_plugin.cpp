#include "mm/codec_plugin.h"

#include <windows.h>

#include "core/paths.h"

namespace {
CodecPluginApi g_api;

template <typename T>
bool resolve(HMODULE module, const char* name, T& out) {
    out = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return out != nullptr;
}
}  // namespace

const CodecPluginApi& codecPlugin() { return g_api; }

bool loadCodecPlugin(const char* folder) {
    if (g_api.module) return true;
    GString path(folder ? folder : programFolder().c_str());
    pathJoin(path, "darodeza.dll");
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) return false;
    CodecPluginApi api;
    api.module = module;
    bool all = resolve(module, "ffmpeg_init", api.init) && resolve(module, "ffmpeg_convert", api.convert) &&
               resolve(module, "ffmpeg_parseFile", api.parseFile) &&
               resolve(module, "ffmpeg_findBestConversion", api.findBestConversion) &&
               resolve(module, "ffmpeg_enumerateDecoders", api.enumerateDecoders) &&
               resolve(module, "ffmpeg_enumerateEncoders", api.enumerateEncoders);
    if (!all) {
        FreeLibrary(module);
        return false;
    }
    g_api = api;
    g_api.init();
    return true;
}

void unloadCodecPlugin() {
    if (!g_api.module) return;
    FreeLibrary(static_cast<HMODULE>(g_api.module));
    g_api = CodecPluginApi();
}
