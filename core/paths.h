#pragma once
// Paths: folder macros, the program's folders, normalising, cutting, temporary names, the work
// folder for temporary files and directory listing.
#include "core/gfile.h"
#include "core/gstring.h"

class ErrorHandler;

// Product folder name (default "Ravo") and version text, set once at start-up.
void setProductName(const char* name);
GString productName();
void setVersionText(const char* text);
GString versionText();

// The folders behind the macros, each worked out once ($e, $s, $t, $d, $w, $m); empty on failure.
GString programFolder();
GString systemFolder();
GString tempFolder();
GString dataFolder();
GString windowsFolder();
GString musicFolder();
// The shell folder of a CSIDL code; empty when unknown.
GString specialFolder(int csidl);

// Replaces "$e", "$s", "$t", "$d", "$w", "$m" (when the path holds a "$") and turns "/" into "\".
void expandPathMacros(GString& path);
void pathJoin(GString& path, const char* part);
const char* pathNamePart(const char* text, u32 length);
inline const char* pathNamePart(const GString& s) { return pathNamePart(s.c_str(), s.length); }
bool pathRemoveLastComponent(GString& path);
bool pathStripTrailingSeparator(GString& path);
const char* pathExtensionPtr(const char* path);
inline const char* pathExtension(const GString& path) { return pathExtensionPtr(path.c_str()); }
void pathRemoveExtension(GString& path);
void pathReplaceExtension(GString& path, const char* extension);
void pathSetExtension(GString& path, const char* extension);
void setFolderName(GString& path, const char* name);
// The pattern with its first "%" replaced by the file's bare name (no folder, no extension).
void makeLongFileName(GString& out, const char* filePath, const char* pattern);
// Absolute, long form with backslashes; true only when the path exists.
bool normalizePath(GString& path);
// A drive root, or a folder inside the Windows folder that is not inside the data, music or
// temporary folder.
bool isProtectedFolder(const char* path);

// The process-wide counter of temporary names; each call takes the next number.
u32 nextTempCounter();
// A free name "<prefix>%04d.tmp" in the folder of the path.
void makeTempFileName(const char* path, GString& out, const char* prefix);
void tempConvertName(const char* folder, GString& out);
// True for a name made by the two above: "undo", "cache", "clip", "temp" or "renren", digits and
// ".tmp"; or "temp_convert_" and digits.
bool isProgramTempFileName(const char* name);

// A file object with the content it last read, so that unchanged text is not written again.
struct CachedFile {
    GFile file;
    GString content;

    CachedFile() = default;
    explicit CachedFile(const char* path, ErrorHandler* handler = nullptr);
};
bool readCachedFile(CachedFile& cached);
bool writeFileIfChanged(CachedFile& cached, const char* text, u32 n);

bool readWholeFile(const char* path, GString& out, ErrorHandler* handler = nullptr);
bool readDataFile(const char* name, GString& out);
bool writeDataFile(const char* name, const char* text);
bool ensureDataFolder();

// Lists a directory: entries whose attributes share a bit with `required` and none with
// `excluded`; "." and ".." are never returned.
class DirIterator {
public:
    DirIterator(const char* pattern, u32 required = 0xFFFFFFFF, u32 excluded = 0);
    ~DirIterator();
    DirIterator(const DirIterator&) = delete;
    DirIterator& operator=(const DirIterator&) = delete;

    bool next();
    void close();
    void currentPath(GString& out) const;

    struct Entry {
        u32 attributes;
        u64 creationTime;
        u64 accessTime;
        u64 writeTime;
        u64 size;
        char name[260];
    };
    const Entry& entry() const { return current; }

private:
    void* handle = (void*)-1;  // search handle, -1 when not searching
    bool finished = false;
    u32 required;
    u32 excluded;
    GString pattern;
    Entry current{};
};

// The work folder for temporary files: named by "tempdir.dir" in the data folder, else "$d\temp".
GString workTempFolder();
bool setWorkTempFolder(const char* folder);
bool validateWorkTempFolder(const char* folder);
bool isCurrentWorkTempFolder(const char* folder);
// Removes the plain files of a folder (never of a drive root), ignoring failures.
void emptyFolder(const char* folder);
// Removes the program's own temporary files of a folder; other files stay.
void removeProgramTempFiles(const char* folder);
// Works the folder out again, creates it when missing and removes the program's files from it.
void resetWorkTempFolder();
// Removes the program's files, then the folder when that left it empty.
void removeWorkTempFolder();
