#pragma once
// The one output of generated sound of the process: any number of generators are mixed into one
// 16-bit stream at 44100 Hz. Generators come and go while it plays; the list is touched only under
// the player's control lock, which the worker holds while it mixes.
#include <atomic>
#include <vector>

#include "mm/mm_settings.h"
#include "mm/wave_out_player.h"

// A source of generated frames in an encoding of its own (1 8-bit unsigned, 2 16-bit, 3 32-bit
// integer, 4 32-bit float, 5 64-bit float), scaled by its gain into the 16-bit range.
class SynthGenerator {
public:
    virtual ~SynthGenerator() = default;
    virtual u32 encoding() const = 0;
    virtual u32 channels() const = 0;
    virtual f64 gain() const { return 1.0; }
    virtual bool fadingOut() const { return false; }
    // Back to the start; false when that failed.
    virtual bool rewind() { return true; }
    // Writes up to `frames` interleaved frames; answers how many. Fewer than asked ends the source.
    virtual u32 readFrames(void* out, u32 frames) = 0;
};

// Plays a generator on for a number of frames (at least one) while its level falls linearly, then
// ends it; owns the generator when told so.
class FadeOutGenerator : public SynthGenerator {
public:
    FadeOutGenerator(SynthGenerator* inner, bool owned, u32 frames)
        : inner(inner), length(frames ? frames : 1), remaining(length), owned(owned) {}
    ~FadeOutGenerator() override;

    u32 encoding() const override { return inner->encoding(); }
    u32 channels() const override { return inner->channels(); }
    f64 gain() const override { return inner->gain(); }
    bool fadingOut() const override { return true; }
    u32 readFrames(void* out, u32 frames) override;
    // The whole fade again, from the generator's start.
    bool rewind() override;

    SynthGenerator* const inner;
    const u32 length;
    u32 remaining;

private:
    bool owned;
};

// Turns a generator's frames into 16-bit frames of the output's channel count, scaled by its gain and
// saturated; 16-bit frames of the output's channel count are taken as they are.
class SynthAdapter {
public:
    explicit SynthAdapter(u32 outputChannels);

    // Frames delivered into out (up to `frames` frames of the output's channels).
    u32 read(SynthGenerator* generator, i16* out, u32 frames);

    // Output channels not to be written (0).
    std::vector<u8> channelMask;

private:
    u32 outputChannels;
    std::vector<u8> input;
};

class SynthOutput : public WaveOutPlayer {
public:
    SynthOutput(DeviceSettings* entry, const BufferSettings& buffers, i32 channels);
    // Stops playback first.
    ~SynthOutput() override;

    // The output of the process, made on first use with the entry and buffer settings given to
    // configure (device 0 and the defaults otherwise); two channels.
    static SynthOutput& instance();
    static void configure(DeviceSettings* entry, const BufferSettings& buffers);
    // Stops and deletes the output of the process.
    static void releaseInstance();

    // Stops, deletes every source and, when asked, starts again with 16-bit PCM at the rate.
    bool clearSources(bool restart);
    // Puts the generator at the head of the list (deleted with its record when owned). After a
    // restart asked of clearSources, an output that ended (or is ending) for want of sources starts
    // again.
    void addSource(SynthGenerator* generator, bool owned);
    // Every source not already fading out gets a fade of rate / 10 frames in its place.
    void fadeOutSources();
    // The sources playing fade out and the generator takes their place.
    void replaceSource(SynthGenerator* generator, bool owned);
    void removeAllSources();
    size_t sourceCount();
    // The generator of the source at the index, most recent first.
    SynthGenerator* sourceAt(size_t index);

    // Mixes one buffer of bytes of output; answers its length (0 with no source and no user).
    u32 mix(u8* data, u32 bytes);

    const i32 rate = 44100;
    const i32 channels;
    // While above 0 an empty list plays silence instead of ending.
    std::atomic<i32> users{0};

protected:
    void fillBuffer(WaveBuffer& buffer) override;

private:
    struct Record {
        SynthGenerator* generator;
        bool owned;
    };
    void deleteRecord(Record& r);
    bool startOutput();

    std::vector<Record> records;  // most recent first
    std::vector<i16> scratch;
    SynthAdapter adapter;
    WindowErrorHandler ownSink{nullptr, 2};
    std::atomic<bool> restartWanted{false};
};
