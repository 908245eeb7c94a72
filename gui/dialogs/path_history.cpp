#include "gui/dialogs/path_history.h"

#include <cstring>
#include <vector>

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/folder_list.h"

namespace {
GFileDialog* const* g_dialogs = nullptr;
GFolderList* const* g_lists = nullptr;

class QuietHandler : public ErrorHandler {
public:
    bool report(const char*, int) override { return false; }
};

u32 bytesLeft(const GBag& bag) { return bag.size > bag.pos ? bag.size - bag.pos : 0; }

struct DialogRecord {
    u32 filterIndex = 0;
    GString folder;
    u32 bufferSize = 0;
    std::vector<char> names;
    std::vector<u32> offsets;
};

// One record; false when a size or offset is out of bounds.
bool readDialogRecord(GBag& bag, DialogRecord& r) {
    bagReadU32(bag, &r.filterIndex);
    stringAssignText(r.folder, bagReadText(bag));
    bagReadU32(bag, &r.bufferSize);
    if (r.bufferSize > MultiNameChars) return false;
    u32 nameBytes = 0;
    if (r.bufferSize) {
        bagReadU32(bag, &nameBytes);
        u32 capacity = (r.bufferSize > FileNameChars ? r.bufferSize : FileNameChars) + 1;
        if (nameBytes > capacity) return false;
        if (nameBytes > bytesLeft(bag)) throw GBagException();
        r.names.resize(nameBytes);
        if (nameBytes) bagReadBytes(bag, r.names.data(), nameBytes);
    }
    u32 count = bagGetU32(bag);
    if (count > bytesLeft(bag) / 4) throw GBagException();
    r.offsets.resize(count);
    for (u32& offset : r.offsets) {
        bagReadU32(bag, &offset);
        if (offset >= nameBytes) return false;
    }
    return true;
}

void applyDialogRecord(GFileDialog* d, const DialogRecord& r) {
    d->ofn.nFilterIndex = r.filterIndex;
    if (!r.folder.empty()) d->setFolder(r.folder.c_str());
    if (r.bufferSize) {
        d->setNameBuffer((r.bufferSize > FileNameChars ? r.bufferSize : FileNameChars) + 1, nullptr);
        if (!r.names.empty()) memcpy(d->nameBuffer, r.names.data(), r.names.size());
    }
    d->setOffsets(r.offsets.data(), (u32)r.offsets.size());
}

void writeCounted(GBag& bag, const char* text) {
    u32 n = text ? (u32)strlen(text) : 0;
    bagWriteU32(bag, n);
    if (n) bagWriteBytes(bag, text, n);
}

void writeList(GBag& bag, const StringList& list) {
    bagWriteU32(bag, list.count);
    for (u32 i = 0; i < list.count; ++i) writeCounted(bag, stringListAt(list, i));
}

void readCounted(GBag& bag, GString& out) {
    u32 n = bagGetU32(bag);
    if (n > bytesLeft(bag)) throw GBagException();
    stringAssign(out, reinterpret_cast<const char*>(bag.data + bag.pos), n);
    bag.pos += n;
}

void readList(GBag& bag, StringList& list) {
    u32 count = bagGetU32(bag);
    if (count > bytesLeft(bag) / 4) throw GBagException();
    stringListClear(list);
    GString text;
    for (u32 i = 0; i < count; ++i) {
        readCounted(bag, text);
        stringListAppend(list, text.c_str());
    }
}
}  // namespace

void registerFileDialogs(GFileDialog* const* dialogs) { g_dialogs = dialogs; }
void registerFolderLists(GFolderList* const* lists) { g_lists = lists; }
GFileDialog* const* registeredFileDialogs() { return g_dialogs; }
GFolderList* const* registeredFolderLists() { return g_lists; }

void writeFileDialogHistory(GBag& bag, GFileDialog* const* dialogs) {
    for (; dialogs && *dialogs; ++dialogs) {
        const GFileDialog* d = *dialogs;
        bagWriteU32(bag, d->ofn.nFilterIndex);
        bagWriteString(bag, d->folderText.c_str());
        bagWriteU32(bag, d->ofn.nMaxFile);
        u32 end = 0;
        for (u32 i = 0; i < d->nameOffsets.count; ++i) {
            u32 at = d->nameOffsets.data[i];
            u32 after = at + (u32)strlen(d->nameBuffer + at) + 1;
            if (after > end) end = after;
        }
        bagWriteU32(bag, end);
        if (end) bagWriteBytes(bag, d->nameBuffer, end);
        bagWriteU32(bag, d->nameOffsets.count);
        for (u32 i = 0; i < d->nameOffsets.count; ++i) bagWriteU32(bag, d->nameOffsets.data[i]);
    }
}

bool readFileDialogHistory(GBag& bag, GFileDialog* const* dialogs) {
    std::vector<DialogRecord> records;
    try {
        for (GFileDialog* const* d = dialogs; d && *d; ++d) {
            records.emplace_back();
            if (!readDialogRecord(bag, records.back())) return false;
        }
    } catch (const GBagException&) {
        records.pop_back();
        for (size_t i = 0; i < records.size(); ++i) applyDialogRecord(dialogs[i], records[i]);
        throw;
    }
    for (size_t i = 0; i < records.size(); ++i) applyDialogRecord(dialogs[i], records[i]);
    return true;
}

void writeFolderLists(GBag& bag, GFolderList* const* lists) {
    for (GFolderList* const* l = lists; l && *l; ++l) {
        writeCounted(bag, (*l)->folder.c_str());
        writeCounted(bag, (*l)->pattern.c_str());
        writeList(bag, (*l)->recentFolders);
        writeList(bag, (*l)->recentNames);
    }
    writeList(bag, favouriteFolders());
    writeList(bag, favouriteFiles());
}

void readFolderLists(GBag& bag, GFolderList* const* lists) {
    for (GFolderList* const* l = lists; l && *l; ++l) {
        readCounted(bag, (*l)->folder);
        readCounted(bag, (*l)->pattern);
        readList(bag, (*l)->recentFolders);
        readList(bag, (*l)->recentNames);
    }
    readList(bag, favouriteFolders());
    readList(bag, favouriteFiles());
}

bool saveFileDialogHistory(const char* path, GFileDialog* const* dialogs) {
    QuietHandler quiet;
    GBag bag;
    writeFileDialogHistory(bag, dialogs);
    return saveBagFile(path, bag, bagFileTag("GF__"), FileDialogHistoryVersion, &quiet);
}

bool loadFileDialogHistory(const char* path, GFileDialog* const* dialogs) {
    QuietHandler quiet;
    GBag bag;
    if (!pathExists(path) || !loadBagFile(path, bag, bagFileTag("GF__"), FileDialogHistoryVersion, &quiet)) return false;
    return readFileDialogHistory(bag, dialogs);
}

bool saveFolderLists(const char* path, GFolderList* const* lists) {
    QuietHandler quiet;
    GBag bag;
    writeFolderLists(bag, lists);
    return saveBagFile(path, bag, bagFileTag("QS__"), FolderListsVersion, &quiet);
}

bool loadFolderLists(const char* path, GFolderList* const* lists) {
    QuietHandler quiet;
    GBag bag;
    if (!pathExists(path) || !loadBagFile(path, bag, bagFileTag("QS__"), FolderListsVersion, &quiet)) return false;
    readFolderLists(bag, lists);
    return true;
}

bool PathHistoryStep::start(ErrorHandler*, bool reset) {
    GString file(path);
    expandPathMacros(file);
    if (!reset) {
        try {
            if (folderLists)
                loadFolderLists(file.c_str(), registeredFolderLists());
            else
                loadFileDialogHistory(file.c_str(), registeredFileDialogs());
            return true;
        } catch (const GBagException&) {
        }
    }
    if (folderLists)
        resetFolderLists(registeredFolderLists());
    else
        resetFileDialogs(registeredFileDialogs());
    return true;
}

void PathHistoryStep::stop() {
    ensureDataFolder();
    GString file(path);
    expandPathMacros(file);
    if (folderLists)
        saveFolderLists(file.c_str(), registeredFolderLists());
    else
        saveFileDialogHistory(file.c_str(), registeredFileDialogs());
}
