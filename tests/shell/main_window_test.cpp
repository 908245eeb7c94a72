// The main window on real windows: the command state table, the global commands posted as
// WM_COMMAND, the item popup's entries, the window list, the About window and the preferred size.
#include "shell/program_window.h"

#include <gtest/gtest.h>

#include "app/window_kinds.h"
#include "gui/controls/page_stack.h"
#include "gui/controls/tool_bar.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/frame/tab_placer.h"
#include "gui/kernel/application.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/layout/strip_item.h"
#include "gui/views/box.h"
#include "gui/views/tab.h"
#include "shell/about_window.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tools/repair_wave_dialog.h"

TEST_F(MainWindowTest, TheStateTable) {
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    const struct {
        u32 id;
        i32 state;
    } alone[] = {
        {328, 0}, {333, 1}, {336, 1}, {342, 1}, {345, 1}, {351, 1}, {354, 1}, {360, 1}, {363, 1}, {337, 0},
        {352, 0}, {361, 0}, {388, 1}, {389, 1}, {475, 1}, {301, 0}, {312, 0}, {364, 0}, {623, 0}, {110, 0},
        {563, 0}, {102, 0}, {150, 2}, {999, 2},
    };
    for (const auto& c : alone) EXPECT_EQ(c.state, w->mainCommandState(c.id)) << c.id;

    // Busy: the page's layout flag 0x80.
    w->currentPage()->placerFlags |= PlacerBusy;
    for (u32 id : {102u, 103u, 110u, 476u, 493u, 494u, 495u, 496u, 498u, 563u})
        EXPECT_EQ(CommandDisabled, w->mainCommandState(id)) << id;
    EXPECT_EQ(CommandEnabled, w->mainCommandState(301));
    EXPECT_EQ(CommandEnabled, w->mainCommandState(328));
    w->currentPage()->placerFlags &= ~PlacerBusy;

    // Two windows: the window switching commands.
    ASSERT_NE(nullptr, make(-1));
    for (u32 id : {388u, 389u, 475u}) EXPECT_EQ(CommandEnabled, w->mainCommandState(id)) << id;
    GStateQuery query{388, 0};
    EXPECT_TRUE(w->answerStateQuery(QueryEnabled, &query));
    EXPECT_EQ(CommandEnabled, query.answer);
}

TEST_F(MainWindowTest, PostedCommandsOpenTabsAndWindows) {
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    GTabPlacer* tabs = w->tabPlacer();
    ASSERT_NE(nullptr, tabs);
    // A tab of the family, then scans.
    command(w, 337);
    EXPECT_EQ(2, tabs->pageCount());
    EXPECT_EQ(KindAnalyzer, kindOfCurrent(w));
    // The analyzer's tool bar in the dock.
    ASSERT_FALSE(w->dock->rows.empty());
    ASSERT_FALSE(w->dock->rows[0].empty());
    EXPECT_STREQ("TB_File", static_cast<GToolBar*>(w->dock->rows[0][0])->name);
    command(w, 343 + 1);  // WELCOME_TAB
    EXPECT_EQ(3, tabs->pageCount());
    command(w, 355);  // to the analyzer tab
    EXPECT_EQ(1, tabs->pages->current);
    command(w, 362);  // the next Welcome tab after the current one
    EXPECT_EQ(2, tabs->pages->current);
    command(w, 362);
    EXPECT_EQ(0, tabs->pages->current);
    // Disabled families do nothing; a family that makes no page adds no tab.
    command(w, 342);
    command(w, 345);
    EXPECT_EQ(3, tabs->pageCount());
    EXPECT_EQ(before + 1, objectWindowCount);

    // New windows: a family's, an empty tabbed one, one beside this.
    command(w, 328);
    EXPECT_EQ(before + 2, objectWindowCount);
    command(w, 444);
    EXPECT_EQ(before + 3, objectWindowCount);
    RECT whole;
    GetWindowRect(w->hwnd, &whole);
    command(w, 590);
    EXPECT_EQ(before + 4, objectWindowCount);
    RECT left;
    GetWindowRect(w->hwnd, &left);
    EXPECT_EQ(whole.left, left.left);
    EXPECT_EQ(whole.left + (whole.right - whole.left) / 2, left.right);

    // Closing this window, then the quit of the rest (hidden first, see destroyHidden).
    for (GParentWindow* open : GAppWindow::windowListOrder())
        SetWindowLongA(open->hwnd, GWL_STYLE, GetWindowLongA(open->hwnd, GWL_STYLE) & ~WS_VISIBLE);
    command(w, 364);
    EXPECT_TRUE(pumpUntil([&] { return objectWindowCount == before + 3; }));
    std::vector<GParentWindow*> rest = GAppWindow::windowListOrder();
    ASSERT_FALSE(rest.empty());
    PostMessageA(rest[0]->hwnd, WM_COMMAND, 312, 0);
    EXPECT_TRUE(pumpUntil([&] { return objectWindowCount == before; }, 5000));
    while (PeekMessageA(nullptr, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

TEST_F(MainWindowTest, TheItemPopupOffersKeysOnlyForKeyActions) {
    ProgramWindow* w = make(-1);
    ASSERT_NE(nullptr, w);
    auto choices = [&](i32 action, u32 mode) {
        std::vector<ItemChoice> list;
        for (const ItemPopupEntry& e : w->itemPopupEntries(action, mode)) list.push_back(e.choice);
        return list;
    };
    using C = ItemChoice;
    for (i32 never : {102, 103, 311, 479, -1, 5000})
        EXPECT_EQ((std::vector<C>{C::CustomizeMenu, C::CustomizeToolBar}), choices(never, 0)) << never;
    EXPECT_EQ((std::vector<C>{C::AssignKey, C::KeyList, C::CustomizeMenu}), choices(301, 1));
    EXPECT_EQ((std::vector<C>{C::AssignKey, C::KeyList, C::CustomizeToolBar}), choices(301, 2));
}

TEST(MainWindowSize, ThreeQuartersOfTheScreenWithinItsBounds) {
    const struct {
        i32 w, h, cx, cy;
    } cases[] = {{1024, 768, 800, 600}, {640, 480, 640, 480}, {1920, 1200, 1440, 900}, {1280, 700, 960, 600}};
    for (const auto& c : cases) {
        SIZE s = mainWindowSize(c.w, c.h);
        EXPECT_EQ(c.cx, s.cx) << c.w << "x" << c.h;
        EXPECT_EQ(c.cy, s.cy) << c.w << "x" << c.h;
    }
}


namespace {
int webOpened = 0;
void recordWeb(GWindow*) { ++webOpened; }
}  // namespace

TEST_F(MainWindowTest, TheAboutWindowsCommands) {
    AboutWin about(nullptr);
    ASSERT_TRUE(about.build());
    const struct {
        u32 id;
        i32 state;
    } cases[] = {{302, 0}, {303, 0}, {2, 0}, {9, 0}, {1000, 0}, {101, 0}, {500, 2}, {110, 2}};
    for (const auto& c : cases) EXPECT_EQ(c.state, about.commandState(c.id)) << c.id;
    about.helpWord = 0;
    EXPECT_EQ(CommandDisabled, about.commandState(101));

    void (*saved)(GWindow*) = openWebPage;
    openWebPage = recordWeb;
    webOpened = 0;
    GStateQuery web{302, 0};
    EXPECT_TRUE(about.answerStateQuery(QueryExecute, &web));
    openWebPage = saved;
    EXPECT_EQ(1, webOpened);
    // Close ends it with 2.
    GStateQuery close{2, 0};
    about.answerStateQuery(QueryExecute, &close);
    EXPECT_EQ(2, about.result);
    DestroyWindow(about.hwnd);
}

namespace {
// Answers the window list when it opens: its texts, then the chosen entry with OK.
class ListAnswer : public GItemBase {
public:
    bool onIdle() override {
        GDialog* dialog = pendingModalDialog();
        if (!dialog || !dialog->isKindOf(TypeSelectDialog) || answered) return false;
        answered = true;
        GSelectDialog* select = static_cast<GSelectDialog*>(dialog);
        for (i32 i = 0; i < select->list->itemCount(); ++i) {
            char* text = select->list->itemText(i);
            texts.push_back(text ? text : "");
            delete[] text;
        }
        select->list->selectItem(choose);
        select->endDialog(1);
        return false;
    }
    i32 choose = 0;
    bool answered = false;
    std::vector<std::string> texts;
};
}  // namespace

TEST_F(MainWindowTest, TheWindowListBringsTheChosenWindowForward) {
    ProgramWindow* a = make(KindWelcome);
    ProgramWindow* b = make(-1);
    ASSERT_TRUE(a && b);
    std::vector<GParentWindow*> order = GAppWindow::windowListOrder();
    ASSERT_EQ(2u, order.size());
    ListAnswer answer;
    answer.choose = order[0] == a ? 0 : 1;
    ListenerChain::append(app.app.pendingWorkList, answer.lifeRecord());
    activateWindow(b);
    command(b, 475);
    ASSERT_TRUE(answer.answered);
    EXPECT_EQ((std::vector<std::string>{order[0]->getText().c_str(), order[1]->getText().c_str()}), answer.texts);
    EXPECT_TRUE(pumpUntil([&] { return GetActiveWindow() == a->hwnd; }));
}

// The codecs tab from the program's command.
TEST_F(MainWindowTest, TheAcmCodecsTabFromTheMenu) {
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    command(w, 338);
    EXPECT_EQ(KindAcm, kindOfCurrent(w));
    EXPECT_EQ(2, w->tabPlacer()->pageCount());
}

// The device tools from the program's commands: the devices tab, and the repair and options
// dialogs of the menu, each run modally and closed.
TEST_F(MainWindowTest, TheDevicesTabAndTheDeviceDialogsFromTheMenu) {
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    command(w, 339);  // WAVEOUT_DEVICES_TAB
    EXPECT_EQ(KindDevices, kindOfCurrent(w));
    EXPECT_EQ(2, w->tabPlacer()->pageCount());
    const struct {
        u32 command;
        u32 type;
    } dialogs[] = {{205, TypeRepairWaveOutDialog}, {206, TypeRepairWaveInDialog}};
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.command);
        bool shown = false;
        ModalScript script(d.type, {[&](GDialog& box) {
                               shown = true;
                               ModalScript::post(box, 2);
                           }});
        command(w, d.command);
        EXPECT_TRUE(pumpUntil([&] { return shown; }));
    }
}
