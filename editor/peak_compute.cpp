// PeakEntry's two data paths: a worker step that folds source frames into the peak file, and the
// read of computed peaks into a pane's pixel columns. Frames, peak indexes and file offsets are
// 64-bit throughout.
#include <cmath>
#include <vector>

#include "editor/peak_cache.h"
#include "editor/peak_fold.h"
#include "mm/sound_store.h"

void (*peakStepHook)(PeakEntry* entry, u64 from, u64 to) = nullptr;

namespace {
// Source bytes read per piece of a step: whole peaks, about 1 MB.
u64 pieceBytes(u64 blockBytes) {
    u64 peaks = (1u << 20) / blockBytes;
    return (peaks ? peaks : 1) * blockBytes;
}
}  // namespace

bool PeakEntry::computePeaks(u64 from, u64 to) {
    if (!owner || to <= from) return true;
    StoreFilePair pair;
    if (!openFilePair(*owner, pair, nullptr)) {
        closeFilePair(pair);
        return false;
    }
    const u64 block = (u64)blockBytes, fb = (u64)frameBytes, F = (u64)framesPerPeak;
    const u64 piece = pieceBytes(block);
    std::vector<u8> source((size_t)piece);
    std::vector<float> peaks((size_t)((piece / block) * tracks * 2));
    u64 fileAt, fileEnd;
    toPeakFileRange(from, to, &fileAt, &fileEnd);
    bool ok = true;
    for (u64 pos = from; pos < to && ok; pos += piece) {
        u64 n = to - pos < piece ? to - pos : piece;
        bool read = owner->readPages(source.data(), pos, pos + n, pair);
        if (pos == from && peakStepHook) peakStepHook(this, from, to);
        if (!read) {
            ok = false;
            break;
        }
        u64 frames = n / fb;
        u32 records = 0;
        for (u64 f = 0; f < frames; f += F, ++records) {
            float* record = peaks.data() + (size_t)records * tracks * 2;
            startPeakRecord(record, tracks);
            u64 count = frames - f < F ? frames - f : F;
            foldFrames(encoding, source.data() + f * fb, (u32)count, tracks, record);
        }
        if (records) {
            u32 bytes = records * (u32)recordBytes;
            ok = fileWriteAtPosition(cacheFile, (i64)fileAt, peaks.data(), bytes);
            fileAt += bytes;
        }
    }
    if (!fileFlush(cacheFile)) ok = false;
    closeFilePair(pair);
    return ok;
}

bool PeakEntry::readColumns(const FrameAxisView& view, float* columns) {
    if (!cacheFile.isOpen()) return false;
    const u64 fb = (u64)frameBytes, F = (u64)framesPerPeak, block = (u64)blockBytes;
    const u32 width = tracks * 2;
    f64 firstFrame = view.firstFrame > 0.0 ? std::trunc(view.firstFrame) : 0.0;
    f64 lastFrame = view.endFrame > 0.0 ? std::trunc(view.endFrame) : 0.0;
    u64 a = start + (u64)firstFrame * fb / block * block;
    u64 b = roundUpToPeak(start + (u64)lastFrame * fb);
    if (a >= b) return true;

    GFile reader;
    if (!fileOpen(reader, cacheFile.name, FileFlag::Read | FileFlag::Quiet)) return false;
    std::vector<float> peaks;
    auto frameAtColumn = [&](i64 c) -> u64 {
        f64 f = std::trunc(view.frameAt((f64)(c + view.firstColumn)));
        return f > 0.0 ? (u64)f : 0;
    };
    auto clampColumn = [&](f64 pixel) -> i64 {
        f64 c = std::trunc(pixel) - view.firstColumn;
        if (c < 0.0) return 0;
        if (c > (f64)view.columnCount) return view.columnCount;
        return (i64)c;
    };
    bool ok = true;
    // One stretch [p, q) that is not pending.
    auto stretch = [&](u64 p, u64 q) {
        i64 c0 = clampColumn(view.pixelOf((f64)((p - start) / fb)));
        i64 c1 = clampColumn(view.pixelOf((f64)((q - start) / fb)) + 1.0);
        if (c0 >= c1) return;
        u64 stretchFirst = (p - start) / block, stretchEnd = (q - start + block - 1) / block;
        u64 first = frameAtColumn(c0) / F, last = (frameAtColumn(c1) + F - 1) / F;
        if (first < stretchFirst) first = stretchFirst;
        if (last > stretchEnd) last = stretchEnd;
        if (first >= last) return;
        // Peaks are read in pieces of about 1 MB, in order.
        const u64 pieceRecords = (1u << 20) / (u64)recordBytes + 1;
        u64 loadedFirst = first, loadedEnd = first;
        auto peakAt = [&](u64 index) -> const float* {
            if (index >= loadedEnd) {
                loadedFirst = index;
                loadedEnd = last - index < pieceRecords ? last : index + pieceRecords;
                peaks.resize((size_t)((loadedEnd - loadedFirst) * width));
                if (!fileSeek(reader, (i64)(loadedFirst * (u64)recordBytes), SEEK_SET) ||
                    !fileRead(reader, peaks.data(), (u32)((loadedEnd - loadedFirst) * (u64)recordBytes))) {
                    ok = false;
                    return nullptr;
                }
            }
            return peaks.data() + (size_t)(index - loadedFirst) * width;
        };
        u64 index = first;
        for (i64 c = c0; c < (i64)view.columnCount && index < last && ok; ++c) {
            u64 upTo = frameAtColumn(c + 1) / F;
            if (upTo > last) upTo = last;
            if (upTo <= index) continue;
            float* column = columns + (size_t)c * width;
            const float* peak = peakAt(index);
            if (!peak) return;
            for (u32 i = 0; i < width; ++i) column[i] = peak[i];
            for (++index; index < upTo; ++index) {
                if (!(peak = peakAt(index))) return;
                for (u32 t = 0; t < width; t += 2) {
                    if (peak[t] < column[t]) column[t] = peak[t];
                    if (peak[t + 1] > column[t + 1]) column[t + 1] = peak[t + 1];
                }
            }
        }
    };
    u64 at = a;
    for (PendingRange* r = pendingHead; r && ok; r = r->next) {
        if (r->end <= at) continue;
        if (r->start >= b) break;
        if (r->start > at) stretch(at, r->start);
        at = r->end;
    }
    if (ok && at < b) stretch(at, b);
    fileCloseQuietly(reader);
    return ok;
}
