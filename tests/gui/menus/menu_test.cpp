#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>

#include <string>
#include <thread>
#include <vector>

#include "core/wide_text.h"
#include "gui/controls/label.h"
#include "gui/input/system_input.h"
#include "gui/menus/action_texts.h"
#include "gui/menus/menu.h"
#include "gui/menus/menu_bar.h"
#include "gui/menus/menu_painter.h"
#include "gui/menus/menu_tracking.h"
#include "gui/menus/popup_menu.h"
#include "gui/paint/colors.h"
#include "gui/paint/gui_settings.h"
#include "gui/paint/image_list_cache.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/menu_fixture.h"

namespace {
struct ItemState {
    std::string text;
    i32 command;
    bool grayed, checked, popup;
};

std::vector<ItemState> readBack(HMENU menu) {
    std::vector<ItemState> items;
    for (i32 i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU | MIIM_ID;
        EXPECT_TRUE(GetMenuItemInfoA(menu, (UINT)i, TRUE, &info));
        EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
        GMenuItemData* data = reinterpret_cast<GMenuItemData*>(info.dwItemData);
        items.push_back({data ? data->text.c_str() : "?", data ? data->commandId : -2, (info.fState & MFS_GRAYED) != 0,
                         (info.fState & MFS_CHECKED) != 0, info.hSubMenu != nullptr});
    }
    return items;
}

std::string describe(const std::vector<ItemState>& items) {
    std::string out;
    for (const ItemState& item : items) {
        out += item.command == -1 ? std::string("-") : item.text;
        if (item.grayed) out += "[grey]";
        if (item.checked) out += "[x]";
        if (item.popup) out += "[>]";
        out += "|";
    }
    return out;
}

// Measures and draws an item of the menu through the messages a menu sends its owner.
SIZE measureItem(HMENU menu, i32 position) {
    MEASUREITEMSTRUCT m{};
    m.CtlType = ODT_MENU;
    m.itemData = (ULONG_PTR)menuItemDataAt(menu, position);
    EXPECT_TRUE(paintMenuItem(nullptr, WM_MEASUREITEM, (LPARAM)&m));
    return SIZE{(LONG)m.itemWidth, (LONG)m.itemHeight};
}

void drawItem(HDC dc, HMENU menu, i32 position, UINT state, RECT where) {
    DRAWITEMSTRUCT d{};
    d.CtlType = ODT_MENU;
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = state;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID;
    GetMenuItemInfoA(menu, (UINT)position, TRUE, &info);
    d.itemID = info.wID;
    d.hwndItem = (HWND)menu;
    d.hDC = dc;
    d.rcItem = where;
    d.itemData = (ULONG_PTR)menuItemDataAt(menu, position);
    EXPECT_TRUE(paintMenuItem(nullptr, WM_DRAWITEM, (LPARAM)&d));
}

// The strip of columns [left, left + 16) and rows [top, bottom): '#' ink, '.' background, '?' other.
std::string strip(const DibCanvas& canvas, i32 left, i32 top, i32 bottom, COLORREF ink, COLORREF background) {
    std::string text;
    for (i32 y = top; y < bottom; ++y) {
        for (i32 x = left; x < left + 16; ++x) {
            COLORREF c = canvas.pixel(x, y);
            text += c == ink ? '#' : c == background ? '.' : '?';
        }
        text += '\n';
    }
    return text;
}

std::string blank(i32 rows) {
    std::string text;
    for (i32 i = 0; i < rows; ++i) text += "................\n";
    return text;
}

class MenuTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(frame.create());
        fx.add(501, "&Open", "FILE_OPEN");
        fx.add(502, "Close", "FILE_CLOSE");
        fx.add(504, "One", "RECENT_1");
        fx.add(505, "Two", "RECENT_2");
        fx.add(503, "Recent", "RECENT", ActionPopup, {504, 505});
        fx.add(506, "More", "MORE", ActionPopup, {502, 501});
        frame.enabled = {501};
        frame.disabled = {502, 504, 505};
        frame.checked = {501};
    }
    TestApplication app;
    ActionFixture fx;
    KindFrame frame{EditorKindId};
};
}  // namespace

TEST_F(MenuTest, ModesDecideWhatIsLeftOutGreyedAndChecked) {
    const std::vector<i32> ids = {501, -1, 502, 503, 999, 506, 50};
    struct Row {
        u32 mode;
        const char* expected;
    };
    const Row rows[] = {
        {MenuContext, "&Open[x]|-|More[>]|"},
        {MenuPopupAction, "&Open[x]|-|Close[grey]|Recent[grey][>]|More[>]|"},
        {MenuBarMenu, "&Open|-|Close|Recent[>]|More[>]|"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        GPopupMenu menu;
        fillMenuFromIds(&frame, menu, ids.data(), (i32)ids.size(), row.mode);
        EXPECT_EQ(describe(readBack(menu.menu)), row.expected);
    }
    // The popup's own items follow the mode: in a context menu the disabled one is left out.
    GPopupMenu context;
    fillMenuFromIds(&frame, context, ids.data(), (i32)ids.size(), MenuContext);
    EXPECT_EQ(describe(readBack(GetSubMenu(context.menu, 2))), "&Open[x]|");
    EXPECT_EQ(menuItemCommandId(context.menu, 2), 506);

    // Inserting at a position puts the items there in order.
    const i32 two[] = {502, 501};
    fillMenuFromIds(&frame, context, two, 2, MenuPopupAction, 1);
    EXPECT_EQ(describe(readBack(context.menu)), "&Open[x]|Close[grey]|&Open[x]|-|More[>]|");
}

TEST_F(MenuTest, ShortcutTextsFollowTheAskingWindowsKind) {
    GKeyBinding bindings[] = {
        {501, 'O', KeyCtrl, 0, -1},
        {501, VK_F5, 0, 0, EditorKindId},
        {501, 'X', KeyCtrl | KeyShift, 0, OtherKindId},
    };
    GActionItem& open = *actionById(501);
    open.firstBinding = bindings;
    open.bindingCount = 3;
    static char* description = const_cast<char*>("Opens a file");
    open.description = &description;
    KindFrame analyzer(OtherKindId), plain(77);
    ASSERT_TRUE(analyzer.create());
    ASSERT_TRUE(plain.create());

    struct Row {
        GWindow* asking;
        const char* menuText;
        const char* toolTip;
    };
    const Row rows[] = {
        {&frame, "&Open\tCtrl+O, F5", "(Ctrl+O, F5) Open"},
        {&analyzer, "&Open\tCtrl+O, Ctrl+Shift+X", "(Ctrl+O, Ctrl+Shift+X) Open"},
        {&plain, "&Open\tCtrl+O", "(Ctrl+O) Open"},
        {nullptr, "&Open\tCtrl+O", "(Ctrl+O) Open"},
    };
    for (const Row& row : rows) {
        EXPECT_STREQ(actionMenuText(&open, row.asking).c_str(), row.menuText);
        GString tip;
        actionToolTipText(tip, &open, row.asking);
        EXPECT_STREQ(tip.c_str(), row.toolTip);
    }
    GString described;
    actionTitleWithDescription(described, &open);
    EXPECT_STREQ(described.c_str(), "Open (Opens a file)");
    EXPECT_STREQ(actionTitleWithShortcut(&open).c_str(), "Open (Ctrl+O)");
    EXPECT_STREQ(actionMenuText(actionById(502), &frame).c_str(), "Close");

    open.description = nullptr;
}

TEST_F(MenuTest, QueriesFromAnOwnedWindowGoOnToItsOwner) {
    KindFrame owned{OtherKindId};
    owned.owner = &frame;
    ASSERT_TRUE(owned.create());
    ASSERT_EQ(GetWindow(owned.hwnd, GW_OWNER), frame.hwnd);
    owned.enabled = {502};

    // Open is known only to the owner (enabled, checked); Close is the owned window's own.
    const i32 ids[] = {501, 502};
    GPopupMenu menu;
    fillMenuFromIds(&owned, menu, ids, 2, MenuContext);
    EXPECT_EQ(describe(readBack(menu.menu)), "&Open[x]|Close|");

    SendMessageA(owned.hwnd, WM_COMMAND, 501, 0);
    SendMessageA(owned.hwnd, WM_COMMAND, 502, 0);
    SendMessageA(owned.hwnd, WM_COMMAND, 504, 0);  // disabled in the owner: consumed there
    EXPECT_EQ(owned.executed, (std::vector<i32>{502}));
    EXPECT_EQ(frame.executed, (std::vector<i32>{501}));
}

TEST_F(MenuTest, ImagesAreCachedAndPopupsShowTheirRepresentative) {
    GActionItem& open = *actionById(501);
    open.bitmapId = 101;  // the 5 x 3 test bitmap: one 3 x 3 image
    void* list = actionImageList(&open, &frame);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_GetImageCount((HIMAGELIST)list), 1);
    EXPECT_TRUE(open.flags & ActionImageCached);
    EXPECT_EQ(getImageList(101), list);
    EXPECT_EQ(getImageList(9999), nullptr);

    GActionItem& more = *actionById(506);
    EXPECT_EQ(actionImageList(&more, &frame), nullptr);
    frame.representedBy = {506, 501};
    EXPECT_EQ(actionImageList(&more, &frame), list);
    EXPECT_EQ(more.image, list);
}

TEST_F(MenuTest, ItemsWithASubmenuDrawTheirOwnArrow) {
    const i32 ids[] = {501, 503, 506};
    GPopupMenu menu;
    fillMenuFromIds(&frame, menu, ids, 3, MenuPopupAction);
    ASSERT_EQ(describe(readBack(menu.menu)), "&Open[x]|Recent[grey][>]|More[>]|");

    // Each item is drawn at the size it measured: its title never reaches the arrow's column.
    const std::string arrow =
        "................\n"
        "......#.........\n"
        "......##........\n"
        "......###.......\n"
        "......####......\n"
        "......###.......\n"
        "......##........\n"
        "......#.........\n"
        "................\n";
    struct Row {
        i32 position;
        UINT state;
        COLORREF background, ink;
        bool hasArrow;
    };
    // Selection colours as the only effect: every face is one flat colour.
    const u32 savedEffects = guiSettings.verticalMenuEffects;
    guiSettings.verticalMenuEffects = 0x20;
    const ToolkitColors& c = toolkitColors;
    const Row rows[] = {
        {2, 0, c.background, c.text, true},
        {2, ODS_SELECTED, c.selection, c.selectionText, true},
        {1, ODS_GRAYED | ODS_DISABLED, c.background, c.darkShade, true},
        {1, ODS_GRAYED | ODS_DISABLED | ODS_SELECTED, c.selection, c.darkShade, true},
        {0, ODS_CHECKED, c.background, c.text, false},
    };
    DibCanvas shot(160, 30 * 5, RGB(1, 2, 3));
    i32 top = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.position * 100 + (i32)row.state);
        SIZE size = measureItem(menu.menu, row.position);
        ASSERT_LT(size.cx, shot.width);
        const i32 middle = size.cy / 2;
        COLORREF background = row.background, ink = row.ink;
        DibCanvas canvas(size.cx, size.cy, RGB(1, 2, 3));
        drawItem(canvas.dc(), menu.menu, row.position, row.state, RECT{0, 0, size.cx, size.cy});
        EXPECT_EQ(strip(canvas, size.cx - 16, 0, size.cy, ink, background),
                  blank(middle - 4) + (row.hasArrow ? arrow : blank(9)) + blank(size.cy - middle - 5));

        // The system draws its own arrow over an owner-drawn item that opens a submenu, after
        // the item is drawn: that item is taken out of the clip region, other items stay in it.
        RECT item{0, 0, size.cx, size.cy};
        HBRUSH systemInk = CreateSolidBrush(RGB(255, 0, 255));
        FillRect(canvas.dc(), &item, systemInk);
        DeleteObject(systemInk);
        EXPECT_EQ(canvas.pixel(size.cx - 16 + 6, middle) == ink, row.hasArrow);
        EXPECT_EQ(canvas.pixel(1, 1) == background, row.hasArrow);
        drawItem(shot.dc(), menu.menu, row.position, row.state, RECT{0, top, size.cx, top + size.cy});
        SelectClipRgn(shot.dc(), nullptr);
        top += size.cy;
    }
    saveShot(shot, "submenu_arrows.bmp");
    guiSettings.verticalMenuEffects = savedEffects;
}

TEST_F(MenuTest, MnemonicsPassesAndMenuCharacters) {
    struct Row {
        std::vector<const char*> texts;
        std::vector<const char*> expected;
    };
    const Row rows[] = {
        // The second "&O" loses its mark and takes a later free letter.
        {{"&Open", "&Options"}, {"&Open", "O&ptions"}},
        {{"Save as", "save all", "Settings"}, {"&Save as", "save &all", "S&ettings"}},
        // Dashed items keep their text; nothing after ":"; none after the TAB of a shortcut.
        {{"-dash", "a", "b", "ab: cd", "x\tCtrl+Y"}, {"-dash", "&a", "&b", "ab: cd", "&x\tCtrl+Y"}},
        {{"a", "A", "a1"}, {"&a", "A", "a&1"}},
        // Code page 1251 letters fold to their capitals.
        {{"\xEE\xEA", "\xCE\xEA"}, {"&\xEE\xEA", "\xCE&\xEA"}},
        // An ineligible marked character loses the mark.
        {{"&!go"}, {"!&go"}},
    };
    for (const Row& row : rows) {
        // Owner-drawn items, and plain string items alike.
        for (bool ownerDrawn : {true, false}) {
            SCOPED_TRACE(std::string(row.texts[0]) + (ownerDrawn ? " owner-drawn" : " plain"));
            GPopupMenu menu;
            for (size_t i = 0; i < row.texts.size(); ++i) {
                if (ownerDrawn)
                    AppendMenuA(menu.menu, MF_OWNERDRAW, 600 + i,
                                (LPCSTR)menu.makeItemData(row.texts[i], nullptr, 600 + (i32)i));
                else
                    AppendMenuA(menu.menu, MF_STRING, 600 + i, row.texts[i]);
            }
            AppendMenuA(menu.menu, MF_SEPARATOR, 0, nullptr);
            assignMenuMnemonics(menu.menu);
            for (size_t i = 0; i < row.texts.size(); ++i)
                EXPECT_STREQ(menuStringAt(menu.menu, (i32)i).c_str(), row.expected[i]);
        }
    }
    GPopupMenu menu;
    for (const char* text : {"&Open", "O&ptions"})
        AppendMenuA(menu.menu, MF_OWNERDRAW, 600, (LPCSTR)menu.makeItemData(text, nullptr, 600));
    EXPECT_EQ(menuCharHook(menu.menu, 'p'), MAKELONG(1, MNC_EXECUTE));
    EXPECT_EQ(menuCharHook(menu.menu, 'P'), MAKELONG(1, MNC_EXECUTE));
    EXPECT_EQ(menuCharHook(menu.menu, 'o'), MAKELONG(0, MNC_EXECUTE));
    EXPECT_EQ(menuCharHook(menu.menu, 'z'), 0);

    // Case follows the interface language's code page, not the system's: in 1251 byte B8 is the
    // small letter of A8, in the system's 1252 it has no capital. Labels and buttons fold alike.
    const u32 savedPage = processCodePage();
    setProcessCodePage(1251);
    GPopupMenu cyrillic;
    AppendMenuA(cyrillic.menu, MF_OWNERDRAW, 600, (LPCSTR)cyrillic.makeItemData("&\xA8\xEB\xEA\xE0", nullptr, 600));
    EXPECT_EQ(menuCharHook(cyrillic.menu, 0xB8), MAKELONG(0, MNC_EXECUTE));
    EXPECT_EQ(upperCharacter(0xB8), 0xA8u);
    EXPECT_EQ(mnemonicOf("&\xB8"), 0xA8u);
    setProcessCodePage(savedPage);
    EXPECT_EQ(upperCharacter(0xB8), 0xB8u);
}

namespace {
// Counts the item data deleted.
int g_dataDeleted = 0;
class CountedData : public GMenuItemData {
public:
    using GMenuItemData::GMenuItemData;
    ~CountedData() override { ++g_dataDeleted; }
};
class CountingMenu : public GMenu {
public:
    CountingMenu() : GMenu(CreatePopupMenu(), true) {}
    GMenuItemData* makeItemData(const char* text, void* image, i32 commandId) override {
        return new CountedData(text, image, commandId);
    }
};
}  // namespace

TEST_F(MenuTest, HelpersTrimSeparatorsAndDeleteItemData) {
    g_dataDeleted = 0;
    {
        CountingMenu menu;
        const i32 ids[] = {-1, 501, -1, -1, 503, -1, CustomizeActionId, -1, -1};
        fx.add(CustomizeActionId, "Customize", "SYS_CUSTOMIZE");
        fillMenuFromIds(&frame, menu, ids, 9, MenuBarMenu);
        EXPECT_EQ(GetMenuItemCount(menu.menu), 9);
        trimMenuSeparators(menu.menu);
        EXPECT_EQ(describe(readBack(menu.menu)), "&Open|-|Recent[>]|-|Customize|");
        EXPECT_EQ(g_dataDeleted, 4);
        EXPECT_EQ(findCustomizeItem(menu.menu), 4);
        removeMenuItemAt(menu.menu, 2);  // the popup (its items are plain data of the submenu)
        EXPECT_EQ(g_dataDeleted, 5);
        EXPECT_EQ(findCustomizeItem(menu.menu), 3);
        EXPECT_EQ(menuItemCommandId(menu.menu, 17), -1);
        setMenuItemText(menu.menu, 0, "&Open now");
        EXPECT_STREQ(menuStringAt(menu.menu, 0).c_str(), "&Open now");
    }
    EXPECT_EQ(g_dataDeleted, 9);  // the holder destroyed the rest
}

namespace {
// Sends keys to the open menu from a timer, one a tick once a menu is open; a menu still open
// well after the last key is cancelled, so that a lost key fails the test instead of hanging it.
std::vector<UINT> g_keys;
HWND g_keyTarget = nullptr;
int g_idleTicks = 0;
UINT_PTR g_keyTimer = 0;
RECT g_openPopup{};  // the open popup menu window, taken before each key
void CALLBACK pressNextKey(HWND, UINT, UINT_PTR, DWORD) {
    if (!openMenuStack.count) {
        if (g_keys.empty()) {
            KillTimer(nullptr, g_keyTimer);
            g_keyTimer = 0;
        }
        return;
    }
    if (g_keys.empty()) {
        if (++g_idleTicks > 50) SendMessageA(g_keyTarget, WM_CANCELMODE, 0, 0);
        return;
    }
    if (HWND popup = FindWindowA("#32768", nullptr)) GetWindowRect(popup, &g_openPopup);
    UINT key = g_keys.front();
    g_keys.erase(g_keys.begin());
    if (key == WM_CANCELMODE)
        SendMessageA(g_keyTarget, WM_CANCELMODE, 0, 0);
    else
        PostMessageA(g_keyTarget, WM_KEYDOWN, key, 0);
}
void pressLater(HWND target, std::vector<UINT> keys) {
    g_keyTarget = target;
    g_keys = std::move(keys);
    g_idleTicks = 0;
    if (g_keyTimer) KillTimer(nullptr, g_keyTimer);
    g_keyTimer = SetTimer(nullptr, 0, 40, pressNextKey);
}

// Records the marker's flag each time it reaches the event chain.
class MenuLoopWatch : public GItemBase {
public:
    bool onEvent(void* event) override {
        seen.push_back(static_cast<MenuModeMarker*>(event)->opened);
        return false;
    }
    std::vector<bool> seen;
};
}  // namespace

TEST_F(MenuTest, TrackingChoosesCancelsAndRunsForAWorker) {
    MenuLoopWatch watch;
    ListenerChain::append(app.app.eventList, watch.lifeRecord());
    GPopupMenu empty;
    appendMenuSeparator(empty);
    EXPECT_EQ(trackPopupMenu(&frame, empty, 10, 10, 0), -1);

    const i32 ids[] = {501, 506};
    {
        GPopupMenu menu;
        fillMenuFromIds(&frame, menu, ids, 2, MenuPopupAction);
        pressLater(frame.hwnd, {VK_DOWN, VK_RETURN});
        EXPECT_EQ(trackPopupMenu(&frame, menu, 10, 10, 0), 501);
        EXPECT_EQ(openMenuStack.count, 0u);
        EXPECT_EQ(watch.seen, (std::vector<bool>{true, false}));  // at the loop's start and end
    }
    {
        GPopupMenu menu;
        fillMenuFromIds(&frame, menu, ids, 2, MenuPopupAction);
        pressLater(frame.hwnd, {WM_CANCELMODE});
        EXPECT_EQ(trackPopupMenu(&frame, menu, 10, 10, 0), 0);
    }
    {
        // A worker's request is tracked on this thread; the submenu's item is chosen.
        GPopupMenu menu;
        fillMenuFromIds(&frame, menu, ids, 2, MenuPopupAction);
        std::atomic<i32> chosen{-5};
        u32 workerThread = 0;
        std::thread worker([&] {
            workerThread = GetCurrentThreadId();
            chosen = trackPopupMenu(&frame, menu, 10, 10, 0);
        });
        pressLater(frame.hwnd, {VK_UP, VK_RIGHT, VK_UP, VK_RETURN});
        EXPECT_TRUE(pumpUntil([&] { return chosen != -5; }, 5000));
        worker.join();
        EXPECT_EQ(chosen, 501);
    }
    EXPECT_EQ(openMenuStack.count, 0u);
}

TEST_F(MenuTest, ActionPopupsSendTheirChoiceAsACommand) {
    EXPECT_FALSE(showActionPopup(&frame, 501, 5, 5));  // no popup action
    EXPECT_FALSE(showActionPopup(&frame, 7, 5, 5));
    pressLater(frame.hwnd, {VK_UP, VK_RETURN});
    EXPECT_TRUE(showActionPopup(&frame, 506, 5, 5));  // Close (greyed), Open
    pumpUntil([&] { return !frame.commands.empty(); }, 1000);
    EXPECT_EQ(frame.commands, (std::vector<i32>{501}));

    // A dynamic popup is filled by its window's filler.
    fx.add(507, "Windows", "WINDOW_LIST", ActionPopup | ActionDynamicPopup);
    dynamicPopupFiller = [](GWindow* window, i32 commandId, GMenu& menu) {
        EXPECT_EQ(dynamicPopupCommand, commandId);
        const i32 one = 502;
        fillMenuFromIds(window, menu, &one, 1, MenuBarMenu);
        return true;
    };
    pressLater(frame.hwnd, {VK_DOWN, VK_RETURN});
    EXPECT_TRUE(showActionPopup(&frame, 507, 5, 5));
    dynamicPopupFiller = nullptr;
    pumpUntil([&] { return frame.commands.size() == 2; }, 1000);
    EXPECT_EQ(frame.commands, (std::vector<i32>{501, 502}));

    // At the cursor: the popup opens where the pointer is.
    BOOL (*oldCursor)(POINT*) = systemInput.cursorPos;
    systemInput.cursorPos = [](POINT* p) {
        *p = POINT{180, 150};
        return TRUE;
    };
    EXPECT_FALSE(showActionPopupAtCursor(501, &frame));
    g_openPopup = RECT{};
    pressLater(frame.hwnd, {VK_UP, VK_RETURN});
    EXPECT_TRUE(showActionPopupAtCursor(506, &frame));
    systemInput.cursorPos = oldCursor;
    EXPECT_EQ(g_openPopup.left, 180);
    EXPECT_EQ(g_openPopup.top, 150);
    pumpUntil([&] { return frame.commands.size() == 3; }, 1000);
    EXPECT_EQ(frame.commands.back(), 501);
}

TEST_F(MenuTest, MenuBarShowsTheKindsShownMenus) {
    static const i32 fileIds[] = {501, -1, 502};
    static const i32 viewIds[] = {503};
    GToolBarSpec file, edit, view;
    file.name = "File";
    file.defaultIds = fileIds;
    file.defaultCount = 3;
    edit.name = "Edit";
    edit.defaultIds = fileIds;  // shown, but empty when customised
    edit.defaultCount = 0;
    view.name = "Far";
    view.defaultIds = viewIds;
    view.defaultCount = 1;
    view.p1 = 5;  // sorted after File
    for (GToolBarSpec* spec : {&view, &edit, &file}) linkSpec(&fx.editor, spec);

    GMenuBar* bar = new GMenuBar(&frame);
    bar->fill(&fx.editor);
    HMENU native = GetMenu(frame.hwnd);
    ASSERT_EQ(native, bar->menu);
    EXPECT_EQ(describe(readBack(native)), "&File[>]|F&ar[>]|");
    // Menu-bar menus have no state at build time: Close is not greyed.
    EXPECT_EQ(describe(readBack(GetSubMenu(native, 0))), "&Open|-|&Close|");
    EXPECT_EQ(countShownMenus(&fx.editor), 2u);

    // A title of the bar opens a menu but has no arrow, and stays in the clip region.
    DibCanvas title(60, 20, RGB(1, 2, 3));
    drawItem(title.dc(), native, 0, 0, RECT{0, 0, 60, 20});
    EXPECT_EQ(strip(title, 44, 0, 20, toolkitColors.text, toolkitColors.background), blank(20));
    EXPECT_TRUE(PtVisible(title.dc(), 50, 10));

    GMenuBar* second = new GMenuBar(&frame);  // replaces and deletes the first
    EXPECT_EQ(menuBarOf(&frame), second);
    EXPECT_EQ(GetMenu(frame.hwnd), second->menu);
    for (GToolBarSpec* spec : {&view, &edit, &file}) unlinkSpec(spec);
    DestroyWindow(frame.hwnd);
    EXPECT_EQ(menuBarOf(&frame), nullptr);
}
