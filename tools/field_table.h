#pragma once
// FieldTable: the holder of a block's field rows for the structure viewer. The rows are either a
// static table of the program (not freed) or an allocated copy whose variable rows the block sizes;
// the holder owns the copy and the sub-records it allocates (element lists of variable rows).
// Rows end with a record whose name is null; count does not include it.
#include "core/arrays.h"
#include "core/field_descriptor.h"

struct FieldTable {
    FieldDescriptor* rows = nullptr;
    u32 capacity = 0;
    u32 count = 0;
    bool isStatic = false;
    PointerArray owned;  // FieldDescriptor arrays made with new[]

    FieldTable() = default;
    FieldTable(const FieldTable&) = delete;
    FieldTable& operator=(const FieldTable&) = delete;
    ~FieldTable() { reset(); }

    // Frees the owned sub-records and the rows unless static; empty afterwards.
    void reset();
    // reset, then takes the other's rows, flags and sub-records, leaving it empty.
    void takeFrom(FieldTable& other);
    // Points at a static table.
    void pointAt(const FieldDescriptor* table);
    // An allocated copy of the table with room for extra rows more; the copy's rows are count.
    FieldDescriptor* copyOf(const FieldDescriptor* table, u32 extra = 0);
    // Appends a row to an allocated table (room given to copyOf), keeping the end record.
    void append(const FieldDescriptor& row);
    // n records owned by the holder, zeroed.
    FieldDescriptor* ownRecords(u32 n);
    // The first row of the name, or null.
    FieldDescriptor* find(const char* name);
    const FieldDescriptor* list() const { return rows; }
};

// The variable tables of the analyzer's blocks.
// An Ogg page: "Segment Size" sized by the segment count.
void oggPageTable(FieldTable& table, u32 segments);
// A DLS "ptbl" chunk: "Cue" sized 4 x cues.
void dlsCueTable(FieldTable& table, u32 cues);
// A DLS "art1" chunk: "Connections" sized 12 x connections.
void dlsConnectionTable(FieldTable& table, u32 connections);
// A Vorbis comment header: the caption of captionBytes, then one "Text Size" and "Comment" pair per
// length given and the terminator; 2 x count + 7 rows with the ending record. Rows that would pass
// the packet's end are left out.
void vorbisCommentTable(FieldTable& table, u64 packetBytes, u32 captionBytes, const u32* lengths, u32 count);

class BlockBase;
// The analyzer's tables count from the block's first byte: blocks offer them as their second record,
// over the whole block. Rows past the block's end are left out; null when none is left.
const FieldDescriptor* wholeBlockRecord(const BlockBase* block, FieldTable& table, u64* offset, u64* size);
