#include "gui/views/value_type.h"

#include <algorithm>
#include <cstring>

#include "gui/kernel/gui_texts.h"

namespace {
u64 readLittleEndian(const u8* bytes, u64 n) {
    u64 value = 0;
    for (u64 i = 0; i < std::min<u64>(n, 8); ++i) value |= (u64)bytes[i] << (8 * i);
    return value;
}

void hexBytes(GString& out, const u8* bytes, u64 size) {
    static const char digits[] = "0123456789ABCDEF";
    stringClear(out);
    for (u64 i = std::min<u64>(size, 16); i-- > 0;) {
        stringAppendChar(out, digits[bytes[i] >> 4]);
        stringAppendChar(out, digits[bytes[i] & 15]);
    }
    stringAppendChar(out, 'H');
}

void number(GString& out, u64 value, bool hex, const char* hexFormat) {
    stringFormat(out, hex ? hexFormat : "%lld", (long long)value);
}

// Numbers read little-endian from the field's bytes.
class NumberType : public GValueType {
public:
    NumberType(GuiText name, u32 bytes, bool isSigned) : name(name), bytes(bytes), isSigned(isSigned) {}
    void typeName(GString& out, const FieldDescriptor&, bool) const override { stringAssignText(out, guiText(name)); }
    bool valueText(GString& out, const FieldDescriptor&, const u8* data) const override {
        u64 v = readLittleEndian(data, bytes);
        if (bytes == 8) {
            stringFormat(out, isSigned ? "%lld" : "%llu", (long long)v);
        } else if (isSigned) {
            u32 shift = 64 - 8 * bytes;
            stringFormat(out, "%d", (int)((i64)(v << shift) >> shift));
        } else {
            stringFormat(out, "%u", (unsigned)v);
        }
        return true;
    }

private:
    GuiText name;
    u32 bytes;
    bool isSigned;
};

class FloatType : public GValueType {
public:
    explicit FloatType(bool wide) : wide(wide) {}
    void typeName(GString& out, const FieldDescriptor&, bool) const override {
        stringAssignText(out, guiText(wide ? GuiText::ValueTypeDouble : GuiText::ValueTypeFloat));
    }
    bool valueText(GString& out, const FieldDescriptor&, const u8* data) const override {
        f64 value;
        if (wide) {
            memcpy(&value, data, 8);
        } else {
            f32 narrow;
            memcpy(&narrow, data, 4);
            value = narrow;
        }
        stringFormat(out, "%.15G", value);
        return true;
    }

private:
    bool wide;
};

class TextType : public GValueType {
public:
    explicit TextType(bool zeroEnded) : zeroEnded(zeroEnded) {}
    void typeName(GString& out, const FieldDescriptor&, bool) const override {
        stringAssignText(out, guiText(zeroEnded ? GuiText::ValueTypeAsciiz : GuiText::ValueTypeAscii));
    }
    bool valueText(GString& out, const FieldDescriptor& r, const u8* data) const override {
        stringClear(out);
        for (u64 i = 0; i < std::min<u64>(r.size, 16); ++i) {
            if (zeroEnded && data[i] == 0) return true;
            stringAppendChar(out, data[i] < 32 ? ' ' : (char)data[i]);
        }
        if (r.size > 16) stringAppend(out, "...");
        return true;
    }
    u32 valueKind() const override { return 2; }

private:
    bool zeroEnded;
};

class GuidType : public GValueType {
public:
    void typeName(GString& out, const FieldDescriptor&, bool) const override { stringAssignText(out, "GUID"); }
    bool valueText(GString& out, const FieldDescriptor&, const u8* d) const override {
        stringFormat(out, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", (unsigned)readLittleEndian(d, 4),
                     (unsigned)readLittleEndian(d + 4, 2), (unsigned)readLittleEndian(d + 6, 2), d[8], d[9], d[10],
                     d[11], d[12], d[13], d[14], d[15]);
        return true;
    }
    u32 valueKind() const override { return 2; }
};

class BinaryType : public GValueType {
public:
    void typeName(GString& out, const FieldDescriptor&, bool) const override {
        stringAssignText(out, guiText(GuiText::ValueTypeBinary));
    }
    bool valueText(GString&, const FieldDescriptor&, const u8*) const override { return false; }
    u32 valueKind() const override { return 2; }
};

// A field of a Bit Set: offset and size in bits of the set's little-endian number.
class BitsType : public GValueType {
public:
    void sizeText(GString& out, const FieldDescriptor& r, bool) const override {
        stringFormat(out, guiText(GuiText::ValueTypeBitCount), (int)r.size);
    }
    void offsetText(GString& out, const FieldDescriptor& r, bool, u64) const override {
        if (r.size == 1)
            stringFormat(out, guiText(GuiText::ValueTypeBit), (int)r.offset);
        else
            stringFormat(out, guiText(GuiText::ValueTypeBitRange), (int)(r.offset + r.size - 1), (int)r.offset);
    }
    void typeName(GString& out, const FieldDescriptor&, bool) const override {
        stringAssignText(out, guiText(GuiText::ValueTypeBits));
    }
    bool rawText(GString& out, const FieldDescriptor& r, const u8* data) const override {
        stringFormat(out, "%llXH", (unsigned long long)value(r, data));
        return true;
    }
    bool valueText(GString& out, const FieldDescriptor& r, const u8* data) const override {
        stringFormat(out, "%lld", (long long)value(r, data));
        return true;
    }
    // Bits at 64 and above are zero.
    static u64 value(const FieldDescriptor& r, const u8* data) {
        if (r.offset >= 64 || r.size == 0) return 0;
        u64 word = readLittleEndian(data, (std::min<u64>(r.offset + r.size, 64) + 7) / 8) >> r.offset;
        return r.size >= 64 ? word : word & ((1ull << r.size) - 1);
    }
};

// Arrays, structures and bit sets.
class CompositeType : public GValueType {
public:
    bool rawText(GString&, const FieldDescriptor&, const u8*) const override { return false; }
    bool valueText(GString& out, const FieldDescriptor&, const u8*) const override {
        stringAssignText(out, guiText(GuiText::ValueTypeItems));
        return true;
    }
    u32 valueKind() const override { return 2; }
    const FieldDescriptor* child(const FieldDescriptor& r, u64 i) const override {
        const FieldDescriptor* record;
        u64 at;
        return childAt(r, i, &record, &at) ? record : nullptr;
    }
};

class StructureType : public CompositeType {
public:
    void typeName(GString& out, const FieldDescriptor&, bool) const override {
        stringAssignText(out, guiText(GuiText::ValueTypeStructure));
    }
    // Members up to the first of size 0 or the first that ends beyond the structure.
    u64 childCount(const FieldDescriptor& r) const override {
        u64 n = 0;
        for (const FieldDescriptor* m = r.sub; m && m->name && m->size != 0 && m->offset + m->size <= r.size; ++m) ++n;
        return n;
    }
    bool locate(FieldCursor& cursor, u64 offset) const override {
        const FieldDescriptor& r = *cursor.record;
        u64 n = childCount(r), end = 0;
        for (u64 i = 0; i < n; ++i) {
            const FieldDescriptor& m = r.sub[i];
            if (offset < m.offset) {
                cursor = {&r, nullptr, i, offset - end, m.offset - end};
                return true;
            }
            if (offset < m.offset + m.size) {
                cursor = {&r, &m, i, offset - m.offset, m.size};
                valueType(m.type).locate(cursor, cursor.offset);
                return true;
            }
            end = m.offset + m.size;
        }
        if (n != 0) cursor = {&r, nullptr, n, offset - end, r.size > end ? r.size - end : 0};
        return true;
    }

protected:
    bool childAt(const FieldDescriptor& r, u64 i, const FieldDescriptor** record, u64* at) const override {
        if (i >= childCount(r)) return false;
        *record = &r.sub[i];
        *at = r.sub[i].offset;
        return true;
    }
};

class ArrayType : public CompositeType {
public:
    void typeName(GString& out, const FieldDescriptor& r, bool hex) const override {
        stringClear(out);
        if (r.sub) valueType(r.sub->type).typeName(out, *r.sub, hex);
        stringAppendFormat(out, hex ? "[%llXH]" : "[%lld]", (long long)childCount(r));
    }
    void childName(GString& out, const FieldDescriptor& r, u64 i, bool hex) const override {
        if (i >= childCount(r)) return stringClear(out);
        stringFormat(out, hex ? "%s[%llXH]" : "%s[%lld]", r.sub->name ? r.sub->name : "", (long long)i);
    }
    // Elements of size 0 make an empty array.
    u64 childCount(const FieldDescriptor& r) const override {
        return r.sub && r.sub->size != 0 ? r.size / r.sub->size : 0;
    }
    bool locate(FieldCursor& cursor, u64 offset) const override {
        const FieldDescriptor& r = *cursor.record;
        u64 n = childCount(r);
        if (n == 0) return true;
        u64 element = r.sub->size;
        if (offset >= n * element) {
            // The bytes after the last whole element.
            cursor = {&r, nullptr, n, offset - n * element, r.size - n * element};
            return true;
        }
        cursor = {&r, r.sub, offset / element, offset % element, element};
        valueType(r.sub->type).locate(cursor, cursor.offset);
        return true;
    }

protected:
    bool childAt(const FieldDescriptor& r, u64 i, const FieldDescriptor** record, u64* at) const override {
        if (i >= childCount(r)) return false;
        *record = r.sub;
        *at = i * r.sub->size;
        return true;
    }
};

class BitSetType : public CompositeType {
public:
    void typeName(GString& out, const FieldDescriptor&, bool) const override {
        stringAssignText(out, guiText(GuiText::ValueTypeBitSet));
    }
    u64 childCount(const FieldDescriptor& r) const override {
        u64 n = 0;
        for (const FieldDescriptor* m = r.sub; m && m->name; ++m) ++n;
        return n;
    }
    bool isBitSet() const override { return true; }
    bool locate(FieldCursor&, u64) const override { return true; }

protected:
    // Every bit field covers the set's bytes.
    bool childAt(const FieldDescriptor& r, u64 i, const FieldDescriptor** record, u64* at) const override {
        if (i >= childCount(r)) return false;
        *record = &r.sub[i];
        *at = 0;
        return true;
    }
    const GValueType* childSpan(const FieldDescriptor& r, u64 i, u64 parentOffset, u64* offset,
                                u64* size) const override {
        if (i >= childCount(r)) return nullptr;
        *offset = parentOffset;
        *size = r.size;
        return &valueType(r.sub[i].type);
    }
};

const ArrayType arrayType;
const StructureType structureType;
const BitSetType bitSetType;
const BitsType bitsType;
const NumberType byteType(GuiText::ValueTypeByte, 1, false), int8Type(GuiText::ValueTypeInt8, 1, true),
    wordType(GuiText::ValueTypeWord, 2, false), int16Type(GuiText::ValueTypeInt16, 2, true),
    dwordType(GuiText::ValueTypeDWord, 4, false), int32Type(GuiText::ValueTypeInt32, 4, true),
    qwordType(GuiText::ValueTypeQWord, 8, false), int64Type(GuiText::ValueTypeInt64, 8, true);
const FloatType floatType(false), doubleType(true);
const TextType asciiType(false), asciizType(true);
const GuidType guidType;
const BinaryType binaryType;

// In the order of FieldType.
const GValueType* const valueTypes[] = {
    &binaryType, &arrayType, &structureType, &bitSetType, &bitsType,  &byteType,  &int8Type,
    &wordType,   &int16Type, &dwordType,     &int32Type,  &qwordType, &int64Type, &floatType,
    &doubleType, &asciiType, &asciizType,    &guidType,   &binaryType,
};
static_assert(sizeof valueTypes / sizeof valueTypes[0] == (u32)FieldType::Binary + 1, "one type per FieldType");
}  // namespace

const GValueType& valueType(FieldType type) {
    u32 i = (u32)type;
    return *valueTypes[i < sizeof valueTypes / sizeof valueTypes[0] ? i : 0];
}

bool locateField(const FieldDescriptor& root, u64 offset, FieldCursor& cursor) {
    cursor = {nullptr, &root, 0, offset, root.size};
    return valueType(root.type).locate(cursor, offset);
}

void GValueType::sizeText(GString& out, const FieldDescriptor& r, bool hex) const { number(out, r.size, hex, "%llXH"); }

void GValueType::offsetText(GString& out, const FieldDescriptor&, bool hex, u64 absolute) const {
    number(out, absolute, hex, "%08llXH");
}

bool GValueType::rawText(GString& out, const FieldDescriptor& r, const u8* bytes) const {
    hexBytes(out, bytes, r.size);
    return true;
}

bool GValueType::childAt(const FieldDescriptor&, u64, const FieldDescriptor**, u64*) const { return false; }

void GValueType::childName(GString& out, const FieldDescriptor& r, u64 i, bool) const {
    const FieldDescriptor* c;
    u64 at;
    if (childAt(r, i, &c, &at)) stringAssignText(out, valueType(c->type).fieldName(*c));
}

void GValueType::childOffsetText(GString& out, const FieldDescriptor& r, u64 i, bool hex, u64 parentOffset) const {
    const FieldDescriptor* c;
    u64 at;
    if (childAt(r, i, &c, &at)) valueType(c->type).offsetText(out, *c, hex, parentOffset + at);
}

void GValueType::childSizeText(GString& out, const FieldDescriptor& r, u64 i, bool hex) const {
    const FieldDescriptor* c;
    u64 at;
    if (childAt(r, i, &c, &at)) valueType(c->type).sizeText(out, *c, hex);
}

void GValueType::childTypeName(GString& out, const FieldDescriptor& r, u64 i, bool hex) const {
    const FieldDescriptor* c;
    u64 at;
    if (childAt(r, i, &c, &at)) valueType(c->type).typeName(out, *c, hex);
}

bool GValueType::childRawText(GString& out, const FieldDescriptor& r, u64 i, const u8* bytes) const {
    const FieldDescriptor* c;
    u64 at;
    return childAt(r, i, &c, &at) && valueType(c->type).rawText(out, *c, bytes + at);
}

bool GValueType::childValueText(GString& out, const FieldDescriptor& r, u64 i, const u8* bytes) const {
    const FieldDescriptor* c;
    u64 at;
    return childAt(r, i, &c, &at) && valueType(c->type).valueText(out, *c, bytes + at);
}

const GValueType* GValueType::childSpan(const FieldDescriptor& r, u64 i, u64 parentOffset, u64* offset,
                                        u64* size) const {
    const FieldDescriptor* c;
    u64 at;
    if (!childAt(r, i, &c, &at)) return nullptr;
    *offset = parentOffset + at;
    *size = c->size;
    return &valueType(c->type);
}
