// The program's own codec library: the six entry points, converting nothing yet.
#include <cstdint>

#define EXPORT extern "C" __declspec(dllexport)

EXPORT void __cdecl ffmpeg_init() {}
// Nothing to convert in any file.
EXPORT void* __cdecl ffmpeg_parseFile(const char*) { return nullptr; }
EXPORT int32_t __cdecl ffmpeg_findBestConversion(void*, int32_t, void*) { return 0; }
EXPORT bool __cdecl ffmpeg_enumerateDecoders(int32_t, char*, uint32_t) { return false; }
EXPORT bool __cdecl ffmpeg_enumerateEncoders(int32_t, char*, uint32_t) { return false; }
// 2: the conversion failed.
EXPORT int32_t __cdecl ffmpeg_convert(void*) { return 2; }
