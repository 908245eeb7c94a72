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
    u8 state = 0;
    u32 id;
    u64 start;  // file position of the block's first byte (its header)
    u64 size;   // with the header
};

// Appends formatted text to a report file.
bool reportPrintf(GFile& out, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
// The address column of the text reports: "%08XH: " with the 64-bit position, then depth x 4 spaces.
bool reportAddress(GFile& out, u64 position, u32 depth);
