#include "core/paths.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "core/error.h"
#include "core/format.h"

namespace {
std::mutex g_folderLock;
GString g_productName("Ravo");
bool g_productNameSet = false;
GString g_versionText;

struct CachedFolder {
    GString path;
    bool known = false;
};
CachedFolder g_exe, g_system, g_temp, g_data, g_windows, g_music, g_workTemp;

std::atomic<u32> g_tempCounter{0};

bool isSeparator(char c) { return c == '\\' || c == '/'; }


// Works a folder out once under the lock.
template <class F>
GString cached(CachedFolder& folder, F compute) {
    std::lock_guard<std::mutex> hold(g_folderLock);
    if (!folder.known) {
        folder.path = compute();
        folder.known = true;
    }
    return folder.path;
}

GString computeProgramFolder() {
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return GString("");
    GString path(buffer);
    if (!g_productNameSet) {
        GString bare(pathNamePart(path));
        pathRemoveExtension(bare);
        g_productName = bare;
    }
    pathRemoveLastComponent(path);
    pathStripTrailingSeparator(path);
    return path;
}
}  // namespace

void setProductName(const char* name) {
    std::lock_guard<std::mutex> hold(g_folderLock);
    stringAssignText(g_productName, name);
    g_productNameSet = true;
    g_data.known = false;
    g_workTemp.known = false;
}

GString productName() {
    std::lock_guard<std::mutex> hold(g_folderLock);
    return g_productName;
}

void setVersionText(const char* text) {
    std::lock_guard<std::mutex> hold(g_folderLock);
    stringAssignText(g_versionText, text);
}

GString versionText() {
    std::lock_guard<std::mutex> hold(g_folderLock);
    return g_versionText;
}

GString programFolder() { return cached(g_exe, computeProgramFolder); }
GString specialFolder(int code) {
    char buffer[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, code, nullptr, 0, buffer))) return GString("");
    return GString(buffer);
}

GString systemFolder() { return cached(g_system, [] { return specialFolder(0x25); }); }
GString windowsFolder() { return cached(g_windows, [] { return specialFolder(0x24); }); }
GString musicFolder() { return cached(g_music, [] { return specialFolder(13); }); }

GString tempFolder() {
    return cached(g_temp, [] {
        char buffer[MAX_PATH + 1];
        DWORD n = GetTempPathA(sizeof buffer, buffer);
        GString path(n && n < sizeof buffer ? buffer : "");
        pathStripTrailingSeparator(path);
        return path;
    });
}

GString dataFolder() {
    return cached(g_data, [] {
        GString folder = specialFolder(26);
        GString out;
        if (folder.length) stringConstruct(out, folder.c_str(), '\\', g_productName.c_str());
        return out;
    });
}

void expandPathMacros(GString& path) {
    if (path.length && memchr(path.data, '$', path.length)) {
        static const struct {
            const char* macro;
            GString (*folder)();
        } macros[] = {{"$e", programFolder}, {"$s", systemFolder}, {"$t", tempFolder},
                      {"$d", dataFolder},    {"$w", windowsFolder}, {"$m", musicFolder}};
        for (const auto& m : macros)
            if (stringFind(path, m.macro, 0) >= 0) stringReplaceAll(path, m.macro, m.folder().c_str());
    }
    for (u32 i = 0; i < path.length; ++i)
        if (path.data[i] == '/') path.data[i] = '\\';
}

void pathJoin(GString& path, const char* part) {
    if (!part) part = "";
    if (path.last() != '\\' && part[0] != '\\' && part[0] != '/') stringAppendChar(path, '\\');
    stringAppend(path, part);
}

const char* pathNamePart(const char* text, u32 length) {
    u32 end = length;
    while (end > 0 && isSeparator(text[end - 1])) --end;
    u32 start = end;
    while (start > 0 && !isSeparator(text[start - 1]) && text[start - 1] != ':') --start;
    return text + start;
}

bool pathRemoveLastComponent(GString& path) {
    if (!path.length) return false;
    const char* part = pathNamePart(path);
    u32 start = (u32)(part - path.data);
    u32 end = path.length;
    while (end > start && isSeparator(path.data[end - 1])) --end;
    if (end == start) return false;
    stringTruncate(path, path.length - start);
    return true;
}

bool pathStripTrailingSeparator(GString& path) {
    if (path.length < 2 || !isSeparator(path.last())) return false;
    char before = path.data[path.length - 2];
    if (before == ':' || isSeparator(before)) return false;
    stringTruncate(path, 1);
    return true;
}

const char* pathExtensionPtr(const char* path) {
    if (!path) return "";
    const char* dot = nullptr;
    const char* p = path;
    for (; *p; ++p) {
        if (*p == '.') dot = p;
        else if (isSeparator(*p) || *p == ':') dot = nullptr;
    }
    return dot ? dot + 1 : p;
}

void pathRemoveExtension(GString& path) {
    const char* ext = pathExtensionPtr(path.c_str());
    if (!path.data || ext == path.data + path.length) return;
    stringTruncate(path, (u32)(path.data + path.length - ext) + 1);
}

void pathSetExtension(GString& path, const char* extension) {
    if (!extension) extension = "";
    bool pathDot = path.last() == '.', extDot = extension[0] == '.';
    if (pathDot && extDot) ++extension;
    else if (!pathDot && !extDot) stringAppendChar(path, '.');
    stringAppend(path, extension);
}

void pathReplaceExtension(GString& path, const char* extension) {
    pathRemoveExtension(path);
    pathSetExtension(path, extension);
}

void setFolderName(GString& path, const char* name) {
    pathRemoveLastComponent(path);
    stringAppend(path, name);
}

void makeLongFileName(GString& out, const char* filePath, const char* pattern) {
    const char* percent = pattern ? strchr(pattern, '%') : nullptr;
    if (!percent) {
        stringAssignText(out, pattern);
        return;
    }
    GString bare(pathNamePart(filePath, (u32)strlen(filePath)));
    pathRemoveExtension(bare);
    stringAssign(out, pattern, (u32)(percent - pattern));
    stringAppend(out, bare.c_str());
    stringAppend(out, percent + 1);
}

static bool longForm(const char* path, GString& out) {
    char buffer[MAX_PATH];
    DWORD n = GetLongPathNameA(path, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return false;
    stringAssignText(out, buffer);
    return true;
}

bool normalizePath(GString& path) {
    if (!path.length) return false;
    pathStripTrailingSeparator(path);
    if (path.length == 2 && path.data[1] == ':') stringAppendChar(path, '\\');
    if (path.length >= 2 && path.data[1] == ':') path.data[0] = toUpperChar(path.data[0]);
    u32 begin = 0, end = path.length;
    while (begin < end && (path.data[begin] == ' ' || path.data[begin] == '"')) ++begin;
    while (end > begin && (path.data[end - 1] == ' ' || path.data[end - 1] == '"')) --end;
    GString trimmed;
    stringAssign(trimmed, path.data + begin, end - begin);

    char full[MAX_PATH];
    DWORD n = trimmed.length ? GetFullPathNameA(trimmed.c_str(), sizeof full, full, nullptr) : 0;
    if (n == 0 || n >= sizeof full) {
        stringClear(path);
        return false;
    }
    if (longForm(full, path)) return true;
    const char* last = strrchr(full, '\\');
    if (!last) {
        stringAssignText(path, full);
        return false;
    }
    GString parent;
    stringAssign(parent, full, (u32)(last - full) + (last - full <= 2 ? 1 : 0));
    GString parentLong;
    if (!longForm(parent.c_str(), parentLong)) {
        stringClear(path);
        return false;
    }
    if (parentLong.last() != '\\') stringAppendChar(parentLong, '\\');
    stringAppend(parentLong, last + 1);
    stringMove(path, parentLong);
    return false;
}

static bool startsWithFolder(const GString& path, const GString& folder) {
    return folder.length && stringMatchesAt(path, folder.c_str(), (int)folder.length, 0);
}

bool isProtectedFolder(const char* folder) {
    GString path(folder);
    normalizePath(path);
    if (!path.length || !pathIsDirectory(path.c_str())) return false;
    if (path.length >= 2 && path.last() == '\\') {
        char before = path.data[path.length - 2];
        if (before == ':' || isSeparator(before)) return true;
    }
    if (!startsWithFolder(path, windowsFolder())) return false;
    return !startsWithFolder(path, dataFolder()) && !startsWithFolder(path, musicFolder()) &&
           !startsWithFolder(path, tempFolder());
}

// ---- temporary names ----

u32 nextTempCounter() { return g_tempCounter++; }

static void makeFreeName(const char* folderPath, GString& out, const char* format, const char* prefix) {
    for (;;) {
        stringAssignText(out, folderPath);
        char name[64];
        snprintf(name, sizeof name, format, prefix, nextTempCounter());
        if (out.length) pathJoin(out, name);
        else stringAssignText(out, name);
        if (!pathExists(out.c_str())) return;
    }
}

void makeTempFileName(const char* path, GString& out, const char* prefix) {
    GString folder(path);
    if (!pathRemoveLastComponent(folder)) stringClear(folder);
    makeFreeName(folder.c_str(), out, "%s%04u.tmp", prefix);
}

void tempConvertName(const char* folder, GString& out) { makeFreeName(folder, out, "%stemp_convert_%u", ""); }

static bool digitsFrom(const char* text, const char* end) {
    if (text == end) return false;
    for (; text != end; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

bool isProgramTempFileName(const char* name) {
    if (!name) return false;
    const char* end = name + strlen(name);
    static const char* const kPrefix = "temp_convert_";
    if (strncmp(name, kPrefix, strlen(kPrefix)) == 0) return digitsFrom(name + strlen(kPrefix), end);
    if (end - name < 4 || strcmp(end - 4, ".tmp") != 0) return false;
    for (const char* prefix : {"undo", "cache", "clip", "temp", "renren"})
        if (strncmp(name, prefix, strlen(prefix)) == 0) return digitsFrom(name + strlen(prefix), end - 4);
    return false;
}

void removeProgramTempFiles(const char* folder) {
    if (!folder || !*folder) return;
    GString pattern(folder);
    pathJoin(pattern, "*");
    DirIterator it(pattern.c_str(), 0xFFFFFFFF, FILE_ATTRIBUTE_DIRECTORY);
    GString entry;
    while (it.next()) {
        if (!isProgramTempFileName(it.entry().name)) continue;
        it.currentPath(entry);
        deleteFile(entry.c_str());
    }
}

// ---- whole files ----

CachedFile::CachedFile(const char* path, ErrorHandler* handler) : file(handler) { assignHeapText(&file.name, path); }

bool readWholeFile(const char* path, GString& out, ErrorHandler* handler) {
    GFile f(handler);
    if (!fileOpen(f, path, FileMode::Read)) return false;
    i64 size = fileSize(f);
    if (size < 0 || size >= 0x7FFFFFFF) return false;
    GString content;
    char* bytes = stringGrow(content, (u32)size + 1);
    content.length = (u32)size;
    if (!fileRead(f, bytes, (u32)size)) return false;
    bytes[size] = 0;
    stringMove(out, content);
    return fileClose(f);
}

bool readCachedFile(CachedFile& cached) {
    GString path(cached.file.name);
    return readWholeFile(path.c_str(), cached.content, cached.file.handler);
}

bool writeFileIfChanged(CachedFile& cached, const char* text, u32 n) {
    if (n == cached.content.length && (n == 0 || memcmp(cached.content.data, text, n) == 0)) return true;
    fileClose(cached.file);
    GFile fresh(cached.file.handler);
    if (!fileOpen(fresh, cached.file.name, FileMode::WriteReplace) || !fileWrite(fresh, text, n)) return false;
    if (!fileCommit(fresh, cached.file.name)) return false;
    stringAssign(cached.content, text, n);
    return true;
}

static GString dataFilePath(const char* name) {
    GString path = dataFolder();
    pathJoin(path, name);
    return path;
}

bool readDataFile(const char* name, GString& out) { return readWholeFile(dataFilePath(name).c_str(), out); }

bool writeDataFile(const char* name, const char* text) {
    CachedFile fresh(dataFilePath(name).c_str());
    return writeFileIfChanged(fresh, text, text ? (u32)strlen(text) : 0);
}

bool ensureDataFolder() { return createDirectory(dataFolder().c_str()); }

// ---- directory listing ----

DirIterator::DirIterator(const char* pattern, u32 required, u32 excluded)
    : required(required), excluded(excluded), pattern(pattern) {}

DirIterator::~DirIterator() { close(); }

static u64 toU64(const FILETIME& t) { return ((u64)t.dwHighDateTime << 32) | t.dwLowDateTime; }

bool DirIterator::next() {
    WIN32_FIND_DATAA data;
    for (;;) {
        if (finished) return false;
        if (handle == INVALID_HANDLE_VALUE) {
            handle = FindFirstFileA(pattern.c_str(), &data);
            if (handle == INVALID_HANDLE_VALUE) {
                finished = true;
                return false;
            }
        } else if (!FindNextFileA(handle, &data)) {
            close();
            finished = true;
            return false;
        }
        if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, "..")) continue;
        if (!(data.dwFileAttributes & required) || (data.dwFileAttributes & excluded)) continue;
        current.attributes = data.dwFileAttributes;
        current.creationTime = toU64(data.ftCreationTime);
        current.accessTime = toU64(data.ftLastAccessTime);
        current.writeTime = toU64(data.ftLastWriteTime);
        current.size = ((u64)data.nFileSizeHigh << 32) | data.nFileSizeLow;
        memcpy(current.name, data.cFileName, sizeof current.name);
        return true;
    }
}

void DirIterator::close() {
    if (handle != INVALID_HANDLE_VALUE) {
        FindClose(handle);
        handle = INVALID_HANDLE_VALUE;
    }
}

void DirIterator::currentPath(GString& out) const {
    out = pattern;
    if (!pathRemoveLastComponent(out)) stringClear(out);
    pathStripTrailingSeparator(out);
    stringConstruct(out, out.c_str(), '\\', current.name);
}

// ---- work folder for temporary files ----

GString workTempFolder() {
    {
        std::lock_guard<std::mutex> hold(g_folderLock);
        if (g_workTemp.known) return g_workTemp.path;
    }
    GString folder;
    if (!readDataFile("tempdir.dir", folder) || !folder.length) {
        GString data = dataFolder();
        stringConstruct(folder, data.c_str(), '\\', "temp");
    }
    std::lock_guard<std::mutex> hold(g_folderLock);
    if (!g_workTemp.known) {
        g_workTemp.path = folder;
        g_workTemp.known = true;
    }
    return g_workTemp.path;
}

bool setWorkTempFolder(const char* folder) {
    GString path(folder);
    normalizePath(path);
    ensureDataFolder();
    return writeDataFile("tempdir.dir", path.c_str());
}

bool isCurrentWorkTempFolder(const char* folder) {
    GString path(folder);
    normalizePath(path);
    GString current = workTempFolder();
    normalizePath(current);
    return stringCompare(path, current.c_str()) == 0;
}

bool validateWorkTempFolder(const char* folder) {
    GString path(folder);
    normalizePath(path);
    if (!path.length) return false;
    if (isCurrentWorkTempFolder(path.c_str())) return true;
    GString temp = tempFolder();
    normalizePath(temp);
    if (stringEquals(path, temp.c_str())) return false;
    if (pathIsDirectory(path.c_str())) return !isProtectedFolder(path.c_str());
    if (pathExists(path.c_str())) return false;
    GString parent(path);
    if (!pathRemoveLastComponent(parent)) return false;
    pathStripTrailingSeparator(parent);
    if (!pathIsDirectory(parent.c_str()) || isProtectedFolder(parent.c_str())) return false;
    return createDirectory(path.c_str());
}

void emptyFolder(const char* folder) {
    if (!folder || strlen(folder) <= 3) return;
    GString pattern(folder);
    pathJoin(pattern, "*");
    DirIterator it(pattern.c_str(), 0xFFFFFFFF, 0x17);
    GString entry;
    while (it.next()) {
        it.currentPath(entry);
        deleteFile(entry.c_str());
    }
}

void resetWorkTempFolder() {
    {
        std::lock_guard<std::mutex> hold(g_folderLock);
        g_workTemp.known = false;
    }
    GString folder = workTempFolder();
    ensureDataFolder();
    createDirectory(folder.c_str());
    removeProgramTempFiles(folder.c_str());
}

void removeWorkTempFolder() {
    GString folder = workTempFolder();
    removeProgramTempFiles(folder.c_str());
    // Only an empty folder goes: the user may have pointed it at a folder of their own files.
    removeDirectory(folder.c_str());
}
