#pragma once
// The file object: a stream opened with explicit access, creation and sharing rules and 64-bit
// positions. It never throws: failures return false and go, composed, to the error handler.
#include <cstdio>

#include "core/gstring.h"
#include "core/types.h"

class ErrorHandler;
class JobProgress;

namespace FileFlag {
enum : u32 {
    Read = 0x1,
    Write = 0x2,
    Error = 0x4,            // sticky until the next open
    Eof = 0x8,              // end of file met by a read
    Truncate = 0x10,
    Create = 0x20,
    DenyRead = 0x40,
    DenyWrite = 0x80,
    DeleteOnClose = 0x100,
    LastRead = 0x200,       // a write must seek first
    LastWrite = 0x400,      // a read must seek first
    TempName = 0x800,       // open a fresh temporary name in the folder of the given name
    Quiet = 0x1000,         // failures are not reported to the handler
    Changed = 0x2000,
    Deleted = 0x4000,       // the delete-on-close has been done
};
}

// Open modes in use.
namespace FileMode {
enum : u32 {
    Read = 129,            // read, deny others writing
    Write = 242,           // write, truncate, create, deny both
    ReadTemp = 385,        // read, deny writing, delete on close
    WriteTemp = 498,       // write, truncate, create, deny both, delete on close
    WriteReplace = 2546,   // as 498 under a fresh temporary name, for a safe replacement
};
}

struct GFile {
    FILE* fp = nullptr;
    ErrorHandler* handler = nullptr;
    char* name = nullptr;
    u32 flags = 0;

    GFile() = default;
    explicit GFile(ErrorHandler* handler) : handler(handler) {}
    GFile(const GFile&) = delete;
    GFile& operator=(const GFile&) = delete;
    ~GFile();

    bool isOpen() const { return fp != nullptr; }
    bool failed() const { return (flags & FileFlag::Error) != 0; }
};

bool fileOpen(GFile& f, const char* name, u32 flags);
bool fileOpenDescriptor(GFile& f);
bool fileClose(GFile& f);
// Closes with failures not reported (the error bit is still set); the quiet flag is kept as it was.
bool fileCloseQuietly(GFile& f);
bool fileRead(GFile& f, void* buffer, u32 n);
// Bytes that fileRead has delivered in the process so far (for measurements).
u64 fileReadTotal();
bool fileWrite(GFile& f, const void* buffer, u32 n);
bool fileWriteText(GFile& f, const char* text);
bool fileSeek(GFile& f, i64 position, int origin);
bool fileTell(GFile& f, i64* position);
i64 fileSize(GFile& f);
bool fileFlush(GFile& f);
bool fileRewind(GFile& f);
bool fileWriteAtPosition(GFile& f, i64 position, const void* buffer, u32 n);
bool fileWriteSpaces(GFile& f, u32 n);
// One line without its CR, LF or CR LF; false at the end of the file with nothing read.
bool fileReadLine(GFile& f, char* buffer, u32 size);
// Copies count bytes from source position `from` to target position `to` through a 16 KiB buffer
// whose chunks are aligned to the target position; false when a step fails or progress cancels.
bool fileCopyRange(GFile& source, i64 from, GFile& target, i64 to, i64 count, JobProgress* progress);
// From the source's current position to the target's current position.
bool fileCopyRange(GFile& source, GFile& target, i64 count, JobProgress* progress);
// From a given source position to the target's current position.
bool fileCopyRange(GFile& source, i64 from, GFile& target, i64 count, JobProgress* progress);
// The rest of the source, from its current position to its end.
bool fileCopyRest(GFile& source, GFile& target, JobProgress* progress);
// As fileCopyRange with the chunks aligned to the source position.
bool fileCopyRangeSourceAligned(GFile& source, i64 from, GFile& target, i64 to, i64 count, JobProgress* progress);
bool fileFillZero(GFile& f, i64 count, JobProgress* progress);
// Reports a failure on the file: sets the error bit and, unless quiet, tells the handler.
bool reportFileError(GFile& f, const char* message, const char* detail, int code);

// File-system helpers; failures go to the optional handler.
bool deleteFile(const char* name, ErrorHandler* handler = nullptr);
bool moveFile(const char* from, const char* to, ErrorHandler* handler = nullptr);
bool createDirectory(const char* name, ErrorHandler* handler = nullptr);
bool removeDirectory(const char* name, ErrorHandler* handler = nullptr);

struct FileInfo {
    u32 volumeSerial;
    u32 indexHigh;
    u32 indexLow;
    u32 attributes;
    u64 size;
    u64 creationTime;
    u64 accessTime;
    u64 writeTime;
};
bool fileInfo(const char* name, FileInfo* out, ErrorHandler* handler = nullptr);
bool pathExists(const char* name);
bool pathIsFile(const char* name);
bool pathIsDirectory(const char* name);
i64 fileSizeByName(const char* name);

// Puts a file written under a temporary name in place of the target; on failure rolls back and then
// reports the first failure once (a handler that throws does so after the rollback).
bool safeReplaceFile(GFile& newFile, const char* target);
// Closes the file (keeping it despite a delete-on-close mark), then replaces the target through the
// replace hook, which receives the closed file still marked. A file that failed is never committed.
bool fileCommit(GFile& newFile, const char* target);
// The completion of every save under a temporary name; safeReplaceFile unless replaced.
typedef bool (*FileReplaceHook)(GFile& newFile, const char* target);
extern FileReplaceHook fileReplaceHook;
