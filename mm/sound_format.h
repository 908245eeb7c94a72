#pragma once
// The description of a sound's samples (SoundFormat), its stored form (the format block: a
// WAVEFORMATEX with the own tag and one 64-byte record per track, or plain PCM), the conversions
// between them, track selection, the mix-down to 16-bit output and the names of formats.
#include "core/arrays.h"
#include "core/field_descriptor.h"
#include "core/gstring.h"
#include "core/types.h"

struct tWAVEFORMATEX;
typedef struct tWAVEFORMATEX WAVEFORMATEX;
class GWindow;

const u16 ownFormatTag = 0xBA0D;
const u16 pcmFormatTag = 1;
const u32 maxTrackCount = 10000;
// cbSize of the own block is a u16 (64 x tracks + 22): more tracks than this cannot be stored.
const u32 maxStoredTrackCount = 1023;
const u32 maxSampleRate = 1000000;

// Sample encodings.
enum : u32 {
    encodingCompressed = 0,
    encodingPcm8 = 1,
    encodingInt16 = 2,
    encodingInt32 = 3,
    encodingFloat = 4,
    encodingDouble = 5,
};
u32 bytesPerSampleOf(u32 encoding);
u32 bitsPerSampleOf(u32 encoding);

// Track flags.
enum : u32 {
    trackSelected = 1,
    trackVisited = 4,  // only while layers are checked
};

// One track, identical in memory and in files.
struct TrackRecord {
    u32 color;     // 0xFFFFFFFF: the default colour
    u32 flags;
    u32 layer;     // drawing order; a sound's layers are a permutation of 0..tracks-1
    u32 reserved;
    f64 coef[2];   // share in the left and the right output
    char info[32]; // zero-terminated
};
static_assert(sizeof(TrackRecord) == 64, "track records are 64 bytes");

typedef RecordArray<TrackRecord> TrackRecordArray;

// The fixed part of the own format block; the track records follow at offset 40.
#pragma pack(push, 1)
struct OwnFormatHeader {
    u16 wFormatTag;
    u16 nChannels;
    u32 nSamplesPerSec;
    u32 nAvgBytesPerSec;
    u16 nBlockAlign;
    u16 wBitsPerSample;
    u16 cbSize;
    u16 reserved0;
    u32 reserved1;
    u32 encoding;
    u32 reserved2;
    f64 coef;
};
#pragma pack(pop)
static_assert(sizeof(OwnFormatHeader) == 40, "the own block's fixed part is 40 bytes");
const u32 waveFormatBytes = 18;
inline u32 ownFormatBlockBytes(u32 tracks) { return sizeof(OwnFormatHeader) + tracks * sizeof(TrackRecord); }

// A format block in a byte buffer (own or PCM block, or any WAVEFORMATEX read from a file).
struct SoundFormatBlock {
    u32 capacity = 0;
    u8* data = nullptr;

    SoundFormatBlock() = default;
    SoundFormatBlock(const SoundFormatBlock&) = delete;
    SoundFormatBlock& operator=(const SoundFormatBlock&) = delete;
    ~SoundFormatBlock() { delete[] data; }

    // size = max(size, 18); a larger buffer replaces the old one (no copy); the first size bytes are
    // zeroed and cbSize = size - 18.
    static void allocate(SoundFormatBlock* block, u32 size);
    WAVEFORMATEX* format() const { return reinterpret_cast<WAVEFORMATEX*>(data); }
    // cbSize + 18, or 0 without a buffer.
    u32 blockBytes() const;
};

// Flags of a SoundFormat.
enum : u32 {
    formatTracksChanged = 1,  // set by recomputeSizes
    formatPcm = 2,            // stored as PCM, played with one output channel per track
    formatOwn = 4,
};

struct SoundFormat {
    f64* mixMatrix = nullptr;      // 2 x tracks: left row, right row; built on demand, dropped on track changes
    u8* selectionMask = nullptr;   // one byte per track: 1 when selected
    i32* trackOrder = nullptr;     // per track: the source track it comes from (negative: none)
    u32 flags = 0;
    u8 defined = 0;
    u32 encoding = 0;
    u32 sampleRate = 0;
    u32 bytesPerSecond = 0;
    u32 bytesPerFrame = 1;
    f64 gain = 0.0;
    TrackRecordArray tracks;
    // The block of a sound in a format not described here (flags 0), as it was read: written back
    // unchanged (cbSize + 18 bytes). Null for every other sound.
    u8* keptBlock = nullptr;

    SoundFormat() = default;
    SoundFormat(const SoundFormat& other) { copyConstruct(other); }
    SoundFormat& operator=(const SoundFormat& other) {
        assign(other);
        return *this;
    }
    ~SoundFormat() { destroy(); }

    u32 trackCount() const { return tracks.count; }

    void setPlain(u32 channels, u32 rate, u32 encoding);
    void setPcm(u32 channels, u32 rate, u32 encoding);
    // Fills the format from a block: null gives the empty format; PCM and foreign tags are taken as
    // they are (a foreign block is kept); an own block must pass the structural checks. A refused
    // own block leaves the format unchanged, is reported in an error box over owner (the
    // validation's message) and gives false.
    bool assignFromWaveFormat(const WAVEFORMATEX* block, GWindow* owner = nullptr);
    // 16-bit PCM at the sound's rate: stereo, or one channel per track for a PCM sound.
    void playbackFormat(WAVEFORMATEX* out) const;

    void copyConstruct(const SoundFormat& other);
    void assign(const SoundFormat& other);
    // The destination becomes the format of the selected tracks (all of them, unchanged, when every
    // track is selected in natural layer order), trackOrder naming the source tracks in layer order.
    static void copyTo(const SoundFormat* source, SoundFormat* destination);
    void destroy();

    void recomputeSizes();
    void defaultTracks(u32 n);
    void setTrackNames(u32 n);
    void rebuildSelectionMask();

    void selectAllTracks();
    void selectOnlyTrack(u32 index);
    void selectNextTrack();
    void selectPreviousTrack();
    i32 selectedTrackCount() const;
    bool isIdentitySelection() const;
    bool hasPermutedLayers() const;

    void buildMixMatrix();
};

// Builds the stored block of a format: an own block, an 18-byte 16-bit PCM block for a PCM sound,
// or the kept block of a foreign one. An own block of more than maxStoredTrackCount tracks, and a
// sound of no known format without a kept block, cannot be stored: the refusal is shown over owner,
// the block is freed and the result is false.
bool buildFormatBlock(SoundFormatBlock* out, const SoundFormat* format, GWindow* owner = nullptr);
// True when a sound in the own format may have this many tracks; otherwise shows why over owner.
bool checkStoredTrackCount(u32 tracks, GWindow* owner);

// The sample encoding a block describes: the own block's encoding, 1 or 2 for PCM, else 0.
u32 encodingOf(const WAVEFORMATEX* block);

// Mixes outBytes of 16-bit output with outChannels channels from whole frames of the format's
// tracks through its mix matrix (built when missing). Sums beyond +-32767 are limited and set
// *clipped; other results are truncated toward zero.
void mixTracks(SoundFormat* format, u16* out, u32 outBytes, u32 outChannels, const void* in, bool* clipped);

// The user-visible name of a format with its rate, bit rate, bits and channels; false for an
// unknown tag (named "Tag <n>").
bool formatName(GString* out, const WAVEFORMATEX* block);

// The member list of a WAVEFORMATEX structure for the structure viewer, patched to the block.
struct FormatFieldList {
    FieldDescriptor fields[17];
};
FormatFieldList formatBlockFields(const WAVEFORMATEX* block);
