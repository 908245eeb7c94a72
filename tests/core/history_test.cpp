#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/exceptions.h"
#include "core/history.h"
#include "tests/support/bag_hex.h"
#include "tests/support/test_support.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> Entries;

void fill(HistoryList& list, const Entries& entries) {
    list.clear();
    for (const auto& e : entries) {
        HistoryEntry* entry = new HistoryEntry;
        stringAssignText(entry->name, e.first.c_str());
        bagWriteBytes(entry->value, e.second.data(), (u32)e.second.size());
        list.append(entry);
    }
}

Entries contents(const HistoryList& list) {
    Entries out;
    const HistoryEntry* previous = nullptr;
    for (const HistoryEntry* e = list.head; e; e = e->next) {
        EXPECT_EQ(e->previous, previous);
        EXPECT_EQ(e->value.pos, 0u);
        out.emplace_back(e->name.c_str(), std::string(reinterpret_cast<const char*>(e->value.data), e->value.size));
        previous = e;
    }
    EXPECT_EQ(list.tail, previous);
    return out;
}

}  // namespace

TEST(History, ListsWriteAndReadBackInOrder) {
    HistoryList files, folders, empty;
    HistoryList* lists[] = {&files, &folders, &empty, nullptr};
    const Entries fileEntries = {{"C:\\a.wav", std::string("\x01\x00\x02", 3)}, {"", "value"}, {"b", ""}};
    const Entries folderEntries = {{"D:\\music", "x"}};
    fill(files, fileEntries);
    fill(folders, folderEntries);

    GBag bag;
    writeHistoryLists(bag, lists);
    EXPECT_EQ(bagHex(bag),
              "03 00 00 00 "
              "08 00 00 00 43 3A 5C 61 2E 77 61 76 00 03 00 00 00 01 00 02 "
              "00 00 00 00 05 00 00 00 76 61 6C 75 65 "
              "01 00 00 00 62 00 00 00 00 00 "
              "01 00 00 00 08 00 00 00 44 3A 5C 6D 75 73 69 63 00 01 00 00 00 78 "
              "00 00 00 00");

    // Reading replaces what the lists held.
    fill(files, {{"old", "o"}});
    fill(empty, {{"stale", "s"}});
    bag.pos = 0;
    readHistoryLists(bag, lists);
    EXPECT_EQ(contents(files), fileEntries);
    EXPECT_EQ(contents(folders), folderEntries);
    EXPECT_EQ(contents(empty), Entries{});

    // A bag that ends inside an entry throws; the entries read so far stay.
    GBag cut;
    bagWriteBytes(cut, bag.data, 40);
    cut.pos = 0;
    EXPECT_THROW(readHistoryLists(cut, lists), GBagException);
    EXPECT_EQ(contents(files), (Entries{fileEntries[0], fileEntries[1]}));

    clearListArray(lists);
    EXPECT_EQ(files.head, nullptr);
    EXPECT_EQ(folders.tail, nullptr);
}
