#include "engine/clipboard_transfer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "core/error.h"
#include "core/gfile.h"
#include "engine/page_walk.h"
#include "engine/track_gather.h"
#include "mm/mm_texts.h"
#include "mm/sound_clipboard.h"

namespace {

// A walk over the clipboard's contents, wherever they are.
std::unique_ptr<PageWalk> clipboardWalk(SoundClipboard& clipboard, PageOpener opener) {
    const i32 frame = (i32)clipboard.format.bytesPerFrame;
    if (clipboard.inFile())
        return std::unique_ptr<PageWalk>(new PageWalk(opener, clipboard.file, frame, 0, clipboard.size, nullptr));
    return std::unique_ptr<PageWalk>(new PageWalk(opener, clipboard.buffer, frame, clipboard.size));
}

// Clipboard track k goes to the k-th selected track in ascending layer order, while the clipboard
// has tracks; every other track receives none.
std::vector<i32> trackMapping(const SoundFormat* destination, u32 clipboardTracks) {
    const u32 tracks = destination->trackCount();
    std::vector<i32> sourceOf(tracks, -1), trackOfLayer(tracks, -1);
    for (u32 t = 0; t < tracks; ++t) {
        u32 layer = destination->tracks[t].layer;
        if (layer < tracks) trackOfLayer[layer] = (i32)t;
    }
    i32 next = 0;
    for (u32 layer = 0; layer < tracks && (u32)next < clipboardTracks; ++layer) {
        i32 t = trackOfLayer[layer];
        if (t >= 0 && destination->selectionMask[t]) sourceOf[(size_t)t] = next++;
    }
    return sourceOf;
}

template <class Traits>
void mergeClipboard(SoundClipboard& clipboard, SoundStore* store, const SoundFormat* destination,
                    const RangeChange& change, CombineFunction combine, bool* clipped, JobProgress* progress,
                    bool zeroOthers) {
    typedef Unaligned<typename Traits::Sample> U;
    const i32 frame = (i32)destination->bytesPerFrame;
    const size_t frameBytes = (size_t)frame, clipFrame = clipboard.format.bytesPerFrame;
    const std::vector<i32> sourceOf = trackMapping(destination, clipboard.format.trackCount());
    MergeLayout layout;
    layout.sourceOf = sourceOf.data();
    layout.tracks = (i32)destination->trackCount();
    layout.incomingFrameBytes = clipFrame;
    layout.incomingEncoding = clipboard.format.encoding;

    std::unique_ptr<PageWalk> in = clipboardWalk(clipboard, openBlockReader);
    in->repeatAtEnd();
    PageWalk out(openBlockWriter, store, frame, change, progress);
    std::unique_ptr<PageWalk> old;
    if (!zeroOthers && change.oldLength > 0 && change.oldCursor.segment)
        old.reset(new PageWalk(openBlockReader, store, frame, change.oldCursor, change.oldLength, nullptr));
    while (nextPages(out, {in.get(), old.get()})) {
        size_t n = std::min(out.framesLeft(), in->framesLeft());
        if (old) n = std::min(n, old->framesLeft());
        // Past the old samples there is nothing to keep or to combine with.
        const U* existing = old ? (const U*)old->take(n * frameBytes) : nullptr;
        if (old && old->dry()) existing = nullptr;
        mergeFrames<Traits>(layout, (U*)out.take(n * frameBytes), existing, in->take(n * clipFrame), n, combine,
                            clipped);
    }
    out.finish();
}
}  // namespace

void copyToClipboard(SoundClipboard& clipboard, SoundStore* store, const SoundFormat* format, SegmentCursor at,
                     u64 count, JobProgress* progress) {
    ErrorHandler* handler = store->errorHandler();
    clipboard.clear();
    SoundFormat::copyTo(format, &clipboard.format);
    if (count == 0) return;
    const u32 kept = clipboard.format.trackCount();
    if (kept == 0 || format->selectedTrackCount() == 0) {
        reportMessage(handler, mmText(MmText::NoTrackSelected), 0);
        clipboard.clear();
        return;
    }
    const u32 frameBytes = format->bytesPerFrame, clipFrame = clipboard.format.bytesPerFrame;
    const u64 frames = frameBytes ? count / frameBytes : 0;
    try {
        if (!clipboard.makeRoom(frames * clipFrame, handler)) return clipboard.clear();
    } catch (...) {
        clipboard.clear();
        throw;
    }

    const bool identity = format->isIdentitySelection();
    const TrackGather gather = trackGatherFor(bytesPerSampleOf(format->encoding));
    PageWalk in(openBlockReader, store, (i32)frameBytes, at, frames * frameBytes, progress);
    std::unique_ptr<PageWalk> out = clipboardWalk(clipboard, openBlockWriter);
    // The reader carries the progress; it ends the walk (and so a cancel ends it) unless every track
    // is copied in layer order.
    PageWalk* ender = identity ? out.get() : &in;
    PageWalk* other = identity ? &in : out.get();
    while (nextPages(*ender, {other})) {
        const size_t n = std::min(in.framesLeft(), out->framesLeft());
        const u8* r = in.take(n * frameBytes);
        u8* w = out->take(n * clipFrame);
        if (identity) memcpy(w, r, n * frameBytes);
        else gather(r, w, n, frameBytes, clipboard.format.trackOrder, kept);
    }
    // A cancelled copy keeps the frames that reached the clipboard, and only those.
    out->finish();
    clipboard.size = out->finishedBytes() / clipFrame * clipFrame;
    if (clipboard.inFile()) fileFlush(clipboard.file);
    clipboard.valid = clipboard.size > 0;
}

void pasteFromClipboard(SoundClipboard& clipboard, SoundStore* store, const SoundFormat* destination,
                        const RangeChange& change, CombineFunction combine, bool* clipped, JobProgress* progress,
                        bool zeroOthers) {
    *clipped = false;
    if (!clipboardCanPaste(clipboard) || change.newLength == 0) return fillNewBytes(*store, change, 0);
    // The clip file reports to the handler of the sound at hand (the copying one may be gone).
    clipboard.file.handler = store->errorHandler();

    const bool sameLayout = clipboard.format.trackCount() == destination->trackCount() && !combine &&
                            clipboard.format.encoding == destination->encoding && !destination->hasPermutedLayers();
    if (sameLayout) {
        // Every track is written, selected or not.
        std::unique_ptr<PageWalk> in = clipboardWalk(clipboard, openBlockReader);
        in->repeatAtEnd();
        PageWalk out(openBlockWriter, store, (i32)destination->bytesPerFrame, change, progress);
        while (nextPages(out, {in.get()})) {
            const size_t n = std::min(in->left(), out.left());
            memcpy(out.take(n), in->take(n), n);
        }
        out.finish();
        return;
    }
    switch (destination->encoding) {
    case encodingInt16:
        return mergeClipboard<SampleInt16>(clipboard, store, destination, change, combine, clipped, progress, zeroOthers);
    case encodingInt32:
        return mergeClipboard<SampleInt32>(clipboard, store, destination, change, combine, clipped, progress, zeroOthers);
    case encodingFloat:
        return mergeClipboard<SampleFloat>(clipboard, store, destination, change, combine, clipped, progress, zeroOthers);
    case encodingDouble:
        return mergeClipboard<SampleDouble>(clipboard, store, destination, change, combine, clipped, progress,
                                            zeroOthers);
    default: return fillNewBytes(*store, change, 0);
    }
}

bool clipboardCanPaste(const SoundClipboard& clipboard) {
    const u32 clipFrame = clipboard.format.bytesPerFrame;
    return clipboard.valid && clipFrame != 0 && clipboard.size >= clipFrame;
}
