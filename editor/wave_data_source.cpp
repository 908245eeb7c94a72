#include "editor/wave_data_source.h"

#include <cassert>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/app_settings.h"
#include "editor/peak_fold.h"
#include "gui/kernel/posting.h"

namespace {
u32 liveSources = 0;
FileCache* cacheOfSources = nullptr;

// Bytes read per piece while folding columns.
const u64 kPieceBytes = 1u << 20;
}  // namespace

WaveDataSource::WaveDataSource(GItemBase* owner) : owner(owner) {
    if (liveSources++ == 0) cacheOfSources = new FileCache;
}

WaveDataSource::~WaveDataSource() {
    close();
    if (--liveSources == 0) {
        delete cacheOfSources;  // destroys every entry and stops the worker
        cacheOfSources = nullptr;
    }
}

u32 WaveDataSource::liveCount() { return liveSources; }

FileCache* WaveDataSource::sharedCache() { return cacheOfSources; }

void WaveDataSource::pauseCache() {
    if (handle) handle->pause();
}

void WaveDataSource::resumeCache() {
    if (handle) handle->resume();
}

u32 WaveDataSource::setFormat(SoundStore* soundStore, u32 soundEncoding, u32 trackCount, u64 start, u64 length) {
    close();
    store = soundStore;
    encoding = (i32)soundEncoding;
    tracks = (i32)trackCount;
    dataStart = start;
    dataLength = length;
    frameBytes = (i32)(trackCount * bytesPerSampleOf(soundEncoding));
    if (frameBytes <= 0) frameBytes = 1;
    return (u32)frameBytes;
}

void WaveDataSource::close() {
    if (handle) {
        cacheOfSources->release(handle);
        handle = nullptr;
    }
    std::lock_guard<std::mutex> held(dataLock);
    changed = 1;
}

void WaveDataSource::closeFiles() { closeFilePair(files); }

void WaveDataSource::invalidateFrom(u64 byte) { invalidate(byte, dataStart + dataLength); }

void WaveDataSource::invalidate(u64 from, u64 to) {
    {
        std::lock_guard<std::mutex> held(dataLock);
        changed = 1;
    }
    if (handle) handle->invalidate(from, to);
}

void WaveDataSource::invalidateAll() { invalidate(dataStart, dataStart + dataLength); }

void WaveDataSource::setLength(u64 length) {
    // The store's length changes only while the cache is paused (edits, undo and redo).
    assert(!handle || handle->isPaused());
    {
        std::lock_guard<std::mutex> held(dataLock);
        changed = 1;
    }
    dataLength = length;
    if (handle) handle->setLength(length);
}

void WaveDataSource::addLength(i64 delta) { setLength((u64)((i64)dataLength + delta)); }

i32 WaveDataSource::loadProgress() { return handle ? handle->loadProgress() : -1; }

void WaveDataSource::moveToFront() {
    if (handle) handle->moveToFront();
}

void WaveDataSource::notifyOwner() {
    if (owner) postNotification(owner, kNewPeaksNotification);
}

void WaveDataSource::newPeaks() {
    bool first;
    {
        std::lock_guard<std::mutex> held(dataLock);
        first = !newPeaksFlag;
        newPeaksFlag = 1;
    }
    // Once until a fill has taken the news.
    if (first) notifyOwner();
}

bool WaveDataSource::readSound(u8* to, u64 from, u64 end) {
    if (!files.work.isOpen() && !openFilePair(*store, files, nullptr)) return false;
    return store->readPages(to, from, end, files);
}

bool WaveDataSource::fill(FrameAxisView& view, WaveViewData& buffer) {
    if (view.columnCount == 0 || !store) {
        bool had = buffer.values != nullptr;
        buffer.release();
        return had;
    }
    const PerformanceSettings& options = appSettings.Editor.Performance;
    if (options.cache2Level && !handle) {
        handle = cacheOfSources->request(store, dataStart, dataLength, (u32)tracks, (u32)encoding, this);
    } else if (!options.cache2Level && handle) {
        cacheOfSources->release(handle);
        handle = nullptr;
    }
    f64 threshold = options.cacheScaleLimit;
    if (tracks > 200) threshold *= 100.0;
    else if (tracks > 20) threshold *= 10.0;

    f64 ppf = view.pixelsPerFrame;
    bool fromCache = false;
    u32 mode;
    if (ppf >= 1.0) mode = WaveReadMode::EveryFrame;
    else if (ppf >= threshold) mode = WaveReadMode::MinMax;
    else if (handle) mode = WaveReadMode::MinMax, fromCache = true;
    else mode = WaveReadMode::OnePerColumn;

    const u64 fb = (u64)frameBytes;
    const u64 soundEnd = dataStart + dataLength / fb * fb;
    u64 firstByte = (view.firstFrame > 0.0 ? (u64)view.firstFrame : 0) * fb + dataStart;
    u64 endByte = (view.endFrame > 0.0 ? (u64)view.endFrame : 0) * fb + dataStart;
    if (endByte > soundEnd) endByte = soundEnd;
    if (firstByte > endByte) firstByte = endByte;

    u8 news, changes;
    {
        std::lock_guard<std::mutex> held(dataLock);
        news = newPeaksFlag;
        changes = changed;
        newPeaksFlag = changed = 0;
    }
    bool sameRange = buffer.values && buffer.firstByte == firstByte && buffer.endByte == endByte &&
                     buffer.pixelsPerFrame == ppf && buffer.readMode == mode;
    if (sameRange && !changes && (!news || !fromCache)) return false;

    buffer.firstByte = firstByte;
    buffer.endByte = endByte;
    buffer.pixelsPerFrame = ppf;
    buffer.readMode = mode;
    view.flags = (view.flags & ~WaveReadMode::Mask) | mode;

    if (!fromCache) {
        fillDirect(view, buffer);
    } else {
        if (!sameRange) buffer.resize(view.columnCount * (u32)tracks * 2);
        bool complete = handle->isComplete();
        if (complete) memset(buffer.values, 0, sizeof(float) * buffer.count);
        else if (!sameRange || changes) fillOnePerColumn(view, buffer);
        bool ok = handle->readColumns(view, buffer.values);
        if (!ok) {
            buffer.release();
            complete = false;
        }
        std::lock_guard<std::mutex> held(dataLock);
        this->complete = complete ? 1 : 0;
    }
    closeFilePair(files);
    return true;
}

void WaveDataSource::fillDirect(const FrameAxisView& view, WaveViewData& buffer) {
    const u64 fb = (u64)frameBytes;
    const u32 t = (u32)tracks;
    bool ok = true;
    if (buffer.readMode == WaveReadMode::EveryFrame) {
        u64 frames = (buffer.endByte - buffer.firstByte) / fb;
        buffer.resize((u32)(frames * t));
        std::vector<u8> bytes;
        for (u64 f = 0; f < frames && ok; f += kPieceBytes / fb + 1) {
            u64 n = frames - f < kPieceBytes / fb + 1 ? frames - f : kPieceBytes / fb + 1;
            bytes.resize((size_t)(n * fb));
            ok = readSound(bytes.data(), buffer.firstByte + f * fb, buffer.firstByte + (f + n) * fb);
            samplesToFloats((u32)encoding, bytes.data(), (u32)(n * t), buffer.values + f * t);
        }
    } else if (buffer.readMode == WaveReadMode::MinMax) {
        buffer.resize(view.columnCount * t * 2);
        const u64 firstFrame = (buffer.firstByte - dataStart) / fb, endFrame = (buffer.endByte - dataStart) / fb;
        std::vector<u8> bytes;
        u64 loadedFirst = firstFrame, loadedEnd = firstFrame;
        u64 frame = firstFrame;
        for (u32 c = 0; c < view.columnCount; ++c) {
            float* column = buffer.values + (size_t)c * t * 2;
            u64 columnEnd = (u64)view.columnEndFrame(c);
            if (columnEnd > endFrame) columnEnd = endFrame;
            if (frame >= columnEnd) {
                // No frame starts in this column.
                for (u32 i = 0; i < t * 2; ++i) column[i] = 0.0f;
                continue;
            }
            startPeakRecord(column, t);
            while (frame < columnEnd && ok) {
                if (frame >= loadedEnd) {
                    loadedFirst = frame;
                    loadedEnd = endFrame - frame < kPieceBytes / fb + 1 ? endFrame : frame + kPieceBytes / fb + 1;
                    bytes.resize((size_t)((loadedEnd - loadedFirst) * fb));
                    ok = readSound(bytes.data(), dataStart + loadedFirst * fb, dataStart + loadedEnd * fb);
                }
                u64 n = (columnEnd < loadedEnd ? columnEnd : loadedEnd) - frame;
                foldFrames((u32)encoding, bytes.data() + (frame - loadedFirst) * fb, (u32)n, t, column);
                frame += n;
            }
        }
    } else {
        buffer.resize(view.columnCount * t * 2);
        fillOnePerColumn(view, buffer);
    }
    std::lock_guard<std::mutex> held(dataLock);
    complete = 1;
}

void WaveDataSource::fillOnePerColumn(const FrameAxisView& view, WaveViewData& buffer) {
    const u64 fb = (u64)frameBytes;
    const u32 t = (u32)tracks;
    const u64 firstFrame = (buffer.firstByte - dataStart) / fb, endFrame = (buffer.endByte - dataStart) / fb;
    std::vector<u8> bytes((size_t)fb);
    std::vector<float> values(t);
    u64 frame = firstFrame;
    for (u32 c = 0; c < view.columnCount; ++c) {
        float* column = buffer.values + (size_t)c * t * 2;
        if (frame < endFrame && readSound(bytes.data(), dataStart + frame * fb, dataStart + (frame + 1) * fb)) {
            samplesToFloats((u32)encoding, bytes.data(), t, values.data());
            for (u32 i = 0; i < t; ++i) column[2 * i] = column[2 * i + 1] = values[i];
        } else {
            for (u32 i = 0; i < t * 2; ++i) column[i] = 0.0f;
        }
        u64 next = (u64)view.columnEndFrame(c);
        if (next > frame) frame = next;
    }
}

void WaveDataSource::adjustPositionsForEdit(WavePositions& positions, u64 start, u64 oldLength, u64 newLength,
                                            BookmarkList& removed) {
    // The Editor pauses the cache around every change of the store.
    assert(!handle || handle->isPaused());
    const u64 fb = (u64)frameBytes;
    const u64 at = start - dataStart;
    if (newLength > oldLength) {
        u64 p = (at + oldLength) / fb, d = (newLength - oldLength) / fb;
        for (SavedSelection& s : positions.saved) {
            if (s.start >= p) {
                s.start = (u32)(s.start + d);
                s.end = (u32)(s.end + d);
            } else if (s.end > p) {
                s.end = (u32)(s.end + d);
            }
        }
        for (u32 i = 0; i < positions.bookmarks.count; ++i) {
            if (positions.bookmarks[i] > p) positions.bookmarks[i] = (u32)(positions.bookmarks[i] + d);
        }
        if (positions.playStart > p) positions.playStart = (u32)(positions.playStart + d);
    } else if (newLength < oldLength) {
        u64 p = (at + newLength) / fb, r = (oldLength - newLength) / fb, q = p + r;
        for (SavedSelection& s : positions.saved) {
            if (s.end <= p) continue;
            if (s.start > p && s.end < q) {
                s.start = s.end = 0;
                continue;
            }
            s.end = s.end >= q ? (u32)(s.end - r) : (u32)p;
            if (s.start >= q) s.start = (u32)(s.start - r);
            else if (s.start > p) s.start = (u32)p;
        }
        u32 kept = 0;
        for (u32 i = 0; i < positions.bookmarks.count; ++i) {
            u32 b = positions.bookmarks[i];
            if (b > q) positions.bookmarks[kept++] = (u32)(b - r);
            else if (b > p) *removed.append(1) = b;
            else positions.bookmarks[kept++] = b;
        }
        positions.bookmarks.count = kept;
        if (positions.playStart > q) positions.playStart = (u32)(positions.playStart - r);
        else if (positions.playStart > p) positions.playStart = (u32)p;
    }
    if (newLength == oldLength) {
        invalidate(start, start + oldLength);
    } else {
        invalidateFrom(start);
        addLength((i64)newLength - (i64)oldLength);
    }
}
