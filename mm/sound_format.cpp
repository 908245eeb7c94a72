#include "mm/sound_format.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gui/kernel/message_box.h"
#include "mm/format_validation.h"
#include "mm/mm_texts.h"

u32 bytesPerSampleOf(u32 encoding) {
    switch (encoding) {
    case encodingInt16: return 2;
    case encodingInt32:
    case encodingFloat: return 4;
    case encodingDouble: return 8;
    default: return 1;
    }
}

u32 bitsPerSampleOf(u32 encoding) { return bytesPerSampleOf(encoding) * 8; }

// ---- format block ----

void SoundFormatBlock::allocate(SoundFormatBlock* block, u32 size) {
    size = std::max(size, waveFormatBytes);
    if (size > block->capacity) {
        delete[] block->data;
        block->data = new u8[size];
        block->capacity = size;
    }
    memset(block->data, 0, size);
    block->format()->cbSize = (u16)(size - waveFormatBytes);
}

u32 SoundFormatBlock::blockBytes() const { return data ? format()->cbSize + waveFormatBytes : 0; }

// ---- SoundFormat ----

static void dropKeptBlock(SoundFormat& f) {
    delete[] f.keptBlock;
    f.keptBlock = nullptr;
}

static u8* copyBlockBytes(const WAVEFORMATEX* block) {
    u32 n = block->cbSize + waveFormatBytes;
    u8* bytes = new u8[n];
    memcpy(bytes, block, n);
    return bytes;
}

void SoundFormat::setPlain(u32 channels, u32 rate, u32 newEncoding) {
    dropKeptBlock(*this);
    defined = 1;
    encoding = newEncoding;
    sampleRate = rate;
    bytesPerFrame = bytesPerSampleOf(newEncoding) * channels;
    bytesPerSecond = bytesPerFrame * rate;
    gain = 1.0;
    flags = formatOwn;
    setTrackNames(channels);
}

void SoundFormat::setPcm(u32 channels, u32 rate, u32 newEncoding) {
    setPlain(channels, rate, newEncoding);
    flags = formatPcm;
}

static void copyTracks(TrackRecordArray& to, const TrackRecord* from, u32 n) {
    to.count = 0;
    if (n) memcpy(static_cast<void*>(to.append(n)), from, sizeof(TrackRecord) * n);
}

bool SoundFormat::assignFromWaveFormat(const WAVEFORMATEX* block, GWindow* owner) {
    if (!block) {
        destroy();
        defined = 0;
        gain = 0.0;
        encoding = sampleRate = bytesPerSecond = 0;
        bytesPerFrame = 1;
        flags = 0;
        return true;
    }
    if (block->wFormatTag == pcmFormatTag) {
        setPcm(block->nChannels, block->nSamplesPerSec, block->wBitsPerSample == 16 ? encodingInt16 : encodingPcm8);
        return true;
    }
    if (block->wFormatTag == ownFormatTag) {
        if (FormatProblem p = checkOwnBlockStructure(block)) {
            showFormatProblem(p, owner);
            return false;
        }
        const OwnFormatHeader* h = reinterpret_cast<const OwnFormatHeader*>(block);
        destroy();
        defined = 1;
        flags = formatOwn;
        encoding = h->encoding;
        gain = h->coef;
        sampleRate = h->nSamplesPerSec;
        bytesPerFrame = bytesPerSampleOf(encoding) * h->nChannels;
        bytesPerSecond = sampleRate * bytesPerFrame;
        copyTracks(tracks, reinterpret_cast<const TrackRecord*>(reinterpret_cast<const u8*>(block) + sizeof *h),
                   h->nChannels);
        for (u32 i = 0; i < tracks.count; ++i) tracks[i].flags &= ~trackVisited;
        rebuildSelectionMask();
        return true;
    }
    u8* kept = copyBlockBytes(block);  // before destroy: the block may be this format's own
    destroy();
    keptBlock = kept;
    defined = 1;
    encoding = encodingCompressed;
    sampleRate = block->nSamplesPerSec;
    bytesPerSecond = block->nAvgBytesPerSec;
    bytesPerFrame = 1;
    flags = 0;
    gain = 0.0;
    return true;
}

void SoundFormat::playbackFormat(WAVEFORMATEX* out) const {
    out->wFormatTag = WAVE_FORMAT_PCM;
    out->nSamplesPerSec = sampleRate;
    out->wBitsPerSample = 16;
    out->cbSize = 0;
    out->nChannels = (flags & formatPcm) ? (u16)tracks.count : 2;
    out->nBlockAlign = (u16)(out->nChannels * 2);
    out->nAvgBytesPerSec = out->nBlockAlign * sampleRate;
}

template <class T>
static T* copyArray(const T* from, u32 n) {
    if (!from) return nullptr;
    T* to = new T[n ? n : 1];
    if (n) memcpy(to, from, sizeof(T) * n);
    return to;
}

void SoundFormat::copyConstruct(const SoundFormat& other) {
    mixMatrix = nullptr;
    selectionMask = nullptr;
    trackOrder = nullptr;
    keptBlock = nullptr;
    assign(other);
}

void SoundFormat::assign(const SoundFormat& other) {
    if (&other == this) return;
    destroy();
    flags = other.flags;
    defined = other.defined;
    encoding = other.encoding;
    sampleRate = other.sampleRate;
    bytesPerSecond = other.bytesPerSecond;
    bytesPerFrame = other.bytesPerFrame;
    gain = other.gain;
    copyTracks(tracks, other.tracks.data, other.tracks.count);
    selectionMask = copyArray(other.selectionMask, other.tracks.count);
    trackOrder = copyArray(other.trackOrder, other.tracks.count);
    if (other.keptBlock) keptBlock = copyBlockBytes(reinterpret_cast<const WAVEFORMATEX*>(other.keptBlock));
}

void SoundFormat::copyTo(const SoundFormat* source, SoundFormat* destination) {
    if (source == destination) return;
    if (source->isIdentitySelection()) {
        destination->assign(*source);
        u32 n = source->tracks.count;
        delete[] destination->trackOrder;
        destination->trackOrder = new i32[n ? n : 1];
        for (u32 i = 0; i < n; ++i) destination->trackOrder[i] = (i32)i;
        return;
    }
    destination->destroy();
    destination->defined = source->defined;
    destination->encoding = source->encoding;
    destination->sampleRate = source->sampleRate;
    destination->flags = source->flags;
    destination->gain = source->gain;

    // Selected tracks in ascending layer order (ties by index).
    u32 total = source->tracks.count;
    std::vector<u32> order;
    for (u32 i = 0; i < total; ++i)
        if (source->tracks[i].flags & trackSelected) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [source](u32 a, u32 b) { return source->tracks[a].layer < source->tracks[b].layer; });
    u32 n = (u32)order.size();
    destination->trackOrder = new i32[n ? n : 1];
    if (n) destination->tracks.append(n);
    for (u32 k = 0; k < n; ++k) {
        destination->trackOrder[k] = (i32)order[k];
        destination->tracks[k] = source->tracks[order[k]];
        destination->tracks[k].layer = k;
    }
    destination->bytesPerFrame = (u32)((u64)source->bytesPerFrame * n / total);
    destination->bytesPerSecond = destination->bytesPerFrame * destination->sampleRate;
    destination->rebuildSelectionMask();
}

void SoundFormat::destroy() {
    arrayFree(tracks);
    delete[] trackOrder;
    trackOrder = nullptr;
    delete[] selectionMask;
    selectionMask = nullptr;
    delete[] mixMatrix;
    mixMatrix = nullptr;
    dropKeptBlock(*this);
}

void SoundFormat::recomputeSizes() {
    flags |= formatTracksChanged;
    bytesPerFrame = bytesPerSampleOf(encoding) * tracks.count;
    bytesPerSecond = sampleRate * bytesPerFrame;
    rebuildSelectionMask();
}

void SoundFormat::defaultTracks(u32 n) {
    delete[] trackOrder;  // it described the tracks being replaced
    trackOrder = nullptr;
    tracks.count = 0;
    TrackRecord* t = n ? tracks.append(n) : nullptr;
    for (u32 i = 0; i < n; ++i) {
        t[i].color = 0xFFFFFFFF;
        t[i].flags = trackSelected;
        t[i].layer = i;
        t[i].coef[0] = t[i].coef[1] = 1.0;
    }
    rebuildSelectionMask();
}

static void setTrackText(TrackRecord& t, const char* text) {
    strncpy(t.info, text, sizeof t.info - 1);
    t.info[sizeof t.info - 1] = 0;
}

void SoundFormat::setTrackNames(u32 n) {
    defaultTracks(n);
    if (n == 1) {
        setTrackText(tracks[0], mmText(MmText::TrackMono));
    } else if (n == 2) {
        setTrackText(tracks[0], mmText(MmText::TrackLeft));
        tracks[0].coef[1] = 0.0;
        setTrackText(tracks[1], mmText(MmText::TrackRight));
        tracks[1].coef[0] = 0.0;
    }
}

// Every change of the tracks or their flags comes here; the mix matrix is rebuilt when next needed.
void SoundFormat::rebuildSelectionMask() {
    delete[] mixMatrix;
    mixMatrix = nullptr;
    delete[] selectionMask;
    u32 n = tracks.count;
    selectionMask = new u8[n ? n : 1];
    for (u32 i = 0; i < n; ++i) selectionMask[i] = (tracks[i].flags & trackSelected) ? 1 : 0;
}

// ---- selection ----

void SoundFormat::selectAllTracks() {
    for (u32 i = 0; i < tracks.count; ++i) tracks[i].flags |= trackSelected;
    rebuildSelectionMask();
}

void SoundFormat::selectOnlyTrack(u32 index) {
    for (u32 i = 0; i < tracks.count; ++i) {
        if (i == index)
            tracks[i].flags |= trackSelected;
        else
            tracks[i].flags &= ~trackSelected;
    }
    rebuildSelectionMask();
}

static void selectLayer(SoundFormat& f, u32 layer) {
    for (u32 i = 0; i < f.tracks.count; ++i) {
        if (f.tracks[i].layer == layer)
            f.tracks[i].flags |= trackSelected;
        else
            f.tracks[i].flags &= ~trackSelected;
    }
    f.rebuildSelectionMask();
}

void SoundFormat::selectNextTrack() {
    u32 n = tracks.count;
    u32 target = 0;
    for (u32 i = n; i-- > 0;) {
        if (tracks[i].flags & trackSelected) {
            target = tracks[i].layer + 1;
            if (target >= n) target = 0;
            break;
        }
    }
    selectLayer(*this, target);
}

void SoundFormat::selectPreviousTrack() {
    u32 n = tracks.count;
    i64 target = (i64)n - 1;
    for (u32 i = 0; i < n; ++i) {
        if (tracks[i].flags & trackSelected) {
            target = (i64)tracks[i].layer - 1;
            if (target < 0) target = (i64)n - 1;
            break;
        }
    }
    if (target >= 0) selectLayer(*this, (u32)target);
}

i32 SoundFormat::selectedTrackCount() const {
    i32 count = 0;
    if (selectionMask)
        for (u32 i = 0; i < tracks.count; ++i) count += selectionMask[i] != 0;
    return count;
}

bool SoundFormat::isIdentitySelection() const {
    for (u32 i = 0; i < tracks.count; ++i)
        if (!(tracks[i].flags & trackSelected) || tracks[i].layer != i) return false;
    return true;
}

bool SoundFormat::hasPermutedLayers() const {
    for (u32 i = 0; i < tracks.count; ++i)
        if (tracks[i].layer != i) return true;
    return false;
}

void SoundFormat::buildMixMatrix() {
    delete[] mixMatrix;
    u32 n = tracks.count;
    mixMatrix = new f64[2 * n + 1];
    for (u32 row = 0; row < 2; ++row)
        for (u32 t = 0; t < n; ++t)
            mixMatrix[row * n + t] = (tracks[t].flags & trackSelected) ? tracks[t].coef[row] * gain : 0.0;
}

// ---- stored block ----

bool checkStoredTrackCount(u32 tracks, GWindow* owner) {
    if (tracks <= maxStoredTrackCount) return true;
    showErrorF(owner, mmText(MmText::TooManyTracksToStore), (int)tracks);
    return false;
}

static bool refuseFormatBlock(SoundFormatBlock* out) {
    delete[] out->data;
    out->data = nullptr;
    out->capacity = 0;
    return false;
}

bool buildFormatBlock(SoundFormatBlock* out, const SoundFormat* format, GWindow* owner) {
    u32 n = format->tracks.count;
    if (!(format->flags & (formatPcm | formatOwn))) {
        if (!format->keptBlock) {
            showMessageBox(&mbError, owner, mmText(MmText::FormatNotStorable));
            return refuseFormatBlock(out);
        }
        const WAVEFORMATEX* kept = reinterpret_cast<const WAVEFORMATEX*>(format->keptBlock);
        u32 bytes = kept->cbSize + waveFormatBytes;
        SoundFormatBlock::allocate(out, bytes);
        memcpy(out->data, kept, bytes);
        return true;
    }
    if (format->flags & formatPcm) {
        SoundFormatBlock::allocate(out, waveFormatBytes);
        WAVEFORMATEX* b = out->format();
        b->wFormatTag = WAVE_FORMAT_PCM;
        b->nChannels = (u16)n;
        b->nSamplesPerSec = format->sampleRate;
        b->wBitsPerSample = 16;
        b->nBlockAlign = (u16)(n * 16 / 8);
        b->nAvgBytesPerSec = b->nBlockAlign * format->sampleRate;
        return true;
    }
    if (!checkStoredTrackCount(n, owner)) return refuseFormatBlock(out);
    SoundFormatBlock::allocate(out, ownFormatBlockBytes(n));
    OwnFormatHeader* h = reinterpret_cast<OwnFormatHeader*>(out->data);
    u32 bits = bitsPerSampleOf(format->encoding);
    h->wFormatTag = ownFormatTag;
    h->nChannels = (u16)n;
    h->nSamplesPerSec = format->sampleRate;
    h->nBlockAlign = (u16)(bits * n / 8);
    h->nAvgBytesPerSec = h->nBlockAlign * format->sampleRate;
    h->wBitsPerSample = (u16)bits;
    h->encoding = format->encoding;
    h->coef = format->gain;
    if (n) memcpy(out->data + sizeof *h, format->tracks.data, sizeof(TrackRecord) * n);
    return true;
}

u32 encodingOf(const WAVEFORMATEX* block) {
    if (!block) return encodingCompressed;
    if (block->wFormatTag == ownFormatTag) {
        if ((u32)block->cbSize + waveFormatBytes < offsetof(OwnFormatHeader, encoding) + 4) return encodingCompressed;
        return reinterpret_cast<const OwnFormatHeader*>(block)->encoding;
    }
    if (block->wFormatTag == pcmFormatTag) return block->wBitsPerSample == 8 ? encodingPcm8 : encodingInt16;
    return encodingCompressed;
}

// ---- mix-down ----

namespace {
inline f64 sampleValue(const i16* p) { return *p; }
inline f64 sampleValue(const i32* p) { return *p; }
inline f64 sampleValue(const f32* p) { return *p; }
inline f64 sampleValue(const f64* p) { return *p; }

template <class S>
void mixFrames(const f64* matrix, u32 tracks, u16* out, u32 frames, u32 outChannels, const S* in, bool* clipped) {
    u32 rows = std::min(outChannels, 2u);
    bool clip = false;
    for (u32 f = 0; f < frames; ++f, in += tracks) {
        for (u32 c = 0; c < rows; ++c) {
            const f64* row = matrix + c * tracks;
            f64 sum = 0.0;
            for (u32 t = 0; t < tracks; ++t) sum += sampleValue(in + t) * row[t];
            i16 v;
            if (sum > 32767.0) {
                v = 32767;
                clip = true;
            } else if (sum < -32767.0) {
                v = -32767;
                clip = true;
            } else if (sum == sum) {
                v = (i16)(i32)sum;
            } else {
                v = 0;
            }
            *out++ = (u16)v;
        }
        // Channels beyond the two rows of the matrix stay silent.
        for (u32 c = rows; c < outChannels; ++c) *out++ = 0;
    }
    if (clip && clipped) *clipped = true;
}
}  // namespace

void mixTracks(SoundFormat* format, u16* out, u32 outBytes, u32 outChannels, const void* in, bool* clipped) {
    if (!outChannels) return;
    if (!format->mixMatrix) format->buildMixMatrix();
    u32 frames = outBytes / outChannels / 2;
    u32 n = format->tracks.count;
    const f64* m = format->mixMatrix;
    switch (format->encoding) {
    case encodingInt32: mixFrames(m, n, out, frames, outChannels, static_cast<const i32*>(in), clipped); break;
    case encodingFloat: mixFrames(m, n, out, frames, outChannels, static_cast<const f32*>(in), clipped); break;
    case encodingDouble: mixFrames(m, n, out, frames, outChannels, static_cast<const f64*>(in), clipped); break;
    default: mixFrames(m, n, out, frames, outChannels, static_cast<const i16*>(in), clipped); break;
    }
}

// ---- names ----

bool formatName(GString* out, const WAVEFORMATEX* block) {
    stringClear(*out);
    if (!block) return false;
    bool known = true;
    switch (block->wFormatTag) {
    case 1: stringAssignText(*out, "PCM"); break;
    case 2: stringAssignText(*out, "ADPCM"); break;
    case 0x50: stringAssignText(*out, "MP2"); break;
    case 0x55: stringAssignText(*out, "MP3"); break;
    case 0x674F: stringAssignText(*out, "Ogg; mode 1"); break;
    case 0x6750: stringAssignText(*out, "Ogg; mode 2"); break;
    case 0x6751: stringAssignText(*out, "Ogg; mode 3"); break;
    case 0x676F: stringAssignText(*out, "Ogg; mode 1+"); break;
    case 0x6770: stringAssignText(*out, "Ogg; mode 2+"); break;
    case 0x6771: stringAssignText(*out, "Ogg; mode 3+"); break;
    case ownFormatTag: {
        u32 e = encodingOf(block);
        stringAssignText(*out, e == encodingFloat || e == encodingDouble ? "Ravo; Float" : "Ravo; Integer");
        break;
    }
    default:
        stringFormat(*out, "Tag %u", (unsigned)block->wFormatTag);
        known = false;
        break;
    }
    stringAppendFormat(*out, mmText(MmText::FormatNameRate), block->nSamplesPerSec / 1000.0);
    if (block->nAvgBytesPerSec) stringAppendFormat(*out, mmText(MmText::FormatNameBitRate), (f64)block->nAvgBytesPerSec * 8 / 1000.0);
    if (block->wBitsPerSample > 1) stringAppendFormat(*out, mmText(MmText::FormatNameBits), (int)block->wBitsPerSample);
    if (block->nChannels == 1)
        stringAppend(*out, mmText(MmText::FormatNameMono));
    else if (block->nChannels == 2)
        stringAppend(*out, mmText(MmText::FormatNameStereo));
    else
        stringAppendFormat(*out, mmText(MmText::FormatNameChannels), (int)block->nChannels);
    return known;
}
