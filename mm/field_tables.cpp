#include "mm/field_tables.h"

#define END_OF_FIELDS {nullptr, 0, 0, FieldType::None, nullptr}
#define CHUNK_HEAD {"Signature", 0, 4, FieldType::Asciiz, nullptr}, {"Size", 4, 4, FieldType::DWord, nullptr}
#define DWORD_AT(name, offset) {name, offset, 4, FieldType::DWord, nullptr}
#define WORD_AT(name, offset) {name, offset, 2, FieldType::Word, nullptr}
#define BYTE_AT(name, offset) {name, offset, 1, FieldType::Byte, nullptr}

namespace {
const FieldDescriptor cueElement = {"Cue", 0, 4, FieldType::DWord, nullptr};
const FieldDescriptor connectionFields[] = {
    WORD_AT("Source", 0), WORD_AT("Control", 2), WORD_AT("Destination", 4), WORD_AT("Transform", 6),
    {"Control", 8, 4, FieldType::Int32, nullptr}, END_OF_FIELDS,
};
const FieldDescriptor connectionElement = {"Connection", 0, 12, FieldType::Structure, connectionFields};
const FieldDescriptor segmentElement = {"Segment Size", 0, 1, FieldType::Byte, nullptr};
const FieldDescriptor blockSizeBits[] = {
    {"Voice 1", 0, 4, FieldType::Bits, nullptr},
    {"Voice 0", 4, 4, FieldType::Bits, nullptr},
    {nullptr, 8, 0, FieldType::None, nullptr},
};
const FieldDescriptor mpegHeaderBits[] = {
    {"Sync Bits", 0, 8, FieldType::Bits, nullptr},      {"Protection", 8, 1, FieldType::Bits, nullptr},
    {"Layer", 9, 2, FieldType::Bits, nullptr},          {"Phase", 11, 2, FieldType::Bits, nullptr},
    {"Sync Bits", 13, 3, FieldType::Bits, nullptr},     {"Private", 16, 1, FieldType::Bits, nullptr},
    {"Padding", 17, 1, FieldType::Bits, nullptr},       {"Sampling Rate", 18, 2, FieldType::Bits, nullptr},
    {"Bit Rate", 20, 4, FieldType::Bits, nullptr},      {"Emphasis", 24, 2, FieldType::Bits, nullptr},
    {"Original", 26, 1, FieldType::Bits, nullptr},      {"Copyrighted", 27, 1, FieldType::Bits, nullptr},
    {"Mode Extension", 28, 2, FieldType::Bits, nullptr}, {"Channel Mode", 30, 2, FieldType::Bits, nullptr},
    {nullptr, 32, 0, FieldType::None, nullptr},
};
const FieldDescriptor textChunkFields[] = {CHUNK_HEAD, {"String", 8, 0, FieldType::Asciiz, nullptr}, END_OF_FIELDS};
const FieldDescriptor fmtChunkFields[] = {
    CHUNK_HEAD, {"WAVEFORMATEX", 8, 0, FieldType::Structure, nullptr}, END_OF_FIELDS};
}  // namespace

const FieldDescriptor dlsCollectionFields[] = {CHUNK_HEAD, DWORD_AT("Number of Instruments", 8), END_OF_FIELDS};
const FieldDescriptor dlsVersionFields[] = {
    CHUNK_HEAD, WORD_AT("Version2", 8), WORD_AT("Version1", 10), WORD_AT("Version4", 12), WORD_AT("Version3", 14),
    END_OF_FIELDS,
};
// "Number of Cues" is the 4-byte count it is.
const FieldDescriptor dlsPoolTableFields[] = {
    CHUNK_HEAD, DWORD_AT("Header Size", 8), DWORD_AT("Number of Cues", 12),
    {"Cue", 16, 0, FieldType::Array, &cueElement}, END_OF_FIELDS,
};
const FieldDescriptor dlsInstrumentFields[] = {
    CHUNK_HEAD, DWORD_AT("Count of Regions", 8), DWORD_AT("MIDI Bank Location", 12),
    DWORD_AT("MIDI Program Change", 16), END_OF_FIELDS,
};
const FieldDescriptor dlsRegionFields[] = {
    CHUNK_HEAD,           WORD_AT("Min Key", 8),  WORD_AT("Max Key", 10),    WORD_AT("Min Velocity", 12),
    WORD_AT("Max Velocity", 14), WORD_AT("Options", 16), WORD_AT("Drum Group", 18), END_OF_FIELDS,
};
const FieldDescriptor dlsWaveLinkFields[] = {
    CHUNK_HEAD, WORD_AT("Options", 8), WORD_AT("Phase Group", 10), DWORD_AT("Channel", 12),
    DWORD_AT("Cue Index", 16), END_OF_FIELDS,
};
const FieldDescriptor dlsWaveSampleFields[] = {
    CHUNK_HEAD,
    DWORD_AT("Header Size", 8),
    WORD_AT("Note", 12),
    {"Tuning", 14, 2, FieldType::Int16, nullptr},
    {"Attenuation", 16, 4, FieldType::Int32, nullptr},
    DWORD_AT("Options", 20),
    DWORD_AT("Number of Loops", 24),
    DWORD_AT("Loop Data Size", 28),
    DWORD_AT("Loop Type", 32),
    DWORD_AT("Loop Start, samples", 36),
    DWORD_AT("Loop Length, samples", 40),
    END_OF_FIELDS,
};
const FieldDescriptor dlsArticulationFields[] = {
    CHUNK_HEAD, DWORD_AT("Header Size", 8), DWORD_AT("Number of Connections", 12),
    {"Connections", 16, 0, FieldType::Array, &connectionElement}, END_OF_FIELDS,
};
const FieldDescriptor id3v1Fields[] = {
    {"Signature", 0, 3, FieldType::Asciiz, nullptr}, {"Song Title", 3, 30, FieldType::Ascii, nullptr},
    {"Artist", 33, 30, FieldType::Ascii, nullptr},   {"Album", 63, 30, FieldType::Ascii, nullptr},
    {"Year", 93, 4, FieldType::Asciiz, nullptr},     {"Comment", 97, 30, FieldType::Ascii, nullptr},
    BYTE_AT("Genre", 127),                           END_OF_FIELDS,
};
const FieldDescriptor id3v2HeaderFields[] = {
    {"Signature", 0, 3, FieldType::Asciiz, nullptr}, BYTE_AT("Version (Medium)", 3), BYTE_AT("Version (Minor)", 4),
    BYTE_AT("Flags", 5), DWORD_AT("Size (Coded)", 6), END_OF_FIELDS,
};
const FieldDescriptor oggPageFields[] = {
    {"Signature", 0, 4, FieldType::Asciiz, nullptr},
    BYTE_AT("Version", 4),
    BYTE_AT("Header Type", 5),
    {"Granule Position", 6, 8, FieldType::QWord, nullptr},
    DWORD_AT("Bit Stream Serial Number", 14),
    DWORD_AT("Page Sequence Number", 18),
    DWORD_AT("CRC", 22),
    BYTE_AT("Page Segments Count", 26),
    {"Segment Size", 27, 0, FieldType::Array, &segmentElement},
    END_OF_FIELDS,
};
const FieldDescriptor oggStreamFields[] = {
    BYTE_AT("Type", 0),
    {"Signature", 1, 8, FieldType::Asciiz, nullptr},
    {"Codec", 9, 4, FieldType::Asciiz, nullptr},
    DWORD_AT("Size", 13),
    {"Unit Time", 17, 8, FieldType::QWord, nullptr},
    {"Samples / Unit", 25, 8, FieldType::QWord, nullptr},
    DWORD_AT("Default Length", 33),
    DWORD_AT("Buffer Size", 37),
    DWORD_AT("Bits / Sample", 41),
    DWORD_AT("Width", 45),
    DWORD_AT("Height", 49),
    END_OF_FIELDS,
};
const FieldDescriptor vorbisIdentificationFields[] = {
    BYTE_AT("Type", 0),
    {"Signature", 1, 6, FieldType::Asciiz, nullptr},
    DWORD_AT("Version", 7),
    BYTE_AT("Channels", 11),
    DWORD_AT("Frequency", 12),
    DWORD_AT("Max BitRate", 16),
    DWORD_AT("Ave BitRate", 20),
    DWORD_AT("Min BitRate", 24),
    {"Block Size", 28, 1, FieldType::BitSet, blockSizeBits},
    BYTE_AT("Framing Flag", 29),
    END_OF_FIELDS,
};
const FieldDescriptor oggAudioStreamFields[] = {
    BYTE_AT("Type", 0),
    {"Signature", 1, 8, FieldType::Asciiz, nullptr},
    {"Sub Type", 9, 4, FieldType::Byte, nullptr},
    DWORD_AT("Size", 13),
    {"Duration", 17, 8, FieldType::QWord, nullptr},
    {"Reserved", 25, 8, FieldType::Binary, nullptr},
    DWORD_AT("Default Length", 33),
    {"Reserved", 37, 4, FieldType::Binary, nullptr},
    {"Reserved", 41, 4, FieldType::Binary, nullptr},
    {"Reserved", 45, 4, FieldType::Binary, nullptr},
    {"Reserved", 49, 4, FieldType::Binary, nullptr},
    {"Reserved", 53, 4, FieldType::Binary, nullptr},
    END_OF_FIELDS,
};
const FieldDescriptor mpegHeaderElement = {"MP3 Header", 0, 4, FieldType::BitSet, mpegHeaderBits};
const FieldDescriptor acmFormatTagDetailsFields[] = {
    DWORD_AT("cbStruct", 0),     DWORD_AT("dwFormatTagIndex", 4), DWORD_AT("dwFormatTag", 8),
    DWORD_AT("cbFormatSize", 12), DWORD_AT("fdwSupport", 16),     DWORD_AT("cStandardFormats", 20),
    {"szFormatTag", 24, 48, FieldType::Asciiz, nullptr}, END_OF_FIELDS,
};
const FieldDescriptor acmFormatDetailsFields[] = {
    DWORD_AT("cbStruct", 0),
    DWORD_AT("dwFormatIndex", 4),
    DWORD_AT("dwFormatTag", 8),
    DWORD_AT("fdwSupport", 12),
    {"pwfx", 16, 4, FieldType::Binary, nullptr},
    {"cbwfx", 20, 4, FieldType::Binary, nullptr},
    {"szFormat", 24, 128, FieldType::Asciiz, nullptr},
    END_OF_FIELDS,
};
const FieldDescriptor riffFactChunkFields[] = {CHUNK_HEAD, DWORD_AT("Duration, samples", 8), END_OF_FIELDS};
const FieldDescriptor riffPlainChunkFields[] = {CHUNK_HEAD, END_OF_FIELDS};
const FieldDescriptor riffListFields[] = {CHUNK_HEAD, END_OF_FIELDS};
const FieldDescriptor riffFormListFields[] = {
    CHUNK_HEAD, {"Format", 8, 4, FieldType::Asciiz, nullptr}, END_OF_FIELDS};

const FieldDescriptor* SizedFieldList::build(const FieldDescriptor* list, u64 size) {
    bool sized = false;
    for (u32 i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
        fields[i] = list[i];
        if (!list[i].name) break;
        if (!sized && fields[i].size == 0) {
            fields[i].size = size;
            sized = true;
        }
    }
    return fields;
}

const FieldDescriptor* FormatChunkFields::build(const WAVEFORMATEX* block, u64 formatBytes) {
    format = formatBlockFields(block);
    for (u32 i = 0; i < 4; ++i) fields[i] = fmtChunkFields[i];
    fields[2].size = formatBytes;
    fields[2].sub = format.fields;
    return fields;
}

const FieldDescriptor* DataChunkFields::build(u32 encoding, u64 contentBytes) {
    const FieldDescriptor head[] = {CHUNK_HEAD, END_OF_FIELDS};
    for (u32 i = 0; i < 3; ++i) fields[i] = head[i];
    if (const FieldDescriptor* list = samples.build(encoding, contentBytes)) {
        fields[2] = list[0];
        fields[2].offset = 8;
        fields[3] = head[2];
    }
    return fields;
}

const FieldDescriptor* TextChunkFields::build(u64 textBytes) { return list.build(textChunkFields, textBytes); }
