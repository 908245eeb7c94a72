#pragma once
// Readers of a range of a sound that deliver its playback format (16-bit PCM, SoundFormat::playbackFormat):
// PCM samples widened to 16 bits, own-format tracks mixed down through the format's mix matrix.
// Only whole frames are delivered; a partial frame at the end of the range is left out.
#include <vector>

#include "mm/sound_format.h"
#include "mm/sound_source.h"
#include "mm/sound_store.h"
#include "mm/wave_device.h"

class PlaybackRangeSource : public RangeSource {
public:
    // The source format is a PCM block or an own format block.
    PlaybackRangeSource(const WAVEFORMATEX* sourceFormat, u64 start, u64 end);

    bool read(void* buffer, u32* bytes) override;
    const WAVEFORMATEX* format() const override { return playFormat.format(); }

    // True when a sum of the mix-down passed the sample range.
    bool clipped = false;

protected:
    // Reads n bytes of samples at the source position pos.
    virtual bool readRaw(u64 pos, u32 n, u8* to) = 0;

private:
    SoundFormat sound;
    WaveFormatCopy playFormat = {};
    std::vector<u8> scratch;
};

// A range of a store; positions count from the first sample byte. Reads through file objects of its
// own, so it may run on a player's worker while the interface thread keeps the store.
class StoreRangeSource : public PlaybackRangeSource {
public:
    StoreRangeSource(SoundStore* store, const WAVEFORMATEX* sourceFormat, u64 start, u64 end,
                     ErrorHandler* handler = nullptr)
        : PlaybackRangeSource(sourceFormat, start, end), store(store), handler(handler) {}
    ~StoreRangeSource() override { close(0); }

    bool close(u32 flag) override;

protected:
    bool readRaw(u64 pos, u32 n, u8* to) override;

private:
    SoundStore* store;
    ErrorHandler* handler;
    StoreFilePair files;
    bool filesOpen = false;
};

// A range of an own sound file; positions count from the file position `base`, the start of its data.
class OwnFileRangeSource : public PlaybackRangeSource {
public:
    OwnFileRangeSource(const WAVEFORMATEX* sourceFormat, u64 start, u64 end, ErrorHandler* handler = nullptr,
                       u64 base = 0)
        : PlaybackRangeSource(sourceFormat, start, end), file(handler), base(base) {}
    ~OwnFileRangeSource() override { close(0); }

    bool open(const char* name) { return fileOpen(file, name, FileMode::Read); }
    bool close(u32 flag) override;

protected:
    bool readRaw(u64 pos, u32 n, u8* to) override;

private:
    GFile file;
    u64 base;
};
