#pragma once
// The conversions of the codec library: one at a time under a process-wide busy byte, the progress
// callback's address in the word right before the target descriptor, the library's message always
// ended. The descriptors are the caller's; the library only reads them.
#include <vector>

#include "core/gstring.h"
#include "core/types.h"
#include "mm/codec_interface.h"

class JobProgress;

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

// The library's encoders and decoders, copied out at once (texts always ended).
struct CodecEncoderInfo {
    u32 family;
    GString shortName, longName;
};
struct CodecDecoderInfo {
    GString shortName, longName, name;
    u8 flag;
};
// Every entry the enumeration delivers, in order (none for a null entry point).
void listCodecEncoders(CodecEncoderEnumEntry entry, std::vector<CodecEncoderInfo>& out);
void listCodecDecoders(CodecDecoderEnumEntry entry, const char* fileName, std::vector<CodecDecoderInfo>& out);
// "long [short]", as lists show an encoder.
void codecEncoderTitle(const CodecEncoderInfo& encoder, GString& out);
