#pragma once
// The conversions of the codec library: one at a time under a process-wide busy byte, the progress
// callback's address in the word right before the target descriptor, the library's message always
// ended. The descriptors are the caller's; the library only reads them.
#include <cstddef>

#include "core/gstring.h"
#include "core/types.h"

class JobProgress;

// The library's progress call: bytes of the source done; non-zero asks it to stop.
typedef u8(__cdecl* CodecProgress)(u64 bytesDone);

// Seven words each.
struct CodecSourceDescriptor {
    const char* fileName;
    const char* format;
    intptr_t unused[5] = {-1, -1, -1, -1, -1};
};
struct CodecTargetDescriptor {
    const char* fileName;     // the temporary output file
    const char* format;
    intptr_t options[4] = {-1, -1, -1, -1};  // -1: the library's default
    void* converter = nullptr;               // passed through
};
// The callback word and the target descriptor as the library finds them in memory.
struct CodecTargetBlock {
    CodecProgress progress;
    CodecTargetDescriptor target;
};
static_assert(offsetof(CodecTargetBlock, target) == sizeof(void*), "the callback word lies right before the target");

typedef i32(__cdecl* CodecConvertEntry)(const CodecSourceDescriptor* source, const CodecTargetDescriptor* target,
                                         char* message);

// Bytes of the library's message buffer.
const u32 codecMessageBytes = 4096;
// The progress object hears of an advance of at least this many bytes.
const u64 codecProgressStep = 1048576;

enum class CodecOutcome { Done, FailedWithText, Failed, Busy };

// Runs one conversion through the entry: Busy (with the busy text) while another runs, else the
// library's result (1: its text in message; 2: nothing to show; other values count as done).
// progress may be null; sourceSize clamps the positions the library reports.
CodecOutcome runCodecConvert(CodecConvertEntry entry, const CodecSourceDescriptor& source,
                             const CodecTargetDescriptor& target, u64 sourceSize, JobProgress* progress,
                             GString& message);

// The callback runCodecConvert places before the target (for tests of the library).
u8 __cdecl codecProgressCallback(u64 bytesDone);
