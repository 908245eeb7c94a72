#pragma once
// Bag files: one bag on disk behind a four-character tag, a version and the body length (u32 each,
// little-endian). Saving writes a temporary file in the target's folder and then puts it in place
// through the file layer's replace hook, so that a failed save never damages the old file.
#include <cstddef>

#include "core/bag.h"
#include "core/exceptions.h"
#include "core/gfile.h"
#include "core/tagged_record.h"

class ErrorHandler;

// The u32 of a tag whose characters lie in file order: "OPTS", or "MIX" with its NUL.
template <size_t N>
constexpr u32 bagFileTag(const char (&text)[N]) {
    static_assert(N == 4 || N == 5, "a tag has four characters");
    return (u32)(u8)text[0] | (u32)(u8)text[1] << 8 | (u32)(u8)text[2] << 16 | (u32)(u8)text[3] << 24;
}

// Writes the bag's size bytes. Folder macros in the path are expanded. Failures go to the file's
// handler; the temporary file is removed.
bool saveBagFile(GFile& file, const char* path, const GBag& bag, u32 tag, u32 version);
// Reads a file of this tag and version into the bag (sized exactly, position 0); another tag or
// version is refused with its message. A file with an empty body leaves the bag as it was.
bool loadBagFile(GFile& file, const char* path, GBag& bag, u32 tag, u32 version);
bool saveBagFile(const char* path, const GBag& bag, u32 tag, u32 version, ErrorHandler* handler = nullptr);
bool loadBagFile(const char* path, GBag& bag, u32 tag, u32 version, ErrorHandler* handler = nullptr);
// u32 n, then n bytes of the open file into the bag; a length beyond the file's end reads nothing,
// frees the bag and fails as an unexpected end of file.
bool bagReadBlob(GFile& file, GBag& bag);

// A file object with the bag it holds.
struct BagFile {
    GFile file;
    GBag bag;

    BagFile() = default;
    explicit BagFile(ErrorHandler* handler) : file(handler) {}
};
// Closes the holder's file object quietly.
void bagFileDestroy(BagFile& holder);

// A settings store: a bag file of this tag and version whose bag holds one tagged-record section.
// Saving writes the section with writeContent filling it. Loading hands the section's content to
// readContent; false when the file is missing, foreign, lacks the section or is damaged (a
// GBagException out of the reader ends the read, keeping what it read).
template <class F>
bool saveSectionFile(const char* path, const char* section, u32 tag, u32 version, F&& writeContent,
                     ErrorHandler* handler = nullptr) {
    GBag bag;
    bagWriteSection(bag, section, writeContent);
    return saveBagFile(path, bag, tag, version, handler);
}
template <class F>
bool loadSectionFile(const char* path, const char* section, u32 tag, u32 version, F&& readContent,
                     ErrorHandler* handler = nullptr) {
    GBag bag;
    if (!loadBagFile(path, bag, tag, version, handler)) return false;
    try {
        return bagReadSection(bag, section, readContent);
    } catch (const GBagException&) {
        return false;
    }
}
