#include "gui/frame/open_file_registry.h"

#include <io.h>
#include <windows.h>

#include <vector>

#include "core/error.h"
#include "core/exceptions.h"
#include "core/paths.h"
#include "core/texts.h"

// One per file: the shared stream, its holders, the current borrower and the identity.
struct OpenFileRecord {
    GFile stream;
    OpenFileRecord* previous = nullptr;
    OpenFileRecord* next = nullptr;
    OpenFileHolder* firstHolder = nullptr;
    OpenFileHolder* currentUser = nullptr;
    struct FileWaitEvent* waitEvent = nullptr;
    GFile* writer = nullptr;
    u32 identity[3] = {0, 0, 0};
};

struct FileWaitEvent {
    FileWaitEvent* previous = nullptr;
    FileWaitEvent* next = nullptr;
    i32 references = 1;
    HANDLE event = nullptr;
};

namespace {

CRITICAL_SECTION& registryLock() {
    static struct Section {
        CRITICAL_SECTION cs;
        Section() { InitializeCriticalSection(&cs); }
        ~Section() { DeleteCriticalSection(&cs); }
    } section;
    return section.cs;
}

// Holds the registry's lock for a scope; may be left early and entered again.
struct RegistryLock {
    bool held = false;
    RegistryLock() { enter(); }
    ~RegistryLock() { leave(); }
    void enter() {
        if (!held) EnterCriticalSection(&registryLock());
        held = true;
    }
    void leave() {
        if (held) LeaveCriticalSection(&registryLock());
        held = false;
    }
};

OpenFileRecord* records = nullptr;
FileWaitEvent* events = nullptr;
u32 liveRecords = 0;

u32 defaultWait(void* event, u32 milliseconds) { return WaitForSingleObject((HANDLE)event, milliseconds); }

bool readIdentity(OpenFileRecord* record) {
    if (!record->stream.fp) return false;
    BY_HANDLE_FILE_INFORMATION info;
    HANDLE h = (HANDLE)_get_osfhandle(_fileno(record->stream.fp));
    if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) return false;
    record->identity[0] = info.dwVolumeSerialNumber;
    record->identity[1] = info.nFileIndexHigh;
    record->identity[2] = info.nFileIndexLow;
    return true;
}

// Opens the record's stream with the flags and the handler given; the held flag marks the result.
bool openRecord(OpenFileRecord* record, u32 flags, ErrorHandler* handler) {
    record->stream.handler = handler;
    record->stream.flags = flags & ~(u32)RegistryMode::Held;
    bool ok = OpenFileRegistry::openRecordStream(record->stream);
    record->stream.handler = nullptr;
    record->stream.flags |= RegistryMode::Held;
    if (ok) readIdentity(record);
    return ok;
}

void closeRecordQuietly(OpenFileRecord* record) {
    record->stream.flags &= ~(u32)RegistryMode::Held;
    fileCloseQuietly(record->stream);
}

void dropEventReference(FileWaitEvent* event) {
    if (--event->references > 0) return;
    if (event->previous) event->previous->next = event->next;
    else events = event->next;
    if (event->next) event->next->previous = event->previous;
    CloseHandle(event->event);
    delete event;
}

// Wakes the waiters and drops the record's reference on its event.
void releaseWaitEvent(OpenFileRecord* record) {
    if (!record->waitEvent) return;
    SetEvent(record->waitEvent->event);
    dropEventReference(record->waitEvent);
    record->waitEvent = nullptr;
}

void unlinkHolder(OpenFileHolder* holder) {
    OpenFileRecord* record = holder->record;
    if (holder->previousHolder) holder->previousHolder->nextHolder = holder->nextHolder;
    else if (record->firstHolder == holder) record->firstHolder = holder->nextHolder;
    if (holder->nextHolder) holder->nextHolder->previousHolder = holder->previousHolder;
    holder->previousHolder = holder->nextHolder = nullptr;
    holder->record = nullptr;
    if (record->currentUser == holder) {
        // A borrower that goes loses the stream it was lent; the record is free again.
        if (GFile* lent = holder->borrowed) {
            lent->fp = nullptr;
            lent->flags &= ~(u32)RegistryMode::Held;
        }
        record->currentUser = nullptr;
        record->writer = nullptr;
        releaseWaitEvent(record);
    }
    holder->borrowed = nullptr;
}

void freeRecord(OpenFileRecord* record) {
    closeRecordQuietly(record);
    if (record->previous) record->previous->next = record->next;
    else records = record->next;
    if (record->next) record->next->previous = record->previous;
    releaseWaitEvent(record);
    --liveRecords;
    delete record;
}

// Holders to be told outside the lock: each is counted so that its destructor waits for the call.
struct Notices {
    std::vector<OpenFileHolder*> holders;
    i32 code = 0;
    GFile* file = nullptr;

    void take(OpenFileRecord* record, OpenFileHolder* except, i32 eventCode, GFile* eventFile) {
        code = eventCode;
        file = eventFile;
        for (OpenFileHolder* h = record->firstHolder; h; h = h->nextHolder)
            if (h != except) {
                ++h->notifying;
                holders.push_back(h);
            }
    }
    // Every holder is told the file is gone instead of what was taken before: they lose the
    // record, which is freed.
    void dropRecord(OpenFileRecord* record) {
        for (OpenFileHolder* h : holders) --h->notifying;
        holders.clear();
        take(record, nullptr, 0, nullptr);
        while (record->firstHolder) unlinkHolder(record->firstHolder);
        freeRecord(record);
    }
    void send() {
        size_t i = 0;
        try {
            for (; i < holders.size(); ++i) {
                holders[i]->onFileEvent(code, file);
                --holders[i]->notifying;
            }
        } catch (...) {
            for (; i < holders.size(); ++i) --holders[i]->notifying;
            holders.clear();
            throw;
        }
        holders.clear();
    }
};

OpenFileRecord* findRecord(const FileInfo& info) {
    for (OpenFileRecord* r = records; r; r = r->next)
        if (r->identity[0] == info.volumeSerial && r->identity[1] == info.indexHigh && r->identity[2] == info.indexLow)
            return r;
    return nullptr;
}

bool reportWithPath(ErrorHandler* handler, CoreText text, const char* path) {
    return reportToHandler(handler, coreText(text), nullptr, path, 0);
}

}  // namespace

namespace OpenFileRegistry {

WaitFunction waitForRecord = defaultWait;
OpenFunction openRecordStream = fileOpenDescriptor;

u32 recordCount() {
    RegistryLock lock;
    return liveRecords;
}

OpenFileRecord* recordOf(const char* path) {
    FileInfo info;
    if (!path || !*path || !::fileInfo(path, &info)) return nullptr;
    RegistryLock lock;
    return findRecord(info);
}

bool attach(const char* path, OpenFileHolder* holder) {
    detach(holder);
    stringAssignText(holder->path, path);
    normalizePath(holder->path);
    bool failed = false;
    {
        RegistryLock lock;
        try {
            FileInfo info;
            if (!::fileInfo(holder->path.c_str(), &info, holder->handler)) return false;
            OpenFileRecord* record = findRecord(info);
            if (!record) {
                record = new OpenFileRecord;
                assignHeapText(&record->stream.name, holder->path.c_str());
                if (!openRecord(record, RegistryMode::ReadShared, holder->handler)) {
                    delete record;
                    return false;
                }
                record->next = records;
                if (records) records->previous = record;
                records = record;
                ++liveRecords;
                fileReplaceHook = replaceHook;
            }
            holder->nextHolder = record->firstHolder;
            if (record->firstHolder) record->firstHolder->previousHolder = holder;
            record->firstHolder = holder;
            holder->record = record;
        } catch (...) {
            failed = true;
        }
    }
    if (failed) throw GException();
    return true;
}

void detach(OpenFileHolder* holder) {
    RegistryLock lock;
    OpenFileRecord* record = holder->record;
    if (!record) return;
    unlinkHolder(holder);
    if (!record->firstHolder) freeRecord(record);
}

bool fileInfo(OpenFileHolder* holder) {
    RegistryLock lock;
    if (!holder->record) return false;
    FileInfo info;
    if (!::fileInfo(holder->path.c_str(), &info)) return false;
    const u32* id = holder->record->identity;
    return id[0] == info.volumeSerial && id[1] == info.indexHigh && id[2] == info.indexLow;
}

// Inside the lock: at most two waits on the borrower's event, then the busy report.
static bool waitUntilFree(RegistryLock& lock, OpenFileHolder* holder) {
    for (int waits = 0;; ++waits) {
        OpenFileRecord* record = holder->record;
        if (!record) return reportWithPath(holder->handler, CoreText::RegistryFileNotAvailable, holder->path.c_str());
        if (!record->currentUser) return true;
        if (!record->waitEvent || waits >= 2)
            return reportWithPath(holder->handler, CoreText::RegistryFileBusy, holder->path.c_str());
        FileWaitEvent* event = record->waitEvent;
        ++event->references;
        lock.leave();
        waitForRecord(event->event, 500);
        lock.enter();
        dropEventReference(event);
    }
}

bool reopen(GFile& userFile, OpenFileHolder* holder, u32 mode) {
    Notices notices;
    bool result = false, thrown = false;
    {
        RegistryLock lock;
        try {
            userFile.handler = holder->handler;
            if (!waitUntilFree(lock, holder) || !holder->record || holder->record->currentUser) {
                // A report answered true leaves the record still taken: nothing is lent.
                return false;
            }
            OpenFileRecord* record = holder->record;
            bool opened = true;
            if (mode & FileFlag::Write) {
                closeRecordQuietly(record);
                bool writeOpen = false;
                try {
                    writeOpen = openRecord(record, (mode & 0x72) | RegistryMode::ReadShared, userFile.handler);
                } catch (...) {
                    thrown = true;
                }
                if (!writeOpen) {
                    bool readOpen = false;
                    try {
                        readOpen = openRecord(record, RegistryMode::ReadShared, userFile.handler);
                    } catch (...) {
                        thrown = true;
                    }
                    if (!readOpen) notices.dropRecord(record);
                    opened = false;
                } else {
                    mode &= ~(u32)FileFlag::Truncate;
                }
            }
            if (opened) {
                record->currentUser = holder;
                holder->borrowed = &userFile;
                userFile.fp = record->stream.fp;
                assignHeapText(&userFile.name, record->stream.name);
                userFile.flags = record->stream.flags | RegistryMode::Held;
                if (mode & RegistryMode::OthersWait) {
                    FileWaitEvent* event = new FileWaitEvent;
                    event->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
                    event->next = events;
                    if (events) events->previous = event;
                    events = event;
                    record->waitEvent = event;
                }
                if (mode & RegistryMode::SafeReplace) record->writer = &userFile;
                result = fileSeek(userFile, 0, SEEK_SET);
            }
        } catch (...) {
            thrown = true;
        }
    }
    notices.send();
    if (thrown) throw GException();
    return result;
}

bool endReopen(GFile& userFile) {
    if (!userFile.fp) return true;
    Notices notices;
    bool result = true, thrown = false;
    {
        RegistryLock lock;
        OpenFileRecord* record = nullptr;
        for (OpenFileRecord* r = records; r && !record; r = r->next)
            if (r->currentUser && r->currentUser->borrowed == &userFile) record = r;
        if (!record) {
            // The record went while the stream was lent: the stream is closed already.
            if (userFile.flags & RegistryMode::Held) {
                userFile.fp = nullptr;
                userFile.flags &= ~(u32)RegistryMode::Held;
            }
            return true;
        }
        OpenFileHolder* user = record->currentUser;
        try {
            const u32 flags = userFile.flags;
            if ((flags & (FileFlag::Changed | FileFlag::Write)) == (FileFlag::Changed | FileFlag::Write))
                result = fileFlush(userFile);
            ErrorHandler* handler = userFile.handler;
            userFile.flags &= ~(u32)RegistryMode::Held;
            userFile.fp = nullptr;
            user->borrowed = nullptr;
            record->currentUser = nullptr;
            record->writer = nullptr;
            releaseWaitEvent(record);
            if (flags & FileFlag::Changed) notices.take(record, user, 1, &userFile);
            if (flags & FileFlag::Write) {
                closeRecordQuietly(record);
                bool ok = false;
                try {
                    ok = openRecord(record, RegistryMode::ReadShared, handler);
                } catch (...) {
                    thrown = true;
                }
                if (!ok) {
                    notices.dropRecord(record);
                    result = false;
                }
            }
        } catch (...) {
            thrown = true;
        }
    }
    notices.send();
    if (thrown) throw GException();
    return result;
}

bool replaceHook(GFile& newFile, const char* target) {
    FileInfo info;
    if (!target || !*target || !pathExists(target) || !::fileInfo(target, &info)) return safeReplaceFile(newFile, target);
    Notices notices;
    bool result = false, thrown = false, refused = false, unheld = false;
    {
        RegistryLock lock;
        OpenFileRecord* record = findRecord(info);
        if (!record) {
            unheld = true;
        } else if (record->currentUser && record->writer) {
            try {
                closeRecordQuietly(record);
                bool replaced = safeReplaceFile(newFile, target);
                if (replaced) record->writer->flags |= FileFlag::Changed;
                bool reopened = openRecord(record, RegistryMode::ReadShared, newFile.handler);
                record->writer->fp = record->stream.fp;
                if (!reopened) {
                    record->writer->fp = nullptr;
                    notices.dropRecord(record);
                }
                result = replaced && reopened;
            } catch (...) {
                thrown = true;
            }
        } else {
            refused = true;
        }
    }
    if (unheld) return safeReplaceFile(newFile, target);
    notices.send();
    if (thrown) throw GException();
    if (refused) return reportWithPath(newFile.handler, CoreText::RegistryFileOpenElsewhere, target);
    return result;
}

}  // namespace OpenFileRegistry

OpenFileHolder::~OpenFileHolder() {
    OpenFileRegistry::detach(this);
    while (notifying > 0) Sleep(0);
}
