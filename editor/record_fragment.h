#pragma once
// RecordFragmentProcessor: a wave-in recorder that turns each captured block (16-bit PCM, one
// channel per selected track) into frames of the sound and writes them behind the end of the
// store's work file; when the recording ends the written frames replace the fragment (or are
// inserted at its start) as one change of the store. The record command makes it and deletes it.
//
// Threads: deliverData runs on the recorder's worker; the level and running state reach the
// interface thread through two copies taken by a 100 ms timer under the control lock. The store's
// segment list changes only in endRecording, on the interface thread.
#include <vector>

#include "gui/kernel/timers.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"
#include "mm/wave_in_recorder.h"

struct BufferSettings;
class GWindow;

class RecordFragmentProcessor : public WaveInRecorder {
public:
    RecordFragmentProcessor(DeviceSettings* entry, const BufferSettings& buffers);
    ~RecordFragmentProcessor() override;

    // Copies the sound's format and opens the device for its selected tracks at its rate; the level
    // timer starts.
    bool start(const SoundFormat& sound);
    // Positions are sound positions of the store (data start included); equal start and end: no limit.
    void setPositions(SoundStore* store, bool insert, u64 fragmentStart, u64 fragmentEnd, u64 existingEnd, bool mix,
                      i32 silenceThreshold, u32 silenceMs);
    // From now on blocks are written (only while finished).
    void beginWriting();
    // On the interface thread once the recorder has stopped: enters what was written into the store.
    // False when the store refused it (reported over owner; the sound is unchanged).
    bool endRecording(GWindow* owner);
    // Bytes written into the work file for the sound.
    u64 recordedBytes() const { return writePosition - writeStart; }
    bool finished() const { return isFinished; }
    // The level of one block: half the span of its 16-bit values, truncated.
    static i32 blockLevel(const i16* values, u32 count);

    // Copies for the interface thread.
    i32 levelCopy = 0;
    u8 runningCopy = 0;
    // Set on the worker when the recorder stopped; endRecording clears it.
    volatile bool stopPending = false;

protected:
    bool deliverData(u32 bytes, const void* data) override;
    void onStopped() override;
    // The splice of the written frames; throws GException when refused.
    virtual void spliceRecorded(u64 start, u64 workEnd, bool insertFrames);

private:
    static void takeCopies(TimerRecord* record, uintptr_t processor);
    void buildOutput(const i16* in, u32 frames, u32 existingBytes);

    SoundFormat sound;
    u32 channels = 0;
    i32 currentLevel = 0;
    u8 mix = 0, insert = 0, keepExisting = 0;
    volatile bool isFinished = true;
    i32 silenceThreshold = 0, silenceBlocks = 0, silenceCountdown = 0;
    SoundStore* store = nullptr;
    std::vector<u8> converted, existing;
    u64 fragmentStart = 0, fragmentEnd = 0;
    u64 writeStart = 0, writePosition = 0, writeLimit = 0;
    u64 existingRead = 0, existingEnd = 0;
    bool ended = true;
    TimerRecord timer;
};

// The processor a record command makes; replaceable (a test's recorder).
extern RecordFragmentProcessor* (*makeRecordProcessor)();
