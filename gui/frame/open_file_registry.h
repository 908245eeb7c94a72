#pragma once
// The open-file registry: one shared read stream per file on disk, found by the file's identity
// (volume and index), with any number of holders. A holder borrows the stream (optionally for
// writing) and gives it back; the others may wait for it meanwhile. The registry owns its records;
// holders are owned by their clients and must be detached before they go.
#include <atomic>

#include "core/gfile.h"
#include "core/gstring.h"
#include "core/types.h"

struct OpenFileRecord;

// Borrow-mode bits besides the file flags Write, Truncate, Create and DenyRead.
namespace RegistryMode {
enum : u32 {
    Held = 0x10000,          // the stream belongs to a record
    SafeReplace = 0x20000,   // the borrower writes through a safe replacement
    OthersWait = 0x8000,     // other borrowers wait on an event meanwhile
    ReadShared = 0x10081,    // the record's own open flags
};
}

class OpenFileHolder {
public:
    explicit OpenFileHolder(ErrorHandler* handler = nullptr) : handler(handler) {}
    // Detaches, then waits for notifications still running on other threads.
    virtual ~OpenFileHolder();
    OpenFileHolder(const OpenFileHolder&) = delete;
    OpenFileHolder& operator=(const OpenFileHolder&) = delete;

    // Code 0: the shared file could not be reopened and is gone; code 1: another holder wrote it.
    // Called outside the registry's lock, on the thread that caused it: a holder that owns windows
    // hands window work to the interface thread. A holder is not deleted inside its own call.
    virtual void onFileEvent(i32 code, GFile* file) = 0;

    ErrorHandler* handler;
    OpenFileRecord* record = nullptr;  // null when detached
    GString path;                      // normalised
    OpenFileHolder* previousHolder = nullptr;
    OpenFileHolder* nextHolder = nullptr;
    GFile* borrowed = nullptr;          // the caller's file while the stream is lent
    std::atomic<i32> notifying{0};      // notifications in flight
};

namespace OpenFileRegistry {
bool attach(const char* path, OpenFileHolder* holder);
void detach(OpenFileHolder* holder);
// Whether the file now at the holder's path is still its record's file.
bool fileInfo(OpenFileHolder* holder);
// Lends the record's stream to the caller's file; mode bit Write reopens it for writing.
bool reopen(GFile& userFile, OpenFileHolder* holder, u32 mode);
bool endReopen(GFile& userFile);
// The file layer's replacement hook.
bool replaceHook(GFile& newFile, const char* target);

// The wait of a borrower on a busy record (tests count the waits).
typedef u32 (*WaitFunction)(void* event, u32 milliseconds);
extern WaitFunction waitForRecord;
// Opens a record's stream (tests make it fail).
typedef bool (*OpenFunction)(GFile& stream);
extern OpenFunction openRecordStream;
// The number of records alive.
u32 recordCount();
// The record of the existing file the path names (by file identity), or null.
OpenFileRecord* recordOf(const char* path);
}  // namespace OpenFileRegistry
