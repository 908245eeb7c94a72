#include "core/bag.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "core/exceptions.h"

GBag::GBag(GBag&& other) noexcept : data(other.data), capacity(other.capacity), size(other.size), pos(other.pos) {
    other.data = nullptr;
    other.capacity = other.size = other.pos = 0;
}

GBag& GBag::operator=(GBag&& other) noexcept {
    if (this != &other) {
        delete[] data;
        data = other.data;
        capacity = other.capacity;
        size = other.size;
        pos = other.pos;
        other.data = nullptr;
        other.capacity = other.size = other.pos = 0;
    }
    return *this;
}

// The end of n bytes written at pos; a bag cannot pass 4 GB, so an end beyond it is out of memory.
static u32 writeEnd(const GBag& bag, u32 n) {
    u64 end = (u64)bag.pos + n;
    if (end > 0xFFFFF000u) throw std::bad_alloc();
    return (u32)end;
}

void bagReserve(GBag& bag, u32 n) {
    if (n <= bag.size) return;
    if (n > bag.capacity) {
        if (n > 0xFFFFF000u) throw std::bad_alloc();
        u32 capacity = growCapacity(n, bag.capacity);
        u8* fresh = new u8[capacity];
        if (bag.size) memcpy(fresh, bag.data, bag.size);
        delete[] bag.data;
        bag.data = fresh;
        bag.capacity = capacity;
    }
    bag.size = n;
}

void bagAllocate(GBag& bag, u32 n) {
    if (n != bag.capacity) {
        delete[] bag.data;
        bag.data = nullptr;
        bag.capacity = 0;
        if (n) bag.data = new u8[n];
        bag.capacity = n;
    }
    bag.size = bag.capacity;
    bag.pos = 0;
}

void bagFree(GBag& bag) {
    delete[] bag.data;
    bag.data = nullptr;
    bag.capacity = bag.size = bag.pos = 0;
}

void bagAssign(GBag& bag, const GBag& other) {
    if (&bag == &other) return;
    if (other.size != bag.capacity) {
        delete[] bag.data;
        bag.data = nullptr;
        bag.capacity = 0;
        if (other.size) bag.data = new u8[other.size];
        bag.capacity = other.size;
    }
    bag.size = other.size;
    if (other.size) memcpy(bag.data, other.data, other.size);
}

void bagWriteBytes(GBag& bag, const void* bytes, u32 n) {
    if (!n) return;
    u32 end = writeEnd(bag, n);
    const u8* source = static_cast<const u8*>(bytes);
    if (end > bag.capacity && bag.data && source >= bag.data && source < bag.data + bag.capacity) {
        // The source lies in the buffer that growing frees.
        std::vector<u8> copy(source, source + n);
        bagWriteBytes(bag, copy.data(), n);
        return;
    }
    if (end > bag.size) bagReserve(bag, end);
    memcpy(bag.data + bag.pos, source, n);
    bag.pos = end;
}

void bagWriteString(GBag& bag, const char* text) {
    if (!text) text = "";
    bagWriteBytes(bag, text, (u32)strlen(text) + 1);
}

void bagWriteStringList(GBag& bag, const StringList& list) {
    bagWriteU32(bag, list.count);
    for (u32 i = 0; i < list.count; ++i) bagWriteString(bag, stringListAt(list, i));
}

void bagWriteGString(GBag& bag, const GString& s) {
    bagWriteU32(bag, s.length);
    if (s.length) bagWriteBytes(bag, s.data, s.length + 1);
}

void bagWriteBlock(GBag& bag, const void* bytes, u32 n) {
    if (!bytes) n = 0;
    bagWriteU32(bag, n);
    bagWriteBytes(bag, bytes, n);
}

// count x 4 bytes, refused before it could wrap.
static u32 wordBytes(u32 count) {
    if (count > 0x3FFFFFFFu) throw std::bad_alloc();
    return count * 4;
}

void bagWriteBlob(GBag& bag, const u32* values, u32 count) {
    bagWriteU32(bag, count);
    if (count) bagWriteBytes(bag, values, wordBytes(count));
}

void writeSettingsIntArray(GBag& bag, const u32* values, u32 first, u32 last) {
    bagWriteBlob(bag, values, last - first + 1);
}

void writeSettingsBlock(GBag& bag, const u8* text, const u32* firstValues, const u32* secondValues, u32 n) {
    bagWriteU32(bag, n);
    if (!n) return;
    bagWriteBytes(bag, text, n);
    bagWriteBytes(bag, firstValues, wordBytes(n));
    bagWriteBytes(bag, secondValues, wordBytes(n));
}

// Checks that n bytes follow pos; 64-bit, so that a length near 4 GB cannot wrap.
static void needBytes(const GBag& bag, u64 n) {
    if ((u64)bag.pos + n > bag.size) throw GBagException();
}

void bagReadBytes(GBag& bag, void* out, u32 n) {
    needBytes(bag, n);
    if (n) memcpy(out, bag.data + bag.pos, n);
    bag.pos += n;
}

void bagSkip(GBag& bag, u32 n) {
    needBytes(bag, n);
    bag.pos += n;
}

const char* bagReadText(GBag& bag) {
    if (bag.pos >= bag.size) throw GBagException();
    const char* text = reinterpret_cast<const char*>(bag.data + bag.pos);
    const void* nul = memchr(text, 0, bag.size - bag.pos);
    if (!nul) throw GBagException();
    bag.pos += (u32)(static_cast<const char*>(nul) - text) + 1;
    return text;
}

void bagReadStringList(GBag& bag, StringList& list) {
    u32 count = bagGetU32(bag);
    deleteOwnedArray(list);
    for (u32 i = 0; i < count; ++i) stringListAppend(list, bagReadText(bag));
}

void bagReadGString(GBag& bag, GString& s) {
    u32 length = bagGetU32(bag);
    if (!length) {
        arrayFree(s);
        return;
    }
    needBytes(bag, (u64)length + 1);
    if (s.capacity <= length) {
        delete[] s.data;
        s.data = nullptr;
        s.capacity = 0;
        s.data = new char[length + 1];
        s.capacity = length + 1;
    }
    memcpy(s.data, bag.data + bag.pos, length);
    s.data[length] = 0;
    s.length = length;
    bag.pos += length + 1;
}

void bagReadBlock(GBag& bag, GBag& target) {
    u32 n = bagGetU32(bag);
    needBytes(bag, n);
    // Built aside, so that reading a bag into itself works.
    GBag inner;
    bagWriteBytes(inner, bag.data + bag.pos, n);
    inner.pos = 0;
    bag.pos += n;
    target = std::move(inner);
}

void bagReadString(GBag& bag, GString& out) {
    u32 n = bagGetU32(bag);
    needBytes(bag, n);
    stringAssign(out, reinterpret_cast<const char*>(bag.data + bag.pos), n);
    bag.pos += n;
}

void bagReadCText(GBag& bag, char** slot) {
    u32 n = bagGetU32(bag);
    needBytes(bag, n);
    char* text = nullptr;
    if (n) {
        text = new char[(size_t)n + 1];
        memcpy(text, bag.data + bag.pos, n);
        text[n] = 0;
    }
    delete[] *slot;
    *slot = text;
    bag.pos += n;
}

bool readSettingsIntArrays(GBag& bag, u32* values, u32 first, u32 last) {
    u32 count = bagGetU32(bag);
    needBytes(bag, (u64)count * 4);
    bool fits = count == last - first + 1;
    if (fits && count) memcpy(values, bag.data + bag.pos, (size_t)count * 4);
    bag.pos += count * 4;
    return fits;
}

u32 readSettingsBlock(GBag& bag, u8* text, u32* firstValues, u32* secondValues, u32 capacity) {
    u32 n = bagGetU32(bag);
    needBytes(bag, (u64)n * 9);
    u32 kept = n < capacity ? n : capacity;
    if (kept) {
        const u8* at = bag.data + bag.pos;
        memcpy(text, at, kept);
        memcpy(firstValues, at + n, (size_t)kept * 4);
        memcpy(secondValues, at + n + (size_t)n * 4, (size_t)kept * 4);
    }
    bag.pos += n * 9;
    return kept;
}

void bagReadIntArray(GBag& bag, U32Array& out) {
    u32 count = bagGetU32(bag);
    needBytes(bag, (u64)count * 4);
    U32Array fresh;
    fresh.data = count ? new u32[count] : nullptr;
    fresh.count = count;
    if (count) memcpy(fresh.data, bag.data + bag.pos, (size_t)count * 4);
    bag.pos += count * 4;
    std::swap(out.data, fresh.data);
    std::swap(out.count, fresh.count);
}
