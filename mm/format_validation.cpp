#include "mm/format_validation.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "gui/kernel/message_box.h"

static_assert(sizeof(WAVEFORMATEX) == waveFormatBytes, "WAVEFORMATEX is 18 bytes");

namespace {
FormatProblem problem(MmText message, i64 value = 0) {
    FormatProblem p;
    p.message = message;
    p.value = (i32)value;
    return p;
}

const OwnFormatHeader* ownHeader(const WAVEFORMATEX* block) {
    return reinterpret_cast<const OwnFormatHeader*>(block);
}

FormatProblem ownChannelProblem(const OwnFormatHeader* h) {
    if (h->nChannels == 0 || h->nChannels > maxTrackCount) return problem(MmText::OwnWrongChannelCount, h->nChannels);
    if (h->nChannels > maxStoredTrackCount) return problem(MmText::OwnTooManyTracks, h->nChannels);
    return {};
}

FormatProblem ownBlockSizeProblem(const OwnFormatHeader* h) {
    if ((u32)h->cbSize + waveFormatBytes != ownFormatBlockBytes(h->nChannels))
        return problem(MmText::OwnWrongBlockSize, h->cbSize);
    return {};
}

// The layers must be a permutation of 0..tracks-1. Visits are marked aside, so the block is only
// read; the records need not be aligned.
FormatProblem ownLayerProblem(const OwnFormatHeader* h) {
    const u8* record = reinterpret_cast<const u8*>(h) + sizeof(OwnFormatHeader);
    std::vector<u8> visited(h->nChannels, 0);
    for (u32 i = 0; i < h->nChannels; ++i, record += sizeof(TrackRecord)) {
        u32 layer;
        memcpy(&layer, record + offsetof(TrackRecord, layer), sizeof layer);
        if (layer >= h->nChannels || visited[layer]) return problem(MmText::OwnWrongLayers);
        visited[layer] = 1;
    }
    return {};
}

FormatProblem ownEncodingProblem(const OwnFormatHeader* h) {
    if (h->encoding < encodingInt16 || h->encoding > encodingDouble) return problem(MmText::OwnWrongEncoding, h->encoding);
    return {};
}

// A gain that is not a number is refused as well: it would turn every mixed sample into noise.
FormatProblem ownGainProblem(const OwnFormatHeader* h) {
    f64 gain = h->coef;
    if (!(gain >= 0.0)) {
        FormatProblem p = problem(MmText::OwnWrongGain);
        p.gain = gain;
        return p;
    }
    return {};
}

// Rate, block align and byte rate of a PCM or own block, in that order. The stored byte rate is a
// u32; blocks of very wide sounds hold it wrapped, as they are written.
FormatProblem rateAndSizesProblem(const WAVEFORMATEX* b, MmText rate, MmText align, MmText byteRate) {
    if (b->nSamplesPerSec == 0 || b->nSamplesPerSec > maxSampleRate) return problem(rate, b->nSamplesPerSec);
    if (b->nBlockAlign != (u32)(b->wBitsPerSample / 8) * b->nChannels) return problem(align, b->nBlockAlign);
    if (b->nAvgBytesPerSec != (u32)b->nBlockAlign * b->nSamplesPerSec) return problem(byteRate, b->nAvgBytesPerSec);
    return {};
}

FormatProblem dataSizeProblem(u64 dataSize, u64 limit, u32 blockAlign, MmText tooBig, MmText notAligned) {
    if (dataSize > limit) return problem(tooBig);
    if (dataSize % blockAlign) return problem(notAligned);
    return {};
}

FormatProblem pcmProblem(const WAVEFORMATEX* b, u64 dataSize) {
    if (b->nChannels < 1 || b->nChannels > 2) return problem(MmText::PcmWrongChannelCount, b->nChannels);
    if (b->wBitsPerSample != 8 && b->wBitsPerSample != 16)
        return problem(MmText::PcmWrongBitsPerSample, b->wBitsPerSample);
    if (FormatProblem p = rateAndSizesProblem(b, MmText::PcmWrongSampleRate, MmText::PcmWrongBlockAlign,
                                              MmText::PcmWrongByteRate))
        return p;
    return dataSizeProblem(dataSize, 0x80000000ull, b->nBlockAlign, MmText::PcmTooBigData, MmText::PcmDataNotAligned);
}

FormatProblem ownProblem(const WAVEFORMATEX* b, u64 dataSize) {
    const OwnFormatHeader* h = ownHeader(b);
    if (FormatProblem p = ownChannelProblem(h)) return p;
    if (h->wBitsPerSample != 16 && h->wBitsPerSample != 32 && h->wBitsPerSample != 64)
        return problem(MmText::OwnWrongBitsPerSample, h->wBitsPerSample);
    if (FormatProblem p = rateAndSizesProblem(b, MmText::OwnWrongSampleRate, MmText::OwnWrongBlockAlign,
                                              MmText::OwnWrongByteRate))
        return p;
    if (FormatProblem p = ownBlockSizeProblem(h)) return p;
    if (FormatProblem p = dataSizeProblem(dataSize, 1000000000000ull, h->nBlockAlign, MmText::OwnTooBigData,
                                          MmText::OwnDataNotAligned))
        return p;
    if (FormatProblem p = ownLayerProblem(h)) return p;
    if (FormatProblem p = ownEncodingProblem(h)) return p;
    return ownGainProblem(h);
}
}  // namespace

FormatProblem checkOwnBlockStructure(const WAVEFORMATEX* block) {
    const OwnFormatHeader* h = ownHeader(block);
    if (FormatProblem p = ownChannelProblem(h)) return p;
    if (FormatProblem p = ownBlockSizeProblem(h)) return p;
    if (FormatProblem p = ownLayerProblem(h)) return p;
    if (FormatProblem p = ownEncodingProblem(h)) return p;
    if (h->nSamplesPerSec == 0 || h->nSamplesPerSec > maxSampleRate)
        return problem(MmText::OwnWrongSampleRate, h->nSamplesPerSec);
    return ownGainProblem(h);
}

void formatProblemText(GString& out, const FormatProblem& p) {
    if (!p)
        stringClear(out);
    else if (p.message == MmText::OwnWrongGain)
        stringFormat(out, mmText(p.message), p.gain);
    else
        stringFormat(out, mmText(p.message), p.value);
}

void showFormatProblem(const FormatProblem& p, GWindow* window) {
    if (!p) return;
    GString text;
    formatProblemText(text, p);
    showMessageBox(&mbError, window, text.c_str());
}

FormatProblem checkFormatBlock(const WAVEFORMATEX* block, u64 dataSize) {
    if (block && block->wFormatTag == pcmFormatTag) return pcmProblem(block, dataSize);
    if (block && block->wFormatTag == ownFormatTag) return ownProblem(block, dataSize);
    return {};
}

bool validateFormatBlock(const WAVEFORMATEX* block, GWindow* window, u64 dataSize) {
    FormatProblem p = checkFormatBlock(block, dataSize);
    showFormatProblem(p, window);
    return !p;
}

bool validateSoundBlock(const SoundFileParts* parts, GWindow* window) {
    const char* missing = nullptr;
    if (!parts->dataFound)
        missing = mmText(MmText::SoundDataNotFound);
    else if (!parts->formatFound)
        missing = mmText(MmText::FormatInfoNotFound);
    else if (!parts->rootFound)
        missing = mmText(MmText::RootBlockNotFound);
    if (missing) {
        showMessageBox(&mbError, window, missing);
        return false;
    }
    return parts->format ? validateFormatBlock(parts->format, window, parts->dataSize) : true;
}
