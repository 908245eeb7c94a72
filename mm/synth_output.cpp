#include "mm/synth_output.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "mm/frame_source.h"
#include "mm/sound_format.h"

namespace {

// 8-bit samples are unsigned around 128; the rest are signed.
inline f64 sampleValue(u8 v) { return ((f64)v - 128.0) * 256.0; }
template <class T>
inline f64 sampleValue(T v) { return (f64)v; }

template <class T>
void convertFrames(const void* data, i16* out, u32 frames, u32 inChannels, u32 outChannels, const u8* mask, f64 gain) {
    const T* in = static_cast<const T*>(data);
    for (u32 f = 0; f < frames; ++f, in += inChannels, out += outChannels) {
        u32 next = 0;
        for (u32 c = 0; c < outChannels; ++c) {
            if (!mask[c]) continue;
            if (next >= inChannels) next = 0;
            f64 v = std::trunc(sampleValue(in[next++]) * gain);
            // Out-of-range values saturate; a value that is not a number is silence.
            out[c] = v >= 32767.0 ? 32767 : v <= -32768.0 ? -32768 : v == v ? (i16)v : 0;
        }
    }
}
}  // namespace

// ---- fade ----

FadeOutGenerator::~FadeOutGenerator() {
    if (owned) delete inner;
}

u32 FadeOutGenerator::readFrames(void* out, u32 frames) {
    if (!remaining) return 0;
    const u32 k = std::min(frames, remaining);
    const f64 first = (f64)remaining / length;
    const u32 n = std::min(inner->readFrames(out, k), k);
    // A generator that ends early ends the fade.
    remaining = n < k ? 0 : remaining - n;
    fadeFrames(out, inner->encoding(), n, inner->channels(), true, first, length);
    return n;
}

bool FadeOutGenerator::rewind() {
    remaining = length;
    return inner->rewind();
}

// ---- adapter ----

SynthAdapter::SynthAdapter(u32 outputChannels) : channelMask(outputChannels, 1), outputChannels(outputChannels) {}

u32 SynthAdapter::read(SynthGenerator* g, i16* out, u32 frames) {
    const u32 encoding = g->encoding();
    const u32 inChannels = g->channels();
    if (encoding == encodingInt16 && inChannels == outputChannels) return std::min(g->readFrames(out, frames), frames);
    // Nothing to read in an encoding without samples: that ends the source.
    if (!inChannels || encoding < encodingPcm8 || encoding > encodingDouble) return 0;
    size_t need = (size_t)frames * inChannels * bytesPerSampleOf(encoding);
    if (input.size() < need) input.resize(need);
    u32 n = std::min(g->readFrames(input.data(), frames), frames);
    const f64 gain = g->gain();
    const u8* mask = channelMask.data();
    switch (encoding) {
    case encodingInt32: convertFrames<i32>(input.data(), out, n, inChannels, outputChannels, mask, gain); break;
    case encodingFloat: convertFrames<f32>(input.data(), out, n, inChannels, outputChannels, mask, gain); break;
    case encodingDouble: convertFrames<f64>(input.data(), out, n, inChannels, outputChannels, mask, gain); break;
    case encodingPcm8: convertFrames<u8>(input.data(), out, n, inChannels, outputChannels, mask, gain); break;
    default: convertFrames<i16>(input.data(), out, n, inChannels, outputChannels, mask, gain); break;
    }
    return n;
}

// ---- output ----

namespace {
DeviceSettings* g_entry = nullptr;
BufferSettings g_buffers = {4, 20, 4};
SynthOutput* g_instance = nullptr;
std::mutex g_instanceLock;
}  // namespace

SynthOutput::SynthOutput(DeviceSettings* entry, const BufferSettings& b, i32 channels)
    : WaveOutPlayer(entry, (i32)b.bufCount, (i32)b.bufPresend, (i32)b.bufPerSecond),
      channels(channels),
      adapter((u32)channels) {
    errorSink = &ownSink;
}

SynthOutput::~SynthOutput() {
    // The worker mixes through this object: it must have ended before the object goes.
    stopAndWait(false);
    for (Record& r : records) deleteRecord(r);
}

SynthOutput& SynthOutput::instance() {
    std::lock_guard<std::mutex> hold(g_instanceLock);
    if (!g_instance) {
        // Made on first use only: the default entry asks the machine for its mixer lines.
        static PlayDeviceSettings defaultEntry;
        g_instance = new SynthOutput(g_entry ? g_entry : &defaultEntry, g_buffers, 2);
    }
    return *g_instance;
}

void SynthOutput::configure(DeviceSettings* entry, const BufferSettings& buffers) {
    std::lock_guard<std::mutex> hold(g_instanceLock);
    g_entry = entry;
    g_buffers = buffers;
}

void SynthOutput::releaseInstance() {
    std::lock_guard<std::mutex> hold(g_instanceLock);
    delete g_instance;
    g_instance = nullptr;
}

void SynthOutput::deleteRecord(Record& r) {
    if (r.owned) delete r.generator;
    r.generator = nullptr;
}

bool SynthOutput::clearSources(bool restart) {
    stopAndWait(true);
    removeAllSources();
    restartWanted = restart;
    return !restart || startOutput();
}

bool SynthOutput::startOutput() {
    WAVEFORMATEX w = {};
    w.wFormatTag = WAVE_FORMAT_PCM;
    w.nChannels = (WORD)channels;
    w.nSamplesPerSec = (DWORD)rate;
    w.wBitsPerSample = 16;
    w.nBlockAlign = (WORD)(channels * 2);
    w.nAvgBytesPerSec = w.nBlockAlign * w.nSamplesPerSec;
    return start(&w);
}

void SynthOutput::addSource(SynthGenerator* generator, bool owned) {
    bool ended;
    {
        auto hold = holdControl();
        records.insert(records.begin(), Record{generator, owned});
        // The worker may have found the list empty and be ending, or be gone.
        ended = (stateBits() & (playerRunning | playerDraining)) != playerRunning;
    }
    if (ended && restartWanted) startOutput();
}

void SynthOutput::fadeOutSources() {
    auto hold = holdControl();
    for (Record& r : records) {
        if (r.generator->fadingOut()) continue;
        r.generator = new FadeOutGenerator(r.generator, r.owned, (u32)(rate / 10));
        r.owned = true;
    }
}

void SynthOutput::replaceSource(SynthGenerator* generator, bool owned) {
    fadeOutSources();
    addSource(generator, owned);
}

void SynthOutput::removeAllSources() {
    auto hold = holdControl();
    for (Record& r : records) deleteRecord(r);
    records.clear();
}

size_t SynthOutput::sourceCount() {
    auto hold = holdControl();
    return records.size();
}

SynthGenerator* SynthOutput::sourceAt(size_t index) {
    auto hold = holdControl();
    return index < records.size() ? records[index].generator : nullptr;
}

u32 SynthOutput::mix(u8* data, u32 bytes) {
    auto hold = holdControl();
    if (records.empty() && users <= 0) return 0;
    const u32 ch = (u32)channels;
    const u32 frames = bytes / (ch * 2);
    memset(data, 0, bytes);
    if (scratch.size() < (size_t)frames * ch) scratch.resize((size_t)frames * ch);
    i16* out = reinterpret_cast<i16*>(data);
    for (size_t i = 0; i < records.size();) {
        u32 n = adapter.read(records[i].generator, scratch.data(), frames);
        for (u32 k = 0; k < n * ch; ++k) {
            i32 sum = out[k] + scratch[k];
            out[k] = (i16)(sum > 32767 ? 32767 : sum < -32767 ? -32767 : sum);
        }
        if (n < frames) {
            deleteRecord(records[i]);
            records.erase(records.begin() + (ptrdiff_t)i);
        } else {
            ++i;
        }
    }
    return bytes;
}

void SynthOutput::fillBuffer(WaveBuffer& b) { b.header.dwBufferLength = mix(b.data, b.header.dwBufferLength); }
