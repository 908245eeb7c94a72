#include "mm/library_machine.h"

#include <windows.h>

#include <cstring>

u16 libraryMachineType(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    auto readAt = [file](u32 offset, void* out, u32 size) {
        DWORD got = 0;
        return SetFilePointer(file, (LONG)offset, nullptr, FILE_BEGIN) == offset &&
               ReadFile(file, out, size, &got, nullptr) && got == size;
    };
    // "MZ", the new header's offset at 0x3C, there "PE\0\0" and the machine type.
    u8 dos[64];
    u8 pe[6];
    u16 machine = 0;
    if (readAt(0, dos, sizeof dos) && dos[0] == 'M' && dos[1] == 'Z') {
        u32 at;
        memcpy(&at, dos + 0x3C, 4);
        if (at < 0x10000000 && readAt(at, pe, sizeof pe) && memcmp(pe, "PE\0\0", 4) == 0)
            machine = (u16)(pe[4] | pe[5] << 8);
    }
    CloseHandle(file);
    return machine;
}

u16 ownMachineType() { return sizeof(void*) == 4 ? machineX86 : machineX64; }

const char* machineTypeName(u16 machine) {
    return machine == machineX86 ? "32-bit x86" : machine == machineX64 ? "64-bit x64" : "unknown";
}
