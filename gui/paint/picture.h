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
// read whole, is empty, too large for memory, no picture, or a bitmap or icon file whose sizes,
// offsets or counts reach past its end.
bool loadPictureFromFile(GBitmap& bitmap, const char* path);

// False for a bitmap ("BM") or icon/cursor file whose headers claim more than its bytes hold; other
// formats pass.
bool pictureFileFits(const void* bytes, u64 size);
// A new bitmap with the same pixels (never the handle given); null for none.
HBITMAP copyBitmap(HBITMAP bitmap);
