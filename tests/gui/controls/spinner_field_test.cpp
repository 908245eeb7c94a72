// Spinner fields in a dialog: the composite's geometry, range checks through the dialog's field
// list (message, focus, nothing written on a failure), the kinds' commits, and Up and Down typed
// in the edit line.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "gui/controls/edit_line.h"
#include "gui/controls/spinner.h"
#include "gui/controls/spinner_field.h"
#include "gui/input/input_event.h"
#include "gui/input/input_routing.h"
#include "gui/kernel/message_box.h"
#include "tests/gui/value_fixture.h"

using namespace valuefix;

namespace {
std::vector<std::string> g_boxes;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    g_boxes.push_back(text);
    return 0;
}

struct BoxSink {
    BoxSink() {
        g_boxes.clear();
        setMessageBoxSink(recordBox);
    }
    ~BoxSink() { setMessageBoxSink(nullptr); }
};

struct FieldFixture : Fixture {
    BoxSink sink;
    FieldFixture() : Fixture(300, 160) { builder.fieldList = &dialog->fields; }
};

TEST(SpinnerField, ARangeFailureKeepsTheDialogOpenAndFocusesTheEditLine) {
    FieldFixture f;
    i32 count = 4, other = 2;
    GSpinnerField* field = addSpinnerField(f.builder, 1, 10, "99_", &count);
    GSpinnerField* second = addSpinnerField(f.builder, 0, 5, "9", &other);
    Fixture::place(field->edit, {10, 10, 60, 30});
    Fixture::place(second->edit, {10, 40, 60, 60});
    EXPECT_STREQ("4", field->edit->text());

    field->edit->setText("11");
    second->edit->setText("3");
    EXPECT_FALSE(f.dialog->validate(&f.dialog->fields));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_NE(std::string::npos, g_boxes[0].find(" 1 ")) << g_boxes[0];
    EXPECT_NE(std::string::npos, g_boxes[0].find(" 10")) << g_boxes[0];
    EXPECT_EQ(field->edit, f.dialog->focusChild);
    EXPECT_EQ(4, count);
    EXPECT_EQ(2, other);

    // Text that is no number fails the same way.
    field->edit->setText("x");
    EXPECT_FALSE(f.dialog->validate(&f.dialog->fields));
    EXPECT_EQ(2u, g_boxes.size());

    field->edit->setText("10");
    EXPECT_TRUE(f.dialog->validate(&f.dialog->fields));
    EXPECT_EQ(10, count);
    EXPECT_EQ(3, other);
    EXPECT_EQ(2u, g_boxes.size());
}

TEST(SpinnerField, EveryKindCommitsItsOwnType) {
    FieldFixture f;
    i32 whole = 0;
    u32 count = 7, ms = 1000;
    double ratio = 0.5;
    GSpinnerField* a = addSpinnerField(f.builder, -5, 5, "-9", &whole);
    GSpinnerField* b = addSpinnerField2(f.builder, "4294967295", nullptr, 0, 0xFFFFFFFFu, &count);
    GSpinnerField* c = addSpinnerFieldDouble(f.builder, 0, 1, "0.000", &ratio);
    GSpinnerField* d = addTimeField(f.builder, &ms, 0, 3600000);
    EXPECT_STREQ("0", a->edit->text());
    EXPECT_STREQ("7", b->edit->text());
    EXPECT_STREQ("0.5", c->edit->text());
    EXPECT_STREQ("1.000", d->edit->text());
    EXPECT_STREQ("888:88.888_", d->edit->sample.c_str());
    a->edit->setText("-5");
    b->edit->setText("4294967295");
    c->edit->setText("0.125");
    d->edit->setText("1:05.250");
    EXPECT_TRUE(f.dialog->validate(&f.dialog->fields));
    EXPECT_EQ(-5, whole);
    EXPECT_EQ(0xFFFFFFFFu, count);
    EXPECT_EQ(0.125, ratio);
    EXPECT_EQ(65250u, ms);

    // The time range names both limits as times.
    d->edit->setText("60:00.001");
    EXPECT_FALSE(f.dialog->validate(&f.dialog->fields));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_NE(std::string::npos, g_boxes[0].find("0.000")) << g_boxes[0];
    EXPECT_NE(std::string::npos, g_boxes[0].find("60:00.000")) << g_boxes[0];
}

TEST(SpinnerField, TheArrowColumnIsElevenPixelsBesideTheEditLine) {
    FieldFixture f;
    i32 v = 0;
    GSpinnerField* field = addSpinnerField(f.builder, 0, 99, "99", &v);
    i32 ew = -1, eh = 0, w = -1, h = 0;
    field->edit->getPreferredSize(&ew, &eh);
    field->getPreferredSize(&w, &h);
    EXPECT_EQ(ew + 11, w);
    EXPECT_EQ(eh > 20 ? eh : 20, h);

    field->setRect({10, 10, 80, 34});
    RECT e, a;
    GetWindowRect(field->edit->hwnd, &e);
    GetWindowRect(field->arrows->hwnd, &a);
    EXPECT_EQ(59, e.right - e.left);
    EXPECT_EQ(11, a.right - a.left);
    EXPECT_EQ(e.right, a.left);
    EXPECT_EQ(24, a.bottom - a.top);

    // Narrower than the arrows: the edit line gets nothing.
    field->setRect({10, 10, 18, 34});
    EXPECT_EQ(10, field->edit->rect.right);
    EXPECT_EQ(10, field->edit->rect.left);
    EXPECT_EQ(10, field->arrows->rect.left);
    EXPECT_EQ(18, field->arrows->rect.right);
}

TEST(SpinnerField, UpAndDownInTheEditLineStep) {
    FieldFixture f;
    i32 v = 47;
    GSpinnerField* field = addSpinnerField(f.builder, 0, 99, "99", &v);
    Fixture::place(field->edit, {10, 10, 60, 30});
    Fixture::place(field->arrows, {60, 10, 71, 30});
    SendMessageA(field->edit->hwnd, EM_SETSEL, 1, 1);
    GInputEvent up = GInputEvent::keyDown(VK_UP);
    up.target = field->edit;
    EXPECT_TRUE(routeKeyEvent(&up));
    EXPECT_STREQ("50", field->edit->text());
    GInputEvent down = GInputEvent::keyDown(VK_DOWN);
    down.target = field->edit;
    EXPECT_TRUE(routeKeyEvent(&down));
    EXPECT_STREQ("40", field->edit->text());
    // Right stays with the edit line.
    GInputEvent right = GInputEvent::keyDown(VK_RIGHT);
    right.target = field->edit;
    EXPECT_FALSE(routeKeyEvent(&right));
    EXPECT_STREQ("40", field->edit->text());
    // The arrows press through the field's stepper.
    SendMessageA(field->arrows->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 15));
    SendMessageA(field->arrows->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 15));
    EXPECT_STREQ("30", field->edit->text());
}

TEST(SpinnerField, KeysFromTheLoopReachTheFilterAndTheArrows) {
    FieldFixture f;
    i32 v = 47;
    GSpinnerField* field = addSpinnerField(f.builder, 0, 99, "99", &v);
    Fixture::place(field->edit, {10, 10, 60, 30});
    Fixture::place(field->arrows, {60, 10, 71, 30});
    SetForegroundWindow(f.dialog->hwnd);
    field->edit->setFocusSafe();
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == field->edit->hwnd; }));
    SendMessageA(field->edit->hwnd, EM_SETSEL, 2, 2);
    // Down passes the edit line's filter and steps; a digit stays with the native edit.
    PostMessageA(field->edit->hwnd, WM_KEYDOWN, VK_DOWN, 0x00500001);
    EXPECT_TRUE(pumpUntil([&] { return std::string(field->edit->text()) == "46"; }));
    PostMessageA(field->edit->hwnd, WM_KEYDOWN, '3', 0x00040001);
    PostMessageA(field->edit->hwnd, WM_CHAR, '3', 0x00040001);
    EXPECT_TRUE(pumpUntil([&] { return std::string(field->edit->text()) == "463"; }));
    SetWindowLongA(f.dialog->hwnd, GWL_STYLE, GetWindowLongA(f.dialog->hwnd, GWL_STYLE) & ~WS_VISIBLE);
}

}  // namespace
