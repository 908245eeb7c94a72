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

BlockBase::BlockBase(BlockBase* parent, u32 id, u64 start, u64 size) : parent(parent), id(id), start(start), size(size) {
    if (parent) appendSlot(parent->children, this);
}

BlockBase::~BlockBase() {
    for (u32 i = 0; i < children.count; ++i) delete child(i);
    arrayFree(children);
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
    bool ok;
    if (kind == ReportKind::Xml) {
        ok = reportPrintf(out, "<%s Offset=\"%08llXH..%08llXH\" BlockSize=\"%lld\"/>\r\n", fourCCText(id).c_str(),
                          (unsigned long long)start, (unsigned long long)(start + size), (long long)size);
    } else {
        ok = kind == ReportKind::Html ? reportPrintf(out, "<li>%08llXH: ", (unsigned long long)start)
                                      : reportAddress(out, start, depth());
        ok = ok && reportPrintf(out, "%s: Block size: %lld\r\n", name.c_str(), (long long)size);
    }
    for (u32 i = 0; ok && i < children.count; ++i) ok = child(i)->report(out, kind);
    return ok;
}
