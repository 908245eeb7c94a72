#pragma once
// The node of the block trees: the chunks of RIFF and sound files, the file analyzer's blocks and
// the rows of the report views. A node owns its children (deleted first to last with it) and enters
// itself in its parent's child list when constructed with a parent. File blocks read, write, report
// and describe themselves through the virtual operations; other nodes keep the defaults.
#include "core/arrays.h"
#include "core/field_descriptor.h"
#include "core/gstring.h"
#include "core/types.h"

struct GFile;
class JobProgress;
class BlockBase;

// Four characters as a little-endian u32, as chunk ids are stored.
constexpr u32 fourCC(const char (&text)[5]) {
    return (u32)(u8)text[0] | (u32)(u8)text[1] << 8 | (u32)(u8)text[2] << 16 | (u32)(u8)text[3] << 24;
}
// The four characters of an id, cut at the first space when cutAtSpace ("fmt " gives "fmt").
struct FourCCText {
    char text[5];
    const char* c_str() const { return text; }
};
FourCCText fourCCText(u32 id, bool cutAtSpace = true);

// What the block columns read: the display flags (bit 0 offsets in hex, bit 1 sizes in hex, bit 2
// counts in hex) and the origin that offsets are shown from.
struct BlockColumns {
    u32 viewFlags = 0;
    i64 origin = 0;
};
enum : i32 { BlockColumnCount = 7 };

// Report kinds.
namespace ReportKind {
const u32 Text = fourCC("TXT ");
const u32 Html = fourCC("HTML");
const u32 Xml = fourCC("XML ");
}

// Receives the diagnostics of a strict read (the file analyzer's). Reading without a sink is
// lenient: odd sizes are tolerated and every chunk becomes a block.
class BlockSink {
public:
    virtual void note(const BlockBase* block, const char* text) = 0;

protected:
    ~BlockSink() = default;
};

class BlockBase {
public:
    explicit BlockBase(BlockBase* parent = nullptr, u32 id = 0, u64 start = 0, u64 size = 0);
    BlockBase(const BlockBase&) = delete;
    BlockBase& operator=(const BlockBase&) = delete;
    // Deletes every child, first to last.
    virtual ~BlockBase();

    // The one-line title of the node in the tree views.
    virtual void displayName(GString& out) const;
    virtual bool hasChildren() const { return children.count != 0; }
    // The cell texts of the tree views; column 0 is the display name. The default gives the block
    // columns (offset, size, data start, data size, header size, children) by the BlockColumns of
    // the context (null: decimal from 0); "" beyond them.
    virtual const char* columnText(GString& out, i32 column, void* context) const;
    virtual u32 columnValue(i32 /*column*/) const { return 0; }
    // The object that draws the cell, opaque here (the views' cell formatter); null: the default.
    virtual void* cellObject(i32 /*column*/) const { return nullptr; }
    // The picture before the display name, opaque here (the views' image); null: none.
    virtual void* image() const { return nullptr; }
    // The id's characters up to the first blank.
    FourCCText typeCodeText() const { return fourCCText(id, true); }

    // Reads the block whose header has just been read; the file stands after that header. limit is
    // the number of bytes available to the block from its start.
    virtual bool read(BlockSink* sink, GFile& file, u64 limit);
    // Appends the block's report in the given kind (ReportKind) to out.
    virtual bool report(GFile& out, u32 kind);
    // Writes the block at the target's current position; source is the file that unchanged bytes
    // are copied from (may be null when nothing is copied).
    virtual bool write(GFile* source, GFile& target, JobProgress* progress);
    // Bytes of the block's header in its file.
    virtual u32 headerLength() const { return 8; }
    // The field list of the block's content for the structure viewer (offsets from the content's
    // first byte); null when it has none.
    virtual const FieldDescriptor* fields() { return nullptr; }
    // A second record some blocks offer besides their fields, with its absolute offset and size;
    // null when none.
    virtual const FieldDescriptor* secondRecord(u64* /*offset*/, u64* /*size*/) { return nullptr; }
    // Drops what the block cached of its file.
    virtual void resetData() {}

    u32 childCount() const { return children.count; }
    BlockBase* child(u32 i) const { return children.at<BlockBase>(i); }
    // The first child with the id, or null.
    BlockBase* findChild(u32 childId) const;
    // Number of ancestors.
    u32 depth() const;

    BlockBase* parent;
    PointerArray children;
    u8 state = 0;  // 1 while the node's children are shown as rows
    u32 id;
    u64 start;  // file position of the block's first byte (its header)
    u64 size;   // with the header
    // The children's starts side by side for findBlockAt (blocks of many children); rebuilt when
    // they no longer match.
    RecordArray<u64>* childStarts = nullptr;
};

// Appends formatted text to a report file.
bool reportPrintf(GFile& out, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
// The address column of the text reports: "%08XH: " with the 64-bit position, then depth x 4 spaces.
bool reportAddress(GFile& out, u64 position, u32 depth);

// One block's report line: "TXT " the address column then "<text name>: Block size: <size>"; "HTML"
// "<li>" under a parent, the offset, the HTML name and the size; "XML " an empty element of the tag
// with the range and size. Other kinds write nothing.
bool writeBlockReport(GFile& out, u32 kind, const BlockBase* block, const char* textName, const char* htmlName,
                      const char* xmlTag);
// The report of every child, first to last.
bool reportChildren(const BlockBase* block, GFile& out, u32 kind);
// The index of the child whose [start, start + size) holds the position, by binary search over
// children sorted by start that do not overlap; -1 when none.
i64 findChildAt(const PointerArray& children, u64 position);
// The innermost block holding the offset, or null when the block does not.
BlockBase* findBlockAt(BlockBase* block, u64 offset);
// After the block's content grew by delta bytes: it and its ancestors grow, and every later sibling
// on the way up moves with all its descendants.
void shiftBlockOffsets(BlockBase* block, i64 delta);
// Copies the block's bytes from the source to the target's current position; false when the
// position cannot be had or the copy fails. An empty block copies nothing and succeeds.
bool copyBlockBytes(const BlockBase* block, GFile& source, GFile& target, JobProgress* progress);
