// The structure view through real windows: opening arrays and structures in place and back to the
// caret, scalars that do not open (Enter goes on to the table), a block shorter than its fields,
// the cell texts and spans, and the caret field.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gui/kernel/dialog.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/struct_view.h"
#include "tests/gui/gui_fixture.h"

namespace {
class FreeItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void setRect(const RECT& r) override { rect = r; }
};

const FieldDescriptor element{"item", 0, 2, FieldType::Word, nullptr};
const FieldDescriptor inner[] = {{"lo", 0, 2, FieldType::Word, nullptr}, {"hi", 2, 2, FieldType::Int16, nullptr}, {}};
// 0 tag(4) 4 count(2) 6 list[5] of words (10) 16 pair{lo, hi} (4) 20 name (8)
const FieldDescriptor record[] = {
    {"tag", 0, 4, FieldType::Ascii, nullptr},  {"count", 4, 2, FieldType::Word, nullptr},
    {"list", 6, 10, FieldType::Array, &element}, {"pair", 16, 4, FieldType::Structure, inner},
    {"name", 20, 8, FieldType::Ascii, nullptr}, {},
};

struct Fixture {
    TestApplication app;
    u32 flags = guiSettings.viewFlags;
    GDialog owner{nullptr, "index.htm"};
    FreeItem* root;
    GStructView* view;
    u8 bytes[64] = {'R', 'I', 'F', 'F', 5, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 0x34, 0x12, 0xFF, 0xFF, 'w', 'a', 'v', 'e'};

    Fixture() {
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 720, 320, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        root = new FreeItem(&owner);
        owner.setContent(root);
        view = createStructView(root, &owner);
        view->setRect(RECT{0, 0, 700, 300});
        guiSettings.viewFlags = 0;
        // The record at 100 of the source.
        static u8 source[200];
        memcpy(source + 100, bytes, sizeof bytes);
        view->setBlockAndReload(record, new MemoryDataSource(source, sizeof source), true, 100, 28);
    }
    ~Fixture() {
        guiSettings.viewFlags = flags;
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
    }
    std::string row(u64 r) {
        std::string s;
        GString scratch;
        for (i32 c = 0; c < 6; ++c) {
            const char* text = view->model()->cellText(scratch, r, c);
            s += (c ? "|" : "") + std::string(text ? text : "-");
        }
        return s;
    }
    std::pair<i32, i32> span(u64 r, i32 column) {
        u64 rows, offset;
        i32 columns, columnOffset;
        view->model()->cellSpan(r, column, &rows, &columns, &offset, &columnOffset);
        return {column - columnOffset, columns};
    }
    void key(u32 vk) {
        SetForegroundWindow(owner.hwnd);
        SetActiveWindow(owner.hwnd);
        pumpUntil([&] { return GetActiveWindow() == owner.hwnd; });
        giveFocus(view);
        PostMessageA(view->hwnd, WM_KEYDOWN, vk, 0);
        PostMessageA(view->hwnd, WM_KEYUP, vk, 0);
        MSG m;
        pumpUntil([&] { return !PeekMessageA(&m, view->hwnd, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE); });
    }
    void doubleClick(u64 r) {
        RECT cell = view->cellRect(r, 2);
        LPARAM at = MAKELPARAM(cell.left + 5, (cell.top + cell.bottom) / 2);
        SendMessageA(view->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(view->hwnd, WM_LBUTTONUP, 0, at);
        SendMessageA(view->hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(view->hwnd, WM_LBUTTONUP, 0, at);
    }
};
}  // namespace

TEST(StructView, RowsTextsAndSpans) {
    Fixture f;
    EXPECT_EQ(f.view->rowCount(), 5u);
    EXPECT_EQ(f.row(0), "100|4|tag|ASCII|RIFF|46464952H");
    EXPECT_EQ(f.row(1), "104|2|count|Word|5|0005H");
    guiSettings.viewFlags = 7;
    f.view->setOrigin(100);
    EXPECT_EQ(f.row(1), "00000004H|2H|count|Word|5|0005H");
    EXPECT_EQ(f.row(2).substr(0, 24), "00000006H|AH|list|Word[5");
    // Texts and composites spread their value over the raw column; numbers keep both.
    EXPECT_EQ(f.span(0, 4), std::make_pair(4, 2));
    EXPECT_EQ(f.span(0, 5), std::make_pair(4, 2));
    EXPECT_EQ(f.span(1, 4), std::make_pair(4, 1));
    EXPECT_EQ(f.span(3, 5), std::make_pair(4, 2));
    EXPECT_EQ(f.span(1, 2), std::make_pair(2, 1));
    // The caret field is absolute.
    f.view->setCaretRow(3);
    u64 offset = 0, size = 0;
    ASSERT_TRUE(f.view->caretField(&offset, &size));
    EXPECT_EQ(offset, 116u);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(f.view->baseOffsetValue(), 116);
    // A block shorter than its fields lists those that fit.
    static u8 few[10];
    f.view->setBlockAndReload(record, new MemoryDataSource(few, sizeof few), true, 0);
    EXPECT_EQ(f.view->rowCount(), 2u);
    f.view->clearBlock();
    EXPECT_EQ(f.view->rowCount(), 0u);
}

TEST(StructView, OpensInPlaceAndReturnsToTheCaret) {
    Fixture f;
    // An array of 5 opens into the parent row and its elements.
    f.view->setCaretRow(2);
    f.key(VK_RETURN);
    EXPECT_EQ(f.view->depth(), 1u);
    EXPECT_EQ(f.view->rowCount(), 6u);
    EXPECT_EQ(f.view->selection()->caret(), 0);
    EXPECT_EQ(f.row(0), std::string(guiText(GuiText::StructViewParentRow)) + "|-|-|-|-|-");
    EXPECT_EQ(f.span(0, 3), std::make_pair(0, 6));
    EXPECT_EQ(f.row(1), "106|2|item[0]|Word|1|0001H");
    EXPECT_EQ(f.row(5), "114|2|item[4]|Word|5|0005H");
    u64 offset, size;
    EXPECT_FALSE(f.view->caretField(&offset, &size));  // the parent row
    // The parent row leads back to the row the array was opened from.
    f.doubleClick(0);
    EXPECT_EQ(f.view->depth(), 0u);
    EXPECT_EQ(f.view->rowCount(), 5u);
    EXPECT_EQ(f.view->selection()->caret(), 2);
    // A structure inside, opened by double click, and an element of it at depth 1.
    f.doubleClick(3);
    EXPECT_EQ(f.view->depth(), 1u);
    EXPECT_EQ(f.row(2), "118|2|hi|Int 16|-1|FFFFH");
    f.view->setCaretRow(2);
    ASSERT_TRUE(f.view->caretField(&offset, &size));
    EXPECT_EQ(offset, 118u);
    // A scalar does not open: Enter goes on to the table and nothing changes.
    EXPECT_EQ(f.view->openRow(2), -1);
    f.key(VK_RETURN);
    EXPECT_EQ(f.view->depth(), 1u);
    EXPECT_EQ(f.view->selection()->caret(), 2);
    EXPECT_EQ(f.view->openRow(0), 3);
    // A new block empties the path.
    f.view->openRow(2);
    f.view->setBlockAndReload(record, nullptr, false, 0, 28);
    EXPECT_EQ(f.view->depth(), 0u);
}

TEST(StructView, Commands) {
    Fixture f;
    for (u32 command = TableViewOffsetAsHex; command <= TableViewAsLast; ++command) {
        SCOPED_TRACE(command);
        EXPECT_EQ(f.view->commandState(command), command <= TableZeroBaseOffset ? CommandEnabled : CommandDisabled);
    }
    f.view->setCaretRow(1);
    f.view->onCommand(TableSetBaseOffset, nullptr);
    EXPECT_EQ(f.view->origin(), 104);
    EXPECT_EQ(f.row(1).substr(0, 2), "0|");
    f.view->onCommand(TableZeroBaseOffset, nullptr);
    EXPECT_EQ(f.view->origin(), 0);
}
