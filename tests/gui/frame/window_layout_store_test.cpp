#include "gui/frame/window_layout_store.h"

#include <gtest/gtest.h>

#include <string>

#include "core/bag_file.h"
#include "core/paths.h"
#include "gui/frame/object_window.h"
#include "gui/frame/placer.h"
#include "gui/kernel/application.h"
#include "gui/kernel/window_procedure.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/bag_hex.h"
#include "tests/support/test_support.h"

namespace {

void dropQuitMessage() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

class StatePlacer : public GPlacer {
public:
    explicit StatePlacer(GWindow* window) : GPlacer(window) {}
    void saveStateBlocks(GBag* blocks) override { bagWriteU32(blocks[1], tag); }
    u32 tag = 0;
};

// A main window that keeps a tag in its placer's second block and shows itself without activation.
class StoredWindow : public GObjectWindow {
public:
    void show(i32 command) override {
        shownWith = command;
        ShowWindow(hwnd, command == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNOACTIVATE);
    }
    void restoreContent(GBag* blocks) override {
        if (blocks[1].size >= 4) bagReadU32(blocks[1], &restoredTag);
    }
    SIZE getPreferredSize() override { return SIZE{320, 240}; }
    i32 shownWith = -1;
    u32 restoredTag = 0;
};

std::vector<i32> factoryCalls;
std::vector<StoredWindow*> made;

GAppWindow* factory(i32 typeId) {
    factoryCalls.push_back(typeId);
    if (typeId != -1 && typeId != (i32)TypeObjectWindow) return nullptr;
    StoredWindow* w = new StoredWindow;
    if (!createTopLevelWindow(w, WS_OVERLAPPEDWINDOW, 0, "stored")) return nullptr;
    w->setPlacer(new StatePlacer(w));
    made.push_back(w);
    return w;
}

RECT windowRect(GWindow* w) {
    RECT r;
    GetWindowRect(w->hwnd, &r);
    return r;
}

// The bag of a store file, past its header.
std::string entryBytes(u32 typeId, const std::string& state) {
    std::string out(reinterpret_cast<const char*>(&typeId), 4);
    u32 n = (u32)state.size();
    out.append(reinterpret_cast<const char*>(&n), 4);
    return out + state;
}

class WindowLayoutStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        factoryCalls.clear();
        made.clear();
        path = dir.file("ravo_layout.ini");
    }
    void TearDown() override { closeAll(); }
    void closeAll() {
        // Quitting: the ends of the windows activate no other (each activation costs Wine 2 s);
        // the quit that the last end then asks for is taken off the queue.
        app.app.quitting = true;
        for (StoredWindow* w : made)
            if (IsWindow(w->hwnd)) DestroyWindow(w->hwnd);
        app.app.quitting = false;
        dropQuitMessage();
        made.clear();
    }
    void writeStore(const std::string& body, u32 version = WindowLayoutVersion) {
        GBag bag;
        bagWriteBytes(bag, body.data(), (u32)body.size());
        ASSERT_TRUE(saveBagFile(path.c_str(), bag, bagFileTag("WLAY"), version));
    }
    TestApplication app;
    TempDir dir;
    std::string path;
};

}  // namespace

TEST_F(WindowLayoutStoreTest, TwoObjectWindowsRoundTripBottomToTop) {
    StoredWindow* lower = static_cast<StoredWindow*>(factory(TypeObjectWindow));
    StoredWindow* upper = static_cast<StoredWindow*>(factory(TypeObjectWindow));
    lower->windowNumber = 1;
    upper->windowNumber = 2;
    static_cast<StatePlacer*>(lower->placer)->tag = 0x11;
    static_cast<StatePlacer*>(upper->placer)->tag = 0x22;
    SetWindowPos(lower->hwnd, nullptr, 40, 50, 300, 200, SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOZORDER);
    SetWindowPos(upper->hwnd, HWND_TOP, 200, 120, 360, 260, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetWindowPos(lower->hwnd, upper->hwnd, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    RECT lowerRect = windowRect(lower), upperRect = windowRect(upper);
    ASSERT_TRUE(saveWindowLayout(path.c_str()));

    GBag bag;
    ASSERT_TRUE(loadBagFile(path.c_str(), bag, bagFileTag("WLAY"), 3));
    u32 numbers[2];
    for (u32& number : numbers) {
        EXPECT_EQ(75u, bagGetU32(bag));
        GBag state;
        bagReadBlock(bag, state);
        // Number, three blocks (4, 4 + 4 and 4 bytes), then the placement.
        ASSERT_EQ(4u + 16u + 44u, state.size);
        number = bagGetU32(state);
        u32 placementLength;
        memcpy(&placementLength, state.data + state.size - 44, 4);
        EXPECT_EQ(44u, placementLength);
    }
    EXPECT_EQ(bag.size, bag.pos);
    EXPECT_EQ(1u, numbers[0]);
    EXPECT_EQ(2u, numbers[1]);

    closeAll();
    factoryCalls.clear();
    EXPECT_EQ(2u, loadWindowLayout(path.c_str(), factory));
    EXPECT_EQ((std::vector<i32>{75, 75}), factoryCalls);
    ASSERT_EQ(2u, made.size());
    EXPECT_EQ(1u, made[0]->windowNumber);
    EXPECT_EQ(0x11u, made[0]->restoredTag);
    EXPECT_EQ(0x22u, made[1]->restoredTag);
    RECT lowerAgain = windowRect(made[0]), upperAgain = windowRect(made[1]);
    EXPECT_TRUE(EqualRect(&lowerRect, &lowerAgain));
    EXPECT_TRUE(EqualRect(&upperRect, &upperAgain));
    EXPECT_EQ(SW_SHOWNORMAL, made[0]->shownWith);
    EXPECT_TRUE(IsWindowVisible(made[1]->hwnd));
}

// A store laid down by hand in the 32-bit layout opens its windows, and saves back byte for byte.
TEST_F(WindowLayoutStoreTest, AStoreOfThe32BitLayoutSavesBackUnchanged) {
    // Window number, the placer's three blocks, then the 44-byte placement: length, flags, show
    // command, minimised and maximised positions, normal rectangle.
    auto state = [](u32 number, u32 tag, i32 left, i32 top, i32 right, i32 bottom) {
        FixedBytes out(4 + 16 + 44);
        out.u32At(0, number).u32At(8, 4).u32At(12, tag);
        out.u32At(20, 44).u32At(28, SW_SHOWNORMAL);
        for (u32 at : {32, 36, 40, 44}) out.u32At(at, (u32)-1);
        out.u32At(48, (u32)left).u32At(52, (u32)top).u32At(56, (u32)right).u32At(60, (u32)bottom);
        return out.bytes;
    };
    writeStore(entryBytes(TypeObjectWindow, state(1, 0x11, 40, 50, 340, 250)) +
               entryBytes(TypeObjectWindow, state(2, 0x22, 200, 120, 560, 380)));
    const std::string stored = dir.read("ravo_layout.ini");

    EXPECT_EQ(2u, loadWindowLayout(path.c_str(), factory));
    ASSERT_EQ(2u, made.size());
    EXPECT_EQ(2u, made[1]->windowNumber);
    EXPECT_EQ(0x11u, made[0]->restoredTag);
    RECT r = windowRect(made[1]);
    EXPECT_EQ(200, r.left);
    EXPECT_EQ(380, r.bottom);
    for (StoredWindow* w : made) static_cast<StatePlacer*>(w->placer)->tag = w->restoredTag;  // the content kept
    ASSERT_TRUE(saveWindowLayout(path.c_str()));
    EXPECT_EQ(bytesHex(stored), bytesHex(dir.read("ravo_layout.ini")));
}

TEST_F(WindowLayoutStoreTest, EntriesWithoutStateAreCentredThenCascaded) {
    writeStore(entryBytes(75, "") + entryBytes(75, ""));
    EXPECT_EQ(2u, loadWindowLayout(path.c_str(), factory));
    ASSERT_EQ(2u, made.size());
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT first = windowRect(made[0]), second = windowRect(made[1]);
    EXPECT_EQ(320, first.right - first.left);
    EXPECT_EQ(240, first.bottom - first.top);
    EXPECT_EQ((area.left + area.right) / 2 - 160, first.left);
    EXPECT_EQ((area.top + area.bottom) / 2 - 120, first.top);
    EXPECT_EQ(first.left + 20, second.left);
    EXPECT_EQ(first.top + 20, second.top);
}

TEST_F(WindowLayoutStoreTest, UnknownTypesAreSkippedAndDamagedStoresStillStart) {
    // A good object window state: number 5, three empty blocks, no placement.
    std::string good = std::string("\x05\0\0\0", 4) + std::string(12, '\0');
    struct Case {
        const char* name;
        std::string body;
        u32 version;
        std::vector<i32> calls;
        u32 result;
    } cases[] = {
        {"unknown type skipped", entryBytes(1234, "xyz") + entryBytes(75, good), 3, {1234, 75}, 1},
        {"only unknown types", entryBytes(1234, ""), 3, {1234, -1}, 0},
        {"wrong version", entryBytes(75, good), 2, {-1}, 0},
        {"short type id", std::string("\x4b\0", 2), 3, {-1}, 0},
        {"length past the end", entryBytes(75, good).substr(0, 12), 3, {-1}, 0},
        {"placer block past its end", entryBytes(75, std::string("\x05\0\0\0\xff\0\0\0", 8)), 3, {75}, 1},
        {"damage after a good entry", entryBytes(75, good) + std::string("\x4b\0\0\0\x40", 5), 3, {75}, 1},
        {"empty body", "", 3, {-1}, 0},
    };
    for (const Case& c : cases) {
        factoryCalls.clear();
        writeStore(c.body, c.version);
        EXPECT_EQ(c.result, loadWindowLayout(path.c_str(), factory)) << c.name;
        EXPECT_EQ(c.calls, factoryCalls) << c.name;
        for (StoredWindow* w : made) EXPECT_TRUE(IsWindowVisible(w->hwnd) || c.calls.back() == -1) << c.name;
        closeAll();
    }
    // Garbage in place of the file, and no file at all.
    dir.write("ravo_layout.ini", "garbage, not a store");
    factoryCalls.clear();
    EXPECT_EQ(0u, loadWindowLayout(path.c_str(), factory));
    EXPECT_EQ(std::vector<i32>{-1}, factoryCalls);
    closeAll();
    factoryCalls.clear();
    EXPECT_EQ(0u, loadWindowLayout(dir.file("none.ini").c_str(), factory));
    EXPECT_EQ(std::vector<i32>{-1}, factoryCalls);
}

TEST_F(WindowLayoutStoreTest, ADocumentIsBroughtForwardOrGetsANewWindow) {
    struct FilePlacer : StatePlacer {
        using StatePlacer::StatePlacer;
        bool showFilePage(const char* path) override { return file == path; }
        std::string file;
    };
    StoredWindow* a = static_cast<StoredWindow*>(factory(TypeObjectWindow));
    FilePlacer* placer = new FilePlacer(a);
    placer->file = "C:\\song.wav";
    a->setPlacer(placer);
    factoryCalls.clear();
    EXPECT_EQ(a, findOrMakeDocumentWindow("C:\\song.wav", factory));
    EXPECT_TRUE(factoryCalls.empty());
    GObjectWindow* other = findOrMakeDocumentWindow("C:\\other.wav", factory);
    ASSERT_NE(nullptr, other);
    EXPECT_NE(a, other);
    EXPECT_EQ(std::vector<i32>{75}, factoryCalls);
}

TEST_F(WindowLayoutStoreTest, TheTitleFollowsThePlacerCaption) {
    struct CaptionPlacer : StatePlacer {
        using StatePlacer::StatePlacer;
        const char* firstCaption() override { return "song.wav"; }
        bool isModified() override { return modified; }
        bool modified = false;
    };
    StoredWindow* w = static_cast<StoredWindow*>(factory(TypeObjectWindow));
    CaptionPlacer* placer = new CaptionPlacer(w);
    w->setPlacer(placer);
    GAppWindow::refreshFrame(w);
    std::string product = productName().c_str();
    EXPECT_EQ(product + " - song.wav", w->getText().c_str());
    placer->modified = true;
    GControlNotification titleChanged;
    titleChanged.source = placer;
    titleChanged.code = 8;
    EXPECT_TRUE(w->onControlNotify(&titleChanged));
    EXPECT_EQ(product + " - song.wav*", w->getText().c_str());
}
