#pragma once
// The records that the codec library "darodeza.dll" and its callers share. Every entry point is
// cdecl; the library only reads what it is given, and what it hands out stays its own until its next
// call of the same kind.
#include <cstddef>
#include <cstdint>

// Bytes of the source done; non-zero asks the library to stop.
typedef uint8_t(__cdecl* CodecProgress)(uint64_t bytesDone);

// Seven words each.
struct CodecSourceDescriptor {
    const char* fileName;
    const char* format;
    intptr_t unused[5] = {-1, -1, -1, -1, -1};
};
struct CodecTargetDescriptor {
    const char* fileName;  // the temporary output file
    const char* format;
    intptr_t options[4] = {-1, -1, -1, -1};  // -1: the library's default
    void* converter = nullptr;               // passed through
};
// The word right before the target descriptor holds the progress callback's address.
struct CodecTargetBlock {
    CodecProgress progress;
    CodecTargetDescriptor target;
};
static_assert(offsetof(CodecTargetBlock, target) == sizeof(void*), "the callback word lies right before the target");

// Bytes of the message buffer of a conversion.
const uint32_t codecMessageBytes = 4096;

// One stream the parse found: 31 words. Word 2 is the stream's number, words 3 to 27 its text,
// word 28 the sample rate, 29 the bits per second, 30 the channel count.
struct CodecStreamEntry {
    uint32_t words[31];
};
static_assert(sizeof(CodecStreamEntry) == 124, "stream entries are 124 bytes");
const uint32_t codecStreamTextBytes = 100;

// Families of the encoders.
enum : uint32_t { CodecFamilyPcm = 0, CodecFamilyAdpcm, CodecFamilyMpegLayer2, CodecFamilyMpegLayer3, CodecFamilyVorbis };

struct CodecEncoderEntry {
    uint32_t family;
    const char* shortName;
    const char* longName;
};
struct CodecDecoderEntry {
    const char* shortName;
    const char* longName;
    char name[32];
    uint8_t flag;
};

typedef void(__cdecl* CodecInitEntry)();
typedef int32_t(__cdecl* CodecConvertEntry)(const CodecSourceDescriptor* source, const CodecTargetDescriptor* target,
                                             char* message);
// The number of entries (0 or less: nothing recognised) and their array.
typedef int32_t(__cdecl* CodecParseEntry)(const char* fileName, const CodecStreamEntry** entries);
// True while an entry was delivered; the cursor starts at 0.
typedef bool(__cdecl* CodecDecoderEnumEntry)(uint32_t* cursor, const char* fileName, CodecDecoderEntry* out);
typedef bool(__cdecl* CodecEncoderEnumEntry)(uint32_t* cursor, CodecEncoderEntry* out);
typedef int32_t(__cdecl* CodecFindBestEntry)(void*, int32_t, void*);

// The stand-in library's own stream files: "DZS1", u32 stream count, then per stream {u32 rate,
// u32 channels, u32 data bytes, char title[32]}, then each stream's 16-bit PCM data in turn.
const uint32_t codecStandInMagic = 0x31535A44;  // "DZS1"
struct CodecStandInStream {
    uint32_t rate;
    uint32_t channels;
    uint32_t bytes;
    char title[32];
};
