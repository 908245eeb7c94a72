#include "core/block_base.h"

#include <cstdarg>

#include "core/gfile.h"

FourCCText fourCCText(u32 id, bool cutAtSpace) {
    FourCCText t;
    for (u32 i = 0; i < 4; ++i) t.text[i] = (char)(id >> (8 * i));
    t.text[4] = 0;
    if (cutAtSpace) {
        for (u32 i = 0; i < 4; ++i) {
            if (t.text[i] == ' ') {
                t.text[i] = 0;
                break;
            }
        }
    }
    return t;
}

namespace {
// Below this many children a search over the children themselves is as quick.
const u32 indexedChildren = 64;

void rebuildChildStarts(BlockBase* block) {
    if (!block->childStarts) block->childStarts = new RecordArray<u64>;
    RecordArray<u64>& starts = *block->childStarts;
    starts.count = 0;
    starts.reserveFor(block->childCount());
    for (u32 i = 0; i < block->childCount(); ++i) starts.data[i] = block->child(i)->start;
    starts.count = block->childCount();
}

// findChildAt by the starts beside the children: the index only proposes, the children confirm.
// An index that does not match them is rebuilt and the children searched.
i64 indexedChildAt(BlockBase* block, u64 position) {
    const u32 n = block->childCount();
    if (n < indexedChildren) return findChildAt(block->children, position);
    if (!block->childStarts || block->childStarts->count != n) rebuildChildStarts(block);
    // The last start at or below the position, branch-free, the next two probes fetched ahead.
    const u64* starts = block->childStarts->data;
    const u64* at = starts;
    for (u32 length = n; length > 1;) {
        const u32 half = length / 2;
        __builtin_prefetch(at + half / 2);
        __builtin_prefetch(at + half + half / 2);
        at = at[half] <= position ? at + half : at;
        length -= half;
    }
    const i64 i = *at <= position ? at - starts : -1;
    if (i >= 0) {
        const BlockBase* c = block->child((u32)i);
        if (c->start <= position && position - c->start < c->size) return i;
    }
    // None holds it when the one before ends at or below it and the next begins above it.
    const bool endsBefore = i < 0 || (block->child((u32)i)->start <= position);
    const bool nextAbove = i + 1 >= (i64)n || block->child((u32)(i + 1))->start > position;
    if (endsBefore && nextAbove) return -1;
    rebuildChildStarts(block);
    return findChildAt(block->children, position);
}
}  // namespace

BlockBase::BlockBase(BlockBase* parent, u32 id, u64 start, u64 size) : parent(parent), id(id), start(start), size(size) {
    if (!parent) return;
    appendSlot(parent->children, this);
    // Kept up while children are added in turn; indexedChildAt rebuilds it otherwise.
    RecordArray<u64>* starts = parent->childStarts;
    if (starts && starts->count + 1 == parent->childCount()) *starts->append(1) = start;
    else if (!starts && parent->childCount() == indexedChildren) rebuildChildStarts(parent);
}

BlockBase::~BlockBase() {
    for (u32 i = 0; i < children.count; ++i) delete child(i);
    arrayFree(children);
    delete childStarts;
}

void BlockBase::displayName(GString& out) const { stringAssignText(out, fourCCText(id).c_str()); }

bool BlockBase::read(BlockSink*, GFile&, u64) { return true; }

bool BlockBase::write(GFile*, GFile&, JobProgress*) { return true; }

BlockBase* BlockBase::findChild(u32 childId) const {
    for (u32 i = 0; i < children.count; ++i)
        if (child(i)->id == childId) return child(i);
    return nullptr;
}

u32 BlockBase::depth() const {
    u32 n = 0;
    for (const BlockBase* b = parent; b; b = b->parent) ++n;
    return n;
}

bool reportPrintf(GFile& out, const char* format, ...) {
    GString text;
    va_list args;
    va_start(args, format);
    stringFormatV(text, format, args);
    va_end(args);
    return fileWrite(out, text.data, text.length);
}

bool reportAddress(GFile& out, u64 position, u32 depth) {
    return reportPrintf(out, "%08llXH: %*s", (unsigned long long)position, (int)(depth * 4), "");
}

// The common line of a block: its title and size; the children follow.
bool BlockBase::report(GFile& out, u32 kind) {
    GString name;
    displayName(name);
    return writeBlockReport(out, kind, this, name.c_str(), name.c_str(), fourCCText(id).c_str()) &&
           reportChildren(this, out, kind);
}

const char* BlockBase::columnText(GString& out, i32 column, void* context) const {
    static const BlockColumns decimal;
    const BlockColumns& c = context ? *static_cast<const BlockColumns*>(context) : decimal;
    auto number = [&](i64 value, u32 hexBit) -> const char* {
        stringFormat(out, (c.viewFlags & hexBit) ? "%08llXH" : "%lld", (long long)value);
        return out.c_str();
    };
    i64 header = (i64)headerLength();
    switch (column) {
    case 0: displayName(out); return out.c_str();
    case 1: return number((i64)start - c.origin, 1);
    case 2: return number((i64)size, 2);
    case 3: return number(header + (i64)start - c.origin, 1);
    case 4: return number((i64)size - header, 2);
    case 5: return number(header, 2);
    case 6:
        stringFormat(out, (c.viewFlags & 4) ? "%xH" : "%d", (int)children.count);
        return out.c_str();
    default: return "";
    }
}

bool writeBlockReport(GFile& out, u32 kind, const BlockBase* block, const char* textName, const char* htmlName,
                      const char* xmlTag) {
    unsigned long long from = block->start;
    long long size = (long long)block->size;
    if (kind == ReportKind::Text)
        return reportAddress(out, from, block->depth()) && reportPrintf(out, "%s: Block size: %lld\r\n", textName, size);
    if (kind == ReportKind::Html)
        return (!block->parent || reportPrintf(out, "<li>")) &&
               reportPrintf(out, "%08llXH: %s: Block size: %lld\r\n", from, htmlName, size);
    if (kind == ReportKind::Xml)
        return reportPrintf(out, "<%s Offset=\"%08llXH..%08llXH\" BlockSize=\"%lld\"/>\r\n", xmlTag, from,
                            from + (unsigned long long)size, size);
    return true;
}

bool reportChildren(const BlockBase* block, GFile& out, u32 kind) {
    for (u32 i = 0; i < block->childCount(); ++i)
        if (!block->child(i)->report(out, kind)) return false;
    return true;
}

i64 findChildAt(const PointerArray& children, u64 position) {
    i64 lo = 0, hi = (i64)children.count - 1;
    while (lo <= hi) {
        i64 mid = (lo + hi) / 2;
        const BlockBase* c = children.at<BlockBase>((u32)mid);
        if (position < c->start)
            hi = mid - 1;
        else if (position - c->start >= c->size)
            lo = mid + 1;
        else
            return mid;
    }
    return -1;
}

BlockBase* findBlockAt(BlockBase* block, u64 offset) {
    if (!block || offset < block->start) return nullptr;
    for (;;) {
        if (offset - block->start >= block->size) return nullptr;
        i64 i = indexedChildAt(block, offset);
        if (i < 0) return block;
        block = block->child((u32)i);
    }
}

namespace {
void moveTree(BlockBase* block, i64 delta) {
    block->start += (u64)delta;
    for (u32 i = 0; i < block->childCount(); ++i) moveTree(block->child(i), delta);
}
}  // namespace

void shiftBlockOffsets(BlockBase* block, i64 delta) {
    for (BlockBase* b = block; b; b = b->parent) {
        b->size += (u64)delta;
        if (!b->parent) break;
        bool after = false;
        for (u32 i = 0; i < b->parent->childCount(); ++i) {
            BlockBase* sibling = b->parent->child(i);
            if (after) moveTree(sibling, delta);
            if (sibling == b) after = true;
        }
    }
}

bool copyBlockBytes(const BlockBase* block, GFile& source, GFile& target, JobProgress* progress) {
    if (block->size == 0) return true;
    i64 at;
    if (!fileTell(target, &at) || at < 0) return false;
    return fileCopyRange(source, (i64)block->start, target, at, (i64)block->size, progress);
}
