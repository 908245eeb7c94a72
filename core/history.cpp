#include "core/history.h"

#include <memory>

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/linked_list.h"

void HistoryList::clear() {
    HistoryEntry* entry = head;
    head = tail = nullptr;
    while (entry) {
        HistoryEntry* following = entry->next;
        delete entry;
        entry = following;
    }
}

void HistoryList::append(HistoryEntry* entry) {
    linkAtEnd(head, tail, entry);
}

u32 HistoryList::count() const {
    u32 n = 0;
    for (const HistoryEntry* e = head; e; e = e->next) ++n;
    return n;
}

void clearListArray(HistoryList* const* lists) {
    for (; *lists; ++lists) (*lists)->clear();
}

void writeHistoryLists(GBag& bag, HistoryList* const* lists) {
    for (; *lists; ++lists) {
        bagWriteU32(bag, (*lists)->count());
        for (const HistoryEntry* e = (*lists)->head; e; e = e->next) {
            bagWriteGString(bag, e->name);
            bagWriteBlock(bag, e->value);
        }
    }
}

void readHistoryLists(GBag& bag, HistoryList* const* lists) {
    for (; *lists; ++lists) {
        HistoryList& list = **lists;
        u32 count = bagGetU32(bag);
        list.clear();
        for (u32 i = 0; i < count; ++i) {
            std::unique_ptr<HistoryEntry> entry(new HistoryEntry);
            bagReadGString(bag, entry->name);
            bagReadBlock(bag, entry->value);
            list.append(entry.release());
        }
    }
}

static const u32 historyTag = bagFileTag("HIST");
static const u32 historyVersion = 1;

bool saveHistoryOptions(HistoryList* const* lists, const char* path, ErrorHandler* handler) {
    GBag bag;
    writeHistoryLists(bag, lists);
    return saveBagFile(path, bag, historyTag, historyVersion, handler);
}

bool loadHistoryOptions(HistoryList* const* lists, const char* path, ErrorHandler* handler) {
    clearListArray(lists);
    GBag bag;
    if (!loadBagFile(path, bag, historyTag, historyVersion, handler)) return false;
    try {
        readHistoryLists(bag, lists);
    } catch (const GBagException&) {
        return false;
    }
    return true;
}
