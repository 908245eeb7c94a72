#include "mm/sound_player.h"

#include <windows.h>
#include <mmsystem.h>

#include <memory>

#include "core/exceptions.h"
#include "mm/acm_stream.h"
#include "mm/mm_texts.h"
#include "mm/ogg_range_source.h"
#include "mm/pcm16_source.h"
#include "mm/sound_file.h"
#include "mm/sound_format.h"
#include "mm/store_range_source.h"

namespace {
bool isOggTag(u16 tag) { return tag >= 0x674F && tag <= 0x6771; }
}  // namespace

SoundPlayer::SoundPlayer(DeviceSettings* entry, i32 bufCount, i32 bufPresend, i32 bufPerSecond)
    : WaveOutPlayer(entry, bufCount, bufPresend, bufPerSecond) {}

SoundPlayer::~SoundPlayer() {
    // The worker calls into this object: it must have ended before the object goes.
    stopAndWait(false);
    removeTimer(&timer);
    dropSource();
}

SoundPlayer* createSoundPlayer(DeviceSettings* entry, const BufferSettings& b) {
    return new SoundPlayer(entry, (i32)b.bufCount, (i32)b.bufPresend, (i32)b.bufPerSecond);
}

void SoundPlayer::dropSource() {
    if (!source) return;
    source->close(1);
    delete source;
    source = nullptr;
}

void SoundPlayer::refreshSnapshot(TimerRecord*, uintptr_t p) {
    SoundPlayer* player = reinterpret_cast<SoundPlayer*>(p);
    // Without the control lock: the worker may hold it under an error box.
    u32 bits = player->stateBits();
    player->snapshotRunning = (bits & playerRunning) != 0;
    player->snapshotPaused = (bits & playerPaused) != 0;
}

bool SoundPlayer::startSource(SoundSource* newSource, GWindow* window, const WAVEFORMATEX* format, u64 start,
                              u64 end) {
    stopAndWait(true);
    errorSink = &ownSink;
    ownSink.window = window;
    range = {start, end};
    lastQueued = start;
    snapshotRunning = false;
    snapshotPaused = false;
    if (start == end) {
        if (newSource) newSource->close(1);
        delete newSource;
        return true;
    }
    {
        auto hold = holdControl();
        dropSource();
        source = newSource;
    }

    AcmFormatBytes played = copyAcmFormat(source->format() ? source->format() : format);
    if (Pcm16Source::converts(asFormat(played))) {
        // The level control and the fades know 8 and 16 bits only.
        auto* narrow = new Pcm16Source(asFormat(played));
        {
            auto hold = holdControl();
            narrow->setInner(source);
            source = narrow;
        }
        played = copyAcmFormat(narrow->format());
    }
    delivered = 0;
    snapshotRunning = true;
    // Before the start: a source that ends at its first fill removes the timer as it stops.
    addTimer(&timer, 100, nullptr, refreshSnapshot, (uintptr_t)this);
    bool ok = WaveOutPlayer::start(asFormat(played));
    if (!ok) removeTimer(&timer);
    return ok;
}

bool SoundPlayer::open(GWindow* window, const SoundStreamInfo& sound, i64 from, i64 to) {
    u64 start = from < 0 ? 0 : (u64)from;
    u64 end = to < 0 ? sound.dataSize : (u64)to;
    if (start == end) return true;
    ownSink.window = window;
    const u16 tag = sound.format->wFormatTag;
    std::unique_ptr<SoundSource> chain;
    try {
        if (tag == ownFormatTag) {
            auto* own = new OwnFileRangeSource(sound.format, start, end, &ownSink, sound.dataOffset);
            chain.reset(own);
            if (!own->open(sound.fileName)) return false;
        } else {
            auto* range = new FileRangeSource(start, end, &ownSink, sound.dataOffset);
            chain.reset(range);
            if (!range->open(sound.fileName)) return false;
            u64 count = end - start;
            if (isOggTag(tag)) {
                auto* ogg = new OggRangeSource(0, sound.oggHeaderLength, start, end);
                ogg->setInner(chain.release());
                chain.reset(ogg);
                count += sound.oggHeaderLength;
            }
            if (tag != pcmFormatTag) {
                auto* acm = new AcmStream;
                acm->errorSink = &ownSink;
                acm->leadBytes = (u32)(count - (end - start));
                SoundSource* inner = chain.release();
                chain.reset(acm);
                if (!acm->openToPcm(inner, sound.format, count)) return false;
            }
        }
    } catch (const GException&) {
        return false;
    }
    return startSource(chain.release(), window, sound.format, start, end);
}

bool SoundPlayer::playRange(GWindow* window, SoundStore* store, const WAVEFORMATEX* format, u64 from, u64 to) {
    if (format->wFormatTag != ownFormatTag && format->wFormatTag != pcmFormatTag) return false;
    return startSource(new StoreRangeSource(store, format, from, to, &ownSink), window, format, from, to);
}

bool SoundPlayer::play(GWindow* window, const char* fileName) {
    stopAndWait(true);
    errorSink = &ownSink;
    ownSink.window = window;
    SoundFileLayout layout;
    SoundStreamInfo info = {};
    info.fileName = fileName;
    try {
        GFile file(&ownSink);
        if (!fileOpen(file, fileName, FileMode::Read)) return false;
        if (!readSoundFileLayout(file, &layout) || !layout.parts.dataFound || !layout.parts.format) {
            reportMessage(&ownSink, mmText(MmText::NoSoundStream), 0);
            return false;
        }
        info.format = layout.parts.format;
        info.dataOffset = layout.dataOffset;
        info.dataSize = layout.parts.dataSize;
        if (isOggTag(info.format->wFormatTag))
            info.oggHeaderLength = oggHeaderLength(file, info.dataOffset, info.dataOffset + info.dataSize);
    } catch (const GException&) {
        return false;
    }
    return open(window, info, -1, -1);
}

void SoundPlayer::seek(u64 position) {
    u64 end;
    bool queued;
    {
        // Read under the control lock: a buffer the worker is handing to the device counts as queued.
        auto hold = holdControl();
        end = range.end;
        queued = position == lastQueued;
    }
    if (position >= end) {
        stopAndWait(true);
        return;
    }
    if (!queued) reposition({position, end});
}

void SoundPlayer::fillBuffer(WaveBuffer& b) {
    u32 n = b.header.dwBufferLength;
    // A failed read ends the source with what it delivered.
    if (!source)
        n = 0;
    else
        source->read(b.data, &n);
    b.header.dwBufferLength = n;
    b.position = source ? source->position() : 0;
    delivered += n;
}

bool SoundPlayer::restartAtRange() {
    if (!source) return false;
    delivered = 0;
    source->seek(range.start, range.end - range.start);
    return true;
}

void SoundPlayer::rewind() {
    if (source) source->rewind();
}

void SoundPlayer::onStopped() {
    dropSource();
    removeTimer(&timer);
    snapshotRunning = false;
    snapshotPaused = false;
}
