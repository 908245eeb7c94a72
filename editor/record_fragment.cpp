#include "editor/record_fragment.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "app/program_texts.h"
#include "core/exceptions.h"
#include "core/gfile.h"
#include "gui/kernel/message_boxes.h"
#include "mm/mm_settings.h"

namespace {

template <class T>
T loadAt(const u8* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T>
void storeAt(u8* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

// One recorded value into a sample of the encoding, added to the existing one when mixing.
void putSample(u32 encoding, u8* out, const u8* old, i16 value, bool add) {
    switch (encoding) {
    case encodingInt32:
        storeAt<i32>(out, add ? (i32)((u32)loadAt<i32>(old) + (u32)(i32)value) : (i32)value);
        break;
    case encodingFloat:
        storeAt<float>(out, add ? loadAt<float>(old) + (float)value : (float)value);
        break;
    case encodingDouble:
        storeAt<double>(out, add ? loadAt<double>(old) + (double)value : (double)value);
        break;
    default:
        // A mixed sum wraps around in 16 bits.
        storeAt<i16>(out, add ? (i16)(u16)((u16)loadAt<i16>(old) + (u16)value) : value);
        break;
    }
}

}  // namespace

RecordFragmentProcessor::RecordFragmentProcessor(DeviceSettings* entry, const BufferSettings& b)
    : WaveInRecorder(entry, (i32)b.bufCount, (i32)b.bufPerSecond) {
    sound.sampleRate = 44100;
    sound.bytesPerSecond = 1;
    sound.bytesPerFrame = 1;
    sound.gain = 1.0;
}

RecordFragmentProcessor::~RecordFragmentProcessor() {
    stopAndWait();
    removeTimer(&timer);
}

i32 RecordFragmentProcessor::blockLevel(const i16* values, u32 count) {
    double smallest = 100000.0, largest = -100000.0;
    for (u32 i = 0; i < count; ++i) {
        smallest = std::min(smallest, (double)values[i]);
        largest = std::max(largest, (double)values[i]);
    }
    return (i32)((largest - smallest) * 0.5);
}

void RecordFragmentProcessor::takeCopies(TimerRecord*, uintptr_t p) {
    auto* self = reinterpret_cast<RecordFragmentProcessor*>(p);
    auto hold = DeviceWorker::Hold(self->controlLock());
    self->levelCopy = self->currentLevel;
    self->runningCopy = (self->stateBits() & recorderRunning) ? 1 : 0;
}

bool RecordFragmentProcessor::start(const SoundFormat& format) {
    fragmentStart = fragmentEnd = 0;
    sound = format;
    sound.rebuildSelectionMask();
    channels = (u32)std::max(sound.selectedTrackCount(), 1);
    WAVEFORMATEX wf = {};
    wf.wFormatTag = WAVE_FORMAT_PCM;
    wf.nChannels = (WORD)channels;
    wf.nSamplesPerSec = sound.sampleRate;
    wf.wBitsPerSample = 16;
    wf.nBlockAlign = (WORD)(2 * channels);
    wf.nAvgBytesPerSec = wf.nBlockAlign * wf.nSamplesPerSec;
    ended = false;
    stopPending = false;
    runningCopy = 1;
    addTimer(&timer, 100, nullptr, takeCopies, (uintptr_t)this);
    bool ok = WaveInRecorder::start(&wf);
    if (!ok) removeTimer(&timer);
    return ok;
}

void RecordFragmentProcessor::setPositions(SoundStore* s, bool ins, u64 start, u64 end, u64 existingStop, bool mixing,
                                           i32 threshold, u32 silenceMs) {
    store = s;
    insert = ins;
    keepExisting = !ins;
    fragmentStart = start;
    fragmentEnd = end;
    existingEnd = existingStop;
    mix = mixing;
    silenceThreshold = threshold;
    silenceBlocks = silenceCountdown = (i32)(silenceMs / 100);
}

void RecordFragmentProcessor::beginWriting() {
    if (!isFinished || !store) return;
    auto hold = DeviceWorker::Hold(controlLock());
    delete store->takePendingChange();
    writeStart = writePosition = (u64)store->workEnd;
    writeLimit = fragmentStart == fragmentEnd ? (u64)std::numeric_limits<i64>::max()
                                              : writePosition + (fragmentEnd - fragmentStart);
    existingRead = fragmentStart;
    isFinished = false;
}

bool RecordFragmentProcessor::deliverData(u32 bytes, const void* data) {
    if (!bytes) return true;
    const i16* in = static_cast<const i16*>(data);
    currentLevel = blockLevel(in, bytes / 2);
    if (isFinished) return true;
    if (silenceBlocks > 0) {
        if (currentLevel < silenceThreshold) {
            if (--silenceCountdown <= 0) return false;
        } else {
            silenceCountdown = silenceBlocks;
        }
    }
    const u64 frameBytes = std::max<u32>(sound.bytesPerFrame, 1);
    u64 frames = bytes / (2 * channels);
    u64 out = frames * frameBytes;
    if (fragmentStart != fragmentEnd) {
        if (existingRead >= fragmentEnd) return false;
        out = std::min(out, fragmentEnd - existingRead);
    }
    // Never past the limit, also when inserting.
    out = std::min(out, writeLimit - writePosition);
    if (out == 0) return false;
    u64 existingBytes = 0;
    if (keepExisting) {
        existingBytes = std::min(out, existingEnd > existingRead ? existingEnd - existingRead : 0);
        if (existingBytes == 0) {
            keepExisting = 0;
        } else {
            if (existing.size() < existingBytes) existing.resize(existingBytes);
            store->readRange(store->findSegment(existingRead), existingBytes, existing.data());
        }
    }
    if (converted.size() < out) converted.resize(out);
    buildOutput(in, (u32)(out / frameBytes), (u32)existingBytes);
    existingRead += existingBytes;
    fileWriteAtPosition(store->workFile, (i64)writePosition, converted.data(), (u32)out);
    writePosition += out;
    return writePosition < writeLimit;
}

void RecordFragmentProcessor::buildOutput(const i16* in, u32 frames, u32 existingBytes) {
    const u32 tracks = sound.trackCount();
    const u32 sampleBytes = bytesPerSampleOf(sound.encoding);
    const u32 frameBytes = std::max<u32>(sound.bytesPerFrame, 1);
    const u8* mask = sound.selectionMask;
    for (u32 f = 0; f < frames; ++f) {
        u8* frame = converted.data() + (size_t)f * frameBytes;
        const bool kept = (u64)(f + 1) * frameBytes <= existingBytes;
        const u8* old = existing.data() + (size_t)f * frameBytes;
        u32 k = 0;
        for (u32 t = 0; t < tracks; ++t) {
            u8* sample = frame + t * sampleBytes;
            if (mask && mask[t]) {
                putSample(sound.encoding, sample, old + t * sampleBytes, in[(size_t)f * channels + k % channels],
                          kept && mix);
                ++k;
            } else if (kept) {
                std::memcpy(sample, old + t * sampleBytes, sampleBytes);
            } else {
                std::memset(sample, 0, sampleBytes);
            }
        }
    }
}

void RecordFragmentProcessor::onStopped() { stopPending = true; }

void RecordFragmentProcessor::spliceRecorded(u64 start, u64 workEnd, bool insertFrames) {
    i64 added = 0;
    store->replaceRange(start, store->findSegment(start), (i64)workEnd, insertFrames, &added);
}

bool RecordFragmentProcessor::endRecording(GWindow* owner) {
    if (ended) return true;
    ended = true;
    stopPending = false;
    removeTimer(&timer);
    levelCopy = 0;
    runningCopy = 0;
    isFinished = true;
    if (!store || writePosition == writeStart) return true;
    try {
        spliceRecorded(fragmentStart, writePosition, insert != 0);
    } catch (const GException&) {
        // The frames stay unreferenced in the work file; the sound is as it was.
        writePosition = writeStart;
        showMessageBox(&mbError, owner, ravoText(RavoText::RecordNotEntered));
        return false;
    }
    return true;
}
