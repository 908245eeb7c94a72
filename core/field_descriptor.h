#pragma once
// Static descriptions of binary structures for the structure viewers: lists of fields ended by a
// record whose name is null. A field names its value type by the type's number in the viewers'
// table of value types.
#include "core/types.h"

enum class FieldType : u32 {
    None = 0,
    Array = 1,
    Structure,
    BitSet,
    Bits,
    Byte,
    Int8,
    Word,
    Int16,
    DWord,
    Int32,
    QWord,
    Int64,
    Float,
    Double,
    Ascii,
    Asciiz,
    Guid,
    Binary,
};

struct FieldDescriptor {
    const char* name;             // null ends a list
    u64 offset;                   // from the start of the parent; in bits for Bits
    u64 size;                     // in bytes (bits for Bits); an Array's whole size; 0 for a template
    FieldType type;
    const FieldDescriptor* sub;   // Structure and Bit Set: the member list; Array: the element record
};
