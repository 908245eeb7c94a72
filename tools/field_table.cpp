#include "tools/field_table.h"

#include <cstring>

#include "core/block_base.h"
#include "mm/field_tables.h"

void FieldTable::reset() {
    for (u32 i = 0; i < owned.count; ++i) delete[] static_cast<FieldDescriptor*>(owned.data[i]);
    arrayFree(owned);
    owned.count = 0;
    if (!isStatic) delete[] rows;
    rows = nullptr;
    capacity = count = 0;
    isStatic = false;
}

void FieldTable::takeFrom(FieldTable& other) {
    if (&other == this) return;
    reset();
    rows = other.rows;
    capacity = other.capacity;
    count = other.count;
    isStatic = other.isStatic;
    owned.data = other.owned.data;
    owned.capacity = other.owned.capacity;
    owned.count = other.owned.count;
    other.owned.data = nullptr;
    other.owned.capacity = other.owned.count = 0;
    other.rows = nullptr;
    other.capacity = other.count = 0;
    other.isStatic = false;
}

static u32 rowsOf(const FieldDescriptor* table) {
    u32 n = 0;
    while (table[n].name) ++n;
    return n;
}

void FieldTable::pointAt(const FieldDescriptor* table) {
    reset();
    rows = const_cast<FieldDescriptor*>(table);
    count = rowsOf(table);
    capacity = count + 1;
    isStatic = true;
}

FieldDescriptor* FieldTable::copyOf(const FieldDescriptor* table, u32 extra) {
    reset();
    u32 n = rowsOf(table);
    capacity = n + extra + 1;
    rows = new FieldDescriptor[capacity]();
    memcpy(rows, table, sizeof(FieldDescriptor) * (n + 1));
    count = n;
    return rows;
}

void FieldTable::append(const FieldDescriptor& row) {
    if (isStatic || count + 1 >= capacity) return;
    rows[count + 1] = rows[count];
    rows[count++] = row;
}

FieldDescriptor* FieldTable::ownRecords(u32 n) {
    FieldDescriptor* records = new FieldDescriptor[n]();
    appendSlot(owned, records);
    return records;
}

FieldDescriptor* FieldTable::find(const char* name) {
    for (u32 i = 0; i < count; ++i)
        if (strcmp(rows[i].name, name) == 0) return &rows[i];
    return nullptr;
}

namespace {
void sizedCopy(FieldTable& table, const FieldDescriptor* list, const char* row, u64 bytes) {
    table.copyOf(list);
    if (FieldDescriptor* r = table.find(row)) r->size = bytes;
}
}  // namespace

void oggPageTable(FieldTable& table, u32 segments) { sizedCopy(table, oggPageFields, "Segment Size", segments); }

void dlsCueTable(FieldTable& table, u32 cues) { sizedCopy(table, dlsPoolTableFields, "Cue", 4ull * cues); }

void dlsConnectionTable(FieldTable& table, u32 connections) {
    sizedCopy(table, dlsArticulationFields, "Connections", 12ull * connections);
}

void vorbisCommentTable(FieldTable& table, u64 packetBytes, u32 captionBytes, const u32* lengths, u32 count) {
    static const FieldDescriptor head[] = {
        {"Type", 0, 1, FieldType::Byte, nullptr},
        {"Signature", 1, 6, FieldType::Asciiz, nullptr},
        {"Caption Size", 7, 4, FieldType::DWord, nullptr},
        {nullptr, 0, 0, FieldType::None, nullptr},
    };
    table.copyOf(head, 2 * count + 4);
    u64 at = 11;
    // Rows end where the packet does.
    auto add = [&](const char* name, u64 bytes, FieldType type) {
        if (at + bytes > packetBytes) return false;
        table.append({name, at, bytes, type, nullptr});
        at += bytes;
        return true;
    };
    if (!add("Caption", captionBytes, FieldType::Ascii) || !add("Comment Count", 4, FieldType::DWord)) return;
    for (u32 i = 0; i < count; ++i)
        if (!add("Text Size", 4, FieldType::DWord) || !add("Comment", lengths[i], FieldType::Ascii)) return;
    add("Terminator", 1, FieldType::Byte);
}

const FieldDescriptor* wholeBlockRecord(const BlockBase* block, FieldTable& table, u64* offset, u64* size) {
    // Rows end with the block: a short block shows the rows it holds.
    u32 fit = 0;
    while (fit < table.count && table.rows[fit].offset + table.rows[fit].size <= block->size) ++fit;
    if (fit < table.count) {
        if (table.isStatic) table.copyOf(table.rows);
        table.rows[fit] = table.rows[table.count];
        table.count = fit;
    }
    if (!table.rows || !table.count) return nullptr;
    *offset = block->start;
    *size = block->size;
    return table.rows;
}
