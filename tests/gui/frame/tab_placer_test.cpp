// The tabbed placer with a fake page factory and recording pages on real windows: the order of a
// tab change, the kind record and help page, closing with the view state, moving, the saved list
// (bytes, unknown kinds, a cut bag) and dragging a page into another top-level window.
#include "gui/frame/tab_placer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "gui/controls/page_stack.h"
#include "gui/frame/page_factory.h"
#include "gui/input/system_input.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_transaction.h"
#include "gui/menus/action_table.h"
#include "gui/views/tab.h"
#include "gui/views/tab_actions.h"
#include "tests/gui/gui_fixture.h"

namespace {
std::vector<std::string> events;

class LogWindow : public GAppWindow {
public:
    bool onControlNotify(void* data) override {
        auto* n = static_cast<GControlNotification*>(data);
        events.push_back("notify" + std::to_string(n->code));
        return true;
    }
};

WindowKind kindA, kindB, ownKind;

class RecordingPage : public GPlacer {
public:
    RecordingPage(GWindow* parent, u32 kind) : GPlacer(parent), pageKind(kind) {
        kindRecord = kind == 1 ? &kindA : &kindB;
        helpPage = kind == 1 ? "a.htm" : "b.htm";
        name = "page" + std::to_string(++made);
    }
    u32 windowKind() override { return pageKind; }
    const char* firstCaption() override { return name.c_str(); }
    void activatePage() override {
        GPlacer::activatePage();
        events.push_back(name + ".activate");
    }
    void deactivatePage() override { events.push_back(name + ".deactivate"); }
    void detach() override { events.push_back(name + ".detach"); }
    bool notSaved() override { return skip; }
    void saveViewState(GBag& bag) override { bagWriteString(bag, name.c_str()); }
    void saveStateBlocks(GBag* blocks) override {
        bagWriteBytes(blocks[0], name.data(), (u32)name.size());
        bagWriteU8(blocks[2], (u8)pageKind);
    }
    void restorePage(GBag* blocks) override {
        name.assign((const char*)blocks[0].data, blocks[0].size);
        GPlacer::restorePage(blocks);
    }
    i32 closeState() override { return close; }

    static int made;
    u32 pageKind;
    std::string name;
    bool skip = false;
    i32 close = 0;
};
int RecordingPage::made = 0;

class Factory : public PageFactory {
public:
    GPlacer* create(GWindow* parent, u32 kind) override {
        if (kind != 1 && kind != 2) return nullptr;
        return new RecordingPage(parent, kind);
    }
};
Factory factory;

// The application window deletes itself with its native window.
struct Window {
    LogWindow& window = *new LogWindow;
    GTabPlacer* placer;
    explicit Window(i32 x) {
        createTopLevelWindow(&window, WS_POPUP | WS_CLIPCHILDREN, 0, "tabs");
        placer = new GTabPlacer(&window, &ownKind);
        window.setContent(placer);
        SetWindowPos(window.hwnd, HWND_TOP, x, 0, 300, 200, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        applyLayoutChange(placer, RECT{0, 0, 300, 200});
    }
    ~Window() {
        SetWindowLongA(window.hwnd, GWL_STYLE, GetWindowLongA(window.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(window.hwnd);
    }
    RecordingPage* page(i32 i) { return static_cast<RecordingPage*>(placer->pageAt(i)); }
    std::string names() {
        std::string s;
        for (i32 i = 0; i < placer->pageCount(); ++i) s += page(i)->name + (i == placer->pages->current ? "*" : "") + ";";
        return s;
    }
};

struct Fixture {
    TestApplication app;
    Fixture() {
        RecordingPage::made = 0;
        events.clear();
        setPageFactory(&factory);
    }
    ~Fixture() { setPageFactory(nullptr); }
};
}  // namespace

TEST(TabPlacer, ATabChangeRunsInOrderAndSetsKindAndHelpPage) {
    Fixture f;
    Window w(0);
    EXPECT_EQ(nullptr, w.placer->addPageOfKind(9));  // the factory cannot make it
    EXPECT_EQ(0, w.placer->pageCount());
    ASSERT_NE(nullptr, w.placer->addPageOfKind(1));
    ASSERT_NE(nullptr, w.placer->addPageOfKind(2));
    EXPECT_EQ("page1;page2*;", w.names());
    EXPECT_EQ(&kindB, w.window.currentKind);
    EXPECT_EQ(&kindB, windowKindOf(&w.window));
    EXPECT_STREQ("b.htm", w.window.helpPage);
    EXPECT_EQ(1, w.placer->strip->current);

    events.clear();
    w.placer->strip->select(0);
    EXPECT_EQ((std::vector<std::string>{"notify7", "notify8", "page2.deactivate", "page1.activate"}), events);
    EXPECT_EQ(0, layoutTransactionDepth);
    EXPECT_EQ(&kindA, w.window.currentKind);
    EXPECT_STREQ("a.htm", w.window.helpPage);
    EXPECT_TRUE(w.page(0)->visible());
    EXPECT_FALSE(w.page(1)->visible());

    // The tab already current, or a hidden placer: nothing at all.
    events.clear();
    w.placer->tabChanged(0, 0);
    w.placer->cellFlags &= ~CellVisible;
    w.placer->tabChanged(0, 1);
    w.placer->cellFlags |= CellVisible;
    EXPECT_TRUE(events.empty());

    // Closing leaves the view state with the kind; with no page left, the placer's own kind and
    // the default help page.
    GBag stateA;
    kindA.viewState = &stateA;
    EXPECT_TRUE(w.placer->strip->closeTab(0));
    kindA.viewState = nullptr;
    EXPECT_EQ("page1", std::string((const char*)stateA.data));
    EXPECT_EQ("page2*;", w.names());
    EXPECT_EQ(&kindB, w.window.currentKind);
    EXPECT_TRUE(w.placer->strip->closeTab(0));
    EXPECT_EQ("", w.names());
    EXPECT_EQ(&ownKind, w.window.currentKind);
    EXPECT_STREQ("index.htm", w.window.helpPage);
    EXPECT_EQ(-1, w.placer->strip->current);
}

TEST(TabPlacer, CloseStateMoveAndForwarding) {
    Fixture f;
    Window w(0);
    for (u32 k : {1u, 2u, 1u}) w.placer->addPageOfKind(k);
    EXPECT_EQ("page1;page2;page3*;", w.names());
    // Gaps next to the tab change nothing; a real move renumbers.
    w.placer->moveTab(1, 1, 2);
    w.placer->moveTab(1, 2, 2);
    EXPECT_EQ("page1;page2;page3*;", w.names());
    w.placer->moveTab(0, 3, 1);
    EXPECT_EQ("page2;page3*;page1;", w.names());
    for (i32 i = 0; i < 3; ++i) EXPECT_EQ(i, w.page(i)->index);
    EXPECT_STREQ("page3", w.placer->firstCaption());
    // 1 ends the scan; else 2 wins over 0.
    w.page(0)->close = 2;
    EXPECT_EQ(2, w.placer->closeState());
    w.page(2)->close = 1;
    EXPECT_EQ(1, w.placer->closeState());
    w.page(0)->close = w.page(2)->close = 0;
    EXPECT_EQ(0, w.placer->closeState());
    // Activation takes a new stamp and reaches the current page.
    events.clear();
    i32 before = w.placer->serial;
    w.placer->activatePage();
    EXPECT_GT(w.placer->serial, before);
    EXPECT_EQ(std::vector<std::string>{"page3.activate"}, events);
    // A hidden page asking to be shown selects its tab.
    w.page(0)->notify(LayoutReveal);
    EXPECT_EQ(0, w.placer->strip->current);
    EXPECT_EQ("page2*;page3;page1;", w.names());
}

TEST(TabPlacer, SavedPagesRestoreAndSkipWhatCannotBeMade) {
    Fixture f;
    GBag blocks[3];
    {
        Window w(0);
        for (u32 k : {1u, 2u, 1u}) w.placer->addPageOfKind(k);
        w.page(1)->skip = true;
        w.placer->strip->select(2);
        w.placer->saveStateBlocks(blocks);
        // kind, three blocks (u32 length, bytes), ..., -1; the index counts saved pages only.
        GBag expected;
        for (auto [kind, name] : {std::pair<u32, const char*>{1, "page1"}, {1, "page3"}}) {
            bagWriteU32(expected, kind);
            bagWriteBlock(expected, name, 5);
            bagWriteU32(expected, 0);
            bagWriteU32(expected, 1);
            bagWriteU8(expected, (u8)kind);
        }
        bagWriteU32(expected, (u32)-1);
        ASSERT_EQ(expected.size, blocks[0].size);
        EXPECT_EQ(0, memcmp(expected.data, blocks[0].data, expected.size));
        ASSERT_EQ(4u, blocks[1].size);
        EXPECT_EQ(1, *(const i32*)blocks[1].data);
    }
    {
        Window w(0);
        for (GBag& b : blocks) b.pos = 0;
        w.placer->restorePage(blocks);
        EXPECT_EQ("page1;page3*;", w.names());
        EXPECT_EQ(1, w.placer->strip->current);
    }
    // An unknown kind is skipped with its record; a saved index out of range selects tab 0.
    GBag state, index;
    for (u32 kind : {7u, 2u}) {
        bagWriteU32(state, kind);
        bagWriteBlock(state, "xx", 2);
        bagWriteU32(state, 0);
        bagWriteU32(state, 0);
    }
    bagWriteU32(state, (u32)-1);
    bagWriteI32(index, 5);
    GBag restored[3];
    bagAssign(restored[0], state);
    bagAssign(restored[1], index);
    restored[0].pos = restored[1].pos = 0;
    {
        Window w(0);
        w.placer->restorePage(restored);
        EXPECT_EQ("xx*;", w.names());
    }
    // A bag cut short inside the second record: the first page stays.
    GBag cut;
    bagWriteBytes(cut, state.data + 18, 18);  // the kind-2 record whole
    bagWriteU32(cut, 1);
    bagWriteU32(cut, 3);
    GBag cutBlocks[3];
    bagAssign(cutBlocks[0], cut);
    cutBlocks[0].pos = 0;
    {
        Window w(0);
        EXPECT_ANY_THROW(w.placer->restorePage(cutBlocks));
        EXPECT_EQ(1, w.placer->pageCount());
        EXPECT_EQ("xx", w.page(0)->name);
    }
}

namespace {
POINT cursorAt;
BOOL placedCursor(POINT* p) {
    *p = cursorAt;
    return TRUE;
}
}  // namespace

TEST(TabPlacer, ADraggedTabMovesIntoTheOtherWindowsPlacer) {
    Fixture f;
    Window first(0), second(400);
    first.placer->addPageOfKind(1);
    second.placer->addPageOfKind(2);
    tabFlagWord = DefaultTabFlags;
    systemInput.cursorPos = placedCursor;
    GTab* strip = first.placer->strip;
    strip->layout(300);
    // Over its own window: nothing; over the other window's strip: a move.
    cursorAt = POINT{150, 100};
    EXPECT_EQ(1, first.placer->dragFeedback(0));
    cursorAt = POINT{1000, 100};
    EXPECT_EQ(1, first.placer->dragFeedback(0));
    cursorAt = POINT{405, 5};
    EXPECT_EQ(3, first.placer->dragFeedback(0));

    strip->beginDrag(0);
    POINT client = cursorAt;
    ScreenToClient(strip->hwnd, &client);
    strip->dragTo(client.x, client.y);
    strip->endDrag(client.x, client.y, false);
    systemInput.cursorPos = systemInputDefaults.cursorPos;

    EXPECT_EQ("", first.names());
    EXPECT_EQ(-1, first.placer->strip->current);
    EXPECT_EQ(2, second.placer->pageCount());
    RecordingPage* moved = second.page(second.placer->strip->current);
    ASSERT_NE(nullptr, moved);
    EXPECT_EQ("page1", moved->name);
    EXPECT_EQ(&second.window, moved->window);
    EXPECT_EQ(&kindA, second.window.currentKind);
    EXPECT_EQ(second.window.hwnd, GetForegroundWindow());
}

namespace {
// A listener that would open new windows but gets none.
class TearOffPlacer : public GTabPlacer {
public:
    using GTabPlacer::GTabPlacer;
    bool canOpenInNewWindow(i32) override { return true; }
};
}  // namespace

TEST(TabPlacer, ADropWithoutATargetKeepsThePage) {
    Fixture f;
    LogWindow& window = *new LogWindow;
    createTopLevelWindow(&window, WS_POPUP | WS_CLIPCHILDREN, 0, "tabs");
    auto* placer = new TearOffPlacer(&window, &ownKind);
    window.setContent(placer);
    SetWindowPos(window.hwnd, HWND_TOP, 0, 0, 300, 200, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    applyLayoutChange(placer, RECT{0, 0, 300, 200});
    placer->addPageOfKind(1);
    placer->addPageOfKind(2);
    tabFlagWord = DefaultTabFlags;
    systemInput.cursorPos = placedCursor;
    cursorAt = POINT{2000, 1000};
    EXPECT_EQ(2, placer->dragFeedback(0));
    GTab* strip = placer->strip;
    strip->layout(300);
    strip->beginDrag(1);
    strip->dragTo(100, 150);
    strip->endDrag(100, 150, false);
    systemInput.cursorPos = systemInputDefaults.cursorPos;
    ASSERT_EQ(2, placer->pageCount());
    EXPECT_EQ(1, strip->current);
    EXPECT_EQ(1, placer->pages->current);
    EXPECT_TRUE(placer->pageAt(1)->visible());
    SetWindowLongA(window.hwnd, GWL_STYLE, GetWindowLongA(window.hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(window.hwnd);
}
