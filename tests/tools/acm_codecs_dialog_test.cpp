// The codecs page on the machine's own drivers: moves at the ends and between two open pages, the
// question before disabling, the icons on screen, the install table, the tag and format views,
// about and configure when a driver answers them or not, and the command guard.
#include "tools/acm_codecs_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/bag.h"
#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/input/input_event.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/struct_view.h"
#include "gui/views/table.h"
#include "gui/views/tree_table.h"
#include "mm/acm_drivers.h"
#include "mm/mm_texts.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"
#include "tools/codec_install.h"

namespace {
// Message boxes answered by the script, their texts recorded.
struct Boxes {
    static inline std::vector<std::string> texts;
    static inline i32 answer = IDYES;
    Boxes() {
        texts.clear();
        answer = IDYES;
        setMessageBoxSink([](const MessageBoxDescription*, GWindow*, const char* text) {
            texts.push_back(text);
            return answer;
        });
    }
    ~Boxes() { setMessageBoxSink(nullptr); }
};

struct Page {
    GDialog owner{nullptr, "acm.htm"};
    AcmCodecsDialog* page = nullptr;
    explicit Page(i32 x = 0) {
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, x, 0, 900, 600, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        page = new AcmCodecsDialog(&owner);
        owner.setContent(page);
        page->setRect(RECT{0, 0, 900, 600});
    }
    ~Page() { DestroyWindow(owner.hwnd); }

    void select(u64 row) { page->driverTable->setCaretRow(row); }
    bool enabled(GWindow* w) { return IsWindowEnabled(w->hwnd) != 0; }
    void key(u32 vk) {
        GInputEvent e = GInputEvent::keyDown(vk, ModCtrl);
        page->driverTable->handleKey(&e);
    }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const AcmDriverEntry& d : page->drivers) out.push_back(d.details.szShortName);
        return out;
    }
};

struct AcmCodecsTest : ::testing::Test {
    TestApplication app;
    Boxes boxes;
};

// Puts the machine's drivers back in the order of the names: each to the top, the last first.
void restoreOrder(const std::vector<AcmDriverEntry>& drivers) {
    for (auto d = drivers.rbegin(); d != drivers.rend(); ++d) {
        setAcmDriverPriority(nullptr, 0, ACM_DRIVERPRIORITYF_BEGIN, nullptr);
        setAcmDriverPriority(d->id, 1, 0, nullptr);
        setAcmDriverPriority(nullptr, 0, ACM_DRIVERPRIORITYF_END, nullptr);
    }
}

TEST_F(AcmCodecsTest, MovesStopAtTheEndsAndReorderEveryOpenPage) {
    Page a, b(40);
    ASSERT_GE(a.page->drivers.size(), 3u) << "the machine's codecs";
    const std::vector<AcmDriverEntry> original = a.page->drivers;
    const std::vector<std::string> order = a.names();
    const u64 last = order.size() - 1;

    // First up and last down: disabled buttons, keys that change nothing.
    a.select(0);
    EXPECT_EQ(0, a.page->selected);
    EXPECT_FALSE(a.enabled(a.page->upButton));
    EXPECT_TRUE(a.enabled(a.page->downButton));
    a.key(VK_UP);
    a.select(last);
    EXPECT_TRUE(a.enabled(a.page->upButton));
    EXPECT_FALSE(a.enabled(a.page->downButton));
    a.key(VK_DOWN);
    EXPECT_EQ(order, a.names());
    EXPECT_EQ(order, b.names());
    EXPECT_TRUE(Boxes::texts.empty());

    // A command while another runs is ignored.
    a.select(2);
    a.page->busy = 1;
    a.page->onCommand(AcmCodecsDialog::MoveUp, nullptr);
    EXPECT_EQ(order, a.names());
    a.page->busy = 0;

    // Ctrl+Up on the third: both pages show the machine's new order, only the mover keeps the
    // moved driver selected.
    b.select(1);
    a.key(VK_UP);
    EXPECT_TRUE(Boxes::texts.empty());
    EXPECT_NE(order, a.names());
    EXPECT_EQ(a.names(), b.names());
    ASSERT_GE(a.page->selected, 0);
    EXPECT_LT(a.page->selected, 2);
    EXPECT_EQ(order[2], a.names()[(size_t)a.page->selected]);
    EXPECT_EQ(-1, b.page->selected);

    // The move button does the same.
    const std::vector<std::string> before = a.names();
    a.select(last);
    a.page->upButton->click();
    EXPECT_NE(before, a.names());
    EXPECT_EQ(a.names(), b.names());
    restoreOrder(original);
    a.page->refreshDrivers(-1);
    EXPECT_EQ(order, a.names());
}

// The square of the row's default image, counted in the table's pixels.
i32 imagePixels(Page& p, COLORREF colour) {
    RECT r;
    GetClientRect(p.page->driverTable->hwnd, &r);
    UpdateWindow(p.owner.hwnd);
    pumpUntil([] { return false; }, 50);
    DibCanvas canvas(r.right, r.bottom, RGB(1, 2, 3));
    HDC screen = GetDC(p.page->driverTable->hwnd);
    BitBlt(canvas.dc(), 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    ReleaseDC(p.page->driverTable->hwnd, screen);
    return r.right * r.bottom - canvas.countOther(colour);
}

TEST_F(AcmCodecsTest, UncheckingAsksFirstAndTheIconsFollowTheState) {
    Page p;
    i64 row = -1;
    i32 disabled = 0;
    for (size_t i = 0; i < p.page->drivers.size(); ++i) {
        if (!p.page->drivers[i].enabled()) ++disabled;
        else if (row < 0) row = (i64)i;
    }
    ASSERT_GE(row, 0);
    const i32 enabled = (i32)p.page->drivers.size() - disabled;
    // The machine's codecs have no icon of their own here: squares by state (the last row may be
    // cut by the table's edge).
    const COLORREF green = RGB(0, 128, 0), grey = RGB(128, 128, 128);
    const i32 square = 16 * 16;
    EXPECT_GE(imagePixels(p, green), square * (enabled - 1));
    EXPECT_LE(imagePixels(p, green), square * enabled);
    EXPECT_LE(imagePixels(p, grey), square * disabled);
    const i32 greyBefore = imagePixels(p, grey);

    p.select((u64)row);
    ASSERT_TRUE(p.page->enabledBox->isChecked());
    Boxes::answer = IDNO;
    p.page->enabledBox->click();
    EXPECT_TRUE(p.page->enabledBox->isChecked());
    EXPECT_EQ((std::vector<std::string>{mmText(MmText::AcmDisableQuestion)}), Boxes::texts);
    EXPECT_TRUE(p.page->drivers[(size_t)row].enabled());

    Boxes::answer = IDYES;
    Boxes::texts.clear();
    p.page->enabledBox->click();
    EXPECT_EQ((std::vector<std::string>{mmText(MmText::AcmDisableQuestion)}), Boxes::texts);
    EXPECT_FALSE(p.page->enabledBox->isChecked());
    EXPECT_FALSE(p.page->drivers[(size_t)row].enabled());
    EXPECT_EQ(row, p.page->selected);
    EXPECT_EQ(greyBefore + square, imagePixels(p, grey));

    // Checking again asks nothing.
    Boxes::texts.clear();
    p.page->enabledBox->click();
    EXPECT_TRUE(Boxes::texts.empty());
    EXPECT_TRUE(p.page->drivers[(size_t)row].enabled());
    EXPECT_EQ(greyBefore, imagePixels(p, grey));
}

struct Launches {
    static inline std::vector<std::string> calls;
    static inline std::string chosen;
    static inline intptr_t shellAnswer = 42;
    Launches() : saved(codecLauncher), savedCalls(acmPageCalls) {
        calls.clear();
        codecLauncher.winExec = [](const char* line, u32) -> u32 {
            calls.push_back(std::string("run ") + line);
            return 33;
        };
        codecLauncher.shellExecute = [](void*, const char* verb, const char* file) {
            calls.push_back(std::string(verb) + " " + file);
            return shellAnswer;
        };
        acmPageCalls.chooseCodecFile = [](GWindow*, GString& path) {
            if (chosen.empty()) return false;
            stringAssign(path, chosen.c_str(), (u32)chosen.size());
            return true;
        };
    }
    ~Launches() {
        codecLauncher = saved;
        acmPageCalls = savedCalls;
    }
    CodecLauncher saved;
    AcmPageCalls savedCalls;
};

TEST_F(AcmCodecsTest, InstallRunsTheFileByItsExtension) {
    Launches launches;
    Page p;
    p.select(0);
    const struct {
        const char* file;
        intptr_t shellAnswer;
        const char* call;
        bool failed;
    } cases[] = {
        {"C:\\Codecs\\x.Dll", 42, "run regsvr32 \"C:\\Codecs\\x.Dll\"", false},
        {"C:\\Codecs\\x.ax", 42, "run regsvr32 \"C:\\Codecs\\x.ax\"", false},
        {"C:\\Program Files\\setup.EXE", 42, "run \"C:\\Program Files\\setup.EXE\"", false},
        {"C:\\My Codecs\\go.bat", 42, "run \"C:\\My Codecs\\go.bat\"", false},
        {"C:\\Codecs\\c.INF", 42, "install C:\\Codecs\\c.INF", false},
        {"C:\\Codecs\\read.txt", 42, "open C:\\Codecs\\read.txt", false},
        {"C:\\Codecs\\read.txt", 32, "open C:\\Codecs\\read.txt", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Launches::calls.clear();
        Boxes::texts.clear();
        Launches::chosen = c.file;
        Launches::shellAnswer = c.shellAnswer;
        p.page->installButton->click();
        EXPECT_EQ((std::vector<std::string>{c.call}), Launches::calls);
        std::vector<std::string> said;
        if (c.failed) said.push_back(mmText(MmText::AcmInstallFailed));
        said.push_back(mmText(MmText::AcmInstallDone));
        EXPECT_EQ(said, Boxes::texts);
        EXPECT_EQ(-1, p.page->selected);
        p.select(0);
    }
    // No file chosen: nothing runs, nothing is said.
    Launches::calls.clear();
    Boxes::texts.clear();
    Launches::chosen.clear();
    p.page->installButton->click();
    EXPECT_TRUE(Launches::calls.empty());
    EXPECT_TRUE(Boxes::texts.empty());
}

TEST_F(AcmCodecsTest, TagAndFormatItemsFillTheViews) {
    Page p;
    u64 row = 0;
    while (row < p.page->drivers.size() && p.page->drivers[row].details.cFormatTags == 0) ++row;
    ASSERT_LT(row, p.page->drivers.size());
    p.select(row);
    GTreeTable* tree = p.page->tagTree;
    ASSERT_EQ((i32)p.page->drivers[row].details.cFormatTags, tree->rowNodeCount());

    tree->setCaretRow(0);
    EXPECT_STREQ("ACMFORMATTAGDETAILS", p.page->titles[0]->text.c_str());
    EXPECT_EQ(7u, p.page->views[0]->rowCount());
    EXPECT_EQ(0u, p.page->views[1]->rowCount());
    EXPECT_EQ(0u, p.page->views[2]->rowCount());

    // The first tag with standard formats: its first format.
    i64 tagRow = 0;
    while (tagRow < tree->rowNodeCount() && !tree->rowNode(tagRow)->child(0)) ++tagRow;
    ASSERT_LT(tagRow, tree->rowNodeCount());
    ASSERT_TRUE(tree->expandRow(tagRow));
    tree->setCaretRow(tagRow + 1);
    EXPECT_STREQ("ACMFORMATDETAILS", p.page->titles[0]->text.c_str());
    EXPECT_EQ(7u, p.page->views[0]->rowCount());
    EXPECT_GE(p.page->views[1]->rowCount(), 5u);
    EXPECT_EQ(1u, p.page->views[2]->rowCount());
    UpdateWindow(p.owner.hwnd);
    pumpUntil([] { return false; }, 50);
    DibCanvas canvas(900, 600, RGB(1, 2, 3));
    HDC screen = GetDC(p.owner.hwnd);
    BitBlt(canvas.dc(), 0, 0, 900, 600, screen, 0, 0, SRCCOPY);
    ReleaseDC(p.owner.hwnd, screen);
    saveShot(canvas, "acm_codecs_page.bmp");

    // Back on the tag: the format views empty again.
    tree->setCaretRow(tagRow);
    EXPECT_STREQ("ACMFORMATTAGDETAILS", p.page->titles[0]->text.c_str());
    EXPECT_EQ(0u, p.page->views[1]->rowCount());
}

struct DriverAnswers {
    static inline intptr_t about = MMSYSERR_NOTSUPPORTED, queryConfigure = 0, configure = DRVCNF_OK;
    static inline std::vector<u32> sent;
    DriverAnswers() : saved(acmPageCalls) {
        sent.clear();
        acmPageCalls.driverMessage = [](HACMDRIVER, u32 message, intptr_t p1, intptr_t) -> intptr_t {
            sent.push_back(message);
            if (message == ACMDM_DRIVER_ABOUT) return p1 == -1 ? about : 0;
            if (message == DRV_QUERYCONFIGURE) return queryConfigure;
            if (message == DRV_CONFIGURE) return configure;
            return 0;
        };
    }
    ~DriverAnswers() { acmPageCalls = saved; }
    AcmPageCalls saved;
};

TEST_F(AcmCodecsTest, AboutAndConfigureOnlyWhereTheDriverAnswers) {
    {
        // The machine's own drivers.
        Page p;
        for (u64 row = 0; row < p.page->drivers.size(); ++row) {
            p.select(row);
            EXPECT_EQ(p.page->aboutSupported != 0, p.enabled(p.page->aboutButton));
            EXPECT_EQ(p.page->configureSupported != 0, p.enabled(p.page->configureButton));
        }
    }
    DriverAnswers answers;
    const struct {
        intptr_t about, queryConfigure, configure;
        bool aboutOn, configureOn;
        bool restart;
    } cases[] = {
        {MMSYSERR_NOTSUPPORTED, 0, DRVCNF_OK, false, false, false},
        {0, 1, DRVCNF_OK, true, true, false},
        {0, 1, DRVCNF_RESTART, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.configure);
        DriverAnswers::about = c.about;
        DriverAnswers::queryConfigure = c.queryConfigure;
        DriverAnswers::configure = c.configure;
        Page p;
        p.select(0);
        EXPECT_EQ(c.aboutOn, p.enabled(p.page->aboutButton));
        EXPECT_EQ(c.configureOn, p.enabled(p.page->configureButton));
        DriverAnswers::sent.clear();
        Boxes::texts.clear();
        p.page->onCommand(AcmCodecsDialog::About, nullptr);
        p.page->onCommand(AcmCodecsDialog::Configure, nullptr);
        std::vector<u32> sent;
        if (c.aboutOn) sent.push_back(ACMDM_DRIVER_ABOUT);
        if (c.configureOn) sent.push_back(DRV_CONFIGURE);
        EXPECT_EQ(sent, DriverAnswers::sent);
        EXPECT_EQ(c.restart ? 1u : 0u, Boxes::texts.size());
    }
}

TEST_F(AcmCodecsTest, ViewStateRoundTrip) {
    GBag first, second;
    {
        Page p;
        p.page->views[2]->columns[0].width = 123;
        p.page->saveViewState(first);
    }
    Page p;
    first.pos = 0;
    p.page->restoreViewState(first);
    EXPECT_EQ(123, p.page->views[2]->columns[0].width);
    p.page->saveViewState(second);
    EXPECT_EQ(first.size, second.size);
    EXPECT_EQ(0, memcmp(first.data, second.data, first.size));
}
}  // namespace
