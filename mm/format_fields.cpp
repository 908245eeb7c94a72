// Field lists of the format records for the structure viewer.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

#include "mm/sound_format.h"

namespace {
const FieldDescriptor coefElement = {"coef", 0, 8, FieldType::Double, nullptr};

const FieldDescriptor trackFields[] = {
    {"color", 0, 4, FieldType::DWord, nullptr},
    {"flags", 4, 4, FieldType::DWord, nullptr},
    {"layer", 8, 4, FieldType::DWord, nullptr},
    {"reserved", 12, 4, FieldType::DWord, nullptr},
    {"coef", 16, 16, FieldType::Array, &coefElement},
    {"info", 32, 32, FieldType::Ascii, nullptr},
    {nullptr, 0, 0, FieldType::None, nullptr},
};
const FieldDescriptor trackElement = {"track", 0, 64, FieldType::Structure, trackFields};

#define WAVE_FORMAT_FIELDS                                  \
    {"wFormatTag", 0, 2, FieldType::Word, nullptr},         \
    {"nChannels", 2, 2, FieldType::Word, nullptr},          \
    {"nSamplesPerSec", 4, 4, FieldType::DWord, nullptr},    \
    {"nAvgBytesPerSec", 8, 4, FieldType::DWord, nullptr},   \
    {"nBlockAlign", 12, 2, FieldType::Word, nullptr},       \
    {"wBitsPerSample", 14, 2, FieldType::Word, nullptr}
#define CB_SIZE_FIELD {"cbSize", 16, 2, FieldType::Word, nullptr}
#define END_OF_FIELDS {nullptr, 0, 0, FieldType::None, nullptr}
// The bytes a block holds past the members of its structure (cbSize counting); its size is set for
// each block.
#define EXTRA_FIELD(offset) {"extra", offset, 0, FieldType::Binary, nullptr}

const FieldDescriptor plainFields[] = {WAVE_FORMAT_FIELDS, CB_SIZE_FIELD, END_OF_FIELDS};

const FieldDescriptor extensibleFields[] = {
    WAVE_FORMAT_FIELDS,
    CB_SIZE_FIELD,
    {"Samples", 18, 2, FieldType::Word, nullptr},
    {"dwChannelMask", 20, 4, FieldType::DWord, nullptr},
    {"SubFormat", 24, 16, FieldType::Guid, nullptr},
    EXTRA_FIELD(40),
    END_OF_FIELDS,
};

const FieldDescriptor oggFields[] = {
    WAVE_FORMAT_FIELDS,
    CB_SIZE_FIELD,
    {"oggDate1", 18, 4, FieldType::DWord, nullptr},
    {"oggDate2", 22, 4, FieldType::DWord, nullptr},
    EXTRA_FIELD(26),
    END_OF_FIELDS,
};

const FieldDescriptor mp3Fields[] = {
    WAVE_FORMAT_FIELDS,
    CB_SIZE_FIELD,
    {"wID", 18, 2, FieldType::Word, nullptr},
    {"fdwFlags", 20, 4, FieldType::DWord, nullptr},
    {"nBlockSize", 24, 2, FieldType::Word, nullptr},
    {"nFramesPerBlock", 26, 2, FieldType::Word, nullptr},
    {"nCodecDelay", 28, 2, FieldType::Word, nullptr},
    EXTRA_FIELD(30),
    END_OF_FIELDS,
};

const FieldDescriptor mpegFields[] = {
    WAVE_FORMAT_FIELDS,
    CB_SIZE_FIELD,
    {"fwHeadLayer", 18, 2, FieldType::Word, nullptr},
    {"dwHeadBitrate", 20, 4, FieldType::DWord, nullptr},
    {"fwHeadMode", 24, 2, FieldType::Word, nullptr},
    {"fwHeadModeExt", 26, 2, FieldType::Word, nullptr},
    {"wHeadEmphasis", 28, 2, FieldType::Word, nullptr},
    {"fwHeadFlags", 30, 2, FieldType::Word, nullptr},
    {"dwPTSLow", 32, 4, FieldType::DWord, nullptr},
    {"dwPTSHigh", 36, 4, FieldType::DWord, nullptr},
    EXTRA_FIELD(40),
    END_OF_FIELDS,
};

static_assert(sizeof mpegFields / sizeof mpegFields[0] <= sizeof(FormatFieldList) / sizeof(FieldDescriptor),
              "the longest table fits the list");

const FieldDescriptor ownFields[] = {
    WAVE_FORMAT_FIELDS,
    CB_SIZE_FIELD,
    {"reserved", 18, 2, FieldType::Word, nullptr},
    {"reserved", 20, 4, FieldType::DWord, nullptr},
    {"encoding", 24, 4, FieldType::DWord, nullptr},
    {"reserved", 28, 4, FieldType::DWord, nullptr},
    {"coef", 32, 8, FieldType::Double, nullptr},
    {"track", 40, 64, FieldType::Array, &trackElement},
    END_OF_FIELDS,
};

const FieldDescriptor* fieldsOfTag(u16 tag) {
    switch (tag) {
    case 0x55: return mp3Fields;
    case 0x50: return mpegFields;
    case 0x674F:
    case 0x6750:
    case 0x6751:
    case 0x676F:
    case 0x6770:
    case 0x6771: return oggFields;
    case 0xFFFE: return extensibleFields;
    case ownFormatTag: return ownFields;
    default: return plainFields;
    }
}
}  // namespace

FormatFieldList formatBlockFields(const WAVEFORMATEX* block) {
    FormatFieldList list = {};
    const FieldDescriptor* from = fieldsOfTag(block ? block->wFormatTag : 0);
    for (u32 i = 0; from[i].name; ++i) {
        FieldDescriptor& field = list.fields[i];
        field = from[i];
        // What lies past the fixed members is bounded by the block (18 + cbSize bytes); the tracks
        // are whole records of those the block holds.
        const u64 blockBytes = waveFormatBytes + (u64)block->cbSize;
        const u64 room = blockBytes > field.offset ? blockBytes - field.offset : 0;
        if (from == ownFields && field.type == FieldType::Array)
            field.size = std::min<u64>(block->nChannels, room / sizeof(TrackRecord)) * sizeof(TrackRecord);
        if (field.type == FieldType::Binary) field.size = room;
    }
    return list;
}
