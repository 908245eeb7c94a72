// The page factory by window kind.
#include "app/child_windows.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "app/program_texts.h"
#include "app/window_kinds.h"
#include "gui/frame/page_factory.h"
#include "gui/frame/tab_placer.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "tests/gui/gui_fixture.h"

namespace {
std::vector<std::string> boxes;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    boxes.push_back(text ? text : "");
    return 1;
}

GPlacer* const madePage = reinterpret_cast<GPlacer*>(0x1000);
GWindow* askedParent = nullptr;
GPlacer* makeMarker(GWindow* parent) {
    askedParent = parent;
    return madePage;
}
GPlacer* failAllocation(GWindow*) { throw std::bad_alloc(); }

struct BoxSink {
    BoxSink() {
        boxes.clear();
        setMessageBoxSink(recordBox);
    }
    ~BoxSink() { setMessageBoxSink(nullptr); }
};
}  // namespace

TEST(ChildWindows, KindsWithoutAPageAndRegisteredMakers) {
    BoxSink sink;
    GWindow* parent = reinterpret_cast<GWindow*>(0x2000);
    // Unknown kinds and kinds nobody registered: nothing, no box.
    for (u32 kind : {72u, 0u, (u32)KindEditor, (u32)KindWelcome})
        EXPECT_EQ(createChildWindow(parent, kind), nullptr) << kind;
    EXPECT_TRUE(boxes.empty());
    // The two unavailable kinds: one notice each.
    EXPECT_EQ(createChildWindow(nullptr, KindNotesEditor), nullptr);
    EXPECT_EQ(createChildWindow(nullptr, KindInstrument), nullptr);
    EXPECT_EQ(boxes, (std::vector<std::string>{ravoText(RavoText::NotAvailable), ravoText(RavoText::NotAvailable)}));
    // Even a registered maker does not make them.
    registerPageMaker(KindInstrument, makeMarker);
    EXPECT_EQ(createChildWindow(nullptr, KindInstrument), nullptr);
    registerPageMaker(KindInstrument, nullptr);

    boxes.clear();
    registerPageMaker(KindWelcome, makeMarker);
    EXPECT_EQ(createChildWindow(parent, KindWelcome), madePage);
    EXPECT_EQ(askedParent, parent);
    registerPageMaker(KindWelcome, failAllocation);
    EXPECT_EQ(createChildWindow(parent, KindWelcome), nullptr);
    registerPageMaker(KindWelcome, nullptr);
    EXPECT_EQ(createChildWindow(parent, KindWelcome), nullptr);
    EXPECT_TRUE(boxes.empty());
}

// The program's factory as the pages see it: the same answers, and a real tabbed placer for 77.
TEST(ChildWindows, ProgramPageFactory) {
    TestApplication app;
    BoxSink sink;
    installProgramPageFactory();
    PageFactory* factory = pageFactory();
    ASSERT_NE(factory, nullptr);
    GDialog owner{nullptr, nullptr};
    createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
    EXPECT_EQ(factory->create(&owner, 72), nullptr);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(factory->create(&owner, KindNotesEditor), nullptr);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(factory->create(&owner, KindInstrument), nullptr);
    EXPECT_EQ(boxes.size(), 2u);
    GPlacer* page = factory->create(&owner, KindDefault);
    ASSERT_NE(page, nullptr);
    owner.setContent(page);
    EXPECT_EQ(page->windowKind(), 77u);
    auto* tabs = dynamic_cast<GTabPlacer*>(page);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->kindRecord, programWindowKind(KindDefault));
    EXPECT_EQ(tabs->pageCount(), 0);
    EXPECT_EQ(boxes.size(), 2u);
    DestroyWindow(owner.hwnd);
    setPageFactory(nullptr);
}
