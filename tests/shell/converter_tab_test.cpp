// The converter tab of the main window as a user reaches it: the menu command opens it, the
// source is typed and loaded, a format row clicked, the target named and Convert pressed.
#include <gtest/gtest.h>

#include "gui/controls/button.h"
#include "gui/controls/edit_line.h"
#include "gui/dialogs/path_field.h"
#include "gui/frame/tab_placer.h"
#include "gui/kernel/message_box.h"
#include "gui/views/tree_table.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/input_fixture.h"
#include "tests/mm/sox_tool.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/support/test_support.h"
#include "tools/converter_tree.h"
#include "tools/converter_window.h"

namespace {
std::vector<std::string>& boxes() {
    static std::vector<std::string> shown;
    return shown;
}
i32 recordBox(const MessageBoxDescription* d, GWindow*, const char* text) {
    boxes().push_back(text);
    return (i32)d->defaultButton;
}
}  // namespace

TEST_F(MainWindowTest, TheConverterTabConvertsAFile) {
    TempDir dir;
    const std::string source = dir.file("tune.wav");
    ASSERT_EQ(runSox("-n -r 8000 -c 1 -b 16 '" + unixPath(source) + "' synth 0.5 sine 440"), 0);
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    command(w, 340);  // CONVERTER_TAB
    ASSERT_EQ(KindConverter, kindOfCurrent(w));
    auto* page = static_cast<ConverterWindow*>(w->currentPage());
    pumpUntil([] { return false; }, 50);
    InputSeam seam;
    seam.active = w->hwnd;
    auto click = [&](HWND target, i32 x, i32 y) {
        seam.pointAt(target, x, y);
        SendMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(target, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        pumpUntil([] { return false; }, 30);
    };
    setMessageBoxSink(recordBox);
    boxes().clear();
    SetWindowTextA(page->sourceField->editLine()->hwnd, source.c_str());
    click(page->loadButton->hwnd, 5, 5);
    ASSERT_FALSE(page->formatTree->roots.empty());
    EXPECT_TRUE(IsWindowEnabled(page->convertButton->hwnd));
    // The own format's row (the first group's child).
    RECT row = page->formatTree->cellRect(1, 0);
    click(page->formatTree->hwnd, row.left + 40, (row.top + row.bottom) / 2);
    auto* chosen = static_cast<ConverterFormatNode*>(page->formatTree->caretNode());
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->tag, OwnFormatTag);
    click(page->targetButton->hwnd, 5, 5);
    EXPECT_STREQ(page->targetField->editLine()->text(), dir.file("tune.ravo").c_str());
    click(page->convertButton->hwnd, 5, 5);
    EXPECT_TRUE(pumpUntil([&] { return !page->busy() && !boxes().empty(); }, 20000));
    setMessageBoxSink(nullptr);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0], "The conversion has finished");
    EXPECT_GT(readWholeFile(dir.file("tune.ravo")).size(), 8000u);

    // On screen: the tree's rows.
    UpdateWindow(w->hwnd);
    pumpUntil([] { return false; }, 50);
    RECT tree;
    GetClientRect(page->formatTree->hwnd, &tree);
    DibCanvas canvas(tree.right, tree.bottom, RGB(1, 2, 3));
    HDC dc = GetDC(page->formatTree->hwnd);
    BitBlt(canvas.dc(), 0, 0, tree.right, tree.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(page->formatTree->hwnd, dc);
    saveShot(canvas, "converter_tab_tree.bmp");
    EXPECT_GT(canvas.countOther(canvas.pixel(tree.right - 2, tree.bottom - 2)), 300);
}

TEST_F(MainWindowTest, TheConverterOpenerTakesASourceAndATarget) {
    TempDir dir;
    const std::string source = dir.file("a.wav");
    ASSERT_EQ(runSox("-n -r 8000 -c 1 -b 16 '" + unixPath(source) + "' synth 0.1 sine 440"), 0);
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    const std::string target = dir.file("a.RAVO");
    GAudioConverterPlacer* page = openConverterFor(w, source.c_str(), target.c_str());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(KindConverter, kindOfCurrent(w));
    EXPECT_STREQ(page->sourceField->editLine()->text(), source.c_str());
    auto* chosen = static_cast<ConverterFormatNode*>(page->formatTree->caretNode());
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->tag, OwnFormatTag);
    // A second call takes the same page.
    EXPECT_EQ(openConverterFor(w, source.c_str(), nullptr), page);
    EXPECT_EQ(w->tabPlacer()->pageCount(), 2);
}
