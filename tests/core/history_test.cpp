#include <gtest/gtest.h>

#include <windows.h>

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

TEST(History, StoredAsHistBagFile) {
    TempDir dir;
    HistoryList files, folders;
    HistoryList* lists[] = {&files, &folders, nullptr};
    const Entries fileEntries = {{"a.wav", "12"}, {"b.wav", ""}};
    fill(files, fileEntries);
    RecordingHandler handler;
    ASSERT_TRUE(saveHistoryOptions(lists, dir.file("history.ini").c_str(), &handler));
    std::string bytes = dir.read("history.ini");
    EXPECT_EQ(bytes.substr(0, 8), std::string("HIST\1\0\0\0", 8));

    fill(folders, {{"stale", "s"}});
    files.clear();
    ASSERT_TRUE(loadHistoryOptions(lists, dir.file("history.ini").c_str(), &handler));
    EXPECT_EQ(contents(files), fileEntries);
    EXPECT_EQ(contents(folders), Entries{});
    EXPECT_TRUE(handler.reports.empty());

    // Every failure empties the lists first.
    struct Case {
        const char* what;
        std::string bytes;  // empty: no file
        const char* reported;
    } cases[] = {
        {"missing file", "", "Cannot open or create file."},
        {"other tag", "OPTS" + bytes.substr(4), "Bad type of file content."},
        {"other version", "HIST" + std::string("\2\0\0\0", 4) + bytes.substr(8), "Bad version of file."},
        {"body ends inside an entry", "HIST" + bytesFromHex("01 00 00 00 06 00 00 00 01 00 00 00 05 00"), nullptr},
    };
    for (const Case& c : cases) {
        if (c.bytes.empty())
            DeleteFileA(dir.file("history.ini").c_str());
        else
            dir.write("history.ini", c.bytes);
        fill(files, fileEntries);
        handler.reports.clear();
        EXPECT_FALSE(loadHistoryOptions(lists, dir.file("history.ini").c_str(), &handler)) << c.what;
        EXPECT_EQ(files.head, nullptr) << c.what;
        if (c.reported) {
            ASSERT_FALSE(handler.reports.empty()) << c.what;
            EXPECT_EQ(handler.reports[0].first.rfind(c.reported, 0), 0u) << c.what << ": " << handler.reports[0].first;
        }
    }
}
