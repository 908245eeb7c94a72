#pragma once
// GValueType: how the structure viewers name, measure and show a field of a FieldDescriptor list.
// One stateless static instance per FieldType, handed out by valueType; nothing is owned.
// Bytes given to an operation are the field's own (for a Bits field, the bytes of its Bit Set).
#include "core/field_descriptor.h"
#include "core/gstring.h"

// Where locate ends: the record holding the offset inside its parent, the offset inside the span
// and the span's size. A gap between members has no record.
struct FieldCursor {
    const FieldDescriptor* parent = nullptr;
    const FieldDescriptor* record = nullptr;
    u64 index = 0;
    u64 offset = 0;
    u64 size = 0;
};

class GValueType {
public:
    virtual const char* fieldName(const FieldDescriptor& r) const { return r.name; }
    virtual void sizeText(GString& out, const FieldDescriptor& r, bool hex) const;
    virtual void offsetText(GString& out, const FieldDescriptor& r, bool hex, u64 absolute) const;
    virtual void typeName(GString& out, const FieldDescriptor& r, bool hex) const = 0;
    // False when the type has no such text.
    virtual bool rawText(GString& out, const FieldDescriptor& r, const u8* bytes) const;
    virtual bool valueText(GString& out, const FieldDescriptor& r, const u8* bytes) const = 0;
    // The child operations ask the child's own type; scalars have no children and do nothing.
    virtual void childName(GString& out, const FieldDescriptor& r, u64 i, bool hex) const;
    virtual void childOffsetText(GString& out, const FieldDescriptor& r, u64 i, bool hex, u64 parentOffset) const;
    virtual void childSizeText(GString& out, const FieldDescriptor& r, u64 i, bool hex) const;
    virtual void childTypeName(GString& out, const FieldDescriptor& r, u64 i, bool hex) const;
    virtual bool childRawText(GString& out, const FieldDescriptor& r, u64 i, const u8* bytes) const;
    virtual bool childValueText(GString& out, const FieldDescriptor& r, u64 i, const u8* bytes) const;
    // The child's absolute offset and size, and its type; null for a scalar or past the children.
    virtual const GValueType* childSpan(const FieldDescriptor& r, u64 i, u64 parentOffset, u64* offset,
                                        u64* size) const;
    // 1 numbers, 2 texts and composites.
    virtual u32 valueKind() const { return 1; }
    virtual u64 childCount(const FieldDescriptor& /*r*/) const { return 0; }
    virtual const FieldDescriptor* child(const FieldDescriptor& /*r*/, u64 /*i*/) const { return nullptr; }
    virtual bool isBitSet() const { return false; }
    // Descends from the cursor's record to the innermost field holding the offset; composites
    // answer true, scalars false with the cursor unchanged.
    virtual bool locate(FieldCursor& /*cursor*/, u64 /*offset*/) const { return false; }

protected:
    ~GValueType() = default;
    // The child's record and where its bytes start inside the parent's; false past the children.
    virtual bool childAt(const FieldDescriptor& r, u64 i, const FieldDescriptor** record, u64* byteOffset) const;
};

// The type of a field type; None answers Binary.
const GValueType& valueType(FieldType type);
// From a root record: the cursor is cleared to the root and the root's type asked.
bool locateField(const FieldDescriptor& root, u64 offset, FieldCursor& cursor);
