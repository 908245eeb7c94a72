// The analyzer page with a fake parsed file under real windows: hidden tabs, synchronising once
// through the guard, base offsets spread to all views, the report in its three kinds and the
// refused extension, the question through the box sink, and the view state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/gfile.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/frame/file_analyzer_placer.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/splitter.h"
#include "gui/views/bin_view.h"
#include "gui/views/file_block_tree.h"
#include "gui/views/struct_view.h"
#include "gui/views/tab.h"
#include "gui/views/tab_window.h"
#include "tests/gui/dialogs/real_file_dialog.h"
#include "tests/gui/dialogs/scripted_file_dialog.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
const FieldDescriptor aFields[] = {{"tag", 0, 4, FieldType::Ascii, nullptr}, {"size", 4, 4, FieldType::DWord, nullptr}, {}};
const FieldDescriptor extra[] = {{"extra", 0, 2, FieldType::Word, nullptr}, {}};

class Block : public BlockBase {
public:
    Block(BlockBase* parent, u32 id, u64 start, u64 size, const FieldDescriptor* list, bool second = false)
        : BlockBase(parent, id, start, size), list(list), second(second) {}
    const FieldDescriptor* fields() override { return list; }
    const FieldDescriptor* secondRecord(u64* offset, u64* size) override {
        if (!second) return nullptr;
        *offset = start + 8;
        *size = 2;
        return extra;
    }
    const FieldDescriptor* list;
    bool second;
};

// R(0, 100) { A(8, 40) with fields, B(48, 20) with a second record }
class FakeDocument : public AnalyzerDocument {
public:
    bool open(const char*) override {
        top = new Block(nullptr, fourCC("RIFF"), 0, 100, nullptr);
        a = new Block(top, fourCC("a   "), 8, 40, aFields);
        b = new Block(top, fourCC("b   "), 48, 20, nullptr, true);
        return true;
    }
    void close() override {
        delete top;
        top = nullptr;
    }
    BlockBase* root() override { return top; }
    BlockDataSource* newDataSource() override {
        ++sources;
        return new MemoryDataSource(bytes, sizeof bytes);
    }
    bool writeReport(GFile& out, u32 kind) override {
        FourCCText text = fourCCText(kind, false);
        return fileWriteText(out, text.c_str());
    }
    ~FakeDocument() override { close(); }

    Block* top = nullptr;
    Block *a = nullptr, *b = nullptr;
    u8 bytes[100] = {};
    i32 sources = 0;
};

std::vector<std::string> boxes;
i32 answer = IDNO;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    boxes.push_back(text);
    return answer;
}
std::string& chosen = scriptedFileChoice();
std::vector<std::string> opened;
void shellOpen(GWindow*, const char* path) { opened.push_back(path); }

struct Fixture {
    TestApplication app;
    GDialog owner{nullptr, "analyzer.htm"};
    FakeDocument* document = new FakeDocument;
    TempDir files;
    std::string file;
    GFileDialog reportDialog{nullptr, "txt", nullptr};
    GFileAnalyzerPlacer* page;

    Fixture() {
        files.write("any.bin", std::string(100, 'x'));
        file = files.file("any.bin");
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 800, 400, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        page = new GFileAnalyzerPlacer(&owner, document, nullptr, &reportDialog);
        owner.setContent(page);
        page->setRect(RECT{0, 0, 800, 400});
        boxes.clear();
        opened.clear();
        setMessageBoxSink(recordBox);
        scriptedFileDialogs();
        AnalyzerCalls::shellOpen = shellOpen;
    }
    ~Fixture() {
        setMessageBoxSink(nullptr);
        fileDialogSystem = fileDialogSystemDefaults;
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
    }
    std::string shownTabs() {
        std::string s;
        for (i32 i = 0; i < 3; ++i) s += page->tabs->strip->tabVisible(i) ? '1' : '0';
        return s;
    }
    void select(BlockBase* block) { page->tree->revealNode(block); }
    bool open() {
        page->loadDocument(file.c_str(), nullptr);
        return page->hasDocument != 0;
    }
};
}  // namespace

TEST(FileAnalyzerPlacer, TabsFollowTheSelectedBlock) {
    Fixture f;
    EXPECT_EQ(f.shownTabs(), "000");
    EXPECT_EQ(f.page->commandState(AnalyzerExport), CommandDisabled);
    ASSERT_TRUE(f.open());
    EXPECT_EQ(f.page->hasDocument, 1);
    EXPECT_EQ(f.page->commandState(AnalyzerExport), CommandEnabled);
    // The root: bytes, no fields, no second record.
    EXPECT_EQ(f.shownTabs(), "100");
    EXPECT_EQ(f.page->binView->rowCount(), 100u);
    f.select(f.document->a);
    EXPECT_EQ(f.shownTabs(), "110");
    EXPECT_EQ(f.page->structView->rowCount(), 2u);
    EXPECT_TRUE(f.page->binView->selection()->isSelected(8));
    EXPECT_TRUE(f.page->binView->selection()->isSelected(47));
    EXPECT_FALSE(f.page->binView->selection()->isSelected(48));
    f.select(f.document->b);
    EXPECT_EQ(f.shownTabs(), "101");
    EXPECT_EQ(f.page->secondView->rowCount(), 1u);
    f.page->newDocument();
    EXPECT_EQ(f.shownTabs(), "000");
    EXPECT_EQ(f.page->hasDocument, 0);
    EXPECT_EQ(f.page->binView->rowCount(), 0u);
}

TEST(FileAnalyzerPlacer, BinaryCaretSelectsTheBlockOnce) {
    Fixture f;
    ASSERT_TRUE(f.open());
    i32 before = f.document->sources;
    // A click on a byte of b in the binary view.
    f.page->binView->scrollRowIntoView(50);
    RECT cell = f.page->binView->cellRect(50, 1);
    LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
    SendMessageA(f.page->binView->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(f.page->binView->hwnd, WM_LBUTTONUP, 0, at);
    pumpUntil([&] { return f.page->tree->caretNode() == f.document->b; });
    EXPECT_EQ(f.page->tree->caretNode(), f.document->b);
    // One synchronisation: binary, structure and second view readers.
    EXPECT_EQ(f.document->sources - before, 3);
    EXPECT_EQ(f.page->guard, 0);
}

TEST(FileAnalyzerPlacer, BaseOffsetsAndCommandRouting) {
    Fixture f;
    ASSERT_TRUE(f.open());
    f.select(f.document->a);
    SetForegroundWindow(f.owner.hwnd);
    SetFocus(f.page->binView->hwnd);
    ASSERT_EQ(f.page->commandTarget(), f.page->binView);
    f.page->binView->setCaretRow(20);
    EXPECT_EQ(f.page->commandState(TableViewAsFirst), CommandEnabled);
    EXPECT_TRUE(f.page->onCommand(TableSetBaseOffset, nullptr));
    EXPECT_EQ(f.page->binView->baseOffset(), 20);
    EXPECT_EQ(f.page->structView->baseOffset(), 20);
    EXPECT_EQ(f.page->tree->baseOffset(), 20);
    // The tree takes the commands when no table has the focus; it has no view-as types.
    SetFocus(nullptr);
    EXPECT_EQ(f.page->commandTarget(), f.page->tree);
    EXPECT_EQ(f.page->commandState(TableViewAsFirst), CommandDisabled);
    EXPECT_TRUE(f.page->onCommand(TableZeroBaseOffset, nullptr));
    EXPECT_EQ(f.page->binView->baseOffset(), 0);
    EXPECT_EQ(f.page->structView->baseOffset(), 0);
    // A view's own command (its row menu) spreads through its notification.
    f.page->structView->setCaretRow(1);  // a's "size" at 16 + 4
    f.page->structView->onCommand(TableSetBaseOffset, nullptr);
    EXPECT_EQ(f.page->binView->baseOffset(), 20);
    EXPECT_EQ(f.page->tree->baseOffset(), 20);
    EXPECT_EQ(f.page->guard, 0);
}

TEST(FileAnalyzerPlacer, Reports) {
    Fixture f;
    TempDir dir;
    // Nothing before a file is open.
    chosen = dir.file("early.txt");
    f.page->onCommand(AnalyzerExport, nullptr);
    EXPECT_FALSE(dir.exists("early.txt"));
    ASSERT_TRUE(f.open());
    struct Case {
        const char* name;
        const char* written;
    } cases[] = {{"r.HTML", "HTML"}, {"r.htm", "HTML"}, {"r.Txt", "TXT "}, {"r.xml", "XML "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        chosen = dir.file(c.name);
        f.page->onCommand(AnalyzerExport, nullptr);
        EXPECT_EQ(dir.read(c.name), c.written);
    }
    EXPECT_EQ(boxes.size(), 4u);  // the question each time, answered No
    EXPECT_TRUE(opened.empty());
    answer = IDYES;
    chosen = dir.file("yes.txt");
    f.page->onCommand(AnalyzerExport, nullptr);
    answer = IDNO;
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], chosen);
    // Another extension: the error, nothing written.
    boxes.clear();
    chosen = dir.file("r.doc");
    f.page->onCommand(AnalyzerExport, nullptr);
    EXPECT_FALSE(dir.exists("r.doc"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], guiText(GuiText::AnalyzerBadReportType));
    // A file that cannot be made: the error, the arrow back.
    boxes.clear();
    chosen = dir.file("folder.txt");
    CreateDirectoryA(chosen.c_str(), nullptr);
    f.page->onCommand(AnalyzerExport, nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], guiText(GuiText::AnalyzerReportFailed));
}

TEST(FileAnalyzerPlacer, ViewStateRoundTrips) {
    Fixture f;
    ASSERT_TRUE(f.open());
    f.select(f.document->b);
    f.page->splitter->sizeA = 3;
    f.page->splitter->sizeB = 5;
    f.page->tabs->strip->select(2);
    GBag bag;
    f.page->saveViewState(bag);
    f.page->splitter->sizeA = 1;
    f.page->splitter->sizeB = 1;
    f.select(f.document->a);
    f.page->tabs->strip->select(0);
    bag.pos = 0;
    f.page->restoreViewState(bag);
    EXPECT_EQ(f.page->splitter->sizeA, 3);
    EXPECT_EQ(f.page->splitter->sizeB, 5);
    EXPECT_EQ(f.page->tree->caretNode(), f.document->b);
    EXPECT_EQ(f.page->tabs->strip->current, 2);
    EXPECT_EQ(bag.pos, bag.size);
}

TEST(FileAnalyzerPlacer, NewOpenAndCloseGoThroughTheDocumentPlacer) {
    Fixture f;
    EXPECT_EQ(TypeAnalyzerPlacer, f.page->windowKind());
    EXPECT_STREQ("analyzer.htm", f.page->helpPage);
    EXPECT_STREQ(guiText(GuiText::AnalyzerKindName), f.page->firstCaption());
    EXPECT_EQ(CommandDisabled, f.page->commandState(FileCommandClose));
    ASSERT_TRUE(f.open());
    EXPECT_STREQ("any.bin", f.page->firstCaption());
    EXPECT_TRUE(isPageFile(f.page, f.file.c_str()));
    EXPECT_EQ(f.page, findWindowForFile(TypeAnalyzerPlacer, f.file.c_str()));
    EXPECT_EQ(CommandEnabled, f.page->commandState(FileCommandReload));
    // Reload keeps the selected block (the view state travels with the page's state).
    f.select(f.document->b);
    EXPECT_TRUE(f.page->onCommand(FileCommandReload, nullptr));
    EXPECT_TRUE(f.page->hasDocument);
    EXPECT_EQ(f.page->tree->caretNode(), f.document->b);
    // Close empties the views and lets the file go.
    EXPECT_TRUE(f.page->onCommand(FileCommandClose, nullptr));
    EXPECT_FALSE(f.page->hasDocument);
    EXPECT_EQ(f.shownTabs(), "000");
    EXPECT_EQ(f.page->tree->caretNode(), nullptr);
    EXPECT_EQ(nullptr, findWindowForFile(TypeAnalyzerPlacer, f.file.c_str()));
    // New: a name from the save dialog, made and opened (the fake document parses anything).
    TempDir dir;
    chosen = dir.file("fresh.bin");
    EXPECT_TRUE(f.page->onCommand(FileCommandNew, nullptr));
    EXPECT_TRUE(dir.exists("fresh.bin"));
    EXPECT_TRUE(f.page->hasDocument);
    EXPECT_TRUE(isPageFile(f.page, chosen.c_str()));
    EXPECT_EQ(f.shownTabs(), "100");
    EXPECT_EQ(nullptr, f.reportDialog.ofn.lpstrTitle);
}

TEST(FileAnalyzerPlacer, AReportThroughTheRealSaveDialog) {
    Fixture f;
    fileDialogSystem = fileDialogSystemDefaults;
    ASSERT_TRUE(f.open());
    TempDir dir;
    f.reportDialog.setFolder(dir.path().c_str());
    {
        RealDialog real;
        real.ender.name = L"real.xml";
        f.page->onCommand(AnalyzerExport, nullptr);
        EXPECT_NE(nullptr, real.ender.seen);
    }
    EXPECT_EQ("XML ", dir.read("real.xml"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], guiText(GuiText::AnalyzerOpenReport));
}

// The page changes nothing, so a save never leaves a file emptier than the analysed one: Save As
// copies the analysed bytes over the chosen file; with no readable document it fails and the file
// keeps its own bytes; New on an existing file leaves it whole.
TEST(FileAnalyzerPlacer, SaveAsCopiesTheAnalysedFile) {
    Fixture f;
    std::string analysed;
    for (i32 i = 0; i < 40000; ++i) analysed += (char)(i * 7 + i / 256);
    f.files.write("any.bin", analysed);
    f.files.write("keep.bin", "old bytes");
    ASSERT_TRUE(f.open());
    chosen = f.files.file("keep.bin");
    EXPECT_EQ(f.page->commandState(FileCommandSaveAs), CommandEnabled);
    EXPECT_TRUE(f.page->onCommand(FileCommandSaveAs, nullptr));
    EXPECT_TRUE(f.files.read("keep.bin") == analysed);
    EXPECT_TRUE(f.files.read("any.bin") == analysed);
    EXPECT_TRUE(f.page->isAttachedFile(chosen.c_str()));

    f.files.write("other.bin", "other bytes");
    f.page->newDocument();
    EXPECT_THROW(f.page->saveDocument(f.files.file("other.bin").c_str(), 0), GException);
    EXPECT_EQ(f.files.read("other.bin"), "other bytes");
    // New on an existing file analyses it as it is.
    chosen = f.files.file("other.bin");
    EXPECT_TRUE(f.page->onCommand(FileCommandNew, nullptr));
    EXPECT_TRUE(f.page->hasDocument);
    EXPECT_EQ(f.files.read("other.bin"), "other bytes");
}
