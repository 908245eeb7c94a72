#pragma once
// The packed program files of an installer: gzip members end to end behind the image, walked
// through the member index (enter folder, file, leave, end). Readers only; the packer is
// cmake/pack_installer.py.
#include "core/bag.h"
#include "core/gfile.h"

class ErrorHandler;
class JobProgress;
struct InstallRecord;

namespace MemberKind {
enum : u32 { Enter = 0, File = 1, Leave = 2, End = 3 };
}

extern const char* const kUnpackFailed;     // "Unpack failed."
extern const char* const kMemberNotFound;   // "File was not found in archive:"

// Inflates the member of `packedLength` bytes at `offset` (-1: the source's position) into
// `output` from its start. The gzip stream must end, its check passed, after exactly
// `unpackedSize` bytes and within `packedLength`; a member without a gzip header is stored bytes.
// Leaves the source at the member's end. False after "Unpack failed." to the output's handler.
bool gzipMemberStream(GFile& source, i64 offset, GFile& output, u64 unpackedSize, u64 packedLength);
// Writes every member below the folder; the source is at imageSize and the members end before
// `membersEnd`. True when the index ended with its end entry. A failed file is removed.
bool unpackAllMembers(const char* targetFolder, GFile& source, GBag& index, JobProgress* progress, u64 membersEnd);
// Writes the member of that relative path (exact bytes) to outputPath.
bool extractMember(GFile& source, GBag& index, const char* memberPath, const char* outputPath, u64 membersEnd);
// Reads the record and index when not given, then extracts the member from the installer.
bool extractFromInstaller(const char* installerPath, const InstallRecord* record, ErrorHandler* handler,
                          GBag* index, const char* memberPath, const char* outputPath);
