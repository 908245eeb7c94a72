#pragma once
// A filter that narrows PCM of 24 or 32 bits to 16-bit PCM, rounded to the nearest step and held at
// full scale, so that the player's level control and fades see the samples they know. Positions are
// those of the inner source, which it owns and deletes.
#include <vector>

#include "mm/sound_source.h"
#include "mm/wave_device.h"

class Pcm16Source : public SoundSource {
public:
    // The format of the inner source: PCM in 3- or 4-byte containers.
    explicit Pcm16Source(const WAVEFORMATEX* innerFormat);
    ~Pcm16Source() override;

    // True for PCM this filter narrows (3- or 4-byte samples).
    static bool converts(const WAVEFORMATEX* format);

    bool atStart() const override { return !inner || inner->atStart(); }
    bool atEnd() const override { return !inner || inner->atEnd(); }
    bool read(void* buffer, u32* bytes) override;
    u64 position() const override { return inner ? inner->position() : 0; }
    bool close(u32 flag) override;
    bool seek(u64 start, u64 length) override;
    bool setInner(SoundSource* source) override;
    const WAVEFORMATEX* format() const override { return narrowed.format(); }
    bool rewind() override;

private:
    SoundSource* inner = nullptr;
    WaveFormatCopy narrowed = {};
    u32 sampleBytes;        // 3 or 4
    u32 inFrame;
    std::vector<u8> scratch;
    u32 carried = 0;        // bytes of a partial frame at the front of scratch
};
