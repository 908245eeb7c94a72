#include "gui/frame/app_window.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/bag_file.h"
#include "gui/frame/help.h"
#include "gui/frame/object_window.h"
#include "gui/frame/placer.h"
#include "gui/frame/window_layout_store.h"
#include "gui/input/input_event.h"
#include "gui/input/key_names.h"
#include "gui/kernel/application.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/action_table.h"
#include "gui/menus/grip_tracker.h"
#include "gui/menus/key_bindings.h"
#include "gui/menus/menu.h"
#include "gui/menus/menu_bar.h"
#include "gui/paint/image_list_cache.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

void dropQuitMessage() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

struct HandedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<HandedMessage> handed;
LRESULT WINAPI recordMenuKey(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    handed.push_back({message, wParam, lParam});
    return 0;
}

class TestAppWindow : public GAppWindow {
public:
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
        if (message == WM_MENUCHAR) {
            // Wine's conversion of the message to the wide window keeps only the character.
            menuChars.push_back(LOWORD(wParam));
            *result = menuCharAnswer;
            return true;
        }
        return GAppWindow::handleMessage(message, wParam, lParam, result);
    }
    bool answerStateQuery(u32 kind, GStateQuery* query) override {
        requests.emplace_back(kind, query->command);
        if (kind == QueryEnabled || kind == QueryChecked) return GAppWindow::answerStateQuery(kind, query);
        return kind == RequestCustomizeAction || (kind == QueryExecute && taken.count(query->command));
    }
    i32 commandState(u32 command) override {
        auto it = states.find(command);
        return it != states.end() ? it->second : GAppWindow::commandState(command);
    }
    i32 commandChecked(u32 command) override { return checked.count(command) ? 1 : CommandUnknown; }

    std::vector<u32> menuChars;
    LRESULT menuCharAnswer = 0;
    std::vector<std::pair<u32, u32>> requests;
    std::map<u32, i32> states;
    std::map<u32, bool> checked;
    std::set<u32> taken;  // commands it runs
};

// A menu bar with one popup whose item id is the action given.
HMENU makeMenuBar(u32 barItemId) {
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 500, "Item");
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.wID = barItemId;
    info.hSubMenu = popup;
    info.dwTypeData = const_cast<char*>("&File");
    InsertMenuItemA(bar, 0, TRUE, &info);
    return bar;
}

void showQuietly(GParentWindow* window, i32 x, i32 y, i32 w, i32 h) {
    SetWindowPos(window->hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

GActionItem actions[4];
char* actionTitles[4] = {};

class AppWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        handed.clear();
        menuKeyProcedure = recordMenuKey;
        for (int i = 0; i < 4; ++i) {
            actions[i].id = 500 + i;
            actions[i].title = &actionTitles[i];
            registerAction(&actions[i]);
        }
    }
    void TearDown() override {
        // Quitting: the ends of the windows activate no other (each activation costs Wine 2 s);
        // the quit that the last end then asks for is taken off the queue.
        // Quitting: the ends of the windows activate no other (each activation costs Wine 2 s);
        // the quit that the last end then asks for is taken off the queue.
        app.app.quitting = true;
        for (GParentWindow* w : windows)
            if (IsWindow(w->hwnd)) DestroyWindow(w->hwnd);
        app.app.quitting = false;
        dropQuitMessage();
        for (GActionItem& a : actions) unregisterAction(&a);
        menuKeyProcedure = DefWindowProcA;
        GAppWindow::currentDynamicAction = 0;
        toolBarMenuHooks = savedHooks;
    }
    ToolBarMenuHooks savedHooks = toolBarMenuHooks;
    TestAppWindow* make(bool menuBar, u32 style = WS_OVERLAPPEDWINDOW) {
        TestAppWindow* w = new TestAppWindow;
        EXPECT_TRUE(createTopLevelWindow(w, style, 0, "app"));
        if (menuBar) SetMenu(w->hwnd, makeMenuBar(500));
        windows.push_back(w);
        return w;
    }
    TestApplication app;
    std::vector<GParentWindow*> windows;
};

GInputEvent key(u32 kind, u32 vk, u32 mods, bool repeat = false) {
    GInputEvent e;
    e.kind = kind;
    e.key = vk;
    e.modifiers = mods;
    e.repeat = repeat;
    return e;
}

}  // namespace

TEST_F(AppWindowTest, MenuKeys) {
    struct Case {
        const char* name;
        bool menuBar;
        std::vector<GInputEvent> events;
        i32 lastAnswer;
        bool opens;
    } cases[] = {
        {"Alt alone", true, {key(KeyDown, VK_MENU, ModAlt), key(KeyUp, VK_MENU, 0)}, 2, true},
        {"Alt, a key, Alt up", true,
         {key(KeyDown, VK_MENU, ModAlt), key(KeyDown, 'X', ModAlt), key(KeyUp, 'X', ModAlt), key(KeyUp, VK_MENU, 0)}, 0,
         false},
        {"Alt up with Shift held", true, {key(KeyDown, VK_MENU, ModAlt), key(KeyUp, VK_MENU, ModShift)}, 0, false},
        {"F10 alone", true, {key(KeyDown, VK_F10, 0), key(KeyUp, VK_F10, 0)}, 2, true},
        {"Shift+F10", true, {key(KeyDown, VK_F10, ModShift), key(KeyUp, VK_F10, 0)}, 0, false},
        {"F10 held, Shift touched during its repeats", true,
         {key(KeyDown, VK_F10, 0), key(KeyDown, VK_F10, ModShift, true), key(KeyUp, VK_F10, 0)}, 2, true},
        {"Alt held, its repeats", true,
         {key(KeyDown, VK_MENU, ModAlt), key(KeyDown, VK_MENU, ModAlt, true), key(KeyUp, VK_MENU, 0)}, 2, true},
        {"no menu bar", false, {key(KeyDown, VK_MENU, ModAlt), key(KeyUp, VK_MENU, 0)}, 0, false},
    };
    for (const Case& c : cases) {
        TestAppWindow* w = make(c.menuBar);
        handed.clear();
        i32 answer = -1;
        for (GInputEvent e : c.events) answer = w->handleMenuKeys(&e);
        EXPECT_EQ(c.lastAnswer, answer) << c.name;
        if (!c.opens) {
            EXPECT_TRUE(handed.empty()) << c.name;
            continue;
        }
        LPARAM scan = (LPARAM)MapVirtualKeyA(VK_F10, 0) << 16;
        ASSERT_EQ(2u, handed.size()) << c.name;
        EXPECT_EQ((UINT)WM_KEYDOWN, handed[0].message);
        EXPECT_EQ((WPARAM)VK_F10, handed[0].wParam);
        EXPECT_EQ(scan | 1, handed[0].lParam);
        EXPECT_EQ((UINT)WM_KEYUP, handed[1].message);
        EXPECT_EQ((WPARAM)VK_F10, handed[1].wParam);
        EXPECT_EQ(scan | (LPARAM)0xC0000001u, handed[1].lParam);
    }
}

TEST_F(AppWindowTest, AltCharactersGoToTheSystemMenuOrTheMenuBar) {
    TestAppWindow* w = make(true);
    GInputEvent space = key(KeyCharacter, ' ', ModAlt);
    EXPECT_EQ(1, w->handleMenuKeys(&space));  // passed on: the system opens its menu
    EXPECT_TRUE(w->menuChars.empty());

    GInputEvent letter = key(KeyCharacter, 'f', ModAlt);
    EXPECT_EQ(0, w->handleMenuKeys(&letter));
    w->menuCharAnswer = MAKELONG(0, 2);
    EXPECT_EQ(1, w->handleMenuKeys(&letter));
    EXPECT_EQ((std::vector<u32>{'f', 'f'}), w->menuChars);

    // Without a system menu the space goes to the menu bar like a letter.
    TestAppWindow* popup = make(true, WS_POPUP);
    w->menuCharAnswer = 0;
    EXPECT_EQ(0, popup->handleMenuKeys(&space));
    EXPECT_EQ((std::vector<u32>{' '}), popup->menuChars);
    EXPECT_TRUE(handed.empty());
}

TEST_F(AppWindowTest, OpeningAPopupUpdatesOnlyTheItemsWhoseStateChanged) {
    TestAppWindow* w = make(true);
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 500, "becomes gray");
    AppendMenuA(popup, MF_STRING | MF_GRAYED, 501, "becomes enabled");
    AppendMenuA(popup, MF_STRING, 502, "becomes checked");
    // Disabled but not gray, for an enabled action: left alone, so it keeps its disabled bit.
    AppendMenuA(popup, MF_STRING | MF_DISABLED, 503, "untouched");
    AppendMenuA(popup, MF_STRING, 42, "no action");
    w->states = {{500, CommandDisabled}, {501, CommandEnabled}, {502, CommandEnabled}, {503, CommandEnabled}};
    w->checked = {{502, true}};
    w->updateMenuState(0, 0, (intptr_t)popup);
    auto state = [&](int i) { return GetMenuState(popup, i, MF_BYPOSITION); };
    EXPECT_EQ((UINT)MF_GRAYED, state(0) & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
    EXPECT_EQ(0u, state(1) & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
    EXPECT_EQ((UINT)MF_CHECKED, state(2) & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
    EXPECT_EQ((UINT)MF_DISABLED, state(3) & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
    EXPECT_EQ(0u, state(4) & (MF_GRAYED | MF_DISABLED | MF_CHECKED));

    // A check that went away is taken off.
    w->checked.clear();
    w->updateMenuState(0, 0, (intptr_t)popup);
    EXPECT_EQ(0u, state(2) & MF_CHECKED);
    DestroyMenu(popup);
}

TEST_F(AppWindowTest, CommandsHelpAndToolBarMenu) {
    TestAppWindow* plain = make(false);
    TestAppWindow* w = make(true);
    w->helpPage = "main.htm";
    struct Case {
        TestAppWindow* window;
        u32 id;
        i32 state;
    } cases[] = {
        {plain, 9, CommandDisabled}, {w, 101, CommandEnabled}, {plain, 500, CommandUnknown},
        {w, 500, CommandUnknown},    {w, 999, CommandUnknown}, {w, 180, CommandEnabled},
        {w, 5000, CommandUnknown},   {w, 10001, CommandUnknown},
    };
    for (const Case& c : cases) EXPECT_EQ(c.state, c.window->isCommandEnabled(c.id)) << c.id;

    // A menu action is enabled while one of its items is enabled for the window.
    static const i32 items[] = {501, 502};
    actions[0].subItems = items;
    actions[0].subItemCount = 2;
    w->states = {{501, CommandDisabled}, {502, CommandDisabled}};
    EXPECT_EQ(CommandUnknown, w->isCommandEnabled(500));
    w->states[502] = CommandEnabled;
    EXPECT_EQ(CommandEnabled, w->isCommandEnabled(500));
    // An item that holds its own menu again ends the walk.
    static const i32 self[] = {500};
    actions[0].subItems = self;
    actions[0].subItemCount = 1;
    EXPECT_EQ(CommandUnknown, w->isCommandEnabled(500));
    actions[0].subItems = nullptr;
    actions[0].subItemCount = 0;
    w->states.clear();

    // Help without a page opens nothing.
    static std::vector<std::string> opened;
    opened.clear();
    ShellOpen savedOpen = shellOpen;
    shellOpen = [](void*, const char* address) { opened.push_back(address); };
    w->helpPage = nullptr;
    EXPECT_TRUE(w->onCommand(9, nullptr));
    EXPECT_TRUE(opened.empty());
    w->helpPage = "http://help.test/main.htm";
    EXPECT_TRUE(w->onCommand(101, nullptr));
    EXPECT_EQ(std::vector<std::string>{"http://help.test/main.htm"}, opened);
    shellOpen = savedOpen;

    static std::vector<i32> ran;
    ran.clear();
    toolBarMenuHooks.rebuild = [](GParentWindow*) { return 3; };
    toolBarMenuHooks.run = [](GParentWindow*, i32 index) {
        ran.push_back(index);
        return true;
    };
    EXPECT_FALSE(w->onCommand(10002, nullptr));  // the tool-bar menu is not open
    GAppWindow::currentDynamicAction = ToolBarMenuAction;
    EXPECT_EQ(CommandEnabled, w->isCommandEnabled(10001));
    EXPECT_TRUE(w->onCommand(10002, nullptr));
    EXPECT_FALSE(w->onCommand(10003, nullptr));
    EXPECT_FALSE(plain->onCommand(10002, nullptr));
    EXPECT_EQ(std::vector<i32>{2}, ran);
}

TEST_F(AppWindowTest, TheMenuBarImageListComesFromItsBitmap) {
    TestAppWindow* w = make(true);
    EXPECT_EQ(nullptr, w->menuImageList());
    w->menuBitmapId = 101;  // the 5 x 3 test bitmap
    void* list = w->menuImageList();
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(getImageList(101), list);
    w->menuBitmapId = 9999;
    EXPECT_EQ(nullptr, w->menuImageList());
}

TEST_F(AppWindowTest, ARightClickOnAMenuItemSendsTheCustomizeRequest) {
    TestAppWindow* w = make(false);
    SetMenu(w->hwnd, makeMenuBar(502));
    showQuietly(w, 50, 50, 300, 200);
    RECT item;
    ASSERT_TRUE(GetMenuItemRect(w->hwnd, GetMenu(w->hwnd), 0, &item));
    LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(w->hwnd, WM_NCRBUTTONUP, HTMENU, at);
    EXPECT_EQ((std::vector<std::pair<u32, u32>>{{RequestCustomizeAction, 502}}), w->requests);
    SendMessageA(w->hwnd, WM_NCRBUTTONUP, HTCAPTION, at);
    EXPECT_EQ(1u, w->requests.size());

    // A right-button release over an open popup's item: actions only.
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 501, "Action");
    AppendMenuA(popup, MF_STRING, 5000, "Other");
    GMenu holder(popup, true);
    w->requests.clear();
    for (WPARAM position : {0, 1, 7}) SendMessageA(w->hwnd, WM_MENURBUTTONUP, position, (LPARAM)popup);
    EXPECT_EQ((std::vector<std::pair<u32, u32>>{{RequestCustomizeAction, 501}}), w->requests);
}

TEST_F(AppWindowTest, WindowListOrderAndPlacementHelpers) {
    TestAppWindow* b = make(false);
    TestAppWindow* a = make(false);
    b->setText("b");
    a->setText("a");
    std::vector<GParentWindow*> order = GAppWindow::windowListOrder();
    ASSERT_EQ(2u, order.size());
    EXPECT_EQ(a, order[0]);
    EXPECT_EQ(b, order[1]);

    showQuietly(a, 100, 100, 400, 300);
    showQuietly(b, 0, 0, 50, 50);
    GAppWindow::maximize(a, b);
    RECT ra, rb;
    GetWindowRect(a->hwnd, &ra);
    GetWindowRect(b->hwnd, &rb);
    EXPECT_EQ((RECT{100, 100, 500, 250}), ra);
    EXPECT_EQ((RECT{100, 250, 500, 400}), rb);
    GAppWindow::restore(a, b);
    GetWindowRect(a->hwnd, &ra);
    GetWindowRect(b->hwnd, &rb);
    EXPECT_EQ((RECT{100, 100, 300, 250}), ra);
    EXPECT_EQ((RECT{300, 100, 500, 250}), rb);
    GAppWindow::arrangeWindows(b, a);
    EXPECT_EQ(b->hwnd, GetWindow(a->hwnd, GW_HWNDNEXT));
}

namespace {
enum : u32 { KindA = 931, KindB = 932 };

class KindWindow : public TestAppWindow {
public:
    explicit KindWindow(u32 type) : type(type) {}
    u32 typeId() const override { return type; }
    bool isKindOf(u32 id) const override { return id == type || TestAppWindow::isKindOf(id); }
    u32 type;
};

const i32 fileIds[] = {500, 501};
const i32 barIds[] = {502};
char* customizeTitle = const_cast<char*>("Customize");

// Two window kinds, each with a menu of the bar, a tool bar and an internal record.
class SystemMenuTest : public AppWindowTest {
protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        customize.id = CustomizeActionId;
        customize.title = &customizeTitle;
        customize.keyName = "SYS_CUSTOMIZE";
        registerAction(&customize);
        for (int k = 0; k < 2; ++k) {
            kinds[k].typeId = k ? KindB : KindA;
            kinds[k].name = k ? "KindB" : "KindA";
            registerWindowKind(&kinds[k]);
            const u32 entryKinds[3] = {SpecMenu, SpecToolBar, SpecInternal};
            for (int i = 0; i < 3; ++i) {
                GToolBarSpec& s = specs[k][i];
                s.name = i == 0 ? "File" : i == 1 ? "Bar" : "Inner";
                s.defaultIds = i == 1 ? barIds : fileIds;
                s.defaultCount = i == 1 ? 1 : 2;
                s.entryKind = entryKinds[i];
                linkSpec(&kinds[k], &s);
            }
        }
    }
    void TearDown() override {
        AppWindowTest::TearDown();
        for (int k = 0; k < 2; ++k) {
            for (GToolBarSpec& s : specs[k]) unlinkSpec(&s);
            unregisterWindowKind(&kinds[k]);
        }
        unregisterAction(&customize);
    }
    KindWindow* makeOf(u32 type) {
        KindWindow* w = new KindWindow(type);
        EXPECT_TRUE(createTopLevelWindow(w, WS_OVERLAPPEDWINDOW, 0, "app"));
        windows.push_back(w);
        return w;
    }
    static i32 barMenus(GParentWindow* w) { return GetMenu(w->hwnd) ? GetMenuItemCount(GetMenu(w->hwnd)) : -1; }

    GActionItem customize;
    WindowKind kinds[2];
    GToolBarSpec specs[2][3];
};

TEST_F(SystemMenuTest, UpdateBuildsTheMenuBarAndAddsTheCustomizeItemOnce) {
    KindWindow* w = makeOf(KindA);
    ASSERT_EQ(nullptr, GetMenu(w->hwnd));
    GAppWindow::updateSystemMenu(w);
    GAppWindow::updateSystemMenu(w);
    EXPECT_EQ(1, barMenus(w));
    HMENU popup = GetSubMenu(GetMenu(w->hwnd), 0);
    EXPECT_EQ(2, GetMenuItemCount(popup));

    HMENU system = GetSystemMenu(w->hwnd, FALSE);
    i32 count = GetMenuItemCount(system), customizeItems = 0;
    for (i32 i = 0; i < count; ++i) customizeItems += GetMenuItemID(system, i) == CustomizeActionId;
    EXPECT_EQ(1, customizeItems);
    i32 at = findCustomizeItem(system);
    ASSERT_EQ(count - 1, at);
    EXPECT_TRUE(GetMenuState(system, at - 1, MF_BYPOSITION) & MF_SEPARATOR);
    char text[32] = {};
    GetMenuStringA(system, at, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("Customize", text);

    // No shown menu and no bar: none is made.
    specs[1][0].shown = 0;
    KindWindow* bare = makeOf(KindB);
    GAppWindow::updateSystemMenu(bare);
    EXPECT_EQ(-1, barMenus(bare));
    EXPECT_GE(findCustomizeItem(GetSystemMenu(bare->hwnd, FALSE)), 0);
}

TEST_F(SystemMenuTest, TogglingARecordUpdatesEveryWindowOfItsKind) {
    KindWindow* a1 = makeOf(KindA);
    KindWindow* a2 = makeOf(KindA);
    KindWindow* b = makeOf(KindB);
    for (GParentWindow* w : {(GParentWindow*)a1, (GParentWindow*)a2, (GParentWindow*)b}) GAppWindow::updateSystemMenu(w);

    toggleSpecShown(&specs[0][0]);
    EXPECT_EQ(0, specs[0][0].shown);
    EXPECT_EQ(0, barMenus(a1));
    EXPECT_EQ(0, barMenus(a2));
    EXPECT_EQ(1, barMenus(b));
    toggleSpecShown(&specs[0][0]);
    EXPECT_EQ(1, barMenus(a1));
    EXPECT_EQ(1, barMenus(a2));

    // Internal records are never toggled.
    toggleSpecShown(&specs[0][2]);
    EXPECT_EQ(1, specs[0][2].shown);
}

TEST_F(SystemMenuTest, TheToolBarMenuTogglesTheKindsMenusAndToolBars) {
    KindWindow* w = makeOf(KindA);
    GAppWindow::updateSystemMenu(w);
    GAppWindow::currentDynamicAction = ToolBarMenuAction;
    EXPECT_EQ(2, toolBarMenuHooks.rebuild(w));  // the internal record is not listed
    EXPECT_TRUE(w->onCommand(FirstToolBarMenuCommand + 1, nullptr));
    EXPECT_EQ(0, specs[0][1].shown);
    EXPECT_TRUE(w->onCommand(FirstToolBarMenuCommand, nullptr));
    EXPECT_EQ(0, barMenus(w));
    EXPECT_FALSE(w->onCommand(FirstToolBarMenuCommand + 2, nullptr));
    EXPECT_EQ(1, specs[0][2].shown);
}

// Default key bindings in force for one test; the table is emptied again at its end.
struct BindingsInForce {
    explicit BindingsInForce(std::vector<GKeyBinding> list) : list(std::move(list)) {
        group.bindings = this->list.data();
        group.count = (u32)this->list.size();
        registerKeyBindingGroup(&group);
        loadKeyBindings(true);
    }
    ~BindingsInForce() {
        unregisterKeyBindingGroup(&group);
        loadKeyBindings(true);
    }
    std::vector<GKeyBinding> list;
    KeyBindingGroup group;
};

TEST_F(SystemMenuTest, BoundKeysRunTheirCommandsBeforeTheMenuKeys) {
    BindingsInForce bindings({
        {500, 'K', KeyCtrl, 0, -1},
        {501, 'K', KeyCtrl, 0, KindA},
        {502, 'J', KeyCtrl, 0, -1},
        {950, 'L', KeyCtrl, 0, -1},  // no action record
        {501, 'X', KeyAlt, 0, -1},
        {500, VK_F10, KeyShift, 0, -1},
    });
    KindWindow* a = makeOf(KindA);
    KindWindow* b = makeOf(KindB);
    TestAppWindow* plain = make(false);
    for (TestAppWindow* w : {(TestAppWindow*)a, (TestAppWindow*)b, plain}) {
        GAppWindow::updateSystemMenu(w);
        w->taken = {500, 501};
    }
    const u32 Run = QueryExecute;
    struct Case {
        const char* name;
        TestAppWindow* window;
        std::vector<GInputEvent> events;
        i32 lastAnswer;
        std::vector<std::pair<u32, u32>> requests;
        bool opens;
    } cases[] = {
        {"the kind's binding", a, {key(KeyDown, 'K', ModCtrl)}, 2, {{Run, 501}}, false},
        {"the binding of every kind", b, {key(KeyDown, 'K', ModCtrl)}, 2, {{Run, 500}}, false},
        {"not taken", a, {key(KeyDown, 'J', ModCtrl)}, 0, {{Run, 502}}, false},
        {"no action", a, {key(KeyDown, 'L', ModCtrl)}, 0, {}, false},
        {"key up", a, {key(KeyUp, 'K', ModCtrl)}, 0, {}, false},
        {"no menu bar", plain, {key(KeyDown, 'K', ModCtrl)}, 0, {}, false},
        {"a bound key between Alt down and up", a,
         {key(KeyDown, VK_MENU, ModAlt), key(KeyDown, 'X', ModAlt), key(KeyUp, 'X', ModAlt), key(KeyUp, VK_MENU, 0)}, 0,
         {{Run, 501}}, false},
        {"Shift+F10 bound, F10 alone unbound", a,
         {key(KeyDown, VK_F10, ModShift), key(KeyUp, VK_F10, 0), key(KeyDown, VK_F10, 0), key(KeyUp, VK_F10, 0)}, 2,
         {{Run, 500}}, true},
        {"Alt alone", b, {key(KeyDown, VK_MENU, ModAlt), key(KeyUp, VK_MENU, 0)}, 2, {}, true},
    };
    for (const Case& c : cases) {
        c.window->requests.clear();
        handed.clear();
        i32 answer = -1;
        for (GInputEvent e : c.events) answer = c.window->handleMenuKeys(&e);
        EXPECT_EQ(c.lastAnswer, answer) << c.name;
        EXPECT_EQ(c.requests, c.window->requests) << c.name;
        EXPECT_EQ(c.opens ? 2u : 0u, handed.size()) << c.name;
    }
}

TEST_F(SystemMenuTest, NewBindingsRenewTheKeyTextsOfTheMenuBars) {
    KindWindow* w = makeOf(KindA);
    GAppWindow::updateSystemMenu(w);
    auto itemText = [&] { return std::string(menuStringAt(GetSubMenu(GetMenu(w->hwnd), 0), 1).c_str()); };
    EXPECT_EQ(std::string::npos, itemText().find('\t'));
    GString ctrlM;
    keyToText(ctrlM, 'M', KeyCtrl);
    {
        BindingsInForce bindings({{501, 'M', KeyCtrl, 0, KindA}});
        std::string text = itemText();
        ASSERT_GE(text.size(), ctrlM.length);
        EXPECT_EQ(std::string("\t") + ctrlM.c_str(), text.substr(text.find('\t')));
    }
    EXPECT_EQ(std::string::npos, itemText().find('\t'));
}

TEST_F(SystemMenuTest, TheGripTrackerUpdatesOtherWindowsOfTheKind) {
    KindWindow* w = makeOf(KindA);
    specs[0][0].shown = 1;
    toolBarSetChanged(w);
    EXPECT_EQ(1, barMenus(w));
    EXPECT_GE(findCustomizeItem(GetSystemMenu(w->hwnd, FALSE)), 0);
}
}  // namespace
