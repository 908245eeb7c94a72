#include "tools/mpeg_block.h"

#include <windows.h>
#include <mmreg.h>

#include <cstring>

#include "core/gfile.h"
#include "mm/field_tables.h"
#include "mm/riff_block.h"

static_assert(sizeof(MPEGLAYER3WAVEFORMAT) == 30, "the layer III record is 30 bytes");
static_assert(sizeof(MPEG1WAVEFORMAT) == 40, "the layer I/II record is 40 bytes");

namespace {
// Bits per second by index: MPEG-1 layer I, II, III; MPEG-2/2.5 layer I; MPEG-2/2.5 layers II and III.
const i32 bitrates[16][5] = {
    {0, 0, 0, 0, 0},
    {32000, 32000, 32000, 32000, 8000},
    {64000, 48000, 40000, 48000, 16000},
    {96000, 56000, 48000, 56000, 24000},
    {128000, 64000, 56000, 64000, 32000},
    {160000, 80000, 64000, 80000, 40000},
    {192000, 96000, 80000, 96000, 48000},
    {224000, 112000, 96000, 112000, 56000},
    {256000, 128000, 112000, 128000, 64000},
    {288000, 160000, 128000, 144000, 80000},
    {320000, 192000, 160000, 160000, 96000},
    {352000, 224000, 192000, 176000, 112000},
    {384000, 256000, 224000, 192000, 128000},
    {416000, 320000, 256000, 224000, 144000},
    {448000, 384000, 320000, 256000, 160000},
    {-1, -1, -1, -1, -1},
};
const u32 rates[3] = {44100, 48000, 32000};

const FieldDescriptor headerRecord[] = {mpegHeaderElement, {nullptr, 0, 0, FieldType::None, nullptr}};

// The layer the file's name asks for: its last character as a digit, 0 when not 1 to 3.
u32 layerOfName(const char* name) {
    if (!name || !*name) return 0;
    char last = name[strlen(name) - 1];
    return last >= '1' && last <= '3' ? (u32)(last - '0') : 0;
}
}  // namespace

i32 mpegBitrate(u32 version, u32 layer, u32 index) {
    if (index > 15 || layer < 1 || layer > 3) return 0;
    u32 column = version == 3 ? layer - 1 : (layer == 1 ? 3 : 4);
    return bitrates[index][column];
}

bool isMpegFrameHeader(const u8* b, u32 layer) {
    return b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && ((b[1] >> 3) & 3) != 1 && ((b[1] >> 1) & 3) == 4 - layer &&
           (b[2] >> 4) != 15 && ((b[2] >> 2) & 3) != 3;
}

bool findMp3FrameSync(GFile& file, u64& position, u32& header) {
    u32 layer = layerOfName(file.name);
    if (!layer || !fileSeek(file, (i64)position, SEEK_SET)) return false;
    u8 piece[mpegSearchPiece];
    u8 last[4] = {};
    u32 kept = 0;  // bytes held in last
    for (u32 done = 0; done < mpegSearchWindow;) {
        u32 n = mpegSearchWindow - done < mpegSearchPiece ? mpegSearchWindow - done : mpegSearchPiece;
        if (!fileRead(file, piece, n)) return false;
        for (u32 i = 0; i < n; ++i) {
            last[0] = last[1];
            last[1] = last[2];
            last[2] = last[3];
            last[3] = piece[i];
            if (++kept >= 4 && isMpegFrameHeader(last, layer)) {
                position += done + i - 3;
                memcpy(&header, last, 4);
                return true;
            }
        }
        done += n;
    }
    return false;
}

Mp3Source::Mp3Source(BlockBase* parent, u32 header) : BlockBase(parent, BlockId::Mp3, 0, 0), header(header) {}

void Mp3Source::displayName(GString& out) const { stringAssignText(out, "MP3"); }

bool Mp3Source::read(BlockSink* sink, GFile& file, u64 limit) {
    i64 at;
    start = fileTell(file, &at) ? (u64)at : ~0ull;
    size = limit;
    return buildWaveFormat(file, sink != nullptr);
}

bool Mp3Source::report(GFile& out, u32 kind) {
    return writeBlockReport(out, kind, this, "MP3", "MP3", "MP3") && reportChildren(this, out, kind);
}

bool Mp3Source::write(GFile* source, GFile& target, JobProgress* progress) {
    return source && copyBlockBytes(this, *source, target, progress);
}

const FieldDescriptor* Mp3Source::secondRecord(u64* offset, u64* bytes) {
    table.pointAt(headerRecord);
    if (size < 4) return nullptr;
    *offset = start;
    *bytes = 4;
    return table.rows;
}

u32 Mp3Source::formatLength() const {
    const WAVEFORMATEX* f = format();
    if (!f) return 0;
    return f->wFormatTag == pcmFormatTag ? 16 : waveFormatBytes + f->cbSize;
}

bool Mp3Source::buildWaveFormat(GFile& file, bool reportErrors) {
    u8 b[4];
    memcpy(b, &header, 4);
    const u32 layerBits = (b[1] >> 1) & 3, version = (b[1] >> 3) & 3;
    const u32 bitrateIndex = b[2] >> 4, rateIndex = (b[2] >> 2) & 3, padding = (b[2] >> 1) & 1;
    const u32 channelMode = b[3] >> 6, modeExtension = (b[3] >> 4) & 3;
    auto fail = [&](MmText message) {
        if (reportErrors) reportBlockError(file, message);
        return false;
    };
    if (layerBits == 0) {
        SoundFormatBlock::allocate(&formatRecord, waveFormatBytes);
        return fail(MmText::MpegReservedLayer);
    }
    const u32 layer = 4 - layerBits;
    const bool layer3 = layer == 3;
    SoundFormatBlock::allocate(&formatRecord, layer3 ? sizeof(MPEGLAYER3WAVEFORMAT) : sizeof(MPEG1WAVEFORMAT));
    WAVEFORMATEX* wave = formatRecord.format();
    wave->wFormatTag = layer3 ? WAVE_FORMAT_MPEGLAYER3 : WAVE_FORMAT_MPEG;
    wave->cbSize = layer3 ? 12 : 22;
    wave->nChannels = channelMode == 3 ? 1 : 2;
    // Every check returns before the rate divides.
    if (version == 1) return fail(MmText::MpegReservedVersion);
    if (rateIndex == 3) return fail(MmText::MpegReservedRate);
    u32 rate = rates[rateIndex];
    if (version == 2) rate /= 2;
    if (version == 0) rate /= 4;
    wave->nSamplesPerSec = rate;
    i32 bitrate = mpegBitrate(version, layer, bitrateIndex);
    if (bitrate <= 0) return fail(MmText::MpegBadBitrate);
    wave->nAvgBytesPerSec = (u32)bitrate / 8;
    wave->wBitsPerSample = 0;
    u32 frame = layer == 1 ? (12 * (u32)bitrate / rate + padding) * 4 : 144 * (u32)bitrate / rate + padding;
    const u16 frameLength = (u16)frame;
    wave->nBlockAlign = rate == 44100 ? 1 : frameLength;
    if (layer3) {
        MPEGLAYER3WAVEFORMAT* m = reinterpret_cast<MPEGLAYER3WAVEFORMAT*>(wave);
        m->wID = 1;
        m->fdwFlags = 4;
        m->nBlockSize = frameLength;
        m->nFramesPerBlock = 1;
        m->nCodecDelay = 0;
    } else {
        MPEG1WAVEFORMAT* m = reinterpret_cast<MPEG1WAVEFORMAT*>(wave);
        m->fwHeadLayer = layer == 1 ? 1 : 2;
        m->dwHeadBitrate = (u32)bitrate;
        m->fwHeadMode = (u16)(1u << channelMode);
        m->fwHeadModeExt = channelMode == 1 ? (u16)(1u << modeExtension) : 0;
        m->wHeadEmphasis = b[3] & 3;
        u16 flags = version == 3 ? 16 : 0;
        if (b[1] & 1) flags |= 8;
        if (b[2] & 1) flags |= 1;
        if (b[3] & 8) flags |= 2;
        if (b[3] & 4) flags |= 4;
        m->fwHeadFlags = flags;
        m->dwPTSLow = m->dwPTSHigh = 0;
    }
    return true;
}
