#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/listener_list.h"
#include "core/path_list.h"
#include "core/progress.h"
#include "core/system.h"
#include "core/wide_text.h"
#include "core/window_map.h"
#include "tests/support/test_support.h"

namespace {

class TestEntry : public GWindowMapEntry {
public:
    TestEntry(u32 hash, const void* key) : hash(hash), key(key) {}
    u32 hashKey() const override { return hash; }
    bool matchesKey(const void* k) const override { return k == key; }
    u32 hash;
    const void* key;
};

const void* keyOf(int i) { return reinterpret_cast<const void*>((uintptr_t)(i * 4 + 4)); }

// The map finds exactly the live entries, its list holds each once, and a bucket's entries stand
// together in the list.
void expectConsistent(const GWindowMap& map, const std::vector<TestEntry>& entries, const std::vector<bool>& live) {
    std::set<const GWindowMapEntry*> listed;
    std::vector<u32> bucketsSeen;
    for (const GWindowMapEntry* e = map.first(); e; e = e->mapNext) {
        ASSERT_TRUE(listed.insert(e).second);
        if (e->mapNext) {
            ASSERT_EQ(e->mapNext->mapPrevious, e);
        }
        u32 bucket = e->hashKey() & (map.bucketCount() - 1);
        if (bucketsSeen.empty() || bucketsSeen.back() != bucket) {
            ASSERT_EQ(std::count(bucketsSeen.begin(), bucketsSeen.end(), bucket), 0) << "bucket split";
            bucketsSeen.push_back(bucket);
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const GWindowMapEntry* found = map.lookup(entries[i].hash, entries[i].key);
        EXPECT_EQ(found, live[i] ? &entries[i] : nullptr) << i;
        EXPECT_EQ(listed.count(&entries[i]), live[i] ? 1u : 0u) << i;
    }
}

class CountedPayload : public GCommonObject {
public:
    explicit CountedPayload(int& destroyed) : destroyed(destroyed) {}
    ~CountedPayload() override { ++destroyed; }
    int& destroyed;
};

class CancelAtFirstReport : public JobProgress {
public:
    bool report(u64 done, const char* text) override {
        ++reports;
        listenersSeen += listener != nullptr;
        lastDone = done;
        if (cancelAt && reports >= cancelAt) cancel();
        if (throwAt && reports >= throwAt) throw GException();
        return JobProgress::report(done, text);
    }
    int cancelAt = 0;
    int throwAt = 0;
    int reports = 0;
    int listenersSeen = 0;
    u64 lastDone = 0;
};

}  // namespace

TEST(WindowMap, BucketsShareRunsAndSurviveRemoval) {
    GWindowMap map(4);
    EXPECT_EQ(map.bucketCount(), 16u);
    std::vector<TestEntry> entries;
    for (int i = 0; i < 3; ++i) entries.emplace_back(3 + 16 * i, keyOf(i));  // one bucket
    entries.emplace_back(5, keyOf(3));
    for (TestEntry& e : entries) map.insert(&e);
    std::vector<bool> live(entries.size(), true);
    expectConsistent(map, entries, live);
    EXPECT_EQ(map.lookup(3, keyOf(3)), nullptr);  // same bucket, other key
    EXPECT_EQ(map.lookup(4, keyOf(0)), nullptr);  // other bucket

    // Removing a bucket's first entry keeps its second findable.
    GWindowMapEntry* first = map.lookup(3, keyOf(0));
    for (int i = 0; i < 3 && first; ++i) first = first->mapPrevious ? first->mapPrevious : first;
    map.remove(&entries[0]);
    live[0] = false;
    expectConsistent(map, entries, live);
    map.remove(&entries[1]);
    map.remove(&entries[2]);
    live[1] = live[2] = false;
    expectConsistent(map, entries, live);

    // Many entries in few buckets, removed in a scrambled order, with a re-sized map on the way.
    GWindowMap small(3);
    std::vector<TestEntry> many;
    for (int i = 0; i < 200; ++i) many.emplace_back((u32)(i * 7) % 29, keyOf(i));
    for (TestEntry& e : many) small.insert(&e);
    std::vector<bool> alive(many.size(), true);
    expectConsistent(small, many, alive);
    for (int step = 0; step < 150; ++step) {
        int i = (step * 37) % 200;
        if (!alive[i]) continue;
        small.remove(&many[i]);
        alive[i] = false;
        if (step == 60) small.init(5);
        if (step % 10 == 0) expectConsistent(small, many, alive);
    }
    expectConsistent(small, many, alive);
}

TEST(WindowMap, IteratorsSurviveRemovalAndHandlesHash) {
    GWindowMap map(2);
    std::vector<TestEntry> entries;
    for (int i = 0; i < 10; ++i) entries.emplace_back((u32)i, keyOf(i));
    for (TestEntry& e : entries) map.insert(&e);

    // Each step removes the entry returned and the one the walk would take next.
    std::set<const GWindowMapEntry*> seen;
    {
        GWindowMap::Iterator outer(map);
        GWindowMap::Iterator inner(map);  // a second walk registered at the same time
        while (GWindowMapEntry* e = outer.next()) {
            seen.insert(e);
            GWindowMapEntry* following = e->mapNext;
            map.remove(e);
            if (following) map.remove(following);
        }
        int rest = 0;
        while (inner.next()) ++rest;
        EXPECT_EQ(rest, 0);
    }
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(map.first(), nullptr);

    // Window handles hash to the handle shifted right by one.
    struct HandleEntry : TestEntry {
        explicit HandleEntry(const void* handle) : TestEntry(GWindowMap::handleHash(handle), handle) {}
    } a(reinterpret_cast<const void*>(0x10040)), b(reinterpret_cast<const void*>(0x10042));
    map.insert(&a);
    map.insert(&b);
    EXPECT_EQ(GWindowMap::handleHash(reinterpret_cast<const void*>(0x10042)), 0x8021u);
    EXPECT_EQ(map.lookup(reinterpret_cast<const void*>(0x10040)), &a);
    EXPECT_EQ(map.lookup(reinterpret_cast<const void*>(0x10042)), &b);
    EXPECT_EQ(map.lookup(reinterpret_cast<const void*>(0x10044)), nullptr);
    map.remove(&a);
    map.remove(&b);
}

TEST(WideText, ConversionsFollowTheCodePage) {
    struct Reset {
        ~Reset() { setProcessCodePage(0); }
    } reset;
    setProcessCodePage(1252);
    WideString w = toWide("abc");
    EXPECT_EQ(w.length, 3u);
    EXPECT_EQ(w.capacity, 4u);
    EXPECT_EQ(std::wstring(w.c_str()), L"abc");
    EXPECT_EQ(std::wstring(toWide("abcdef", 3).c_str()), L"abc");
    EXPECT_EQ(toWide(nullptr).length, 0u);
    EXPECT_EQ(toWide("\xe9").c_str()[0], L'\u00e9');
    setProcessCodePage(1251);
    EXPECT_EQ(toWide("\xe9").c_str()[0], L'\u0439');

    struct Case {
        u32 codePage;
        const wchar_t* wide;
        u32 length;
        u32 size;
        u32 stored;
        std::string bytes;  // what the buffer holds afterwards (it starts as "#####")
    } cases[] = {
        {1252, L"ab", 3, 2, 2, std::string("a\0###", 5)},  // a NUL-terminated input into a buffer of 2
        {1252, L"abc", 3, 8, 3, "abc##"},                   // not terminated: no NUL is stored
        {1252, L"abc", 4, 8, 4, std::string("abc\0#", 5)},
        {1252, L"abc", 3, 0, 0, "#####"},
        {1252, L"\u4e00\u00e9", 3, 5, 3, std::string("?\xe9\0##", 5)},
        // Two bytes a character: the room is counted in bytes, and what does not fit is left out.
        {932, L"\u3042\u3044", 3, 5, 5, std::string("\x82\xa0\x82\xa2\0", 5)},
        {932, L"\u3042\u3044", 3, 4, 3, std::string("\x82\xa0\0##", 5)},
        {932, L"\u3042", 1, 2, 2, "\x82\xa0###"},
    };
    for (const Case& c : cases) {
        setProcessCodePage(c.codePage);
        char buffer[8] = "#######";
        EXPECT_EQ(wideToMultibyte(c.wide, c.length, buffer, c.size), c.stored) << c.codePage << " " << c.size;
        EXPECT_EQ(std::string(buffer, 5), c.bytes) << c.codePage << " " << c.size;
    }
    setProcessCodePage(1252);

    GString narrow;
    stringAssignCopy(narrow, L"h\u00e9!");
    EXPECT_STREQ(narrow.c_str(), "h\xe9!");
    stringAssignCopy(narrow, L"xyz", 2);
    EXPECT_STREQ(narrow.c_str(), "xy");
    stringAssignCopy(narrow, nullptr);
    EXPECT_STREQ(narrow.c_str(), "");

    WideString a, b;
    wideFromMultibyteAssign(a, "hello", 4);
    EXPECT_EQ(std::wstring(a.c_str()), L"hell");
    wideStringCopy(b, a);
    EXPECT_EQ(std::wstring(b.c_str()), L"hell");
    wideStringAssign(b, b.data + 1, 2);  // from its own buffer
    EXPECT_EQ(std::wstring(b.c_str()), L"el");
    wideStringAssign(a, L"a much longer text");
    EXPECT_EQ(a.length, 18u);
    WideString moved = std::move(a);
    EXPECT_EQ(std::wstring(moved.c_str()), L"a much longer text");
    EXPECT_EQ(a.data, nullptr);
}

TEST(SystemErrorText, PlatformTextModuleTableOrNumber) {
    GString text = systemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_GT(text.length, 0u);
    EXPECT_GT((u8)text.data[0], 32);
    EXPECT_GT((u8)text.last(), 32);  // line ends trimmed
    EXPECT_STREQ(systemErrorText(0x2FFFFFFF).c_str(), "System error 805306367");
    EXPECT_STREQ(systemErrorText(0x2FFFFFFF, "no_such_module.dll").c_str(), "System error 805306367");
}

TEST(FileCopy, WithProgressAndCancel) {
    TempDir dir;
    std::string content(3 * 1024 * 1024 + 17, 'q');
    for (size_t i = 0; i < content.size(); i += 4096) content[i] = (char)(i / 4096);
    dir.write("from.bin", content);
    dir.write("to.bin", "old");
    RecordingHandler handler;

    // Plain copy over an existing target.
    EXPECT_TRUE(copyFileWithProgress(dir.file("from.bin").c_str(), dir.file("to.bin").c_str(), nullptr, &handler));
    EXPECT_EQ(dir.read("to.bin"), content);

    // With progress: reported with the listener set aside, up to the whole size.
    RecordingHandler listener;
    CancelAtFirstReport progress;
    progress.listener = &listener;
    progress.setTotal(content.size());
    EXPECT_TRUE(copyFileWithProgress(dir.file("from.bin").c_str(), dir.file("copy.bin").c_str(), &progress, &handler));
    EXPECT_EQ(dir.read("copy.bin"), content);
    EXPECT_GT(progress.reports, 0);
    EXPECT_EQ(progress.lastDone, content.size());
    EXPECT_EQ(progress.listenersSeen, 0);
    EXPECT_EQ(progress.listener, &listener);

    // Cancelled: the listener hears it once and its answer is the result.
    CancelAtFirstReport cancelling;
    cancelling.cancelAt = 1;
    cancelling.listener = &listener;
    listener.answer = true;
    EXPECT_TRUE(copyFileWithProgress(dir.file("from.bin").c_str(), dir.file("cancel.bin").c_str(), &cancelling,
                                     &handler));
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(listener.lastText(), "Operation was canceled");
    EXPECT_EQ(listener.lastCode(), 0);
    EXPECT_FALSE(dir.exists("cancel.bin"));
    listener.answer = false;
    EXPECT_FALSE(copyFileWithProgress(dir.file("from.bin").c_str(), dir.file("cancel.bin").c_str(), &cancelling,
                                      &handler));
    CancelAtFirstReport noListener;
    noListener.cancelAt = 1;
    EXPECT_FALSE(copyFileWithProgress(dir.file("from.bin").c_str(), dir.file("cancel.bin").c_str(), &noListener,
                                      &handler));
    EXPECT_TRUE(handler.reports.empty());

    // A progress object that throws leaves no partial target either.
    CancelAtFirstReport throwing;
    throwing.throwAt = 2;
    EXPECT_THROW(copyFileWithProgress(dir.file("from.bin").c_str(), dir.file("thrown.bin").c_str(), &throwing,
                                      &handler),
                 GException);
    EXPECT_FALSE(dir.exists("thrown.bin"));

    // Any other failure reports the platform's text to the handler.
    handler.answer = true;
    EXPECT_TRUE(copyFileWithProgress(dir.file("missing.bin").c_str(), dir.file("x.bin").c_str(), &progress, &handler));
    ASSERT_EQ(handler.reports.size(), 1u);
    EXPECT_EQ(handler.lastText(), systemErrorText(ERROR_FILE_NOT_FOUND).c_str());
    EXPECT_EQ(handler.lastCode(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(copyFileWithProgress(dir.file("missing.bin").c_str(), dir.file("x.bin").c_str(), nullptr, nullptr));
}

TEST(ListenerList, UnlinkFixesNeighboursAndEnds) {
    ListenerList list;
    ListenerNode nodes[4];
    for (ListenerNode& n : nodes) list.append(&n);
    auto order = [&] {
        std::vector<int> seen;
        for (ListenerNode* n = list.first; n; n = n->next) seen.push_back((int)(n - nodes));
        std::vector<int> back;
        for (ListenerNode* n = list.last; n; n = n->previous) back.insert(back.begin(), (int)(n - nodes));
        EXPECT_EQ(seen, back);
        return seen;
    };
    EXPECT_EQ(order(), (std::vector<int>{0, 1, 2, 3}));
    ListenerList::unlink(&nodes[1]);
    EXPECT_EQ(order(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(nodes[1].owner, nullptr);
    ListenerList::unlink(&nodes[0]);
    ListenerList::unlink(&nodes[3]);
    EXPECT_EQ(order(), (std::vector<int>{2}));
    ListenerList::unlink(&nodes[3]);  // in no list: nothing happens
    EXPECT_EQ(order(), (std::vector<int>{2}));
    ListenerList other;
    other.append(&nodes[2]);  // moving to another list leaves the first one
    EXPECT_EQ(list.first, nullptr);
    EXPECT_EQ(list.last, nullptr);
    EXPECT_EQ(other.first, &nodes[2]);
    ListenerList::unlink(&nodes[2]);
}

TEST(PathKeyedList, FindsPathsNormalisedAndIgnoringCase) {
    TempDir dir;
    dir.write("Sound.wav", "x");
    int destroyed = 0;
    {
        PathKeyedList list;
        CountedPayload* first = new CountedPayload(destroyed);
        list.set(dir.file("Sound.wav").c_str(), first);
        std::string variant = dir.path() + "/sub/../SOUND.WAV";
        std::transform(variant.begin(), variant.end(), variant.begin(), ::tolower);
        EXPECT_EQ(list.lookup(variant.c_str()), first);
        EXPECT_EQ(list.lookup(dir.file("other.wav").c_str()), nullptr);

        CountedPayload* second = new CountedPayload(destroyed);
        list.set(variant.c_str(), second);  // the same path: the old payload goes, the entry stays
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(list.count(), 1u);
        EXPECT_EQ(list.lookup(dir.file("Sound.wav").c_str()), second);
        list.set(dir.file("Sound.wav").c_str(), second);  // the payload it holds: kept
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(list.lookup(variant.c_str()), second);

        list.set(dir.file("new.wav").c_str(), new CountedPayload(destroyed));  // not on disk yet
        EXPECT_EQ(list.count(), 2u);
        EXPECT_NE(list.lookup(dir.file("NEW.wav").c_str()), nullptr);
    }
    EXPECT_EQ(destroyed, 3);
}
