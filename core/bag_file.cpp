#include "core/bag_file.h"

#include "core/paths.h"
#include "core/texts.h"

// A handler may answer a failure with true; the error bit still tells.
static bool openExact(GFile& file, const char* name, u32 mode) { return fileOpen(file, name, mode) && !file.failed(); }
static bool readExact(GFile& file, void* buffer, u32 n) { return fileRead(file, buffer, n) && !file.failed(); }

bool saveBagFile(GFile& file, const char* path, const GBag& bag, u32 tag, u32 version) {
    GString target(path);
    expandPathMacros(target);
    u32 header[3] = {tag, version, bag.size};
    bool ok = openExact(file, target.c_str(), FileMode::WriteReplace) && fileWrite(file, header, sizeof header) &&
              (bag.size == 0 || fileWrite(file, bag.data, bag.size)) && !file.failed() &&
              fileCommit(file, target.c_str());
    // A temporary file still open is removed by its delete-on-close mark.
    if (!ok) fileCloseQuietly(file);
    return ok;
}

bool bagReadBlob(GFile& file, GBag& bag) {
    u32 n;
    if (!readExact(file, &n, sizeof n)) return false;
    if (n == 0) return true;
    i64 position = 0, size = fileSize(file);
    if (size < 0 || !fileTell(file, &position) || file.failed()) return false;
    if ((u64)n > (u64)(size - position)) {
        bagFree(bag);
        file.flags |= FileFlag::Eof;
        reportFileError(file, coreText(CoreText::CannotReadFile), nullptr, -1);
        return false;
    }
    bagAllocate(bag, n);
    if (!readExact(file, bag.data, n)) {
        bagFree(bag);
        return false;
    }
    return true;
}

// Reads the u32 at the file's position and compares it; another value is reported with the message.
static bool expectWord(GFile& file, u32 expected, CoreText message) {
    u32 stored;
    if (!readExact(file, &stored, sizeof stored)) return false;
    if (stored == expected) return true;
    // The load fails whatever the handler answers: the bag holds nothing of the file.
    reportFileError(file, coreText(message), nullptr, 0);
    return false;
}

bool loadBagFile(GFile& file, const char* path, GBag& bag, u32 tag, u32 version) {
    GString source(path);
    expandPathMacros(source);
    if (!openExact(file, source.c_str(), FileMode::Read)) return false;
    if (!expectWord(file, tag, CoreText::BadFileContentType) || !expectWord(file, version, CoreText::BadFileVersion) ||
        !bagReadBlob(file, bag)) {
        fileCloseQuietly(file);
        return false;
    }
    return fileClose(file) && !file.failed();
}

bool saveBagFile(const char* path, const GBag& bag, u32 tag, u32 version, ErrorHandler* handler) {
    GFile file(handler);
    return saveBagFile(file, path, bag, tag, version);
}

bool loadBagFile(const char* path, GBag& bag, u32 tag, u32 version, ErrorHandler* handler) {
    GFile file(handler);
    return loadBagFile(file, path, bag, tag, version);
}

void bagFileDestroy(BagFile& holder) { fileCloseQuietly(holder.file); }
