// The column list on a temporary folder: listing, column layout, keys, type-ahead, painting and
// scrolling.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/wide_text.h"
#include "gui/input/system_input.h"
#include "gui/views/columns.h"
#include "tests/gui/control_fixture.h"

using namespace controls;

namespace {
// A fresh folder with empty files of the given names; removed with the object.
struct TempFolder {
    std::string path;
    std::vector<std::string> files;
    explicit TempFolder(const std::vector<std::string>& names) {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path = std::string(base) + "columns_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path.c_str(), nullptr);
        for (const std::string& name : names) {
            files.push_back(path + "\\" + name);
            CloseHandle(CreateFileA(files.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
    ~TempFolder() {
        for (const std::string& f : files) DeleteFileA(f.c_str());
        RemoveDirectoryA(path.c_str());
    }
    std::string pattern(const char* p = "*") const { return path + "\\" + p; }
};

std::vector<std::string> numbered(int n) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back("f" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".wav");
    return names;
}

// A list of `rows` rows per column at the given width, in the fixture's dialog; withBar leaves
// room for the horizontal scroll bar of a list wider than the window.
GColumns* makeList(Fixture& f, i32 rows, i32 width, bool withBar = false) {
    GColumns* list = GColumns::create(f.dialog);
    i32 bar = withBar ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    list->setRect(RECT{0, 0, width, list->topMargin + list->bottomMargin + rows * list->itemHeight + bar});
    return list;
}

void press(GColumns* list, u32 kind, u32 key) {
    GInputEvent e = keyEvent(kind, key);
    list->handleKey(&e);
}
}  // namespace

TEST(CompareTexts, CaseIgnoredInTheCodePage) {
    EXPECT_EQ(0, compareTexts("abc", "ABC"));
    EXPECT_LT(compareTexts("abc", "Tabla"), 0);
    EXPECT_GT(compareTexts("b", "A"), 0);
    EXPECT_EQ(-1, compareTexts(nullptr, "a"));
}

TEST(Columns, TwentyFiveNamesAtTenRowsMakeThreeColumns) {
    Fixture f(600, 400);
    TempFolder folder(numbered(25));
    GColumns* list = makeList(f, 10, 580);
    list->setPattern(folder.pattern().c_str());
    ASSERT_EQ(25, list->count());
    EXPECT_EQ(10, list->rowsPerColumn);
    EXPECT_STREQ("f00.wav", list->names[0].c_str());
    EXPECT_STREQ("f24.wav", list->names[24].c_str());
    ASSERT_EQ(3u, list->edges.size());
    EXPECT_EQ(-1, list->columnEdge(3));
    // The last column holds 5: rows 0..4 hit, row 5 is past the last item.
    i32 x = list->edges[1] + 3;
    EXPECT_EQ(24, list->hitTest(x, list->topMargin + 4 * list->itemHeight + 1));
    EXPECT_EQ(-1, list->hitTest(x, list->topMargin + 5 * list->itemHeight + 1));
    EXPECT_EQ(10, list->hitTest(list->edges[0] + 1, list->topMargin + 1));
    EXPECT_EQ(0, list->caret);

    // A window shorter than one row still shows one row per column.
    list->setRect(RECT{0, 0, 580, 3});
    EXPECT_EQ(1, list->rowsPerColumn);

    // An empty pattern empties the list and paints only the background.
    list->setRect(RECT{0, 0, 200, 100});
    list->setPattern("");
    EXPECT_EQ(0, list->count());
    EXPECT_EQ(-1, list->caret);
    RedrawWindow(list->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(200 * 100, countColour(list->hwnd, RECT{0, 0, 200, 100}, pixelAt(list->hwnd, 0, 0)));
}

TEST(Columns, MovesPastTheMeasuredColumnsMeasureFirst) {
    // Only one column fits: moving right and hit tests reach columns not yet measured.
    Fixture f(600, 400);
    TempFolder folder(numbered(25));
    GColumns* list = makeList(f, 10, 40, true);
    list->setPattern(folder.pattern().c_str());
    size_t measured = list->edges.size();
    EXPECT_LE(measured, 2u);
    press(list, KeyDown, VK_RIGHT);
    press(list, KeyDown, VK_RIGHT);
    EXPECT_EQ(20, list->caret);
    EXPECT_EQ(20, list->firstVisible);  // the caret's column scrolled into view
    press(list, KeyDown, VK_RIGHT);
    EXPECT_EQ(24, list->caret);          // at most the last
    press(list, KeyDown, VK_HOME);
    EXPECT_EQ(0, list->firstVisible);
    EXPECT_EQ(-1, list->hitTest(5000, list->topMargin + 1));
    EXPECT_EQ(0, list->hitTest(1, list->topMargin + 1));
    press(list, KeyDown, VK_END);
    EXPECT_EQ(24, list->caret);
    EXPECT_EQ(20, list->firstVisible);
    press(list, KeyDown, VK_LEFT);
    EXPECT_EQ(14, list->caret);
    EXPECT_EQ(10, list->firstVisible);
    press(list, KeyDown, VK_PRIOR);
    EXPECT_EQ(0, list->firstVisible);
    press(list, KeyDown, VK_NEXT);
    EXPECT_EQ(10, list->firstVisible);
    // A click selects the hit item.
    SendMessageA(list->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, list->topMargin + 2 * list->itemHeight + 1));
    EXPECT_EQ(12, list->caret);
}

TEST(Columns, TypedTextMarksEveryMatchAndMovesTheCaret) {
    Fixture f(600, 400);
    toolkitColors.glass = RGB(0, 200, 100);  // the marks; the fixture restores the colours
    toolkitColors.window = RGB(255, 255, 255);
    TempFolder folder({"zeta.txt", "Tabla.txt", "ABC.wav", "nothing.doc", "mid.wav"});
    GColumns* list = makeList(f, 10, 300);
    list->setPattern(folder.pattern().c_str());
    ASSERT_EQ(5, list->count());
    press(list, KeyCharacter, 'a');
    press(list, KeyCharacter, 'b');
    EXPECT_STREQ("ab", list->typed.c_str());
    EXPECT_STREQ("ABC.wav", list->names[list->caret].c_str());  // first of the two in order
    // Painted off the screen, so that no other window can cover what is read.
    HDC screen = GetDC(list->hwnd);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 200);
    HGDIOBJ old = SelectObject(memory, bitmap);
    list->paint(memory, RECT{0, 0, 300, 200}, true);
    auto marked = [&](i32 row) {
        i32 top = list->topMargin + row * list->itemHeight, n = 0;
        for (i32 y = top; y < top + list->itemHeight; ++y)
            for (i32 x = 0; x < list->edges[0]; ++x) n += GetPixel(memory, x, y) == toolkitColors.glass;
        return n;
    };
    for (i32 row = 0; row < 5; ++row) {
        std::string name = list->names[row].c_str();
        bool matches = name == "Tabla.txt" || name == "ABC.wav";
        EXPECT_EQ(matches, marked(row) > 0) << name;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(list->hwnd, screen);
    // No match clears the typed text and the marks.
    press(list, KeyCharacter, 'q');
    EXPECT_EQ(0u, list->typed.length);
    EXPECT_STREQ("ABC.wav", list->names[list->caret].c_str());
}

namespace {
POINT g_cursor;
BOOL fakeCursor(POINT* p) {
    *p = g_cursor;
    return TRUE;
}
}  // namespace

TEST(Columns, AListLongerThanItsWindowScrollsByWheelAndBar) {
    Fixture f(600, 400);
    TempFolder folder(numbered(60));
    GColumns* list = makeList(f, 10, 150, true);
    list->setPattern(folder.pattern().c_str());
    ASSERT_EQ(10, list->rowsPerColumn);
    EXPECT_TRUE(GetWindowLongA(list->hwnd, GWL_STYLE) & WS_HSCROLL);
    EXPECT_EQ(60, list->horizontal.total);
    EXPECT_EQ(10, list->horizontal.step);
    i32 shown = (i32)list->horizontal.page / 10;
    ASSERT_GE(shown, 1);
    ASSERT_LT(shown, 6);

    // A wheel turned towards the user over the list moves it one column on; away, back.
    POINT p{20, 20};
    ClientToScreen(list->hwnd, &p);
    g_cursor = p;
    systemInput.cursorPos = fakeCursor;
    ASSERT_EQ(list->hwnd, WindowFromPoint(p));
    SendMessageA(list->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-WHEEL_DELTA), MAKELPARAM(p.x, p.y));
    EXPECT_EQ(10, list->firstVisible);
    EXPECT_EQ(10, list->horizontal.origin);
    EXPECT_EQ(10, list->hitTest(3, list->topMargin + 1));
    SendMessageA(list->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(2 * WHEEL_DELTA)), MAKELPARAM(p.x, p.y));
    EXPECT_EQ(0, list->firstVisible);
    systemInput.cursorPos = systemInputDefaults.cursorPos;

    // The bar: a line on, then the end.
    SendMessageA(list->hwnd, WM_HSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(10, list->firstVisible);
    SendMessageA(list->hwnd, WM_HSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(60 - shown * 10, list->firstVisible);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(list->hwnd, SB_HORZ, &info));
    EXPECT_GT(info.nPos, 0);

    // Names that all fit need no bar.
    list->setPattern(folder.pattern("f0*").c_str());
    EXPECT_FALSE(GetWindowLongA(list->hwnd, GWL_STYLE) & WS_HSCROLL);
    EXPECT_EQ(0, list->firstVisible);
}
