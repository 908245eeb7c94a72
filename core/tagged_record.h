#pragma once
// The tagged record format of the settings stores: a tree of named sections holding named fields,
// written into a bag. Within a level, fields come first and then subsections, each in ascending byte
// order of their names; readers look names up forward only, keeping defaults for what is missing.
//
// Field:   u32 kind, u32 size, name + NUL, size bytes of value
// Section: u32 0xFFFFFFFF, u32 size, name + NUL, content, u32 0xFFFFFFFE
//          (size counts from the byte after the name to the byte after the end marker)
#include <type_traits>

#include "core/bag.h"

namespace RecordKind {
enum : u32 {
    Value = 0,   // the value's own bytes
    Block = 1,   // u32 n, then n bytes
    Raw = 4,     // a fixed structure as it lies in memory
    SectionStart = 0xFFFFFFFFu,
    SectionEnd = 0xFFFFFFFEu,
};
}

// Where a size word waits for its patch, and where the counted bytes start.
struct RecordMark {
    u32 sizePos;
    u32 start;
};

// Writing.
void bagWriteField(GBag& bag, u32 kind, const char* name, const void* value, u32 size);
template <class T>
inline void bagWriteValueField(GBag& bag, const char* name, const T& value) {
    static_assert(std::is_trivially_copyable<T>::value, "only plain values are written as fields");
    bagWriteField(bag, RecordKind::Value, name, &value, sizeof(T));
}
// A kind 1 field: u32 n and n bytes as its value.
void bagWriteBlockField(GBag& bag, const char* name, const void* bytes, u32 n);
// A field whose value the caller writes after this call; bagEndField patches its size.
RecordMark bagBeginField(GBag& bag, u32 kind, const char* name);
void bagEndField(GBag& bag, const RecordMark& mark);
// A section whose content the caller writes in between; bagEndSection writes the end marker and
// patches the size.
RecordMark bagBeginSection(GBag& bag, const char* name);
void bagEndSection(GBag& bag, const RecordMark& mark);
template <class F>
inline void bagWriteSection(GBag& bag, const char* name, F&& writeContent) {
    RecordMark mark = bagBeginSection(bag, name);
    writeContent(bag);
    bagEndSection(bag, mark);
}

// Lookups from the bag's position, forward only.
// A field of this name and kind: true with the position at its value and *size its size. A field
// found with another kind is skipped and reported absent. A null name skips every field of the
// level, leaving the position at its first section or end marker.
bool bagFindField(GBag& bag, u32 kind, const char* name, u32* size = nullptr);
// A section of this name: true with the position after its name and *size its size. A null name
// skips every section of the level and stops at its end marker.
bool bagFindSection(GBag& bag, const char* name, u32* size = nullptr);
// Moves past every field not yet consumed, to the first subsection.
inline void bagSkipFields(GBag& bag) { bagFindField(bag, RecordKind::Value, nullptr); }

// Reading values. A kind 0 or 4 field is read as exactly the bytes the reader expects; the position
// then moves behind the stored value. False (the default kept) when the field is absent or its
// stored value is shorter than expected.
bool bagReadField(GBag& bag, u32 kind, const char* name, void* value, u32 size);
template <class T>
inline bool bagReadValueField(GBag& bag, const char* name, T* value) {
    static_assert(std::is_trivially_copyable<T>::value, "only plain values are read as fields");
    return bagReadField(bag, RecordKind::Value, name, value, sizeof(T));
}
// A kind 1 field into a bag of its own; the position ends behind the field.
bool bagReadBlockField(GBag& bag, const char* name, GBag& target);
// Finds a subsection and reads its content with readContent, then puts the position behind the
// subsection's end marker whatever the reader consumed.
template <class F>
inline bool bagReadSection(GBag& bag, const char* name, F&& readContent) {
    u32 size;
    if (!bagFindSection(bag, name, &size)) return false;
    u32 start = bag.pos;
    readContent(bag);
    bag.pos = start;
    bagSkip(bag, size);
    return true;
}
