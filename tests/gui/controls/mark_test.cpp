// Check boxes and radio boxes on a real dialog: states, keys, the mouse, groups, the redraw lock,
// bound variables, geometry and the painted marks.
#include <gtest/gtest.h>

#include "gui/controls/mark_window.h"
#include "gui/input/input_event.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/paint/text_measure.h"
#include "tests/gui/control_fixture.h"

using namespace controls;

namespace {
struct MarkFixture : ColumnFixture {
    i32 changes() { return (i32)dialog->notifications.size(); }
};

i32 blackIn(GMarkWindow* w) {
    RECT mark;
    w->geometry(&mark, nullptr);
    return countColour(w->hwnd, mark, RGB(0, 0, 0));
}
}  // namespace

TEST(CheckBox, ClicksCycleTheStates) {
    MarkFixture f;
    struct Case {
        u32 style;
        std::vector<i32> states;
    } cases[] = {
        {0, {1, 0, 1}},
        {MarkThreeState, {1, -1, 0}},
    };
    for (const Case& c : cases) {
        GCheckBox* box = GCheckBoxItem::create(f.builder, "Box", 0, nullptr, c.style);
        f.dialog->notifications.clear();
        for (size_t i = 0; i < c.states.size(); ++i) {
            box->click();
            EXPECT_EQ(c.states[i], box->state) << c.style << " click " << i;
            ASSERT_EQ(i + 1, f.dialog->notifications.size());
            EXPECT_EQ(box, f.dialog->notifications.back().source);
            EXPECT_EQ(c.states[i], f.dialog->notifications.back().value);
        }
        // A disabled box does not change.
        EnableWindow(box->hwnd, FALSE);
        box->click();
        EXPECT_EQ(c.states.back(), box->state);
    }
}

TEST(CheckBox, SpacePressAndReleaseToggleOnce) {
    MarkFixture f;
    GCheckBox* box = GCheckBoxItem::create(f.builder, "Space", 0);
    f.layout();
    GInputEvent up = keyEvent(KeyUp, VK_SPACE);
    EXPECT_EQ(0, box->handleKey(&up));  // a release without a press does nothing
    EXPECT_EQ(0, box->state);
    GInputEvent down = keyEvent(KeyDown, VK_SPACE);
    EXPECT_EQ(2, box->handleKey(&down));
    EXPECT_TRUE(box->spacePressed);
    EXPECT_EQ(box->hwnd, GetFocus());
    EXPECT_EQ(0, box->state);
    EXPECT_EQ(2, box->handleKey(&up));
    EXPECT_EQ(1, box->state);
    EXPECT_EQ(0, box->handleKey(&up));
    EXPECT_EQ(1, box->state);
    GInputEvent shifted = keyEvent(KeyDown, VK_SPACE, ModShift);
    GInputEvent other = keyEvent(KeyDown, 'A');
    EXPECT_EQ(0, box->handleKey(&shifted));
    EXPECT_EQ(0, box->handleKey(&other));
}

TEST(CheckBox, MouseReleaseOverTheMarkOrTextClicks) {
    MarkFixture f;
    GCheckBox* box = GCheckBoxItem::create(f.builder, "Mouse", 0, "<^");
    f.layout();
    RECT mark, text;
    box->geometry(&mark, &text);
    i32 mx = (mark.left + mark.right) / 2, my = (mark.top + mark.bottom) / 2;
    SendMessageA(box->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(mx, my));
    SendMessageA(box->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(mx, my));
    EXPECT_EQ(1, box->state);
    SendMessageA(box->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(mx, my));
    SendMessageA(box->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(mx, 200));  // released away from it
    EXPECT_EQ(1, box->state);
    SendMessageA(box->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(mx, my));   // no press before
    EXPECT_EQ(1, box->state);
}

TEST(MarkWindow, GeometryAndSize) {
    MarkFixture f;
    GCheckBox* left = GCheckBoxItem::create(f.builder, "Caption", 0);
    GCheckBox* right = GCheckBoxItem::create(f.builder, "Caption", 0, nullptr, MarkTextLeft);
    GCheckBox* bare = GCheckBoxItem::create(f.builder, "", 0);
    SIZE t = textExtent(getMessageFont(), "Caption");
    i32 w, h;
    left->getPreferredSize(&w, &h);
    EXPECT_EQ(15 + t.cx + 6, w);
    EXPECT_EQ(std::max<i32>(t.cy, 15) + 4, h);
    bare->getPreferredSize(&w, &h);
    EXPECT_EQ(15, w);
    left->setRect(RECT{0, 0, 200, 25});
    right->setRect(RECT{0, 30, 200, 55});
    RECT mark, text;
    left->geometry(&mark, &text);
    EXPECT_EQ(0, mark.left);
    EXPECT_EQ(15, mark.right);
    EXPECT_EQ(5, mark.top);  // (25 - 15) / 2
    EXPECT_EQ(15 + 4 - 2, text.left);
    EXPECT_EQ(15 + 4 + t.cx + 2, text.right);
    right->geometry(&mark, &text);
    EXPECT_EQ(185, mark.left);
    EXPECT_EQ(185 - 4 + 2, text.right);
    // Narrower than the mark: the mark takes the whole width.
    left->setRect(RECT{0, 0, 10, 8});
    left->geometry(&mark, &text);
    EXPECT_EQ(10, mark.right);
    EXPECT_EQ(8, mark.bottom);
    EXPECT_LE(text.left + 2, text.right - 2);
}

TEST(CheckBox, MarksArePainted) {
    MarkFixture f;
    GCheckBox* box = GCheckBoxItem::create(f.builder, "Paint", 0, "<^", MarkThreeState);
    f.layout();
    EXPECT_EQ(0, blackIn(box));
    struct Case {
        i32 state;
        bool black;
    } cases[] = {{1, true}, {-1, false}, {0, false}};
    RECT mark;
    box->geometry(&mark, nullptr);
    for (const Case& c : cases) {
        box->state = c.state;
        RedrawWindow(box->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(c.black, blackIn(box) > 5) << c.state;
    }
    // The third state shows a greyed mark that the off state does not.
    box->state = -1;
    RedrawWindow(box->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    COLORREF third = pixelAt(box->hwnd, (mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2);
    box->state = 0;
    RedrawWindow(box->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_NE(third, pixelAt(box->hwnd, (mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2));
}

TEST(RadioBox, GroupValueDecidesWhichBoxIsUnchecked) {
    MarkFixture f;
    GRadioBox* a = new GRadioBox(f.builder, "A", 1, true);
    GRadioBox* b = new GRadioBox(f.builder, "B", 1, false);
    GRadioBox* c = new GRadioBox(f.builder, "C", 1, false);
    GRadioBox* other = new GRadioBox(f.builder, "Other", 2, true);
    f.layout();
    b->click();
    EXPECT_FALSE(a->checked);
    EXPECT_TRUE(b->checked);
    EXPECT_FALSE(c->checked);
    EXPECT_TRUE(other->checked);
    EXPECT_EQ(b->hwnd, GetFocus());
    i32 changes = f.changes();
    EXPECT_EQ(2, changes);  // a unchecked, b checked
    b->click();             // already checked: nothing
    EXPECT_EQ(changes, f.changes());
    EXPECT_TRUE(b->checked);
    // Keys: Space on c moves the check within the group.
    GInputEvent down = keyEvent(KeyDown, VK_SPACE), up = keyEvent(KeyUp, VK_SPACE);
    c->handleKey(&down);
    c->handleKey(&up);
    EXPECT_TRUE(c->checked);
    EXPECT_FALSE(b->checked);
    EXPECT_TRUE(other->checked);
}

TEST(MarkWindow, ClicksUnderTheRedrawLockNotifyOnceAtTheEnd) {
    MarkFixture f;
    GCheckBox* box = GCheckBoxItem::create(f.builder, "Locked", 0);
    GRadioBox* radio = new GRadioBox(f.builder, "Radio", 3, false);
    f.layout();
    box->beginRedrawLock();
    radio->beginRedrawLock();
    box->click();
    box->click();
    box->click();
    radio->click();
    EXPECT_EQ(0, f.changes());
    EXPECT_TRUE(box->flags & WindowRepaintPending);
    ValidateRect(box->hwnd, nullptr);
    box->endRedrawLock();
    radio->endRedrawLock();
    ASSERT_EQ(2, f.changes());
    EXPECT_EQ(box, f.dialog->notifications[0].source);
    EXPECT_EQ(1, f.dialog->notifications[0].value);
    EXPECT_EQ(radio, f.dialog->notifications[1].source);
    EXPECT_TRUE(GetUpdateRect(box->hwnd, nullptr, FALSE));
}

TEST(MarkWindow, BoundBoxesCommitTheirStates) {
    MarkFixture f;
    u8 flag = 0, preset = 1;
    i32 choice = 5, second = 2;
    GLayoutBuilder builder(f.dialog);
    builder.current = f.column;
    GCheckBox* box = GCheckBoxItem::createAlt(builder, "Three", &flag, nullptr, MarkThreeState);
    GCheckBox* on = GCheckBoxItem::createAlt(builder, "On", &preset);
    GRadioBox* one = addRadioBox(builder, "One", 1, &choice, 1);
    GRadioBox* two = addRadioBox(builder, "Two", 1, &choice, 2);
    GRadioBox* picked = addRadioBox(builder, "Picked", 4, &second, 2);
    f.layout();
    EXPECT_EQ(0, box->state);
    EXPECT_EQ(1, on->state);
    EXPECT_FALSE(one->checked || two->checked);
    EXPECT_TRUE(picked->checked);
    box->click();
    box->click();  // the third state
    ASSERT_EQ(-1, box->state);
    on->click();
    EXPECT_TRUE(f.dialog->validate(&f.dialog->fields));
    EXPECT_EQ(1, flag);      // the third state counts as set
    EXPECT_EQ(0, preset);
    EXPECT_EQ(5, choice);    // no radio box of the group checked: untouched
    EXPECT_EQ(2, second);
    two->click();
    f.dialog->fields.commit();
    EXPECT_EQ(2, choice);
    // A box that is gone is skipped.
    DestroyWindow(two->hwnd);
    choice = 9;
    f.dialog->fields.commit();
    EXPECT_EQ(9, choice);
}
