// The combo box on real windows: the stand-in list, the input seam and an injected work area.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/bag.h"
#include "gui/controls/combo.h"
#include "gui/input/mouse_capture.h"
#include "gui/kernel/window_placement.h"
#include "gui/layout/layout_builder.h"
#include "gui/paint/colors.h"
#include "gui/paint/fonts.h"
#include "gui/views/list_rows.h"
#include "gui/views/string_list_model.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/gui/plain_combo_list.h"

namespace {
// The frame records the notifications that reach it.
class NotedFrame : public InputFrame {
public:
    using InputFrame::InputFrame;
    bool onControlNotify(void* n) override {
        auto* notification = static_cast<GControlNotification*>(n);
        notes.push_back(std::to_string(notification->code) + ":" + std::to_string(notification->value));
        return true;
    }
    std::vector<std::string> notes;
};

RECT g_work = {0, 0, 1280, 1024};

struct ComboFixture : ::testing::Test {
    ComboFixture() {
        workAreas.ofWindow = [](HWND) { return g_work; };
        g_work = {0, 0, 1280, 1024};
        seam.active = frame.hwnd;  // closing the list finds its window active
    }
    ~ComboFixture() override { workAreas = systemWorkAreas; }

    // A combo of the texts at (10, 10) of the frame, 150 x 22.
    GCombo* make(std::vector<const char*> texts, i32 selection = 0) {
        GBag bag;
        for (const char* t : texts) bagWriteString(bag, t);
        GLayoutBuilder builder(&frame);
        GCombo* combo = GCombo::create(builder, &bag, selection, 12);
        MoveWindow(combo->hwnd, 10, 10, 150, 22, TRUE);
        return combo;
    }
    i32 key(GCombo* combo, u32 vk, bool alt = false) {
        if (alt) seam.held.insert(VK_MENU);
        GInputEvent e;
        keyModifierState(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 0, &e);
        seam.held.erase(VK_MENU);
        e.target = combo;
        return combo->handleKey(&e);
    }
    // A mouse message at a screen point, as the captured combo receives it.
    void mouseAt(GCombo* combo, u32 message, POINT screen) {
        ScreenToClient(combo->hwnd, &screen);
        SendMessageA(combo->hwnd, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(screen.x, screen.y));
    }
    // The screen point of a row's middle in the open list.
    POINT rowPoint(i32 row) {
        PlainComboList* list = PlainComboList::last;
        POINT p = {5, row * list->itemHeight + list->itemHeight / 2};
        ClientToScreen(list->window, &p);
        return p;
    }

    TestApplication app;
    InputSeam seam;
    PlainComboList::Install install;
    NotedFrame frame{nullptr, 200, 200, 400, 300};
};

std::vector<const char*> texts(const char* const* list, int n) { return std::vector<const char*>(list, list + n); }
const char* const kFive[] = {"alpha", "beta", "gamma", "delta", "epsilon"};
}  // namespace

TEST_F(ComboFixture, CreatedFromNonEmptyTextsOnly) {
    GBag bag;
    for (const char* t : {"one", "", "two"}) bagWriteString(bag, t);
    GLayoutBuilder builder(&frame);
    GCombo* combo = GCombo::create(builder, &bag, 1, 12, "<*");
    EXPECT_EQ(combo->rowCount(), 2);
    EXPECT_EQ(combo->selection, 1);
    EXPECT_EQ(combo->hAlign, '<');
    EXPECT_TRUE(combo->isKindOf(109) && combo->isKindOf(6) && combo->isKindOf(3) && combo->isKindOf(1));
    EXPECT_STREQ(combo->className(), "GCombo");
}

TEST_F(ComboFixture, CreatedFromAChoiceListWithValues) {
    ListRowArray choices;
    ChoiceList::add(choices, "low", 10, 0);
    ChoiceList::add(choices, "high", 20, 0);
    GLayoutBuilder builder(&frame);
    GCombo* combo = GCombo::create(builder, choices, 1, 12);
    EXPECT_EQ(choices.count, 0u);
    ASSERT_EQ(combo->rowCount(), 2);
    EXPECT_EQ(combo->selection, 1);
    GString scratch;
    EXPECT_STREQ(combo->model()->cellText(scratch, 1, 0), "high");
    EXPECT_EQ(combo->model()->cellValue(1, 0), 20);
}

TEST_F(ComboFixture, KeysWhileClosedNotifyEachChange) {
    GCombo* combo = make(texts(kFive, 5), 0);
    struct Step {
        u32 vk;
        i32 answer, selection;
    } steps[] = {
        {VK_UP, 2, 0},   {VK_LEFT, 2, 0}, {VK_DOWN, 2, 1}, {VK_RIGHT, 2, 2}, {VK_NEXT, 2, 3}, {VK_END, 2, 4},
        {VK_DOWN, 2, 4}, {VK_PRIOR, 2, 3}, {VK_HOME, 2, 0}, {'A', 0, 0},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(key(combo, s.vk), s.answer) << s.vk;
        EXPECT_EQ(combo->selection, s.selection) << s.vk;
    }
    EXPECT_EQ(frame.notes, (std::vector<std::string>{"3:1", "3:2", "3:3", "3:4", "3:3", "3:0"}));
    combo->select(2);  // the program's selection is quiet
    combo->select(7);  // beyond the rows: ignored
    EXPECT_EQ(combo->selection, 2);
    EXPECT_EQ(frame.notes.size(), 6u);
    EXPECT_FALSE(combo->dropped());
}

TEST_F(ComboFixture, EmptyComboIgnoresKeysAndWheel) {
    GCombo* combo = make({}, 0);
    EXPECT_EQ(combo->selection, -1);
    for (u32 vk : {VK_DOWN, VK_UP, VK_HOME, VK_END}) EXPECT_EQ(key(combo, vk), 0) << vk;
    combo->onWheel(-120, 0, true);
    EXPECT_EQ(combo->selection, -1);
    EXPECT_TRUE(frame.notes.empty());
    combo->addItem("first");
    combo->clampSelection();
    EXPECT_EQ(combo->selection, 0);
}

TEST_F(ComboFixture, OpenListKeysEscapeKeepsSpaceTakes) {
    GCombo* combo = make(texts(kFive, 5), 1);
    EXPECT_EQ(key(combo, VK_F4), 2);
    ASSERT_TRUE(combo->dropped());
    PlainComboList* list = PlainComboList::last;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->row, 1);
    EXPECT_EQ(GetCapture(), combo->hwnd);
    EXPECT_TRUE(IsWindowVisible(list->window));

    key(combo, VK_DOWN);
    key(combo, VK_END);
    key(combo, VK_HOME);
    EXPECT_EQ(list->log, (std::vector<std::string>{"key 40", "key 35 ctrl", "key 36 ctrl"}));
    key(combo, VK_DOWN);
    key(combo, VK_DOWN);
    EXPECT_EQ(key(combo, VK_ESCAPE), 2);
    EXPECT_FALSE(combo->dropped());
    EXPECT_EQ(PlainComboList::last, nullptr);  // the list is gone
    EXPECT_EQ(combo->selection, 1);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(captureCount(), 0);

    key(combo, VK_DOWN, true);  // Alt+Down opens
    ASSERT_TRUE(combo->dropped());
    key(combo, VK_DOWN);
    key(combo, VK_DOWN);
    EXPECT_EQ(key(combo, VK_SPACE), 2);
    EXPECT_FALSE(combo->dropped());
    EXPECT_EQ(combo->selection, 3);

    key(combo, VK_SPACE);  // Space opens too; F4 closes without the choice
    key(combo, VK_UP);
    key(combo, VK_F4);
    EXPECT_FALSE(combo->dropped());
    EXPECT_EQ(combo->selection, 3);
    EXPECT_EQ(frame.notes, (std::vector<std::string>{"3:3"}));
}

TEST_F(ComboFixture, WheelClosedAndOpen) {
    GCombo* combo = make(texts(kFive, 5), 2);
    seam.pointAt(combo->hwnd, 20, 10);
    SendMessageA(combo->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(combo->selection, 1);
    SendMessageA(combo->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (u16)-120), 0);
    SendMessageA(combo->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (u16)-120), 0);
    EXPECT_EQ(combo->selection, 3);
    combo->select(0);
    SendMessageA(combo->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(combo->selection, 0);
    EXPECT_EQ(frame.notes, (std::vector<std::string>{"3:1", "3:2", "3:3"}));

    combo->dropDown();
    PlainComboList* list = PlainComboList::last;
    seam.cursor = rowPoint(4);
    SendMessageA(combo->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (u16)-120), 0);
    ASSERT_EQ(list->log.size(), 1u);
    EXPECT_EQ(list->log[0].rfind("wheel -120 at 5,", 0), 0u) << list->log[0];
    EXPECT_EQ(list->row, 4);  // the highlighted row follows the pointer
    EXPECT_EQ(combo->selection, 0);
    combo->closeUp(true);
    EXPECT_EQ(combo->selection, 4);
}

TEST_F(ComboFixture, MouseWhileOpen) {
    GCombo* combo = make(texts(kFive, 5), 0);
    seam.pointAt(combo->hwnd, 20, 10);
    SendMessageA(combo->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));  // a click opens
    ASSERT_TRUE(combo->dropped());
    EXPECT_EQ(GetFocus(), combo->hwnd);
    SendMessageA(combo->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));  // released over the combo: stays open
    ASSERT_TRUE(combo->dropped());
    PlainComboList* list = PlainComboList::last;

    mouseAt(combo, WM_MOUSEMOVE, rowPoint(2));  // moves mark the row
    EXPECT_EQ(list->row, 2);
    mouseAt(combo, WM_RBUTTONDOWN, rowPoint(3));  // other presses go to the list
    EXPECT_EQ(list->log.back().rfind("mouse 516 at 5,", 0), 0u) << list->log.back();
    EXPECT_TRUE(combo->dropped());

    SendMessageA(combo->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));  // a click on the combo closes
    EXPECT_FALSE(combo->dropped());
    EXPECT_EQ(combo->selection, 0);

    combo->dropDown();
    mouseAt(combo, WM_LBUTTONDOWN, POINT{5, 5});  // a press far outside closes without a choice
    EXPECT_FALSE(combo->dropped());
    EXPECT_EQ(combo->selection, 0);
    EXPECT_EQ(GetCapture(), nullptr);

    combo->dropDown();
    mouseAt(combo, WM_LBUTTONUP, rowPoint(3));  // a release over a row takes it
    EXPECT_FALSE(combo->dropped());
    EXPECT_EQ(combo->selection, 3);
    EXPECT_EQ(frame.notes, (std::vector<std::string>{"3:3"}));
}

TEST_F(ComboFixture, ScrollBarPressesForwardedWithTheCapturePaused) {
    std::vector<const char*> many;
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i) names.push_back("row " + std::to_string(i));
    for (const std::string& n : names) many.push_back(n.c_str());
    GCombo* combo = make(many, 0);
    combo->dropDown();
    PlainComboList* list = PlainComboList::last;
    ASSERT_TRUE(list->verticalBar);  // 60 rows, 30 shown
    RECT outer;
    GetWindowRect(list->window, &outer);
    POINT bar = {outer.right - 4, outer.top + 20};
    mouseAt(combo, WM_LBUTTONDOWN, bar);
    mouseAt(combo, WM_LBUTTONUP, bar);
    mouseAt(combo, WM_LBUTTONDBLCLK, bar);
    EXPECT_EQ(list->log, (std::vector<std::string>{"nc down vscroll free", "nc up vscroll free", "nc dbl vscroll free"}));
    EXPECT_TRUE(combo->dropped());
    EXPECT_EQ(GetCapture(), combo->hwnd);  // taken back
    combo->closeUp(false);
}

TEST_F(ComboFixture, ListPlacedInTheWorkArea) {
    GCombo* combo = make(texts(kFive, 5), 0);
    RECT r;
    GetWindowRect(combo->hwnd, &r);
    ComboListMetrics m = systemComboListMetrics();

    combo->dropDown();
    PlainComboList* list = PlainComboList::last;
    EXPECT_EQ(list->placed.top, r.bottom);
    EXPECT_EQ(list->placed.bottom, r.bottom + 5 * combo->itemHeight + 2 * m.borderHeight);
    EXPECT_EQ(list->placed.left, r.left);
    EXPECT_EQ(list->placed.right, r.right);
    RECT shown;
    GetWindowRect(list->window, &shown);
    EXPECT_TRUE(EqualRect(&shown, &list->placed));
    combo->closeUp(false);

    // Little room below, much above: above, cut, with a scroll bar.
    g_work = {0, r.top - 40 - m.hScrollHeight, 1280, r.bottom + 10 + m.hScrollHeight};
    combo->dropDown();
    list = PlainComboList::last;
    EXPECT_EQ(list->placed.top, r.top - 40);
    EXPECT_EQ(list->placed.bottom, r.top);
    EXPECT_TRUE(list->verticalBar);
    combo->closeUp(false);
}

TEST_F(ComboFixture, ListWidthFromTheFirstHundredRows) {
    std::vector<std::string> names(150, "x");
    const std::string wide(60, 'W');
    names[120] = wide;
    std::vector<const char*> rows;
    for (const std::string& n : names) rows.push_back(n.c_str());
    GCombo* combo = make(rows, 0);
    combo->dropDown();
    EXPECT_EQ(PlainComboList::last->placed.right - PlainComboList::last->placed.left, 150);
    combo->closeUp(false);

    names[99] = wide;
    rows[99] = names[99].c_str();
    combo->setItems(nullptr, -1);
    GStringListModel* model = new GStringListModel;
    for (const char* t : rows) model->addItem(t);
    combo->setModel(model, 0);
    combo->dropDown();
    EXPECT_GT(PlainComboList::last->placed.right - PlainComboList::last->placed.left, 300);
    combo->closeUp(false);
}

TEST_F(ComboFixture, DestroyedWhileOpenLeavesNoCapture) {
    GCombo* combo = make(texts(kFive, 5), 0);
    SendMessageA(combo->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    ASSERT_TRUE(combo->dropped());
    HWND popup = PlainComboList::last->window;
    EXPECT_EQ(GetCapture(), combo->hwnd);
    DestroyWindow(combo->hwnd);  // deletes the combo
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(captureCount(), 0);
    EXPECT_FALSE(captureHooksInstalled());
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(PlainComboList::last, nullptr);
}

namespace {
// The combo's pixels as drawn now.
struct Pixels {
    explicit Pixels(GCombo* combo) : hwnd(combo->hwnd) {
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        dc = GetDC(hwnd);
    }
    ~Pixels() { ReleaseDC(hwnd, dc); }
    COLORREF at(i32 x, i32 y) const { return GetPixel(dc, x, y); }
    HWND hwnd;
    HDC dc;
};
}  // namespace

TEST_F(ComboFixture, PaintsFrameFieldArrowAndSeparator) {
    GCombo* combo = make(texts(kFive, 5), 2);
    RECT text = combo->textZone(), arrow = combo->arrowZone();
    EXPECT_EQ(arrow.right - arrow.left, 9 + 2);  // the 9-pixel arrow bitmap
    EXPECT_EQ(text.right, arrow.left - 1);
    std::vector<COLORREF> plain;
    {
        Pixels p(combo);
        const COLORREF shade = toolkitColors.darkShade;
        EXPECT_EQ(p.at(text.right, 11), shade);  // separator
        EXPECT_EQ(p.at(text.right, 1), shade);
        EXPECT_EQ(p.at(arrow.left + 3, arrow.top), shade);  // the zone's outline, corners cut
        EXPECT_NE(p.at(arrow.left, arrow.top), shade);
        i32 x0 = arrow.left + (arrow.right - arrow.left - 9) / 2, y0 = arrow.top + (arrow.bottom - arrow.top - 9) / 2;
        EXPECT_EQ(p.at(x0 + 4, y0 + 5), RGB(0, 0, 0));  // the arrow
        for (i32 x = text.left; x < text.right; ++x) plain.push_back(p.at(x, text.top + 1));
    }
    SetFocus(combo->hwnd);
    Pixels focused(combo);
    int differ = 0;
    for (i32 x = text.left; x < text.right; ++x) differ += focused.at(x, text.top + 1) != plain[x - text.left];
    EXPECT_GT(differ, 10);  // the focus rectangle
}

TEST_F(ComboFixture, ModelChangesKeepTheSelectionInside) {
    GCombo* combo = make(texts(kFive, 5), 4);
    combo->dropDown();
    GStringListModel* two = new GStringListModel;
    two->addItem("x");
    two->addItem("y");
    combo->setModel(two, 9);  // ignored index: the old selection is brought inside
    EXPECT_EQ(combo->selection, 1);
    EXPECT_EQ(PlainComboList::last->model, two);  // the open list shows the new model
    combo->closeUp(false);
    combo->clear();
    combo->clampSelection();
    EXPECT_EQ(combo->selection, -1);
    EXPECT_TRUE(frame.notes.empty());
}

// The field at its preferred height shows the whole text: ink as tall as the text drawn alone.
TEST_F(ComboFixture, PreferredHeightShowsTheWholeText) {
    GCombo* combo = make({"Light gamma"}, 0);
    i32 w = 0, h = 0;
    combo->getPreferredSize(&w, &h);
    MoveWindow(combo->hwnd, 10, 10, 150, h, TRUE);
    const COLORREF ink = toolkitColors.text;
    auto inkRows = [&](auto pixel, i32 width, i32 height) {
        i32 rows = 0;
        for (i32 y = 0; y < height; ++y) {
            bool any = false;
            for (i32 x = 0; x < width && !any; ++x) any = pixel(x, y) == ink;
            rows += any;
        }
        return rows;
    };
    DibCanvas alone(150, 40, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(alone.dc(), getMessageFont()->font);
    SetTextColor(alone.dc(), ink);
    SetBkMode(alone.dc(), TRANSPARENT);
    TextOutA(alone.dc(), 4, 4, "Light gamma", 11);
    SelectObject(alone.dc(), old);
    i32 expected = inkRows([&](i32 x, i32 y) { return alone.pixel(x, y); }, alone.width, alone.height);
    ASSERT_GT(expected, 5);
    RECT text = combo->textZone();
    Pixels p(combo);
    saveWindowShot(combo->hwnd, "combo_preferred.bmp");
    EXPECT_EQ(inkRows([&](i32 x, i32 y) { return p.at(text.left + x, text.top + y); }, text.right - text.left,
                      text.bottom - text.top),
              expected);
}
