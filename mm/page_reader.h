#pragma once
// Page-wise walks over byte ranges of a sound's store. A page object keeps one buffer over a
// contiguous range of one backing file, reads ahead, writes back behind and hands out pages that
// hold whole frames; the store page iterator hands it the pieces of a store range one by one.
#include <memory>

#include "core/types.h"
#include "mm/sound_store.h"

struct GFile;
class JobProgress;

namespace PageMode {
enum : u32 { Read = 1, Write = 2, ReadWrite = 3 };
}

// The page buffer size for a frame size: 16384 bytes, or, when two frames do not fit,
// (2 × frameSize + 4096) rounded down to a multiple of 4096.
u32 pageCapacityFor(u32 frameSize);

// Forward page object. Every buffer offset is congruent to its file position modulo 4096, and
// keepFrom <= pageBegin <= pageEnd <= fillEnd <= capacity.
//
// A failed read or write of the mapped range (its file reports it) does not shorten the range: from
// there on the range reads as zeros and nothing more of it is written, so that a reader and a writer
// walked side by side stay in step.
class SamplePageReader {
public:
    SamplePageReader(u32 frameSize, u32 mode, u32 capacity = 0);  // capacity 0: pageCapacityFor
    SamplePageReader(const SamplePageReader&) = delete;
    SamplePageReader& operator=(const SamplePageReader&) = delete;
    virtual ~SamplePageReader();

    // Maps [start, end) of `file`; both out pointers get the buffer start (an empty first page).
    virtual bool mapRange(u64 start, u64 end, u32 mode, u8** outBegin, u8** outEnd);
    // Writes back the bytes handed out so far (aligned to 4096 except at the ends of the range).
    virtual bool flush();
    // Reads ahead as far as the buffer allows.
    virtual bool fill();
    // The next page of whole frames; false at the end of the range.
    virtual bool nextPage(u8** outBegin, u8** outEnd);
    // Writes back everything handed out, aligned or not.
    virtual bool finish();
    // Bytes fetched so far, for progress.
    virtual i64 fetchedCount() const;
    // Writes back every byte handed out before the current page (the caller has not filled the
    // current one); used when a write walk ends early.
    virtual bool writeBackBeforePage();
    virtual bool isReverse() const { return false; }

    u32 frameSize;
    u32 capacity;
    u32 keepFrom = 0;
    u32 fillEnd = 0;
    u32 pageBegin = 0;
    u32 pageEnd = 0;
    u64 readPos = 0;
    u64 writePos = 0;
    u64 rangeStart = 0;
    u64 rangeEnd = 0;
    u64 toWrite = 0;
    u64 toRead = 0;
    GFile* file = nullptr;
    u8* buffer = nullptr;
    u32 mode;
    SamplePageReader* partner = nullptr;
    bool failed = false;  // a read or write of the mapped range failed

protected:
    bool endRange(u8** outBegin, u8** outEnd);
    // With no whole frame left to hand out: true when bytes of the range remain that never can be.
    bool strandedRemainder() const;
    // File access of the range; after a failure, reads give zeros and writes are dropped.
    void readBytes(u64 pos, u8* to, u32 n);
    void writeBytes(u64 pos, const u8* from, u32 n);
};

// The mirror image: pages come from the end of the range toward its start (the bytes inside a page
// stay in file order). fillEnd is the upper end of the data not yet written back, keepFrom the
// lowest byte read so far.
class ReversePageReader : public SamplePageReader {
public:
    ReversePageReader(u32 frameSize, u32 mode, u32 capacity = 0) : SamplePageReader(frameSize, mode, capacity) {}

    bool mapRange(u64 start, u64 end, u32 mode, u8** outBegin, u8** outEnd) override;
    bool flush() override;
    bool fill() override;
    bool nextPage(u8** outBegin, u8** outEnd) override;
    bool finish() override;
    i64 fetchedCount() const override;
    bool writeBackBeforePage() override;
    bool isReverse() const override { return true; }
};

// Walks count bytes of a store from a cursor, piece by piece, through its page object. A forward
// page object gets the pieces in ascending order, a reverse one in descending order, so a reverse
// walk runs backward over the whole range.
//
// Loop: after init, while the page is used up call readSegmentsNext; false ends the walk (end of
// the range or a cancelled job). A write walk that ends on a cancellation has written back every
// page handed out before the last one.
struct StorePageIterator {
    u64 done = 0;
    SoundStore* store = nullptr;
    GFile* workFile = nullptr;    // file of non-negative segment positions
    GFile* sourceFile = nullptr;  // file of negative segment positions
    JobProgress* progress = nullptr;
    // Forward: the next piece starts here. Reverse: the next piece ends at this offset.
    SegmentCursor cursor;
    u64 remaining = 0;
    u64 sourceEnd = 0;
    std::unique_ptr<SamplePageReader> page;

    StorePageIterator() = default;
    explicit StorePageIterator(std::unique_ptr<SamplePageReader> page) : page(std::move(page)) {}

    void attach(std::unique_ptr<SamplePageReader> pageObject) { page = std::move(pageObject); }
    // Positions the walk over count bytes from the cursor and maps the first piece (empty page).
    bool init(SoundStore* store, SegmentCursor cursor, JobProgress* progress, u64 count, u8** pageBegin,
              u8** pageEnd);
    // Maps the next piece.
    bool readSegments(u8** pageBegin, u8** pageEnd);
    // The next non-empty page; false at the end of the range or when the job is cancelled (the
    // pointers then still show the page just fetched, for readers that go on regardless).
    bool readSegmentsNext(u8** pageBegin, u8** pageEnd);
};
