// Page walks over a one-hour stereo 16-bit sound (635 MB) in a segment store with a few edits, and
// small random edits with their undo.
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "bench/bench.h"
#include "core/gfile.h"
#include "mm/page_reader.h"
#include "mm/sound_store.h"

namespace {

const u32 kFrame = 4;
const u64 kHeader = 44;
const u64 kSize = 44100ull * kFrame * 3600;  // 635,040,000 bytes

bool writeSource(const std::string& path) {
    GFile f;
    if (!fileOpen(f, path.c_str(), FileMode::Write)) return false;
    std::vector<u8> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = (u8)(i * 131 + 7);
    memcpy(block.data(), "RIFF", 4);
    if (!fileWrite(f, block.data(), (u32)kHeader)) return false;
    for (u64 left = kSize; left > 0;) {
        u32 n = (u32)std::min<u64>(left, block.size());
        if (!fileWrite(f, block.data(), n)) return false;
        left -= n;
    }
    return fileClose(f);
}

// A few edits spread over the sound: replaced, inserted and removed stretches.
void editSound(SoundStore& store) {
    std::vector<u8> bytes(3 << 20, 0x5A);
    SegmentCursor oldAt, newAt;
    const u64 step = kSize / 6 / kFrame * kFrame;
    for (int i = 1; i <= 5; ++i) {
        u64 at = kHeader + step * i;
        u64 oldCount = (i == 2) ? 0 : (1 << 20), newCount = (i == 4) ? 0 : (i == 3 ? 3 << 20 : 1 << 20);
        store.beginChange(&oldAt, at, oldCount, newCount, &newAt);
        store.writeRange(newAt, newCount, bytes.data());
        delete store.takePendingChange();
    }
}

// Walks the whole sound; copy decides what happens to each page.
template <class Page>
double walkSeconds(SoundStore& store, u32 mode, u32* sink) {
    StorePageIterator it(std::make_unique<Page>(kFrame, mode));
    u8 *b, *e;
    double start = benchSeconds();
    it.init(&store, store.findSegment(kHeader), nullptr, store.length, &b, &e);
    while (it.readSegmentsNext(&b, &e)) *sink += b[0] + e[-1];
    return benchSeconds() - start;
}

// The usual edit: old bytes through a reader, copied unchanged into the new bytes through a writer.
double copyEditSeconds(SoundStore& store) {
    double start = benchSeconds();
    SegmentCursor oldAt, newAt;
    store.beginChange(&oldAt, kHeader, store.length, store.length, &newAt);
    StorePageIterator reader(std::make_unique<SamplePageReader>(kFrame, PageMode::Read));
    StorePageIterator writer(std::make_unique<SamplePageReader>(kFrame, PageMode::Write));
    u8 *rb, *re, *wb, *we;
    reader.init(&store, oldAt, nullptr, store.length, &rb, &re);
    writer.init(&store, newAt, nullptr, store.length, &wb, &we);
    for (;;) {
        if (rb >= re) reader.readSegmentsNext(&rb, &re);
        if (wb >= we && !writer.readSegmentsNext(&wb, &we)) break;
        size_t n = std::min(re - rb, we - wb);
        memcpy(wb, rb, n);
        rb += n;
        wb += n;
    }
    return benchSeconds() - start;
}

}  // namespace

RAVO_BENCH(store_walk) {
    std::string path = benchFolder() + "\\hour.wav";
    double start = benchSeconds();
    if (!writeSource(path)) {
        printf("store_walk: cannot write %s\n", path.c_str());
        return;
    }
    double mb = kSize / 1e6;
    benchResult("store_walk source write 635 MB", mb / (benchSeconds() - start), "MB/s");

    SoundStore store;
    StoreSource source;
    source.dataOffset = kHeader;
    source.size = kSize;
    source.frameSize = kFrame;
    if (!store.open(path.c_str(), source, nullptr) || !store.lock(nullptr)) {
        printf("store_walk: cannot open the store\n");
        return;
    }
    editSound(store);
    u32 segments = 0;
    for (StoreSegment* s = store.segments.head; s; s = s->next) ++segments;
    printf("store_walk: %u segments, %llu bytes\n", segments, (unsigned long long)store.length);
    mb = store.length / 1e6;

    u32 sink = 0;
    walkSeconds<SamplePageReader>(store, PageMode::Read, &sink);  // warm the page cache
    benchResult("store_walk forward read", mb / walkSeconds<SamplePageReader>(store, PageMode::Read, &sink), "MB/s");
    benchResult("store_walk reverse read", mb / walkSeconds<ReversePageReader>(store, PageMode::Read, &sink), "MB/s");
    benchResult("store_walk copy edit (reader + writer)", mb / copyEditSeconds(store), "MB/s");
    delete store.takePendingChange();
    benchResult("store_walk read-write in place", mb / walkSeconds<SamplePageReader>(store, PageMode::ReadWrite, &sink),
                "MB/s");

    // Small random edits, then their undo, newest first.
    u32 segmentsBefore = 0;
    for (StoreSegment* s = store.segments.head; s; s = s->next) ++segmentsBefore;
    std::mt19937 rng(7);
    std::vector<u8> bytes(4096, 0x33);
    std::vector<ChangeRecord*> records;
    const int edits = 10000;
    start = benchSeconds();
    for (int i = 0; i < edits; ++i) {
        u64 frames = store.length / kFrame;
        u64 at = kHeader + (rng() % frames) * kFrame;
        u64 oldCount = (1 + rng() % 1024) * kFrame, newCount = (i % 2) ? oldCount : (1 + rng() % 1024) * kFrame;
        oldCount = std::min(oldCount, store.soundEnd() - at);
        SegmentCursor oldAt, newAt;
        store.beginChange(&oldAt, at, oldCount, newCount, &newAt);
        store.writeRange(newAt, newCount, bytes.data());
        records.push_back(store.takePendingChange());
    }
    double edited = benchSeconds();
    for (auto r = records.rbegin(); r != records.rend(); ++r) {
        store.undoChange(*r);
        delete *r;
    }
    double undone = benchSeconds();
    segments = 0;
    for (StoreSegment* s = store.segments.head; s; s = s->next) ++segments;
    benchResult("store_walk small random edits", edits / (edited - start), "edits/s");
    benchResult("store_walk undo of the edits", edits / (undone - edited), "undos/s");
    if (segments != segmentsBefore) printf("store_walk: %u segments after the undo, %u before\n", segments, segmentsBefore);
    store.unlock();
    store.clear();
    if (sink == 1) printf(" ");
}
