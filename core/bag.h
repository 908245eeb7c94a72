#pragma once
// The byte bag: a growable buffer with one position that writers and readers move. Numbers are
// little-endian and unaligned. Writers grow the bag; readers never do and throw GBagException the
// moment a read would pass the size, before they touch their destination.
#include <type_traits>

#include "core/arrays.h"
#include "core/gstring.h"
#include "core/types.h"

struct GBag {
    u8* data = nullptr;  // null when capacity is 0
    u32 capacity = 0;
    u32 size = 0;  // the end for readers
    u32 pos = 0;   // where the next write or read happens

    GBag() = default;
    GBag(const GBag&) = delete;
    GBag& operator=(const GBag&) = delete;
    GBag(GBag&& other) noexcept;
    GBag& operator=(GBag&& other) noexcept;
    ~GBag() { delete[] data; }
};
static_assert(sizeof(void*) != 4 || sizeof(GBag) == 16, "four 32-bit fields");

// Structure.
// Grows size to n (never shrinks); a larger capacity is rounded by growCapacity. New bytes are not cleared.
void bagReserve(GBag& bag, u32 n);
// Exactly n bytes (reallocated only when n differs from the capacity); size = n, pos = 0.
void bagAllocate(GBag& bag, u32 n);
void bagFree(GBag& bag);
// Copies other's bytes; the position is left as it was.
void bagAssign(GBag& bag, const GBag& other);

// Writers: each writes at pos, moves pos past what it wrote and grows size when it passes it.
void bagWriteBytes(GBag& bag, const void* bytes, u32 n);
template <class T>
inline void bagWriteValue(GBag& bag, const T& value) {
    static_assert(std::is_trivially_copyable<T>::value, "only plain values are written as bytes");
    bagWriteBytes(bag, &value, sizeof(T));
}
inline void bagWriteU8(GBag& bag, u8 value) { bagWriteValue(bag, value); }
inline void bagWriteU32(GBag& bag, u32 value) { bagWriteValue(bag, value); }
inline void bagWriteI32(GBag& bag, i32 value) { bagWriteValue(bag, value); }
inline void bagWriteU64(GBag& bag, u64 value) { bagWriteValue(bag, value); }
inline void bagWriteF32(GBag& bag, f32 value) { bagWriteValue(bag, value); }
inline void bagWriteF64(GBag& bag, f64 value) { bagWriteValue(bag, value); }
// The text and its NUL, no length; a null text writes one 0 byte.
void bagWriteString(GBag& bag, const char* text);
// u32 count, then each entry as by bagWriteString.
void bagWriteStringList(GBag& bag, const StringList& list);
// u32 length, then (only when the length is not 0) the text and its NUL.
void bagWriteGString(GBag& bag, const GString& s);
// u32 n, then n bytes; a null source writes a count of 0.
void bagWriteBlock(GBag& bag, const void* bytes, u32 n);
inline void bagWriteBlock(GBag& bag, const GBag& inner) { bagWriteBlock(bag, inner.data, inner.size); }
// u32 count, then count 32-bit values.
void bagWriteBlob(GBag& bag, const u32* values, u32 count);
// The values of a range-indexed array: u32 count (last - first + 1), then the values.
void writeSettingsIntArray(GBag& bag, const u32* values, u32 first, u32 last);
// Three arrays side by side: u32 n, n text bytes, then n u32 of each of the two value arrays.
void writeSettingsBlock(GBag& bag, const u8* text, const u32* firstValues, const u32* secondValues, u32 n);

// Readers: each checks that what it reads lies before size and throws GBagException otherwise; on
// success pos moves past what was read.
void bagReadBytes(GBag& bag, void* out, u32 n);
// Moves pos n bytes on; throws when that passes size.
void bagSkip(GBag& bag, u32 n);
template <class T>
inline void bagReadValue(GBag& bag, T* out) {
    static_assert(std::is_trivially_copyable<T>::value, "only plain values are read as bytes");
    bagReadBytes(bag, out, sizeof(T));
}
inline void bagReadU8(GBag& bag, u8* out) { bagReadValue(bag, out); }
inline void bagReadU32(GBag& bag, u32* out) { bagReadValue(bag, out); }
inline void bagReadI32(GBag& bag, i32* out) { bagReadValue(bag, out); }
inline void bagReadU64(GBag& bag, u64* out) { bagReadValue(bag, out); }
inline void bagReadF32(GBag& bag, f32* out) { bagReadValue(bag, out); }
inline void bagReadF64(GBag& bag, f64* out) { bagReadValue(bag, out); }
inline u32 bagGetU32(GBag& bag) {
    u32 value;
    bagReadU32(bag, &value);
    return value;
}
// The NUL-terminated text at pos (a pointer into the bag); pos moves past its NUL.
const char* bagReadText(GBag& bag);
// u32 count, then the list is emptied and refilled with count heap copies; a null entry reads back empty.
void bagReadStringList(GBag& bag, StringList& list);
// The form of bagWriteGString; a length of 0 frees the string.
void bagReadGString(GBag& bag, GString& s);
// u32 n, then n bytes, which replace the content of the target; the target is left at position 0.
void bagReadBlock(GBag& bag, GBag& target);
// u32 n, then n bytes, into a second bag or a string (n = 0 gives an empty one).
inline void bagReadString(GBag& bag, GBag& target) { bagReadBlock(bag, target); }
void bagReadString(GBag& bag, GString& out);
// u32 n, then n bytes into a heap text of the slot (null when n is 0).
void bagReadCText(GBag& bag, char** slot);
// The range array of writeSettingsIntArray: the values are copied only when the stored count equals
// last - first + 1, else skipped; true when they were copied.
bool readSettingsIntArrays(GBag& bag, u32* values, u32 first, u32 last);
// The block of writeSettingsBlock into arrays of `capacity` steps; steps beyond it are skipped.
// Returns the number of steps kept.
u32 readSettingsBlock(GBag& bag, u8* text, u32* firstValues, u32* secondValues, u32 capacity);
// The form of bagWriteBlob: u32 count, then count values, which replace the array's content.
void bagReadIntArray(GBag& bag, U32Array& out);
