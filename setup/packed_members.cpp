#include "setup/packed_members.h"

#include <zlib.h>

#include <cstring>
#include <vector>

#include "app/installer_texts.h"
#include "core/error.h"
#include "core/paths.h"
#include "core/progress.h"
#include "setup/install_record.h"

const char* const kUnpackFailed = "Unpack failed.";
const char* const kMemberNotFound = "File was not found in archive:";

namespace {
const u32 kChunk = 1 << 18;

bool unpackFailed(GFile& output) { return reportFileError(output, kUnpackFailed, nullptr, 0), false; }

// Copies exactly `size` bytes from the source's position.
bool copyStored(GFile& source, GFile& output, u64 size, std::vector<u8>& buffer) {
    while (size) {
        u32 n = size < kChunk ? (u32)size : kChunk;
        if (!fileRead(source, buffer.data(), n) || !fileWrite(output, buffer.data(), n)) return false;
        size -= n;
    }
    return true;
}

bool inflateMember(GFile& source, GFile& output, u64 unpackedSize, u64 packedLength, std::vector<u8>& in,
                   std::vector<u8>& out) {
    z_stream z = {};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return false;
    u64 left = packedLength;
    u64 written = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (z.avail_in == 0) {
            if (!left) break;  // the member's bytes ran out before the stream ended
            u32 n = left < kChunk ? (u32)left : kChunk;
            if (!fileRead(source, in.data(), n)) break;
            left -= n;
            z.next_in = in.data();
            z.avail_in = n;
        }
        z.next_out = out.data();
        z.avail_out = kChunk;
        status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) break;
        u32 produced = kChunk - z.avail_out;
        if (produced > unpackedSize - written) break;  // longer than its index entry says
        if (produced && !fileWrite(output, out.data(), produced)) break;
        written += produced;
    }
    inflateEnd(&z);
    return status == Z_STREAM_END && written == unpackedSize;
}

bool reportBadName(GFile& source, const char* name) {
    reportMessageDetail(source.handler, installerText(InstallerText::BadInstallName), name, 0);
    return false;
}

// One walk over the index: folder entries move `path` (refusing names that are not one component
// and leaving past the top); each file entry goes to `onFile` with its member's offset.
template <class OnFile>
bool walkIndex(GFile& source, GBag& index, GString& path, u64 membersEnd, OnFile onFile) {
    i64 offset = 0;
    if (!fileTell(source, &offset)) return false;
    std::vector<u32> parents;
    index.pos = 0;
    for (;;) {
        u32 kind = bagGetU32(index);
        if (kind == MemberKind::Enter || kind == MemberKind::File) {
            const char* name = bagReadText(index);
            if (!isSingleComponent(name)) return reportBadName(source, name);
            if (kind == MemberKind::Enter) {
                parents.push_back(path.length);
                if (path.length) stringAppendChar(path, '\\');
                stringAppend(path, name);
                if (!onFile(kind, name, 0, 0, 0)) return false;
                continue;
            }
            u64 packedLength, unpackedSize;
            bagReadU64(index, &packedLength);
            bagReadU64(index, &unpackedSize);
            if ((u64)offset > membersEnd || packedLength > membersEnd - (u64)offset) {
                reportToHandler(source.handler, kNoInstallationData, nullptr, source.name, 0);
                return false;
            }
            int result = onFile(kind, name, (u64)offset, packedLength, unpackedSize);
            if (result <= 0) return result == 0 ? false : true;
            offset += (i64)packedLength;
        } else if (kind == MemberKind::Leave) {
            if (parents.empty()) return reportBadName(source, "..");
            stringTruncate(path, path.length - parents.back());
            parents.pop_back();
        } else if (kind == MemberKind::End) {
            return onFile(kind, nullptr, 0, 0, 0) != 0;
        }
    }
}

// Opens the file, inflates the member into it and closes it; a failed file is removed.
bool writeMember(GFile& source, const char* path, u64 offset, u64 packedLength, u64 unpackedSize) {
    GFile output(source.handler);
    if (!fileOpen(output, path, FileMode::Write)) return false;
    bool ok = gzipMemberStream(source, (i64)offset, output, unpackedSize, packedLength) && fileClose(output);
    if (!ok) {
        fileCloseQuietly(output);
        deleteFile(path);
    }
    return ok;
}
}  // namespace

bool gzipMemberStream(GFile& source, i64 offset, GFile& output, u64 unpackedSize, u64 packedLength) {
    if (offset != -1 && !fileSeek(source, offset, 0)) return unpackFailed(output);
    if (offset == -1 && !fileTell(source, &offset)) return unpackFailed(output);
    if (!fileRewind(output)) return false;
    std::vector<u8> in(kChunk), out(kChunk);
    u8 magic[2] = {};
    if (packedLength >= 2 && !fileRead(source, magic, 2)) return unpackFailed(output);
    if (!fileSeek(source, offset, 0)) return unpackFailed(output);
    bool ok = magic[0] == 0x1f && magic[1] == 0x8b
                  ? inflateMember(source, output, unpackedSize, packedLength, in, out)
                  : unpackedSize <= packedLength && copyStored(source, output, unpackedSize, in);
    if (!ok) return output.failed() || source.failed() ? false : unpackFailed(output);
    return fileSeek(source, offset + (i64)packedLength, 0);
}

bool unpackAllMembers(const char* targetFolder, GFile& source, GBag& index, JobProgress* progress, u64 membersEnd) {
    GString path;
    u64 done = 0;
    return walkIndex(source, index, path, membersEnd,
                     [&](u32 kind, const char* name, u64 offset, u64 packedLength, u64 unpackedSize) -> int {
                         if (kind == MemberKind::End) return 1;
                         GString full(targetFolder);
                         if (path.length) pathJoin(full, path.c_str());
                         if (kind == MemberKind::Enter) {
                             if (pathIsDirectory(full.c_str())) return 1;
                             return createDirectory(full.c_str(), source.handler) ? 1 : 0;
                         }
                         pathJoin(full, name);
                         if (!writeMember(source, full.c_str(), offset, packedLength, unpackedSize)) return 0;
                         done += unpackedSize;
                         if (progress && progress->report(done, full.c_str())) return 0;
                         return 1;
                     });
}

bool extractMember(GFile& source, GBag& index, const char* memberPath, const char* outputPath, u64 membersEnd) {
    GString path;
    return walkIndex(source, index, path, membersEnd,
                     [&](u32 kind, const char* name, u64 offset, u64 packedLength, u64 unpackedSize) -> int {
                         if (kind == MemberKind::Enter) return 1;
                         if (kind == MemberKind::End) {
                             reportToHandler(source.handler, kMemberNotFound, nullptr, memberPath, 0);
                             return 0;
                         }
                         GString full(path);
                         if (full.length) stringAppendChar(full, '\\');
                         stringAppend(full, name);
                         if (!stringEquals(full, memberPath)) return 1;
                         // Found: the walk ends here with the file's result.
                         return writeMember(source, outputPath, offset, packedLength, unpackedSize) ? -1 : 0;
                     });
}

bool extractFromInstaller(const char* installerPath, const InstallRecord* record, ErrorHandler* handler,
                          GBag* index, const char* memberPath, const char* outputPath) {
    InstallRecord readRecord;
    GBag readIndex;
    if (!record || !index || !index->size) {
        if (!readInstallRecord(installerPath, handler, &readRecord, &readIndex)) return false;
        record = &readRecord;
        index = &readIndex;
    }
    GFile source(handler);
    if (!fileOpen(source, installerPath, FileMode::Read)) return false;
    if (!index->size) return reportToHandler(handler, kMemberNotFound, nullptr, memberPath, 0), false;
    u64 membersEnd = record->recordOffset ? record->recordOffset : (u64)fileSize(source);
    if (!fileSeek(source, (i64)record->imageSize, 0)) return false;
    bool ok = extractMember(source, *index, memberPath, outputPath, membersEnd);
    fileCloseQuietly(source);
    return ok;
}
