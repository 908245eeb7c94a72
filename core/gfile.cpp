#include "core/gfile.h"

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include "core/error.h"
#include "core/exceptions.h"
#include "core/paths.h"
#include "core/progress.h"
#include "core/texts.h"

FileReplaceHook fileReplaceHook = safeReplaceFile;

static const u32 kCopyChunk = 16384;

GFile::~GFile() {
    fileCloseQuietly(*this);
    delete[] name;
}

bool reportFileError(GFile& f, const char* message, const char* detail, int code) {
    if (f.fp) clearerr(f.fp);
    errno = 0;
    f.flags |= FileFlag::Error;
    if (f.flags & FileFlag::Quiet) return false;
    return reportToHandler(f.handler, message, detail, f.name, code);
}

static bool fail(GFile& f, CoreText message, int code = 0) { return reportFileError(f, coreText(message), nullptr, code); }

// Opens the descriptor and its stream; 0 on success, else the error number (nothing reported).
static int openStream(GFile& f, bool createNew) {
    u32 asked = f.flags;
    f.flags &= 0x11C3;
    int oflag = _O_BINARY;
    switch (f.flags & 3) {
    case 1: oflag |= _O_RDONLY; break;
    case 2: oflag |= _O_WRONLY; break;
    default: oflag |= _O_RDWR; break;
    }
    if (asked & FileFlag::Truncate) oflag |= _O_TRUNC;
    if (asked & FileFlag::Create) oflag |= _O_CREAT;
    if (createNew) oflag |= _O_CREAT | _O_EXCL;
    int share = _SH_DENYNO;
    switch (f.flags & (FileFlag::DenyRead | FileFlag::DenyWrite)) {
    case FileFlag::DenyRead: share = _SH_DENYRD; break;
    case FileFlag::DenyWrite: share = _SH_DENYWR; break;
    case FileFlag::DenyRead | FileFlag::DenyWrite: share = _SH_DENYRW; break;
    }
    errno = 0;
    int fd = _sopen(f.name, oflag, share, _S_IREAD | _S_IWRITE);
    if (fd < 0) return errno ? errno : EACCES;
    static const char* const modes[] = {"rb", "rb", "wb+", "rb+"};
    f.fp = _fdopen(fd, modes[f.flags & 3]);
    if (!f.fp) {
        int e = errno ? errno : EMFILE;
        _close(fd);
        return e;
    }
    if (asked & FileFlag::Truncate) f.flags |= FileFlag::Changed;
    return 0;
}

static bool checkBeforeOpen(GFile& f) {
    if (f.fp) return fail(f, CoreText::FileAlreadyOpened);
    if (!(f.flags & 3)) return fail(f, CoreText::FileModeNotReadWrite);
    if (!f.name || !*f.name) return fail(f, CoreText::FileNameNotSet);
    return true;
}

bool fileOpenDescriptor(GFile& f) {
    if (!checkBeforeOpen(f)) return false;
    int e = openStream(f, false);
    return e ? fail(f, CoreText::CannotOpenFile, e) : true;
}

bool fileOpen(GFile& f, const char* name, u32 flags) {
    if (f.fp) return fail(f, CoreText::FileAlreadyOpened);
    f.flags = flags;
    if (!(flags & FileFlag::TempName)) {
        assignHeapText(&f.name, name);
        return fileOpenDescriptor(f);
    }
    // A fresh temporary name beside the given one, created new so that no existing file is touched.
    for (int attempt = 0;; ++attempt) {
        GString temp;
        makeTempFileName(name, temp, "temp");
        assignHeapText(&f.name, temp.c_str());
        f.flags = flags;
        if (!checkBeforeOpen(f)) return false;
        int e = openStream(f, true);
        if (!e) return true;
        if (e != EEXIST || attempt >= 100) return fail(f, CoreText::CannotOpenFile, e);
    }
}

bool fileClose(GFile& f) {
    f.flags &= ~(u32)(FileFlag::Eof | FileFlag::Truncate | FileFlag::Create | FileFlag::LastRead | FileFlag::LastWrite);
    bool ok = true;
    if (f.fp) {
        errno = 0;
        int r = fclose(f.fp);
        f.fp = nullptr;
        if (r != 0) {
            fail(f, CoreText::CannotCloseFile, errno);
            // A delete-on-close file whose close failed is not deleted.
            return false;
        }
    }
    if ((f.flags & FileFlag::DeleteOnClose) && !(f.flags & FileFlag::Deleted) && f.name) {
        errno = 0;
        if (remove(f.name) != 0 && errno != ENOENT) return fail(f, CoreText::CannotDeleteFile, errno);
        f.flags |= FileFlag::Deleted;
    }
    return ok;
}

bool fileCloseQuietly(GFile& f) {
    u32 quiet = f.flags & FileFlag::Quiet;
    f.flags |= FileFlag::Quiet;
    bool ok = fileClose(f);
    f.flags = (f.flags & ~(u32)FileFlag::Quiet) | quiet;
    return ok;
}

static bool prepareRead(GFile& f) {
    if (!f.fp) return fail(f, CoreText::FileNotOpened);
    if (!(f.flags & FileFlag::Read)) return fail(f, CoreText::FileNotOpenedForReading);
    f.flags &= ~(u32)FileFlag::Eof;
    if (f.flags & FileFlag::LastWrite) {
        if (_fseeki64(f.fp, 0, SEEK_CUR) != 0) return fail(f, CoreText::CannotChangeFilePosition, errno);
        f.flags &= ~(u32)FileFlag::LastWrite;
    }
    f.flags |= FileFlag::LastRead;
    return true;
}

static bool prepareWrite(GFile& f) {
    if (!f.fp) return fail(f, CoreText::FileNotOpened);
    if (!(f.flags & FileFlag::Write)) return fail(f, CoreText::FileNotOpenedForWriting);
    if (f.flags & FileFlag::LastRead) {
        if (_fseeki64(f.fp, 0, SEEK_CUR) != 0) return fail(f, CoreText::CannotChangeFilePosition, errno);
        f.flags &= ~(u32)FileFlag::LastRead;
    }
    f.flags |= FileFlag::LastWrite | FileFlag::Changed;
    return true;
}

static std::atomic<u64> bytesRead{0};

u64 fileReadTotal() { return bytesRead; }

bool fileRead(GFile& f, void* buffer, u32 n) {
    if (!f.fp) return fail(f, CoreText::FileNotOpened);
    if (!(f.flags & FileFlag::Read)) return fail(f, CoreText::FileNotOpenedForReading);
    f.flags &= ~(u32)FileFlag::Eof;
    if (n == 0) return true;
    if (!prepareRead(f)) return false;
    errno = 0;
    size_t got = fread(buffer, 1, n, f.fp);
    bytesRead += got;
    if (got == n) return true;
    int e = errno;
    if (e == 0) {
        _fseeki64(f.fp, 0, SEEK_END);
        f.flags |= FileFlag::Eof;
        return fail(f, CoreText::CannotReadFile, -1);
    }
    return fail(f, CoreText::CannotReadFile, e);
}

bool fileWrite(GFile& f, const void* buffer, u32 n) {
    if (!f.fp) return fail(f, CoreText::FileNotOpened);
    if (!(f.flags & FileFlag::Write)) return fail(f, CoreText::FileNotOpenedForWriting);
    if (n == 0) return true;
    if (!prepareWrite(f)) return false;
    errno = 0;
    if (fwrite(buffer, 1, n, f.fp) == n) return true;
    int e = errno;
    return e ? fail(f, CoreText::CannotWriteFile, e) : fail(f, CoreText::DiskFull);
}

bool fileWriteText(GFile& f, const char* text) { return fileWrite(f, text, text ? (u32)strlen(text) : 0); }

bool fileSeek(GFile& f, i64 position, int origin) {
    if (!f.fp) return fail(f, CoreText::FileNotOpened);
    f.flags &= ~(u32)FileFlag::Eof;
    errno = 0;
    if (_fseeki64(f.fp, position, origin) != 0) return fail(f, CoreText::CannotChangeFilePosition, errno);
    return true;
}

bool fileTell(GFile& f, i64* position) {
    if (!f.fp) return fail(f, CoreText::FileNotOpened);
    errno = 0;
    i64 p = _ftelli64(f.fp);
    if (p < 0) return fail(f, CoreText::CannotGetFilePosition, errno);
    *position = p;
    return true;
}

i64 fileSize(GFile& f) {
    i64 here, end;
    if (!fileTell(f, &here) || !fileSeek(f, 0, SEEK_END) || !fileTell(f, &end) || !fileSeek(f, here, SEEK_SET))
        return -1;
    return end;
}

bool fileFlush(GFile& f) {
    if (!f.fp) return fail(f, CoreText::FileNotOpened);
    f.flags |= FileFlag::LastRead | FileFlag::LastWrite;
    errno = 0;
    if (fflush(f.fp) != 0) return fail(f, CoreText::CannotFlushFile, errno);
    return true;
}

bool fileRewind(GFile& f) { return fileSeek(f, 0, SEEK_SET); }

bool fileWriteAtPosition(GFile& f, i64 position, const void* buffer, u32 n) {
    return fileSeek(f, position, SEEK_SET) && fileWrite(f, buffer, n);
}

bool fileWriteSpaces(GFile& f, u32 n) {
    for (u32 i = 0; i < n; ++i)
        if (!fileWrite(f, " ", 1)) return false;
    return true;
}

bool fileReadLine(GFile& f, char* buffer, u32 size) {
    if (!prepareRead(f)) return false;
    if (size <= 1) return fail(f, CoreText::BufferTooSmall);
    u32 n = 0;
    bool any = false;
    for (;;) {
        int c = getc(f.fp);
        if (c == EOF) {
            if (ferror(f.fp)) return fail(f, CoreText::CannotReadFile, errno);
            f.flags |= FileFlag::Eof;
            buffer[n] = 0;
            return any;
        }
        any = true;
        if (c == '\n') break;
        if (c == '\r') {
            int next = getc(f.fp);
            if (next != '\n' && next != EOF) ungetc(next, f.fp);
            break;
        }
        if (n + 1 >= size) {
            ungetc(c, f.fp);  // the rest of the line stays readable
            buffer[n] = 0;
            return fail(f, CoreText::TooLongLine);
        }
        buffer[n++] = (char)c;
    }
    buffer[n] = 0;
    return true;
}

// Copies count bytes between positioned files; the first chunk ends on a 16 KiB boundary of
// alignPosition so that later chunks are aligned. Within one file object (from and to given) every
// chunk seeks to its own place, since reads and writes share the one stream position.
static bool copyChunks(GFile& source, GFile& target, i64 count, i64 alignPosition, JobProgress* progress,
                       i64 from = -1, i64 to = -1) {
    char buffer[kCopyChunk];
    const bool sameFile = &source == &target && from >= 0 && to >= 0;
    u64 done = 0;
    u32 chunk = kCopyChunk - (u32)((u64)alignPosition % kCopyChunk);
    while (count > 0) {
        if ((i64)chunk > count) chunk = (u32)count;
        if (sameFile && !fileSeek(source, from + (i64)done, SEEK_SET)) return false;
        if (!fileRead(source, buffer, chunk)) return false;
        if (sameFile && !fileSeek(target, to + (i64)done, SEEK_SET)) return false;
        if (!fileWrite(target, buffer, chunk)) return false;
        count -= chunk;
        done += chunk;
        if (progress && progress->report(done, nullptr)) return false;
        chunk = kCopyChunk;
    }
    return true;
}

bool fileCopyRange(GFile& source, i64 from, GFile& target, i64 to, i64 count, JobProgress* progress) {
    if (!fileSeek(source, from, SEEK_SET) || !fileSeek(target, to, SEEK_SET)) return false;
    return copyChunks(source, target, count, to, progress, from, to);
}

bool fileCopyRangeSourceAligned(GFile& source, i64 from, GFile& target, i64 to, i64 count, JobProgress* progress) {
    if (!fileSeek(source, from, SEEK_SET) || !fileSeek(target, to, SEEK_SET)) return false;
    return copyChunks(source, target, count, from, progress, from, to);
}

bool fileCopyRange(GFile& source, GFile& target, i64 count, JobProgress* progress) {
    i64 to;
    if (!fileTell(target, &to)) return false;
    return copyChunks(source, target, count, to, progress);
}

bool fileCopyRange(GFile& source, i64 from, GFile& target, i64 count, JobProgress* progress) {
    i64 to;
    if (!fileSeek(source, from, SEEK_SET) || !fileTell(target, &to)) return false;
    return copyChunks(source, target, count, to, progress);
}

bool fileCopyRest(GFile& source, GFile& target, JobProgress* progress) {
    i64 from, to, size = fileSize(source);
    if (size < 0 || !fileTell(source, &from) || !fileTell(target, &to)) return false;
    return copyChunks(source, target, size - from, to, progress);
}

bool fileFillZero(GFile& f, i64 count, JobProgress* progress) {
    static const char zeros[kCopyChunk] = {};
    u64 done = 0;
    while (count > 0) {
        u32 chunk = count < (i64)kCopyChunk ? (u32)count : kCopyChunk;
        if (!fileWrite(f, zeros, chunk)) return false;
        count -= chunk;
        done += chunk;
        if (progress && progress->report(done, nullptr)) return false;
    }
    return true;
}

// ---- file-system helpers ----

static bool reportPath(ErrorHandler* handler, CoreText message, const char* name, int code) {
    errno = 0;
    return reportToHandler(handler, coreText(message), nullptr, name, code);
}

bool deleteFile(const char* name, ErrorHandler* handler) {
    errno = 0;
    if (remove(name) == 0 || errno == ENOENT) return true;
    return reportPath(handler, CoreText::CannotDeleteFile, name, errno);
}

bool moveFile(const char* from, const char* to, ErrorHandler* handler) {
    errno = 0;
    if (rename(from, to) == 0) return true;
    return reportPath(handler, CoreText::CannotRenameFile, from, errno);
}

bool createDirectory(const char* name, ErrorHandler* handler) {
    if (pathIsDirectory(name)) return true;
    errno = 0;
    if (_mkdir(name) == 0) return true;
    int e = errno;
    if (pathIsDirectory(name)) return true;
    return reportPath(handler, CoreText::CannotCreateDirectory, name, e);
}

bool removeDirectory(const char* name, ErrorHandler* handler) {
    errno = 0;
    if (_rmdir(name) == 0) return true;
    return reportPath(handler, CoreText::CannotDeleteDirectory, name, errno);
}

static u64 fileTime(const FILETIME& t) { return ((u64)t.dwHighDateTime << 32) | t.dwLowDateTime; }

bool fileInfo(const char* name, FileInfo* out, ErrorHandler* handler) {
    HANDLE h = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info;
    bool ok = h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!ok) return reportPath(handler, CoreText::CannotFindFile, name, 0);
    out->volumeSerial = info.dwVolumeSerialNumber;
    out->indexHigh = info.nFileIndexHigh;
    out->indexLow = info.nFileIndexLow;
    out->attributes = info.dwFileAttributes;
    out->size = ((u64)info.nFileSizeHigh << 32) | info.nFileSizeLow;
    out->creationTime = fileTime(info.ftCreationTime);
    out->accessTime = fileTime(info.ftLastAccessTime);
    out->writeTime = fileTime(info.ftLastWriteTime);
    return true;
}

static DWORD attributesOf(const char* name) { return name && *name ? GetFileAttributesA(name) : INVALID_FILE_ATTRIBUTES; }

bool pathExists(const char* name) { return attributesOf(name) != INVALID_FILE_ATTRIBUTES; }

bool pathIsFile(const char* name) {
    DWORD a = attributesOf(name);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool pathIsDirectory(const char* name) {
    DWORD a = attributesOf(name);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

i64 fileSizeByName(const char* name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!name || !GetFileAttributesExA(name, GetFileExInfoStandard, &data)) return -1;
    return (i64)(((u64)data.nFileSizeHigh << 32) | data.nFileSizeLow);
}

// ---- safe replacement ----

namespace {
// Holds the first failure reported to it, composed, so that it can be reported once the files are
// back in place.
class FirstFailure : public ErrorHandler {
public:
    bool report(const char* message, int error) override {
        if (!held) {
            held = true;
            stringAssignText(text, message);
            code = error;
        }
        return false;
    }

    bool held = false;
    GString text;
    int code = 0;
};

// Closes the file, its failures going to another handler.
bool closeReportingTo(GFile& f, ErrorHandler* handler) {
    ErrorHandler* own = f.handler;
    f.handler = handler;
    bool ok = fileClose(f);
    f.handler = own;
    return ok;
}
}  // namespace

bool safeReplaceFile(GFile& newFile, const char* target) {
    // Every step reports to `failure` instead of the file's handler: a handler that throws must not
    // cut the rollback short. The first failure is reported at the end, once the files are in place.
    FirstFailure failure;
    const bool temporary = (newFile.flags & FileFlag::DeleteOnClose) && !(newFile.flags & FileFlag::Deleted);
    GString backup;
    bool movedAway = false, renamed = false, ok = true;
    if (pathExists(target)) {
        makeTempFileName(target, backup, "renren");
        ok = movedAway = moveFile(target, backup.c_str(), &failure);
    }
    if (ok && newFile.fp) {
        newFile.flags &= ~(u32)FileFlag::DeleteOnClose;  // the closing must keep the file
        ok = closeReportingTo(newFile, &failure);
    }
    if (ok) ok = renamed = moveFile(newFile.name, target, &failure);
    if (ok && movedAway) ok = deleteFile(backup.c_str(), &failure);
    if (ok) {
        newFile.flags &= ~(u32)FileFlag::DeleteOnClose;  // nothing is left under the temporary name
        return true;
    }

    // Roll back in reverse, silently.
    newFile.flags |= FileFlag::Error;
    bool targetFree = !renamed || moveFile(target, newFile.name);
    bool oldBack = !movedAway || (targetFree && moveFile(backup.c_str(), target));
    if (oldBack && temporary && !newFile.fp) {  // open still only when the target stayed where it was
        if (deleteFile(newFile.name)) newFile.flags |= FileFlag::Deleted;
        newFile.flags |= FileFlag::DeleteOnClose;
    } else if (!oldBack) {
        // The old file stays under its temporary name: rather the new file at the target than none,
        // and kept in any case.
        if (renamed && targetFree) moveFile(newFile.name, target);
        newFile.flags &= ~(u32)FileFlag::DeleteOnClose;
    }
    if (failure.held && newFile.handler && !(newFile.flags & FileFlag::Quiet))
        newFile.handler->report(failure.text.c_str(), failure.code);
    return false;
}

bool fileCommit(GFile& newFile, const char* target) {
    // A file whose writing failed never replaces the target.
    if (newFile.failed()) return false;
    // Closed first, its delete mark held back so that the closing keeps it; the mark is set again
    // for the replacement, which clears it once the file has taken the target's place. A file that
    // does not take it is deleted by its next close.
    const u32 mark = newFile.flags & FileFlag::DeleteOnClose;
    newFile.flags &= ~mark;
    try {
        bool closed = fileClose(newFile);
        newFile.flags |= mark;
        return closed && !newFile.failed() && fileReplaceHook(newFile, target);
    } catch (const GException&) {
        newFile.flags |= mark;
        return false;
    }
}
