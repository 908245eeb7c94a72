#include "gui/paint/picture.h"

#include <ole2.h>
#include <olectl.h>

#include <cstdint>
#include <cstring>

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
    bool read = bytes && fileRead(file, bytes, (u32)size) && pictureFileFits(bytes, (u64)size);
    block.unlock();
    return read;
}

namespace {
u32 readU16(const u8* p) { return (u32)p[0] | (u32)p[1] << 8; }
u32 readU32(const u8* p) { return readU16(p) | readU16(p + 2) << 16; }

bool validBitCount(u32 bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// Bytes of `rows` rows of `width` pixels of `bits` bits, each row padded to 4 bytes.
u64 pixelBytes(u64 width, u64 rows, u32 bits) { return (width * bits + 31) / 32 * 4 * rows; }

// A bitmap info header at `at` with `room` bytes for it, its colours and (with `pixels`) its
// pixels: a known header size, sane dimensions, and everything it claims within the room. The
// header's own offset of the pixels is checked by the caller.
bool bitmapInfoFits(const u8* at, u64 room, u64* headerAndColours, bool icon) {
    if (room < 12) return false;
    u32 headerSize = readU32(at);
    u64 width, height;
    u32 planes, bits, compression = 0, used = 0;
    if (headerSize == 12) {
        width = readU16(at + 4);
        height = readU16(at + 6);
        planes = readU16(at + 8);
        bits = readU16(at + 10);
    } else {
        if (headerSize < 40 || headerSize > 124 || room < headerSize) return false;
        i32 w = (i32)readU32(at + 4), h = (i32)readU32(at + 8);
        if (w <= 0 || h == 0 || h == INT32_MIN || (icon && h < 0)) return false;
        width = (u64)w;
        height = (u64)(h < 0 ? -(i64)h : h);
        planes = readU16(at + 12);
        bits = readU16(at + 14);
        compression = readU32(at + 16);
        used = readU32(at + 32);
    }
    if (room < headerSize || width == 0 || height == 0 || planes != 1 || !validBitCount(bits)) return false;
    u64 colours = bits <= 8 ? (used ? used : 1u << bits) : used;
    if (bits <= 8 && used > (1u << bits)) return false;
    u64 entry = headerSize == 12 ? 3 : 4;
    u64 masks = headerSize == 40 && compression == BI_BITFIELDS ? 12 : 0;
    *headerAndColours = headerSize + masks + colours * entry;
    if (*headerAndColours > room) return false;
    if (icon) {
        // Colour rows and the mask rows, half the height each.
        if (compression != BI_RGB) return false;
        u64 rows = height / 2;
        return rows > 0 && *headerAndColours + pixelBytes(width, rows, bits) + pixelBytes(width, rows, 1) <= room;
    }
    if (compression == BI_RGB || compression == BI_BITFIELDS)
        return compression == BI_RGB || bits == 16 || bits == 32;
    if (compression == BI_RLE8) return bits == 8;
    if (compression == BI_RLE4) return bits == 4;
    return false;
}

// A "BM" file: its headers, colours and pixels lie inside the file.
bool bitmapFileFits(const u8* bytes, u64 size) {
    if (size < 14 + 12) return false;
    u64 pixels = readU32(bytes + 10);
    u64 headerAndColours = 0;
    if (!bitmapInfoFits(bytes + 14, size - 14, &headerAndColours, false)) return false;
    if (pixels < 14 + readU32(bytes + 14) || pixels >= size) return false;
    const u8* info = bytes + 14;
    u32 headerSize = readU32(info);
    u32 compression = headerSize == 12 ? BI_RGB : readU32(info + 16);
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        u64 packed = readU32(info + 20);
        return packed > 0 && pixels + packed <= size;
    }
    u64 width = headerSize == 12 ? readU16(info + 4) : (u64)(i32)readU32(info + 4);
    i32 h = headerSize == 12 ? (i32)readU16(info + 6) : (i32)readU32(info + 8);
    u64 height = (u64)(h < 0 ? -(i64)h : h);
    u32 bits = headerSize == 12 ? readU16(info + 10) : readU16(info + 14);
    return pixels + pixelBytes(width, height, bits) <= size;
}

// An icon or cursor file: its directory and every image it lists lie inside the file.
bool iconFileFits(const u8* bytes, u64 size) {
    if (size < 6) return false;
    u64 count = readU16(bytes + 4);
    u64 directory = 6 + 16 * count;
    if (count == 0 || directory > size) return false;
    for (u64 i = 0; i < count; ++i) {
        const u8* entry = bytes + 6 + 16 * i;
        u64 length = readU32(entry + 8), offset = readU32(entry + 12);
        if (offset < directory || length < 8 || offset + length > size) return false;
        static const u8 png[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
        if (memcmp(bytes + offset, png, 8) == 0) continue;
        u64 headerAndColours = 0;
        if (!bitmapInfoFits(bytes + offset, length, &headerAndColours, true)) return false;
    }
    return true;
}
}  // namespace

bool pictureFileFits(const void* data, u64 size) {
    const u8* bytes = static_cast<const u8*>(data);
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return bitmapFileFits(bytes, size);
    if (size >= 4 && readU16(bytes) == 0 && (readU16(bytes + 2) == 1 || readU16(bytes + 2) == 2))
        return iconFileFits(bytes, size);
    return true;
}

HBITMAP copyBitmap(HBITMAP bitmap) {
    return bitmap ? (HBITMAP)CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0) : nullptr;
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
            copy = copyBitmap((HBITMAP)(UINT_PTR)handle);
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
