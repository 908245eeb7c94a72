#include "core/system.h"

#include <windows.h>

#include <memory>

#include "core/error.h"
#include "core/progress.h"
#include "core/texts.h"

namespace {
bool formatMessage(GString& out, DWORD source, const void* module, u32 code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | source, module, code,
                             MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT), (LPSTR)&text, 0, nullptr);
    if (!n || !text) return false;
    stringAssign(out, text, n);
    LocalFree(text);
    stringTrim(out);
    return true;
}

// Closes a file handle when it goes.
struct FileHandle {
    HANDLE h;
    ~FileHandle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

// Reports the bytes copied so far; true when the job is cancelled. The progress object tells
// nobody itself: the copy's end reports a cancel once.
bool reportCopied(JobProgress* progress, u64 done) {
    struct ListenerAside {
        JobProgress* progress;
        ErrorHandler* listener;
        ~ListenerAside() { progress->listener = listener; }
    } aside{progress, progress->listener};
    progress->listener = nullptr;
    return progress->report(done, nullptr);
}

// The target being written: closed when it goes and, unless the copy finished, deleted (also when
// the progress object throws).
struct PartialTarget {
    HANDLE h;
    const char* name;
    bool finished = false;
    ~PartialTarget() {
        CloseHandle(h);
        if (!finished) DeleteFileA(name);
    }
};

// The copy in chunks, reporting after each; 0 or the platform's error code (ERROR_REQUEST_ABORTED
// when cancelled). A copy that did not finish leaves no target.
DWORD copyInChunks(const char* from, const char* to, JobProgress* progress) {
    FileHandle in{CreateFileA(from, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr)};
    if (in.h == INVALID_HANDLE_VALUE) return GetLastError();
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(in.h, &info)) return GetLastError();
    HANDLE created = CreateFileA(to, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 info.dwFileAttributes & ~(DWORD)FILE_ATTRIBUTE_READONLY, nullptr);
    if (created == INVALID_HANDLE_VALUE) return GetLastError();
    PartialTarget out{created, to};
    const DWORD chunk = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[chunk]);
    u64 done = 0;
    if (reportCopied(progress, 0)) return ERROR_REQUEST_ABORTED;
    for (;;) {
        DWORD got = 0, written = 0;
        if (!ReadFile(in.h, buffer.get(), chunk, &got, nullptr)) return GetLastError();
        if (!got) break;
        if (!WriteFile(out.h, buffer.get(), got, &written, nullptr) || written != got)
            return GetLastError() ? GetLastError() : ERROR_DISK_FULL;
        done += got;
        if (reportCopied(progress, done)) return ERROR_REQUEST_ABORTED;
    }
    SetFileTime(out.h, &info.ftCreationTime, &info.ftLastAccessTime, &info.ftLastWriteTime);
    out.finished = true;
    return 0;
}
}  // namespace

GString systemErrorText(u32 code, const char* moduleFileName) {
    GString text;
    if (formatMessage(text, FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code)) return text;
    if (moduleFileName && *moduleFileName) {
        HMODULE module = GetModuleHandleA(moduleFileName);
        if (module && formatMessage(text, FORMAT_MESSAGE_FROM_HMODULE, module, code)) return text;
    }
    stringFormat(text, coreText(CoreText::SystemErrorCode), (int)code);
    stringTrim(text);
    return text;
}

bool copyFileWithProgress(const char* from, const char* to, JobProgress* progress, ErrorHandler* handler) {
    DWORD code = 0;
    if (!progress)
        code = CopyFileA(from, to, FALSE) ? 0 : GetLastError();
    else
        code = copyInChunks(from, to, progress);
    if (!code) return true;
    if (code == ERROR_REQUEST_ABORTED && progress) {
        ErrorHandler* listener = progress->listener;
        return listener ? listener->report(coreText(CoreText::OperationCanceled), 0) : false;
    }
    if (!handler) return false;
    GString text = systemErrorText(code);
    return handler->report(text.c_str(), (int)code);
}
