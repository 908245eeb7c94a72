#pragma once
// InstallRecord: what an installer copy carries behind the executable image (product texts,
// shortcut names, sizes), and the readers and writers of the record, the member index and the
// 16-byte footer. The record owns its texts; whoever makes a record deletes it.
#include "core/arrays.h"
#include "core/bag.h"
#include "core/gfile.h"
#include "core/gstring.h"

class ErrorHandler;

struct InstallRecord {
    GString displayName;
    GString publisher;
    GString folderName;
    GString uninstallKeyName;
    GString reservedText;
    GString startMenuFolder;
    GString runFileName;
    GString desktopShortcut;
    GString exeName;
    GString licenseMember;
    GString logoMember;
    GString buildFolder;
    StringList shortcutNames;  // heap texts
    u64 imageSize = 0;         // also where the members begin
    u64 payloadSize = 0;       // 0 in an installed copy
    u64 extraSize = 0;
    // Not stored: the file offset the record was read from, the end of the members.
    u64 recordOffset = 0;

    InstallRecord() = default;
    InstallRecord(const InstallRecord& other);
    InstallRecord& operator=(const InstallRecord& other);
    ~InstallRecord();

    // Empties the twelve texts.
    void clear();
    static const u32 textCount = 12;
    GString& text(u32 i) { return this->*textFields[i]; }
    const GString& text(u32 i) const { return this->*textFields[i]; }

private:
    static GString InstallRecord::* const textFields[textCount];
};

namespace InstallFooter {
const u32 size = 16;
const char marker[5] = "I#ST";
const u32 recordVersion = 2;
}

extern const char* const kInstallerTooSmall;     // "Specified file is too small to be installer."
extern const char* const kNoInstallationData;    // "Specified file does not contain installation data."
extern const char* const kBadInstallerVersion;   // "Bad version of installer."

// Reads the footer and, when asked, the record and the member index (u32 M, M bytes). A copy
// whose footer follows the record body leaves the index empty. Every length and offset is checked
// against the file first. False after a report to the handler; a short body throws GBagException.
bool readInstallRecord(const char* path, ErrorHandler* handler, InstallRecord* record, GBag* index);
// True when the file has a footer with the marker; throws GException when it cannot be read.
bool hasInstallRecord(const char* path);
// Reads u32 version, u32 L and the body at the file's position; `limit` is the offset the body
// must end before. False after a report to the file's handler.
bool readInstallRecordBody(GFile& file, InstallRecord& record, u64 limit = ~(u64)0);
// Writes u32 2, u32 L and the body at the file's position.
bool writeInstallRecordBody(const InstallRecord& record, GFile& file);
// The 16 bytes: the record offset, the marker and a 0 word.
bool writeInstallFooter(GFile& file, u64 recordOffset);
// The tail of an installed copy at the file's position (where the image ends): the record with
// payloadSize 0, u32 M and the index, then the footer.
bool writeInstalledTail(GFile& file, const InstallRecord& record, const GBag& index);

// A name that is one path component: not empty, ".", "..", without '\', '/' or ':'.
bool isSingleComponent(const char* name);
// A relative path without a drive, a leading separator or a ".." component.
bool isSafeRelativePath(const char* path);
// Checks the record's names that are joined to folders; false after reporting the first bad one.
bool checkRecordNames(const InstallRecord& record, ErrorHandler* handler);
