#include "gui/paint/picture.h"

#include <ole2.h>
#include <olectl.h>

#include "core/gfile.h"
#include "gui/paint/bitmaps.h"

bool GlobalBuffer::allocate(u32 n) {
    unlock();
    if (handle) GlobalFree(handle);
    handle = nullptr;
    size = 0;
    if (n == 0) return true;
    handle = GlobalAlloc(0, n);
    if (!handle) return false;
    size = n;
    return true;
}

void* GlobalBuffer::lock() {
    void* bytes = handle ? GlobalLock(handle) : nullptr;
    if (bytes) ++locked;
    return bytes;
}

void GlobalBuffer::unlock() {
    for (; locked; --locked) GlobalUnlock(handle);
}

// The whole file in the block; false for a missing, empty, short or oversized file.
static bool readWholeFile(const char* path, GlobalBuffer& block) {
    GFile file;
    if (!fileOpen(file, path, FileMode::Read | FileFlag::Quiet)) return false;
    i64 size = fileSize(file);
    // The block's size is a u32 and allocations end well below it; never truncate the file.
    if (size <= 0 || size > 0x7FFFFFFF || !block.allocate((u32)size)) return false;
    void* bytes = block.lock();
    bool read = bytes && fileRead(file, bytes, (u32)size);
    block.unlock();
    return read;
}

static HBITMAP decodePicture(GlobalBuffer& block) {
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.handle, FALSE, &stream))) return nullptr;
    IPicture* picture = nullptr;
    HBITMAP copy = nullptr;
    if (SUCCEEDED(OleLoadPicture(stream, 0, TRUE, IID_IPicture, (void**)&picture)) && picture) {
        OLE_HANDLE handle = 0;
        short type = PICTYPE_NONE;
        if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle)))
            copy = (HBITMAP)CopyImage((HANDLE)(UINT_PTR)handle, IMAGE_BITMAP, 0, 0, LR_COPYRETURNORG);
        picture->Release();
    }
    stream->Release();
    return copy;
}

bool loadPictureFromFile(GBitmap& bitmap, const char* path) {
    bitmap.clear();
    GlobalBuffer block;
    if (!readWholeFile(path, block)) return false;
    return bitmap.adopt(decodePicture(block));
}
