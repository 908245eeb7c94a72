#include "tools/codec_calls.h"

#include <windows.h>

#include <vector>

#include "core/progress.h"
#include "mm/mm_texts.h"

namespace {
// The busy byte and the one conversion's progress, under one lock.
struct CodecState {
    CodecState() { InitializeCriticalSection(&lock); }
    CRITICAL_SECTION lock;
    u8 busy = 0;
    JobProgress* progress = nullptr;
    u64 sourceSize = 0;
    u64 lastReported = 0;
};
CodecState& state() {
    static CodecState s;
    return s;
}

bool takeBusy() {
    CodecState& s = state();
    EnterCriticalSection(&s.lock);
    bool free = !s.busy;
    if (free) s.busy = 1;
    LeaveCriticalSection(&s.lock);
    return free;
}

struct BusyScope {
    ~BusyScope() {
        CodecState& s = state();
        EnterCriticalSection(&s.lock);
        s.busy = 0;
        s.progress = nullptr;
        LeaveCriticalSection(&s.lock);
    }
};
}  // namespace

u8 __cdecl codecProgressCallback(u64 done) {
    // Called from the library: nothing may pass out of it.
    try {
        CodecState& s = state();
        if (done > s.sourceSize) done = s.sourceSize;
        if (!s.progress) return 0;
        if (done >= s.lastReported + codecProgressStep) {
            s.lastReported = done;
            if (s.progress->report(done, nullptr)) return 1;
        }
        return s.progress->isCancelled() ? 1 : 0;
    } catch (...) {
        return 1;
    }
}

CodecOutcome runCodecConvert(CodecConvertEntry entry, const CodecSourceDescriptor& source,
                             const CodecTargetDescriptor& target, u64 sourceSize, JobProgress* progress,
                             GString& message) {
    stringClear(message);
    if (!takeBusy()) {
        stringAssignText(message, mmText(MmText::CodecLibraryBusy));
        return CodecOutcome::Busy;
    }
    BusyScope scope;
    CodecState& s = state();
    s.progress = progress;
    s.sourceSize = sourceSize;
    s.lastReported = 0;
    if (!entry) return CodecOutcome::Failed;
    CodecTargetBlock block = {codecProgressCallback, target};
    std::vector<char> text(codecMessageBytes);
    i32 result = entry(&source, &block.target, text.data());
    text[codecMessageBytes - 1] = 0;
    if (result == 1) stringAssignText(message, text.data());
    if (result == 1) return CodecOutcome::FailedWithText;
    if (result == 2) return CodecOutcome::Failed;
    return CodecOutcome::Done;
}

namespace {
// A text of the library, at most n characters, null as empty.
void copyText(GString& out, const char* text, u32 n = 4096) {
    u32 length = 0;
    while (text && length < n && text[length]) ++length;
    stringAssign(out, text ? text : "", length);
}
// Enumerations stop after this many entries, whatever the library says.
const u32 maxCodecEntries = 4096;
}  // namespace

void listCodecEncoders(CodecEncoderEnumEntry entry, std::vector<CodecEncoderInfo>& out) {
    uint32_t cursor = 0;
    CodecEncoderEntry e = {};
    while (entry && out.size() < maxCodecEntries && entry(&cursor, &e)) {
        CodecEncoderInfo info;
        info.family = e.family;
        copyText(info.shortName, e.shortName);
        copyText(info.longName, e.longName);
        out.push_back(info);
        e = {};
    }
}

void listCodecDecoders(CodecDecoderEnumEntry entry, const char* fileName, std::vector<CodecDecoderInfo>& out) {
    uint32_t cursor = 0;
    CodecDecoderEntry e = {};
    while (entry && out.size() < maxCodecEntries && entry(&cursor, fileName, &e)) {
        CodecDecoderInfo info;
        copyText(info.shortName, e.shortName);
        copyText(info.longName, e.longName);
        copyText(info.name, e.name, sizeof e.name);
        info.flag = e.flag;
        out.push_back(info);
        e = {};
    }
}

void codecEncoderTitle(const CodecEncoderInfo& encoder, GString& out) {
    stringFormat(out, "%s [%s]", encoder.longName.c_str(), encoder.shortName.c_str());
}
