#include "core/tagged_record.h"

#include <cstring>

static void patchSize(GBag& bag, const RecordMark& mark) {
    u32 end = bag.pos;
    bag.pos = mark.sizePos;
    bagWriteU32(bag, end - mark.start);
    bag.pos = end;
}

void bagWriteField(GBag& bag, u32 kind, const char* name, const void* value, u32 size) {
    bagWriteU32(bag, kind);
    bagWriteU32(bag, size);
    bagWriteString(bag, name);
    if (value && size) bagWriteBytes(bag, value, size);
}

RecordMark bagBeginField(GBag& bag, u32 kind, const char* name) {
    bagWriteU32(bag, kind);
    RecordMark mark;
    mark.sizePos = bag.pos;
    bagWriteU32(bag, 0);
    bagWriteString(bag, name);
    mark.start = bag.pos;
    return mark;
}

void bagEndField(GBag& bag, const RecordMark& mark) { patchSize(bag, mark); }

void bagWriteBlockField(GBag& bag, const char* name, const void* bytes, u32 n) {
    RecordMark mark = bagBeginField(bag, RecordKind::Block, name);
    bagWriteBlock(bag, bytes, n);
    bagEndField(bag, mark);
}

RecordMark bagBeginSection(GBag& bag, const char* name) { return bagBeginField(bag, RecordKind::SectionStart, name); }

void bagEndSection(GBag& bag, const RecordMark& mark) {
    bagWriteU32(bag, RecordKind::SectionEnd);
    patchSize(bag, mark);
}

bool bagFindField(GBag& bag, u32 kind, const char* name, u32* outSize) {
    u32 local;
    u32* size = outSize ? outSize : &local;
    for (;;) {
        u32 start = bag.pos;
        u32 stored = bagGetU32(bag);
        if (stored >= 0x80000000u) {  // a section or the end marker
            bag.pos = start;
            return false;
        }
        *size = bagGetU32(bag);
        const char* storedName = bagReadText(bag);
        if (name) {
            int order = strcmp(name, storedName);  // unsigned bytes
            if (order == 0) {
                if (stored == kind) return true;
                bagSkip(bag, *size);
                return false;
            }
            if (order < 0) {
                bag.pos = start;
                return false;
            }
        }
        bagSkip(bag, *size);
    }
}

bool bagFindSection(GBag& bag, const char* name, u32* outSize) {
    u32 local;
    u32* size = outSize ? outSize : &local;
    for (;;) {
        u32 start = bag.pos;
        if (bagGetU32(bag) != RecordKind::SectionStart) {  // a field or the end marker
            bag.pos = start;
            return false;
        }
        *size = bagGetU32(bag);
        const char* storedName = bagReadText(bag);
        if (name) {
            int order = strcmp(name, storedName);
            if (order == 0) return true;
            if (order < 0) {
                bag.pos = start;
                return false;
            }
        }
        bagSkip(bag, *size);
    }
}

bool bagReadField(GBag& bag, u32 kind, const char* name, void* value, u32 size) {
    u32 stored;
    if (!bagFindField(bag, kind, name, &stored)) return false;
    if (stored < size) {  // a shorter value would be filled from the next element
        bagSkip(bag, stored);
        return false;
    }
    u32 start = bag.pos;
    bagReadBytes(bag, value, size);
    // Continue behind the stored value even when it is longer than expected.
    bag.pos = start;
    bagSkip(bag, stored);
    return true;
}

bool bagReadBlockField(GBag& bag, const char* name, GBag& target) {
    u32 size;
    if (!bagFindField(bag, RecordKind::Block, name, &size)) return false;
    u32 start = bag.pos;
    bagReadBlock(bag, target);
    bag.pos = start;
    bagSkip(bag, size);
    return true;
}
