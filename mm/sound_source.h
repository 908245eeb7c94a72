#pragma once
// The links of a playback or conversion chain: a reader of a range of a file or store at the bottom,
// filters above it, the player or the converter at the top. Positions and lengths are byte counts
// of the source's data. A filter owns its inner source and deletes it.
#include "core/gfile.h"
#include "core/types.h"

struct tWAVEFORMATEX;
typedef struct tWAVEFORMATEX WAVEFORMATEX;

class SoundSource {
public:
    SoundSource() = default;
    SoundSource(const SoundSource&) = delete;
    SoundSource& operator=(const SoundSource&) = delete;
    virtual ~SoundSource() = default;

    // True while nothing of the range has been read.
    virtual bool atStart() const = 0;
    // True when the range is exhausted.
    virtual bool atEnd() const = 0;
    // Reads up to *bytes bytes and sets *bytes to the number read.
    virtual bool read(void* buffer, u32* bytes) = 0;
    virtual u64 position() const = 0;
    virtual bool close(u32 flag) = 0;
    // The range becomes [start, start + length); reading restarts at its start.
    virtual bool seek(u64 start, u64 length) = 0;
    // Gives a filter its inner source, which it then owns.
    virtual bool setInner(SoundSource*) { return false; }
    // The format delivered, or null when the source does not know it.
    virtual const WAVEFORMATEX* format() const { return nullptr; }
    // Restarts at the start of the current range.
    virtual bool rewind() = 0;
};

// A plain range reader: the current position and the range.
class RangeSource : public SoundSource {
public:
    RangeSource(u64 start, u64 end) : start(start), end(end), current(start) {}

    bool atStart() const override { return current <= start; }
    bool atEnd() const override { return current >= end; }
    u64 position() const override { return current; }
    bool seek(u64 from, u64 length) override;
    bool rewind() override;

    u64 rangeStart() const { return start; }
    u64 rangeEnd() const { return end; }

protected:
    // The bytes that may still be read of a request of n.
    u32 clampToRange(u32 n) const;

    u64 start;
    u64 end;
    u64 current;
};

// A range of a file. Positions count from the file position `base` (the start of a sound's data,
// or 0 for file positions). Reads through a file object of its own.
class FileRangeSource : public RangeSource {
public:
    FileRangeSource(u64 start, u64 end, ErrorHandler* handler = nullptr, u64 base = 0)
        : RangeSource(start, end), file(handler), base(base) {}
    ~FileRangeSource() override { close(0); }

    bool open(const char* name) { return fileOpen(file, name, FileMode::Read); }
    bool read(void* buffer, u32* bytes) override;
    bool close(u32 flag) override;

    GFile file;
    u64 base;
};
