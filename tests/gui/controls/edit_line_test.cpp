// The edit line and the progress bar over their native controls: the key filter, the value texts,
// change notifications, dialog codes, focus selection, measuring, and the progress positions.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <string>

#include "core/exceptions.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/progress_bar.h"
#include "gui/controls/value_text.h"
#include "gui/input/input_event.h"
#include "gui/kernel/window_procedure.h"
#include "gui/paint/text_measure.h"
#include "tests/gui/value_fixture.h"

using namespace valuefix;

namespace {

GInputEvent keyEvent(u32 kind, u32 key, u32 mods) {
    GInputEvent e;
    e.kind = kind;
    e.key = key;
    e.modifiers = mods;
    return e;
}

TEST(EditKeyFilter, TakesWhatTheNativeEditNeedsAndPassesTheRestOn) {
    const u32 S = ModShift, C = ModCtrl, A = ModAlt, single = 0, multi = ControlMultiLine, ro = ControlReadOnly;
    struct Case {
        u32 style, kind, key, mods;
        i32 taken;
    } cases[] = {
        {single, KeyDown, 'A', 0, 1},         {single, KeyDown, 'A', S, 1},
        {single, KeyDown, 'A', C, 0},         {single, KeyDown, 'C', C, 1},
        {single, KeyDown, 'V', C, 1},         {single, KeyDown, 'Z', C, 1},
        {single, KeyDown, '5', A, 0},         {single, KeyDown, VK_SHIFT, S, 0},
        {single, KeyDown, VK_CONTROL, C, 0},  {single, KeyUp, 'X', C, 1},
        {single, KeyDown, VK_DOWN, 0, 0},     {single, KeyDown, VK_UP, 0, 0},
        {single, KeyDown, VK_RIGHT, 0, 1},    {single, KeyDown, VK_HOME, S, 1},
        {single, KeyDown, VK_PRIOR, 0, 0},    {single, KeyDown, VK_LEFT, A, 0},
        {multi, KeyDown, VK_DOWN, 0, 1},      {multi, KeyDown, VK_RIGHT, 0, 1},
        {multi, KeyDown, VK_NEXT, 0, 1},      {multi, KeyDown, VK_NEXT, C, 0},
        {multi, KeyDown, VK_END, C, 1},       {single, KeyDown, VK_RETURN, 0, 0},
        {multi, KeyDown, VK_RETURN, 0, 1},    {multi, KeyDown, VK_TAB, 0, 1},
        {single, KeyDown, VK_TAB, 0, 0},      {single, KeyDown, VK_SPACE, 0, 1},
        {single, KeyDown, VK_BACK, 0, 1},     {single, KeyDown, VK_BACK, A, 1},
        {single, KeyDown, VK_BACK, C, 1},     {single, KeyDown, VK_DELETE, S, 1},
        {single, KeyDown, VK_INSERT, S, 1},   {single, KeyDown, VK_INSERT, C, 1},
        {single, KeyDown, VK_ESCAPE, 0, 0},   {single, KeyDown, VK_F1, 0, 0},
        {single, KeyDown, VK_SPACE, 0x10, 0}, {single, KeyDown, VK_BACK, 0x10, 1},  // a held button counts as Alt
        {ro, KeyDown, 'A', 0, 1},             {ro, KeyDown, 'C', C, 1},
        {ro, KeyDown, VK_INSERT, C, 1},       {ro, KeyDown, VK_DELETE, 0, 0},
        {ro, KeyDown, VK_RIGHT, 0, 1},        {ro, KeyDown, VK_DOWN, 0, 0},
        {single, KeyCharacter, 'a', 0, 1},    {single, KeyCharacter, 'A', S, 1},
        {single, KeyCharacter, 1, C, 0},      {single, KeyCharacter, 3, C, 1},
        {single, KeyCharacter, 22, C, 1},     {single, KeyCharacter, 'a', A, 0},
        {ro, KeyCharacter, 'a', 0, 0},        {ro, KeyCharacter, 3, C, 1},
        {ro, KeyCharacter, 22, C, 0},
    };
    for (const Case& c : cases) {
        GInputEvent e = keyEvent(c.kind, c.key, c.mods);
        EXPECT_EQ(c.taken, editKeyFilter(c.style, &e))
            << "style " << c.style << " kind " << c.kind << " key " << c.key << " mods " << c.mods;
    }
}

TEST(ValueText, ReadsWholeTextsOnly) {
    struct I32Case {
        const char* text;
        bool ok;
        i32 value;
    } i32Cases[] = {{"42", true, 42},    {"-7", true, -7},  {"101B", true, 5}, {"FFH", true, 255},
                    {"12x", false, 0},   {"", false, 0},    {"B", false, 0},   {"2B", false, 0},
                    {"-2147483648", true, INT_MIN}};
    for (const I32Case& c : i32Cases) {
        i32 v = 0;
        EXPECT_EQ(c.ok, readI32Text(c.text, &v)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.value, v) << c.text;
        }
    }
    u32 u = 0;
    EXPECT_TRUE(readU32Text("4294967295", &u));
    EXPECT_EQ(0xFFFFFFFFu, u);
    EXPECT_TRUE(readU32Text("FFH", &u));
    EXPECT_EQ(255u, u);
    EXPECT_FALSE(readU32Text("-1", &u));

    i64 w = 0;
    EXPECT_TRUE(readI64Text("9223372036854775807", &w));
    EXPECT_EQ(LLONG_MAX, w);
    EXPECT_TRUE(readI64Text("-9223372036854775808", &w));
    EXPECT_EQ(LLONG_MIN, w);
    EXPECT_FALSE(readI64Text("9223372036854775808", &w));
    EXPECT_FALSE(readI64Text("12 ", &w));
    EXPECT_FALSE(readI64Text(" 12", &w));
    EXPECT_FALSE(readI64Text("", &w));

    double d = 0;
    EXPECT_TRUE(readDoubleText("2.5E3", &d));
    EXPECT_EQ(2500.0, d);
    EXPECT_FALSE(readDoubleText("1e999", &d));
    EXPECT_FALSE(readDoubleText("1.5s", &d));
    EXPECT_FALSE(readDoubleText(" 1.5", &d));
    EXPECT_FALSE(readDoubleText("", &d));

    u32 ms = 0;
    EXPECT_TRUE(readTimeText("1:01.234", &ms));
    EXPECT_EQ(61234u, ms);
    EXPECT_FALSE(readTimeText("", &ms));
    EXPECT_FALSE(readTimeText("1:0x", &ms));

    GString s;
    struct TimeCase {
        u32 ms;
        const char* text;
    } times[] = {{61234, "1:01.234"}, {1234, "1.234"}, {0, "0.000"}, {59999, "59.999"}, {60000, "1:00.000"},
                 {0xFFFFFFFFu, "71582:47.295"}};
    for (const TimeCase& c : times) {
        formatTimeText(s, c.ms);
        EXPECT_STREQ(c.text, s.c_str());
    }
    formatDoubleText(s, 0.1);
    EXPECT_STREQ("0.1", s.c_str());
    formatI64Text(s, LLONG_MIN);
    EXPECT_STREQ("-9223372036854775808", s.c_str());
}

TEST(EditLine, RegistersItsSuperclassAndAnswersTheDialogCodes) {
    Fixture f;
    GEditLine* line = GEditLine::create(f.builder, 8);
    char name[64];
    GetClassNameA(line->hwnd, name, sizeof name);
    EXPECT_STREQ("korvalen_GEditLine_edit", name);
    EXPECT_EQ(line, windowFromHandle(line->hwnd));
    EXPECT_EQ(0x50030080, GetWindowLongA(line->hwnd, GWL_STYLE) & ~0x0000F000);
    EXPECT_EQ(0x81, SendMessageA(line->hwnd, WM_GETDLGCODE, 0, 0));

    GEditLine* readOnly = new GEditLine(f.dialog);
    readOnly->createEdit(WS_CHILD | WS_VISIBLE | ES_READONLY, 0);
    f.builder.add(readOnly);
    EXPECT_EQ(ControlReadOnly, readOnly->controlStyle);
    EXPECT_EQ(1, SendMessageA(readOnly->hwnd, WM_GETDLGCODE, 0, 0));

    GEditLine* multi = new GEditLine(f.dialog);
    multi->createEdit(WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0);
    f.builder.add(multi);
    EXPECT_EQ(0x83, SendMessageA(multi->hwnd, WM_GETDLGCODE, 0, 0));
}

TEST(EditLine, ValuesRoundTripAndBadTextsThrowWithTheText) {
    Fixture f;
    GEditLine* line = GEditLine::create(f.builder, 12);
    line->setTime(61234);
    EXPECT_STREQ("1:01.234", line->text());
    EXPECT_EQ(61234u, line->getTime());
    line->setTime(1234);
    EXPECT_STREQ("1.234", line->text());
    line->setText("101B");
    EXPECT_EQ(5, line->getI32());
    line->setText("FFH");
    EXPECT_EQ(255u, line->getU32());
    line->setI64(LLONG_MIN);
    EXPECT_EQ(LLONG_MIN, line->getI64());
    line->setDouble(-0.25);
    EXPECT_EQ(-0.25, line->getDouble());

    struct Bad {
        const char* text;
        void (*get)(GEditLine*);
    } bad[] = {
        {"12abc", [](GEditLine* l) { l->getI32(); }},
        {"", [](GEditLine* l) { l->getI32(); }},
        {"-1", [](GEditLine* l) { l->getU32(); }},
        {"99999999999999999999", [](GEditLine* l) { l->getI64(); }},
        {"", [](GEditLine* l) { l->getDouble(); }},
        {"1:2:3", [](GEditLine* l) { l->getTime(); }},
    };
    for (const Bad& b : bad) {
        line->setText(b.text);
        try {
            b.get(line);
            ADD_FAILURE() << "read \"" << b.text << "\"";
        } catch (const GVerifyException& e) {
            EXPECT_STREQ(b.text, e.text.c_str());
            EXPECT_EQ(static_cast<GItemBase*>(line), e.field);
        }
    }
}

TEST(EditLine, TypingNotifiesOnceAndQuietTextNobody) {
    Fixture f;
    GEditLine* line = GEditLine::create(f.builder, 8);
    line->setTextQuiet("quiet");
    EXPECT_TRUE(f.dialog->notes.empty());
    EXPECT_STREQ("quiet", line->text());

    SendMessageA(line->hwnd, WM_CHAR, 'x', 1);
    ASSERT_EQ(1u, f.dialog->notes.size());
    EXPECT_EQ(static_cast<GItemBase*>(line), f.dialog->notes[0].source);
    EXPECT_EQ(0u, f.dialog->notes[0].code);

    // Under the redraw lock the change waits for the release.
    line->beginRedrawLock();
    SendMessageA(line->hwnd, WM_CHAR, 'y', 1);
    EXPECT_EQ(1u, f.dialog->notes.size());
    line->endRedrawLock();
    EXPECT_EQ(2u, f.dialog->notes.size());
}

TEST(EditLine, FocusSelectsTheWholeTextOfAnEditableSingleLine) {
    Fixture f;
    GEditLine* line = GEditLine::create(f.builder, 8);
    GEditLine* multi = new GEditLine(f.dialog);
    multi->createEdit(WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0);
    f.builder.add(multi);
    for (GEditLine* l : {line, multi}) {
        l->setTextQuiet("12345");
        SendMessageA(l->hwnd, EM_SETSEL, 2, 2);
        SendMessageA(l->hwnd, WM_SETFOCUS, 0, 0);
    }
    DWORD start = 9, end = 9;
    SendMessageA(line->hwnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(0u, start);
    EXPECT_EQ(5u, end);
    SendMessageA(multi->hwnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(2u, start);
    EXPECT_EQ(0, line->getSelection());
}

TEST(EditLine, MeasuresInItsOwnFont) {
    Fixture f;
    GEditLine* byChars = GEditLine::create(f.builder, 10);
    GEditLine* empty = GEditLine::createSecond(f.builder);
    GEditLine* bySample = GEditLine::createAlt(f.builder, "XXXXXXXXXX");
    SIZE chars = byChars->charMetrics();
    SIZE tenX = empty->textExtent("XXXXXXXXXX");
    i32 w = -1, h = 0;
    byChars->getPreferredSize(&w, &h);
    EXPECT_EQ(10 * chars.cx + 2 * GetSystemMetrics(SM_CXEDGE) + 7, w);
    EXPECT_EQ(chars.cy + 2 * GetSystemMetrics(SM_CYEDGE) + 2, h);
    i32 we = -1, he = 0, ws = -1, hs = 0;
    empty->getPreferredSize(&we, &he);
    bySample->getPreferredSize(&ws, &hs);
    EXPECT_EQ(tenX.cx + 2 * GetSystemMetrics(SM_CXEDGE) + 7, we);
    EXPECT_EQ(we, ws);
    EXPECT_EQ(he, hs);
    // A text of its own replaces the ten X.
    empty->setTextQuiet("i");
    i32 wi = -1, hi = 0;
    empty->getPreferredSize(&wi, &hi);
    EXPECT_LT(wi, we);
}

TEST(ProgressBar, MapsTheRangeOntoTheNativeThousand) {
    Fixture f;
    GProgressBar* bar = GProgressBar::create(f.builder, 200);
    char name[80];
    GetClassNameA(bar->hwnd, name, sizeof name);
    EXPECT_STREQ("korvalen_GProgressBar_msctls_progress32", name);
    EXPECT_EQ(1000, SendMessageA(bar->hwnd, PBM_GETRANGE, FALSE, 0));
    struct Case {
        i32 minimum, maximum, value, stored, native;
    } cases[] = {{0, 200, 50, 50, 250},    {0, 200, 500, 200, 1000}, {0, 200, -5, 0, 0},
                 {-100, 100, 0, 0, 500},   {10, 10, 10, 10, 0},      {10, 10, 99, 10, 0},
                 {INT_MIN, INT_MAX, INT_MAX, INT_MAX, 1000},       {0, 3, 1, 1, 333}};
    for (const Case& c : cases) {
        bar->minimum = c.minimum;
        bar->maximum = c.maximum;
        SendMessageA(bar->hwnd, PBM_SETPOS, 77, 0);
        bar->setPosition(c.value);
        EXPECT_EQ(c.stored, bar->position);
        EXPECT_EQ(c.native, SendMessageA(bar->hwnd, PBM_GETPOS, 0, 0)) << c.minimum << ".." << c.maximum << " " << c.value;
    }
    i32 w = -1, h = 0;
    bar->getPreferredSize(&w, &h);
    EXPECT_EQ(100, w);
    EXPECT_EQ(16, h);
}

}  // namespace
