#include <gtest/gtest.h>

#include "gui/controls/tool_bar.h"
#include "gui/input/hot_tracker.h"
#include "gui/layout/strip_item.h"
#include "gui/menus/command_range.h"
#include "gui/menus/grip_tracker.h"
#include "gui/menus/tool_bar_strips.h"
#include "gui/paint/colors.h"
#include "gui/paint/gui_settings.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/gui/menu_fixture.h"

namespace {
enum : i32 { A = 501, B = 502, C = 503, Popup = 506, Colour = 507 };

// A frame of the editor kind that records the commands and tool-bar menu requests reaching it.
class BarFrame : public KindFrame {
public:
    explicit BarFrame(u32 type = EditorKindId) : KindFrame(type) {}
    bool onCommand(u32 command, GStateQuery* query) override {
        if (command == ToolBarMenuCommand) {
            ToolBarMenuRequest* request = static_cast<ToolBarMenuRequest*>(query);
            requests.push_back(std::string(request->name) + " " + std::to_string(request->clickedId) + " " +
                               std::to_string(request->buttonCount) + " " + std::to_string(request->tag));
        } else {
            executed.push_back((i32)command);
        }
        return true;
    }
    std::vector<i32> executed;
    std::vector<std::string> requests;
};

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::string text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class ToolBars : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        fx.add(A, "&Alpha", "ALPHA");
        fx.add(B, "Beta", "BETA");
        fx.add(C, "Gamma", "GAMMA");
        fx.add(Popup, "More", "MORE", ActionPopup, {A, B});
        ASSERT_TRUE(frame.create());
        SetWindowPos(frame.hwnd, HWND_TOPMOST, 100, 100, 300, 200, SWP_NOACTIVATE);
        for (u32 id : {A, B, C, Popup}) frame.enabled.insert(id);
        seam.active = frame.hwnd;
        effects = guiSettings.toolBarEffects;
    }
    void TearDown() override {
        guiSettings.toolBarEffects = effects;
        DestroyWindow(frame.hwnd);
    }
    GToolBar* makeBar(std::vector<i32> ids, u8 orientation = 0) {
        GToolBar* bar = GToolBar::create(&frame, "Main", 0, 0);
        bar->setOrientation(orientation);
        bar->setButtons(ids.data(), (i32)ids.size());
        i32 w, h;
        bar->getPreferredSize(&w, &h);
        MoveWindow(bar->hwnd, 0, 0, w, h, TRUE);
        return bar;
    }
    void at(GToolBar* bar, u32 message, i32 x, i32 y) {
        seam.pointAt(bar->hwnd, x, y);
        SendMessageA(bar->hwnd, message, 0, MAKELPARAM((u16)x, (u16)y));
    }

    TestApplication test;
    InputSeam seam;
    ActionFixture fx;
    BarFrame& frame = *new BarFrame;  // deletes itself with its window
    u32 effects = 0;
};

TEST_F(ToolBars, LayoutSizeAndHitTest) {
    GToolBar* bar = makeBar({A, -1, B});
    EXPECT_TRUE(bar->isKindOf(41) && bar->isKindOf(6) && bar->isKindOf(3) && bar->isKindOf(1));
    EXPECT_STREQ(bar->className(), "GToolBar");
    i32 w, h;
    bar->getPreferredSize(&w, &h);
    EXPECT_EQ(w, 54);
    EXPECT_EQ(h, 26);
    bar->layout();
    ASSERT_EQ(bar->buttons.size(), 3u);
    EXPECT_TRUE(sameRect(bar->buttons[0]->rect, RECT{0, 0, 26, 26})) << text(bar->buttons[0]->rect);
    EXPECT_TRUE(sameRect(bar->buttons[1]->rect, RECT{26, 0, 26, 26})) << text(bar->buttons[1]->rect);
    EXPECT_TRUE(sameRect(bar->buttons[2]->rect, RECT{27, 0, 53, 26})) << text(bar->buttons[2]->rect);
    EXPECT_EQ(bar->hitTest(26, 5), -1);
    EXPECT_EQ(bar->hitTest(25, 5), 0);
    EXPECT_EQ(bar->hitTest(27, 25), 2);
    EXPECT_EQ(bar->hitTest(60, 5), -1);
    EXPECT_STREQ(bar->buttons[0]->text.c_str(), "Alpha");

    GToolBar* column = makeBar({A, -1, B, 9999}, 1);  // an id without a record is skipped
    column->getPreferredSize(&w, &h);
    EXPECT_EQ(w, 26);
    EXPECT_EQ(h, 54);
    column->layout();
    ASSERT_EQ(column->buttons.size(), 3u);
    EXPECT_TRUE(sameRect(column->buttons[1]->rect, RECT{0, 26, 26, 26}));
    EXPECT_TRUE(sameRect(column->buttons[2]->rect, RECT{0, 27, 26, 53}));

    GToolBar* empty = makeBar({});
    empty->getPreferredSize(&w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);

    // In a strip the bar has a grip of 7.
    GStripItem* strip = new GStripItem(&frame, 1, 0);
    frame.setContent(strip);
    GToolBar* gripped = GToolBar::create(&frame, "Main", 0, 0);
    strip->add(gripped, 0, -1, 0);
    const i32 ids[] = {A, -1, B};
    gripped->setButtons(ids, 3);
    gripped->getPreferredSize(&w, &h);
    EXPECT_EQ(w, 61);
    MoveWindow(gripped->hwnd, 0, 0, w, h, FALSE);
    EXPECT_TRUE(sameRect(gripped->gripRect(), RECT{0, 0, 7, 26}));
    gripped->layout();
    EXPECT_TRUE(sameRect(gripped->buttons[0]->rect, RECT{7, 0, 33, 26}));
}

TEST_F(ToolBars, ClicksPopupsMenuRequestsAndTips) {
    GToolBar* bar = makeBar({A, -1, B, Popup});
    at(bar, WM_MOUSEMOVE, 30, 10);
    at(bar, WM_LBUTTONDOWN, 30, 10);
    at(bar, WM_LBUTTONUP, 30, 10);
    EXPECT_EQ(frame.executed, std::vector<i32>{B});
    // A click between two buttons hits nothing.
    at(bar, WM_MOUSEMOVE, 26, 10);
    at(bar, WM_LBUTTONDOWN, 26, 10);
    at(bar, WM_LBUTTONUP, 26, 10);
    EXPECT_EQ(frame.executed, std::vector<i32>{B});

    // The popup button opens its menu; the choice arrives as a command, not the popup's own id.
    pressLater(frame.hwnd, {VK_DOWN, VK_RETURN});
    at(bar, WM_MOUSEMOVE, 60, 10);
    at(bar, WM_LBUTTONDOWN, 60, 10);
    at(bar, WM_LBUTTONUP, 60, 10);
    pumpUntil([&] { return !frame.commands.empty(); }, 1000);
    EXPECT_EQ(frame.commands, std::vector<i32>{A});
    EXPECT_EQ(frame.executed, (std::vector<i32>{B, A}));  // never the popup's own id

    frame.enabled.insert(ToolBarMenuCommand);
    at(bar, WM_RBUTTONUP, 5, 5);
    at(bar, WM_RBUTTONUP, 26, 5);
    EXPECT_EQ(frame.requests, (std::vector<std::string>{"Main 501 -1 2", "Main -1 -1 2"}));

    GString tip;
    RECT tool = {0, 0, 54, 26}, anchor = {0, 0, 0, 0};
    EXPECT_TRUE(bar->getToolTip(30, 10, &tip, &tool, &anchor));
    EXPECT_STREQ(tip.c_str(), "Beta");
    EXPECT_TRUE(sameRect(tool, RECT{27, 0, 53, 26})) << text(tool);
    guiSettings.toolBarEffects &= ~1u;
    EXPECT_FALSE(bar->getToolTip(30, 10, &tip, &tool, &anchor));
}

TEST_F(ToolBars, StatesFromTheActions) {
    GToolBar* bar = makeBar({A, -1, B});
    frame.enabled.erase(B);
    frame.disabled.insert(B);
    frame.checked.insert(A);
    EXPECT_TRUE(bar->refreshStates());
    EXPECT_EQ(bar->buttons[0]->style, (u32)ButtonChecked);
    EXPECT_EQ(bar->buttons[2]->style, (u32)ButtonDisabled);
    // A disabled button takes no click.
    at(bar, WM_MOUSEMOVE, 30, 10);
    at(bar, WM_LBUTTONDOWN, 30, 10);
    at(bar, WM_LBUTTONUP, 30, 10);
    EXPECT_TRUE(frame.executed.empty());
    GToolBar* separators = makeBar({-1, -1});
    EXPECT_FALSE(separators->refreshStates());

    // A spec shows its user list when customised.
    static const i32 defaults[] = {A, B, C};
    GToolBarSpec spec;
    spec.name = "Main";
    spec.entryKind = SpecToolBar;
    spec.defaultIds = defaults;
    spec.defaultCount = 3;
    bar->setSpec(&spec);
    EXPECT_EQ(bar->buttons.size(), 3u);
    spec.customised = 1;
    *spec.userIds.append(1) = C;
    bar->setSpec(&spec);
    ASSERT_EQ(bar->buttons.size(), 1u);
    EXPECT_EQ(bar->buttons[0]->id, C);
}

std::vector<COLORREF> pixels(HWND hwnd, const RECT& r) {
    std::vector<COLORREF> out;
    HDC dc = GetDC(hwnd);
    for (i32 y = r.top; y < r.bottom; ++y)
        for (i32 x = r.left; x < r.right; ++x) out.push_back(GetPixel(dc, x, y));
    ReleaseDC(hwnd, dc);
    return out;
}

TEST_F(ToolBars, PaintsHotCheckedDisabledAndSeparators) {
    guiSettings.toolBarEffects = 0x37;  // etched separators as well
    frame.enabled.erase(B);
    frame.disabled.insert(B);
    frame.checked.insert(C);
    // A (hot), separator, B (disabled), C (checked), A (plain), a last separator.
    GToolBar* bar = makeBar({A, -1, B, C, A, -1});
    bar->refreshStates();
    at(bar, WM_MOUSEMOVE, 10, 10);
    ASSERT_EQ(bar->hotIndex, 0);
    InvalidateRect(bar->hwnd, nullptr, TRUE);
    UpdateWindow(bar->hwnd);
    const COLORREF image = RGB(0, 0, 160);  // the fallback button bitmap
    auto at13 = [&](i32 x) { return pixels(bar->hwnd, RECT{x, 13, x + 1, 14})[0]; };
    EXPECT_EQ(at13(13), image);
    EXPECT_EQ(at13(13 + 81), image);
    EXPECT_NE(at13(13 + 27), image);  // greyed
    EXPECT_EQ(at13(26), toolkitColors.darkShade);
    EXPECT_EQ(at13(107), toolkitColors.background);  // the last separator is not drawn
    const RECT plain = {81, 0, 107, 26};
    const std::vector<COLORREF> plainPixels = pixels(bar->hwnd, plain);
    EXPECT_NE(pixels(bar->hwnd, RECT{54, 0, 80, 26}), plainPixels);  // checked
    const std::vector<COLORREF> hot = pixels(bar->hwnd, RECT{0, 0, 26, 26});
    EXPECT_NE(hot, plainPixels);
    SendMessageA(bar->hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(bar->hotIndex, -1);
    UpdateWindow(bar->hwnd);
    EXPECT_EQ(pixels(bar->hwnd, RECT{0, 0, 26, 26}), plainPixels);
}

// A colour action's image is its range's swatch, drawn in the button and following the colour.
TEST_F(ToolBars, AColourActionDrawsItsSwatch) {
    fx.add(Colour, "Colour", "COLOUR");
    frame.enabled.insert(Colour);
    CommandRange range(Colour, Colour);
    range.valueOf(Colour) = RGB(10, 200, 30);
    range.ensureEntries();
    GToolBar* bar = makeBar({Colour});
    auto centre = [&] {
        RedrawWindow(bar->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return pixels(bar->hwnd, RECT{13, 13, 14, 14})[0];
    };
    EXPECT_EQ(centre(), RGB(10, 200, 30));
    range.valueOf(Colour) = RGB(200, 10, 30);
    EXPECT_EQ(centre(), RGB(200, 10, 30));
}

TEST_F(ToolBars, MovingStraightToTheNextButtonMakesItHot) {
    GToolBar* bar = makeBar({A, -1, B});
    at(bar, WM_MOUSEMOVE, 10, 10);
    EXPECT_EQ(bar->hotIndex, 0);
    at(bar, WM_MOUSEMOVE, 40, 10);
    EXPECT_EQ(bar->hotIndex, 2);
    EXPECT_TRUE(sameRect(bar->hotTracker->hotRect, bar->buttons[2]->rect));
}

// Deleting a user-made record takes it (and its name) out of the bar that shows it.
TEST_F(ToolBars, AResetLeavesNoBarOnADeletedRecord) {
    GToolBarSpec* spec = addUserToolBarSpec(&fx.editor, SpecToolBar, "Mine");
    spec->customised = 1;
    *spec->userIds.append(1) = A;
    GToolBar* bar = GToolBar::create(&frame, spec->name, 0, 0);
    bar->setSpec(spec);
    MoveWindow(bar->hwnd, 0, 0, 26, 26, TRUE);
    resetAllToolBarSpecs();
    EXPECT_EQ(bar->spec, nullptr);
    EXPECT_STREQ(bar->name, "");
    EXPECT_EQ(bar->buttons.size(), 1u);
    bar->storePlacement();
    frame.enabled.insert(ToolBarMenuCommand);
    at(bar, WM_RBUTTONUP, 5, 5);
    EXPECT_EQ(frame.requests, std::vector<std::string>{" 501 -1 2"});
}
}  // namespace
