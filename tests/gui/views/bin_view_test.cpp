// The binary view through real windows: short data and the origin, the view-as types at the end of
// a source, column-0 spans by field and by block, its commands, reads per paint, and the reader
// over a file that another registry holder has open.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/frame/open_file_registry.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/bin_view.h"
#include "gui/views/file_data_source.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
class FreeItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void setRect(const RECT& r) override { rect = r; }
};

// Keeps the shared display settings of the test.
struct ViewSettings {
    u32 flags = guiSettings.viewFlags, mode = guiSettings.viewMode;
    ~ViewSettings() {
        guiSettings.viewFlags = flags;
        guiSettings.viewMode = mode;
    }
};

struct Fixture {
    TestApplication app;
    ViewSettings settings;
    GDialog owner{nullptr, "index.htm"};
    FreeItem* root;
    GBinView* view;

    Fixture() {
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 620, 320, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        root = new FreeItem(&owner);
        owner.setContent(root);
        view = createBinView(root, &owner);
        view->setRect(RECT{0, 0, 600, 300});
    }
    ~Fixture() {
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
    }
    std::string cell(u64 row, i32 column) {
        GString scratch;
        const char* text = view->model()->cellText(scratch, row, column);
        return text ? text : "<null>";
    }
    // The first row of the span of column 0 and its row count.
    std::pair<u64, u64> span(u64 row) {
        u64 rows, offset;
        i32 columns, columnOffset;
        view->model()->cellSpan(row, 0, &rows, &columns, &offset, &columnOffset);
        return {row - offset, rows};
    }
};

u32 idOf(const char* name) {
    u32 id = 0x20202020;
    for (u32 i = 0; i < 4 && name[i]; ++i) id = (id & ~(0xFFu << (8 * i))) | (u32)(u8)name[i] << (8 * i);
    return id;
}

class FieldBlock : public BlockBase {
public:
    FieldBlock(BlockBase* parent, const char* name, u64 start, u64 size, const FieldDescriptor* list)
        : BlockBase(parent, idOf(name), start, size), list(list) {}
    const FieldDescriptor* fields() override { return list; }
    const FieldDescriptor* list;
};
}  // namespace

TEST(BinView, ShortDataAndOrigin) {
    Fixture f;
    u8 bytes[0x200];
    for (u32 i = 0; i < sizeof bytes; ++i) bytes[i] = (u8)i;
    guiSettings.viewMode = 4;  // signed double words
    guiSettings.viewFlags = 1;
    f.view->setSource(nullptr, new MemoryDataSource(bytes, 10), true, -1);
    EXPECT_EQ(f.view->rowCount(), 10u);
    EXPECT_EQ(f.cell(0, 2), "03020100");
    EXPECT_EQ(f.cell(6, 2), "09080706");
    EXPECT_EQ(f.cell(6, 3), std::to_string(0x09080706));
    for (u64 row : {7, 8, 9}) {
        EXPECT_EQ(f.cell(row, 2), guiText(GuiText::BinViewShortData));
        EXPECT_EQ(f.cell(row, 3), guiText(GuiText::BinViewShortData));
    }
    // A length shorter than the source, then the source's size.
    f.view->setSource(nullptr, new MemoryDataSource(bytes, sizeof bytes), true, 0x180);
    EXPECT_EQ(f.view->rowCount(), 0x180u);
    f.view->setSource(nullptr, new MemoryDataSource(bytes, sizeof bytes), true, -1);
    EXPECT_EQ(f.view->rowCount(), 0x200u);
    f.view->setOrigin(0x100);
    EXPECT_EQ(f.cell(0x100, 1), "00000000H");
    EXPECT_EQ(f.cell(0x1FF, 1), "000000FFH");
    guiSettings.viewFlags = 0;
    EXPECT_EQ(f.cell(0x100, 1), "0");
    EXPECT_EQ(f.cell(0, 1), "-256");
    f.view->clearSource();
    EXPECT_EQ(f.view->rowCount(), 0u);
    EXPECT_EQ(f.view->source(), nullptr);
}

TEST(BinView, ViewAsTypesAtTheEndOfTheSource) {
    Fixture f;
    // The last 8 bytes: -1.5 as a double, read at 8 before the end; the last byte alone is 0xBF.
    u8 bytes[24] = {'H', 'i', 1, 'x', 0, 'y'};
    f64 d = -1.5;
    memcpy(bytes + 16, &d, 8);
    f.view->setSource(nullptr, new MemoryDataSource(bytes, sizeof bytes), true, -1);
    const std::string shortText = guiText(GuiText::BinViewShortData);
    struct Case {
        u32 mode;
        u64 row;
        const char* hex;
        std::string value;
    } cases[] = {
        {0, 23, "BF", "-65"},
        {1, 23, "BF", "191"},
        {2, 22, "BFF8", "-16392"},
        {3, 22, "BFF8", "49144"},
        {2, 23, nullptr, shortText},
        {4, 20, "BFF80000", "-1074266112"},
        {5, 20, "BFF80000", "3220701184"},
        {5, 21, nullptr, shortText},
        {6, 16, "BFF8000000000000", "-4613937818241073152"},
        {7, 16, "BFF8000000000000", "13832806255468478464"},
        {7, 17, nullptr, shortText},
        {8, 20, "BFF80000", "-1.9375"},
        {9, 16, "BFF8000000000000", "-1.5"},
        {9, 17, nullptr, shortText},
        {10, 0, "48", "Hi x"},  // a control byte as a space, ended at the zero byte
        {10, 23, "BF", "\xBF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode * 100 + c.row);
        guiSettings.viewMode = c.mode;
        EXPECT_EQ(f.cell(c.row, 2), c.hex ? c.hex : shortText);
        EXPECT_EQ(f.cell(c.row, 3), c.value);
    }
}

TEST(BinView, SpansByFieldAndByBlock) {
    Fixture f;
    static const FieldDescriptor inner[] = {{"lo", 0, 2, FieldType::Word, nullptr}, {"hi", 2, 2, FieldType::Word, nullptr}, {}};
    static const FieldDescriptor record[] = {
        {"tag", 0, 4, FieldType::Ascii, nullptr},
        {"pair", 4, 4, FieldType::Structure, inner},
        {"count", 10, 2, FieldType::Word, nullptr},  // 8..10 is a gap
        {},
    };
    static const FieldDescriptor root{"", 0, 12, FieldType::Structure, record};
    u8 bytes[128] = {};
    f.view->setSource(nullptr, new MemoryDataSource(bytes, 12), true, -1);
    f.view->setRootField(&root);
    struct FieldCase {
        u64 row;
        const char* name;
        u64 first, rows;
    } fieldCases[] = {
        {0, "tag", 0, 4}, {3, "tag", 0, 4}, {5, "lo", 4, 2}, {6, "hi", 6, 2}, {9, "", 8, 2}, {11, "count", 10, 2},
    };
    for (const FieldCase& c : fieldCases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(f.cell(c.row, 0), c.name);
        EXPECT_EQ(f.span(c.row), std::make_pair(c.first, c.rows));
    }
    // R(0, 100) { A(8, 40) { A1(16, 20) }, B(58, 20) with fields } and gaps 48..58 and 78..100.
    static const FieldDescriptor bFields[] = {{"x", 0, 2, FieldType::Word, nullptr}, {"y", 4, 4, FieldType::DWord, nullptr}, {}};
    BlockBase top(nullptr, idOf("R"), 0, 100);
    BlockBase* a = new BlockBase(&top, idOf("A"), 8, 40);
    new BlockBase(a, idOf("A1"), 16, 20);
    new FieldBlock(&top, "B", 58, 20, bFields);
    f.view->setRootField(nullptr);
    f.view->setSource(&top, new MemoryDataSource(bytes, 100), true, -1);
    struct BlockCase {
        u64 row;
        const char* name;
        u64 first, rows;
    } blockCases[] = {
        {0, "R", 0, 8},     // the root's own part ends at its first child
        {7, "R", 0, 8},
        {10, "A", 8, 8},    // A's own part: its header up to A1
        {20, "A1", 16, 20}, // a block without children: the whole block
        {40, "A", 40, 1},   // after A's last child: a row of its own
        {50, "R", 50, 1},   // between the root's children
        {60, "B", 58, 8},   // the header of a block with fields
        {67, "B: x", 66, 2},
        {69, "B", 69, 1},   // a gap between fields
        {71, "B: y", 70, 4},
        {99, "R", 99, 1},
    };
    for (const BlockCase& c : blockCases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(f.cell(c.row, 0), c.name);
        EXPECT_EQ(f.span(c.row), std::make_pair(c.first, c.rows));
    }
    // Blocks that start later in the file: rows count from the top block's offset.
    BlockBase late(nullptr, idOf("L"), 1000, 20);
    new BlockBase(&late, idOf("L1"), 1010, 10);
    f.view->setSource(&late, new MemoryDataSource(bytes, 20), true, -1);
    EXPECT_EQ(f.cell(12, 0), "L1");
    EXPECT_EQ(f.span(12), std::make_pair((u64)10, (u64)10));
    f.view->clearSource();
}

TEST(BinView, CommandsAndBaseOffset) {
    Fixture f;
    u8 bytes[64] = {};
    f.view->setSource(nullptr, new MemoryDataSource(bytes, sizeof bytes), true, -1);
    for (u32 command = TableViewOffsetAsHex; command <= TableViewAsLast; ++command) {
        SCOPED_TRACE(command);
        bool taken = command == 149 || command >= 152;
        EXPECT_EQ(f.view->commandState(command), taken ? CommandEnabled : CommandDisabled);
    }
    struct Listener : GLayoutItem {
        using GLayoutItem::GLayoutItem;
        std::vector<u32> codes;
        bool onControlNotify(void* n) override {
            codes.push_back(static_cast<GControlNotification*>(n)->code);
            return false;
        }
    };
    f.view->setCaretRow(40);
    EXPECT_EQ(f.view->caretPosition(), 40);
    EXPECT_TRUE(f.view->onCommand(TableSetBaseOffset, nullptr));
    EXPECT_EQ(f.view->origin(), 40);
    EXPECT_EQ(f.cell(40, 1), "00000000H");
    EXPECT_TRUE(f.view->onCommand(TableZeroBaseOffset, nullptr));
    EXPECT_EQ(f.view->baseOffset(), 0);
    // The view-as commands check the chosen type.
    f.view->onCommand(TableViewAsFirst + 3, nullptr);
    EXPECT_EQ(guiSettings.viewMode, 3u);
    EXPECT_EQ(f.view->commandChecked(TableViewAsFirst + 3), 1);
}

TEST(BinView, PaintReadsOnlyTheVisibleRows) {
    Fixture f;
    // A sparse source of 2^32 + 10 bytes with a 16-byte cache: every fill is counted.
    MemoryDataSource* source = new MemoryDataSource(nullptr, (1ull << 32) + 10, false, 16);
    f.view->setSource(nullptr, source, true, -1);
    EXPECT_EQ(f.view->rowCount(), (1ull << 32) + 10);
    f.view->setCaretRow((1ull << 32) + 9);
    RedrawWindow(f.view->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    u32 visible = (u32)(300 / f.view->rowHeightPixels()) + 2;
    EXPECT_GT(source->fills, 0u);
    EXPECT_LE(source->fills, visible);
    EXPECT_LE(source->bytesFilled, (u64)visible * 16);
    EXPECT_EQ(f.cell((1ull << 32) + 9, 1), "10000000" "9H");
}

namespace {
class Holder : public OpenFileHolder {
public:
    void onFileEvent(i32, GFile*) override {}
};
}  // namespace

TEST(BinView, ReadsAFileOtherHoldersHaveOpen) {
    Fixture f;
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes += (char)(i * 13);
    dir.write("data.bin", bytes);
    std::string path = dir.file("data.bin");
    Holder mine, other;
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &mine));
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &other));
    FileDataSource* source = new FileDataSource;
    source->file.flags = FileFlag::Quiet;
    ASSERT_TRUE(source->attach(&mine));
    EXPECT_EQ(source->size(), 3000u);
    EXPECT_GE(source->capacity(), 512u);
    f.view->setSource(nullptr, source, true, -1);
    EXPECT_EQ(f.view->rowCount(), 3000u);
    guiSettings.viewMode = 1;
    EXPECT_EQ(f.cell(2999, 3), std::to_string((u8)(2999 * 13)));
    const u8* p = source->readAt(1000, 16);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(0, memcmp(p, bytes.data() + 1000, 16));
    // The stream went back after every read and the reader's flags are its own again.
    EXPECT_EQ(source->file.flags, (u32)FileFlag::Quiet);
    EXPECT_EQ(source->file.fp, nullptr);
    GFile lent;
    EXPECT_TRUE(OpenFileRegistry::reopen(lent, &other, FileFlag::Read));
    // While the other holder has the stream the read fails and the flags still come back.
    EXPECT_EQ(source->readAt(10, 4), nullptr);
    EXPECT_EQ(source->file.flags, (u32)FileFlag::Quiet);
    EXPECT_TRUE(OpenFileRegistry::endReopen(lent));
    EXPECT_NE(source->readAt(10, 4), nullptr);
    f.view->clearSource();
    OpenFileRegistry::detach(&mine);
    OpenFileRegistry::detach(&other);
}
