#include "editor/peak_cache.h"

void (*peakStepHook)(PeakEntry* entry, u64 from, u64 to) = nullptr;
u32 peakRetryDelay = 500;

u32 bytesPerSampleOf(u32 encoding) {
    switch (encoding) {
    case 2: return 2;
    case 3:
    case 4: return 4;
    case 5: return 8;
    default: return 1;
    }
}

PeakEntry::~PeakEntry() { clearPending(); }
void PeakEntry::setGeometry() {}
u64 PeakEntry::roundDownToPeak(u64 p) const { return p; }
u64 PeakEntry::roundUpToPeak(u64 p) const { return p; }
void PeakEntry::toPeakFileRange(u64, u64, u64* from, u64* to) const { *from = *to = 0; }
void PeakEntry::addPending(u64, u64) {}
void PeakEntry::removePending(u64, u64) {}
void PeakEntry::setLength(u64) {}
void PeakEntry::resetPending() {}
void PeakEntry::clearPending() {}
u64 PeakEntry::pendingBytes() const { return 0; }
bool PeakEntry::computePeaks(u64, u64) { return false; }
bool PeakEntry::readColumns(const FrameAxisView&, float*) { return false; }
i32 PeakEntry::loadProgress() const { return -1; }

void PeakHandle::invalidate(u64, u64) {}
void PeakHandle::setLength(u64) {}
void PeakHandle::pause() {}
void PeakHandle::resume() {}
void PeakHandle::moveToFront() {}
bool PeakHandle::isComplete() { return false; }
bool PeakHandle::readColumns(const FrameAxisView&, float*) { return false; }
i32 PeakHandle::loadProgress() { return -1; }

void PeakCacheWorker::run() { cache->workerLoop(this); }

PeakHandle* FileCache::request(SoundStore*, u64, u64, u32, u32, PeakListener* listener) {
    PeakHandle* h = new PeakHandle;
    h->cache = this;
    h->listener = listener;
    return h;
}
void FileCache::release(PeakHandle* handle) { delete handle; }
void FileCache::destroy() {}
void FileCache::wake() {}
void FileCache::workerLoop(PeakCacheWorker*) {}
void FileCache::tempFileName(GString&, const char*, i32) {}
