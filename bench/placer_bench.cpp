// Tabbed and document placers: a tab change among 100 pages (one layout transaction) and finding
// the page of a file among 1000 document pages.
#include <string>

#include "bench/bench.h"
#include "gui/frame/app_window.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/page_factory.h"
#include "gui/frame/tab_placer.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/action_table.h"
#include "gui/views/tab.h"

namespace {
class Page : public GPlacer {
public:
    explicit Page(GWindow* parent) : GPlacer(parent) {}
    const char* firstCaption() override { return "page"; }
};

class Factory : public PageFactory {
public:
    GPlacer* create(GWindow* parent, u32) override { return new Page(parent); }
};
}  // namespace

RAVO_BENCH(placers) {
    GAppWindow* frame = new GAppWindow;
    if (!createTopLevelWindow(frame, WS_POPUP, 0, "")) {
        delete frame;
        benchResult("tab change among 100 pages (no display)", -1, "ms");
        return;
    }
    SetWindowPos(frame->hwnd, HWND_TOP, 0, 0, 800, 600, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Factory factory;
    setPageFactory(&factory);
    WindowKind kind;
    GTabPlacer* placer = new GTabPlacer(frame, &kind);
    frame->setContent(placer);
    applyLayoutChange(placer, RECT{0, 0, 800, 600});
    for (int i = 0; i < 100; ++i) placer->addPageOfKind(1);
    i32 current = 0;
    double change = medianMilliseconds([&] { placer->strip->select(current = (current + 37) % 100); });
    benchResult("tab change among 100 pages", change, "ms");

    // 1000 document pages, the last holding the file.
    std::string path = benchFolder() + "\\held.bin";
    {
        GFile f;
        fileOpen(f, path.c_str(), FileMode::Write);
        fileWriteText(f, "x");
        fileClose(f);
    }
    std::vector<GFilePlacer*> pages;
    for (int i = 0; i < 1000; ++i) pages.push_back(new GFilePlacer(nullptr, frame, nullptr, nullptr, nullptr));
    GBag empty;
    pages.back()->openFile(path.c_str(), empty);
    GFilePlacer* found = nullptr;
    double find = medianMilliseconds([&] { found = findWindowForFile(0, path.c_str()); });
    benchResult(found == pages.back() ? "find the page of a file among 1000" : "find the page of a file (NOT FOUND)", find, "ms");
    for (GFilePlacer* page : pages) delete page;
    setPageFactory(nullptr);
    DestroyWindow(frame->hwnd);
}
