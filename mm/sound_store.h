#pragma once
// The sample data of one sound: an ordered list of segments over the sound's source file and a work
// file to which every new byte is appended. Edits splice segments (or, when small and inside one
// work segment, swap bytes in place); each edit leaves a ChangeRecord that undoes and redoes it.
//
// Positions: callers pass sound positions (the first sample byte is at dataOffset). Segments hold
// signed positions: p >= 0 is byte p of the work file, p < 0 is byte sourceEnd + p of the source.
#include <mutex>

#include "core/arrays.h"
#include "core/gfile.h"
#include "core/gstring.h"
#include "core/types.h"

class ErrorHandler;
class JobProgress;

struct StoreSegment {
    StoreSegment* previous = nullptr;
    StoreSegment* next = nullptr;
    i64 start = 0;
    i64 end = 0;  // exclusive

    StoreSegment() = default;
    StoreSegment(i64 start, i64 end) : start(start), end(end) {}
    u64 length() const { return (u64)(end - start); }
    bool inWorkFile() const { return start >= 0; }
};

// A doubly linked list that owns its segments.
struct SegmentList {
    StoreSegment* head = nullptr;
    StoreSegment* tail = nullptr;

    SegmentList() = default;
    SegmentList(const SegmentList&) = delete;
    SegmentList& operator=(const SegmentList&) = delete;
    ~SegmentList() { clear(); }

    bool empty() const { return head == nullptr; }
    void clear();
    // Links s after `after`, or at the head when after is null.
    void insertAfter(StoreSegment* after, StoreSegment* s);
    void append(StoreSegment* s) { insertAfter(tail, s); }
    void unlink(StoreSegment* s);
};

// A position in the segment list; a null segment is the end of the sound.
struct SegmentCursor {
    StoreSegment* segment = nullptr;
    u64 offset = 0;

    // Moves on by count bytes; landing exactly on a segment end moves to the next segment.
    void advance(u64 count);
};

// One edit: the segments it cut out of the sound, or for an in-place edit the work-file range that
// holds the other version of the bytes.
struct ChangeRecord : GCommonObject {
    u64 workEndBefore = 0;
    u64 start = 0;  // sound position
    u64 oldCount = 0;
    u64 newCount = 0;
    StoreSegment copySegment{-1, -1};
    SegmentList list;
    u32 flag = 0;

    bool inPlace() const { return copySegment.start >= 0; }
};

struct StoreSource {
    u64 dataOffset = 0;
    u64 size = 0;
    u32 frameSize = 0;  // bytes per frame; 0 counts as 1
};

// File objects of their own over a store's two files, for a reader on another thread.
struct StoreFilePair {
    GFile work;
    GFile source;
};

class SoundStore {
public:
    SoundStore() = default;
    SoundStore(const SoundStore&) = delete;
    SoundStore& operator=(const SoundStore&) = delete;
    ~SoundStore();

    // Opens a fresh work file "undo%04d.tmp" in the work temp folder over the given source data.
    // False (and an empty store) when the work file cannot be created.
    bool open(const char* sourceName, const StoreSource& source, ErrorHandler* handler);
    // Re-bases the store on a newly written source file; every earlier change record is invalid.
    // Unlocked, it is left unlocked; while a caller holds the lock, the lock stays and the new source
    // file is opened for reading in place of the old one.
    void reopen(const char* sourceName, const StoreSource& source);
    // Whether the named file is the store's source file.
    bool isSourceFile(const char* name) const;
    // While locked: closes the source file (so that another file may be put in its place) and opens
    // it again.
    void closeSourceFile();
    bool reopenSourceFile();
    // Closes (and so deletes) the work file and forgets everything.
    void clear();

    // Enters the store's critical section and opens the source file for reading. On failure the
    // store is left unlocked and the answer is false. Nested calls on one thread are counted.
    bool lock(ErrorHandler* handler);
    void unlock();

    // The handler given to lock (or open): operations report their own failures there.
    ErrorHandler* errorHandler() const { return workFile.handler; }

    SegmentCursor findSegment(u64 soundPos) const;
    // Sound position of a cursor (the end of the sound for a null segment).
    u64 positionOf(const SegmentCursor& cursor) const;
    u64 soundEnd() const { return dataOffset + length; }

    // Piecewise transfers between the sound and memory or a file. A failed piece has been reported
    // by its file and is skipped (read as zeros); the answer is false when any piece failed. Only
    // work-file pieces are written: a write that meets a source piece skips it and answers false.
    bool readRange(SegmentCursor cursor, u64 count, u8* destination);
    bool writeRange(SegmentCursor cursor, u64 count, const u8* source);
    // Copies count bytes from the cursor to target at targetPos (the target may be the work file).
    // After each piece the progress object's stage is committed. The copy ends at the first piece
    // that failed or was cut short by a cancel: false.
    bool copyRangeToFile(SegmentCursor cursor, u64 count, GFile& target, u64 targetPos, JobProgress* progress);
    // Copies count bytes of source, from its position 0 on, into the work-file segments from the cursor.
    bool fillFromFile(SegmentCursor cursor, GFile& source, u64 count, JobProgress* progress);
    // Exchanges the bytes of the work-file segments from the cursor with the work file from workPos.
    bool swapWithWork(SegmentCursor cursor, u64 workPos, u64 count);
    // Reads [from, to) into destination through the pair's files: a reader on another thread. It
    // holds the store's mutex meanwhile, so it waits while another thread holds the lock.
    bool readPages(u8* destination, u64 from, u64 to, StoreFilePair& files);

    // Prepares replacing oldCount bytes at start by newCount bytes. The old bytes stay readable from
    // *oldCursor; exactly newCount new bytes are to be written at *newCursor, and their content is
    // not defined until then: the caller writes every one of them. A small equal-size edit inside one
    // work segment is made in place when its old bytes could be copied aside, else it is spliced like
    // any other. When the work file cannot grow to take the new bytes (reported by it) the change is
    // refused: false, the sound unchanged, no pending record and both cursors at the end.
    // Staging: the new bytes (or the copy of the old ones) take [workEnd, workEnd + newCount) of the
    // work file; everything from workEnd + newCount on is left as it is. So a caller may write data
    // there before the change (a paste staged in the work file) or after it (a scratch area behind
    // the new bytes) and still read it afterwards; the work file only grows.
    bool beginChange(SegmentCursor* oldCursor, u64 start, u64 oldCount, u64 newCount, SegmentCursor* newCursor);
    // Splices the bytes the caller appended to the work file, [workEnd, newWorkEnd), into the sound
    // at start (cursor at start): inserted, or replacing as many bytes (never past the sound's end).
    void replaceRange(u64 start, SegmentCursor cursor, i64 newWorkEnd, bool insert, i64* added);
    // Undo and redo, exact in stack order: undo the newest applied record, redo the next one.
    void undoChange(ChangeRecord* record);
    void redoChange(ChangeRecord* record);
    // The record of the last edit; the caller owns it afterwards.
    ChangeRecord* takePendingChange();

    // List operations.
    StoreSegment* splitSegment(StoreSegment* segment, i64 at);
    // Joins the segment with neighbours that continue it in its file; returns the joined segment.
    StoreSegment* mergeNeighbours(StoreSegment* segment);
    StoreSegment* cutSegments(SegmentCursor cursor, u64 count, SegmentList& into);
    void insertSegments(StoreSegment* after, SegmentList& from);
    // False, with nothing changed, when the work file cannot grow to take the new bytes.
    bool spliceNew(u64 start, u64 oldCount, u64 newCount, SegmentList& into, SegmentCursor* oldCursor,
                   SegmentCursor* newCursor);

    GFile workFile;
    i64 workEnd = 0;
    u64 dataOffset = 0;
    u64 sourceEnd = 0;
    u64 length = 0;
    u32 frameSize = 1;
    SegmentList segments;
    GString sourceName;
    GFile sourceFile;
    std::recursive_mutex mutex;
    u32 locked = 0;  // nesting depth of lock()
    ChangeRecord* pending = nullptr;

private:
    void setHandlers(ErrorHandler* handler);
    void releaseFiles();
    void dropPending();
    // Fresh bookkeeping over the source data: one source segment, an empty work file.
    void setSource(const StoreSource& source);
    // Reads (or writes) through the given files, piece by piece.
    bool transfer(SegmentCursor cursor, u64 count, u8* memory, bool toMemory, GFile& work, GFile& source);
    // The file and file position of a segment position.
    GFile& fileOf(i64 p, u64* filePos) { return fileOf(p, filePos, workFile, sourceFile); }
    GFile& fileOf(i64 p, u64* filePos, GFile& work, GFile& source) const;
};

// Opens both file objects of the pair for reading on the store's file names.
bool openFilePair(SoundStore& store, StoreFilePair& pair, ErrorHandler* handler);
void closeFilePair(StoreFilePair& pair);
