// FileCache: requests, releases, the handles' operations and the worker loop.
#include "editor/peak_cache.h"

#include <windows.h>

#include <cstdio>

#include "core/linked_list.h"
#include "core/paths.h"
#include "mm/sound_store.h"

u32 peakRetryDelay = 500;

namespace {
// The file whose identity keys the entry: the store's source file, else its work file.
const char* storeFileName(const SoundStore& store) {
    if (store.sourceName.length) return store.sourceName.c_str();
    return store.workFile.name;
}
}  // namespace

void FileCache::tempFileName(GString& out, const char* prefix, i32 index) {
    out = workTempFolder();
    if (out.length && out.data[out.length - 1] != '\\' && out.data[out.length - 1] != '/') stringAppend(out, "\\");
    char number[32];
    snprintf(number, sizeof number, "%04u.tmp", index < 0 ? nextTempCounter() : (u32)index);
    stringAppend(out, prefix);
    stringAppend(out, number);
}

PeakHandle* FileCache::request(SoundStore* owner, u64 offset, u64 length, u32 tracks, u32 encoding,
                               PeakListener* listener) {
    std::lock_guard<std::mutex> held(lock);
    PeakHandle* handle = new PeakHandle;
    handle->cache = this;
    handle->listener = listener;
    linkAtFront(handles, handlesLast, handle);

    FileInfo info;
    const char* name = owner ? storeFileName(*owner) : nullptr;
    if (!name || !fileInfo(name, &info)) return handle;
    for (PeakEntry* e = entries; e; e = e->next) {
        if (e->volumeSerial == info.volumeSerial && e->indexHigh == info.indexHigh && e->indexLow == info.indexLow &&
            e->start == offset) {
            ++e->references;
            handle->entry = e;
            if (e->end != offset + length) {
                e->setLength(length);
                wake();
            }
            return handle;
        }
    }
    PeakEntry* e = new PeakEntry;
    e->references = 1;
    e->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    e->start = offset;
    e->end = offset + length;
    e->tracks = tracks ? tracks : 1;
    e->encoding = encoding;
    e->owner = owner;
    e->volumeSerial = info.volumeSerial;
    e->indexHigh = info.indexHigh;
    e->indexLow = info.indexLow;
    linkAtFront(entries, entriesLast, e);
    handle->entry = e;
    e->setGeometry();

    // A free "cache%04d.tmp" in the work temp folder, numbered from the shared counter.
    GString path = workTempFolder();
    pathJoin(path, "*");
    GString fileName;
    makeTempFileName(path.c_str(), fileName, "cache");
    fileOpen(e->cacheFile, fileName.c_str(),
             FileFlag::Read | FileFlag::Write | FileFlag::Create | FileFlag::Truncate | FileFlag::DenyWrite |
                 FileFlag::Quiet);
    e->resetPending();
    wake();
    return handle;
}

void FileCache::waitForStep(std::unique_lock<std::mutex>& held, PeakEntry* entry) {
    if (!entry->busy) return;
    // The worker may delete the entry (and close its event) once the step ends.
    HANDLE event = nullptr;
    DuplicateHandle(GetCurrentProcess(), entry->event, GetCurrentProcess(), &event, 0, FALSE, DUPLICATE_SAME_ACCESS);
    ResetEvent(static_cast<HANDLE>(entry->event));
    held.unlock();
    if (event) {
        WaitForSingleObject(event, INFINITE);
        CloseHandle(event);
    }
    held.lock();
}

void FileCache::release(PeakHandle* handle) {
    if (!handle) return;
    std::unique_lock<std::mutex> held(lock);
    PeakEntry* e = handle->entry;
    unlinkNode(handles, handlesLast, handle);
    delete handle;
    if (!e) return;
    if (--e->references == 0) deleteEntryLocked(e);
    else waitForStep(held, e);
}

void FileCache::deleteEntryLocked(PeakEntry* entry) {
    unlinkNode(entries, entriesLast, entry);
    delete entry;
}

void FileCache::wake() {
    if (worker) return;
    worker = new PeakCacheWorker(this);
    worker->deleteOnExit = true;
    if (!worker->start()) {
        delete worker;
        worker = nullptr;
    }
}

void FileCache::destroy() {
    PeakCacheWorker* w;
    {
        std::lock_guard<std::mutex> held(lock);
        w = worker;
        if (w) {
            // The worker is still in its loop (it forgets itself under the cache lock before it ends):
            // it will not delete itself now, so waiting on it is safe.
            std::lock_guard<std::mutex> own(w->lock);
            w->stop = true;
            w->deleteOnExit = false;
        }
    }
    if (w) {
        w->waitDone();
        delete w;
    }
    std::lock_guard<std::mutex> held(lock);
    worker = nullptr;
    while (handles) {
        PeakHandle* h = handles;
        unlinkNode(handles, handlesLast, h);
        delete h;
    }
    while (entries) deleteEntryLocked(entries);
}

void FileCache::workerLoop(PeakCacheWorker* self) {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
    std::unique_lock<std::mutex> held(lock);
    while (worker == self) {
        if (self->stopRequested()) break;
        PeakEntry* e = entries;
        while (e && (e->paused || !e->cacheFile.isOpen() || !e->hasPending())) e = e->next;
        if (!e) break;
        u64 from = e->pendingHead->start;
        u64 to = e->pendingHead->end;
        if (to - from > (u64)e->stepBytes) to = from + (u64)e->stepBytes;
        ++e->references;
        e->busy = 1;
        e->stale = 0;
        held.unlock();
        bool ok = false;
        try {
            ok = e->computePeaks(from, to);
        } catch (...) {
            ok = false;
        }
        held.lock();
        e->busy = 0;
        SetEvent(static_cast<HANDLE>(e->event));
        if (--e->references == 0) {
            deleteEntryLocked(e);
            continue;
        }
        if (ok && !e->stale) {
            e->removePending(from, to);
            bool complete = e->cacheFile.isOpen() && !e->hasPending();
            for (PeakHandle* h = handles; h; h = h->next) {
                if (h->entry != e || !h->listener) continue;
                if (complete) h->listener->onPeaksComplete();
                else h->listener->onPeaksProgress();
            }
        } else {
            held.unlock();
            Sleep(peakRetryDelay);
            held.lock();
        }
    }
    if (worker == self) worker = nullptr;
}

void PeakCacheWorker::run() { cache->workerLoop(this); }

void PeakHandle::invalidate(u64 from, u64 to) {
    if (!entry) return;
    std::lock_guard<std::mutex> held(cache->lock);
    entry->addPending(from, to);
    cache->wake();
}

void PeakHandle::setLength(u64 length) {
    if (!entry) return;
    std::lock_guard<std::mutex> held(cache->lock);
    entry->setLength(length);
    cache->wake();
}

void PeakHandle::pause() {
    if (!entry) return;
    std::unique_lock<std::mutex> held(cache->lock);
    entry->paused = 1;
    cache->waitForStep(held, entry);
}

void PeakHandle::resume() {
    if (!entry) return;
    std::lock_guard<std::mutex> held(cache->lock);
    entry->paused = 0;
    cache->wake();
}

bool PeakHandle::isPaused() {
    if (!entry) return true;
    std::lock_guard<std::mutex> held(cache->lock);
    return entry->paused != 0;
}

void PeakHandle::moveToFront() {
    if (!entry) return;
    std::lock_guard<std::mutex> held(cache->lock);
    if (cache->entries == entry) return;
    unlinkNode(cache->entries, cache->entriesLast, entry);
    linkAtFront(cache->entries, cache->entriesLast, entry);
}

bool PeakHandle::isComplete() {
    if (!entry) return false;
    std::lock_guard<std::mutex> held(cache->lock);
    return entry->cacheFile.isOpen() && !entry->hasPending();
}

bool PeakHandle::readColumns(const FrameAxisView& view, float* columns) {
    if (!entry) return false;
    std::lock_guard<std::mutex> held(cache->lock);
    return entry->readColumns(view, columns);
}

i32 PeakHandle::loadProgress() {
    if (!entry) return -1;
    std::lock_guard<std::mutex> held(cache->lock);
    return entry->loadProgress();
}
