#include <gtest/gtest.h>

#include <stdexcept>

#include "gui/kernel/dialog.h"
#include "gui/kernel/user_window.h"
#include "gui/kernel/window_procedure.h"
#include "tests/gui/gui_fixture.h"

namespace {
typedef std::vector<std::string> Log;

// A top-level window that counts its ends and can run code on a message.
class TestFrame : public GParentWindow {
public:
    explicit TestFrame(int* ends = nullptr) : ends(ends) {}
    ~TestFrame() override {
        if (ends) ++*ends;
    }
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
        if (message == WM_USER && onUser) {
            onUser(this);
            *result = 7;
            return true;
        }
        return GParentWindow::handleMessage(message, wParam, lParam, result);
    }
    int* ends;
    std::function<void(TestFrame*)> onUser;
};

class TestDialog : public GDialog {
public:
    TestDialog() : GDialog(nullptr, nullptr) {}
};

class Canvas : public GUserWindow {
public:
    using GUserWindow::GUserWindow;
    void paint(HDC dc, const RECT& update, bool) override {
        ++paints;
        FillRect(dc, &update, (HBRUSH)GetStockObject(BLACK_BRUSH));
    }
    int paints = 0;
};

// An edit control of the system, superclassed.
class TestEdit : public GChildWindow {
public:
    using GChildWindow::GChildWindow;
    ~TestEdit() override { destroyNative(); }
    const char* className() const override { return "TestEdit"; }
    WindowClassRecord* windowClassRecord() override { return &record; }
    bool create() {
        return createChildHandle(this, registerSuperclass(record, "korvalen_TestEdit_EDIT", "EDIT"),
                                 WS_CHILD | WS_VISIBLE, 0);
    }
    bool handleMessage(u32 message, uintptr_t, intptr_t, intptr_t*) override {
        if (message == WM_SETTEXT) ++textsSet;
        return false;
    }
    int textsSet = 0;
    static WindowClassRecord record;
};
WindowClassRecord TestEdit::record;
}  // namespace

TEST(WindowClasses, NamesTypeIdsAndKindTests) {
    TestFrame frame;
    TestDialog dialog;
    Canvas canvas(nullptr);
    GUserImage* image = nullptr;
    struct Row {
        const GWindow* window;
        const char* name;
        u32 type;
        std::vector<u32> kinds;
    };
    struct Image : GUserImage {
        using GUserImage::GUserImage;
        void paint(HDC, const RECT&, bool) override {}
    } imageWindow(nullptr);
    image = &imageWindow;
    const Row rows[] = {
        {&frame, "GParentWindow", TypeParentWindow, {1, 2}},
        {&dialog, "GDialog", TypeDialog, {1, 2, 7}},
        {&canvas, "GUserWindow", TypeUserWindow, {1, 3, 6}},
        {image, "GUserImage", TypeUserImage, {1, 3, 6, 40}},
    };
    const u32 allIds[] = {1, 2, 3, 6, 7, 40, 1000};
    for (const Row& row : rows) {
        EXPECT_STREQ(row.window->className(), row.name);
        EXPECT_EQ(row.window->typeId(), row.type);
        for (u32 id : allIds) {
            bool expected = std::find(row.kinds.begin(), row.kinds.end(), id) != row.kinds.end();
            EXPECT_EQ(row.window->isKindOf(id), expected) << row.name << " " << id;
        }
    }
    EXPECT_EQ(dialog.flags & WindowDeleteOnFinal, 0u);
    EXPECT_EQ(frame.flags & WindowDeleteOnFinal, (u32)WindowDeleteOnFinal);
}

TEST(WindowProcedure, MessagesGoAlongTheChainThenToDefaultProcessing) {
    TestApplication test;
    for (u32 mode : {0u, (u32)AnsiCreation}) {
        ansiMode = mode;
        TestFrame* frame = new TestFrame;
        ASSERT_TRUE(createTopLevelWindow(frame, WS_OVERLAPPEDWINDOW, 0, "Frame \xe9"));
        EXPECT_EQ((frame->flags & WindowAnsi) != 0, mode != 0);
        EXPECT_EQ(parentWindowFromHandle(frame->hwnd), frame);
        EXPECT_STREQ(frame->getText().c_str(), "Frame \xe9");  // default processing kept the title
        frame->setText("Other");
        EXPECT_STREQ(frame->getText().c_str(), "Other");

        Log log;
        RecordingListener watcher(&log, "A");
        attachWatcher(frame, &watcher);
        frame->onUser = [&](TestFrame*) { log.push_back("W.user"); };
        EXPECT_EQ(SendMessageA(frame->hwnd, WM_USER, 0, 0), 7);
        EXPECT_EQ(log, (Log{"W.user", "A.after"}));
        log.clear();
        EXPECT_EQ(SendMessageA(frame->hwnd, WM_USER + 1, 0, 0), 0);
        EXPECT_EQ(log, (Log{"A.handle"}));
        detachWatcher(&watcher);
        delete frame;
    }
    ansiMode = 0;
}

TEST(WindowProcedure, OneShotAnsiModeMakesOneAnsiWindow) {
    TestApplication test;
    ansiMode = AnsiCreation | AnsiOneShot;
    TestFrame first, second;
    ASSERT_TRUE(createTopLevelWindow(&first, WS_POPUP, 0, ""));
    ASSERT_TRUE(createTopLevelWindow(&second, WS_POPUP, 0, ""));
    EXPECT_TRUE(first.flags & WindowAnsi);
    EXPECT_FALSE(second.flags & WindowAnsi);
    EXPECT_EQ(ansiMode, 0u);
}

TEST(WindowProcedure, WindowsEndOnceWhicheverSideEndsFirst) {
    TestApplication test;
    ansiMode = 0;
    int ends = 0;

    // The object deleted: the native window goes with it.
    TestFrame* frame = new TestFrame(&ends);
    ASSERT_TRUE(createTopLevelWindow(frame, WS_OVERLAPPEDWINDOW, 0, ""));
    HWND hwnd = frame->hwnd;
    delete frame;
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(parentWindowFromHandle(hwnd), nullptr);

    // The native window destroyed: the object deletes itself.
    frame = new TestFrame(&ends);
    ASSERT_TRUE(createTopLevelWindow(frame, WS_OVERLAPPEDWINDOW, 0, ""));
    hwnd = frame->hwnd;
    DestroyWindow(hwnd);
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(parentWindowFromHandle(hwnd), nullptr);

    // Destroyed from inside its own handler: the dispatch's record outlives the object.
    frame = new TestFrame(&ends);
    ASSERT_TRUE(createTopLevelWindow(frame, WS_OVERLAPPEDWINDOW, 0, ""));
    GLifeRecord* record = frame->lifeRecord();
    record->addRef();
    frame->onUser = [](TestFrame* self) { DestroyWindow(self->hwnd); };
    EXPECT_EQ(SendMessageA(frame->hwnd, WM_USER, 0, 0), 7);
    EXPECT_EQ(ends, 3);
    EXPECT_FALSE(record->alive());
    EXPECT_EQ(record->refCount, 1u);
    record->release();

    // A dialog outlives its native window, out of the map and marked destroyed.
    TestDialog dialog;
    ASSERT_TRUE(createTopLevelWindow(&dialog, WS_POPUP, 0, ""));
    hwnd = dialog.hwnd;
    DestroyWindow(hwnd);
    EXPECT_TRUE(dialog.destroyed());
    EXPECT_EQ(dialog.hwnd, hwnd);
    EXPECT_EQ(parentWindowFromHandle(hwnd), nullptr);

    // Shown again, it takes its messages again.
    ASSERT_TRUE(createTopLevelWindow(&dialog, WS_POPUP, 0, ""));
    EXPECT_FALSE(dialog.destroyed());
    bool seen = false;
    struct Watch : GItemBase {
        bool* seen;
        bool handleMessage(u32 message, uintptr_t, intptr_t, intptr_t*) override {
            if (message == WM_USER) *seen = true;
            return false;
        }
    } watch;
    watch.seen = &seen;
    attachWatcher(&dialog, &watch);
    SendMessageA(dialog.hwnd, WM_USER, 0, 0);
    EXPECT_TRUE(seen);
    EXPECT_EQ(dialog.lifeRecord()->watchers.first, dialog.lifeRecord());
}

TEST(WindowProcedure, AFailedCreationLeavesTheObjectToItsCaller) {
    TestApplication test;
    ansiMode = 0;
    int ends = 0;
    // WM_CREATE refuses: the native window ends inside the creation call, the object stays.
    struct Refusing : TestFrame {
        using TestFrame::TestFrame;
        bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
            if (message == WM_CREATE) {
                *result = -1;
                return true;
            }
            return TestFrame::handleMessage(message, wParam, lParam, result);
        }
    };
    Refusing* frame = new Refusing(&ends);
    EXPECT_FALSE(createTopLevelWindow(frame, WS_OVERLAPPEDWINDOW, 0, ""));
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(frame->hwnd, nullptr);
    delete frame;
    EXPECT_EQ(ends, 1);

    // A creation that succeeds keeps deleting itself when its native window ends.
    TestFrame* kept = new TestFrame(&ends);
    ASSERT_TRUE(createTopLevelWindow(kept, WS_OVERLAPPEDWINDOW, 0, ""));
    DestroyWindow(kept->hwnd);
    EXPECT_EQ(ends, 2);
}

TEST(WindowProcedure, ChildWindowsAndSuperclassedControls) {
    TestApplication test;
    ansiMode = 0;
    TestFrame frame;
    // Shown without activation: Wine without a window manager waits two seconds when an active
    // window goes.
    ASSERT_TRUE(createTopLevelWindow(&frame, WS_POPUP, 0, ""));
    SetWindowPos(frame.hwnd, nullptr, 0, 0, 200, 100, SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
    Canvas* canvas = new Canvas(&frame);
    ASSERT_TRUE(canvas->create(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(GetParent(canvas->hwnd), frame.hwnd);
    EXPECT_EQ(windowFromHandle(canvas->hwnd), canvas);
    MoveWindow(canvas->hwnd, 0, 0, 40, 30, FALSE);
    InvalidateRect(canvas->hwnd, nullptr, TRUE);
    UpdateWindow(canvas->hwnd);
    EXPECT_GE(canvas->paints, 1);

    TestEdit* edit = new TestEdit(&frame);
    ASSERT_TRUE(edit->create());
    EXPECT_EQ(windowFromHandle(edit->hwnd), edit);
    EXPECT_EQ(GetWindowLongPtrA(edit->hwnd, GWLP_USERDATA), 0);  // the map holds the object
    edit->setText("12.5 dB");
    EXPECT_EQ(edit->textsSet, 1);
    EXPECT_STREQ(edit->getText().c_str(), "12.5 dB");  // kept by the edit control's own procedure
    SendMessageA(edit->hwnd, EM_SETSEL, 0, -1);
    DWORD start = 0, end = 0;
    SendMessageA(edit->hwnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(end, 7u);

    // The children end with their parent's native window.
    HWND editHandle = edit->hwnd;
    frame.destroyNative();
    EXPECT_EQ(windowFromHandle(editHandle), nullptr);
}

TEST(WindowProcedure, ForeignAndUnboundHandlesGetTheDefaultProcedure) {
    TestApplication test;
    ansiMode = 0;
    ASSERT_TRUE(registerParentClass());
    HWND unbound = CreateWindowExW(0, parentClass.wideName.c_str(), L"plain", WS_POPUP, 0, 0, 10, 10, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(unbound);
    EXPECT_EQ(parentWindowFromHandle(unbound), nullptr);
    char text[16] = {};
    GetWindowTextA(unbound, text, sizeof text);
    EXPECT_STREQ(text, "plain");
    DestroyWindow(unbound);
}

TEST(WindowProcedure, AnExceptionInAHandlerReachesTheLoop) {
    TestApplication test;
    TestFrame* frame = new TestFrame;
    ASSERT_TRUE(createTopLevelWindow(frame, WS_OVERLAPPEDWINDOW, 0, ""));
    frame->onUser = [](TestFrame*) { throw std::runtime_error("handler"); };
    PostMessageA(frame->hwnd, WM_USER, 0, 0);
    bool done = false;
    EXPECT_THROW(messageLoop(&done), std::runtime_error);
    EXPECT_FALSE(windowFailures().holds());
    delete frame;
}

TEST(WindowProcedure, ApplicationActivationReachesTheActivationChain) {
    TestApplication test;
    Log log;
    RecordingListener first(&log, "A"), second(&log, "B");
    ListenerChain::append(test.app.activationList, first.lifeRecord());
    ListenerChain::append(test.app.activationList, second.lifeRecord());
    TestFrame* frame = new TestFrame;
    ASSERT_TRUE(createTopLevelWindow(frame, WS_POPUP, 0, ""));
    SendMessageA(frame->hwnd, WM_ACTIVATEAPP, TRUE, 0);
    first.answer = true;  // stops the walk
    SendMessageA(frame->hwnd, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(log, (Log{"A.active", "B.active", "A.inactive"}));
    delete frame;
}
