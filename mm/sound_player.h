#pragma once
// Plays a sound, or a range of it, through the wave-out player: a chain of sound sources (a range
// reader, the Ogg filter, an ACM conversion to PCM) ends in a format the device takes. The player
// owns the chain and deletes it when playback stops. A 100 ms timer of the interface thread copies
// the running and paused state into a snapshot for the interface to read.
//
// Positions are bytes of the sound's data, counted from its first byte.
#include <atomic>

#include "core/block_base.h"
#include "gui/kernel/timers.h"
#include "mm/mm_settings.h"
#include "mm/sound_source.h"
#include "mm/wave_out_player.h"

class SoundStore;

// Where a sound's data lies in a file.
struct SoundStreamInfo {
    const char* fileName;
    const WAVEFORMATEX* format;
    u64 dataOffset;       // file position of the first data byte
    u64 dataSize;
    u32 oggHeaderLength;  // Ogg formats: bytes of header pages at the start of the data
    // Filled by the file analyzer's stream walk: the title ("INAM" texts or the codec library's),
    // the blocks of the data, the format and the stream's top level (each with its index in its
    // parent) and the WAVE form's "mif " chunk (null when none). The blocks are the tree's.
    GString title;
    BlockBase* dataBlock = nullptr;
    u32 dataIndex = 0;
    BlockBase* formatBlock = nullptr;
    u32 formatIndex = 0;
    BlockBase* topBlock = nullptr;
    u32 topIndex = 0;
    BlockBase* instrumentBlock = nullptr;
};

class SoundPlayer : public WaveOutPlayer {
public:
    SoundPlayer(DeviceSettings* entry, i32 bufCount, i32 bufPresend, i32 bufPerSecond);
    // Stops playback first.
    ~SoundPlayer() override;

    // Plays [start, end) of the source, which the player takes (deleted at once for an empty range).
    // The source's own format is played, else `format`. Errors are reported over window.
    bool startSource(SoundSource* source, GWindow* window, const WAVEFORMATEX* format, u64 start, u64 end);
    // Plays [from, to) of a sound in a file (from < 0: its start, to < 0: its end), through a
    // conversion to PCM for formats other than PCM and the own format.
    bool open(GWindow* window, const SoundStreamInfo& sound, i64 from, i64 to);
    // Plays [from, to) of a store in PCM or the own format.
    bool playRange(GWindow* window, SoundStore* store, const WAVEFORMATEX* format, u64 from, u64 to);
    // Plays the first sound stream of a WAVE or own sound file.
    bool play(GWindow* window, const char* fileName);
    // Plays on from position; at or past the end of the range playback stops.
    void seek(u64 position);

    // The snapshot of the interface and the position of the buffer last handed to the device.
    bool isRunning() const { return snapshotRunning; }
    bool isPaused() const { return snapshotPaused; }
    u64 queuedPosition() const { return lastQueued; }
    u64 bytesDelivered() const { return delivered; }
    PlayRange currentRange() const { return range; }
    bool timerActive() const { return timer.id != 0; }

    WindowErrorHandler ownSink{nullptr, 3};

protected:
    void fillBuffer(WaveBuffer& buffer) override;
    bool restartAtRange() override;
    void setPlayRange(const PlayRange& r) override { range = r; }
    void onPaused() override { snapshotPaused = true; }
    void onResumed() override { snapshotPaused = false; }
    void positionReport(u64 position) override { lastQueued = position; }
    void rewind() override;
    void onStopped() override;

private:
    static void refreshSnapshot(TimerRecord* record, uintptr_t player);
    void dropSource();

    PlayRange range = {0, 0};
    std::atomic<u64> delivered{0};
    SoundSource* source = nullptr;
    TimerRecord timer;
    std::atomic<bool> snapshotRunning{false};
    std::atomic<bool> snapshotPaused{false};
    std::atomic<u64> lastQueued{0};
};

// A player with the "Player" buffer settings.
SoundPlayer* createSoundPlayer(DeviceSettings* entry, const BufferSettings& buffers);
