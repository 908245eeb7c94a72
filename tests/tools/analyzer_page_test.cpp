// The analyzer page over a real file through the file-structure document, with real windows: the
// tree's blocks, the tables of the selected block in the second structure view, the readers over
// the file (its last byte, nothing past it) and the report the page's writer gets.
#include <gtest/gtest.h>

#include "gui/frame/file_analyzer_placer.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/bin_view.h"
#include "gui/views/file_block_tree.h"
#include "gui/views/struct_view.h"
#include "gui/views/tab.h"
#include "gui/views/tab_window.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/tools/analyzer_bytes.h"
#include "tools/analyzer_document.h"
#include "tools/dls_blocks.h"

namespace {
struct Page {
    TestApplication app;
    GDialog owner{nullptr, "analyzer.htm"};
    FileStructureDocument* document = new FileStructureDocument;
    GFileAnalyzerPlacer* page;

    Page() {
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 800, 400, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        page = new GFileAnalyzerPlacer(&owner, document);
        owner.setContent(page);
        page->setRect(RECT{0, 0, 800, 400});
    }
    ~Page() {
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
    }
    std::string shownTabs() {
        std::string s;
        for (i32 i = 0; i < 3; ++i) s += page->tabs->strip->tabVisible(i) ? '1' : '0';
        return s;
    }
};
}  // namespace

TEST(AnalyzerPage, ShowsARealFile) {
    const std::string bytes =
        riffList("RIFF", "DLS ", chunk("colh", le32(1)) + chunk("art1", le32(8) + le32(1) + std::string(12, 'c'))) +
        "tail";
    TempDir dir;
    dir.write("bank.dls", bytes);
    const std::string path = dir.file("bank.dls");
    Page f;
    f.page->loadDocument(path.c_str(), nullptr);
    ASSERT_EQ(f.page->hasDocument, 1);
    FileStructure* root = f.document->structure;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->childCount(), 3u);
    // The last block made decides: the unknown tail.
    EXPECT_EQ(root->fileKind, BlockId::Unknown);

    // A DLS chunk: its bytes and its table, which counts from the chunk's start.
    BlockBase* art = root->child(0)->child(1);
    f.page->tree->revealNode(art);
    EXPECT_EQ(f.page->tree->caretNode(), art);
    EXPECT_EQ(f.shownTabs(), "101");
    EXPECT_EQ(f.page->secondView->rowCount(), 5u);
    EXPECT_TRUE(f.page->binView->selection()->isSelected(art->start));
    EXPECT_TRUE(f.page->binView->selection()->isSelected(art->start + art->size - 1));
    // The table on screen: the second view paints its rows.
    ASSERT_TRUE(f.page->tabs->strip->select(2));
    UpdateWindow(f.owner.hwnd);
    pumpUntil([] { return false; }, 50);
    DibCanvas canvas(800, 400, RGB(1, 2, 3));
    HDC screen = GetDC(f.owner.hwnd);
    BitBlt(canvas.dc(), 0, 0, 800, 400, screen, 0, 0, SRCCOPY);
    ReleaseDC(f.owner.hwnd, screen);
    saveShot(canvas, "analyzer_page.bmp");
    EXPECT_GT(canvas.countOther(canvas.pixel(790, 390)), 1000);

    // The readers: the last byte, and nothing past it.
    BlockDataSource* source = f.document->newDataSource();
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->size(), bytes.size());
    const u8* last = source->readAt(bytes.size() - 1, 1);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(*last, 'l');
    EXPECT_EQ(source->readAt(bytes.size() - 4, 8), nullptr);
    EXPECT_EQ(source->readAt(bytes.size(), 1), nullptr);
    const u8* tail = source->readAt(bytes.size() - 4, 4);
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(std::string((const char*)tail, 4), "tail");
    delete source;

    // The page's report writer gets the structure's report.
    const std::string out = dir.file("r.txt");
    GFile file;
    ASSERT_TRUE(fileOpen(file, out.c_str(), FileMode::Write));
    EXPECT_TRUE(f.document->writeReport(file, ReportKind::Text));
    fileClose(file);
    const std::string report = readWholeFile(out);
    EXPECT_EQ(report.substr(0, 15), "File Size: " + std::to_string(bytes.size()) + "\r\n");
    EXPECT_NE(report.find("RIFF Block: 'art1'"), std::string::npos);
    EXPECT_NE(report.find("Unknown Data: Block size: 4"), std::string::npos);

    f.page->newDocument();
    EXPECT_EQ(f.document->structure, nullptr);
}

TEST(AnalyzerPage, MakerGivesTheAnalyzerKind) {
    TestApplication app;
    GDialog owner{nullptr, "analyzer.htm"};
    createTopLevelWindow(&owner, WS_POPUP, 0, "");
    GPlacer* page = makeAnalyzerPage(&owner);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowKind(), (u32)TypeAnalyzerPlacer);
    owner.setContent(page);
    DestroyWindow(owner.hwnd);
}
