// GTable input through real messages and its commands: check and button cells, row activation,
// row moves with Alt+Up and Alt+Down, the typed-text search, command states and execution.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "gui/input/hot_tracker.h"
#include "gui/input/input_event.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/action_table.h"
#include "gui/menus/menu.h"
#include "gui/menus/popup_menu.h"
#include "gui/paint/alpha_blend.h"
#include "gui/paint/colors.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/cell_format.h"
#include "gui/views/table.h"
#include "gui/views/table_menu.h"
#include "gui/views/table_type_ahead.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
// Rows of a name, a check and a button.
class ChoiceModel : public GTableModel {
public:
    explicit ChoiceModel(std::vector<std::string> names) : names(std::move(names)), checks(this->names.size()) {}
    u64 rowCount() override { return names.size(); }
    i32 columnCount() override { return 3; }
    const char* cellText(GString&, u64 row, i32 column) override {
        return column == 0 ? names[row].c_str() : column == 1 ? "on" : "Go";
    }
    GCellFormat* cellFormat(u64, i32 column) override {
        return column == 1 ? checkCellFormat() : column == 2 ? buttonCellFormat() : defaultCellFormat();
    }
    bool cellChecked(u64 row, i32 column) override { return column == 1 && checks[row]; }
    void setCellChecked(u64 row, i32 column, bool on) override {
        if (column == 1) checks[row] = on;
    }
    void sortByColumn(i32 column, bool ascending) override {
        sorts += std::to_string(column) + (ascending ? " up " : " down ");
        std::sort(names.begin(), names.end());
        if (!ascending) std::reverse(names.begin(), names.end());
    }
    void swapRows(u64 a, u64 b) override {
        std::swap(names[a], names[b]);
        std::swap(checks[a], checks[b]);
    }
    void clearRows() override {}
    void removeRows(u64, u64) override {}
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }

    std::string order() const {
        std::string s;
        for (const std::string& n : names) s += n + " ";
        return s;
    }
    std::string checked() const {
        std::string s;
        for (bool c : checks) s += c ? '1' : '0';
        return s;
    }

    std::vector<std::string> names;
    std::vector<char> checks;
    std::string sorts;
};

class Owner : public GDialog {
public:
    Owner() : GDialog(nullptr, "index.htm") {}
    bool onControlNotify(void* n) override {
        auto* notification = static_cast<GControlNotification*>(n);
        heard.push_back({notification->code, notification->value});
        return true;
    }
    // The rows sent with a code.
    std::vector<intptr_t> rowsOf(u32 code) const {
        std::vector<intptr_t> rows;
        for (auto& h : heard)
            if (h.first == code) rows.push_back(h.second);
        return rows;
    }
    std::vector<std::pair<u32, intptr_t>> heard;
};

class FreeItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void setRect(const RECT& r) override { rect = r; }
    // Takes the events offered to a cell's own input.
    bool handleMouse(GInputEvent* e) override {
        if (!e->mouse || e->action != 0) return false;
        offered.push_back(std::to_string(e->kind) + " at " + std::to_string(e->x) + "," + std::to_string(e->y));
        return true;
    }
    std::vector<std::string> offered;
};

struct Fixture {
    TestApplication app;
    Owner owner;
    ChoiceModel* model;
    GTable* table;
    FreeItem* root;

    explicit Fixture(u32 extraFlags = 0, std::vector<std::string> names = {"alpha", "bravo", "charlie", "delta"}) {
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 400, 300, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        root = new FreeItem(&owner);
        owner.setContent(root);
        model = new ChoiceModel(std::move(names));
        GTableDesc desc;
        desc.flags |= extraFlags;
        desc.columnCount = 3;
        desc.columnSpec = "Name:W=80,On:W=60,Act:W=50";
        desc.model = model;
        table = createTable(root, &owner, desc);
        table->setRect(RECT{10, 10, 310, 210});
    }
    ~Fixture() {
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
    }
    // Client point of a cell's top-left corner moved by (dx, dy).
    POINT at(u64 row, i32 column, i32 dx, i32 dy) {
        RECT r = table->cellRect(row, column);
        return POINT{r.left + dx, r.top + dy};
    }
    void click(POINT p) {
        SendMessageA(table->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageA(table->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    i32 key(u32 vk, u32 modifiers = 0) {
        GInputEvent e;
        e.kind = KeyDown;
        e.key = vk;
        e.modifiers = modifiers;
        return table->handleKey(&e);
    }
};

// Inside the check square of a row: (3 + 2, rows are shorter than 22 so the square starts at 3).
const i32 kInSquare = 5;
}  // namespace

TEST(TableInput, CheckCellsToggleTheRowOrEverySelectedRow) {
    Fixture f(TableMultiSelect);
    // An unselected row: only its own cell.
    f.table->setRowSelected(0, true);
    f.table->setRowSelected(2, true);
    f.owner.heard.clear();
    f.click(f.at(1, 1, kInSquare, kInSquare));
    EXPECT_EQ("0100", f.model->checked());
    // The press selected row 1 alone.
    EXPECT_EQ(1, f.table->selection()->selectedCount());
    f.table->clearSelection();
    f.table->setRowSelected(0, true);
    f.table->setRowSelected(2, true);
    // A selected row: every selected row takes the negation of the clicked cell.
    f.click(f.at(2, 1, kInSquare, kInSquare));
    EXPECT_EQ("1110", f.model->checked());
    f.click(f.at(0, 1, kInSquare, kInSquare));
    EXPECT_EQ("0100", f.model->checked());
    EXPECT_EQ((std::vector<intptr_t>{1, 2, 0}), f.owner.rowsOf(TableCheckToggled));

    // Beside the square, or a release away from the press: no toggle.
    RECT square = checkSquareRect(f.table->cellRect(3, 1));
    f.click(POINT{square.right, square.top + 2});
    POINT press = f.at(3, 1, kInSquare, kInSquare);
    SendMessageA(f.table->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    SendMessageA(f.table->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(press.x + 40, press.y));
    EXPECT_EQ("0100", f.model->checked());
    EXPECT_EQ(3u, f.owner.rowsOf(TableCheckToggled).size());
    EXPECT_EQ(nullptr, GetCapture());
}

TEST(TableInput, ButtonCellsAndActivationNotifyWithTheRow) {
    Fixture f;
    f.owner.heard.clear();
    f.click(f.at(2, 2, 10, 5));
    EXPECT_EQ((std::vector<intptr_t>{2}), f.owner.rowsOf(TableCellButton));
    EXPECT_EQ(2, f.table->selection()->caret());  // a button press also selects

    POINT name = f.at(1, 0, 10, 5);
    f.owner.heard.clear();
    // A new page size is not an activation.
    f.table->setRect(RECT{10, 10, 310, 150});
    EXPECT_TRUE(f.owner.rowsOf(TableRowActivated).empty());
    SendMessageA(f.table->hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(name.x, name.y));
    EXPECT_EQ((std::vector<intptr_t>{1}), f.owner.rowsOf(TableRowActivated));
    EXPECT_EQ(2, f.key(VK_RETURN));
    EXPECT_EQ((std::vector<intptr_t>{1, 1}), f.owner.rowsOf(TableRowActivated));
    EXPECT_TRUE(f.owner.rowsOf(TableCellButton).empty());
}

TEST(TableInput, AltArrowsMoveTheSelectedRows) {
    struct Step {
        u32 key;
        u32 flags;
        const char* order;
        i64 caret;
    };
    // The caret starts on bravo.
    const Step steps[] = {
        {VK_UP, TableMoveRows, "bravo alpha charlie delta ", 0},
        {VK_UP, TableMoveRows, "bravo alpha charlie delta ", 0},  // at the top: nothing
        {VK_DOWN, TableMoveRows, "alpha bravo charlie delta ", 1},
        {VK_DOWN, TableMoveRows, "alpha charlie bravo delta ", 2},
        {VK_DOWN, TableMoveRows, "alpha charlie delta bravo ", 3},
        {VK_DOWN, TableMoveRows, "alpha charlie delta bravo ", 3},  // at the bottom: nothing
    };
    Fixture f(TableMoveRows);
    f.table->setCaretRow(1);
    for (const Step& s : steps) {
        f.key(s.key, ModAlt);
        EXPECT_EQ(s.order, f.model->order());
        EXPECT_EQ(s.caret, f.table->selection()->caret());
    }
    // Without the style bit Alt+Up moves no row.
    Fixture plain;
    plain.table->setCaretRow(1);
    plain.key(VK_UP, ModAlt);
    EXPECT_EQ("alpha bravo charlie delta ", plain.model->order());
}

// Each character reaches the collector as WM_CHAR; the search clears the text after each one.
TEST(TableInput, TypedTextFindsTheFirstRowContainingIt) {
    Fixture f(TableTypeAhead, {"Oslo", "Bergen", "Trondheim", "Bodo", "Stavanger"});
    f.table->setCaretRow(0);
    ASSERT_NE(nullptr, f.table->typeAhead());
    struct Case {
        char typed;
        i64 caret;
    };
    // Lower-cased row texts; no match leaves the caret; the typed text is not lower-cased.
    const Case cases[] = {{'g', 1}, {'h', 2}, {'o', 0}, {'v', 4}, {'x', 4}, {'B', 4}, {'d', 2}};
    for (const Case& c : cases) {
        SendMessageA(f.table->hwnd, WM_CHAR, (WPARAM)c.typed, 0);
        EXPECT_EQ(c.caret, f.table->selection()->caret()) << c.typed;
        EXPECT_STREQ("", f.table->typeAhead()->text.c_str());
    }
}

namespace {
// A byte-level view: the view commands are enabled.
class ByteView : public GTable {
public:
    using GTable::GTable;
    bool hasByteViewCommands(u32) override { return true; }
    i64 baseOffsetValue() override { return 0x40; }
    void setBaseOffset(i64 offset) override { base = offset; }
    i64 base = -1;
};

std::string clipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<closed>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = (const char*)GlobalLock(data)) text = p;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}
}  // namespace

TEST(TableCommands, StatesAndChecksOfAPlainTableAndAByteView) {
    GGuiSettings saved = guiSettings;
    guiSettings.viewFlags = 1;
    guiSettings.viewMode = 10;
    Fixture f;
    GTable* plain = f.table;
    auto* view = new ByteView(&f.owner);
    GTableDesc desc;
    desc.columnCount = 3;
    ASSERT_TRUE(view->create(desc));
    GTableDesc bare;
    bare.flags &= ~(u32)TableHeader;
    GTable* headless = createTable(nullptr, &f.owner, bare);

    struct Case {
        u32 command;
        i32 plainState, viewState, headlessState;
        i32 checked;  // in the plain table
    };
    const i32 on = CommandEnabled, off = CommandDisabled, unknown = CommandUnknown;
    const Case cases[] = {
        {141, unknown, unknown, unknown, unknown},
        {TableCopy, on, off, off, 0},  // the empty tables have no caret row
        {TableFormatMenu, on, on, off, 0},
        {TableFitAllByContent, on, on, off, 0},
        {TableFitAllByContentAndHeader, on, on, off, 0},
        {TableFitCurrentByContent, on, on, off, 0},
        {TableFitCurrentByContentAndHeader, on, on, off, 0},
        {TableFormatAuto, on, on, off, 0},
        {149, off, on, off, 1},
        {150, off, on, off, 0},
        {151, off, on, off, 0},
        {TableSetBaseOffset, off, on, off, 0},
        {TableZeroBaseOffset, off, on, off, 0},
        {TableViewAsMenu, off, on, off, 0},
        {155, off, on, off, 0},
        {165, off, on, off, 1},  // "viewMode" 10
        {167, unknown, unknown, unknown, unknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.plainState, plain->commandState(c.command)) << c.command;
        EXPECT_EQ(c.viewState, view->commandState(c.command)) << c.command;
        EXPECT_EQ(c.headlessState, headless->commandState(c.command)) << c.command;
        EXPECT_EQ(c.checked, plain->commandChecked(c.command)) << c.command;
    }

    // Executing through the state query: view flags toggle, the mode is set, auto-fit toggles.
    auto run = [](GTable* t, u32 command) {
        GStateQuery q;
        q.command = command;
        return t->answerStateQuery(QueryExecute, &q);
    };
    EXPECT_TRUE(run(view, 150));
    EXPECT_EQ(3u, guiSettings.viewFlags);
    EXPECT_TRUE(run(view, 157));
    EXPECT_EQ(2u, guiSettings.viewMode);
    EXPECT_EQ(1, plain->commandChecked(157));
    EXPECT_TRUE(run(plain, 150));  // disabled: consumed, nothing changes
    EXPECT_EQ(3u, guiSettings.viewFlags);
    EXPECT_TRUE(run(view, TableSetBaseOffset));
    EXPECT_EQ(0x40, view->base);
    EXPECT_TRUE(run(view, TableZeroBaseOffset));
    EXPECT_EQ(0, view->base);
    u32 flags = plain->tableFlags;
    EXPECT_TRUE(run(plain, TableFormatAuto));
    EXPECT_EQ(flags ^ TableAutoFit, plain->tableFlags);
    EXPECT_EQ((plain->tableFlags & TableAutoFit) ? 1 : 0, plain->commandChecked(TableFormatAuto));
    guiSettings = saved;
}

TEST(TableCommands, CopyPutsTheCaretCellOnTheClipboard) {
    Fixture f;
    f.table->setCaretRow(2);
    ASSERT_EQ(CommandEnabled, f.table->commandState(TableCopy));
    GStateQuery q;
    q.command = TableCopy;
    EXPECT_TRUE(f.table->answerStateQuery(QueryExecute, &q));
    EXPECT_EQ("charlie", clipboardText());
    f.table->selection()->setColumn(2);
    EXPECT_TRUE(f.table->answerStateQuery(QueryExecute, &q));
    EXPECT_EQ("Go", clipboardText());
    f.table->selection()->setColumn(5);  // no such column
    EXPECT_EQ(CommandDisabled, f.table->commandState(TableCopy));
    EXPECT_EQ(CommandDisabled, f.table->commandState(TableFitCurrentByContent));
}

namespace {
// A message at a header point of a column: dx from its left edge.
void headerMessage(Fixture& f, u32 message, i32 column, i32 dx, WPARAM keys = 0) {
    f.table->cellRect(0, 0);  // lays the columns out
    i32 x = f.table->columns[column].left + dx;
    SendMessageA(f.table->hwnd, message, keys, MAKELPARAM(x, f.table->headerHeightPixels() / 2));
}
}  // namespace

TEST(TableInput, HeaderClicksSortSortableColumns) {
    Fixture f({}, {"delta", "alpha", "charlie", "bravo"});
    f.table->columns[0].sortState = ColumnSortable;
    f.table->columns[2].sortState = ColumnSortable;
    auto click = [&](i32 column, i32 releaseColumn) {
        headerMessage(f, WM_LBUTTONDOWN, column, 20, MK_LBUTTON);
        headerMessage(f, WM_LBUTTONUP, releaseColumn, 20);
    };
    click(0, 0);
    EXPECT_EQ("0 up ", f.model->sorts);
    EXPECT_EQ("alpha bravo charlie delta ", f.model->order());
    click(0, 0);
    EXPECT_EQ("0 up 0 down ", f.model->sorts);
    EXPECT_EQ(ColumnDescending, f.table->columns[0].sortState);
    click(1, 1);  // state 3: not sortable
    click(0, 2);  // released over another column
    EXPECT_EQ("0 up 0 down ", f.model->sorts);
    click(2, 2);
    EXPECT_EQ("0 up 0 down 2 up ", f.model->sorts);
    EXPECT_EQ(ColumnSortable, f.table->columns[0].sortState);
    EXPECT_EQ(ColumnAscending, f.table->columns[2].sortState);
    EXPECT_EQ(ColumnNotSortable, f.table->columns[1].sortState);
    EXPECT_EQ(0, f.table->selection()->caret());
    EXPECT_EQ(nullptr, GetCapture());
}

TEST(TableInput, HeaderBordersFitAndResizeColumns) {
    Fixture f;
    auto widths = [&] {
        std::string s;
        for (i32 i = 0; i < 3; ++i) s += std::to_string(f.table->columns[i].width) + " ";
        return s;
    };
    auto widen = [&] {
        for (i32 i = 0; i < 3; ++i) f.table->columns[i].width = 200;
    };
    widen();
    headerMessage(f, WM_LBUTTONDBLCLK, 0, 199, MK_LBUTTON);  // on the border: fit column 0
    EXPECT_LT(f.table->columns[0].width, 200);
    EXPECT_EQ(200, f.table->columns[1].width);
    widen();
    headerMessage(f, WM_LBUTTONDBLCLK, 0, 199, MK_LBUTTON | MK_CONTROL);  // Ctrl: every column
    for (i32 i = 0; i < 3; ++i) EXPECT_LT(f.table->columns[i].width, 200) << widths();

    // A press on the border drags it; the width keeps to the column's limits.
    f.table->columns[0].width = 80;
    f.table->columns[0].maxWidth = 150;
    headerMessage(f, WM_LBUTTONDOWN, 0, 79, MK_LBUTTON);
    EXPECT_EQ(f.table->hwnd, GetCapture());
    headerMessage(f, WM_MOUSEMOVE, 0, 120, MK_LBUTTON);
    EXPECT_EQ(120, f.table->columns[0].width);
    headerMessage(f, WM_MOUSEMOVE, 0, 400, MK_LBUTTON);
    EXPECT_EQ(150, f.table->columns[0].width);
    headerMessage(f, WM_LBUTTONUP, 0, 100);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ("", f.model->sorts);
}

namespace {
// What the last blend was asked to do.
struct BlendCall {
    i32 x = -1, width = 0;
    u8 alpha = 0;
} lastBlend;
BOOL WINAPI recordBlend(HDC target, int x, int y, int w, int h, HDC source, int sx, int sy, int sw, int sh,
                        BLENDFUNCTION f) {
    lastBlend = BlendCall{x, w, f.SourceConstantAlpha};
    return AlphaBlend(target, x, y, w, h, source, sx, sy, sw, sh, f);
}
std::string displayOrder(GTable* table) {
    std::string s;
    for (i32 p = 0; p < table->columns.count(); ++p) s += std::to_string(table->columns.atPosition(p));
    return s;
}
}  // namespace

TEST(TableInput, HeaderDragMovesColumnsAfterFourPixels) {
    Fixture f;
    f.table->columns[0].sortState = ColumnSortable;
    // Three pixels are still a click: it sorts and moves nothing.
    headerMessage(f, WM_LBUTTONDOWN, 0, 20, MK_LBUTTON);
    headerMessage(f, WM_MOUSEMOVE, 0, 23, MK_LBUTTON);
    headerMessage(f, WM_LBUTTONUP, 0, 23);
    EXPECT_EQ("0 up ", f.model->sorts);
    EXPECT_EQ("012", displayOrder(f.table));

    // Four pixels start the drag: the marker stands at the landing border, the ghost follows the
    // pointer half transparent.
    setAlphaBlendFunction(recordBlend);
    headerMessage(f, WM_LBUTTONDOWN, 0, 20, MK_LBUTTON);
    headerMessage(f, WM_MOUSEMOVE, 0, 24, MK_LBUTTON);
    headerMessage(f, WM_MOUSEMOVE, 2, 80, MK_LBUTTON);  // past the last column: the ghost clears the marker
    RECT client;
    GetClientRect(f.table->hwnd, &client);
    DibCanvas canvas(client.right, client.bottom, RGB(255, 255, 255));
    f.table->paint(canvas.dc(), client, true);
    const GTableColumn& last = f.table->columns[2];
    i32 border = last.left + last.width + 1;
    EXPECT_EQ(toolkitColors.text, canvas.pixel(border - 1, f.table->headerHeightPixels() / 2));
    EXPECT_EQ(128, lastBlend.alpha);
    EXPECT_EQ(last.left + 60, lastBlend.x);
    // Column 0 is sorted ascending: its sort mark sits at the right of its title.
    const GTableColumn& sorted = f.table->columns[0];
    EXPECT_EQ(toolkitColors.text, canvas.pixel(sorted.left + sorted.width - 7, f.table->headerHeightPixels() / 2));
    EXPECT_EQ(f.table->columns[0].width + 1, lastBlend.width);
    setAlphaBlendFunction(nullptr);
    headerMessage(f, WM_LBUTTONUP, 2, 80);
    EXPECT_EQ("120", displayOrder(f.table));
    EXPECT_EQ("0 up ", f.model->sorts);
    EXPECT_EQ(nullptr, GetCapture());

    // Dropped at its own place: nothing moves; without the movable bit there is no drag.
    headerMessage(f, WM_LBUTTONDOWN, 1, 20, MK_LBUTTON);
    headerMessage(f, WM_MOUSEMOVE, 1, 10, MK_LBUTTON);
    headerMessage(f, WM_LBUTTONUP, 1, 10);
    EXPECT_EQ("120", displayOrder(f.table));
    f.table->tableFlags &= ~TableMovableColumns;
    headerMessage(f, WM_LBUTTONDOWN, 1, 20, MK_LBUTTON);
    headerMessage(f, WM_MOUSEMOVE, 0, 70, MK_LBUTTON);
    headerMessage(f, WM_LBUTTONUP, 0, 70);
    EXPECT_EQ("120", displayOrder(f.table));
}

TEST(TableInput, ToolTipsShowCutTextsOverTheirCells) {
    Fixture f({}, {"al", "a name far too long for its eighty pixels", "bravo", "charlie"});
    f.table->columns[1].width = 400;  // column 2 reaches past the window
    f.table->cellRect(0, 0);
    struct Case {
        const char* name;
        POINT at;
        const char* tip;  // null: none
        RECT rect;
    };
    const RECT header1{f.table->columns[1].left, 0, f.table->columns[1].left + 401, f.table->headerHeightPixels()};
    const Case cases[] = {
        {"fitting text", f.at(0, 0, 5, 5), nullptr, {}},
        {"cut text", f.at(1, 0, 5, 5), "a name far too long for its eighty pixels", f.table->cellRect(1, 0)},
        {"fitting title", POINT{f.table->columns[0].left + 10, 5}, nullptr, {}},
        {"title of a column reaching past the window", POINT{header1.left + 10, 5}, "On", header1},
    };
    for (const Case& c : cases) {
        GString text;
        RECT tool{}, anchor{};
        bool shown = f.table->getToolTip(c.at.x, c.at.y, &text, &tool, &anchor);
        EXPECT_EQ(c.tip != nullptr, shown) << c.name;
        if (!c.tip || !shown) continue;
        EXPECT_STREQ(c.tip, text.c_str()) << c.name;
        EXPECT_TRUE(EqualRect(&c.rect, &tool)) << c.name;
    }
    // None without the style bit or while a title is pressed.
    GString text;
    RECT tool{}, anchor{};
    POINT cut = f.at(1, 0, 5, 5);
    headerMessage(f, WM_LBUTTONDOWN, 0, 10, MK_LBUTTON);
    EXPECT_FALSE(f.table->getToolTip(cut.x, cut.y, &text, &tool, &anchor));
    headerMessage(f, WM_LBUTTONUP, 0, 10);
    f.table->tableFlags &= ~TableToolTips;
    EXPECT_FALSE(f.table->getToolTip(cut.x, cut.y, &text, &tool, &anchor));
}

TEST(TableInput, RubberBandSelectsTheRowsItSpansAndIsDrawnInBlue) {
    Fixture f(TableMultiSelect);
    auto selected = [&] {
        std::string s;
        for (u64 r = 0; r < 4; ++r) s += f.table->selection()->isSelected((i64)r) ? '1' : '0';
        return s;
    };
    POINT press = f.at(2, 0, 30, 5), under = f.at(0, 0, 60, 8);
    SendMessageA(f.table->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    SendMessageA(f.table->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x + 2, press.y + 2));  // under 4 pixels
    EXPECT_EQ("0010", selected());
    SendMessageA(f.table->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(under.x, under.y));
    EXPECT_EQ("1110", selected());
    EXPECT_EQ(f.table->hwnd, GetCapture());
    RECT client;
    GetClientRect(f.table->hwnd, &client);
    DibCanvas canvas(client.right, client.bottom, RGB(255, 255, 255));
    f.table->paint(canvas.dc(), client, true);
    EXPECT_EQ(RGB(0, 0, 255), canvas.pixel(under.x, under.y));
    EXPECT_EQ(RGB(0, 0, 255), canvas.pixel(press.x, press.y));
    EXPECT_EQ(RGB(0, 0, 255), canvas.pixel(press.x, under.y));
    // Past the last row the band keeps to it.
    SendMessageA(f.table->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x, client.bottom - 2));
    EXPECT_EQ("0011", selected());
    SendMessageA(f.table->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(press.x, client.bottom - 2));
    EXPECT_EQ(nullptr, GetCapture());
    f.table->paint(canvas.dc(), client, true);
    EXPECT_NE(RGB(0, 0, 255), canvas.pixel(press.x, press.y));
    // A band whose capture is taken away ends.
    SendMessageA(f.table->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    SendMessageA(f.table->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(under.x, under.y));
    ReleaseCapture();
    f.table->paint(canvas.dc(), client, true);
    EXPECT_NE(RGB(0, 0, 255), canvas.pixel(under.x, under.y));

    // A single-selection table has no band.
    Fixture single;
    press = single.at(2, 0, 30, 5);
    SendMessageA(single.table->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    SendMessageA(single.table->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x, press.y - 40));
    SendMessageA(single.table->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(press.x, press.y - 40));
    EXPECT_FALSE(single.table->selection()->isSelected(0));
}

TEST(TableInput, CaretFollowsThePointerOnlyWithItsStyleBit) {
    for (u32 flags : {0u, (u32)TableCaretFollowsMouse}) {
        Fixture f(flags);
        f.table->setCaretRow(0);
        POINT p = f.at(2, 0, 10, 5);
        SendMessageA(f.table->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        EXPECT_EQ(flags ? 2 : 0, f.table->selection()->caret()) << flags;
    }
}

namespace {
// Keys for the next popup menu, sent from a timer once the menu shows; a menu still open well
// after the last key is cancelled so that a lost key fails the test instead of hanging it.
struct MenuKeys {
    static inline std::vector<UINT> keys;
    static inline HWND target = nullptr;
    static inline bool seen = false;
    static inline int idle = 0;
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND menu = FindWindowA("#32768", nullptr);
        if (!menu || !IsWindowVisible(menu)) return;
        seen = true;
        if (keys.empty()) {
            if (++idle > 50) SendMessageA(target, WM_CANCELMODE, 0, 0);
            return;
        }
        UINT key = keys.front();
        keys.erase(keys.begin());
        PostMessageA(target, WM_KEYDOWN, key, 0);
    }
    MenuKeys(HWND window, std::vector<UINT> next) {
        target = window;
        keys = std::move(next);
        seen = false;
        idle = 0;
        timer = SetTimer(nullptr, 0, 30, tick);
    }
    ~MenuKeys() { KillTimer(nullptr, timer); }
    UINT_PTR timer;
};

// Offers one item of its own and records what it was asked.
class RecordingProvider : public GTableMenuProvider {
public:
    void attach(GTable* t) override { attached = t; }
    void fillMenu(GTable&, GMenu& menu, i64 row, i32 column) override {
        filled.push_back({row, column});
        AppendMenuA(menu.menu, MF_STRING, 7, "Seven");
    }
    void runCommand(GTable&, i32 command, i64 row, i32 column) override { ran.push_back({command, row, column}); }
    GTable* attached = nullptr;
    std::vector<std::pair<i64, i32>> filled;
    std::vector<std::vector<i64>> ran;
};

// The command ids of a menu's items in order (-1 separators), with "+" after a checked item and
// the submenu's item count in brackets.
std::string menuIds(HMENU menu) {
    std::string s;
    for (i32 i = 0; i < GetMenuItemCount(menu); ++i) {
        s += std::to_string(menuItemCommandId(menu, i));
        if (GetMenuState(menu, (UINT)i, MF_BYPOSITION) & MF_CHECKED) s += "+";
        if (HMENU sub = GetSubMenu(menu, i)) s += "[" + std::to_string(GetMenuItemCount(sub)) + "]";
        s += " ";
    }
    return s;
}

void rightClick(GTable* table, POINT p) {
    SendMessageA(table->hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageA(table->hwnd, WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}
}  // namespace

TEST(TableMenu, TheActionsAreRegisteredAndTheDefaultMenuShowsWhatTheTableEnables) {
    const struct {
        const char* name;
        i32 id;
    } names[] = {{"GTable_COPY", 142}, {"GTable_FORMAT", 143}, {"GTable_FORMAT_CURRENT_BY_CONTENT_AND_HEADER", 147},
                 {"GTable_VIEW_SIZE_AS_HEX", 150}, {"GTable_VIEW_AS_MENU", 154}, {"GTable_VIEW_AS_ASCII", 165}};
    for (const auto& n : names) {
        EXPECT_EQ(n.id, actionIdByName(n.name)) << n.name;
        ASSERT_NE(nullptr, actionById(n.id));
        EXPECT_STRNE("", actionById(n.id)->titleText()) << n.name;
    }

    GGuiSettings saved = guiSettings;
    guiSettings.viewFlags = 2;
    Fixture f(TableAutoFit);
    f.table->setCaretRow(1);
    // A plain table: the view commands are disabled and left out with their separators.
    GPopupMenu plain;
    defaultTableMenuProvider()->fillMenu(*f.table, plain, 1, 0);
    trimMenuSeparators(plain.menu);
    EXPECT_EQ("142 143[4] 148+ ", menuIds(plain.menu));

    auto* view = new ByteView(&f.owner);
    GTableDesc desc;
    desc.columnCount = 3;
    ASSERT_TRUE(view->create(desc));
    GPopupMenu bytes;
    defaultTableMenuProvider()->fillMenu(*view, bytes, 0, 0);
    trimMenuSeparators(bytes.menu);
    EXPECT_EQ("143[4] 148 -1 149 150+ 151 -1 152 153 -1 154[11] ", menuIds(bytes.menu));  // no caret: no copy
    guiSettings = saved;
}

TEST(TableMenu, RightClickSelectsTheRowThenTheChosenCommandRuns) {
    Fixture f(TableMultiSelect);
    f.table->setRowSelected(0, true);
    f.table->setRowSelected(1, true);
    {
        // An unselected row becomes the selection; Copy, the first item, copies its cell.
        MenuKeys keys(f.table->hwnd, {VK_DOWN, VK_RETURN});
        rightClick(f.table, f.at(2, 2, 10, 5));
        EXPECT_TRUE(MenuKeys::seen);
    }
    EXPECT_EQ(1, f.table->selection()->selectedCount());
    EXPECT_EQ(2, f.table->selection()->caret());
    EXPECT_EQ(2, f.table->selection()->column());
    EXPECT_EQ("Go", clipboardText());

    // A selected row keeps the selection around it and takes the caret.
    f.table->setRowSelected(3, true);
    {
        MenuKeys keys(f.table->hwnd, {VK_ESCAPE, VK_ESCAPE});
        rightClick(f.table, f.at(3, 0, 10, 5));
    }
    EXPECT_EQ(2, f.table->selection()->selectedCount());
    EXPECT_EQ(3, f.table->selection()->caret());
    EXPECT_EQ(nullptr, GetCapture());
}

TEST(TableMenu, ProvidersHearTheRowAndColumnOfClicksAndMenuKeys) {
    TestApplication app;
    Owner owner;
    createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
    SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 400, 300, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    GLayoutItem* root = new FreeItem(&owner);
    owner.setContent(root);
    RecordingProvider provider;
    GTableDesc desc;
    desc.columnCount = 2;
    desc.columnSpec = "A:W=80,B:W=80";
    desc.menuProvider = &provider;
    GTable* table = createTable(root, &owner, desc);
    table->setRect(RECT{10, 10, 310, 210});
    EXPECT_EQ(table, provider.attached);
    for (const char* a : {"a0", "a1", "a2"}) {
        const char* row[] = {a, "b"};
        table->appendRows(row);
    }
    RECT cell = table->cellRect(1, 1);
    {
        MenuKeys keys(table->hwnd, {VK_DOWN, VK_RETURN});
        rightClick(table, POINT{cell.left + 5, cell.top + 5});
    }
    // The menu key opens it for the caret cell; an item not chosen runs nothing.
    table->selection()->setColumn(0);
    table->setCaretRow(2);
    {
        MenuKeys keys(table->hwnd, {VK_ESCAPE, VK_ESCAPE});
        GInputEvent apps = GInputEvent::keyDown(VK_APPS);
        EXPECT_EQ(2, table->handleKey(&apps));
        EXPECT_TRUE(MenuKeys::seen);
    }
    // The header without the column-menu bit, and the empty space below the rows: no menu.
    table->tableFlags &= ~TableColumnMenu;
    {
        MenuKeys keys(table->hwnd, {});
        rightClick(table, POINT{20, table->headerHeightPixels() / 2});
        rightClick(table, POINT{20, 180});
        EXPECT_FALSE(MenuKeys::seen);
    }
    EXPECT_EQ((std::vector<std::pair<i64, i32>>{{1, 1}, {2, 0}}), provider.filled);
    EXPECT_EQ((std::vector<std::vector<i64>>{{7, 1, 1}}), provider.ran);
    SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(owner.hwnd);
}

TEST(TableMenu, AProviderSetLaterBelongsToTheTable) {
    class Counted : public RecordingProvider {
    public:
        explicit Counted(int* deleted) : deleted(deleted) {}
        ~Counted() override { ++*deleted; }
        int* deleted;
    };
    int deleted = 0;
    RecordingProvider fromRecord;
    {
        Fixture f;
        auto* first = new Counted(&deleted);
        f.table->setMenuProvider(first);
        EXPECT_EQ(first, f.table->rowMenuProvider());
        EXPECT_EQ(f.table, first->attached);
        auto* second = new Counted(&deleted);
        f.table->setMenuProvider(second);
        EXPECT_EQ(1, deleted);
        f.table->setMenuProvider(nullptr);  // back to the default
        EXPECT_EQ(2, deleted);
        EXPECT_EQ(defaultTableMenuProvider(), f.table->rowMenuProvider());
        f.table->setMenuProvider(new Counted(&deleted));
    }
    EXPECT_EQ(3, deleted);  // deleted with its table
}

TEST(TableInput, ADragOnTheFillColumnsBorderKeepsItsWidth) {
    Fixture f;
    GTableDesc desc;
    desc.columnCount = 2;
    desc.columnSpec = "Name:W=80,Rest:F:W=60";
    desc.exStyle = 0;
    GTable* t = createTable(f.root, &f.owner, desc);
    t->setRect(RECT{0, 0, 300, 200});
    i32 filled = t->columns[1].width;
    ASSERT_GT(filled, 150);
    t->cellRect(0, 0);
    i32 border = t->columns[1].left + filled, y = t->headerHeightPixels() / 2;
    SendMessageA(t->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(border - 1, y));
    // Wider than the window: the column follows and a bar appears.
    SendMessageA(t->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(border + 100, y));
    EXPECT_EQ(filled + 100, t->columns[1].width);
    SendMessageA(t->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(border + 100, y));
    EXPECT_EQ(filled + 100, t->columns[1].width);
    // Narrower than the room: the fill column still takes the rest of the row.
    t->cellRect(0, 0);
    border = t->columns[1].left + t->columns[1].width;
    SendMessageA(t->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(border - 1, y));
    SendMessageA(t->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(border - 200, y));
    SendMessageA(t->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(border - 200, y));
    EXPECT_EQ(filled, t->columns[1].width);
}

namespace {
// A digest of the pixels of a rectangle as the table paints them now.
std::string paintedPixels(GTable* table, const RECT& r) {
    RECT client;
    GetClientRect(table->hwnd, &client);
    DibCanvas canvas(client.right, client.bottom, RGB(255, 255, 255));
    table->paint(canvas.dc(), client, true);
    std::string s;
    for (i32 y = r.top; y < r.bottom; ++y)
        for (i32 x = r.left; x < r.right; ++x) s += std::to_string(canvas.pixel(x, y)) + ",";
    return s;
}
}  // namespace

TEST(TableInput, CheckSquaresAndButtonFacesShowHotAndPressed) {
    Fixture f;
    InputSeam seam;
    seam.active = f.owner.hwnd;
    GHotTracker* tracker = f.table->hotTracker();
    ASSERT_NE(nullptr, tracker);
    auto mouse = [&](u32 message, POINT p) {
        seam.pointAt(f.table->hwnd, p.x, p.y);
        SendMessageA(f.table->hwnd, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(p.x, p.y));
    };
    struct Case {
        const char* name;
        i32 column;
        RECT element;
    };
    const Case cases[] = {
        {"check square", 1, checkSquareRect(f.table->cellRect(1, 1))},
        {"button face", 2, buttonFaceRect(f.table->cellRect(1, 2))},
    };
    for (const Case& c : cases) {
        POINT inside{c.element.left + 3, c.element.top + 3};
        std::string idle = paintedPixels(f.table, c.element);
        mouse(WM_MOUSEMOVE, inside);
        ASSERT_TRUE(tracker->hot()) << c.name;
        EXPECT_TRUE(EqualRect(&c.element, &tracker->hotRect)) << c.name;
        // A hot face lights up; a pressed one looks different again.
        std::string hot = paintedPixels(f.table, c.element);
        EXPECT_TRUE(idle != hot) << c.name;
        mouse(WM_LBUTTONDOWN, inside);
        EXPECT_TRUE(tracker->pressed()) << c.name;
        std::string pressed = paintedPixels(f.table, c.element);
        EXPECT_TRUE(idle != pressed && hot != pressed) << c.name;
        mouse(WM_LBUTTONUP, inside);
        EXPECT_FALSE(tracker->pressed()) << c.name;
        // A released button is hot again (the check square now holds its check).
        if (c.column == 2) {
            EXPECT_TRUE(hot == paintedPixels(f.table, c.element)) << c.name;
        }
        // Off the element (a check cell's text, a text cell): nothing is hot.
        mouse(WM_MOUSEMOVE, POINT{c.element.right + 1, inside.y});
        EXPECT_FALSE(tracker->hot()) << c.name;
    }
    EXPECT_EQ("0100", f.model->checked());
    EXPECT_EQ((std::vector<intptr_t>{1}), f.owner.rowsOf(TableCellButton));
}

TEST(TableInput, PressesOnTextCellsAreOfferedToTheCellsOwnInput) {
    Fixture f;
    POINT name = f.at(1, 0, 10, 5), check = f.at(2, 1, kInSquare, kInSquare), button = f.at(2, 2, 10, 5);
    SendMessageA(f.table->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(name.x, name.y));
    SendMessageA(f.table->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(name.x, name.y));
    EXPECT_EQ(1, f.table->selection()->caret());  // the selection had it first
    SendMessageA(f.table->hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(name.x, name.y));
    f.click(check);
    f.click(button);
    std::string at = std::to_string(name.x) + "," + std::to_string(name.y);
    EXPECT_EQ((std::vector<std::string>{"1 at " + at, "2 at " + at}), f.root->offered);
}

namespace {
// What the table's window shows now on the screen, as a digest per pixel row.
std::vector<std::string> screenRows(GTable* table) {
    RECT client;
    GetClientRect(table->hwnd, &client);
    DibCanvas canvas(client.right, client.bottom);
    HDC dc = GetDC(table->hwnd);
    BitBlt(canvas.dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(table->hwnd, dc);
    std::vector<std::string> rows;
    for (i32 y = 0; y < client.bottom; ++y) {
        std::string s;
        for (i32 x = 0; x < client.right; ++x) s += std::to_string(canvas.pixel(x, y)) + ",";
        rows.push_back(s);
    }
    return rows;
}
// The pixel rows that differ between two pictures.
std::string differingRows(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::string s;
    for (size_t y = 0; y < a.size() && y < b.size(); ++y)
        if (a[y] != b[y]) s += std::to_string(y) + " ";
    return s;
}
}  // namespace

// Scrolling by copy moves the focused caret row's dotted frame with the pixels: the frame must
// look exactly as a full repaint draws it, with nothing left where it was.
TEST(TablePaintScroll, TheFocusFrameSurvivesAScrollByCopy) {
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) names.push_back("row " + std::to_string(i));
    Fixture f(0, names);
    f.table->columns[0].width = 400;  // wider than the window: it scrolls sideways too
    f.table->updateScrollBars(nullptr, nullptr, true, false);
    SetForegroundWindow(f.owner.hwnd);
    SetFocus(f.table->hwnd);
    ASSERT_EQ(f.table->hwnd, GetFocus());
    f.table->setCaretRow(3);
    f.table->setScrollOrigin(1);  // the caret row is the third one shown
    struct Case {
        const char* name;
        u32 message;
        WPARAM code;
    };
    const Case cases[] = {
        {"one row down", WM_VSCROLL, SB_LINEDOWN},
        {"one row up", WM_VSCROLL, SB_LINEUP},
        {"sideways", WM_HSCROLL, SB_LINERIGHT},
        {"back", WM_HSCROLL, SB_LINELEFT},
    };
    for (const Case& c : cases) {
        RedrawWindow(f.table->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        i64 v = f.table->vertical.origin, h = f.table->horizontal.origin;
        SendMessageA(f.table->hwnd, c.message, c.code, 0);
        ASSERT_TRUE(v != f.table->vertical.origin || h != f.table->horizontal.origin) << c.name;
        UpdateWindow(f.table->hwnd);
        std::vector<std::string> scrolled = screenRows(f.table);
        RedrawWindow(f.table->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ("", differingRows(screenRows(f.table), scrolled)) << c.name;
    }
}

// The dotted frame shows on the caret row in the row's text colour, selected or not, and only
// while the table has the focus.
TEST(TablePaintScroll, TheFocusFrameShowsOnSelectedAndPlainRowsOnlyWithTheFocus) {
    Fixture f(TableMultiSelect);
    SetForegroundWindow(f.owner.hwnd);
    f.table->setCaretRow(1);
    RECT client;
    GetClientRect(f.table->hwnd, &client);
    auto dots = [&](u64 row) {
        DibCanvas canvas(client.right, client.bottom, RGB(255, 255, 255));
        f.table->paint(canvas.dc(), client, true);
        RECT cell = f.table->cellRect(row, 0);
        COLORREF fill = canvas.pixel(cell.left + 40, cell.top + 4);  // inside, off the text
        i32 n = 0;
        for (i32 x = cell.left; x < cell.left + 40; ++x) n += canvas.pixel(x, cell.top) != fill;
        return n;
    };
    SetFocus(f.table->hwnd);
    ASSERT_EQ(f.table->hwnd, GetFocus());
    f.table->setRowSelected(1, true);
    EXPECT_GE(dots(1), 15);
    f.table->setRowSelected(1, false);
    EXPECT_GE(dots(1), 15);
    SetFocus(f.owner.hwnd);
    EXPECT_EQ(0, dots(1));
}
