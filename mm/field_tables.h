#pragma once
// Field lists of the analyzer's blocks for the structure viewer: DLS, ID3, Ogg, Vorbis, MPEG,
// codec driver details and the RIFF chunks. Static data; the builders patch their templates into
// the record that holds them, which its block owns.
#include "core/field_descriptor.h"
#include "mm/riff_block.h"
#include "mm/sound_format.h"

extern const FieldDescriptor dlsCollectionFields[];
extern const FieldDescriptor dlsVersionFields[];
extern const FieldDescriptor dlsPoolTableFields[];  // template: "Cue" by the cue count
extern const FieldDescriptor dlsInstrumentFields[];
extern const FieldDescriptor dlsRegionFields[];
extern const FieldDescriptor dlsWaveLinkFields[];
extern const FieldDescriptor dlsWaveSampleFields[];
extern const FieldDescriptor dlsArticulationFields[];  // template: "Connections"
extern const FieldDescriptor id3v1Fields[];
extern const FieldDescriptor id3v2HeaderFields[];
extern const FieldDescriptor oggPageFields[];  // template: "Segment Size" by the segment count
extern const FieldDescriptor oggStreamFields[];
extern const FieldDescriptor vorbisIdentificationFields[];
extern const FieldDescriptor oggAudioStreamFields[];
extern const FieldDescriptor mpegHeaderElement;  // a Bit Set of the 4 header bytes
extern const FieldDescriptor acmFormatTagDetailsFields[];
extern const FieldDescriptor acmFormatDetailsFields[];
extern const FieldDescriptor riffFactChunkFields[];
extern const FieldDescriptor riffPlainChunkFields[];
extern const FieldDescriptor riffListFields[];
extern const FieldDescriptor riffFormListFields[];

// A list with its last template (the Array or open text before the ending record) sized.
struct SizedFieldList {
    FieldDescriptor fields[16] = {};
    // Copies the list; the first record of size 0 takes the size.
    const FieldDescriptor* build(const FieldDescriptor* list, u64 size);
};

// A "fmt " chunk: its header and the WAVEFORMATEX structure of the chunk's format.
struct FormatChunkFields {
    FieldDescriptor fields[4] = {};
    FormatFieldList format = {};
    const FieldDescriptor* build(const WAVEFORMATEX* block, u64 formatBytes);
};

// A "data" chunk: its header and the samples by the encoding (the header alone when not decoded).
struct DataChunkFields {
    FieldDescriptor fields[4] = {};
    SampleFieldList samples;
    const FieldDescriptor* build(u32 encoding, u64 contentBytes);
};

// A text chunk of textBytes bytes after its header.
struct TextChunkFields {
    SizedFieldList list;
    const FieldDescriptor* build(u64 textBytes);
};
