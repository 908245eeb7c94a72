// Operations that write sound files instead of editing the store: the selected tracks of the range as
// a new file, the sound's file rewritten with a new track layout, and the 16-bit stereo mixdown of
// the range. None makes a change record or tells the owner of a change.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/error.h"
#include "core/progress.h"
#include "engine/file_requests.h"
#include "engine/page_walk.h"
#include "engine/track_gather.h"
#include "mm/acm_file_writer.h"
#include "mm/acm_stream.h"
#include "mm/mm_texts.h"
#include "mm/ravo_file.h"
#include "mm/sound_file.h"
#include "mm/store_range_source.h"

namespace {

// Writes the layout of a file for dataBytes of samples at the file's position, the samples left to
// the caller: a WAVE file or the own sound file. The answer is the file position of the samples, -1
// when the layout could not be written or the position read.
i64 writeSoundLayout(GFile& file, const WAVEFORMATEX* format, u64 dataBytes, bool wave) {
    bool ok;
    if (wave) {
        std::unique_ptr<RiffListBlock> root(buildWaveLayout(format, dataBytes));
        ok = root->write(nullptr, file, nullptr);
    } else {
        RavoFormBlock root;
        buildRavoLayout(&root, format, dataBytes);
        ok = root.write(nullptr, file, nullptr);
    }
    i64 position;
    if (!ok || !fileSeek(file, -(i64)dataBytes, SEEK_CUR) || !fileTell(file, &position)) return -1;
    return position;
}

// Copies frames from in to out, each output frame gathered from an input frame by order; the walk
// ends with the writer.
void gatherPages(PageWalk& in, PageWalk& out, u32 sampleBytes, const i32* order, u32 tracks) {
    const TrackGather gather = trackGatherFor(sampleBytes);
    while (nextPages(out, {&in})) {
        const size_t n = std::min(in.framesLeft(), out.framesLeft());
        gather(in.take(n * in.frameSize), out.take(n * out.frameSize), n, in.frameSize, order, tracks);
    }
    out.finish();
}

// True when the store holds exactly its source file's data: one unbroken run of source bytes, so
// that reading the file reads the sound as it stands.
bool storeMatchesSource(const SoundStore& store) {
    i64 expected = -(i64)store.length;
    if (store.sourceEnd - store.length != store.dataOffset) return false;
    for (const StoreSegment* s = store.segments.head; s; s = s->next) {
        if (s->inWorkFile() || s->start != expected) return false;
        expected = s->end;
    }
    return expected == 0;
}

// The source track of each new track: the format's order, or the same index while there is one.
std::vector<i32> sourceOrder(const SoundFormat& format, u32 oldTracks) {
    std::vector<i32> order(format.trackCount());
    for (u32 j = 0; j < order.size(); ++j) {
        i32 k = format.trackOrder ? format.trackOrder[j] : (i32)j;
        order[j] = k >= 0 && (u32)k < oldTracks ? k : -1;
    }
    return order;
}
}  // namespace

// The file is written under a temporary name and replaces the target (workBuffer) only when every
// byte went out; a failed write leaves the target as it was.
void SoundBlockProcessor::saveFragment() {
    SoundFormat fragment;
    SoundFormat::copyTo(soundFormat, &fragment);
    SoundFormatBlock block;
    if (!buildFormatBlock(&block, &fragment)) return;
    const u32 tracks = fragment.trackCount();
    if (tracks == 0 || frameBytes <= 0) {
        reportMessage(store->errorHandler(), mmText(MmText::NoTrackSelected), 0);
        return;
    }
    const u64 frames = (rangeEnd - rangeStart) / (u64)frameBytes;
    const u64 dataBytes = frames * fragment.bytesPerFrame;
    GFile& out = file;
    out.handler = store->errorHandler();
    if (!fileOpen(out, workBuffer.c_str(), FileMode::WriteReplace)) return;
    const i64 dataAt = writeSoundLayout(out, block.format(), dataBytes, (soundFormat->flags & formatPcm) != 0);
    if (dataAt >= 0) {
        PageWalk in(openBlockReader, store, frameBytes, store->findSegment(rangeStart), frames * frameBytes, progress);
        PageWalk to(openBlockWriter, out, (i32)fragment.bytesPerFrame, (u64)dataAt, dataBytes, nullptr);
        std::vector<i32> order = sourceOrder(fragment, (u32)channelCount);
        gatherPages(in, to, bytesPerSampleOf(soundFormat->encoding), order.data(), tracks);
    }
    commitSavedFile(out, workBuffer.c_str(), dataAt >= 0 && !out.failed());
}

// rangeStart and rangeEnd hold the bytes of the sound's file before and after the sound's block. The
// new file is read from the saved file, so a sound with unsaved edits is refused (the Editor saves
// first); so is a layout the own format cannot store. The new file stays open, under its temporary
// name, in the parameters; a failed write leaves it marked failed, and such a file is never
// committed.
void SoundBlockProcessor::changeTracks() {
    auto* params = dynamic_cast<SoundFormatParams*>(auxObject);
    if (!params || frameBytes <= 0) return;
    SoundFormat own(params->format);
    own.flags = (own.flags & ~formatPcm) | formatOwn;
    SoundFormatBlock block;
    if (!buildFormatBlock(&block, &own)) return;
    if (!storeMatchesSource(*store)) {
        reportMessage(store->errorHandler(), mmText(MmText::TracksNeedSavedSound), 0);
        return;
    }
    GFile& source = store->sourceFile;
    GFile& out = params->file;
    out.handler = source.handler;
    if (!fileOpen(out, store->sourceName.c_str(), FileMode::WriteReplace)) return;
    fileCopyRange(source, 0, out, 0, (i64)rangeStart, nullptr);
    const u64 frames = (soundEnd - soundStart) / (u64)frameBytes;
    const u64 dataBytes = frames * own.bytesPerFrame;
    const i64 dataAt = writeSoundLayout(out, block.format(), dataBytes, false);
    if (dataAt < 0) return;
    {
        PageWalk in(openBlockReader, source, frameBytes, soundStart, frames * frameBytes, progress);
        PageWalk to(openBlockWriter, out, (i32)own.bytesPerFrame, (u64)dataAt, dataBytes, nullptr);
        std::vector<i32> order = sourceOrder(own, (u32)channelCount);
        gatherPages(in, to, bytesPerSampleOf(own.encoding), order.data(), own.trackCount());
    }
    fileCopyRange(source, (i64)soundEnd, out, dataAt + (i64)dataBytes, (i64)rangeEnd, nullptr);
    fileFlush(out);
}

// 16-bit stereo PCM at the sound's rate: the range in the sound's playback form (the selected
// tracks mixed through the mix matrix), converted by the stream conversion while the data chunk is
// written. The target (workBuffer) is replaced only by a complete file.
void SoundBlockProcessor::mix() {
    const u32 rate = soundFormat->sampleRate;
    WAVEFORMATEX target = {WAVE_FORMAT_PCM, 2, rate, rate * 4, 4, 16, 0};
    SoundFormatBlock block;
    if (!buildFormatBlock(&block, soundFormat)) return;
    WAVEFORMATEX played = {};
    soundFormat->playbackFormat(&played);
    const u64 frames = frameBytes > 0 ? (rangeEnd - rangeStart) / (u64)frameBytes : 0;
    ErrorHandler* handler = store->errorHandler();
    const u64 from = rangeStart - store->dataOffset;
    AcmStream stream;
    stream.errorSink = handler;
    auto* source = new StoreRangeSource(store, block.format(), from, from + frames * frameBytes, handler);
    if (!stream.open(source, &played, frames * played.nBlockAlign, &target)) return;
    // The conversion reports bytes of the playback form: the total counts those (a cancel stays).
    if (progress) progress->total = std::max<u64>(frames * played.nBlockAlign, 1);
    acmConvertToWaveFile(workBuffer.c_str(), stream, progress, handler);
}
