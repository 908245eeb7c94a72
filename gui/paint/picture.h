#pragma once
// Pictures of files in any format the system's picture loader reads, loaded into a GBitmap through a
// stream over a block of global memory.
#include <windows.h>

#include "core/types.h"

class GBitmap;

// A block of global memory held for a stream.
struct GlobalBuffer {
    HGLOBAL handle = nullptr;
    u32 locked = 0;  // non-zero while locked
    u32 size = 0;

    GlobalBuffer() = default;
    GlobalBuffer(const GlobalBuffer&) = delete;
    GlobalBuffer& operator=(const GlobalBuffer&) = delete;
    ~GlobalBuffer() { allocate(0); }
    // Unlocks and frees a held block; size 0 holds nothing (true); else a new block of the size.
    bool allocate(u32 size);
    void* lock();
    void unlock();
};

// The picture of a file in place of the bitmap's; false, with no bitmap, when the file cannot be
// read whole, is empty, too large for memory or no picture.
bool loadPictureFromFile(GBitmap& bitmap, const char* path);
